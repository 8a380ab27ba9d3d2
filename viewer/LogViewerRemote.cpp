// The main window's server logs: "Open from server..." fetches a server's log through the
// Firebird Services API on a worker thread, with the bytes received in the caption and a
// Cancel button (or Esc); what arrives is shown as a file of those bytes would be. F5 fetches
// again; "Save log as..." writes the shown log to a file the user chooses. A failed or
// cancelled fetch leaves the view as it was.

#include "LogViewerMain.h"
#include "LogViewerPasses.h"

#include "ui_LogViewerMain.h"

#include "ApplicationInfo.h"
#include "CommandIcons.h"
#include "ErrorDisplay.h"
#include "FBServiceClient.h"
#include "PasswordKeychain.h"
#include "RemoteLogDialog.h"
#include "StateStore.h"

#include <QAction>
#include <QFileDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTimer>

#include <chrono>
#include <stdexcept>
#include <thread>

// The server whose log is shown (or was last fetched), as whom, and the bytes that came.
struct TRemoteLogSession {
    QString Host;
    TFBCredentials Credentials;
    std::string Bytes;
    TFBFetchOptions Options;
};

// Diagnostics of every fetch (QT_LOGGING_RULES="kestrelon.remote.debug=true" shows them all).
Q_LOGGING_CATEGORY(lcRemoteFetch, "kestrelon.remote")

namespace {

const QString kRemoteServers = QStringLiteral("RemoteServers");
const QString kRemoteUser = QStringLiteral("RemoteUser");
constexpr int kServersKept = 10;
constexpr int kProgressTickMs = 100;
// How long a cancelled fetch is waited for before its thread is left to end on its own (a
// connect to an unreachable host only gives up after its timeout).
constexpr auto kCancelWait = std::chrono::seconds(2);

// What the worker thread and the window share; the worker keeps it alive however long it runs.
struct TFetchState {
    std::atomic<bool> Cancel{false};
    std::atomic<bool> Done{false};
    std::atomic<std::int64_t> Received{0};
    std::string Log;
    std::optional<EFBRemoteError> Error;
};

void RunFetch(TFetchState& state, const std::string& host, const TFBCredentials& credentials,
              const TFBFetchOptions& options)
{
    try {
        state.Log = FetchServerLog(TFBClientLibrary::Load(), host, credentials, &state.Cancel,
                                   [&state](std::int64_t received) { state.Received = received; }, options);
    } catch (const EFBRemoteError& error) {
        state.Error = error;
    } catch (const std::exception& error) {
        state.Error = EFBRemoteError(TFBRemoteFailure::Other, error.what());
    }
    state.Done = true;
}

void EndWorker(std::thread& worker, const TFetchState& state)
{
    const auto deadline = std::chrono::steady_clock::now() + kCancelWait;
    while (!state.Done && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (state.Done)
        worker.join();
    else
        worker.detach();
}

QString FetchCaption(const QString& host, std::int64_t received)
{
    return QStringLiteral("Fetching the log of %1... %2 bytes received").arg(host).arg(received);
}

// Shows the bytes received in the window's caption and a progress dialog until the fetch ends
// (true) or the user cancels it with its button or Esc (false).
bool WaitForFetch(QWidget* window, const QString& host, const TFetchState& state)
{
    QProgressDialog progress(FetchCaption(host, 0), QStringLiteral("Cancel"), 0, 0, window);
    progress.setObjectName(QStringLiteral("pdRemoteFetch"));
    progress.setWindowTitle(ApplicationTitle());
    progress.setMinimumDuration(0);
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &progress, [&] {
        if (state.Done) {
            progress.accept();
            return;
        }
        const QString caption = FetchCaption(host, state.Received);
        window->setWindowTitle(caption);
        progress.setLabelText(caption);
    });
    ticker.start(kProgressTickMs);
    window->setWindowTitle(FetchCaption(host, 0));
    return progress.exec() == QDialog::Accepted;
}

// "db1/3051" becomes "db1_3051.log": a name without the characters file systems refuse.
QString SuggestedFileName(QString host)
{
    return host.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_")) +
           QStringLiteral(".log");
}

QStringList ServersUsedBefore(QWidget* window)
{
    try {
        return TStateStore().ReadStringList(kRemoteServers).value_or(QStringList());
    } catch (const EStateStoreError& error) {
        ShowErrorMessage(window, QString::fromLocal8Bit(error.what()));
        return {};
    }
}

}  // namespace

void TfmLogViewer::SetupRemote()
{
    FRemote = std::make_shared<TRemoteLogSession>();
    QAction* openRemote = AddAction(this, QStringLiteral("Open from &server..."), "acOpenRemote",
                                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    openRemote->setIconText(QStringLiteral("Open from server..."));
    openRemote->setIcon(CommandIcon(TCommandImage::Open));
    openRemote->setToolTip(QStringLiteral("Fetch the log of a Firebird server through its Services API (Ctrl+Shift+O)"));
    // Beside "Open...", whatever the menu bar holds after it.
    const QList<QAction*> bar = ui->ActionMainMenuBar1->actions();
    const qsizetype open = bar.indexOf(ui->acFBLogOpen);
    ui->ActionMainMenuBar1->insertAction(open + 1 < bar.size() ? bar[open + 1] : nullptr, openRemote);

    QAction* saveAs = AddAction(this, QStringLiteral("Save log &as..."), "acSaveLogAs",
                                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    saveAs->setToolTip(QStringLiteral("Write the log shown to a file (Ctrl+Shift+S)"));
    if (auto* logMenu = findChild<QMenu*>(QStringLiteral("mnLog")))
        logMenu->insertAction(findChild<QAction*>(QStringLiteral("acExportVisible")), saveAs);

    // The caption of the name panel says "Server:" for a server's log; it must fit.
    QLabel* nameCaption = FStatusPanels[4];
    nameCaption->setMinimumWidth(nameCaption->fontMetrics().horizontalAdvance(QStringLiteral("Server:")) + 4);

    connect(openRemote, &QAction::triggered, this, Guarded(&TfmLogViewer::acOpenRemoteExecute));
    connect(saveAs, &QAction::triggered, this, Guarded(&TfmLogViewer::acSaveLogAsExecute));
}

bool TfmLogViewer::ShowingServerLog() const
{
    return FLogFileName.isEmpty() && FRemote && !FRemote->Host.isEmpty();
}

QString TfmLogViewer::ServerName() const
{
    return FRemote ? FRemote->Host : QString();
}

std::string_view TfmLogViewer::ServerLogBytes() const
{
    return FRemote->Bytes;
}

void TfmLogViewer::SetRemoteFetchOptions(const TFBFetchOptions& options)
{
    FRemote->Options = options;
}

void TfmLogViewer::acOpenRemoteExecute()
{
    TRemoteLogDialogSetup setup;
    setup.Servers = ServersUsedBefore(this);
    try {
        setup.User = TStateStore().ReadString(kRemoteUser).value_or(QString());
    } catch (const EStateStoreError&) {
        // A user name of the wrong type is only a lost suggestion.
    }
    if (const std::optional<TRemoteLogRequest> request = AskForRemoteLog(this, setup))
        OpenServerLog(*request);
}

bool TfmLogViewer::OpenServerLog(const TRemoteLogRequest& request)
{
    const TFBCredentials credentials{request.User.toStdString(), request.Password.toStdString(),
                                     request.Role.toStdString()};
    std::optional<std::string> bytes = FetchShowingProgress(request.Host, credentials);
    if (!bytes)
        return false;
    // A load cancelled with Esc leaves the log shown before, and what it came from.
    TRemoteLogSession previous{request.Host, credentials, std::move(*bytes), FRemote->Options};
    std::swap(previous, *FRemote);
    const QString previousFile = std::exchange(FLogFileName, QString());
    if (!RunLoadSequence(true)) {
        std::swap(previous, *FRemote);
        FLogFileName = previousFile;
        ShowFileName();
        return false;
    }
    RememberServer(request);
    return true;
}

void TfmLogViewer::RefetchServerLog()
{
    std::optional<std::string> bytes = FetchShowingProgress(FRemote->Host, FRemote->Credentials);
    if (!bytes)
        return;
    std::swap(FRemote->Bytes, *bytes);
    if (!ReloadKeepingView(QStringLiteral("The log was fetched again from the server.")))
        std::swap(FRemote->Bytes, *bytes);
}

std::optional<std::string> TfmLogViewer::FetchShowingProgress(const QString& host, const TFBCredentials& credentials)
{
    const TPassScope busy(*this);
    qCDebug(lcRemoteFetch, "fetching the log of %s as %s", qPrintable(host), credentials.User.c_str());
    QElapsedTimer clock;
    clock.start();
    auto state = std::make_shared<TFetchState>();
    std::thread worker([state, host = host.toStdString(), credentials, options = FRemote->Options] {
        RunFetch(*state, host, credentials, options);
    });

    const bool cancelled = !WaitForFetch(this, host, *state);
    setWindowTitle(ApplicationTitle());
    state->Cancel = true;
    EndWorker(worker, *state);
    if (cancelled) {
        qCInfo(lcRemoteFetch, "fetching the log of %s was cancelled after %lld ms", qPrintable(host),
               static_cast<long long>(clock.elapsed()));
        ShowLiveState(QStringLiteral("Fetching the log of %1 was cancelled.").arg(host));
        return std::nullopt;
    }
    if (state->Error) {
        qCWarning(lcRemoteFetch, "fetching the log of %s failed (category %d): %s", qPrintable(host),
                  static_cast<int>(state->Error->Failure()), state->Error->what());
        ShowErrorMessage(this, QString::fromLocal8Bit(state->Error->what()));
        return std::nullopt;
    }
    qCDebug(lcRemoteFetch, "fetched %zu bytes of %s in %lld ms", state->Log.size(), qPrintable(host),
            static_cast<long long>(clock.elapsed()));
    return std::move(state->Log);
}

void TfmLogViewer::RememberServer(const TRemoteLogRequest& request)
{
    QStringList servers = ServersUsedBefore(this);
    servers.removeAll(request.Host);
    servers.prepend(request.Host);
    TStateStore store;
    store.WriteStringList(kRemoteServers, servers.mid(0, kServersKept));
    store.WriteString(kRemoteUser, request.User);
    if (const std::optional<QString> error = store.Sync())
        ShowErrorMessage(this, *error);

    // The password goes to the keychain or nowhere; unticking forgets a kept one.
    const QString key = PasswordKey(request.Host, request.User);
    const TPasswordKeychain& keychain = PasswordKeychain();
    if (!keychain.UnavailableReason().isEmpty())
        return;
    if (!request.Remember) {
        // Most often nothing was kept: a failure to forget is no news for the user.
        if (const std::optional<QString> error = keychain.Forget(key))
            qCInfo(lcRemoteFetch, "the keychain could not forget a password: %s", qPrintable(*error));
        return;
    }
    if (const std::optional<QString> error = keychain.Keep(key, request.Password))
        ShowErrorMessage(this, QStringLiteral("The password could not be kept in the desktop's keychain: %1")
                                   .arg(*error));
}

void TfmLogViewer::acSaveLogAsExecute()
{
    if (!FParser)
        throw std::runtime_error("No log is shown: open a log file or a server's log first.");
    const QString suggested =
        ShowingServerLog() ? SuggestedFileName(FRemote->Host) : QFileInfo(FLogFileName).fileName();
    const QString fileName = QFileDialog::getSaveFileName(this, QStringLiteral("Save log as"), suggested,
                                                          QStringLiteral("Log files (*.log);;All files (*)"));
    if (!fileName.isEmpty())
        SaveLogAs(fileName);
}

void TfmLogViewer::SaveLogAs(const QString& fileName)
{
    if (!FParser)
        throw std::runtime_error("No log is shown: open a log file or a server's log first.");
    // The log is only ever read: it is never the file written.
    if (SameFile(fileName, FLogFileName))
        throw std::runtime_error("The log cannot be saved over the file it was read from: " + fileName.toStdString());
    std::string fileBytes;
    std::string_view bytes = FRemote->Bytes;
    if (!ShowingServerLog())
        bytes = fileBytes = FParser->ReadRange(0, FParser->FileSize());
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), static_cast<qint64>(bytes.size())) < 0 ||
        !file.commit())
        throw std::runtime_error("Cannot write file \"" + fileName.toStdString() + "\". " +
                                 file.errorString().toStdString());
    ShowLiveState(QStringLiteral("The log was saved as %1.").arg(fileName));
}
