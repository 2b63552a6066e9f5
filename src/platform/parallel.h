#pragma once
// Runs independent pieces of work on several threads: the one fan-out of the
// programs (the plan reader, the traffic compiler's parser and sectors).
#include <cstddef>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace velk {

// Calls work(k) for every k below `count`: piece 0 on the calling thread, the
// others on threads of their own; a piece whose thread cannot be started
// runs on the calling thread instead. After work(0), the calling thread gets
// joined(k) for k = 1, 2, ... in order, each as soon as piece k is done,
// while later pieces may still run. Returns when every piece is done. The
// first exception of any piece is passed on once every thread has ended;
// after a failure no further joined(k) is called.
template <typename Work, typename Joined>
void RunParallel(std::size_t count, Work&& work, Joined&& joined) {
  if (count == 0) return;
  std::vector<std::exception_ptr> errors(count);
  auto guarded = [&](std::size_t k) {
    try {
      work(k);
    } catch (...) {
      errors[k] = std::current_exception();
    }
  };
  std::vector<std::thread> threads(count);
  for (std::size_t k = 1; k < count; ++k) {
    try {
      threads[k] = std::thread(guarded, k);
    } catch (const std::system_error&) {
      // Left to the calling thread below.
    }
  }
  guarded(0);
  bool failed = errors[0] != nullptr;
  for (std::size_t k = 1; k < count; ++k) {
    if (threads[k].joinable()) {
      threads[k].join();
    } else {
      guarded(k);
    }
    failed = failed || errors[k];
    if (!failed) {
      try {
        joined(k);
      } catch (...) {
        errors[k] = std::current_exception();
        failed = true;
      }
    }
  }
  for (auto& e : errors) {
    if (e) std::rethrow_exception(e);
  }
}

template <typename Work>
void RunParallel(std::size_t count, Work&& work) {
  RunParallel(count, work, [](std::size_t) {});
}

// Makes the memory from `begin` on, `size` bytes, ready to be written, on
// several threads. The first write to each page of fresh memory costs a
// page fault, slow enough on some machines (virtual ones especially) that a
// buffer of megabytes filled by one thread waits mostly for those; spread
// over the cores they cost little. Nothing changes in the memory's bytes; a
// system that cannot do this leaves the faults to the writes.
void PrefaultForWriting(void* begin, std::size_t size);

}  // namespace velk
