#include "FBServiceClient.h"

#include <algorithm>
#include <cerrno>
#include <initializer_list>
#include <vector>

#ifndef _WIN32
#include <csignal>
#endif

namespace {

// Status vector layout: argument kinds, and the error codes the categories are read from.
enum : FBStatus {
    ArgEnd = 0, ArgGds = 1, ArgCString = 3, ArgUnix = 7, ArgWin32 = 17,
};
enum : FBStatus {
    CodeNoPriv = 335544352, CodeWishList = 335544378, CodeLogin = 335544472, CodeBadSpbForm = 335544562,
    CodeServiceNotDefined = 335544563, CodeServiceNotExecutable = 335544703, CodeLookup = 335544704,
    CodeNetworkError = 335544721, CodeConnect = 335544722, CodeRead = 335544726, CodeWrite = 335544727,
    CodeLoginSameAsRole = 335544745, CodeTaskDenied = 335544788, CodeServicePrivileges = 335544790,
    CodeServiceNotSupported = 335544814, CodeConnectTimeout = 335544975, CodeStartFailed = 335545036,
};
constexpr int kStatusLength = 20;
#ifdef ECONNREFUSED
constexpr FBStatus kConnectionRefused = ECONNREFUSED;
constexpr FBStatus kTimedOut = ETIMEDOUT;
#else
constexpr FBStatus kConnectionRefused = -1;
constexpr FBStatus kTimedOut = -1;
#endif
constexpr FBStatus kWinConnectionRefused = 10061;
constexpr FBStatus kWinTimedOut = 10060;

struct TStatusFacts {
    std::vector<FBStatus> Codes;
    std::vector<FBStatus> SystemErrors;

    bool Has(std::initializer_list<FBStatus> codes) const
    {
        return std::any_of(codes.begin(), codes.end(),
                           [this](FBStatus code) { return std::find(Codes.begin(), Codes.end(), code) != Codes.end(); });
    }
    bool HasSystemError(std::initializer_list<FBStatus> errors) const
    {
        return std::any_of(errors.begin(), errors.end(), [this](FBStatus error) {
            return std::find(SystemErrors.begin(), SystemErrors.end(), error) != SystemErrors.end();
        });
    }
};

TStatusFacts ReadStatus(const FBStatus* status)
{
    TStatusFacts facts;
    for (int at = 0; at < kStatusLength && status[at] != ArgEnd;) {
        const FBStatus kind = status[at];
        const FBStatus value = at + 1 < kStatusLength ? status[at + 1] : 0;
        if (kind == ArgGds)
            facts.Codes.push_back(value);
        else if (kind == ArgUnix || kind == ArgWin32)
            facts.SystemErrors.push_back(value);
        at += kind == ArgCString ? 3 : 2;
    }
    return facts;
}

bool Failed(const FBStatus* status)
{
    return status[0] == ArgGds && status[1] != 0;
}

std::string InterpretStatus(const TFBClientLibrary& library, const FBStatus* status)
{
    std::string text;
    const FBStatus* cursor = status;
    char line[1024];
    while (library.Api().Interpret(line, sizeof line, &cursor) > 0)
        text += (text.empty() ? "" : "\n") + std::string(line);
    return text;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string Explanation(TFBRemoteFailure failure, const std::string& server, const std::string& user)
{
    switch (failure) {
    case TFBRemoteFailure::HostNotFound:
        return "The server " + Quoted(server) + " was not found: check the host name.";
    case TFBRemoteFailure::ConnectionRefused:
        return "The server " + Quoted(server) +
               " refused the connection: no Firebird server listens on that port (3050 unless one is given).";
    case TFBRemoteFailure::Timeout: return "The server " + Quoted(server) + " did not answer in time.";
    case TFBRemoteFailure::WrongCredentials:
        return "The server " + Quoted(server) + " did not accept the user name " + Quoted(user) +
               " with that password.";
    case TFBRemoteFailure::NoPrivilege:
        return "The user " + Quoted(user) + " may not read the log of " + Quoted(server) +
               ": the server hands its log only to SYSDBA and the administrators it maps to it.";
    case TFBRemoteFailure::GetLogUnsupported:
        return "The server " + Quoted(server) + " does not hand out its log through the Services API.";
    case TFBRemoteFailure::ConnectionLost:
        return "The connection to " + Quoted(server) + " broke while the log arrived.";
    case TFBRemoteFailure::Cancelled: return "Fetching the log of " + Quoted(server) + " was cancelled.";
    default: return "The log of " + Quoted(server) + " could not be fetched.";
    }
}

// The client library, at its first call, puts handlers of its own on SIGINT and SIGTERM that no
// longer end the process (they only shut the library's connections down). A program that
// fetched a log must still end when it is told to, so the handlers it had come back after each
// fetch; the library keeps no connection between fetches that would need its own.
class TSignalHandlingKept {
public:
    TSignalHandlingKept()
    {
#ifndef _WIN32
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            sigaction(kSignals[i], nullptr, &FSaved[i]);
#endif
    }
    ~TSignalHandlingKept()
    {
#ifndef _WIN32
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            sigaction(kSignals[i], &FSaved[i], nullptr);
#endif
    }
    TSignalHandlingKept(const TSignalHandlingKept&) = delete;
    TSignalHandlingKept& operator=(const TSignalHandlingKept&) = delete;

private:
#ifndef _WIN32
    static constexpr int kSignals[] = {SIGINT, SIGTERM};
    struct sigaction FSaved[std::size(kSignals)] = {};
#endif
};

}  // namespace

TFBRemoteFailure ClassifyStatus(const FBStatus* status, TFBServiceStage stage)
{
    const TStatusFacts facts = ReadStatus(status);
    if (facts.Has({CodeLogin, CodeLoginSameAsRole}))
        return TFBRemoteFailure::WrongCredentials;
    if (facts.Has({CodeTaskDenied, CodeServicePrivileges, CodeNoPriv}))
        return TFBRemoteFailure::NoPrivilege;
    if (facts.Has({CodeLookup}))
        return TFBRemoteFailure::HostNotFound;
    if (facts.Has({CodeConnectTimeout}) || facts.HasSystemError({kTimedOut, kWinTimedOut}))
        return TFBRemoteFailure::Timeout;
    // The client names no system error for a refused connection on every platform.
    if (facts.HasSystemError({kConnectionRefused, kWinConnectionRefused}) ||
        (stage == TFBServiceStage::Attach && facts.Has({CodeConnect})))
        return TFBRemoteFailure::ConnectionRefused;
    if (stage == TFBServiceStage::Start && facts.Has({CodeServiceNotSupported, CodeServiceNotDefined,
                                                       CodeServiceNotExecutable, CodeWishList, CodeBadSpbForm,
                                                       CodeStartFailed}))
        return TFBRemoteFailure::GetLogUnsupported;
    if (stage == TFBServiceStage::Read && facts.Has({CodeNetworkError, CodeRead, CodeWrite}))
        return TFBRemoteFailure::ConnectionLost;
    return TFBRemoteFailure::Other;
}

TFBServiceConnection::TFBServiceConnection(std::shared_ptr<const TFBClientLibrary> library,
                                           const TFBServerAddress& address, const TFBCredentials& credentials,
                                           const TFBFetchOptions& options)
    : FLibrary(std::move(library)), FAddress(address), FUser(credentials.User), FOptions(options)
{
    const std::string name = ServiceManagerName(address);
    std::string parameters;
    try {
        parameters = ServiceAttachParameters(credentials, options.ConnectTimeoutSeconds);
    } catch (const std::length_error& error) {
        throw EFBRemoteError(TFBRemoteFailure::Other, error.what());
    }
    FBStatus status[kStatusLength] = {};
    FLibrary->Api().ServiceAttach(status, 0, name.c_str(), &FHandle, static_cast<unsigned short>(parameters.size()),
                                  parameters.data());
    if (Failed(status)) {
        FHandle = 0;
        Fail(TFBServiceStage::Attach, status);
    }
}

TFBServiceConnection::~TFBServiceConnection()
{
    if (FHandle == 0)
        return;
    FBStatus status[kStatusLength] = {};
    FLibrary->Api().ServiceDetach(status, &FHandle);
}

void TFBServiceConnection::Fail(TFBServiceStage stage, const FBStatus* status) const
{
    const TFBRemoteFailure failure = ClassifyStatus(status, stage);
    const std::string server = FormatServerAddress(FAddress);
    throw EFBRemoteError(failure, Explanation(failure, server, FUser) + "\n" + InterpretStatus(*FLibrary, status));
}

void TFBServiceConnection::Start(const std::string& actionParameters)
{
    FBStatus status[kStatusLength] = {};
    FLibrary->Api().ServiceStart(status, &FHandle, nullptr, static_cast<unsigned short>(actionParameters.size()),
                                 actionParameters.data());
    if (Failed(status))
        Fail(TFBServiceStage::Start, status);
}

void TFBServiceConnection::ReadOutput(std::string& output, const std::atomic<bool>* cancel,
                                      const TFBFetchProgress& progress)
{
    const std::string send = QueryTimeoutItems(FOptions.ReadTimeoutSeconds);
    const char receive[] = {FBService::InfoToEof};
    std::string reply(std::clamp(FOptions.ReadBufferBytes, 64U, 65535U), '\0');
    for (;;) {
        if (cancel != nullptr && cancel->load())
            throw EFBRemoteError(TFBRemoteFailure::Cancelled,
                                 Explanation(TFBRemoteFailure::Cancelled, FormatServerAddress(FAddress), FUser));
        FBStatus status[kStatusLength] = {};
        FLibrary->Api().ServiceQuery(status, &FHandle, nullptr, static_cast<unsigned short>(send.size()), send.data(),
                                     sizeof receive, receive, static_cast<unsigned short>(reply.size()), reply.data());
        if (Failed(status))
            Fail(TFBServiceStage::Read, status);
        const std::optional<TFBOutputReply> parsed = ParseOutputReply(reply);
        if (!parsed)
            throw EFBRemoteError(TFBRemoteFailure::Other,
                                 Explanation(TFBRemoteFailure::Other, FormatServerAddress(FAddress), FUser) +
                                     "\nThe server's reply could not be read.");
        output.append(parsed->Data);
        if (progress)
            progress(static_cast<std::int64_t>(output.size()));
        if (parsed->Finished)
            return;
    }
}

TFBServerAddress RequireServerAddress(const std::string& host)
{
    const std::optional<TFBServerAddress> address = ParseServerAddress(host);
    if (!address)
        throw EFBRemoteError(TFBRemoteFailure::BadAddress,
                             Quoted(host) + " is not a server address: write a host name or IP address with an "
                                            "optional port, such as db1, db1/3051 or [::1]/3050.");
    return *address;
}

std::string FetchServerLog(std::shared_ptr<const TFBClientLibrary> library, const std::string& host,
                           const TFBCredentials& credentials, const std::atomic<bool>* cancel,
                           const TFBFetchProgress& progress, const TFBFetchOptions& options)
{
    const TFBServerAddress address = RequireServerAddress(host);
    const TSignalHandlingKept signalHandling;
    TFBServiceConnection connection(std::move(library), address, credentials, options);
    connection.Start(GetLogActionParameters());
    std::string log;
    connection.ReadOutput(log, cancel, progress);
    return log;
}
