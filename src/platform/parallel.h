#pragma once
// Runs independent pieces of work on several threads: the one fan-out of the
// programs (the plan reader, the traffic compiler's parser and sectors).
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace velk {

namespace detail {

// Runs `task` on one of the threads kept for RunParallel: an idle one, or
// one started for it when none is idle. Threads are kept because programs
// run many short parallel steps, and starting a thread for each piece of
// each step costs a good part of a millisecond a step. False when no
// thread can be started.
bool RunOnKeptThread(std::function<void()> task);

}  // namespace detail

// Calls work(k) for every k below `count`: piece 0 on the calling thread, the
// others on threads of their own; a piece for which no thread can be found
// runs on the calling thread instead. After work(0), the calling thread gets
// joined(k) for k = 1, 2, ... in order, each as soon as piece k is done,
// while later pieces may still run. Returns when every piece is done. The
// first exception of any piece is passed on once every piece has ended;
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
  // Which pieces are done. The other threads hold it too, so that it lives
  // until the last of them has let go of it, after this call has returned.
  struct Progress {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<char> done;
  };
  const auto progress = std::make_shared<Progress>();
  progress->done.assign(count, 0);
  std::vector<char> elsewhere(count, 0);
  for (std::size_t k = 1; k < count; ++k) {
    elsewhere[k] = detail::RunOnKeptThread([progress, &guarded, k] {
      guarded(k);
      {
        const std::lock_guard<std::mutex> lock(progress->mutex);
        progress->done[k] = 1;
      }
      progress->changed.notify_all();
    });
  }
  guarded(0);
  bool failed = errors[0] != nullptr;
  for (std::size_t k = 1; k < count; ++k) {
    if (elsewhere[k]) {
      std::unique_lock<std::mutex> lock(progress->mutex);
      progress->changed.wait(lock, [&] { return progress->done[k] != 0; });
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

// Grows `v` to `n` values (each `value`), with the memory for the new ones
// readied on all cores first (PrefaultForWriting): for vectors of millions.
template <typename T>
void GrowReadied(std::vector<T>& v, std::size_t n, const T& value = T()) {
  if (n <= v.size()) return;
  v.reserve(n);
  PrefaultForWriting(reinterpret_cast<char*>(v.data()) + v.size() * sizeof(T), (n - v.size()) * sizeof(T));
  v.resize(n, value);
}

}  // namespace velk
