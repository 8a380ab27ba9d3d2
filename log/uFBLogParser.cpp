#include "uFBLogParser.h"

#include "FBLogFile.h"
#include "FBLogText.h"
#include "uFBLogDescriptor.h"

#include <chrono>
#include <cmath>
#include <cstring>

namespace {

constexpr std::string_view kBlankLineCRLF = "\r\n\r\n";
constexpr std::string_view kBlankLineLF = "\n\n";
constexpr std::int64_t kProgressIntervalMs = 500;

// Hands the progress caption to the sink when more than 500 ms have passed since the last
// report (or since the scan began). Without a sink the clock is not even read.
class ProgressThrottle {
public:
    ProgressThrottle(const FBLogProgressSink& sink, const FBLogClock& clock)
        : FSink(sink), FClock(clock ? clock : FBLogClock(MonotonicMilliseconds))
    {
        if (FSink)
            FLastReport = FClock();
    }

    void RecordAppended(std::int64_t pos, std::int64_t fileSize)
    {
        if (!FSink)
            return;
        const std::int64_t now = FClock();
        if (now - FLastReport <= kProgressIntervalMs)
            return;
        FLastReport = now;
        FSink(FormatScanProgress(pos, fileSize));
    }

private:
    FBLogProgressSink FSink;
    FBLogClock FClock;
    std::int64_t FLastReport = 0;
};

}  // namespace

std::int64_t MonotonicMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string FormatScanProgress(std::int64_t pos, std::int64_t fileSize)
{
    std::string caption =
        "Parsing file: " + std::to_string(pos) + " of " + std::to_string(fileSize);
    if (fileSize != 0) {
        // nearbyint rounds halves to even under the default rounding mode.
        const double percent = std::nearbyint(static_cast<double>(100 * pos) /
                                              static_cast<double>(fileSize));
        caption += " (" + std::to_string(static_cast<long long>(percent)) + "%)";
    }
    return caption;
}

TFBLogParser::TFBLogParser(const std::string& fileName) : FFileName(fileName) {}

TFBLogParser::~TFBLogParser() = default;

void TFBLogParser::SetProgressSink(FBLogProgressSink sink, FBLogClock clock)
{
    FProgressSink = std::move(sink);
    FClock = std::move(clock);
}

std::int64_t TFBLogParser::LoadFile()
{
    FFileSize = 0;
    FStream.reset();
    if (!FileExists(FFileName))
        return 0;
    FileBytes file = ReadWholeFile(FFileName);
    FStream = std::move(file.Data);
    FFileSize = file.Size;
    DetectLineEnds();
    return FFileSize;
}

void TFBLogParser::DetectLineEnds() noexcept
{
    // A single CR LF anywhere selects the CR LF rules for the whole file.
    FLineFeedOnly = FindBytes(Data(), 0, "\r\n") == std::string_view::npos;
}

std::string_view TFBLogParser::Data() const noexcept
{
    return FStream ? std::string_view(FStream.get(), static_cast<std::size_t>(FFileSize))
                   : std::string_view();
}

void TFBLogParser::ScanEntries(FBLogsMsgs& msgs)
{
    std::int64_t pos = 0;
    ScanEntriesFrom(pos, msgs);
}

void TFBLogParser::ScanEntriesFrom(std::int64_t& pos, FBLogsMsgs& msgs)
{
    ProgressThrottle progress(FProgressSink, FClock);
    msgs.clear();
    if (!FileExists(FFileName))
        return;
    if (!FStream && LoadFile() == 0)
        return;
    if (FFileSize == 0)
        return;

    // Counting first lets the index be allocated once at its exact size: growing it while
    // appending would briefly hold two copies of an index of millions of entries.
    std::size_t count = 0;
    for (std::int64_t cur = pos, start; (start = FindEntryStart(cur)) >= 0;) {
        cur = FindEntryEnd(start);
        if (cur < 0)
            break;
        ++count;
    }
    msgs.reserve(count);

    TFBLogDescriptor grammar("");
    std::int64_t cur = pos;
    for (;;) {
        const std::int64_t start = FindEntryStart(cur);
        const std::int64_t end = FindEntryEnd(start);
        cur = end;
        if (start < 0 || end < 0)
            break;
        pos = end;
        const std::string_view text = ViewRange(start, end);
        if (text.empty())
            continue;
        msgs.push_back(FBLogMsg{start, end - start, grammar.TryExtractDateTime(text)});
        progress.RecordAppended(pos, FFileSize);
    }
}

std::string_view TFBLogParser::ViewRange(std::int64_t from, std::int64_t to) const noexcept
{
    from = std::max<std::int64_t>(from, 0);
    to = std::min(to, FFileSize);
    if (!FStream || from >= to || to <= 0)
        return {};
    return Data().substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
}

std::string TFBLogParser::ReadRange(std::int64_t from, std::int64_t to) const
{
    return std::string(ViewRange(from, to));
}

std::string TFBLogParser::ReadEntryText(std::int64_t offset, std::int64_t length) const
{
    if (!FStream || offset < 0 || offset >= FFileSize || length <= 0)
        return {};
    length = std::min(length, FFileSize - offset);
    return ReadRange(offset, offset + length);
}

std::int64_t TFBLogParser::FindEntryStart(std::int64_t pos) const noexcept
{
    return FLineFeedOnly ? FindEntryStartLF(pos) : FindEntryStartCRLF(pos);
}

std::int64_t TFBLogParser::FindEntryEnd(std::int64_t pos) const noexcept
{
    return FLineFeedOnly ? FindEntryEndLF(pos) : FindEntryEndCRLF(pos);
}

std::int64_t TFBLogParser::FindEntryStartCRLF(std::int64_t pos) const noexcept
{
    // Skips CR LF pairs; a lone CR before any other byte is skipped too, while a bare LF or
    // a second CR in a row starts the entry.
    if (pos < 0)
        return -1;
    const std::string_view data = Data();
    bool afterCR = false;
    for (auto i = static_cast<std::size_t>(pos); i < data.size(); ++i) {
        const char c = data[i];
        if (!afterCR && c == '\r')
            afterCR = true;
        else if (afterCR && c == '\n')
            afterCR = false;
        else
            return static_cast<std::int64_t>(i);
    }
    return -1;
}

std::int64_t TFBLogParser::FindEntryStartLF(std::int64_t pos) const noexcept
{
    if (pos < 0)
        return -1;
    const std::string_view data = Data();
    for (auto i = static_cast<std::size_t>(pos); i < data.size(); ++i)
        if (data[i] != '\n')
            return static_cast<std::int64_t>(i);
    return -1;
}

std::int64_t TFBLogParser::FindEntryEndCRLF(std::int64_t pos) const noexcept
{
    return FindBlankLineEnd(pos, kBlankLineCRLF);
}

std::int64_t TFBLogParser::FindEntryEndLF(std::int64_t pos) const noexcept
{
    return FindBlankLineEnd(pos, kBlankLineLF);
}

std::int64_t TFBLogParser::FindBlankLineEnd(std::int64_t pos,
                                            std::string_view blankLine) const noexcept
{
    if (pos < 0 || pos >= FFileSize)
        return -1;
    const std::size_t hit = FindBytes(Data(), static_cast<std::size_t>(pos), blankLine);
    if (hit == std::string_view::npos)
        return -1;
    return static_cast<std::int64_t>(hit + blankLine.size());
}
