#include "FBLogDateTime.h"

#include <gtest/gtest.h>

namespace {

double Encode(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return TryEncodeDateTime(FBLogDateParts{y, mo, d, h, mi, s, ms}).value_or(-999999);
}

bool Valid(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return TryEncodeDateTime(FBLogDateParts{y, mo, d, h, mi, s, 0}).has_value();
}

}  // namespace

TEST(DateTimeTest, CountsDaysFromTheEpochWithTimeAsFraction)
{
    EXPECT_EQ(Encode(1899, 12, 30), 0.0);
    EXPECT_EQ(Encode(1900, 1, 1), 2.0);
    EXPECT_EQ(Encode(2015, 1, 28), 42032.0);
    EXPECT_DOUBLE_EQ(Encode(2015, 1, 28, 12), 42032.5);
    // Before the epoch the time of day still counts away from zero.
    EXPECT_DOUBLE_EQ(Encode(1899, 12, 29, 6), -1.25);
    EXPECT_EQ(DatePart(-1.25), -1);
    EXPECT_EQ(DatePart(Encode(2015, 1, 28, 23, 59, 59, 999)), 42032);
}

TEST(DateTimeTest, RejectsWhatNoCalendarHolds)
{
    EXPECT_TRUE(Valid(2016, 2, 29));
    EXPECT_TRUE(Valid(2000, 2, 29));
    EXPECT_FALSE(Valid(2015, 2, 29));
    EXPECT_FALSE(Valid(1900, 2, 29));
    EXPECT_FALSE(Valid(2015, 4, 31));
    EXPECT_FALSE(Valid(0, 1, 1));
    EXPECT_FALSE(Valid(10000, 1, 1));
    EXPECT_FALSE(Valid(2015, 13, 1));
    EXPECT_FALSE(Valid(2015, 1, 0));
    EXPECT_FALSE(Valid(2015, 1, 1, 24));
    EXPECT_FALSE(Valid(2015, 1, 1, 0, 60));
    EXPECT_FALSE(Valid(2015, 1, 1, 0, 0, 60));
    EXPECT_TRUE(Valid(9999, 12, 31, 23, 59, 59));
    EXPECT_TRUE(Valid(1, 1, 1));
}

TEST(DateTimeTest, DecodesWhatItEncodes)
{
    for (const FBLogDateParts& p : {FBLogDateParts{2026, 12, 8, 20, 50, 21, 0}, FBLogDateParts{1, 1, 1, 0, 0, 0, 0},
                                    FBLogDateParts{9999, 12, 31, 23, 59, 59, 999},
                                    FBLogDateParts{1899, 12, 29, 6, 0, 0, 0}, FBLogDateParts{2024, 2, 29, 0, 0, 1, 0}}) {
        const FBLogDateParts back = DecodeDateTime(*TryEncodeDateTime(p));
        EXPECT_EQ(std::tie(back.Year, back.Month, back.Day, back.Hour, back.Minute, back.Second, back.Millisecond),
                  std::tie(p.Year, p.Month, p.Day, p.Hour, p.Minute, p.Second, p.Millisecond));
    }
}

TEST(DateTimeTest, WeeksStartOnMonday)
{
    EXPECT_EQ(DayOfWeek(Encode(2026, 12, 7)), 1);
    EXPECT_EQ(DayOfWeek(Encode(2026, 12, 8, 23, 59)), 2);
    EXPECT_EQ(DayOfWeek(Encode(2026, 12, 13)), 7);
    EXPECT_EQ(DayOfWeek(0.0), 6);  // 1899-12-30 was a Saturday
}
