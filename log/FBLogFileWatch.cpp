#include "FBLogFileWatch.h"

#include <filesystem>

TFBLogFileWatch::TFBLogFileWatch(std::string fileName) : FFileName(std::move(fileName))
{
    Note();
}

TFBLogFileWatch::TState TFBLogFileWatch::Observe() const
{
    TState state;
    if (!FileExists(FFileName))
        return state;
    state.Identity = IdentityOfFile(FFileName);
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(FileSystemPath(FFileName), error);
    state.Size = error ? 0 : static_cast<std::int64_t>(size);
    return state;
}

void TFBLogFileWatch::Note()
{
    const TState now = Observe();
    FIdentity = now.Identity;
    FSize = now.Size;
}

TFBLogFileChange TFBLogFileWatch::Check()
{
    const TState now = Observe();
    TFBLogFileChange change = TFBLogFileChange::None;
    if (!now.Identity)
        change = FIdentity ? TFBLogFileChange::Deleted : TFBLogFileChange::None;
    else if (!FIdentity)
        change = TFBLogFileChange::Returned;
    else if (*now.Identity != *FIdentity)
        change = TFBLogFileChange::Replaced;
    else if (now.Size < FSize)
        change = TFBLogFileChange::Shrunk;
    else if (now.Size > FSize)
        change = TFBLogFileChange::Grown;
    FIdentity = now.Identity;
    FSize = now.Size;
    return change;
}

const char* DescribeFileChange(TFBLogFileChange change) noexcept
{
    switch (change) {
    case TFBLogFileChange::Shrunk: return "The log file was truncated; it was read again.";
    case TFBLogFileChange::Replaced: return "The log file was replaced or rotated; the new file was read.";
    case TFBLogFileChange::Deleted: return "The log file is gone; what was read stays shown.";
    case TFBLogFileChange::Returned: return "The log file is back; it was read again.";
    case TFBLogFileChange::Grown:
    case TFBLogFileChange::None: break;
    }
    return "";
}
