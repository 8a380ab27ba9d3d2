#pragma once
// The main window: the message list with its text and description panes, the days table,
// the date filter, the status bar, and the passes that load a log and fill the views.

#include "LayoutStore.h"
#include "uFBLogDescriptor.h"
#include "uFBLogParser.h"

#include <QDate>
#include <QMainWindow>

#include <array>
#include <memory>

namespace Ui {
class TfmLogViewer;
}
class QLabel;
class QMenu;
class QDateTimeEdit;
class TDaysModel;
class TLogMessagesModel;

// The first argument after the program's name that names an existing file, exactly as written.
QString FirstExistingFileArgument(const QStringList& arguments);

class TfmLogViewer : public QMainWindow {
    Q_OBJECT
public:
    // Date-filter choices, the item indexes of cbShowDateFilter.
    enum TDateFilter { dfAllRecords, dfTodayOnly, dfThisWeek, dfThisMonth, dfCustom };

    explicit TfmLogViewer(QWidget* parent = nullptr);
    ~TfmLogViewer() override;

    // The passes. Each restores the caption and cursor however it ends; errors go to the caller.
    void LoadLogFile();
    void CalculateDays();
    void FillMessageList(double from, double to);

    void ShowFileName();
    void ShowFileSize(std::int64_t size);
    void ShowMessageCount();

    const QString& LogFileName() const { return FLogFileName; }
    const TFBLogParser* Parser() const { return FParser.get(); }
    const FBLogsMsgs& LogMsgs() const { return FLogMsgs; }
    const TFBLogDescriptor* Descriptor() const { return FDescriptor.get(); }
    TLogMessagesModel* MessagesModel() const { return FMessagesModel; }
    TDaysModel* DaysModel() const { return FDaysModel; }
    QString StatusPanelText(int panel) const;
    // True while a pass runs (and lets pending events run in between).
    bool PassRunning() const { return FPassDepth > 0; }

    // The millisecond clock that paces progress reports; tests make passes report often.
    void SetProgressClock(FBLogClock clock);

    // Commands of the menu bar.
    void acFBLogOpenExecute();
    void acGetSupportExecute();
    void AboutExecute();
    void acExitExecute();

    // The date filter.
    void cbShowDateFilterChange();
    void btApplyDTFilterClick();
    void dtpDFCustomDateChange();

    // The days table's popup menu.
    void miMsgDaysReloadAllClick();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    friend class TPassScope;
    friend class TPassProgress;

    void FormCreate();
    void FormActivate();
    void FormDestroy();
    void LoadState(const QString& commandLineFile);
    void SaveState();

    void SetupMenus();
    void SetupStatusBar();
    void SetupViews();
    int SizeDaysColumns();
    void ConnectControls();

    void RunLoadSequence(bool fallBackToAllRecords);
    void ScanLogFile();
    void FallBackToAllRecords();
    void SetDateFilterChoice(int index);
    void SetPickerDate(QDateTimeEdit* picker, QDate date);
    void SetPickerDates(QDate from, QDate to);
    void SetPickersEnabled(bool enabled);
    double PickerTimestamp(const QDateTimeEdit* picker) const;

    void RestoreLayout();
    void StoreLayout();
    void LetPendingEventsRun();
    void PassEnded();

    std::unique_ptr<Ui::TfmLogViewer> ui;
    TLogMessagesModel* FMessagesModel = nullptr;
    TDaysModel* FDaysModel = nullptr;
    QMenu* pmMsgDays = nullptr;
    QMenu* pmvstLogs = nullptr;
    std::array<QLabel*, 6> FStatusPanels{};

    QString FLogFileName;
    std::unique_ptr<TFBLogParser> FParser;
    FBLogsMsgs FLogMsgs;
    std::unique_ptr<TFBLogDescriptor> FDescriptor;

    std::unique_ptr<TLayoutStore> FLayout;
    bool FLayoutRestored = false;
    bool FLayoutStored = false;
    bool FActivated = false;
    int FPassDepth = 0;
    bool FCloseRequested = false;
    FBLogClock FClock;
};
