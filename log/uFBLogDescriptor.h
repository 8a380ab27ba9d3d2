#pragma once
// The header grammar of a log entry (source, date-time, message) and the catalogue of message
// descriptions read from fblvlog.descr. One object serves both roles; built with an empty
// catalogue name it is a pure header-grammar object.

#include "FBLogPatternSet.h"
#include "FBLogSeverity.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Raised when an entry's header cannot be read. The message begins "FBLogDescriptor: " and
// quotes the whole entry text.
class EFBLogWrongMessageFmt : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One catalogue row: a text that may occur in an entry and what such an entry means.
class TFBLogDescription {
public:
    TFBLogDescription(std::string matchText, std::string description,
                      TFBLogSeverity severity = TFBLogSeverity::Unknown, std::string facility = {});

    const std::string& MatchText() const noexcept { return FMatchText; }
    const std::string& Description() const noexcept { return FDescription; }
    TFBLogSeverity Severity() const noexcept { return FSeverity; }
    // One of the known facility names in capitals, or "" when the catalogue gives none.
    const std::string& Facility() const noexcept { return FFacility; }
    // A short name of the kind: the description's first sentence (up to its first full stop
    // or line break).
    std::string Title() const;

    // True when MatchText occurs in the text, without regard to letter case.
    bool Matches(std::string_view text) const;
    // The same for a text already passed through FoldCase.
    bool MatchesFolded(std::string_view foldedText) const noexcept;

private:
    std::string FMatchText;
    std::string FDescription;
    std::string FFoldedMatchText;
    TFBLogSeverity FSeverity = TFBLogSeverity::Unknown;
    std::string FFacility;
};

class TFBLogDescriptor {
public:
    // Loads the catalogue from the file; "" or a name of no existing file gives an empty
    // catalogue. A file that exists but cannot be read throws EFBLogFileError.
    // Comment lines "; @severity LEVEL" and "; @facility NAME" give the severity and facility of
    // every row below them until the next directive of the same name; a directive with a value
    // it does not know is noted in Warnings and leaves the rows below it without that attribute.
    explicit TFBLogDescriptor(const std::string& fileName);
    // The catalogue a file with this text would give; name stands for the file in warnings.
    static TFBLogDescriptor FromText(std::string_view text, const std::string& name);

    // The date and time of the entry's header line. Updates LastMonth. Throws
    // EFBLogWrongMessageFmt when the header holds no readable date and time.
    double ExtractDateTime(std::string_view text);
    // The same without an exception: 0 when the header cannot be read. Used by the scan.
    double TryExtractDateTime(std::string_view text) noexcept;

    // The trimmed text before the first TAB.
    std::string ExtractSource(std::string_view text) const;
    // The trimmed text from the second TAB on; inner line breaks stay.
    std::string ExtractMessage(std::string_view text) const;
    // The same parts as views into the text, without copying; nothing where the Extract
    // operations raise.
    static std::optional<std::string_view> SourcePart(std::string_view text) noexcept;
    static std::optional<std::string_view> MessagePart(std::string_view text) noexcept;

    // The description of the first catalogue row whose match text occurs in the entry text,
    // or "" when none does (or, with skipClientEntries, when the entry is a client's).
    std::string FindDescription(std::string_view text, bool skipClientEntries) const;
    // The index of the row FindDescription takes its answer from, or -1.
    int FindRowIndex(std::string_view text) const noexcept { return FPatterns.FirstMatch(text); }
    // FindRowIndex of each text, faster over many.
    void FindRowIndexes(std::span<const std::string_view> texts, std::span<int> rows) const noexcept
    {
        FPatterns.FirstMatchOfEach(texts, rows);
    }
    // The rows' match texts compiled for one-pass matching; FindRowIndex asks it.
    const TFBLogPatternSet& Patterns() const noexcept { return FPatterns; }
    // What was wrong in the catalogue file, a line each with its line number.
    const std::vector<std::string>& Warnings() const noexcept { return FWarnings; }

    const std::string& FileName() const noexcept { return FFileName; }
    const std::vector<TFBLogDescription>& Descriptions() const noexcept { return FDescriptions; }
    int LastMonth() const noexcept { return FLastMonth; }

private:
    void LoadCatalogue();
    void LoadCatalogueText(std::string_view text);
    void AddCatalogueLine(std::string_view line, std::size_t lineNumber);
    bool ReadDirective(std::string_view comment, std::size_t lineNumber);
    int LookUpMonth(std::string_view name) noexcept;
    std::optional<int> DaysOfHeader(std::string_view text, std::size_t tab) noexcept;

    // The day that TryExtractDateTime read last, by the month, day and year fields of the header
    // as written (each field's bytes in a slot of its own, then the three lengths). The entries of
    // a log mostly share their day, so mostly only their time of day needs reading.
    struct TLastDay {
        std::array<char, 12> Fields{};
        std::optional<int> Days;  // nothing when the fields form no valid date
        int Month = 0;            // what the month's name was looked up as; 0 if it was not found
    };
    std::optional<TLastDay> FLastDay;

    std::string FFileName;
    std::vector<TFBLogDescription> FDescriptions;
    int FLastMonth = 1;
    TFBLogPatternSet FPatterns;
    std::vector<std::string> FWarnings;
    // The directives in force while the file is read.
    TFBLogSeverity FCurrentSeverity = TFBLogSeverity::Unknown;
    std::string FCurrentFacility;
};
