// The fast paths of the scan against plain ones: the blank-line search against std::string_view's
// find, the day kept from the previous header against reading every header afresh, and the scan
// shared between threads against the scan on one thread, on generated logs and on bytes made to
// trip the rules of both line ends.

#include "EntryIndex.h"
#include "FBLogEntryBounds.h"
#include "FBLogParallel.h"
#include "FBLogSampleGenerator.h"
#include "FBLogScanRuns.h"
#include "uFBLogDescriptor.h"
#include "uFBLogParser.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <stdexcept>
#include <thread>

using namespace std::string_literals;

namespace {

// The header's date as the throwing reader gives it, by a grammar that has read nothing before.
double FreshDate(std::string_view text)
{
    try {
        return TFBLogDescriptor("").ExtractDateTime(text);
    } catch (const EFBLogWrongMessageFmt&) {
        return 0.0;
    }
}

// The index by the rules without any of the scan's shortcuts.
Entries PlainIndex(std::string_view data, bool lineFeedOnly)
{
    const std::string_view blankLine = lineFeedOnly ? "\n\n" : "\r\n\r\n";
    Entries entries;
    for (std::int64_t cur = 0;;) {
        const std::int64_t start = FindEntryStartIn(data, cur, lineFeedOnly);
        const std::size_t hit = start < 0 ? std::string_view::npos : data.find(blankLine, static_cast<std::size_t>(start));
        if (hit == std::string_view::npos)
            return entries;
        cur = static_cast<std::int64_t>(hit + blankLine.size());
        entries.push_back({start, cur - start, FreshDate(data.substr(static_cast<std::size_t>(start),
                                                                      static_cast<std::size_t>(cur - start)))});
    }
}

struct Scanned {
    Entries Index;
    std::int64_t End = 0;  // where ScanEntriesFrom left pos
    bool operator==(const Scanned&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Scanned& s)
{
    out << "end " << s.End << ", " << s.Index.size() << " entries:";
    for (const Entry& e : s.Index)
        out << " " << e;
    return out;
}

// The bytes scanned by a parser that shares the scan between `threads` threads for any size.
Scanned ScanWithThreads(std::string_view bytes, unsigned threads)
{
    TFBLogParser parser("");
    parser.SetScanThreads(threads, 0);
    parser.LoadBytes(bytes);
    Scanned scanned;
    FBLogsMsgs msgs;
    parser.ScanEntriesFrom(scanned.End, msgs);
    scanned.Index = EntriesOf(msgs);
    return scanned;
}

// Bytes of a log gone wrong: line ends of both kinds in any order, lone CRs, NULs, and now and
// then a header whose date may be read.
std::string AdversarialBytes(std::mt19937& random, std::size_t length)
{
    static const std::string kAlphabet = "\r\n\r\n\r\n\na\t \0"s;
    static const std::string kHeaders[] = {"SRV\tTue Nov 10 05:17:09 2026", "SRV\tTue Nov 10 05:17:10 2026",
                                           "h\tWed Feb 29 00:00:00 2023", "h\tMon Jan  1 23:59:59 2024"};
    std::string bytes;
    while (bytes.size() < length) {
        if (random() % 16 == 0)
            bytes += kHeaders[random() % std::size(kHeaders)];
        else
            bytes += kAlphabet[random() % kAlphabet.size()];
    }
    return bytes;
}

std::string GeneratedLog(FBServerPlatform platform, std::int64_t entries)
{
    SampleLogOptions options;
    options.Platform = platform;
    options.Entries = entries;
    options.MeanSecondsBetween = 20;
    return GenerateSampleLog(options).Bytes;
}

}  // namespace

TEST(BlankLineSearchTest, EndsEachEntryWhereAPlainSearchFindsTheBlankLine)
{
    // Every start position of many lengths, so that the blank line falls at each place of the
    // 16-byte steps, across two of them, and in the bytes left after the last whole step.
    std::mt19937 random(7);
    for (int round = 0; round < 400; ++round) {
        const std::size_t length = round < 200 ? static_cast<std::size_t>(round % 70) : 16 + random() % 400;
        std::string bytes;
        for (std::size_t i = 0; i < length; ++i)
            bytes += "\r\n\r\nab"[random() % (round % 2 == 0 ? 4 : 6)];
        for (const bool lineFeedOnly : {true, false}) {
            const std::string_view blankLine = lineFeedOnly ? "\n\n" : "\r\n\r\n";
            for (std::size_t from = 0; from <= bytes.size(); ++from) {
                const std::size_t hit = std::string_view(bytes).find(blankLine, from);
                const std::int64_t expected =
                    hit == std::string_view::npos || from == bytes.size() ? -1 : static_cast<std::int64_t>(hit + blankLine.size());
                ASSERT_EQ(FindEntryEndIn(bytes, static_cast<std::int64_t>(from), lineFeedOnly), expected)
                    << "from " << from << " in " << ::testing::PrintToString(bytes);
            }
        }
    }
}

TEST(BlankLineSearchTest, ACRLFPairIsFoundOnAllCoresWhereverItLies)
{
    // A single pair, or a lone CR, on and beside the borders of the parts and chunks searched.
    constexpr std::size_t kSize = (std::size_t{3} << 20) + 17;
    constexpr std::size_t kStride = std::size_t{256} << 10;
    std::string bytes(kSize, 'a');
    EXPECT_FALSE(HoldsCRLFOnAllCores(bytes));
    for (std::size_t border = 0; border <= kSize; border += kStride)
        for (const std::size_t at : {border, border + 1, border + kStride / 2}) {
            for (const std::size_t pair : {at - 2, at - 1, at}) {
                if (pair > kSize - 2)
                    continue;
                bytes.replace(pair, 2, "\r\n");
                ASSERT_TRUE(HoldsCRLFOnAllCores(bytes)) << pair;
                bytes.replace(pair, 2, "\ra");
                ASSERT_FALSE(HoldsCRLFOnAllCores(bytes)) << pair;
                bytes.replace(pair, 2, "aa");
            }
        }
    EXPECT_TRUE(HoldsCRLFOnAllCores(bytes.substr(0, kSize - 2) + "\r\n"));
}

TEST(HeaderDayTest, TheDayKeptFromThePreviousHeaderGivesWhatAFreshReadGives)
{
    // Headers that mostly share their date fields with the one before: each round sets one field
    // to a value that may be valid or not, signed, padded or no number, and now and then the
    // header is cut short. The month last found also stays as a fresh read leaves it.
    struct Field {
        std::size_t Offset;  // from the TAB
        std::vector<std::string> Values;
    };
    const Field fields[] = {
        {5, {"Jan", "Feb", "Mar", "Dec", "Fob", "feb"}},
        {9, {"29", "28", " 1", "31", "30", "00", "-1", "+2", "x1"}},
        {12, {"23", "00", "24", "-0", " 7"}},
        {15, {"59", "00", "60", " 5"}},
        {18, {"59", "00", "60", "+5"}},
        {21, {"2024", "2023", "2000", "1900", "1899", "0000", "9999", " 999", "-204"}},
    };
    std::mt19937 random(11);
    std::string header = "SRV\tThu Feb 29 23:59:59 2024\n\tmessage\n\n";
    TFBLogDescriptor kept("");
    TFBLogDescriptor reference("");
    for (int round = 0; round < 5000; ++round) {
        const Field& field = fields[random() % std::size(fields)];
        const std::string& value = field.Values[random() % field.Values.size()];
        header.replace(3 + field.Offset, value.size(), value);
        const std::string text = random() % 10 == 0 ? header.substr(0, random() % header.size()) : header;
        double expected = 0.0;
        try {
            expected = reference.ExtractDateTime(text);
        } catch (const EFBLogWrongMessageFmt&) {
        }
        ASSERT_EQ(kept.TryExtractDateTime(text), expected) << ::testing::PrintToString(text);
        ASSERT_EQ(kept.LastMonth(), reference.LastMonth()) << ::testing::PrintToString(text);
    }
}

TEST(ScanSplitTest, GeneratedLogsGiveTheSameIndexOnAnyNumberOfThreads)
{
    for (const FBServerPlatform platform : {FBServerPlatform::Linux, FBServerPlatform::Windows}) {
        const std::string bytes = GeneratedLog(platform, 4000);
        const Scanned alone = ScanWithThreads(bytes, 1);
        ASSERT_EQ(alone.Index, PlainIndex(bytes, platform == FBServerPlatform::Linux));
        ASSERT_GT(alone.Index.size(), 3900u);
        for (const unsigned threads : {2u, 3u, 4u, 7u})
            ASSERT_EQ(ScanWithThreads(bytes, threads), alone) << threads << " threads";
    }
}

TEST(ScanSplitTest, CutsNextToEveryLineEndGiveTheSameIndex)
{
    // Short bytes split into up to as many runs as they have bytes, so that the nominal cuts fall
    // on and beside every CR and LF.
    const std::string cases[] = {"\r\n\r\n\r\n\r\na\r\n\r\n", "a\r\r\n\r\n\r\nb\r\n\r\n", "\n\n\n\na\n\nb\n\n\n",
                                 "a\r\n\r\n\n\nb\r\n\r\n\r\r\n\r\nc", "\r\ra\r\n\r\n\r\rb\r\n\r\n\r", "a\n\r\n\r\nb\r\n"};
    for (const std::string& bytes : cases) {
        const Scanned alone = ScanWithThreads(bytes, 1);
        ASSERT_EQ(alone.Index, PlainIndex(bytes, !HoldsCRLF(bytes))) << ::testing::PrintToString(bytes);
        for (unsigned threads = 2; threads <= bytes.size() + 1; ++threads)
            ASSERT_EQ(ScanWithThreads(bytes, threads), alone) << threads << " threads, " << ::testing::PrintToString(bytes);
    }
}

TEST(ScanSplitTest, AdversarialBytesGiveThePlainIndexOnAnyNumberOfThreads)
{
    std::mt19937 random(2026);
    for (int round = 0; round < 400; ++round) {
        const std::size_t length = round < 100 ? static_cast<std::size_t>(round) : random() % 3000;
        std::string bytes = AdversarialBytes(random, length);
        // Half of them without a single CR LF, so that the LF rules apply.
        if (round % 2 == 1)
            std::erase(bytes, '\r');
        const Scanned alone = ScanWithThreads(bytes, 1);
        ASSERT_EQ(alone.Index, PlainIndex(bytes, !HoldsCRLF(bytes))) << ::testing::PrintToString(bytes);
        const unsigned threads = 2 + static_cast<unsigned>(random() % 9);
        ASSERT_EQ(ScanWithThreads(bytes, threads), alone) << threads << " threads, " << ::testing::PrintToString(bytes);
    }
}

TEST(ScanSplitTest, AScanFromAPositionIsSharedAsTheWholeScanIs)
{
    // An append read as a segment of its own starts at an entry's end, not at 0.
    const std::string bytes = GeneratedLog(FBServerPlatform::Windows, 2000);
    for (const unsigned threads : {1u, 3u}) {
        TFBLogParser parser("");
        parser.LoadBytes(bytes);
        parser.SetScanThreads(threads, 0);
        FBLogsMsgs whole;
        parser.ScanEntries(whole);
        std::int64_t pos = whole[700].Offset;
        FBLogsMsgs rest;
        parser.ScanEntriesFrom(pos, rest);
        const Entries all = EntriesOf(whole);
        EXPECT_EQ(EntriesOf(rest), Entries(all.begin() + 700, all.end())) << threads;
        EXPECT_EQ(pos, whole.back().Offset + whole.back().Length);
    }
}

TEST(ScanSplitTest, ReportsProgressOnTheCallingThreadOnly)
{
    const std::string bytes = GeneratedLog(FBServerPlatform::Linux, 20000);
    TFBLogParser parser("");
    parser.LoadBytes(bytes);
    parser.SetScanThreads(4, 0);
    std::vector<std::string> captions;
    std::int64_t now = 0;
    const std::thread::id caller = std::this_thread::get_id();
    bool elsewhere = false;
    parser.SetProgressSink(
        [&](const std::string& caption) {
            elsewhere = elsewhere || std::this_thread::get_id() != caller;
            captions.push_back(caption);
        },
        [&] { return now += 1000; });
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);
    EXPECT_FALSE(elsewhere);
    ASSERT_GE(captions.size(), 2u);
    EXPECT_EQ(captions.back(), FormatScanProgress(msgs.back().Offset + msgs.back().Length,
                                                  static_cast<std::int64_t>(bytes.size())));
}

TEST(ParallelPartsTest, AnErrorInAnyPartReachesTheCallerOnceAllPartsHaveEnded)
{
    // Each part fails in turn, the caller's own among them; the others still run to their end.
    const std::size_t count = 4096;
    for (std::size_t failing = 0; failing < count; failing += 1024) {
        std::atomic<std::size_t> done{0};
        EXPECT_THROW(ForEachPartInParallel(count, 64,
                                           [&](std::size_t first, std::size_t last) {
                                               if (failing >= first && failing < last)
                                                   throw std::runtime_error("part failed");
                                               done += last - first;
                                           }),
                     std::runtime_error);
        EXPECT_LT(done.load(), count);
    }
}
