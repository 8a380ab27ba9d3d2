// Logs as real servers of each version and platform write them scan into exactly the entries
// the generator wrote, with their dates.

#include "FBLogSampleGenerator.h"
#include "TempFolder.h"
#include "uFBLogDescriptor.h"
#include "uFBLogParser.h"

#include <gtest/gtest.h>

namespace {

struct ServerKind {
    FBServerVersion Version;
    FBServerPlatform Platform;
};

std::string NameOf(const ServerKind& kind)
{
    static const char* const kVersions[] = {"InterBase6", "Firebird15", "Firebird25",
                                            "Firebird30", "Firebird40", "Firebird50"};
    return std::string(kVersions[static_cast<int>(kind.Version)]) +
           (kind.Platform == FBServerPlatform::Windows ? "Windows" : "Linux");
}

void PrintTo(const ServerKind& kind, std::ostream* out)
{
    *out << NameOf(kind);
}

class SampleLogScanTest : public ::testing::TestWithParam<ServerKind> {};

}  // namespace

TEST_P(SampleLogScanTest, FindsEveryEntryWithItsDate)
{
    SampleLogOptions options;
    options.Version = GetParam().Version;
    options.Platform = GetParam().Platform;
    options.Entries = 3000;
    options.Seed = 42 + static_cast<std::uint64_t>(options.Version);
    const SampleLog log = GenerateSampleLog(options);

    TempFolder folder;
    TFBLogParser parser(folder.Write("firebird.log", log.Bytes));
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);

    EXPECT_EQ(parser.LineFeedOnly(), options.Platform == FBServerPlatform::Linux);
    ASSERT_EQ(msgs.size(), log.ExpectedDateTimes.size());
    std::size_t undated = 0;
    for (std::size_t i = 0; i < msgs.size(); ++i) {
        ASSERT_EQ(msgs[i].DateTime, log.ExpectedDateTimes[i]) << "entry " << i << ":\n"
                                                              << parser.ReadEntryText(msgs[i].Offset, msgs[i].Length);
        undated += msgs[i].DateTime == 0;
    }
    EXPECT_GT(undated, 0u) << "the generator writes some pieces without a readable header";
    EXPECT_LT(undated, msgs.size() / 50);

    // Every dated entry splits into a source and a message.
    const TFBLogDescriptor grammar("");
    for (const FBLogMsg& m : msgs) {
        if (m.DateTime == 0)
            continue;
        const std::string text = parser.ReadEntryText(m.Offset, m.Length);
        EXPECT_FALSE(grammar.ExtractSource(text).empty());
        EXPECT_FALSE(grammar.ExtractMessage(text).empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Servers, SampleLogScanTest,
    ::testing::Values(ServerKind{FBServerVersion::InterBase6, FBServerPlatform::Windows},
                      ServerKind{FBServerVersion::Firebird15, FBServerPlatform::Linux},
                      ServerKind{FBServerVersion::Firebird25, FBServerPlatform::Windows},
                      ServerKind{FBServerVersion::Firebird25, FBServerPlatform::Linux},
                      ServerKind{FBServerVersion::Firebird30, FBServerPlatform::Windows},
                      ServerKind{FBServerVersion::Firebird30, FBServerPlatform::Linux},
                      ServerKind{FBServerVersion::Firebird40, FBServerPlatform::Windows},
                      ServerKind{FBServerVersion::Firebird50, FBServerPlatform::Linux}),
    [](const ::testing::TestParamInfo<ServerKind>& info) { return NameOf(info.param); });

TEST(SampleLogTest, WritesTheHeaderAsEachServerDoes)
{
    SampleLogOptions options;
    options.Entries = 200;
    options.UnreadablePieces = false;
    options.Start = {2026, 12, 1, 8, 0, 0, 0};
    options.MeanSecondsBetween = 60;

    options.Version = FBServerVersion::Firebird25;
    options.Platform = FBServerPlatform::Windows;
    options.Host = "SRV2008";
    std::string bytes = GenerateSampleLog(options).Bytes;
    EXPECT_EQ(bytes.rfind("\r\nSRV2008", 0), 0u) << "2.5 begins each entry with an empty line";
    EXPECT_NE(bytes.find("\tTue Dec 01 "), std::string::npos) << "old Windows runtimes pad the day with a zero";
    EXPECT_NE(bytes.find("SRV2008 (Server)\t"), std::string::npos);
    EXPECT_NE(bytes.find("SRV2008 (Client)\t"), std::string::npos);

    options.Version = FBServerVersion::Firebird50;
    options.Platform = FBServerPlatform::Linux;
    options.Host = "vm";
    bytes = GenerateSampleLog(options).Bytes;
    EXPECT_EQ(bytes.rfind("\nvm\tTue Dec  1 08:", 0), 0u) << "glibc pads the day with a blank";
    EXPECT_EQ(bytes.find("(Server)"), std::string::npos) << "3.0 and later write no marker";
    EXPECT_EQ(bytes.find('\r'), std::string::npos);

    options.Version = FBServerVersion::Firebird15;
    EXPECT_EQ(GenerateSampleLog(options).Bytes.rfind("vm", 0), 0u) << "1.5 writes no leading empty line";
}

TEST(ShippedSampleLogTest, ScansIntoAFewHundredDatedEntries)
{
    TFBLogParser parser(KESTRELON_SAMPLE_LOG);
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);
    ASSERT_GE(msgs.size(), 200u);
    std::size_t dated = 0;
    for (const FBLogMsg& m : msgs)
        dated += m.DateTime != 0;
    EXPECT_GE(dated, msgs.size() * 95 / 100);
}
