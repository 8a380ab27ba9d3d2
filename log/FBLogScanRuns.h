#pragma once
// Cutting a log into entries run by run: the bytes are cut at blank lines where a scan started
// afresh finds exactly the entries that a scan of the whole finds, so that the runs can be
// scanned on several threads at once and their indexes joined.

#include "uFBLogParser.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// How many entries a scan cuts between two calls of its block callback.
constexpr std::size_t kEntriesPerBlock = 1024;

// Splits data[from, end of data) into at most `runs` runs of about equal size, and returns their
// bounds: from, the cuts in increasing order, and the data's size. Each cut lies just after a
// blank line: an entry that begins before the cut ends at or before it, and a scan from the cut
// finds what a scan from `from` finds after it (under the CR LF rules the skipping of line ends
// is back in its first state there).
std::vector<std::int64_t> EntryRunBounds(std::string_view data, std::int64_t from, std::size_t runs,
                                         bool lineFeedOnly);

// Appends to msgs the entries that begin in data[from, limit), found by scanning from `from`, with
// their offsets moved by `base`; calls onBlock with the file position after the last entry cut
// every kEntriesPerBlock entries. Returns how many entries it appended.
std::size_t CutEntriesIn(std::string_view data, std::int64_t from, std::int64_t limit, bool lineFeedOnly,
                         std::int64_t base, FBLogsMsgs& msgs, const std::function<void(std::int64_t)>& onBlock);

// HoldsCRLF shared between the cores: each searches a part of the data a megabyte at a time and
// stops once any of them has found a pair. For a log without CR LF this is a pass over all of it
// before the scan, and the pass that first reads its pages.
bool HoldsCRLFOnAllCores(std::string_view data);
