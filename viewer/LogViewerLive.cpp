// The live log of the main window: watching the open log, taking in what the server appends
// without reading the rest again, following the newest entry, reading the log again when it
// was truncated, replaced or rotated, and the desktop notice of serious arrivals.

#include "LogViewerMain.h"
#include "LogViewerPasses.h"

#include "ui_LogViewerMain.h"

#include "DaysModel.h"
#include "FBLogNarrowing.h"
#include "FindBar.h"
#include "KindsModel.h"
#include "LogMessagesModel.h"
#include "SeverityLook.h"
#include "Timestamps.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int kWatchIntervalMs = 1000;

}  // namespace

void TfmLogViewer::SetupLiveLog()
{
    QMenu* logMenu = new QMenu(QStringLiteral("&Log"), this);
    logMenu->setObjectName(QStringLiteral("mnLog"));
    ui->ActionMainMenuBar1->insertMenu(ui->acGetSupport, logMenu);

    QAction* reload = AddAction(this, QStringLiteral("&Reload log file"), "acReload", QKeySequence::Refresh);
    QAction* follow = AddAction(this, QStringLiteral("&Follow"), "acFollow", QKeySequence(Qt::CTRL | Qt::Key_T));
    follow->setCheckable(true);
    follow->setToolTip(QStringLiteral("Keep the newest entry selected and in view as entries arrive"));
    QAction* exportVisible = AddAction(this, QStringLiteral("&Export visible entries..."), "acExportVisible",
                                       QKeySequence(Qt::CTRL | Qt::Key_E));
    logMenu->addAction(reload);
    logMenu->addAction(follow);
    logMenu->addSeparator();
    logMenu->addAction(exportVisible);
    logMenu->addSeparator();

    QMenu* notify = logMenu->addMenu(QStringLiteral("&Notify about arriving entries"));
    notify->setObjectName(QStringLiteral("mnNotify"));
    auto* choices = new QActionGroup(notify);
    const auto addChoice = [&](const QString& caption, const char* name, std::optional<TFBLogSeverity> severity) {
        QAction* choice = notify->addAction(caption);
        choice->setObjectName(QString::fromLatin1(name));
        choice->setCheckable(true);
        choice->setData(severity ? static_cast<int>(*severity) : -1);
        choices->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, severity] { SetNotifyAtLeast(severity); });
    };
    addChoice(QStringLiteral("Critical entries"), "miNotifyCritical", TFBLogSeverity::Critical);
    addChoice(QStringLiteral("Errors and worse"), "miNotifyError", TFBLogSeverity::Error);
    addChoice(QStringLiteral("Warnings and worse"), "miNotifyWarning", TFBLogSeverity::Warning);
    addChoice(QStringLiteral("Never"), "miNotifyNever", std::nullopt);
    SetNotifyAtLeast(FNotifyAtLeast);

    // Follow stands in the strip too, beside the date filter.
    auto* followButton = new QToolButton(ui->CoolBar1);
    followButton->setObjectName(QStringLiteral("btFollow"));
    followButton->setDefaultAction(follow);
    followButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ui->paHeader->addWidget(followButton);
    pmMsgDays->addAction(reload);
    pmvstLogs->addSeparator();
    pmvstLogs->addAction(follow);
    pmvstLogs->addAction(exportVisible);

    laLiveState = new QLabel(ui->StatusBar1);
    laLiveState->setObjectName(QStringLiteral("laLiveState"));
    ui->StatusBar1->addPermanentWidget(laLiveState);

    FFileWatcher = new QFileSystemWatcher(this);
    FWatchTimer = new QTimer(this);
    FWatchTimer->setInterval(kWatchIntervalMs);

    connect(reload, &QAction::triggered, this, Guarded(&TfmLogViewer::acReloadExecute));
    connect(follow, &QAction::toggled, this, [this](bool on) { acFollowToggle(on); });
    connect(exportVisible, &QAction::triggered, this, Guarded(&TfmLogViewer::acExportVisibleExecute));
    // Notices of one change often come in bursts; one check after them is enough.
    auto* coalesce = new QTimer(this);
    coalesce->setSingleShot(true);
    coalesce->setInterval(50);
    connect(coalesce, &QTimer::timeout, this, Guarded(&TfmLogViewer::CheckLogFile));
    connect(FFileWatcher, &QFileSystemWatcher::fileChanged, coalesce, qOverload<>(&QTimer::start));
    connect(FFileWatcher, &QFileSystemWatcher::directoryChanged, coalesce, qOverload<>(&QTimer::start));
    connect(FWatchTimer, &QTimer::timeout, this, Guarded(&TfmLogViewer::CheckLogFile));
    connect(ui->VirtualStringTree1->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { StopFollowingOnUserMove(); });
    connect(ui->VirtualStringTree1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { StopFollowingOnUserMove(); });
}

void TfmLogViewer::StartWatchingLogFile()
{
    const std::string path = LocalPath(FLogFileName);
    FFileWatch = std::make_unique<TFBLogFileWatch>(path);
    // What was read is the snapshot: anything the server wrote since is still to be taken in.
    FFileWatch->NoteSize(FParser ? FParser->FileSize() : 0);
    if (!FFileWatcher->files().isEmpty())
        FFileWatcher->removePaths(FFileWatcher->files());
    if (!FFileWatcher->directories().isEmpty())
        FFileWatcher->removePaths(FFileWatcher->directories());
    if (FLogFileName.isEmpty())
        return;
    // The folder tells of a file created, renamed or deleted at the path; the file of writes.
    FFileWatcher->addPath(QFileInfo(FLogFileName).absolutePath());
    if (FFileWatch->Present())
        FFileWatcher->addPath(FLogFileName);
    FWatchTimer->start();
}

void TfmLogViewer::CheckLogFile()
{
    if (!FFileWatch || FLogFileName.isEmpty())
        return;
    const TFBLogFileChange change = FFileWatch->Check();
    // A replaced file is a new one for the watcher too.
    if (FFileWatch->Present() && !FFileWatcher->files().contains(FLogFileName))
        FFileWatcher->addPath(FLogFileName);
    switch (change) {
    case TFBLogFileChange::None: return;
    case TFBLogFileChange::Grown: TakeInAppendedEntries(); return;
    case TFBLogFileChange::Deleted: ShowLiveState(QString::fromLatin1(DescribeFileChange(change))); return;
    case TFBLogFileChange::Shrunk:
    case TFBLogFileChange::Replaced:
    case TFBLogFileChange::Returned: ReloadKeepingView(QString::fromLatin1(DescribeFileChange(change))); return;
    }
}

void TfmLogViewer::ShowLiveState(const QString& text)
{
    laLiveState->setText(text);
}

void TfmLogViewer::TakeInAppendedEntries()
{
    if (!FParser)
        return;
    FBLogsMsgs added;
    std::int64_t end = FScanEnd;
    if (!FParser->ScanAppendedEntries(end, added)) {
        ReloadKeepingView(QStringLiteral("The log file was rewritten; it was read again."));
        return;
    }
    FFileWatch->NoteSize(FParser->FileSize());
    FScanEnd = end;
    if (added.empty())
        return;

    const std::size_t first = FLogMsgs.size();
    const FBLogKinds addedKinds = ClassifyEntries(*FParser, added, *FDescriptor);
    // A search on the worker threads reads the index: it stops before the index grows, and
    // starts again over all of it afterwards.
    const bool searching = SearchRunning();
    if (searching)
        CancelSearch();
    FLogMsgs.insert(FLogMsgs.end(), added.begin(), added.end());
    FKinds.insert(FKinds.end(), addedKinds.begin(), addedKinds.end());
    FMessagesModel->SetKinds(&FKinds);
    if (FSearchMatches && FSearch) {
        FSearchMatches->Resize(FLogMsgs.size());
        for (std::size_t i = first; i < FLogMsgs.size(); ++i)
            if (FSearch->MatchesEntry(FParser->ViewRange(FLogMsgs[i].Offset, FLogMsgs[i].Offset + FLogMsgs[i].Length)))
                FSearchMatches->Add(i);
    }

    // The days table: the counts go on from where they were; the current day stays current.
    for (const FBLogMsg& msg : added)
        FDayCounter.Add(msg.DateTime);
    FDayRuns.Add(FLogMsgs, FKinds, first);
    const int currentDay = CurrentDaysRow();
    const std::optional<int> currentNo =
        currentDay >= 0 ? std::optional<int>(FDaysModel->Row(currentDay).No) : std::nullopt;
    FDaysModel->SetRows(DayRowsOf(FDayCounter));
    for (int row = 0; currentNo && row < FDaysModel->RowCount(); ++row)
        if (FDaysModel->Row(row).No == *currentNo)
            ui->dbgDays->setCurrentIndex(FDaysModel->index(row, 0));

    // The kinds pane and the list take in the arrivals of the range they show.
    const auto [start, stop] = PickedDateRange();
    FKindsModel->AddSummaries(SummarizeKinds(added, addedKinds, start, stop));
    RefreshTimeline(start, stop);
    const TFBLogNarrowing narrowing = Narrowing(start, stop);
    TLargeVector<std::uint32_t> entries;
    for (std::size_t i = first; i < FLogMsgs.size(); ++i)
        if (narrowing.Passes(i, FLogMsgs[i]))
            entries.push_back(static_cast<std::uint32_t>(i));
    const bool follow = Following();
    FMovingToNewest = true;
    const std::optional<Qt::SortOrder> timeOrder =
        FListSortColumn == TLogMessagesModel::ColumnTime ? std::optional(FListSortOrder) : std::nullopt;
    FMessagesModel->AddRows(entries, timeOrder);
    SortListAgain();
    FMovingToNewest = false;
    ShowMessageCount();
    ShowFileSize(FParser->FileSize());
    ShowFindResult();
    if (follow && !entries.empty())
        ShowNewestEntry();
    NotifyAboutArrivals(addedKinds);
    if (searching)
        FindBarSearchChange();
}

bool TfmLogViewer::Following() const
{
    const auto* follow = findChild<QAction*>(QStringLiteral("acFollow"));
    return follow != nullptr && follow->isChecked();
}

void TfmLogViewer::acFollowToggle(bool on)
{
    ShowLiveState(on ? QStringLiteral("Following the log") : QString());
    if (on)
        ShowNewestEntry();
}

void TfmLogViewer::ShowNewestEntry()
{
    // The newest entry is the shown one latest in the log, wherever the sort put it.
    int newest = -1;
    for (int row = 0; row < FMessagesModel->RowCount(); ++row)
        if (newest < 0 || FMessagesModel->EntryOfRow(row) > FMessagesModel->EntryOfRow(newest))
            newest = row;
    if (newest < 0)
        return;
    FMovingToNewest = true;
    ui->VirtualStringTree1->selectRow(newest);
    ui->VirtualStringTree1->scrollTo(FMessagesModel->index(newest, 0));
    FMovingToNewest = false;
}

void TfmLogViewer::StopFollowingOnUserMove()
{
    // Moving away from the newest entry ends following, as in a terminal's tail view.
    if (FMovingToNewest || PassRunning() || !Following())
        return;
    findChild<QAction*>(QStringLiteral("acFollow"))->setChecked(false);
}

void TfmLogViewer::acReloadExecute()
{
    if (ShowingServerLog()) {
        RefetchServerLog();
        return;
    }
    ReloadKeepingView(QStringLiteral("The log file was read again."));
}

bool TfmLogViewer::ReloadKeepingView(const QString& why)
{
    // The selected entry is found again by where it lies and when it was written.
    const int selected = SelectedListRow();
    const std::optional<FBLogMsg> kept = selected >= 0 ? std::optional(FMessagesModel->Row(selected)) : std::nullopt;
    const bool follow = Following();
    FMovingToNewest = true;
    const bool loaded = RunLoadSequence(false);
    FMovingToNewest = false;
    if (!loaded)
        return false;
    ShowLiveState(why);
    if (follow) {
        ShowNewestEntry();
        return true;
    }
    for (int row = 0; kept && row < FMessagesModel->RowCount(); ++row) {
        const FBLogMsg& msg = FMessagesModel->Row(row);
        if (msg.Offset == kept->Offset && msg.Length == kept->Length && msg.DateTime == kept->DateTime) {
            ui->VirtualStringTree1->selectRow(row);
            ui->VirtualStringTree1->scrollTo(FMessagesModel->index(row, 0), QAbstractItemView::PositionAtCenter);
            break;
        }
    }
    return true;
}

void TfmLogViewer::SetNotifyAtLeast(std::optional<TFBLogSeverity> severity)
{
    FNotifyAtLeast = severity;
    const int wanted = severity ? static_cast<int>(*severity) : -1;
    if (QMenu* notify = findChild<QMenu*>(QStringLiteral("mnNotify")))
        for (QAction* choice : notify->actions())
            choice->setChecked(choice->data().toInt() == wanted);
}

void TfmLogViewer::NotifyAboutArrivals(const FBLogKinds& kinds)
{
    if (!FNotifyAtLeast || isActiveWindow())
        return;
    TFBLogSeverity worst = TFBLogSeverity::Unknown;
    std::size_t count = 0;
    for (const FBLogKind kind : kinds) {
        const TFBLogSeverity severity = SeverityOfKind(*FDescriptor, kind);
        worst = std::max(worst, severity);
        count += severity >= *FNotifyAtLeast ? 1 : 0;
    }
    if (count == 0)
        return;
    QApplication::alert(this);
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    auto* tray = findChild<QSystemTrayIcon*>();
    if (tray == nullptr) {
        tray = new QSystemTrayIcon(windowIcon(), this);
        connect(tray, &QSystemTrayIcon::messageClicked, this, [this] { activateWindow(); });
    }
    tray->show();
    tray->showMessage(QStringLiteral("%1 new %2 entries").arg(count).arg(SeverityCaption(worst).toLower()),
                      QFileInfo(FLogFileName).fileName(),
                      worst >= TFBLogSeverity::Error ? QSystemTrayIcon::Critical : QSystemTrayIcon::Warning);
}
