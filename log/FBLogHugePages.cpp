#include "FBLogHugePages.h"

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

void AdviseLargePages([[maybe_unused]] const void* data, [[maybe_unused]] std::size_t bytes) noexcept
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Only whole large pages: advice on a part of one would change nothing, and the memory just
    // before or after the array may belong to someone else.
    constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t last = (begin + bytes) & ~(kLargePage - 1);
    if (first < last)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}
