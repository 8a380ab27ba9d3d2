#include "FBLogScanRuns.h"

#include "FBLogEntryBounds.h"
#include "FBLogParallel.h"
#include "uFBLogDescriptor.h"

#include <algorithm>
#include <atomic>

std::vector<std::int64_t> EntryRunBounds(std::string_view data, std::int64_t from, std::size_t runs,
                                         bool lineFeedOnly)
{
    const auto size = static_cast<std::int64_t>(data.size());
    std::vector<std::int64_t> bounds{from};
    for (std::size_t run = 1; run < runs; ++run) {
        const std::int64_t nominal = from + static_cast<std::int64_t>(
            static_cast<long double>(size - from) * static_cast<long double>(run) / static_cast<long double>(runs));
        // The end of the first blank line at or after the nominal cut. An entry begun at or
        // before the blank line's first byte ends at or before its end, as the blank line would
        // close it; none begins at a later byte of it, as its LFs (and under the CR LF rules its
        // second CR, which follows an LF) are skipped; and after its last LF the skipping of CR
        // LF pairs stands as at a fresh start. So a scan started at the cut finds what the scan
        // of the whole finds after it.
        const std::int64_t cut = FindEntryEndIn(data, std::max(nominal, bounds.back()), lineFeedOnly);
        if (cut < 0 || cut >= size)
            break;
        bounds.push_back(cut);
    }
    bounds.push_back(size);
    return bounds;
}

std::size_t CutEntriesIn(std::string_view data, std::int64_t from, std::int64_t limit, bool lineFeedOnly,
                         std::int64_t base, FBLogsMsgs& msgs, const std::function<void(std::int64_t)>& onBlock)
{
    TFBLogDescriptor grammar("");
    std::size_t count = 0;
    for (std::int64_t cur = from;;) {
        const std::int64_t start = FindEntryStartIn(data, cur, lineFeedOnly);
        if (start < 0 || start >= limit)
            break;
        const std::int64_t end = FindEntryEndIn(data, start, lineFeedOnly);
        if (end < 0)
            break;
        cur = end;
        const std::string_view text = data.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
        msgs.push_back(FBLogMsg{base + start, end - start, grammar.TryExtractDateTime(text)});
        if (++count % kEntriesPerBlock == 0)
            onBlock(base + end);
    }
    return count;
}

bool HoldsCRLFOnAllCores(std::string_view data)
{
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    std::atomic<bool> found{false};
    ForEachPartInParallel(data.size(), kChunk, [&](std::size_t first, std::size_t last) {
        for (std::size_t at = first; at < last && !found.load(std::memory_order_relaxed); at += kChunk) {
            // One byte past the chunk, for a pair across two chunks or two parts.
            const std::size_t end = std::min(last, at + kChunk);
            if (HoldsCRLF(data.substr(at, end - at + 1)))
                found.store(true, std::memory_order_relaxed);
        }
    });
    return found.load();
}
