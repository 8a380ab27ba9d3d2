#include "FBLogDays.h"

#include "FBLogDateTime.h"

void TFBLogDayCounter::Add(double dateTime) noexcept
{
    ++FTotal;
    const int day = DatePart(dateTime);
    if (day == 0)
        ++FUndated;
    else if (FPreviousDay == day)
        ++FRuns.back().Count;
    else
        FRuns.push_back({day, 1});
    // An undated entry ends the run before it, as the days table counts.
    FPreviousDay = day;
}

std::vector<TFBLogDayCount> TFBLogDayCounter::Rows() const
{
    std::vector<TFBLogDayCount> rows = FRuns;
    if (FUndated > 0)
        rows.push_back({0, FUndated});
    return rows;
}
