// The days table: one row per run of same-day entries and the "ER" row, its weekend colours,
// its title-click sort, and narrowing the message list to a day.

#include "DaysModel.h"
#include "FBLogDateTime.h"
#include "LogMessagesModel.h"
#include "ViewerTestFixture.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QHeaderView>
#include <QTableView>

namespace {

double Day(int y, int m, int d, int h = 12)
{
    return *TryEncodeDateTime({y, m, d, h, 0, 0, 0});
}

struct Row {
    int No;
    double Date;
    QString Dow;
    int Count;
    bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Row& r)
{
    return out << "{" << r.No << ", " << r.Date << ", " << r.Dow.toStdString() << ", " << r.Count << "}";
}

std::vector<Row> DaysOf(const std::vector<double>& dateTimes)
{
    FBLogsMsgs msgs;
    for (double dateTime : dateTimes)
        msgs.push_back({0, 1, dateTime});
    std::vector<Row> rows;
    for (const TDayRow& r : CountEntriesPerDay(msgs, [](std::size_t) {}))
        rows.push_back({r.No, r.EvDate, r.Dow, r.EvCount});
    return rows;
}

const QString Thu = QStringLiteral("Thu"), Fri = QStringLiteral("Fri"), ER = QStringLiteral("ER");

}  // namespace

TEST(CountEntriesPerDayTest, OneRowPerRunOfTheSameDayAndAnErrorRow)
{
    EXPECT_EQ(DaysOf({}), std::vector<Row>{});
    EXPECT_EQ(DaysOf({Day(2008, 11, 20, 1), Day(2008, 11, 20, 2), Day(2008, 11, 21)}),
              (std::vector<Row>{{1, Day(2008, 11, 20, 0), Thu, 2}, {2, Day(2008, 11, 21, 0), Fri, 1}}));
    EXPECT_EQ(DaysOf({Day(2008, 11, 20), 0.0, Day(2008, 11, 20)}),
              (std::vector<Row>{{1, Day(2008, 11, 20, 0), Thu, 1}, {2, Day(2008, 11, 20, 0), Thu, 1}, {3, 0.0, ER, 1}}))
        << "an undated entry between two of one day splits the run";
    EXPECT_EQ(DaysOf({Day(2008, 11, 21), Day(2008, 11, 20), Day(2008, 11, 21)}),
              (std::vector<Row>{{1, Day(2008, 11, 21, 0), Fri, 1}, {2, Day(2008, 11, 20, 0), Thu, 1},
                                {3, Day(2008, 11, 21, 0), Fri, 1}}))
        << "dates going backwards";
    EXPECT_EQ(DaysOf({0.0, 0.0, 0.0}), (std::vector<Row>{{1, 0.0, ER, 3}}));
}

TEST(DaysModelTest, WeekendDayNamesAreRedAndTheRestFollowsThePalette)
{
    TDaysModel model;
    QAbstractItemModelTester tester(&model);
    model.SetRows({{1, Day(2008, 11, 21, 0), Fri, 3}, {2, Day(2008, 11, 22, 0), QStringLiteral("Sat"), 1},
                   {3, Day(2008, 11, 23, 0), QStringLiteral("Sun"), 1}, {4, 0.0, ER, 2}});
    const auto colour = [&](int row, int role, int field = TDaysModel::FieldDow) {
        return model.index(row, field).data(role).value<QColor>();
    };
    EXPECT_FALSE(model.index(0, TDaysModel::FieldDow).data(Qt::ForegroundRole).isValid())
        << "a weekday is written in the palette's text colour, readable on a dark palette too";
    EXPECT_EQ(colour(1, Qt::ForegroundRole), QColor(204, 0, 0));
    EXPECT_EQ(colour(2, Qt::ForegroundRole), QColor(204, 0, 0));
    EXPECT_EQ(colour(3, Qt::ForegroundRole), QColor(204, 0, 0)) << "date 0 is a Saturday";
    EXPECT_FALSE(model.index(1, TDaysModel::FieldDow).data(Qt::BackgroundRole).isValid())
        << "the background follows the palette";
    EXPECT_FALSE(model.index(1, TDaysModel::FieldEvCount).data(Qt::ForegroundRole).isValid())
        << "other columns keep the grid's colours";
    EXPECT_EQ(model.index(0, TDaysModel::FieldEvDate).data().toString(), QStringLiteral("21/11/2008"));
    EXPECT_EQ(model.headerData(TDaysModel::FieldDow, Qt::Horizontal).toString(), QStringLiteral("DoW"));
}

class DaysTableTest : public ViewerTest {
protected:
    void OpenDays(TfmLogViewer& window)
    {
        const auto at = [](int d, int h) { return QDateTime(QDate(2008, 11, d), QTime(h, 0)); };
        ShowAndActivate(window);
        Open(window, WriteEntries("days.log", {{at(20, 1)}, {at(20, 2)}, {at(21, 1)}, {QDateTime()},
                                               {at(22, 1)}, {at(22, 2)}, {at(22, 3)}}));
    }

    static QTableView* Grid(TfmLogViewer& window)
    {
        return window.findChild<QTableView*>(QStringLiteral("dbgDays"));
    }

    static QStringList Column(TfmLogViewer& window, int field)
    {
        QStringList texts;
        for (int row = 0; row < window.DaysModel()->rowCount(); ++row)
            texts << window.DaysModel()->index(row, field).data().toString();
        return texts;
    }
};

TEST_F(DaysTableTest, TitleClicksSortDescendingFirstAndTheOrderSurvivesAReload)
{
    TfmLogViewer window;
    OpenDays(window);
    EXPECT_EQ(Column(window, TDaysModel::FieldEvCount),
              (QStringList{QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("1")}));
    EXPECT_EQ(Grid(window)->currentIndex().row(), 3) << "the row added last is the current one";

    QHeaderView* titles = Grid(window)->horizontalHeader();
    emit titles->sectionClicked(TDaysModel::FieldEvCount);
    EXPECT_EQ(Column(window, TDaysModel::FieldEvCount).first(), QStringLiteral("3")) << "busiest first";
    EXPECT_EQ(Column(window, TDaysModel::FieldNo).first(), QStringLiteral("3")) << "numbers stay with their rows";
    emit titles->sectionClicked(TDaysModel::FieldEvCount);
    EXPECT_EQ(Column(window, TDaysModel::FieldEvCount).first(), QStringLiteral("1")) << "quietest first";
    emit titles->sectionClicked(TDaysModel::FieldEvDate);
    EXPECT_EQ(Column(window, TDaysModel::FieldDow).first(), QStringLiteral("Sat")) << "a new title sorts descending";
    EXPECT_EQ(Column(window, TDaysModel::FieldDow).last(), QStringLiteral("ER"));

    Trigger(window, "miMsgDaysReloadAll");
    EXPECT_EQ(Column(window, TDaysModel::FieldDow).first(), QStringLiteral("Sat"));
}

TEST_F(DaysTableTest, PopupNamesTheDayAndNarrowsTheList)
{
    TfmLogViewer window;
    OpenDays(window);
    auto* onlyThisDay = window.findChild<QAction*>(QStringLiteral("miMsgDaysShowOnlyThisDay"));
    auto* showAll = window.findChild<QAction*>(QStringLiteral("miMsgDaysShowAll"));

    window.pmMsgDaysPopup();  // the current row is the error row
    EXPECT_EQ(onlyThisDay->text(), QStringLiteral("Show only these records"));
    EXPECT_FALSE(showAll->isEnabled()) << "the filter is on All records";

    Grid(window)->setCurrentIndex(window.DaysModel()->index(1, 0));
    window.pmMsgDaysPopup();
    EXPECT_EQ(onlyThisDay->text(), QStringLiteral("Show only this day (21/11/2008)"));
    onlyThisDay->trigger();
    EXPECT_EQ(window.MessagesModel()->rowCount(), 1);
    EXPECT_EQ(DateFilter(window)->currentIndex(), TfmLogViewer::dfCustom);
    EXPECT_FALSE(window.DaysAlwaysShowSelection()) << "only a double click or Enter keeps the highlight";

    window.pmMsgDaysPopup();
    EXPECT_TRUE(showAll->isEnabled());
    showAll->trigger();
    EXPECT_EQ(window.MessagesModel()->rowCount(), 7);
}

TEST_F(DaysTableTest, DoubleClickAndEnterShowTheDayAndKeepItHighlighted)
{
    TfmLogViewer window;
    OpenDays(window);
    Grid(window)->setCurrentIndex(window.DaysModel()->index(2, 0));
    emit Grid(window)->doubleClicked(window.DaysModel()->index(2, 0));
    EXPECT_EQ(ColumnTexts(window, TLogMessagesModel::ColumnTime).size(), 3);
    EXPECT_TRUE(window.DaysAlwaysShowSelection());

    Grid(window)->setCurrentIndex(window.DaysModel()->index(3, 0));
    EXPECT_FALSE(window.DaysAlwaysShowSelection()) << "a new current row turns it off";
    QTest::keyClick(Grid(window), Qt::Key_Return);
    EXPECT_EQ(ColumnTexts(window, TLogMessagesModel::ColumnTime), QStringList{QStringLiteral("-?-")});
    EXPECT_TRUE(window.DaysAlwaysShowSelection());
}

TEST_F(DaysTableTest, AnEmptyTableOffersNoDay)
{
    TfmLogViewer window;
    ShowAndActivate(window);
    Open(window, WriteEntries("empty.log", {}));
    auto* onlyThisDay = window.findChild<QAction*>(QStringLiteral("miMsgDaysShowOnlyThisDay"));
    window.pmMsgDaysPopup();
    EXPECT_FALSE(onlyThisDay->isVisible());
    window.dbgDaysDblClick();
    EXPECT_EQ(window.MessagesModel()->rowCount(), 0);
    EXPECT_EQ(window.DaysModel()->rowCount(), 0);
}
