// The passes of the main window (load, days, list fill), the date filter that drives the list
// fill, and the progress convention they share.

#include "LogViewerMain.h"
#include "LogViewerPasses.h"

#include "ui_LogViewerMain.h"

#include "ApplicationInfo.h"
#include "DaysModel.h"
#include "FBLogNarrowing.h"
#include "KindsModel.h"
#include "LogMessagesModel.h"
#include "Timestamps.h"
#include "WaitCursor.h"

#include <QLabel>
#include <QLocale>
#include <QScopeGuard>
#include <QTimer>

namespace {

QString FillProgressText(std::size_t done, std::size_t total)
{
    QString text = QStringLiteral("Preparing for grid... %1 of %2").arg(done).arg(total);
    if (total != 0) {
        QLocale locale = QLocale();
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        const double percent = static_cast<double>(done) / static_cast<double>(total) * 100.0;
        text += QStringLiteral(" (%1%)").arg(locale.toString(percent, 'f', 2));
    }
    return text;
}

}  // namespace

void TfmLogViewer::LetPendingEventsRun()
{
    // Input waits until the pass is over; painting, timers and the window system go on.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfmLogViewer::PassEnded()
{
    if (FCloseRequested) {
        FCloseRequested = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void TfmLogViewer::ShowFileName()
{
    FStatusPanels[4]->setText(ShowingServerLog() ? QStringLiteral("Server:") : QStringLiteral("File:"));
    FStatusPanels[5]->setText(ShowingServerLog() ? ServerName() : DisplayFileName(FLogFileName));
}

void TfmLogViewer::ShowFileSize(std::int64_t size)
{
    FStatusPanels[3]->setText(QString::number(size));
}

void TfmLogViewer::ShowMessageCount()
{
    FStatusPanels[1]->setText(QStringLiteral("%1\\%2").arg(FMessagesModel->RowCount()).arg(FLogMsgs.size()));
}

void TfmLogViewer::LoadLogFile()
{
    const TPassScope busy(*this);
    const TWaitCursor wait;
    ShowFileName();
    TPassProgress progress(*this, QStringLiteral("Loading from file... "));
    CancelSearch();
    FSearchMatches.reset();
    FMessagesModel->SetKinds(nullptr);
    FKindsModel->Clear();
    FKindsRange.reset();
    FKinds = FBLogKinds();
    FLogMsgs = FBLogsMsgs();
    const auto showCounts = qScopeGuard([this] {
        ShowFileSize(FParser ? FParser->FileSize() : 0);
        ShowMessageCount();
    });
    // Every view that holds rows of the old index is emptied before the old scanner goes.
    FDaysModel->Clear();
    FMessagesModel->SetSource(nullptr, FDescriptor.get());
    ui->memoLogMessage->clear();
    ui->memoMsgDescr->clear();
    LetPendingEventsRun();
    FParser.reset();
    FDayCounter = TFBLogDayCounter();
    FDayRuns = TFBLogDayRuns();
    FRangesBefore.clear();
    ScanLogFile();
    UseEncodingOfLog();
    ClassifyLog();
    FDayRuns.Add(FLogMsgs, FKinds, 0);
    StartWatchingLogFile();
}

void TfmLogViewer::ScanLogFile()
{
    FParser = std::make_unique<TFBLogParser>(LocalPath(FLogFileName));
    if (ShowingServerLog())
        FParser->LoadBytes(ServerLogBytes());
    FParser->SetProgressSink(
        [this](const std::string& caption) {
            setWindowTitle(QString::fromLatin1(caption));
            LetPendingEventsRun();
        },
        FClock);
    FBLogsMsgs msgs;
    FScanEnd = 0;
    FParser->ScanEntriesFrom(FScanEnd, msgs);
    FLogMsgs = std::move(msgs);
    FMessagesModel->SetSource(FParser.get(), FDescriptor.get());
}

void TfmLogViewer::CalculateDays()
{
    const TPassScope busy(*this);
    TPassProgress progress(*this, QStringLiteral("Calculating for days... "));
    FDaysModel->Clear();
    const std::size_t total = FLogMsgs.size();
    FDayCounter = TFBLogDayCounter();
    for (std::size_t i = 0; i < total; ++i) {
        if (progress.Due())
            progress.Show(QStringLiteral("Calculating for days...  %1 of %2").arg(i).arg(total));
        FDayCounter.Add(FLogMsgs[i].DateTime);
    }
    FDaysModel->SetRows(DayRowsOf(FDayCounter));
    // The row added last becomes the current one.
    if (const int last = FDaysModel->LastAddedRow(); last >= 0)
        ui->dbgDays->setCurrentIndex(FDaysModel->index(last, 0));
}

void TfmLogViewer::FillMessageList(double from, double to)
{
    const TPassScope busy(*this);
    SetDaysAlwaysShowSelection(false);
    const TWaitCursor wait;
    const double start = StartOfDay(TimestampDate(from));
    const double end = EndOfDay(TimestampDate(to));
    FMessagesModel->Clear();
    FListSortColumn = -1;
    ShowListSortMark();
    {
        std::vector<FBLogMsg> rows;
        std::vector<std::uint32_t> entries;
        // The rows go into the list in one reset, and the count follows, however the fill ends.
        const auto publish = qScopeGuard([&] {
            FMessagesModel->SetRows(std::move(rows), std::move(entries));
            ShowMessageCount();
        });
        TPassProgress progress(*this, QStringLiteral("Preparing for grid... "));
        ui->memoLogMessage->clear();
        ui->memoMsgDescr->clear();
        // The list shows the entries of the date range that the kinds, the severity choice and
        // the search leave.
        const TFBLogNarrowing narrowing = Narrowing(start, end);
        // Sized once: a list of millions of rows keeps 28 bytes a row, and room for arrivals.
        std::size_t count = 0;
        for (std::size_t i = 0; i < FLogMsgs.size(); ++i)
            count += narrowing.Passes(i, FLogMsgs[i]) ? 1 : 0;
        rows.reserve(WithRoomToGrow(count));
        entries.reserve(WithRoomToGrow(count));
        for (std::size_t i = 0; i < FLogMsgs.size(); ++i) {
            if (progress.Due())
                progress.Show(FillProgressText(i, FLogMsgs.size()));
            if (narrowing.Passes(i, FLogMsgs[i])) {
                rows.push_back(FLogMsgs[i]);
                entries.push_back(static_cast<std::uint32_t>(i));
            }
        }
    }
    RefreshKinds(start, end);
    RefreshTimeline(start, end);
    ShowFindResult();
    ui->btApplyDTFilter->hide();
}

std::optional<std::pair<QDate, QDate>> DateFilterRange(int choice, QDate today)
{
    switch (choice) {
    case TfmLogViewer::dfAllRecords: return std::pair{QDate(1800, 1, 1), QDate(9999, 12, 31)};
    case TfmLogViewer::dfTodayOnly: return std::pair{today, today};
    case TfmLogViewer::dfThisWeek: {
        // Monday to Sunday, whatever the locale names as the first day of the week.
        const QDate monday = today.addDays(1 - today.dayOfWeek());
        return std::pair{monday, monday.addDays(6)};
    }
    case TfmLogViewer::dfThisMonth:
        return std::pair{QDate(today.year(), today.month(), 1), QDate(today.year(), today.month(), today.daysInMonth())};
    default: return std::nullopt;
    }
}

void TfmLogViewer::cbShowDateFilterChange()
{
    const int choice = ui->cbShowDateFilter->currentIndex();
    if (const auto range = DateFilterRange(choice, QDate::currentDate())) {
        SetPickerDates(range->first, range->second);
        SetPickersEnabled(false);
    } else if (choice == dfCustom) {
        SetPickersEnabled(true);
    }
    if (!FLogMsgs.empty())
        FillMessageList(PickerTimestamp(ui->dtpDFFrom), PickerTimestamp(ui->dtpDFTo));
}

void TfmLogViewer::btApplyDTFilterClick()
{
    FillMessageList(PickerTimestamp(ui->dtpDFFrom), PickerTimestamp(ui->dtpDFTo));
}

void TfmLogViewer::dtpDFCustomDateChange()
{
    ui->btApplyDTFilter->setVisible(true);
}

void TfmLogViewer::SetPickerDate(QDateTimeEdit* picker, QDate date)
{
    // Only the date changes; the picker keeps its own time of day. Programmatic changes are
    // not the user's edits, so they do not show "Apply!".
    QDateTime value = picker->dateTime();
    value.setDate(date);
    const QSignalBlocker quiet(picker);
    picker->setDateTime(value);
}

void TfmLogViewer::SetPickerDates(QDate from, QDate to)
{
    SetPickerDate(ui->dtpDFFrom, from);
    SetPickerDate(ui->dtpDFTo, to);
}

void TfmLogViewer::SetPickersEnabled(bool enabled)
{
    ui->dtpDFFrom->setEnabled(enabled);
    ui->dtpDFTo->setEnabled(enabled);
}
