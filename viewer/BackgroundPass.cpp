#include "BackgroundPass.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QWindow>
#include <QWidget>

#include <thread>

TBackgroundPass::TBackgroundPass(QWidget* window) : FWindow(window) {}

TBackgroundPass::~TBackgroundPass() = default;

void TBackgroundPass::ThrowIfCancelled() const
{
    if (Cancelled())
        throw EPassCancelled();
}

void TBackgroundPass::ShowCaption(const QString& text)
{
    QMetaObject::invokeMethod(FWindow, [window = QPointer<QWidget>(FWindow), text] {
        if (window)
            window->setWindowTitle(text);
    }, Qt::QueuedConnection);
}

bool TBackgroundPass::Run(const std::function<void()>& work)
{
    FCancelled = false;
    std::exception_ptr failure;
    bool cancelled = false;
    QEventLoop waiting;
    qApp->installEventFilter(this);
    {
        // The loop ends by an event queued behind every caption the work posted.
        const std::jthread worker([&] {
            try {
                work();
            } catch (const EPassCancelled&) {
                cancelled = true;
            } catch (...) {
                failure = std::current_exception();
            }
            QMetaObject::invokeMethod(&waiting, &QEventLoop::quit, Qt::QueuedConnection);
        });
        waiting.exec();
    }
    qApp->removeEventFilter(this);
    if (failure)
        std::rethrow_exception(failure);
    return !cancelled && !Cancelled();
}

bool TBackgroundPass::IsInWindow(QObject* object) const
{
    if (!object->isWidgetType())
        return object->isWindowType() && static_cast<QObject*>(FWindow->windowHandle()) == object;
    const auto* widget = static_cast<QWidget*>(object);
    return widget->window() == FWindow;
}

namespace {

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: return true;
    default: return false;
    }
}

}  // namespace

bool TBackgroundPass::eventFilter(QObject* watched, QEvent* event)
{
    if (!IsUserInput(event->type()) || !IsInWindow(watched))
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Taken as the widget's own key, so that no command's shortcut fires during the pass.
        event->accept();
    } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        Cancel();
    }
    return true;
}
