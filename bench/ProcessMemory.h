#pragma once
// The memory figures the benchmarks print, read from Linux's account of the process.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The share (0 to 1) of a file's pages that the system holds in its cache now. Where the cache
// gives pages back early (a virtual machine whose host reclaims its memory), a pass that reads
// the log again reads the evicted share from the disk: this figure says how much that was.
inline double CachedShareOf(const std::string& path)
{
    const int file = ::open(path.c_str(), O_RDONLY);
    if (file < 0)
        return -1;
    struct stat about {};
    double share = -1;
    if (::fstat(file, &about) == 0 && about.st_size > 0) {
        const auto size = static_cast<std::size_t>(about.st_size);
        void* map = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, file, 0);
        if (map != MAP_FAILED) {
            const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
            std::vector<unsigned char> resident((size + page - 1) / page);
            if (::mincore(map, size, resident.data()) == 0)
                share = static_cast<double>(std::count_if(resident.begin(), resident.end(),
                                                          [](unsigned char flags) { return (flags & 1) != 0; })) /
                        static_cast<double>(resident.size());
            ::munmap(map, size);
        }
    }
    ::close(file);
    return share;
}

// Microseconds per page to write one byte in each 4 KiB page of `bytes` of new memory: what one
// page fault costs. A pass that fills new arrays pays it for every page (once per 2 MiB where
// large pages are granted); on a virtual machine it is many times what it is on bare metal.
inline double PageFaultMicroseconds(std::size_t bytes)
{
    constexpr std::size_t kPage = 4096;
    void* memory = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return -1;
    ::madvise(memory, bytes, MADV_NOHUGEPAGE);
    const auto start = std::chrono::steady_clock::now();
    auto* bytesOf = static_cast<volatile char*>(memory);
    for (std::size_t at = 0; at < bytes; at += kPage)
        bytesOf[at] = 1;
    const double micro = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    ::munmap(memory, bytes);
    return micro / static_cast<double>(bytes / kPage);
}
