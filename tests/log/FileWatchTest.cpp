#include "EntryIndex.h"
#include "FBLogFileWatch.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

const std::string kEntry = DatedEntry(37);
const auto kEntrySize = static_cast<std::int64_t>(kEntry.size());

void Append(const std::string& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}

// What an administrator or the server does to a log of two entries between two checks.
struct WatchCase {
    const char* Name;
    std::function<void(const TempFolder&, const std::string& path)> Act;
    TFBLogFileChange Expected;
    std::int64_t SizeAfter;
};

class FileWatchChangeTest : public ::testing::TestWithParam<WatchCase> {};

}  // namespace

TEST_P(FileWatchChangeTest, TellsWhatHappenedToTheLogOnce)
{
    TempFolder folder;
    const std::string path = folder.Write("firebird.log", kEntry + kEntry);
    TFBLogFileWatch watch(path);
    ASSERT_EQ(watch.Size(), 2 * kEntrySize);
    GetParam().Act(folder, path);
    EXPECT_EQ(watch.Check(), GetParam().Expected);
    EXPECT_EQ(watch.Size(), GetParam().SizeAfter);
    EXPECT_EQ(watch.Present(), GetParam().Expected != TFBLogFileChange::Deleted);
    EXPECT_EQ(watch.Check(), TFBLogFileChange::None);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, FileWatchChangeTest,
    ::testing::Values(
        WatchCase{"Untouched", [](auto&, auto&) {}, TFBLogFileChange::None, 2 * kEntrySize},
        WatchCase{"Appended", [](auto&, auto& path) { Append(path, kEntry); }, TFBLogFileChange::Grown, 3 * kEntrySize},
        WatchCase{"Truncated", [](auto&, auto& path) { fs::resize_file(path, 5); }, TFBLogFileChange::Shrunk, 5},
        WatchCase{"Emptied", [](auto&, auto& path) { std::ofstream(path, std::ios::trunc); }, TFBLogFileChange::Shrunk, 0},
        // The server writes on into the renamed file while a new, larger one takes the name.
        WatchCase{"Rotated",
                  [](auto& folder, auto& path) {
                      fs::rename(path, folder.PathOf("firebird.log.1"));
                      folder.Write("firebird.log", kEntry + kEntry + kEntry);
                      Append(folder.PathOf("firebird.log.1"), kEntry);
                  },
                  TFBLogFileChange::Replaced, 3 * kEntrySize},
        // A replacement of the very same size is told by its identity alone.
        WatchCase{"RenamedOver",
                  [](auto& folder, auto& path) { fs::rename(folder.Write("firebird.new", kEntry + kEntry), path); },
                  TFBLogFileChange::Replaced, 2 * kEntrySize},
        WatchCase{"Deleted", [](auto&, auto& path) { fs::remove(path); }, TFBLogFileChange::Deleted, 0}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(FileWatchTest, ALogGoneOrNotYetThereIsReturnedWhenItAppears)
{
    TempFolder folder;
    const std::string path = folder.PathOf("firebird.log");
    TFBLogFileWatch watch(path);
    EXPECT_FALSE(watch.Present());
    EXPECT_EQ(watch.Check(), TFBLogFileChange::None);
    // A folder at the path is no log.
    fs::create_directory(path);
    EXPECT_EQ(watch.Check(), TFBLogFileChange::None);
    fs::remove(path);
    folder.Write("firebird.log", kEntry.substr(0, 10));
    EXPECT_EQ(watch.Check(), TFBLogFileChange::Returned);
    EXPECT_EQ(watch.Size(), 10);
    Append(path, kEntry);
    EXPECT_EQ(watch.Check(), TFBLogFileChange::Grown);
    fs::remove(path);
    EXPECT_EQ(watch.Check(), TFBLogFileChange::Deleted);
    EXPECT_EQ(watch.Check(), TFBLogFileChange::None);
    folder.Write("firebird.log", "");
    EXPECT_EQ(watch.Check(), TFBLogFileChange::Returned);
    EXPECT_TRUE(watch.Present());
}
