// The Services API client against the private Firebird server: the fetched log is the server's
// log file byte for byte and indexes alike, and each failure a user can meet comes back as its
// own category with the server's words.

#include "PrivateServer.h"

#include "uFBLogParser.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class RemoteServerTest : public ::testing::Test {
protected:
    void SetUp() override { FServer = TPrivateServer::Get(); }

    TFBRemoteFailure FailureOf(const std::string& host, const TFBCredentials& credentials,
                               std::string* text = nullptr)
    {
        try {
            FetchServerLog(Library(), host, credentials);
        } catch (const EFBRemoteError& error) {
            if (text != nullptr)
                *text = error.what();
            return error.Failure();
        }
        ADD_FAILURE() << "the fetch from " << host << " succeeded";
        return TFBRemoteFailure::Other;
    }

    static std::shared_ptr<const TFBClientLibrary> Library()
    {
        static const auto library = TFBClientLibrary::Load();
        return library;
    }

    static FBLogsMsgs IndexOf(TFBLogParser& parser)
    {
        FBLogsMsgs msgs;
        parser.ScanEntries(msgs);
        return msgs;
    }

    TPrivateServer FServer;
};

// A port on the loopback address that nothing listens on: bound, then let go.
std::string ClosedPort()
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    return std::to_string(ntohs(address.sin_port));
}

bool SameEntries(const FBLogsMsgs& a, const FBLogsMsgs& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const FBLogMsg& x, const FBLogMsg& y) {
               return x.Offset == y.Offset && x.Length == y.Length && x.DateTime == y.DateTime;
           });
}

}  // namespace

TEST_F(RemoteServerTest, FetchedLogIsTheServersFileByteForByte)
{
    std::vector<std::int64_t> progress;
    TFBFetchOptions options;
    options.ReadBufferBytes = 1024;  // many reads, as a large log over a slow line would take
    const std::string fetched = FetchServerLog(Library(), FServer.Host(), FServer.Sysdba(), nullptr,
                                               [&](std::int64_t bytes) { progress.push_back(bytes); }, options);
    const std::string file = FServer.LogBytes();
    ASSERT_EQ(fetched.size(), file.size());
    EXPECT_TRUE(fetched == file) << "same size, other bytes";
    // The entries the fixture made the server write are there.
    for (const char* text : {"Validation finished", "Sweep is finished"})
        EXPECT_NE(fetched.find(text), std::string::npos) << text;
    ASSERT_GE(progress.size(), file.size() / 1024);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), static_cast<std::int64_t>(file.size()));

    TFBLogParser fromBytes("");
    fromBytes.LoadBytes(fetched);
    TFBLogParser fromFile(FServer.LogFile);
    const FBLogsMsgs fetchedIndex = IndexOf(fromBytes);
    EXPECT_GT(fetchedIndex.size(), 40U);
    EXPECT_TRUE(SameEntries(fetchedIndex, IndexOf(fromFile)));
}

TEST_F(RemoteServerTest, WrongPasswordAndUnprivilegedUserAreTold)
{
    std::string text;
    EXPECT_EQ(FailureOf(FServer.Host(), {"SYSDBA", FServer.Password + "x", ""}, &text),
              TFBRemoteFailure::WrongCredentials);
    EXPECT_NE(text.find("did not accept the user name \"SYSDBA\""), std::string::npos) << text;
    EXPECT_NE(text.find("user name and password are not defined"), std::string::npos) << "the server's words: " << text;

    EXPECT_EQ(FailureOf(FServer.Host(), {"KSLOG_VIEWER", "viewer1", ""}, &text), TFBRemoteFailure::NoPrivilege);
    EXPECT_NE(text.find("KSLOG_VIEWER"), std::string::npos) << text;
    EXPECT_NE(text.find("only to SYSDBA"), std::string::npos) << text;
}

TEST_F(RemoteServerTest, ClosedPortAndUnknownHostAreTold)
{
    std::string text;
    EXPECT_EQ(FailureOf("127.0.0.1/" + ClosedPort(), FServer.Sysdba(), &text), TFBRemoteFailure::ConnectionRefused);
    EXPECT_NE(text.find("refused the connection"), std::string::npos) << text;
    // .invalid never resolves (RFC 6761), with or without a name server.
    EXPECT_EQ(FailureOf("kslog-test.invalid/" + FServer.Port, FServer.Sysdba(), &text), TFBRemoteFailure::HostNotFound);
    EXPECT_NE(text.find("kslog-test.invalid"), std::string::npos) << text;
}

TEST_F(RemoteServerTest, CancelBetweenReadsStopsTheFetchAndTheServerServesTheNext)
{
    std::atomic<bool> cancel{false};
    int reads = 0;
    TFBFetchOptions options;
    options.ReadBufferBytes = 512;
    try {
        FetchServerLog(Library(), FServer.Host(), FServer.Sysdba(), &cancel,
                       [&](std::int64_t) {
                           if (++reads == 2)
                               cancel = true;
                       },
                       options);
        ADD_FAILURE() << "the fetch ran to its end";
    } catch (const EFBRemoteError& error) {
        EXPECT_EQ(error.Failure(), TFBRemoteFailure::Cancelled);
    }
    EXPECT_EQ(reads, 2) << "no read after the cancel";
    EXPECT_EQ(FetchServerLog(Library(), FServer.Host(), FServer.Sysdba()), FServer.LogBytes());
}

TEST_F(RemoteServerTest, ServerWithoutAnActionSaysSo)
{
    // The answer of a server to an action it does not have, as older servers give for get-log.
    const auto address = ParseServerAddress(FServer.Host());
    TFBServiceConnection connection(Library(), *address, FServer.Sysdba());
    try {
        connection.Start(std::string(1, '\xC8'));
        ADD_FAILURE() << "the server started action 200";
    } catch (const EFBRemoteError& error) {
        EXPECT_EQ(error.Failure(), TFBRemoteFailure::GetLogUnsupported);
        EXPECT_NE(std::string(error.what()).find("does not hand out its log"), std::string::npos) << error.what();
    }
}

TEST_F(RemoteServerTest, ProcessKeepsItsSignalHandlingThroughFetches)
{
    // The client library's first call takes SIGINT and SIGTERM over, so that they no longer end
    // the process; each fetch, failed or not, gives them back.
    const auto handlers = [] {
        struct sigaction interrupt = {}, terminate = {};
        sigaction(SIGINT, nullptr, &interrupt);
        sigaction(SIGTERM, nullptr, &terminate);
        return std::pair(interrupt.sa_handler, terminate.sa_handler);
    };
    const auto before = handlers();
    EXPECT_THROW(FetchServerLog(Library(), "127.0.0.1/" + ClosedPort(), FServer.Sysdba()), EFBRemoteError);
    EXPECT_EQ(handlers(), before);
    FetchServerLog(Library(), FServer.Host(), FServer.Sysdba());
    EXPECT_EQ(handlers(), before);
}
