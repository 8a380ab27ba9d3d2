// The window on a log that lives: entries appended in pieces are taken in without a reload and
// keep the view as it was; truncation, rotation and deletion are seen; Follow and F5 behave as
// a reader expects; the export writes what kslog prints.

#include "ViewerTestFixture.h"

#include "DaysModel.h"
#include "FindBar.h"
#include "KindsModel.h"
#include "uFBLogParser.h"

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QTableView>

#include <filesystem>
#include <fstream>

namespace {

std::string Entry(int day, int second, const std::string& message)
{
    char header[64];
    std::snprintf(header, sizeof header, "DBHOST (Server)\tMon Nov %02d 10:00:%02d 2026", day, second);
    return std::string(header) + "\r\n\t" + message + "\r\n\r\n";
}

class LiveLogTest : public ViewerTest {
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        std::string bytes;
        for (int i = 0; i < 20; ++i)
            bytes += Entry(2 + i / 5, i, i % 3 == 0 ? "INET/inet_error: read errno = 10054" : "Sweep is started by SYSDBA");
        FPath = FFolder.Write("live.log", bytes);
    }

    void Append(const std::string& bytes)
    {
        std::ofstream(FPath, std::ios::binary | std::ios::app) << bytes;
    }

    // The window's index must be what a fresh scan of the file finds, entry for entry.
    static void ExpectIndexOfFile(TfmLogViewer& window, const std::string& path)
    {
        TFBLogParser fresh(path);
        FBLogsMsgs expected;
        fresh.ScanEntries(expected);
        ASSERT_EQ(window.LogMsgs().size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(window.LogMsgs()[i].Offset, expected[i].Offset) << i;
            EXPECT_EQ(window.LogMsgs()[i].Length, expected[i].Length) << i;
            EXPECT_EQ(window.LogMsgs()[i].DateTime, expected[i].DateTime) << i;
            EXPECT_EQ(window.Parser()->ReadEntryText(expected[i].Offset, expected[i].Length),
                      fresh.ReadEntryText(expected[i].Offset, expected[i].Length));
        }
        std::size_t days = 0;
        for (int row = 0; row < window.DaysModel()->RowCount(); ++row)
            days += static_cast<std::size_t>(window.DaysModel()->Row(row).EvCount);
        EXPECT_EQ(days, expected.size());
        std::size_t kinds = 0;
        for (int row = 0; row < window.KindsModel()->RowCount(); ++row)
            kinds += window.KindsModel()->Summary(row).Count;
        EXPECT_EQ(kinds, expected.size());
        EXPECT_EQ(window.MessagesModel()->RowCount(), static_cast<int>(expected.size()));
    }

    static QString LiveState(TfmLogViewer& window)
    {
        return window.findChild<QLabel*>(QStringLiteral("laLiveState"))->text();
    }

    static QTableView* List(TfmLogViewer& window)
    {
        return window.findChild<QTableView*>(QStringLiteral("VirtualStringTree1"));
    }

    static std::int64_t SelectedEntry(TfmLogViewer& window)
    {
        const QModelIndexList rows = List(window)->selectionModel()->selectedRows();
        return rows.size() == 1 ? window.MessagesModel()->EntryOfRow(rows.front().row()) : -1;
    }

    void OpenAll(TfmLogViewer& window)
    {
        ShowAndActivate(window);
        Open(window, QString::fromStdString(FPath));
        DateFilter(window)->setCurrentIndex(TfmLogViewer::dfAllRecords);
        window.cbShowDateFilterChange();
    }

    std::string FPath;
};

TEST_F(LiveLogTest, EntriesAppendedInPiecesJoinTheViewsWhichKeepSelectionAndSort)
{
    TfmLogViewer window;
    OpenAll(window);
    window.VirtualStringTree1HeaderClick(TLogMessagesModel::ColumnTime);  // newest first
    List(window)->selectRow(3);
    const std::int64_t selected = SelectedEntry(window);

    // The server writes one entry in three pieces, the CR LF pair of its blank line split.
    const std::string entry = Entry(9, 1, "Database: /db/a.fdb\r\n\tdatabase file appears corrupt");
    const std::vector<std::string> pieces{entry.substr(0, 10), entry.substr(10, entry.size() - 13),
                                          entry.substr(entry.size() - 3)};
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        Append(pieces[i]);
        window.CheckLogFile();
        EXPECT_EQ(window.LogMsgs().size(), i + 1 == pieces.size() ? 21u : 20u) << "an unfinished entry waits";
    }
    // A writer that keeps the log open, as a server may, with two more entries.
    {
        std::ofstream writer(FPath, std::ios::binary | std::ios::app);
        writer << Entry(9, 2, "Shutting down the server") << std::flush;
        window.CheckLogFile();
        writer << Entry(9, 3, "Sweep is started by SYSDBA") << std::flush;
        window.CheckLogFile();
    }
    ExpectIndexOfFile(window, FPath);
    EXPECT_EQ(SelectedEntry(window), selected) << "the selection stays on its entry";
    EXPECT_EQ(window.MessagesModel()->EntryOfRow(0), 22) << "the list stays sorted newest first";
    EXPECT_TRUE(std::is_sorted(window.LogMsgs().begin(), window.LogMsgs().end(),
                               [](const FBLogMsg& a, const FBLogMsg& b) { return a.DateTime < b.DateTime; }));
    EXPECT_EQ(window.MessagesModel()->Row(0).DateTime, window.LogMsgs().back().DateTime);
}

TEST_F(LiveLogTest, TruncationRotationAndDeletionAreSeenAndSaid)
{
    TfmLogViewer window;
    OpenAll(window);

    std::filesystem::resize_file(FPath, 0);
    Append(Entry(10, 0, "Sweep is started by SYSDBA") + Entry(10, 1, "Sweep is finished"));
    window.CheckLogFile();
    ExpectIndexOfFile(window, FPath);
    EXPECT_TRUE(LiveState(window).contains(QStringLiteral("truncated"))) << LiveState(window).toStdString();

    std::filesystem::rename(FPath, FPath + ".1");
    std::ofstream(FPath, std::ios::binary) << Entry(11, 0, "Shutting down the server");
    window.CheckLogFile();
    ExpectIndexOfFile(window, FPath);
    EXPECT_TRUE(LiveState(window).contains(QStringLiteral("rotated"))) << LiveState(window).toStdString();

    std::filesystem::remove(FPath);
    window.CheckLogFile();
    EXPECT_EQ(window.LogMsgs().size(), 1u) << "what was read stays shown";
    EXPECT_TRUE(LiveState(window).contains(QStringLiteral("gone"))) << LiveState(window).toStdString();

    std::ofstream(FPath, std::ios::binary) << Entry(12, 0, "Sweep is started by SYSDBA") << Entry(12, 1, "x");
    window.CheckLogFile();
    ExpectIndexOfFile(window, FPath);
    EXPECT_TRUE(FErrors.isEmpty()) << FErrors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(LiveLogTest, ALogTruncatedUnderTheViewIsSortedPaintedAndReadAgainWithoutACrash)
{
    // Large enough to span many pages of the map that holds it.
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += Entry(2 + i % 20, i % 60, i % 3 == 0 ? "INET/inet_error: read errno = 10054" : "Sweep is started by SYSDBA");
    FPath = FFolder.Write("live.log", bytes);
    TfmLogViewer window;
    OpenAll(window);
    ASSERT_EQ(window.LogMsgs().size(), 3000u);

    std::filesystem::resize_file(FPath, 0);
    window.VirtualStringTree1HeaderClick(TLogMessagesModel::ColumnMessage);
    List(window)->selectRow(2999);
    window.grab();
    window.VirtualStringTree1HeaderClick(TLogMessagesModel::ColumnSource);
    window.grab();

    Append(Entry(10, 0, "Sweep is started by SYSDBA"));
    window.CheckLogFile();
    ExpectIndexOfFile(window, FPath);
    EXPECT_TRUE(LiveState(window).contains(QStringLiteral("truncated"))) << LiveState(window).toStdString();
}

TEST_F(LiveLogTest, ASearchRunningWhenEntriesArriveEndsWithTheMatchesOfTheWholeLog)
{
    TfmLogViewer window;
    OpenAll(window);
    Trigger(window, "acFind");
    window.findChild<QComboBox*>(QStringLiteral("cbFindText"))->setEditText(QStringLiteral("10054"));
    // The index grows while the search may still be reading it on the worker threads.
    ASSERT_TRUE(WaitUntil([&] { return !window.FindBar()->SearchPending(); }));
    Append(Entry(10, 0, "INET/inet_error: read errno = 10054"));
    window.CheckLogFile();
    ASSERT_TRUE(WaitUntil([&] { return !window.FindBar()->SearchPending() && !window.SearchRunning(); }));
    QCoreApplication::processEvents();

    int matching = 0;
    for (int row = 0; row < window.MessagesModel()->RowCount(); ++row)
        matching += window.MessagesModel()->CellText(row, TLogMessagesModel::ColumnMessage).contains(QStringLiteral("10054"));
    EXPECT_EQ(matching, 8);
    const QString result = window.findChild<QLabel*>(QStringLiteral("laFindResult"))->text();
    EXPECT_TRUE(result == QStringLiteral("8 matches") || result.endsWith(QStringLiteral(" of 8"))) << result.toStdString();

    // A search begun after the arrival goes through the appended bytes too.
    window.findChild<QComboBox*>(QStringLiteral("cbFindText"))->setEditText(QStringLiteral("errno = 10054"));
    ASSERT_TRUE(WaitUntil([&] { return !window.FindBar()->SearchPending() && !window.SearchRunning(); }));
    QCoreApplication::processEvents();
    const QString again = window.findChild<QLabel*>(QStringLiteral("laFindResult"))->text();
    EXPECT_TRUE(again == QStringLiteral("8 matches") || again.endsWith(QStringLiteral(" of 8"))) << again.toStdString();
}

TEST_F(LiveLogTest, FollowKeepsTheNewestEntryInViewUntilTheReaderMovesAway)
{
    TfmLogViewer window;
    OpenAll(window);
    Trigger(window, "acFollow");
    ASSERT_TRUE(window.Following());
    EXPECT_EQ(SelectedEntry(window), 19);

    Append(Entry(9, 0, "Shutting down the server"));
    window.CheckLogFile();
    EXPECT_EQ(SelectedEntry(window), 20);

    List(window)->selectRow(2);
    EXPECT_FALSE(window.Following()) << "choosing another row ends following";
    Append(Entry(9, 1, "Sweep is finished"));
    window.CheckLogFile();
    EXPECT_EQ(SelectedEntry(window), 2);
}

TEST_F(LiveLogTest, ReloadKeepsTheSelectedEntryAndTheDateRange)
{
    TfmLogViewer window;
    OpenAll(window);
    DateFilter(window)->setCurrentIndex(TfmLogViewer::dfCustom);
    Picker(window, "dtpDFFrom")->setDate(QDate(2026, 11, 3));
    Picker(window, "dtpDFTo")->setDate(QDate(2026, 11, 4));
    window.btApplyDTFilterClick();
    ASSERT_EQ(window.MessagesModel()->RowCount(), 10);
    List(window)->selectRow(4);
    const std::int64_t selected = SelectedEntry(window);

    Trigger(window, "acReload");
    EXPECT_EQ(window.MessagesModel()->RowCount(), 10);
    EXPECT_EQ(SelectedEntry(window), selected);
    EXPECT_EQ(DateFilter(window)->currentIndex(), TfmLogViewer::dfCustom);
}

TEST_F(LiveLogTest, ExportWritesExactlyWhatKslogPrints)
{
    FPath = WriteLog("sample.log", 200).toStdString();
    TfmLogViewer window;
    OpenAll(window);
    ASSERT_EQ(window.MessagesModel()->RowCount(), static_cast<int>(window.LogMsgs().size()));
    for (const auto& [format, name] : {std::pair{TFBLogRecordFormat::JsonLines, "jsonl"},
                                       {TFBLogRecordFormat::Csv, "csv"}, {TFBLogRecordFormat::Text, "text"}}) {
        const TExportAndPrint result = ExportAndList(window, QString::fromStdString(FPath), format, name);
        EXPECT_FALSE(result.Printed.isEmpty());
        EXPECT_TRUE(result.Written == result.Printed) << name;
    }
    EXPECT_THROW(window.ExportVisibleEntries(QString::fromStdString(FPath), TFBLogRecordFormat::Text), std::exception)
        << "the log itself is never written";
}

}  // namespace
