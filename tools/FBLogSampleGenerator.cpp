#include "FBLogSampleGenerator.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <initializer_list>
#include <cmath>
#include <stdexcept>
#include <string_view>

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

namespace {

// Who writes an entry decides its source marker on servers up to 2.5.
enum class Writer { Server, Client, Guardian, Classic };
enum class Platforms { Any, LinuxOnly, WindowsOnly };

constexpr FBServerVersion kOldest = FBServerVersion::InterBase6;
constexpr FBServerVersion kNewest = FBServerVersion::Firebird50;

// One kind of message. "\n" in Text starts a new line of the entry; the server puts a TAB
// before every line it writes through "\n\t", so Text spells those TABs out itself.
struct MessageKind {
    double Weight;
    Writer By;
    FBServerVersion From;
    FBServerVersion To;
    Platforms On;
    std::string_view Text;
};

using V = FBServerVersion;
using P = Platforms;

// The messages real servers write, with the versions and platforms that write them.
// Placeholders in braces are filled in by Fill().
constexpr std::array kMessages{
    MessageKind{30, Writer::Server, kOldest, V::Firebird25, P::Any, "INET/inet_error: read errno = {reset}"},
    MessageKind{30, Writer::Server, V::Firebird30, kNewest, P::Any, "INET/inet_error: read errno = {reset}, client host = {client}, address = {ip}/{port}, user = {osuser}"},
    MessageKind{5, Writer::Server, V::Firebird30, kNewest, P::Any, "INET/inet_error: send errno = {aborted}, client host = {client}, address = {ip}/{port}, user = {osuser}"},
    MessageKind{4, Writer::Server, kOldest, V::Firebird25, P::Any, "INET/inet_error: send errno = {aborted}"},
    MessageKind{3, Writer::Server, kOldest, kNewest, P::Any, "INET/inet_error: read errno = {timeout}"},
    MessageKind{2, Writer::Server, kOldest, kNewest, P::Any, "INET/inet_error: select in packet_receive errno = {timeout}"},
    MessageKind{1, Writer::Server, V::Firebird25, kNewest, P::LinuxOnly, "INET/inet_error: invalid socket in packet_receive errno = 22"},
    MessageKind{2, Writer::Client, kOldest, kNewest, P::Any, "INET/inet_error: connect errno = {refused}"},
    MessageKind{0.3, Writer::Server, kOldest, kNewest, P::Any, "INET/inet_error: bind errno = {inuse}"},
    MessageKind{3, Writer::Classic, kOldest, kNewest, P::Any, "SERVER/process_packet: broken port, server exiting"},
    MessageKind{0.5, Writer::Classic, kOldest, kNewest, P::Any, "INET/select_wait: client rundown complete, server exiting"},
    MessageKind{3, Writer::Client, kOldest, V::Firebird40, P::Any, "REMOTE INTERFACE/gds__detach: Unsuccesful detach from database. \n\tUncommitted work may have been lost.\n\tError reading data from the connection."},
    MessageKind{3, Writer::Client, V::Firebird50, kNewest, P::Any, "REMOTE INTERFACE/gds__detach: Unsuccessful detach from database.\n\tUncommitted work may have been lost.\n\tError writing data to the connection.\n\tsend errno = {aborted}"},
    MessageKind{2, Writer::Server, kOldest, kNewest, P::Any, "Unable to complete network request to host \"{client}\".\n\tError reading data from the connection."},
    MessageKind{0.5, Writer::Server, kOldest, kNewest, P::Any, "SERVER/process_packet: don't understand packet type 0"},
    MessageKind{0.3, Writer::Server, kOldest, kNewest, P::Any, "xdr_packet: operation 4294 not recognized\n"},
    MessageKind{0.5, Writer::Server, kOldest, kNewest, P::Any, "inet server err: setting KEEPALIVE socket option \n"},
    MessageKind{0.3, Writer::Client, kOldest, V::Firebird25, P::Any, "INET/INET_connect: gethostbyname (oldhost) failed, error code = 11001"},
    MessageKind{0.3, Writer::Client, V::Firebird30, kNewest, P::Any, "INET/INET_connect: getaddrinfo(oldhost,gds_db) failed: {noname}"},
    MessageKind{1, Writer::Server, V::Firebird30, kNewest, P::LinuxOnly, "setsockopt: error setting IPV6_V6ONLY to 0"},
    MessageKind{3, Writer::Server, V::Firebird30, kNewest, P::Any, "Authentication error\n\tNo matching plugins on server"},
    MessageKind{0.5, Writer::Server, V::Firebird30, kNewest, P::Any, "Authentication error\n\tcannot attach to password database\n\tI/O error during \"open\" operation for file \"{secdb}\"\n\tError while trying to open file\n\t{nofile}"},
    MessageKind{0.3, Writer::Server, V::Firebird30, kNewest, P::Any, "Srp Server\n\tcannot attach to password database\n\tlock time-out on wait transaction"},
    MessageKind{2, Writer::Guardian, kOldest, kNewest, P::LinuxOnly, "{guard}: guardian starting {engine}\n"},
    MessageKind{1, Writer::Guardian, kOldest, kNewest, P::LinuxOnly, "{guard}: {engine} normal shutdown.\n"},
    MessageKind{0.3, Writer::Guardian, kOldest, kNewest, P::LinuxOnly, "{guard}: {engine} terminated abnormally (-1)\n"},
    MessageKind{0.1, Writer::Guardian, kOldest, kNewest, P::LinuxOnly, "{guard}: {engine} terminated due to startup error (1)\n Trying again\n"},
    MessageKind{2, Writer::Guardian, kOldest, kNewest, P::WindowsOnly, "Guardian starting: \"{engine}\"\n"},
    MessageKind{1, Writer::Guardian, kOldest, kNewest, P::WindowsOnly, "{engine}: normal shutdown\n"},
    MessageKind{0.3, Writer::Guardian, kOldest, kNewest, P::WindowsOnly, "{engine}: terminated abnormally (-1)\n"},
    MessageKind{1, Writer::Server, V::Firebird25, kNewest, P::Any, "Shutting down the server with {small} active connection(s) to {small} database(s), 0 active service(s)"},
    MessageKind{0.2, Writer::Server, V::Firebird30, kNewest, P::Any, "PID {pid}: engine shutdown is in progress with {small} database(s) attached"},
    MessageKind{3, Writer::Server, kOldest, V::Firebird40, P::Any, "Sweep is started by SWEEPER\n\tDatabase \"{db}\" \n\tOIT {oit}, OAT {oat}, OST {ost}, Next {next}"},
    MessageKind{3, Writer::Server, kOldest, V::Firebird40, P::Any, "Sweep is finished\n\tDatabase \"{db}\" \n\tOIT {oit}, OAT {oat}, OST {ost}, Next {next}"},
    MessageKind{3, Writer::Server, V::Firebird50, kNewest, P::Any, "Sweep is started by SYSDBA\n\tDatabase \"{db}\" \n\tOIT {oit}, OAT {oat}, OST {ost}, Next {next}"},
    MessageKind{3, Writer::Server, V::Firebird50, kNewest, P::Any, "Sweep is finished\n\tDatabase \"{db}\" \n\t4 workers, time 12.345 sec \n\tOIT {oit}, OAT {oat}, OST {ost}, Next {next}"},
    MessageKind{0.3, Writer::Server, V::Firebird30, kNewest, P::Any, "Error during sweep of {db}:\n\tlock time-out on wait transaction"},
    MessageKind{0.3, Writer::Server, kOldest, V::Firebird25, P::Any, "Error during sweep:\n\tlock time-out on wait transaction"},
    MessageKind{0.3, Writer::Server, V::Firebird30, kNewest, P::Any, "Database: {db}\n\tValidation started"},
    MessageKind{0.3, Writer::Server, V::Firebird30, kNewest, P::Any, "Database: {db}\n\tValidation finished: 0 errors, 2 warnings, 0 fixed"},
    MessageKind{0.3, Writer::Server, kOldest, kNewest, P::Any, "Database: {db}\n\tWarning: Page {page} is an orphan"},
    MessageKind{0.1, Writer::Server, kOldest, kNewest, P::Any, "Database: {db}\n\tPage {page} doubly allocated"},
    MessageKind{0.2, Writer::Server, V::Firebird25, kNewest, P::Any, "Database: {db}\n\tinternal Firebird consistency check (decompression overran buffer (179), file: sqz.cpp line: 293)"},
    MessageKind{0.2, Writer::Server, kOldest, V::Firebird15, P::Any, "Database: {db}\n\tinternal gds software consistency check (cannot find tip page (165))"},
    MessageKind{0.1, Writer::Server, kOldest, kNewest, P::Any, "Database: {db}\n\tdatabase file appears corrupt ({db})\n\twrong page type\n\tpage {page} is of wrong type (expected data, found purposely undefined)"},
    MessageKind{0.1, Writer::Server, kOldest, kNewest, P::Any, "Database: {db}\n\tchecksum error on database page {page}"},
    MessageKind{0.2, Writer::Server, kOldest, kNewest, P::Any, "Database: {db}\n\tpage {page}, page type 5 lock conversion denied (215)"},
    MessageKind{1, Writer::Server, kOldest, kNewest, P::LinuxOnly, "I/O error during \"open\" operation for file \"{db}\"\n\tError while trying to open file\n\t{noent}"},
    MessageKind{1, Writer::Server, kOldest, kNewest, P::WindowsOnly, "I/O error during \"CreateFile (open)\" operation for file \"{db}\"\n\tError while trying to open file\n\t{sharing}"},
    MessageKind{0.2, Writer::Server, kOldest, kNewest, P::Any, "Error extending file \"{db}\" by 16 page(s).\nCurrently allocated {page} pages, requested page number {page}"},
    MessageKind{0.2, Writer::Server, kOldest, kNewest, P::Any, "Database: {db}\n\tAllocated 2048 page buffers of 8192 requested"},
    MessageKind{1, Writer::Server, V::Firebird25, kNewest, P::Any, "Modifying procedure SP_POST_INVOICE which is currently in use by active user requests"},
    MessageKind{0.3, Writer::Server, V::Firebird30, kNewest, P::Any, "Deleting function F_ROUND_PRICE which is currently in use by active user requests"},
    MessageKind{0.05, Writer::Server, kOldest, kNewest, P::Any, "activating shadow file {db}.shd"},
    MessageKind{0.1, Writer::Classic, kOldest, kNewest, P::LinuxOnly, "Fatal lock manager error: semop failed (acquire), errno: 22\n--Invalid argument"},
    MessageKind{0.1, Writer::Server, V::Firebird30, kNewest, P::LinuxOnly, "Operating system call pthread_mutex_destroy failed. Error code 16"},
    MessageKind{0.1, Writer::Server, V::Firebird30, kNewest, P::Any, "ConfigStorage: Cannot initialize the shared memory region\n\tcan't open file /tmp/firebird/fb_trace"},
    MessageKind{0.05, Writer::Server, kOldest, kNewest, P::LinuxOnly, "{engine} Segmentation Fault.\n\t\tThe code attempted to access a virtual\n\t\taddress without privilege to do so.\n\tThis exception will cause the Firebird server\n\tto terminate abnormally."},
    MessageKind{0.05, Writer::Server, kOldest, kNewest, P::WindowsOnly, "{engine} Access violation.\n\t\tThe code attempted to access a virtual\n\t\taddress without privilege to do so.\n\tThis exception will cause the Firebird server\n\tto terminate abnormally."},
    MessageKind{0.05, Writer::Server, V::Firebird30, kNewest, P::LinuxOnly, "failed to load UC icu module version 63"},
    MessageKind{0.1, Writer::Server, kOldest, kNewest, P::WindowsOnly, "XNET error: XNET server initialization failed. Probably another instance of server is already running."},
    MessageKind{0.05, Writer::Server, kOldest, kNewest, P::WindowsOnly, "Incorrect FileSystemCacheSize setting 0. Using default (30 percent)."},
};

// The title of this message ends in a line break, so its body follows a blank line: a scan
// cuts it in two, the second piece without a header.
constexpr std::string_view kSplitMessage =
    "Error in event watcher thread\n\n\tError reading data from the connection.";

constexpr std::array<std::string_view, 12> kMonthNames = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<std::string_view, 7> kDayNames = {"Mon", "Tue", "Wed", "Thu",
                                                       "Fri", "Sat", "Sun"};
constexpr std::array<std::string_view, 6> kDatabases = {"employee", "sales", "stock",
                                                        "accounts", "archive2019", "hr"};
constexpr std::array<std::string_view, 6> kClients = {"WS-ACCT01", "ws-sales-07", "LAPTOP-3F9K2",
                                                      "appserver", "POS12", "10.0.4.23"};

// A small deterministic generator, so that a seed gives the same log on every platform.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : FState(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (FState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    std::uint64_t Below(std::uint64_t n) { return Next() % n; }

private:
    std::uint64_t FState;
};

// Turns the UTF-8 the generator composes in into the bytes the server writes.
class TServerEncoder {
public:
    explicit TServerEncoder(const char* encoding) : FUtf8(std::string_view(encoding) == "UTF-8")
    {
        UErrorCode error = U_ZERO_ERROR;
        if (!FUtf8)
            FConverter = ucnv_open(encoding, &error);
        if (U_FAILURE(error))
            throw std::runtime_error(std::string("No converter for ") + encoding);
    }
    ~TServerEncoder() { ucnv_close(FConverter); }
    TServerEncoder(const TServerEncoder&) = delete;
    TServerEncoder& operator=(const TServerEncoder&) = delete;

    std::string Encode(const std::string& utf8) const
    {
        if (FUtf8)
            return utf8;
        std::u16string units(utf8.size(), u'\0');
        int32_t count = 0;
        UErrorCode error = U_ZERO_ERROR;
        u_strFromUTF8(units.data(), static_cast<int32_t>(units.size()), &count, utf8.data(),
                      static_cast<int32_t>(utf8.size()), &error);
        std::string out(static_cast<std::size_t>(count) * 2 + 4, '\0');
        const int32_t length = ucnv_fromUChars(FConverter, out.data(), static_cast<int32_t>(out.size()), units.data(),
                                               count, &error);
        if (U_FAILURE(error))
            throw std::runtime_error(std::string("Cannot write a message in ") + ucnv_getName(FConverter, &error));
        out.resize(static_cast<std::size_t>(length));
        return out;
    }

private:
    bool FUtf8;
    UConverter* FConverter = nullptr;
};

class SampleLogWriter {
public:
    explicit SampleLogWriter(const SampleLogOptions& options)
        : FOptions(options), FRandom(options.Seed), FNow(Seconds(options.Start))
    {
        for (const MessageKind& kind : kMessages)
            if (Applies(kind))
                FTotalWeight += kind.Weight;
    }

    SampleLog Write()
    {
        if (FOptions.TargetBytes > 0)
            FLog.Bytes.reserve(static_cast<std::size_t>(FOptions.TargetBytes) + 4096);
        std::int64_t written = 0;
        while (FOptions.TargetBytes > 0 ? static_cast<std::int64_t>(FLog.Bytes.size()) < FOptions.TargetBytes
                                        : written < FOptions.Entries) {
            AdvanceClock();
            WriteOneEntry();
            ++written;
        }
        return std::move(FLog);
    }

private:
    bool Windows() const { return FOptions.Platform == FBServerPlatform::Windows; }
    bool WritesLeadingNewline() const { return FOptions.Version >= V::Firebird25; }

    bool Applies(const MessageKind& kind) const
    {
        if (FOptions.Version < kind.From || FOptions.Version > kind.To)
            return false;
        return kind.On == P::Any || (kind.On == P::LinuxOnly) == !Windows();
    }

    static std::int64_t Seconds(const FBLogDateParts& p)
    {
        const double days = TryEncodeDateTime(FBLogDateParts{p.Year, p.Month, p.Day, 0, 0, 0, 0}).value_or(0);
        return static_cast<std::int64_t>(days) * 86400 + (p.Hour * 60 + p.Minute) * 60 + p.Second;
    }

    void AdvanceClock()
    {
        const double u = FRandom.Unit();
        if (u < 0.25)
            return;  // bursts: several entries within the same second
        if (u < 0.2505) {
            FNow -= 3600;  // the clock was put back (daylight saving, a manual correction)
            return;
        }
        FNow += static_cast<std::int64_t>(-std::log(1.0 - FRandom.Unit()) * FOptions.MeanSecondsBetween) + 1;
    }

    FBLogDateParts NowParts() const
    {
        FBLogDateParts p = DecodeDateTime(static_cast<double>(FNow / 86400));
        const std::int64_t secondOfDay = FNow % 86400;
        p.Hour = static_cast<int>(secondOfDay / 3600);
        p.Minute = static_cast<int>(secondOfDay / 60 % 60);
        p.Second = static_cast<int>(secondOfDay % 60);
        return p;
    }

    double NowDateTime() const { return TryEncodeDateTime(NowParts()).value_or(0); }

    // ctime() as the server's C runtime writes it: old Microsoft runtimes pad a one-digit day
    // with a zero, glibc and the Universal CRT with a blank.
    std::string CTime() const
    {
        const FBLogDateParts p = NowParts();
        const bool zeroPadded = Windows() && FOptions.Version <= V::Firebird30;
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, zeroPadded ? "%s %s %02d %02d:%02d:%02d %d" : "%s %s %2d %02d:%02d:%02d %d",
                      std::string(kDayNames[static_cast<std::size_t>(DayOfWeek(NowDateTime()) - 1)]).c_str(),
                      std::string(kMonthNames[static_cast<std::size_t>(p.Month - 1)]).c_str(), p.Day, p.Hour,
                      p.Minute, p.Second, p.Year);
        return buffer;
    }

    std::string Marker(Writer by) const
    {
        if (FOptions.Version >= V::Firebird30)
            return {};
        switch (by) {
        case Writer::Server: return " (Server)";
        case Writer::Client:
        case Writer::Guardian: return " (Client)";
        case Writer::Classic: return {};
        }
        return {};
    }

    const MessageKind& PickMessage()
    {
        double pick = FRandom.Unit() * FTotalWeight;
        const MessageKind* last = nullptr;
        for (const MessageKind& kind : kMessages) {
            if (!Applies(kind))
                continue;
            last = &kind;
            if ((pick -= kind.Weight) < 0)
                break;
        }
        return *last;
    }

    void WriteOneEntry()
    {
        const double piece = FOptions.UnreadablePieces ? FRandom.Unit() : 1.0;
        if (piece < 0.004 && FOptions.Version >= V::Firebird30)
            WriteEntry(Writer::Server, std::string(kSplitMessage), {NowDateTime(), 0.0});
        else if (piece < 0.006)
            WriteTruncatedHeader();
        else {
            const MessageKind& kind = PickMessage();
            WriteEntry(kind.By, Fill(kind.Text), {NowDateTime()});
        }
    }

    // What a crash in the middle of writing leaves: a header cut short, then the next entry.
    void WriteTruncatedHeader()
    {
        std::string header = CTime();
        header.resize(15);
        Append(std::string(WritesLeadingNewline() ? "\n" : "") + FOptions.Host + "\t" + header + "\n\n");
        FLog.ExpectedDateTimes.push_back(0.0);
    }

    void WriteEntry(Writer by, const std::string& text, std::initializer_list<double> expected)
    {
        std::string entry = WritesLeadingNewline() ? "\n" : "";
        entry += FOptions.Host + Marker(by) + "\t" + CTime() + "\n\t" + text + "\n\n";
        Append(entry);
        FLog.ExpectedDateTimes.insert(FLog.ExpectedDateTimes.end(), expected);
    }

    void Append(const std::string& utf8)
    {
        const std::string text = FEncoder.Encode(utf8);
        if (!Windows()) {
            FLog.Bytes += text;
            return;
        }
        for (char c : text) {
            if (c == '\n')
                FLog.Bytes += '\r';
            FLog.Bytes += c;
        }
    }

    std::string Fill(std::string_view text)
    {
        std::string result;
        std::size_t pos = 0;
        while (pos < text.size()) {
            const std::size_t open = text.find('{', pos);
            const std::size_t close = open == std::string_view::npos ? open : text.find('}', open);
            if (close == std::string_view::npos) {
                result += text.substr(pos);
                break;
            }
            result += text.substr(pos, open - pos);
            result += Value(text.substr(open + 1, close - open - 1));
            pos = close + 1;
        }
        return result;
    }

    std::string Errno(int windows, int linux) const { return std::to_string(Windows() ? windows : linux); }

    const FBServerMessages& Words() const { return ServerMessages(FOptions.Language); }

    std::string Database()
    {
        // Some databases of a server abroad are named in its language.
        const bool local = FOptions.Language != FBServerLanguage::English && FRandom.Below(4) == 0;
        const std::string_view name = local ? Words().Database : kDatabases[FRandom.Below(kDatabases.size())];
        if (!Windows())
            return "/var/lib/firebird/data/" + std::string(name) + ".fdb";
        std::string upper(name);
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return "D:\\DATA\\" + upper + ".FDB";
    }

    std::string Engine() const
    {
        if (Windows())
            return FOptions.Version >= V::Firebird30 ? "C:\\Program Files\\Firebird\\Firebird_3_0\\firebird.exe"
                                                     : "C:\\Program Files\\Firebird\\Firebird_2_5\\bin\\fbserver.exe";
        return FOptions.Version >= V::Firebird30 ? "/opt/firebird/bin/firebird" : "/opt/firebird/bin/fbserver";
    }

    std::string Value(std::string_view name)
    {
        if (name == "reset") return Errno(10054, 104);
        if (name == "timeout") return Errno(10060, 110);
        if (name == "aborted") return Errno(10053, 32);
        if (name == "refused") return Errno(10061, 111);
        if (name == "inuse") return Errno(10048, 98);
        if (name == "client") return std::string(kClients[FRandom.Below(kClients.size())]);
        if (name == "ip") return "10.0." + std::to_string(FRandom.Below(8)) + "." + std::to_string(2 + FRandom.Below(250));
        if (name == "port") return std::to_string(49152 + FRandom.Below(16000));
        if (name == "osuser") return FRandom.Below(2) ? "SYSTEM" : "jsmith";
        if (name == "db") return Database();
        if (name == "secdb") return Windows() ? "C:\\Program Files\\Firebird\\Firebird_3_0\\security3.fdb" : "/opt/firebird/security3.fdb";
        if (name == "nofile") return Windows() ? Words().FileNotFound : "Permission denied";
        if (name == "sharing") return Words().SharingViolation;
        if (name == "noent") return Words().NoSuchFile;
        if (name == "noname") return Words().UnknownHost;
        if (name == "guard") return "/opt/firebird/bin/fbguard";
        if (name == "engine") return Engine();
        if (name == "small") return std::to_string(1 + FRandom.Below(12));
        if (name == "pid") return std::to_string(1000 + FRandom.Below(60000));
        if (name == "page") return std::to_string(100 + FRandom.Below(900000));
        if (name == "oit") return std::to_string(FTransactions - 1500);
        if (name == "oat") return std::to_string(FTransactions - 40);
        if (name == "ost") return std::to_string(FTransactions - 40);
        if (name == "next") {
            FTransactions += 1 + static_cast<std::int64_t>(FRandom.Below(5000));
            return std::to_string(FTransactions);
        }
        return "{" + std::string(name) + "}";
    }

    SampleLogOptions FOptions;
    TServerEncoder FEncoder{ServerEncodingName(FOptions.Platform, FOptions.Language)};
    SplitMix64 FRandom;
    std::int64_t FNow;  // seconds since 1899-12-30, local time
    std::int64_t FTransactions = 250000;
    double FTotalWeight = 0;
    SampleLog FLog;
};

}  // namespace

SampleLog GenerateSampleLog(const SampleLogOptions& options)
{
    return SampleLogWriter(options).Write();
}

bool ParseServerLanguage(const std::string& name, FBServerLanguage& language)
{
    static const std::array<std::pair<std::string_view, FBServerLanguage>, 3> kNames = {{
        {"en", FBServerLanguage::English}, {"ru", FBServerLanguage::Russian}, {"cs", FBServerLanguage::Czech}}};
    for (const auto& [text, value] : kNames)
        if (name == text) {
            language = value;
            return true;
        }
    return false;
}

const char* ServerEncodingName(FBServerPlatform platform, FBServerLanguage language)
{
    if (platform == FBServerPlatform::Linux)
        return "UTF-8";
    switch (language) {
    case FBServerLanguage::Russian: return "windows-1251";
    case FBServerLanguage::Czech: return "windows-1250";
    case FBServerLanguage::English: break;
    }
    return "windows-1252";
}

const FBServerMessages& ServerMessages(FBServerLanguage language)
{
    // As FormatMessage words them on a Windows of that language (with the blank it leaves at
    // the end) and as glibc's strerror and gai_strerror do in that locale.
    static const FBServerMessages kEnglish{
        "The system cannot find the file specified. ",
        "The process cannot access the file because it is being used by another process. ",
        "No such file or directory", "Name or service not known", "employee"};
    static const FBServerMessages kRussian{
        "Не удается найти указанный файл. ",
        "Процесс не может получить доступ к файлу, так как этот файл занят другим процессом. ",
        "Нет такого файла или каталога", "Имя или служба не известны", "склад"};
    static const FBServerMessages kCzech{
        "Systém nemůže nalézt uvedený soubor. ",
        "Proces nemůže získat přístup k souboru, neboť jej používá jiný proces. ",
        "Adresář nebo soubor neexistuje", "Neznámé jméno nebo služba", "účetnictví"};
    switch (language) {
    case FBServerLanguage::Russian: return kRussian;
    case FBServerLanguage::Czech: return kCzech;
    case FBServerLanguage::English: break;
    }
    return kEnglish;
}

bool ParseServerVersion(const std::string& name, FBServerVersion& version)
{
    static const std::array<std::pair<std::string_view, FBServerVersion>, 6> kNames = {{
        {"ib6", V::InterBase6},   {"1.5", V::Firebird15}, {"2.5", V::Firebird25},
        {"3.0", V::Firebird30},   {"4.0", V::Firebird40}, {"5.0", V::Firebird50},
    }};
    for (const auto& [text, value] : kNames)
        if (name == text) {
            version = value;
            return true;
        }
    return false;
}
