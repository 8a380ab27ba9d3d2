// Writes a realistic Firebird or InterBase server log of any size.
//
//   fblog-generate [--version ib6|1.5|2.5|3.0|4.0|5.0] [--platform linux|windows] [--language en|ru|cs]
//                  [--host NAME] [--entries N | --size BYTES[K|M|G]] [--start YYYY-MM-DD]
//                  [--gap SECONDS] [--seed N] [--clean] -o FILE
//   fblog-generate --help

#include "FBLogSampleGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

// The defaults are those of the options the generator starts from.
void PrintUsage(std::ostream& out)
{
    const SampleLogOptions defaults;
    char start[16];
    std::snprintf(start, sizeof start, "%04d-%02d-%02d", defaults.Start.Year, defaults.Start.Month,
                  defaults.Start.Day);
    out << "usage: fblog-generate [--version ib6|1.5|2.5|3.0|4.0|5.0] [--platform linux|windows] [--language en|ru|cs]\n"
           "                      [--host NAME] [--entries N | --size BYTES[K|M|G]]\n"
           "                      [--start YYYY-MM-DD] [--gap SECONDS] [--seed N] [--clean] -o FILE\n"
           "       fblog-generate --help\n"
           "\n"
           "Writes a realistic Firebird or InterBase server log to FILE.\n"
           "\n"
           "  --version V     the server that writes it (default 3.0)\n"
           "  --platform P    linux (LF line ends, the default) or windows (CR LF, host SRV-DB01)\n"
           "  --language L    en (the default), or ru or cs: the system's messages in Russian or Czech,\n"
           "                  in windows-1251 or windows-1250 on windows, in UTF-8 on linux\n"
        << "  --host NAME     the host name in the entries' headers (default " << defaults.Host << ")\n"
        << "  --entries N     write N entries (default " << defaults.Entries << ")\n"
        << "  --size BYTES    write entries until the log has this size instead\n"
        << "  --start DATE    the day of the first entry (default " << start << ")\n"
        << "  --gap SECONDS   the mean time between two entries (default " << defaults.MeanSecondsBetween << ")\n"
        << "  --seed N        another seed gives other entries (default " << defaults.Seed << ")\n"
        << "  --clean         no pieces without a readable header\n"
           "  -o FILE         the log to write\n"
           "  -h, --help      print this and end\n";
}

int Usage()
{
    PrintUsage(std::cerr);
    return 2;
}

bool ParseSize(const std::string& text, std::int64_t& bytes)
{
    char* end = nullptr;
    const long long number = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str() || number <= 0)
        return false;
    const std::string unit(end);
    const std::int64_t scale = unit.empty() ? 1 : unit == "K" ? 1 << 10 : unit == "M" ? 1 << 20 : unit == "G" ? 1 << 30 : 0;
    bytes = number * scale;
    return scale != 0;
}

bool ParseDate(const std::string& text, FBLogDateParts& date)
{
    FBLogDateParts parsed;
    if (std::sscanf(text.c_str(), "%d-%d-%d", &parsed.Year, &parsed.Month, &parsed.Day) != 3 ||
        !TryEncodeDateTime(parsed))
        return false;
    parsed.Hour = 8;
    date = parsed;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    SampleLogOptions options;
    std::string output;
    bool hostGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(std::cout);
            return 0;
        }
        const bool hasValue = i + 1 < argc;
        const std::string value = hasValue ? argv[i + 1] : "";
        bool ok = hasValue;
        if (arg == "--clean") {
            options.UnreadablePieces = false;
            continue;
        } else if (arg == "--version" && hasValue)
            ok = ParseServerVersion(value, options.Version);
        else if (arg == "--platform" && hasValue) {
            ok = value == "linux" || value == "windows";
            options.Platform = value == "windows" ? FBServerPlatform::Windows : FBServerPlatform::Linux;
        } else if (arg == "--language" && hasValue)
            ok = ParseServerLanguage(value, options.Language);
        else if (arg == "--host" && hasValue) {
            options.Host = value;
            hostGiven = true;
        } else if (arg == "--entries" && hasValue)
            ok = (options.Entries = std::atoll(value.c_str())) > 0;
        else if (arg == "--size" && hasValue)
            ok = ParseSize(value, options.TargetBytes);
        else if (arg == "--start" && hasValue)
            ok = ParseDate(value, options.Start);
        else if (arg == "--gap" && hasValue)
            ok = (options.MeanSecondsBetween = std::atoi(value.c_str())) > 0;
        else if (arg == "--seed" && hasValue)
            options.Seed = std::strtoull(value.c_str(), nullptr, 10);
        else if (arg == "-o" && hasValue)
            output = value;
        else
            ok = false;
        if (!ok) {
            std::cerr << "fblog-generate: bad argument " << arg << (hasValue ? " " + value : "") << "\n";
            return Usage();
        }
        ++i;
    }
    if (output.empty())
        return Usage();
    if (!hostGiven && options.Platform == FBServerPlatform::Windows)
        options.Host = "SRV-DB01";

    const SampleLog log = GenerateSampleLog(options);
    std::FILE* file = std::fopen(output.c_str(), "wb");
    if (file == nullptr || std::fwrite(log.Bytes.data(), 1, log.Bytes.size(), file) != log.Bytes.size() ||
        std::fclose(file) != 0) {
        std::perror(output.c_str());
        return 1;
    }
    std::cout << output << ": " << log.Bytes.size() << " bytes, " << log.ExpectedDateTimes.size()
              << " entries\n";
    return 0;
}
