#include "FBLogEntryBounds.h"

#include "FBLogText.h"

namespace {

constexpr std::string_view kBlankLineCRLF = "\r\n\r\n";
constexpr std::string_view kBlankLineLF = "\n\n";

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
    const std::string_view blankLine = lineFeedOnly ? kBlankLineLF : kBlankLineCRLF;
    const std::size_t hit = FindBytes(data, static_cast<std::size_t>(pos), blankLine);
    if (hit == std::string_view::npos)
        return -1;
    return static_cast<std::int64_t>(hit + blankLine.size());
}
