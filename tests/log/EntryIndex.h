#pragma once
// What the tests of cutting a log into entries compare: an index of entries, and logs to cut.

#include "uFBLogParser.h"

#include <ostream>
#include <string>
#include <vector>

struct Entry {
    std::int64_t Offset;
    std::int64_t Length;
    double DateTime;
    bool operator==(const Entry&) const = default;
};
using Entries = std::vector<Entry>;

inline std::ostream& operator<<(std::ostream& out, const Entry& e)
{
    return out << "{" << e.Offset << ", " << e.Length << ", " << e.DateTime << "}";
}

inline Entries EntriesOf(const FBLogsMsgs& msgs)
{
    Entries entries;
    for (const FBLogMsg& m : msgs)
        entries.push_back({m.Offset, m.Length, m.DateTime});
    return entries;
}

inline std::string WithCRLF(std::string_view lf)
{
    std::string out;
    for (const char c : lf)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

// A dated entry of the usual shape, in LF lines; `second` tells them apart.
inline std::string DatedEntry(int second)
{
    return "SRV-DB01 (Server)\tTue Nov 10 05:17:" + std::string(second < 10 ? "0" : "") + std::to_string(second) +
           " 2026\n\tINET/inet_error: read errno = 10054\n\n";
}
