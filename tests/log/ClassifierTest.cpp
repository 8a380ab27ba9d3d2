#include "FBLogClassifier.h"
#include "FBLogSampleGenerator.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace {

// The catalogue's rule written out plainly: the first row, from the top, whose match text
// occurs in the entry.
FBLogKind KindByLinearSearch(const TFBLogDescriptor& catalogue, std::string_view text)
{
    const auto& rows = catalogue.Descriptions();
    for (std::size_t row = 0; row < rows.size(); ++row)
        if (rows[row].Matches(text))
            return static_cast<FBLogKind>(row + 1);
    return kUnknownKind;
}

void ExpectEveryKindAsTheCatalogueSays(const std::string& path, const TFBLogDescriptor& catalogue)
{
    TFBLogParser parser(path);
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);
    ASSERT_FALSE(msgs.empty());
    const FBLogKinds kinds = ClassifyEntries(parser, msgs, catalogue);
    ASSERT_EQ(kinds.size(), msgs.size());
    std::size_t known = 0;
    for (std::size_t i = 0; i < msgs.size(); ++i) {
        const std::string text = parser.ReadEntryText(msgs[i].Offset, msgs[i].Length);
        ASSERT_EQ(kinds[i], KindByLinearSearch(catalogue, text)) << "entry " << i << ":\n" << text;
        const TFBLogDescription* row = RowOfKind(catalogue, kinds[i]);
        EXPECT_EQ(row ? row->Description() : std::string(), catalogue.FindDescription(text, false));
        known += kinds[i] != kUnknownKind;
    }
    // The shipped catalogue knows what realistic logs hold.
    EXPECT_GE(known, msgs.size() * 9 / 10) << path;
}

struct ServerKind {
    FBServerVersion Version;
    FBServerPlatform Platform;
};

class ClassifierTest : public ::testing::TestWithParam<ServerKind> {};

}  // namespace

TEST_P(ClassifierTest, EveryEntryGetsTheRowTheCatalogueWouldChoose)
{
    const TFBLogDescriptor catalogue(KESTRELON_CATALOGUE);
    SampleLogOptions options;
    options.Version = GetParam().Version;
    options.Platform = GetParam().Platform;
    options.Entries = 3000;
    options.Seed = 11;
    TempFolder folder;
    ExpectEveryKindAsTheCatalogueSays(folder.Write("firebird.log", GenerateSampleLog(options).Bytes), catalogue);
}

INSTANTIATE_TEST_SUITE_P(Servers, ClassifierTest,
                         ::testing::Values(ServerKind{FBServerVersion::InterBase6, FBServerPlatform::Windows},
                                           ServerKind{FBServerVersion::Firebird15, FBServerPlatform::Linux},
                                           ServerKind{FBServerVersion::Firebird25, FBServerPlatform::Windows},
                                           ServerKind{FBServerVersion::Firebird30, FBServerPlatform::Linux},
                                           ServerKind{FBServerVersion::Firebird40, FBServerPlatform::Windows},
                                           ServerKind{FBServerVersion::Firebird50, FBServerPlatform::Linux}));

TEST(ClassifierShippedLogTest, EveryEntryOfTheSampleLogGetsItsRow)
{
    const TFBLogDescriptor catalogue(KESTRELON_CATALOGUE);
    ExpectEveryKindAsTheCatalogueSays(KESTRELON_SAMPLE_LOG, catalogue);
}

TEST(ClassifierTest, CancelledPassLeavesTheRestUnknownAndEmptyIndexIsFine)
{
    TempFolder folder;
    const TFBLogDescriptor catalogue(folder.Write("c.descr", "errno ** a network error\n"));
    SampleLogOptions options;
    options.Entries = 20000;
    const std::string path = folder.Write("firebird.log", GenerateSampleLog(options).Bytes);
    TFBLogParser parser(path);
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);

    const std::atomic<bool> cancelled(true);
    const FBLogKinds kinds = ClassifyEntries(parser, msgs, catalogue, &cancelled);
    ASSERT_EQ(kinds.size(), msgs.size());
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), kUnknownKind), static_cast<long>(msgs.size()));

    EXPECT_TRUE(ClassifyEntries(parser, FBLogsMsgs(), catalogue).empty());
    EXPECT_EQ(RowOfKind(catalogue, kUnknownKind), nullptr);
    EXPECT_EQ(RowOfKind(catalogue, 2), nullptr) << "a kind past the catalogue's rows";
    EXPECT_EQ(SeverityOfKind(catalogue, 2), TFBLogSeverity::Unknown);
}
