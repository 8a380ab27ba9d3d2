// The shipped description catalogue against what servers really write: every message pattern
// of the server's sources (tests/log/data/firebird-log-messages.tsv) and the messages known
// from real logs of Firebird 1.5 to 5 and InterBase must find a row of their own, with the
// right severity, and no row may hide another.

#include "FBLogSeverity.h"
#include "uFBLogDescriptor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using S = TFBLogSeverity;

// ---------------------------------------------------------------------------------------------
// Building realistic entries
// ---------------------------------------------------------------------------------------------

// How the lines of an entry are written: the header of each server generation and its line
// ends. From 2.0 on an entry starts with an empty line; 1.5 and InterBase start with the host.
enum class Layout { Firebird3Linux, Firebird25Windows, Firebird15Linux, InterBaseWindows, Firebird4Windows };

std::string MakeEntry(Layout layout, std::string_view message)
{
    std::string start;
    std::string eol = "\n";
    switch (layout) {
    case Layout::Firebird3Linux:
        start = "\nsrv-db1\tSat Nov 21 10:15:07 2026";
        break;
    case Layout::Firebird25Windows:
        start = "\r\nSRV2008 (Server)\tWed Nov 03 23:59:01 2010";
        eol = "\r\n";
        break;
    case Layout::Firebird15Linux:
        start = "dbhost (Server)\tFri Dec  7 03:04:05 2007";
        break;
    case Layout::InterBaseWindows:
        start = "IBSRV\tWed Jan 02 02:03:55 2002";
        eol = "\r\n";
        break;
    case Layout::Firebird4Windows:
        start = "\r\nSRV-DB1\tFri Feb  2 14:55:12 2024";
        eol = "\r\n";
        break;
    }
    std::string entry = start + eol + "\t";
    for (const char c : message) {
        if (c == '\n')
            entry += eol;
        else
            entry += c;
    }
    return entry + eol + eol;
}

// Realistic values for the placeholders of the message patterns, by name. A name not listed
// here gets "42".
const std::map<std::string, std::string, std::less<>>& PlaceholderValues()
{
    static const std::map<std::string, std::string, std::less<>> values = {
        {"alias", "SALES"},
        {"allocated", "2048"},
        {"attr_count", "1"},
        {"attributes", "COLL-VERSION=153.88"},
        {"bits", "0a"},
        {"bits2", "0b"},
        {"blob_id", "4711"},
        {"charset", "UTF16"},
        {"con_count", "3"},
        {"database", "/data/sales.fdb"},
        {"db_count", "1"},
        {"dir", "/tmp/firebird/fb_trace"},
        {"eof", "0"},
        {"err_code", "22"},
        {"err_msg", "Invalid argument"},
        {"error", "Invalid argument"},
        {"error_code", "22"},
        {"errors", "0"},
        {"event", "post"},
        {"exception", "Unable to allocate memory from operating system"},
        {"expected", "data"},
        {"expr", "SALES /data/sales.fdb extra"},
        {"ext_pages", "16"},
        {"family", "10"},
        {"file", "sales.fdb"},
        {"filename", "/data/sales.fdb"},
        {"fixed", "0"},
        {"found", "index"},
        {"function", "trace_attach"},
        {"hex_content", "0A 1B 2C 3D"},
        {"home", "/opt/firebird"},
        {"host", "db1.example.com"},
        {"in_use", "3"},
        {"index_id", "2"},
        {"index_no", "2"},
        {"interface_type", "11"},
        {"length", "4"},
        {"level", "1"},
        {"line", "3"},
        {"max_page_number", "262144"},
        {"message", "The event log file is full."},
        {"module", "fbtrace"},
        {"module_name", "/opt/firebird/intl/libfbintl.so"},
        {"msg_1", "libib_util.so: cannot open shared object file: No such file or directory"},
        {"msg_2", "/opt/firebird/lib/libib_util.so"},
        {"msg_3", "/opt/firebird/lib/ib_util"},
        {"msg_4", "ib_util"},
        {"mutex", "lock"},
        {"name", "CALC_TOTALS"},
        {"next", "251328"},
        {"number", "12"},
        {"oat", "249960"},
        {"offset", "12"},
        {"oit", "248500"},
        {"ost", "249960"},
        {"page_num", "1234"},
        {"page_num2", "1240"},
        {"page_type", "5"},
        {"parameters", "client host = WS-ANNA, address = 192.168.1.20/50312, user = SYSDBA"},
        {"parent_pid", "4242"},
        {"path", "C:\\Program Files\\Firebird\\Firebird_2_5\\bin\\fbserver.exe"},
        {"pid", "4711"},
        {"pip_correct", "18"},
        {"pip_num", "1"},
        {"pip_wrong", "17"},
        {"pp", "213"},
        {"process_id", "4711"},
        {"process_name", "/opt/firebird/bin/firebird"},
        {"prog_name", "/opt/firebird/bin/fbguard"},
        {"protocol", "gds_db"},
        {"reason", "transaction 5000 is not in the list"},
        {"record_id", "88231"},
        {"relation_id", "131"},
        {"requested", "8192"},
        {"scn", "104"},
        {"scn_2", "103"},
        {"sequence", "7"},
        {"sequence2", "8"},
        {"shadow", "/data/sales.shd"},
        {"shadow_num", "2"},
        {"sig_num", "11"},
        {"slot", "5"},
        {"socket_type", "1"},
        {"spec_attr_count", "2"},
        {"state", "22"},
        {"svc_count", "0"},
        {"syscall", "pthread_mutex_lock"},
        {"table", "ORDERS"},
        {"table_name", "ORDERS"},
        {"tag", "1"},
        {"tras_id", "5000"},
        {"trigger_name", "TRG_ORDERS_BI"},
        {"type", "procedure"},
        {"user", "SWEEPER"},
        {"value", "0"},
        {"value2", "1"},
        {"value_1", "1"},
        {"value_2", "37"},
        {"version", "63"},
        {"warnings", "2"},
    };
    return values;
}

// Values that differ for one pattern, where the general value would not be what that message
// really holds.
const std::map<int, std::map<std::string, std::string, std::less<>>>& ValuesForPattern()
{
    static const std::map<int, std::map<std::string, std::string, std::less<>>> values = [] {
        std::map<int, std::map<std::string, std::string, std::less<>>> v;
        // The crash reports start with the text of the UDF that caused them, empty otherwise.
        for (int id = 26; id <= 43; ++id)
            v[id]["err_msg"] = "";
        v[54]["value"] = "Restricted";
        v[58]["filename"] = "/opt/firebird/intl/libfbintl.so";
        v[59]["name"] = "WIN1250";
        v[59]["filename"] = "/opt/firebird/intl/libfbintl2.so";
        v[88]["filename"] = "validation.cpp";
        v[128]["filename"] = "/opt/firebird/fbtrace.conf";
        v[151]["value"] = "/opt/firebird/bin/firebird";
        v[153]["filename"] = "/var/run/firebird/firebird.pid";
        // A call and an error number that no row of its own explains.
        v[177]["error"] = "accept";
        v[177]["err_code"] = "24";
        v[201]["function"] = "ConnectNamedPipe";
        v[219]["filename"] = "/opt/firebird/intl/fbintl.conf";
        v[273]["filename"] = "fbintl";
        v[278]["name"] = "fbtrace";
        return v;
    }();
    return values;
}

bool IsPlaceholderName(std::string_view name)
{
    if (name.empty() || !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_'))
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

// The message a pattern stands for: "{name}" replaced by its value, "\n" as a line break
// followed by a TAB. Braces around anything but a name are the server's own text and stay.
std::string FillPattern(std::string_view pattern, int id)
{
    const auto& general = PlaceholderValues();
    const auto& special = ValuesForPattern();
    const auto own = special.find(id);
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '\\' && i + 1 < pattern.size() && pattern[i + 1] == 'n') {
            text += "\n\t";
            ++i;
            continue;
        }
        if (pattern[i] == '{') {
            const std::size_t close = pattern.find('}', i);
            if (close != std::string_view::npos && IsPlaceholderName(pattern.substr(i + 1, close - i - 1))) {
                const std::string_view name = pattern.substr(i + 1, close - i - 1);
                if (own != special.end() && own->second.count(name) != 0)
                    text += own->second.find(name)->second;
                else if (const auto value = general.find(name); value != general.end())
                    text += value->second;
                else
                    text += "42";
                i = close;
                continue;
            }
        }
        text += pattern[i];
    }
    return text;
}

// The pattern with its optional tails "[ ... ]" written out, and without them; one text when
// the pattern has none.
std::vector<std::string> WithAndWithoutTails(std::string_view pattern)
{
    std::string with;
    std::string without;
    int depth = 0;
    for (const char c : pattern) {
        if (c == '[') {
            ++depth;
            continue;
        }
        if (c == ']' && depth > 0) {
            --depth;
            continue;
        }
        with += c;
        if (depth == 0)
            without += c;
    }
    if (with == without)
        return {with};
    return {with, without};
}

// ---------------------------------------------------------------------------------------------
// The message patterns
// ---------------------------------------------------------------------------------------------

struct MessagePattern {
    int Id = 0;
    TFBLogSeverity Severity = TFBLogSeverity::Unknown;
    std::string Facility;
    std::string Text;
};

std::vector<MessagePattern> ReadPatterns(std::string& problem)
{
    std::ifstream file(KESTRELON_MESSAGES_TSV, std::ios::binary);
    if (!file) {
        problem = "cannot open " + std::string(KESTRELON_MESSAGES_TSV);
        return {};
    }
    std::vector<MessagePattern> patterns;
    std::string line;
    int lineNumber = 0;
    while (std::getline(file, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#' || line.rfind("id\t", 0) == 0)
            continue;
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');)
            fields.push_back(cell);
        const std::optional<TFBLogSeverity> severity = fields.size() == 4 ? ParseSeverity(fields[1]) : std::nullopt;
        if (!severity || fields[0].empty() ||
            !std::all_of(fields[0].begin(), fields[0].end(), [](char c) { return c >= '0' && c <= '9'; })) {
            problem = "line " + std::to_string(lineNumber) + " is not \"id TAB severity TAB facility TAB pattern\": " + line;
            return {};
        }
        patterns.push_back({std::stoi(fields[0]), *severity, fields[2], fields[3]});
    }
    return patterns;
}

// Where our severity differs from the one the message list gives. The catalogue's comment
// block lists the same numbers with the same reasons.
struct Deviation {
    TFBLogSeverity Severity;
    const char* Reason;
};

const std::map<int, Deviation>& SeverityDeviations()
{
    static const std::map<int, Deviation> deviations = {
        {70, {S::Info, "changing a routine in use is expected; connections keep the old version"}},
        {71, {S::Warning, "dropping a routine in use is worth a look, not a failure"}},
        {124, {S::Critical, "the main database file was lost; the database runs on its shadow"}},
        {137, {S::Critical, "the Guardian could not launch the server: it is not running"}},
        {140, {S::Warning, "only the Windows event log misses entries; the server is fine"}},
        {141, {S::Warning, "only the Windows event log misses entries; the server is fine"}},
        {142, {S::Critical, "the Guardian could not launch the server: it is not running"}},
        {144, {S::Critical, "the server could not start: it is not running"}},
        {152, {S::Critical, "the Guardian could not start the server: it is not running"}},
        {158, {S::Critical, "the server could not start and the Guardian gave up"}},
        {159, {S::Error, "the server is not running while the Guardian retries"}},
        {160, {S::Critical, "the server could not start and the Guardian gave up"}},
        {161, {S::Critical, "the server crashed, as with the Windows Guardian's message 145"}},
        {165, {S::Info, "a socket option that was not set; the connection works"}},
        {166, {S::Info, "a socket option that was not set; the connection works"}},
        {167, {S::Info, "IPv6 is unavailable; the server listens on IPv4"}},
        {168, {S::Info, "a socket option that was not set; the connection works"}},
        {169, {S::Info, "a socket option that was not set; the connection works"}},
        {175, {S::Info, "a Classic server process ends after its last client, as it should"}},
        {180, {S::Warning, "one hung connection was dropped; the server goes on"}},
        {184, {S::Warning, "only the Classic process of one broken connection exits"}},
        {226, {S::Critical, "the same message as 209, sharing its row: event delivery stops"}},
        {245, {S::Critical, "the server did not start"}},
        {281, {S::Warning, "closing the cached security database failed; logins work"}},
        {282, {S::Warning, "closing the cached security database failed; logins work"}},
    };
    return deviations;
}

// Patterns of different text that cannot have rows of their own, with the reason.
const std::map<int, std::pair<int, const char*>>& SharedRows()
{
    static const std::map<int, std::pair<int, const char*>> shared = {
        {226, {209, "the same title, once followed by its cause; a match text cannot tell a missing tail"}},
    };
    return shared;
}

std::string Describe(const TFBLogDescriptor& catalogue, int row)
{
    if (row < 0)
        return "no row";
    const TFBLogDescription& description = catalogue.Descriptions()[static_cast<std::size_t>(row)];
    return "row " + std::to_string(row) + " \"" + description.MatchText() + "\" (" +
           std::string(SeverityName(description.Severity())) + ")";
}

class CatalogueCoverageTest : public ::testing::Test {
protected:
    const TFBLogDescriptor FCatalogue{KESTRELON_CATALOGUE};
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// 1. Every message pattern of the server's sources
// ---------------------------------------------------------------------------------------------

TEST_F(CatalogueCoverageTest, EveryMessagePatternHasARowOfItsOwnWithItsSeverity)
{
    std::string problem;
    const std::vector<MessagePattern> patterns = ReadPatterns(problem);
    ASSERT_TRUE(problem.empty()) << problem;
    ASSERT_EQ(patterns.size(), 287u) << "the message list in " << KESTRELON_MESSAGES_TSV << " is incomplete";

    constexpr Layout kLayouts[] = {Layout::Firebird3Linux, Layout::Firebird25Windows, Layout::Firebird15Linux,
                                   Layout::InterBaseWindows, Layout::Firebird4Windows};
    std::map<int, int> rowOf;  // pattern id -> row
    for (const MessagePattern& pattern : patterns) {
        const auto deviation = SeverityDeviations().find(pattern.Id);
        const TFBLogSeverity expected = deviation != SeverityDeviations().end() ? deviation->second.Severity : pattern.Severity;
        int firstRow = -2;
        for (const std::string& variant : WithAndWithoutTails(pattern.Text)) {
            const std::string entry = MakeEntry(kLayouts[pattern.Id % 5], FillPattern(variant, pattern.Id));
            const int row = FCatalogue.FindRowIndex(entry);
            SCOPED_TRACE("pattern " + std::to_string(pattern.Id) + ": " + variant + "\nentry: " + entry);
            if (row < 0) {
                ADD_FAILURE() << "no row explains it";
                continue;
            }
            EXPECT_EQ(SeverityName(FCatalogue.Descriptions()[static_cast<std::size_t>(row)].Severity()), SeverityName(expected))
                << Describe(FCatalogue, row);
            if (firstRow == -2)
                firstRow = row;
            else
                EXPECT_EQ(row, firstRow) << "with and without its optional tail it gets different rows: "
                                         << Describe(FCatalogue, firstRow) << " and " << Describe(FCatalogue, row);
        }
        if (firstRow >= 0)
            rowOf[pattern.Id] = firstRow;
    }

    // A row of its own: patterns of different text never meet on one row, except where they
    // are listed as sharing.
    std::map<int, const MessagePattern*> firstPatternOfRow;
    for (const MessagePattern& pattern : patterns) {
        const auto row = rowOf.find(pattern.Id);
        if (row == rowOf.end())
            continue;
        const auto [other, isFirst] = firstPatternOfRow.emplace(row->second, &pattern);
        if (isFirst || other->second->Text == pattern.Text)
            continue;
        const auto shared = SharedRows().find(pattern.Id);
        EXPECT_TRUE(shared != SharedRows().end() && shared->second.first == other->second->Id)
            << "patterns " << other->second->Id << " and " << pattern.Id << " share " << Describe(FCatalogue, row->second)
            << "\n  " << other->second->Text << "\n  " << pattern.Text;
    }
}

TEST_F(CatalogueCoverageTest, SeverityDeviationsAreRealAndListedInTheCatalogue)
{
    std::string problem;
    const std::vector<MessagePattern> patterns = ReadPatterns(problem);
    ASSERT_TRUE(problem.empty()) << problem;
    std::map<int, TFBLogSeverity> listed;
    for (const MessagePattern& pattern : patterns)
        listed[pattern.Id] = pattern.Severity;
    for (const auto& [id, deviation] : SeverityDeviations()) {
        ASSERT_EQ(listed.count(id), 1u) << "no message " << id;
        EXPECT_NE(listed[id], deviation.Severity) << "message " << id << " does not deviate: " << deviation.Reason;
    }

    // The catalogue's comments name each deviating message as "[id]", and no other.
    std::ifstream file(KESTRELON_CATALOGUE, std::ios::binary);
    ASSERT_TRUE(file) << "cannot open " << KESTRELON_CATALOGUE;
    std::set<int> inComments;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] != ';')
            continue;
        for (std::size_t open = line.find('['); open != std::string::npos; open = line.find('[', open + 1)) {
            const std::size_t close = line.find(']', open);
            const std::string number = close == std::string::npos ? "" : line.substr(open + 1, close - open - 1);
            if (!number.empty() && std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
                inComments.insert(std::stoi(number));
        }
    }
    std::set<int> inTest;
    for (const auto& entry : SeverityDeviations())
        inTest.insert(entry.first);
    EXPECT_EQ(inComments, inTest) << "the catalogue's list of deviations and this test's table differ";
}

// ---------------------------------------------------------------------------------------------
// 2. Order: no row hides another
// ---------------------------------------------------------------------------------------------

TEST_F(CatalogueCoverageTest, NoRowIsShadowedByAMoreGeneralRowAbove)
{
    const std::vector<TFBLogDescription>& rows = FCatalogue.Descriptions();
    ASSERT_FALSE(rows.empty());
    std::vector<std::string> folded;
    for (const TFBLogDescription& row : rows) {
        std::string text = row.MatchText();
        for (char& c : text)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        folded.push_back(text);
    }
    for (std::size_t j = 0; j < rows.size(); ++j) {
        for (std::size_t i = 0; i < j; ++i)
            EXPECT_EQ(folded[j].find(folded[i]), std::string::npos)
                << "row " << j << " \"" << rows[j].MatchText() << "\" can never win: row " << i << " \""
                << rows[i].MatchText() << "\" above it matches wherever it does";

        // The row's own text in an entry, with a header as servers write it, finds that row.
        for (const Layout layout : {Layout::Firebird3Linux, Layout::Firebird25Windows}) {
            const int found = FCatalogue.FindRowIndex(MakeEntry(layout, rows[j].MatchText()));
            EXPECT_EQ(found, static_cast<int>(j)) << "an entry holding only \"" << rows[j].MatchText() << "\" gets "
                                                  << Describe(FCatalogue, found);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// 3. The shipped file itself
// ---------------------------------------------------------------------------------------------

TEST_F(CatalogueCoverageTest, ShippedCatalogueLoadsCleanWithSeverityFacilityAndTitleOnEveryRow)
{
    EXPECT_TRUE(FCatalogue.Warnings().empty()) << "first problem: "
                                               << (FCatalogue.Warnings().empty() ? "" : FCatalogue.Warnings()[0]);
    ASSERT_GE(FCatalogue.Descriptions().size(), 287u);

    std::map<std::string, std::string> rowOfTitle;
    for (const TFBLogDescription& row : FCatalogue.Descriptions()) {
        SCOPED_TRACE("row \"" + row.MatchText() + "\"");
        EXPECT_NE(row.Severity(), S::Unknown);
        EXPECT_TRUE(IsKnownFacility(row.Facility())) << "facility \"" << row.Facility() << "\"";

        // A title sentence first, ended by a full stop, then the explanation on its own line.
        const std::string title = row.Title();
        const std::string& description = row.Description();
        EXPECT_FALSE(title.empty());
        EXPECT_LE(title.size(), 80u) << title;
        EXPECT_TRUE(description.compare(0, title.size(), title) == 0 && description.size() > title.size() &&
                    description[title.size()] == '.')
            << "the description does not begin with a title sentence: " << description;
        EXPECT_NE(description.find('\n'), std::string::npos) << "no explanation after the title: " << description;
        for (const char* label : {"Information:", "Info:", "Warning:", "Error:", "Critical:"})
            EXPECT_NE(title.rfind(label, 0), 0u) << "the severity is the directive's, not a label: " << title;
        const auto [other, isNew] = rowOfTitle.emplace(title, row.MatchText());
        EXPECT_TRUE(isNew) << "title \"" << title << "\" also names row \"" << other->second << "\"";
    }
}

TEST_F(CatalogueCoverageTest, ShippedCatalogueIsUtf8Text)
{
    std::ifstream file(KESTRELON_CATALOGUE, std::ios::binary);
    ASSERT_TRUE(file) << "cannot open " << KESTRELON_CATALOGUE;
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    int lineNumber = 1;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        std::size_t length = byte < 0x80 ? 1 : (byte & 0xE0) == 0xC0 ? 2 : (byte & 0xF0) == 0xE0 ? 3 : (byte & 0xF8) == 0xF0 ? 4 : 0;
        bool valid = length != 0 && i + length <= bytes.size() && !(length == 2 && byte < 0xC2);
        for (std::size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
        if (valid && length == 1)
            valid = byte >= 0x20 || byte == '\t' || byte == '\n' || byte == '\r';
        ASSERT_TRUE(valid) << "line " << lineNumber << ": byte " << static_cast<int>(byte) << " is no UTF-8 text";
        if (byte == '\n')
            ++lineNumber;
        i += length;
    }
}

// ---------------------------------------------------------------------------------------------
// 4. Messages seen in real logs, by server generation
// ---------------------------------------------------------------------------------------------

namespace {

struct RealMessage {
    // Messages with the same kind must get the same row, messages of different kinds
    // different rows: they call for different advice.
    const char* Kind;
    TFBLogSeverity Severity;
    Layout Written;
    std::string Text;
};

const std::vector<RealMessage>& RealMessages()
{
    using L = Layout;
    static const std::vector<RealMessage> messages = {
        // Network errors by the operating system's error number.
        {"reset 10054", S::Warning, L::Firebird25Windows, "INET/inet_error: read errno = 10054"},
        {"reset 10054", S::Warning, L::Firebird4Windows, "INET/inet_error: read errno = 10054, client host = WS-ANNA, address = 192.168.1.20/50312, user = SYSDBA"},
        {"reset 10054", S::Warning, L::InterBaseWindows, "INET/inet_error: read errno = 10054"},
        {"reset 104", S::Warning, L::Firebird3Linux, "INET/inet_error: read errno = 104, client host = ws1, address = 10.0.0.5/50123, user = BOB"},
        {"aborted 10053", S::Warning, L::Firebird25Windows, "INET/inet_error: send errno = 10053"},
        {"timeout 10060", S::Warning, L::Firebird25Windows, "INET/inet_error: select in packet_receive errno = 10060"},
        {"timeout 110", S::Warning, L::Firebird3Linux, "INET/inet_error: read errno = 110"},
        {"refused 10061", S::Error, L::Firebird25Windows, "INET/inet_error: connect errno = 10061"},
        {"refused 111", S::Error, L::Firebird3Linux, "INET/inet_error: connect errno = 111, server host = db1, address = 10.0.0.7/3050"},
        {"port in use 10048", S::Critical, L::Firebird25Windows, "INET/inet_error: bind errno = 10048"},
        {"port in use 98", S::Critical, L::Firebird3Linux, "INET/inet_error: bind errno = 98"},
        {"port in use 98", S::Critical, L::Firebird15Linux, "INET/inet_error: bind errno = 98"},
        {"port forbidden 10013", S::Critical, L::Firebird4Windows, "INET/inet_error: bind errno = 10013"},
        {"port forbidden 13", S::Critical, L::Firebird3Linux, "INET/inet_error: bind errno = 13"},
        {"bind", S::Critical, L::Firebird3Linux, "INET/inet_error: bind errno = 99"},
        {"listen", S::Critical, L::Firebird3Linux, "INET/inet_error: listen errno = 22"},
        {"address in use 10048", S::Error, L::Firebird4Windows, "INET/inet_error: connect errno = 10048"},
        {"not a socket 10038", S::Warning, L::Firebird25Windows, "INET/inet_error: accept errno = 10038"},
        {"winsock gone 10093", S::Error, L::Firebird25Windows, "INET/inet_error: select errno = 10093"},
        {"broken pipe 32", S::Warning, L::Firebird3Linux, "INET/inet_error: send errno = 32"},
        {"no route 113", S::Error, L::Firebird3Linux, "INET/inet_error: connect errno = 113"},
        {"einval 22", S::Warning, L::Firebird3Linux, "INET/inet_error: getsockname errno = 22"},
        {"invalid socket", S::Info, L::Firebird3Linux, "INET/inet_error: invalid socket in packet_receive errno = 22"},
        {"inet_error", S::Error, L::Firebird3Linux, "INET/inet_error: receive in try_connect errno = 11"},
        // Other messages of the remote layer.
        {"getaddrinfo", S::Error, L::Firebird3Linux, "INET/INET_connect: getaddrinfo(db1.example.com,gds_db) failed: Name or service not known"},
        {"getaddrinfo", S::Error, L::Firebird3Linux, "INET/INET_connect: getaddrinfo(db1,gds_db) failed: Nezn\xC3\xA1m\xC3\xA9 jm\xC3\xA9no nebo slu\xC5\xBE" "ba"},
        {"gethostbyname", S::Error, L::Firebird25Windows, "INET/INET_connect: gethostbyname (db1) failed, error code = 11001"},
        {"getservbyname", S::Error, L::Firebird15Linux, "INET/INET_connect: getservbyname failed, error code = 0"},
        {"select_wait", S::Error, L::Firebird25Windows, "INET/select_wait: select failed, errno = 10093"},
        {"rundown", S::Info, L::Firebird3Linux, "INET/select_wait: client rundown complete, server exiting"},
        {"fork CreateProcess", S::Error, L::Firebird25Windows, "INET/inet_error: fork/CreateProcess errno = 1455"},
        {"fork DuplicateHandle", S::Error, L::Firebird25Windows, "INET/inet_error: fork/DuplicateHandle errno = 6"},
        {"keepalive old", S::Info, L::Firebird15Linux, "inet server err: setting KEEPALIVE socket option \n"},
        {"nodelay old", S::Info, L::Firebird15Linux, "inet server err: setting NODELAY socket option \n"},
        {"ipv6", S::Info, L::Firebird3Linux, "setsockopt: error setting IPV6_V6ONLY to 0"},
        {"bind address", S::Error, L::Firebird25Windows, "Wrong RemoteBindAddress '10.0.0.300' in firebird.conf - binding to loopback interface"},
        {"broken port", S::Warning, L::Firebird25Windows, "SERVER/process_packet: broken port, server exiting"},
        {"main_port", S::Critical, L::Firebird3Linux, "SRVR_multi_thread/RECEIVE: error on main_port, shutting down"},
        {"forcefully", S::Warning, L::Firebird3Linux, "SRVR_multi_thread: forcefully disconnecting a port"},
        {"listener start", S::Critical, L::Firebird3Linux, "SRVR_multi_thread: error during startup, shutting down"},
        {"rejected", S::Warning, L::Firebird15Linux, "SERVER/process_packet: connection rejected for BOB"},
        {"connect reject", S::Warning, L::Firebird15Linux, "SERVER/process_packet: connect reject, server exiting"},
        {"packet type", S::Error, L::Firebird3Linux, "SERVER/process_packet: don't understand packet type 71"},
        {"xdr", S::Warning, L::Firebird25Windows, "xdr_packet: operation 112 not recognized\n"},
        {"detach", S::Error, L::Firebird25Windows, "REMOTE INTERFACE/gds__detach: Unsuccesful detach from database. \n\tUncommitted work may have been lost.\n\tError reading data from the connection."},
        {"detach 5", S::Error, L::Firebird3Linux, "REMOTE INTERFACE/gds__detach: Unsuccessful detach from database.\n\tUncommitted work may have been lost.\n\tError writing data to the connection."},
        {"request", S::Warning, L::Firebird3Linux, "Unable to complete network request to host \"db1\".\n\tError reading data from the connection.\n\tConnection reset by peer"},
        {"reading", S::Warning, L::Firebird3Linux, "Error reading data from the connection."},
        {"writing", S::Warning, L::Firebird4Windows, "Error writing data to the connection."},
        {"establish", S::Error, L::Firebird3Linux, "Failed to establish a connection."},
        {"listening", S::Critical, L::Firebird3Linux, "Error while listening for an incoming connection."},
        {"listening", S::Critical, L::Firebird4Windows, "Firebird startup error:\n\tUnable to complete network request to host \"SRV-DB1\".\n\tError while listening for an incoming connection.\n\tAddress already in use"},
        {"xnet", S::Error, L::Firebird25Windows, "XNET error: Unable to create the shared memory map"},
        {"xnet errno", S::Error, L::Firebird25Windows, "XNET/xnet_error: errno = 5"},
        {"xnet worker", S::Critical, L::Firebird25Windows, "XNET: can't start worker thread, connection terminated"},
        {"inet worker", S::Critical, L::Firebird25Windows, "INET: can't start worker thread, connection terminated"},
        {"service timeout", S::Warning, L::Firebird25Windows, "Timeout expired during remote server shutdown"},
        // Logins and security.
        {"auth error", S::Error, L::Firebird3Linux, "Authentication error\n\tunavailable database"},
        {"password database", S::Error, L::Firebird4Windows, "Authentication error\n\tcannot attach to password database\n\tI/O error during \"CreateFile (open)\" operation for file \"C:\\Program Files\\Firebird\\Firebird_4_0\\security4.fdb\""},
        {"no matching plugins", S::Error, L::Firebird3Linux, "Authentication error\n\tNo matching plugins on server"},
        {"srp", S::Error, L::Firebird3Linux, "Srp Server\n\tunavailable database"},
        {"client plugin", S::Error, L::Firebird3Linux, "Authentication, client plugin:\n\tUnable to complete network request to host \"db1\"."},
        {"legacy shutdown", S::Warning, L::Firebird3Linux, "Legacy security database shutdown\n\tunavailable database"},
        {"timer handler", S::Warning, L::Firebird4Windows, "Security database timer handler\n\tunavailable database"},
        {"wrong login", S::Warning, L::Firebird15Linux, "Your user name and password are not defined. Ask your database administrator to set up a Firebird login."},
        // Server start and stop, Guardian.
        {"shutting down", S::Warning, L::Firebird3Linux, "Shutting down the server with 3 active connection(s) to 1 database(s), 0 active service(s)"},
        {"engine shutdown", S::Warning, L::Firebird3Linux, "PID 4711: engine shutdown is in progress with 2 database(s) attached"},
        {"engine shutdown failed", S::Error, L::Firebird3Linux, "PID 4711: wait for engine shutdown failed, terminating"},
        {"guardian starting", S::Info, L::Firebird3Linux, "/usr/sbin/fbguard: guardian starting /usr/sbin/firebird\n"},
        {"guardian starting", S::Info, L::Firebird15Linux, "/opt/firebird/bin/fbguard: guardian starting /opt/firebird/bin/fbserver\n"},
        {"normal shutdown", S::Info, L::Firebird3Linux, "/opt/firebird/bin/fbguard: /opt/firebird/bin/firebird normal shutdown.\n"},
        {"abnormal", S::Critical, L::Firebird3Linux, "/opt/firebird/bin/fbguard: /opt/firebird/bin/firebird terminated abnormally (-1)\n"},
        {"startup error", S::Critical, L::Firebird3Linux, "/opt/firebird/bin/fbguard: /opt/firebird/bin/firebird terminated due to startup error (2)\n"},
        {"trying again", S::Error, L::Firebird3Linux, "/opt/firebird/bin/fbguard: /opt/firebird/bin/firebird terminated due to startup error (2)\n Trying again\n"},
        {"terminated", S::Info, L::Firebird3Linux, "/opt/firebird/bin/fbguard: /opt/firebird/bin/firebird terminated\n"},
        {"killed", S::Error, L::Firebird3Linux, "/opt/firebird/bin/fbguard: /opt/firebird/bin/firebird killed (did not terminate)\n"},
        {"unable to shutdown", S::Error, L::Firebird3Linux, "/opt/firebird/bin/fbguard: unable to shutdown /opt/firebird/bin/firebird\n"},
        {"error shutting down", S::Error, L::Firebird3Linux, "/opt/firebird/bin/fbguard: error while shutting down /opt/firebird/bin/firebird (9)\n"},
        {"could not start", S::Critical, L::Firebird3Linux, "/opt/firebird/bin/fbguard: guardian could not start server\n"},
        {"could not open", S::Error, L::Firebird3Linux, "/opt/firebird/bin/fbguard: guardian could not open /var/run/firebird/firebird.pid for writing, error 13\n"},
        {"win guardian starting", S::Info, L::Firebird25Windows, "Guardian starting: C:\\Program Files\\Firebird\\Firebird_2_5\\bin\\fbserver.exe\n"},
        {"win abnormal", S::Critical, L::Firebird25Windows, "C:\\Program Files\\Firebird\\Firebird_2_5\\bin\\fbserver.exe: terminated abnormally (-1)\n"},
        {"win abnormal", S::Critical, L::Firebird25Windows, "\"C:\\Program Files\\Firebird\\Firebird_3_0\\firebird.exe\": terminated abnormally (3221225477)\n"},
        {"win startup errors", S::Critical, L::Firebird25Windows, "C:\\Program Files\\Firebird\\Firebird_2_5\\bin\\fbserver.exe: terminated because of startup errors (1)\n"},
        {"win normal shutdown", S::Info, L::Firebird25Windows, "C:\\Program Files\\Firebird\\Firebird_3_0\\firebird.exe: normal shutdown\n"},
        {"win launch", S::Critical, L::Firebird25Windows, "The guardian was unable to launch the server thread.\n"},
        {"misconfigured", S::Critical, L::Firebird3Linux, "Server misconfigured - to start it from (x)inetd add ServerMode=Classic to firebird.conf"},
        {"inet startup", S::Critical, L::Firebird3Linux, "INET server startup error\n\tUnable to allocate memory from operating system"},
        {"firebird startup", S::Critical, L::Firebird3Linux, "Firebird startup error:\n\tUnable to allocate memory from operating system"},
        {"start inet_server", S::Critical, L::Firebird3Linux, "Unable to start INET_server"},
        {"replication startup", S::Error, L::Firebird4Windows, "Replication server startup error\n\tInvalid replication configuration"},
        {"change directory", S::Error, L::Firebird3Linux, "Could not change directory to /opt/firebird due to errno 13"},
        {"setrlimit", S::Error, L::Firebird3Linux, "setrlimit() failed, errno=1"},
        {"getrlimit", S::Error, L::Firebird3Linux, "getrlimit() failed, errno=22"},
        {"fbmgr", S::Info, L::Firebird25Windows, "*** fbmgr is deprecated, will be removed soon ***"},
        // Sweep, validation, routines in use, cache, shadows.
        {"sweep started", S::Info, L::Firebird25Windows, "Sweep is started by SWEEPER\n\tDatabase \"D:\\DATA\\EMPLOYEE.FDB\" \n\tOIT 248500, OAT 249960, OST 249960, Next 251328"},
        {"sweep finished", S::Info, L::Firebird3Linux, "Sweep is finished\n\tDatabase \"/data/sales.fdb\" \n\tOIT 249828, OAT 251288, OST 251288, Next 255309"},
        {"sweep finished", S::Info, L::Firebird3Linux, "Sweep is finished\n\tDatabase \"/data/sales.fdb\" \n\t4 workers, time 12.345 sec \n\tOIT 249828, OAT 251288, OST 251288, Next 255309"},
        {"sweep error", S::Error, L::Firebird3Linux, "Error during sweep of /data/sales.fdb:\n\tlock time-out on wait transaction"},
        {"sweep error", S::Error, L::Firebird25Windows, "Error during sweep:\n\tlock time-out on wait transaction"},
        {"automatic sweep", S::Error, L::Firebird25Windows, "Automatic sweep error\n\tlock time-out on wait transaction"},
        {"validation started", S::Info, L::Firebird3Linux, "Database: /data/sales.fdb\n\tValidation started"},
        {"validation clean", S::Info, L::Firebird3Linux, "Database: /data/sales.fdb\n\tValidation finished: 0 errors, 2 warnings, 0 fixed"},
        {"validation errors", S::Error, L::Firebird3Linux, "Database: /data/sales.fdb\n\tValidation finished: 3 errors, 0 warnings, 0 fixed"},
        {"validation aborted", S::Error, L::Firebird3Linux, "Database: /data/sales.fdb\n\tValidation aborted\n\tconnection shutdown"},
        {"wrong type", S::Error, L::Firebird3Linux, "Database: /data/sales.fdb\n\tPage 1234 wrong type (expected data encountered index) in table ORDERS (131)"},
        {"checksum page", S::Error, L::Firebird3Linux, "Database: /data/sales.fdb\n\tChecksum error on page 1234"},
        {"doubly", S::Error, L::Firebird3Linux, "Database: /data/sales.fdb\n\tPage 1234 doubly allocated"},
        {"marked free", S::Error, L::Firebird3Linux, "Database: /data/sales.fdb\n\tPage 1234 is used but marked free"},
        {"orphan page", S::Warning, L::Firebird3Linux, "Database: /data/sales.fdb\n\tWarning: Page 1234 is an orphan"},
        {"blob corrupt", S::Error, L::Firebird3Linux, "Database: /data/sales.fdb\n\tBlob 4711 is corrupt in table ORDERS (131)"},
        {"chain", S::Error, L::Firebird3Linux, "Database: /data/sales.fdb\n\tChain for record 88231 is broken in table ORDERS (131)"},
        {"bad transaction", S::Error, L::Firebird3Linux, "Database: /data/sales.fdb\n\tRecord 88231 has bad transaction 5000 in table ORDERS (131)"},
        {"index corrupt", S::Error, L::Firebird3Linux, "Database: /data/sales.fdb\n\tIndex 2 is corrupt on page 1234 level 1 at offset 12. File: validation.cpp, line: 2045\n\t in table ORDERS (131)"},
        {"backversions", S::Warning, L::Firebird3Linux, "Database: /data/sales.fdb\n\tWarning: Relation has 12 orphan backversions {3 in use} in table ORDERS (131)"},
        {"tip lost", S::Error, L::Firebird3Linux, "Database: /data/sales.fdb\n\tTransaction inventory pages lost"},
        {"modifying procedure", S::Info, L::Firebird25Windows, "Modifying procedure CALC_TOTALS which is currently in use by active user requests"},
        {"modifying function", S::Info, L::Firebird3Linux, "Modifying function F_TAX which is currently in use by active user requests"},
        {"deleting procedure", S::Warning, L::Firebird3Linux, "Deleting procedure CALC_TOTALS which is currently in use by active user requests"},
        {"page buffers", S::Warning, L::Firebird3Linux, "Database: /data/sales.fdb\n\tAllocated 2048 page buffers of 8192 requested"},
        {"activating shadow", S::Critical, L::Firebird25Windows, "activating shadow file C:\\DB\\SALES.SHD"},
        {"shadow write", S::Error, L::Firebird3Linux, "shadow /data/sales.shd deleted from database /data/sales.fdb due to unavailability on write"},
        {"shadow attach", S::Error, L::Firebird3Linux, "shadow /data/sales.shd deleted from database /data/sales.fdb due to unavailability on attach"},
        {"conditional activated", S::Info, L::Firebird3Linux, "conditional shadow 2 /data/sales2.shd activated for database /data/sales.fdb"},
        {"conditional dumped", S::Info, L::Firebird3Linux, "conditional shadow dumped for database /data/sales.fdb"},
        // Corruption, internal errors, input and output.
        {"bugcheck", S::Critical, L::Firebird3Linux, "Database: /data/sales.fdb\n\tinternal Firebird consistency check (wrong record length (183), file: vio.cpp line: 1234)"},
        {"bugcheck 179", S::Critical, L::Firebird3Linux, "Database: /data/sales.fdb\n\tinternal Firebird consistency check (decompression overran buffer (179), file: sqz.cpp line: 293)"},
        {"bugcheck 165", S::Critical, L::Firebird25Windows, "Database: C:\\DB\\SALES.FDB\n\tinternal Firebird consistency check (cannot find tip page (165), file: tra.cpp line: 2233)"},
        {"bugcheck 243", S::Critical, L::Firebird3Linux, "Database: /data/sales.fdb\n\tinternal Firebird consistency check (missing pointer page in DPM_data_pages (243), file: dpm.epp line: 1423)"},
        {"bugcheck 210", S::Critical, L::Firebird3Linux, "Database: /data/sales.fdb\n\tinternal Firebird consistency check (page in use during flush (210), file: cch.cpp line: 2672)"},
        {"bugcheck old", S::Critical, L::Firebird15Linux, "Database: /data/sales.fdb\n\tinternal gds software consistency check (wrong record length (183))"},
        {"bugcheck old", S::Critical, L::InterBaseWindows, "Database: C:\\DB\\SALES.GDB\n\tinternal gds software consistency check (error during savepoint backout (290))"},
        {"appears corrupt", S::Critical, L::Firebird3Linux, "Database: /data/sales.fdb\n\tdatabase file appears corrupt (/data/sales.fdb)\n\twrong page type\n\tpage 1234 is of wrong type (expected pointer, found purposely undefined)"},
        {"checksum database page", S::Critical, L::Firebird15Linux, "Database: /data/sales.fdb\n\tchecksum error on database page 1234"},
        {"open windows", S::Error, L::Firebird25Windows, "I/O error during \"CreateFile (open)\" operation for file \"C:\\DB\\SALES.FDB\"\n\tError while trying to open file\n\tThe process cannot access the file because it is being used by another process. "},
        {"open", S::Error, L::Firebird3Linux, "I/O error during \"open\" operation for file \"/data/sales.fdb\"\n\tError while trying to open file\n\tPermission denied"},
        {"read", S::Critical, L::Firebird3Linux, "Database: /data/sales.fdb\n\tI/O error during \"read\" operation for file \"/data/sales.fdb\"\n\tError while trying to read from file\n\tInput/output error"},
        {"read windows", S::Critical, L::Firebird4Windows, "I/O error during \"ReadFile\" operation for file \"C:\\DB\\SALES.FDB\"\n\tError while trying to read from file\n\tThe specified network name is no longer available."},
        {"write", S::Critical, L::Firebird3Linux, "I/O error during \"write\" operation for file \"/data/sales.fdb\"\n\tError while trying to write to file\n\tNo space left on device"},
        {"write windows", S::Critical, L::Firebird25Windows, "I/O error during \"WriteFile\" operation for file \"C:\\DB\\SALES.FDB\"\n\tError while trying to write to file\n\tThere is not enough space on the disk."},
        {"io", S::Error, L::Firebird3Linux, "I/O error during \"lseek\" operation for file \"/data/sales.fdb\"\n\tError while trying to read from file\n\tInvalid argument"},
        {"extend", S::Critical, L::Firebird3Linux, "Error extending file \"/data/sales.fdb\" by 16 page(s).\nCurrently allocated 262144 pages, requested page number 262160"},
        {"lock denied", S::Error, L::Firebird3Linux, "Database: /data/sales.fdb\n\tpage 1234, page type 5 lock denied (216)"},
        {"lock conversion", S::Error, L::Firebird3Linux, "Database: /data/sales.fdb\n\tpage 1234, page type 5 lock conversion denied (215)"},
        {"transactions list", S::Error, L::Firebird4Windows, "Failure working with transactions list: transaction 5000 is not in the list"},
        {"update conflict", S::Warning, L::Firebird4Windows, "Update conflict: unable to get a stable set of rows in the source tables"},
        {"temporary blobs", S::Error, L::Firebird4Windows, "Too many temporary blobs (1000 allowed)\nDatabase: C:\\DB\\SALES.FDB"},
        // Lock manager, shared memory, operating system.
        {"fatal lock", S::Critical, L::Firebird3Linux, "Fatal lock manager error: semop failed (acquire), errno: 22\n--Invalid argument"},
        {"invalid lock id", S::Critical, L::Firebird3Linux, "Fatal lock manager error: invalid lock id (123456), errno: 0"},
        {"process disappeared", S::Critical, L::Firebird3Linux, "Fatal lock manager error: Process disappeared in LockManager::acquire_shmem, errno: 0"},
        {"out of room", S::Critical, L::Firebird25Windows, "Fatal lock manager error: lock manager out of room, errno: 0"},
        {"os call", S::Error, L::Firebird3Linux, "Operating system call pthread_mutex_destroy failed. Error code 16"},
        {"pthread", S::Error, L::Firebird3Linux, "Pthread Error\n\toperating system directive pthread_mutex_lock failed\n\tInvalid argument"},
        {"shm monitoring", S::Error, L::Firebird3Linux, "MonitoringData: Cannot initialize the shared memory region\n\tPermission denied"},
        {"shm tpc", S::Error, L::Firebird3Linux, "TPC: Cannot initialize the shared memory region\n\tPermission denied"},
        {"shm config", S::Error, L::Firebird3Linux, "ConfigStorage: Cannot initialize the shared memory region\n\tPermission denied"},
        {"shm tracelog", S::Error, L::Firebird3Linux, "TraceLog: Cannot initialize the shared memory region\n\tPermission denied"},
        {"shm mapping", S::Error, L::Firebird3Linux, "MappingIpc: Cannot initialize the shared memory region\n\tPermission denied"},
        {"shm", S::Error, L::Firebird3Linux, "ProfilerManager: Cannot initialize the shared memory region\n\tPermission denied"},
        {"shm", S::Error, L::Firebird3Linux, "PluginLogWriter: Cannot initialize the shared memory region\n\tPermission denied"},
        {"event watcher", S::Error, L::Firebird3Linux, "Error in event watcher thread\n\n\tOperating system call pthread_mutex_lock failed. Error code 22"},
        {"blocking action", S::Error, L::Firebird3Linux, "Error in blocking action thread\n\n\tOperating system call pthread_mutex_lock failed. Error code 22"},
        {"closing event watcher", S::Error, L::Firebird3Linux, "Error closing event watcher thread\n\n\tInvalid argument"},
        {"closing blocking action", S::Error, L::Firebird3Linux, "Error closing blocking action thread\n\n\tInvalid argument"},
        {"profiler watcher", S::Error, L::Firebird3Linux, "Error in profiler watcher thread\n\n\tInvalid argument"},
        {"worker attachment", S::Error, L::Firebird3Linux, "Failed to create worker attachment\n\n\tconnection shutdown"},
        {"unlock", S::Error, L::Firebird3Linux, "Unlock error\n\tInvalid argument"},
        {"remap", S::Error, L::Firebird3Linux, "Remap file error:\n\tCannot allocate memory"},
        {"unmap", S::Error, L::Firebird3Linux, "unmapObject failed\n\tInvalid argument"},
        // Crash reports.
        {"access violation", S::Critical, L::Firebird25Windows, " Access violation.\n\t\tThe code attempted to access a virtual\n\t\taddress without privilege to do so.\n\tThis exception will cause the Firebird server\n\tto terminate abnormally."},
        {"misalignment", S::Critical, L::Firebird25Windows, " Datatype misalignment.\n\t\tThe attempted to read or write a value\n\t\tthat was not stored on a memory boundary.\n\tThis exception will cause the Firebird server\n\tto terminate abnormally."},
        {"array bounds", S::Critical, L::Firebird25Windows, " Array bounds exceeded.\n\t\tThe code attempted to access an array\n\t\telement that is out of bounds.\n\tThis exception will cause the Firebird server\n\tto terminate abnormally."},
        {"segfault", S::Critical, L::Firebird3Linux, " Segmentation Fault.\n\t\tThe code attempted to access memory\n\t\twithout privilege to do so.\n\tThis exception will cause the Firebird server\n\tto terminate abnormally."},
        {"bus error", S::Critical, L::Firebird3Linux, " Bus Error.\n\t\tThe code caused a system bus error.\n\tThis exception will cause the Firebird server\n\tto terminate abnormally."},
        {"illegal instruction", S::Critical, L::Firebird3Linux, " Illegal Instruction.\n\t\tThe code attempted to perfrom an\n\t\tillegal operation.\n\tThis exception will cause the Firebird server\n\tto terminate abnormally."},
        {"floating point", S::Critical, L::Firebird3Linux, " Floating Point Error.\n\t\tThe code caused an arithmetic exception\n\t\tor floating point exception.\n\tThis exception will cause the Firebird server\n\tto terminate abnormally."},
        {"unknown exception", S::Critical, L::Firebird3Linux, " Unknown Exception.\n\t\tException number 7.\n\tThis exception will cause the Firebird server\n\tto terminate abnormally."},
        {"udf", S::Critical, L::Firebird25Windows, "The user defined function: \tCALC_TAX\n\t   referencing entrypoint: \tcalc_tax\n\t                in module: \tmyudf\n\tcaused the fatal exception: Access violation.\n\t\tThe code attempted to access a virtual\n\t\taddress without privilege to do so.\n\tThis exception will cause the Firebird server\n\tto terminate abnormally."},
        // Configuration, ICU, INTL, UDF, trace.
        {"ib_util", S::Error, L::Firebird3Linux, "ib_util init failed, UDFs can't be used - looks like firebird misconfigured\n\t/opt/firebird/lib/libib_util.so: cannot open shared object file\n\t/opt/firebird/lib/ib_util\n\tlibib_util.so\n\tib_util"},
        {"intl module", S::Error, L::Firebird3Linux, "Can't load INTL module 'fbintl'\n\tmodule not found"},
        {"intl conflict", S::Error, L::Firebird3Linux, "INTL plugin conflict: WIN1250 defined in fbintl and fbintl2"},
        {"icu uc", S::Error, L::Firebird3Linux, "failed to load UC icu module version 63"},
        {"icu in", S::Error, L::Firebird4Windows, "failed to load IN icu module version 63"},
        {"icu load", S::Error, L::Firebird3Linux, "ICU load error\n\tlibicuuc.so.63: cannot open shared object file"},
        {"icu versions", S::Error, L::Firebird3Linux, "No ICU versions specified"},
        {"bad data", S::Error, L::Firebird3Linux, "File databases.conf contains bad data: SALES /data/sales.fdb extra"},
        {"no value", S::Warning, L::Firebird3Linux, "Alias SALES has no value, ignored"},
        {"not fully qualified", S::Warning, L::Firebird3Linux, "Value sales.fdb configured for alias SALES is not a fully qualified path name nor remote server reference, ignored"},
        {"tzdata corrupt", S::Warning, L::Firebird4Windows, "tzdata ids.dat file is corrupted."},
        {"tzdata old", S::Warning, L::Firebird4Windows, "tzdata ids.dat file is older than builtin time zone list."},
        {"time zone", S::Warning, L::Firebird4Windows, "Invalid time zone (Europe/Atlantis). Falling back to displacement."},
        {"trace plugin", S::Error, L::Firebird3Linux, "Trace plugin fbtrace returned error on call trace_attach.\n\tError details: cannot open log file"},
        {"audit empty", S::Error, L::Firebird3Linux, "Audit configuration file \"/opt/firebird/fbtrace.conf\" is empty"},
        {"audit open", S::Error, L::Firebird3Linux, "Cannot open audit configuration file\n\tNo such file or directory"},
        {"cache setting", S::Warning, L::Firebird25Windows, "Incorrect FileSystemCacheSize setting 120. Using default (30 percent)."},
        {"cache size", S::Warning, L::Firebird25Windows, "SetSystemFileCacheSize error 1314. The engine will continue to operate, but the system performance may degrade significantly when working with large databases"},
        {"event log update", S::Warning, L::Firebird25Windows, "Unable to update NT Event Log.\n\tOS Message: The event log file is full."},
        {"event log open", S::Warning, L::Firebird25Windows, "Error opening Windows NT Event Log"},
        // Written by InterBase or an application, not by Firebird.
        {"isc_attach_database", S::Error, L::InterBaseWindows, "Error in isc_attach_database\n\tI/O error for file \"C:\\DB\\SALES.GDB\""},
    };
    return messages;
}

}  // namespace

TEST_F(CatalogueCoverageTest, MessagesOfRealLogsGetTheRowForTheirKind)
{
    std::map<std::string, int> rowOfKind;
    std::map<int, std::string> kindOfRow;
    for (const RealMessage& message : RealMessages()) {
        const std::string entry = MakeEntry(message.Written, message.Text);
        SCOPED_TRACE(std::string("kind \"") + message.Kind + "\": " + entry);
        const int row = FCatalogue.FindRowIndex(entry);
        if (row < 0) {
            ADD_FAILURE() << "no row explains it";
            continue;
        }
        EXPECT_FALSE(FCatalogue.FindDescription(entry, false).empty());
        EXPECT_EQ(SeverityName(FCatalogue.Descriptions()[static_cast<std::size_t>(row)].Severity()),
                  SeverityName(message.Severity))
            << Describe(FCatalogue, row);

        const auto [kindRow, newKind] = rowOfKind.emplace(message.Kind, row);
        EXPECT_EQ(kindRow->second, row) << "the same kind got " << Describe(FCatalogue, kindRow->second) << " before, now "
                                        << Describe(FCatalogue, row);
        const auto [rowKind, newRow] = kindOfRow.emplace(row, message.Kind);
        EXPECT_EQ(rowKind->second, message.Kind) << Describe(FCatalogue, row) << " already explains kind \""
                                                 << rowKind->second << "\", which calls for other advice";
    }
}
