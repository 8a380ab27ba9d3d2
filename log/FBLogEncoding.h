#pragma once
// The text encoding a log is read in. A server declares none: Windows servers write operating
// system messages in their ANSI code page, POSIX servers in their locale's encoding (UTF-8
// nowadays), and database paths as raw bytes. Each log is decoded with one encoding for
// display, search and records; decoding is ICU's, so the tables are the ones every other
// program uses.
//
// Decoded text is UTF-8. A byte (or sequence) that means nothing in the encoding becomes U+FFFD.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

enum class TFBLogEncoding : std::uint8_t {
    Utf8,
    Windows1250,
    Windows1251,
    Windows1252,
    Windows1253,
    Windows1254,
    Windows1255,
    Windows1256,
    Windows1257,
    Windows1258,
    Iso8859_1,
    Iso8859_2,
    Iso8859_5,
    Iso8859_15,
    Koi8R,
    Cp866,
    ShiftJis,
    Gbk,
    Big5,
};

struct TFBLogEncodingInfo {
    TFBLogEncoding Encoding;
    std::string_view Name;    // the IANA name kslog takes and the saved state keeps
    std::string_view Script;  // what it is for, as a menu says it ("Cyrillic")
};

// Every encoding offered, UTF-8 first, then the Windows code pages, ISO 8859, the Cyrillic ones
// of old systems and the East Asian ones.
std::span<const TFBLogEncodingInfo> OfferedEncodings() noexcept;
std::string_view EncodingName(TFBLogEncoding encoding) noexcept;
// The encoding of an IANA name or a usual alias ("windows-1251", "cp1251", "utf8", "latin1",
// "sjis"), in any letter case; nothing for an encoding not offered.
std::optional<TFBLogEncoding> ParseEncodingName(std::string_view name);

// The legacy encoding of a Windows server for users of a language, given as a locale name
// ("ru_RU.UTF-8", "cs-CZ", "sr@latin"): windows-1251 for Russian, Ukrainian, Bulgarian, Serbian;
// windows-1250 for Czech, Polish, Slovak, Hungarian, Slovenian, Croatian, Romanian; windows-1252
// for every other language.
TFBLogEncoding LegacyEncodingOfLanguage(std::string_view locale) noexcept;
// The encoding of a Windows ANSI code page number, when it is offered.
std::optional<TFBLogEncoding> EncodingOfWindowsCodePage(unsigned codePage) noexcept;
// The legacy encoding for this machine's user: on Windows the system's ANSI code page, elsewhere
// that of the language of the given locale name.
TFBLogEncoding SystemLegacyEncoding(std::string_view locale) noexcept;

// The length of the valid UTF-8 sequence that starts at text[at], or 0 when none does
// (overlong forms, surrogates and values past U+10FFFF are not valid).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) noexcept;

// Weighs the bytes of a log for the automatic choice. UTF-8 wins when the bytes begin with its
// byte order mark, or hold no byte that is invalid in UTF-8, or hold more valid multi-byte
// sequences than invalid bytes (a UTF-8 log with a stray byte or two, such as a path written in
// a legacy encoding). Otherwise the log is in a legacy encoding: a text in a Windows code page
// is nearly all invalid UTF-8, each letter above ASCII a byte of its own.
class TFBLogEncodingGuess {
public:
    // Takes the next bytes of the log; a sequence may run on from one call into the next.
    void Take(std::string_view bytes);
    // True once a byte above ASCII has been seen: before that, every offered encoding but the
    // East Asian ones reads the bytes alike.
    bool SawNonAscii() const noexcept { return FValid > 0 || FInvalid > 0 || !FPending.empty(); }
    // UTF-8, or else the legacy encoding given.
    TFBLogEncoding Choice(TFBLogEncoding legacy) const noexcept;

    // For a guess shared between threads, each taking a stretch of the bytes that begins at a
    // line's start: ends the stretch taken here, whose last byte is a line end, counting a
    // sequence cut short by it as the bytes that follow would.
    void EndStretch();
    // Counts the stretch that another guess took, the one right after this guess's.
    void Join(const TFBLogEncodingGuess& next);

    // The same bytes seen, as far as the guess tells them apart.
    bool operator==(const TFBLogEncodingGuess&) const = default;

private:
    void TakeSequences(std::string_view bytes);

    std::string FPending;  // the beginning of a sequence that the bytes taken last cut short
    std::uint64_t FValid = 0;
    std::uint64_t FInvalid = 0;
    std::string FHead;  // the first bytes, where a byte order mark stands
};

// The automatic choice for a whole text: UTF-8 or the legacy encoding given, as the guess weighs it.
TFBLogEncoding GuessEncoding(std::string_view bytes, TFBLogEncoding legacy);

// Decodes texts of one encoding into UTF-8. Copies are cheap and may be used on any thread.
class TFBLogDecoder {
public:
    // Throws std::runtime_error when the system's ICU lacks the encoding.
    explicit TFBLogDecoder(TFBLogEncoding encoding = TFBLogEncoding::Utf8);

    TFBLogEncoding Encoding() const noexcept { return FEncoding; }
    bool IsUtf8() const noexcept { return FEncoding == TFBLogEncoding::Utf8; }
    // True when an ASCII byte always stands for its ASCII character and never for part of
    // another: UTF-8 and the single-byte encodings but IBM866, which swaps a few control
    // characters. The East Asian encodings use ASCII bytes as second bytes of their characters.
    bool KeepsAscii() const noexcept;

    std::string ToUtf8(std::string_view bytes) const;
    void AppendUtf8(std::string& out, std::string_view bytes) const;

    struct TSingleByteTable;

private:
    void AppendMultiByte(std::string& out, std::string_view bytes) const;

    TFBLogEncoding FEncoding;
    std::shared_ptr<const TSingleByteTable> FSingleByte;
};
