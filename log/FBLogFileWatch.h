#pragma once
// Noticing what happens to a log at its path while it is followed: the server appends to it,
// and administrators truncate, rotate, replace and delete it. Checks are cheap (the file's
// identity and size) and are made whenever the caller asks: on a change notification, and on a
// timer, since network shares and some file systems send none.

#include "FBLogFile.h"

#include <cstdint>
#include <optional>
#include <string>

enum class TFBLogFileChange {
    None,      // as it was
    Grown,     // the same file, longer: read what was appended
    Shrunk,    // the same file, shorter: truncated, read it again from the start
    Replaced,  // another file at the path (replaced, or rotated and created anew)
    Deleted,   // no file at the path any more
    Returned,  // a file at the path again after it was gone
};

class TFBLogFileWatch {
public:
    // Notes the file at the path as it is now (or that there is none).
    explicit TFBLogFileWatch(std::string fileName);

    // What changed since the last check (or since the file was last noted), and notes it.
    TFBLogFileChange Check();
    // Notes the file as it is now, after the caller has read it again in full.
    void Note();
    // Notes a size read up to, when the caller read more or less than the last check saw.
    void NoteSize(std::int64_t size) noexcept { FSize = size; }

    const std::string& FileName() const noexcept { return FFileName; }
    bool Present() const noexcept { return FIdentity.has_value(); }
    std::int64_t Size() const noexcept { return FSize; }

private:
    struct TState {
        std::optional<FBLogFileIdentity> Identity;
        std::int64_t Size = 0;
    };
    TState Observe() const;

    std::string FFileName;
    std::optional<FBLogFileIdentity> FIdentity;
    std::int64_t FSize = 0;
};

// The status-bar sentence for a change that made the viewer (or kslog) read the log again.
const char* DescribeFileChange(TFBLogFileChange change) noexcept;
