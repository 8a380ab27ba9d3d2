#pragma once
// The ranks that the sort of the message list orders rows by: texts ranked by their collation
// keys a few bytes at a time, and rows put in the order of their ranks in one counting pass.

#include "AsciiCollationKeys.h"
#include "FBLogLargeArrays.h"

#include <Qt>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string_view>

// Told the share of a sort done, from 0 to 1, now and then; it may throw to stop the sort.
using TSortProgress = std::function<void(double done)>;

// One stage of a sort, from one share of the whole to another, told how far it has come; it
// passes that on about every 64 Ki rows.
class TSortStage {
public:
    TSortStage(const TSortProgress& progress, double from, double to, std::size_t total);
    void Reached(std::size_t done);
    // The same stage told by one share of its work, of `total` elements, standing for all.
    TSortStage Share(std::size_t total) const { return TSortStage(FProgress, FFrom, FTo, total); }

private:
    static constexpr std::size_t kRowsPerReport = 1 << 16;
    const TSortProgress& FProgress;
    double FFrom;
    double FTo;
    std::size_t FTotal;
    std::size_t FNext = 0;
};

// Shares of a sort's work that run at once on several threads: one tells the progress (and
// may be stopped by it), and the shares beside it stop at their next report once it has stopped.
class TStopTogether {
public:
    TStopTogether() = default;
    TStopTogether(const TStopTogether&) = delete;
    TStopTogether& operator=(const TStopTogether&) = delete;

    // The progress of a share beside the telling one.
    const TSortProgress& Beside() const { return FBeside; }
    // Runs the telling share, noting when it stops.
    template <typename Work>
    void RunTelling(Work&& work)
    {
        try {
            work();
        } catch (...) {
            FStopped = true;
            throw;
        }
    }

private:
    struct EStopped {};
    std::atomic<bool> FStopped{false};
    TSortProgress FBeside = [this](double) {
        if (FStopped)
            throw EStopped();
    };
};

// A text during its ranking: the next 16 bytes of its key, and where the rest begins.
struct TKeyedText {
    std::uint64_t High;
    std::uint64_t Low;
    TAsciiCollationKeys::Cursor Rest;
    std::uint32_t Id;

    static TKeyedText Of(std::string_view text, std::uint32_t id)
    {
        return {0, 0, {text.data(), text.data() + text.size()}, id};
    }
    // The text itself, before its key is read.
    std::string_view Text() const { return {Rest.Pos, static_cast<std::size_t>(Rest.End - Rest.Pos)}; }
    bool SameBytes(const TKeyedText& other) const { return High == other.High && Low == other.Low; }
    bool KeyEnded() const { return (Low & 0xff) == 0; }
};

// Ranks the texts by their keys into rankOfText (by each text's Id): texts with equal keys get
// one rank, the lowest key rank 0. False when a text holds a byte outside printable ASCII.
bool RankByKeys(TLargeVector<TKeyedText>& texts, const TAsciiCollationKeys& keys, TLargeVector<int>& rankOfText,
                TSortStage stage);

// The rows ordered by their ranks (-1 lowest), stable: rows of equal rank keep their order.
TLargeVector<std::uint32_t> OrderByRanks(const TLargeVector<int>& ranks, Qt::SortOrder order, TSortStage stage);
