// The message list: the texts of its cells, italics, tooltips, sorting, the panes that show
// the selected entry, and its popup menu.

#include "LogMessagesModel.h"
#include "ViewerTestFixture.h"

#include <QAbstractItemModelTester>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableView>

namespace {

QDateTime At(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

class MessageListTest : public ViewerTest {
protected:
    // Opens the entries in a shown window under "All records".
    void OpenEntries(TfmLogViewer& window, const std::vector<TestEntry>& entries)
    {
        ShowAndActivate(window);
        Open(window, WriteEntries("list.log", entries));
        ASSERT_EQ(DateFilter(window)->currentIndex(), TfmLogViewer::dfAllRecords);
    }

    static QTableView* List(TfmLogViewer& window)
    {
        return window.findChild<QTableView*>(QStringLiteral("VirtualStringTree1"));
    }

    static void ClickHeader(TfmLogViewer& window, int column)
    {
        emit List(window)->horizontalHeader()->sectionClicked(column);
    }
};

}  // namespace

TEST_F(MessageListTest, OddEntriesShowFixedTextsInsteadOfFailing)
{
    TfmLogViewer window;
    OpenEntries(window, {{At(2026, 11, 20, 0, 0, 0), QStringLiteral("HOST"), QStringLiteral("midnight\n\t  two\t\tlines")},
                         {QDateTime(), QStringLiteral("no tab at all")},
                         {At(2026, 11, 20, 10, 42, 17), QStringLiteral("  spaced   host ")}});
    // Without a TAB, the header is gone: no date, no source, no message.
    EXPECT_EQ(ColumnTexts(window, 1), (QStringList{QStringLiteral("20/11/2026"), QStringLiteral("-?-"),
                                                   QStringLiteral("20/11/2026 10:42:17")}));
    EXPECT_EQ(ColumnTexts(window, 2), (QStringList{QStringLiteral("HOST"), QStringLiteral("unknown"),
                                                   QStringLiteral("spaced host")}));
    EXPECT_EQ(ColumnTexts(window, 3).first(), QStringLiteral("midnight two lines"));
    EXPECT_EQ(ColumnTexts(window, 3).at(1), QStringLiteral("error while parsing"));
    EXPECT_EQ(ColumnTexts(window, 0), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));

    const QModelIndex message = window.MessagesModel()->index(0, TLogMessagesModel::ColumnMessage);
    EXPECT_EQ(message.data(Qt::ToolTipRole).toString(), QStringLiteral("Message:\nmidnight two lines"));
}

TEST_F(MessageListTest, EntryWithOneTabHasASourceButNoMessage)
{
    TempFolder folder;
    TFBLogParser parser(folder.Write("one-tab.log", "HOST\tWed Jan 28 10:42:17 2015\n\n"));
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);
    const TFBLogDescriptor grammar("");
    TLogMessagesModel model;
    model.SetSource(&parser, &grammar, &msgs);
    model.SetAllRows();
    EXPECT_EQ(model.CellText(0, TLogMessagesModel::ColumnSource), QStringLiteral("HOST"));
    EXPECT_EQ(model.CellText(0, TLogMessagesModel::ColumnMessage), QStringLiteral("error while parsing"));
}

TEST_F(MessageListTest, SourcesNamingAClientAreItalic)
{
    TfmLogViewer window;
    OpenEntries(window, {{At(2026, 11, 20, 1, 0, 0), QStringLiteral("WS1 (Client)")},
                         {At(2026, 11, 20, 2, 0, 0), QStringLiteral("myCLIENTpc")},
                         {At(2026, 11, 20, 3, 0, 0), QStringLiteral("SRV (Server)")},
                         {QDateTime(), QStringLiteral("client without a tab")}});
    const auto italic = [&](int row, int column = TLogMessagesModel::ColumnSource) {
        const QVariant font = window.MessagesModel()->index(row, column).data(Qt::FontRole);
        return font.isValid() && font.value<QFont>().italic();
    };
    EXPECT_TRUE(italic(0));
    EXPECT_TRUE(italic(1));
    EXPECT_FALSE(italic(2));
    EXPECT_FALSE(italic(3)) << "a source that reads \"unknown\" is never italic";
    EXPECT_FALSE(italic(0, TLogMessagesModel::ColumnMessage)) << "only the source cell";
}

TEST_F(MessageListTest, HeaderClicksSortStablyAndFlipTheDirectionEveryTime)
{
    TfmLogViewer window;
    OpenEntries(window, {{At(2026, 11, 20, 9, 0, 0), QStringLiteral("b-host"), QStringLiteral("first")},
                         {At(2026, 11, 20, 8, 0, 0), QStringLiteral("A-host"), QStringLiteral("second")},
                         {At(2026, 11, 20, 9, 0, 0), QStringLiteral("c-host"), QStringLiteral("third")},
                         {QDateTime(), QStringLiteral("broken")},
                         {At(2026, 11, 20, 8, 0, 0), QStringLiteral("a-host"), QStringLiteral("fifth")}});
    QAbstractItemModelTester tester(window.MessagesModel());

    ClickHeader(window, TLogMessagesModel::ColumnTime);  // the first click sorts descending
    EXPECT_EQ(ColumnTexts(window, 3), (QStringList{QStringLiteral("first"), QStringLiteral("third"),
                                                   QStringLiteral("second"), QStringLiteral("fifth"),
                                                   QStringLiteral("error while parsing")}));
    EXPECT_EQ(ColumnTexts(window, 0).first(), QStringLiteral("1")) << "rows are numbered anew";
    EXPECT_EQ(List(window)->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);

    ClickHeader(window, TLogMessagesModel::ColumnSource);  // another column: ascending now
    EXPECT_EQ(ColumnTexts(window, 2), (QStringList{QStringLiteral("unknown"), QStringLiteral("A-host"),
                                                   QStringLiteral("a-host"), QStringLiteral("b-host"),
                                                   QStringLiteral("c-host")}))
        << "case is ignored, equal texts keep their order, rows without a source come first";

    ClickHeader(window, TLogMessagesModel::ColumnSource);
    EXPECT_EQ(ColumnTexts(window, 2), (QStringList{QStringLiteral("c-host"), QStringLiteral("b-host"),
                                                   QStringLiteral("A-host"), QStringLiteral("a-host"),
                                                   QStringLiteral("unknown")}));

    const QStringList before = ColumnTexts(window, 3);
    ClickHeader(window, TLogMessagesModel::ColumnNo);
    EXPECT_EQ(ColumnTexts(window, 3), before) << "\"No\" does not sort";
}

TEST_F(MessageListTest, SelectingARowShowsItsTextAndDescription)
{
    TfmLogViewer window;
    OpenEntries(window, {{At(2026, 11, 20, 10, 42, 17), QStringLiteral("SRV"),
                          QStringLiteral("INET/inet_error: read errno = 10054")},
                         {At(2026, 11, 20, 11, 0, 0), QStringLiteral("SRV"), QStringLiteral("nothing known")}});
    auto* caption = window.findChild<QGroupBox*>(QStringLiteral("gbMessage"));
    auto* text = window.findChild<QPlainTextEdit*>(QStringLiteral("memoLogMessage"));
    auto* description = window.findChild<QPlainTextEdit*>(QStringLiteral("memoMsgDescr"));

    List(window)->selectRow(0);
    EXPECT_EQ(caption->title(), QStringLiteral("The text of the message No 1 [20/11/2026 10:42:17]"));
    EXPECT_EQ(text->toPlainText(),
              QStringLiteral("SRV\tFri Nov 20 10:42:17 2026\n\tINET/inet_error: read errno = 10054\n"));
    EXPECT_TRUE(description->toPlainText().contains(QStringLiteral("10054"))) << description->toPlainText().toStdString();

    List(window)->selectRow(1);
    EXPECT_EQ(description->toPlainText(),
              QStringLiteral("No description available for this message.\nSee fblvlog.descr for details"));

    List(window)->clearSelection();
    EXPECT_EQ(caption->title(), QStringLiteral("The text of the message "));
    EXPECT_TRUE(text->toPlainText().isEmpty());
    EXPECT_TRUE(description->toPlainText().isEmpty());
}

TEST_F(MessageListTest, PopupNarrowsTheListToTheRowsDayAndBack)
{
    TfmLogViewer window;
    OpenEntries(window, {{At(2026, 11, 19, 23, 59, 59)}, {At(2026, 11, 20, 0, 0, 0)}, {QDateTime()},
                         {At(2026, 11, 20, 23, 59, 59)}, {At(2026, 11, 21, 0, 0, 0)}});
    auto* item = window.findChild<QAction*>(QStringLiteral("mivstShowThisDateOnly"));

    List(window)->clearSelection();
    window.pmvstLogsPopup();
    EXPECT_EQ(item->text(), QStringLiteral("Show only this date"));
    EXPECT_FALSE(item->isEnabled());

    List(window)->selectRow(1);
    window.pmvstLogsPopup();
    EXPECT_EQ(item->text(), QStringLiteral("Show only records on 20/11/2026"));
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    EXPECT_EQ(DateFilter(window)->currentIndex(), TfmLogViewer::dfCustom);
    EXPECT_EQ(ColumnTexts(window, 1), (QStringList{QStringLiteral("20/11/2026"), QStringLiteral("20/11/2026 23:59:59")}));
    EXPECT_TRUE(Picker(window, "dtpDFFrom")->isEnabled());

    // The undated entry's day is 1899-12-30: its row narrows the list to all undated entries.
    Trigger(window, "mivstShowAllLog");
    EXPECT_EQ(DateFilter(window)->currentIndex(), TfmLogViewer::dfAllRecords);
    EXPECT_EQ(window.MessagesModel()->rowCount(), 5);
    List(window)->selectRow(2);
    item->trigger();
    EXPECT_EQ(ColumnTexts(window, 1), QStringList{QStringLiteral("-?-")});
}
