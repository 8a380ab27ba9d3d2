#include "ListSortRanks.h"

#include <algorithm>
#include <numeric>

TSortStage::TSortStage(const TSortProgress& progress, double from, double to, std::size_t total)
    : FProgress(progress), FFrom(from), FTo(to), FTotal(std::max<std::size_t>(total, 1))
{
    Reached(0);
}

void TSortStage::Reached(std::size_t done)
{
    if (!FProgress || done < FNext)
        return;
    FNext = done + kRowsPerReport;
    FProgress(FFrom + (FTo - FFrom) * static_cast<double>(done) / static_cast<double>(FTotal));
}

namespace {

// Asks for the text the next row will read, while this row's is read.
inline void Prefetch(const char* address)
{
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

// The ranks given so far: tied texts get one rank, in key order.
struct TRanking {
    const TAsciiCollationKeys& Keys;
    TLargeVector<int>& RankOfText;
    TSortStage Stage;
    int Rank = -1;
    std::size_t Ranked = 0;

    void RankTogether(const TKeyedText* first, const TKeyedText* last)
    {
        ++Rank;
        for (const TKeyedText* text = first; text != last; ++text)
            RankOfText[text->Id] = Rank;
        Ranked += static_cast<std::size_t>(last - first);
        Stage.Reached(Ranked);
    }
};

bool ReadNextBytes(TKeyedText* first, TKeyedText* last, const TAsciiCollationKeys& keys, bool& allEqual)
{
    allEqual = true;
    for (TKeyedText* text = first; text != last; ++text) {
        if (text + 8 < last)
            Prefetch(text[8].Rest.Pos);
        if (!keys.NextKeyBytes(text->Rest, text->High) || !keys.NextKeyBytes(text->Rest, text->Low))
            return false;
        allEqual = allEqual && text->SameBytes(*first);
    }
    return true;
}

// Sorts the texts by their keys, 16 bytes a round: each round reads the next bytes of the texts
// that are still tied, so the long common beginnings of log messages cost one pass each instead
// of being compared again and again.
bool RankRange(TKeyedText* first, TKeyedText* last, TRanking& ranking)
{
    // Where all texts still share the next bytes (a common beginning), read on before sorting.
    bool allEqual = true;
    do {
        if (!ReadNextBytes(first, last, ranking.Keys, allEqual))
            return false;
    } while (allEqual && !first->KeyEnded() && last - first > 1);
    if (!allEqual)
        std::sort(first, last, [](const TKeyedText& a, const TKeyedText& b) {
            return a.High < b.High || (a.High == b.High && a.Low < b.Low);
        });
    for (TKeyedText* run = first; run != last;) {
        TKeyedText* end = run + 1;
        while (end != last && end->SameBytes(*run))
            ++end;
        if (end - run == 1 || run->KeyEnded())
            ranking.RankTogether(run, end);
        else if (!RankRange(run, end, ranking))
            return false;
        run = end;
    }
    return true;
}

}  // namespace

bool RankByKeys(TLargeVector<TKeyedText>& texts, const TAsciiCollationKeys& keys, TLargeVector<int>& rankOfText,
                TSortStage stage)
{
    TRanking ranking{keys, rankOfText, stage};
    return texts.empty() || RankRange(texts.data(), texts.data() + texts.size(), ranking);
}

TLargeVector<std::uint32_t> OrderByRanks(const TLargeVector<int>& ranks, Qt::SortOrder order, TSortStage stage)
{
    // A counting sort: one pass to count the rows of each rank, one to place them.
    const int top = ranks.empty() ? -1 : *std::max_element(ranks.begin(), ranks.end());
    const auto bucketOf = [&](int rank) {
        return static_cast<std::size_t>(order == Qt::AscendingOrder ? rank + 1 : top - rank);
    };
    TLargeVector<std::uint32_t> next(static_cast<std::size_t>(top) + 3, 0);
    for (const int rank : ranks)
        ++next[bucketOf(rank) + 1];
    std::partial_sum(next.begin(), next.end(), next.begin());
    TLargeVector<std::uint32_t> sorted(ranks.size());
    for (std::size_t row = 0; row < ranks.size(); ++row) {
        sorted[next[bucketOf(ranks[row])]++] = static_cast<std::uint32_t>(row);
        stage.Reached(row);
    }
    return sorted;
}
