// Measures the log scan against the floor of any scanner: reading the file in blocks plus
// one memchr pass over it. Generates realistic logs (LF and CR LF) of the given size, times
// both in this process, the scan on one thread and shared between the cores, and measures the
// program's own memory after a scan in a child process.
// Then, over the same scanned log, times what the viewer does with the index: classifying every
// entry by the description catalogue, searching the entries (against a case-insensitive memchr
// pass over the same bytes), and narrowing the list by kind, date range and search.
//
//   scan_bench [--scan-only] [size in MiB, default 256] [folder for the generated logs, default: temp]
//              [description catalogue, default: the shipped fblvlog.descr]
//
// --scan-only stops after the scans and their memory, before classification and search.

#include "BenchLogs.h"
#include "FBLogClassifier.h"
#include "FBLogNarrowing.h"
#include "FBLogSampleGenerator.h"
#include "FBLogSearch.h"
#include "uFBLogDescriptor.h"
#include "ProcessMemory.h"
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
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

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

// The scan as the viewer runs it, or with threads = 1 on the calling thread alone.
std::size_t Scan(const std::string& path, unsigned threads = 0)
{
    TFBLogParser parser(path);
    if (threads != 0)
        parser.SetScanThreads(threads);
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

// Child mode: scan once and print the program's own (anonymous) resident memory before and
// after, the file's pages mapped in after, and the count of entries.
int MeasureScanMemory(const std::string& path)
{
    const long before = StatusKiB("RssAnon:");
    TFBLogParser parser(path);
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);
    std::cout << before << " " << StatusKiB("RssAnon:") << " " << StatusKiB("RssFile:") << " " << msgs.size() << std::endl;
    return 0;
}

void ReportMemory(const char* self, const std::string& path, std::int64_t fileSize)
{
    const std::string command = std::string("\"") + self + "\" --measure-memory \"" + path + "\"";
    std::FILE* child = popen(command.c_str(), "r");
    long before = -1, after = -1, mapped = -1;
    unsigned long long entries = 0;
    if (!child || std::fscanf(child, "%ld %ld %ld %llu", &before, &after, &mapped, &entries) != 4 || after < 0) {
        if (child)
            pclose(child);
        std::cout << "  memory: not measurable here\n";
        return;
    }
    pclose(child);
    const double mib = 1024.0 * 1024.0;
    const double own = static_cast<double>(after - before) * 1024.0;
    const double index = 24.0 * static_cast<double>(entries);
    std::printf("  own memory after a scan: %.1f MiB = index %.1f MiB + %.1f MiB more (%.1f bytes/entry; "
                "the file %.1f MiB is held as %.1f MiB of cached pages, not the program's own)\n",
                own / mib, index / mib, (own - index) / mib, entries ? own / static_cast<double>(entries) : 0.0,
                static_cast<double>(fileSize) / mib, static_cast<double>(mapped) / 1024.0);
}

// ---- What the viewer does with the index: classify, search, narrow ----

double Ratio(double part, double whole)
{
    return whole > 0 ? part / whole : 0.0;
}

char FoldAscii(char c) noexcept
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The floor of a plain-text search: one pass over the bytes that finds the text's first byte
// with memchr in both letter cases (two streams, merged in order) and compares the rest without
// regard to letter case. Returns the occurrences found.
std::size_t CountNoCase(std::string_view bytes, std::string_view needle)
{
    if (needle.empty() || bytes.size() < needle.size())
        return 0;
    const char* const end = bytes.data() + bytes.size();
    const char* const lastStart = end - needle.size();
    const char upper = FoldAscii(needle[0]);
    const char lower = upper >= 'A' && upper <= 'Z' ? static_cast<char>(upper - 'A' + 'a') : upper;
    const auto next = [&](const char* from, char c) {
        if (from > lastStart)
            return end;
        const void* at = std::memchr(from, c, static_cast<std::size_t>(lastStart - from) + 1);
        return at ? static_cast<const char*>(at) : end;
    };
    const auto sameRest = [&](const char* at) {
        for (std::size_t i = 1; i < needle.size(); ++i)
            if (FoldAscii(at[i]) != FoldAscii(needle[i]))
                return false;
        return true;
    };
    const char* atUpper = next(bytes.data(), upper);
    const char* atLower = lower == upper ? end : next(bytes.data(), lower);
    std::size_t hits = 0;
    for (;;) {
        const char* at = std::min(atUpper, atLower);
        if (at == end)
            break;
        hits += sameRest(at) ? 1 : 0;
        if (at == atUpper)
            atUpper = next(at + 1, upper);
        else
            atLower = next(at + 1, lower);
    }
    return hits;
}

// One query of the search benchmark, with the plain texts its floor passes look for.
struct SearchCase {
    const char* Label;
    std::string_view Query;
    TFBLogSearchOptions Options;
    std::vector<std::string_view> FloorTexts;  // one floor pass each
    const char* Target;
};

struct SearchResult {
    TFBLogEntrySet Found;
    double Seconds = 0;
};

SearchResult MeasureSearch(const TFBLogParser& parser, const FBLogsMsgs& msgs, const SearchCase& query)
{
    SearchResult result;
    const TFBLogSearch search(query.Query, query.Options);
    if (!search.Valid()) {
        std::printf("    %-24s does not compile: %s\n", query.Label, search.ErrorText().c_str());
        return result;
    }
    result.Seconds = BestOf([&] { result.Found = search.MatchEntries(parser, msgs); });
    const std::string_view bytes = parser.ViewRange(0, parser.FileSize());
    std::size_t occurrences = 0;
    const double floor = BestOf([&] {
        occurrences = 0;
        for (const std::string_view text : query.FloorTexts)
            occurrences += CountNoCase(bytes, text);
    });
    std::printf("    %-24s %7.1f ms  %8zu entries   floor %6.1f ms (%zu hits)   ratio %.2f (target: %s)\n",
                query.Label, result.Seconds * 1e3, result.Found.Count(), floor * 1e3, occurrences,
                Ratio(result.Seconds, floor), query.Target);
    return result;
}

void MeasureNarrowing(const char* label, const FBLogsMsgs& msgs, const TFBLogNarrowing& narrowing,
                      const TFBLogEntrySet* searchSet)
{
    FBLogsMsgs listed;
    const double seconds = BestOf([&] { listed = NarrowEntries(msgs, narrowing); });
    const double entries = static_cast<double>(msgs.size());
    const double setBytes = searchSet ? static_cast<double>(searchSet->Size()) / 8.0 : 0.0;
    const double mapBytes = 4.0 * static_cast<double>(listed.size());
    std::printf("    %-36s %7.1f ms (target: under 200 ms)  %8zu rows listed   growth %.2f bytes/entry"
                " = search set %.2f + row map %.2f (target: at most 8)\n",
                label, seconds * 1e3, listed.size(), Ratio(setBytes + mapBytes, entries), Ratio(setBytes, entries),
                Ratio(mapBytes, entries));
}

void MeasureEngine(const std::string& path, double scanSeconds, const TFBLogDescriptor& catalogue)
{
    TFBLogParser parser(path);
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);
    const double entries = static_cast<double>(msgs.size());
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());

    // Classification.
    FBLogKinds kinds;
    const double classify = BestOf([&] { kinds = ClassifyEntries(parser, msgs, catalogue); });
    const auto known = static_cast<std::size_t>(
        std::count_if(kinds.begin(), kinds.end(), [](FBLogKind kind) { return kind != kUnknownKind; }));
    std::printf("  classification, %zu catalogue rows, %u threads:\n", catalogue.Descriptions().size(), cores);
    std::printf("    (c) ClassifyEntries:        %7.1f ms  %10.0f entries/s\n", classify * 1e3,
                Ratio(entries, classify));
    std::printf("    ratio c/b: %.2f (target: at most 1.0)\n", Ratio(classify, scanSeconds));
    std::printf("    entries of a known kind: %zu of %zu (%.1f%%)\n", known, msgs.size(), 100.0 * Ratio(known, entries));
    std::printf("    kinds: sizeof(FBLogKind) %zu bytes, %.2f bytes/entry beside the 24-byte index entry\n",
                sizeof(FBLogKind), Ratio(static_cast<double>(kinds.capacity() * sizeof(FBLogKind)), entries));

    // Search, against one case-insensitive memchr pass per plain text on one thread.
    std::printf("  search (MatchEntries, %u threads) against the floor (case-insensitive memchr pass, 1 thread):\n",
                cores);
    constexpr const char* kPlainTarget = "at most 2.0, under 500 ms";
    const std::vector<SearchCase> queries = {
        {"\"10054\"", "10054", {}, {"10054"}, kPlainTarget},
        {"rare word \"shadow\"", "shadow", {}, {"shadow"}, kPlainTarget},
        {"\"inet_error -10054\"", "inet_error -10054", {}, {"inet_error", "10054"}, kPlainTarget},
        {"whole words \"error\"", "error", {.WholeWords = true}, {"error"}, kPlainTarget},
        {"regex \"errno = 1005[34]\"", "errno = 1005[34]", {.RegularExpression = true}, {"errno = 1005"},
         "under 500 ms; floor of \"errno = 1005\""},
    };
    TFBLogEntrySet narrowingSearch;
    for (const SearchCase& query : queries) {
        SearchResult result = MeasureSearch(parser, msgs, query);
        if (query.Query == "inet_error -10054")
            narrowingSearch = std::move(result.Found);
    }

    // Narrowing: hide the most frequent known kind, show warnings and worse.
    std::vector<std::size_t> perKind(catalogue.Descriptions().size() + 1);
    for (const FBLogKind kind : kinds)
        if (kind < perKind.size())
            ++perKind[kind];
    const auto mostFrequent = static_cast<std::size_t>(std::max_element(perKind.begin() + 1, perKind.end()) - perKind.begin());
    const TFBLogDescription* hidden = RowOfKind(catalogue, static_cast<FBLogKind>(mostFrequent));
    const std::set<std::string> hiddenMatchTexts = {hidden ? hidden->MatchText() : std::string()};
    const auto severe = static_cast<std::size_t>(
        std::count_if(catalogue.Descriptions().begin(), catalogue.Descriptions().end(),
                      [](const TFBLogDescription& row) { return row.Severity() >= TFBLogSeverity::Warning; }));
    double first = 0, last = 0;
    for (const FBLogMsg& msg : msgs)
        if (msg.DateTime != 0) {
            first = first == 0 ? msg.DateTime : std::min(first, msg.DateTime);
            last = std::max(last, msg.DateTime);
        }
    const double from = first + (last - first) / 4, to = last - (last - first) / 4;
    std::printf("  narrowing (NarrowEntries), hiding \"%s\" (%zu entries), dates: middle half of the log's span,\n"
                "  search: \"inet_error -10054\"; catalogue rows of at least warning severity: %zu of %zu\n",
                hiddenMatchTexts.begin()->c_str(), perKind[mostFrequent], severe, catalogue.Descriptions().size());
    const auto narrow = [&](const char* label, bool dated, TFBLogSeverity atLeast) {
        TFBLogNarrowing narrowing;
        if (dated) {
            narrowing.SetDateRange(from, to);
            narrowing.SetSearchMatches(&narrowingSearch);
        }
        narrowing.SetKinds(&kinds, ShownKinds(catalogue, hiddenMatchTexts, atLeast));
        MeasureNarrowing(label, msgs, narrowing, dated ? &narrowingSearch : nullptr);
    };
    narrow("(d) kinds, >= warning", false, TFBLogSeverity::Warning);
    narrow("(e) dates + kinds + search, >= warn.", true, TFBLogSeverity::Warning);
    narrow("(f) kinds, any severity", false, TFBLogSeverity::Unknown);
    narrow("(g) dates + kinds + search, any", true, TFBLogSeverity::Unknown);
}

void Measure(const char* self, const std::string& label, const std::string& path, const TFBLogDescriptor& catalogue,
             bool scanOnly)
{
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
    const double mb = static_cast<double>(size) / 1e6;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::size_t lines = 0, entries = 0, sharedEntries = 0;
    const double floor = BestOf([&] { lines = ReadAndCountLines(path); });
    const double alone = BestOf([&] { entries = Scan(path, 1); });
    const double shared = BestOf([&] { sharedEntries = Scan(path); });
    std::printf("%s: %.1f MB, %zu lines, %zu entries\n", label.c_str(), mb, lines, entries);
    std::printf("  (a) floor, read + memchr:         %7.1f ms  %8.1f MB/s\n", floor * 1e3, mb / floor);
    std::printf("  (b) ScanEntries, 1 thread:        %7.1f ms  %8.1f MB/s  %10.0f entries/s  ratio b/a: %.2f\n",
                alone * 1e3, mb / alone, static_cast<double>(entries) / alone, alone / floor);
    std::printf("  (b') ScanEntries, %u threads:      %7.1f ms  %8.1f MB/s  %10.0f entries/s  ratio b'/a: %.2f"
                " (target: at most 1.5)\n",
                cores, shared * 1e3, mb / shared, static_cast<double>(sharedEntries) / shared, shared / floor);
    std::printf("  threads' speed-up b/b': %.2f%s\n", alone / shared,
                sharedEntries == entries ? "" : "  (the entry counts differ!)");
    ReportMemory(self, path, size);
    if (!scanOnly)
        MeasureEngine(path, shared, catalogue);
}

// A log of a Russian Windows server: its operating system's messages in windows-1251. Searches in
// it decode what ASCII alone cannot find; ASCII terms look through its bytes as in any log.
void MeasureLegacyLog(const std::string& path)
{
    TFBLogParser parser(path);
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);
    const std::string_view bytes = parser.ViewRange(0, parser.FileSize());
    const double mb = static_cast<double>(bytes.size()) / 1e6;
    std::printf("CR LF log of a Russian server (Firebird 3.0, Windows, windows-1251): %.1f MB, %zu entries\n", mb,
                msgs.size());
    TFBLogEncoding chosen = TFBLogEncoding::Utf8;
    const double guess = BestOf([&] { chosen = GuessEncoding(bytes, TFBLogEncoding::Windows1251); });
    std::printf("  automatic choice (whole log, 1 thread): %7.1f ms  %8.1f MB/s  -> %s\n", guess * 1e3, mb / guess,
                std::string(EncodingName(chosen)).c_str());
    const TFBLogDecoder decoder(TFBLogEncoding::Windows1251);
    std::size_t decoded = 0;
    const double decode = BestOf([&] { decoded = decoder.ToUtf8(bytes).size(); });
    std::printf("  decoding to UTF-8 (1 thread):           %7.1f ms  %8.1f MB/s  (%zu bytes of UTF-8)\n", decode * 1e3,
                mb / decode, decoded);
    std::printf("  search in windows-1251 (MatchEntries) against the floor (case-insensitive memchr pass, 1 thread):\n");
    constexpr auto kCp1251 = TFBLogEncoding::Windows1251;
    constexpr const char* kDecodedTarget = "none: each entry decoded first";
    const std::vector<SearchCase> queries = {
        {"\"10054\"", "10054", {.LogEncoding = kCp1251}, {"10054"}, "at most 2.0, as in UTF-8"},
        {"\"inet_error -10054\"", "inet_error -10054", {.LogEncoding = kCp1251}, {"inet_error", "10054"},
         "at most 2.0, as in UTF-8"},
        {"Cyrillic \"занят\"", "занят", {.LogEncoding = kCp1251}, {"\xe7\xe0\xed\xff\xf2"}, kDecodedTarget},
        {"Cyrillic, match case", "занят", {.MatchCase = true, .LogEncoding = kCp1251}, {"\xe7\xe0\xed\xff\xf2"},
         kDecodedTarget},
        {"regex \"errno = 1005[34]\"", "errno = 1005[34]", {.RegularExpression = true, .LogEncoding = kCp1251},
         {"errno = 1005"}, kDecodedTarget},
    };
    for (const SearchCase& query : queries)
        MeasureSearch(parser, msgs, query);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--measure-memory")
        return MeasureScanMemory(argv[2]);
    const char* const self = argv[0];
    const bool scanOnly = argc > 1 && std::string(argv[1]) == "--scan-only";
    if (scanOnly) {
        --argc;
        ++argv;
    }

    const std::int64_t mib = argc > 1 ? std::atoll(argv[1]) : 256;
    const std::filesystem::path folder =
        argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path() / "kestrelon-bench";
    std::filesystem::create_directories(folder);

    // The shipped catalogue, or the one found beside this program.
    std::string cataloguePath = argc > 3 ? argv[3] : "";
#ifdef KESTRELON_CATALOGUE
    if (cataloguePath.empty() && std::filesystem::exists(KESTRELON_CATALOGUE))
        cataloguePath = KESTRELON_CATALOGUE;
#endif
    if (cataloguePath.empty())
        cataloguePath = (std::filesystem::path(self).parent_path() / "fblvlog.descr").string();
    const TFBLogDescriptor catalogue(cataloguePath);
    if (catalogue.Descriptions().empty())
        std::printf("warning: no catalogue rows read from %s; every entry stays of the unknown kind\n",
                    cataloguePath.c_str());
    for (const std::string& warning : catalogue.Warnings())
        std::printf("catalogue: %s\n", warning.c_str());

    std::printf("Scan benchmark, %lld MiB logs, best of %d runs\n", static_cast<long long>(mib), kRuns);
    const std::string lf = WriteBenchLog(folder, "firebird-lf.log", FBServerVersion::Firebird30, FBServerPlatform::Linux, mib << 20);
    const std::string crlf = WriteBenchLog(folder, "firebird-crlf.log", FBServerVersion::Firebird25, FBServerPlatform::Windows, mib << 20);
    Measure(self, "LF log (Firebird 3.0, Linux)", lf, catalogue, scanOnly);
    Measure(self, "CR LF log (Firebird 2.5, Windows)", crlf, catalogue, scanOnly);
    std::filesystem::remove(lf);
    std::filesystem::remove(crlf);
    if (scanOnly)
        return 0;
    const std::string russian = WriteBenchLog(folder, "firebird-1251.log", FBServerVersion::Firebird30,
                                         FBServerPlatform::Windows, mib << 20, FBServerLanguage::Russian);
    MeasureLegacyLog(russian);
    std::filesystem::remove(russian);
    return 0;
}
