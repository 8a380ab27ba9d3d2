#include "FBLogFileMap.h"

#include "FBLogFile.h"

#ifndef _WIN32

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The maps the fault handler knows of. A handler may only touch lock-free atomics, so the maps
// live in a fixed table of them; a map that finds no free slot is not made (the caller reads the
// file into memory instead).
struct TMapSlot {
    std::atomic<std::uintptr_t> Begin{0};
    std::atomic<std::uintptr_t> End{0};
    std::atomic<bool> Truncated{false};
};
constexpr int kSlots = 64;
std::array<TMapSlot, kSlots> gSlots;
std::mutex gSlotsTaken;
struct sigaction gPreviousBusHandler {};

// Answers a read past the end of a truncated map with a page of zeros; any other SIGBUS goes on
// to whoever handled it before.
void OnBusError(int signal, siginfo_t* info, void* context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (TMapSlot& slot : gSlots) {
        if (address < slot.Begin.load(std::memory_order_acquire) || address >= slot.End.load(std::memory_order_acquire))
            continue;
        const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
        void* start = reinterpret_cast<void*>(address & ~(page - 1));
        const int saved = errno;
        const bool replaced =
            mmap(start, page, PROT_READ, MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) != MAP_FAILED;
        errno = saved;
        slot.Truncated.store(true, std::memory_order_release);
        if (replaced)
            return;
    }
    if (gPreviousBusHandler.sa_flags & SA_SIGINFO) {
        if (gPreviousBusHandler.sa_sigaction != nullptr) {
            gPreviousBusHandler.sa_sigaction(signal, info, context);
            return;
        }
    } else if (gPreviousBusHandler.sa_handler != SIG_DFL && gPreviousBusHandler.sa_handler != SIG_IGN &&
               gPreviousBusHandler.sa_handler != nullptr) {
        gPreviousBusHandler.sa_handler(signal);
        return;
    }
    // The default: the read is tried again and ends the process, as it would have without us.
    std::signal(SIGBUS, SIG_DFL);
}

void InstallBusHandlerOnce()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &gPreviousBusHandler);
    });
}

int TakeSlot(const char* data, std::size_t size)
{
    const std::lock_guard lock(gSlotsTaken);
    for (int i = 0; i < kSlots; ++i) {
        TMapSlot& slot = gSlots[static_cast<std::size_t>(i)];
        if (slot.End.load() != 0)
            continue;
        slot.Truncated.store(false);
        slot.Begin.store(reinterpret_cast<std::uintptr_t>(data));
        slot.End.store(reinterpret_cast<std::uintptr_t>(data) + size);
        return i;
    }
    return -1;
}

void FreeSlot(int i)
{
    const std::lock_guard lock(gSlotsTaken);
    TMapSlot& slot = gSlots[static_cast<std::size_t>(i)];
    slot.End.store(0);
    slot.Begin.store(0);
}

}  // namespace

std::unique_ptr<TFBLogFileMap> TFBLogFileMap::MapWholeFile(const std::string& fileName)
{
    const int descriptor = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        throw EFBLogFileError(fileName, std::strerror(errno));
    struct stat status {};
    const bool mappable = ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0;
    const auto size = static_cast<std::size_t>(mappable ? status.st_size : 0);
    void* data = mappable ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, descriptor, 0) : MAP_FAILED;
    if (data == MAP_FAILED) {
        ::close(descriptor);
        return nullptr;
    }
    // Passes read the log from its start to its end: the system may read ahead generously.
    ::madvise(data, size, MADV_SEQUENTIAL);
    InstallBusHandlerOnce();
    const int slot = TakeSlot(static_cast<const char*>(data), size);
    if (slot < 0) {
        ::munmap(data, size);
        ::close(descriptor);
        return nullptr;
    }
    return std::unique_ptr<TFBLogFileMap>(new TFBLogFileMap(static_cast<const char*>(data), size, slot, descriptor));
}

TFBLogFileMap::~TFBLogFileMap()
{
    FreeSlot(FSlot);
    ::munmap(const_cast<char*>(FData), FSize);
    ::close(FDescriptor);
}

std::string_view TFBLogFileMap::ReadAt(std::size_t offset, std::size_t size, std::vector<char>& buffer) const
{
    offset = std::min(offset, FSize);
    size = std::min(size, FSize - offset);
    buffer.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(FDescriptor, buffer.data() + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    if (done < size) {
        std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(done), buffer.end(), '\0');
        MarkTruncated();
    }
    return {buffer.data(), size};
}

void TFBLogFileMap::MarkTruncated() const noexcept
{
    gSlots[static_cast<std::size_t>(FSlot)].Truncated.store(true, std::memory_order_release);
}

bool TFBLogFileMap::Truncated() const noexcept
{
    return gSlots[static_cast<std::size_t>(FSlot)].Truncated.load(std::memory_order_acquire);
}

#else

std::unique_ptr<TFBLogFileMap> TFBLogFileMap::MapWholeFile(const std::string&)
{
    return nullptr;
}

TFBLogFileMap::~TFBLogFileMap() = default;

std::string_view TFBLogFileMap::ReadAt(std::size_t, std::size_t, std::vector<char>&) const
{
    return {};
}

bool TFBLogFileMap::Truncated() const noexcept
{
    return false;
}

#endif
