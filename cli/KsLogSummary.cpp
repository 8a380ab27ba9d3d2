// kslog summary: entries per day and per kind, as text for people or one JSON object.

#include "KsLogCommands.h"
#include "KsLogOutput.h"
#include "KsLogSource.h"

#include "FBLogDateTime.h"
#include "FBLogDays.h"
#include "FBLogNarrowing.h"
#include "FBLogStream.h"

#include <algorithm>
#include <cstdio>

namespace {

struct TSummary {
    std::size_t Entries = 0;
    std::vector<TFBLogDayCount> Days;
    std::vector<TFBLogKindSummary> Kinds;
};

std::string DateText(int day)
{
    return IsoDateTime(day).value_or("").substr(0, 10);
}

std::string TimeText(double time)
{
    std::string text = IsoDateTime(time).value_or("-");
    std::replace(text.begin(), text.end(), 'T', ' ');
    return text;
}

const char* DayName(int day)
{
    static const char* const kNames[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    return kNames[(DayOfWeek(day) + 6) % 7];
}

std::string OptionalJson(const std::optional<std::string>& text)
{
    return text ? JsonString(*text) : "null";
}

// Kinds for people: the most serious first, then the most frequent.
void SortForReading(std::vector<TFBLogKindSummary>& kinds, const TFBLogDescriptor& catalogue)
{
    std::stable_sort(kinds.begin(), kinds.end(), [&](const TFBLogKindSummary& a, const TFBLogKindSummary& b) {
        const TFBLogSeverity left = SeverityOfKind(catalogue, a.Kind);
        const TFBLogSeverity right = SeverityOfKind(catalogue, b.Kind);
        return left != right ? left > right : a.Count > b.Count;
    });
}

// A bar of block characters, eighths included, `width` cells for the largest count.
std::string Bar(std::size_t count, std::size_t largest, std::size_t width)
{
    static const char* const kEighths[] = {"", "\u258F", "\u258E", "\u258D", "\u258C", "\u258B", "\u258A", "\u2589"};
    if (largest == 0)
        return {};
    const std::size_t eighths = (count * width * 8 + largest - 1) / largest;
    std::string bar;
    for (std::size_t i = 0; i < eighths / 8; ++i)
        bar += "\u2588";
    return bar + kEighths[eighths % 8];
}

std::string Padded(std::string text, std::size_t width, bool right)
{
    if (text.size() < width)
        text.insert(right ? text.begin() : text.end(), width - text.size(), ' ');
    return text;
}

void WriteText(std::string& out, const TSummary& summary, const TFBLogDescriptor& catalogue, bool bars)
{
    out += "Entries: " + std::to_string(summary.Entries) + "\n\nDays\n";
    std::size_t largest = 0;
    for (const TFBLogDayCount& day : summary.Days)
        largest = std::max(largest, day.Day != 0 ? day.Count : 0);
    out += "     No  Date        DoW       Count\n";
    for (std::size_t i = 0; i < summary.Days.size(); ++i) {
        const TFBLogDayCount& day = summary.Days[i];
        out += Padded(std::to_string(i + 1), 7, true) + "  " + Padded(day.Day ? DateText(day.Day) : "ER", 10, false) +
               "  " + Padded(day.Day ? DayName(day.Day) : "", 3, false) + Padded(std::to_string(day.Count), 12, true);
        if (bars && day.Day != 0)
            out += "  " + Bar(day.Count, largest, 40);
        out += "\n";
    }
    out += "\nKinds\n  Severity  Facility      Count  First                Last                 Title\n";
    for (const TFBLogKindSummary& kind : summary.Kinds) {
        const TFBLogDescription* row = RowOfKind(catalogue, kind.Kind);
        out += "  " + Padded(std::string(SeverityName(SeverityOfKind(catalogue, kind.Kind))), 8, false) + "  " +
               Padded(row ? row->Facility() : "", 10, false) + Padded(std::to_string(kind.Count), 9, true) + "  " +
               Padded(TimeText(kind.First), 19, false) + "  " + Padded(TimeText(kind.Last), 19, false) + "  " +
               ValidUtf8(KindTitle(catalogue, kind.Kind)) + "\n";
    }
}

void WriteJson(std::string& out, const TSummary& summary, const TFBLogDescriptor& catalogue)
{
    out += "{\"entries\":" + std::to_string(summary.Entries) + ",\"days\":[";
    for (std::size_t i = 0; i < summary.Days.size(); ++i) {
        const TFBLogDayCount& day = summary.Days[i];
        out += std::string(i ? "," : "") + "{\"date\":" + (day.Day ? "\"" + DateText(day.Day) + "\"" : "null") +
               ",\"count\":" + std::to_string(day.Count) + "}";
    }
    out += "],\"kinds\":[";
    for (std::size_t i = 0; i < summary.Kinds.size(); ++i) {
        const TFBLogKindSummary& kind = summary.Kinds[i];
        const TFBLogDescription* row = RowOfKind(catalogue, kind.Kind);
        out += std::string(i ? "," : "") + "{\"kind\":" + (row ? JsonString(row->MatchText()) : "null") +
               ",\"title\":" + JsonString(KindTitle(catalogue, kind.Kind)) + ",\"severity\":\"" +
               std::string(SeverityName(SeverityOfKind(catalogue, kind.Kind))) + "\",\"facility\":" +
               (row && !row->Facility().empty() ? JsonString(row->Facility()) : "null") +
               ",\"count\":" + std::to_string(kind.Count) + ",\"first\":" + OptionalJson(IsoDateTime(kind.First)) +
               ",\"last\":" + OptionalJson(IsoDateTime(kind.Last)) + "}";
    }
    out += "]}\n";
}

}  // namespace

int RunSummary(const TKsLogSettings& settings)
{
    const std::unique_ptr<TFBLogDescriptor> catalogue = LoadCatalogue(settings.Catalogue);
    const TFBLogEntryFilter filter(*catalogue, settings.Filter);
    const std::unique_ptr<TFBLogFileReader> log = OpenLog(settings.File);

    TFBLogDayCounter days;
    TFBLogKindCounter kinds;
    StreamEntryBatches(*log, LineFeedOnlyOfFile(*log), catalogue.get(), [&](const TFBLogEntryBatch& batch) {
        for (std::size_t i = 0; i < batch.Msgs.size(); ++i) {
            const FBLogMsg& msg = batch.Msgs[i];
            if (!filter.Passes(msg, batch.Texts[i], batch.Kinds[i]))
                continue;
            days.Add(msg.DateTime);
            kinds.Add(batch.Kinds[i], msg.DateTime);
        }
    });

    TSummary summary{days.Total(), days.Rows(), kinds.Summaries()};
    SortForReading(summary.Kinds, *catalogue);
    TKsLogOutput output(false);
    if (settings.Json)
        WriteJson(output.Buffer(), summary, *catalogue);
    else
        WriteText(output.Buffer(), summary, *catalogue, StandardOutputIsTerminal());
    output.EndRecord();
    return summary.Entries > 0 ? 0 : 1;
}
