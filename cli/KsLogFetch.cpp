#include "KsLogFetch.h"

#include "KsLogCommands.h"
#include "KsLogOutput.h"

#include "FBLogFile.h"
#include "FBServiceClient.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <system_error>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

std::atomic<bool> gInterrupted{false};

extern "C" void StopFetching(int)
{
    gInterrupted = true;
}

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string FirstLine(std::istream& in)
{
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

TFBCredentials CredentialsOf(const TKsLogFetchSettings& settings)
{
    TFBCredentials credentials;
    credentials.User = !settings.User.empty() ? settings.User : Environment("ISC_USER");
    if (credentials.User.empty())
        credentials.User = "SYSDBA";
    credentials.Password =
        !settings.PasswordFile.empty() ? ReadPasswordFile(settings.PasswordFile) : Environment("ISC_PASSWORD");
    if (credentials.Password.empty())
        throw EKsLogUsageError{"No password: name a file that holds it with --password-file, or set ISC_PASSWORD."};
    return credentials;
}

// A name beside the target, so that the last step is a rename within one folder.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target)
{
    std::filesystem::path temporary = target;
    temporary += ".kslog-" + std::to_string(std::random_device{}()) + ".part";
    return temporary;
}

// Moves the finished file to its name unless that name exists by now.
bool MoveToNewName(const std::filesystem::path& from, const std::filesystem::path& to, std::string& why)
{
#ifdef _WIN32
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    why = GetLastError() == ERROR_ALREADY_EXISTS ? "It exists already." : "Error " + std::to_string(GetLastError());
    return false;
#else
    // link() never replaces: a file that appeared meanwhile wins.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    why = errno == EEXIST ? "It exists already." : std::strerror(errno);
    return false;
#endif
}

EKsLogUsageError ExistsAlready(const std::string& file)
{
    return EKsLogUsageError{"Cannot write \"" + file + "\". It exists already; kslog fetch writes only new files."};
}

void WriteStandardOutput(const std::string& bytes)
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    TKsLogOutput output(false);
    output.Buffer() = bytes;
    output.Flush();
}

}  // namespace

std::string ReadPasswordFile(const std::string& file)
{
    if (file == "-")
        return FirstLine(std::cin);
    std::ifstream in(FileSystemPath(file), std::ios::binary);
    if (!in)
        throw EKsLogUsageError{"Cannot read the password file \"" + file + "\"."};
    return FirstLine(in);
}

void WriteNewFile(const std::string& file, const std::string& bytes)
{
    const std::filesystem::path target = FileSystemPath(file);
    std::error_code error;
    if (std::filesystem::exists(target, error))
        throw ExistsAlready(file);
    const std::filesystem::path temporary = TemporaryBeside(target);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, error);
            throw EKsLogUsageError{"Cannot write \"" + file + "\". " + std::strerror(errno)};
        }
    }
    std::string why;
    if (!MoveToNewName(temporary, target, why)) {
        std::filesystem::remove(temporary, error);
        throw EKsLogUsageError{"Cannot write \"" + file + "\". " + why};
    }
}

int RunFetch(const TKsLogFetchSettings& settings)
{
    RequireServerAddress(settings.Host);
    const TFBCredentials credentials = CredentialsOf(settings);
    if (!settings.Output.empty() && FileExists(settings.Output))
        throw ExistsAlready(settings.Output);
    // Ctrl+C stops between reads, so that no half-written file is left behind.
    std::signal(SIGINT, StopFetching);
    std::signal(SIGTERM, StopFetching);
    const std::string log = FetchServerLog(TFBClientLibrary::Load(), settings.Host, credentials, &gInterrupted);
    if (settings.Output.empty())
        WriteStandardOutput(log);
    else
        WriteNewFile(settings.Output, log);
    return log.empty() ? 1 : 0;
}
