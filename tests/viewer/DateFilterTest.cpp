// The date filter: the ranges its choices stand for, and the rows each range lets into the
// message list.

#include "LogMessagesModel.h"
#include "ViewerTestFixture.h"

#include <QPushButton>

namespace {

using Range = std::optional<std::pair<QDate, QDate>>;

Range Days(QDate from, QDate to)
{
    return std::pair{from, to};
}

QDateTime On(QDate day, int h, int mi, int s)
{
    return QDateTime(day, QTime(h, mi, s));
}

}  // namespace

TEST(DateFilterRangeTest, ComputedChoicesCoverWholeDaysWeeksAndMonths)
{
    const QDate sunday(2008, 11, 23);
    EXPECT_EQ(DateFilterRange(TfmLogViewer::dfAllRecords, sunday), Days(QDate(1800, 1, 1), QDate(9999, 12, 31)));
    EXPECT_EQ(DateFilterRange(TfmLogViewer::dfTodayOnly, sunday), Days(sunday, sunday));
    EXPECT_EQ(DateFilterRange(TfmLogViewer::dfThisWeek, sunday), Days(QDate(2008, 11, 17), sunday));
    EXPECT_EQ(DateFilterRange(TfmLogViewer::dfThisWeek, QDate(2008, 11, 24)), Days(QDate(2008, 11, 24), QDate(2008, 11, 30)));
    EXPECT_EQ(DateFilterRange(TfmLogViewer::dfThisWeek, QDate(2026, 12, 1)), Days(QDate(2026, 11, 30), QDate(2026, 12, 6)))
        << "a week across a month end";
    EXPECT_EQ(DateFilterRange(TfmLogViewer::dfThisMonth, QDate(2008, 2, 10)), Days(QDate(2008, 2, 1), QDate(2008, 2, 29)));
    EXPECT_EQ(DateFilterRange(TfmLogViewer::dfThisMonth, QDate(2100, 2, 10)), Days(QDate(2100, 2, 1), QDate(2100, 2, 28)));
    EXPECT_EQ(DateFilterRange(TfmLogViewer::dfCustom, sunday), std::nullopt);
    EXPECT_EQ(DateFilterRange(-1, sunday), std::nullopt);
}

class DateFilterTest : public ViewerTest {
protected:
    // Entries around today, each named by its message.
    void OpenEntriesAroundToday(TfmLogViewer& window)
    {
        const QDate today = QDate::currentDate();
        ShowAndActivate(window);
        Open(window, WriteEntries("days.log", {{On(today.addDays(-1), 23, 59, 59), {}, QStringLiteral("yesterday")},
                                               {On(today, 0, 0, 0), {}, QStringLiteral("first second of today")},
                                               {QDateTime(), QStringLiteral("no date"), QStringLiteral("undated")},
                                               {On(today, 23, 59, 59), {}, QStringLiteral("last second of today")},
                                               {On(today.addDays(1), 0, 0, 0), {}, QStringLiteral("tomorrow")}}));
    }

    void Choose(TfmLogViewer& window, int choice)
    {
        DateFilter(window)->setCurrentIndex(choice);
        emit DateFilter(window)->activated(choice);
    }

    static QPushButton* Apply(TfmLogViewer& window)
    {
        return window.findChild<QPushButton*>(QStringLiteral("btApplyDTFilter"));
    }
};

TEST_F(DateFilterTest, TodayShowsItsWholeDayAndNothingUndated)
{
    TfmLogViewer window;
    OpenEntriesAroundToday(window);
    Choose(window, TfmLogViewer::dfTodayOnly);
    EXPECT_EQ(ColumnTexts(window, TLogMessagesModel::ColumnMessage),
              (QStringList{QStringLiteral("first second of today"), QStringLiteral("last second of today")}));
    EXPECT_EQ(window.StatusPanelText(1), QStringLiteral("2\\5"));
    EXPECT_FALSE(Picker(window, "dtpDFFrom")->isEnabled());

    Choose(window, TfmLogViewer::dfAllRecords);
    EXPECT_EQ(window.MessagesModel()->rowCount(), 5) << "all records include the undated entry";
    EXPECT_EQ(Picker(window, "dtpDFFrom")->date(), QDate(1800, 1, 1));
}

TEST_F(DateFilterTest, CustomRangeTakesEffectWhenApplied)
{
    TfmLogViewer window;
    OpenEntriesAroundToday(window);
    const QDate today = QDate::currentDate();
    EXPECT_FALSE(Apply(window)->isVisible()) << "every completed fill hides Apply!";

    Choose(window, TfmLogViewer::dfCustom);
    EXPECT_TRUE(Picker(window, "dtpDFFrom")->isEnabled());
    EXPECT_FALSE(Apply(window)->isVisible());
    EXPECT_EQ(window.MessagesModel()->rowCount(), 2) << "refilled at once with the pickers' dates (today)";

    Picker(window, "dtpDFFrom")->setDate(today.addDays(-1));  // as the user edits it
    Picker(window, "dtpDFTo")->setDate(today.addDays(-1));
    EXPECT_TRUE(Apply(window)->isVisible());
    EXPECT_EQ(window.MessagesModel()->rowCount(), 2) << "nothing is refilled before Apply!";

    Apply(window)->click();
    EXPECT_EQ(ColumnTexts(window, TLogMessagesModel::ColumnMessage), QStringList{QStringLiteral("yesterday")});
    EXPECT_FALSE(Apply(window)->isVisible());

    // From after To: an empty list, 0 rows of all 5 entries.
    Picker(window, "dtpDFFrom")->setDate(today.addDays(1));
    Picker(window, "dtpDFTo")->setDate(today);
    Apply(window)->click();
    EXPECT_EQ(window.StatusPanelText(1), QStringLiteral("0\\5"));
}

TEST_F(DateFilterTest, WithoutALogAChoiceSetsOnlyThePickers)
{
    TfmLogViewer window;
    ShowAndActivate(window);
    Choose(window, TfmLogViewer::dfThisMonth);
    const QDate today = QDate::currentDate();
    EXPECT_EQ(Picker(window, "dtpDFFrom")->date(), QDate(today.year(), today.month(), 1));
    EXPECT_EQ(Picker(window, "dtpDFTo")->date(), QDate(today.year(), today.month(), today.daysInMonth()));
    EXPECT_EQ(window.MessagesModel()->rowCount(), 0);
    EXPECT_EQ(window.StatusPanelText(1), QString()) << "no fill without a log";
}
