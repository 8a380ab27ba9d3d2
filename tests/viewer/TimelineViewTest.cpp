// The timeline in the window: its bars agree with the days table, a click narrows the list as
// "Show only this date" does, a drag as a custom range with "Apply!", and Esc goes back.

#include "ViewerTestFixture.h"

#include "DaysModel.h"
#include "TimelineChart.h"
#include "Timestamps.h"

#include <QApplication>
#include <QDockWidget>
#include <QTableView>

namespace {

class TimelineViewTest : public ViewerTest {
protected:
    // Opens the log with "All records" chosen: the bars are those the open itself shows, drawn
    // once the entries it classified beside the list fill are known.
    void OpenAll(TfmLogViewer& window, const QString& path)
    {
        ShowAndActivate(window);
        DateFilter(window)->setCurrentIndex(TfmLogViewer::dfAllRecords);
        window.cbShowDateFilterChange();
        Open(window, path);
    }

    // What the list and the status bar show.
    static std::pair<QStringList, QString> Shown(TfmLogViewer& window)
    {
        return {ColumnTexts(window, TLogMessagesModel::ColumnNo), window.StatusPanelText(1)};
    }

    static void Click(TTimelineChart* chart, std::size_t bar)
    {
        QTest::mouseClick(chart, Qt::LeftButton, {}, chart->BarCenter(bar));
        // A click counts once no second click has made it a double click.
        QTest::qWait(QApplication::doubleClickInterval() + 100);
    }
};

TEST_F(TimelineViewTest, BarsCountTheDaysOfTheDaysTable)
{
    TfmLogViewer window;
    OpenAll(window, WriteLog("days.log", 300));
    const TFBLogTimeline& timeline = window.TimelineChart()->Timeline();
    ASSERT_EQ(timeline.Size, TFBLogBinSize::Day);
    std::map<double, std::size_t> perDay;
    std::size_t undated = 0;
    for (int row = 0; row < window.DaysModel()->RowCount(); ++row) {
        const TDayRow& day = window.DaysModel()->Row(row);
        (day.EvDate == 0 ? undated : perDay[day.EvDate]) += static_cast<std::size_t>(day.EvCount);
    }
    for (const TFBLogBin& bin : timeline.Bins)
        EXPECT_EQ(bin.Total(), perDay.count(bin.Start) ? perDay[bin.Start] : 0u) << bin.Start;
    EXPECT_EQ(timeline.Undated, undated) << "the error row has no bar; the legend counts it";
    EXPECT_GT(undated, 0u);
}

TEST_F(TimelineViewTest, ClickDragAndEscNarrowAsTheDateCommandsDo)
{
    TfmLogViewer window;
    OpenAll(window, WriteLog("clicks.log", 1500, true));
    TTimelineChart* chart = window.TimelineChart();
    ASSERT_GE(chart->Timeline().Bins.size(), 4u);
    const auto all = Shown(window);

    // A click on the third bar shows what "Show only this date" shows for that day.
    const double third = chart->Timeline().Bins[2].Start;
    Click(chart, 2);
    const auto clicked = Shown(window);
    EXPECT_EQ(DateFilter(window)->currentIndex(), TfmLogViewer::dfCustom);
    EXPECT_EQ(Picker(window, "dtpDFFrom")->date(), TimestampDate(third));
    {
        TfmLogViewer other;
        OpenAll(other, FNextChoice);
        for (int row = 0; row < other.DaysModel()->RowCount(); ++row)
            if (other.DaysModel()->Row(row).EvDate == third)
                other.findChild<QTableView*>(QStringLiteral("dbgDays"))->setCurrentIndex(other.DaysModel()->index(row, 0));
        other.miMsgDaysShowOnlyThisDayClick();
        EXPECT_EQ(Shown(other), clicked);
    }

    // A drag from the second bar to the fourth shows the days of a custom range with "Apply!".
    chart = window.TimelineChart();
    Trigger(window, "miMsgDaysShowAll");
    ASSERT_EQ(Shown(window), all);
    const double from = chart->Timeline().Bins[1].Start;
    const double to = chart->Timeline().Bins[3].Start;
    QTest::mousePress(chart, Qt::LeftButton, {}, chart->BarCenter(1));
    QTest::mouseMove(chart, chart->BarCenter(3));
    QTest::mouseRelease(chart, Qt::LeftButton, {}, chart->BarCenter(3));
    const auto dragged = Shown(window);
    {
        TfmLogViewer other;
        OpenAll(other, FNextChoice);
        DateFilter(other)->setCurrentIndex(TfmLogViewer::dfCustom);
        Picker(other, "dtpDFFrom")->setDate(TimestampDate(from));
        Picker(other, "dtpDFTo")->setDate(TimestampDate(to));
        other.btApplyDTFilterClick();
        EXPECT_EQ(Shown(other), dragged);
    }
    EXPECT_EQ(Picker(window, "dtpDFTo")->date(), TimestampDate(to));

    // Esc goes back to the range shown before the drag: all records.
    QTest::keyClick(chart, Qt::Key_Escape);
    EXPECT_EQ(Shown(window), all);
    EXPECT_EQ(DateFilter(window)->currentIndex(), TfmLogViewer::dfAllRecords);
}

TEST_F(TimelineViewTest, HiddenTimelineStaysHiddenAtTheNextStart)
{
    {
        TfmLogViewer window;
        ShowAndActivate(window);
        window.findChild<QDockWidget*>(QStringLiteral("dwTimeline"))->hide();
        window.close();
    }
    TfmLogViewer window;
    ShowAndActivate(window);
    EXPECT_TRUE(window.findChild<QDockWidget*>(QStringLiteral("dwTimeline"))->isHidden());
}

}  // namespace
