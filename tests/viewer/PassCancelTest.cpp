// The long passes run while the window goes on handling events, and Esc stops them, leaving what
// the window showed before.

#include "ApplicationInfo.h"
#include "ViewerTestFixture.h"

#include <QHeaderView>
#include <QTableView>

namespace {

QTableView* List(TfmLogViewer& window)
{
    return window.findChild<QTableView*>(QStringLiteral("VirtualStringTree1"));
}

void PressEscape(TfmLogViewer& window)
{
    QTest::keyClick(&window, Qt::Key_Escape);
}

}  // namespace

class PassCancelTest : public ViewerTest {
protected:
    // A window showing all entries of a log of 2100 entries, more than one block of the passes
    // (none is of this month: the log falls back to "All records").
    void OpenFirstLog(TfmLogViewer& window)
    {
        ShowAndActivate(window);
        Open(window, WriteLog("first.log", 2100));
        FFirstEntries = FExpected.ExpectedDateTimes.size();
        ASSERT_EQ(static_cast<std::size_t>(window.MessagesModel()->RowCount()), FFirstEntries);
        FFirstCounts = window.StatusPanelText(1);
    }

    std::size_t FFirstEntries = 0;
    QString FFirstCounts;
};

TEST_F(PassCancelTest, EscDuringTheLoadOfAnotherLogLeavesTheLogShown)
{
    TfmLogViewer window;
    OpenFirstLog(window);
    const QString first = window.LogFileName();
    const QStringList messages = ColumnTexts(window, TLogMessagesModel::ColumnMessage);
    const QString second = WriteLog("second.log", 3000);
    const std::size_t secondEntries = FExpected.ExpectedDateTimes.size();

    window.SetProgressClock(ClockActingMidPass(window, [&] { PressEscape(window); }));
    Open(window, second);

    EXPECT_EQ(window.LogFileName(), first);
    EXPECT_EQ(window.LogMsgs().size(), FFirstEntries);
    EXPECT_EQ(ColumnTexts(window, TLogMessagesModel::ColumnMessage), messages);
    EXPECT_EQ(window.StatusPanelText(1), FFirstCounts);
    EXPECT_EQ(window.StatusPanelText(5), first);
    EXPECT_EQ(window.windowTitle(), ApplicationTitle());
    EXPECT_TRUE(FErrors.isEmpty()) << FErrors.join(QLatin1Char('\n')).toStdString();

    // The same log opens in full once no one presses Esc.
    window.SetProgressClock({});
    Open(window, second);
    EXPECT_EQ(window.LogMsgs().size(), secondEntries);
    EXPECT_EQ(window.LogFileName(), second);
}

TEST_F(PassCancelTest, EscDuringASortKeepsTheOrderAndTheMark)
{
    TfmLogViewer window;
    OpenFirstLog(window);
    window.VirtualStringTree1HeaderClick(TLogMessagesModel::ColumnTime);
    const QStringList byTime = ColumnTexts(window, TLogMessagesModel::ColumnMessage);
    const QHeaderView* header = List(window)->horizontalHeader();
    const Qt::SortOrder order = header->sortIndicatorOrder();

    window.SetProgressClock(ClockActingMidPass(window, [&] { PressEscape(window); }));
    window.VirtualStringTree1HeaderClick(TLogMessagesModel::ColumnMessage);

    EXPECT_EQ(ColumnTexts(window, TLogMessagesModel::ColumnMessage), byTime);
    EXPECT_EQ(header->sortIndicatorSection(), TLogMessagesModel::ColumnTime);
    EXPECT_EQ(header->sortIndicatorOrder(), order);
    EXPECT_EQ(window.windowTitle(), ApplicationTitle());

    // Uncancelled, the same click sorts by the message in the order it would have.
    window.SetProgressClock({});
    window.VirtualStringTree1HeaderClick(TLogMessagesModel::ColumnMessage);
    EXPECT_EQ(header->sortIndicatorSection(), TLogMessagesModel::ColumnMessage);
    EXPECT_EQ(header->sortIndicatorOrder(), order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
    EXPECT_NE(ColumnTexts(window, TLogMessagesModel::ColumnMessage), byTime);
}

TEST_F(PassCancelTest, EscDuringAListFillKeepsTheRowsAndTheirDateFilter)
{
    TfmLogViewer window;
    OpenFirstLog(window);
    const QStringList messages = ColumnTexts(window, TLogMessagesModel::ColumnMessage);

    window.SetProgressClock(ClockActingMidPass(window, [&] { PressEscape(window); }));
    DateFilter(window)->setCurrentIndex(TfmLogViewer::dfThisMonth);
    emit DateFilter(window)->activated(TfmLogViewer::dfThisMonth);

    EXPECT_EQ(ColumnTexts(window, TLogMessagesModel::ColumnMessage), messages);
    EXPECT_EQ(DateFilter(window)->currentIndex(), TfmLogViewer::dfAllRecords);
    EXPECT_EQ(window.StatusPanelText(1), FFirstCounts);
    EXPECT_EQ(window.windowTitle(), ApplicationTitle());

    window.SetProgressClock({});
    DateFilter(window)->setCurrentIndex(TfmLogViewer::dfThisMonth);
    emit DateFilter(window)->activated(TfmLogViewer::dfThisMonth);
    EXPECT_EQ(window.MessagesModel()->RowCount(), 0) << "uncancelled, the fill shows this month's entries: none";
}

TEST_F(PassCancelTest, TheWindowHandlesEventsAndIgnoresOtherInputWhileAPassWorks)
{
    TfmLogViewer window;
    OpenFirstLog(window);
    const int currentRow = List(window)->currentIndex().row();
    bool painted = false;
    bool clickedAway = false;
    window.SetProgressClock(ClockActingMidPass(window, [&] {
        EXPECT_TRUE(window.PassRunning());
        window.repaint();
        painted = true;
        // A click on another column and a key meant for the list are dropped, not queued.
        QTest::mouseClick(List(window)->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(List(window)->horizontalHeader()->sectionViewportPosition(TLogMessagesModel::ColumnSource) + 5, 5));
        QTest::keyClick(List(window), Qt::Key_End);
        clickedAway = true;
    }));
    window.VirtualStringTree1HeaderClick(TLogMessagesModel::ColumnMessage);
    QCoreApplication::processEvents();

    EXPECT_TRUE(painted) << "the window's thread ran nothing while the sort worked";
    EXPECT_TRUE(clickedAway);
    EXPECT_EQ(List(window)->horizontalHeader()->sortIndicatorSection(), TLogMessagesModel::ColumnMessage);
    EXPECT_EQ(List(window)->currentIndex().row(), currentRow);
}
