#pragma once
// Reading a whole log in blocks of a few megabytes and handing on its entries as they are cut,
// in memory that does not grow with the file: for files of any size and for pipes.

#include "FBLogEntryCutter.h"
#include "FBLogFile.h"

#include <optional>

constexpr std::size_t kStreamBlockSize = 4u << 20;

// The line-end rules a whole-file scan would choose (LF only: true), read in blocks: a CR LF in
// the first block decides at once; otherwise the rest is searched for one. Nothing for what
// cannot be read twice (a pipe): the cut then decides from the bytes as they come.
std::optional<bool> LineFeedOnlyOfFile(TFBLogFileReader& file);

// Reads the file (or pipe) from where it stands to its end and calls
// onEntry(const FBLogMsg&, std::string_view text) for each complete entry. Returns the cutter,
// which knows where the last entry ended and holds the bytes after it.
template <typename OnEntry>
TFBLogEntryCutter StreamEntries(TFBLogFileReader& file, std::optional<bool> lineFeedOnly, OnEntry&& onEntry)
{
    TFBLogEntryCutter cutter(lineFeedOnly);
    for (;;) {
        const std::span<char> room = cutter.Room(kStreamBlockSize);
        const std::size_t got = file.ReadNext(room.data(), room.size());
        if (got == 0)
            break;
        cutter.Cut(got, onEntry);
    }
    return cutter;
}
