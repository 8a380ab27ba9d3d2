#include "uFBLogDescriptor.h"

#include "FBLogDateTime.h"
#include "FBLogFile.h"
#include "FBLogText.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

constexpr std::array<std::string_view, 13> MonthNames = {
    "", "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

constexpr char kTab = '\t';

// Where the fields of the date-time stand, counted from the first TAB of the entry
// (the header reads: source TAB "Www Mmm dd hh:mm:ss yyyy").
struct FieldPlace {
    std::size_t Offset;
    std::size_t Length;
};
constexpr FieldPlace kMonthField{5, 3};
constexpr FieldPlace kDayField{9, 2};
constexpr FieldPlace kHourField{12, 2};
constexpr FieldPlace kMinuteField{15, 2};
constexpr FieldPlace kSecondField{18, 2};
constexpr FieldPlace kYearField{21, 4};

std::string_view RawHeaderField(std::string_view text, std::size_t tab, FieldPlace place) noexcept
{
    const std::size_t start = tab + place.Offset;
    if (start >= text.size())
        return {};
    return text.substr(start, place.Length);
}

std::string_view HeaderField(std::string_view text, std::size_t tab, FieldPlace place) noexcept
{
    return TrimView(RawHeaderField(text, tab, place));
}

// The month, day and year fields as written, each in a slot of its own, then their lengths: equal
// for two headers exactly when the three fields are.
using DayFields = std::array<char, 12>;
DayFields DayFieldsOf(std::string_view text, std::size_t tab) noexcept
{
    constexpr FieldPlace kDayPlaces[] = {kMonthField, kDayField, kYearField};
    constexpr std::size_t kLengthsAt = kMonthField.Length + kDayField.Length + kYearField.Length;
    static_assert(kLengthsAt + std::size(kDayPlaces) == std::tuple_size_v<DayFields>);
    DayFields fields{};
    auto slot = fields.begin();
    for (std::size_t field = 0; field < std::size(kDayPlaces); ++field) {
        const std::string_view raw = RawHeaderField(text, tab, kDayPlaces[field]);
        std::copy(raw.begin(), raw.end(), slot);
        slot += static_cast<std::ptrdiff_t>(kDayPlaces[field].Length);
        fields[kLengthsAt + field] = static_cast<char>(raw.size());
    }
    return fields;
}

// A signed decimal integer, taken as an unsigned 16-bit value the way the date build sees it,
// so that a negative number never forms a valid date.
bool ParseWord(std::string_view field, std::uint16_t& value) noexcept
{
    std::size_t i = 0;
    const bool negative = !field.empty() && field[0] == '-';
    if (!field.empty() && (field[0] == '-' || field[0] == '+'))
        i = 1;
    if (i == field.size())
        return false;
    std::uint32_t number = 0;
    for (; i < field.size(); ++i) {
        if (field[i] < '0' || field[i] > '9')
            return false;
        number = number * 10 + static_cast<std::uint32_t>(field[i] - '0');
    }
    value = static_cast<std::uint16_t>(negative ? 0u - number : number);
    return true;
}

enum class HeaderDateOutcome { Ok, NoTab, NotAnInteger, InvalidDate };

struct HeaderDate {
    HeaderDateOutcome Outcome = HeaderDateOutcome::Ok;
    double Value = 0;
    std::string_view BadField;  // the field that is not an integer
    FBLogDateParts Parts;       // what was read, for the invalid-date message
};

template <typename MonthLookUp>
HeaderDate ParseHeaderDate(std::string_view text, MonthLookUp&& lookUpMonth) noexcept
{
    HeaderDate result;
    const std::size_t tab = text.find(kTab);
    if (tab == std::string_view::npos) {
        result.Outcome = HeaderDateOutcome::NoTab;
        return result;
    }
    std::uint16_t day = 0, year = 0, hour = 0, minute = 0, second = 0;
    const auto readNumber = [&](FieldPlace place, std::uint16_t& value) {
        const std::string_view field = HeaderField(text, tab, place);
        if (ParseWord(field, value))
            return true;
        result.Outcome = HeaderDateOutcome::NotAnInteger;
        result.BadField = field;
        return false;
    };
    if (!readNumber(kDayField, day))
        return result;
    const int month = lookUpMonth(HeaderField(text, tab, kMonthField));
    if (!readNumber(kYearField, year) || !readNumber(kHourField, hour) ||
        !readNumber(kMinuteField, minute) || !readNumber(kSecondField, second))
        return result;

    result.Parts = FBLogDateParts{year, month, day, hour, minute, second, 0};
    if (const auto value = TryEncodeDateTime(result.Parts))
        result.Value = *value;
    else
        result.Outcome = HeaderDateOutcome::InvalidDate;
    return result;
}

std::string InvalidDateTimeText(const FBLogDateParts& p)
{
    const FBLogDateTimeSeparators sep = GetDateTimeSeparators();
    const auto n = [](int value) { return std::to_string(value); };
    return "''" + n(p.Year) + sep.Date + n(p.Month) + sep.Date + n(p.Day) + ' ' + n(p.Hour) +
           sep.Time + n(p.Minute) + sep.Time + n(p.Second) + sep.Decimal + n(p.Millisecond) +
           "'' is not a valid date and time";
}

std::string QuotedEntry(std::string_view prefix, std::string_view text)
{
    std::string message;
    message.reserve(prefix.size() + text.size() + 2);
    message.append(prefix).append("\"").append(text).append("\"");
    return message;
}

[[noreturn]] void ThrowDateTimeError(std::string_view text, const HeaderDate& parsed)
{
    std::string message =
        QuotedEntry("FBLogDescriptor: Can't extract date-time part from string ", text);
    if (parsed.Outcome == HeaderDateOutcome::NotAnInteger)
        message += "!\r\n'" + std::string(parsed.BadField) + "' is not a valid integer value";
    else if (parsed.Outcome == HeaderDateOutcome::InvalidDate)
        message += "!\r\n" + InvalidDateTimeText(parsed.Parts);
    throw EFBLogWrongMessageFmt(message);
}

// Every "\n" written in a description becomes a line break.
std::string ExpandLineBreaks(std::string_view description)
{
    std::string result;
    result.reserve(description.size());
    for (std::size_t i = 0; i < description.size(); ++i) {
        if (description[i] == '\\' && i + 1 < description.size() && description[i + 1] == 'n') {
            result += "\r\n";
            ++i;
        } else {
            result += description[i];
        }
    }
    return result;
}

// Calls handle(line, number) for every line, numbered from 1.
template <typename LineHandler>
void ForEachLine(std::string_view text, LineHandler&& handle)
{
    std::size_t start = 0;
    std::size_t number = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            handle(text.substr(start), ++number);
            return;
        }
        handle(text.substr(start, end - start), ++number);
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
}

}  // namespace

TFBLogDescription::TFBLogDescription(std::string matchText, std::string description, TFBLogSeverity severity,
                                     std::string facility)
    : FMatchText(std::move(matchText)),
      FDescription(std::move(description)),
      FFoldedMatchText(FoldCase(FMatchText)),
      FSeverity(severity),
      FFacility(std::move(facility))
{
}

std::string TFBLogDescription::Title() const
{
    // A full stop ends the sentence only where a blank or the end follows, so "10.0.0.1" or
    // "fbserver.exe" stay whole.
    std::size_t end = FDescription.find_first_of("\r\n");
    for (std::size_t dot = FDescription.find('.'); dot < end; dot = FDescription.find('.', dot + 1))
        if (dot + 1 == FDescription.size() || IsBlankOrControl(FDescription[dot + 1])) {
            end = dot;
            break;
        }
    return Trim(std::string_view(FDescription).substr(0, end));
}

bool TFBLogDescription::Matches(std::string_view text) const
{
    return MatchesFolded(FoldCase(text));
}

bool TFBLogDescription::MatchesFolded(std::string_view foldedText) const noexcept
{
    return foldedText.find(FFoldedMatchText) != std::string_view::npos;
}

TFBLogDescriptor::TFBLogDescriptor(const std::string& fileName) : FFileName(fileName)
{
    LoadCatalogue();
}

TFBLogDescriptor TFBLogDescriptor::FromText(std::string_view text, const std::string& name)
{
    TFBLogDescriptor catalogue("");
    catalogue.FFileName = name;
    catalogue.LoadCatalogueText(text);
    return catalogue;
}

void TFBLogDescriptor::LoadCatalogue()
{
    if (!FileExists(FFileName))
        return;
    const FileBytes file = ReadWholeFile(FFileName);
    LoadCatalogueText(std::string_view(file.Data.get(), static_cast<std::size_t>(file.Size)));
}

void TFBLogDescriptor::LoadCatalogueText(std::string_view text)
{
    ForEachLine(text, [this](std::string_view line, std::size_t number) { AddCatalogueLine(line, number); });
    std::vector<std::string> matchTexts;
    matchTexts.reserve(FDescriptions.size());
    for (const TFBLogDescription& row : FDescriptions)
        matchTexts.push_back(row.MatchText());
    FPatterns = TFBLogPatternSet(matchTexts);
}

bool TFBLogDescriptor::ReadDirective(std::string_view comment, std::size_t lineNumber)
{
    const std::string_view text = TrimView(comment.substr(1));
    const auto value = [&](std::string_view name) -> std::optional<std::string_view> {
        if (text.size() <= name.size() || !EqualsNoCase(text.substr(0, name.size()), name) ||
            !IsBlankOrControl(text[name.size()]))
            return std::nullopt;
        return TrimView(text.substr(name.size()));
    };
    const auto warn = [&](std::string_view what, std::string_view given) {
        FWarnings.push_back(FFileName + ", line " + std::to_string(lineNumber) + ": unknown " + std::string(what) +
                            " \"" + std::string(given) + "\"; the rows below it have none");
    };
    if (const auto level = value("@severity")) {
        const std::optional<TFBLogSeverity> severity = ParseSeverity(*level);
        if (!severity)
            warn("severity", *level);
        FCurrentSeverity = severity.value_or(TFBLogSeverity::Unknown);
        return true;
    }
    if (const auto name = value("@facility")) {
        FCurrentFacility = FoldCase(*name);
        if (!IsKnownFacility(FCurrentFacility)) {
            warn("facility", *name);
            FCurrentFacility.clear();
        }
        return true;
    }
    return false;
}

void TFBLogDescriptor::AddCatalogueLine(std::string_view line, std::size_t lineNumber)
{
    if (line.empty())
        return;
    if (line[0] == ';') {
        ReadDirective(line, lineNumber);
        return;
    }
    const std::size_t separator = line.find("**");
    if (separator == std::string_view::npos)
        return;
    const std::string_view match = TrimView(line.substr(0, separator));
    const std::string_view description = TrimView(line.substr(separator + 2));
    if (match.empty() || description.empty())
        return;
    FDescriptions.emplace_back(std::string(match), ExpandLineBreaks(description), FCurrentSeverity, FCurrentFacility);
}

int TFBLogDescriptor::LookUpMonth(std::string_view name) noexcept
{
    // Consecutive entries mostly share a month, so the search starts at the last one found.
    for (int step = 0; step < 12; ++step) {
        const int month = (FLastMonth - 1 + step) % 12 + 1;
        if (MonthNames[static_cast<std::size_t>(month)] == name) {
            FLastMonth = month;
            return month;
        }
    }
    return 0;
}

double TFBLogDescriptor::ExtractDateTime(std::string_view text)
{
    const HeaderDate parsed =
        ParseHeaderDate(text, [this](std::string_view name) { return LookUpMonth(name); });
    if (parsed.Outcome != HeaderDateOutcome::Ok)
        ThrowDateTimeError(text, parsed);
    return parsed.Value;
}

double TFBLogDescriptor::TryExtractDateTime(std::string_view text) noexcept
{
    // Reads what ParseHeaderDate reads, in the same order, but the day comes from FLastDay when
    // the header's date fields are those read last.
    const std::size_t tab = text.find(kTab);
    if (tab == std::string_view::npos)
        return 0.0;
    const std::optional<int> days = DaysOfHeader(text, tab);
    std::uint16_t hour = 0, minute = 0, second = 0;
    if (!days || !ParseWord(HeaderField(text, tab, kHourField), hour) ||
        !ParseWord(HeaderField(text, tab, kMinuteField), minute) ||
        !ParseWord(HeaderField(text, tab, kSecondField), second))
        return 0.0;
    const std::optional<double> time = TryEncodeTime(hour, minute, second, 0);
    return time ? CombineDateAndTime(*days, *time) : 0.0;
}

std::optional<int> TFBLogDescriptor::DaysOfHeader(std::string_view text, std::size_t tab) noexcept
{
    const DayFields fields = DayFieldsOf(text, tab);
    if (FLastDay && FLastDay->Fields == fields) {
        // As if the month's name were looked up again.
        if (FLastDay->Month != 0)
            FLastMonth = FLastDay->Month;
        return FLastDay->Days;
    }
    FLastDay = TLastDay{fields, std::nullopt, 0};
    std::uint16_t day = 0, year = 0;
    if (!ParseWord(HeaderField(text, tab, kDayField), day))
        return std::nullopt;
    FLastDay->Month = LookUpMonth(HeaderField(text, tab, kMonthField));
    if (!ParseWord(HeaderField(text, tab, kYearField), year))
        return std::nullopt;
    FLastDay->Days = TryEncodeDate(year, FLastDay->Month, day);
    return FLastDay->Days;
}

std::optional<std::string_view> TFBLogDescriptor::SourcePart(std::string_view text) noexcept
{
    const std::size_t tab = text.find(kTab);
    if (tab == std::string_view::npos)
        return std::nullopt;
    return TrimView(text.substr(0, tab));
}

std::optional<std::string_view> TFBLogDescriptor::MessagePart(std::string_view text) noexcept
{
    const std::size_t first = text.find(kTab);
    const std::size_t second =
        first == std::string_view::npos ? std::string_view::npos : text.find(kTab, first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    return TrimView(text.substr(second));
}

std::string TFBLogDescriptor::ExtractSource(std::string_view text) const
{
    if (const auto source = SourcePart(text))
        return std::string(*source);
    throw EFBLogWrongMessageFmt(
        QuotedEntry("FBLogDescriptor: Can't extract the source-part from string ", text));
}

std::string TFBLogDescriptor::ExtractMessage(std::string_view text) const
{
    if (const auto message = MessagePart(text))
        return std::string(*message);
    throw EFBLogWrongMessageFmt(
        QuotedEntry("FBLogDescriptor: Can't extract the message-part from string ", text));
}

std::string TFBLogDescriptor::FindDescription(std::string_view text, bool skipClientEntries) const
{
    if (skipClientEntries && ContainsNoCase(text, "(Client)"))
        return {};
    const int row = FindRowIndex(text);
    return row < 0 ? std::string() : FDescriptions[static_cast<std::size_t>(row)].Description();
}
