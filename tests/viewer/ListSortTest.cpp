// Sorting the message list by its text columns must give exactly the order of the locale's
// case-insensitive comparison, whichever way the sort gets there.

#include "../QtPrinters.h"
#include "AsciiCollationKeys.h"
#include "FBLogSampleGenerator.h"
#include "FBLogText.h"
#include "LogMessagesModel.h"
#include "TempFolder.h"
#include "uFBLogDescriptor.h"

#include <QCollator>
#include <QLocale>

#include <gtest/gtest.h>

#include <cstdio>
#include <numeric>
#include <optional>
#include <random>

namespace {

QCollator CaseInsensitive(const QLocale& locale)
{
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

std::string RandomText(std::mt19937& random)
{
    static const std::string alphabet = "aAbBcChHzZ09 -_.,:;/'\"()[]*&%$#@!~`^+=<>?|{}\\ chCHaaAAllss";
    std::string text(1 + random() % 12, ' ');
    for (char& c : text)
        c = alphabet[random() % alphabet.size()];
    return CollapseBlanks(TrimView(text));
}

}  // namespace

TEST(AsciiCollationKeysTest, KeysOrderTextsAsTheCollatorDoesOrRefuse)
{
    std::mt19937 random(2026);
    int usable = 0;
    for (const char* name : {"en_GB", "en_US", "de_DE", "fr_FR", "fr_CA", "cs_CZ", "sk_SK", "da_DK", "sv_SE",
                             "es_ES", "hu_HU", "ru_RU", "ja_JP", "C"}) {
        const QCollator collator = CaseInsensitive(QLocale(QString::fromLatin1(name)));
        const TAsciiCollationKeys keys(collator);
        if (!keys.Usable())
            continue;
        ++usable;
        std::vector<std::string> texts;
        for (int i = 0; i < 3000; ++i)
            texts.push_back(RandomText(random));
        EXPECT_TRUE(keys.AgreesWith(texts)) << name;
    }
    EXPECT_GT(usable, 0);
}

// The whole key NextKeyBytes reads for a text; nothing when it refuses the text.
std::optional<std::string> KeyRead(const TAsciiCollationKeys& keys, std::string_view text)
{
    TAsciiCollationKeys::Cursor cursor{text.data(), text.data() + text.size()};
    std::string bytes;
    std::uint64_t chunk = 0;
    do {
        if (!keys.NextKeyBytes(cursor, chunk))
            return std::nullopt;
        for (int i = 7; i >= 0 && ((chunk >> (8 * i)) & 0xff) != 0; --i)
            bytes.push_back(static_cast<char>((chunk >> (8 * i)) & 0xff));
    } while ((chunk & 0xff) != 0);
    return bytes;
}

TEST(AsciiCollationKeysTest, LetterCaseAndBlankRunsMakeNoDifference)
{
    const QCollator collator = CaseInsensitive(QLocale(QLocale::English, QLocale::UnitedKingdom));
    const TAsciiCollationKeys keys(collator);
    ASSERT_TRUE(keys.Usable());
    const auto key = [&](std::string_view text) { return KeyRead(keys, text).value_or("refused"); };
    EXPECT_EQ(key("Read errno =\t\t10054"), key("READ ERRNO = 10054"));
    EXPECT_LT(key("read errno"), key("read errnoX"));
    std::uint64_t chunk = 0;
    const std::string_view accented = "caf\xc3\xa9";
    TAsciiCollationKeys::Cursor cursor{accented.data(), accented.data() + accented.size()};
    EXPECT_FALSE(keys.NextKeyBytes(cursor, chunk)) << "bytes outside ASCII are the collator's to order";
}

TEST(AsciiCollationKeysTest, KeysReadAChunkAtATimeAreTheKeysOfTheCollapsedText)
{
    // Long texts with blanks, runs of blanks and tabs, and stray bytes at every place of an
    // eight-byte chunk and just after one.
    const QCollator collator = CaseInsensitive(QLocale(QLocale::English, QLocale::UnitedKingdom));
    const TAsciiCollationKeys keys(collator);
    ASSERT_TRUE(keys.Usable());
    std::mt19937 random(7);
    static const std::string alphabet = "abcXYZ019 -:/='";
    for (int i = 0; i < 20000; ++i) {
        std::string text(1 + random() % 40, 'a');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        for (int odd = 0; odd < 2; ++odd)
            if (random() % 3 == 0)
                text[random() % text.size()] = "\t\x7f\xc3\x01  "[random() % 6];
        const std::string trimmed(TrimView(text));
        std::string expected;
        const bool readable = keys.AppendKey(CollapseBlanks(trimmed), expected);
        const std::optional<std::string> read = KeyRead(keys, trimmed);
        ASSERT_EQ(read.has_value(), readable) << '"' << trimmed << '"';
        if (read) {
            ASSERT_EQ(*read, expected) << '"' << trimmed << '"';
        }
    }
}

class ListSortTest : public ::testing::Test {
protected:
    // The order a plain stable sort with the collator gives, rows without text first.
    static std::vector<std::string> Expected(const TLogMessagesModel& model, int column, Qt::SortOrder order)
    {
        const QCollator collator = CaseInsensitive(QLocale());
        std::vector<int> rows(static_cast<std::size_t>(model.RowCount()));
        std::iota(rows.begin(), rows.end(), 0);
        const auto text = [&](int row) { return model.CellText(row, column); };
        const auto failed = [&](int row) {
            return text(row) == QStringLiteral("unknown") || text(row) == QStringLiteral("error while parsing");
        };
        const auto compare = [&](int a, int b) {
            if (failed(a) || failed(b))
                return static_cast<int>(!failed(a)) - static_cast<int>(!failed(b));
            return collator.compare(text(a), text(b));
        };
        std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
            return order == Qt::AscendingOrder ? compare(a, b) < 0 : compare(a, b) > 0;
        });
        std::vector<std::string> entries;
        for (int row : rows)
            entries.push_back(model.EntryText(row));
        return entries;
    }

    static std::vector<std::string> Entries(const TLogMessagesModel& model)
    {
        std::vector<std::string> entries;
        for (int row = 0; row < model.RowCount(); ++row)
            entries.push_back(model.EntryText(row));
        return entries;
    }

    void Load(const std::string& bytes)
    {
        FParser = std::make_unique<TFBLogParser>(FFolder.Write("sort.log", bytes));
        FParser->ScanEntries(FMsgs);
        FModel.SetSource(FParser.get(), &FGrammar, &FMsgs);
        FModel.SetAllRows();
    }

    TempFolder FFolder;
    std::unique_ptr<TFBLogParser> FParser;
    FBLogsMsgs FMsgs;
    const TFBLogDescriptor FGrammar{""};
    TLogMessagesModel FModel;
};

TEST_F(ListSortTest, TextColumnsSortExactlyAsTheCollatorOrdersThem)
{
    SampleLogOptions options;
    options.Entries = 3000;
    options.Version = FBServerVersion::Firebird25;
    Load(GenerateSampleLog(options).Bytes);
    for (int column : {TLogMessagesModel::ColumnMessage, TLogMessagesModel::ColumnSource})
        for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            const std::vector<std::string> expected = Expected(FModel, column, order);
            FModel.Sort(column, order);
            EXPECT_TRUE(Entries(FModel) == expected) << "column " << column << ", order " << order;
        }
}

TEST_F(ListSortTest, TextsThatHardlyRepeatSortAsTheCollatorOrdersThemToo)
{
    // Distinct random messages (each text ranked for its own row), and a few that repeat among
    // them: rows of equal texts keep their order.
    std::mt19937 random(97);
    std::string log;
    for (int i = 0; i < 3000; ++i) {
        const std::string message = i % 10 == 0 ? std::string("repeated Text") : RandomText(random) + std::to_string(i);
        char header[64];
        std::snprintf(header, sizeof header, "\nh\tWed Jan 28 10:%02d:%02d 2015\n\t", i / 60 % 60, i % 60);
        log += header + message + "\n\n";
    }
    Load(log);
    for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        const std::vector<std::string> expected = Expected(FModel, TLogMessagesModel::ColumnMessage, order);
        FModel.Sort(TLogMessagesModel::ColumnMessage, order);
        EXPECT_TRUE(Entries(FModel) == expected) << "order " << order;
    }
}

TEST_F(ListSortTest, AListTooLargeForOneThreadSortsInTheOrderOfItsKeys)
{
    // Enough rows for the ranking to be shared between threads: most messages share long
    // beginnings and many tie, and the list stands in no order of the log when it is sorted.
    std::mt19937 random(11);
    std::string log;
    constexpr int kEntries = 150000;
    for (int i = 0; i < kEntries; ++i) {
        const int kind = static_cast<int>(random() % 10);
        std::string message;
        if (kind < 6)
            message = "INET/inet_error: read errno = 10054, client host = host" + std::to_string(random() % 40) +
                      ", address = 10.0." + std::to_string(random() % 4) + "." + std::to_string(random() % 250);
        else if (kind < 8)
            message = "Database: /var/lib/firebird/data/db" + std::to_string(random() % 3) + ".fdb  shutdown";
        else
            message = RandomText(random) + std::to_string(random() % 1000);
        char header[64];
        std::snprintf(header, sizeof header, "\n%s\tWed Jan 28 %02d:%02d:%02d 2015\n\t", i % 7 == 0 ? "client" : "srv",
                      static_cast<int>(random() % 24), static_cast<int>(random() % 60), static_cast<int>(random() % 60));
        log += header + message + "\n\n";
    }
    Load(log);
    ASSERT_EQ(FModel.RowCount(), kEntries);
    const QCollator collator = CaseInsensitive(QLocale());
    const TAsciiCollationKeys keys(collator);
    ASSERT_TRUE(keys.Usable());
    FModel.Sort(TLogMessagesModel::ColumnTime, Qt::DescendingOrder);
    for (const int column : {TLogMessagesModel::ColumnMessage, TLogMessagesModel::ColumnSource}) {
        // Expected: a stable sort of the rows as they stand by each text's whole key.
        std::vector<std::pair<std::string, std::string>> expected;
        for (int row = 0; row < FModel.RowCount(); ++row) {
            std::string key;
            ASSERT_TRUE(keys.AppendKey(FModel.CellText(row, column).toStdString(), key));
            expected.emplace_back(std::move(key), FModel.EntryText(row));
        }
        std::stable_sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        FModel.Sort(column, Qt::AscendingOrder);
        const std::vector<std::string> sorted = Entries(FModel);
        std::size_t same = 0;
        while (same < sorted.size() && sorted[same] == expected[same].second)
            ++same;
        EXPECT_EQ(same, sorted.size()) << "column " << column << ": first row out of order";
    }
}

TEST_F(ListSortTest, TextsBeyondAsciiSortByTheCollatorToo)
{
    Load("\nh\tWed Jan 28 10:42:17 2015\n\tNeznám\xc3\xa9 jméno\n\n"
         "\nh\tWed Jan 28 10:42:18 2015\n\tneznam\xc3\xa9 jmeno\n\n"
         "\nh\tWed Jan 28 10:42:19 2015\n\tZebra\n\n"
         "\nh\tWed Jan 28 10:42:20 2015\n\t\xc3\xa9tude\n\n"
         "\nh\tWed Jan 28 10:42:21 2015\n\tetude\n\n"
         "no tab\n\n");
    for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        const std::vector<std::string> expected = Expected(FModel, TLogMessagesModel::ColumnMessage, order);
        FModel.Sort(TLogMessagesModel::ColumnMessage, order);
        EXPECT_TRUE(Entries(FModel) == expected) << "order " << order;
    }
}

TEST_F(ListSortTest, WithoutALocaleLetterCaseIsStillIgnored)
{
    const QLocale previous;
    QLocale::setDefault(QLocale::c());
    Load("\nh\tWed Jan 28 10:42:17 2015\n\tbeta\n\n"
         "\nh\tWed Jan 28 10:42:18 2015\n\tAlpha\n\n"
         "\nh\tWed Jan 28 10:42:19 2015\n\talpha\n\n"
         "\nh\tWed Jan 28 10:42:20 2015\n\tBeta\n\n");
    FModel.Sort(TLogMessagesModel::ColumnMessage, Qt::AscendingOrder);
    QLocale::setDefault(previous);
    QStringList messages;
    for (int row = 0; row < FModel.RowCount(); ++row)
        messages << FModel.CellText(row, TLogMessagesModel::ColumnMessage);
    EXPECT_EQ(messages, (QStringList{QStringLiteral("Alpha"), QStringLiteral("alpha"), QStringLiteral("beta"),
                                     QStringLiteral("Beta")}));
}
