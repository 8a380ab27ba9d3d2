#include "FBLogDateTime.h"

#include <chrono>
#include <cmath>

namespace {

constexpr std::chrono::sys_days kEpoch = std::chrono::year{1899} / 12 / 30;
constexpr double kMsPerDay = 86'400'000.0;

FBLogDateTimeSeparators g_separators;

bool InRange(int value, int low, int high) noexcept
{
    return value >= low && value <= high;
}

}  // namespace

FBLogDateTimeSeparators GetDateTimeSeparators() noexcept
{
    return g_separators;
}

void SetDateTimeSeparators(const FBLogDateTimeSeparators& separators) noexcept
{
    g_separators = separators;
}

bool IsLeapYear(int year) noexcept
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) noexcept
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (!InRange(month, 1, 12))
        return 0;
    return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

std::optional<double> TryEncodeDateTime(const FBLogDateParts& p) noexcept
{
    const std::optional<int> days = TryEncodeDate(p.Year, p.Month, p.Day);
    const std::optional<double> time = TryEncodeTime(p.Hour, p.Minute, p.Second, p.Millisecond);
    if (!days || !time)
        return std::nullopt;
    return CombineDateAndTime(*days, *time);
}

std::optional<int> TryEncodeDate(int year, int month, int day) noexcept
{
    if (!InRange(year, 1, 9999) || !InRange(month, 1, 12) || !InRange(day, 1, DaysInMonth(year, month)))
        return std::nullopt;
    using namespace std::chrono;
    const sys_days date = std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                          std::chrono::day{static_cast<unsigned>(day)};
    return (date - kEpoch).count();
}

std::optional<double> TryEncodeTime(int hour, int minute, int second, int millisecond) noexcept
{
    if (!InRange(hour, 0, 23) || !InRange(minute, 0, 59) || !InRange(second, 0, 59) || !InRange(millisecond, 0, 999))
        return std::nullopt;
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / kMsPerDay;
}

double CombineDateAndTime(int days, double time) noexcept
{
    const auto date = static_cast<double>(days);
    return days < 0 ? date - time : date + time;
}

bool IsValidTimestamp(double dateTime) noexcept
{
    // 0001-01-01 and 9999-12-31 23:59:59.999
    return dateTime > -693594.0 && dateTime < 2958466.0;
}

FBLogDateParts DecodeDateTime(double dateTime) noexcept
{
    using namespace std::chrono;
    if (!IsValidTimestamp(dateTime))
        dateTime = 0;
    auto totalMs = static_cast<long long>(std::llround(std::fabs(dateTime) * kMsPerDay));
    const long long msPerDay = static_cast<long long>(kMsPerDay);
    long long days = totalMs / msPerDay;
    long long msOfDay = totalMs % msPerDay;
    if (dateTime < 0)
        days = -days;
    const year_month_day ymd{kEpoch + std::chrono::days{days}};
    FBLogDateParts p;
    p.Year = static_cast<int>(ymd.year());
    p.Month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    p.Day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    p.Millisecond = static_cast<int>(msOfDay % 1000);
    msOfDay /= 1000;
    p.Second = static_cast<int>(msOfDay % 60);
    msOfDay /= 60;
    p.Minute = static_cast<int>(msOfDay % 60);
    p.Hour = static_cast<int>(msOfDay / 60);
    return p;
}

int DatePart(double dateTime) noexcept
{
    if (!IsValidTimestamp(dateTime))
        return 0;
    return static_cast<int>(std::trunc(dateTime));
}

int DayOfWeek(double dateTime) noexcept
{
    using namespace std::chrono;
    const weekday wd{kEpoch + days{DatePart(dateTime)}};
    return static_cast<int>(wd.iso_encoding());
}
