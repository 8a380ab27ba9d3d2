// Loading logs through the main window: what the status bar, the caption and the date filter
// show afterwards, for good, missing and unreadable files, and commands arriving mid-scan.

#include "AboutDialog.h"
#include "ApplicationInfo.h"
#include "ViewerTestFixture.h"

#include <QSignalSpy>
#include <QTimer>

namespace {

QStringList TitlesSeen(const QSignalSpy& spy)
{
    QStringList titles;
    for (const QList<QVariant>& call : spy)
        titles << call.at(0).toString();
    return titles;
}

// A clock that moves a second on every reading: every pass reports at every step.
FBLogClock RacingClock()
{
    return [now = std::int64_t{0}]() mutable { return now += 1000; };
}

}  // namespace

TEST_F(ViewerTest, OpenLoadsTheChosenLogAndShowsItsCounts)
{
    TfmLogViewer window;
    ShowAndActivate(window);
    EXPECT_EQ(window.StatusPanelText(1), QString()) << "nothing loaded without a known file";

    FNextChoice = WriteLog("firebird.log");
    Trigger(window, "acFBLogOpen");

    EXPECT_EQ(FLastRequest.Title, QStringLiteral("Select Firebird/Interbase log file"));
    EXPECT_TRUE(FLastRequest.Filters.startsWith(QStringLiteral("Known log files (firebird.log interbase.log);;")));
    EXPECT_EQ(FLastRequest.DefaultSuffix, QStringLiteral("log"));
    const auto entries = static_cast<qsizetype>(FExpected.ExpectedDateTimes.size());
    EXPECT_EQ(window.LogFileName(), FNextChoice);
    EXPECT_EQ(static_cast<qsizetype>(window.LogMsgs().size()), entries);
    // No entry is of today, so the default "Today only" gives way to "All records".
    EXPECT_EQ(DateFilter(window)->currentIndex(), TfmLogViewer::dfAllRecords);
    EXPECT_EQ(window.StatusPanelText(1), QStringLiteral("%1\\%1").arg(entries));
    EXPECT_EQ(window.StatusPanelText(3), QString::number(FExpected.Bytes.size()));
    EXPECT_EQ(window.StatusPanelText(5), FNextChoice);
    EXPECT_EQ(window.windowTitle(), ApplicationTitle());
    EXPECT_TRUE(FErrors.isEmpty()) << FErrors.join(QLatin1Char('\n')).toStdString();

    // Right after a load pass the list is still empty: rows\entries reads 0\N.
    window.LoadLogFile();
    EXPECT_EQ(window.StatusPanelText(1), QStringLiteral("0\\%1").arg(entries));
}

TEST_F(ViewerTest, FirstActivationLoadsTheRememberedLogOnce)
{
    const QString path = WriteLog("remembered.log", 50);
    Plant(QStringLiteral("OpenFile"), path);
    TfmLogViewer window;
    QSignalSpy titles(&window, &QWidget::windowTitleChanged);
    ShowAndActivate(window);
    EXPECT_EQ(window.LogMsgs().size(), FExpected.ExpectedDateTimes.size());

    window.hide();
    ShowAndActivate(window);
    EXPECT_EQ(TitlesSeen(titles).count(QStringLiteral("Loading from file... ")), 1);
}

TEST_F(ViewerTest, MissingLogGivesEmptyViewsWithoutAMessage)
{
    TfmLogViewer window;
    ShowAndActivate(window);
    FNextChoice = QString::fromStdString(FFolder.PathOf("typed-name.log"));
    Trigger(window, "acFBLogOpen");
    EXPECT_TRUE(FErrors.isEmpty());
    EXPECT_EQ(window.StatusPanelText(1), QStringLiteral("0\\0"));
    EXPECT_EQ(window.StatusPanelText(3), QStringLiteral("0"));
    EXPECT_EQ(window.StatusPanelText(5), FNextChoice);
    EXPECT_EQ(DateFilter(window)->currentIndex(), TfmLogViewer::dfAllRecords);
}

TEST_F(ViewerTest, UnreadableLogIsReportedOnceAndEmptiesTheViews)
{
#ifdef __linux__
    TfmLogViewer window;
    ShowAndActivate(window);
    FNextChoice = WriteLog("good.log", 40);
    Trigger(window, "acFBLogOpen");
    ASSERT_FALSE(window.LogMsgs().empty());

    FNextChoice = QStringLiteral("/proc/self/mem");  // exists, and reading it always fails
    Trigger(window, "acFBLogOpen");
    EXPECT_EQ(FErrors, QStringList{QStringLiteral("Cannot open file \"/proc/self/mem\". Input/output error.")});
    EXPECT_EQ(window.StatusPanelText(1), QStringLiteral("0\\0"));
    EXPECT_EQ(window.StatusPanelText(3), QStringLiteral("0"));
    EXPECT_EQ(window.StatusPanelText(5), FNextChoice);
    EXPECT_TRUE(window.LogMsgs().empty());
    EXPECT_EQ(window.windowTitle(), ApplicationTitle());
#else
    GTEST_SKIP() << "needs a file that exists but cannot be read";
#endif
}

TEST_F(ViewerTest, CancelledOpenChangesNothing)
{
    TfmLogViewer window;
    ShowAndActivate(window);
    FNextChoice = WriteLog("kept.log", 30);
    Trigger(window, "acFBLogOpen");
    const QString counts = window.StatusPanelText(1);

    FNextChoice.clear();
    Trigger(window, "acFBLogOpen");
    EXPECT_EQ(FChooserCalls, 2);
    EXPECT_EQ(window.LogFileName(), QString::fromStdString(FFolder.PathOf("kept.log")));
    EXPECT_EQ(window.StatusPanelText(1), counts);
    EXPECT_EQ(window.LogMsgs().size(), FExpected.ExpectedDateTimes.size());
}

TEST_F(ViewerTest, PassesShowTheirProgressAndEndWithTheTitle)
{
    TfmLogViewer window;
    ShowAndActivate(window);
    window.SetProgressClock(RacingClock());
    QSignalSpy titles(&window, &QWidget::windowTitleChanged);
    // The passes read the clock once per 1024 entries.
    FNextChoice = WriteLog("progress.log", 2100, true);
    Trigger(window, "acFBLogOpen");

    const QStringList seen = TitlesSeen(titles);
    EXPECT_EQ(seen.first(), QStringLiteral("Loading from file... "));
    EXPECT_TRUE(seen.filter(QStringLiteral("Parsing file: ")).size() >= 1);
    EXPECT_TRUE(seen.contains(QStringLiteral("Calculating for days... ")));
    EXPECT_TRUE(seen.contains(QStringLiteral("Calculating for days...  1024 of 2100")));
    EXPECT_TRUE(seen.contains(QStringLiteral("Preparing for grid... 0 of 2100 (0.00%)")));
    EXPECT_TRUE(seen.contains(QStringLiteral("Preparing for grid... 1024 of 2100 (48.76%)")));
    EXPECT_EQ(seen.last(), ApplicationTitle());
}

TEST_F(ViewerTest, QuickLoadShowsNoParsingCaption)
{
    TfmLogViewer window;
    ShowAndActivate(window);
    QSignalSpy titles(&window, &QWidget::windowTitleChanged);
    FNextChoice = WriteLog("quick.log", 20);
    Trigger(window, "acFBLogOpen");
    EXPECT_TRUE(TitlesSeen(titles).filter(QStringLiteral("Parsing file: ")).isEmpty());
    EXPECT_EQ(window.windowTitle(), ApplicationTitle());
}

TEST_F(ViewerTest, CommandsArrivingDuringAScanLeaveItAloneAndCloseWaitsForIt)
{
    auto window = std::make_unique<TfmLogViewer>();
    ShowAndActivate(*window);
    window->SetProgressClock(RacingClock());
    FNextChoice = WriteLog("busy.log", 200);

    bool stillVisibleAfterClose = false;
    QTimer::singleShot(0, window.get(), [&] {
        // Arrives at the first moment the load lets events run.
        EXPECT_TRUE(window->PassRunning());
        window->close();
        stillVisibleAfterClose = window->isVisible();
        Trigger(*window, "acFBLogOpen");
        Trigger(*window, "miMsgDaysReloadAll");
    });
    Trigger(*window, "acFBLogOpen");

    EXPECT_TRUE(stillVisibleAfterClose);
    EXPECT_EQ(FChooserCalls, 1) << "the second Open was ignored";
    EXPECT_EQ(window->LogMsgs().size(), FExpected.ExpectedDateTimes.size());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 2000)) << "closed once the passes ended";

    window.reset();
    EXPECT_EQ(SavedState().value(QStringLiteral("STATE/OpenFile")).toString(), FNextChoice);
}

TEST_F(ViewerTest, AboutShowsTheDialogOverTheMainWindow)
{
    TfmLogViewer window;
    QWidget* owner = nullptr;
    const auto previous = SetAboutDialogPresenter([&](QWidget* shownOver) { owner = shownOver; });
    Trigger(window, "About");
    SetAboutDialogPresenter(previous);
    EXPECT_EQ(owner, &window);
}
