#pragma once
// What the benchmarks share: realistic logs of a given size written to a file, and the floor a
// scanner of a log is measured against.

#include "FBLogSampleGenerator.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

// A generated log of about `bytes` bytes, of the server version and platform given (Windows
// servers write CR LF), written to folder/name; returns its path.
inline std::string WriteBenchLog(const std::filesystem::path& folder, const std::string& name,
                                 FBServerVersion version, FBServerPlatform platform, std::int64_t bytes,
                                 FBServerLanguage language = FBServerLanguage::English)
{
    SampleLogOptions options;
    options.Version = version;
    options.Platform = platform;
    options.Language = language;
    options.Host = platform == FBServerPlatform::Windows ? "SRV-DB01" : "dbserver";
    options.TargetBytes = bytes;
    options.MeanSecondsBetween = 5;
    const std::string path = (folder / name).string();
    const SampleLog log = GenerateSampleLog(options);
    std::ofstream(path, std::ios::binary).write(log.Bytes.data(), static_cast<std::streamsize>(log.Bytes.size()));
    return path;
}

// The floor: the file read in 1 MiB blocks into one buffer, and one memchr pass over each block
// counting line feeds.
inline std::size_t ReadAndCountLines(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    constexpr std::size_t kBlock = 1 << 20;
    std::unique_ptr<char[]> block(new char[kBlock]);
    std::size_t lines = 0;
    for (std::size_t got; (got = std::fread(block.get(), 1, kBlock, file)) > 0;) {
        const char* end = block.get() + got;
        for (const char* p = block.get(); (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))); ++p)
            ++lines;
    }
    std::fclose(file);
    return lines;
}
