#pragma once
// Text search over the entries of a log: what the user typed, split into terms that must all
// occur in an entry (header and body), and terms with a leading "-" that must not.

#include "FBLogEncoding.h"
#include "FBLogEntrySet.h"
#include "uFBLogParser.h"

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct TFBLogSearchOptions {
    bool MatchCase = false;
    bool WholeWords = false;
    bool RegularExpression = false;
    // What the log's bytes are written in: terms are looked for in the text decoded from them.
    TFBLogEncoding LogEncoding = TFBLogEncoding::Utf8;
};

struct TFBLogSearchTerm {
    std::string Text;
    bool Exclude = false;

    bool operator==(const TFBLogSearchTerm&) const = default;
};

// Blanks separate terms and double quotes keep a phrase together ("connection reset"); a term
// written with a leading "-" excludes. A regular expression is one term, whatever it holds
// (a leading "-" still excludes).
std::vector<TFBLogSearchTerm> ParseSearchQuery(std::string_view query, bool regularExpression);

// Where a term was found in a text: bytes [Begin, End) of its UTF-8.
struct TFBLogTextRange {
    std::size_t Begin = 0;
    std::size_t End = 0;

    bool operator==(const TFBLogTextRange&) const = default;
};

class TFBLogSearch {
public:
    TFBLogSearch(std::string_view query, TFBLogSearchOptions options);
    // The terms as they are, parsed already or given one by one.
    TFBLogSearch(const std::vector<TFBLogSearchTerm>& terms, TFBLogSearchOptions options);
    ~TFBLogSearch();
    TFBLogSearch(const TFBLogSearch&) = delete;
    TFBLogSearch& operator=(const TFBLogSearch&) = delete;

    // The same terms and options, looking in a log of another encoding.
    std::unique_ptr<TFBLogSearch> ForEncoding(TFBLogEncoding encoding) const;

    // False when a regular expression does not compile; ErrorText then says why.
    bool Valid() const noexcept { return FErrorText.empty(); }
    const std::string& ErrorText() const noexcept { return FErrorText; }
    // True when the query holds no term: every entry matches.
    bool Empty() const noexcept;

    // True when every included term occurs in the text (UTF-8, decoded) and no excluded one does.
    bool Matches(std::string_view text) const;
    // As Matches, for an entry's bytes as the log holds them.
    bool MatchesEntry(std::string_view bytes) const;
    // Where the included terms occur in the text (UTF-8, decoded), in order, without overlaps.
    std::vector<TFBLogTextRange> MatchRanges(std::string_view text) const;

    // The entries of the index that match, found in a pass over the whole log per term on all
    // cores. A term that finds in the log's bytes what it finds in their decoded text (any term
    // in a UTF-8 log; a plain ASCII term in a log of a single-byte encoding) looks through the
    // bytes at memchr's speed; any other term decodes each entry first. With cancel set to true
    // meanwhile, the result is incomplete and must be dropped.
    TFBLogEntrySet MatchEntries(const TFBLogParser& parser, const FBLogsMsgs& msgs,
                                const std::atomic<bool>* cancel = nullptr) const;

    class TTermMatcher;

private:
    TFBLogEntrySet EntriesWithTerm(const TTermMatcher& term, const TFBLogParser& parser, const FBLogsMsgs& msgs,
                                   const std::atomic<bool>* cancel) const;

    bool ReadsRawBytes(const TTermMatcher& term) const noexcept;

    std::vector<TFBLogSearchTerm> FTerms;
    TFBLogSearchOptions FOptions;
    TFBLogDecoder FDecoder;
    std::vector<std::unique_ptr<TTermMatcher>> FIncluded;
    std::vector<std::unique_ptr<TTermMatcher>> FExcluded;
    std::string FErrorText;
};
