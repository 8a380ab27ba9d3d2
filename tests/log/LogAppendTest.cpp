#include "EntryIndex.h"
#include "FBLogDateTime.h"
#include "FBLogDays.h"
#include "FBLogSampleGenerator.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct AppendCase {
    const char* Name;
    bool Windows;
    std::size_t BytesAtLoad;  // what the log holds when it is first loaded; 0: empty
    bool HeldOpen;            // the writer keeps the file open between writes, as a server may
};

class LogAppendTest : public ::testing::TestWithParam<AppendCase> {};

}  // namespace

TEST_P(LogAppendTest, AppendedEntriesJoinTheIndexAsAFreshScanFindsThem)
{
    const AppendCase& c = GetParam();
    SampleLogOptions options;
    options.Platform = c.Windows ? FBServerPlatform::Windows : FBServerPlatform::Linux;
    options.Entries = 120;
    const std::string bytes = GenerateSampleLog(options).Bytes;

    TempFolder folder;
    const std::string path = folder.Write("firebird.log", bytes.substr(0, c.BytesAtLoad));
    TFBLogParser parser(path);
    std::int64_t pos = 0;
    FBLogsMsgs index;
    parser.ScanEntriesFrom(pos, index);

    std::ofstream held;
    if (c.HeldOpen)
        held.open(path, std::ios::binary | std::ios::app);
    // Odd sizes, so that writes end inside headers, inside CR LF pairs and inside blank lines.
    const std::size_t chunks[] = {1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144, 233, 377, 7, 1, 610};
    std::size_t written = c.BytesAtLoad, splitPairs = 0;
    for (std::size_t i = 0; written < bytes.size(); ++i) {
        const std::size_t size = std::min(chunks[i % std::size(chunks)], bytes.size() - written);
        const std::string_view chunk = std::string_view(bytes).substr(written, size);
        if (c.HeldOpen)
            held.write(chunk.data(), static_cast<std::streamsize>(size)).flush();
        else
            std::ofstream(path, std::ios::binary | std::ios::app).write(chunk.data(), static_cast<std::streamsize>(size));
        written += size;
        splitPairs += bytes[written - 1] == '\r' && written < bytes.size() && bytes[written] == '\n';

        FBLogsMsgs added;
        ASSERT_TRUE(parser.ScanAppendedEntries(pos, added)) << "after " << written << " bytes";
        index.insert(index.end(), added.begin(), added.end());

        TFBLogParser fresh(path);
        FBLogsMsgs expected;
        fresh.ScanEntries(expected);
        ASSERT_EQ(EntriesOf(index), EntriesOf(expected)) << "after " << written << " bytes";
        ASSERT_EQ(pos, index.empty() ? 0 : index.back().Offset + index.back().Length);
        if (!index.empty()) {
            ASSERT_EQ(parser.LineFeedOnly(), !c.Windows);
        }
        for (const FBLogMsg& m : index) {
            const std::string_view inFile = std::string_view(bytes).substr(static_cast<std::size_t>(m.Offset), static_cast<std::size_t>(m.Length));
            ASSERT_EQ(parser.ReadEntryText(m.Offset, m.Length), inFile) << "entry at " << m.Offset << " after " << written;
            ASSERT_EQ(parser.ViewRange(m.Offset, m.Offset + m.Length), inFile) << "entry at " << m.Offset;
        }
    }
    EXPECT_GT(index.size(), 100u);
    if (c.Windows) {
        EXPECT_GT(splitPairs, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Writers, LogAppendTest,
                         ::testing::Values(AppendCase{"LFReopening", false, 1237, false},
                                           AppendCase{"CRLFReopening", true, 1237, false},
                                           AppendCase{"LFHeldOpen", false, 1237, true},
                                           AppendCase{"CRLFHeldOpen", true, 1237, true},
                                           AppendCase{"LFEmptyAtLoad", false, 0, false},
                                           AppendCase{"CRLFEmptyAtLoad", true, 0, true}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(LogAppendRewriteTest, ALogRewrittenOrShrunkMustBeLoadedAgain)
{
    TempFolder folder;
    const std::string before = WithCRLF(DatedEntry(1) + DatedEntry(2) + DatedEntry(3));
    const std::string path = folder.Write("firebird.log", before);
    TFBLogParser parser(path);
    std::int64_t pos = 0;
    FBLogsMsgs msgs;
    parser.ScanEntriesFrom(pos, msgs);
    ASSERT_EQ(pos, static_cast<std::int64_t>(before.size()));

    // Truncated and filled again, beyond the old size, with entries of other times.
    const std::string after = WithCRLF(DatedEntry(4) + DatedEntry(5) + DatedEntry(6) + DatedEntry(7));
    folder.Write("firebird.log", after);
    const std::int64_t posBefore = pos;
    EXPECT_FALSE(parser.ScanAppendedEntries(pos, msgs));
    EXPECT_TRUE(msgs.empty());
    EXPECT_EQ(pos, posBefore);

    parser.LoadFile();
    parser.ScanEntries(msgs);
    ASSERT_EQ(msgs.size(), 4u);
    EXPECT_EQ(parser.ReadEntryText(msgs[3].Offset, msgs[3].Length), WithCRLF(DatedEntry(7)));

    pos = msgs.back().Offset + msgs.back().Length;
    std::filesystem::resize_file(path, 100);
    EXPECT_FALSE(parser.ScanAppendedEntries(pos, msgs));

    // Cut back to the end of the last entry: what was indexed is still there, but the file shrank.
    folder.Write("firebird.log", before + "SRV-DB01 (Server)\tTue Nov 10 05:18");
    parser.LoadFile();
    pos = 0;
    parser.ScanEntriesFrom(pos, msgs);
    std::filesystem::resize_file(path, pos);
    EXPECT_FALSE(parser.ScanAppendedEntries(pos, msgs));
}

TEST(LogAppendRewriteTest, ALogMissingAtLoadIsReadOnceCreated)
{
    TempFolder folder;
    TFBLogParser parser(folder.PathOf("firebird.log"));
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);
    EXPECT_TRUE(msgs.empty());
    folder.Write("firebird.log", WithCRLF(DatedEntry(1) + DatedEntry(2)));
    std::int64_t pos = 0;
    ASSERT_TRUE(parser.ScanAppendedEntries(pos, msgs));
    EXPECT_EQ(msgs.size(), 2u);
    EXPECT_FALSE(parser.LineFeedOnly());
    EXPECT_EQ(pos, static_cast<std::int64_t>(2 * WithCRLF(DatedEntry(1)).size()));
}

TEST(DayCounterTest, CountsRunsOfDaysWithAnUndatedEntryEndingARun)
{
    const double tenth = *TryEncodeDateTime({2026, 11, 10, 5, 17, 37, 0});
    const double tenthLate = *TryEncodeDateTime({2026, 11, 10, 23, 59, 59, 999});
    const double eleventh = *TryEncodeDateTime({2026, 11, 11, 0, 0, 0, 0});
    TFBLogDayCounter counter;
    for (const double dateTime : {tenth, tenthLate, 0.0, tenth, eleventh, eleventh, tenth, 0.0})
        counter.Add(dateTime);
    const int d10 = DatePart(tenth), d11 = DatePart(eleventh);
    EXPECT_EQ(counter.Rows(), (std::vector<TFBLogDayCount>{{d10, 2}, {d10, 1}, {d11, 2}, {d10, 1}, {0, 2}}));
    EXPECT_EQ(counter.Total(), 8u);
}

// A header may carry any year the grammar reads, 1899 too.
TEST(DayCounterTest, CountsTheDayBeforeTheEpochAsAnyOther)
{
    const double day = *TryEncodeDateTime({1899, 12, 29, 12, 0, 0, 0});
    ASSERT_EQ(DatePart(day), -1);
    TFBLogDayCounter counter;
    counter.Add(day);
    counter.Add(day);
    EXPECT_EQ(counter.Rows(), (std::vector<TFBLogDayCount>{{-1, 2}}));
}
