#include "FBLogEntryCutter.h"

#include "FBLogEntryBounds.h"
#include "FBLogText.h"

#include <algorithm>
#include <cstring>

TFBLogEntryCutter::TFBLogEntryCutter(std::optional<bool> lineFeedOnly, std::int64_t startOffset)
    : FLineFeedOnly(lineFeedOnly), FBufferStart(startOffset), FEntriesEnd(startOffset)
{
}

std::span<char> TFBLogEntryCutter::Room(std::size_t size)
{
    // What belongs to entries handed on goes; the pending bytes move to the front.
    if (FConsumed > 0) {
        std::memmove(FBuffer.data(), FBuffer.data() + FConsumed, FSize - FConsumed);
        FBufferStart += static_cast<std::int64_t>(FConsumed);
        FSize -= FConsumed;
        if (FPendingStart >= 0)
            FPendingStart -= static_cast<std::int64_t>(FConsumed);
        FEndSearch -= std::min(FEndSearch, FConsumed);
        FConsumed = 0;
    }
    if (FBuffer.size() < FSize + size)
        FBuffer.resize(std::max(FSize + size, FBuffer.size() * 2));
    return {FBuffer.data() + FSize, size};
}

bool TFBLogEntryCutter::DecideLineEnds()
{
    // Whichever comes first in the bytes decides: a CR LF pair, or a blank line of LF LF.
    const std::string_view held(FBuffer.data(), FSize);
    const std::size_t crlf = FindBytes(held, 0, "\r\n");
    const std::size_t lflf = FindBytes(held, 0, "\n\n");
    if (crlf != std::string_view::npos || lflf != std::string_view::npos)
        FLineFeedOnly = lflf < crlf;
    return FLineFeedOnly.has_value();
}

void TFBLogEntryCutter::DropLeadingSeparators()
{
    // Nothing but line breaks is pending. A CR at the very end may still pair with an LF to come
    // and stays; the rest is skipped for good.
    const bool lastIsCR = !*FLineFeedOnly && FSize > FConsumed && FBuffer[FSize - 1] == '\r';
    FConsumed = FSize - (lastIsCR ? 1 : 0);
}

bool TFBLogEntryCutter::NextEntry(std::int64_t& start)
{
    if (!FLineFeedOnly && !DecideLineEnds())
        return false;
    const bool lineFeedOnly = *FLineFeedOnly;
    const std::string_view held(FBuffer.data(), FSize);
    if (FPendingStart < 0) {
        FPendingStart = FindEntryStartIn(held, static_cast<std::int64_t>(FConsumed), lineFeedOnly);
        if (FPendingStart < 0) {
            DropLeadingSeparators();
            return false;
        }
        FEndSearch = static_cast<std::size_t>(FPendingStart);
    }
    const std::int64_t end = FindEntryEndIn(held, static_cast<std::int64_t>(FEndSearch), lineFeedOnly);
    if (end < 0) {
        // A blank line found later may begin in the last few bytes held, but not before.
        const std::size_t resume = FSize > 3 ? FSize - 3 : 0;
        FEndSearch = std::max(FEndSearch, resume);
        return false;
    }
    start = FPendingStart;
    FPendingEnd = end;
    FPendingStart = -1;
    FConsumed = static_cast<std::size_t>(end);
    return true;
}

FBLogMsg TFBLogEntryCutter::EntryAt(std::int64_t start)
{
    const std::int64_t length = FPendingEnd - start;
    const std::string_view text(FBuffer.data() + start, static_cast<std::size_t>(length));
    FEntriesEnd = FBufferStart + FPendingEnd;
    return FBLogMsg{FBufferStart + start, length, FReadDates ? FGrammar.TryExtractDateTime(text) : 0.0};
}
