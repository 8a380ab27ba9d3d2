#include "FBLogNarrowing.h"

#include <algorithm>

void TFBLogNarrowing::SetDateRange(double from, double to) noexcept
{
    FFrom = from;
    FTo = to;
}

void TFBLogNarrowing::SetKinds(const FBLogKinds* kinds, std::vector<bool> kindShown)
{
    FKinds = kinds;
    FKindShown = std::move(kindShown);
}

std::vector<bool> ShownKinds(const TFBLogDescriptor& catalogue, const std::set<std::string>& hiddenMatchTexts,
                             TFBLogSeverity atLeast)
{
    const std::size_t rows = std::min(catalogue.Descriptions().size(), kMaxKinds - 1);
    std::vector<bool> shown(rows + 1);
    shown[kUnknownKind] = !hiddenMatchTexts.contains(std::string()) && atLeast <= TFBLogSeverity::Unknown;
    for (std::size_t row = 0; row < rows; ++row) {
        const TFBLogDescription& description = catalogue.Descriptions()[row];
        shown[row + 1] = !hiddenMatchTexts.contains(description.MatchText()) && description.Severity() >= atLeast;
    }
    return shown;
}

FBLogsMsgs NarrowEntries(const FBLogsMsgs& msgs, const TFBLogNarrowing& narrowing)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < msgs.size(); ++i)
        count += narrowing.Passes(i, msgs[i]) ? 1 : 0;
    FBLogsMsgs result;
    result.reserve(count);
    for (std::size_t i = 0; i < msgs.size(); ++i)
        if (narrowing.Passes(i, msgs[i]))
            result.push_back(msgs[i]);
    return result;
}

void TFBLogKindCounter::Add(FBLogKind kind, double time)
{
    if (kind >= FByKind.size())
        FByKind.resize(kind + 1u);
    TFBLogKindSummary& summary = FByKind[kind];
    summary.Kind = kind;
    ++summary.Count;
    if (time != 0) {
        summary.First = summary.First == 0 ? time : std::min(summary.First, time);
        summary.Last = summary.Last == 0 ? time : std::max(summary.Last, time);
    }
}

std::vector<TFBLogKindSummary> TFBLogKindCounter::Summaries() const
{
    std::vector<TFBLogKindSummary> present = FByKind;
    std::erase_if(present, [](const TFBLogKindSummary& summary) { return summary.Count == 0; });
    return present;
}

std::vector<TFBLogKindSummary> SummarizeKinds(const FBLogsMsgs& msgs, const FBLogKinds& kinds, double from, double to)
{
    TFBLogKindCounter counter;
    const std::size_t count = std::min(msgs.size(), kinds.size());
    for (std::size_t i = 0; i < count; ++i) {
        const double time = msgs[i].DateTime;
        if (time >= from && time <= to)
            counter.Add(kinds[i], time);
    }
    return counter.Summaries();
}
