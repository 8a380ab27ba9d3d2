#include "FBLogSampleGenerator.h"
#include "FBLogSearch.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using Terms = std::vector<TFBLogSearchTerm>;

// A generated log scanned into its index, kept on disk for the test's length.
struct ScannedLog {
    explicit ScannedLog(const SampleLogOptions& options)
        : Path(Folder.Write("firebird.log", GenerateSampleLog(options).Bytes)), Parser(Path)
    {
        Parser.ScanEntries(Msgs);
    }

    TempFolder Folder;
    std::string Path;
    TFBLogParser Parser;
    FBLogsMsgs Msgs;
};

// What a search over the whole log must find: each entry searched on its own.
TFBLogEntrySet MatchEachEntry(const TFBLogSearch& search, const ScannedLog& log)
{
    TFBLogEntrySet set(log.Msgs.size());
    for (std::size_t i = 0; i < log.Msgs.size(); ++i)
        if (search.Matches(log.Parser.ReadEntryText(log.Msgs[i].Offset, log.Msgs[i].Length)))
            set.Add(i);
    return set;
}

std::vector<std::size_t> Members(const TFBLogEntrySet& set)
{
    std::vector<std::size_t> members;
    for (std::size_t i = 0; i < set.Size(); ++i)
        if (set.Contains(i))
            members.push_back(i);
    return members;
}

}  // namespace

TEST(SearchQueryTest, SplitsTermsPhrasesAndExclusions)
{
    EXPECT_EQ(ParseSearchQuery("  inet  -10054 ", false), (Terms{{"inet", false}, {"10054", true}}));
    EXPECT_EQ(ParseSearchQuery("\"connection reset\" -\"client host\"", false),
              (Terms{{"connection reset", false}, {"client host", true}}));
    EXPECT_EQ(ParseSearchQuery("- a", false), (Terms{{"-", false}, {"a", false}})) << "a lone dash is a term";
    EXPECT_EQ(ParseSearchQuery("\"unclosed phrase", false), (Terms{{"unclosed phrase", false}}));
    EXPECT_EQ(ParseSearchQuery("\"\" -\"\"", false), Terms{});
    EXPECT_EQ(ParseSearchQuery("errno = 1005[34]", true), (Terms{{"errno = 1005[34]", false}}));
    EXPECT_EQ(ParseSearchQuery(" -errno = 10054", true), (Terms{{"errno = 10054", true}}));
    EXPECT_EQ(ParseSearchQuery("   ", true), Terms{});
}

TEST(SearchTest, TermsMatchTheWholeEntryByTheOptions)
{
    const std::string entry = "DB1 (Server)\tMon Nov  2 08:00:00 2026\tINET/inet_error: read errno = 10054\n\n";
    EXPECT_TRUE(TFBLogSearch("inet_ERROR db1", {}).Matches(entry)) << "header and body, any case";
    EXPECT_FALSE(TFBLogSearch("inet_ERROR", {.MatchCase = true}).Matches(entry));
    EXPECT_FALSE(TFBLogSearch("inet -10054", {}).Matches(entry));
    EXPECT_TRUE(TFBLogSearch("-10053", {}).Matches(entry));
    EXPECT_TRUE(TFBLogSearch("", {}).Matches(entry));
    EXPECT_TRUE(TFBLogSearch("", {}).Empty());

    EXPECT_TRUE(TFBLogSearch("10054", {.WholeWords = true}).Matches(entry));
    EXPECT_FALSE(TFBLogSearch("1005", {.WholeWords = true}).Matches(entry));
    EXPECT_FALSE(TFBLogSearch("error", {.WholeWords = true}).Matches(entry)) << "inet_error is one word";
    EXPECT_TRUE(TFBLogSearch("inet_error:", {.WholeWords = true}).Matches(entry));

    EXPECT_TRUE(TFBLogSearch("errno = 1005[34]$", {.RegularExpression = true}).Matches(entry));
    EXPECT_TRUE(TFBLogSearch("^db1", {.RegularExpression = true}).Matches(entry));
    EXPECT_FALSE(TFBLogSearch("^db1", {.MatchCase = true, .RegularExpression = true}).Matches(entry));
    EXPECT_FALSE(TFBLogSearch("-inet.error", {.RegularExpression = true}).Matches(entry));
    EXPECT_FALSE(TFBLogSearch("100", {.WholeWords = true, .RegularExpression = true}).Matches(entry));
}

TEST(SearchTest, InvalidRegularExpressionSaysWhyAndMatchesNothingExtra)
{
    const TFBLogSearch search("errno = (100", {.RegularExpression = true});
    EXPECT_FALSE(search.Valid());
    EXPECT_NE(search.ErrorText().find("missing )"), std::string::npos) << search.ErrorText();
    // A pattern that backtracking engines take exponential time over runs in linear time.
    const TFBLogSearch nested("(a*)*b", {.RegularExpression = true});
    ASSERT_TRUE(nested.Valid());
    EXPECT_FALSE(nested.Matches(std::string(100000, 'a')));
}

TEST(SearchTest, MatchRangesCoverEveryIncludedTermOnce)
{
    const std::string text = "errno = 10054, errno = 10054; ERRNO";
    const TFBLogSearch search("errno 10054 -nothing", {});
    EXPECT_EQ(search.MatchRanges(text),
              (std::vector<TFBLogTextRange>{{0, 5}, {8, 13}, {15, 20}, {23, 28}, {30, 35}}));
    EXPECT_EQ(TFBLogSearch("\"errno = 1\" no", {}).MatchRanges(text),
              (std::vector<TFBLogTextRange>{{0, 9}, {15, 24}, {33, 35}}))
        << "overlapping ranges of two terms become one";
    EXPECT_EQ(TFBLogSearch("x*", {.RegularExpression = true}).MatchRanges(text), std::vector<TFBLogTextRange>{})
        << "empty matches highlight nothing";
}

TEST(SearchTest, WholeLogSearchFindsWhatSearchingEachEntryFinds)
{
    for (const FBServerPlatform platform : {FBServerPlatform::Linux, FBServerPlatform::Windows}) {
        SampleLogOptions options;
        options.Platform = platform;
        options.Version = platform == FBServerPlatform::Windows ? FBServerVersion::Firebird25 : FBServerVersion::Firebird30;
        options.Entries = 5000;
        const ScannedLog log(options);
        const std::vector<std::pair<std::string, TFBLogSearchOptions>> queries = {
            {"10054", {}},
            {"inet_error -10054", {}},
            {"ERRNO", {.MatchCase = true}},
            {"errno", {.WholeWords = true}},
            {"\"Nov  2\"", {}},
            {"(server) -\"database\"", {}},
            {"-e", {}},
            {"errno = 10[0-9]+$", {.RegularExpression = true}},
            {"-^\\S+\\s", {.RegularExpression = true}},
            {"zzzz", {}}};
        for (const auto& [query, searchOptions] : queries) {
            const TFBLogSearch search(query, searchOptions);
            ASSERT_TRUE(search.Valid()) << query;
            const TFBLogEntrySet found = search.MatchEntries(log.Parser, log.Msgs);
            EXPECT_EQ(Members(found), Members(MatchEachEntry(search, log))) << query;
        }
    }
}

TEST(SearchTest, HitsBetweenEntriesOrAcrossTheirEndBelongToNoEntry)
{
    TempFolder folder;
    // The search text holds a line break, so it can reach from one entry into the next.
    const std::string path = folder.Write("firebird.log", "\n\nsrv\tMon Nov  2 08:00:00 2026\tend\n\nnext\tTue\n\n");
    TFBLogParser parser(path);
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(Members(TFBLogSearch("end\n\nnext", {}).MatchEntries(parser, msgs)), std::vector<std::size_t>{});
    EXPECT_EQ(Members(TFBLogSearch("\n\n", {}).MatchEntries(parser, msgs)), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(Members(TFBLogSearch("tue", {}).MatchEntries(parser, msgs)), std::vector<std::size_t>{1});
}

TEST(SearchTest, CancelledSearchStopsEarly)
{
    SampleLogOptions options;
    options.Entries = 2000;
    const ScannedLog log(options);
    const std::atomic<bool> cancelled(true);
    EXPECT_EQ(TFBLogSearch("e", {}).MatchEntries(log.Parser, log.Msgs, &cancelled).Count(), 0u);
}

TEST(SearchTest, EntriesAppendedAfterTheLoadAreSearchedThroughToo)
{
    // The appended bytes are held apart from those read at the load; a search through the log
    // goes through both.
    const auto entry = [](int second, const std::string& message) {
        return "DB1 (Server)\tMon Nov 02 10:00:0" + std::to_string(second) + " 2026\n\t" + message + "\n\n";
    };
    TempFolder folder;
    const std::string path = folder.Write("growing.log", entry(1, "read errno = 10054") + entry(2, "Sweep is started"));
    TFBLogParser parser(path);
    FBLogsMsgs msgs;
    std::int64_t end = 0;
    parser.ScanEntriesFrom(end, msgs);
    std::ofstream(path, std::ios::binary | std::ios::app) << entry(3, "send errno = 10054") << entry(4, "Sweep is finished");
    FBLogsMsgs added;
    ASSERT_TRUE(parser.ScanAppendedEntries(end, added));
    msgs.insert(msgs.end(), added.begin(), added.end());
    ASSERT_EQ(msgs.size(), 4u);

    for (const char* query : {"10054", "errno 10054"}) {
        const TFBLogEntrySet found = TFBLogSearch(query, {}).MatchEntries(parser, msgs);
        EXPECT_EQ(found.Count(), 2u) << query;
        EXPECT_TRUE(found.Contains(0) && found.Contains(2)) << query;
    }
}
