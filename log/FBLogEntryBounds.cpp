#include "FBLogEntryBounds.h"

#include "FBLogText.h"

#include <bit>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define KESTRELON_SSE2 1
#endif

namespace {

constexpr std::string_view kBlankLineCRLF = "\r\n\r\n";
constexpr std::string_view kBlankLineLF = "\n\n";

#ifdef KESTRELON_SSE2
// 0xFF in each of the 16 bytes from `at` where the data matches the blank line's bytes from its
// J-th on: every byte of the blank line is compared with the data shifted by its place.
template <const std::string_view& BlankLine, std::size_t J = 0>
__m128i SameAsBlankLine(const char* at) noexcept
{
    const __m128i same = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + J)),
                                        _mm_set1_epi8(BlankLine[J]));
    if constexpr (J + 1 == BlankLine.size())
        return same;
    else
        return _mm_and_si128(same, SameAsBlankLine<BlankLine, J + 1>(at));
}

// FindBytes for the blank line, 16 positions a step. This spares a call per line: a log's lines
// are short but its blank lines far apart, so a search led by memchr for the blank line's first
// byte would stop at almost every line end. The last few positions, where a step would read past
// the data, are left to FindBytes.
template <const std::string_view& BlankLine>
std::size_t FindBlankLine(std::string_view data, std::size_t from) noexcept
{
    constexpr std::size_t kStep = 16;
    constexpr std::size_t kRead = kStep + BlankLine.size() - 1;
    std::size_t pos = from;
    for (; data.size() >= kRead && pos <= data.size() - kRead; pos += kStep)
        if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(SameAsBlankLine<BlankLine>(data.data() + pos))))
            return pos + static_cast<std::size_t>(std::countr_zero(mask));
    return FindBytes(data, pos, BlankLine);
}
#else
template <const std::string_view& BlankLine>
std::size_t FindBlankLine(std::string_view data, std::size_t from) noexcept
{
    return FindBytes(data, from, BlankLine);
}
#endif

std::int64_t FindEntryStartCRLF(std::string_view data, std::size_t from) noexcept
{
    // Skips CR LF pairs; a lone CR before any other byte is skipped too, while a bare LF or a
    // second CR in a row starts the entry.
    bool afterCR = false;
    for (std::size_t i = from; i < data.size(); ++i) {
        const char c = data[i];
        if (!afterCR && c == '\r')
            afterCR = true;
        else if (afterCR && c == '\n')
            afterCR = false;
        else
            return static_cast<std::int64_t>(i);
    }
    return -1;
}

std::int64_t FindEntryStartLF(std::string_view data, std::size_t from) noexcept
{
    for (std::size_t i = from; i < data.size(); ++i)
        if (data[i] != '\n')
            return static_cast<std::int64_t>(i);
    return -1;
}

}  // namespace

bool HoldsCRLF(std::string_view data) noexcept
{
    return FindBytes(data, 0, "\r\n") != std::string_view::npos;
}

std::int64_t FindEntryStartIn(std::string_view data, std::int64_t pos, bool lineFeedOnly) noexcept
{
    if (pos < 0)
        return -1;
    const auto from = static_cast<std::size_t>(pos);
    return lineFeedOnly ? FindEntryStartLF(data, from) : FindEntryStartCRLF(data, from);
}

std::int64_t FindEntryEndIn(std::string_view data, std::int64_t pos, bool lineFeedOnly) noexcept
{
    if (pos < 0 || pos >= static_cast<std::int64_t>(data.size()))
        return -1;
    const auto from = static_cast<std::size_t>(pos);
    const std::size_t hit =
        lineFeedOnly ? FindBlankLine<kBlankLineLF>(data, from) : FindBlankLine<kBlankLineCRLF>(data, from);
    if (hit == std::string_view::npos)
        return -1;
    return static_cast<std::int64_t>(hit) + BlankLineSize(lineFeedOnly);
}
