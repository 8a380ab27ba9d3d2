// Measures the timeline on a log of 2,000,000 entries over three years: gathering the day runs
// once (with the days pass and the classification already done), then every update the chart
// makes (a new range, hidden kinds, search matches, a single day) and painting it.
//
//   timeline_bench [entries, default 2000000]

#include "FBLogNarrowing.h"
#include "FBLogRecords.h"
#include "FBLogSampleGenerator.h"
#include "FBLogTimeline.h"
#include "TimelineChart.h"
#include "uFBLogDescriptor.h"
#include "uFBLogParser.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <fstream>

namespace {

template <typename Work>
double Milliseconds(Work&& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const long long entries = argc > 1 ? std::atoll(argv[1]) : 2000000;
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("firebird.log")).toStdString();
    SampleLogOptions options;
    options.Entries = entries;
    // Some events write several entries at once, so the log spans less than entries times the
    // mean gap: about 1.4 times the gap gives three years.
    options.MeanSecondsBetween = static_cast<int>(1.4 * 3 * 365 * 86400 / static_cast<double>(entries));
    options.Start = {2023, 1, 1, 0, 0, 0, 0};
    std::ofstream(path, std::ios::binary) << GenerateSampleLog(options).Bytes;

    TFBLogParser parser(path);
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);
    const TFBLogDescriptor catalogue(KESTRELON_CATALOGUE);
    const FBLogKinds kinds = ClassifyEntries(parser, msgs, catalogue);
    std::printf("Timeline benchmark: %zu entries from %s to %s (target for each update: under 50 ms)\n", msgs.size(),
                IsoDateTime(msgs.front().DateTime).value_or("?").c_str(),
                IsoDateTime(msgs.back().DateTime).value_or("?").c_str());

    TFBLogDayRuns runs;
    std::printf("  day runs, gathered once:      %8.1f ms\n", Milliseconds([&] { runs.Add(msgs, kinds, 0); }));

    const std::vector<bool> shown = ShownKinds(catalogue, {"errno = 10054"}, TFBLogSeverity::Warning);
    TFBLogEntrySet matches(msgs.size());
    for (std::size_t i = 0; i < msgs.size(); i += 7)
        matches.Add(i);
    const double all[] = {-36522, 2958465.99};
    const double month[] = {45292, 45322.99};  // January 2024
    const double day[] = {45400, 45400.99};
    TTimelineChart chart;
    chart.resize(1000, 140);
    QImage image(chart.size(), QImage::Format_ARGB32);
    const auto measure = [&](const char* name, const double range[2], const std::vector<bool>* kindShown,
                             const TFBLogEntrySet* found) {
        TFBLogTimeline timeline;
        const double build = Milliseconds(
            [&] { timeline = BuildTimeline(runs, msgs, kinds, catalogue, {range[0], range[1], kindShown, found, 250}); });
        const std::size_t bars = timeline.Bins.size();
        const double paint = Milliseconds([&] {
            chart.SetTimeline(std::move(timeline));
            chart.render(&image);
        });
        std::printf("  %-30s %3zu bars: counted %6.2f ms, painted %6.2f ms, together %6.2f ms\n", name, bars, build,
                    paint, build + paint);
    };
    measure("all, by week", all, nullptr, nullptr);
    measure("all, kinds hidden", all, &shown, nullptr);
    measure("all, search matches", all, &shown, &matches);
    measure("one month, by day", month, nullptr, nullptr);
    measure("one day, by hour", day, nullptr, nullptr);
    return 0;
}
