#pragma once
// Narrowing the entries of a log to those a reader wants to see: a date range, the kinds not
// hidden, a least severity and the entries a search found. Also the per-kind counts that let
// the reader choose.

#include "FBLogClassifier.h"
#include "FBLogEntrySet.h"

#include <limits>
#include <set>
#include <string>
#include <vector>

class TFBLogNarrowing {
public:
    // Timestamps of the first and last moment shown, both inclusive.
    void SetDateRange(double from, double to) noexcept;
    // Every entry's kind, and by kind whether it is shown; nullptr shows every kind.
    void SetKinds(const FBLogKinds* kinds, std::vector<bool> kindShown);
    // The entries a search found; nullptr when no search narrows.
    void SetSearchMatches(const TFBLogEntrySet* matches) noexcept { FSearchMatches = matches; }

    bool Passes(std::size_t entry, const FBLogMsg& msg) const noexcept
    {
        return FFrom <= msg.DateTime && msg.DateTime <= FTo && KindShown(entry) &&
               (FSearchMatches == nullptr || FSearchMatches->Contains(entry));
    }

private:
    bool KindShown(std::size_t entry) const noexcept
    {
        if (FKinds == nullptr || entry >= FKinds->size())
            return true;
        const FBLogKind kind = (*FKinds)[entry];
        return kind >= FKindShown.size() || FKindShown[kind];
    }

    double FFrom = -std::numeric_limits<double>::infinity();
    double FTo = std::numeric_limits<double>::infinity();
    const FBLogKinds* FKinds = nullptr;
    std::vector<bool> FKindShown;
    const TFBLogEntrySet* FSearchMatches = nullptr;
};

// By kind (the catalogue's rows plus the unknown kind): whether its entries are shown, given the
// match texts of the hidden rows ("" stands for the unknown kind) and the least severity shown.
// A hidden match text the catalogue no longer has is ignored.
std::vector<bool> ShownKinds(const TFBLogDescriptor& catalogue, const std::set<std::string>& hiddenMatchTexts,
                             TFBLogSeverity atLeast);

// The entries of the index that pass, in index order; the result is allocated once at its size.
FBLogsMsgs NarrowEntries(const FBLogsMsgs& msgs, const TFBLogNarrowing& narrowing);

// One kind present in a date range: how many entries, and the first and last time one was
// written (0 when none of them has a readable date).
struct TFBLogKindSummary {
    FBLogKind Kind = kUnknownKind;
    std::size_t Count = 0;
    double First = 0;
    double Last = 0;
};

// Counts entries by kind as they come.
class TFBLogKindCounter {
public:
    void Add(FBLogKind kind, double time);
    // The kinds seen, in the order of the catalogue (the unknown kind first).
    std::vector<TFBLogKindSummary> Summaries() const;

private:
    std::vector<TFBLogKindSummary> FByKind;
};

// The kinds of the entries dated within [from, to], by kind.
std::vector<TFBLogKindSummary> SummarizeKinds(const FBLogsMsgs& msgs, const FBLogKinds& kinds, double from, double to);
