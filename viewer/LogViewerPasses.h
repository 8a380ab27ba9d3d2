#pragma once
// The two helpers every pass of the main window uses: the mark that a pass is running, and
// the progress caption.

#include "LogViewerMain.h"

#include "ApplicationInfo.h"
#include "LocalFileNames.h"

// A command with its object name and shortcut, added to the widget that owns it.
QAction* AddAction(QWidget* owner, const QString& caption, const char* name, const QKeySequence& keys = {});


// True when both name the same existing file (through links too): the log is never written.
bool SameFile(const QString& a, const QString& b);

// Marks a pass (or a sequence of passes) as running, so that commands arriving while it lets
// events run leave it alone; a close asked for meanwhile happens when the outermost one ends.
class TPassScope {
public:
    explicit TPassScope(TfmLogViewer& window) : FWindow(window) { ++FWindow.FPassDepth; }
    ~TPassScope()
    {
        if (--FWindow.FPassDepth == 0)
            FWindow.PassEnded();
    }
    TPassScope(const TPassScope&) = delete;
    TPassScope& operator=(const TPassScope&) = delete;

private:
    TfmLogViewer& FWindow;
};

// The caption of a pass: its start text, a progress text at most every 500 ms with pending
// events let run, and the title again when the pass ends, however it ends.
class TPassProgress {
    static constexpr std::int64_t kProgressIntervalMs = 500;

public:
    TPassProgress(TfmLogViewer& window, const QString& startText) : FWindow(window)
    {
        FWindow.setWindowTitle(startText);
        FWindow.LetPendingEventsRun();
        FLastReport = FWindow.FClock();
    }
    ~TPassProgress() { FWindow.setWindowTitle(ApplicationTitle()); }
    TPassProgress(const TPassProgress&) = delete;
    TPassProgress& operator=(const TPassProgress&) = delete;

    // True when more than 500 ms have passed since the last report.
    bool Due()
    {
        const std::int64_t now = FWindow.FClock();
        if (now - FLastReport <= kProgressIntervalMs)
            return false;
        FLastReport = now;
        return true;
    }

    void Show(const QString& text)
    {
        FWindow.setWindowTitle(text);
        FWindow.LetPendingEventsRun();
    }

private:
    TfmLogViewer& FWindow;
    std::int64_t FLastReport = 0;
};

