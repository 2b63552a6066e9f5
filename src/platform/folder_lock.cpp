#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <thread>
#include <utility>

namespace velk {
namespace {

// The folders this thread holds, with how many objects hold each: the lock
// belongs to the open folder, so a second open of the same folder would
// wait for the first for ever. Other threads take their turn as other
// processes do.
std::map<std::pair<unsigned long long, unsigned long long>, int>& HeldFolders() {
  thread_local std::map<std::pair<unsigned long long, unsigned long long>, int> held;
  return held;
}

}  // namespace

FolderLock::~FolderLock() { Unlock(); }

void FolderLock::Unlock() {
  if (held_) {
    auto it = HeldFolders().find({device_, inode_});
    if (it != HeldFolders().end() && --it->second == 0) HeldFolders().erase(it);
  }
  if (fd_ >= 0) ::close(fd_);  // closing lets go of the lock
  fd_ = -1;
  held_ = false;
  nested_ = false;
}

void FolderLock::Register() {
  ++HeldFolders()[{device_, inode_}];
  held_ = true;
}

FolderLock::Result FolderLock::TryLock(const std::filesystem::path& folder, bool keepWaiting) {
  Unlock();
  fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return Result::kNoFolder;
  struct stat st {};
  if (::fstat(fd_, &st) == 0) {
    device_ = st.st_dev;
    inode_ = st.st_ino;
  }
  {
    auto it = HeldFolders().find({device_, inode_});
    if (it != HeldFolders().end()) {
      ::close(fd_);
      fd_ = -1;
      ++it->second;
      held_ = nested_ = true;
      return Result::kLocked;
    }
  }
  for (;;) {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
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
