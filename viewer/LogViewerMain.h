#pragma once
// The main window: the message list with its text and description panes, the days table,
// the date filter, the status bar, and the passes that load a log and fill the views.

#include "ErrorDisplay.h"
#include "FBLogClassifier.h"
#include "FBLogDays.h"
#include "FBLogFileWatch.h"
#include "FBLogNarrowing.h"
#include "FBLogRecords.h"
#include "FBLogSearch.h"
#include "FBLogTimeline.h"
#include "LayoutStore.h"
#include "LogEncodingChoices.h"
#include "uFBLogDescriptor.h"
#include "uFBLogParser.h"

#include <QDate>
#include <QMainWindow>

#include <array>
#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <utility>

namespace Ui {
class TfmLogViewer;
}
class QComboBox;
class QDockWidget;
class QFileSystemWatcher;
class QTimer;
class QLabel;
class QMenu;
class QDateTimeEdit;
class QSortFilterProxyModel;
class QTableView;
template <typename T>
class QFutureWatcher;
class TDaysModel;
class TStateStore;
class TPassProgress;
class TFindBar;
class TKindsModel;
class TLogMessagesModel;
class TTimelineChart;
struct TFBCredentials;
struct TFBFetchOptions;
struct TRemoteLogRequest;
struct TRemoteLogSession;

// The first argument after the program's name that names an existing file, exactly as written.
QString FirstExistingFileArgument(const QStringList& arguments);

// The recent logs with this one put first (a name of the same file listed earlier goes), at most
// ten.
QStringList WithRecentLog(QStringList recent, const QString& path);

// The dates a computed choice of the date filter stands for, from the given day; nothing for
// "Custom " (the pickers stay as they are) or no choice.
std::optional<std::pair<QDate, QDate>> DateFilterRange(int choice, QDate today);

class TfmLogViewer : public QMainWindow {
    Q_OBJECT
public:
    // Date-filter choices, the item indexes of cbShowDateFilter.
    enum TDateFilter { dfAllRecords, dfTodayOnly, dfThisWeek, dfThisMonth, dfCustom };

    // The first argument after the program's name that names an existing file is the log to show;
    // without arguments, the application's own.
    explicit TfmLogViewer(QWidget* parent = nullptr, std::optional<QStringList> arguments = std::nullopt);
    ~TfmLogViewer() override;

    // The passes. Each restores the caption and cursor however it ends; errors go to the caller.
    // LoadLogFile and FillMessageList return false when the user cancelled them with Esc; what
    // the window showed before then stays.
    bool LoadLogFile();
    void CalculateDays();
    bool FillMessageList(double from, double to);

    void ShowFileName();
    void ShowFileSize(std::int64_t size);
    void ShowMessageCount();

    const QString& LogFileName() const { return FLogFileName; }
    const TFBLogParser* Parser() const { return FParser.get(); }
    const FBLogsMsgs& LogMsgs() const { return FLogMsgs; }
    const TFBLogDescriptor* Descriptor() const { return FDescriptor.get(); }
    TLogMessagesModel* MessagesModel() const { return FMessagesModel; }
    TDaysModel* DaysModel() const { return FDaysModel; }
    TKindsModel* KindsModel() const { return FKindsModel; }
    TFindBar* FindBar() const { return FFindBar; }
    // Every entry's kind, by position in LogMsgs.
    const FBLogKinds& Kinds() const { return FKinds; }
    // True from the start of a search on the worker threads until its result is shown.
    bool SearchRunning() const;
    QString StatusPanelText(int panel) const;
    // True while a pass runs (and lets pending events run in between).
    bool PassRunning() const { return FPassDepth > 0; }

    // The millisecond clock that paces progress reports; tests make passes report often.
    void SetProgressClock(FBLogClock clock);

    // Commands of the menu bar.
    void acFBLogOpenExecute();
    // Shows the log of this path, as "&Open..." does; a path in a missing folder changes nothing.
    void OpenLog(const QString& path);
    // The logs opened last, the latest first.
    const QStringList& RecentLogs() const { return FRecentLogs; }
    void acGetSupportExecute();
    void AboutExecute();
    void acExitExecute();

    // The date filter.
    void cbShowDateFilterChange();
    void btApplyDTFilterClick();
    void dtpDFCustomDateChange();

    // The days table: its popup menu, title clicks, double click and Enter.
    void miMsgDaysReloadAllClick();
    void miMsgDaysShowOnlyThisDayClick();
    void pmMsgDaysPopup();
    void dbgDaysTitleBtnClick(int column);
    void dbgDaysDblClick();
    void dbgDaysKeyPress(int key);
    // True while the chosen day stays highlighted with the focus elsewhere.
    bool DaysAlwaysShowSelection() const { return FDaysAlwaysShowSelection; }

    // The message list: header clicks, the selection and its popup menu.
    void VirtualStringTree1HeaderClick(int column);
    void VirtualStringTree1Change();
    void pmvstLogsPopup();
    void mivstShowThisDateOnlyClick();
    void mivstShowAllLogClick();

    // Finding and narrowing: the find bar, the kinds view and its severity choice.
    void acFindExecute();
    void FindBarSearchChange();
    void FindBarOnlyMatchingChange();
    void FindBarClose();
    void acFindNextExecute();
    void acFindPreviousExecute();
    void KindsChange();
    void cbSeverityAtLeastChange();
    void pmKindsPopup();
    void miKindsShowAllClick();
    void miKindsShowOnlyThisClick();
    void miKindsHideFacilityClick();
    // Copying: the selected entries' texts as the log holds them, or their visible columns.
    void acCopyExecute();
    void acCopyAsTableExecute();

    // The live log: what the server appends is taken in as it arrives (checked on the file
    // system's notices and once a second); Follow keeps the newest entry selected; F5 reads the
    // log again keeping the view.
    void CheckLogFile();
    void acReloadExecute();
    void acFollowToggle(bool on);
    bool Following() const;
    // The least severity of arriving entries that a desktop notice is given for; nothing: none.
    std::optional<TFBLogSeverity> NotifyAtLeast() const { return FNotifyAtLeast; }
    void SetNotifyAtLeast(std::optional<TFBLogSeverity> severity);
    // The timeline: a click on a bar shows its day (or week, month), a drag its span, and a double
    // click or Esc the range shown before.
    TTimelineChart* TimelineChart() const { return FTimelineChart; }
    void TimelineBarsChosen(double start, double end);
    void TimelineBack();

    // The text encoding of the log, what every view decodes its bytes with: the Encoding menu
    // chooses one for the log, or nothing for the automatic choice again.
    void SetLogEncoding(std::optional<TFBLogEncoding> encoding);

    // Writes the list's rows, in list order, as text, CSV or JSON lines.
    void acExportVisibleExecute();
    void ExportVisibleEntries(const QString& fileName, TFBLogRecordFormat format);

    // A server's log, fetched through the Firebird Services API and shown as a file of those
    // bytes would be; F5 fetches it again. "Save log as..." writes the log shown to a new file.
    void acOpenRemoteExecute();
    void acSaveLogAsExecute();
    // Fetches and shows the log; false, with the view as it was, when it failed or was cancelled.
    bool OpenServerLog(const TRemoteLogRequest& request);
    void SaveLogAs(const QString& fileName);
    bool ShowingServerLog() const;
    QString ServerName() const;
    // How fetches read; tests make them read in small pieces.
    void SetRemoteFetchOptions(const TFBFetchOptions& options);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    friend class TPassScope;
    friend class TPassProgress;

    void FormCreate(const QStringList& arguments);
    void FormActivate();
    // The first load happens once: on the first activation, or shortly after the window is
    // first shown where the desktop never activates it.
    void LoadOnce();
    void FormDestroy();
    void LoadState(const QString& commandLineFile);
    // Both return the reason when the file could not be saved (the one saved before stays).
    std::optional<QString> SaveState();
    void LoadFindingState(const TStateStore& store);
    void LoadEncodingState(const TStateStore& store);
    void SaveEncodingState(TStateStore& store) const;

    void SetupMenus();
    void SetupRecentLogs();
    void FillRecentMenu();
    void RememberOpenedLog();
    void SetupLiveLog();
    void SetupTimeline();
    void SetupEncoding();
    void UseEncoding(TFBLogEncoding encoding);
    void ApplyEncoding(TFBLogEncoding encoding);
    void ShowEncoding();
    void RefreshTimeline(double start, double end);
    void ShowDateRange(int choice, QDate from, QDate to);
    void StartWatchingLogFile();
    void TakeInAppendedEntries();
    // False when the user cancelled the load; the view then stays as it was.
    bool ReloadKeepingView(const QString& why);
    void ShowNewestEntry();
    void StopFollowingOnUserMove();
    void NotifyAboutArrivals(const FBLogKinds& kinds);
    void ShowLiveState(const QString& text);
    void SetupStatusBar();
    void SetupRemote();
    std::string_view ServerLogBytes() const;
    void RefetchServerLog();
    std::optional<std::string> FetchShowingProgress(const QString& host, const TFBCredentials& credentials);
    void RememberServer(const TRemoteLogRequest& request);
    void SetupViews();
    int SizeDaysColumns();
    void ConnectControls();

    // The passes of a load, one after the other; false when the user cancelled one.
    bool RunLoadSequence(bool fallBackToAllRecords);
    // A log read on a worker thread, not shown yet.
    struct TScannedLog {
        std::unique_ptr<TFBLogParser> Parser;
        FBLogsMsgs Msgs;
        std::int64_t ScanEnd = 0;
        TFBLogEncoding Encoding = TFBLogEncoding::Utf8;
    };
    void ScanLogFile(TPassProgress& progress, TScannedLog& scanned) const;
    // Shows the scanned log in place of the old one, with an empty list and days table.
    void ReplaceLog(TScannedLog& scanned);
    void SelectRows(const TFBLogNarrowing& narrowing, TPassProgress& progress, TLargeVector<std::uint32_t>& entries) const;
    // Sets the date filter back to what the list's rows were chosen by.
    void ShowFilterOfList();
    void FallBackToAllRecords();
    void SetDateFilterChoice(int index);
    void SetPickerDate(QDateTimeEdit* picker, QDate date);
    void SetPickerDates(QDate from, QDate to);
    void SetPickersEnabled(bool enabled);
    double PickerTimestamp(const QDateTimeEdit* picker) const;

    void ConnectViews();
    void SetupFinding();
    void SetupKindsView();
    void ConnectFinding();
    // Classifying a new log runs on worker threads while the days and the list are filled; what
    // needs the kinds waits for it, and the load sequence ends with it.
    void StartClassifying();
    bool ClassificationPending() const { return FClassified.valid(); }
    void FinishClassifying();
    // Drops the classification of a log about to go, once its threads have stopped.
    void StopClassifying();
    // The first and last moment of the days the date pickers choose: the range the list shows.
    std::pair<double, double> PickedDateRange() const;
    // By kind, whether the kinds pane and the severity choice show its entries.
    std::vector<bool> KindsShown() const;
    bool KindsNarrowList() const;
    TFBLogNarrowing Narrowing(double start, double end) const;
    void RefreshKinds(double start, double end);
    // The counts of the kinds in the date range, when the kinds view does not show them yet;
    // for a worker thread.
    std::optional<std::vector<TFBLogKindSummary>> KindsToCount(double start, double end) const;
    void ShowKinds(double start, double end, std::vector<TFBLogKindSummary> summaries);
    void RefillMessageList();
    void CancelSearch();
    void RunSearchNow();
    void SearchFinished(std::uint64_t generation);
    void SearchResultChanged();
    bool RowMatchesSearch(int row) const;
    void MoveToMatch(int step);
    void ShowFindResult();
    void HighlightMatches();
    QList<int> SelectedRowsInListOrder() const;
    // A handler for a signal: a command that arrives while a pass lets events run is ignored,
    // so the pass is never disturbed (input from the user waits for the pass to end; this
    // catches the rest), and its errors go to the error display.
    template <typename... Args>
    auto Guarded(void (TfmLogViewer::*handler)(Args...))
    {
        return [this, handler](Args... arguments) {
            if (!PassRunning())
                RunCommand(this, [&] { (this->*handler)(arguments...); });
        };
    }
    void ShowListSortMark();
    // Sorts the list in a pass; false when the user cancelled it, and the rows stay as they were.
    bool SortList(int column, Qt::SortOrder order);
    void SortListAgain();
    int SelectedListRow() const;
    int CurrentDaysRow() const;
    void ShowOnlyDay(double dateTime);
    void SetDaysAlwaysShowSelection(bool on);

    void RestoreLayout();
    // Makes the window no larger than the screen's free area and moves it fully onto it; with
    // centre, into its middle.
    void FitIntoScreen(bool centre);
    std::optional<QString> StoreLayout();
    // Saves the layout and the state at close, and tells the user once when either failed.
    void SaveAtClose();
    void LetPendingEventsRun();
    // Runs the action once the running pass (and any around it) is over.
    void RunAfterPass(std::function<void()> action);
    void PassEnded();

    std::unique_ptr<Ui::TfmLogViewer> ui;
    TLogMessagesModel* FMessagesModel = nullptr;
    TDaysModel* FDaysModel = nullptr;
    QMenu* pmMsgDays = nullptr;
    QMenu* pmvstLogs = nullptr;
    std::array<QLabel*, 6> FStatusPanels{};

    QString FLogFileName;
    QStringList FRecentLogs;
    QMenu* mnRecent = nullptr;
    std::unique_ptr<TFBLogParser> FParser;
    FBLogsMsgs FLogMsgs;
    std::unique_ptr<TFBLogDescriptor> FDescriptor;
    FBLogKinds FKinds;
    // The kinds of a new log and its counts per day and kind, while being worked out.
    struct TClassifiedLog {
        FBLogKinds Kinds;
        TFBLogDayRuns DayRuns;
    };
    std::atomic<bool> FStopClassifying{false};
    std::future<TClassifiedLog> FClassified;

    TFindBar* FFindBar = nullptr;
    TKindsModel* FKindsModel = nullptr;
    QSortFilterProxyModel* FKindsProxy = nullptr;
    QDockWidget* dwKinds = nullptr;
    QTableView* tvKinds = nullptr;
    QComboBox* cbSeverityAtLeast = nullptr;
    QMenu* pmKinds = nullptr;
    // The kinds view counts this date range; it is counted again only when the range or the
    // log changes.
    std::optional<std::pair<double, double>> FKindsRange;
    // The search whose matches are known, and those matches; a search on the worker threads
    // replaces both when it ends, unless a newer one (or a new log) came meanwhile.
    std::shared_ptr<const TFBLogSearch> FSearch;
    std::optional<TFBLogEntrySet> FSearchMatches;
    QFutureWatcher<TFBLogEntrySet>* FSearchWatcher = nullptr;
    std::shared_ptr<std::atomic<bool>> FSearchCancel;
    std::shared_ptr<const TFBLogSearch> FPendingSearch;
    std::uint64_t FSearchGeneration = 0;
    int FPendingMove = 0;  // +1 or -1: a move to the next or previous match waits for the search

    QFileSystemWatcher* FFileWatcher = nullptr;
    QTimer* FWatchTimer = nullptr;
    std::unique_ptr<TFBLogFileWatch> FFileWatch;
    std::int64_t FScanEnd = 0;  // where the last complete entry read ends
    TFBLogDayCounter FDayCounter;
    QLabel* laLiveState = nullptr;
    bool FMovingToNewest = false;
    std::optional<TFBLogSeverity> FNotifyAtLeast = TFBLogSeverity::Critical;
    int FListSortColumn = -1;  // the column the list's rows are ordered by; -1: log order

    TLogEncodingChoices FEncodingChoices;
    TFBLogDecoder FDecoder;
    QMenu* mnEncoding = nullptr;
    QLabel* laEncoding = nullptr;

    TTimelineChart* FTimelineChart = nullptr;
    QDockWidget* dwTimeline = nullptr;
    TFBLogDayRuns FDayRuns;
    // The ranges shown before each choice made on the timeline, the latest last.
    struct TShownRange {
        int Choice;
        QDate From;
        QDate To;
    };
    std::vector<TShownRange> FRangesBefore;
    // The date filter the rows of the list were chosen by; none before the first fill of a log.
    std::optional<TShownRange> FListFilter;

    std::shared_ptr<TRemoteLogSession> FRemote;

    std::unique_ptr<TLayoutStore> FLayout;
    bool FLayoutRestored = false;
    bool FLayoutStored = false;
    bool FStateSaved = false;
    bool FFirstLoadDone = false;
    int FPassDepth = 0;
    bool FCloseRequested = false;
    std::vector<std::function<void()>> FAfterPass;
    FBLogClock FClock;

    // The list's sort direction flips on every header click; the first click sorts descending.
    Qt::SortOrder FListSortOrder = Qt::AscendingOrder;
    // The days table's sort mark: a click on a new title marks it "up" (descending), a further
    // click on the same title flips between "up" and "down" (ascending).
    enum class TSortMarker { None, Up, Down };
    int FDaysSortColumn = -1;
    TSortMarker FDaysSortMarker = TSortMarker::None;
    bool FDaysAlwaysShowSelection = false;
};
