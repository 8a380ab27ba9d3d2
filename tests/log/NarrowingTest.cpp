#include "FBLogDateTime.h"
#include "FBLogNarrowing.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace {

double Day(int day, int hour = 0)
{
    return *TryEncodeDateTime({2026, 11, static_cast<std::uint16_t>(day), static_cast<std::uint16_t>(hour), 0, 0, 0});
}

// Five entries: offsets 0..4, on three days, one without a date.
FBLogsMsgs FiveEntries()
{
    return {{0, 1, Day(2, 8)}, {1, 1, Day(2, 9)}, {2, 1, Day(3, 1)}, {3, 1, 0.0}, {4, 1, Day(4, 23)}};
}

std::vector<std::int64_t> Offsets(const FBLogsMsgs& msgs)
{
    std::vector<std::int64_t> offsets;
    for (const FBLogMsg& m : msgs)
        offsets.push_back(m.Offset);
    return offsets;
}

}  // namespace

TEST(NarrowingTest, ShowsTheIntersectionOfDatesKindsAndSearch)
{
    TempFolder folder;
    const TFBLogDescriptor catalogue(folder.Write("c.descr",
                                                  "; @severity warning\nreset ** r\n"
                                                  "; @severity critical\nbugcheck ** b\n"
                                                  "; @severity info\nstarted ** s\n"));
    const FBLogsMsgs msgs = FiveEntries();
    const FBLogKinds kinds = {1, 2, 3, kUnknownKind, 1};

    TFBLogNarrowing narrowing;
    EXPECT_EQ(Offsets(NarrowEntries(msgs, narrowing)), (std::vector<std::int64_t>{0, 1, 2, 3, 4})) << "nothing narrows";

    narrowing.SetDateRange(Day(2), Day(3, 23));
    EXPECT_EQ(Offsets(NarrowEntries(msgs, narrowing)), (std::vector<std::int64_t>{0, 1, 2}));

    narrowing.SetKinds(&kinds, ShownKinds(catalogue, {"reset"}, TFBLogSeverity::Unknown));
    EXPECT_EQ(Offsets(NarrowEntries(msgs, narrowing)), (std::vector<std::int64_t>{1, 2}));

    narrowing.SetKinds(&kinds, ShownKinds(catalogue, {}, TFBLogSeverity::Warning));
    EXPECT_EQ(Offsets(NarrowEntries(msgs, narrowing)), (std::vector<std::int64_t>{0, 1}));

    TFBLogEntrySet found(msgs.size());
    found.Add(1);
    found.Add(4);
    narrowing.SetSearchMatches(&found);
    EXPECT_EQ(Offsets(NarrowEntries(msgs, narrowing)), (std::vector<std::int64_t>{1}));

    narrowing.SetDateRange(-1e9, 1e9);
    narrowing.SetKinds(&kinds, ShownKinds(catalogue, {"", "no longer in the catalogue"}, TFBLogSeverity::Unknown));
    narrowing.SetSearchMatches(nullptr);
    EXPECT_EQ(Offsets(NarrowEntries(msgs, narrowing)), (std::vector<std::int64_t>{0, 1, 2, 4}))
        << "the unknown kind hides under the empty match text";
}

TEST(NarrowingTest, SeverityAtLeastHidesLessSeriousAndUnknownKinds)
{
    TempFolder folder;
    const TFBLogDescriptor catalogue(folder.Write("c.descr", "plain ** no directive\n; @severity error\nerr ** e\n"));
    EXPECT_EQ(ShownKinds(catalogue, {}, TFBLogSeverity::Unknown), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(ShownKinds(catalogue, {}, TFBLogSeverity::Info), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(ShownKinds(catalogue, {}, TFBLogSeverity::Critical), (std::vector<bool>{false, false, false}));
}

TEST(NarrowingTest, KindSummariesCountTheDateRangeWithFirstAndLastTimes)
{
    const FBLogsMsgs msgs = FiveEntries();
    const FBLogKinds kinds = {1, 2, 1, 1, 1};
    const std::vector<TFBLogKindSummary> all = SummarizeKinds(msgs, kinds, -1e9, 1e9);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].Kind, 1);
    EXPECT_EQ(all[0].Count, 4u);
    EXPECT_EQ(all[0].First, Day(2, 8)) << "an undated entry counts but has no time";
    EXPECT_EQ(all[0].Last, Day(4, 23));
    EXPECT_EQ(all[1].Kind, 2);
    EXPECT_EQ(all[1].Count, 1u);

    const std::vector<TFBLogKindSummary> third = SummarizeKinds(msgs, kinds, Day(3), Day(3, 23));
    ASSERT_EQ(third.size(), 1u);
    EXPECT_EQ(third[0].Count, 1u);
    EXPECT_EQ(third[0].First, Day(3, 1));

    const std::vector<TFBLogKindSummary> undated = SummarizeKinds({{0, 1, 0.0}}, {0}, -1, 1);
    ASSERT_EQ(undated.size(), 1u);
    EXPECT_EQ(undated[0].First, 0.0);
    EXPECT_TRUE(SummarizeKinds(msgs, kinds, Day(10), Day(11)).empty());
}

TEST(EntrySetTest, CountsIntersectsAndSubtractsAcrossWordEdges)
{
    TFBLogEntrySet all(130, true);
    EXPECT_EQ(all.Count(), 130u);
    EXPECT_FALSE(all.Contains(130));
    TFBLogEntrySet some(130);
    for (std::size_t i : {0u, 63u, 64u, 129u})
        some.Add(i);
    all.Subtract(some);
    EXPECT_EQ(all.Count(), 126u);
    EXPECT_FALSE(all.Contains(64));
    TFBLogEntrySet both(130, true);
    both.IntersectWith(some);
    EXPECT_EQ(both.Count(), 4u);
    EXPECT_TRUE(both.Contains(129));
}
