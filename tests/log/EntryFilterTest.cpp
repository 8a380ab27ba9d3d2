#include "FBLogDateTime.h"
#include "FBLogEntryFilter.h"

#include <gtest/gtest.h>

namespace {

struct DateArgumentCase {
    const char* Text;
    bool EndOfRange = false;
    std::optional<FBLogDateParts> Expected = {};  // nothing: the text is refused
};

std::ostream& operator<<(std::ostream& out, const DateArgumentCase& c)
{
    return out << '"' << c.Text << '"' << (c.EndOfRange ? " (until)" : " (since)");
}

class DateArgumentTest : public ::testing::TestWithParam<DateArgumentCase> {};

}  // namespace

TEST_P(DateArgumentTest, ReadsTheCommandLineDate)
{
    const DateArgumentCase& c = GetParam();
    const std::optional<double> parsed = ParseDateTimeArgument(c.Text, c.EndOfRange);
    if (!c.Expected) {
        EXPECT_FALSE(parsed.has_value()) << "read as " << *parsed;
        return;
    }
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(*parsed, *TryEncodeDateTime(*c.Expected));
}

INSTANTIATE_TEST_SUITE_P(
    Valid, DateArgumentTest,
    ::testing::Values(DateArgumentCase{"2025-03-07", false, FBLogDateParts{2025, 3, 7}},
                      // --until a day takes in the whole of it.
                      DateArgumentCase{"2025-03-07", true, FBLogDateParts{2025, 3, 7, 23, 59, 59, 999}},
                      DateArgumentCase{"2024-02-29", false, FBLogDateParts{2024, 2, 29}},
                      DateArgumentCase{"2025-03-07T14:05", false, FBLogDateParts{2025, 3, 7, 14, 5}},
                      DateArgumentCase{"2025-03-07T14:05", true, FBLogDateParts{2025, 3, 7, 14, 5}},
                      DateArgumentCase{"2025-03-07T00:00:09", true, FBLogDateParts{2025, 3, 7, 0, 0, 9}},
                      DateArgumentCase{"9999-12-31T23:59:59", false, FBLogDateParts{9999, 12, 31, 23, 59, 59}}));

INSTANTIATE_TEST_SUITE_P(
    Refused, DateArgumentTest,
    ::testing::ValuesIn(std::vector<DateArgumentCase>{
        {"2025-13-01"}, {"2025-02-29"}, {"2025-01-01T25:00"}, {"2025-01-01T10:60", true}, {"2025-01-01T10:00:60"},
        {""}, {"2025-1-01"}, {"2025/01/01"}, {"2025-01-01 10:00"}, {"2025-01-01T10"}, {"2025-01-01T10:00:"},
        {"2025-01-01x"}, {"2025-01-01T10:00Z"}, {"2025-01-01T10:00:00.5"}, {"2025-01-01T10:00:00 ", true},
        // Signs are no digits, not even before a zero.
        {"2025-01-01T-0:00"}, {"2025-01-01T10:-0"}, {"2025-01-01T10:00:-0"}, {"2025-01-+1"}}));
