#include "FBLogDateTime.h"
#include "FBLogFile.h"
#include "TempFolder.h"
#include "uFBLogParser.h"

#include <gtest/gtest.h>

#include <limits>

#include <random>

using namespace std::string_literals;

namespace {

struct Piece {
    std::int64_t Offset;
    std::int64_t Length;
    bool Dated;
    bool operator==(const Piece&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Piece& p)
{
    return out << "{" << p.Offset << ", " << p.Length << (p.Dated ? ", dated}" : ", undated}");
}

std::vector<Piece> PiecesOf(const FBLogsMsgs& msgs)
{
    std::vector<Piece> pieces;
    for (const FBLogMsg& m : msgs)
        pieces.push_back({m.Offset, m.Length, m.DateTime != 0});
    return pieces;
}

class LogParserTest : public ::testing::Test {
protected:
    // Scans the bytes as a log file and returns the index.
    FBLogsMsgs Scan(std::string_view bytes)
    {
        FParser = std::make_unique<TFBLogParser>(FFolder.Write("firebird.log", bytes));
        FBLogsMsgs msgs;
        FParser->ScanEntries(msgs);
        return msgs;
    }
    std::vector<Piece> Pieces(std::string_view bytes) { return PiecesOf(Scan(bytes)); }

    TempFolder FFolder;
    std::unique_ptr<TFBLogParser> FParser;
};

const std::string kHeaderCRLF = "DBHOST (Server)\tWed Jan 28 10:42:17 2015\r\n";  // 42 bytes
const std::string kHeaderLF = "vm\tTue Dec  8 20:50:21 2026\n";                   // 28 bytes

}  // namespace

TEST_F(LogParserTest, CutsCRLFEntriesAtBlankLinesAndCountsTheBlankLineInTheLength)
{
    const std::string line1(30, 'a'), line2(20, 'b');
    const std::string log = "\r\n" + line1 + "\r\n" + line2 + "\r\n\r\n" + "\r\n" + kHeaderCRLF + "\tmsg\r\n\r\n";
    EXPECT_EQ(Pieces(log), (std::vector<Piece>{{2, 56, false}, {60, 42 + 4 + 4, true}}));
    EXPECT_FALSE(FParser->LineFeedOnly());
    EXPECT_EQ(FParser->FileSize(), static_cast<std::int64_t>(log.size()));
    EXPECT_EQ(FParser->ReadEntryText(60, 50), kHeaderCRLF + "\tmsg\r\n\r\n");
}

TEST_F(LogParserTest, ReadsTheDateOfEachEntry)
{
    const FBLogsMsgs msgs = Scan("\n" + kHeaderLF + "\tone\n\n\nvm\tWed Dec  9 01:02:03 2026\n\ttwo\n\n");
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[0].DateTime, *TryEncodeDateTime({2026, 12, 8, 20, 50, 21, 0}));
    EXPECT_EQ(msgs[1].DateTime, *TryEncodeDateTime({2026, 12, 9, 1, 2, 3, 0}));
    EXPECT_TRUE(FParser->LineFeedOnly());
}

TEST_F(LogParserTest, OneCRLFAnywhereSelectsTheCRLFRulesForTheWholeFile)
{
    EXPECT_EQ(Pieces(kHeaderLF + "\tone\n\n" + kHeaderLF + "\ttwo\r\n"), std::vector<Piece>{});
    EXPECT_FALSE(FParser->LineFeedOnly());
    // Without any CR LF a lone CR is an ordinary byte of its entry.
    EXPECT_EQ(Pieces(kHeaderLF + "\tone\rstill one\n\n"), (std::vector<Piece>{{0, 28 + 14 + 2, true}}));
    EXPECT_TRUE(FParser->LineFeedOnly());
}

TEST_F(LogParserTest, SkipsBlankLinesBetweenEntriesAndLeavesAnUnclosedEntryOut)
{
    const std::string log = "\n\n\n" + kHeaderLF + "\tone\n\n\n\n\n" + kHeaderLF + "\tunfinished\n";
    EXPECT_EQ(Pieces(log), (std::vector<Piece>{{3, 28 + 5 + 1, true}}));

    std::int64_t pos = 0;
    FBLogsMsgs msgs;
    FParser->ScanEntriesFrom(pos, msgs);
    EXPECT_EQ(pos, 3 + 34) << "pos marks the end of the last entry indexed";

    EXPECT_EQ(Pieces(kHeaderLF + "\tnever closed"), std::vector<Piece>{});
}

TEST_F(LogParserTest, LinesEndingInCRAloneGiveNoEntries)
{
    EXPECT_EQ(Pieces("h\tTue Dec  8 20:50:21 2026\r\tone\r\r\rh\tTue Dec  8 20:50:21 2026\r\r"), std::vector<Piece>{});
}

TEST_F(LogParserTest, BlankLineInsideAMessageSplitsItAndTheRestHasNoDate)
{
    const std::string log = "\n" + kHeaderLF + "\tError in event watcher thread\n\n\tError reading data\n\n";
    EXPECT_EQ(Pieces(log), (std::vector<Piece>{{1, 28 + 31 + 1, true}, {61, 21, false}}));
}

TEST_F(LogParserTest, LinesOfBlanksOrTabsAreNotBlankLines)
{
    EXPECT_EQ(Pieces(kHeaderLF + "\tone\n \n\t\n\ttwo\n\n"), (std::vector<Piece>{{0, 28 + 5 + 2 + 2 + 5 + 1, true}}));
}

TEST_F(LogParserTest, BareLineFeedAtACRLFBoundaryStartsTheNextEntry)
{
    const std::string log = kHeaderCRLF + "\tone\r\n\r\n" + "\n" + kHeaderCRLF + "\ttwo\r\n\r\n";
    EXPECT_EQ(Pieces(log), (std::vector<Piece>{{0, 50, true}, {50, 1 + 50, true}}));
}

TEST_F(LogParserTest, CRLFStartRulesSkipPairsAndLoneCRsOnly)
{
    Scan("\r\n\r\n\rA\r\r\nB\r\n\r\n");
    ASSERT_FALSE(FParser->LineFeedOnly());
    EXPECT_EQ(FParser->FindEntryStart(0), 5);   // CR LF CR LF skipped, the lone CR too
    EXPECT_EQ(FParser->FindEntryStart(6), 7);   // a second CR in a row starts the entry
    EXPECT_EQ(FParser->FindEntryStart(-1), -1);
    EXPECT_EQ(FParser->FindEntryEnd(-5), -1);
    EXPECT_EQ(FParser->FindEntryEnd(0), 4);
    EXPECT_EQ(FParser->FindEntryEnd(1), 14);
    EXPECT_EQ(FParser->FindEntryStart(14), -1);
    EXPECT_EQ(FParser->FindEntryEnd(100), -1);
}

TEST_F(LogParserTest, MissingEmptyAndFolderNamesGiveAnEmptyIndex)
{
    for (const std::string& name : {std::string(), FFolder.PathOf("absent.log"), FFolder.PathOf("")}) {
        TFBLogParser parser(name);
        FBLogsMsgs msgs{{1, 2, 3.0}};
        EXPECT_NO_THROW(parser.ScanEntries(msgs)) << name;
        EXPECT_TRUE(msgs.empty()) << name;
        EXPECT_EQ(parser.FileSize(), 0) << name;
        EXPECT_EQ(parser.ReadEntryText(0, 10), "") << name;
    }
    EXPECT_EQ(Pieces(""), std::vector<Piece>{});
    EXPECT_EQ(FParser->LoadFile(), 0);
}

TEST_F(LogParserTest, ReadsTextBackClippedToTheData)
{
    Scan("0123456789");
    EXPECT_EQ(FParser->ReadRange(-5, 3), "012");
    EXPECT_EQ(FParser->ReadRange(8, 100), "89");
    EXPECT_EQ(FParser->ReadRange(5, 5), "");
    EXPECT_EQ(FParser->ReadRange(6, 2), "");
    EXPECT_EQ(FParser->ReadRange(-9, 0), "");
    EXPECT_EQ(FParser->ReadEntryText(7, 100), "789");
    EXPECT_EQ(FParser->ReadEntryText(10, 1), "");
    EXPECT_EQ(FParser->ReadEntryText(-1, 5), "");
    EXPECT_EQ(FParser->ReadEntryText(2, -1), "");
    EXPECT_EQ(FParser->ReadEntryText(2, INT64_MAX), "23456789");
    EXPECT_EQ(FParser->ReadEntryText(INT64_MAX, INT64_MAX), "");
    EXPECT_EQ(TFBLogParser("x").ReadRange(0, 5), "");
}

TEST_F(LogParserTest, KeepsTheBytesItLoadedUntilLoadedAgain)
{
    const std::string path = FFolder.Write("grow.log", kHeaderLF + "\tone\n\n");
    TFBLogParser parser(path);
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);
    FFolder.Write("grow.log", kHeaderLF + "\tone\n\n" + kHeaderLF + "\ttwo\n\n");
    parser.ScanEntries(msgs);
    EXPECT_EQ(msgs.size(), 1u) << "a scan reloads only when nothing is loaded";
    EXPECT_EQ(parser.LoadFile(), 2 * 34);
    parser.ScanEntries(msgs);
    EXPECT_EQ(msgs.size(), 2u);
}

TEST_F(LogParserTest, NoBlankLineInALongLineGivesNoEntry)
{
    std::string log = kHeaderLF + "\t" + std::string(10 << 20, 'x') + "\n";
    EXPECT_EQ(Pieces(log), std::vector<Piece>{});
    log += "\n";
    EXPECT_EQ(Pieces(log), (std::vector<Piece>{{0, static_cast<std::int64_t>(log.size()), true}}));
}

TEST_F(LogParserTest, UnreadableFileRaisesTheFileError)
{
#ifdef __linux__
    TFBLogParser parser("/proc/self/mem");
    FBLogsMsgs msgs;
    EXPECT_THROW(parser.ScanEntries(msgs), EFBLogFileError);
    try {
        parser.LoadFile();
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"/proc/self/mem\". Input/output error");
    }
    EXPECT_EQ(parser.FileSize(), 0);
#else
    GTEST_SKIP() << "needs a file that exists but cannot be read";
#endif
}

TEST(ScanProgressTest, CaptionShowsPositionSizeAndPercentRoundedHalfToEven)
{
    EXPECT_EQ(FormatScanProgress(300, 600), "Parsing file: 300 of 600 (50%)");
    EXPECT_EQ(FormatScanProgress(1, 8), "Parsing file: 1 of 8 (12%)");
    EXPECT_EQ(FormatScanProgress(3, 8), "Parsing file: 3 of 8 (38%)");
    EXPECT_EQ(FormatScanProgress(0, 0), "Parsing file: 0 of 0");
    EXPECT_EQ(FormatScanProgress(5'000'000'000, 5'000'000'000), "Parsing file: 5000000000 of 5000000000 (100%)");
    // 100 times these positions does not fit 64 bits.
    constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(FormatScanProgress(kLargest, kLargest),
              "Parsing file: " + std::to_string(kLargest) + " of " + std::to_string(kLargest) + " (100%)");
    EXPECT_EQ(FormatScanProgress(kLargest / 2, kLargest),
              "Parsing file: " + std::to_string(kLargest / 2) + " of " + std::to_string(kLargest) + " (50%)");
}

TEST(UnsizedFileTest, AFileThatReportsNoSizeAndNeverEndsGivesTheFileError)
{
#ifdef __linux__
    // /proc/self/pagemap reports size 0 and holds 8 bytes for every page of the address space.
    TFBLogParser parser("/proc/self/pagemap");
    FBLogsMsgs msgs;
    try {
        parser.ScanEntries(msgs);
        FAIL() << "no error";
    } catch (const EFBLogFileError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"/proc/self/pagemap\". ", 0), 0u) << e.what();
    }
#else
    GTEST_SKIP() << "needs a pseudo file that never ends";
#endif
}

TEST_F(LogParserTest, ReportsProgressPerBlockOfEntriesOnlyWhenMoreThan500msHavePassed)
{
    const std::string entry = kHeaderLF + "\tx\n\n";  // 32 bytes
    std::string log;
    for (int i = 0; i < 2500; ++i)
        log += entry;
    TFBLogParser parser(FFolder.Write("p.log", log));
    std::vector<std::string> captions;
    // The clock is read once when the scan starts, after every 1024 entries and after the last.
    const std::vector<std::int64_t> ticks = {1000, 1200, 1501, 2002};
    std::size_t tick = 0;
    parser.SetProgressSink([&](const std::string& caption) { captions.push_back(caption); },
                           [&] { return ticks.at(tick++); });
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);
    EXPECT_EQ(msgs.size(), 2500u);
    EXPECT_EQ(tick, ticks.size());
    EXPECT_EQ(captions, (std::vector<std::string>{"Parsing file: 65536 of 80000 (82%)",
                                                  "Parsing file: 80000 of 80000 (100%)"}));
}

TEST_F(LogParserTest, QuickScanChangesNoCaption)
{
    int reports = 0;
    TFBLogParser parser(FFolder.Write("q.log", kHeaderLF + "\tx\n\n"));
    parser.SetProgressSink([&](const std::string&) { ++reports; });
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);
    EXPECT_EQ(msgs.size(), 1u);
    EXPECT_EQ(reports, 0);
}
