#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <map>
#include <mutex>
#include <thread>

#include "platform/file_ops.h"

namespace velk {
namespace {

// The folders each thread holds: the open folder that carries the lock,
// and how many objects hold it. The lock belongs to the open folder, so a
// second open of the same folder would wait for the first for ever; the
// folder stays open, and locked, until the last holder lets go, whichever
// that is and in whatever thread. Other threads take their turn as other
// processes do.
struct HeldFolder {
  int fd = -1;
  int holders = 0;
};

using Holding = std::pair<unsigned long long, FolderLock::Key>;  // thread, folder

struct HeldFolders {
  std::mutex mutex;
  std::map<Holding, HeldFolder> folders;  // under mutex
};

// Never destroyed: a lock kept in a static object may go after it.
HeldFolders& Holdings() {
  static auto* held = new HeldFolders;
  return *held;
}

// A number for this thread that no later thread is given again, as a
// std::thread::id may be: a lock outliving its thread must not pass for
// that of a new one.
unsigned long long ThisThread() {
  static std::atomic<unsigned long long> last{0};
  thread_local const unsigned long long id = ++last;
  return id;
}

std::atomic<LockWaitHook> lockWaitHook{nullptr};

}  // namespace

LockWaitHook SetLockWaitHook(LockWaitHook hook) { return lockWaitHook.exchange(hook); }

FolderLock::~FolderLock() { Unlock(); }

void FolderLock::Unlock() {
  if (held_) {
    std::lock_guard guard(Holdings().mutex);
    auto& folders = Holdings().folders;
    auto it = folders.find({owner_, key_});
    if (it != folders.end() && --it->second.holders == 0) {
      ::close(it->second.fd);  // closing lets go of the lock
      folders.erase(it);
    }
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  held_ = false;
}

void FolderLock::Register() {
  std::lock_guard guard(Holdings().mutex);
  Holdings().folders[{owner_, key_}] = HeldFolder{fd_, 1};
  fd_ = -1;
  held_ = true;
}

FolderLock::Result FolderLock::TryLock(int open, const std::filesystem::path& folder, bool keepWaiting) {
  Unlock();
  // A lock of its own on the folder, which a descriptor of its own carries.
  fd_ = open >= 0 ? ::openat(open, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                  : ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return Result::kNoFolder;
  struct stat st {};
  key_ = ::fstat(fd_, &st) == 0 ? Key{st.st_dev, st.st_ino} : Key{0, 0};
  owner_ = ThisThread();
  {
    // Only this thread adds its own holdings, but another may let go of
    // one meanwhile.
    std::lock_guard guard(Holdings().mutex);
    if (auto it = Holdings().folders.find({owner_, key_}); it != Holdings().folders.end()) {
      ::close(fd_);
      fd_ = -1;
      ++it->second.holders;
      held_ = true;
      return Result::kLocked;
    }
  }
  for (;;) {
    if (!FileStepFails("lock", folder) && ::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
      Register();
      return Result::kLocked;
    }
    if (errno == EINTR) continue;
    const bool busy = errno == EWOULDBLOCK;
    // A waiter keeps the folder open for Wait.
    if (!(busy && keepWaiting)) Unlock();
    return busy ? Result::kBusy : Result::kUnsupported;
  }
}

FolderLock::Result FolderLock::Wait() {
  for (;;) {
    if (::flock(fd_, LOCK_EX) == 0) {
      Register();
      return Result::kLocked;
    }
    if (errno == EINTR) continue;
    Unlock();
    return Result::kUnsupported;
  }
}

FolderLock::Result FolderLock::LockWithin(int open, const std::filesystem::path& folder,
                                          std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  for (;;) {
    const auto tried = std::chrono::steady_clock::now();
    const Result r = TryLock(open, folder, false);
    if (r != Result::kBusy || std::chrono::steady_clock::now() >= until) return r;
    if (const LockWaitHook hook = lockWaitHook.load()) hook();
    // The hook's time counts towards the pace; the last try comes at the
    // limit.
    std::this_thread::sleep_until(std::min(tried + std::chrono::milliseconds(50), until));
  }
}

}  // namespace velk
