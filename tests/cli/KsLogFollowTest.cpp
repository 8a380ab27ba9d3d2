// kslog follow on a real file appended to in pieces, truncated, rotated and deleted while it
// runs, as servers and administrators do.

#include "KsLogProcess.h"

#include "../log/TempFolder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

std::string Entry(int minute, std::string_view message)
{
    return "SRV-DB01 (Server)\tTue Nov 10 05:" + std::to_string(10 + minute) + ":00 2026\r\n\t" + std::string(message) + "\r\n\r\n";
}

class KsLogFollow : public ::testing::Test {
protected:
    void Write(std::string_view bytes, bool fresh = false) const
    {
        std::ofstream(Log, std::ios::binary | (fresh ? std::ios::trunc : std::ios::app))
            .write(bytes.data(), std::streamsize(bytes.size()));
    }

    // Waits until kslog holds the log open, and a little more for it to read what is there.
    void AwaitOpen(const TKsLogProcess& kslog) const
    {
        const std::filesystem::path log = std::filesystem::canonical(Log);
        for (int tries = 0; tries < 750; ++tries, std::this_thread::sleep_for(20ms)) {
            std::error_code error;
            for (const auto& fd : std::filesystem::directory_iterator("/proc/" + std::to_string(kslog.Pid()) + "/fd", error))
                if (std::filesystem::read_symlink(fd.path(), error) == log)
                    return std::this_thread::sleep_for(300ms);
        }
        FAIL() << "kslog never opened " << Log;
    }

    // One field of the records printed so far, once there are `count`.
    static std::vector<std::string> Await(TKsLogProcess& kslog, std::size_t count, const char* name = "text")
    {
        const auto lines = [&] { return std::size_t(std::count(kslog.Out.begin(), kslog.Out.end(), '\n')); };
        EXPECT_TRUE(kslog.ReadUntil([&] { return lines() >= count; }, count ? 15s : 0s))
            << "waited for " << count << " records; printed:\n" << kslog.Out << "\nstandard error:\n" << kslog.Err;
        std::vector<std::string> values;
        for (const QJsonObject& record : JsonLines(kslog.Out))
            values.push_back(record[name].isString() ? record[name].toString().toStdString()
                                                     : std::to_string(record[name].toInteger()));
        return values;
    }

    // Gives kslog a few polls in which it must print nothing more.
    static void ExpectNoMore(TKsLogProcess& kslog, std::size_t count)
    {
        kslog.ReadUntil([] { return false; }, 800ms);
        EXPECT_EQ(Await(kslog, 0).size(), count);
        EXPECT_FALSE(kslog.Wait(0ms)) << "kslog ended: " << kslog.Err;
    }

    TempFolder Folder;
    const std::string Log = Folder.PathOf("firebird.log");
    const std::string A = Entry(1, "INET/inet_error: read errno = 10054"), B = Entry(2, "Sweep is started by SWEEPER"),
                      C = Entry(3, "INET/inet_error: select in packet_receive errno = 10060"),
                      D = Entry(4, "SERVER/process_packet: broken port, server exiting"),
                      E = Entry(5, "Database: D:\\DATA\\EMPLOYEE.FDB\r\n\tShutdown complete");
    using V = std::vector<std::string>;
};

}  // namespace

TEST_F(KsLogFollow, PrintsEachEntryCompletedAfterItStartedOnceAndWhole)
{
    Write(A + B + C.substr(0, 30), true);
    TKsLogProcess kslog({"follow", Log, "--format", "jsonl"});
    AwaitOpen(kslog);
    // C's last line end arrives split between its CR and its LF; D comes in three writes.
    for (const std::string& piece : {C.substr(30, C.size() - 33), C.substr(C.size() - 3), D.substr(0, 10),
                                     D.substr(10, 30), D.substr(40)})
        Write(piece), std::this_thread::sleep_for(300ms);
    EXPECT_EQ(Await(kslog, 2), (V{C, D}));
    Write(E + A);
    EXPECT_EQ(Await(kslog, 4), (V{C, D, E, A}));
    ExpectNoMore(kslog, 4);
    const std::size_t c = A.size() + B.size(), d = c + C.size(), e = d + D.size();
    EXPECT_EQ(Await(kslog, 0, "offset"), (V{std::to_string(c), std::to_string(d), std::to_string(e), std::to_string(e + E.size())}));
    EXPECT_EQ(Await(kslog, 0, "no"), (V{"3", "4", "5", "6"}));
    EXPECT_EQ(kslog.Err, "");
}

TEST_F(KsLogFollow, KeepsGoingAcrossTruncationRotationAndDeletion)
{
    Write(A + B, true);
    TKsLogProcess kslog({"follow", Log, "--format", "jsonl", "--from-start"});
    EXPECT_EQ(Await(kslog, 2), (V{A, B}));

    Write("", true);
    EXPECT_TRUE(kslog.ReadUntil([&] { return kslog.Err.find("truncated") != std::string::npos; })) << kslog.Err;
    Write(C);
    EXPECT_EQ(Await(kslog, 3).back(), C);

    std::filesystem::rename(Log, Log + ".1");
    Write(D, true);
    EXPECT_EQ(Await(kslog, 4).back(), D);
    std::ofstream(Log + ".1", std::ios::app) << A;  // the rotated file is no longer followed
    Write(E);
    EXPECT_EQ(Await(kslog, 5).back(), E);

    std::filesystem::remove(Log);
    EXPECT_TRUE(kslog.ReadUntil([&] { return kslog.Err.find("gone") != std::string::npos; })) << kslog.Err;
    Write(B, true);
    EXPECT_EQ(Await(kslog, 6).back(), B);

    ExpectNoMore(kslog, 6);
    EXPECT_EQ(Await(kslog, 0, "no"), (V{"1", "2", "1", "1", "2", "1"}));
    for (std::size_t at = 0; at < kslog.Err.size(); at = kslog.Err.find('\n', at) + 1)
        EXPECT_EQ(kslog.Err.substr(at, 7), "kslog: ") << kslog.Err;
}

// What `cp other.log firebird.log` does, and a truncation followed at once by a burst of entries:
// the same file, longer than before, with other bytes.
TEST_F(KsLogFollow, AFileOverwrittenByALongerOneIsReadFromItsStart)
{
    Write(A + B, true);
    TKsLogProcess kslog({"follow", Log, "--format", "jsonl", "--from-start"});
    EXPECT_EQ(Await(kslog, 2), (V{A, B}));
    Write(C + D + E, true);
    EXPECT_EQ(Await(kslog, 5), (V{A, B, C, D, E}));
    EXPECT_EQ(Await(kslog, 0, "no"), (V{"1", "2", "1", "2", "3"}));
}

TEST_F(KsLogFollow, EndsQuietlyWhenItsReaderGoesAway)
{
    Write(A, true);
    TKsLogProcess kslog({"follow", Log, "--format", "csv"});
    EXPECT_TRUE(kslog.ReadUntil([&] { return kslog.Out.ends_with("\r\n"); })) << "no CSV header";
    AwaitOpen(kslog);
    kslog.CloseOutput();
    Write(B);
    const std::optional<int> status = kslog.Wait(10s);
    ASSERT_TRUE(status) << "kslog still runs after its reader went away";
    EXPECT_EQ(*status, 0);
    EXPECT_EQ(kslog.Err, "");
}
