#include "FBLogText.h"

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
