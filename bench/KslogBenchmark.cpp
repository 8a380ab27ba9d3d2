// Measures kslog's streaming commands on a large log against reading the same file in 1 MiB
// blocks plus one memchr pass over it, in the same run: `kslog summary` (the cut, the header
// dates and the classification of every entry) and `kslog list` without filters. Prints the
// peak resident memory of each, which must not grow with the file.
//
//   kslog_bench [MiB, default 1024] [existing log to use instead of a generated one]

#include "FBLogSampleGenerator.h"
#include "ProcessMemory.h"
#include "KsLogCommands.h"
#include "Stopwatch.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The baseline: every byte read in 1 MiB blocks and passed over once by memchr.
std::size_t ReadWithMemchr(const std::string& path)
{
    std::vector<char> block(1 << 20);
    std::ifstream file(path, std::ios::binary);
    std::size_t lines = 0;
    while (file.read(block.data(), static_cast<std::streamsize>(block.size())) || file.gcount() > 0) {
        const char* at = block.data();
        const char* const end = at + file.gcount();
        while ((at = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)))) != nullptr) {
            ++lines;
            ++at;
        }
    }
    return lines;
}

// Runs a command with its standard output going to /dev/null.
template <typename Command>
double RunQuietly(Command&& command)
{
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    const double seconds = Seconds(command);
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(null);
    close(saved);
    return seconds;
}

void WriteGeneratedLog(const std::string& path, long long mib)
{
    SampleLogOptions options;
    options.Version = FBServerVersion::Firebird30;
    options.TargetBytes = mib << 20;
    options.MeanSecondsBetween = 5;
    const SampleLog log = GenerateSampleLog(options);
    std::ofstream(path, std::ios::binary).write(log.Bytes.data(), static_cast<std::streamsize>(log.Bytes.size()));
}

}  // namespace

int main(int argc, char** argv)
{
    const long long mib = argc > 1 ? std::atoll(argv[1]) : 1024;
    std::string path = argc > 2 ? argv[2] : "";
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kslog_bench";
    if (path.empty()) {
        std::filesystem::create_directories(folder);
        path = (folder / "firebird.log").string();
        WriteGeneratedLog(path, mib);
    }
    std::printf("kslog benchmark: %.1f MiB log %s\n", static_cast<double>(std::filesystem::file_size(path)) / (1 << 20),
                path.c_str());

    ReadWithMemchr(path);  // the file is in the cache for every run alike
    const double baseline = Seconds([&] { ReadWithMemchr(path); });
    std::printf("  read in 1 MiB blocks + memchr: %7.3f s\n", baseline);

    TKsLogSettings settings;
    settings.File = path;
    settings.Catalogue = KESTRELON_CATALOGUE;
    const auto report = [&](const char* name, double seconds, const char* target) {
        std::printf("  %-30s %7.3f s = %5.2fx baseline (%s), peak resident %.1f MiB\n", name, seconds, seconds / baseline,
                    target, static_cast<double>(StatusKiB("VmHWM:")) / 1024.0);
    };
    ResetPeak();
    report("kslog summary", RunQuietly([&] { RunSummary(settings); }), "target at most 2.5x");
    ResetPeak();
    report("kslog list (no filters)", RunQuietly([&] { RunList(settings); }), "target at most 2x");
    settings.Format = TFBLogRecordFormat::JsonLines;
    ResetPeak();
    report("kslog list --format jsonl", RunQuietly([&] { RunList(settings); }), "for comparison");
    if (argc <= 2)
        std::filesystem::remove_all(folder);
    return 0;
}
