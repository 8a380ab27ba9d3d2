// What the main window keeps between runs: which log a start opens, the date filter and its
// dates, the window placement, and how a damaged saved state is handled.

#include "StateStore.h"
#include "Timestamps.h"
#include "ViewerTestFixture.h"

#include <QDir>

TEST(CommandLineTest, TheFirstArgumentNamingAnExistingFileWinsAsWritten)
{
    TempFolder folder;
    folder.Write("second.log", "x");
    folder.Write("third.log", "y");
    const QString base = QString::fromStdString(folder.PathOf(""));
    const QString second = QString::fromStdString(folder.PathOf("second.log"));
    EXPECT_EQ(FirstExistingFileArgument({QStringLiteral("kslogviewer"), base + QStringLiteral("nothing.log"), base,
                                         second, QString::fromStdString(folder.PathOf("third.log"))}),
              second);
    EXPECT_EQ(FirstExistingFileArgument({second}), QString()) << "the program's own name does not count";
    EXPECT_EQ(FirstExistingFileArgument({}), QString());

    // A relative path stays relative.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(base);
    EXPECT_EQ(FirstExistingFileArgument({QStringLiteral("kslogviewer"), QStringLiteral("third.log")}),
              QStringLiteral("third.log"));
    QDir::setCurrent(previous);
}

TEST_F(ViewerTest, RemembersTheLogTheFilterAndItsDatesBetweenRuns)
{
    const QString path = WriteLog("kept.log", 20);
    {
        TfmLogViewer window;
        ShowAndActivate(window);
        FNextChoice = path;
        Trigger(window, "acFBLogOpen");
        DateFilter(window)->setCurrentIndex(TfmLogViewer::dfCustom);
        window.cbShowDateFilterChange();
        Picker(window, "dtpDFFrom")->setDate(QDate(2026, 11, 3));
        Picker(window, "dtpDFTo")->setDate(QDate(2026, 11, 4));
        Trigger(window, "acExit");
    }
    EXPECT_EQ(SavedState().value(QStringLiteral("STATE/OpenFile")).toString(), path);
    EXPECT_EQ(SavedState().value(QStringLiteral("STATE/DisplayStartDate")).toByteArray().size(), 8);
    EXPECT_EQ(TStateStore().ReadInteger(QStringLiteral("DateFilter")), TfmLogViewer::dfCustom);
    EXPECT_EQ(TimestampDate(*TStateStore().ReadDateTime(QStringLiteral("DisplayEndDate"))), QDate(2026, 11, 4));

    TfmLogViewer window;
    EXPECT_EQ(window.LogFileName(), path);
    EXPECT_EQ(DateFilter(window)->currentIndex(), TfmLogViewer::dfCustom);
    EXPECT_EQ(Picker(window, "dtpDFFrom")->date(), QDate(2026, 11, 3));
    EXPECT_EQ(Picker(window, "dtpDFTo")->date(), QDate(2026, 11, 4));
    EXPECT_TRUE(Picker(window, "dtpDFFrom")->isEnabled());
    EXPECT_EQ(Picker(window, "dtpDFFrom")->time(), QTime(11, 55, 7)) << "setting a date keeps the picker's time";
}

TEST_F(ViewerTest, AComputedChoiceReplacesTheSavedDates)
{
    Plant(QStringLiteral("DateFilter"), TfmLogViewer::dfThisWeek);
    TStateStore store;
    store.WriteDateTime(QStringLiteral("DisplayStartDate"), StartOfDay(QDate(2001, 1, 1)));
    store.Sync();
    TfmLogViewer window;
    const QDate today = QDate::currentDate();
    EXPECT_EQ(Picker(window, "dtpDFFrom")->date(), today.addDays(1 - today.dayOfWeek()));
    EXPECT_EQ(Picker(window, "dtpDFTo")->date(), today.addDays(7 - today.dayOfWeek()));
    EXPECT_FALSE(Picker(window, "dtpDFTo")->isEnabled());
}

TEST_F(ViewerTest, ValuesOfTheWrongTypeAreReportedAndStartUpGoesOn)
{
    Plant(QStringLiteral("DisplayStartDate"), QStringLiteral("last tuesday"));
    Plant(QStringLiteral("DateFilter"), QByteArray("\x04\x00\x00\x00", 4));
    {
        TfmLogViewer window;
        EXPECT_EQ(FErrors, (QStringList{QStringLiteral("Invalid data type for 'DisplayStartDate'"),
                                        QStringLiteral("Invalid data type for 'DateFilter'")}));
        EXPECT_EQ(DateFilter(window)->currentIndex(), TfmLogViewer::dfTodayOnly);
        window.show();
        window.close();
    }
    EXPECT_TRUE(QFile::exists(TLayoutStore::DefaultFilePath())) << "the layout is still kept";
    EXPECT_EQ(TStateStore().ReadInteger(QStringLiteral("DateFilter")), TfmLogViewer::dfTodayOnly)
        << "rewritten with the right type at exit";
}

TEST_F(ViewerTest, ADateFilterOutsideTheChoicesCountsAsAbsent)
{
    Plant(QStringLiteral("DateFilter"), 7);
    TfmLogViewer window;
    EXPECT_EQ(DateFilter(window)->currentIndex(), TfmLogViewer::dfTodayOnly);
    EXPECT_TRUE(FErrors.isEmpty());
}

TEST_F(ViewerTest, WindowPlacementIsStoredAtCloseAndRestoredWhenShown)
{
    const QRect placed(40, 50, 700, 480);
    {
        TfmLogViewer window;
        window.show();
        window.setGeometry(placed);
        QCoreApplication::processEvents();
        window.close();
    }
    QFile file(TLayoutStore::DefaultFilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("[fmLogViewer]")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nNormPos=40,50,740,530\n"))) << text.toStdString();

    TfmLogViewer window;
    window.show();
    EXPECT_EQ(window.geometry(), placed);
}

TEST_F(ViewerTest, PlacementFromAnotherResolutionOrOffTheScreenIsIgnored)
{
    for (const QByteArray& layout : {QByteArray("[fmLogViewer]\nPixelsPerInch=1\nNormPos=40,50,740,530\n"),
                                     QByteArray("[fmLogViewer]\nPixelsPerInch=96\nNormPos=-5000,50,-4000,530\n")}) {
        QFile file(TLayoutStore::DefaultFilePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(layout);
        file.close();
        TfmLogViewer window;
        window.show();
        EXPECT_NE(window.geometry().topLeft(), QPoint(40, 50)) << layout.toStdString();
        EXPECT_NE(window.geometry().left(), -5000);
    }
}
