#pragma once
// Timestamps of log entries: days since 1899-12-30 as a double, the time of day as the
// fraction. 0.0 stands for "no readable date". Dates before the epoch count backwards with the
// time of day still added away from zero, so the date part is always the value truncated
// toward zero.

#include <optional>

struct FBLogDateParts {
    int Year = 0, Month = 0, Day = 0;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// Separators used when a date and time is written into an error message; a program may set them
// for the user's locale.
struct FBLogDateTimeSeparators {
    char Date = '/';
    char Time = ':';
    char Decimal = '.';
};
FBLogDateTimeSeparators GetDateTimeSeparators() noexcept;
void SetDateTimeSeparators(const FBLogDateTimeSeparators& separators) noexcept;

bool IsLeapYear(int year) noexcept;
int DaysInMonth(int year, int month) noexcept;  // 0 for a month outside 1..12

// The timestamp of the given parts, or nothing when they form no valid date and time
// (year 1..9999, month 1..12, day within the month, 0..23, 0..59, 0..59, 0..999).
std::optional<double> TryEncodeDateTime(const FBLogDateParts& parts) noexcept;
// The two halves of it, for callers that see many times of the same day: the days since the
// epoch of a valid date, the fraction of a day of a valid time of day, and their timestamp.
std::optional<int> TryEncodeDate(int year, int month, int day) noexcept;
std::optional<double> TryEncodeTime(int hour, int minute, int second, int millisecond) noexcept;
double CombineDateAndTime(int days, double time) noexcept;

// True for the timestamps of years 1 to 9999 (what TryEncodeDateTime can give).
bool IsValidTimestamp(double dateTime) noexcept;

// Inverse of TryEncodeDateTime, to the millisecond; 1899-12-30 for a timestamp that is not valid.
FBLogDateParts DecodeDateTime(double dateTime) noexcept;

int DatePart(double dateTime) noexcept;   // whole days, truncated toward zero
int DayOfWeek(double dateTime) noexcept;  // Monday = 1 .. Sunday = 7
