#pragma once
// Splitting a pass over the entries of a log between the machine's cores.

#include <cstddef>
#include <functional>

// Runs work(first, last) over [0, count) split into one contiguous part per core, each part
// starting at a multiple of `grain` (so that parts never share a word of a bit set), and waits
// for all of them. The calling thread does the first part itself. An error thrown by a part is
// thrown again here once all parts have ended.
void ForEachPartInParallel(std::size_t count, std::size_t grain,
                           const std::function<void(std::size_t first, std::size_t last)>& work);

// Lets the calling thread yield its core to threads of normal priority, such as the one that
// paints the window, for work that may take longer when the machine is busy. On Linux the
// threads it starts afterwards inherit the lower priority.
void LowerPriorityOfThisThread() noexcept;
