#include "FBLogDateTime.h"
#include "uFBLogDescriptor.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

double At(int y, int mo, int d, int h, int mi, int s)
{
    return *TryEncodeDateTime(FBLogDateParts{y, mo, d, h, mi, s, 0});
}

const std::string kPrefix = "FBLogDescriptor: Can't extract date-time part from string \"";

struct HeaderCase {
    const char* Name;
    std::string Text;
    std::optional<double> DateTime;  // nothing: the call raises
    std::string ErrorTail;           // what follows the quoted entry in the message
};

void PrintTo(const HeaderCase& c, std::ostream* out)
{
    *out << c.Name;
}

class ExtractDateTimeTest : public ::testing::TestWithParam<HeaderCase> {};

}  // namespace

TEST_P(ExtractDateTimeTest, ReadsTheFixedWidthDateAfterTheFirstTab)
{
    const HeaderCase& c = GetParam();
    TFBLogDescriptor grammar("");
    if (c.DateTime) {
        EXPECT_EQ(grammar.ExtractDateTime(c.Text), *c.DateTime);
        EXPECT_EQ(grammar.TryExtractDateTime(c.Text), *c.DateTime);
        return;
    }
    try {
        grammar.ExtractDateTime(c.Text);
        FAIL() << "no exception";
    } catch (const EFBLogWrongMessageFmt& e) {
        EXPECT_EQ(std::string(e.what()), kPrefix + c.Text + "\"" + c.ErrorTail);
    }
    EXPECT_EQ(grammar.TryExtractDateTime(c.Text), 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, ExtractDateTimeTest,
    ::testing::Values(
        HeaderCase{"ServerMarker", "DBHOST (Server)\tWed Jan 28 10:42:17 2015\r\n\tmessage\r\n\r\n",
                   At(2015, 1, 28, 10, 42, 17), ""},
        HeaderCase{"BlankPaddedDay", "vm\tMon Jan  5 00:00:00 2015\n\tx\n\n", At(2015, 1, 5, 0, 0, 0), ""},
        HeaderCase{"ZeroPaddedDay", "SRV\tMon Jan 05 23:59:59 2015\n\tx\n\n", At(2015, 1, 5, 23, 59, 59), ""},
        HeaderCase{"EmptySource", "\tTue Dec  8 20:50:21 2026\n\tx\n\n", At(2026, 12, 8, 20, 50, 21), ""},
        HeaderCase{"OnlyOneTab", "host\tTue Dec  8 20:50:21 2026", At(2026, 12, 8, 20, 50, 21), ""},
        HeaderCase{"IgnoresWeekdayAndTail", "h\tXyz Feb 29 01:02:03 2016garbage", At(2016, 2, 29, 1, 2, 3), ""},
        HeaderCase{"UnpaddedDayShiftsFields", "h\tMon Jan 5 10:42:17 2015\n",
                   std::nullopt, "!\r\n'0:' is not a valid integer value"},
        HeaderCase{"UpperCaseMonth", "h\tWed JAN 28 10:42:17 2015\n",
                   std::nullopt, "!\r\n''2015/0/28 10:42:17.0'' is not a valid date and time"},
        HeaderCase{"LowerCaseMonth", "h\tWed jan 28 10:42:17 2015\n",
                   std::nullopt, "!\r\n''2015/0/28 10:42:17.0'' is not a valid date and time"},
        HeaderCase{"FirstOfMarch", "h\tSun Mar 01 10:42:17 2015\n", At(2015, 3, 1, 10, 42, 17), ""},
        HeaderCase{"February29NotLeap", "h\tSun Feb 29 10:42:17 2015\n",
                   std::nullopt, "!\r\n''2015/2/29 10:42:17.0'' is not a valid date and time"},
        HeaderCase{"Hour24", "h\tSun Feb 01 24:00:00 2015\n",
                   std::nullopt, "!\r\n''2015/2/1 24:0:0.0'' is not a valid date and time"},
        HeaderCase{"Minute60", "h\tSun Feb 01 10:60:00 2015\n",
                   std::nullopt, "!\r\n''2015/2/1 10:60:0.0'' is not a valid date and time"},
        HeaderCase{"Second60", "h\tSun Feb 01 10:00:60 2015\n",
                   std::nullopt, "!\r\n''2015/2/1 10:0:60.0'' is not a valid date and time"},
        HeaderCase{"YearZero", "h\tSun Feb 01 10:00:00 0000\n",
                   std::nullopt, "!\r\n''0/2/1 10:0:0.0'' is not a valid date and time"},
        HeaderCase{"NegativeDayWrapsToWord", "h\tSun Feb -1 10:00:00 2015\n",
                   std::nullopt, "!\r\n''2015/2/65535 10:0:0.0'' is not a valid date and time"},
        HeaderCase{"DayCheckedBeforeYear", "h\tSun Feb xx 10:00:00 yyyy\n",
                   std::nullopt, "!\r\n'xx' is not a valid integer value"},
        HeaderCase{"TabAtTheEnd", "host\t", std::nullopt, "!\r\n'' is not a valid integer value"},
        HeaderCase{"BinaryAfterTab", "h\t\x02\xff\x01 Jan \x80\x81", std::nullopt,
                   "!\r\n'\x80\x81' is not a valid integer value"},
        HeaderCase{"NoTab", "no tab here\n\n", std::nullopt, ""}),
    [](const ::testing::TestParamInfo<HeaderCase>& info) { return std::string(info.param.Name); });

TEST(HeaderGrammarTest, MonthSearchStartsAtTheLastMonthFoundButDoesNotDependOnIt)
{
    TFBLogDescriptor grammar("");
    EXPECT_EQ(grammar.LastMonth(), 1);
    grammar.ExtractDateTime("h\tWed Mar 04 10:00:00 2015\n");
    EXPECT_EQ(grammar.LastMonth(), 3);
    EXPECT_EQ(grammar.ExtractDateTime("h\tThu Jan 01 10:00:00 2015\n"), At(2015, 1, 1, 10, 0, 0));
    EXPECT_EQ(grammar.LastMonth(), 1);
    EXPECT_EQ(grammar.ExtractDateTime("h\tThu Dec 31 10:00:00 2015\n"), At(2015, 12, 31, 10, 0, 0));
    EXPECT_EQ(grammar.LastMonth(), 12);
    EXPECT_THROW(grammar.ExtractDateTime("h\tThu Foo 31 10:00:00 2015\n"), EFBLogWrongMessageFmt);
    EXPECT_EQ(grammar.LastMonth(), 12);
}

TEST(HeaderGrammarTest, ErrorMessagesUseTheConfiguredSeparators)
{
    const FBLogDateTimeSeparators saved = GetDateTimeSeparators();
    SetDateTimeSeparators({'.', '-', ','});
    TFBLogDescriptor grammar("");
    try {
        grammar.ExtractDateTime("h\tSun Feb 30 01:02:03 2015");
        ADD_FAILURE() << "no exception";
    } catch (const EFBLogWrongMessageFmt& e) {
        EXPECT_NE(std::string(e.what()).find("''2015.2.30 1-2-3,0''"), std::string::npos) << e.what();
    }
    SetDateTimeSeparators(saved);
}

TEST(HeaderGrammarTest, SourceIsTheTrimmedTextBeforeTheFirstTab)
{
    const TFBLogDescriptor grammar("");
    EXPECT_EQ(grammar.ExtractSource("DBHOST (Server)\tWed Jan 28 10:42:17 2015\r\n\tx\r\n\r\n"), "DBHOST (Server)");
    EXPECT_EQ(grammar.ExtractSource("\r\n  SRV2008 (Client) \tWed"), "SRV2008 (Client)");
    EXPECT_EQ(grammar.ExtractSource("\tWed Jan 28 10:42:17 2015"), "");
    EXPECT_EQ(grammar.ExtractSource("host\t"), "host");
}

TEST(HeaderGrammarTest, MessageRunsFromTheSecondTabAndKeepsInnerLines)
{
    const TFBLogDescriptor grammar("");
    EXPECT_EQ(grammar.ExtractMessage("H\tWed Jan 28 10:42:17 2015\r\n\tSweep is started by SWEEPER\r\n"
                                     "\tDatabase \"x.fdb\" \r\n\r\n"),
              "Sweep is started by SWEEPER\r\n\tDatabase \"x.fdb\"");
    EXPECT_EQ(grammar.ExtractMessage("H\tWed\t"), "");
}

TEST(HeaderGrammarTest, EachOperationNamesItsPartWhenThereIsNoTab)
{
    const TFBLogDescriptor grammar("");
    const std::string text = "line one\r\nline two\r\n\r\n";
    const auto messageOf = [&](auto&& call) {
        try {
            call();
        } catch (const EFBLogWrongMessageFmt& e) {
            return std::string(e.what());
        }
        return std::string("no exception");
    };
    EXPECT_EQ(messageOf([&] { grammar.ExtractSource(text); }),
              "FBLogDescriptor: Can't extract the source-part from string \"" + text + "\"");
    EXPECT_EQ(messageOf([&] { grammar.ExtractMessage(text); }),
              "FBLogDescriptor: Can't extract the message-part from string \"" + text + "\"");
    EXPECT_EQ(messageOf([&] { grammar.ExtractMessage("one\ttab only"); }),
              "FBLogDescriptor: Can't extract the message-part from string \"one\ttab only\"");
    EXPECT_EQ(messageOf([&] { TFBLogDescriptor("").ExtractDateTime(text); }), kPrefix + text + "\"");
}
