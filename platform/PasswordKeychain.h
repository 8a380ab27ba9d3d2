#pragma once
// Passwords kept in the desktop's keychain (the Secret Service or KWallet on Linux, the
// Credential Manager on Windows) through QtKeychain, never in the settings file. Without
// QtKeychain at build time there is no keychain, and the viewer asks for passwords every time.
// Tests replace the keychain with one of their own.

#include <QString>

#include <functional>
#include <optional>

struct TPasswordKeychain {
    // Why passwords cannot be kept; empty when they can.
    std::function<QString()> UnavailableReason;
    // The password kept under the key; nothing when none is (or the keychain cannot be read).
    std::function<std::optional<QString>(const QString& key)> Read;
    // Keep or forget the password under the key; each returns the reason when it failed.
    std::function<std::optional<QString>(const QString& key, const QString& password)> Keep;
    std::function<std::optional<QString>(const QString& key)> Forget;
};

// The keychain in force: the desktop's, unless a test replaced it.
const TPasswordKeychain& PasswordKeychain();
// Puts a keychain in force (the desktop's for an empty one); returns the one in force before.
TPasswordKeychain SetPasswordKeychain(TPasswordKeychain keychain);

// The key of a server's password for a user: "db1/3051 SYSDBA".
QString PasswordKey(const QString& server, const QString& user);
