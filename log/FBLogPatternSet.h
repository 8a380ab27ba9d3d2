#pragma once
// Many match texts looked for in one pass over a text (an Aho-Corasick automaton, built once as
// a full transition table over the bytes the texts use). Letter case is ignored for ASCII
// letters, as everywhere in the catalogue.

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TFBLogPatternSet {
public:
    // A set that matches nothing.
    TFBLogPatternSet();
    // The texts in their order of precedence; empty texts never match.
    explicit TFBLogPatternSet(const std::vector<std::string>& patterns);

    // Index of the first pattern, in the order given, that occurs anywhere in the text; -1 when
    // none does. Safe to call from several threads at once.
    int FirstMatch(std::string_view text) const noexcept;
    // FirstMatch of each text into firsts (as many as texts). Faster over many texts: the
    // automaton walks several of them at once, so that the table reads of one overlap the
    // others' instead of each waiting for the one before.
    void FirstMatchOfEach(std::span<const std::string_view> texts, std::span<int> firsts) const noexcept;

    std::size_t Size() const noexcept { return FPatternCount; }

private:
    static constexpr std::int32_t kNoPattern = INT32_MAX;
    // Marks a transition into a state where some pattern ends.
    static constexpr std::uint32_t kEndsPattern = 0x80000000u;

    void AssignByteClasses(const std::vector<std::string>& patterns);
    std::vector<std::vector<std::int32_t>> BuildTrie(const std::vector<std::string>& patterns);
    void BuildTransitions(const std::vector<std::vector<std::int32_t>>& trie);
    // One step of the automaton: from state row over byte c, keeping the lowest pattern ended.
    void Step(std::uint32_t& row, std::uint32_t& first, unsigned char c) const noexcept
    {
        const std::uint32_t step = FNext[row + FClassOf[c]];
        row = step & ~kEndsPattern;
        if ((step & kEndsPattern) != 0)
            first = std::min(first, FNext[row + FClassCount]);
    }
    static int Found(std::uint32_t first) noexcept
    {
        return first == static_cast<std::uint32_t>(kNoPattern) ? -1 : static_cast<int>(first);
    }

    std::size_t FPatternCount = 0;
    std::array<std::uint8_t, 256> FClassOf{};  // byte -> column of the table; 0: in no pattern
    std::uint32_t FClassCount = 1;
    // One row per state: for each byte class the offset of the next state's row (so a step is
    // one load and one add), with kEndsPattern set where a pattern ends there, then the first pattern (lowest index) that ends at this state or
    // at any of its suffix states.
    std::vector<std::uint32_t> FNext;
};
