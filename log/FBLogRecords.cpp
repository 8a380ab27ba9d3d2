#include "FBLogRecords.h"

#include "FBLogDateTime.h"
#include "FBLogEncoding.h"
#include "FBLogText.h"

#include <cstdio>
#include <utility>

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// Length of the run of bytes from `at` that stand for themselves: printable ASCII, and for
// JSON not the quote or backslash either.
std::size_t PlainRun(std::string_view text, std::size_t at, bool json) noexcept
{
    std::size_t end = at;
    while (end < text.size()) {
        const auto c = static_cast<unsigned char>(text[end]);
        if (c >= 0x80 || (json && (c < 0x20 || c == '"' || c == '\\')))
            break;
        ++end;
    }
    return end - at;
}

// Appends one byte that is not plain: a valid multi-byte sequence as it is (its length is
// returned), an invalid byte as U+FFFD, and for JSON a control byte, quote or backslash escaped.
std::size_t AppendSpecial(std::string& out, std::string_view text, std::size_t at, bool json)
{
    const char c = text[at];
    if (static_cast<unsigned char>(c) >= 0x80) {
        const std::size_t length = Utf8SequenceLength(text, at);
        if (length == 0) {
            out += kReplacementCharacter;
            return 1;
        }
        out.append(text.substr(at, length));
        return length;
    }
    if (!json) {
        out.push_back(c);
        return 1;
    }
    switch (c) {
    case '"': out += "\\\""; break;
    case '\\': out += "\\\\"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default: {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
        out += escaped;
    }
    }
    return 1;
}

// Appends the text as valid UTF-8, escaped for a JSON string when asked.
void AppendValid(std::string& out, std::string_view text, bool json)
{
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t plain = PlainRun(text, at, json);
        out.append(text.substr(at, plain));
        at += plain;
        if (at < text.size())
            at += AppendSpecial(out, text, at, json);
    }
}

void AppendJsonString(std::string& out, std::string_view text)
{
    out.push_back('"');
    AppendValid(out, text, true);
    out.push_back('"');
}

}  // namespace

std::optional<TFBLogRecordFormat> ParseRecordFormat(std::string_view name) noexcept
{
    if (name == "text")
        return TFBLogRecordFormat::Text;
    if (name == "csv")
        return TFBLogRecordFormat::Csv;
    if (name == "jsonl")
        return TFBLogRecordFormat::JsonLines;
    return std::nullopt;
}

std::string ValidUtf8(std::string_view bytes)
{
    std::string result;
    result.reserve(bytes.size());
    AppendValid(result, bytes, false);
    return result;
}

std::optional<std::string> IsoDateTime(double dateTime)
{
    if (dateTime == 0 || !IsValidTimestamp(dateTime))
        return std::nullopt;
    const FBLogDateParts parts = DecodeDateTime(dateTime);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", parts.Year, parts.Month, parts.Day,
                  parts.Hour, parts.Minute, parts.Second);
    return std::string(text);
}

std::string JsonString(std::string_view text)
{
    std::string out;
    AppendJsonString(out, text);
    return out;
}

std::string CsvField(std::string_view text)
{
    const std::string valid = ValidUtf8(text);
    if (valid.find_first_of(",\"\r\n") == std::string::npos)
        return valid;
    std::string quoted = "\"";
    for (const char c : valid) {
        if (c == '"')
            quoted.push_back('"');
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

struct TFBLogRecordWriter::TFields {
    std::int64_t No = 0;
    const FBLogMsg* Msg = nullptr;
    std::optional<std::string> Time;
    std::optional<std::string> Source;
    bool Client = false;
    TFBLogSeverity Severity = TFBLogSeverity::Unknown;
    const TFBLogDescription* Row = nullptr;
    std::optional<std::string> Message;
    std::string_view Text;
};

TFBLogRecordWriter::TFBLogRecordWriter(TFBLogRecordFormat format, const TFBLogDescriptor& catalogue, bool explain,
                                       TFBLogDecoder decoder)
    : FFormat(format), FCatalogue(catalogue), FExplain(explain), FDecoder(std::move(decoder))
{
}

std::string TFBLogRecordWriter::Header() const
{
    if (FFormat != TFBLogRecordFormat::Csv)
        return {};
    std::string header = "no,offset,length,time,source,client,severity,facility,kind,message,text";
    if (FExplain)
        header += ",description";
    return header + "\r\n";
}

TFBLogRecordWriter::TFields TFBLogRecordWriter::FieldsOf(std::int64_t no, const FBLogMsg& msg, std::string_view text,
                                                         FBLogKind kind) const
{
    TFields fields;
    fields.No = no;
    fields.Msg = &msg;
    fields.Text = text;
    fields.Row = RowOfKind(FCatalogue, kind);
    if (FFormat == TFBLogRecordFormat::Text)
        return fields;
    fields.Time = IsoDateTime(msg.DateTime);
    if (const auto source = TFBLogDescriptor::SourcePart(text)) {
        fields.Source = CollapseBlanks(*source);
        fields.Client = ContainsNoCase(*fields.Source, "(client)");
    }
    if (const auto message = TFBLogDescriptor::MessagePart(text))
        fields.Message = CollapseBlanks(*message);
    fields.Severity = SeverityOfKind(FCatalogue, kind);
    return fields;
}

void TFBLogRecordWriter::Append(std::string& out, std::int64_t no, const FBLogMsg& msg, std::string_view text,
                                FBLogKind kind) const
{
    if (FFormat == TFBLogRecordFormat::Text && !FExplain) {
        out.append(text);
        return;
    }
    // Records are UTF-8: their fields come from the text decoded, the log's own text keeps its bytes.
    std::string decoded;
    if (FFormat != TFBLogRecordFormat::Text && !FDecoder.IsUtf8())
        decoded = FDecoder.ToUtf8(text);
    const TFields fields = FieldsOf(no, msg, decoded.empty() ? text : std::string_view(decoded), kind);
    switch (FFormat) {
    case TFBLogRecordFormat::Text: AppendText(out, fields); break;
    case TFBLogRecordFormat::Csv: AppendCsv(out, fields); break;
    case TFBLogRecordFormat::JsonLines: AppendJson(out, fields); break;
    }
}

void TFBLogRecordWriter::AppendText(std::string& out, const TFields& fields) const
{
    out.append(fields.Text);
    if (!FExplain)
        return;
    // The description follows as a paragraph of its own, in the entry's line ends.
    const bool crlf = fields.Text.find("\r\n") != std::string_view::npos;
    const std::string_view lineEnd = crlf ? "\r\n" : "\n";
    const std::string description = fields.Row ? fields.Row->Description() : std::string("No description available for this message.");
    out += "Description: ";
    for (const char c : description) {
        if (c == '\n')
            out.append(lineEnd);
        else if (c != '\r')
            out.push_back(c);
    }
    out.append(lineEnd);
    out.append(lineEnd);
}

void TFBLogRecordWriter::AppendCsv(std::string& out, const TFields& fields) const
{
    const auto optional = [](const std::optional<std::string>& text) { return text ? CsvField(*text) : std::string(); };
    out += std::to_string(fields.No) + ',' + std::to_string(fields.Msg->Offset) + ',' +
           std::to_string(fields.Msg->Length) + ',' + optional(fields.Time) + ',' + optional(fields.Source) + ',' +
           (fields.Client ? "true" : "false") + ',' + std::string(SeverityName(fields.Severity)) + ',' +
           (fields.Row && !fields.Row->Facility().empty() ? CsvField(fields.Row->Facility()) : std::string()) + ',' +
           (fields.Row ? CsvField(fields.Row->MatchText()) : std::string()) + ',' + optional(fields.Message) + ',' +
           CsvField(fields.Text);
    if (FExplain)
        out += ',' + (fields.Row ? CsvField(fields.Row->Description()) : std::string());
    out += "\r\n";
}

void TFBLogRecordWriter::AppendJson(std::string& out, const TFields& fields) const
{
    const auto optional = [](const std::optional<std::string>& text) { return text ? JsonString(*text) : std::string("null"); };
    out += "{\"no\":" + std::to_string(fields.No) + ",\"offset\":" + std::to_string(fields.Msg->Offset) +
           ",\"length\":" + std::to_string(fields.Msg->Length) + ",\"time\":" + optional(fields.Time) +
           ",\"source\":" + optional(fields.Source) + ",\"client\":" + (fields.Client ? "true" : "false") +
           ",\"severity\":\"" + std::string(SeverityName(fields.Severity)) + "\",\"facility\":" +
           (fields.Row && !fields.Row->Facility().empty() ? JsonString(fields.Row->Facility()) : std::string("null")) +
           ",\"kind\":" + (fields.Row ? JsonString(fields.Row->MatchText()) : std::string("null")) +
           ",\"message\":" + optional(fields.Message) + ",\"text\":";
    AppendJsonString(out, fields.Text);
    if (FExplain)
        out += ",\"description\":" + (fields.Row ? JsonString(fields.Row->Description()) : std::string("null"));
    out += "}\n";
}
