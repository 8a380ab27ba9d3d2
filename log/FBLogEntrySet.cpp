#include "FBLogEntrySet.h"

#include <algorithm>
#include <bit>

TFBLogEntrySet::TFBLogEntrySet(std::size_t size, bool all) : FWords((size + 63) / 64, all ? ~std::uint64_t{0} : 0), FSize(size)
{
    // Bits past the last entry stay clear, so that Count needs no mask.
    if (all && size % 64 != 0)
        FWords.back() = (std::uint64_t{1} << (size % 64)) - 1;
}

std::size_t TFBLogEntrySet::Count() const noexcept
{
    std::size_t count = 0;
    for (const std::uint64_t word : FWords)
        count += static_cast<std::size_t>(std::popcount(word));
    return count;
}

void TFBLogEntrySet::IntersectWith(const TFBLogEntrySet& other) noexcept
{
    for (std::size_t i = 0; i < FWords.size(); ++i)
        FWords[i] &= i < other.FWords.size() ? other.FWords[i] : 0;
}

void TFBLogEntrySet::Subtract(const TFBLogEntrySet& other) noexcept
{
    for (std::size_t i = 0; i < std::min(FWords.size(), other.FWords.size()); ++i)
        FWords[i] &= ~other.FWords[i];
}

void TFBLogEntrySet::Resize(std::size_t size)
{
    // Bits past the old size in its last word are clear already.
    FWords.resize((size + 63) / 64, 0);
    FSize = size;
}
