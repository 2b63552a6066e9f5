#pragma once
// Runs independent pieces of work on several threads.
#include <cstddef>
#include <system_error>
#include <thread>
#include <vector>

namespace traffic {

// Calls work(i) for every i below count, piece 0 on the calling thread and
// the others on threads of their own; a thread that cannot be started has
// its piece run on the calling thread instead. Returns when all are done.
template <typename Work>
void RunOnThreads(std::size_t count, Work&& work) {
  std::vector<std::thread> threads;
  std::vector<std::size_t> left_over;
  for (std::size_t i = 1; i < count; ++i) {
    try {
      threads.emplace_back(work, i);
    } catch (const std::system_error&) {
      left_over.push_back(i);
    }
  }
  if (count > 0) work(std::size_t{0});
  for (std::size_t i : left_over) work(i);
  for (auto& t : threads) t.join();
}

}  // namespace traffic
