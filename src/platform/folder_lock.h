#pragma once
// An exclusive advisory lock on a folder, held until the object goes (or the
// process ends, also by a crash). Runs that rewrite the files of one folder
// take turns through it: the console tools on the simulator's traffic
// folder, the gate resize on its scenery folder. Only while it is held may a
// run remove temporaries that an earlier, killed run left there.
#include <filesystem>

namespace velk {

class FolderLock {
 public:
  FolderLock() = default;
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // kBusy only from TryLock. A file system without locks gives kUnsupported,
  // and the caller goes on without (and then removes nothing it did not make).
  enum class Result { kLocked, kBusy, kNoFolder, kUnsupported };

  // Takes the lock, waiting for another holder to let go; `waiting` is
  // called once before such a wait.
  template <typename Waiting>
  Result Lock(const std::filesystem::path& folder, Waiting waiting) {
    const Result r = TryLock(folder, /*keepWaiting=*/true);
    if (r != Result::kBusy) return r;
    waiting();
    return Wait();
  }
  // Takes the lock when nobody holds it; kBusy, holding nothing, otherwise.
  Result TryLock(const std::filesystem::path& folder) { return TryLock(folder, false); }
  void Unlock();
  bool Held() const { return held_; }

 private:
  Result TryLock(const std::filesystem::path& folder, bool keepWaiting);
  Result Wait();

  int fd_ = -1;
  bool held_ = false;
};

}  // namespace velk
