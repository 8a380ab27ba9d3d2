#pragma once
// Arrays of millions of elements (the index of a log, its entries' kinds, the rows of its list)
// in memory that the system may back with large pages. Filling such an array touches each page
// once; with 2 MiB pages that is one page fault where there were 512, and on a virtual machine
// those faults were much of the time a big log took to open.

#include <cstddef>
#include <new>
#include <vector>

// Memory for an array of `bytes` bytes: large ones are mapped apart and offered large pages,
// small ones come from the heap. Throws std::bad_alloc.
void* AllocateLargeArray(std::size_t bytes);
void FreeLargeArray(void* memory, std::size_t bytes) noexcept;

template <typename T>
struct TLargeArrayAllocator {
    using value_type = T;

    TLargeArrayAllocator() noexcept = default;
    template <typename U>
    TLargeArrayAllocator(const TLargeArrayAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t count) { return static_cast<T*>(AllocateLargeArray(count * sizeof(T))); }
    void deallocate(T* memory, std::size_t count) noexcept { FreeLargeArray(memory, count * sizeof(T)); }

    friend bool operator==(const TLargeArrayAllocator&, const TLargeArrayAllocator&) noexcept { return true; }
};

template <typename T>
using TLargeVector = std::vector<T, TLargeArrayAllocator<T>>;
