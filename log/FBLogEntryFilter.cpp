#include "FBLogEntryFilter.h"

#include "FBLogDateTime.h"
#include "FBLogText.h"

#include <algorithm>
#include <limits>

namespace {

// Reads a number of exactly `digits` digits at text[at]; nothing otherwise.
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t digits)
{
    if (at + digits > text.size())
        return std::nullopt;
    int value = 0;
    for (const char c : text.substr(at, digits)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool SeparatorAt(std::string_view text, std::size_t at, char separator)
{
    return at < text.size() && text[at] == separator;
}

std::unique_ptr<TFBLogSearch> SearchOf(std::vector<TFBLogSearchTerm> terms, TFBLogSearchOptions options)
{
    if (terms.empty())
        return nullptr;
    auto search = std::make_unique<TFBLogSearch>(terms, options);
    if (!search->Valid())
        throw EFBLogFilterError("The regular expression is not valid: " + search->ErrorText());
    return search;
}

std::vector<TFBLogSearchTerm> GrepTerms(const std::vector<std::string>& grep)
{
    std::vector<TFBLogSearchTerm> terms;
    for (const std::string& text : grep) {
        const bool exclude = text.size() > 1 && text.front() == '-';
        terms.push_back({exclude ? text.substr(1) : text, exclude});
    }
    return terms;
}

}  // namespace

std::optional<double> ParseDateTimeArgument(std::string_view text, bool endOfRange)
{
    FBLogDateParts parts;
    const auto year = Digits(text, 0, 4);
    const auto month = Digits(text, 5, 2);
    const auto day = Digits(text, 8, 2);
    if (!year || !month || !day || !SeparatorAt(text, 4, '-') || !SeparatorAt(text, 7, '-'))
        return std::nullopt;
    parts.Year = *year;
    parts.Month = *month;
    parts.Day = *day;
    if (text.size() == 10) {
        if (endOfRange) {
            parts.Hour = 23;
            parts.Minute = 59;
            parts.Second = 59;
            parts.Millisecond = 999;
        }
        return TryEncodeDateTime(parts);
    }
    const auto hour = Digits(text, 11, 2);
    const auto minute = Digits(text, 14, 2);
    if (!SeparatorAt(text, 10, 'T') || !hour || !minute || !SeparatorAt(text, 13, ':'))
        return std::nullopt;
    parts.Hour = *hour;
    parts.Minute = *minute;
    if (text.size() == 19) {
        const auto second = Digits(text, 17, 2);
        if (!SeparatorAt(text, 16, ':') || !second)
            return std::nullopt;
        parts.Second = *second;
    } else if (text.size() != 16) {
        return std::nullopt;
    }
    return TryEncodeDateTime(parts);
}

std::string KindTitle(const TFBLogDescriptor& catalogue, FBLogKind kind)
{
    const TFBLogDescription* row = RowOfKind(catalogue, kind);
    return row ? row->Title() : std::string("Not in the catalogue");
}

TFBLogEntryFilter::TFBLogEntryFilter(const TFBLogDescriptor& catalogue, const TFBLogFilterOptions& options)
    : FFrom(options.Since.value_or(-std::numeric_limits<double>::infinity())),
      FTo(options.Until.value_or(std::numeric_limits<double>::infinity())),
      FRanged(options.Since || options.Until)
{
    const std::size_t kinds = std::min(catalogue.Descriptions().size() + 1, kMaxKinds);
    FKindShown.resize(kinds);
    for (std::size_t kind = 0; kind < kinds; ++kind) {
        const auto value = static_cast<FBLogKind>(kind);
        bool shown = SeverityOfKind(catalogue, value) >= options.AtLeast;
        if (shown && !options.Kinds.empty()) {
            const TFBLogDescription* row = RowOfKind(catalogue, value);
            const std::string title = KindTitle(catalogue, value);
            shown = false;
            for (const std::string& wanted : options.Kinds)
                shown = shown || ContainsNoCase(title, wanted) || (row && ContainsNoCase(row->MatchText(), wanted));
        }
        FKindShown[kind] = shown;
    }
    const TFBLogSearchOptions plain{options.MatchCase, false, false, options.Encoding};
    FGrep = SearchOf(GrepTerms(options.Grep), plain);
    if (options.Regex)
        FRegex = SearchOf({{*options.Regex, false}}, {options.MatchCase, false, true, options.Encoding});
}

TFBLogEntryFilter::~TFBLogEntryFilter() = default;

bool TFBLogEntryFilter::LooksAtKinds() const noexcept
{
    return std::find(FKindShown.begin(), FKindShown.end(), false) != FKindShown.end();
}

bool TFBLogEntryFilter::Passes(const FBLogMsg& msg, std::string_view text, FBLogKind kind) const
{
    // An entry without a readable date lies in no range.
    if (FRanged && (msg.DateTime == 0 || !(FFrom <= msg.DateTime && msg.DateTime <= FTo)))
        return false;
    if (kind < FKindShown.size() && !FKindShown[kind])
        return false;
    return (!FGrep || FGrep->MatchesEntry(text)) && (!FRegex || FRegex->MatchesEntry(text));
}
