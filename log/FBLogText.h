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

// First offset at or after `from` where `needle` starts inside `haystack`, or npos.
std::size_t FindBytes(std::string_view haystack, std::size_t from, std::string_view needle) noexcept;
