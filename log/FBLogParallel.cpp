#include "FBLogParallel.h"

#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

void ForEachPartInParallel(std::size_t count, std::size_t grain,
                           const std::function<void(std::size_t first, std::size_t last)>& work)
{
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    grain = std::max<std::size_t>(grain, 1);
    std::size_t part = (count + cores - 1) / cores;
    part = (part + grain - 1) / grain * grain;
    if (count == 0 || part >= count) {
        work(0, count);
        return;
    }
    // An error in any part (running out of memory, a cancelled pass) reaches the caller once
    // every part has stopped.
    std::vector<std::exception_ptr> failures((count + part - 1) / part);
    const auto runPart = [&](std::size_t first) {
        try {
            work(first, std::min(count, first + part));
        } catch (...) {
            failures[first / part] = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> workers;
        for (std::size_t first = part; first < count; first += part)
            workers.emplace_back(runPart, first);
        runPart(0);
    }
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
}

void LowerPriorityOfThisThread() noexcept
{
#ifdef _WIN32
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
#else
    // On Linux the nice value belongs to each thread; 10 leaves it about a tenth of a core that
    // a thread of normal priority wants.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
#endif
}
