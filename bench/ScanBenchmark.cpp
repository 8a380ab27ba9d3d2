// Measures the log scan against the floor of any scanner: reading the file into memory plus
// one memchr pass over it. Generates realistic logs (LF and CR LF) of the given size, times
// both in this process, and measures the scan's peak memory in a child process of its own.
//
//   scan_bench [size in MiB, default 256] [folder for the generated logs, default: temp]

#include "FBLogSampleGenerator.h"
#include "uFBLogParser.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#ifdef _WIN32
#define popen _popen
#define pclose _pclose
#endif

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 3;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The floor: the whole file into memory, then one memchr pass counting line feeds.
std::size_t ReadAndCountLines(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    const auto size = static_cast<std::size_t>(std::filesystem::file_size(path));
    std::unique_ptr<char[]> data(new char[size]);
    const std::size_t got = std::fread(data.get(), 1, size, file);
    std::fclose(file);
    std::size_t lines = 0;
    for (const char* p = data.get(); (p = static_cast<const char*>(std::memchr(p, '\n', got - (p - data.get()))));
         ++p)
        ++lines;
    return lines;
}

std::size_t Scan(const std::string& path)
{
    TFBLogParser parser(path);
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);
    return msgs.size();
}

template <typename Work>
double BestOf(Work&& work)
{
    double best = 1e300;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        work();
        best = std::min(best, SecondsSince(start));
    }
    return best;
}

long PeakResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// Child mode: scan once and print the peak resident memory before and after.
int MeasureScanMemory(const std::string& path)
{
    const long before = PeakResidentKiB();
    const std::size_t entries = Scan(path);
    std::cout << before << " " << PeakResidentKiB() << " " << entries << std::endl;
    return 0;
}

void ReportMemory(const char* self, const std::string& path, std::int64_t fileSize)
{
    const std::string command = std::string("\"") + self + "\" --measure-memory \"" + path + "\"";
    std::FILE* child = popen(command.c_str(), "r");
    long before = -1, after = -1;
    unsigned long long entries = 0;
    if (!child || std::fscanf(child, "%ld %ld %llu", &before, &after, &entries) != 3 || after < 0) {
        if (child)
            pclose(child);
        std::cout << "  peak memory: not measurable here\n";
        return;
    }
    pclose(child);
    const double mib = 1024.0 * 1024.0;
    const double extra = (static_cast<double>(after - before) * 1024.0 - static_cast<double>(fileSize) -
                          24.0 * static_cast<double>(entries)) / mib;
    std::printf("  peak memory of a scan: %.1f MiB = file %.1f MiB + index %.1f MiB + %.1f MiB more (target: at most 16)\n",
                static_cast<double>(after - before) / 1024.0, static_cast<double>(fileSize) / mib,
                24.0 * static_cast<double>(entries) / mib, extra);
}

void Measure(const char* self, const std::string& label, const std::string& path)
{
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
    const double mb = static_cast<double>(size) / 1e6;
    std::size_t lines = 0, entries = 0;
    const double floor = BestOf([&] { lines = ReadAndCountLines(path); });
    const double scan = BestOf([&] { entries = Scan(path); });
    std::printf("%s: %.1f MB, %zu lines, %zu entries\n", label.c_str(), mb, lines, entries);
    std::printf("  (a) floor, read + memchr:  %7.1f ms  %8.1f MB/s\n", floor * 1e3, mb / floor);
    std::printf("  (b) ScanEntries:           %7.1f ms  %8.1f MB/s  %10.0f entries/s\n", scan * 1e3, mb / scan,
                static_cast<double>(entries) / scan);
    std::printf("  ratio b/a: %.2f (target: at most 2.0)\n", scan / floor);
    ReportMemory(self, path, size);
}

std::string WriteLog(const std::filesystem::path& folder, const std::string& name, FBServerVersion version,
                     FBServerPlatform platform, std::int64_t bytes)
{
    SampleLogOptions options;
    options.Version = version;
    options.Platform = platform;
    options.Host = platform == FBServerPlatform::Windows ? "SRV-DB01" : "dbserver";
    options.TargetBytes = bytes;
    options.MeanSecondsBetween = 5;
    const std::string path = (folder / name).string();
    const SampleLog log = GenerateSampleLog(options);
    std::ofstream(path, std::ios::binary).write(log.Bytes.data(), static_cast<std::streamsize>(log.Bytes.size()));
    return path;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--measure-memory")
        return MeasureScanMemory(argv[2]);

    const std::int64_t mib = argc > 1 ? std::atoll(argv[1]) : 256;
    const std::filesystem::path folder =
        argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path() / "kestrelon-bench";
    std::filesystem::create_directories(folder);

    std::printf("Scan benchmark, %lld MiB logs, best of %d runs\n", static_cast<long long>(mib), kRuns);
    const std::string lf = WriteLog(folder, "firebird-lf.log", FBServerVersion::Firebird30, FBServerPlatform::Linux, mib << 20);
    const std::string crlf = WriteLog(folder, "firebird-crlf.log", FBServerVersion::Firebird25, FBServerPlatform::Windows, mib << 20);
    Measure(argv[0], "LF log (Firebird 3.0, Linux)", lf);
    Measure(argv[0], "CR LF log (Firebird 2.5, Windows)", crlf);
    std::filesystem::remove(lf);
    std::filesystem::remove(crlf);
    return 0;
}
