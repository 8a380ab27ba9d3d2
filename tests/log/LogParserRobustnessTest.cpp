// Scans of arbitrary bytes: the fast boundary searches must cut exactly where the byte-by-byte
// rules cut, and nothing may read outside the data, whatever the file holds.

#include "TempFolder.h"
#include "uFBLogDescriptor.h"
#include "uFBLogParser.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// The boundary rules read one byte at a time, the way they are defined.
class ReferenceScanner {
public:
    explicit ReferenceScanner(std::string_view data) : FData(data)
    {
        bool afterCR = false;
        for (char c : data) {
            if (c == '\n' && afterCR) {
                FLineFeedOnly = false;
                break;
            }
            afterCR = c == '\r';
        }
    }

    std::vector<std::pair<std::int64_t, std::int64_t>> Entries() const
    {
        std::vector<std::pair<std::int64_t, std::int64_t>> entries;
        std::int64_t cur = 0;
        for (;;) {
            const std::int64_t start = FLineFeedOnly ? StartLF(cur) : StartCRLF(cur);
            const std::int64_t end = start < 0 ? -1 : FLineFeedOnly ? EndLF(start) : EndCRLF(start);
            if (end < 0)
                return entries;
            entries.emplace_back(start, end - start);
            cur = end;
        }
    }

    bool LineFeedOnly() const { return FLineFeedOnly; }

private:
    std::int64_t Size() const { return static_cast<std::int64_t>(FData.size()); }
    char At(std::int64_t i) const { return FData[static_cast<std::size_t>(i)]; }

    std::int64_t StartCRLF(std::int64_t i) const
    {
        bool afterCR = false;
        for (; i < Size(); ++i) {
            if (!afterCR && At(i) == '\r')
                afterCR = true;
            else if (afterCR && At(i) == '\n')
                afterCR = false;
            else
                return i;
        }
        return -1;
    }

    // The 4-byte window: after a miss, the tail that can still begin CR LF CR LF is kept and
    // only the missing bytes are read.
    std::int64_t EndCRLF(std::int64_t pos) const
    {
        std::string window;
        std::size_t need = 4;
        for (;;) {
            if (Size() - pos < static_cast<std::int64_t>(need))
                return -1;
            window += FData.substr(static_cast<std::size_t>(pos), need);
            pos += static_cast<std::int64_t>(need);
            if (window == "\r\n\r\n")
                return pos;
            if (window.substr(1) == "\r\n\r")
                window = window.substr(1), need = 1;
            else if (window.substr(2) == "\r\n")
                window = window.substr(2), need = 2;
            else if (window.substr(3) == "\r")
                window = window.substr(3), need = 3;
            else
                window.clear(), need = 4;
        }
    }

    std::int64_t StartLF(std::int64_t i) const
    {
        for (; i < Size(); ++i)
            if (At(i) != '\n')
                return i;
        return -1;
    }

    std::int64_t EndLF(std::int64_t i) const
    {
        for (; i + 1 < Size(); ++i)
            if (At(i) == '\n' && At(i + 1) == '\n')
                return i + 2;
        return -1;
    }

    std::string_view FData;
    bool FLineFeedOnly = true;
};

std::string RandomBytes(std::mt19937& random, std::size_t size, std::string_view alphabet)
{
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = alphabet.empty() ? static_cast<char>(random() & 0xff) : alphabet[random() % alphabet.size()];
    return bytes;
}

template <typename Call>
bool NoThrow(Call&& call)
{
    try {
        call();
        return true;
    } catch (const EFBLogWrongMessageFmt&) {
        return false;
    }
}

}  // namespace

TEST(LogParserRobustnessTest, CutsArbitraryBytesExactlyWhereTheByteRulesCut)
{
    TempFolder folder;
    std::mt19937 random(20261208);
    // Alphabets rich in line ends make every boundary case frequent; the empty one is raw bytes.
    const std::string alphabets[] = {std::string("\r\n", 2), std::string("\r\n\ta", 4),
                                     std::string("\r\n\r\n\t x\0\xff", 10), std::string("\n\n\ta1 :", 7),
                                     std::string()};
    for (int round = 0; round < 400; ++round) {
        const std::string& alphabet = alphabets[round % std::size(alphabets)];
        const std::string bytes = RandomBytes(random, 1 + random() % 300, alphabet);
        TFBLogParser parser(folder.Write("fuzz.log", bytes));
        FBLogsMsgs msgs;
        parser.ScanEntries(msgs);

        const ReferenceScanner reference(bytes);
        ASSERT_EQ(parser.LineFeedOnly(), reference.LineFeedOnly());
        std::vector<std::pair<std::int64_t, std::int64_t>> cut;
        for (const FBLogMsg& m : msgs)
            cut.emplace_back(m.Offset, m.Length);
        ASSERT_EQ(cut, reference.Entries()) << "round " << round;

        // Every piece reads back whole, and no text operation fails in an unplanned way.
        TFBLogDescriptor grammar("");
        for (const FBLogMsg& m : msgs) {
            const std::string text = parser.ReadEntryText(m.Offset, m.Length);
            ASSERT_EQ(static_cast<std::int64_t>(text.size()), m.Length);
            double dateTime = 0;
            try {
                dateTime = grammar.ExtractDateTime(text);
            } catch (const EFBLogWrongMessageFmt&) {
            }
            EXPECT_EQ(dateTime, m.DateTime);
            const bool hasTab = text.find('\t') != std::string::npos;
            EXPECT_EQ(hasTab, NoThrow([&] { grammar.ExtractSource(text); }));
        }
    }
}

TEST(LogParserRobustnessTest, SurvivesBinaryFilesOfEveryByteValue)
{
    TempFolder folder;
    std::mt19937 random(7);
    std::string bytes = RandomBytes(random, 1 << 20, {});
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    bytes += "\n\n";
    TFBLogParser parser(folder.Write("binary.log", bytes));
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);
    std::int64_t covered = 0;
    for (const FBLogMsg& m : msgs) {
        EXPECT_GE(m.Offset, covered);
        covered = m.Offset + m.Length;
    }
    EXPECT_LE(covered, parser.FileSize());
}
