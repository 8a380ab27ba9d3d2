#pragma once
// Reading whole files for the log-reading classes: the log itself and the description
// catalogue. Files are opened read-only and, on Windows, with other writers denied while they
// are read. Nothing here ever writes.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

// A file that exists but cannot be opened or read. The message reads
// Cannot open file "<path>". <the system's reason>
class EFBLogFileError : public std::runtime_error {
public:
    EFBLogFileError(const std::string& fileName, const std::string& reason);
};

// True when the name refers to an existing regular file (after following links). Folders,
// devices and pipes are not files to read.
bool FileExists(const std::string& fileName) noexcept;

// The bytes of a whole file, as they were while it was read.
struct FileBytes {
    std::unique_ptr<char[]> Data;
    std::int64_t Size = 0;
};

// Reads the whole file into memory. Throws EFBLogFileError when it cannot be opened or read,
// or when there is not enough memory to hold it.
FileBytes ReadWholeFile(const std::string& fileName);
