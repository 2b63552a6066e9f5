#pragma once
// Many small pieces of work shared out among threads that are started once:
// each thread takes the next piece from a shared counter, so that pieces of
// very different cost still keep every core busy to the end.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <memory>
#include <thread>

#include "platform/parallel.h"

namespace traffic {

// The number of threads worth starting for work spread over the cores.
inline unsigned WorkerCount() { return std::clamp(std::thread::hardware_concurrency(), 1u, 16u); }

// Calls work(i, worker) for every i below `count`, on WorkerCount() threads
// (worker 0 is the calling thread). After each piece it ran itself, the
// calling thread calls done(n) with the number of leading pieces that are
// all finished, and done(count) once everything is. `first`, when given,
// runs on the calling thread before it takes pieces too, while the other
// threads are at work already. Returns when all pieces are done.
template <typename Work, typename Done, typename First = void (*)()>
void RunBlocks(std::size_t count, Work&& work, Done&& done, First&& first = [] {}) {
  const unsigned workers = static_cast<unsigned>(std::min<std::size_t>(WorkerCount(), std::max<std::size_t>(count, 1)));
  std::atomic<std::size_t> next{0};
  const std::unique_ptr<std::atomic<bool>[]> finished(new std::atomic<bool>[count]());
  std::size_t prefix = 0;
  velk::RunParallel(workers, [&](std::size_t worker) {
    if (worker == 0) first();
    for (std::size_t i = next.fetch_add(1, std::memory_order_relaxed); i < count;
         i = next.fetch_add(1, std::memory_order_relaxed)) {
      work(i, static_cast<unsigned>(worker));
      finished[i].store(true, std::memory_order_release);
      if (worker == 0) {
        while (prefix < count && finished[prefix].load(std::memory_order_acquire)) ++prefix;
        done(prefix);
      }
    }
  });
  done(count);
}

}  // namespace traffic
