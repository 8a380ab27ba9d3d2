#include "FBLogFile.h"
#include "TempFolder.h"
#include "uFBLogDescriptor.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::vector<std::pair<std::string, std::string>> RowsOf(const TFBLogDescriptor& catalogue)
{
    std::vector<std::pair<std::string, std::string>> rows;
    for (const TFBLogDescription& row : catalogue.Descriptions())
        rows.emplace_back(row.MatchText(), row.Description());
    return rows;
}

using Rows = std::vector<std::pair<std::string, std::string>>;

}  // namespace

TEST(DescriptionCatalogueTest, ReadsRowsCommentsAndEscapesAsWritten)
{
    TempFolder folder;
    const std::string path = folder.Write("fblvlog.descr",
                                          "; a comment ** not a row\r\n"
                                          " ;abc ** x\r\n"
                                          "abc**\n"
                                          "** x\n"
                                          "   **   \n"
                                          "no separator at all\n"
                                          "\n"
                                          "a ** b ** c\r"
                                          "  errno = 10054 \t**\t Reset.\\nSecond line\\N kept\\n \n"
                                          "abc ** First line\\nSecond line");
    const TFBLogDescriptor catalogue(path);
    EXPECT_EQ(catalogue.FileName(), path);
    EXPECT_EQ(RowsOf(catalogue), (Rows{{";abc", "x"},
                                       {"a", "b ** c"},
                                       {"errno = 10054", "Reset.\r\nSecond line\\N kept\r\n"},
                                       {"abc", "First line\r\nSecond line"}}));
}

TEST(DescriptionCatalogueTest, DescriptionEndingInEscapeEndsInLineBreak)
{
    TempFolder folder;
    const TFBLogDescriptor catalogue(folder.Write("c.descr", "abc ** ends here\\n\n"));
    ASSERT_EQ(catalogue.Descriptions().size(), 1u);
    EXPECT_EQ(catalogue.Descriptions()[0].Description(), "ends here\r\n");
}

TEST(DescriptionCatalogueTest, FirstMatchingRowWinsWithoutRegardToCase)
{
    TempFolder folder;
    const TFBLogDescriptor catalogue(folder.Write("c.descr",
                                                  "inet_error: read errno = 10054 ** specific\n"
                                                  "INET/inet_error ** general\n"
                                                  "abc ** letters\n"
                                                  "abc ** duplicate\n"));
    const std::string entry = "SRV (Server)\tWed Jan 28 10:42:17 2015\r\n\tINET/inet_error: read errno = 10054\r\n\r\n";
    EXPECT_EQ(catalogue.FindDescription(entry, false), "specific");
    EXPECT_EQ(catalogue.FindDescription("x\tinet/INET_ERROR: send errno = 10053", false), "general");
    EXPECT_EQ(catalogue.FindDescription("ABC", false), "letters");
    EXPECT_EQ(catalogue.FindDescription("nothing known", false), "");
    EXPECT_TRUE(catalogue.Descriptions()[2].Matches("xAbCx"));
    EXPECT_FALSE(catalogue.Descriptions()[2].Matches("ab c"));
}

TEST(DescriptionCatalogueTest, ClientEntriesAreSkippedOnlyWhenAsked)
{
    TempFolder folder;
    const TFBLogDescriptor catalogue(folder.Write("c.descr", "connect errno ** refused\n"));
    const std::string entry = "WS1 (CliENT)\tWed Jan 28 10:42:17 2015\n\tINET/inet_error: connect errno = 111\n\n";
    EXPECT_EQ(catalogue.FindDescription(entry, true), "");
    EXPECT_EQ(catalogue.FindDescription(entry, false), "refused");
}

TEST(DescriptionCatalogueTest, MissingEmptyOrFolderNamesGiveAnEmptyCatalogue)
{
    TempFolder folder;
    for (const std::string& name : {std::string(), folder.PathOf("absent.descr"), folder.PathOf("")}) {
        const TFBLogDescriptor catalogue(name);
        EXPECT_TRUE(catalogue.Descriptions().empty()) << name;
        EXPECT_EQ(catalogue.FindDescription("INET/inet_error", false), "") << name;
    }
}

TEST(DescriptionCatalogueTest, UnreadableFileRaisesTheFileError)
{
#ifdef __linux__
    // Reading this pseudo file from its start always fails, even for the superuser.
    try {
        TFBLogDescriptor catalogue("/proc/self/mem");
        FAIL() << "no exception";
    } catch (const EFBLogFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"/proc/self/mem\". Input/output error");
    }
#else
    GTEST_SKIP() << "needs a file that exists but cannot be read";
#endif
}

TEST(ShippedCatalogueTest, ExplainsWhatServersReallyWrite)
{
    const TFBLogDescriptor catalogue(KESTRELON_CATALOGUE);
    ASSERT_GE(catalogue.Descriptions().size(), 60u);

    const auto describe = [&](const std::string& message) {
        return catalogue.FindDescription("SRV (Server)\tWed Jan 28 10:42:17 2015\r\n\t" + message + "\r\n\r\n", false);
    };
    // Each message gets a description, and messages that differ in what they mean get
    // different ones: a specific row must not be shadowed by a general one above it.
    const std::vector<std::string> messages = {
        "INET/inet_error: read errno = 10054",
        "INET/inet_error: read errno = 104, client host = ws1, address = 10.0.0.5/50123, user = bob",
        "INET/inet_error: read errno = 10060",
        "INET/inet_error: connect errno = 10061",
        "INET/inet_error: bind errno = 10048",
        "INET/inet_error: send errno = 32",
        "INET/inet_error: select in packet_receive errno = 110",
        "INET/inet_error: invalid socket in packet_receive errno = 22",
        "Unable to complete network request to host \"db1\".\n\tError reading data from the connection.",
        "SERVER/process_packet: broken port, server exiting",
        "REMOTE INTERFACE/gds__detach: Unsuccesful detach from database. \n\tUncommitted work may have been lost.",
        "Authentication error\n\tNo matching plugins on server",
        "Sweep is started by SWEEPER\n\tDatabase \"a.fdb\" \n\tOIT 1, OAT 2, OST 2, Next 3",
        "Sweep is finished\n\tDatabase \"a.fdb\" \n\tOIT 1, OAT 2, OST 2, Next 3",
        "/opt/firebird/bin/fbguard: guardian starting /opt/firebird/bin/firebird",
        "/opt/firebird/bin/fbguard: /opt/firebird/bin/firebird terminated abnormally (-1)",
        "Database: a.fdb\n\tinternal Firebird consistency check (decompression overran buffer (179), file: sqz.cpp line: 293)",
        "Database: a.fdb\n\tdatabase file appears corrupt (a.fdb)\n\twrong page type",
        "I/O error during \"open\" operation for file \"a.fdb\"\n\tError while trying to open file",
        "Fatal lock manager error: semop failed (acquire), errno: 22",
        "activating shadow file a.shd",
        "Shutting down the server with 3 active connection(s) to 1 database(s), 0 active service(s)",
    };
    std::set<std::string> seen;
    for (const std::string& message : messages) {
        const std::string description = describe(message);
        EXPECT_FALSE(description.empty()) << message;
        EXPECT_TRUE(seen.insert(description).second) << "shares its description with another: " << message;
    }
}
