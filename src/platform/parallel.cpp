#include "platform/parallel.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace velk {

void PrefaultForWriting(void* begin, std::size_t size) {
#ifdef MADV_POPULATE_WRITE
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  // Whole pages only; the pages at either end fault as usual.
  const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(begin) + page - 1) / page * page;
  const std::uintptr_t last = (reinterpret_cast<std::uintptr_t>(begin) + size) / page * page;
  if (last <= first) return;
  const std::size_t pages = (last - first) / page;
  // A thread is worth starting for some hundreds of pages.
  const std::size_t threads =
      std::clamp<std::size_t>(pages / 256, 1, std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
  RunParallel(threads, [&](std::size_t k) {
    const std::uintptr_t from = first + pages * k / threads * page;
    const std::uintptr_t to = first + pages * (k + 1) / threads * page;
    ::madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
  });
#else
  (void)begin;
  (void)size;
#endif
}

}  // namespace velk
