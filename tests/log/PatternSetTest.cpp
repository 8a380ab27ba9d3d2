#include "FBLogPatternSet.h"
#include "FBLogText.h"

#include <gtest/gtest.h>

#include <random>
#include <span>

namespace {

// What the automaton must answer: the first pattern, in the order given, that occurs anywhere.
int FirstMatchByHand(const std::vector<std::string>& patterns, std::string_view text)
{
    const std::string folded = FoldCase(text);
    for (std::size_t i = 0; i < patterns.size(); ++i)
        if (!patterns[i].empty() && folded.find(FoldCase(patterns[i])) != std::string::npos)
            return static_cast<int>(i);
    return -1;
}

std::string RandomText(std::mt19937& random, std::string_view alphabet, std::size_t maxLength)
{
    std::string text(std::uniform_int_distribution<std::size_t>(0, maxLength)(random), ' ');
    for (char& c : text)
        c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
    return text;
}

}  // namespace

TEST(PatternSetTest, FirstPatternInOrderWinsNotFirstInText)
{
    const TFBLogPatternSet set({"inet_error: read errno = 10054", "INET/inet_error", "errno"});
    EXPECT_EQ(set.FirstMatch("INET/inet_error: read errno = 10054"), 0);
    EXPECT_EQ(set.FirstMatch("INET/INET_ERROR: send errno = 104"), 1);
    EXPECT_EQ(set.FirstMatch("select failed, errno = 4"), 2);
    EXPECT_EQ(set.FirstMatch("nothing here"), -1);
    EXPECT_EQ(set.FirstMatch(""), -1);
}

TEST(PatternSetTest, PatternsInsideOthersAndAtSuffixesAreFound)
{
    // "he" ends inside "she", "hers" needs the suffix link of "her": the classic cases.
    const TFBLogPatternSet set({"hers", "his", "she", "he"});
    EXPECT_EQ(set.FirstMatch("ushers"), 0);
    EXPECT_EQ(set.FirstMatch("ushe"), 2);
    EXPECT_EQ(set.FirstMatch("xhex"), 3);
    EXPECT_EQ(set.FirstMatch("ahis"), 1);
}

TEST(PatternSetTest, EmptySetAndEmptyPatternsMatchNothing)
{
    EXPECT_EQ(TFBLogPatternSet().FirstMatch("anything"), -1);
    EXPECT_EQ(TFBLogPatternSet({"", "x"}).FirstMatch("abc"), -1);
    EXPECT_EQ(TFBLogPatternSet({"", "x"}).FirstMatch("x"), 1);
}

TEST(PatternSetTest, AgreesWithSearchingEachPatternOnRandomTexts)
{
    // A small alphabet with both cases, bytes above 127 and NUL makes overlaps frequent.
    const std::string alphabet = std::string("abAB\x80\xff") + '\0' + "\r\n";
    std::mt19937 random(20261209);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> patterns;
        const int count = std::uniform_int_distribution<int>(1, 12)(random);
        for (int i = 0; i < count; ++i)
            patterns.push_back(RandomText(random, alphabet, 5));
        const TFBLogPatternSet set(patterns);
        // Walked one by one and all at once, in batches from none to more than the lanes, of
        // texts of lengths from 0 (so that lanes end together, alone and at once).
        std::vector<std::string> texts;
        for (int t = 0; t < 20; ++t)
            texts.push_back(RandomText(random, alphabet, t % 3 == 0 ? 2 : 40));
        const std::vector<std::string_view> views(texts.begin(), texts.end());
        const std::size_t batch = std::uniform_int_distribution<std::size_t>(0, views.size())(random);
        std::vector<int> firsts(batch, -2);
        set.FirstMatchOfEach(std::span(views).first(batch), firsts);
        for (std::size_t t = 0; t < texts.size(); ++t) {
            const int expected = FirstMatchByHand(patterns, texts[t]);
            ASSERT_EQ(set.FirstMatch(texts[t]), expected) << "round " << round;
            if (t < batch) {
                ASSERT_EQ(firsts[t], expected) << "round " << round << ", text " << t << " of " << batch;
            }
        }
    }
}
