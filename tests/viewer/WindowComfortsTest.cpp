// The window as an everyday desktop program: how logs are opened (the chooser, recent logs,
// dropped files, names in any encoding), the first load, the window on a small screen, what the
// status bar, the text pane's caption and the sort marks show, and what keyboard and screen
// reader users are given.

#include "LocalFileNames.h"
#include "LogMessagesModel.h"
#include "ViewerTestFixture.h"

#include <QAccessible>
#include <QDir>
#include <QDropEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QStyleOptionHeader>
#include <QSignalSpy>
#include <QTableView>
#include <QUrl>

#include <filesystem>

namespace {

class WindowComfortsTest : public ViewerTest {
protected:
    static QTableView* Table(TfmLogViewer& window, const char* name)
    {
        return window.findChild<QTableView*>(QString::fromLatin1(name));
    }

    static QString TextPaneCaption(TfmLogViewer& window)
    {
        return window.findChild<QGroupBox*>(QStringLiteral("gbMessage"))->title();
    }

    // A click on a title of a table's header with the mouse, as the user gives it.
    static void ClickTitle(QTableView* table, int column)
    {
        QHeaderView* header = table->horizontalHeader();
        const QPoint middle(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, middle);
    }

    static void Drop(TfmLogViewer& window, const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&window, &enter);
        if (!enter.isAccepted())
            return;
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&window, &drop);
        QCoreApplication::processEvents();
    }
};

// Stands for a desktop that never activates a new window.
class TActivationEater : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        return event->type() == QEvent::ActivationChange || event->type() == QEvent::WindowActivate;
    }
};

}  // namespace

TEST_F(WindowComfortsTest, OpenKeepsTheViewWhenTheFolderDoesNotExistAndStartsBesideTheCurrentLog)
{
    const QString path = WriteLog("current.log", 40);
    {
        TfmLogViewer window;
        ShowAndActivate(window);
        Open(window, path);
        const int rows = window.MessagesModel()->rowCount();
        ASSERT_GT(rows, 0);
        window.findChild<QComboBox*>(QStringLiteral("cbShowDateFilter"))->setCurrentIndex(TfmLogViewer::dfCustom);
        window.cbShowDateFilterChange();

        Open(window, QStringLiteral("/nonexist/dir/x.log"));
        EXPECT_EQ(FLastRequest.StartFolder, QFileInfo(path).absolutePath()) << "the chooser starts beside the log";
        ASSERT_EQ(FErrors.size(), 1) << FErrors.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(FErrors.constFirst().contains(QStringLiteral("/nonexist/dir"))) << FErrors.constFirst().toStdString();
        EXPECT_EQ(window.LogFileName(), path);
        EXPECT_EQ(window.MessagesModel()->rowCount(), rows);
        EXPECT_EQ(DateFilter(window)->currentIndex(), TfmLogViewer::dfCustom) << "no fall back to \"All records\"";
        window.close();
    }
    EXPECT_EQ(FErrors.size(), 1) << FErrors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(SavedState().value(QStringLiteral("STATE/OpenFile")).toString(), path);
}

TEST_F(WindowComfortsTest, TheLogOfTheCommandLineLoadsOnceEvenWhenTheWindowIsNeverActivated)
{
    const QString path = WriteLog("unactivated.log", 30, true);
    TfmLogViewer window(nullptr, QStringList{QStringLiteral("kslogviewer"), path});
    TActivationEater eater;
    window.installEventFilter(&eater);
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.MessagesModel()->rowCount() > 0; }, 3000))
        << "the log was not loaded without an activation";
    EXPECT_EQ(window.LogMsgs().size(), 30u);

    // A later activation loads nothing again: the view the user made stays.
    window.findChild<QTableView*>(QStringLiteral("VirtualStringTree1"))->selectRow(3);
    window.removeEventFilter(&eater);
    window.activateWindow();
    QTest::qWait(50);
    EXPECT_TRUE(window.findChild<QTableView*>(QStringLiteral("VirtualStringTree1"))->selectionModel()->isRowSelected(3));
}

TEST_F(WindowComfortsTest, ALogOpenedBeforeTheFirstActivationIsLoadedOnce)
{
    TfmLogViewer window;
    TActivationEater eater;
    window.installEventFilter(&eater);
    window.show();
    QSignalSpy titles(&window, &QWidget::windowTitleChanged);
    // A load that outlasts the moment of the automatic first load.
    window.SetProgressClock(ClockActingMidPass(window, [] { QTest::qWait(400); }));
    Open(window, WriteLog("opened-first.log", 2100));
    window.SetProgressClock({});
    QTest::qWait(400);

    // Each load classifies the entries it read once.
    int loads = 0;
    for (const QList<QVariant>& title : titles)
        loads += title.at(0).toString() == QStringLiteral("Classifying entries... ") ? 1 : 0;
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(window.LogMsgs().size(), FExpected.ExpectedDateTimes.size());
}

TEST(LocalFileNamesTest, EveryByteOfANameSurvivesTheWayThroughText)
{
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all.push_back(static_cast<char>(byte));
    for (const std::string& name : {std::string("caf\xe9.log"), std::string("\xd0\xbb\xd0\xbe\xd0\xb3.log"),
                                    std::string("half \xd0 sequence \xed\xa0\x80 surrogate"), all}) {
        const QString decoded = DecodeLocalFileName(QByteArray::fromStdString(name));
        EXPECT_EQ(LocalPath(decoded), name);
    }
    EXPECT_EQ(DisplayFileName(DecodeLocalFileName("caf\xe9.log")), QStringLiteral("caf\uFFFD.log"));
    EXPECT_EQ(DecodeLocalFileName("\xd0\xbb\xd0\xbe\xd0\xb3"), QStringLiteral("\u043B\u043E\u0433"));
}

TEST_F(WindowComfortsTest, AFileArgumentThatIsNotUtf8OpensAsTheSystemNamesIt)
{
    const std::string raw = FFolder.PathOf("caf\xe9.log");
    WriteLog("caf\xe9.log", 25, true);
    const char* argv[] = {"kslogviewer", raw.c_str()};
    TfmLogViewer window(nullptr, LocalArguments(2, argv));
    ShowAndActivate(window);
    EXPECT_EQ(window.LogMsgs().size(), 25u);
    EXPECT_TRUE(window.StatusPanelText(5).endsWith(QStringLiteral("caf\uFFFD.log"))) << window.StatusPanelText(5).toStdString();
}

TEST_F(WindowComfortsTest, RecentLogsComeFirstOnceEachAtMostTenAndMissingOnesAreGreyed)
{
    std::vector<QString> paths;
    for (int i = 0; i < 12; ++i)
        paths.push_back(WriteLog("log" + std::to_string(i) + ".log", 5, true));
    {
        TfmLogViewer window;
        ShowAndActivate(window);
        for (const QString& path : paths)
            Open(window, path);
        Open(window, paths[5]);
        ASSERT_EQ(window.RecentLogs().size(), 10);
        EXPECT_EQ(window.RecentLogs()[0], paths[5]);
        EXPECT_EQ(window.RecentLogs()[1], paths[11]);
        EXPECT_EQ(window.RecentLogs().count(paths[5]), 1);
        EXPECT_FALSE(window.RecentLogs().contains(paths[0]));
        window.close();
    }
    {
        // A name relative to the folder the program started in is kept whole.
        const QString previous = QDir::currentPath();
        QDir::setCurrent(QFileInfo(paths[7]).absolutePath());
        TfmLogViewer window(nullptr, QStringList{QStringLiteral("kslogviewer"), QFileInfo(paths[7]).fileName()});
        ShowAndActivate(window);
        QDir::setCurrent(previous);
        EXPECT_EQ(window.RecentLogs()[0], paths[7]);
        window.close();
    }
    std::filesystem::remove(paths[11].toStdString());
    TfmLogViewer window;
    ShowAndActivate(window);
    EXPECT_EQ(window.RecentLogs()[1], paths[5]) << "the list is kept between runs";
    EXPECT_EQ(window.RecentLogs()[2], paths[11]);
    auto* recent = window.findChild<QMenu*>(QStringLiteral("mnRecent"));
    emit recent->aboutToShow();
    EXPECT_TRUE(recent->findChild<QAction*>(QStringLiteral("miRecent2"))->isEnabled());
    EXPECT_FALSE(recent->findChild<QAction*>(QStringLiteral("miRecent3"))->isEnabled()) << "a missing log is greyed";
    recent->findChild<QAction*>(QStringLiteral("miRecent4"))->trigger();
    EXPECT_EQ(window.LogFileName(), window.RecentLogs()[0]);
}

TEST_F(WindowComfortsTest, AFileDroppedOnTheWindowOpens)
{
    const QString first = WriteLog("first.log", 10, true);
    const QString dropped = WriteLog("dropped.log", 17, true);
    TfmLogViewer window;
    ShowAndActivate(window);
    Open(window, first);
    Drop(window, {QUrl::fromLocalFile(dropped), QUrl::fromLocalFile(first)});
    EXPECT_EQ(window.LogFileName(), first) << "two files dropped at once open neither";
    Drop(window, {QUrl(QStringLiteral("https://example.org/firebird.log"))});
    EXPECT_EQ(window.LogFileName(), first);
    Drop(window, {QUrl::fromLocalFile(dropped)});
    EXPECT_EQ(window.LogFileName(), dropped);
    EXPECT_EQ(window.LogMsgs().size(), 17u);
}

TEST_F(WindowComfortsTest, TheWindowFitsTheScreenItOpensOn)
{
    TfmLogViewer window;
    ShowAndActivate(window);
    const QRect available = window.screen()->availableGeometry();
    ASSERT_LT(available.width(), 1008) << "this test needs a screen smaller than the window's own size";
    EXPECT_TRUE(available.contains(window.frameGeometry()))
        << "the frame does not fit the screen's free area";
}

TEST_F(WindowComfortsTest, StatusPanelsGrowToShowTheirWholeText)
{
    TfmLogViewer window;
    ShowAndActivate(window);
    auto* count = window.findChild<QLabel*>(QStringLiteral("StatusBar1Panel1"));
    count->setText(QStringLiteral("2880198\\2880198"));
    window.resize(1600, window.height());
    QTest::qWait(20);
    EXPECT_GE(count->contentsRect().width(), count->fontMetrics().horizontalAdvance(count->text()));
}

TEST_F(WindowComfortsTest, TheTextPaneCaptionSaysWhatThePanesShowAfterARefillOrAnotherLog)
{
    const QString first = WriteLog("one.log", 30, true);
    const QString second = WriteLog("two.log", 20, true);
    TfmLogViewer window;
    ShowAndActivate(window);
    Open(window, first);
    Table(window, "VirtualStringTree1")->selectRow(4);
    ASSERT_TRUE(TextPaneCaption(window).startsWith(QStringLiteral("The text of the message No 5 [")));

    window.mivstShowAllLogClick();  // a refill
    DateFilter(window)->setCurrentIndex(TfmLogViewer::dfThisMonth);
    window.cbShowDateFilterChange();
    EXPECT_EQ(TextPaneCaption(window), QStringLiteral("The text of the message "));

    Table(window, "VirtualStringTree1")->selectRow(0);
    Open(window, second);
    EXPECT_EQ(TextPaneCaption(window), QStringLiteral("The text of the message "));
}

TEST_F(WindowComfortsTest, SortMarksStayOnTheSortedColumnAndFitTheirTitles)
{
    TfmLogViewer window;
    ShowAndActivate(window);
    Open(window, WriteLog("marks.log", 30, true));
    QTableView* list = Table(window, "VirtualStringTree1");
    QHeaderView* header = list->horizontalHeader();
    ClickTitle(list, TLogMessagesModel::ColumnTime);
    ASSERT_TRUE(header->isSortIndicatorShown());
    ASSERT_EQ(header->sortIndicatorSection(), TLogMessagesModel::ColumnTime);
    const Qt::SortOrder order = header->sortIndicatorOrder();
    const QStringList before = ColumnTexts(window, TLogMessagesModel::ColumnNo);
    ClickTitle(list, TLogMessagesModel::ColumnNo);
    EXPECT_EQ(header->sortIndicatorSection(), TLogMessagesModel::ColumnTime) << "\"No\" sorts nothing, so takes no mark";
    EXPECT_EQ(header->sortIndicatorOrder(), order);
    EXPECT_EQ(ColumnTexts(window, TLogMessagesModel::ColumnNo), before);

    window.mivstShowAllLogClick();  // a refill puts the rows back in log order
    EXPECT_FALSE(header->isSortIndicatorShown());

    QTableView* days = Table(window, "dbgDays");
    ClickTitle(days, 2);
    QHeaderView* daysHeader = days->horizontalHeader();
    ASSERT_EQ(daysHeader->sortIndicatorSection(), 2);
    QStyleOptionHeader option;
    option.initFrom(daysHeader);
    option.text = QStringLiteral("DoW");
    option.sortIndicator = QStyleOptionHeader::SortDown;
    const int needed = daysHeader->style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), daysHeader).width();
    EXPECT_GE(daysHeader->sectionSize(2), needed) << "\"DoW\" is shown whole beside the mark";
}

TEST_F(WindowComfortsTest, TheMessageColumnTakesTheSpareWidthWhereverItStands)
{
    TfmLogViewer window;
    ShowAndActivate(window);
    QHeaderView* header = Table(window, "VirtualStringTree1")->horizontalHeader();
    header->moveSection(header->visualIndex(TLogMessagesModel::ColumnMessage), 1);
    const int source = header->sectionSize(TLogMessagesModel::ColumnSource);
    window.resize(window.width() - 100, window.height());
    QTest::qWait(20);
    window.resize(window.width() + 60, window.height());
    QTest::qWait(20);
    int total = 0;
    for (int column = 0; column < header->count(); ++column)
        total += header->sectionSize(column);
    EXPECT_EQ(total, header->viewport()->width()) << "the columns fill the list";
    EXPECT_EQ(header->sectionSize(TLogMessagesModel::ColumnSource), source) << "the last column keeps its width";
}

TEST_F(WindowComfortsTest, EveryCommandHasItsKeysInItsTooltipAndEveryControlASpokenName)
{
    TfmLogViewer window;
    ShowAndActivate(window);
    for (const char* name : {"acFBLogOpen", "acExit", "acReload", "acFollow", "acExportVisible", "acFind", "acFindNext",
                             "acFindPrevious", "acCopy", "acCopyAsTable", "acShowTimeline", "acOpenRemote", "acSaveLogAs"}) {
        const QAction* action = window.findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(action, nullptr) << name;
        EXPECT_FALSE(action->shortcut().isEmpty()) << name;
        EXPECT_TRUE(action->toolTip().endsWith(QStringLiteral(" (%1)").arg(action->shortcut().toString(QKeySequence::NativeText))))
            << name << ": " << action->toolTip().toStdString();
    }
    EXPECT_EQ(window.findChild<QAction*>(QStringLiteral("acExit"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

    for (QWidget* control : window.findChildren<QWidget*>()) {
        // Popups (a combo box's list) are windows of their own; focus proxies speak for their owner.
        if (!(control->focusPolicy() & Qt::TabFocus) || control->window() != &window || control->focusProxy() != nullptr)
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(accessible, nullptr);
        const QString name = accessible->text(QAccessible::Name).trimmed();
        EXPECT_FALSE(name.isEmpty())
            << control->metaObject()->className() << " " << control->objectName().toStdString();
    }
}
