#pragma once
// Entries counted per day as the days table shows them: one row per run of consecutive entries
// written on the same day (a day the log returns to later gets a row of its own), then one row
// for the entries whose date cannot be read. Counted as entries come, so that a log read block
// by block, or one that grows, is counted without going over it again.

#include <cstddef>
#include <optional>
#include <vector>

struct TFBLogDayCount {
    int Day = 0;  // whole days of the timestamp; 0 in the row of entries without a date
    std::size_t Count = 0;

    bool operator==(const TFBLogDayCount&) const = default;
};

class TFBLogDayCounter {
public:
    void Add(double dateTime) noexcept;
    // The runs in the order of the log, and the row of undated entries last when there are any.
    std::vector<TFBLogDayCount> Rows() const;
    std::size_t Total() const noexcept { return FTotal; }

private:
    std::vector<TFBLogDayCount> FRuns;
    std::size_t FUndated = 0;
    std::size_t FTotal = 0;
    std::optional<int> FPreviousDay;  // nothing before the first entry
};
