#include "FBLogSearch.h"

#include "FBLogParallel.h"
#include "FBLogText.h"

#include <re2/re2.h>

#include <algorithm>
#include <cctype>

namespace {

constexpr std::size_t kNotFound = std::string_view::npos;

bool IsAscii(std::string_view text) noexcept
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool IsWordByte(char c) noexcept
{
    const auto byte = static_cast<unsigned char>(c);
    // Bytes above ASCII belong to letters of some encoding.
    return std::isalnum(byte) != 0 || c == '_' || byte >= 0x80;
}

// A found text is whole words when it neither continues a word before it nor runs on into one
// after it ("inet_error:" is whole in "inet_error: read", "error" is not).
bool IsWholeWord(std::string_view text, std::size_t begin, std::size_t end) noexcept
{
    if (begin >= end)
        return false;
    const bool startsClean = begin == 0 || !IsWordByte(text[begin - 1]) || !IsWordByte(text[begin]);
    const bool endsClean = end == text.size() || !IsWordByte(text[end - 1]) || !IsWordByte(text[end]);
    return startsClean && endsClean;
}

}  // namespace

// One term: finds its next occurrence in a text.
class TFBLogSearch::TTermMatcher {
public:
    virtual ~TTermMatcher() = default;
    // The first occurrence that starts at or after `from`; Begin == kNotFound when none.
    virtual TFBLogTextRange FindFrom(std::string_view text, std::size_t from) const = 0;
    // True when a search over the whole log finds the same entries as a search of each entry
    // (a plain text never reaches across the blank line between two entries).
    virtual bool WorksAcrossEntries() const noexcept = 0;
    // True when the term finds in a log's bytes what it finds in their decoded text.
    virtual bool WorksOnBytesOf(const TFBLogDecoder& decoder) const noexcept { return decoder.IsUtf8(); }
};

namespace {

class TPlainTerm : public TFBLogSearch::TTermMatcher {
public:
    TPlainTerm(std::string_view text, const TFBLogSearchOptions& options)
        : FFinder(text, options.MatchCase), FWholeWords(options.WholeWords), FAscii(IsAscii(text))
    {
    }

    TFBLogTextRange FindFrom(std::string_view text, std::size_t from) const override
    {
        for (std::size_t at = FFinder.Find(text, from); at != kNotFound; at = FFinder.Find(text, at + 1))
            if (!FWholeWords || IsWholeWord(text, at, at + FFinder.Size()))
                return {at, at + FFinder.Size()};
        return {kNotFound, kNotFound};
    }

    bool WorksAcrossEntries() const noexcept override { return true; }

    // Where ASCII bytes are ASCII characters, an ASCII text is found in the bytes exactly where
    // it is in the decoded text; every other byte is above ASCII in both, so whole words hold too.
    bool WorksOnBytesOf(const TFBLogDecoder& decoder) const noexcept override
    {
        return decoder.IsUtf8() || (FAscii && decoder.KeepsAscii());
    }

private:
    TFBLogTextFinder FFinder;
    bool FWholeWords;
    bool FAscii;
};

// A text with letters above ASCII, in any letter case: RE2 folds the case of every alphabet
// ("ошибка" finds "Ошибка"), where the byte finder folds only ASCII letters.
class TFoldedTerm : public TFBLogSearch::TTermMatcher {
public:
    TFoldedTerm(std::string_view text, const TFBLogSearchOptions& options)
        : FRegex(re2::StringPiece(text.data(), text.size()), Options()), FWholeWords(options.WholeWords)
    {
    }

    TFBLogTextRange FindFrom(std::string_view text, std::size_t from) const override
    {
        const re2::StringPiece subject(text.data(), text.size());
        re2::StringPiece match;
        for (; from <= text.size(); from = static_cast<std::size_t>(match.data() - text.data()) + 1) {
            if (!FRegex.Match(subject, from, text.size(), RE2::UNANCHORED, &match, 1))
                break;
            const auto begin = static_cast<std::size_t>(match.data() - text.data());
            if (!FWholeWords || IsWholeWord(text, begin, begin + match.size()))
                return {begin, begin + match.size()};
        }
        return {kNotFound, kNotFound};
    }

    bool WorksAcrossEntries() const noexcept override { return true; }

private:
    static RE2::Options Options()
    {
        RE2::Options settings;
        settings.set_literal(true);
        settings.set_case_sensitive(false);
        settings.set_log_errors(false);
        return settings;
    }

    RE2 FRegex;
    bool FWholeWords;
};

class TRegexTerm : public TFBLogSearch::TTermMatcher {
public:
    TRegexTerm(std::string_view pattern, const TFBLogSearchOptions& options)
        : FRegex(PatternText(pattern, options), Options(options))
    {
    }

    bool Ok() const { return FRegex.ok(); }
    const std::string& Error() const { return FRegex.error(); }

    TFBLogTextRange FindFrom(std::string_view text, std::size_t from) const override
    {
        re2::StringPiece match;
        if (from > text.size() ||
            !FRegex.Match(re2::StringPiece(text.data(), text.size()), from, text.size(), RE2::UNANCHORED, &match, 1))
            return {kNotFound, kNotFound};
        // An empty match counts as found too; callers that go on move past it.
        const auto begin = static_cast<std::size_t>(match.data() - text.data());
        return {begin, begin + match.size()};
    }

    bool WorksAcrossEntries() const noexcept override { return false; }

private:
    static std::string PatternText(std::string_view pattern, const TFBLogSearchOptions& options)
    {
        // ^ and $ match at every line of an entry, as a reader of the log expects.
        std::string text = "(?m)";
        const std::string lines = LineEndsEitherWay(pattern);
        if (options.WholeWords)
            text.append("\\b(?:").append(lines).append(")\\b");
        else
            text.append(lines);
        return text;
    }

    // RE2's $ stands before an LF only; in a log of CR LF lines it must stand before the CR
    // too. Each $ outside a character class (and not escaped) becomes (?:\r?$).
    static std::string LineEndsEitherWay(std::string_view pattern)
    {
        std::string result;
        bool inClass = false;
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            const char c = pattern[i];
            if (c == '\\' && i + 1 < pattern.size()) {
                result.append(pattern.substr(i, 2));
                ++i;
                continue;
            }
            if (inClass) {
                // A ] right after [ or [^ belongs to the class.
                const bool first = pattern[i - 1] == '[' || (pattern[i - 1] == '^' && i >= 2 && pattern[i - 2] == '[');
                inClass = !(c == ']' && !first);
            } else if (c == '[') {
                inClass = true;
            } else if (c == '$') {
                result.append("(?:\\r?$)");
                continue;
            }
            result.push_back(c);
        }
        return result;
    }

    static RE2::Options Options(const TFBLogSearchOptions& options)
    {
        RE2::Options settings;
        settings.set_case_sensitive(options.MatchCase);
        settings.set_log_errors(false);
        return settings;
    }

    RE2 FRegex;
};

}  // namespace

std::vector<TFBLogSearchTerm> ParseSearchQuery(std::string_view query, bool regularExpression)
{
    std::vector<TFBLogSearchTerm> terms;
    if (regularExpression) {
        const std::string_view pattern = TrimView(query);
        if (pattern.size() > 1 && pattern[0] == '-')
            terms.push_back({std::string(pattern.substr(1)), true});
        else if (!pattern.empty())
            terms.push_back({std::string(pattern), false});
        return terms;
    }
    std::size_t i = 0;
    while (i < query.size()) {
        while (i < query.size() && query[i] == ' ')
            ++i;
        if (i == query.size())
            break;
        TFBLogSearchTerm term;
        if (query[i] == '-' && i + 1 < query.size() && query[i + 1] != ' ') {
            term.Exclude = true;
            ++i;
        }
        if (query[i] == '"') {
            const std::size_t close = query.find('"', i + 1);
            const std::size_t end = close == kNotFound ? query.size() : close;
            term.Text = query.substr(i + 1, end - i - 1);
            i = close == kNotFound ? end : end + 1;
        } else {
            const std::size_t end = std::min(query.find(' ', i), query.size());
            term.Text = query.substr(i, end - i);
            i = end;
        }
        if (!term.Text.empty())
            terms.push_back(std::move(term));
    }
    return terms;
}

TFBLogSearch::TFBLogSearch(std::string_view query, TFBLogSearchOptions options)
    : TFBLogSearch(ParseSearchQuery(query, options.RegularExpression), options)
{
}

TFBLogSearch::TFBLogSearch(const std::vector<TFBLogSearchTerm>& terms, TFBLogSearchOptions options)
    : FTerms(terms), FOptions(options), FDecoder(options.LogEncoding)
{
    for (const TFBLogSearchTerm& term : terms) {
        std::unique_ptr<TTermMatcher> matcher;
        if (options.RegularExpression) {
            auto regex = std::make_unique<TRegexTerm>(term.Text, options);
            if (!regex->Ok()) {
                FErrorText = regex->Error();
                FIncluded.clear();
                FExcluded.clear();
                return;
            }
            matcher = std::move(regex);
        } else if (!options.MatchCase && !IsAscii(term.Text)) {
            matcher = std::make_unique<TFoldedTerm>(term.Text, options);
        } else {
            matcher = std::make_unique<TPlainTerm>(term.Text, options);
        }
        (term.Exclude ? FExcluded : FIncluded).push_back(std::move(matcher));
    }
}

TFBLogSearch::~TFBLogSearch() = default;

std::unique_ptr<TFBLogSearch> TFBLogSearch::ForEncoding(TFBLogEncoding encoding) const
{
    TFBLogSearchOptions options = FOptions;
    options.LogEncoding = encoding;
    return std::make_unique<TFBLogSearch>(FTerms, options);
}

bool TFBLogSearch::Empty() const noexcept
{
    return FIncluded.empty() && FExcluded.empty();
}

bool TFBLogSearch::Matches(std::string_view text) const
{
    const auto found = [&](const std::unique_ptr<TTermMatcher>& term) { return term->FindFrom(text, 0).Begin != kNotFound; };
    return std::all_of(FIncluded.begin(), FIncluded.end(), found) && std::none_of(FExcluded.begin(), FExcluded.end(), found);
}

bool TFBLogSearch::ReadsRawBytes(const TTermMatcher& term) const noexcept
{
    return term.WorksOnBytesOf(FDecoder);
}

bool TFBLogSearch::MatchesEntry(std::string_view bytes) const
{
    const auto raw = [&](const std::unique_ptr<TTermMatcher>& term) { return ReadsRawBytes(*term); };
    if (std::all_of(FIncluded.begin(), FIncluded.end(), raw) && std::all_of(FExcluded.begin(), FExcluded.end(), raw))
        return Matches(bytes);
    return Matches(FDecoder.ToUtf8(bytes));
}

std::vector<TFBLogTextRange> TFBLogSearch::MatchRanges(std::string_view text) const
{
    std::vector<TFBLogTextRange> ranges;
    for (const auto& term : FIncluded)
        for (std::size_t from = 0; from <= text.size();) {
            const TFBLogTextRange range = term->FindFrom(text, from);
            if (range.Begin == kNotFound)
                break;
            if (range.End > range.Begin)
                ranges.push_back(range);
            from = std::max(range.End, range.Begin + 1);
        }
    // Overlapping ranges of different terms become one.
    std::sort(ranges.begin(), ranges.end(), [](const auto& a, const auto& b) { return a.Begin < b.Begin; });
    std::vector<TFBLogTextRange> merged;
    for (const TFBLogTextRange& range : ranges)
        if (!merged.empty() && range.Begin <= merged.back().End)
            merged.back().End = std::max(merged.back().End, range.End);
        else
            merged.push_back(range);
    return merged;
}

TFBLogEntrySet TFBLogSearch::MatchEntries(const TFBLogParser& parser, const FBLogsMsgs& msgs,
                                          const std::atomic<bool>* cancel) const
{
    TFBLogEntrySet result(msgs.size(), FIncluded.empty());
    for (std::size_t i = 0; i < FIncluded.size(); ++i) {
        const TFBLogEntrySet found = EntriesWithTerm(*FIncluded[i], parser, msgs, cancel);
        if (i == 0)
            result = found;
        else
            result.IntersectWith(found);
    }
    for (const auto& term : FExcluded)
        result.Subtract(EntriesWithTerm(*term, parser, msgs, cancel));
    return result;
}

namespace {

bool Cancelled(const std::atomic<bool>* cancel) noexcept
{
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

std::int64_t EntryEnd(const FBLogMsg& msg) noexcept
{
    return msg.Offset + msg.Length;
}

}  // namespace

TFBLogEntrySet TFBLogSearch::EntriesWithTerm(const TTermMatcher& term, const TFBLogParser& parser, const FBLogsMsgs& msgs,
                                             const std::atomic<bool>* cancel) const
{
    TFBLogEntrySet found(msgs.size());
    const bool decode = !ReadsRawBytes(term);
    const auto searchEachEntry = [&](std::size_t first, std::size_t last) {
        std::string decoded;
        for (std::size_t i = first; i < last && !Cancelled(cancel); ++i) {
            std::string_view text = parser.ViewRange(msgs[i].Offset, EntryEnd(msgs[i]));
            if (decode) {
                decoded.clear();
                FDecoder.AppendUtf8(decoded, text);
                text = decoded;
            }
            if (term.FindFrom(text, 0).Begin != kNotFound)
                found.Add(i);
        }
    };
    // A plain text is looked for through the held bytes of the entries at once (from base on);
    // each hit marks its entry, and the search goes on after that entry's end.
    const auto searchThroughPiece = [&](std::size_t first, std::size_t last, std::int64_t base, std::string_view bytes) {
        std::size_t entry = first;
        auto from = static_cast<std::size_t>(msgs[first].Offset - base);
        while (entry < last && !Cancelled(cancel)) {
            const TFBLogTextRange hit = term.FindFrom(bytes, from);
            if (hit.Begin == kNotFound)
                break;
            const std::int64_t hitBegin = base + static_cast<std::int64_t>(hit.Begin);
            entry = static_cast<std::size_t>(std::partition_point(msgs.begin() + static_cast<std::ptrdiff_t>(entry),
                                                                  msgs.begin() + static_cast<std::ptrdiff_t>(last),
                                                                  [&](const FBLogMsg& m) { return EntryEnd(m) <= hitBegin; }) -
                                             msgs.begin());
            if (entry == last)
                break;
            const FBLogMsg& msg = msgs[entry];
            if (hitBegin < msg.Offset) {
                from = static_cast<std::size_t>(msg.Offset - base);
                continue;
            }
            // A hit that runs on past the entry's end (a text holding line breaks) is looked for
            // again inside the entry alone.
            const bool inside = base + static_cast<std::int64_t>(hit.End) <= EntryEnd(msg) ||
                                term.FindFrom(parser.ViewRange(msg.Offset, EntryEnd(msg)),
                                              static_cast<std::size_t>(hitBegin - msg.Offset)).Begin != kNotFound;
            if (inside)
                found.Add(entry);
            ++entry;
            if (entry < last)
                from = static_cast<std::size_t>(msgs[entry].Offset - base);
        }
    };
    // The bytes are held in pieces (what the server appended after the load apart from the
    // rest): each piece is searched through on its own, with the entries it holds.
    const auto searchThroughLog = [&](std::size_t first, std::size_t last) {
        while (first < last && !Cancelled(cancel)) {
            const std::int64_t base = msgs[first].Offset;
            const std::string_view piece = parser.ViewRange(base, EntryEnd(msgs[last - 1]));
            const std::int64_t pieceEnd = base + static_cast<std::int64_t>(piece.size());
            const auto pieceLast = static_cast<std::size_t>(
                std::partition_point(msgs.begin() + static_cast<std::ptrdiff_t>(first),
                                     msgs.begin() + static_cast<std::ptrdiff_t>(last),
                                     [&](const FBLogMsg& m) { return EntryEnd(m) <= pieceEnd; }) -
                msgs.begin());
            if (pieceLast == first) {
                // An entry the held bytes no longer reach in full.
                searchEachEntry(first, first + 1);
                ++first;
                continue;
            }
            searchThroughPiece(first, pieceLast, base, piece);
            first = pieceLast;
        }
    };
    if (term.WorksAcrossEntries() && !decode)
        ForEachPartInParallel(msgs.size(), 64, searchThroughLog);
    else
        ForEachPartInParallel(msgs.size(), 64, searchEachEntry);
    return found;
}
