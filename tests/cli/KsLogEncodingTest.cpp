// kslog reads logs in the encoding their server wrote them in: chosen by itself from the bytes
// and the user's language, or named with --encoding.

#include "KsLogProcess.h"

#include "../log/TempFolder.h"
#include "FBLogSampleGenerator.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// The user's language as kslog sees it, for the test's length.
class TUserLanguage {
public:
    explicit TUserLanguage(const char* locale)
    {
        for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
            if (const char* value = std::getenv(variable))
                FSaved.emplace_back(variable, value);
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        setenv("LANG", locale, 1);
    }
    ~TUserLanguage()
    {
        unsetenv("LANG");
        for (const auto& [variable, value] : FSaved)
            setenv(variable.c_str(), value.c_str(), 1);
    }

private:
    std::vector<std::pair<std::string, std::string>> FSaved;
};

std::string ReadFileBytes(const std::string& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

std::string LocalizedLog(FBServerPlatform platform, FBServerLanguage language)
{
    SampleLogOptions options;
    options.Platform = platform;
    options.Language = language;
    options.Entries = 400;
    options.UnreadablePieces = false;
    return GenerateSampleLog(options).Bytes;
}

// A log written in the folder as a server of the platform and language writes it.
std::string WriteLocalizedLog(const TempFolder& folder, FBServerPlatform platform, FBServerLanguage language)
{
    return folder.Write("firebird.log", LocalizedLog(platform, language));
}

std::string TextOf(const QJsonObject& record)
{
    return record["text"].toString().toStdString();
}

// The entries a term finds, by their numbers, read from JSON lines.
std::vector<int> Numbers(const std::string& jsonLines)
{
    std::vector<int> numbers;
    for (const QJsonObject& record : JsonLines(jsonLines))
        numbers.push_back(record["no"].toInt());
    return numbers;
}

}  // namespace

TEST(KsLogEncoding, ARussianWindowsLogIsReadInWindows1251ForARussianUser)
{
    TempFolder folder;
    const TUserLanguage russian("ru_RU.UTF-8");
    const std::string log = WriteLocalizedLog(folder, FBServerPlatform::Windows, FBServerLanguage::Russian);
    const std::string words = "занят другим процессом";

    const TKsLogResult json = RunKsLog({"list", log, "--format", "jsonl", "--grep", words});
    ASSERT_EQ(json.Status, 0) << json.Err;
    const std::vector<QJsonObject> records = JsonLines(json.Out);
    ASSERT_FALSE(records.empty());
    for (const QJsonObject& record : records) {
        EXPECT_NE(TextOf(record).find(words), std::string::npos) << TextOf(record);
        EXPECT_NE(record["message"].toString().toStdString().find(words), std::string::npos);
        EXPECT_EQ(TextOf(record).find("\uFFFD"), std::string::npos);
    }
    // The text format keeps the log's own bytes.
    const TKsLogResult text = RunKsLog({"list", log, "--grep", words});
    EXPECT_NE(text.Out.find("\xe7\xe0\xed\xff\xf2 \xe4\xf0\xf3\xe3\xe8\xec"), std::string::npos) << "windows-1251 bytes";
    EXPECT_EQ(text.Out.find(words), std::string::npos);
    const TKsLogResult csv = RunKsLog({"list", log, "--format", "csv", "--grep", words});
    EXPECT_NE(csv.Out.find(words), std::string::npos);
    EXPECT_EQ(csv.Out.find("\uFFFD"), std::string::npos);
    EXPECT_EQ(Numbers(RunKsLog({"list", "-", "--format", "jsonl", "--grep", words}, ReadFileBytes(log)).Out),
              Numbers(json.Out))
        << "a pipe is read as the file is";
}

TEST(KsLogEncoding, AWrongChoiceFindsNothingAndTheRightOneFindsTheEntries)
{
    TempFolder folder;
    const TUserLanguage english("en_US.UTF-8");
    const std::string log = WriteLocalizedLog(folder, FBServerPlatform::Windows, FBServerLanguage::Czech);
    const std::string words = "Systém nemůže nalézt";

    // An English user's choice is windows-1252: the Czech letters read as others.
    const TKsLogResult western = RunKsLog({"list", log, "--format", "jsonl", "--grep", words});
    EXPECT_EQ(western.Status, 1) << western.Out << western.Err;
    const TKsLogResult wrong = RunKsLog({"list", log, "--format", "jsonl", "--grep", words, "--encoding", "windows-1251"});
    EXPECT_EQ(wrong.Status, 1) << wrong.Out;
    const TKsLogResult right = RunKsLog({"list", log, "--format", "jsonl", "--grep", words, "--encoding", "cp1250"});
    ASSERT_EQ(right.Status, 0) << right.Err;
    for (const QJsonObject& record : JsonLines(right.Out))
        EXPECT_NE(TextOf(record).find(words), std::string::npos);
    // The letter case of Czech letters does not count either, unless asked to.
    EXPECT_EQ(RunKsLog({"list", log, "--grep", "SYSTÉM NEMŮŽE", "--encoding", "windows-1250"}).Status, 0);
    EXPECT_EQ(RunKsLog({"list", log, "--grep", "SYSTÉM NEMŮŽE", "--encoding", "windows-1250", "--match-case"}).Status, 1);
    EXPECT_EQ(RunKsLog({"list", log, "--regex", "^\\tsystém\\s\\S+ nalézt", "--encoding", "windows-1250"}).Status, 0);
}

TEST(KsLogEncoding, UnicodeLogsAreReadAsUtf8WhateverTheUsersLanguage)
{
    TempFolder folder;
    const std::string czech = folder.Write("czech.log", LocalizedLog(FBServerPlatform::Linux, FBServerLanguage::Czech));
    // A UTF-8 log with a stray byte or two, as a path written in a legacy encoding leaves.
    const std::string mixed = folder.Write(
        "mixed.log", LocalizedLog(FBServerPlatform::Linux, FBServerLanguage::Russian) +
                         "\ndbserver\tTue Nov 10 08:00:00 2026\n\tDatabase: /data/\xd1\xca\xcb\xc0\xc4.fdb\n\tshutdown\n\n");
    const TUserLanguage russian("ru_RU.UTF-8");
    const TKsLogResult found = RunKsLog({"list", czech, "--format", "jsonl", "--grep", "neznámé jméno"});
    ASSERT_EQ(found.Status, 0) << found.Err;
    EXPECT_NE(TextOf(JsonLines(found.Out).front()).find("Neznámé jméno nebo služba"), std::string::npos);

    const TKsLogResult strays = RunKsLog({"list", mixed, "--format", "jsonl", "--grep", "shutdown", "--grep", "/data/"});
    ASSERT_EQ(strays.Status, 0) << strays.Err;
    EXPECT_NE(TextOf(JsonLines(strays.Out).back()).find("/data/\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD.fdb"), std::string::npos)
        << strays.Out;
    EXPECT_EQ(RunKsLog({"list", mixed, "--grep", "Нет такого файла"}).Status, 0);
    // Named, the legacy encoding reads the stray bytes as the letters they were.
    const TKsLogResult named = RunKsLog({"list", mixed, "--format", "jsonl", "--grep", "/data/СКЛАД", "--encoding", "windows-1251"});
    EXPECT_EQ(named.Status, 0) << named.Err;
}

TEST(KsLogEncoding, AnEncodingNotOfferedIsAMistakeThatNamesTheOffered)
{
    TempFolder folder;
    const std::string log = WriteLocalizedLog(folder, FBServerPlatform::Linux, FBServerLanguage::English);
    const TKsLogResult result = RunKsLog({"list", log, "--encoding", "ebcdic"});
    EXPECT_EQ(result.Status, 2);
    EXPECT_NE(result.Err.find("\"ebcdic\""), std::string::npos) << result.Err;
    EXPECT_NE(result.Err.find("windows-1251"), std::string::npos) << result.Err;
    EXPECT_TRUE(result.Out.empty());
}
