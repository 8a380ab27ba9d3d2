#include "FBLogText.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

TEST(TrimTest, RemovesBlanksAndControlBytesAtBothEndsOnly)
{
    EXPECT_EQ(Trim(" \t\r\nDB (Server) \x01\x1f"), "DB (Server)");
    EXPECT_EQ(Trim("a \t b"), "a \t b");
    EXPECT_EQ(Trim(" \t\r\n\x00\x1f "s), "");
    EXPECT_EQ(Trim(""), "");
    // Bytes above 127 are characters of the code page, never blanks.
    EXPECT_EQ(Trim("\xa0x\xff"), "\xa0x\xff");
}

TEST(CollapseBlanksTest, FoldsRunsAndKeepsOneTrailingBlank)
{
    EXPECT_EQ(CollapseBlanks("  A\t\tB\r\n"), "A B ");
    EXPECT_EQ(CollapseBlanks("\r\n\t "), "");
    EXPECT_EQ(CollapseBlanks("x\x00\x00y"s), "x y");
    EXPECT_EQ(CollapseBlanks("\xe9t\xe9"), "\xe9t\xe9");
}

TEST(CaseFoldingTest, FoldsAsciiLettersAndLeavesOtherBytes)
{
    EXPECT_EQ(FoldCase("inet/Inet_Error: 10054"), "INET/INET_ERROR: 10054");
    EXPECT_EQ(FoldCase("\xe9\xc3\xa9"), "\xe9\xc3\xa9");
}

TEST(FindBytesTest, FindsFirstWholeOccurrenceAtOrAfterStart)
{
    const std::string_view text = "a\r\n\r\n\r\nb";
    EXPECT_EQ(FindBytes(text, 0, "\r\n\r\n"), 1u);
    EXPECT_EQ(FindBytes(text, 2, "\r\n\r\n"), 3u);
    EXPECT_EQ(FindBytes(text, 4, "\r\n\r\n"), std::string_view::npos);
    EXPECT_EQ(FindBytes(text, 100, "\r\n"), std::string_view::npos);
    EXPECT_EQ(FindBytes("ab", 0, "abc"), std::string_view::npos);
    EXPECT_EQ(FindBytes("xxab", 0, "ab"), 2u);
}
