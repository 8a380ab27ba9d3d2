// The kinds of the main window: classifying the loaded log, the kinds pane with its popup
// menu and severity choice, and the narrowing they give the list fill.

#include "LogViewerMain.h"
#include "LogViewerPasses.h"

#include "ui_LogViewerMain.h"

#include "FBLogNarrowing.h"
#include "FBLogParallel.h"
#include "FindBar.h"
#include "KindsModel.h"
#include "LogMessagesModel.h"

#include <QAction>
#include <QComboBox>
#include <QSortFilterProxyModel>
#include <QTableView>

void TfmLogViewer::StartClassifying()
{
    // Every entry of a log shown gets its kind. The timeline's counts per day and kind are taken
    // in the same pass. Nothing changes the log or the catalogue until FinishClassifying.
    FStopClassifying.store(false);
    FClassified = std::async(std::launch::async, [&parser = *FParser, &msgs = FLogMsgs, &catalogue = *FDescriptor,
                                                  &stop = FStopClassifying] {
        // The list is filled meanwhile on the window's thread, which must not wait for a core.
        LowerPriorityOfThisThread();
        TClassifiedLog classified;
        classified.Kinds = ClassifyEntries(parser, msgs, catalogue, &stop);
        if (!stop.load())
            classified.DayRuns.Add(msgs, classified.Kinds, 0);
        return classified;
    });
}

void TfmLogViewer::FinishClassifying()
{
    if (!ClassificationPending())
        return;
    TClassifiedLog classified;
    // A list filled meanwhile showed no kinds yet: those of its range are counted here.
    const std::optional<std::pair<double, double>> listRange =
        FListFilter ? std::optional(PickedDateRange()) : std::nullopt;
    std::optional<std::vector<TFBLogKindSummary>> summaries;
    {
        TPassProgress progress(*this, QStringLiteral("Classifying entries... "));
        progress.Run([&] {
            classified = FClassified.get();
            if (listRange)
                summaries = SummarizeKinds(FLogMsgs, classified.Kinds, listRange->first, listRange->second);
        });
    }
    FKinds = std::move(classified.Kinds);
    FDayRuns = std::move(classified.DayRuns);
    FMessagesModel->SetKinds(&FKinds);
    FKindsRange.reset();
    if (listRange) {
        ShowKinds(listRange->first, listRange->second, std::move(*summaries));
        RefreshTimeline(listRange->first, listRange->second);
    }
}

void TfmLogViewer::StopClassifying()
{
    if (!ClassificationPending())
        return;
    FStopClassifying.store(true);
    FClassified = {};
}

std::vector<bool> TfmLogViewer::KindsShown() const
{
    return ShownKinds(*FDescriptor, FKindsModel->HiddenMatchTexts(),
                      static_cast<TFBLogSeverity>(cbSeverityAtLeast->currentIndex()));
}

bool TfmLogViewer::KindsNarrowList() const
{
    const std::vector<bool> shown = KindsShown();
    return std::find(shown.begin(), shown.end(), false) != shown.end();
}

TFBLogNarrowing TfmLogViewer::Narrowing(double start, double end) const
{
    TFBLogNarrowing narrowing;
    narrowing.SetDateRange(start, end);
    narrowing.SetKinds(&FKinds, KindsShown());
    if (FFindBar->Active() && FFindBar->OnlyMatching() && FSearchMatches)
        narrowing.SetSearchMatches(&*FSearchMatches);
    return narrowing;
}

void TfmLogViewer::RefreshKinds(double start, double end)
{
    if (std::optional<std::vector<TFBLogKindSummary>> summaries = KindsToCount(start, end))
        ShowKinds(start, end, std::move(*summaries));
}

std::optional<std::vector<TFBLogKindSummary>> TfmLogViewer::KindsToCount(double start, double end) const
{
    if (FKindsRange == std::pair{start, end})
        return std::nullopt;
    return SummarizeKinds(FLogMsgs, FKinds, start, end);
}

void TfmLogViewer::ShowKinds(double start, double end, std::vector<TFBLogKindSummary> summaries)
{
    FKindsRange = std::pair{start, end};
    FKindsModel->SetSummaries(std::move(summaries));
}

void TfmLogViewer::RefillMessageList()
{
    if (!FLogMsgs.empty())
        FillMessageList(PickerTimestamp(ui->dtpDFFrom), PickerTimestamp(ui->dtpDFTo));
}

void TfmLogViewer::KindsChange()
{
    RefillMessageList();
}

void TfmLogViewer::cbSeverityAtLeastChange()
{
    RefillMessageList();
}

void TfmLogViewer::pmKindsPopup()
{
    const QModelIndex current = tvKinds->currentIndex();
    const bool onKind = current.isValid();
    QString facility;
    if (onKind)
        facility = FKindsModel->data(FKindsModel->index(FKindsProxy->mapToSource(current).row(), TKindsModel::ColumnFacility))
                       .toString();
    findChild<QAction*>(QStringLiteral("miKindsShowOnlyThis"))->setEnabled(onKind);
    QAction* hideFacility = findChild<QAction*>(QStringLiteral("miKindsHideFacility"));
    hideFacility->setEnabled(!facility.isEmpty());
    hideFacility->setText(facility.isEmpty() ? QStringLiteral("Hide this facility")
                                             : QStringLiteral("Hide every kind of facility %1").arg(facility));
}

void TfmLogViewer::miKindsShowAllClick()
{
    FKindsModel->SetHiddenMatchTexts({});
    RefillMessageList();
}

void TfmLogViewer::miKindsShowOnlyThisClick()
{
    const QModelIndex current = tvKinds->currentIndex();
    if (!current.isValid())
        return;
    const std::string keep = FKindsModel->MatchTextOf(FKindsProxy->mapToSource(current).row());
    // Every kind of the catalogue is hidden, and the unknown kind, but the one chosen.
    std::set<std::string> hidden{std::string()};
    for (const TFBLogDescription& row : FDescriptor->Descriptions())
        hidden.insert(row.MatchText());
    hidden.erase(keep);
    FKindsModel->SetHiddenMatchTexts(std::move(hidden));
    RefillMessageList();
}

void TfmLogViewer::miKindsHideFacilityClick()
{
    const QModelIndex current = tvKinds->currentIndex();
    if (!current.isValid())
        return;
    const TFBLogDescription* chosen = RowOfKind(*FDescriptor, FKindsModel->Summary(FKindsProxy->mapToSource(current).row()).Kind);
    if (chosen == nullptr || chosen->Facility().empty())
        return;
    std::set<std::string> hidden = FKindsModel->HiddenMatchTexts();
    for (const TFBLogDescription& row : FDescriptor->Descriptions())
        if (row.Facility() == chosen->Facility())
            hidden.insert(row.MatchText());
    FKindsModel->SetHiddenMatchTexts(std::move(hidden));
    RefillMessageList();
}

