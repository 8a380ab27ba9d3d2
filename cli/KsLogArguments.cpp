#include "KsLogArguments.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>
#endif

namespace {

#ifdef _WIN32
std::string Utf8OfWide(const wchar_t* wide)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
    text.pop_back();   // the terminating zero
    return text;
}

bool WideArguments(std::vector<std::string>& arguments)
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return false;
    for (int i = 0; i < count; ++i)
        arguments.push_back(Utf8OfWide(wide[i]));
    LocalFree(wide);
    return true;
}
#endif

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv)
{
    std::vector<std::string> arguments;
#ifdef _WIN32
    if (WideArguments(arguments))
        return arguments;
#endif
    arguments.assign(argv, argv + argc);
    return arguments;
}
