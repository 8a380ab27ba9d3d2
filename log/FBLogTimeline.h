#pragma once
// The shape of a log in time: entries counted per hour, day, week or month and by severity,
// for the timeline chart. The counts come from runs of same-day entries with their kinds,
// gathered once per log (and added to as it grows), so that a new date range or a new choice
// of kinds is counted per run, not per entry.

#include "FBLogClassifier.h"
#include "FBLogEntrySet.h"
#include "FBLogSeverity.h"

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

// A run of consecutive entries written on one day: where it starts in the index, how many
// entries it has, and how many of them each kind has.
struct TFBLogDayRun {
    int Day = 0;
    std::size_t First = 0;
    std::size_t Count = 0;
    std::vector<std::pair<FBLogKind, std::uint32_t>> Kinds;
};

class TFBLogDayRuns {
public:
    // Takes in the entries [from, msgs.size()) of the index with their kinds.
    void Add(const FBLogsMsgs& msgs, const FBLogKinds& kinds, std::size_t from);
    const std::vector<TFBLogDayRun>& Runs() const noexcept { return FRuns; }
    // The entries without a readable date, by their position in the index.
    const std::vector<std::size_t>& Undated() const noexcept { return FUndated; }

private:
    std::vector<TFBLogDayRun> FRuns;
    std::vector<std::size_t> FUndated;
    bool FPreviousUndated = true;
};

enum class TFBLogBinSize { Hour, Day, Week, Month };

struct TFBLogBin {
    double Start = 0;  // first moment of the bin
    double End = 0;    // first moment after it
    std::array<std::size_t, kFBLogSeverityCount> Counts{};  // by severity

    std::size_t Total() const noexcept;
};

struct TFBLogTimeline {
    TFBLogBinSize Size = TFBLogBinSize::Day;
    std::vector<TFBLogBin> Bins;
    std::size_t Undated = 0;  // entries that pass but have no date, so no bar
};

// What the chart counts: the entries dated within [From, To] of the shown kinds (all when
// KindShown is null) and, when Matches is given, only those among them.
struct TFBLogTimelineQuery {
    double From = 0;
    double To = 0;
    const std::vector<bool>* KindShown = nullptr;
    const TFBLogEntrySet* Matches = nullptr;
    std::size_t MaxBins = 400;
};

// One bar per day of the days with entries in the range, from the first to the last (hours for
// a single day, weeks or months when the days would be more than MaxBins).
TFBLogTimeline BuildTimeline(const TFBLogDayRuns& runs, const FBLogsMsgs& msgs, const FBLogKinds& kinds,
                             const TFBLogDescriptor& catalogue, const TFBLogTimelineQuery& query);
