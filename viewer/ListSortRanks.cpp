#include "ListSortRanks.h"

#include "FBLogParallel.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

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

    // Takes in the ranks that another ranking gave, from 0, to texts whose keys all follow
    // those ranked so far.
    void Follow(const TRanking& next, const TKeyedText* first, const TKeyedText* last)
    {
        const int offset = Rank + 1;
        for (const TKeyedText* text = first; text != last; ++text)
            RankOfText[text->Id] += offset;
        Rank += next.Rank + 1;
        Ranked += static_cast<std::size_t>(last - first);
        Stage.Reached(Ranked);
    }
};

// Below this many texts a range is ranked on one thread: sharing it would cost more than it saves.
constexpr std::ptrdiff_t kTextsWorthSharing = 1 << 16;

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

// ReadNextBytes split between the cores where the range is large.
bool ReadNextBytesShared(TKeyedText* first, TKeyedText* last, const TAsciiCollationKeys& keys, bool& allEqual,
                         int ways)
{
    const auto count = static_cast<std::size_t>(last - first);
    if (ways <= 1 || last - first < kTextsWorthSharing)
        return ReadNextBytes(first, last, keys, allEqual);
    std::atomic<bool> readable{true};
    std::atomic<bool> equal{true};
    std::mutex partsLock;
    std::vector<const TKeyedText*> partFirsts;
    ForEachPartInParallel(count, 1, [&](std::size_t begin, std::size_t end) {
        bool partEqual = true;
        if (!ReadNextBytes(first + begin, first + end, keys, partEqual))
            readable = false;
        if (!partEqual)
            equal = false;
        const std::lock_guard lock(partsLock);
        partFirsts.push_back(first + begin);
    });
    if (!readable)
        return false;
    // Each part compared its texts with its own first one; those firsts are compared here.
    allEqual = equal && std::all_of(partFirsts.begin(), partFirsts.end(),
                                    [&](const TKeyedText* text) { return text->SameBytes(*first); });
    return true;
}

bool KeyBefore(const TKeyedText& a, const TKeyedText& b)
{
    return a.High < b.High || (a.High == b.High && a.Low < b.Low);
}

bool RankSorted(TKeyedText* first, TKeyedText* last, TRanking& ranking, int ways);

// Sorts the texts by their keys, 16 bytes a round: each round reads the next bytes of the texts
// that are still tied, so the long common beginnings of log messages cost one pass each instead
// of being compared again and again. Large ranges are shared between `ways` threads.
bool RankRange(TKeyedText* first, TKeyedText* last, TRanking& ranking, int ways)
{
    // Where all texts still share the next bytes (a common beginning), read on before sorting.
    bool allEqual = true;
    do {
        if (!ReadNextBytesShared(first, last, ranking.Keys, allEqual, ways))
            return false;
    } while (allEqual && !first->KeyEnded() && last - first > 1);
    if (allEqual) {
        ranking.RankTogether(first, last);
        return true;
    }
    return RankSorted(first, last, ranking, ways);
}

// Ranks the runs of texts that share their read bytes, in order; the texts are sorted.
bool RankRuns(TKeyedText* first, TKeyedText* last, TRanking& ranking, int ways)
{
    for (TKeyedText* run = first; run != last;) {
        TKeyedText* end = run + 1;
        while (end != last && end->SameBytes(*run))
            ++end;
        if (end - run == 1 || run->KeyEnded())
            ranking.RankTogether(run, end);
        else if (!RankRange(run, end, ranking, end - run >= kTextsWorthSharing ? ways : 1))
            return false;
        run = end;
    }
    return true;
}

// The texts parted around a middling text's read bytes: those before them, those equal to them
// (one run), and those after.
struct TThreeParts {
    TKeyedText* Equal;
    TKeyedText* After;
};

TThreeParts PartAroundMiddle(TKeyedText* first, TKeyedText* last)
{
    constexpr std::size_t kSamples = 1023;
    const auto count = static_cast<std::size_t>(last - first);
    std::vector<TKeyedText> samples;
    for (std::size_t i = 0; i < kSamples; ++i)
        samples.push_back(first[i * count / kSamples]);
    std::nth_element(samples.begin(), samples.begin() + kSamples / 2, samples.end(), KeyBefore);
    const TKeyedText pivot = samples[kSamples / 2];
    TKeyedText* equal = std::partition(first, last, [&](const TKeyedText& text) { return KeyBefore(text, pivot); });
    TKeyedText* after = std::partition(equal, last, [&](const TKeyedText& text) { return !KeyBefore(pivot, text); });
    return {equal, after};
}

// Ranks texts whose next bytes are read: sorted by them, then each run of equal bytes in turn.
// A large range is parted around a middling key into three: the texts before it, the run of
// texts equal to it (often most of a log's messages) and those after it. The largest of them is
// ranked on this thread while the other two are ranked one after the other beside it, each with
// ranks of its own from 0; then they follow one another.
bool RankSorted(TKeyedText* first, TKeyedText* last, TRanking& ranking, int ways)
{
    if (ways <= 1 || last - first < kTextsWorthSharing) {
        std::sort(first, last, KeyBefore);
        return RankRuns(first, last, ranking, ways);
    }
    const TThreeParts parts = PartAroundMiddle(first, last);
    const std::array<TKeyedText*, 4> bounds{first, parts.Equal, parts.After, last};
    const auto size = [&](std::size_t range) { return static_cast<std::size_t>(bounds[range + 1] - bounds[range]); };
    std::size_t alone = 0;
    for (std::size_t range = 1; range < 3; ++range)
        if (size(range) > size(alone))
            alone = range;
    TStopTogether shares;
    std::vector<TRanking> rankings;
    for (std::size_t range = 0; range < 3; ++range)
        rankings.push_back(range == alone ? TRanking{ranking.Keys, ranking.RankOfText, ranking.Stage, -1, ranking.Ranked}
                                          : TRanking{ranking.Keys, ranking.RankOfText,
                                                     TSortStage(shares.Beside(), 0, 1, size(range))});
    const auto rank = [&](std::size_t range, int rangeWays) {
        // The texts equal to the middling key are one run, sorted as they stand.
        return range == 1 ? RankRuns(bounds[1], bounds[2], rankings[1], rangeWays)
                          : RankSorted(bounds[range], bounds[range + 1], rankings[range], rangeWays);
    };
    std::array<bool, 3> ranked{};
    ForEachPartInParallel(2, 1, [&](std::size_t part, std::size_t end) {
        for (; part < end; ++part) {
            if (part == 0) {
                shares.RunTelling([&] { ranked[alone] = rank(alone, ways / 2); });
                continue;
            }
            for (std::size_t range = 0; range < 3; ++range)
                if (range != alone)
                    ranked[range] = rank(range, ways - ways / 2);
        }
    });
    if (!ranked[0] || !ranked[1] || !ranked[2])
        return false;
    for (std::size_t range = 0; range < 3; ++range)
        ranking.Follow(rankings[range], bounds[range], bounds[range + 1]);
    return true;
}

int SharedWays()
{
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace

bool RankByKeys(TLargeVector<TKeyedText>& texts, const TAsciiCollationKeys& keys, TLargeVector<int>& rankOfText,
                TSortStage stage)
{
    TRanking ranking{keys, rankOfText, stage};
    return texts.empty() || RankRange(texts.data(), texts.data() + texts.size(), ranking, SharedWays());
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
