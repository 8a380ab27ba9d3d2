// The blank-line search of the scan against std::string_view's find.

#include "FBLogEntryBounds.h"

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
