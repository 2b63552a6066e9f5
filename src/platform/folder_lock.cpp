#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <thread>

#include "platform/file_ops.h"

namespace velk {
namespace {

// The folders this thread holds: the open folder that carries the lock,
// and how many objects hold it. The lock belongs to the open folder, so a
// second open of the same folder would wait for the first for ever; the
// folder stays open, and locked, until the last holder lets go, whichever
// that is. Other threads take their turn as other processes do.
struct HeldFolder {
  int fd = -1;
  int holders = 0;
};

std::map<FolderLock::Key, HeldFolder>& HeldFolders() {
  thread_local std::map<FolderLock::Key, HeldFolder> held;
  return held;
}

}  // namespace

FolderLock::~FolderLock() { Unlock(); }

void FolderLock::Unlock() {
  if (held_) {
    auto it = HeldFolders().find(key_);
    if (it != HeldFolders().end() && --it->second.holders == 0) {
      ::close(it->second.fd);  // closing lets go of the lock
      HeldFolders().erase(it);
    }
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  held_ = false;
}

void FolderLock::Register() {
  HeldFolders()[key_] = HeldFolder{fd_, 1};
  fd_ = -1;
  held_ = true;
}

FolderLock::Result FolderLock::TryLock(const std::filesystem::path& folder, bool keepWaiting) {
  Unlock();
  fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return Result::kNoFolder;
  struct stat st {};
  key_ = ::fstat(fd_, &st) == 0 ? Key{st.st_dev, st.st_ino} : Key{0, 0};
  if (auto it = HeldFolders().find(key_); it != HeldFolders().end()) {
    ::close(fd_);
    fd_ = -1;
    ++it->second.holders;
    held_ = true;
    return Result::kLocked;
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

FolderLock::Result FolderLock::LockWithin(const std::filesystem::path& folder, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  for (;;) {
    const Result r = TryLock(folder);
    if (r != Result::kBusy || std::chrono::steady_clock::now() >= until) return r;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

}  // namespace velk
