#include "platform/parallel.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>

namespace velk {

namespace detail {
namespace {

// The kept threads. Each waits for a task, runs it and waits again; they
// never end (the process ends them), so the pool is never destroyed.
class KeptThreads {
 public:
  explicit KeptThreads(pid_t owner) : owner_(owner) {}

  pid_t owner() const { return owner_; }

  bool Run(std::function<void()> task) {
    std::unique_lock<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
    if (idle_ < tasks_.size()) {
      try {
        std::thread([this] { Serve(); }).detach();
      } catch (const std::system_error&) {
        tasks_.pop_back();
        return false;
      }
    }
    lock.unlock();
    queued_.notify_one();
    return true;
  }

 private:
  void Serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      ++idle_;
      queued_.wait(lock, [&] { return !tasks_.empty(); });
      --idle_;
      std::function<void()> task = std::move(tasks_.front());
      tasks_.pop_front();
      lock.unlock();
      task();
      task = nullptr;
      lock.lock();
    }
  }

  const pid_t owner_;
  std::mutex mutex_;
  std::condition_variable queued_;
  std::deque<std::function<void()>> tasks_;
  std::size_t idle_ = 0;
};

KeptThreads& Pool() {
  static std::atomic<KeptThreads*> pool{nullptr};
  KeptThreads* current = pool.load(std::memory_order_acquire);
  // A child made by fork() has none of its parent's threads (and perhaps a
  // lock that one of them held): it starts a pool of its own.
  const pid_t self = ::getpid();
  if (current && current->owner() == self) return *current;
  auto* fresh = new KeptThreads(self);
  if (pool.compare_exchange_strong(current, fresh, std::memory_order_acq_rel)) return *fresh;
  delete fresh;
  return *current;
}

}  // namespace

bool RunOnKeptThread(std::function<void()> task) { return Pool().Run(std::move(task)); }

}  // namespace detail

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
