#pragma once
// A set of entries of a log, by their position in the index: one bit an entry.

#include <cstddef>
#include <cstdint>
#include <vector>

class TFBLogEntrySet {
public:
    // A set over `size` entries that holds none of them, or all of them.
    explicit TFBLogEntrySet(std::size_t size = 0, bool all = false);

    bool Contains(std::size_t entry) const noexcept
    {
        return entry < FSize && (FWords[entry / 64] >> (entry % 64) & 1u) != 0;
    }
    // Not safe from two threads on entries that share a 64-entry word.
    void Add(std::size_t entry) noexcept { FWords[entry / 64] |= std::uint64_t{1} << (entry % 64); }

    // Makes room for entries appended to the log; those added hold nothing.
    void Resize(std::size_t size);
    // The entries this set can hold, and how many it holds.
    std::size_t Size() const noexcept { return FSize; }
    std::size_t Count() const noexcept;

    void IntersectWith(const TFBLogEntrySet& other) noexcept;
    void Subtract(const TFBLogEntrySet& other) noexcept;

private:
    std::vector<std::uint64_t> FWords;
    std::size_t FSize = 0;
};
