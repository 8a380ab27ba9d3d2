#include "TempFolder.h"
#include "uFBLogDescriptor.h"

#include <gtest/gtest.h>

namespace {

struct RowAttributes {
    std::string MatchText;
    TFBLogSeverity Severity;
    std::string Facility;

    bool operator==(const RowAttributes&) const = default;
};

std::ostream& operator<<(std::ostream& out, const RowAttributes& row)
{
    return out << row.MatchText << " " << SeverityName(row.Severity) << " " << row.Facility;
}

std::vector<RowAttributes> AttributesOf(const TFBLogDescriptor& catalogue)
{
    std::vector<RowAttributes> rows;
    for (const TFBLogDescription& row : catalogue.Descriptions())
        rows.push_back({row.MatchText(), row.Severity(), row.Facility()});
    return rows;
}

}  // namespace

TEST(CatalogueDirectivesTest, DirectivesApplyToTheRowsBelowUntilTheNextOfTheirName)
{
    TempFolder folder;
    const TFBLogDescriptor catalogue(folder.Write("c.descr",
                                                  "before ** no directive yet\n"
                                                  "; @severity critical\n"
                                                  "; @facility NET\n"
                                                  "bind ** cannot listen\n"
                                                  ";@severity Warning\r\n"
                                                  "reset ** a client went away\n"
                                                  "; @facility auth\n"
                                                  "login ** a wrong password\n"
                                                  " ; @severity info ** x\n"
                                                  "; @severityinfo is no directive\n"
                                                  "last ** still a warning\n"));
    EXPECT_TRUE(catalogue.Warnings().empty());
    using S = TFBLogSeverity;
    EXPECT_EQ(AttributesOf(catalogue), (std::vector<RowAttributes>{{"before", S::Unknown, ""},
                                                                   {"bind", S::Critical, "NET"},
                                                                   {"reset", S::Warning, "NET"},
                                                                   {"login", S::Warning, "AUTH"},
                                                                   {"; @severity info", S::Warning, "AUTH"},
                                                                   {"last", S::Warning, "AUTH"}}))
        << "a line with blanks before ';' is a row, as in the plain format";
}

TEST(CatalogueDirectivesTest, UnknownValuesAreReportedWithTheirLineAndTheRestLoads)
{
    TempFolder folder;
    const std::string path = folder.Write("c.descr",
                                          "; @severity error\n"
                                          "; @facility NET\n"
                                          "one ** 1\n"
                                          "; @severity fatal\n"
                                          "two ** 2\n"
                                          "; @facility DISK\n"
                                          "three ** 3\n");
    const TFBLogDescriptor catalogue(path);
    ASSERT_EQ(catalogue.Warnings().size(), 2u);
    EXPECT_NE(catalogue.Warnings()[0].find("line 4"), std::string::npos) << catalogue.Warnings()[0];
    EXPECT_NE(catalogue.Warnings()[0].find("\"fatal\""), std::string::npos);
    EXPECT_NE(catalogue.Warnings()[1].find("line 6"), std::string::npos) << catalogue.Warnings()[1];
    using S = TFBLogSeverity;
    EXPECT_EQ(AttributesOf(catalogue), (std::vector<RowAttributes>{
                                           {"one", S::Error, "NET"}, {"two", S::Unknown, "NET"}, {"three", S::Unknown, ""}}));
}

TEST(CatalogueDirectivesTest, TitleIsTheFirstSentence)
{
    EXPECT_EQ(TFBLogDescription("a", "Connection reset by the client (error 10054). More text.").Title(),
              "Connection reset by the client (error 10054)");
    EXPECT_EQ(TFBLogDescription("a", "Server 10.0.0.1 stopped listening\r\nSecond line.").Title(),
              "Server 10.0.0.1 stopped listening");
    EXPECT_EQ(TFBLogDescription("a", "No full stop at all").Title(), "No full stop at all");
    EXPECT_EQ(TFBLogDescription("a", "Ends here.").Title(), "Ends here");
}

TEST(CatalogueDirectivesTest, SeverityNamesReadInAnyCaseAndOrderBySeriousness)
{
    EXPECT_EQ(ParseSeverity("CRITICAL"), TFBLogSeverity::Critical);
    EXPECT_EQ(ParseSeverity("Info"), TFBLogSeverity::Info);
    EXPECT_EQ(ParseSeverity("informational"), std::nullopt);
    EXPECT_EQ(ParseSeverity(""), std::nullopt);
    EXPECT_EQ(SeverityName(TFBLogSeverity::Warning), "warning");
    EXPECT_LT(TFBLogSeverity::Unknown, TFBLogSeverity::Info);
    EXPECT_LT(TFBLogSeverity::Error, TFBLogSeverity::Critical);
    EXPECT_TRUE(IsKnownFacility("VALIDATION"));
    EXPECT_FALSE(IsKnownFacility("validation"));
}
