#include "FBLogFile.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
std::string SystemReason(DWORD error)
{
    char* text = nullptr;
    const DWORD size = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason = size != 0 ? std::string(text, size) : "Error " + std::to_string(error);
    LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
        reason.pop_back();
    return reason;
}
std::string LastSystemReason()
{
    return SystemReason(GetLastError());
}
#else
std::string LastSystemReason()
{
    return std::strerror(errno);
}
#endif

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

FileBytes Collected(const std::string& fileName, const std::vector<char>& bytes)
{
    FileBytes result;
    result.Size = static_cast<std::int64_t>(bytes.size());
    result.Data = Allocate(fileName, bytes.size());
    if (!bytes.empty())
        std::memcpy(result.Data.get(), bytes.data(), bytes.size());
    return result;
}

// What a file that reports no size may hold before it is taken for one that never ends (such
// pseudo files exist: /proc/self/pagemap).
constexpr std::size_t kLongestUnsizedFile = std::size_t{256} << 20;

// Reads until the end of the file into a growing buffer: for files whose size the file system
// does not know in advance (pseudo files, pipes behind a link).
FileBytes ReadUntilEnd(TFBLogFileReader& file, std::int64_t from)
{
    std::vector<char> bytes;
    char chunk[64 * 1024];
    for (std::int64_t pos = from;;) {
        const std::size_t got = file.ReadAt(pos, chunk, sizeof chunk);
        if (bytes.size() + got > kLongestUnsizedFile)
            throw EFBLogFileError(file.FileName(), "It reports no size and does not end within " +
                                                       std::to_string(kLongestUnsizedFile >> 20) + " MiB");
        bytes.insert(bytes.end(), chunk, chunk + got);
        pos += static_cast<std::int64_t>(got);
        if (got < sizeof chunk)
            break;
    }
    return Collected(file.FileName(), bytes);
}

}  // namespace

EFBLogFileError::EFBLogFileError(const std::string& fileName, const std::string& reason)
    : std::runtime_error("Cannot open file \"" + fileName + "\". " + reason)
{
}

std::filesystem::path FileSystemPath(const std::string& fileName)
{
#ifdef _WIN32
    return std::filesystem::path(std::u8string(fileName.begin(), fileName.end()));
#else
    return std::filesystem::path(fileName);
#endif
}

bool FileExists(const std::string& fileName) noexcept
{
    std::error_code error;
    return !fileName.empty() && std::filesystem::is_regular_file(FileSystemPath(fileName), error);
}

#ifdef _WIN32

TFBLogFileReader::TFBLogFileReader(const std::string& fileName) : FFileName(fileName)
{
    // Shared for reading, writing and deleting: the server appends, renames and deletes its log
    // while we hold it.
    FHandle = CreateFileW(FileSystemPath(fileName).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (FHandle == INVALID_HANDLE_VALUE) {
        FHandle = nullptr;
        Fail();
    }
}

std::unique_ptr<TFBLogFileReader> TFBLogFileReader::StandardInput()
{
    std::unique_ptr<TFBLogFileReader> reader(new TFBLogFileReader());
    reader->FFileName = "-";
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DuplicateHandle(GetCurrentProcess(), input, GetCurrentProcess(), &reader->FHandle, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    return reader;
}

TFBLogFileReader::~TFBLogFileReader()
{
    if (FHandle != nullptr)
        CloseHandle(FHandle);
}

void TFBLogFileReader::Fail() const
{
    throw EFBLogFileError(FFileName, LastSystemReason());
}

std::size_t TFBLogFileReader::ReadAt(std::int64_t offset, char* buffer, std::size_t size)
{
    std::size_t total = 0;
    while (total < size) {
        OVERLAPPED at{};
        const auto pos = static_cast<std::uint64_t>(offset) + total;
        at.Offset = static_cast<DWORD>(pos);
        at.OffsetHigh = static_cast<DWORD>(pos >> 32);
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - total, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(FHandle, buffer + total, want, &got, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            Fail();
        }
        if (got == 0)
            break;
        total += got;
    }
    return total;
}

std::size_t TFBLogFileReader::ReadNext(char* buffer, std::size_t size)
{
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!ReadFile(FHandle, buffer, want, &got, nullptr)) {
        if (GetLastError() == ERROR_BROKEN_PIPE || GetLastError() == ERROR_HANDLE_EOF)
            return 0;
        Fail();
    }
    return got;
}

std::optional<std::int64_t> TFBLogFileReader::Size() const
{
    LARGE_INTEGER size{};
    if (GetFileType(FHandle) != FILE_TYPE_DISK || !GetFileSizeEx(FHandle, &size))
        return std::nullopt;
    return size.QuadPart;
}

namespace {
FBLogFileIdentity IdentityOfHandle(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info))
        return {};
    return {info.dwVolumeSerialNumber,
            (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}
}  // namespace

FBLogFileIdentity TFBLogFileReader::Identity() const
{
    return IdentityOfHandle(FHandle);
}

std::optional<FBLogFileIdentity> IdentityOfFile(const std::string& fileName) noexcept
{
    // Opening for no access at all still tells the identity and never disturbs the server.
    HANDLE handle = CreateFileW(FileSystemPath(fileName).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    const FBLogFileIdentity identity = IdentityOfHandle(handle);
    CloseHandle(handle);
    return identity;
}

#else

TFBLogFileReader::TFBLogFileReader(const std::string& fileName) : FFileName(fileName)
{
    FDescriptor = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (FDescriptor < 0)
        Fail();
}

std::unique_ptr<TFBLogFileReader> TFBLogFileReader::StandardInput()
{
    std::unique_ptr<TFBLogFileReader> reader(new TFBLogFileReader());
    reader->FFileName = "-";
    reader->FDescriptor = STDIN_FILENO;
    reader->FOwned = false;
    return reader;
}

TFBLogFileReader::~TFBLogFileReader()
{
    if (FDescriptor >= 0 && FOwned)
        ::close(FDescriptor);
}

void TFBLogFileReader::Fail() const
{
    throw EFBLogFileError(FFileName, LastSystemReason());
}

std::size_t TFBLogFileReader::ReadAt(std::int64_t offset, char* buffer, std::size_t size)
{
    std::size_t total = 0;
    while (total < size) {
        const ssize_t got = ::pread(FDescriptor, buffer + total, size - total,
                                    static_cast<off_t>(offset + static_cast<std::int64_t>(total)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            Fail();
        if (got == 0)
            break;
        total += static_cast<std::size_t>(got);
    }
    return total;
}

std::size_t TFBLogFileReader::ReadNext(char* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t got = ::read(FDescriptor, buffer, size);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            Fail();
    }
}

std::optional<std::int64_t> TFBLogFileReader::Size() const
{
    struct stat status {};
    if (::fstat(FDescriptor, &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return static_cast<std::int64_t>(status.st_size);
}

FBLogFileIdentity TFBLogFileReader::Identity() const
{
    struct stat status {};
    if (::fstat(FDescriptor, &status) != 0)
        return {};
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

std::optional<FBLogFileIdentity> IdentityOfFile(const std::string& fileName) noexcept
{
    struct stat status {};
    if (::stat(fileName.c_str(), &status) != 0)
        return std::nullopt;
    return FBLogFileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

#endif

FileBytes ReadFileFrom(const std::string& fileName, std::int64_t from)
{
    TFBLogFileReader file(fileName);
    const std::optional<std::int64_t> size = file.Size();
    if (!size || *size == 0)
        return ReadUntilEnd(file, from);

    // The size seen now is the snapshot we take: a file that grows meanwhile is read up to it,
    // one that shrinks is read up to its new end.
    const std::int64_t expected = std::max<std::int64_t>(*size - from, 0);
    FileBytes result;
    result.Data = Allocate(fileName, static_cast<std::uint64_t>(expected));
    result.Size = static_cast<std::int64_t>(file.ReadAt(from, result.Data.get(), static_cast<std::size_t>(expected)));
    return result;
}
