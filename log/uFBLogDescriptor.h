#pragma once
// The header grammar of a log entry (source, date-time, message) and the catalogue of message
// descriptions read from fblvlog.descr. One object serves both roles; built with an empty
// catalogue name it is a pure header-grammar object.

#include <cstdint>
#include <optional>
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
    TFBLogDescription(std::string matchText, std::string description);

    const std::string& MatchText() const noexcept { return FMatchText; }
    const std::string& Description() const noexcept { return FDescription; }

    // True when MatchText occurs in the text, without regard to letter case.
    bool Matches(std::string_view text) const;
    // The same for a text already passed through FoldCase.
    bool MatchesFolded(std::string_view foldedText) const noexcept;

private:
    std::string FMatchText;
    std::string FDescription;
    std::string FFoldedMatchText;
};

class TFBLogDescriptor {
public:
    // Loads the catalogue from the file; "" or a name of no existing file gives an empty
    // catalogue. A file that exists but cannot be read throws EFBLogFileError.
    explicit TFBLogDescriptor(const std::string& fileName);

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

    const std::string& FileName() const noexcept { return FFileName; }
    const std::vector<TFBLogDescription>& Descriptions() const noexcept { return FDescriptions; }
    int LastMonth() const noexcept { return FLastMonth; }

private:
    void LoadCatalogue();
    void AddCatalogueLine(std::string_view line);
    int LookUpMonth(std::string_view name) noexcept;

    std::string FFileName;
    std::vector<TFBLogDescription> FDescriptions;
    int FLastMonth = 1;
};
