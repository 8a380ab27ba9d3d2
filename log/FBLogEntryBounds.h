#pragma once
// Where the entries of a log begin and end: an entry is a run of lines closed by a blank line.
// Logs written on Windows end their lines in CR LF and close entries at CR LF CR LF; the others
// use LF alone and close them at LF LF. These rules serve both the scan of a whole file and the
// cut of a log read block by block, so that both give the same entries.

#include <cstdint>
#include <string_view>

// True when the bytes hold a CR LF pair: one anywhere selects the CR LF rules for a whole log.
bool HoldsCRLF(std::string_view data) noexcept;

// First byte of the next entry at or after pos, or -1 when the data ends first. CR LF rules
// skip CR LF pairs and a lone CR before another byte; LF rules skip LF bytes only.
std::int64_t FindEntryStartIn(std::string_view data, std::int64_t pos, bool lineFeedOnly) noexcept;

// Offset just after the first blank line (CR LF CR LF, or LF LF) that lies wholly at or after
// pos, or -1 when the data ends first.
std::int64_t FindEntryEndIn(std::string_view data, std::int64_t pos, bool lineFeedOnly) noexcept;

// How many bytes a blank line closing an entry takes under the rules.
constexpr std::int64_t BlankLineSize(bool lineFeedOnly) noexcept
{
    return lineFeedOnly ? 2 : 4;
}
