#pragma once
// Which entries of a log a reader asked for, decided entry by entry as they stream past: a
// date range, a least severity, kinds named by part of their match text or title, terms that
// must or must not occur, and a regular expression.

#include "FBLogClassifier.h"
#include "FBLogSearch.h"
#include "FBLogSeverity.h"

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct TFBLogFilterOptions {
    std::optional<double> Since;  // timestamps, both inclusive
    std::optional<double> Until;
    TFBLogSeverity AtLeast = TFBLogSeverity::Unknown;
    std::vector<std::string> Kinds;  // any of them, in any letter case
    std::vector<std::string> Grep;   // all of them; a leading "-" excludes
    std::optional<std::string> Regex;
    bool MatchCase = false;
    TFBLogEncoding Encoding = TFBLogEncoding::Utf8;  // of the entries' texts
};

// A filter that cannot be built; what() says why.
class EFBLogFilterError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The timestamp a command-line date stands for: YYYY-MM-DD, YYYY-MM-DDTHH:MM or
// YYYY-MM-DDTHH:MM:SS. A date alone stands for the day's first moment, or with endOfRange for
// its last. Nothing for any other text.
std::optional<double> ParseDateTimeArgument(std::string_view text, bool endOfRange);

// The title a kind goes by: the catalogue row's title, or "Not in the catalogue".
std::string KindTitle(const TFBLogDescriptor& catalogue, FBLogKind kind);

class TFBLogEntryFilter {
public:
    // Throws EFBLogFilterError for a regular expression that does not compile.
    TFBLogEntryFilter(const TFBLogDescriptor& catalogue, const TFBLogFilterOptions& options);
    ~TFBLogEntryFilter();

    bool Passes(const FBLogMsg& msg, std::string_view text, FBLogKind kind) const;
    // True when a date range is asked for.
    bool LooksAtDates() const noexcept { return FRanged; }
    // True when some kind is left out, so that entries must be classified first.
    bool LooksAtKinds() const noexcept;

private:
    double FFrom;
    double FTo;
    bool FRanged;
    std::vector<bool> FKindShown;
    std::unique_ptr<TFBLogSearch> FGrep;
    std::unique_ptr<TFBLogSearch> FRegex;
};
