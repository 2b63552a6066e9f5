#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace velk {

FolderLock::~FolderLock() { Unlock(); }

void FolderLock::Unlock() {
  if (fd_ >= 0) ::close(fd_);  // closing lets go of the lock
  fd_ = -1;
  held_ = false;
}

FolderLock::Result FolderLock::TryLock(const std::filesystem::path& folder, bool keepWaiting) {
  Unlock();
  fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return Result::kNoFolder;
  for (;;) {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
      held_ = true;
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
      held_ = true;
      return Result::kLocked;
    }
    if (errno == EINTR) continue;
    Unlock();
    return Result::kUnsupported;
  }
}

}  // namespace velk
