#include "uFBLogParser.h"

#include "FBLogEntryBounds.h"
#include "FBLogFile.h"
#include "FBLogParallel.h"
#include "FBLogScanRuns.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <exception>
#include <thread>

namespace {

constexpr std::int64_t kProgressIntervalMs = 500;

// Hands the progress caption to the sink when more than 500 ms have passed since the last
// report (or since the scan began). Without a sink the clock is not even read.
class ProgressThrottle {
public:
    ProgressThrottle(const FBLogProgressSink& sink, const FBLogClock& clock)
        : FSink(sink), FClock(clock ? clock : FBLogClock(MonotonicMilliseconds))
    {
        if (FSink)
            FLastReport = FClock();
    }

    void RecordAppended(std::int64_t pos, std::int64_t fileSize)
    {
        if (!FSink)
            return;
        const std::int64_t now = FClock();
        if (now - FLastReport <= kProgressIntervalMs)
            return;
        FLastReport = now;
        FSink(FormatScanProgress(pos, fileSize));
    }

private:
    FBLogProgressSink FSink;
    FBLogClock FClock;
    std::int64_t FLastReport = 0;
};

// The index is allocated once, for the entries that the first few megabytes promise: growing it
// while appending would briefly hold two copies of an index of millions of entries. Room beyond
// what entries fill is only address space; a log whose entries get much shorter later on still
// grows it.
void ReserveIndex(FBLogsMsgs& msgs, std::size_t expected)
{
    msgs.reserve(WithRoomToGrow(expected));
}

// The entries expected in one run of a shared scan, by its share of the bytes.
std::size_t ExpectedInRun(std::size_t expected, const std::vector<std::int64_t>& bounds, std::size_t run)
{
    const auto share = static_cast<long double>(bounds[run + 1] - bounds[run]) /
                       static_cast<long double>(bounds.back() - bounds.front());
    return static_cast<std::size_t>(static_cast<long double>(expected) * share);
}

// Appends the indexes of the later runs to that of the first, letting each go once copied, so
// that the entries are held twice only a run at a time; or raises what a run failed with.
void JoinRuns(FBLogsMsgs& msgs, std::vector<FBLogsMsgs>& runs, const std::vector<std::exception_ptr>& failures)
{
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
    std::size_t total = msgs.size();
    for (const FBLogsMsgs& run : runs)
        total += run.size();
    if (total > msgs.capacity())
        ReserveIndex(msgs, total);
    for (FBLogsMsgs& run : runs) {
        msgs.insert(msgs.end(), run.begin(), run.end());
        FBLogsMsgs().swap(run);
    }
}

}  // namespace

std::size_t TFBLogParser::EstimatedEntries(std::string_view data, std::int64_t from) const
{
    constexpr std::int64_t kSampled = 4 << 20;
    const std::int64_t size = static_cast<std::int64_t>(data.size()) - from;
    const std::int64_t sampleEnd = from + std::min(size, kSampled);
    std::int64_t count = 0;
    std::int64_t cur = from;
    for (std::int64_t start; cur < sampleEnd && (start = FindEntryStartIn(data, cur, FLineFeedOnly)) >= 0; ++count) {
        cur = FindEntryEndIn(data, start, FLineFeedOnly);
        if (cur < 0)
            break;
    }
    if (cur < 0 || cur >= from + size || cur <= from)
        return static_cast<std::size_t>(count);
    // A fifth more than the sample's rate promises, for logs whose entries vary in length.
    const long double perByte = static_cast<long double>(count) / static_cast<long double>(cur - from);
    return static_cast<std::size_t>(perByte * static_cast<long double>(size) * 1.2L) + 1;
}

std::size_t WithRoomToGrow(std::size_t count) noexcept
{
    return count + count / 8 + 1024;
}

std::int64_t MonotonicMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string FormatScanProgress(std::int64_t pos, std::int64_t fileSize)
{
    std::string caption =
        "Parsing file: " + std::to_string(pos) + " of " + std::to_string(fileSize);
    if (fileSize != 0) {
        // nearbyint rounds halves to even under the default rounding mode. The product is
        // taken in long double: 100 times a position past INT64_MAX / 100 overflows 64 bits.
        const long double percent =
            std::nearbyint(100.0L * static_cast<long double>(pos) / static_cast<long double>(fileSize));
        caption += " (" + std::to_string(static_cast<long long>(percent)) + "%)";
    }
    return caption;
}

TFBLogParser::TFBLogParser(const std::string& fileName)
    : FFileName(fileName), FScanThreads(std::max(1u, std::thread::hardware_concurrency()))
{
}

void TFBLogParser::SetScanThreads(unsigned threads, std::int64_t fromBytes, std::int64_t readBlockBytes)
{
    FScanThreads = std::max(1u, threads);
    FSharedScanFrom = fromBytes;
    FReadBlockBytes = std::max<std::int64_t>(1, readBlockBytes);
}

TFBLogParser::~TFBLogParser() = default;

void TFBLogParser::SetProgressSink(FBLogProgressSink sink, FBLogClock clock)
{
    FProgressSink = std::move(sink);
    FClock = std::move(clock);
}

std::int64_t TFBLogParser::LoadFile()
{
    return LoadFileForScan(false);
}

std::int64_t TFBLogParser::LoadFileForScan(bool crlfSearchedByScan)
{
    FInMemory = false;
    FCRLFToFind = false;
    FScannedGuess.reset();
    FFileSize = 0;
    FSegments.clear();
    if (!FileExists(FFileName))
        return 0;
    if (std::unique_ptr<TFBLogFileMap> map = TFBLogFileMap::MapWholeFile(FFileName)) {
        const auto size = static_cast<std::int64_t>(map->View().size());
        FSegments.push_back(TSegment{0, size, nullptr, std::move(map)});
        FFileSize = size;
    } else {
        AddSegment(0, ReadWholeFile(FFileName));
    }
    // A single CR LF anywhere selects the CR LF rules for the whole file. A log read in blocks
    // is not read once more for it: where its first megabyte holds none (a Linux server's log),
    // the scan looks for one in the rest.
    const TSegment& segment = FSegments.front();
    if (crlfSearchedByScan && ReadsInBlocks(segment, segment.Size)) {
        constexpr std::size_t kHead = std::size_t{1} << 20;
        FCRLFToFind = !HoldsCRLF(segment.View().substr(0, kHead));
        FLineFeedOnly = FCRLFToFind;
    } else {
        FLineFeedOnly = !HoldsCRLFAsScanned(segment.View());
    }
    return FFileSize;
}

std::int64_t TFBLogParser::LoadBytes(std::string_view bytes)
{
    FSegments.clear();
    FCRLFToFind = false;
    FScannedGuess.reset();
    FileBytes copy;
    copy.Data = std::make_unique<char[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), copy.Data.get());
    copy.Size = static_cast<std::int64_t>(bytes.size());
    AddSegment(0, std::move(copy));
    FLineFeedOnly = !HoldsCRLFAsScanned(bytes);
    FInMemory = true;
    return FFileSize;
}

void TFBLogParser::AddSegment(std::int64_t start, FileBytes bytes)
{
    // A segment that no longer adds anything new stays out; one that starts where the last one
    // did replaces it, so that entries finished a few bytes at a time do not pile segments up.
    if (!FSegments.empty() && FSegments.back().Start == start)
        FSegments.pop_back();
    FSegments.push_back(TSegment{start, bytes.Size, std::move(bytes.Data), nullptr});
    FFileSize = start + bytes.Size;
}

const TFBLogParser::TSegment* TFBLogParser::SegmentAt(std::int64_t pos) const noexcept
{
    const auto after = std::upper_bound(FSegments.begin(), FSegments.end(), pos,
                                        [](std::int64_t value, const TSegment& segment) { return value < segment.Start; });
    return after == FSegments.begin() ? nullptr : &*std::prev(after);
}

void TFBLogParser::ScanEntries(FBLogsMsgs& msgs)
{
    std::int64_t pos = 0;
    ScanEntriesFrom(pos, msgs);
}

void TFBLogParser::ScanEntriesFrom(std::int64_t& pos, FBLogsMsgs& msgs)
{
    msgs.clear();
    if (!FInMemory && !FileExists(FFileName))
        return;
    if (FSegments.empty() && LoadFileForScan(true) == 0)
        return;
    if (FFileSize == 0)
        return;
    if (const TSegment* segment = SegmentAt(pos))
        CutEntries(*segment, pos, msgs);
    RememberTail(pos);
}

bool TFBLogParser::ScanAppendedEntries(std::int64_t& pos, FBLogsMsgs& msgs)
{
    msgs.clear();
    if (FSegments.empty()) {
        ScanEntriesFrom(pos, msgs);
        return true;
    }
    TFBLogFileReader file(FFileName);
    if (!StillHolds(file, pos))
        return false;
    // Reading again from where the latest segment starts, while it is small, keeps the count of
    // segments to about one per megabyte appended.
    constexpr std::int64_t kMergeBelow = 1 << 20;
    const TSegment& last = FSegments.back();
    const std::int64_t readFrom = last.Start > 0 && last.Start <= pos && last.Size < kMergeBelow ? last.Start : pos;
    // A log shorter than what was read, or one that shrank under the map, must be read again.
    const std::int64_t size = file.Size().value_or(0);
    if (size < FFileSize || LostHeldBytes())
        return false;
    if (size <= pos)
        return true;
    FileBytes bytes;
    bytes.Data = std::make_unique<char[]>(static_cast<std::size_t>(size - readFrom));
    bytes.Size = static_cast<std::int64_t>(file.ReadAt(readFrom, bytes.Data.get(), static_cast<std::size_t>(size - readFrom)));
    AddSegment(readFrom, std::move(bytes));
    // Until an entry is complete, the rules follow what the file holds then, as a fresh load.
    if (pos == 0)
        FLineFeedOnly = !HoldsCRLF(FSegments.back().View());
    CutEntries(FSegments.back(), pos, msgs);
    RememberTail(pos);
    return true;
}

void TFBLogParser::RememberTail(std::int64_t pos)
{
    // Kept apart from the held bytes: a map shows what the file holds now, not what was read.
    constexpr std::int64_t kCompared = 64;
    FTailEnd = pos;
    FTail = pos > 0 ? ReadRange(std::max(pos - kCompared, SegmentAt(pos - 1)->Start), pos) : std::string();
}

bool TFBLogParser::StillHolds(TFBLogFileReader& file, std::int64_t pos) const
{
    // The bytes just before the end of the last entry tell a file that was appended to from
    // one rewritten meanwhile (truncated and filled again between two looks at it).
    if (pos <= 0)
        return true;
    if (pos != FTailEnd)
        return false;
    std::string now(FTail.size(), '\0');
    now.resize(file.ReadAt(pos - static_cast<std::int64_t>(FTail.size()), now.data(), now.size()));
    return now == FTail;
}

void TFBLogParser::CutEntries(const TSegment& segment, std::int64_t& pos, FBLogsMsgs& msgs)
{
    const std::string_view data = segment.View();
    const std::int64_t from = pos - segment.Start;
    const std::size_t expected = EstimatedEntries(data, from);
    ReserveIndex(msgs, expected);
    const std::int64_t bytes = static_cast<std::int64_t>(data.size()) - from;
    const std::size_t runs = SharesScanOf(bytes) ? FScanThreads : 1;
    const bool inBlocks = ReadsInBlocks(segment, bytes);
    // About one block per FReadBlockBytes, in each run.
    const std::int64_t perRun = bytes / static_cast<std::int64_t>(runs);
    const std::size_t blocksPerRun =
        inBlocks ? static_cast<std::size_t>(std::max<std::int64_t>(1, (perRun + FReadBlockBytes - 1) / FReadBlockBytes)) : 1;
    const std::vector<std::int64_t> blocks = EntryRunBounds(data, from, runs * blocksPerRun, FLineFeedOnly);
    if (blocks.size() > 2 || inBlocks)
        CutEntriesInBlocks(segment, blocks, std::min(runs, blocks.size() - 1), expected, msgs);
    else
        CutEntriesAlone(data, segment.Start, from, msgs);
    if (FCRLFToFind) {
        // The scan found no CR LF pair, or one that calls for the CR LF rules and a scan again.
        FCRLFToFind = false;
        if (!FLineFeedOnly) {
            msgs.clear();
            CutEntries(segment, pos, msgs);
            return;
        }
    }
    if (!msgs.empty())
        pos = msgs.back().Offset + msgs.back().Length;
}

bool TFBLogParser::SharesScanOf(std::int64_t bytes) const noexcept
{
    return FScanThreads > 1 && bytes >= FSharedScanFrom;
}

bool TFBLogParser::HoldsCRLFAsScanned(std::string_view data) const
{
    return SharesScanOf(static_cast<std::int64_t>(data.size())) ? HoldsCRLFOnAllCores(data) : HoldsCRLF(data);
}

void TFBLogParser::CutEntriesInBlocks(const TSegment& segment, const std::vector<std::int64_t>& blocks,
                                      std::size_t runs, std::size_t expected, FBLogsMsgs& msgs)
{
    // Each run is a stretch of consecutive blocks. The first run is cut straight into msgs, the
    // others into indexes of their own.
    const std::int64_t base = segment.Start;
    const std::size_t blockCount = blocks.size() - 1;
    const auto firstBlockOf = [&](std::size_t run) { return run * blockCount / runs; };
    std::vector<std::int64_t> bounds(runs + 1);
    for (std::size_t run = 0; run <= runs; ++run)
        bounds[run] = blocks[firstBlockOf(run)];
    std::vector<FBLogsMsgs> later(runs);
    std::vector<std::exception_ptr> failures(runs);
    // What the bytes read tell besides the entries: the encoding of a whole file and its line ends.
    const bool wholeFile = base == 0 && blocks.front() == 0 && FSegments.size() == 1;
    std::vector<TFBLogEncodingGuess> guesses(wholeFile ? runs : 0);
    std::atomic<bool> crlfFound{false};
    // Progress counts the bytes cut in all runs, and is told only on the calling thread.
    ProgressThrottle progress(FProgressSink, FClock);
    std::atomic<std::int64_t> bytesCut{0};
    const std::thread::id caller = std::this_thread::get_id();
    const auto cutRun = [&](std::size_t run) {
        FBLogsMsgs& index = run == 0 ? msgs : later[run];
        if (run > 0)
            ReserveIndex(index, ExpectedInRun(expected, bounds, run));
        std::int64_t counted = base + bounds[run];
        const auto onBlock = [&](std::int64_t end) {
            const std::int64_t all = bytesCut.fetch_add(end - counted, std::memory_order_relaxed) + (end - counted);
            counted = end;
            if (std::this_thread::get_id() == caller)
                progress.RecordAppended(base + bounds.front() + all, FFileSize);
        };
        std::vector<char> buffer;
        for (std::size_t block = firstBlockOf(run); block < firstBlockOf(run + 1); ++block) {
            const std::string_view bytes = BlockBytes(segment, blocks[block], blocks[block + 1], buffer);
            // Blocks end just after a line end: a CR LF pair never spans two of them.
            if (FCRLFToFind && !crlfFound.load(std::memory_order_relaxed) && HoldsCRLF(bytes))
                crlfFound.store(true, std::memory_order_relaxed);
            if (wholeFile)
                guesses[run].Take(bytes);
            CutEntriesIn(bytes, 0, static_cast<std::int64_t>(bytes.size()), FLineFeedOnly, base + blocks[block], index,
                         onBlock);
        }
    };
    // A failure on a worker thread must not end the program: it is raised here after the join.
    ForEachPartInParallel(runs, 1, [&](std::size_t first, std::size_t last) {
        for (std::size_t run = first; run < last; ++run)
            try {
                cutRun(run);
            } catch (...) {
                failures[run] = std::current_exception();
            }
    });
    JoinRuns(msgs, later, failures);
    if (crlfFound.load())
        FLineFeedOnly = false;
    if (wholeFile) {
        // The runs begin at line starts, so their counts add up to those of one guess over all.
        FScannedGuess = std::move(guesses.front());
        for (std::size_t run = 1; run < runs; ++run) {
            FScannedGuess->EndStretch();
            FScannedGuess->Join(guesses[run]);
        }
    }
    if (!msgs.empty())
        progress.RecordAppended(msgs.back().Offset + msgs.back().Length, FFileSize);
}

bool TFBLogParser::ReadsInBlocks(const TSegment& segment, std::int64_t bytes) const noexcept
{
    return segment.Map != nullptr && bytes >= FSharedScanFrom;
}

std::string_view TFBLogParser::BlockBytes(const TSegment& segment, std::int64_t from, std::int64_t to,
                                          std::vector<char>& buffer) const
{
    // A block larger than this (a log without blank lines) is read through the map instead.
    constexpr std::int64_t kLargestRead = std::int64_t{64} << 20;
    if (to - from <= kLargestRead)
        return PassBytes(segment.Start + from, segment.Start + to, buffer);
    return segment.View().substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
}

TFBLogEncoding TFBLogParser::GuessedEncoding(TFBLogEncoding legacy) const
{
    if (FScannedGuess)
        return FScannedGuess->Choice(legacy);
    return GuessEncoding(ViewRange(0, FFileSize), legacy);
}

void TFBLogParser::CutEntriesAlone(std::string_view data, std::int64_t base, std::int64_t from, FBLogsMsgs& msgs)
{
    ProgressThrottle progress(FProgressSink, FClock);
    // The clock is read once per block of entries, not for each, and after the last one.
    const std::size_t count = CutEntriesIn(data, from, static_cast<std::int64_t>(data.size()), FLineFeedOnly, base,
                                           msgs, [&](std::int64_t end) { progress.RecordAppended(end, FFileSize); });
    if (count % kEntriesPerBlock != 0)
        progress.RecordAppended(msgs.back().Offset + msgs.back().Length, FFileSize);
}

bool TFBLogParser::LostHeldBytes() const noexcept
{
    return std::any_of(FSegments.begin(), FSegments.end(),
                       [](const TSegment& segment) { return segment.Map && segment.Map->Truncated(); });
}

std::string_view TFBLogParser::ViewRange(std::int64_t from, std::int64_t to) const noexcept
{
    from = std::max<std::int64_t>(from, 0);
    to = std::min(to, FFileSize);
    const TSegment* segment = SegmentAt(from);
    if (segment == nullptr || from >= to || to <= 0)
        return {};
    to = std::min(to, segment->Start + segment->Size);
    if (from >= to)
        return {};
    return segment->View().substr(static_cast<std::size_t>(from - segment->Start), static_cast<std::size_t>(to - from));
}

std::string_view TFBLogParser::PassBytes(std::int64_t from, std::int64_t to, std::vector<char>& buffer) const
{
    const std::string_view view = ViewRange(from, to);
    const TSegment* segment = SegmentAt(std::max<std::int64_t>(from, 0));
    if (view.empty() || segment == nullptr || !segment->Map)
        return view;
    return segment->Map->ReadAt(static_cast<std::size_t>(from - segment->Start), view.size(), buffer);
}

std::string TFBLogParser::ReadRange(std::int64_t from, std::int64_t to) const
{
    return std::string(ViewRange(from, to));
}

std::string TFBLogParser::ReadEntryText(std::int64_t offset, std::int64_t length) const
{
    if (FSegments.empty() || offset < 0 || offset >= FFileSize || length <= 0)
        return {};
    length = std::min(length, FFileSize - offset);
    return ReadRange(offset, offset + length);
}

std::int64_t TFBLogParser::FindEntryStart(std::int64_t pos) const noexcept
{
    const TSegment* segment = SegmentAt(pos);
    if (segment == nullptr)
        return -1;
    const std::int64_t found = FindEntryStartIn(segment->View(), pos - segment->Start, FLineFeedOnly);
    return found < 0 ? -1 : segment->Start + found;
}

std::int64_t TFBLogParser::FindEntryEnd(std::int64_t pos) const noexcept
{
    const TSegment* segment = SegmentAt(pos);
    if (segment == nullptr)
        return -1;
    const std::int64_t found = FindEntryEndIn(segment->View(), pos - segment->Start, FLineFeedOnly);
    return found < 0 ? -1 : segment->Start + found;
}
