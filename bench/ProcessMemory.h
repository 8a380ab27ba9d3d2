#pragma once
// The memory figures the benchmarks print, read from Linux's account of the process.

#include <cstdlib>
#include <fstream>
#include <string>

// A field of /proc/self/status in KiB ("VmRSS:" the resident size now, "VmHWM:" its peak).
inline long StatusKiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::char_traits<char>::length(field));
    return -1;
}

// Starts a new peak: the kernel resets VmHWM to the current resident size.
inline void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}
