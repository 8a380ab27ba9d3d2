// The shortcuts of the scan against plain ways: the blank-line search against std::string_view's
// find, and the day kept from the previous header against reading every header afresh.

#include "FBLogEntryBounds.h"
#include "uFBLogDescriptor.h"

#include <gtest/gtest.h>

#include <random>

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
