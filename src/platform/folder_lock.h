#pragma once
// An exclusive advisory lock on a folder, held until the object goes (or the
// process ends, also by a crash). Runs that rewrite the files of one folder
// take turns through it: the console tools on the simulator's traffic
// folder and on the folder whose text files they read or write, velk on the
// folder of a set of files it replaces, the gate resize on the scenery
// folder. Only while it is held may a run put right or remove what an
// earlier, killed run left there. The holders of one folder in one thread
// share one lock, which goes with the last of them, whichever thread lets
// it go.
#include <chrono>
#include <filesystem>
#include <utility>

namespace velk {

class FolderLock {
 public:
  FolderLock() = default;
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // kBusy only from TryLock and LockWithin. A file system without locks
  // gives kUnsupported, and the caller goes on without (and then removes
  // nothing it did not make).
  enum class Result { kLocked, kBusy, kNoFolder, kUnsupported };

  // Takes the lock, waiting for another holder to let go; `waiting` is
  // called once before such a wait. A folder that this thread holds
  // already (through another object, or reached by another path) counts as
  // locked at once, so that nested holders never wait for themselves.
  template <typename Waiting>
  Result Lock(const std::filesystem::path& folder, Waiting waiting) {
    return Lock(-1, folder, waiting);
  }
  // The same for the open folder `folder` (`shown` names it): the very
  // folder that is then written through that descriptor.
  template <typename Waiting>
  Result Lock(int folder, const std::filesystem::path& shown, Waiting waiting) {
    const Result r = TryLock(folder, shown, /*keepWaiting=*/true);
    if (r != Result::kBusy) return r;
    waiting();
    return Wait();
  }
  // Takes the lock when nobody holds it; kBusy, holding nothing, otherwise.
  Result TryLock(const std::filesystem::path& folder) { return TryLock(-1, folder, false); }
  // Takes the lock, waiting at most `limit` for another holder; kBusy,
  // holding nothing, when that was not enough. Between its tries, every
  // 50 ms, the lock wait hook runs.
  Result LockWithin(const std::filesystem::path& folder, std::chrono::milliseconds limit) {
    return LockWithin(-1, folder, limit);
  }
  Result LockWithin(int folder, const std::filesystem::path& shown, std::chrono::milliseconds limit);
  // Lets go in whatever thread; the lock stays counted as the taking
  // thread's until its last holder there goes.
  void Unlock();
  bool Held() const { return held_; }

  // What tells the folder apart (its device and inode), once opened.
  using Key = std::pair<unsigned long long, unsigned long long>;
  const Key& key() const { return key_; }

 private:
  // By `path` when `folder` is -1.
  Result TryLock(int folder, const std::filesystem::path& path, bool keepWaiting);
  Result Wait();
  void Register();

  int fd_ = -1;  // the folder while it is waited for
  bool held_ = false;
  Key key_{0, 0};
  unsigned long long owner_ = 0;  // the thread whose holders share the lock
};

// Runs between the tries of LockWithin: a window program lets its window
// repaint while it waits. None (the default) just waits. Gives the one
// before.
using LockWaitHook = void (*)();
LockWaitHook SetLockWaitHook(LockWaitHook hook);

}  // namespace velk
