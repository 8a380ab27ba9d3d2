// What the Services API client works out without a server: the addresses users write, the
// bytes it sends, the replies it reads, the categories of failures, and a missing library.

#include "FBServiceClient.h"

#if __has_include(<ibase.h>)
#include <ibase.h>
// The numbers written by hand must be those of Firebird's own header.
static_assert(FBService::SpbVersion2 == isc_spb_current_version && FBService::SpbUserName == isc_spb_user_name &&
              FBService::SpbPassword == isc_spb_password && FBService::SpbRoleName == isc_spb_sql_role_name &&
              FBService::SpbConnectTimeout == isc_spb_connect_timeout &&
              FBService::ActionGetLog == isc_action_svc_get_fb_log && FBService::InfoEnd == isc_info_end &&
              FBService::InfoTruncated == isc_info_truncated && FBService::InfoToEof == isc_info_svc_to_eof &&
              FBService::InfoTimeout == isc_info_svc_timeout && FBService::InfoDataNotReady == isc_info_data_not_ready);
#endif

#include <gtest/gtest.h>

using namespace std::string_literals;

TEST(ServerAddress, ReadsNamesAddressesAndPorts)
{
    const struct {
        const char* Text;
        const char* Host;
        int Port;  // 0: none
        const char* ServiceManager;
    } cases[] = {
        {"db1", "db1", 0, "db1:service_mgr"},
        {"db1/3051", "db1", 3051, "db1/3051:service_mgr"},
        {"db1.example.com/65535", "db1.example.com", 65535, "db1.example.com/65535:service_mgr"},
        {"10.0.0.5", "10.0.0.5", 0, "10.0.0.5:service_mgr"},
        {"[::1]/3050", "::1", 3050, "[::1]/3050:service_mgr"},
        {"[fe80::1%eth0]", "fe80::1%eth0", 0, "[fe80::1%eth0]:service_mgr"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        const auto address = ParseServerAddress(c.Text);
        ASSERT_TRUE(address);
        EXPECT_EQ(address->Host, c.Host);
        EXPECT_EQ(address->Port.value_or(0), c.Port);
        EXPECT_EQ(ServiceManagerName(*address), c.ServiceManager);
        EXPECT_EQ(FormatServerAddress(*address), c.Text);
    }
}

TEST(ServerAddress, RefusesWhatIsNoAddress)
{
    for (const char* text : {"", "db1/", "db1/0", "db1/65536", "db1/30x", "db1:3050", "::1", "[::1", "[]", "[db1]",
                             "[::1]3050", "[::1]:3050", "db 1", "/3050", "db1/3050/1"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseServerAddress(text));
    }
    try {
        RequireServerAddress("db1:3050");
        ADD_FAILURE() << "no error";
    } catch (const EFBRemoteError& error) {
        EXPECT_EQ(error.Failure(), TFBRemoteFailure::BadAddress);
        EXPECT_NE(std::string(error.what()).find("db1/3051"), std::string::npos) << error.what();
    }
}

TEST(ServiceBuffers, AttachBufferCarriesUserPasswordRoleAndTimeout)
{
    EXPECT_EQ(ServiceAttachParameters({"SYSDBA", "pw", ""}, 0), "\x02\x02\x1c\x06SYSDBA\x1d\x02pw"s);
    EXPECT_EQ(ServiceAttachParameters({"u", "p", "RDB$ADMIN"}, 15),
              "\x02\x02\x1c\x01u\x1d\x01p\x3c\x09RDB$ADMIN\x39\x04\x0f\x00\x00\x00"s);
    EXPECT_THROW(ServiceAttachParameters({"u", std::string(256, 'p'), ""}, 0), std::length_error);
    EXPECT_EQ(GetLogActionParameters(), "\x0c"s);
    EXPECT_EQ(QueryTimeoutItems(2), "\x40\x04\x00\x02\x00\x00\x00"s);
}

TEST(ServiceBuffers, ReadsOutputRepliesUntilTheEnd)
{
    // The data points into the reply buffer, which therefore outlives it here.
    const std::string moreBytes = "\x3f\x03\x00" "abc" "\x02\x01"s;
    const auto more = ParseOutputReply(moreBytes);
    ASSERT_TRUE(more);
    EXPECT_EQ(more->Data, "abc");
    EXPECT_FALSE(more->Finished);

    const std::string lastBytes = "\x3f\x02\x00" "\n\n" "\x01"s;
    const auto last = ParseOutputReply(lastBytes);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->Data, "\n\n");
    EXPECT_FALSE(last->Finished) << "only an empty read ends the output";

    for (const std::string& over : {"\x3f\x00\x00\x01"s, "\x01"s}) {
        const auto end = ParseOutputReply(over);
        ASSERT_TRUE(end);
        EXPECT_TRUE(end->Finished);
    }

    // A read that waited in vain is empty but not the end.
    for (const std::string& waiting : {"\x3f\x00\x00\x40\x01"s, "\x40\x3f\x00\x00\x01"s, "\x3f\x00\x00\x04\x01"s}) {
        const auto reply = ParseOutputReply(waiting);
        ASSERT_TRUE(reply);
        EXPECT_FALSE(reply->Finished);
    }
}

TEST(ServiceBuffers, RefusesRepliesOfAnotherLayout)
{
    for (const std::string& broken : {""s, "\x3f\x05\x00" "abc"s, "\x3f\x01"s, "\x3f\x00\x00"s, "\x3e\x00\x00\x01"s}) {
        SCOPED_TRACE(::testing::PrintToString(broken));
        EXPECT_FALSE(ParseOutputReply(broken));
    }
}

TEST(ServiceErrors, StatusVectorsGiveTheirCategory)
{
    // As the client library returns them (the first three were seen from Firebird 3).
    const FBStatus refused[] = {1, 335544721, 1, 335544722, 0};
    const FBStatus lookup[] = {1, 335544721, 2, 0, 1, 335544704, 0};
    const FBStatus unknownAction[] = {1, 335544792, 1, 335544814, 0};
    const FBStatus refusedWindows[] = {1, 335544721, 1, 335544722, 17, 10061, 0};
    const FBStatus timedOut[] = {1, 335544721, 1, 335544722, 17, 10060, 0};
    const FBStatus readBroken[] = {1, 335544721, 1, 335544726, 0};
    const FBStatus login[] = {1, 335544472, 0};
    const FBStatus denied[] = {1, 335544788, 0};
    EXPECT_EQ(ClassifyStatus(refused, TFBServiceStage::Attach), TFBRemoteFailure::ConnectionRefused);
    EXPECT_EQ(ClassifyStatus(refusedWindows, TFBServiceStage::Attach), TFBRemoteFailure::ConnectionRefused);
    EXPECT_EQ(ClassifyStatus(timedOut, TFBServiceStage::Attach), TFBRemoteFailure::Timeout);
    EXPECT_EQ(ClassifyStatus(lookup, TFBServiceStage::Attach), TFBRemoteFailure::HostNotFound);
    EXPECT_EQ(ClassifyStatus(unknownAction, TFBServiceStage::Start), TFBRemoteFailure::GetLogUnsupported);
    EXPECT_EQ(ClassifyStatus(unknownAction, TFBServiceStage::Attach), TFBRemoteFailure::Other);
    EXPECT_EQ(ClassifyStatus(readBroken, TFBServiceStage::Read), TFBRemoteFailure::ConnectionLost);
    EXPECT_EQ(ClassifyStatus(login, TFBServiceStage::Attach), TFBRemoteFailure::WrongCredentials);
    EXPECT_EQ(ClassifyStatus(denied, TFBServiceStage::Start), TFBRemoteFailure::NoPrivilege);
}

TEST(ClientLibrary, MissingLibrarySaysWhatToInstall)
{
    try {
        TFBClientLibrary::Load({"libkslog-no-such-client.so.9"});
        ADD_FAILURE() << "loaded a library that does not exist";
    } catch (const EFBRemoteError& error) {
        EXPECT_EQ(error.Failure(), TFBRemoteFailure::ClientLibraryMissing);
        const std::string text = error.what();
        EXPECT_NE(text.find("apt install libfbclient2"), std::string::npos) << text;
        EXPECT_NE(text.find("fbclient.dll"), std::string::npos) << text;
    }
}

TEST(ClientLibrary, LibraryWithoutTheServicesApiIsPassedOver)
{
    // The C library loads but is no Firebird client: the next name is tried.
    try {
        TFBClientLibrary::Load({"libc.so.6"});
        ADD_FAILURE() << "took the C library for a Firebird client";
    } catch (const EFBRemoteError& error) {
        EXPECT_EQ(error.Failure(), TFBRemoteFailure::ClientLibraryMissing);
        EXPECT_NE(std::string(error.what()).find("lacks the Services API"), std::string::npos) << error.what();
    }
    EXPECT_EQ(TFBClientLibrary::Load({"libc.so.6", "libfbclient.so.2"})->Name(), "libfbclient.so.2");
}
