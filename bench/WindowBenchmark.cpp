// Measures the window on a big log, in the way a user meets it: from "&Open..." to a painted list
// of all entries (scan, days pass and list fill, with the classification running beside the last
// two), and on to every entry classified; the program's own memory after that, and the sorts of the list by "Message", "Source" and "Time". For each it reports the
// longest time the window went without handling events (a timer ticking every 5 ms).
// Logs LF and CR LF are each opened in a fresh child process, against the floor of reading the
// file in 1 MiB blocks plus one memchr pass measured here in the same run. Beside them it prints
// how much of the log the system held in its cache before each pass, and what a page fault costs
// on this machine: both move the figures from run to run on a virtual machine.
//
//   window_bench [size in MiB, default 1024] [folder for the generated logs, default: temp]

#include "BenchHome.h"
#include "BenchLogs.h"
#include "FileChooser.h"
#include "LogMessagesModel.h"
#include "LogViewerMain.h"
#include "ProcessMemory.h"
#include "Stopwatch.h"

#include <QApplication>
#include <QComboBox>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// The longest time between two ticks of a 5 ms timer while a piece of work runs: how long the
// window went without handling events.
class Heartbeat {
public:
    explicit Heartbeat(const QWidget& window) : FWindow(window)
    {
        FTimer.setInterval(5);
        QObject::connect(&FTimer, &QTimer::timeout, [this] { Tick(); });
        FTimer.start();
    }

    template <typename Work>
    double LongestGapDuring(Work&& work)
    {
        FLast = Now();
        FLongest = 0;
        FCaption.clear();
        work();
        Tick();
        return FLongest;
    }
    // The window's caption when the longest gap ended: the pass it fell in.
    const QString& CaptionAtLongest() const { return FCaption; }

private:
    static double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }
    void Tick()
    {
        const double now = Now();
        if (now - FLast > FLongest) {
            FLongest = now - FLast;
            FCaption = FWindow.windowTitle();
        }
        FLast = now;
    }

    const QWidget& FWindow;
    QTimer FTimer;
    QString FCaption;
    double FLast = 0;
    double FLongest = 0;
};

void PaintList(TfmLogViewer& window)
{
    auto* list = window.findChild<QTableView*>(QStringLiteral("VirtualStringTree1"));
    list->viewport()->repaint();
}

// Child mode: opens the log in a window and prints what it measured.
int MeasureWindow(int argc, char** argv, const QString& path, double floorSeconds)
{
    const TBenchHome home;
    QApplication application(argc, argv);
    TfmLogViewer window;
    Heartbeat heartbeat(window);
    window.resize(1008, 662);
    window.show();
    QCoreApplication::processEvents();
    auto* dateFilter = window.findChild<QComboBox*>(QStringLiteral("cbShowDateFilter"));
    dateFilter->setCurrentIndex(TfmLogViewer::dfAllRecords);
    emit dateFilter->activated(TfmLogViewer::dfAllRecords);
    SetFileChooser([&](QWidget*, const TFileOpenRequest&) { return path; });

    // Each pass begins by showing its start text: the times between them are the passes' times.
    std::vector<std::pair<double, QString>> passStarts;
    const auto passStart = std::chrono::steady_clock::now();
    // The entries are classified while the list fills; the wait for the rest of that work comes
    // last, so the list is complete and painted when its caption appears.
    double listPainted = 0;
    const QString classifying = QStringLiteral("Classifying entries... ");
    QObject::connect(&window, &QWidget::windowTitleChanged, [&](const QString& title) {
        if (title == classifying) {
            PaintList(window);
            listPainted = std::chrono::duration<double>(std::chrono::steady_clock::now() - passStart).count();
        }
        if (title.endsWith(QStringLiteral("... ")))
            passStarts.emplace_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - passStart).count(), title);
    });
    const std::string logPath = path.toStdString();
    const double cachedBeforeOpen = CachedShareOf(logPath);
    const long before = StatusKiB("RssAnon:");
    double openGap = 0;
    const double openSeconds = Seconds([&] {
        openGap = heartbeat.LongestGapDuring([&] {
            window.acFBLogOpenExecute();
            PaintList(window);
        });
    });
    const double listSeconds = listPainted > 0 ? listPainted : openSeconds;
    const long after = StatusKiB("RssAnon:");
    const double entries = static_cast<double>(window.LogMsgs().size());
    const double rows = window.MessagesModel()->RowCount();
    const double own = static_cast<double>(after - before) * 1024.0;
    const double budget = 24.0 * entries + 24.0 * rows + 64.0 * 1024 * 1024;
    std::printf("  open to a painted list of %.0f rows: %.3f s = %.1fx the floor (target 4x); every entry classified: "
                "%.3f s = %.1fx; longest without events %.0f ms (target under 100), at \"%s\"; log cached before: %.0f%%\n",
                rows, listSeconds, listSeconds / floorSeconds, openSeconds, openSeconds / floorSeconds, openGap * 1000.0,
                qPrintable(heartbeat.CaptionAtLongest()), cachedBeforeOpen * 100.0);
    const double openEnd = std::chrono::duration<double>(std::chrono::steady_clock::now() - passStart).count();
    for (std::size_t i = 0; i < passStarts.size(); ++i)
        std::printf("    %-28s %.3f s\n", qPrintable(passStarts[i].second.trimmed()),
                    (i + 1 < passStarts.size() ? passStarts[i + 1].first : openEnd) - passStarts[i].first);
    std::printf("  own memory after opening: %.1f MiB = %.1f bytes/entry (budget 24/entry + 24/row + 64 MiB = %.1f MiB)\n",
                own / 1048576.0, own / std::max(entries, 1.0), budget / 1048576.0);

    for (const auto& [column, name, target] : {std::tuple{TLogMessagesModel::ColumnMessage, "Message", 4.0},
                                               std::tuple{TLogMessagesModel::ColumnSource, "Source", 2.0},
                                               std::tuple{TLogMessagesModel::ColumnTime, "Time", 2.0}}) {
        double gap = 0;
        const double cached = CachedShareOf(logPath);
        const double seconds = Seconds([&, column = column] {
            gap = heartbeat.LongestGapDuring([&] {
                window.VirtualStringTree1HeaderClick(column);
                PaintList(window);
            });
        });
        std::printf("  sort by %-8s %.3f s (target %.0f s); longest without events %.0f ms; log cached before: %.0f%%\n",
                    name, seconds, target, gap * 1000.0, cached * 100.0);
    }
    return 0;
}

template <typename Work>
double BestOfThree(Work&& work)
{
    double best = 1e300;
    for (int run = 0; run < 3; ++run)
        best = std::min(best, Seconds(work));
    return best;
}

void Measure(const char* self, const char* label, const std::string& path)
{
    std::size_t lines = 0;
    const double floor = BestOfThree([&] { lines = ReadAndCountLines(path); });
    std::printf("%s, %.1f MiB, %zu lines: floor (1 MiB block reads + memchr) %.3f s\n", label,
                static_cast<double>(std::filesystem::file_size(path)) / 1048576.0, lines, floor);
    std::fflush(stdout);
    const std::string command = std::string("\"") + self + "\" --open \"" + path + "\" " + std::to_string(floor);
    if (std::system(command.c_str()) != 0)
        std::printf("  the window's run failed\n");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--open")
        return MeasureWindow(argc, argv, QString::fromLocal8Bit(argv[2]), std::atof(argv[3]));

    const std::int64_t mib = argc > 1 ? std::atoll(argv[1]) : 1024;
    const std::filesystem::path folder =
        argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path() / "kestrelon-bench";
    std::filesystem::create_directories(folder);
    std::printf("Window benchmark, %lld MiB logs\n", static_cast<long long>(mib));
    std::printf("this machine: a page fault costs %.1f us (writing to each 4 KiB page of 256 MiB of new memory)\n",
                PageFaultMicroseconds(std::size_t{256} << 20));
    for (const auto& [label, version, platform] :
         {std::tuple{"LF log (Firebird 3.0, Linux)", FBServerVersion::Firebird30, FBServerPlatform::Linux},
          std::tuple{"CR LF log (Firebird 2.5, Windows)", FBServerVersion::Firebird25, FBServerPlatform::Windows}}) {
        const std::string path = WriteBenchLog(folder, "firebird-window.log", version, platform, mib << 20);
        Measure(argv[0], label, path);
        std::filesystem::remove(path);
    }
    return 0;
}
