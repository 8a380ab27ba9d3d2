// Measures the main window's passes on a log of millions of entries: the list fill under
// "All records", the days pass, and sorting the list by "Time" and by "Message", each with the
// peak memory it adds, and the memory the list keeps per row.
//
//   list_bench [entries, default 2000000]

#include "BenchHome.h"
#include "FBLogSampleGenerator.h"
#include "ProcessMemory.h"
#include "FileChooser.h"
#include "LogMessagesModel.h"
#include "LogViewerMain.h"
#include "Timestamps.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

template <typename Work>
void Measure(const char* name, double targetSeconds, Work&& work)
{
    ResetPeak();
    const long before = StatusKiB("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    work();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long peak = StatusKiB("VmHWM:");
    std::printf("  %-28s %8.3f s (target under %.1f s)   peak memory +%.1f MiB\n", name, seconds, targetSeconds,
                static_cast<double>(peak - before) / 1024.0);
}

}  // namespace

int main(int argc, char** argv)
{
    const long long entries = argc > 1 ? std::atoll(argv[1]) : 2000000;
    const TBenchHome home;
    QApplication application(argc, argv);

    SampleLogOptions options;
    options.Version = FBServerVersion::Firebird30;
    options.Entries = entries;
    options.MeanSecondsBetween = 20;
    const QString path = home.FilePath(QStringLiteral("firebird.log"));
    {
        const SampleLog log = GenerateSampleLog(options);
        std::ofstream(path.toStdString(), std::ios::binary).write(log.Bytes.data(), static_cast<std::streamsize>(log.Bytes.size()));
        std::printf("List benchmark: %zu entries, %.1f MB log (Firebird 3.0, Linux)\n", log.ExpectedDateTimes.size(),
                    static_cast<double>(log.Bytes.size()) / 1e6);
    }

    TfmLogViewer window;
    window.resize(1008, 662);
    window.show();
    SetFileChooser([&](QWidget*, const TFileOpenRequest&) { return path; });
    window.acFBLogOpenExecute();
    const std::size_t total = window.LogMsgs().size();

    const double allFrom = StartOfDay(QDate(1800, 1, 1));
    const double allTo = EndOfDay(QDate(9999, 12, 31));
    window.MessagesModel()->Clear();
    QCoreApplication::processEvents();
    const long emptyList = StatusKiB("VmRSS:");
    Measure("list fill, All records", 0.5, [&] { window.FillMessageList(allFrom, allTo); });
    QCoreApplication::processEvents();
    const long fullList = StatusKiB("VmRSS:");
    std::printf("  list memory (model and view): %.1f bytes per row (target at most 40) for %d rows of %zu\n",
                static_cast<double>(fullList - emptyList) * 1024.0 / window.MessagesModel()->rowCount(),
                window.MessagesModel()->rowCount(), total);

    Measure("days pass", 0.5, [&] { window.CalculateDays(); });
    Measure("sort by Time", 5.0, [&] { window.VirtualStringTree1HeaderClick(TLogMessagesModel::ColumnTime); });
    Measure("sort by Message", 5.0, [&] { window.VirtualStringTree1HeaderClick(TLogMessagesModel::ColumnMessage); });
    Measure("sort by Source", 5.0, [&] { window.VirtualStringTree1HeaderClick(TLogMessagesModel::ColumnSource); });
    return 0;
}
