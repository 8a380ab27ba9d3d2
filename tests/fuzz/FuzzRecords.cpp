// The record writers on any entry bytes, read in any offered encoding: every JSON line is
// well-formed JSON (checked by a small strict reader here) and valid UTF-8, every CSV row has the
// header's number of fields; decoding gives valid UTF-8, and the automatic choice weighs bytes
// taken in two pieces as it weighs them whole.

#include "FBLogEncoding.h"
#include "FBLogRecords.h"
#include "uFBLogDescriptor.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// A strict reader of the JSON the writer makes: objects, strings, numbers, true, false, null.
class TJsonReader {
public:
    explicit TJsonReader(std::string_view text) : FText(text) {}

    bool Document()
    {
        return Value() && FAt == FText.size();
    }

private:
    bool Value()
    {
        if (Peek('{'))
            return Object();
        if (Peek('"'))
            return String();
        for (const std::string_view word : {"true", "false", "null"})
            if (FText.substr(FAt, word.size()) == word) {
                FAt += word.size();
                return true;
            }
        const std::size_t start = FAt;
        if (Peek('-'))
            ++FAt;
        while (FAt < FText.size() && FText[FAt] >= '0' && FText[FAt] <= '9')
            ++FAt;
        return FAt > start;
    }

    bool Object()
    {
        ++FAt;
        if (Peek('}'))
            return ++FAt, true;
        for (;;) {
            if (!String() || !Peek(':'))
                return false;
            ++FAt;
            if (!Value())
                return false;
            if (Peek('}'))
                return ++FAt, true;
            if (!Peek(','))
                return false;
            ++FAt;
        }
    }

    bool String()
    {
        if (!Peek('"'))
            return false;
        for (++FAt; FAt < FText.size(); ++FAt) {
            const auto c = static_cast<unsigned char>(FText[FAt]);
            if (c == '"')
                return ++FAt, true;
            if (c < 0x20)
                return false;
            if (c == '\\') {
                if (++FAt >= FText.size())
                    return false;
                if (FText[FAt] == 'u')
                    FAt += 4;
                else if (std::string_view("\"\\/bfnrt").find(FText[FAt]) == std::string_view::npos)
                    return false;
            }
        }
        return false;
    }

    bool Peek(char c) const { return FAt < FText.size() && FText[FAt] == c; }

    std::string_view FText;
    std::size_t FAt = 0;
};

std::size_t CsvFields(std::string_view row)
{
    std::size_t fields = 1;
    bool quoted = false;
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (row[i] == '"')
            quoted = !quoted;
        else if (row[i] == ',' && !quoted)
            ++fields;
    }
    Require(!quoted);
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const TFBLogDescriptor catalogue = TFBLogDescriptor::FromText(
        "; @severity error\n; @facility NET\nerrno = 10054\tConnection reset by the client.\n", "fuzz.descr");
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const FBLogMsg msg{0, static_cast<std::int64_t>(size), size > 0 ? data[0] * 1000.0 : 0.0};
    const FBLogKind kind = size > 1 ? static_cast<FBLogKind>(data[1] % 3) : kUnknownKind;
    const TFBLogDecoder decoder(OfferedEncodings()[size > 2 ? data[2] % OfferedEncodings().size() : 0].Encoding);
    const std::string decoded = decoder.ToUtf8(text);
    Require(ValidUtf8(decoded) == decoded);
    TFBLogEncodingGuess whole, pieces;
    whole.Take(text);
    const std::size_t cut = size > 3 ? data[3] % (size + 1) : 0;
    pieces.Take(text.substr(0, cut));
    pieces.Take(text.substr(cut));
    Require(whole.Choice(TFBLogEncoding::Koi8R) == pieces.Choice(TFBLogEncoding::Koi8R));
    for (const bool explain : {false, true}) {
        std::string line;
        TFBLogRecordWriter(TFBLogRecordFormat::JsonLines, catalogue, explain, decoder).Append(line, 1, msg, text, kind);
        Require(!line.empty() && line.back() == '\n' && line.find('\n') == line.size() - 1);
        line.pop_back();
        Require(TJsonReader(line).Document());
        Require(ValidUtf8(line) == line);

        const TFBLogRecordWriter csv(TFBLogRecordFormat::Csv, catalogue, explain, decoder);
        std::string row;
        csv.Append(row, 1, msg, text, kind);
        const std::string header = csv.Header();
        Require(row.size() >= 2 && row.substr(row.size() - 2) == "\r\n");
        Require(CsvFields(std::string_view(row).substr(0, row.size() - 2)) ==
                CsvFields(std::string_view(header).substr(0, header.size() - 2)));
    }
    return 0;
}
