// Finding what matters in the window: the kinds view and the severity choice, the find bar and
// its narrowing, the severity marks of the list, copying entries, and what is saved of them.

#include "FindBar.h"
#include "KindsModel.h"
#include "ViewerTestFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableView>

namespace {

const QString kHost = QStringLiteral("DBHOST (Server)");
const QString kReset = QStringLiteral("INET/inet_error: read errno = 10054");
const QString kCorrupt = QStringLiteral("internal gds software consistency check (decompression overran buffer (179))");
const QString kUnknown = QStringLiteral("Zyxwv qutsr, a message no catalogue row knows");

class FindAndNarrowTest : public ViewerTest {
protected:
    // Five entries on two days: three connection resets, one corruption, one unknown message.
    void OpenFive(TfmLogViewer& window)
    {
        const auto at = [](int day, int hour) { return QDateTime(QDate(2026, 11, day), QTime(hour, 0)); };
        ShowAndActivate(window);
        Open(window, WriteEntries("five.log", {{at(2, 8), kHost, kReset},
                                               {at(2, 9), kHost, kCorrupt},
                                               {at(2, 10), kHost, kReset},
                                               {at(3, 11), kHost, kUnknown},
                                               {at(3, 12), kHost, kReset}}));
        ASSERT_EQ(window.MessagesModel()->RowCount(), 5);
    }

    static QComboBox* FindText(TfmLogViewer& window) { return window.findChild<QComboBox*>(QStringLiteral("cbFindText")); }
    static QCheckBox* Option(TfmLogViewer& window, const char* name)
    {
        return window.findChild<QCheckBox*>(QString::fromLatin1(name));
    }
    static QString FindResult(TfmLogViewer& window)
    {
        return window.findChild<QLabel*>(QStringLiteral("laFindResult"))->text();
    }
    static QTableView* List(TfmLogViewer& window)
    {
        return window.findChild<QTableView*>(QStringLiteral("VirtualStringTree1"));
    }

    // Types a search and waits until its result is in.
    static void Search(TfmLogViewer& window, const QString& text)
    {
        Trigger(window, "acFind");
        FindText(window)->setEditText(text);
        EXPECT_TRUE(WaitUntil([&] { return !window.FindBar()->SearchPending() && !window.SearchRunning(); }));
        QCoreApplication::processEvents();
    }

    static int KindRowOf(TfmLogViewer& window, const QString& messagePart)
    {
        const TKindsModel* kinds = window.KindsModel();
        for (int row = 0; row < kinds->RowCount(); ++row)
            if (QString::fromStdString(kinds->MatchTextOf(row)).isEmpty() ? messagePart.isEmpty()
                                                                           : messagePart.contains(QString::fromStdString(kinds->MatchTextOf(row)), Qt::CaseInsensitive))
                return row;
        return -1;
    }

    // Narrows the list to the day of one of its rows, as its popup menu does.
    static void ShowDayOfRow(TfmLogViewer& window, int row)
    {
        List(window)->selectRow(row);
        window.mivstShowThisDateOnlyClick();
    }

    static QStringList Messages(TfmLogViewer& window) { return ColumnTexts(window, TLogMessagesModel::ColumnMessage); }
};

}  // namespace

TEST_F(FindAndNarrowTest, KindsViewCountsTheRangeAndHidesWhatIsUnchecked)
{
    TfmLogViewer window;
    OpenFive(window);
    TKindsModel* kinds = window.KindsModel();
    ASSERT_EQ(kinds->RowCount(), 3);
    const int resets = KindRowOf(window, kReset);
    ASSERT_GE(resets, 0);
    EXPECT_EQ(kinds->Summary(resets).Count, 3u);
    EXPECT_EQ(kinds->index(resets, TKindsModel::ColumnTitle).data().toString().isEmpty(), false);
    const int unknown = KindRowOf(window, QString());
    ASSERT_GE(unknown, 0);
    EXPECT_EQ(kinds->index(unknown, TKindsModel::ColumnTitle).data().toString(), QStringLiteral("Not in the catalogue"));

    // Unchecking the resets leaves two rows, and the count says so.
    ASSERT_TRUE(kinds->setData(kinds->index(resets, TKindsModel::ColumnSeverity), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(Messages(window), (QStringList{kCorrupt, kUnknown}));
    EXPECT_EQ(window.StatusPanelText(1), QStringLiteral("2\\5"));

    // The kinds view counts the date range shown: one day holds two kinds.
    ShowDayOfRow(window, 1);
    EXPECT_EQ(kinds->RowCount(), 2);
    EXPECT_EQ(Messages(window), QStringList{kUnknown});
}

TEST_F(FindAndNarrowTest, SeverityChoiceNarrowsAndBothAreSavedWithTheState)
{
    {
        TfmLogViewer window;
        OpenFive(window);
        const TFBLogSeverity corrupt = window.Descriptor()->Descriptions()[window.Kinds()[1] - 1u].Severity();
        ASSERT_EQ(corrupt, TFBLogSeverity::Critical);
        auto* severity = window.findChild<QComboBox*>(QStringLiteral("cbSeverityAtLeast"));
        severity->setCurrentIndex(static_cast<int>(TFBLogSeverity::Critical));
        emit severity->activated(severity->currentIndex());
        EXPECT_EQ(Messages(window), QStringList{kCorrupt});
        // Critical rows are tinted and every known kind carries its severity's icon.
        const QModelIndex message = window.MessagesModel()->index(0, TLogMessagesModel::ColumnMessage);
        EXPECT_TRUE(message.data(Qt::BackgroundRole).isValid());
        EXPECT_FALSE(message.data(Qt::DecorationRole).value<QIcon>().isNull());
        EXPECT_EQ(message.data(TLogMessagesModel::SeverityRole).toInt(), static_cast<int>(TFBLogSeverity::Critical));

        TKindsModel* kinds = window.KindsModel();
        kinds->setData(kinds->index(KindRowOf(window, QString()), TKindsModel::ColumnSeverity), Qt::Unchecked, Qt::CheckStateRole);
    }
    TfmLogViewer again;
    ShowAndActivate(again);
    Open(again, FFolder.PathOf("five.log") .c_str());
    EXPECT_EQ(Messages(again), QStringList{kCorrupt}) << "the saved narrowing applies at once";
    EXPECT_EQ(again.findChild<QComboBox*>(QStringLiteral("cbSeverityAtLeast"))->currentIndex(),
              static_cast<int>(TFBLogSeverity::Critical));
    EXPECT_EQ(again.KindsModel()->HiddenMatchTexts(), std::set<std::string>{std::string()});
    EXPECT_TRUE(FErrors.isEmpty()) << FErrors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(FindAndNarrowTest, NextAndPreviousWalkTheMatchesAndTheBarCountsThem)
{
    TfmLogViewer window;
    OpenFive(window);
    Search(window, QStringLiteral("10054"));
    EXPECT_TRUE(window.FindBar()->isVisible());
    EXPECT_EQ(window.MessagesModel()->RowCount(), 5) << "finding alone does not narrow";
    EXPECT_EQ(FindResult(window), QStringLiteral("3 matches"));

    Trigger(window, "acFindNext");
    EXPECT_EQ(List(window)->currentIndex().row(), 0);
    EXPECT_EQ(FindResult(window), QStringLiteral("1 of 3"));
    Trigger(window, "acFindNext");
    EXPECT_EQ(List(window)->currentIndex().row(), 2);
    EXPECT_EQ(FindResult(window), QStringLiteral("2 of 3"));
    Trigger(window, "acFindPrevious");
    Trigger(window, "acFindPrevious");
    EXPECT_EQ(List(window)->currentIndex().row(), 4) << "round the top to the last match";
    EXPECT_EQ(FindResult(window), QStringLiteral("3 of 3"));

    // Enter right after typing moves once the search is done.
    FindText(window)->setEditText(QStringLiteral("consistency"));
    QTest::keyClick(FindText(window), Qt::Key_Return);
    EXPECT_TRUE(WaitUntil([&] { return !window.SearchRunning(); }));
    EXPECT_EQ(List(window)->currentIndex().row(), 1);
    EXPECT_EQ(FindResult(window), QStringLiteral("1 of 1"));
    QTest::keyClick(FindText(window), Qt::Key_Escape);
    EXPECT_FALSE(window.FindBar()->isVisible());
    Search(window, QStringLiteral("10054"));
    Trigger(window, "acFindNext");
    Trigger(window, "acFindPrevious");

    // The match is marked in the text pane.
    const auto* text = window.findChild<QPlainTextEdit*>(QStringLiteral("memoLogMessage"));
    ASSERT_EQ(text->extraSelections().size(), 1);
    EXPECT_EQ(text->extraSelections().first().cursor.selectedText(), QStringLiteral("10054"));
}

TEST_F(FindAndNarrowTest, OnlyMatchingNarrowsToTheIntersectionAndExclusionsWork)
{
    TfmLogViewer window;
    OpenFive(window);
    Option(window, "cbFindOnlyMatching")->setChecked(true);
    Search(window, QStringLiteral("dbhost -10054"));
    EXPECT_EQ(Messages(window), (QStringList{kCorrupt, kUnknown}));
    EXPECT_EQ(window.StatusPanelText(1), QStringLiteral("2\\5"));

    Search(window, QStringLiteral("ERRNO"));
    EXPECT_EQ(window.MessagesModel()->RowCount(), 3);
    Option(window, "cbFindMatchCase")->setChecked(true);
    EXPECT_TRUE(WaitUntil([&] { return !window.SearchRunning() && window.MessagesModel()->RowCount() == 0; }));
    EXPECT_EQ(FindResult(window), QStringLiteral("No matches"));
    Option(window, "cbFindMatchCase")->setChecked(false);

    // With a day chosen, the list is the day's matching entries.
    Search(window, QStringLiteral("errno"));
    ShowDayOfRow(window, 2);
    EXPECT_EQ(Messages(window), QStringList{kReset});

    Search(window, QStringLiteral("consistency"));
    EXPECT_EQ(FindResult(window), QStringLiteral("No matches in the list (1 in the log)"));
    Search(window, QStringLiteral("errno"));

    // Closing the bar gives the list back its other entries.
    window.FindBar()->Close();
    EXPECT_EQ(Messages(window), (QStringList{kUnknown, kReset}));
}

TEST_F(FindAndNarrowTest, InvalidExpressionShowsItsErrorAndChangesNothing)
{
    TfmLogViewer window;
    OpenFive(window);
    Option(window, "cbFindOnlyMatching")->setChecked(true);
    Option(window, "cbFindRegex")->setChecked(true);
    Search(window, QStringLiteral("errno = 1005[34]$"));
    EXPECT_EQ(window.MessagesModel()->RowCount(), 3);
    Search(window, QStringLiteral("errno = (1005"));
    EXPECT_TRUE(FindResult(window).contains(QStringLiteral("missing )"))) << FindResult(window).toStdString();
    EXPECT_EQ(window.MessagesModel()->RowCount(), 3) << "the last good search stays";
}

TEST_F(FindAndNarrowTest, ANewSearchReplacesOneStillRunningAndReloadsSearchAgain)
{
    TfmLogViewer window;
    ShowAndActivate(window);
    Open(window, WriteLog("big.log", 60000, true));
    Option(window, "cbFindOnlyMatching")->setChecked(true);
    Trigger(window, "acFind");
    FindText(window)->setEditText(QStringLiteral("errno"));
    emit window.FindBar()->SearchChanged();
    emit window.FindBar()->SearchChanged();
    FindText(window)->setEditText(QStringLiteral("zzzz-nowhere"));
    emit window.FindBar()->SearchChanged();
    EXPECT_TRUE(WaitUntil([&] { return !window.SearchRunning() && FindResult(window) == QStringLiteral("No matches"); }));
    EXPECT_EQ(window.MessagesModel()->RowCount(), 0);

    Search(window, QStringLiteral("errno"));
    const int rows = window.MessagesModel()->RowCount();
    EXPECT_GT(rows, 0);
    Trigger(window, "miMsgDaysReloadAll");
    EXPECT_EQ(window.MessagesModel()->RowCount(), rows) << "the reloaded log is narrowed by the same search";
}

TEST_F(FindAndNarrowTest, CopyTakesTheSelectedEntriesAsTheLogHoldsThem)
{
    TfmLogViewer window;
    OpenFive(window);
    QTableView* list = List(window);
    list->selectRow(2);
    list->selectionModel()->select(window.MessagesModel()->index(0, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    Trigger(window, "acCopy");
    const TLogMessagesModel* model = window.MessagesModel();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), model->EntryText(0) + model->EntryText(2))
        << "in list order, with every byte of each entry";
    EXPECT_EQ(window.findChild<QGroupBox*>(QStringLiteral("gbMessage"))->title(),
              QStringLiteral("The text of the message No 3 [%1]").arg(model->CellText(2, 1)))
        << "the panes follow the current row";

    Trigger(window, "acCopyAsTable");
    const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("No\tTime\tSource\tMessage"));
    EXPECT_EQ(lines[2], QStringList({QStringLiteral("3"), model->CellText(2, 1), QStringLiteral("DBHOST (Server)"), kReset})
                            .join(QLatin1Char('\t')));
}

TEST_F(FindAndNarrowTest, TheLastTwentySearchesAreRemembered)
{
    {
        TfmLogViewer window;
        OpenFive(window);
        for (int i = 0; i < 25; ++i) {
            FindText(window)->setEditText(QStringLiteral("term %1").arg(i));
            window.FindBar()->RememberQuery();
        }
        FindText(window)->setEditText(QStringLiteral("term 3"));
        window.FindBar()->RememberQuery();
    }
    TfmLogViewer again;
    const QStringList history = again.FindBar()->History();
    ASSERT_EQ(history.size(), TFindBar::kHistoryLength);
    EXPECT_EQ(history.first(), QStringLiteral("term 3"));
    EXPECT_EQ(history.at(1), QStringLiteral("term 24"));
    EXPECT_EQ(history.count(QStringLiteral("term 3")), 1);
}
