#pragma once
// Byte-level text helpers shared by the header grammar, the description catalogue and the
// message list. Texts are 8-bit in the system code page; no helper here assumes UTF-8.

#include <string>
#include <string_view>

// True for the bytes that trimming removes and that CollapseBlanks folds: values 0..32.
constexpr bool IsBlankOrControl(char c) noexcept
{
    return static_cast<unsigned char>(c) <= 32;
}

// The text without any byte of value 32 or less at either end.
std::string_view TrimView(std::string_view text) noexcept;
std::string Trim(std::string_view text);

// Display form of an extracted part: leading blanks and control bytes dropped, every inner run
// of them turned into one blank, a trailing run into exactly one trailing blank.
std::string CollapseBlanks(std::string_view text);

// Upper-case form used for case-insensitive containment. Only the ASCII letters are folded:
// other bytes may be parts of multi-byte characters and are compared as they are.
char FoldCase(char c) noexcept;
std::string FoldCase(std::string_view text);
// True when both texts are the same but for the letter case of ASCII letters.
bool EqualsNoCase(std::string_view a, std::string_view b) noexcept;

// First offset at or after `from` where `needle` starts inside `haystack`, or npos.
std::size_t FindBytes(std::string_view haystack, std::size_t from, std::string_view needle) noexcept;

// Finds one needle again and again, with or without regard to the case of ASCII letters. It
// looks for the needle's least common byte with memchr (both cases of a letter) and compares
// the rest around each hit, so long texts are searched at memchr's speed.
class TFBLogTextFinder {
public:
    TFBLogTextFinder(std::string_view needle, bool matchCase);

    // First offset at or after `from` where the needle starts, or npos. An empty needle is
    // found at `from`.
    std::size_t Find(std::string_view haystack, std::size_t from) const noexcept;
    std::size_t Size() const noexcept { return FNeedle.size(); }

private:
    bool SameAt(const char* at) const noexcept;

    std::string FNeedle;
    bool FMatchCase;
    std::size_t FAnchor = 0;       // where in the needle the byte searched for stands
    char FAnchorBytes[2] = {0, 0};  // that byte, and its other case (the same when it has none)
};

// True when needle occurs in text, without regard to the case of ASCII letters.
bool ContainsNoCase(std::string_view text, std::string_view needle);
