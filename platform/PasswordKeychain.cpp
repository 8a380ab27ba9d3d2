#include "PasswordKeychain.h"

#ifdef KESTRELON_HAVE_QTKEYCHAIN
#include <qt6keychain/keychain.h>

#include <QEventLoop>
#endif

namespace {

const QString kKeychainService = QStringLiteral("Kestrelon Log Viewer");

#ifdef KESTRELON_HAVE_QTKEYCHAIN
// Runs a keychain job to its end; the desktop's keychain may ask the user to unlock it first.
template <typename Job>
void RunToEnd(Job& job)
{
    job.setAutoDelete(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
}

// Whether the desktop runs a keychain service at all: asked once, by reading a key nobody keeps.
QString ProbeKeychain()
{
    QKeychain::ReadPasswordJob job(kKeychainService);
    job.setKey(QStringLiteral("kslogviewer probe"));
    RunToEnd(job);
    if (job.error() == QKeychain::NoError || job.error() == QKeychain::EntryNotFound)
        return {};
    return QStringLiteral("No keychain can be used on this desktop (%1); start one, such as GNOME Keyring or "
                          "KWallet, to keep passwords. Until then they are asked for every time.")
        .arg(job.errorString());
}

TPasswordKeychain DesktopKeychain()
{
    TPasswordKeychain keychain;
    keychain.UnavailableReason = [] {
        static const QString reason = ProbeKeychain();
        return reason;
    };
    keychain.Read = [](const QString& key) -> std::optional<QString> {
        QKeychain::ReadPasswordJob job(kKeychainService);
        job.setKey(key);
        RunToEnd(job);
        if (job.error() != QKeychain::NoError)
            return std::nullopt;
        return job.textData();
    };
    keychain.Keep = [](const QString& key, const QString& password) -> std::optional<QString> {
        QKeychain::WritePasswordJob job(kKeychainService);
        job.setKey(key);
        job.setTextData(password);
        RunToEnd(job);
        return job.error() == QKeychain::NoError ? std::nullopt : std::optional(job.errorString());
    };
    keychain.Forget = [](const QString& key) -> std::optional<QString> {
        QKeychain::DeletePasswordJob job(kKeychainService);
        job.setKey(key);
        RunToEnd(job);
        const bool gone = job.error() == QKeychain::NoError || job.error() == QKeychain::EntryNotFound;
        return gone ? std::nullopt : std::optional(job.errorString());
    };
    return keychain;
}
#else
TPasswordKeychain DesktopKeychain()
{
    const QString reason = QStringLiteral(
        "This build has no keychain support (QtKeychain was missing when it was built), so passwords are asked "
        "for every time.");
    TPasswordKeychain keychain;
    keychain.UnavailableReason = [reason] { return reason; };
    keychain.Read = [](const QString&) { return std::optional<QString>(); };
    keychain.Keep = [reason](const QString&, const QString&) { return std::optional(reason); };
    keychain.Forget = [](const QString&) { return std::optional<QString>(); };
    return keychain;
}
#endif

TPasswordKeychain& CurrentKeychain()
{
    static TPasswordKeychain keychain = DesktopKeychain();
    return keychain;
}

}  // namespace

const TPasswordKeychain& PasswordKeychain()
{
    return CurrentKeychain();
}

TPasswordKeychain SetPasswordKeychain(TPasswordKeychain keychain)
{
    TPasswordKeychain previous = CurrentKeychain();
    CurrentKeychain() = keychain.Read ? std::move(keychain) : DesktopKeychain();
    return previous;
}

QString PasswordKey(const QString& server, const QString& user)
{
    return server + QLatin1Char(' ') + user;
}
