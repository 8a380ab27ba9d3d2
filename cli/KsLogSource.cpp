#include "KsLogSource.h"

#include "KsLogCommands.h"

#include "FBLogStream.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#elif defined(__APPLE__)
#include <mach-o/dyld.h>

#include <cstdint>
#include <cstring>
#endif

namespace {

std::filesystem::path ProgramFolder()
{
#ifdef _WIN32
    wchar_t name[32768];
    const DWORD size = GetModuleFileNameW(nullptr, name, static_cast<DWORD>(std::size(name)));
    return std::filesystem::path(std::wstring(name, size)).parent_path();
#elif defined(__APPLE__)
    // macOS has no /proc; the loader knows the path the program was started by.
    std::uint32_t size = 0;
    _NSGetExecutablePath(nullptr, &size);
    std::string name(size, '\0');
    if (_NSGetExecutablePath(name.data(), &size) != 0)
        return {};
    name.resize(std::strlen(name.c_str()));
    std::error_code error;
    return std::filesystem::weakly_canonical(name, error).parent_path();
#else
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
#endif
}

std::string InstalledCatalogue()
{
    const std::filesystem::path folder = ProgramFolder();
    for (const std::filesystem::path& candidate :
         {folder / "fblvlog.descr", folder / ".." / "share" / "kslogviewer" / "fblvlog.descr"}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) {
            const std::u8string name = candidate.lexically_normal().u8string();
            return std::string(name.begin(), name.end());
        }
    }
    return {};
}

}  // namespace

TFBLogEncoding UsersLegacyEncoding()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* locale = std::getenv(variable); locale != nullptr && *locale != '\0')
            return SystemLegacyEncoding(locale);
    return SystemLegacyEncoding("");
}

std::optional<TFBLogEncoding> GuessEncodingOfFile(TFBLogFileReader& file, TFBLogEncoding legacy)
{
    if (!file.Size())
        return std::nullopt;
    TFBLogEncodingGuess guess;
    std::vector<char> block(kStreamBlockSize);
    for (std::int64_t pos = 0;;) {
        const std::size_t got = file.ReadAt(pos, block.data(), block.size());
        if (got == 0)
            break;
        guess.Take(std::string_view(block.data(), got));
        pos += static_cast<std::int64_t>(got);
    }
    return guess.SawNonAscii() ? std::optional(guess.Choice(legacy)) : std::nullopt;
}

void Complain(const std::string& message)
{
    std::fprintf(stderr, "kslog: %s\n", message.c_str());
}

std::unique_ptr<TFBLogDescriptor> LoadCatalogue(const std::string& named)
{
    std::string file = named;
    if (!named.empty() && !FileExists(named))
        throw EKsLogUsageError{"The description catalogue \"" + named + "\" is not a file that can be read."};
    if (named.empty()) {
        file = InstalledCatalogue();
        if (file.empty())
            Complain("No description catalogue (fblvlog.descr) was found beside the program; every entry is of "
                     "unknown kind.");
    }
    auto catalogue = std::make_unique<TFBLogDescriptor>(file);
    for (const std::string& warning : catalogue->Warnings())
        Complain(warning);
    return catalogue;
}

std::unique_ptr<TFBLogFileReader> OpenLog(const std::string& file)
{
    if (file == "-")
        return TFBLogFileReader::StandardInput();
    std::error_code error;
    const std::filesystem::path path = FileSystemPath(file);
    // Pipes are fine (a shell's process substitution gives one); folders are not logs.
    if (std::filesystem::is_directory(path, error))
        throw EKsLogUsageError{"Cannot open file \"" + file + "\". It is a folder."};
    return std::make_unique<TFBLogFileReader>(file);
}
