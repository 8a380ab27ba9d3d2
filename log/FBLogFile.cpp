#include "FBLogFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <vector>

#ifdef _WIN32
#include <share.h>
#endif

namespace {

std::string SystemReason(int error)
{
    return std::strerror(error);
}

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr OpenForReading(const std::string& fileName)
{
#ifdef _WIN32
    // Other processes may read the file while we do, but not write it.
    return FilePtr(_fsopen(fileName.c_str(), "rb", _SH_DENYWR));
#else
    return FilePtr(std::fopen(fileName.c_str(), "rb"));
#endif
}

std::unique_ptr<char[]> Allocate(const std::string& fileName, std::uint64_t size)
{
    try {
        if (size > static_cast<std::uint64_t>(PTRDIFF_MAX))
            throw std::bad_alloc();
        return std::unique_ptr<char[]>(new char[static_cast<std::size_t>(size)]);
    } catch (const std::bad_alloc&) {
        throw EFBLogFileError(fileName, "There is not enough memory to load its " +
                                            std::to_string(size) + " bytes");
    }
}

// Reads until the end of the file into a growing buffer: for files whose size the file system
// does not know in advance (pseudo files, pipes behind a link).
FileBytes ReadUntilEnd(const std::string& fileName, std::FILE* file)
{
    std::vector<char> bytes;
    char chunk[64 * 1024];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got < sizeof chunk)
            break;
    }
    if (std::ferror(file))
        throw EFBLogFileError(fileName, SystemReason(errno));
    FileBytes result;
    result.Size = static_cast<std::int64_t>(bytes.size());
    result.Data = Allocate(fileName, bytes.size());
    if (!bytes.empty())
        std::memcpy(result.Data.get(), bytes.data(), bytes.size());
    return result;
}

}  // namespace

EFBLogFileError::EFBLogFileError(const std::string& fileName, const std::string& reason)
    : std::runtime_error("Cannot open file \"" + fileName + "\". " + reason)
{
}

bool FileExists(const std::string& fileName) noexcept
{
    std::error_code error;
    return !fileName.empty() && std::filesystem::is_regular_file(fileName, error);
}

FileBytes ReadWholeFile(const std::string& fileName)
{
    errno = 0;
    FilePtr file = OpenForReading(fileName);
    if (!file)
        throw EFBLogFileError(fileName, SystemReason(errno));

    std::error_code error;
    const std::uintmax_t expected = std::filesystem::file_size(fileName, error);
    if (error || expected == 0)
        return ReadUntilEnd(fileName, file.get());

    // The size seen now is the snapshot we take: a file that grows meanwhile is read up to it,
    // one that shrinks is read up to its new end.
    FileBytes result;
    result.Data = Allocate(fileName, expected);
    std::size_t total = 0;
    while (total < expected) {
        const std::size_t got = std::fread(result.Data.get() + total, 1, expected - total, file.get());
        if (got == 0)
            break;
        total += got;
    }
    if (std::ferror(file.get()))
        throw EFBLogFileError(fileName, SystemReason(errno));
    result.Size = static_cast<std::int64_t>(total);
    return result;
}
