#include "FBLogPatternSet.h"

#include "FBLogText.h"

#include <algorithm>
#include <deque>

TFBLogPatternSet::TFBLogPatternSet() : TFBLogPatternSet(std::vector<std::string>{}) {}

TFBLogPatternSet::TFBLogPatternSet(const std::vector<std::string>& patterns) : FPatternCount(patterns.size())
{
    AssignByteClasses(patterns);
    BuildTransitions(BuildTrie(patterns));
}

void TFBLogPatternSet::AssignByteClasses(const std::vector<std::string>& patterns)
{
    // Only the bytes that occur in some pattern need a column of their own; a letter and its
    // other case share one. Every other byte leads back to the start state.
    std::array<std::uint8_t, 256> classOfFolded{};
    for (const std::string& pattern : patterns)
        for (const char c : pattern) {
            const auto folded = static_cast<unsigned char>(FoldCase(c));
            if (classOfFolded[folded] == 0)
                classOfFolded[folded] = static_cast<std::uint8_t>(FClassCount++);
        }
    for (int byte = 0; byte < 256; ++byte)
        FClassOf[static_cast<std::size_t>(byte)] =
            classOfFolded[static_cast<unsigned char>(FoldCase(static_cast<char>(byte)))];
}

std::vector<std::vector<std::int32_t>> TFBLogPatternSet::BuildTrie(const std::vector<std::string>& patterns)
{
    // Row per state: the child for each byte class (-1: none), then the pattern ending here.
    const std::size_t width = FClassCount + 1;
    std::vector<std::vector<std::int32_t>> trie(1, std::vector<std::int32_t>(width, -1));
    trie[0][FClassCount] = kNoPattern;
    for (std::size_t index = 0; index < patterns.size(); ++index) {
        if (patterns[index].empty())
            continue;
        std::size_t state = 0;
        for (const char c : patterns[index]) {
            const std::uint8_t column = FClassOf[static_cast<unsigned char>(c)];
            if (trie[state][column] < 0) {
                trie[state][column] = static_cast<std::int32_t>(trie.size());
                trie.emplace_back(width, -1);
                trie.back()[FClassCount] = kNoPattern;
            }
            state = static_cast<std::size_t>(trie[state][column]);
        }
        trie[state][FClassCount] = std::min(trie[state][FClassCount], static_cast<std::int32_t>(index));
    }
    return trie;
}

void TFBLogPatternSet::BuildTransitions(const std::vector<std::vector<std::int32_t>>& trie)
{
    // Breadth first, each state's missing transitions are those of its longest proper suffix
    // state, and its first pattern is the lower of its own and that suffix state's.
    const std::size_t width = FClassCount + 1;
    std::vector<std::vector<std::int32_t>> table = trie;
    std::vector<std::int32_t> suffix(table.size(), 0);
    std::deque<std::size_t> queue;
    for (std::size_t column = 0; column < FClassCount; ++column) {
        std::int32_t& child = table[0][column];
        if (child <= 0)
            child = 0;
        else
            queue.push_back(static_cast<std::size_t>(child));
    }
    while (!queue.empty()) {
        const std::size_t state = queue.front();
        queue.pop_front();
        const auto& suffixRow = table[static_cast<std::size_t>(suffix[state])];
        table[state][FClassCount] = std::min(table[state][FClassCount], suffixRow[FClassCount]);
        for (std::size_t column = 0; column < FClassCount; ++column) {
            const std::int32_t child = table[state][column];
            if (child < 0) {
                table[state][column] = suffixRow[column];
            } else {
                suffix[static_cast<std::size_t>(child)] = suffixRow[column];
                queue.push_back(static_cast<std::size_t>(child));
            }
        }
    }

    FNext.resize(table.size() * width);
    for (std::size_t state = 0; state < table.size(); ++state) {
        for (std::size_t column = 0; column < FClassCount; ++column) {
            const auto target = static_cast<std::size_t>(table[state][column]);
            const bool ends = table[target][FClassCount] != kNoPattern;
            FNext[state * width + column] =
                static_cast<std::uint32_t>(target * width) | (ends ? kEndsPattern : std::uint32_t{0});
        }
        FNext[state * width + FClassCount] = static_cast<std::uint32_t>(table[state][FClassCount]);
    }
}

int TFBLogPatternSet::FirstMatch(std::string_view text) const noexcept
{
    std::uint32_t row = 0;
    std::uint32_t first = static_cast<std::uint32_t>(kNoPattern);
    for (const char c : text)
        Step(row, first, static_cast<unsigned char>(c));
    return Found(first);
}

void TFBLogPatternSet::FirstMatchOfEach(std::span<const std::string_view> texts, std::span<int> firsts) const noexcept
{
    // Each lane walks one text; a lane at the end of its text hands over its result and takes
    // the next one. Between those moments all lanes step together without looking at their ends.
    constexpr std::size_t kLanes = 8;
    constexpr std::size_t kNone = SIZE_MAX;
    std::array<const unsigned char*, kLanes> pos{};
    std::array<const unsigned char*, kLanes> end{};
    std::array<std::uint32_t, kLanes> row{};
    std::array<std::uint32_t, kLanes> first{};
    std::array<std::size_t, kLanes> text{};
    std::size_t next = 0;
    const auto begin = [&](std::size_t lane) {
        text[lane] = next < texts.size() ? next++ : kNone;
        const std::string_view taken = text[lane] == kNone ? std::string_view() : texts[text[lane]];
        pos[lane] = reinterpret_cast<const unsigned char*>(taken.data());
        end[lane] = pos[lane] + taken.size();
        row[lane] = 0;
        first[lane] = static_cast<std::uint32_t>(kNoPattern);
    };
    for (std::size_t lane = 0; lane < kLanes; ++lane)
        begin(lane);
    while (next < texts.size()) {
        std::size_t steps = SIZE_MAX;
        for (std::size_t lane = 0; lane < kLanes; ++lane)
            steps = std::min(steps, static_cast<std::size_t>(end[lane] - pos[lane]));
        for (std::size_t i = 0; i < steps; ++i)
            for (std::size_t lane = 0; lane < kLanes; ++lane)
                Step(row[lane], first[lane], *pos[lane]++);
        for (std::size_t lane = 0; lane < kLanes && next < texts.size(); ++lane)
            if (pos[lane] == end[lane]) {
                firsts[text[lane]] = Found(first[lane]);
                begin(lane);
            }
    }
    // No text left to take: each lane still walking finishes alone.
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        if (text[lane] == kNone)
            continue;
        for (; pos[lane] != end[lane]; ++pos[lane])
            Step(row[lane], first[lane], *pos[lane]);
        firsts[text[lane]] = Found(first[lane]);
    }
}
