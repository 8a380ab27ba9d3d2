#pragma once
// Fetching a server's log through the Firebird Services API: attach to the service manager,
// start the get-log action, and read its output until the end, reporting the bytes received
// and stopping between reads when asked to. Every failure is one EFBRemoteError.

#include "FBClientLibrary.h"
#include "FBRemoteError.h"
#include "FBServiceBuffers.h"

#include <atomic>
#include <functional>
#include <string>

struct TFBFetchOptions {
    int ConnectTimeoutSeconds = 15;
    // The longest a single read waits for output, so that a cancel is seen at least this often.
    int ReadTimeoutSeconds = 1;
    // The reply buffer of each read: the most bytes one read brings (at most 65535).
    unsigned ReadBufferBytes = 32768;
};

// Receives the total of bytes received so far, after every read.
using TFBFetchProgress = std::function<void(std::int64_t received)>;

// The step of the fetch a call belongs to: the same error code means different things in each.
enum class TFBServiceStage { Attach, Start, Read };

// An attachment to a server's service manager; detached when destroyed.
class TFBServiceConnection {
public:
    // Throws EFBRemoteError.
    TFBServiceConnection(std::shared_ptr<const TFBClientLibrary> library, const TFBServerAddress& address,
                         const TFBCredentials& credentials, const TFBFetchOptions& options = {});
    ~TFBServiceConnection();
    TFBServiceConnection(const TFBServiceConnection&) = delete;
    TFBServiceConnection& operator=(const TFBServiceConnection&) = delete;

    // Starts a service action given by its parameter buffer. Throws EFBRemoteError.
    void Start(const std::string& actionParameters);
    // Reads the running action's output until it ends, appending to `output`; checks `cancel`
    // before every read. Throws EFBRemoteError (Cancelled when cancelled).
    void ReadOutput(std::string& output, const std::atomic<bool>* cancel, const TFBFetchProgress& progress);

private:
    [[noreturn]] void Fail(TFBServiceStage stage, const FBStatus* status) const;

    std::shared_ptr<const TFBClientLibrary> FLibrary;
    TFBServerAddress FAddress;
    std::string FUser;
    TFBFetchOptions FOptions;
    FBServiceHandle FHandle = 0;
};

// The address in `host`; throws EFBRemoteError (BadAddress) saying how to write one.
TFBServerAddress RequireServerAddress(const std::string& host);

// The whole log of the server at `host` (as ParseServerAddress reads it), exactly as the server
// holds it. The process's handling of SIGINT and SIGTERM is as before when it returns, whatever
// the client library set meanwhile. Throws EFBRemoteError.
std::string FetchServerLog(std::shared_ptr<const TFBClientLibrary> library, const std::string& host,
                           const TFBCredentials& credentials, const std::atomic<bool>* cancel = nullptr,
                           const TFBFetchProgress& progress = {}, const TFBFetchOptions& options = {});

// The category of a failed call's status vector, from the error codes and system error numbers
// it holds and the step that failed.
TFBRemoteFailure ClassifyStatus(const FBStatus* status, TFBServiceStage stage);
