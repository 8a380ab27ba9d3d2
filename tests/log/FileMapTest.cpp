// The log held as a map of its file: the same entries as ever, and a file truncated under the
// map (by the server, a rotation or the administrator) costs no crash at any moment of reading.

#include "EntryIndex.h"
#include "FBLogEncoding.h"
#include "FBLogFileMap.h"
#include "FBLogSampleGenerator.h"
#include "TempFolder.h"
#include "uFBLogParser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>
#include <thread>

namespace {

std::string SampleBytes(std::int64_t entries, FBServerPlatform platform = FBServerPlatform::Linux)
{
    SampleLogOptions options;
    options.Entries = entries;
    options.Platform = platform;
    return GenerateSampleLog(options).Bytes;
}

// Reads every byte, as a search or a sort does, and sums them so that no read is left out.
std::uint64_t ReadEveryByte(std::string_view bytes)
{
    return std::accumulate(bytes.begin(), bytes.end(), std::uint64_t{0},
                           [](std::uint64_t sum, char c) { return sum + static_cast<unsigned char>(c); });
}

}  // namespace

TEST(FileMapTest, AMapHoldsTheFileAndReadsAsZerosPastATruncation)
{
    TempFolder folder;
    const std::string bytes = SampleBytes(2000);
    const std::string path = folder.Write("firebird.log", bytes);
    std::unique_ptr<TFBLogFileMap> map = TFBLogFileMap::MapWholeFile(path);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->View(), bytes);
    EXPECT_FALSE(map->Truncated());

    std::filesystem::resize_file(path, 100);
    EXPECT_EQ(map->View().substr(0, 100), bytes.substr(0, 100)) << "what is left reads as before";
    EXPECT_EQ(ReadEveryByte(map->View().substr(8192)), 0u) << "pages past the new end read as zeros";
    EXPECT_TRUE(map->Truncated());

    EXPECT_EQ(TFBLogFileMap::MapWholeFile(folder.Write("empty.log", "")), nullptr) << "an empty file has nothing to map";
    EXPECT_THROW(TFBLogFileMap::MapWholeFile(folder.PathOf("missing.log")), EFBLogFileError);
}

TEST(FileMapTest, ManyMapsAtOnceEachKnowTheirOwnTruncation)
{
    TempFolder folder;
    const std::string bytes = SampleBytes(300);
    std::vector<std::unique_ptr<TFBLogFileMap>> maps;
    for (int i = 0; i < 100; ++i) {
        auto map = TFBLogFileMap::MapWholeFile(folder.Write("log" + std::to_string(i), bytes));
        if (map)
            maps.push_back(std::move(map));
    }
    ASSERT_GE(maps.size(), 32u);
    std::filesystem::resize_file(folder.PathOf("log1"), 0);
    EXPECT_EQ(ReadEveryByte(maps[1]->View().substr(4096)), 0u);
    EXPECT_TRUE(maps[1]->Truncated());
    EXPECT_FALSE(maps[0]->Truncated());
    EXPECT_EQ(maps[2]->View(), bytes);
}

TEST(FileMapTest, AScanOfAMappedLogFindsWhatAScanOfItsBytesFinds)
{
    TempFolder folder;
    for (const FBServerPlatform platform : {FBServerPlatform::Linux, FBServerPlatform::Windows}) {
        const std::string bytes = SampleBytes(3000, platform);
        TFBLogParser mapped(folder.Write("firebird.log", bytes));
        TFBLogParser inMemory("");
        inMemory.LoadBytes(bytes);
        FBLogsMsgs fromFile;
        FBLogsMsgs fromBytes;
        mapped.ScanEntries(fromFile);
        inMemory.ScanEntries(fromBytes);
        ASSERT_EQ(EntriesOf(fromFile), EntriesOf(fromBytes));
        EXPECT_EQ(mapped.ViewRange(0, mapped.FileSize()), bytes);
        EXPECT_FALSE(mapped.LostHeldBytes());
    }
}

TEST(FileMapTest, AMappedLogReadInBlocksOfAnySizeGivesTheIndexAndEncodingOfItsBytes)
{
    // Russian messages: UTF-8 from a Linux server, windows-1251 from a Windows one.
    TempFolder folder;
    for (const FBServerPlatform platform : {FBServerPlatform::Linux, FBServerPlatform::Windows}) {
        SampleLogOptions options;
        options.Entries = 600;
        options.Platform = platform;
        options.Language = FBServerLanguage::Russian;
        const std::string bytes = GenerateSampleLog(options).Bytes;
        const std::string path = folder.Write("firebird.log", bytes);
        TFBLogParser inMemory("");
        inMemory.LoadBytes(bytes);
        FBLogsMsgs expected;
        inMemory.ScanEntries(expected);
        for (const std::int64_t block : {1, 97, 4096, 1 << 16})
            for (const unsigned threads : {1u, 3u}) {
                TFBLogParser mapped(path);
                mapped.SetScanThreads(threads, 0, block);
                FBLogsMsgs index;
                mapped.ScanEntries(index);
                ASSERT_EQ(EntriesOf(index), EntriesOf(expected)) << block << "-byte blocks, " << threads << " threads";
                for (const TFBLogEncoding legacy : {TFBLogEncoding::Windows1251, TFBLogEncoding::Koi8R})
                    EXPECT_EQ(mapped.GuessedEncoding(legacy), GuessEncoding(bytes, legacy));
            }
    }
}

TEST(FileMapTest, ACRLFPairPastTheFirstMegabyteOfALogReadInBlocksSetsTheCRLFRules)
{
    // A Linux server's log that holds one CR LF pair deep inside: the whole log follows the CR LF
    // rules, as it would had it been searched before the scan.
    TempFolder folder;
    SampleLogOptions options;
    options.TargetBytes = 3 << 19;
    std::string bytes = GenerateSampleLog(options).Bytes;
    const std::size_t lineEnd = bytes.find('\n', std::size_t{5} << 18);
    ASSERT_NE(lineEnd, std::string::npos);
    bytes.insert(lineEnd, "\r");
    TFBLogParser inMemory("");
    inMemory.LoadBytes(bytes);
    ASSERT_FALSE(inMemory.LineFeedOnly());
    FBLogsMsgs expected;
    inMemory.ScanEntries(expected);
    TFBLogParser mapped(folder.Write("firebird.log", bytes));
    mapped.SetScanThreads(2, 0, 1 << 16);
    FBLogsMsgs index;
    mapped.ScanEntries(index);
    EXPECT_FALSE(mapped.LineFeedOnly());
    EXPECT_EQ(EntriesOf(index), EntriesOf(expected));
}

TEST(FileMapTest, ALogTruncatedInTheMiddleOfAScanIsScannedToTheEndWithoutACrash)
{
    TempFolder folder;
    const std::string bytes = SampleBytes(20000);
    const std::string path = folder.Write("firebird.log", bytes);
    TFBLogParser parser(path);
    std::int64_t now = 0;
    bool truncated = false;
    // Every entry reports progress; the first report truncates the file under the scan.
    parser.SetProgressSink(
        [&](const std::string&) {
            if (!truncated)
                std::filesystem::resize_file(path, 5000);
            truncated = true;
        },
        [&] { return now += 1000; });
    FBLogsMsgs index;
    parser.ScanEntries(index);
    ASSERT_TRUE(truncated);
    EXPECT_TRUE(parser.LostHeldBytes());
    EXPECT_LT(index.size(), 20000u) << "entries past the new end are not made up";

    // The next look at the file sees it changed, and a fresh load reads what it holds now.
    std::int64_t pos = index.empty() ? 0 : index.back().Offset + index.back().Length;
    FBLogsMsgs appended;
    EXPECT_FALSE(parser.ScanAppendedEntries(pos, appended));
    TFBLogParser again(path);
    again.ScanEntries(index);
    EXPECT_EQ(again.ViewRange(0, again.FileSize()), bytes.substr(0, 5000));
    EXPECT_FALSE(again.LostHeldBytes());
}

TEST(FileMapTest, ReadsPastATruncationOnOtherThreadsAsZerosToo)
{
    TempFolder folder;
    const std::string bytes = SampleBytes(4000);
    const std::string path = folder.Write("firebird.log", bytes);
    std::unique_ptr<TFBLogFileMap> map = TFBLogFileMap::MapWholeFile(path);
    ASSERT_NE(map, nullptr);
    std::filesystem::resize_file(path, 100);
    // Two threads fault on pages of their own at once.
    const std::string_view past = map->View().substr(8192);
    std::uint64_t sums[2] = {1, 1};
    std::thread first([&] { sums[0] = ReadEveryByte(past.substr(0, past.size() / 2)); });
    std::thread second([&] { sums[1] = ReadEveryByte(past.substr(past.size() / 2)); });
    first.join();
    second.join();
    EXPECT_EQ(sums[0] + sums[1], 0u);
    EXPECT_TRUE(map->Truncated());
}

TEST(FileMapTest, AScanSharedBetweenThreadsFindsWhatTheTruncatedLogHoldsWhenAWorkerFaults)
{
    // Over 4 MiB, so that the estimate of the entries (read from the first 4 MiB) stays before the
    // new end; truncated at three quarters after the load, so that the second of two runs, cut on
    // a worker thread, is the one that reads past the new end.
    TempFolder folder;
    const std::string bytes = SampleBytes(60000);
    ASSERT_GT(bytes.size(), std::size_t{6} << 20);
    const std::string path = folder.Write("firebird.log", bytes);
    TFBLogParser parser(path);
    parser.SetScanThreads(2, 0);
    ASSERT_EQ(parser.LoadFile(), static_cast<std::int64_t>(bytes.size()));
    const std::size_t newSize = bytes.size() / 4 * 3;
    std::filesystem::resize_file(path, newSize);
    FBLogsMsgs index;
    parser.ScanEntries(index);
    EXPECT_TRUE(parser.LostHeldBytes());

    // What is left reads as before, the rest as zeros, which close no entry.
    TFBLogParser left("");
    left.LoadBytes(bytes.substr(0, newSize) + std::string(bytes.size() - newSize, '\0'));
    left.SetScanThreads(1);
    FBLogsMsgs expected;
    left.ScanEntries(expected);
    EXPECT_EQ(EntriesOf(index), EntriesOf(expected));
    EXPECT_GT(index.size(), 30000u);
}

TEST(FileMapTest, AFileRewrittenLongerUnderTheMapIsNotTakenForAnAppend)
{
    TempFolder folder;
    const std::string first = SampleBytes(50);
    const std::string path = folder.Write("firebird.log", first);
    TFBLogParser parser(path);
    std::int64_t pos = 0;
    FBLogsMsgs index;
    parser.ScanEntriesFrom(pos, index);

    // Rewritten in place: same file, new bytes, longer than before. The map shows the new bytes,
    // but what was read is remembered apart from it.
    std::string rewritten = SampleBytes(80);
    rewritten[static_cast<std::size_t>(pos) - 3] ^= 0x20;
    { std::ofstream(path, std::ios::binary | std::ios::in | std::ios::out) << rewritten; }
    FBLogsMsgs appended;
    EXPECT_FALSE(parser.ScanAppendedEntries(pos, appended));
}
