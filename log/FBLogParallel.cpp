#include "FBLogParallel.h"

#include <algorithm>
#include <thread>
#include <vector>

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
    std::vector<std::thread> workers;
    for (std::size_t first = part; first < count; first += part)
        workers.emplace_back(work, first, std::min(count, first + part));
    work(0, part);
    for (std::thread& worker : workers)
        worker.join();
}
