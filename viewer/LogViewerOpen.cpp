// The ways a log is opened in the main window: "&Open...", the list of recent logs beside it, and
// a file dropped onto the window.

#include "LogViewerMain.h"
#include "LogViewerPasses.h"

#include "ui_LogViewerMain.h"

#include "ErrorDisplay.h"
#include "FBLogFile.h"
#include "FileChooser.h"
#include "WaitCursor.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

namespace {

constexpr int kRecentLogsKept = 10;

// The one local file that dragged data names, or nothing when it names none or several.
std::optional<QString> DroppedFile(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1 || !data->urls().constFirst().isLocalFile())
        return std::nullopt;
    return data->urls().constFirst().toLocalFile();
}

QString SameFileKey(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

}  // namespace

QStringList WithRecentLog(QStringList recent, const QString& path)
{
    const QString key = SameFileKey(path);
    recent.removeIf([&](const QString& earlier) { return SameFileKey(earlier) == key; });
    recent.prepend(path);
    while (recent.size() > kRecentLogsKept)
        recent.removeLast();
    return recent;
}

void TfmLogViewer::acFBLogOpenExecute()
{
    TFileOpenRequest request{
        QStringLiteral("Select Firebird/Interbase log file"),
        QStringLiteral("Known log files (firebird.log interbase.log);;interbase.log (interbase.log);;"
                       "firebird.log (firebird.log);;All log files (*.log);;All files (*)"),
        QStringLiteral("log"), QString()};
    if (!FLogFileName.isEmpty())
        request.StartFolder = QFileInfo(FLogFileName).absolutePath();
    const QString chosen = ChooseFileToOpen(this, request);
    if (!chosen.isEmpty())
        OpenLog(chosen);
}

void TfmLogViewer::OpenLog(const QString& path)
{
    // A name in a folder that is not there opens nothing: the view and the saved log stay.
    if (const std::optional<QString> problem = MissingFolderProblem(path)) {
        ShowErrorMessage(this, *problem);
        return;
    }
    const TWaitCursor wait;
    // A load cancelled with Esc leaves the log shown before.
    const QString previous = std::exchange(FLogFileName, path);
    if (!RunLoadSequence(true)) {
        FLogFileName = previous;
        ShowFileName();
        return;
    }
    RememberOpenedLog();
}

void TfmLogViewer::RememberOpenedLog()
{
    // Kept whole, so that a name given relative to the folder of one start opens at the next.
    if (FileExists(LocalPath(FLogFileName)))
        FRecentLogs = WithRecentLog(FRecentLogs, QFileInfo(FLogFileName).absoluteFilePath());
}

void TfmLogViewer::SetupRecentLogs()
{
    mnRecent = new QMenu(QStringLiteral("&Recent"), this);
    mnRecent->setObjectName(QStringLiteral("mnRecent"));
    mnRecent->setToolTipsVisible(true);
    // Right after "&Open...", before the menus that follow it.
    const QList<QAction*> bar = ui->ActionMainMenuBar1->actions();
    const qsizetype open = bar.indexOf(ui->acFBLogOpen);
    ui->ActionMainMenuBar1->insertMenu(open + 1 < bar.size() ? bar[open + 1] : nullptr, mnRecent);
    connect(mnRecent, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
    setAcceptDrops(true);
}

void TfmLogViewer::FillRecentMenu()
{
    mnRecent->clear();
    for (qsizetype i = 0; i < FRecentLogs.size(); ++i) {
        const QString path = FRecentLogs[i];
        QAction* item = mnRecent->addAction(QStringLiteral("&%1 %2").arg((i + 1) % 10).arg(DisplayFileName(QDir::toNativeSeparators(path))));
        item->setObjectName(QStringLiteral("miRecent%1").arg(i + 1));
        // A log that is gone stays listed, greyed: it may come back (a share that is offline).
        const bool present = FileExists(LocalPath(path));
        item->setEnabled(present);
        if (!present)
            item->setToolTip(QStringLiteral("The file is not there now"));
        connect(item, &QAction::triggered, this, [this, path] { RunCommand(this, [&] { OpenLog(path); }); });
    }
    if (FRecentLogs.isEmpty())
        mnRecent->addAction(QStringLiteral("No logs opened yet"))->setEnabled(false);
    mnRecent->addSeparator();
    QAction* clear = mnRecent->addAction(QStringLiteral("&Clear the list"));
    clear->setObjectName(QStringLiteral("miRecentClear"));
    clear->setEnabled(!FRecentLogs.isEmpty());
    connect(clear, &QAction::triggered, this, [this] { FRecentLogs.clear(); });
}

void TfmLogViewer::dragEnterEvent(QDragEnterEvent* event)
{
    if (DroppedFile(event->mimeData()) && !PassRunning())
        event->acceptProposedAction();
}

void TfmLogViewer::dropEvent(QDropEvent* event)
{
    const std::optional<QString> file = DroppedFile(event->mimeData());
    if (!file || PassRunning())
        return;
    event->acceptProposedAction();
    // The drop ends before the log loads, so the application that dragged is not kept waiting.
    QMetaObject::invokeMethod(this, [this, path = *file] { RunCommand(this, [&] { OpenLog(path); }); },
                              Qt::QueuedConnection);
}
