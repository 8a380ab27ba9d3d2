#include "../QtPrinters.h"
#include "FBLogDateTime.h"
#include "LogMessagesModel.h"
#include "Timestamps.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

// Runs the check under another default locale and puts the previous one back.
template <typename Check>
void InLocale(const QLocale& locale, Check&& check)
{
    const QLocale previous;
    QLocale::setDefault(locale);
    check();
    QLocale::setDefault(previous);
}

double At(int y, int mo, int d, int h, int mi, int s)
{
    return *TryEncodeDateTime({y, mo, d, h, mi, s, 0});
}

}  // namespace

TEST(TimestampsTest, EntryTimesUseTheShortDateWithFourDigitYearsAndTheLongTimeWithoutZone)
{
    InLocale(QLocale(QLocale::English, QLocale::UnitedStates), [] {
        EXPECT_EQ(FormatEntryTime(At(2026, 12, 8, 20, 50, 21)), QStringLiteral("12/8/2026 8:50:21 PM"));
        EXPECT_EQ(FormatEntryTime(At(1800, 1, 1, 0, 0, 0)), QStringLiteral("1/1/1800")) << "midnight: the date alone";
    });
    InLocale(QLocale(QLocale::German, QLocale::Germany), [] {
        EXPECT_EQ(FormatEntryTime(At(2026, 12, 8, 20, 50, 21)), QStringLiteral("08.12.2026 20:50:21"));
    });
    EXPECT_EQ(FormatEntryTime(0.0), QStringLiteral("-?-"));
}

TEST(TimestampsTest, DaysRunFromTheirFirstToTheirLastMillisecond)
{
    EXPECT_EQ(StartOfDay(QDate(2008, 11, 20)), At(2008, 11, 20, 0, 0, 0));
    EXPECT_DOUBLE_EQ(EndOfDay(QDate(2008, 11, 20)), At(2008, 11, 20, 23, 59, 59) + 0.999 / 86400.0);
    EXPECT_EQ(TimestampDate(At(2008, 11, 20, 23, 59, 59)), QDate(2008, 11, 20));
    EXPECT_EQ(TimestampToDateTime(At(2008, 2, 29, 6, 7, 8)).time(), QTime(6, 7, 8));
    EXPECT_EQ(DateTimeToTimestamp(TimestampToDateTime(At(2008, 2, 29, 6, 7, 8))), At(2008, 2, 29, 6, 7, 8));
}
