#pragma once
// Large arrays that are filled once from start to end, such as the index of a log of millions of
// entries, cost a page fault per 4 KiB touched; on a virtual machine each one is dear. Where the
// system offers larger pages on request, such arrays ask for them.

#include <cstddef>

// Asks the system to back the whole 2 MiB pages within [data, data + bytes) with large pages as
// they are first touched; a hint without effect where the system has none to give.
void AdviseLargePages(const void* data, std::size_t bytes) noexcept;
