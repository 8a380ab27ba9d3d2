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

QString PassProgressText(const QString& prefix, std::size_t done, std::size_t total)
{
    QString text = prefix + QStringLiteral("%1 of %2").arg(done).arg(total);
    if (total != 0) {
        QLocale locale = QLocale();
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        const double percent = static_cast<double>(done) / static_cast<double>(total) * 100.0;
        text += QStringLiteral(" (%1%)").arg(locale.toString(percent, 'f', 2));
    }
    return text;
}

void TfmLogViewer::LetPendingEventsRun()
{
    // Input waits until the pass is over; painting, timers and the window system go on.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfmLogViewer::RunAfterPass(std::function<void()> action)
{
    FAfterPass.push_back(std::move(action));
}

void TfmLogViewer::PassEnded()
{
    for (std::function<void()>& action : std::exchange(FAfterPass, {}))
        QMetaObject::invokeMethod(this, std::move(action), Qt::QueuedConnection);
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

bool TfmLogViewer::LoadLogFile()
{
    const TPassScope busy(*this);
    const TWaitCursor wait;
    ShowFileName();
    TPassProgress progress(*this, QStringLiteral("Loading from file... "));
    // The new log is read while the old one stays in view, so that a cancelled load leaves it.
    TScannedLog scanned;
    std::exception_ptr failure;
    try {
        if (!progress.Run([&] { ScanLogFile(progress, scanned); }))
            return false;
    } catch (...) {
        failure = std::current_exception();
    }
    ReplaceLog(scanned);
    if (failure)
        std::rethrow_exception(failure);
    UseEncoding(scanned.Encoding);
    if (FParser)
        StartClassifying();
    StartWatchingLogFile();
    return true;
}

void TfmLogViewer::ReplaceLog(TScannedLog& scanned)
{
    StopClassifying();
    CancelSearch();
    FSearchMatches.reset();
    FMessagesModel->SetKinds(nullptr);
    FKindsModel->Clear();
    FKindsRange.reset();
    FKinds = FBLogKinds();
    // Every view that holds rows of the old index is emptied before the old scanner goes.
    FDaysModel->Clear();
    FMessagesModel->SetSource(nullptr, FDescriptor.get(), nullptr);
    ui->memoLogMessage->clear();
    ui->memoMsgDescr->clear();
    FParser = std::move(scanned.Parser);
    FLogMsgs = std::move(scanned.Msgs);
    FScanEnd = scanned.ScanEnd;
    FDayCounter = TFBLogDayCounter();
    FDayRuns = TFBLogDayRuns();
    FRangesBefore.clear();
    FListFilter.reset();
    if (FParser)
        FMessagesModel->SetSource(FParser.get(), FDescriptor.get(), &FLogMsgs);
    ShowFileSize(FParser ? FParser->FileSize() : 0);
    ShowMessageCount();
}

void TfmLogViewer::ScanLogFile(TPassProgress& progress, TScannedLog& scanned) const
{
    scanned.Parser = std::make_unique<TFBLogParser>(LocalPath(FLogFileName));
    TFBLogParser& parser = *scanned.Parser;
    if (ShowingServerLog())
        parser.LoadBytes(ServerLogBytes());
    // The scanner reads its clock once per block of entries: there a cancelled load stops.
    parser.SetProgressSink([&](const std::string& caption) { progress.Show(QString::fromLatin1(caption)); },
                           [&] {
                               progress.ThrowIfCancelled();
                               return FClock();
                           });
    parser.ScanEntriesFrom(scanned.ScanEnd, scanned.Msgs);
    parser.SetProgressSink({});
    scanned.Encoding = FEncodingChoices.EncodingOf(FLogFileName, parser);
}

void TfmLogViewer::CalculateDays()
{
    const TPassScope busy(*this);
    TPassProgress progress(*this, QStringLiteral("Calculating for days... "));
    // Quick enough to run to its end: the days always count the whole log shown.
    TFBLogDayCounter counter;
    progress.Run([&] {
        const QString prefix = QStringLiteral("Calculating for days...  ");
        for (std::size_t i = 0; i < FLogMsgs.size(); ++i) {
            if (progress.DueAt(i))
                progress.Show(prefix + QStringLiteral("%1 of %2").arg(i).arg(FLogMsgs.size()));
            counter.Add(FLogMsgs[i].DateTime);
        }
    });
    FDayCounter = std::move(counter);
    FDaysModel->SetRows(DayRowsOf(FDayCounter));
    // The row added last becomes the current one.
    if (const int last = FDaysModel->LastAddedRow(); last >= 0)
        ui->dbgDays->setCurrentIndex(FDaysModel->index(last, 0));
}

bool TfmLogViewer::FillMessageList(double from, double to)
{
    const TPassScope busy(*this);
    const TWaitCursor wait;
    const double start = StartOfDay(TimestampDate(from));
    const double end = EndOfDay(TimestampDate(to));
    TLargeVector<std::uint32_t> entries;
    std::optional<std::vector<TFBLogKindSummary>> kinds;
    // A new log's list is filled while its entries are being classified, unless kinds are hidden.
    if (ClassificationPending() && KindsNarrowList())
        FinishClassifying();
    const bool kindsKnown = !ClassificationPending();
    {
        TPassProgress progress(*this, QStringLiteral("Preparing for grid... "));
        // The list shows the entries of the date range that the kinds, the severity choice and
        // the search leave.
        const TFBLogNarrowing narrowing = Narrowing(start, end);
        if (!progress.Run([&] {
                SelectRows(narrowing, progress, entries);
                if (kindsKnown)
                    kinds = KindsToCount(start, end);
            })) {
            ShowFilterOfList();
            return false;
        }
    }
    SetDaysAlwaysShowSelection(false);
    FListSortColumn = -1;
    ShowListSortMark();
    ui->memoLogMessage->clear();
    ui->memoMsgDescr->clear();
    // The view takes the rows in steps, painting in between, so that the window never waits long.
    constexpr std::size_t kRowsPerStep = 1 << 18;
    FMessagesModel->SetRowsInSteps(std::move(entries), kRowsPerStep, [this] { LetPendingEventsRun(); });
    ShowMessageCount();
    FListFilter = TShownRange{ui->cbShowDateFilter->currentIndex(), ui->dtpDFFrom->date(), ui->dtpDFTo->date()};
    if (kinds)
        ShowKinds(start, end, std::move(*kinds));
    if (kindsKnown)
        RefreshTimeline(start, end);
    ShowFindResult();
    ui->btApplyDTFilter->hide();
    return true;
}

void TfmLogViewer::SelectRows(const TFBLogNarrowing& narrowing, TPassProgress& progress,
                              TLargeVector<std::uint32_t>& entries) const
{
    // Sized once: a list of millions of rows keeps 4 bytes a row, and room for arrivals.
    std::size_t count = 0;
    for (std::size_t i = 0; i < FLogMsgs.size(); ++i)
        count += narrowing.Passes(i, FLogMsgs[i]) ? 1 : 0;
    entries.reserve(WithRoomToGrow(count));
    const QString prefix = QStringLiteral("Preparing for grid... ");
    for (std::size_t i = 0; i < FLogMsgs.size(); ++i) {
        if (i % TPassProgress::kElementsPerCheck == 0)
            progress.ThrowIfCancelled();
        if (progress.DueAt(i))
            progress.Show(PassProgressText(prefix, i, FLogMsgs.size()));
        if (narrowing.Passes(i, FLogMsgs[i]))
            entries.push_back(static_cast<std::uint32_t>(i));
    }
}

void TfmLogViewer::ShowFilterOfList()
{
    // The date filter goes back to the choice that the rows in the list were chosen by.
    if (!FListFilter)
        return;
    SetDateFilterChoice(FListFilter->Choice);
    SetPickerDates(FListFilter->From, FListFilter->To);
    SetPickersEnabled(FListFilter->Choice == dfCustom);
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

std::pair<double, double> TfmLogViewer::PickedDateRange() const
{
    return {StartOfDay(TimestampDate(PickerTimestamp(ui->dtpDFFrom))),
            EndOfDay(TimestampDate(PickerTimestamp(ui->dtpDFTo)))};
}

void TfmLogViewer::SetPickersEnabled(bool enabled)
{
    ui->dtpDFFrom->setEnabled(enabled);
    ui->dtpDFTo->setEnabled(enabled);
}
