#include "FBLogEncoding.h"
#include "FBLogEntryFilter.h"
#include "FBLogRecords.h"
#include "FBLogSampleGenerator.h"
#include "FBLogSearch.h"
#include "FBLogText.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using E = TFBLogEncoding;

// Real servers' words in their own encodings, as bytes, and what they say.
struct TEncodedSample {
    E Encoding;
    std::string Bytes;
    std::string Utf8;
};

const std::vector<TEncodedSample>& EncodedSamples()
{
    static const std::vector<TEncodedSample> samples = {
        {E::Windows1251, "\xcd\xe5 \xf3\xe4\xe0\xe5\xf2\xf1\xff \xed\xe0\xe9\xf2\xe8", "Не удается найти"},
        {E::Windows1250, "Syst\xe9m nem\xf9\x9e\x65", "Systém nemůže"},
        {E::Windows1252, "caf\xe9 \x80 \x93quoted\x94", "café € “quoted”"},
        {E::Windows1253, "\xc1\xe8\xde\xed\xe1", "Αθήνα"},
        {E::Windows1254, "\xdd\x73tanbul \xfe", "İstanbul ş"},
        {E::Windows1255, "\xf9\xec\xe5\xed", "שלום"},
        {E::Windows1256, "\xd3\xe1\xc7\xe3", "سلام"},
        {E::Windows1257, "R\xeega \xfeod\xfeiai", "Rīga žodžiai"},
        {E::Windows1258, "\xd0\xe0 N\xe3ng", "Đà Năng"},
        {E::Iso8859_1, "Gr\xfc\xdf\x65", "Grüße"},
        {E::Iso8859_2, "\xa3\xf3\x64\xbc", "Łódź"},
        {E::Iso8859_5, "\xbc\xde\xe1\xda\xd2\xd0", "Москва"},
        {E::Iso8859_15, "\xa4 5", "€ 5"},
        {E::Koi8R, "\xed\xcf\xd3\xcb\xd7\xc1", "Москва"},
        {E::Cp866, "\x8c\xae\xe1\xaa\xa2\xa0", "Москва"},
        {E::ShiftJis, "\x93\xfa\x96\x7b\x8c\xea", "日本語"},
        {E::Gbk, "\xd6\xd0\xce\xc4", "中文"},
        {E::Big5, "\xa4\xa4\xa4\xe5", "中文"},
    };
    return samples;
}

}  // namespace

TEST(EncodingTest, NamesParseBackToTheirEncodingsAndCommonAliasesToo)
{
    ASSERT_EQ(OfferedEncodings().size(), 19u);
    EXPECT_EQ(OfferedEncodings().front().Encoding, E::Utf8);
    for (const TFBLogEncodingInfo& info : OfferedEncodings()) {
        EXPECT_EQ(ParseEncodingName(info.Name), info.Encoding) << info.Name;
        EXPECT_EQ(EncodingName(info.Encoding), info.Name);
        EXPECT_FALSE(info.Script.empty());
    }
    EXPECT_EQ(ParseEncodingName("utf8"), E::Utf8);
    EXPECT_EQ(ParseEncodingName("CP1251"), E::Windows1251);
    EXPECT_EQ(ParseEncodingName("Windows-1250"), E::Windows1250);
    EXPECT_EQ(ParseEncodingName("latin-1"), E::Iso8859_1);
    EXPECT_EQ(ParseEncodingName("koi8-r"), E::Koi8R);
    EXPECT_EQ(ParseEncodingName("cp866"), E::Cp866);
    EXPECT_EQ(ParseEncodingName("sjis"), E::ShiftJis);
    EXPECT_EQ(ParseEncodingName("ebcdic"), std::nullopt);
    EXPECT_EQ(ParseEncodingName(""), std::nullopt);
}

TEST(EncodingTest, LanguagesGetTheCodePageWindowsGivesThem)
{
    for (const char* locale : {"ru_RU.UTF-8", "uk_UA", "bg", "sr@latin", "sr_RS", "RU"})
        EXPECT_EQ(LegacyEncodingOfLanguage(locale), E::Windows1251) << locale;
    for (const char* locale : {"cs_CZ.UTF-8", "pl-PL", "sk", "hu_HU", "sl_SI", "hr_HR", "ro_RO"})
        EXPECT_EQ(LegacyEncodingOfLanguage(locale), E::Windows1250) << locale;
    for (const char* locale : {"en_US.UTF-8", "de_DE", "C", "POSIX", "", "ja_JP"})
        EXPECT_EQ(LegacyEncodingOfLanguage(locale), E::Windows1252) << locale;
    EXPECT_EQ(EncodingOfWindowsCodePage(1251), E::Windows1251);
    EXPECT_EQ(EncodingOfWindowsCodePage(932), E::ShiftJis);
    EXPECT_EQ(EncodingOfWindowsCodePage(437), std::nullopt);
}

TEST(EncodingTest, EveryOfferedEncodingDecodesRealText)
{
    for (const TEncodedSample& sample : EncodedSamples()) {
        const TFBLogDecoder decoder(sample.Encoding);
        EXPECT_EQ(decoder.ToUtf8(sample.Bytes), sample.Utf8) << EncodingName(sample.Encoding);
        EXPECT_EQ(decoder.ToUtf8("INET/inet_error: read errno = 10054\r\n\t"), "INET/inet_error: read errno = 10054\r\n\t")
            << EncodingName(sample.Encoding);
    }
    EXPECT_EQ(TFBLogDecoder(E::Utf8).ToUtf8("Syst\xc3\xa9m"), "Systém");
}

TEST(EncodingTest, BytesThatMeanNothingBecomeReplacementCharacters)
{
    EXPECT_EQ(TFBLogDecoder(E::Utf8).ToUtf8("ok \xe9t\xc3\xa9"), "ok \uFFFDt\u00e9");
    EXPECT_EQ(TFBLogDecoder(E::ShiftJis).ToUtf8("\x93\xfa\x93"), "日\uFFFD") << "a character cut short";
    EXPECT_EQ(TFBLogDecoder(E::Gbk).ToUtf8(""), "");
    EXPECT_EQ(TFBLogDecoder(E::Windows1252).ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(EncodingTest, AsciiBytesStandForThemselvesButInEastAsianEncodingsAndIbm866)
{
    for (const TFBLogEncodingInfo& info : OfferedEncodings()) {
        const bool eastAsian = info.Encoding == E::ShiftJis || info.Encoding == E::Gbk || info.Encoding == E::Big5;
        EXPECT_EQ(TFBLogDecoder(info.Encoding).KeepsAscii(), !eastAsian && info.Encoding != E::Cp866) << info.Name;
    }
    // IBM's control characters: what a log holds of them still decodes as ICU's table says.
    EXPECT_EQ(TFBLogDecoder(E::Cp866).ToUtf8("a\x7f\x8c"), "a\u001aМ");
}

TEST(EncodingGuessTest, ChoosesUtf8ForUtf8AndTheLegacyEncodingForTheRest)
{
    const std::string utf8Czech = "\n\tNezn\xc3\xa1m\xc3\xa9 jm\xc3\xa9no nebo slu\xc5\xbe\x62\x61\n";
    const std::string cp1251 = "\n\t\xcd\xe5 \xf3\xe4\xe0\xe5\xf2\xf1\xff \xed\xe0\xe9\xf2\xe8 \xf4\xe0\xe9\xeb.\n";
    EXPECT_EQ(GuessEncoding("", E::Windows1251), E::Utf8);
    EXPECT_EQ(GuessEncoding("INET/inet_error: read errno = 10054", E::Windows1251), E::Utf8);
    EXPECT_EQ(GuessEncoding(utf8Czech, E::Windows1250), E::Utf8);
    EXPECT_EQ(GuessEncoding(cp1251, E::Windows1251), E::Windows1251);
    EXPECT_EQ(GuessEncoding(cp1251, E::Koi8R), E::Koi8R) << "the legacy encoding is the caller's";
    // A UTF-8 log with a path written in a legacy encoding: a few stray bytes among many characters.
    EXPECT_EQ(GuessEncoding(utf8Czech + utf8Czech + "D:\\\xd1\xca\xcb\xc0\xc4.FDB" + utf8Czech, E::Windows1251), E::Utf8);
    EXPECT_EQ(GuessEncoding("\xef\xbb\xbf" + cp1251, E::Windows1251), E::Utf8) << "a byte order mark decides";
    EXPECT_EQ(GuessEncoding("a \xc3", E::Windows1252), E::Windows1252) << "a sequence cut short at the end";
}

TEST(EncodingGuessTest, StretchesTakenApartAndJoinedWeighAsTheWholeWould)
{
    // Stretches that end just after a line end, as the threads of a scan take them, each in
    // pieces of its own; sequences are cut short by the line ends and by the pieces' ends.
    const std::string parts[] = {"a", " ", "\n", "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80", "\xc3", "\xe2",
                                 "\xe2\x82", "\xf0", "\xf0\x9f\x98", "\x80", "\xff", "\xef\xbb\xbf"};
    std::mt19937 random(13);
    for (int round = 0; round < 500; ++round) {
        std::string text;
        for (std::size_t length = random() % 120; text.size() < length;)
            text += parts[random() % std::size(parts)];
        TFBLogEncodingGuess whole;
        whole.Take(text);

        std::vector<TFBLogEncodingGuess> stretches(1);
        std::size_t start = 0;
        for (std::size_t at = 0; at < text.size(); ++at) {
            const bool endsStretch = text[at] == '\n' && random() % 2 == 0;
            if (!endsStretch && at + 1 < text.size())
                continue;
            for (std::size_t piece = start; piece <= at;) {
                const std::size_t length = 1 + random() % 5;
                stretches.back().Take(std::string_view(text).substr(piece, std::min(length, at + 1 - piece)));
                piece += length;
            }
            start = at + 1;
            if (endsStretch && start < text.size())
                stretches.emplace_back();
        }
        TFBLogEncodingGuess joined = stretches.front();
        for (std::size_t i = 1; i < stretches.size(); ++i) {
            joined.EndStretch();
            joined.Join(stretches[i]);
        }
        ASSERT_EQ(joined, whole) << ::testing::PrintToString(text);
    }
}

TEST(EncodingGuessTest, WeighsBytesTakenInPiecesAsTheWholeWouldBe)
{
    const E legacy = E::Windows1251;
    const auto inTwoPieces = [](std::string_view text, std::size_t cut) {
        TFBLogEncodingGuess pieces;
        pieces.Take(text.substr(0, cut));
        pieces.Take(text.substr(cut));
        return pieces;
    };
    // Every cut, through characters of two, three and four bytes and through invalid ones.
    const std::string text = "a\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80 \xe9\xff\xc3 b \xe2\x82 \xcd\xe5";
    for (std::size_t cut = 0; cut <= text.size(); ++cut)
        EXPECT_EQ(inTwoPieces(text, cut).Choice(legacy), GuessEncoding(text, legacy)) << "cut at " << cut;
    for (const std::string good : {"\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80"})
        for (std::size_t cut = 1; cut < good.size(); ++cut) {
            TFBLogEncodingGuess first;
            first.Take(good.substr(0, cut));
            EXPECT_TRUE(first.SawNonAscii());
            EXPECT_EQ(inTwoPieces(good, cut).Choice(legacy), E::Utf8) << good.size() << "-byte character cut at " << cut;
        }
    // A byte order mark counts in pieces too.
    const std::string marked = "\xef\xbb\xbf\xcd\xe5 \xf3\xe4\xe0";
    for (std::size_t cut = 0; cut <= 3; ++cut)
        EXPECT_EQ(inTwoPieces(marked, cut).Choice(legacy), E::Utf8) << "byte order mark cut at " << cut;
}

// Logs as Russian and Czech servers write them, on Windows in their code page and on Linux in
// UTF-8: read with the guessed encoding, they say what the server said, their entries are found
// by words of that language and their records carry the words.
namespace {

struct TLocalizedCase {
    FBServerPlatform Platform;
    FBServerLanguage Language;
    E Expected;
};

class LocalizedLogTest : public testing::TestWithParam<TLocalizedCase> {
protected:
    void SetUp() override
    {
        SampleLogOptions options;
        options.Version = FBServerVersion::Firebird30;
        options.Platform = GetParam().Platform;
        options.Language = GetParam().Language;
        options.Entries = 3000;
        options.UnreadablePieces = false;
        Path = Folder.Write("firebird.log", GenerateSampleLog(options).Bytes);
        Parser = std::make_unique<TFBLogParser>(Path);
        Parser->ScanEntries(Msgs);
        Words = &ServerMessages(GetParam().Language);
    }

    std::string_view Entry(std::size_t i) const { return Parser->ViewRange(Msgs[i].Offset, Msgs[i].Offset + Msgs[i].Length); }

    TempFolder Folder;
    std::string Path;
    std::unique_ptr<TFBLogParser> Parser;
    FBLogsMsgs Msgs;
    const FBServerMessages* Words = nullptr;
};

// The operating system's words the generator puts into entries of this platform.
std::string OsWords(const FBServerMessages& words, FBServerPlatform platform)
{
    return Trim(platform == FBServerPlatform::Windows ? words.SharingViolation : words.NoSuchFile);
}

}  // namespace

TEST_P(LocalizedLogTest, IsShownSearchedAndRecordedInTheServersWords)
{
    const std::string bytes(Parser->ViewRange(0, Parser->FileSize()));
    const E chosen = GuessEncoding(bytes, LegacyEncodingOfLanguage(GetParam().Language == FBServerLanguage::Czech ? "cs_CZ" : "ru_RU"));
    ASSERT_EQ(chosen, GetParam().Expected);
    const TFBLogDecoder decoder(chosen);
    const std::string words = OsWords(*Words, GetParam().Platform);

    // Shown: the decoded entries hold the words; nothing was left undecoded.
    std::vector<std::size_t> holding;
    for (std::size_t i = 0; i < Msgs.size(); ++i) {
        const std::string text = decoder.ToUtf8(Entry(i));
        EXPECT_EQ(text.find("\uFFFD"), std::string::npos) << text;
        if (text.find(words) != std::string::npos)
            holding.push_back(i);
    }
    ASSERT_FALSE(holding.empty()) << "the generator wrote no entry with " << words;

    // Searched: the words as typed, in another letter case, and as a regular expression.
    std::string lower = words;
    lower.replace(0, lower.find(' '), GetParam().Language == FBServerLanguage::Czech
                                          ? (GetParam().Platform == FBServerPlatform::Windows ? "proces" : "adresář")
                                          : (GetParam().Platform == FBServerPlatform::Windows ? "процесс" : "нет"));
    for (const auto& [query, options] : std::vector<std::pair<std::string, TFBLogSearchOptions>>{
             {"\"" + words + "\"", {false, false, false, chosen}},
             {"\"" + lower + "\"", {false, false, false, chosen}},
             {words.substr(0, words.find(' ')), {true, true, false, chosen}},
             {words.substr(0, words.find(' ')) + ".*", {true, false, true, chosen}}}) {
        const TFBLogSearch search(query, options);
        ASSERT_TRUE(search.Valid()) << search.ErrorText();
        const TFBLogEntrySet found = search.MatchEntries(*Parser, Msgs);
        std::vector<std::size_t> members;
        for (std::size_t i = 0; i < found.Size(); ++i)
            if (found.Contains(i))
                members.push_back(i);
        EXPECT_EQ(members, holding) << query;
        for (const std::size_t i : holding)
            EXPECT_TRUE(search.MatchesEntry(Entry(i))) << query;
    }

    // Recorded: JSON lines and CSV carry the words in UTF-8; the text keeps the log's bytes.
    const TFBLogDescriptor catalogue{std::string()};
    for (const auto format : {TFBLogRecordFormat::JsonLines, TFBLogRecordFormat::Csv, TFBLogRecordFormat::Text}) {
        const TFBLogRecordWriter writer(format, catalogue, false, decoder);
        std::string out;
        writer.Append(out, 1, Msgs[holding.front()], Entry(holding.front()), kUnknownKind);
        if (format == TFBLogRecordFormat::Text)
            EXPECT_EQ(out, Entry(holding.front()));
        else
            EXPECT_NE(out.find(words), std::string::npos) << out;
        EXPECT_EQ(format == TFBLogRecordFormat::Text || ValidUtf8(out) == out, true);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ServersAbroad, LocalizedLogTest,
    testing::Values(TLocalizedCase{FBServerPlatform::Windows, FBServerLanguage::Russian, E::Windows1251},
                    TLocalizedCase{FBServerPlatform::Windows, FBServerLanguage::Czech, E::Windows1250},
                    TLocalizedCase{FBServerPlatform::Linux, FBServerLanguage::Russian, E::Utf8},
                    TLocalizedCase{FBServerPlatform::Linux, FBServerLanguage::Czech, E::Utf8}));

TEST(EncodingSearchTest, AsciiTermsInALegacyLogFindWhatTheDecodedTextHolds)
{
    // Whole words and letter case behave alike in the bytes and in the decoded text.
    const std::string entry = "\nSRV\tMon Nov  2 08:00:00 2026\r\n\t\xcf\xf0\xee\xf6\xe5\xf1\xf1" "error 10054 \xe4\xe0\r\n\r\n";
    const TFBLogDecoder cp1251(E::Windows1251);
    for (const auto& [query, whole] : std::vector<std::pair<std::string, bool>>{
             {"ERROR", false}, {"error", true}, {"10054", true}, {"0054", true}, {"-10054", false}, {"Процесс", false}}) {
        const TFBLogSearch search(query, {false, whole, false, E::Windows1251});
        const TFBLogSearch onDecoded(query, {false, whole, false, E::Utf8});
        EXPECT_EQ(search.MatchesEntry(entry), onDecoded.Matches(cp1251.ToUtf8(entry))) << query << (whole ? " whole" : "");
    }
}

TEST(EncodingFilterTest, GrepAndRegexOfKslogReadTheLogsEncoding)
{
    const std::string entry = "\nSRV\tMon Nov  2 08:00:00 2026\n\t\xcd\xe5 \xf3\xe4\xe0\xe5\xf2\xf1\xff\n\n";
    const TFBLogDescriptor catalogue{std::string()};
    TFBLogFilterOptions options;
    options.Grep = {"удается"};
    EXPECT_FALSE(TFBLogEntryFilter(catalogue, options).Passes({}, entry, kUnknownKind)) << "read as UTF-8";
    options.Encoding = E::Windows1251;
    EXPECT_TRUE(TFBLogEntryFilter(catalogue, options).Passes({}, entry, kUnknownKind));
    options.Grep.clear();
    options.Regex = "^\\tне\\s+УДАЕТСЯ$";
    EXPECT_TRUE(TFBLogEntryFilter(catalogue, options).Passes({}, entry, kUnknownKind));
}
