#pragma once
// Entries written out as records for other programs and people: the log's own text, CSV
// (RFC 4180, with a header row) or JSON lines (one object per entry). kslog prints them and the
// window exports them through the same code, so both give the same bytes for the same entries.
//
// The fields, in order: no, offset, length, time, source, client, severity, facility, kind,
// message, text, and description when asked for.

#include "FBLogClassifier.h"
#include "FBLogEncoding.h"
#include "uFBLogDescriptor.h"
#include "uFBLogParser.h"

#include <optional>
#include <string>
#include <string_view>

enum class TFBLogRecordFormat { Text, Csv, JsonLines };

// "text", "csv" or "jsonl"; nothing for any other name.
std::optional<TFBLogRecordFormat> ParseRecordFormat(std::string_view name) noexcept;

// The bytes as valid UTF-8: each byte that does not begin or continue a valid sequence becomes
// U+FFFD, as the window shows it.
std::string ValidUtf8(std::string_view bytes);
// "YYYY-MM-DDTHH:MM:SS" for a readable date-time, nothing for 0 (no date).
std::optional<std::string> IsoDateTime(double dateTime);
// A JSON string literal of the text, made valid UTF-8 first.
std::string JsonString(std::string_view text);
// A CSV field: quoted when it holds a comma, a double quote or a line break.
std::string CsvField(std::string_view text);

class TFBLogRecordWriter {
public:
    // CSV and JSON lines decode the entries' texts with the decoder; the text format writes them
    // as the log holds them.
    TFBLogRecordWriter(TFBLogRecordFormat format, const TFBLogDescriptor& catalogue, bool explain,
                       TFBLogDecoder decoder = TFBLogDecoder());

    // What goes before the first record: the CSV header row; nothing for the other formats.
    std::string Header() const;
    // Appends the record of one entry: no is its 1-based position in the file, text its bytes.
    void Append(std::string& out, std::int64_t no, const FBLogMsg& msg, std::string_view text, FBLogKind kind) const;

private:
    struct TFields;
    TFields FieldsOf(std::int64_t no, const FBLogMsg& msg, std::string_view text, FBLogKind kind) const;
    void AppendJson(std::string& out, const TFields& fields) const;
    void AppendCsv(std::string& out, const TFields& fields) const;
    void AppendText(std::string& out, const TFields& fields) const;

    TFBLogRecordFormat FFormat;
    const TFBLogDescriptor& FCatalogue;
    bool FExplain;
    TFBLogDecoder FDecoder;
};
