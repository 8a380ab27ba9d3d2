#include "FBLogText.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::size_t FindByHand(std::string_view haystack, std::size_t from, std::string_view needle, bool matchCase)
{
    const std::string h = matchCase ? std::string(haystack) : FoldCase(haystack);
    const std::string n = matchCase ? std::string(needle) : FoldCase(needle);
    return from > h.size() ? std::string::npos : h.find(n, from);
}

}  // namespace

TEST(TextFinderTest, FindsWithAndWithoutLetterCase)
{
    const std::string_view log = "srv\tMon Nov  2 08:00:00 2026\tINET/inet_error: read errno = 10054\n\n";
    EXPECT_EQ(TFBLogTextFinder("inet/INET_ERROR", false).Find(log, 0), 29u);
    EXPECT_EQ(TFBLogTextFinder("inet/INET_ERROR", true).Find(log, 0), std::string_view::npos);
    EXPECT_EQ(TFBLogTextFinder("10054", true).Find(log, 59u), 59u);
    EXPECT_EQ(TFBLogTextFinder("10054", true).Find(log, 60), std::string_view::npos);
    EXPECT_EQ(TFBLogTextFinder("", false).Find(log, 5), 5u);
    EXPECT_EQ(TFBLogTextFinder("x", false).Find("", 0), std::string_view::npos);
    EXPECT_EQ(TFBLogTextFinder("abc", false).Find("ab", 0), std::string_view::npos);
    EXPECT_TRUE(ContainsNoCase(log, "Errno = 10054"));
    EXPECT_FALSE(ContainsNoCase(log, "errno = 10053"));
}

TEST(TextFinderTest, AgreesWithPlainSearchOnRandomTexts)
{
    const std::string alphabet = "aAbB 1=\n\xe9";
    std::mt19937 random(7);
    const auto randomText = [&](std::size_t maxLength) {
        std::string text(std::uniform_int_distribution<std::size_t>(0, maxLength)(random), ' ');
        for (char& c : text)
            c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
        return text;
    };
    for (int round = 0; round < 2000; ++round) {
        const std::string needle = randomText(4);
        const std::string haystack = randomText(60);
        const bool matchCase = round % 2 == 0;
        const std::size_t from = std::uniform_int_distribution<std::size_t>(0, haystack.size() + 1)(random);
        ASSERT_EQ(TFBLogTextFinder(needle, matchCase).Find(haystack, from), FindByHand(haystack, from, needle, matchCase))
            << "needle '" << needle << "' in '" << haystack << "' from " << from;
    }
}
