#pragma once
// The two helpers every pass of the main window uses: the mark that a pass is running, and
// the progress caption.

#include "LogViewerMain.h"

#include "ApplicationInfo.h"
#include "BackgroundPass.h"
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

// The caption of a pass and the worker thread its work runs on: the start text, a progress text
// at most every 500 ms, and the title again when the pass ends, however it ends. While the
// work runs the window paints and moves; Esc cancels a pass whose work checks for it.
class TPassProgress {
    static constexpr std::int64_t kProgressIntervalMs = 500;

public:
    // The work reads the clock once per this many elements, not for each.
    static constexpr std::size_t kElementsPerCheck = 1024;

    TPassProgress(TfmLogViewer& window, const QString& startText) : FWindow(window), FBackground(&window)
    {
        FWindow.setWindowTitle(startText);
        FWindow.LetPendingEventsRun();
        FLastReport = FWindow.FClock();
    }
    ~TPassProgress() { FWindow.setWindowTitle(ApplicationTitle()); }
    TPassProgress(const TPassProgress&) = delete;
    TPassProgress& operator=(const TPassProgress&) = delete;

    // Runs work on a worker thread; false when it stopped because the user cancelled it. The
    // work must not touch the window, its views or their models.
    bool Run(const std::function<void()>& work) { return FBackground.Run(work); }

    // For the work: true when more than 500 ms have passed since the last report.
    bool Due()
    {
        const std::int64_t now = FWindow.FClock();
        if (now - FLastReport <= kProgressIntervalMs)
            return false;
        FLastReport = now;
        return true;
    }
    // For the work, before each element: Due(), checked once per block of elements.
    bool DueAt(std::size_t element) { return element % kElementsPerCheck == 0 && Due(); }
    // For the work: stops it with EPassCancelled once the user cancelled.
    void ThrowIfCancelled() const { FBackground.ThrowIfCancelled(); }

    // From the work: the progress text as the caption.
    void Show(const QString& text) { FBackground.ShowCaption(text); }

private:
    TfmLogViewer& FWindow;
    TBackgroundPass FBackground;
    std::int64_t FLastReport = 0;
};

// "<prefix><done> of <total>", with " (<percent>%)" in two decimals when total is not 0.
QString PassProgressText(const QString& prefix, std::size_t done, std::size_t total);
