#pragma once
// Reading a whole log in blocks of a few megabytes and handing on its entries as they are cut,
// in memory that does not grow with the file: for files of any size and for pipes.

#include "FBLogClassifier.h"
#include "FBLogEntryCutter.h"
#include "FBLogFile.h"

#include <optional>
#include <vector>

// Blocks small enough to stay in the processor's cache between the read and the cut; batches
// that are classified on several cores take larger ones, so that each core has enough to do.
constexpr std::size_t kStreamBlockSize = 1u << 20;
constexpr std::size_t kBatchBlockSize = 4u << 20;

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

// The entries one block completed, with their texts (valid until the next block is read) and,
// when asked for, their kinds.
struct TFBLogEntryBatch {
    std::vector<FBLogMsg> Msgs;
    std::vector<std::string_view> Texts;
    FBLogKinds Kinds;

    void Clear() noexcept
    {
        Msgs.clear();
        Texts.clear();
        Kinds.clear();
    }
};

// Classifies the batch's entries on all cores.
void ClassifyBatch(TFBLogEntryBatch& batch, const TFBLogDescriptor& catalogue);

// As StreamEntries, but hands on the entries a block at a time: onBatch(TFBLogEntryBatch&),
// classified first when a catalogue is given, and without their dates unless readDates.
template <typename OnBatch>
TFBLogEntryCutter StreamEntryBatches(TFBLogFileReader& file, std::optional<bool> lineFeedOnly,
                                     const TFBLogDescriptor* catalogue, OnBatch&& onBatch, bool readDates = true)
{
    TFBLogEntryCutter cutter(lineFeedOnly);
    cutter.SetReadDates(readDates);
    TFBLogEntryBatch batch;
    const std::size_t blockSize = catalogue != nullptr ? kBatchBlockSize : kStreamBlockSize;
    for (;;) {
        const std::span<char> room = cutter.Room(blockSize);
        const std::size_t got = file.ReadNext(room.data(), room.size());
        if (got == 0)
            break;
        batch.Clear();
        cutter.Cut(got, [&](const FBLogMsg& msg, std::string_view text) {
            batch.Msgs.push_back(msg);
            batch.Texts.push_back(text);
        });
        if (catalogue != nullptr)
            ClassifyBatch(batch, *catalogue);
        onBatch(batch);
    }
    return cutter;
}
