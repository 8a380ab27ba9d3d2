#include "FBLogEncoding.h"

#include "FBLogRecords.h"
#include "FBLogText.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace {

using E = TFBLogEncoding;

constexpr TFBLogEncodingInfo kOffered[] = {
    {E::Utf8, "UTF-8", "Unicode"},
    {E::Windows1250, "windows-1250", "Central European"},
    {E::Windows1251, "windows-1251", "Cyrillic"},
    {E::Windows1252, "windows-1252", "Western"},
    {E::Windows1253, "windows-1253", "Greek"},
    {E::Windows1254, "windows-1254", "Turkish"},
    {E::Windows1255, "windows-1255", "Hebrew"},
    {E::Windows1256, "windows-1256", "Arabic"},
    {E::Windows1257, "windows-1257", "Baltic"},
    {E::Windows1258, "windows-1258", "Vietnamese"},
    {E::Iso8859_1, "ISO-8859-1", "Western"},
    {E::Iso8859_2, "ISO-8859-2", "Central European"},
    {E::Iso8859_5, "ISO-8859-5", "Cyrillic"},
    {E::Iso8859_15, "ISO-8859-15", "Western with euro"},
    {E::Koi8R, "KOI8-R", "Cyrillic"},
    {E::Cp866, "IBM866", "Cyrillic (DOS)"},
    {E::ShiftJis, "Shift_JIS", "Japanese"},
    {E::Gbk, "GBK", "Chinese, simplified"},
    {E::Big5, "Big5", "Chinese, traditional"},
};

// Names people write for the offered encodings besides the IANA ones, already folded to upper
// case.
constexpr std::pair<std::string_view, E> kAliases[] = {
    {"UTF8", E::Utf8},          {"CP1250", E::Windows1250}, {"CP1251", E::Windows1251}, {"CP1252", E::Windows1252},
    {"CP1253", E::Windows1253}, {"CP1254", E::Windows1254}, {"CP1255", E::Windows1255}, {"CP1256", E::Windows1256},
    {"CP1257", E::Windows1257}, {"CP1258", E::Windows1258}, {"LATIN1", E::Iso8859_1},   {"LATIN2", E::Iso8859_2},
    {"LATIN9", E::Iso8859_15},  {"CP866", E::Cp866},        {"SJIS", E::ShiftJis},      {"CP932", E::ShiftJis},
    {"CP936", E::Gbk},          {"CP950", E::Big5},
};

constexpr std::pair<unsigned, E> kWindowsCodePages[] = {
    {1250, E::Windows1250}, {1251, E::Windows1251}, {1252, E::Windows1252}, {1253, E::Windows1253},
    {1254, E::Windows1254}, {1255, E::Windows1255}, {1256, E::Windows1256}, {1257, E::Windows1257},
    {1258, E::Windows1258}, {932, E::ShiftJis},     {936, E::Gbk},          {950, E::Big5},
    {866, E::Cp866},        {20866, E::Koi8R},      {28591, E::Iso8859_1},  {28592, E::Iso8859_2},
    {28595, E::Iso8859_5},  {28605, E::Iso8859_15}, {65001, E::Utf8},
};

constexpr std::string_view kCyrillicLanguages[] = {"ru", "uk", "be", "bg", "sr", "mk"};
constexpr std::string_view kCentralEuropeanLanguages[] = {"cs", "pl", "sk", "hu", "sl", "hr", "ro", "bs", "sq"};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr char32_t kReplacement = 0xFFFD;

const char* IcuName(E encoding) noexcept
{
    // ICU knows every IANA name offered; the strings are literals, so they end in a zero.
    return EncodingName(encoding).data();
}

struct TConverterCloser {
    void operator()(UConverter* converter) const noexcept { ucnv_close(converter); }
};
using TConverter = std::unique_ptr<UConverter, TConverterCloser>;

TConverter OpenConverter(E encoding)
{
    UErrorCode error = U_ZERO_ERROR;
    TConverter converter(ucnv_open(IcuName(encoding), &error));
    if (U_FAILURE(error))
        throw std::runtime_error("The text encoding " + std::string(EncodingName(encoding)) +
                                 " is not available: " + u_errorName(error));
    return converter;
}

void AppendCodePoint(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// What does not decode becomes U+FFFD; ICU's own substitute is U+001A for some encodings.
void U_CALLCONV ReplaceUndecodable(const void*, UConverterToUnicodeArgs* arguments, const char*, int32_t,
                                   UConverterCallbackReason reason, UErrorCode* error)
{
    if (reason > UCNV_IRREGULAR)
        return;  // a reset, close or clone: nothing to write
    static const UChar kReplacementUnit = 0xFFFD;
    *error = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(arguments, &kReplacementUnit, 1, 0, error);
}

// The character one byte stands for, or U+FFFD when it stands for none.
char32_t CharacterOfByte(UConverter* converter, unsigned char byte)
{
    UChar unit[2] = {};
    UErrorCode error = U_ZERO_ERROR;
    ucnv_reset(converter);
    const auto* source = reinterpret_cast<const char*>(&byte);
    const int32_t length = ucnv_toUChars(converter, unit, 2, source, 1, &error);
    return U_FAILURE(error) || length != 1 ? kReplacement : unit[0];
}

// The locale name's language: the letters before a region, an encoding or a variant.
std::string_view LanguageOf(std::string_view locale) noexcept
{
    return locale.substr(0, std::min(locale.find_first_of("_-.@"), locale.size()));
}

bool IsOneOf(std::string_view language, std::span<const std::string_view> languages) noexcept
{
    return std::any_of(languages.begin(), languages.end(), [&](std::string_view l) { return EqualsNoCase(l, language); });
}

}  // namespace

std::span<const TFBLogEncodingInfo> OfferedEncodings() noexcept
{
    return kOffered;
}

std::string_view EncodingName(TFBLogEncoding encoding) noexcept
{
    return kOffered[static_cast<std::size_t>(encoding)].Name;
}

std::optional<TFBLogEncoding> ParseEncodingName(std::string_view name)
{
    for (const TFBLogEncodingInfo& info : kOffered)
        if (EqualsNoCase(info.Name, name))
            return info.Encoding;
    std::string folded = FoldCase(name);
    folded.erase(std::remove(folded.begin(), folded.end(), '-'), folded.end());
    for (const auto& [alias, encoding] : kAliases)
        if (alias == folded)
            return encoding;
    return std::nullopt;
}

TFBLogEncoding LegacyEncodingOfLanguage(std::string_view locale) noexcept
{
    const std::string_view language = LanguageOf(locale);
    if (IsOneOf(language, kCyrillicLanguages))
        return E::Windows1251;
    if (IsOneOf(language, kCentralEuropeanLanguages))
        return E::Windows1250;
    return E::Windows1252;
}

std::optional<TFBLogEncoding> EncodingOfWindowsCodePage(unsigned codePage) noexcept
{
    for (const auto& [number, encoding] : kWindowsCodePages)
        if (number == codePage)
            return encoding;
    return std::nullopt;
}

TFBLogEncoding SystemLegacyEncoding(std::string_view locale) noexcept
{
#ifdef _WIN32
    // A system whose ANSI page is UTF-8 still has servers of old that wrote in their language's page.
    if (const auto encoding = EncodingOfWindowsCodePage(GetACP()); encoding && *encoding != E::Utf8)
        return *encoding;
#endif
    return LegacyEncodingOfLanguage(locale);
}

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) noexcept
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else
        return 0;
    if (at + length > text.size() || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return length;
}

namespace {

// The length a sequence with this lead byte has, when it is valid at all.
std::size_t ExpectedLength(unsigned char lead) noexcept
{
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
}

// Where the next byte above ASCII is, eight bytes at a time through the ASCII ones.
std::size_t SkipAscii(std::string_view bytes, std::size_t at) noexcept
{
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + at, sizeof word);
        if ((word & kHighBits) != 0)
            break;
    }
    while (at < bytes.size() && static_cast<unsigned char>(bytes[at]) < 0x80)
        ++at;
    return at;
}

}  // namespace

void TFBLogEncodingGuess::Take(std::string_view bytes)
{
    if (FHead.size() < kByteOrderMark.size())
        FHead.append(bytes.substr(0, kByteOrderMark.size() - FHead.size()));
    if (FPending.empty()) {
        TakeSequences(bytes);
        return;
    }
    // Rare (a block boundary inside a character), so a copy costs nothing worth avoiding.
    std::string joined = std::exchange(FPending, std::string());
    joined.append(bytes);
    TakeSequences(joined);
}

void TFBLogEncodingGuess::TakeSequences(std::string_view bytes)
{
    for (std::size_t at = SkipAscii(bytes, 0); at < bytes.size(); at = SkipAscii(bytes, at)) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        if (lead >= 0xC2 && lead <= 0xF4 && bytes.size() - at < ExpectedLength(lead)) {
            // The next bytes taken may complete it.
            FPending.assign(bytes.substr(at));
            return;
        }
        const std::size_t length = Utf8SequenceLength(bytes, at);
        if (length == 0) {
            ++FInvalid;
            ++at;
        } else {
            ++FValid;
            at += length;
        }
    }
}

TFBLogEncoding TFBLogEncodingGuess::Choice(TFBLogEncoding legacy) const noexcept
{
    // A sequence cut short by the end of the log counts as invalid.
    const std::uint64_t invalid = FInvalid + (FPending.empty() ? 0 : 1);
    return FHead == kByteOrderMark || invalid == 0 || FValid > invalid ? E::Utf8 : legacy;
}

void TFBLogEncodingGuess::EndStretch()
{
    if (FPending.empty())
        return;
    // The stretch's line end already ends the sequence, whatever follows it: any ASCII bytes
    // complete the count as well as the real ones would.
    std::string rest = std::exchange(FPending, std::string());
    rest.append(4, '\n');
    TakeSequences(rest);
}

void TFBLogEncodingGuess::Join(const TFBLogEncodingGuess& next)
{
    if (FHead.size() < kByteOrderMark.size())
        FHead.append(std::string_view(next.FHead).substr(0, kByteOrderMark.size() - FHead.size()));
    FValid += next.FValid;
    FInvalid += next.FInvalid;
    FPending = next.FPending;
}

TFBLogEncoding GuessEncoding(std::string_view bytes, TFBLogEncoding legacy)
{
    TFBLogEncodingGuess guess;
    guess.Take(bytes);
    return guess.Choice(legacy);
}

// The UTF-8 form of each byte of a single-byte encoding, worked out once through ICU.
struct TFBLogDecoder::TSingleByteTable {
    std::array<std::array<char, 4>, 256> Bytes{};
    std::array<unsigned char, 256> Lengths{};
    bool AsciiIsAscii = true;  // every ASCII byte stands for itself
};

bool TFBLogDecoder::KeepsAscii() const noexcept
{
    return IsUtf8() || (FSingleByte != nullptr && FSingleByte->AsciiIsAscii);
}

TFBLogDecoder::TFBLogDecoder(TFBLogEncoding encoding) : FEncoding(encoding)
{
    if (encoding == E::Utf8)
        return;
    const TConverter converter = OpenConverter(encoding);
    if (ucnv_getMaxCharSize(converter.get()) != 1)
        return;
    UErrorCode error = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    auto table = std::make_shared<TSingleByteTable>();
    for (unsigned byte = 0; byte < 256; ++byte) {
        std::string utf8;
        AppendCodePoint(utf8, CharacterOfByte(converter.get(), static_cast<unsigned char>(byte)));
        std::copy(utf8.begin(), utf8.end(), table->Bytes[byte].begin());
        table->Lengths[byte] = static_cast<unsigned char>(utf8.size());
        // IBM866 swaps a few control characters, as IBM's code pages do.
        if (byte < 0x80 && (utf8.size() != 1 || utf8[0] != static_cast<char>(byte)))
            table->AsciiIsAscii = false;
    }
    FSingleByte = std::move(table);
}

std::string TFBLogDecoder::ToUtf8(std::string_view bytes) const
{
    std::string out;
    AppendUtf8(out, bytes);
    return out;
}

void TFBLogDecoder::AppendUtf8(std::string& out, std::string_view bytes) const
{
    if (IsUtf8()) {
        out += ValidUtf8(bytes);
        return;
    }
    if (FSingleByte == nullptr) {
        AppendMultiByte(out, bytes);
        return;
    }
    out.reserve(out.size() + bytes.size() + bytes.size() / 4);
    if (!FSingleByte->AsciiIsAscii) {
        for (const char c : bytes)
            out.append(FSingleByte->Bytes[static_cast<unsigned char>(c)].data(),
                       FSingleByte->Lengths[static_cast<unsigned char>(c)]);
        return;
    }
    // Runs of ASCII are copied as they are.
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t ascii = SkipAscii(bytes, at);
        out.append(bytes.data() + at, ascii - at);
        for (at = ascii; at < bytes.size() && static_cast<unsigned char>(bytes[at]) >= 0x80; ++at) {
            const auto byte = static_cast<unsigned char>(bytes[at]);
            out.append(FSingleByte->Bytes[byte].data(), FSingleByte->Lengths[byte]);
        }
    }
}

void TFBLogDecoder::AppendMultiByte(std::string& out, std::string_view bytes) const
{
    // A converter holds the state of one conversion: each thread keeps one of its own.
    thread_local TConverter converter;
    thread_local std::optional<E> convertsFrom;
    if (convertsFrom != FEncoding) {
        converter = OpenConverter(FEncoding);
        convertsFrom = FEncoding;
        UErrorCode error = U_ZERO_ERROR;
        ucnv_setToUCallBack(converter.get(), ReplaceUndecodable, nullptr, nullptr, nullptr, &error);
    }
    ucnv_reset(converter.get());
    // Every byte gives at most one UTF-16 unit in these encodings.
    std::vector<UChar> units(bytes.size() + 1);
    UErrorCode error = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter.get(), units.data(), static_cast<int32_t>(units.size()), bytes.data(),
                                         static_cast<int32_t>(bytes.size()), &error);
    if (U_FAILURE(error))
        throw std::runtime_error(std::string("Cannot decode text as ") + IcuName(FEncoding) + ": " + u_errorName(error));
    int32_t needed = 0;
    error = U_ZERO_ERROR;
    u_strToUTF8WithSub(nullptr, 0, &needed, units.data(), length, kReplacement, nullptr, &error);
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(needed));
    error = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data() + start, needed, nullptr, units.data(), length, kReplacement, nullptr, &error);
}
