#pragma once
// A log held where it lies: a read-only map of the file, so that a log of gigabytes costs the
// program no memory of its own (its pages belong to the system's file cache and are dropped and
// read again as the system needs).
//
// A mapped file that another process truncates would make every read past its new end fail with
// SIGBUS. Such reads are answered with zeros instead: the pages past the end are replaced with
// empty ones and the map remembers that it no longer tells what the file holds. The live-log
// check then sees the shorter file and reads it again.
//
// Mapping is for POSIX systems only: on Windows a mapped file cannot be truncated by its writer,
// and the server must never be refused, so the log is read into memory there instead.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TFBLogFileMap {
public:
    // The whole file mapped, or nullptr where it cannot be (empty, not a regular file, a system
    // without maps); throws EFBLogFileError when the file cannot be opened.
    static std::unique_ptr<TFBLogFileMap> MapWholeFile(const std::string& fileName);
    ~TFBLogFileMap();
    TFBLogFileMap(const TFBLogFileMap&) = delete;
    TFBLogFileMap& operator=(const TFBLogFileMap&) = delete;

    std::string_view View() const noexcept { return {FData, FSize}; }
    // The bytes [offset, offset + size) of the view, read with the system's file reads into
    // buffer rather than through the map. A pass over a whole log reads it this way: on some
    // virtual machines the first touch of each mapped page costs several times its copy. Bytes
    // the file no longer holds read as zeros, as through the map.
    std::string_view ReadAt(std::size_t offset, std::size_t size, std::vector<char>& buffer) const;
    // True once a read found the file shorter than when it was mapped.
    bool Truncated() const noexcept;

private:
    TFBLogFileMap(const char* data, std::size_t size, int slot, int descriptor)
        : FData(data), FSize(size), FSlot(slot), FDescriptor(descriptor)
    {
    }
    void MarkTruncated() const noexcept;

    const char* FData;
    std::size_t FSize;
    int FSlot;        // where the fault handler finds this map
    int FDescriptor;  // the mapped file, as it was when mapped, even if renamed or replaced since
};
