#include "FBLogText.h"

#include <algorithm>
#include <cstring>

std::string_view TrimView(std::string_view text) noexcept
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && IsBlankOrControl(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string Trim(std::string_view text)
{
    return std::string(TrimView(text));
}

std::string CollapseBlanks(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (!IsBlankOrControl(c))
            result.push_back(c);
        else if (!result.empty() && result.back() != ' ')
            result.push_back(' ');
    }
    return result;
}

char FoldCase(char c) noexcept
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string FoldCase(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = FoldCase(c);
    return result;
}

bool EqualsNoCase(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

std::size_t FindBytes(std::string_view haystack, std::size_t from, std::string_view needle) noexcept
{
    if (needle.empty())
        return from <= haystack.size() ? from : std::string_view::npos;
    const char* const data = haystack.data();
    const std::size_t size = haystack.size();
    const std::size_t last = size < needle.size() ? 0 : size - needle.size();
    std::size_t pos = from;
    while (pos <= last && size >= needle.size()) {
        const void* hit = std::memchr(data + pos, needle[0], last - pos + 1);
        if (hit == nullptr)
            break;
        pos = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        if (std::memcmp(data + pos + 1, needle.data() + 1, needle.size() - 1) == 0)
            return pos;
        ++pos;
    }
    return std::string_view::npos;
}

namespace {

bool IsAsciiLetter(char c) noexcept
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char OtherCase(char c) noexcept
{
    if (c >= 'a' && c <= 'z')
        return static_cast<char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z')
        return static_cast<char>(c - 'A' + 'a');
    return c;
}

// Roughly how often a byte turns up in a server log: a rare anchor means few hits to verify.
// A letter searched for in both cases costs two scans.
int Commonness(char c, bool matchCase) noexcept
{
    static constexpr std::string_view kLettersByFrequency = "zqjxkvbpygfwmucldrhsnioate";
    if (IsAsciiLetter(c)) {
        const int rank = static_cast<int>(kLettersByFrequency.find(FoldCase(c) - 'A' + 'a'));
        return 10 + 4 * rank + (matchCase ? 0 : 20);
    }
    if (c == ' ')
        return 200;
    if (c >= '0' && c <= '9')
        return 80;
    if (static_cast<unsigned char>(c) < 32)
        return 40;
    return 20;
}

}  // namespace

TFBLogTextFinder::TFBLogTextFinder(std::string_view needle, bool matchCase) : FNeedle(needle), FMatchCase(matchCase)
{
    for (std::size_t i = 1; i < FNeedle.size(); ++i)
        if (Commonness(FNeedle[i], matchCase) < Commonness(FNeedle[FAnchor], matchCase))
            FAnchor = i;
    if (!FNeedle.empty()) {
        FAnchorBytes[0] = FNeedle[FAnchor];
        FAnchorBytes[1] = matchCase ? FNeedle[FAnchor] : OtherCase(FNeedle[FAnchor]);
    }
}

bool TFBLogTextFinder::SameAt(const char* at) const noexcept
{
    if (FMatchCase)
        return std::memcmp(at, FNeedle.data(), FNeedle.size()) == 0;
    for (std::size_t i = 0; i < FNeedle.size(); ++i)
        if (FoldCase(at[i]) != FoldCase(FNeedle[i]))
            return false;
    return true;
}

std::size_t TFBLogTextFinder::Find(std::string_view haystack, std::size_t from) const noexcept
{
    if (FNeedle.empty())
        return from <= haystack.size() ? from : std::string_view::npos;
    if (haystack.size() < FNeedle.size() || from > haystack.size() - FNeedle.size())
        return std::string_view::npos;
    // The anchor byte is looked for where it would stand in a match starting at or after from.
    const char* const data = haystack.data();
    const char* const end = data + (haystack.size() - FNeedle.size()) + FAnchor + 1;
    const char* next[2] = {data + from + FAnchor, data + from + FAnchor};
    const char* hit[2] = {nullptr, nullptr};
    const int streams = FAnchorBytes[0] == FAnchorBytes[1] ? 1 : 2;
    for (;;) {
        // Each stream keeps its next hit; the nearer one is verified first.
        for (int s = 0; s < streams; ++s)
            if (hit[s] == nullptr && next[s] < end) {
                hit[s] = static_cast<const char*>(std::memchr(next[s], FAnchorBytes[s], static_cast<std::size_t>(end - next[s])));
                if (hit[s] == nullptr)
                    next[s] = end;
            }
        const int s = (streams == 2 && hit[1] != nullptr && (hit[0] == nullptr || hit[1] < hit[0])) ? 1 : 0;
        if (hit[s] == nullptr)
            return std::string_view::npos;
        const char* const start = hit[s] - FAnchor;
        if (SameAt(start))
            return static_cast<std::size_t>(start - data);
        next[s] = hit[s] + 1;
        hit[s] = nullptr;
    }
}

bool ContainsNoCase(std::string_view text, std::string_view needle)
{
    return TFBLogTextFinder(needle, false).Find(text, 0) != std::string_view::npos;
}
