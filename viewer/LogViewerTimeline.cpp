// The timeline of the main window: a dock above the list whose bars count the entries the list
// narrowing leaves, by severity, and through which a reader chooses a day or a span of days.

#include "LogViewerMain.h"
#include "LogViewerPasses.h"

#include "ui_LogViewerMain.h"

#include "FBLogNarrowing.h"
#include "FindBar.h"
#include "KindsModel.h"
#include "TimelineChart.h"
#include "Timestamps.h"

#include <QAction>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDockWidget>
#include <QMenu>

void TfmLogViewer::SetupTimeline()
{
    dwTimeline = new QDockWidget(QStringLiteral("Timeline"), this);
    dwTimeline->setObjectName(QStringLiteral("dwTimeline"));
    dwTimeline->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable |
                            QDockWidget::DockWidgetClosable);
    FTimelineChart = new TTimelineChart(dwTimeline);
    dwTimeline->setWidget(FTimelineChart);
    addDockWidget(Qt::TopDockWidgetArea, dwTimeline);
    resizeDocks({dwTimeline}, {130}, Qt::Vertical);

    QAction* show = dwTimeline->toggleViewAction();
    show->setObjectName(QStringLiteral("acShowTimeline"));
    show->setText(QStringLiteral("Show &timeline"));
    show->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    if (auto* logMenu = findChild<QMenu*>(QStringLiteral("mnLog"))) {
        logMenu->addSeparator();
        logMenu->addAction(show);
    }
    connect(FTimelineChart, &TTimelineChart::BarsChosen, this,
            [this](double start, double end) { RunCommand(this, [&] { TimelineBarsChosen(start, end); }); });
    connect(FTimelineChart, &TTimelineChart::BackRequested, this, Guarded(&TfmLogViewer::TimelineBack));
    // A wider or narrower chart fits more or fewer bars: the range shown is counted again.
    connect(FTimelineChart, &TTimelineChart::WidthChanged, this, [this] {
        if (!FLogMsgs.empty() && !PassRunning()) {
            const auto [start, end] = PickedDateRange();
            RefreshTimeline(start, end);
        }
    });
}

void TfmLogViewer::RefreshTimeline(double start, double end)
{
    const std::vector<bool> shown = KindsShown();
    TFBLogTimelineQuery query;
    query.From = start;
    query.To = end;
    query.KindShown = &shown;
    if (FFindBar->Active() && FFindBar->OnlyMatching() && FSearchMatches)
        query.Matches = &*FSearchMatches;
    // About one bar per 4 pixels at most, so that every bar stays visible.
    query.MaxBins = static_cast<std::size_t>(std::max(FTimelineChart->width() / 4, 30));
    FTimelineChart->SetTimeline(BuildTimeline(FDayRuns, FLogMsgs, FKinds, *FDescriptor, query));
}

void TfmLogViewer::ShowDateRange(int choice, QDate from, QDate to)
{
    SetPickerDates(from, to);
    SetPickersEnabled(choice == dfCustom);
    SetDateFilterChoice(choice);
    cbShowDateFilterChange();
}

void TfmLogViewer::TimelineBarsChosen(double start, double end)
{
    if (FLogMsgs.empty() || PassRunning())
        return;
    FRangesBefore.push_back({ui->cbShowDateFilter->currentIndex(), ui->dtpDFFrom->date(), ui->dtpDFTo->date()});
    // A bar ends at the first moment after it: its last day is the one before.
    const QDate first = TimestampDate(start);
    const QDate last = std::max(first, TimestampDate(end).addDays(-1));
    if (first == last)
        ShowOnlyDay(start);
    else
        ShowDateRange(dfCustom, first, last);
}

void TfmLogViewer::TimelineBack()
{
    if (FRangesBefore.empty())
        return;
    const TShownRange before = FRangesBefore.back();
    FRangesBefore.pop_back();
    ShowDateRange(before.Choice, before.From, before.To);
}
