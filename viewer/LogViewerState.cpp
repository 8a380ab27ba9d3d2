// The main window's saved state: the last log, the date filter, the kinds, the searches, the
// notice choice, the timeline and the encodings, read at start and written at close.

#include "LogViewerMain.h"
#include "LogViewerPasses.h"

#include "ui_LogViewerMain.h"

#include "ErrorDisplay.h"
#include "FBLogDateTime.h"
#include "FindBar.h"
#include "KindsModel.h"
#include "StateStore.h"
#include "Timestamps.h"

#include <QComboBox>
#include <QDockWidget>

namespace {

const QString kOpenFile = QStringLiteral("OpenFile");
const QString kDisplayStartDate = QStringLiteral("DisplayStartDate");
const QString kDisplayEndDate = QStringLiteral("DisplayEndDate");
const QString kDateFilter = QStringLiteral("DateFilter");
const QString kHiddenKinds = QStringLiteral("HiddenKinds");
const QString kSeverityAtLeast = QStringLiteral("SeverityAtLeast");
const QString kNotifySeverity = QStringLiteral("NotifySeverity");
const QString kTimelineVisible = QStringLiteral("TimelineVisible");
const QString kSearchHistory = QStringLiteral("SearchHistory");
const QString kRecentLogs = QStringLiteral("RecentLogs");
const QString kLogEncodings = QStringLiteral("LogEncodings");
const QString kLegacyEncoding = QStringLiteral("LegacyEncoding");

// Runs a read of the saved state; a value of the wrong type is reported and counts as absent.
template <typename Read>
auto ReadReportingErrors(QWidget* window, Read&& read) -> decltype(read())
{
    try {
        return read();
    } catch (const EStateStoreError& e) {
        ShowErrorMessage(window, QString::fromLocal8Bit(e.what()));
        return std::nullopt;
    }
}

}  // namespace

void TfmLogViewer::LoadState(const QString& commandLineFile)
{
    const TStateStore store;
    if (!commandLineFile.isEmpty())
        FLogFileName = commandLineFile;
    else
        FLogFileName = ReadReportingErrors(this, [&] { return store.ReadString(kOpenFile); }).value_or(QString());
    FRecentLogs = ReadReportingErrors(this, [&] { return store.ReadStringList(kRecentLogs); }).value_or(QStringList());

    const auto restorePicker = [&](QDateTimeEdit* picker, const QString& name) {
        const auto stored = ReadReportingErrors(this, [&] { return store.ReadDateTime(name); });
        if (stored && IsValidTimestamp(*stored))
            SetPickerDate(picker, TimestampDate(*stored));
    };
    restorePicker(ui->dtpDFFrom, kDisplayStartDate);
    restorePicker(ui->dtpDFTo, kDisplayEndDate);

    LoadFindingState(store);
    LoadEncodingState(store);
    const auto filter = ReadReportingErrors(this, [&] { return store.ReadInteger(kDateFilter); });
    if (filter && *filter >= dfAllRecords && *filter <= dfCustom)
        SetDateFilterChoice(*filter);
    RunCommand(this, [this] { cbShowDateFilterChange(); });
}

void TfmLogViewer::LoadFindingState(const TStateStore& store)
{
    std::set<std::string> hidden;
    for (const QString& matchText : ReadReportingErrors(this, [&] { return store.ReadStringList(kHiddenKinds); }).value_or(QStringList()))
        hidden.insert(matchText.toStdString());
    FKindsModel->SetHiddenMatchTexts(std::move(hidden));
    const auto severity = ReadReportingErrors(this, [&] { return store.ReadInteger(kSeverityAtLeast); });
    if (severity && *severity >= 0 && *severity < cbSeverityAtLeast->count())
        cbSeverityAtLeast->setCurrentIndex(*severity);
    FFindBar->SetHistory(ReadReportingErrors(this, [&] { return store.ReadStringList(kSearchHistory); }).value_or(QStringList()));
    const auto timeline = ReadReportingErrors(this, [&] { return store.ReadInteger(kTimelineVisible); });
    dwTimeline->setHidden(timeline.value_or(1) == 0);
    const auto notify = ReadReportingErrors(this, [&] { return store.ReadInteger(kNotifySeverity); });
    if (notify && *notify < 0)
        SetNotifyAtLeast(std::nullopt);
    else if (notify && *notify <= static_cast<int>(TFBLogSeverity::Critical))
        SetNotifyAtLeast(static_cast<TFBLogSeverity>(*notify));
}

void TfmLogViewer::LoadEncodingState(const TStateStore& store)
{
    FEncodingChoices.Restore(ReadReportingErrors(this, [&] { return store.ReadStringList(kLogEncodings); }).value_or(QStringList()),
                             ReadReportingErrors(this, [&] { return store.ReadString(kLegacyEncoding); }).value_or(QString()));
}

void TfmLogViewer::SaveEncodingState(TStateStore& store) const
{
    store.WriteStringList(kLogEncodings, FEncodingChoices.PerLog());
    store.WriteString(kLegacyEncoding, FEncodingChoices.LegacyName());
}

std::optional<QString> TfmLogViewer::SaveState()
{
    FStateSaved = true;
    TStateStore store;
    store.WriteString(kOpenFile, FLogFileName);
    store.WriteDateTime(kDisplayStartDate, PickerTimestamp(ui->dtpDFFrom));
    store.WriteDateTime(kDisplayEndDate, PickerTimestamp(ui->dtpDFTo));
    store.WriteInteger(kDateFilter, ui->cbShowDateFilter->currentIndex());
    QStringList hidden;
    for (const std::string& matchText : FKindsModel->HiddenMatchTexts())
        hidden << QString::fromStdString(matchText);
    store.WriteStringList(kHiddenKinds, hidden);
    store.WriteInteger(kSeverityAtLeast, cbSeverityAtLeast->currentIndex());
    FFindBar->RememberQuery();
    store.WriteStringList(kSearchHistory, FFindBar->History());
    store.WriteStringList(kRecentLogs, FRecentLogs);
    // isHidden, not isVisible: the window itself may be hidden already while it closes.
    store.WriteInteger(kTimelineVisible, dwTimeline->isHidden() ? 0 : 1);
    store.WriteInteger(kNotifySeverity, FNotifyAtLeast ? static_cast<int>(*FNotifyAtLeast) : -1);
    SaveEncodingState(store);
    return store.Sync();
}

