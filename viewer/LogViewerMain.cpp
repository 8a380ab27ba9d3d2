#include "LogViewerMain.h"

#include "ui_LogViewerMain.h"

#include "AboutDialog.h"
#include "ApplicationInfo.h"
#include "CommandIcons.h"
#include "DaysModel.h"
#include "ErrorDisplay.h"
#include "FBLogDateTime.h"
#include "FBLogFile.h"
#include "FileChooser.h"
#include "FindBar.h"
#include "KindsModel.h"
#include "LogMessagesModel.h"
#include "LogViewerPasses.h"
#include "MenuBarStyle.h"
#include "ShortcutToolTips.h"
#include "StateStore.h"
#include "SupportLink.h"
#include "Timestamps.h"
#include "WaitCursor.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyleOptionHeader>
#include <QTimer>

#include <cmath>

namespace {

// The pickers' value in the window definition.
const QDateTime kInitialPickerValue(QDate(2008, 11, 20), QTime(11, 55, 7), Qt::UTC);

struct StatusPanel {
    const char* Text;
    int Width;
    bool Value;  // a sunken panel that shows a value
};
constexpr StatusPanel kStatusPanels[] = {{"Messages:", 60, false}, {"", 100, true}, {"File size:", 60, false},
                                         {"", 90, true},           {"File:", 40, false}, {"", 400, true}};

// How long after it is first shown the window loads its log when no activation came first.
constexpr int kFirstLoadDelayMs = 300;

constexpr int kListColumnWidths[] = {50, 140, 120, 482};
constexpr int kDaysColumnCharacters[] = {5, 11, 3, 6};

int CurrentPixelsPerInch(const QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInch())) : 96;
}

// A status bar panel at least of a given width that grows to show its whole text, and gives way
// only when the window is made narrower, as the panels of a status bar do.
class TStatusPanel : public QLabel {
public:
    TStatusPanel(const QString& text, int width, QWidget* parent) : QLabel(text, parent), FWidth(width)
    {
        setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    }
    QSize sizeHint() const override
    {
        const QSize text = QLabel::sizeHint();
        return {std::max(FWidth, text.width() + 4), text.height()};
    }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

private:
    int FWidth = 0;
};

// The widest text a column of the days table shows: digits for the numbers, a date, a day name.
QString SampleDaysText(int field, int characters)
{
    const QLocale locale = QLocale();
    switch (field) {
    case TDaysModel::FieldEvDate: return FormatShortDate(QDate(2026, 12, 28));
    case TDaysModel::FieldDow: {
        QString widest;
        for (int day = 1; day <= 7; ++day) {
            const QString name = locale.dayName(day, QLocale::ShortFormat).left(3);
            if (name.size() >= widest.size())
                widest = name + QStringLiteral("W").repeated(characters - name.size());
        }
        return widest;
    }
    default: return QString(characters, QLatin1Char('0'));
    }
}

// What a title of the header needs with the sort mark beside it, in the header's own style.
int TitleWidthWithSortMark(const QHeaderView* header, const QString& title)
{
    QStyleOptionHeader option;
    option.initFrom(header);
    option.text = title;
    option.sortIndicator = QStyleOptionHeader::SortDown;
    return header->style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), header).width();
}

}  // namespace

QString FirstExistingFileArgument(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (FileExists(LocalPath(arguments[i])))
            return arguments[i];
    return {};
}

TfmLogViewer::TfmLogViewer(QWidget* parent, std::optional<QStringList> arguments)
    : QMainWindow(parent), ui(std::make_unique<Ui::TfmLogViewer>()), FClock(MonotonicMilliseconds)
{
    ui->setupUi(this);
    SetupMenus();
    SetupStatusBar();
    SetupViews();
    SetupFinding();
    SetupLiveLog();
    SetupTimeline();
    SetupRecentLogs();
    SetupEncoding();
    SetupRemote();
    ConnectControls();
    FormCreate(arguments ? *arguments : QCoreApplication::arguments());
    ShowShortcutsInToolTips(this);
}

TfmLogViewer::~TfmLogViewer()
{
    // A window destroyed without being closed saves here; no message can be shown any more.
    if (!FLayoutStored)
        if (const auto error = StoreLayout())
            qWarning("%s", qPrintable(*error));
    FormDestroy();
}

void TfmLogViewer::SetupMenus()
{
    ui->acFBLogOpen->setIcon(CommandIcon(TCommandImage::Open));
    ui->acGetSupport->setIcon(CommandIcon(TCommandImage::Support));
    ui->About->setIcon(CommandIcon(TCommandImage::About));
    ui->acExit->setIcon(CommandIcon(TCommandImage::Exit));
    auto* menuBarStyle = new TIconTextMenuBarStyle();
    menuBarStyle->setParent(ui->ActionMainMenuBar1);
    ui->ActionMainMenuBar1->setStyle(menuBarStyle);

    pmMsgDays = new QMenu(this);
    pmMsgDays->setObjectName(QStringLiteral("pmMsgDays"));
    pmMsgDays->addAction(ui->miMsgDaysShowOnlyThisDay);
    pmMsgDays->addAction(ui->miMsgDaysShowAll);
    pmMsgDays->addSeparator();
    pmMsgDays->addAction(ui->miMsgDaysReloadAll);
    pmMsgDays->setDefaultAction(ui->miMsgDaysShowOnlyThisDay);

    pmvstLogs = new QMenu(this);
    pmvstLogs->setObjectName(QStringLiteral("pmvstLogs"));
    pmvstLogs->addAction(ui->mivstShowThisDateOnly);
    pmvstLogs->addAction(ui->mivstShowAllLog);
    pmvstLogs->setDefaultAction(ui->mivstShowThisDateOnly);
}

void TfmLogViewer::SetupStatusBar()
{
    for (std::size_t i = 0; i < FStatusPanels.size(); ++i) {
        const StatusPanel& panel = kStatusPanels[i];
        auto* label = new TStatusPanel(QString::fromLatin1(panel.Text), panel.Width, ui->StatusBar1);
        label->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        label->setAlignment((panel.Value ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
        if (panel.Value)
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        ui->StatusBar1->addWidget(label);
        FStatusPanels[i] = label;
    }
}

void TfmLogViewer::SetupViews()
{
    FMessagesModel = new TLogMessagesModel(this);
    ui->VirtualStringTree1->setModel(FMessagesModel);
    QHeaderView* header = ui->VirtualStringTree1->horizontalHeader();
    header->setSectionsMovable(true);
    header->setHighlightSections(false);
    for (int column = 0; column < TLogMessagesModel::ColumnCount; ++column)
        header->resizeSection(column, kListColumnWidths[column]);
    // Wide enough for a whole date and time in the platform's font.
    const QFontMetrics listMetrics(ui->VirtualStringTree1->font());
    const QString sampleTime = FormatEntryTime(*TryEncodeDateTime({2026, 12, 28, 23, 59, 59, 0}));
    header->resizeSection(TLogMessagesModel::ColumnTime,
                          std::max(kListColumnWidths[1], listMetrics.horizontalAdvance(sampleTime) + 12));
    // The message column takes whatever width the others leave, wherever it is dragged to.
    header->setSectionResizeMode(TLogMessagesModel::ColumnMessage, QHeaderView::Stretch);
    // Fixed row heights: the view never measures the rows of a list of millions.
    QHeaderView* rows = ui->VirtualStringTree1->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(18);

    FDaysModel = new TDaysModel(this);
    ui->dbgDays->setModel(FDaysModel);
    ui->dbgDays->verticalHeader()->hide();
    ui->dbgDays->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ui->dbgDays->verticalHeader()->setDefaultSectionSize(17);
    const int daysWidth = SizeDaysColumns();

    ui->Splitter1->setStretchFactor(0, 1);
    // The right column is 209 pixels wide, or as wide as the days table needs in this font.
    const int rightWidth = std::max(209, daysWidth);
    ui->Splitter1->setSizes({width() - rightWidth, rightWidth});
    ui->Splitter2->setStretchFactor(0, 1);
    ui->Splitter2->setSizes({height() - 104, 104});
    ui->Splitter3->setStretchFactor(0, 1);
    ui->Splitter3->setSizes({height() - 266, 266});

    const QString dateFormat = ShortDateFormat();
    for (QDateTimeEdit* picker : {ui->dtpDFFrom, ui->dtpDFTo}) {
        picker->setTimeSpec(Qt::UTC);
        picker->setMinimumDateTime(QDateTime(QDate(100, 1, 1), QTime(0, 0), Qt::UTC));
        picker->setDisplayFormat(dateFormat);
        picker->setDateTime(kInitialPickerValue);
    }
}

int TfmLogViewer::SizeDaysColumns()
{
    const QFontMetrics metrics(ui->dbgDays->font());
    QHeaderView* header = ui->dbgDays->horizontalHeader();
    int total = 0;
    for (int field = 0; field < TDaysModel::FieldCount; ++field) {
        const QString sample = SampleDaysText(field, kDaysColumnCharacters[field]);
        const QString title = FDaysModel->headerData(field, Qt::Horizontal).toString();
        const int width = std::max(metrics.horizontalAdvance(sample) + 12, TitleWidthWithSortMark(header, title));
        header->resizeSection(field, width);
        total += width;
    }
    return total + ui->dbgDays->verticalScrollBar()->sizeHint().width() + 4 * ui->dbgDays->frameWidth() + 12;
}

void TfmLogViewer::ConnectControls()
{
    connect(ui->acFBLogOpen, &QAction::triggered, this, Guarded(&TfmLogViewer::acFBLogOpenExecute));
    connect(ui->acGetSupport, &QAction::triggered, this, Guarded(&TfmLogViewer::acGetSupportExecute));
    connect(ui->About, &QAction::triggered, this, Guarded(&TfmLogViewer::AboutExecute));
    connect(ui->acExit, &QAction::triggered, this, Guarded(&TfmLogViewer::acExitExecute));
    connect(ui->cbShowDateFilter, &QComboBox::activated, this, Guarded(&TfmLogViewer::cbShowDateFilterChange));
    connect(ui->btApplyDTFilter, &QPushButton::clicked, this, Guarded(&TfmLogViewer::btApplyDTFilterClick));
    connect(ui->dtpDFFrom, &QDateTimeEdit::dateTimeChanged, this, Guarded(&TfmLogViewer::dtpDFCustomDateChange));
    connect(ui->dtpDFTo, &QDateTimeEdit::dateTimeChanged, this, Guarded(&TfmLogViewer::dtpDFCustomDateChange));
    connect(ui->miMsgDaysReloadAll, &QAction::triggered, this, Guarded(&TfmLogViewer::miMsgDaysReloadAllClick));
    ConnectViews();
    ConnectFinding();
}

void TfmLogViewer::FormCreate(const QStringList& arguments)
{
    setWindowTitle(ApplicationTitle());
    FLogFileName.clear();
    FParser.reset();

    const QString commandLineFile = FirstExistingFileArgument(arguments);
    try {
        FDescriptor = std::make_unique<TFBLogDescriptor>(LocalPath(CataloguePath()));
    } catch (const std::exception& e) {
        // An unreadable catalogue costs the descriptions, not the viewer.
        ShowErrorMessage(this, QString::fromLocal8Bit(e.what()));
        FDescriptor = std::make_unique<TFBLogDescriptor>(std::string());
    }
    FMessagesModel->SetSource(nullptr, FDescriptor.get(), nullptr);
    FKindsModel->SetCatalogue(FDescriptor.get());
    if (!FDescriptor->Warnings().empty())
        ShowErrorMessage(this, QString::fromLocal8Bit(FDescriptor->Warnings().front()) +
                                   (FDescriptor->Warnings().size() > 1
                                        ? QStringLiteral("\n(and %1 more such lines)").arg(FDescriptor->Warnings().size() - 1)
                                        : QString()));

    ui->cbShowDateFilter->setCurrentIndex(dfTodayOnly);
    LoadState(commandLineFile);
    FLayout = std::make_unique<TLayoutStore>(TLayoutStore::DefaultFilePath(), objectName());
}

void TfmLogViewer::FormActivate()
{
    if (!FileExists(LocalPath(FLogFileName)))
        return;
    RunLoadSequence(true);
    RememberOpenedLog();
}

void TfmLogViewer::FormDestroy()
{
    // Taking the views apart moves their selection and scroll bars; nothing of this window may
    // hear of it any more.
    ui->VirtualStringTree1->verticalScrollBar()->disconnect(this);
    ui->VirtualStringTree1->selectionModel()->disconnect(this);
    ui->dbgDays->selectionModel()->disconnect(this);
    CancelSearch();
    StopClassifying();
    if (!FStateSaved)
        if (const auto error = SaveState())
            qWarning("%s", qPrintable(*error));
    FMessagesModel->SetSource(nullptr, nullptr, nullptr);
    FDescriptor.reset();
    FParser.reset();
}

void TfmLogViewer::showEvent(QShowEvent* event)
{
    if (!FLayoutRestored) {
        FLayoutRestored = true;
        RestoreLayout();
        // Long enough for the window to be painted first, short enough not to be noticed.
        QTimer::singleShot(kFirstLoadDelayMs, this, [this] { LoadOnce(); });
    }
    QMainWindow::showEvent(event);
}

void TfmLogViewer::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !FFirstLoadDone)
        QMetaObject::invokeMethod(this, [this] { LoadOnce(); }, Qt::QueuedConnection);
}

void TfmLogViewer::LoadOnce()
{
    if (FFirstLoadDone)
        return;
    FFirstLoadDone = true;
    FormActivate();
}

void TfmLogViewer::closeEvent(QCloseEvent* event)
{
    if (PassRunning()) {
        // A pass is letting events run; the window closes as soon as the pass is over.
        FCloseRequested = true;
        event->ignore();
        return;
    }
    SaveAtClose();
    event->accept();
}

void TfmLogViewer::SaveAtClose()
{
    QStringList errors;
    for (const std::optional<QString>& error : {StoreLayout(), SaveState()})
        if (error)
            errors << *error;
    if (!errors.isEmpty())
        ShowErrorMessage(this, QStringLiteral("The settings of this session could not be saved; those saved before "
                                              "are kept.\n") + errors.join(QLatin1Char('\n')));
}

void TfmLogViewer::RestoreLayout()
{
    const auto onAMonitor = [](QPoint point) { return QGuiApplication::screenAt(point) != nullptr; };
    const std::optional<TWindowPlacement> placement = FLayout->Read();
    if (placement && CanRestorePlacement(*placement, CurrentPixelsPerInch(this), onAMonitor)) {
        setGeometry(placement->NormalRect);
        FitIntoScreen(false);
        return;
    }
    FitIntoScreen(true);
}

void TfmLogViewer::FitIntoScreen(bool centre)
{
    const QScreen* screen = QGuiApplication::screenAt(geometry().center());
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    // The frame is known only once the window manager framed the window; until then the title bar
    // is assumed to take what a title bar usually takes.
    const QRect inner = geometry();
    const QRect outer = frameGeometry();
    QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                   outer.bottom() - inner.bottom());
    if (frame.isNull())
        frame.setTop(style()->pixelMetric(QStyle::PM_TitleBarHeight));
    const QRect room = screen->availableGeometry().marginsRemoved(frame);
    QRect placed(geometry().topLeft(), geometry().size().boundedTo(room.size()));
    if (centre)
        placed.moveCenter(room.center());
    placed.moveLeft(std::clamp(placed.left(), room.left(), room.right() - placed.width() + 1));
    placed.moveTop(std::clamp(placed.top(), room.top(), room.bottom() - placed.height() + 1));
    setGeometry(placed);
}

std::optional<QString> TfmLogViewer::StoreLayout()
{
    FLayoutStored = true;
    TWindowPlacement placement;
    placement.PixelsPerInch = CurrentPixelsPerInch(this);
    placement.NormalRect = normalGeometry();
    return FLayout->Write(placement);
}

QString TfmLogViewer::StatusPanelText(int panel) const
{
    return FStatusPanels.at(static_cast<std::size_t>(panel))->text();
}

void TfmLogViewer::SetProgressClock(FBLogClock clock)
{
    FClock = clock ? std::move(clock) : FBLogClock(MonotonicMilliseconds);
}

void TfmLogViewer::acGetSupportExecute()
{
    OpenSupportPage();
}

void TfmLogViewer::AboutExecute()
{
    ShowAboutDialog(this);
}

void TfmLogViewer::acExitExecute()
{
    close();
}

void TfmLogViewer::miMsgDaysReloadAllClick()
{
    acReloadExecute();
}

bool TfmLogViewer::RunLoadSequence(bool fallBackToAllRecords)
{
    // A log opened before the window's first activation is its first load.
    FFirstLoadDone = true;
    const TPassScope sequence(*this);
    bool loaded = true;
    RunCommand(this, [&] {
        if (!LoadLogFile()) {
            loaded = false;
            return;
        }
        RunSearchNow();
        CalculateDays();
        if (FillMessageList(PickerTimestamp(ui->dtpDFFrom), PickerTimestamp(ui->dtpDFTo)) && fallBackToAllRecords)
            FallBackToAllRecords();
    });
    // Also after a failed pass: no command may find the log half classified.
    RunCommand(this, [&] { FinishClassifying(); });
    return loaded;
}

void TfmLogViewer::FallBackToAllRecords()
{
    // A log with no entry in the chosen range opens showing all its entries.
    if (FMessagesModel->RowCount() == 0 && ui->cbShowDateFilter->currentIndex() != dfAllRecords) {
        SetDateFilterChoice(dfAllRecords);
        cbShowDateFilterChange();
    }
}

void TfmLogViewer::SetDateFilterChoice(int index)
{
    const QSignalBlocker quiet(ui->cbShowDateFilter);
    ui->cbShowDateFilter->setCurrentIndex(index);
}

double TfmLogViewer::PickerTimestamp(const QDateTimeEdit* picker) const
{
    return DateTimeToTimestamp(picker->dateTime());
}
