// kslog fetch run as a process against the private Firebird server: the log to standard output
// or to a new file, the password from a file or ISC_PASSWORD and never from an argument, and
// failures as "kslog: ..." with exit status 2.

#include "PrivateServer.h"

#include "KsLogProcess.h"
#include "TempFolder.h"

#include <cstdlib>

namespace {

class KsLogFetchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FServer = TPrivateServer::Get();
        unsetenv("ISC_USER");
        unsetenv("ISC_PASSWORD");
    }
    void TearDown() override { unsetenv("ISC_PASSWORD"); }

    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    TPrivateServer FServer;
    TempFolder FFolder;
};

}  // namespace

TEST_F(KsLogFetchTest, WritesTheLogToStandardOutputWithThePasswordFromTheEnvironment)
{
    setenv("ISC_PASSWORD", FServer.Password.c_str(), 1);
    const TKsLogResult result = RunKsLog({"fetch", FServer.Host()});
    EXPECT_EQ(result.Status, 0) << result.Err;
    EXPECT_TRUE(result.Out == FServer.LogBytes()) << "the output is not the server's log";
    EXPECT_EQ(result.Err, "");
}

TEST_F(KsLogFetchTest, WritesANewFileWithThePasswordFromAFileAndNeverReplacesOne)
{
    const std::string passwordFile = FFolder.Write("password", FServer.Password + "\n");
    const std::string output = FFolder.PathOf("server.log");
    TKsLogResult result = RunKsLog({"fetch", FServer.Host(), "--user", "SYSDBA", "--password-file", passwordFile,
                                    "-o", output});
    EXPECT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Out, "");
    EXPECT_TRUE(ReadFile(output) == FServer.LogBytes());

    // A file of that name is never written over, nor is anything left beside it.
    const std::string kept = FFolder.Write("kept.log", "a log of its own\n");
    result = RunKsLog({"fetch", FServer.Host(), "--password-file", passwordFile, "--output", kept});
    EXPECT_EQ(result.Status, 2);
    EXPECT_NE(result.Err.find("kslog: Cannot write"), std::string::npos) << result.Err;
    EXPECT_EQ(ReadFile(kept), "a log of its own\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(FFolder.PathOf("")), {}), 3);

    // The password from standard input, as a script pipes it.
    result = RunKsLog({"fetch", FServer.Host(), "--password-file", "-"}, FServer.Password + "\n");
    EXPECT_EQ(result.Status, 0) << result.Err;
    EXPECT_TRUE(result.Out == FServer.LogBytes());
}

TEST_F(KsLogFetchTest, FailuresAreTold)
{
    setenv("ISC_PASSWORD", "not-the-password", 1);
    TKsLogResult result = RunKsLog({"fetch", FServer.Host()});
    EXPECT_EQ(result.Status, 2);
    EXPECT_EQ(result.Out, "");
    EXPECT_TRUE(result.Err.starts_with("kslog: The server \"" + FServer.Host() + "\" did not accept")) << result.Err;

    // No password anywhere, and none taken from the command line, where ps shows it.
    unsetenv("ISC_PASSWORD");
    result = RunKsLog({"fetch", FServer.Host()});
    EXPECT_EQ(result.Status, 2);
    EXPECT_NE(result.Err.find("kslog: No password"), std::string::npos) << result.Err;
    result = RunKsLog({"fetch", FServer.Host(), "--password", FServer.Password});
    EXPECT_EQ(result.Status, 2);
    EXPECT_EQ(result.Out, "");

    result = RunKsLog({"fetch", "db1:3050"});
    EXPECT_EQ(result.Status, 2);
    EXPECT_NE(result.Err.find("is not a server address"), std::string::npos) << result.Err;
}
