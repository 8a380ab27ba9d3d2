#include "FBLogLargeArrays.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;
// Below this an array takes its memory from the heap like any other.
constexpr std::size_t kMappedFrom = std::size_t{4} << 20;

std::size_t RoundedToLargePages(std::size_t bytes)
{
    return (bytes + kLargePage - 1) / kLargePage * kLargePage;
}

}  // namespace

#if defined(__linux__)

void* AllocateLargeArray(std::size_t bytes)
{
    if (bytes < kMappedFrom)
        return ::operator new(bytes);
    // Mapped a large page more than needed, so that the array can start on a large page's
    // boundary; what lies before and after that goes back at once.
    const std::size_t size = RoundedToLargePages(bytes);
    void* mapped = mmap(nullptr, size + kLargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kLargePage - 1) / kLargePage * kLargePage;
    if (aligned > start)
        munmap(mapped, aligned - start);
    if (const std::size_t after = start + size + kLargePage - (aligned + size); after > 0)
        munmap(reinterpret_cast<void*>(aligned + size), after);
    // Only advice: where the system has no large pages to give, the small ones serve.
    madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void FreeLargeArray(void* memory, std::size_t bytes) noexcept
{
    if (bytes < kMappedFrom)
        ::operator delete(memory);
    else
        munmap(memory, RoundedToLargePages(bytes));
}

#else

void* AllocateLargeArray(std::size_t bytes)
{
    return ::operator new(bytes);
}

void FreeLargeArray(void* memory, std::size_t) noexcept
{
    ::operator delete(memory);
}

#endif
