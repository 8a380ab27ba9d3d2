#include "FBLogTimeline.h"

#include "FBLogDateTime.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

int WeekStart(int day)
{
    return day - (DayOfWeek(day) - 1);
}

int MonthNumber(int day)
{
    const FBLogDateParts parts = DecodeDateTime(day);
    return parts.Year * 12 + parts.Month - 1;
}

double MonthStart(int monthNumber)
{
    FBLogDateParts parts;
    parts.Year = monthNumber / 12;
    parts.Month = monthNumber % 12 + 1;
    parts.Day = 1;
    return TryEncodeDateTime(parts).value_or(0);
}

// Where the bars of a span of days go: which bar a day falls in, and each bar's bounds.
class TBinning {
public:
    TBinning(int first, int last, std::size_t maxBins) : FFirst(first)
    {
        const auto days = static_cast<std::size_t>(last - first + 1);
        if (days == 1)
            FSize = TFBLogBinSize::Hour;
        else if (days <= maxBins)
            FSize = TFBLogBinSize::Day;
        else if (static_cast<std::size_t>((WeekStart(last) - WeekStart(first)) / 7 + 1) <= maxBins)
            FSize = TFBLogBinSize::Week;
        else
            FSize = TFBLogBinSize::Month;
        FCount = Index(last, 0.99) + 1;
    }

    TFBLogBinSize Size() const noexcept { return FSize; }
    std::size_t Count() const noexcept { return FCount; }

    // The bar of a moment of a day (the fraction of the day counts for hours only).
    std::size_t Index(int day, double dayFraction) const
    {
        switch (FSize) {
        case TFBLogBinSize::Hour: return static_cast<std::size_t>(std::clamp(static_cast<int>(dayFraction * 24), 0, 23));
        case TFBLogBinSize::Day: return static_cast<std::size_t>(day - FFirst);
        case TFBLogBinSize::Week: return static_cast<std::size_t>((WeekStart(day) - WeekStart(FFirst)) / 7);
        case TFBLogBinSize::Month: return static_cast<std::size_t>(MonthNumber(day) - MonthNumber(FFirst));
        }
        return 0;
    }

    std::pair<double, double> Bounds(std::size_t index) const
    {
        const auto i = static_cast<int>(index);
        switch (FSize) {
        case TFBLogBinSize::Hour: return {FFirst + i / 24.0, FFirst + (i + 1) / 24.0};
        case TFBLogBinSize::Day: return {FFirst + i, FFirst + i + 1.0};
        case TFBLogBinSize::Week: {
            const int start = WeekStart(FFirst) + 7 * i;
            return {start, start + 7.0};
        }
        case TFBLogBinSize::Month: {
            const int month = MonthNumber(FFirst) + i;
            return {MonthStart(month), MonthStart(month + 1)};
        }
        }
        return {0, 0};
    }

private:
    int FFirst;
    TFBLogBinSize FSize = TFBLogBinSize::Day;
    std::size_t FCount = 0;
};

}  // namespace

void TFBLogDayRuns::Add(const FBLogsMsgs& msgs, const FBLogKinds& kinds, std::size_t from)
{
    for (std::size_t i = from; i < msgs.size(); ++i) {
        const int day = DatePart(msgs[i].DateTime);
        if (day == 0) {
            FUndated.push_back(i);
            FPreviousUndated = true;
            continue;
        }
        if (FPreviousUndated || FRuns.back().Day != day)
            FRuns.push_back({day, i, 0, {}});
        FPreviousUndated = false;
        TFBLogDayRun& run = FRuns.back();
        ++run.Count;
        const FBLogKind kind = i < kinds.size() ? kinds[i] : kUnknownKind;
        const auto counted = std::find_if(run.Kinds.begin(), run.Kinds.end(), [&](const auto& k) { return k.first == kind; });
        if (counted == run.Kinds.end())
            run.Kinds.emplace_back(kind, 1);
        else
            ++counted->second;
    }
}

std::size_t TFBLogBin::Total() const noexcept
{
    return std::accumulate(Counts.begin(), Counts.end(), std::size_t{0});
}

TFBLogTimeline BuildTimeline(const TFBLogDayRuns& runs, const FBLogsMsgs& msgs, const FBLogKinds& kinds,
                             const TFBLogDescriptor& catalogue, const TFBLogTimelineQuery& query)
{
    const auto shown = [&](FBLogKind kind) {
        return query.KindShown == nullptr || kind >= query.KindShown->size() || (*query.KindShown)[kind];
    };
    const auto kindOf = [&](std::size_t entry) { return entry < kinds.size() ? kinds[entry] : kUnknownKind; };
    const auto passes = [&](std::size_t entry) {
        return shown(kindOf(entry)) && (query.Matches == nullptr || query.Matches->Contains(entry));
    };
    const auto severity = [&](FBLogKind kind) { return static_cast<std::size_t>(SeverityOfKind(catalogue, kind)); };

    TFBLogTimeline timeline;
    // Entries without a date pass a range that holds the timestamp 0, as in the list.
    if (query.From <= 0 && 0 <= query.To)
        for (const std::size_t entry : runs.Undated())
            timeline.Undated += passes(entry) ? 1 : 0;

    const int firstDay = DatePart(query.From);
    const int lastDay = DatePart(query.To);
    std::vector<const TFBLogDayRun*> inRange;
    for (const TFBLogDayRun& run : runs.Runs())
        if (run.Day >= firstDay && run.Day <= lastDay)
            inRange.push_back(&run);
    if (inRange.empty())
        return timeline;
    const auto [low, high] = std::minmax_element(inRange.begin(), inRange.end(),
                                                 [](const TFBLogDayRun* a, const TFBLogDayRun* b) { return a->Day < b->Day; });
    const TBinning binning((*low)->Day, (*high)->Day, std::max<std::size_t>(query.MaxBins, 1));
    timeline.Size = binning.Size();
    timeline.Bins.resize(binning.Count());
    for (std::size_t i = 0; i < timeline.Bins.size(); ++i)
        std::tie(timeline.Bins[i].Start, timeline.Bins[i].End) = binning.Bounds(i);

    // Hours and search matches need the entries themselves; otherwise each run's kinds suffice.
    const bool byEntry = binning.Size() == TFBLogBinSize::Hour || query.Matches != nullptr;
    for (const TFBLogDayRun* run : inRange) {
        if (byEntry) {
            for (std::size_t entry = run->First; entry < run->First + run->Count; ++entry)
                if (passes(entry)) {
                    // Before 1899-12-30 the time of day counts away from zero.
                    const double fraction = std::abs(msgs[entry].DateTime - run->Day);
                    ++timeline.Bins[binning.Index(run->Day, fraction)].Counts[severity(kindOf(entry))];
                }
            continue;
        }
        TFBLogBin& bin = timeline.Bins[binning.Index(run->Day, 0)];
        for (const auto& [kind, count] : run->Kinds)
            if (shown(kind))
                bin.Counts[severity(kind)] += count;
    }
    return timeline;
}
