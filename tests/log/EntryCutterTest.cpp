#include "EntryIndex.h"
#include "FBLogSampleGenerator.h"
#include "FBLogStream.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace {

// The index a scan of the whole file gives, and the line-end rules it chose.
Entries ScanOf(const std::string& path, bool& lineFeedOnly)
{
    TFBLogParser parser(path);
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);
    lineFeedOnly = parser.LineFeedOnly();
    return EntriesOf(msgs);
}

// Cuts the bytes handed over in pieces ending at `ends` (the last runs to the end). Each text
// handed on must be the log's own bytes, and the cutter must know where the last entry ended.
Entries CutInPieces(std::string_view bytes, std::optional<bool> lineFeedOnly, const std::vector<std::size_t>& ends)
{
    TFBLogEntryCutter cutter(lineFeedOnly);
    FBLogsMsgs msgs;
    std::size_t wrongTexts = 0, from = 0;
    auto onEntry = [&](const FBLogMsg& msg, std::string_view text) {
        msgs.push_back(msg);
        wrongTexts += text != bytes.substr(static_cast<std::size_t>(msg.Offset), static_cast<std::size_t>(msg.Length));
    };
    for (std::size_t i = 0; i <= ends.size(); ++i) {
        const std::size_t to = i < ends.size() ? std::min(ends[i], bytes.size()) : bytes.size();
        // More room than is written, as a reader asks for a whole block and gets less.
        const std::span<char> room = cutter.Room(to - from + 17);
        bytes.substr(from, to - from).copy(room.data(), to - from);
        cutter.Cut(to - from, onEntry);
        from = to;
    }
    EXPECT_EQ(wrongTexts, 0u);
    EXPECT_EQ(cutter.BytesEnd(), static_cast<std::int64_t>(bytes.size()));
    EXPECT_EQ(cutter.EntriesEnd(), msgs.empty() ? 0 : msgs.back().Offset + msgs.back().Length);
    return EntriesOf(msgs);
}

Entries CutInBlocks(std::string_view bytes, std::optional<bool> lineFeedOnly, std::size_t blockSize)
{
    std::vector<std::size_t> ends;
    for (std::size_t end = blockSize; end < bytes.size(); end += blockSize)
        ends.push_back(end);
    return CutInPieces(bytes, lineFeedOnly, ends);
}

// StreamEntries and StreamEntryBatches over the real file, in blocks of kStreamBlockSize.
void ExpectStreamedAsScanned(const std::string& path, const Entries& scanned, std::optional<bool> lineFeedOnly)
{
    FBLogsMsgs streamed, batched;
    TFBLogFileReader file(path), again(path);
    StreamEntries(file, lineFeedOnly, [&](const FBLogMsg& msg, std::string_view) { streamed.push_back(msg); });
    StreamEntryBatches(again, lineFeedOnly, nullptr, [&](TFBLogEntryBatch& batch) {
        batched.insert(batched.end(), batch.Msgs.begin(), batch.Msgs.end());
    });
    EXPECT_EQ(EntriesOf(streamed), scanned);
    EXPECT_EQ(EntriesOf(batched), scanned);
}

struct CutCase {
    std::string Name;
    std::string Bytes;
};

std::vector<CutCase> CutCases()
{
    const std::string e1 = DatedEntry(1), e2 = DatedEntry(2), e3 = DatedEntry(3);
    const std::string header = "SRV-DB01 (Server)\tTue Nov 10 05:18:00 2026\n";
    std::vector<CutCase> cases;
    for (const CutCase& shape : std::vector<CutCase>{{"ThreeEntries", e1 + e2 + e3},
                                                     {"RunsOfBlankLines", e1 + "\n" + e2 + "\n\n\n\n" + e3 + "\n\n"},
                                                     {"LeadingBlankLines", "\n\n\n" + e1 + e2},
                                                     {"NoClosingBlankLine", e1 + e2 + header + "\tunfinished"},
                                                     {"EndsAfterOneLineEnd", e1 + header + "\tmessage\n"},
                                                     {"UndatedPiece", e1 + "\tno header on this one\n\n" + e2}}) {
        cases.push_back({shape.Name + "LF", shape.Bytes});
        cases.push_back({shape.Name + "CRLF", WithCRLF(shape.Bytes)});
    }
    const std::string c1 = WithCRLF(e1), c2 = WithCRLF(e2), c3 = WithCRLF(e3), headerCRLF = WithCRLF(header);
    // A bare LF inside an entry is an ordinary byte; between entries it starts one.
    cases.push_back({"BareLFInCRLF", c1 + "\n" + c2 + headerCRLF + "\tone\ntwo\r\n\r\n" + c3});
    // A lone CR before an entry is skipped, two in a row start one, one at the very end waits.
    cases.push_back({"LoneCRInCRLF", c1 + "\r" + c2 + "\r\r\n" + c3 + "\r\n\r" + c1 + "\r"});
    cases.push_back({"LoneCRInLF", e1 + "\r" + e2 + header + "\tcarriage\rreturn\n\n\r"});
    return cases;
}

class EntryCutterTest : public ::testing::TestWithParam<CutCase> {};

}  // namespace

// Every block size and every split into two pieces: this covers a CR LF pair split between
// blocks and CR LF CR LF split at each of its inner points, wherever they lie.
TEST_P(EntryCutterTest, CutsAsTheWholeFileScanAtEveryBlockSizeAndSplit)
{
    const std::string& bytes = GetParam().Bytes;
    TempFolder folder;
    const std::string path = folder.Write("firebird.log", bytes);
    bool lineFeedOnly = false;
    const Entries scanned = ScanOf(path, lineFeedOnly);
    ASSERT_FALSE(scanned.empty());
    for (std::size_t block = 1; block <= bytes.size() + 1; ++block) {
        ASSERT_EQ(CutInBlocks(bytes, lineFeedOnly, block), scanned) << "blocks of " << block;
        // These logs decide their rules at their first line end, as the scan does.
        ASSERT_EQ(CutInBlocks(bytes, std::nullopt, block), scanned) << "undecided, blocks of " << block;
    }
    for (std::size_t split = 0; split <= bytes.size(); ++split)
        ASSERT_EQ(CutInPieces(bytes, lineFeedOnly, {split}), scanned) << "split at " << split;
    ExpectStreamedAsScanned(path, scanned, lineFeedOnly);
    ExpectStreamedAsScanned(path, scanned, std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Logs, EntryCutterTest, ::testing::ValuesIn(CutCases()),
                         [](const auto& info) { return info.param.Name; });

class EntryCutterLargeTest : public ::testing::TestWithParam<bool> {
protected:
    static std::string Log(std::string_view lf) { return GetParam() ? WithCRLF(lf) : std::string(lf); }
    static void ExpectCutAsScanned(const std::string& bytes, std::initializer_list<std::size_t> blocks)
    {
        TempFolder folder;
        const std::string path = folder.Write("firebird.log", bytes);
        bool lineFeedOnly = false;
        const Entries scanned = ScanOf(path, lineFeedOnly);
        ASSERT_EQ(lineFeedOnly, !GetParam());
        ASSERT_GE(scanned.size(), 2u);
        for (const std::size_t block : blocks) {
            EXPECT_EQ(CutInBlocks(bytes, lineFeedOnly, block), scanned) << "blocks of " << block;
            EXPECT_EQ(CutInBlocks(bytes, std::nullopt, block), scanned) << "undecided, blocks of " << block;
        }
        ExpectStreamedAsScanned(path, scanned, lineFeedOnly);
    }
};

TEST_P(EntryCutterLargeTest, HugeEntrySpanningManyBlocks)
{
    std::string huge = "SRV-DB01 (Server)\tTue Nov 10 05:17:30 2026\n";
    while (huge.size() < (9u << 20))
        huge += "\tConnection lost, statement: select * from RDB$RELATIONS where 1 = 1\n";
    ExpectCutAsScanned(Log(DatedEntry(1) + huge + "\n" + DatedEntry(2)), {65536, 65537, (1u << 20) + 3});
}

TEST_P(EntryCutterLargeTest, HundredThousandBlankLines)
{
    const std::string blank(100000, '\n');
    ExpectCutAsScanned(Log(blank + DatedEntry(1) + blank + DatedEntry(2) + blank), {1, 3, 4096});
}

TEST_P(EntryCutterLargeTest, GeneratedLog)
{
    SampleLogOptions options;
    options.Entries = 400;
    options.Platform = GetParam() ? FBServerPlatform::Windows : FBServerPlatform::Linux;
    ExpectCutAsScanned(GenerateSampleLog(options).Bytes, {1, 2, 3, 5, 7, 13, 64, 509, 4096, 1u << 20});
}

INSTANTIATE_TEST_SUITE_P(LineEnds, EntryCutterLargeTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "CRLF" : "LF"; });

// Without given rules the bytes decide: whichever of a CR LF and a blank line of LF LF comes
// first, however the bytes are split into blocks.
TEST(EntryCutterUndecidedTest, FirstOfCRLFAndLFLFDecides)
{
    const std::string lf = "H\tone\n\n", crlf = "H\ttwo\r\n\r\n", tail = "H\tthree\r\n\r\n";
    const auto n = [](const std::string& s) { return static_cast<std::int64_t>(s.size()); };
    const std::string lfFirst = lf + crlf + tail, crlfFirst = crlf + lf + tail;
    for (std::size_t block = 1; block <= lfFirst.size() + 1; ++block) {
        EXPECT_EQ(CutInBlocks(lfFirst, std::nullopt, block), (Entries{{0, n(lf), 0}})) << "blocks of " << block;
        EXPECT_EQ(CutInBlocks(crlfFirst, std::nullopt, block), (Entries{{0, n(crlf), 0}, {n(crlf), n(lf + tail), 0}}))
            << "blocks of " << block;
    }
    TFBLogEntryCutter cutter;
    cutter.Feed("H\tone\r", [](const FBLogMsg&, std::string_view) {});
    EXPECT_FALSE(cutter.LineFeedOnly().has_value());
    cutter.Feed("\n", [](const FBLogMsg&, std::string_view) {});
    EXPECT_EQ(cutter.LineFeedOnly(), std::optional<bool>(false));
}

// An LF-only log but for one CR LF (or a CR followed by another byte) somewhere in it.
struct LineEndCase {
    const char* Name;
    std::size_t Size;
    std::size_t CRAt;
    char AfterCR;
    bool LineFeedOnly;
};

class LineFeedOnlyOfFileTest : public ::testing::TestWithParam<LineEndCase> {};

TEST_P(LineFeedOnlyOfFileTest, DecidesAsTheWholeFileScan)
{
    const LineEndCase& c = GetParam();
    std::string bytes;
    while (bytes.size() < c.Size)
        bytes += DatedEntry(static_cast<int>(bytes.size() % 60));
    bytes.resize(c.Size);
    bytes[c.CRAt] = '\r';
    bytes[c.CRAt + 1] = c.AfterCR;
    TempFolder folder;
    const std::string path = folder.Write("firebird.log", bytes);
    TFBLogFileReader file(path);
    EXPECT_EQ(LineFeedOnlyOfFile(file), std::optional<bool>(c.LineFeedOnly));
    TFBLogParser parser(path);
    parser.LoadFile();
    EXPECT_EQ(parser.LineFeedOnly(), c.LineFeedOnly);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LineFeedOnlyOfFileTest,
    ::testing::Values(LineEndCase{"CRLFFarBeyondTheFirstBlock", 11u << 20, (9u << 20) + 5, '\n', false},
                      LineEndCase{"CRLFSplitBetweenBlocks", 9u << 20, kStreamBlockSize - 1, '\n', false},
                      LineEndCase{"CRLFSplitBetweenLaterBlocks", 9u << 20, 2 * kStreamBlockSize - 1, '\n', false},
                      LineEndCase{"LoneCRAtABlockEnd", 9u << 20, kStreamBlockSize - 1, 'x', true},
                      LineEndCase{"CRLFInTheFirstBlock", 100, 50, '\n', false}),
    [](const auto& info) { return info.param.Name; });
