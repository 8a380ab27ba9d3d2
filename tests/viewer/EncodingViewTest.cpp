// Logs of Russian and Czech servers in the window: shown, searched, copied and exported in the
// encoding their server wrote them in, chosen by the window or by the user, and remembered.

#include "FindBar.h"
#include "ViewerTestFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QCheckBox>
#include <QTableView>

namespace {

const QString kRussianWords = QStringLiteral("занят другим процессом");
const QString kCzechWords = QStringLiteral("Systém nemůže nalézt");

class EncodingViewTest : public ViewerTest {
protected:
    QString WriteLocalized(const std::string& name, FBServerPlatform platform, FBServerLanguage language,
                           const std::string& appended = {})
    {
        SampleLogOptions options;
        options.Platform = platform;
        options.Language = language;
        options.Entries = 400;
        options.UnreadablePieces = false;
        return QString::fromStdString(FFolder.Write(name, GenerateSampleLog(options).Bytes + appended));
    }

    void OpenShowingAll(TfmLogViewer& window, const QString& path)
    {
        Open(window, path);
        DateFilter(window)->setCurrentIndex(TfmLogViewer::dfAllRecords);
        window.cbShowDateFilterChange();
        ASSERT_EQ(window.MessagesModel()->RowCount(), static_cast<int>(window.LogMsgs().size()));
    }

    static QString EncodingShown(TfmLogViewer& window)
    {
        return window.findChild<QLabel*>(QStringLiteral("laEncoding"))->text();
    }

    static QAction* Choice(TfmLogViewer& window, const char* name)
    {
        return window.findChild<QMenu*>(QStringLiteral("mnEncoding"))->findChild<QAction*>(QString::fromLatin1(name));
    }

    static QTableView* List(TfmLogViewer& window)
    {
        return window.findChild<QTableView*>(QStringLiteral("VirtualStringTree1"));
    }

    static QString ShownText(TfmLogViewer& window)
    {
        return window.findChild<QPlainTextEdit*>(QStringLiteral("memoLogMessage"))->toPlainText();
    }

    // The rows whose message holds the words.
    static std::vector<int> RowsSaying(TfmLogViewer& window, const QString& words)
    {
        std::vector<int> rows;
        const QStringList messages = ColumnTexts(window, TLogMessagesModel::ColumnMessage);
        for (int row = 0; row < messages.size(); ++row)
            if (messages[row].contains(words, Qt::CaseInsensitive))
                rows.push_back(row);
        return rows;
    }

    // The entries of the rows the find bar's "Only matching" leaves for the text.
    static std::vector<std::int64_t> EntriesFound(TfmLogViewer& window, const QString& text)
    {
        window.acFindExecute();
        window.findChild<QComboBox*>(QStringLiteral("cbFindText"))->setEditText(text);
        EXPECT_TRUE(WaitUntil([&] { return !window.FindBar()->SearchPending() && !window.SearchRunning(); }));
        std::vector<std::int64_t> found;
        for (int row = 0; row < window.MessagesModel()->RowCount(); ++row)
            found.push_back(window.MessagesModel()->EntryOfRow(row));
        return found;
    }

    static std::vector<std::int64_t> EntriesOf(TfmLogViewer& window, const std::vector<int>& rows)
    {
        std::vector<std::int64_t> entries;
        for (const int row : rows)
            entries.push_back(window.MessagesModel()->EntryOfRow(row));
        return entries;
    }
};

}  // namespace

TEST_F(EncodingViewTest, AWrongChoiceShowsOtherLettersAndTheRightOneRedrawsEveryView)
{
    const QString path = WriteLocalized("russian.log", FBServerPlatform::Windows, FBServerLanguage::Russian);
    TfmLogViewer window;
    ShowAndActivate(window);
    OpenShowingAll(window, path);
    // An English user's legacy encoding is windows-1252: the Russian letters are Western ones.
    EXPECT_EQ(EncodingShown(window), QStringLiteral("windows-1252 (automatic)"));
    EXPECT_TRUE(Choice(window, "miEncodingAutomatic")->isChecked());
    EXPECT_TRUE(RowsSaying(window, kRussianWords).empty());
    const FBLogKinds kinds = window.Kinds();

    Choice(window, "miEncodingKOI8R")->trigger();
    EXPECT_EQ(EncodingShown(window), QStringLiteral("KOI8-R"));
    EXPECT_TRUE(RowsSaying(window, kRussianWords).empty()) << "another wrong choice";

    Choice(window, "miEncodingWindows1251")->trigger();
    EXPECT_EQ(EncodingShown(window), QStringLiteral("windows-1251"));
    EXPECT_TRUE(Choice(window, "miEncodingWindows1251")->isChecked());
    const std::vector<int> rows = RowsSaying(window, kRussianWords);
    ASSERT_FALSE(rows.empty());
    EXPECT_TRUE(window.Kinds() == kinds) << "classification reads the bytes, whatever the encoding";
    List(window)->selectRow(rows.front());
    EXPECT_TRUE(ShownText(window).contains(kRussianWords)) << ShownText(window).toStdString();
    EXPECT_FALSE(ShownText(window).contains(QChar(0xFFFD)));

    // Searched: the words in lower case find exactly the rows that say them; the pane marks them.
    window.findChild<QCheckBox*>(QStringLiteral("cbFindOnlyMatching"))->setChecked(true);
    const std::vector<std::int64_t> expected = EntriesOf(window, rows);
    EXPECT_EQ(EntriesFound(window, QStringLiteral("\"ЗАНЯТ другим\"")), expected);
    List(window)->selectRow(0);
    EXPECT_FALSE(window.findChild<QPlainTextEdit*>(QStringLiteral("memoLogMessage"))->extraSelections().isEmpty());
}

TEST_F(EncodingViewTest, CopiesAndExportsKeepTheLogsBytesAndWriteUtf8Records)
{
    const QString path = WriteLocalized("czech.log", FBServerPlatform::Windows, FBServerLanguage::Czech);
    Plant(QStringLiteral("LegacyEncoding"), QStringLiteral("windows-1250"));
    TfmLogViewer window;
    ShowAndActivate(window);
    OpenShowingAll(window, path);
    EXPECT_EQ(EncodingShown(window), QStringLiteral("windows-1250 (automatic)")) << "the legacy encoding chosen last";
    const std::vector<int> rows = RowsSaying(window, kCzechWords);
    ASSERT_FALSE(rows.empty());

    List(window)->selectRow(rows.front());
    Trigger(window, "acCopy");
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    EXPECT_TRUE(copied->text().contains(kCzechWords));
    const std::string bytes = window.MessagesModel()->EntryText(rows.front());
    EXPECT_EQ(copied->data(QStringLiteral("text/plain;charset=windows-1250")).toStdString(), bytes);
    EXPECT_NE(bytes.find("Syst\xe9m nem\xf9\x9e\x65"), std::string::npos) << "the log holds windows-1250";

    for (const auto& [format, name] : {std::pair{TFBLogRecordFormat::JsonLines, "jsonl"},
                                       {TFBLogRecordFormat::Csv, "csv"}, {TFBLogRecordFormat::Text, "text"}}) {
        const auto [written, printed] = ExportAndList(window, path, format, name,
                                                      {QStringLiteral("--encoding"), QStringLiteral("windows-1250")});
        EXPECT_TRUE(written == printed) << name << ": the window and kslog write the same";
        if (format == TFBLogRecordFormat::Text)
            EXPECT_TRUE(written.contains("Syst\xe9m nem\xf9\x9e\x65")) << "the log's own bytes";
        else
            EXPECT_TRUE(QString::fromUtf8(written).contains(kCzechWords)) << name;
    }
}

TEST_F(EncodingViewTest, ChoicesAreRememberedPerLogAndTheLastLegacyOneServesNewLogs)
{
    const QString russian = WriteLocalized("russian.log", FBServerPlatform::Windows, FBServerLanguage::Russian);
    const QString other = WriteLocalized("other.log", FBServerPlatform::Windows, FBServerLanguage::Russian);
    const QString unicode = WriteLocalized("unicode.log", FBServerPlatform::Linux, FBServerLanguage::Czech);
    {
        TfmLogViewer window;
        ShowAndActivate(window);
        OpenShowingAll(window, russian);
        Choice(window, "miEncodingWindows1251")->trigger();
        OpenShowingAll(window, unicode);
        EXPECT_EQ(EncodingShown(window), QStringLiteral("UTF-8 (automatic)")) << "a UTF-8 log stays UTF-8";
        EXPECT_FALSE(RowsSaying(window, QStringLiteral("Neznámé jméno nebo služba")).empty());
        OpenShowingAll(window, other);
        EXPECT_EQ(EncodingShown(window), QStringLiteral("windows-1251 (automatic)"));
        Choice(window, "miEncodingISO88595")->trigger();
        window.close();
    }
    TfmLogViewer again;
    ShowAndActivate(again);
    OpenShowingAll(again, russian);
    EXPECT_EQ(EncodingShown(again), QStringLiteral("windows-1251"));
    EXPECT_FALSE(RowsSaying(again, kRussianWords).empty());
    OpenShowingAll(again, other);
    EXPECT_EQ(EncodingShown(again), QStringLiteral("ISO-8859-5")) << "remembered for that log";
    Choice(again, "miEncodingAutomatic")->trigger();
    EXPECT_EQ(EncodingShown(again), QStringLiteral("ISO-8859-5 (automatic)")) << "the legacy encoding chosen last";
    EXPECT_TRUE(Choice(again, "miEncodingAutomatic")->isChecked());
}

TEST_F(EncodingViewTest, StrayBytesInAUtf8LogShowAsReplacementCharacters)
{
    const std::string stray = "\ndbserver\tTue Nov 10 08:00:00 2026\n\tDatabase: /data/\xd1\xca\xcb\xc0\xc4.fdb\n\tshutdown\n\n";
    const QString path = WriteLocalized("mixed.log", FBServerPlatform::Linux, FBServerLanguage::Russian, stray);
    TfmLogViewer window;
    ShowAndActivate(window);
    OpenShowingAll(window, path);
    EXPECT_EQ(EncodingShown(window), QStringLiteral("UTF-8 (automatic)"));
    EXPECT_FALSE(RowsSaying(window, QStringLiteral("Нет такого файла")).empty());
    const int last = window.MessagesModel()->RowCount() - 1;
    List(window)->selectRow(last);
    EXPECT_TRUE(ShownText(window).contains(QStringLiteral("/data/\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD.fdb"))) << ShownText(window).toStdString();
    Choice(window, "miEncodingWindows1251")->trigger();
    EXPECT_TRUE(ShownText(window).contains(QStringLiteral("/data/СКЛАД.fdb"))) << "the pane redraws at once";
}

TEST(LogEncodingChoicesTest, KeepsTheLatestLogsAndDropsWhatItCannotRead)
{
    TLogEncodingChoices choices(TFBLogEncoding::Windows1250);
    choices.Restore({QStringLiteral("/logs/a.log\twindows-1251"), QStringLiteral("no tab here"),
                     QStringLiteral("/logs/b.log\tebcdic"), QStringLiteral("/logs/c.log\tUTF-8")},
                    QStringLiteral("UTF-8"));
    EXPECT_EQ(choices.PerLog(), QStringList({QStringLiteral("/logs/a.log\twindows-1251"), QStringLiteral("/logs/c.log\tUTF-8")}));
    EXPECT_EQ(choices.Legacy(), TFBLogEncoding::Windows1250) << "UTF-8 is no legacy encoding: the system's stays";
    EXPECT_EQ(choices.LegacyName(), QString());
    EXPECT_EQ(choices.ChosenFor(QStringLiteral("/logs/../logs/a.log")), TFBLogEncoding::Windows1251);

    choices.Choose(QString(), TFBLogEncoding::Koi8R);
    EXPECT_EQ(choices.LegacyName(), QStringLiteral("KOI8-R")) << "chosen with no log open";
    EXPECT_EQ(choices.PerLog().size(), 2);
    for (int i = 0; i < 150; ++i)
        choices.Choose(QStringLiteral("/logs/%1.log").arg(i), TFBLogEncoding::Utf8);
    const QStringList kept = choices.PerLog();
    ASSERT_EQ(kept.size(), static_cast<qsizetype>(TLogEncodingChoices::kRemembered));
    EXPECT_EQ(kept.front(), QStringLiteral("/logs/149.log\tUTF-8"));
    EXPECT_EQ(choices.ChosenFor(QStringLiteral("/logs/a.log")), std::nullopt) << "the oldest choices give way";
    EXPECT_EQ(choices.LegacyName(), QStringLiteral("KOI8-R")) << "UTF-8 leaves the legacy encoding as it was";
    choices.Choose(QStringLiteral("/logs/149.log"), std::nullopt);
    EXPECT_EQ(choices.ChosenFor(QStringLiteral("/logs/149.log")), std::nullopt);
    TFBLogParser legacyBytes("");
    legacyBytes.LoadBytes("\xcd\xe5");
    EXPECT_EQ(choices.EncodingOf(QStringLiteral("/logs/149.log"), legacyBytes), TFBLogEncoding::Koi8R);
}
