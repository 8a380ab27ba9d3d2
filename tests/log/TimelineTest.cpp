// The timeline's bars must count exactly the entries a pass over the index counts: by bar and
// by severity, with kinds hidden and with search matches, for every bar size.

#include "FBLogDateTime.h"
#include "FBLogNarrowing.h"
#include "FBLogSampleGenerator.h"
#include "FBLogTimeline.h"
#include "TempFolder.h"
#include "uFBLogDescriptor.h"
#include "uFBLogParser.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class TimelineTest : public ::testing::Test {
protected:
    void Load(std::int64_t entries, int meanSecondsBetween)
    {
        SampleLogOptions options;
        options.Entries = entries;
        options.MeanSecondsBetween = meanSecondsBetween;
        options.Start = {2024, 1, 3, 8, 0, 0, 0};
        FParser = std::make_unique<TFBLogParser>(FFolder.Write("firebird.log", GenerateSampleLog(options).Bytes));
        FParser->ScanEntries(FMsgs);
        FKinds = ClassifyEntries(*FParser, FMsgs, FCatalogue);
        FRuns = TFBLogDayRuns();
        FRuns.Add(FMsgs, FKinds, 0);
    }

    TFBLogTimeline Build(double from, double to, const std::vector<bool>* shown = nullptr,
                         const TFBLogEntrySet* matches = nullptr, std::size_t maxBins = 400) const
    {
        return BuildTimeline(FRuns, FMsgs, FKinds, FCatalogue, {from, to, shown, matches, maxBins});
    }

    // Each bar against a pass over the index: the entries of its time span that pass.
    void ExpectBarsCountTheIndex(const TFBLogTimeline& timeline, double from, double to,
                                 const std::vector<bool>* shown = nullptr, const TFBLogEntrySet* matches = nullptr) const
    {
        TFBLogNarrowing narrowing;
        narrowing.SetDateRange(from, to);
        if (shown != nullptr)
            narrowing.SetKinds(&FKinds, *shown);
        narrowing.SetSearchMatches(matches);
        std::size_t drawn = 0;
        std::size_t undated = 0;
        for (std::size_t i = 0; i < FMsgs.size(); ++i) {
            if (!narrowing.Passes(i, FMsgs[i]))
                continue;
            if (FMsgs[i].DateTime == 0) {
                ++undated;
                continue;
            }
            ++drawn;
            const auto bar = std::find_if(timeline.Bins.begin(), timeline.Bins.end(), [&](const TFBLogBin& bin) {
                return bin.Start <= FMsgs[i].DateTime && FMsgs[i].DateTime < bin.End;
            });
            ASSERT_NE(bar, timeline.Bins.end()) << "entry " << i << " has no bar";
        }
        std::size_t counted = 0;
        for (const TFBLogBin& bin : timeline.Bins) {
            std::array<std::size_t, kFBLogSeverityCount> expected{};
            for (std::size_t i = 0; i < FMsgs.size(); ++i)
                if (narrowing.Passes(i, FMsgs[i]) && bin.Start <= FMsgs[i].DateTime && FMsgs[i].DateTime < bin.End)
                    ++expected[static_cast<std::size_t>(SeverityOfKind(FCatalogue, FKinds[i]))];
            EXPECT_EQ(bin.Counts, expected) << "bar from " << bin.Start;
            counted += bin.Total();
        }
        EXPECT_EQ(counted, drawn);
        EXPECT_EQ(timeline.Undated, undated);
    }

    TempFolder FFolder;
    TFBLogDescriptor FCatalogue{KESTRELON_CATALOGUE};
    std::unique_ptr<TFBLogParser> FParser;
    FBLogsMsgs FMsgs;
    FBLogKinds FKinds;
    TFBLogDayRuns FRuns;
};

double Day(int year, int month, int day, bool end = false)
{
    FBLogDateParts parts{year, month, day, end ? 23 : 0, end ? 59 : 0, end ? 59 : 0, end ? 999 : 0};
    return *TryEncodeDateTime(parts);
}

TEST_F(TimelineTest, BarsOfEverySizeCountWhatTheNarrowingPasses)
{
    Load(3000, 30000);  // about three years
    const double all[] = {Day(1800, 1, 1), Day(9999, 12, 31, true)};
    for (const std::size_t maxBins : {std::size_t{2000}, std::size_t{200}, std::size_t{60}}) {
        const TFBLogTimeline timeline = Build(all[0], all[1], nullptr, nullptr, maxBins);
        EXPECT_EQ(timeline.Size, maxBins == 2000 ? TFBLogBinSize::Day
                                                 : (maxBins == 200 ? TFBLogBinSize::Week : TFBLogBinSize::Month));
        EXPECT_LE(timeline.Bins.size(), maxBins);
        ExpectBarsCountTheIndex(timeline, all[0], all[1]);
    }
    EXPECT_GT(Build(all[0], all[1]).Undated, 0u) << "the generated log has pieces without a date";

    // Hidden kinds and a least severity, and search matches, over a month.
    const double month[] = {Day(2025, 3, 1), Day(2025, 3, 31, true)};
    const std::vector<bool> shown = ShownKinds(FCatalogue, {"errno = 10054"}, TFBLogSeverity::Warning);
    ExpectBarsCountTheIndex(Build(month[0], month[1], &shown), month[0], month[1], &shown);
    TFBLogEntrySet matches(FMsgs.size());
    for (std::size_t i = 0; i < FMsgs.size(); i += 3)
        matches.Add(i);
    ExpectBarsCountTheIndex(Build(month[0], month[1], &shown, &matches), month[0], month[1], &shown, &matches);
    EXPECT_EQ(Build(month[0], month[1]).Undated, 0u) << "a range of dates holds no undated entry";
}

TEST_F(TimelineTest, OneDayShowsHoursAndAnEmptyRangeNoBars)
{
    Load(400, 600);
    const int day = DatePart(FMsgs[FMsgs.size() / 2].DateTime);
    const TFBLogTimeline hours = Build(day, day + 0.99999);
    EXPECT_EQ(hours.Size, TFBLogBinSize::Hour);
    EXPECT_EQ(hours.Bins.size(), 24u);
    ExpectBarsCountTheIndex(hours, day, day + 0.99999);

    EXPECT_TRUE(Build(Day(2030, 1, 1), Day(2030, 1, 31, true)).Bins.empty());
    FRuns = TFBLogDayRuns();
    EXPECT_TRUE(BuildTimeline(FRuns, {}, {}, FCatalogue, {Day(1800, 1, 1), Day(9999, 1, 1), nullptr, nullptr, 400})
                    .Bins.empty());
}

TEST_F(TimelineTest, RunsTakenInPiecesCountAsRunsTakenAtOnce)
{
    Load(1500, 900);
    TFBLogDayRuns pieces;
    FBLogsMsgs growing;
    FBLogKinds kinds;
    for (std::size_t at = 0; at < FMsgs.size(); at += 97) {
        const std::size_t end = std::min(FMsgs.size(), at + 97);
        growing.insert(growing.end(), FMsgs.begin() + static_cast<std::ptrdiff_t>(at), FMsgs.begin() + static_cast<std::ptrdiff_t>(end));
        kinds.insert(kinds.end(), FKinds.begin() + static_cast<std::ptrdiff_t>(at), FKinds.begin() + static_cast<std::ptrdiff_t>(end));
        pieces.Add(growing, kinds, at);
    }
    ASSERT_EQ(pieces.Runs().size(), FRuns.Runs().size());
    for (std::size_t i = 0; i < FRuns.Runs().size(); ++i) {
        EXPECT_EQ(pieces.Runs()[i].First, FRuns.Runs()[i].First);
        EXPECT_EQ(pieces.Runs()[i].Count, FRuns.Runs()[i].Count);
        EXPECT_EQ(pieces.Runs()[i].Kinds, FRuns.Runs()[i].Kinds);
    }
    EXPECT_EQ(pieces.Undated(), FRuns.Undated());
}

}  // namespace
