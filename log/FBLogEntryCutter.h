#pragma once
// Cutting a log into entries while it is read block by block: from a pipe, from a file of any
// size in little memory, or from what a server appends. Entries come out exactly as a scan of
// the whole file gives them; an entry that spans blocks is handed on once its closing blank line
// has arrived. Only the bytes of the entry not yet complete are kept between blocks.

#include "uFBLogParser.h"
#include "uFBLogDescriptor.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

class TFBLogEntryCutter {
public:
    // lineFeedOnly: the line-end rules when they are known (a whole file's, as the scan decides
    // them); nothing to decide them from the bytes: CR LF rules as soon as a CR LF pair arrives,
    // LF rules when a blank line of LF LF comes first. startOffset: where in the file the first
    // byte given lies.
    explicit TFBLogEntryCutter(std::optional<bool> lineFeedOnly = std::nullopt, std::int64_t startOffset = 0);

    // Room for up to `size` more bytes; write them there and hand them to Cut.
    std::span<char> Room(std::size_t size);

    // Takes `count` bytes written into the room and calls onEntry(const FBLogMsg&, text) for
    // each entry they complete; the text is valid during the call only.
    template <typename OnEntry>
    void Cut(std::size_t count, OnEntry&& onEntry)
    {
        FSize += count;
        std::int64_t start = -1;
        while (NextEntry(start)) {
            const FBLogMsg msg = EntryAt(start);
            onEntry(msg, std::string_view(FBuffer.data() + start, static_cast<std::size_t>(msg.Length)));
        }
    }

    // Takes bytes given from elsewhere; the same as writing them into Room and cutting.
    template <typename OnEntry>
    void Feed(std::string_view bytes, OnEntry&& onEntry)
    {
        const std::span<char> room = Room(bytes.size());
        std::copy(bytes.begin(), bytes.end(), room.begin());
        Cut(bytes.size(), onEntry);
    }

    // Off: entries come without their header's date (DateTime 0), for readers that never look
    // at it; this spares the header grammar for every entry.
    void SetReadDates(bool on) noexcept { FReadDates = on; }

    // The rules in use; nothing while they are still to be decided.
    std::optional<bool> LineFeedOnly() const noexcept { return FLineFeedOnly; }
    // Offset in the file just after the last entry handed on (or of the first byte given).
    std::int64_t EntriesEnd() const noexcept { return FEntriesEnd; }
    // Offset just after the last byte taken.
    std::int64_t BytesEnd() const noexcept { return FBufferStart + static_cast<std::int64_t>(FSize); }

private:
    // Finds the next complete entry in the kept bytes; start receives where it begins.
    bool NextEntry(std::int64_t& start);
    FBLogMsg EntryAt(std::int64_t start);
    bool DecideLineEnds();
    void DropLeadingSeparators();

    std::optional<bool> FLineFeedOnly;
    std::vector<char> FBuffer;
    std::size_t FSize = 0;         // bytes held in the buffer
    std::size_t FConsumed = 0;     // bytes at the buffer's front that belong to entries handed on
    std::size_t FEndSearch = 0;    // where the search for the pending entry's end goes on
    std::int64_t FPendingStart = -1;  // where the pending entry begins in the buffer, once known
    std::int64_t FPendingEnd = -1;
    std::int64_t FBufferStart = 0;  // file offset of the buffer's first byte
    std::int64_t FEntriesEnd = 0;
    TFBLogDescriptor FGrammar{""};
    bool FReadDates = true;
};
