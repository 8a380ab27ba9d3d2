// Measures fetching a large server log through the Services API from a private Firebird server
// on this machine, for several read buffer sizes, against reading the same file from disk in
// the same run. The server is started by the tests' script in a folder of its own; its log is
// grown with generated entries first (the benchmark's own server, nobody else's log).
//
//   fetch_bench [MiB, default 64]

#include "FBLogSampleGenerator.h"
#include "FBServiceClient.h"
#include "Stopwatch.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

std::map<std::string, std::string> ServerEnvironment(const std::string& folder)
{
    std::map<std::string, std::string> values;
    std::ifstream env(folder + "/server.env");
    for (std::string line; std::getline(env, line);)
        if (const auto equals = line.find('='); equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    return values;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void Measure(const std::map<std::string, std::string>& server, std::size_t size)
{
    const TFBCredentials sysdba{"SYSDBA", server.at("KSLOG_FB_PASSWORD"), ""};
    const std::string host = "127.0.0.1/" + server.at("KSLOG_FB_PORT");
    const auto library = TFBClientLibrary::Load();
    const double mib = static_cast<double>(size) / (1 << 20);
    std::string file;
    const double disk = Seconds([&] { file = ReadFile(server.at("KSLOG_FB_LOG")); });
    std::printf("%-34s %8.3f s %9.1f MiB/s\n", "read from disk (baseline)", disk, mib / disk);
    for (const unsigned buffer : {4096U, 16384U, 32768U, 65535U}) {
        TFBFetchOptions options;
        options.ReadBufferBytes = buffer;
        std::string log;
        const double seconds = Seconds([&] { log = FetchServerLog(library, host, sysdba, nullptr, {}, options); });
        std::printf("fetch, %5u-byte read buffer      %8.3f s %9.1f MiB/s%s\n", buffer, seconds, mib / seconds,
                    log == file ? "" : "  (DIFFERENT BYTES)");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const std::int64_t mib = argc > 1 ? std::atoll(argv[1]) : 64;
    const std::string folder = (std::filesystem::temp_directory_path() / "kslog-fetch-bench").string();
    const std::string script = std::string("bash ") + KESTRELON_SERVER_SCRIPT + " ";
    if (std::system((script + "start " + folder).c_str()) != 0)
        return 1;
    int status = 0;
    try {
        const auto server = ServerEnvironment(folder);
        SampleLogOptions options;
        options.TargetBytes = mib << 20;
        const SampleLog sample = GenerateSampleLog(options);
        std::ofstream(server.at("KSLOG_FB_LOG"), std::ios::binary | std::ios::app)
            .write(sample.Bytes.data(), static_cast<std::streamsize>(sample.Bytes.size()));
        const auto size = std::filesystem::file_size(server.at("KSLOG_FB_LOG"));
        std::printf("A log of %.1f MiB from a Firebird server on this machine (loopback):\n",
                    static_cast<double>(size) / (1 << 20));
        Measure(server, size);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "fetch_bench: %s\n", error.what());
        status = 1;
    }
    std::system((script + "stop " + folder).c_str());
    return status;
}
