// kslog summary and list run as a user runs them, their output read back as JSON and CSV and
// held against the bytes of the log.

#include "KsLogProcess.h"

#include "../log/TempFolder.h"
#include "FBLogSampleGenerator.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QStringDecoder>

#include <fstream>
#include <map>
#include <sstream>

namespace {

const std::string kSample = KESTRELON_SAMPLE_LOG;

std::string ReadFile(const std::string& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

SampleLog Generated(FBServerPlatform platform, std::int64_t entries, std::int64_t bytes = 0)
{
    SampleLogOptions options;
    options.Platform = platform;
    options.Entries = entries;
    options.TargetBytes = bytes;
    options.MeanSecondsBetween = 3 * 3600;
    return GenerateSampleLog(options);
}

std::vector<QJsonObject> ListJson(const std::string& file, std::vector<std::string> more = {})
{
    more.insert(more.begin(), {"list", file, "--format", "jsonl"});
    const TKsLogResult result = RunKsLog(more);
    EXPECT_EQ(result.Status, 0) << result.Err;
    return JsonLines(result.Out);
}

QJsonObject SummaryJson(const std::string& file)
{
    const TKsLogResult result = RunKsLog({"summary", file, "--json"});
    EXPECT_EQ(result.Status, 0) << result.Err;
    return QJsonDocument::fromJson(QByteArray::fromStdString(result.Out)).object();
}

std::string Text(const QJsonObject& record) { return record["text"].toString().toStdString(); }

int SeverityRank(const QJsonObject& record)
{
    return int(QStringList{"unknown", "info", "warning", "error", "critical"}.indexOf(record["severity"].toString()));
}

void ExpectRecordShape(const QJsonObject& record, bool explain)
{
    QStringList keys = record.keys(), expected{"no", "offset", "length", "time", "source", "client", "severity",
                                                "facility", "kind", "message", "text"};
    expected << (explain ? QStringList{"description"} : QStringList{});
    keys.sort(), expected.sort();
    EXPECT_EQ(keys.join(',').toStdString(), expected.join(',').toStdString());
    for (const char* name : {"no", "offset", "length"})
        EXPECT_TRUE(record[name].isDouble() && record[name].toDouble() == double(record[name].toInteger(-1))) << name;
    static const QRegularExpression isoTime(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d$)");
    EXPECT_TRUE(record["time"].isNull() || isoTime.match(record["time"].toString()).hasMatch()) << Text(record);
    for (const char* name : {"source", "facility", "kind", "message", "description"})
        EXPECT_TRUE(!record.contains(name) || record[name].isNull() || record[name].isString()) << name;
    EXPECT_TRUE(record["client"].isBool() && record["text"].isString() && SeverityRank(record) >= 0);
}

struct TSpan {
    qint64 Offset, Length;
    bool operator==(const TSpan&) const = default;
};

// The entries as a reader counts them: runs of lines closed by a blank line, under the CR LF
// rules when the log holds a CR LF anywhere.
std::vector<TSpan> EntriesOf(std::string_view bytes)
{
    const bool crlf = bytes.find("\r\n") != std::string_view::npos;
    const std::string_view blank = crlf ? "\r\n\r\n" : "\n\n";
    std::vector<TSpan> spans;
    for (std::size_t at = 0, start, hit; (start = bytes.find_first_not_of(crlf ? "\r\n" : "\n", at)) != bytes.npos &&
                                         (hit = bytes.find(blank, start)) != bytes.npos;) {
        at = hit + blank.size();
        spans.push_back({qint64(start), qint64(at - start)});
    }
    return spans;
}

// A whole listing against the file: every entry once, in order, numbered, at its own bytes.
void ExpectRecordsCoverFile(const std::vector<QJsonObject>& records, std::string_view bytes, bool sameText)
{
    const std::vector<TSpan> spans = EntriesOf(bytes);
    ASSERT_EQ(records.size(), spans.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        ExpectRecordShape(records[i], false);
        const TSpan span{records[i]["offset"].toInteger(), records[i]["length"].toInteger()};
        EXPECT_EQ(records[i]["no"].toInteger(), qint64(i + 1));
        ASSERT_EQ(span, spans[i]) << "record " << i + 1;
        EXPECT_TRUE(!sameText || Text(records[i]) == bytes.substr(span.Offset, span.Length)) << "record " << i + 1;
    }
}

// Rows of an RFC 4180 document with CR LF row ends; breaking the grammar fails the test.
std::vector<std::vector<std::string>> ReadCsv(std::string_view csv)
{
    std::vector<std::vector<std::string>> rows(1);
    for (std::size_t i = 0;;) {
        std::string& field = rows.back().emplace_back();
        if (i < csv.size() && csv[i] == '"') {
            for (++i; i < csv.size() && (csv[i] != '"' || csv.substr(i, 2) == "\"\""); ++i)
                field += csv[i], i += csv[i] == '"';
            if (i++ == csv.size()) {
                ADD_FAILURE() << "a quoted field is not closed";
                return rows;
            }
        } else {
            for (; i < csv.size() && std::string_view(",\r\n\"").find(csv[i]) == std::string_view::npos; ++i)
                field += csv[i];
        }
        if (i < csv.size() && csv[i] == ',' && ++i)
            continue;
        if (csv.substr(i, 2) != "\r\n") {
            ADD_FAILURE() << "row " << rows.size() << " not ended by CR LF at byte " << i;
            return rows;
        }
        if ((i += 2) == csv.size())
            return rows;
        rows.emplace_back();
    }
}

}  // namespace

TEST(KsLogRecords, JsonLinesHoldTheDocumentedFieldsAtEachEntrysBytes)
{
    const std::vector<QJsonObject> records = ListJson(kSample);
    ExpectRecordsCoverFile(records, ReadFile(kSample), true);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0]["time"].toString(), "2026-11-09T08:01:42");
    EXPECT_EQ(records[0]["source"].toString(), "SRV-DB01 (Server)");
    EXPECT_EQ(records[0]["message"].toString(), "INET/inet_error: select in packet_receive errno = 10060");
    std::string texts;
    int clients = 0, clientHeaders = 0;
    for (const QJsonObject& record : records) {
        texts += Text(record);
        clients += record["client"].toBool();
        clientHeaders += Text(record).substr(0, Text(record).find('\t')).ends_with("(Client)");
    }
    EXPECT_TRUE(clients == clientHeaders && clients > 0) << clients << " of " << clientHeaders;
    EXPECT_TRUE(RunKsLog({"list", kSample}).Out == texts) << "the text format is not the entries' own bytes";

    int described = 0;
    for (const QJsonObject& record : ListJson(kSample, {"--explain"}))
        ExpectRecordShape(record, true), described += record["description"].isString();
    EXPECT_GT(described, 0);

    TempFolder folder;
    const std::string linux = Generated(FBServerPlatform::Linux, 500).Bytes;
    ExpectRecordsCoverFile(ListJson(folder.Write("linux.log", linux)), linux, true);
}

TEST(KsLogRecords, InvalidBytesBecomeReplacementCharactersAndNothingElseIsLost)
{
    using namespace std::string_literals;
    const std::string x = "\xEF\xBF\xBD", entries[] = {
        "dbserver\tMon Nov  2 08:00:00 2026\n\tbad \xC3\x28 byte \xFF end\n\n",
        "dbserver\tMon Nov  2 08:10:00 2026\n\tcontrols \x01\x1B\x7F NUL \0 kept, caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x90\xA6\n\n"s,
        "dbserver (Client)\tMon Nov  2 08:20:00 2026\n\tsurrogate \xED\xA0\x80 long \xC0\xAF cut \xE2\x82 \"q\" b\\s\n\n"};
    const std::string expected[] = {
        "dbserver\tMon Nov  2 08:00:00 2026\n\tbad " + x + "( byte " + x + " end\n\n", entries[1],
        "dbserver (Client)\tMon Nov  2 08:20:00 2026\n\tsurrogate " + x + x + x + " long " + x + x + " cut " + x + x +
            " \"q\" b\\s\n\n"};
    TempFolder folder;
    const std::string bytes = entries[0] + entries[1] + entries[2];
    const TKsLogResult result = RunKsLog({"list", folder.Write("bytes.log", bytes), "--format", "jsonl", "--encoding", "UTF-8"});
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)QString(utf8.decode(QByteArray::fromStdString(result.Out)));
    EXPECT_FALSE(utf8.hasError()) << "the output is not valid UTF-8";
    const std::vector<QJsonObject> records = JsonLines(result.Out);
    ExpectRecordsCoverFile(records, bytes, false);
    for (std::size_t i = 0; i < std::min<std::size_t>(records.size(), 3); ++i)
        EXPECT_EQ(Text(records[i]), expected[i]) << "record " << i + 1;
}

TEST(KsLogRecords, CsvHoldsTheSameFieldsAsJsonLines)
{
    TempFolder folder;
    const std::string quoting = folder.Write("quoting.log",
        "SRV-DB01 (Client)\tTue Nov 10 05:17:37 2026\r\n\tDatabase \"C:\\A,B.FDB\": \"bad\", twice\r\n\r\n");
    for (const std::string& file : {kSample, quoting}) {  // quotes, commas and CR LF inside fields
        SCOPED_TRACE(file);
        const std::vector<std::vector<std::string>> rows = ReadCsv(RunKsLog({"list", file, "--format", "csv", "--explain"}).Out);
        const std::vector<QJsonObject> records = ListJson(file, {"--explain"});
        ASSERT_EQ(rows.size(), records.size() + 1);
        ASSERT_EQ(rows[0].size(), 12u);
        for (std::size_t r = 1; r < rows.size(); ++r) {
            ASSERT_EQ(rows[r].size(), 12u) << "row " << r;
            for (std::size_t c = 0; c < 12; ++c) {
                const QJsonValue value = records[r - 1][QString::fromStdString(rows[0][c])];
                const std::string json = value.isBool() ? (value.toBool() ? "true" : "false")
                                         : value.isDouble() ? std::to_string(value.toInteger())
                                                            : value.toString().toStdString();
                EXPECT_EQ(rows[r][c], json) << "row " << r << ", " << rows[0][c];
            }
        }
    }
}

TEST(KsLogFilters, EachFilterKeepsExactlyTheEntriesItNames)
{
    TempFolder folder;
    const std::string dated = folder.Write("dated.log", Generated(FBServerPlatform::Linux, 400).Bytes);
    std::map<std::string, std::vector<QJsonObject>> all{{kSample, ListJson(kSample)}, {dated, ListJson(dated)}};
    std::map<QString, QString> titles;  // by kind match text, "" for none
    for (const QJsonValue kind : SummaryJson(kSample)["kinds"].toArray())
        titles[kind["kind"].toString()] = kind["title"].toString();

    const auto has = [](const char* what, Qt::CaseSensitivity cs = Qt::CaseInsensitive) {
        return [=](const QJsonObject& r) { return r["text"].toString().contains(QString::fromUtf8(what), cs); };
    };
    const auto anyLine = [](const char* pattern) {
        return [=](const QJsonObject& r) {
            const QStringList lines = r["text"].toString().remove('\r').split('\n');
            return !lines.filter(QRegularExpression(pattern)).isEmpty();
        };
    };
    const auto between = [](const char* from, const char* to) {
        return [=](const QJsonObject& r) { return r["time"].isString() && r["time"].toString() >= from && r["time"].toString() <= to; };
    };
    const std::vector<std::tuple<std::string, std::vector<std::string>, std::function<bool(const QJsonObject&)>>> cases{
        {kSample, {"--severity", "error"}, [](auto& r) { return SeverityRank(r) >= 3; }},
        {kSample, {"--grep", "10054"}, has("10054")},
        {kSample, {"--grep", "-10054"}, [&](auto& r) { return !has("10054")(r); }},
        {kSample, {"--grep=-10054"}, [&](auto& r) { return !has("10054")(r); }},
        {kSample, {"--grep", "inet", "--grep", "-10054"}, [&](auto& r) { return has("INET")(r) && !has("10054")(r); }},
        {kSample, {"--grep", "SWEEPER", "--match-case"}, has("SWEEPER", Qt::CaseSensitive)},
        {kSample, {"--regex", "^\tsweep is (started|finished)"}, anyLine("(?i)^\tsweep is (started|finished)")},
        {kSample, {"--regex", "read errno = 1005[34]$"}, anyLine("read errno = 1005[34]$")},
        {kSample, {"--kind", "windows ERROR"},
         [&](auto& r) { return (titles[r["kind"].toString()] + '\n' + r["kind"].toString()).contains("windows error", Qt::CaseInsensitive); }},
        {dated, {"--since", "2026-11-20"}, between("2026-11-20", "9")},
        {dated, {"--until", "2026-11-20"}, between("0", "2026-11-20T23:59:59")},
        {dated, {"--since", "2026-11-12T09:30", "--until", "2026-11-20T21:45:10"}, between("2026-11-12T09:30", "2026-11-20T21:45:10")},
    };
    for (const auto& [file, filter, keep] : cases) {
        std::vector<std::string> args{"list", file, "--format", "jsonl"};
        args.insert(args.end(), filter.begin(), filter.end());
        std::string command;
        for (const std::string& arg : args)
            command += " '" + arg + "'";
        SCOPED_TRACE("kslog" + command);
        std::vector<qint64> expected, got;
        for (const QJsonObject& record : all[file])
            if (keep(record))
                expected.push_back(record["no"].toInteger());
        ASSERT_FALSE(expected.empty()) << "a case that keeps nothing shows nothing";
        const TKsLogResult result = RunKsLog(args);
        EXPECT_EQ(result.Status, 0) << result.Err;
        for (const QJsonObject& record : JsonLines(result.Out))
            got.push_back(record["no"].toInteger());
        EXPECT_EQ(got, expected);
    }
}

TEST(KsLogExitStatus, NothingMatchedIsOneAndEveryMistakeIsTwoWithAReason)
{
    TempFolder folder;
    const std::string empty = folder.Write("empty.log", ""), missing = folder.PathOf("missing.log");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"list", kSample, "--grep", "words found nowhere"}, {"list", kSample, "--format", "csv", "--grep", "none such"},
             {"summary", kSample, "--since", "2030-01-01"}, {"list", empty}, {"summary", empty, "--json"}}) {
        const TKsLogResult result = RunKsLog(args);
        EXPECT_TRUE(result.Status == 1 && result.Err.empty()) << args[0] << " " << args.back() << ": " << result.Err;
    }
    const std::vector<std::pair<std::vector<std::string>, std::string>> mistakes{
        {{"list", kSample, "--since", "2026-13-45"}, "--since"}, {{"summary", kSample, "--until", "May"}, "--until"},
        {{"list", kSample, "--severity", "fatal"}, "--severity"}, {{"list", kSample, "--regex", "(a"}, "regular expression"},
        {{"list", missing}, missing}, {{"summary", "-", "--catalogue", missing}, missing},
        {{"summary", folder.PathOf("")}, "folder"}, {{"follow", folder.PathOf("")}, "folder"},
        {{"list", kSample, "--format", "xml"}, "xml"},
        {{"list", kSample, "--bogus"}, "--bogus"}, {{"list"}, "FILE"}};
    for (const auto& [args, reason] : mistakes) {
        SCOPED_TRACE("kslog " + args[0] + " ... " + args.back());
        const TKsLogResult result = RunKsLog(args, {}, 5s);
        EXPECT_EQ(result.Status, 2);
        EXPECT_TRUE(result.Err.starts_with("kslog: ") && result.Err.find(reason) != std::string::npos) << result.Err;
        EXPECT_EQ(result.Out, "");
    }
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"summary", "--help"}, {"list", "--help"}, {"follow", "--help"}, {"--version"}}) {
        const TKsLogResult result = RunKsLog(args);
        EXPECT_TRUE(result.Status == 0 && result.Out.starts_with(args[0] == "--version" ? "kslog " : ""))
            << args[0] << ": " << result.Out << result.Err;
    }
}

TEST(KsLogStandardInput, APipeGivesWhatTheFileNameGives)
{
    TempFolder folder;
    for (const std::string& file : {kSample, folder.Write("linux.log", Generated(FBServerPlatform::Linux, 300).Bytes)}) {
        for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
                 {"summary", "-"}, {"summary", "-", "--json"}, {"list", "-"},
                 {"list", "-", "--format", "jsonl", "--grep", "-errno"}, {"list", "-", "--format", "csv", "--explain"}}) {
            SCOPED_TRACE(file + " " + args[0] + " " + args.back());
            const TKsLogResult piped = RunKsLog(args, ReadFile(file));
            args[1] = file;
            const TKsLogResult named = RunKsLog(args);
            EXPECT_TRUE(piped.Status == 0 && named.Status == 0) << piped.Err << named.Err;
            EXPECT_TRUE(piped.Out == named.Out) << "the outputs differ";
        }
        const TKsLogResult followed = RunKsLog({"follow", "-", "--format", "jsonl"}, ReadFile(file));
        EXPECT_EQ(followed.Status, 0) << followed.Err;
        EXPECT_TRUE(followed.Out == RunKsLog({"list", file, "--format", "jsonl"}).Out) << "follow - differs from list";
    }
}

TEST(KsLogSummary, JsonCountsTheEntriesListShows)
{
    TempFolder folder;
    const std::string file = folder.Write("days.log", Generated(FBServerPlatform::Windows, 3000).Bytes);
    const std::vector<QJsonObject> records = ListJson(file);
    const QJsonObject summary = SummaryJson(file);
    EXPECT_EQ(summary["entries"].toInteger(), qint64(records.size()));

    // Runs of same-day entries in file order, each undated entry ending the run before it, and
    // the undated entries in one row last.
    QJsonArray days;
    QString previous;
    qint64 undated = 0;
    std::map<QString, QJsonObject> kinds;  // by kind match text, "" for none
    for (const QJsonObject& record : records) {
        const QString date = record["time"].toString().left(10), time = record["time"].toString();
        if (date.isEmpty())
            ++undated;
        else if (date == previous)
            days[days.size() - 1] = QJsonObject{{"date", date}, {"count", days.last()["count"].toInteger() + 1}};
        else
            days.append(QJsonObject{{"date", date}, {"count", 1}});
        previous = date;

        QJsonObject& kind = kinds.try_emplace(record["kind"].toString(), QJsonObject{{"first", {}}, {"last", {}}}).first->second;
        for (const char* name : {"kind", "severity", "facility"})
            kind[name] = record[name];
        kind["count"] = kind["count"].toInteger() + 1;
        if (!time.isEmpty() && (kind["first"].isNull() || time < kind["first"].toString()))
            kind["first"] = time;
        if (!time.isEmpty() && (kind["last"].isNull() || time > kind["last"].toString()))
            kind["last"] = time;
    }
    ASSERT_GT(undated, 0) << "the log should hold undated pieces";
    days.append(QJsonObject{{"date", QJsonValue::Null}, {"count", undated}});
    EXPECT_EQ(summary["days"].toArray(), days);

    EXPECT_EQ(summary["kinds"].toArray().size(), qsizetype(kinds.size()));
    for (const QJsonValue value : summary["kinds"].toArray()) {
        QJsonObject kind = value.toObject();
        EXPECT_TRUE(kind.take("title").isString());
        const QJsonObject& expected = kinds[kind["kind"].toString()];
        EXPECT_TRUE(kind == expected) << QJsonDocument(kind).toJson().toStdString() << "differs from what list shows:\n"
                                      << QJsonDocument(expected).toJson().toStdString();
    }
}

TEST(KsLogStreaming, TenMebibyteLogsAreCutAsTheFileHoldsThem)
{
    TempFolder folder;
    for (const FBServerPlatform platform : {FBServerPlatform::Linux, FBServerPlatform::Windows}) {
        const SampleLog log = Generated(platform, 0, 10 << 20);
        const std::string file = folder.Write("big.log", log.Bytes);
        const std::vector<QJsonObject> records = ListJson(file);
        EXPECT_EQ(records.size(), log.ExpectedDateTimes.size());
        ExpectRecordsCoverFile(records, log.Bytes, true);
        EXPECT_EQ(SummaryJson(file)["entries"].toInteger(), qint64(records.size()));
    }
}
