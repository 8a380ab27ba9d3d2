#pragma once
// Reading files for the log-reading classes: the log itself and the description catalogue.
// Files are opened read-only and shared in every way, so that a server may go on appending to
// its log, and rename or delete it, while it is read. Nothing here ever writes.
//
// File names are 8-bit text: the system's own bytes on POSIX, UTF-8 on Windows (turned into
// wide names there, so that any name opens, whatever the ANSI code page).

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

// A file that exists but cannot be opened or read. The message reads
// Cannot open file "<path>". <the system's reason>
class EFBLogFileError : public std::runtime_error {
public:
    EFBLogFileError(const std::string& fileName, const std::string& reason);
};

// The path object of a file name as described above.
std::filesystem::path FileSystemPath(const std::string& fileName);

// True when the name refers to an existing regular file (after following links). Folders,
// devices and pipes are not files to read.
bool FileExists(const std::string& fileName) noexcept;

// What tells one file from another at the same path: a file replaced by another, or renamed
// away while a new one takes its name, has another identity.
struct FBLogFileIdentity {
    std::uint64_t Device = 0;
    std::uint64_t Index = 0;

    bool operator==(const FBLogFileIdentity&) const = default;
};

// An open file, read at any offset or in order. Closed when the object goes.
class TFBLogFileReader {
public:
    // Opens the file; throws EFBLogFileError when it cannot. "-" is not special here.
    explicit TFBLogFileReader(const std::string& fileName);
    // Reads what the process was given as standard input.
    static std::unique_ptr<TFBLogFileReader> StandardInput();
    ~TFBLogFileReader();
    TFBLogFileReader(const TFBLogFileReader&) = delete;
    TFBLogFileReader& operator=(const TFBLogFileReader&) = delete;

    // Up to size bytes from the offset; fewer only at the end of the file. Throws on errors.
    std::size_t ReadAt(std::int64_t offset, char* buffer, std::size_t size);
    // Up to size bytes from where the last read in order ended; 0 at the end. Throws on errors.
    std::size_t ReadNext(char* buffer, std::size_t size);

    // The file's size now, or nothing for what has none (pipes, terminals).
    std::optional<std::int64_t> Size() const;
    FBLogFileIdentity Identity() const;
    const std::string& FileName() const noexcept { return FFileName; }

private:
    TFBLogFileReader() = default;
    [[noreturn]] void Fail() const;

    std::string FFileName;
#ifdef _WIN32
    void* FHandle = nullptr;
#else
    int FDescriptor = -1;
    bool FOwned = true;
#endif
};

// The identity of the file a name refers to now, or nothing when there is none.
std::optional<FBLogFileIdentity> IdentityOfFile(const std::string& fileName) noexcept;

// The bytes of a whole file, as they were while it was read.
struct FileBytes {
    std::unique_ptr<char[]> Data;
    std::int64_t Size = 0;
};

// Reads [from, end of file) into memory. Throws EFBLogFileError when the file cannot be opened
// or read, or when there is not enough memory to hold it.
FileBytes ReadFileFrom(const std::string& fileName, std::int64_t from);
inline FileBytes ReadWholeFile(const std::string& fileName)
{
    return ReadFileFrom(fileName, 0);
}
