#pragma once
// The one error of a remote fetch: what went wrong, as a category the caller may act on, and
// one text for the user that says it plainly and carries the server's own words.

#include <stdexcept>
#include <string>

enum class TFBRemoteFailure {
    ClientLibraryMissing,  // no Firebird client library could be loaded
    BadAddress,            // the host text is not a host name, address and optional port
    HostNotFound,          // the name does not resolve
    ConnectionRefused,     // nothing listens on that port
    Timeout,               // no answer in time
    WrongCredentials,      // user name or password not accepted
    NoPrivilege,           // the user may not read the server's log
    GetLogUnsupported,     // the server does not hand out its log through the Services API
    ConnectionLost,        // the connection broke during the transfer
    Cancelled,             // the caller cancelled
    Other,
};

class EFBRemoteError : public std::runtime_error {
public:
    EFBRemoteError(TFBRemoteFailure failure, const std::string& text) : std::runtime_error(text), FFailure(failure) {}
    TFBRemoteFailure Failure() const noexcept { return FFailure; }

private:
    TFBRemoteFailure FFailure;
};

// What a user does to get the client library, for the message of ClientLibraryMissing.
inline constexpr const char* kFBClientInstallHint =
    "Install the Firebird client library: on Debian `apt install libfbclient2`; on Windows put fbclient.dll beside "
    "kslogviewer.exe or install the Firebird client.";
