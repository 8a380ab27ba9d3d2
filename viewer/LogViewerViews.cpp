// The two views of the main window as the user works with them: the message list (sorting,
// selection, the text and description panes, its popup menu) and the days table (sorting,
// weekend colours, narrowing the list to a day).

#include "LogViewerMain.h"
#include "LogViewerPasses.h"

#include "ui_LogViewerMain.h"

#include "DaysModel.h"
#include "ErrorDisplay.h"
#include "FBLogText.h"
#include "LogMessagesModel.h"
#include "Timestamps.h"
#include "WaitCursor.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>

namespace {

const QString kNoDescription =
    QStringLiteral("No description available for this message.\r\nSee fblvlog.descr for details");

// The text (UTF-8) as lines: breaks at CR LF, lone CR and lone LF; a final line break ends the
// last line rather than starting another.
QString AsLines(const std::string& text)
{
    QString lines = QString::fromStdString(text);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (lines.endsWith(QLatin1Char('\n')))
        lines.chop(1);
    return lines;
}

QString ShortDate(double dateTime)
{
    return FormatShortDate(TimestampDate(dateTime));
}

}  // namespace

void TfmLogViewer::ConnectViews()
{
    QHeaderView* listHeader = ui->VirtualStringTree1->horizontalHeader();
    listHeader->setSectionsClickable(true);
    connect(listHeader, &QHeaderView::sectionClicked, this, Guarded(&TfmLogViewer::VirtualStringTree1HeaderClick));
    // The header moves its mark to any title clicked; the mark belongs on the column the rows
    // are ordered by, also when the click sorted nothing ("No", or a click during a pass).
    connect(listHeader, &QHeaderView::sectionClicked, this, [this] { ShowListSortMark(); });
    connect(ui->VirtualStringTree1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { VirtualStringTree1Change(); });
    connect(ui->VirtualStringTree1->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        VirtualStringTree1Change();
        ShowFindResult();
    });
    // A refill, a reload or another log leaves no row selected: the panes and their caption say so.
    connect(FMessagesModel, &QAbstractItemModel::modelReset, this, [this] { VirtualStringTree1Change(); });
    connect(ui->VirtualStringTree1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        // A right click selects the row under the mouse before the menu opens.
        const QModelIndex index = ui->VirtualStringTree1->indexAt(at);
        if (index.isValid())
            ui->VirtualStringTree1->selectRow(index.row());
        pmvstLogsPopup();
        pmvstLogs->popup(ui->VirtualStringTree1->viewport()->mapToGlobal(at));
    });
    connect(ui->mivstShowThisDateOnly, &QAction::triggered, this, Guarded(&TfmLogViewer::mivstShowThisDateOnlyClick));
    connect(ui->mivstShowAllLog, &QAction::triggered, this, Guarded(&TfmLogViewer::mivstShowAllLogClick));

    QHeaderView* daysHeader = ui->dbgDays->horizontalHeader();
    daysHeader->setSectionsClickable(true);
    connect(daysHeader, &QHeaderView::sectionClicked, this, Guarded(&TfmLogViewer::dbgDaysTitleBtnClick));
    connect(ui->dbgDays, &QAbstractItemView::doubleClicked, this, Guarded(&TfmLogViewer::dbgDaysDblClick));
    ui->dbgDays->installEventFilter(this);
    connect(ui->dbgDays->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { SetDaysAlwaysShowSelection(false); });
    connect(FDaysModel, &QAbstractItemModel::modelReset, this, [this] { SetDaysAlwaysShowSelection(false); });
    connect(ui->dbgDays, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        pmMsgDaysPopup();
        pmMsgDays->popup(ui->dbgDays->viewport()->mapToGlobal(at));
    });
    connect(ui->miMsgDaysShowOnlyThisDay, &QAction::triggered, this,
            Guarded(&TfmLogViewer::miMsgDaysShowOnlyThisDayClick));
    // "Show all" of the days table does what "Show all records" of the list does.
    connect(ui->miMsgDaysShowAll, &QAction::triggered, this, Guarded(&TfmLogViewer::mivstShowAllLogClick));
}

bool TfmLogViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->dbgDays && event->type() == QEvent::KeyPress && !PassRunning())
        dbgDaysKeyPress(static_cast<QKeyEvent*>(event)->key());
    return QMainWindow::eventFilter(watched, event);  // the key goes on to the table
}

int TfmLogViewer::SelectedListRow() const
{
    // With several rows selected, the panes show the current one.
    const QItemSelectionModel* selection = ui->VirtualStringTree1->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row(), QModelIndex()))
        return current.row();
    const QModelIndexList rows = selection->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

int TfmLogViewer::CurrentDaysRow() const
{
    const QModelIndex current = ui->dbgDays->currentIndex();
    return current.isValid() && current.row() < FDaysModel->RowCount() ? current.row() : -1;
}

void TfmLogViewer::VirtualStringTree1HeaderClick(int column)
{
    if (column == TLogMessagesModel::ColumnNo)
        return;
    const Qt::SortOrder order = FListSortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    if (SortList(column, order)) {
        FListSortOrder = order;
        FListSortColumn = column;
    }
    ShowListSortMark();
}

bool TfmLogViewer::SortList(int column, Qt::SortOrder order)
{
    const TPassScope busy(*this);
    const TWaitCursor wait;
    const QString prefix =
        QStringLiteral("Sorting by %1... ").arg(FMessagesModel->headerData(column, Qt::Horizontal).toString());
    TPassProgress progress(*this, prefix);
    const auto rows = static_cast<std::size_t>(FMessagesModel->RowCount());
    TLogMessagesModel::TSortedRows sorted;
    const bool done = progress.Run([&] {
        sorted = FMessagesModel->SortedRows(column, order, [&](double share) {
            progress.ThrowIfCancelled();
            if (progress.Due())
                progress.Show(PassProgressText(prefix, static_cast<std::size_t>(share * static_cast<double>(rows)), rows));
        });
    });
    if (done)
        FMessagesModel->TakeSortedRows(std::move(sorted));
    return done;
}

void TfmLogViewer::SortListAgain()
{
    // Rows that changed their texts or came new are put in the order by text again; where the
    // user cancels that, the list no longer claims an order.
    if (FListSortColumn != TLogMessagesModel::ColumnSource && FListSortColumn != TLogMessagesModel::ColumnMessage)
        return;
    if (!SortList(FListSortColumn, FListSortOrder)) {
        FListSortColumn = -1;
        ShowListSortMark();
    }
}

void TfmLogViewer::ShowListSortMark()
{
    QHeaderView* header = ui->VirtualStringTree1->horizontalHeader();
    header->setSortIndicatorShown(FListSortColumn >= 0);
    header->setSortIndicator(FListSortColumn, FListSortOrder);
}

void TfmLogViewer::VirtualStringTree1Change()
{
    ui->gbMessage->setTitle(QStringLiteral("The text of the message "));
    ui->memoLogMessage->clear();
    ui->memoMsgDescr->clear();
    const int row = SelectedListRow();
    if (row < 0)
        return;
    ui->gbMessage->setTitle(QStringLiteral("The text of the message No %1 [%2]")
                                .arg(FMessagesModel->CellText(row, TLogMessagesModel::ColumnNo),
                                     FMessagesModel->CellText(row, TLogMessagesModel::ColumnTime)));
    const std::string text = FMessagesModel->EntryText(row);
    HighlightMatches();
    std::string description = FDescriptor->FindDescription(text, false);
    if (description.empty())
        description = kNoDescription.toStdString();
    ui->memoMsgDescr->setPlainText(AsLines(Trim(description)));
}

void TfmLogViewer::pmvstLogsPopup()
{
    ui->mivstShowThisDateOnly->setText(QStringLiteral("Show only this date"));
    ui->mivstShowThisDateOnly->setEnabled(false);
    const int row = SelectedListRow();
    if (row >= 0) {
        ui->mivstShowThisDateOnly->setText(QStringLiteral("Show only records on ") +
                                           ShortDate(FMessagesModel->Row(row).DateTime));
        ui->mivstShowThisDateOnly->setEnabled(true);
    }
}

void TfmLogViewer::mivstShowThisDateOnlyClick()
{
    const int row = SelectedListRow();
    if (row >= 0)
        ShowOnlyDay(FMessagesModel->Row(row).DateTime);
}

void TfmLogViewer::mivstShowAllLogClick()
{
    SetDateFilterChoice(dfAllRecords);
    cbShowDateFilterChange();
}

void TfmLogViewer::ShowOnlyDay(double dateTime)
{
    // Narrowing the list is a convenience: whatever fails here fails silently.
    try {
        const QDate day = TimestampDate(dateTime);
        SetPickerDates(day, day);
        SetPickersEnabled(true);
        SetDateFilterChoice(dfCustom);
        cbShowDateFilterChange();
    } catch (...) {
    }
}

void TfmLogViewer::miMsgDaysShowOnlyThisDayClick()
{
    const int row = CurrentDaysRow();
    if (row >= 0)
        ShowOnlyDay(FDaysModel->Row(row).EvDate);
}

void TfmLogViewer::pmMsgDaysPopup()
{
    const int row = CurrentDaysRow();
    ui->miMsgDaysShowOnlyThisDay->setVisible(row >= 0);
    if (row >= 0) {
        const double day = FDaysModel->Row(row).EvDate;
        ui->miMsgDaysShowOnlyThisDay->setText(day != 0 ? QStringLiteral("Show only this day (%1)").arg(ShortDate(day))
                                                       : QStringLiteral("Show only these records"));
    }
    ui->miMsgDaysShowAll->setEnabled(ui->cbShowDateFilter->currentIndex() != dfAllRecords);
}

void TfmLogViewer::dbgDaysTitleBtnClick(int column)
{
    if (column != FDaysSortColumn) {
        FDaysSortColumn = column;
        FDaysSortMarker = TSortMarker::Up;
    } else {
        FDaysSortMarker = FDaysSortMarker == TSortMarker::Up ? TSortMarker::Down : TSortMarker::Up;
    }
    const Qt::SortOrder order = FDaysSortMarker == TSortMarker::Down ? Qt::AscendingOrder : Qt::DescendingOrder;
    QHeaderView* header = ui->dbgDays->horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, order);
    FDaysModel->SetSortOrder(column, order);
}

void TfmLogViewer::dbgDaysDblClick()
{
    if (CurrentDaysRow() < 0)
        return;
    miMsgDaysShowOnlyThisDayClick();
    SetDaysAlwaysShowSelection(true);
}

void TfmLogViewer::dbgDaysKeyPress(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        dbgDaysDblClick();
}

void TfmLogViewer::SetDaysAlwaysShowSelection(bool on)
{
    // The chosen day keeps the active highlight while the focus is in the list.
    FDaysAlwaysShowSelection = on;
    QPalette palette = ui->dbgDays->palette();
    const QPalette standard = ui->dbgDays->style()->standardPalette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role,
                         on ? palette.color(QPalette::Active, role) : standard.color(QPalette::Inactive, role));
    ui->dbgDays->setPalette(palette);
}
