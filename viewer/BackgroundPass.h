#pragma once
// A long pass of the window run on a worker thread, while the window goes on painting, moving
// and showing progress. Input from the user meanwhile is dropped, except Esc, which asks the
// pass to stop; the pass then ends without changing what the window shows.

#include <QObject>

#include <atomic>
#include <exception>
#include <functional>

class QWidget;

// Thrown by the work of a pass where it notices that it was cancelled, to unwind from deep
// inside; Run() takes it as the ordinary end of a cancelled pass.
struct EPassCancelled : std::exception {
    const char* what() const noexcept override { return "The pass was cancelled."; }
};

class TBackgroundPass : public QObject {
    Q_OBJECT
public:
    explicit TBackgroundPass(QWidget* window);
    ~TBackgroundPass() override;
    TBackgroundPass(const TBackgroundPass&) = delete;
    TBackgroundPass& operator=(const TBackgroundPass&) = delete;

    // Runs work on a worker thread and returns once it has ended: true when it ran to its end,
    // false when it was cancelled. An error the work throws is thrown again here.
    bool Run(const std::function<void()>& work);

    // For the work, on any thread.
    bool Cancelled() const noexcept { return FCancelled.load(std::memory_order_relaxed); }
    void ThrowIfCancelled() const;
    // Shows text as the window's caption, from any thread; captions appear in the order given,
    // all of them before Run() returns.
    void ShowCaption(const QString& text);

    void Cancel() noexcept { FCancelled.store(true, std::memory_order_relaxed); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsInWindow(QObject* object) const;

    QWidget* FWindow;
    std::atomic<bool> FCancelled{false};
};
