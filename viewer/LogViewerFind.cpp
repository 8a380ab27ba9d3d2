// Finding in the main window: the find bar with its search on the worker threads, moving
// between matches and marking them, narrowing the list to what it finds, and copying entries.

#include "LogViewerMain.h"
#include "LogViewerPasses.h"

#include "ui_LogViewerMain.h"

#include "BackgroundPass.h"
#include "FBLogNarrowing.h"
#include "FindBar.h"
#include "KindsModel.h"
#include "LogMessagesModel.h"
#include "SeverityLook.h"
#include "Timestamps.h"
#include "WaitCursor.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDockWidget>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTextCharFormat>
#include <QtConcurrent/QtConcurrentRun>

QAction* AddAction(QWidget* owner, const QString& caption, const char* name, const QKeySequence& keys)
{
    auto* action = new QAction(caption, owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    owner->addAction(action);
    return action;
}

namespace {

// The entry's text (decoded, in UTF-8) as the text pane shows it (lines broken at CR LF, CR or
// LF, a final break dropped), and where each byte range of it lands there.
struct TDisplayedText {
    QString Text;
    std::vector<std::pair<int, int>> Ranges;  // start and length in Text
};

QString DisplayPiece(std::string_view utf8)
{
    QString piece = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    piece.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    piece.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return piece;
}

TDisplayedText DisplayWithRanges(std::string_view entry, const std::vector<TFBLogTextRange>& ranges)
{
    TDisplayedText shown;
    std::size_t done = 0;
    for (const TFBLogTextRange& range : ranges) {
        shown.Text += DisplayPiece(entry.substr(done, range.Begin - done));
        const QString found = DisplayPiece(entry.substr(range.Begin, range.End - range.Begin));
        shown.Ranges.emplace_back(static_cast<int>(shown.Text.size()), static_cast<int>(found.size()));
        shown.Text += found;
        done = range.End;
    }
    shown.Text += DisplayPiece(entry.substr(done));
    return shown;
}

}  // namespace

void TfmLogViewer::SetupFinding()
{
    FFindBar = new TFindBar(ui->paMain);
    ui->laMain->insertWidget(1, FFindBar);
    AddAction(this, QStringLiteral("&Find..."), "acFind", QKeySequence::Find);
    AddAction(this, QStringLiteral("Find next"), "acFindNext", QKeySequence::FindNext);
    AddAction(this, QStringLiteral("Find previous"), "acFindPrevious", QKeySequence::FindPrevious);

    QAction* copy = AddAction(ui->VirtualStringTree1, QStringLiteral("&Copy"), "acCopy", QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QAction* copyAsTable = AddAction(ui->VirtualStringTree1, QStringLiteral("Copy as &table"), "acCopyAsTable",
                                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    copyAsTable->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    ui->VirtualStringTree1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    pmvstLogs->addSeparator();
    pmvstLogs->addAction(copy);
    pmvstLogs->addAction(copyAsTable);

    FSearchWatcher = new QFutureWatcher<TFBLogEntrySet>(this);
    SetupKindsView();
}

void TfmLogViewer::SetupKindsView()
{
    dwKinds = new QDockWidget(QStringLiteral("Kinds"), this);
    dwKinds->setObjectName(QStringLiteral("dwKinds"));
    dwKinds->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    auto* pane = new QWidget(dwKinds);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* strip = new QHBoxLayout();
    auto* caption = new QLabel(QStringLiteral("Severity at least:"), pane);
    cbSeverityAtLeast = new QComboBox(pane);
    cbSeverityAtLeast->setObjectName(QStringLiteral("cbSeverityAtLeast"));
    cbSeverityAtLeast->setAccessibleName(QStringLiteral("Least severity shown"));
    // In the order of TFBLogSeverity: "All" stands where the unknown severity does.
    cbSeverityAtLeast->addItems({QStringLiteral("All"), QStringLiteral("Info"), QStringLiteral("Warning"),
                                 QStringLiteral("Error"), QStringLiteral("Critical")});
    caption->setBuddy(cbSeverityAtLeast);
    strip->addWidget(caption);
    strip->addWidget(cbSeverityAtLeast);
    strip->addStretch(1);
    layout->addLayout(strip);

    FKindsModel = new TKindsModel(this);
    FKindsModel->SetCatalogue(nullptr);
    FKindsProxy = new QSortFilterProxyModel(this);
    FKindsProxy->setSourceModel(FKindsModel);
    FKindsProxy->setSortRole(TKindsModel::SortRole);
    tvKinds = new QTableView(pane);
    tvKinds->setObjectName(QStringLiteral("tvKinds"));
    tvKinds->setAccessibleName(QStringLiteral("Kinds of entries"));
    tvKinds->setModel(FKindsProxy);
    tvKinds->setSortingEnabled(true);
    tvKinds->sortByColumn(TKindsModel::ColumnCount, Qt::DescendingOrder);
    tvKinds->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvKinds->setSelectionMode(QAbstractItemView::SingleSelection);
    tvKinds->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvKinds->setContextMenuPolicy(Qt::CustomContextMenu);
    tvKinds->verticalHeader()->hide();
    tvKinds->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tvKinds->verticalHeader()->setDefaultSectionSize(18);
    tvKinds->horizontalHeader()->setStretchLastSection(false);
    for (const auto& [column, width] : {std::pair{TKindsModel::ColumnSeverity, 110}, {TKindsModel::ColumnFacility, 90},
                                        {TKindsModel::ColumnTitle, 420}, {TKindsModel::ColumnCount, 70},
                                        {TKindsModel::ColumnFirst, 160}, {TKindsModel::ColumnLast, 160}})
        tvKinds->horizontalHeader()->resizeSection(column, width);
    layout->addWidget(tvKinds);
    dwKinds->setWidget(pane);
    addDockWidget(Qt::BottomDockWidgetArea, dwKinds);
    resizeDocks({dwKinds}, {170}, Qt::Vertical);

    pmKinds = new QMenu(this);
    pmKinds->setObjectName(QStringLiteral("pmKinds"));
    AddAction(pmKinds, QStringLiteral("Show only this kind"), "miKindsShowOnlyThis");
    AddAction(pmKinds, QStringLiteral("Hide this facility"), "miKindsHideFacility");
    AddAction(pmKinds, QStringLiteral("Show all kinds"), "miKindsShowAll");
}

void TfmLogViewer::ConnectFinding()
{
    const auto action = [this](const char* name) { return findChild<QAction*>(QString::fromLatin1(name)); };
    connect(action("acFind"), &QAction::triggered, this, Guarded(&TfmLogViewer::acFindExecute));
    connect(action("acFindNext"), &QAction::triggered, this, Guarded(&TfmLogViewer::acFindNextExecute));
    connect(action("acFindPrevious"), &QAction::triggered, this, Guarded(&TfmLogViewer::acFindPreviousExecute));
    connect(action("acCopy"), &QAction::triggered, this, Guarded(&TfmLogViewer::acCopyExecute));
    connect(action("acCopyAsTable"), &QAction::triggered, this, Guarded(&TfmLogViewer::acCopyAsTableExecute));
    connect(FFindBar, &TFindBar::SearchChanged, this, Guarded(&TfmLogViewer::FindBarSearchChange));
    connect(FFindBar, &TFindBar::OnlyMatchingChanged, this, Guarded(&TfmLogViewer::FindBarOnlyMatchingChange));
    connect(FFindBar, &TFindBar::NextRequested, this, Guarded(&TfmLogViewer::acFindNextExecute));
    connect(FFindBar, &TFindBar::PreviousRequested, this, Guarded(&TfmLogViewer::acFindPreviousExecute));
    connect(FFindBar, &TFindBar::Closed, this, Guarded(&TfmLogViewer::FindBarClose));
    connect(FSearchWatcher, &QFutureWatcherBase::finished, this,
            [this] { SearchFinished(FSearchWatcher->property("generation").toULongLong()); });
    connect(FKindsModel, &TKindsModel::HiddenKindsChanged, this, Guarded(&TfmLogViewer::KindsChange));
    connect(cbSeverityAtLeast, &QComboBox::activated, this, Guarded(&TfmLogViewer::cbSeverityAtLeastChange));
    connect(tvKinds, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex index = tvKinds->indexAt(at);
        if (index.isValid())
            tvKinds->selectRow(index.row());
        pmKindsPopup();
        pmKinds->popup(tvKinds->viewport()->mapToGlobal(at));
    });
    connect(action("miKindsShowAll"), &QAction::triggered, this, Guarded(&TfmLogViewer::miKindsShowAllClick));
    connect(action("miKindsShowOnlyThis"), &QAction::triggered, this, Guarded(&TfmLogViewer::miKindsShowOnlyThisClick));
    connect(action("miKindsHideFacility"), &QAction::triggered, this, Guarded(&TfmLogViewer::miKindsHideFacilityClick));
}

// --- Search ----------------------------------------------------------------------------------

bool TfmLogViewer::SearchRunning() const
{
    return FPendingSearch != nullptr;
}

void TfmLogViewer::acFindExecute()
{
    FFindBar->Open();
}

void TfmLogViewer::CancelSearch()
{
    // A newer search, a new log or the window's end: the running search stops at its next
    // check and its result is dropped.
    ++FSearchGeneration;
    if (FSearchCancel)
        FSearchCancel->store(true);
    if (FSearchWatcher != nullptr)
        FSearchWatcher->waitForFinished();
    FPendingSearch.reset();
    FPendingMove = 0;
}

void TfmLogViewer::FindBarSearchChange()
{
    CancelSearch();
    TFBLogSearchOptions options = FFindBar->Options();
    options.LogEncoding = FDecoder.Encoding();
    auto search = std::make_shared<const TFBLogSearch>(FFindBar->Query().toStdString(), options);
    if (!search->Valid()) {
        // The last good search stays in force.
        FFindBar->ShowResult(QStringLiteral("Not a valid expression: ") + QString::fromStdString(search->ErrorText()), true);
        return;
    }
    if (search->Empty() || FParser == nullptr) {
        FSearch = search->Empty() ? nullptr : search;
        FSearchMatches.reset();
        SearchResultChanged();
        return;
    }
    FPendingSearch = search;
    FSearchCancel = std::make_shared<std::atomic<bool>>(false);
    FFindBar->ShowResult(QStringLiteral("Searching..."));
    FSearchWatcher->setProperty("generation", QVariant::fromValue<qulonglong>(FSearchGeneration));
    FSearchWatcher->setFuture(QtConcurrent::run(
        [parser = FParser.get(), msgs = &FLogMsgs, search, cancel = FSearchCancel] {
            return search->MatchEntries(*parser, *msgs, cancel.get());
        }));
}

void TfmLogViewer::SearchFinished(std::uint64_t generation)
{
    // A search cancelled for a newer one may still report its end; only the newest counts.
    if (generation != FSearchGeneration || !FPendingSearch || !FSearchWatcher->isFinished())
        return;
    if (PassRunning()) {
        // The result waits until the pass that let this event run is over.
        RunAfterPass([this, generation] { SearchFinished(generation); });
        return;
    }
    FSearch = std::move(FPendingSearch);
    FSearchMatches = FSearchWatcher->result();
    RunCommand(this, [this] {
        SearchResultChanged();
        if (const int step = std::exchange(FPendingMove, 0); step != 0)
            MoveToMatch(step);
    });
}

void TfmLogViewer::RunSearchNow()
{
    // After a load the search runs again, here and now, so that the list is filled once.
    FSearchMatches.reset();
    if (!FSearch || !FParser)
        return;
    // On a worker, so that the window paints meanwhile; it runs to its end, the list waits for it.
    std::optional<TFBLogEntrySet> matches;
    TBackgroundPass(this).Run([&] { matches = FSearch->MatchEntries(*FParser, FLogMsgs); });
    FSearchMatches = std::move(matches);
}

void TfmLogViewer::SearchResultChanged()
{
    if (FFindBar->OnlyMatching())
        RefillMessageList();
    ShowFindResult();
    HighlightMatches();
}

void TfmLogViewer::FindBarOnlyMatchingChange()
{
    RefillMessageList();
    ShowFindResult();
}

void TfmLogViewer::FindBarClose()
{
    CancelSearch();
    const bool narrowed = FFindBar->OnlyMatching() && FSearchMatches.has_value();
    FSearch.reset();
    FSearchMatches.reset();
    if (narrowed)
        RefillMessageList();
    HighlightMatches();
    ui->VirtualStringTree1->setFocus();
}

bool TfmLogViewer::RowMatchesSearch(int row) const
{
    const std::int64_t entry = FMessagesModel->EntryOfRow(row);
    return FSearchMatches && entry >= 0 && FSearchMatches->Contains(static_cast<std::size_t>(entry));
}

void TfmLogViewer::ShowFindResult()
{
    if (!FSearch || !FSearchMatches) {
        FFindBar->ShowResult(QString());
        return;
    }
    const int current = ui->VirtualStringTree1->currentIndex().row();
    int total = 0;
    int position = 0;
    for (int row = 0; row < FMessagesModel->RowCount(); ++row)
        if (RowMatchesSearch(row)) {
            ++total;
            if (row == current)
                position = total;
        }
    if (total == 0 && FSearchMatches->Count() > 0)
        FFindBar->ShowResult(QStringLiteral("No matches in the list (%1 in the log)").arg(FSearchMatches->Count()));
    else if (total == 0)
        FFindBar->ShowResult(QStringLiteral("No matches"));
    else if (position > 0)
        FFindBar->ShowResult(QStringLiteral("%1 of %2").arg(position).arg(total));
    else
        FFindBar->ShowResult(total == 1 ? QStringLiteral("1 match") : QStringLiteral("%1 matches").arg(total));
}

void TfmLogViewer::MoveToMatch(int step)
{
    if (SearchRunning()) {
        // Enter pressed right after typing: the move is made when the search is done.
        FPendingMove = step;
        return;
    }
    if (!FSearchMatches || FMessagesModel->RowCount() == 0) {
        FFindBar->Open();
        return;
    }
    const int count = FMessagesModel->RowCount();
    const int current = ui->VirtualStringTree1->currentIndex().row();
    // From the current row on, round the end of the list, back to where it began.
    int row = current < 0 ? (step > 0 ? -1 : count) : current;
    for (int tried = 0; tried < count; ++tried) {
        row = (row + step + count) % count;
        if (RowMatchesSearch(row)) {
            ui->VirtualStringTree1->selectRow(row);
            ui->VirtualStringTree1->scrollTo(FMessagesModel->index(row, 0));
            break;
        }
    }
    ShowFindResult();
}

void TfmLogViewer::acFindNextExecute()
{
    MoveToMatch(1);
}

void TfmLogViewer::acFindPreviousExecute()
{
    MoveToMatch(-1);
}

void TfmLogViewer::HighlightMatches()
{
    const int row = SelectedListRow();
    if (row < 0)
        return;
    const std::string entry = FMessagesModel->DecodedEntryText(row);
    const bool searching = FSearch && FFindBar->Active();
    TDisplayedText shown = DisplayWithRanges(entry, searching ? FSearch->MatchRanges(entry) : std::vector<TFBLogTextRange>{});
    if (shown.Text.endsWith(QLatin1Char('\n')))
        shown.Text.chop(1);
    if (ui->memoLogMessage->toPlainText() != shown.Text)
        ui->memoLogMessage->setPlainText(shown.Text);
    QList<QTextEdit::ExtraSelection> marks;
    QTextCharFormat format;
    format.setBackground(palette().brush(QPalette::Highlight));
    format.setForeground(palette().brush(QPalette::HighlightedText));
    for (const auto& [start, length] : shown.Ranges) {
        QTextEdit::ExtraSelection mark;
        mark.format = format;
        mark.cursor = QTextCursor(ui->memoLogMessage->document());
        mark.cursor.setPosition(std::min<int>(start, static_cast<int>(shown.Text.size())));
        mark.cursor.setPosition(std::min<int>(start + length, static_cast<int>(shown.Text.size())), QTextCursor::KeepAnchor);
        marks << mark;
    }
    ui->memoLogMessage->setExtraSelections(marks);
    if (!marks.isEmpty()) {
        ui->memoLogMessage->setTextCursor(marks.first().cursor);
        ui->memoLogMessage->ensureCursorVisible();
    }
}

// --- Copy ------------------------------------------------------------------------------------

QList<int> TfmLogViewer::SelectedRowsInListOrder() const
{
    QList<int> rows;
    for (const QModelIndex& index : ui->VirtualStringTree1->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TfmLogViewer::acCopyExecute()
{
    std::string bytes;
    for (const int row : SelectedRowsInListOrder())
        bytes += FMessagesModel->EntryText(row);
    if (bytes.empty())
        return;
    // The text as shown, and the log's own bytes for whoever takes text in the log's encoding.
    auto* data = new QMimeData();
    data->setText(FMessagesModel->Decoded(bytes));
    const std::string_view charset = EncodingName(FDecoder.Encoding());
    data->setData(QStringLiteral("text/plain;charset=") + QString::fromLatin1(charset.data(), static_cast<qsizetype>(charset.size())),
                  QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    QApplication::clipboard()->setMimeData(data);
}

void TfmLogViewer::acCopyAsTableExecute()
{
    const QList<int> rows = SelectedRowsInListOrder();
    if (rows.isEmpty())
        return;
    const QHeaderView* header = ui->VirtualStringTree1->horizontalHeader();
    QList<int> columns;
    for (int visual = 0; visual < header->count(); ++visual)
        if (!header->isSectionHidden(header->logicalIndex(visual)))
            columns << header->logicalIndex(visual);
    QStringList lines;
    QStringList cells;
    for (const int column : columns)
        cells << FMessagesModel->headerData(column, Qt::Horizontal).toString();
    lines << cells.join(QLatin1Char('\t'));
    for (const int row : rows) {
        cells.clear();
        for (const int column : columns)
            cells << FMessagesModel->CellText(row, column).replace(QLatin1Char('\t'), QLatin1Char(' '));
        lines << cells.join(QLatin1Char('\t'));
    }
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}
