#include "platform/folder_tree.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/file_ops.h"
#include "platform/folder_list.h"
#include "platform/text_file.h"
#include "platform/write_target.h"

namespace velk {
namespace fs = std::filesystem;

namespace {

bool CopyBytes(int in, int out) {
  std::vector<char> buffer(std::size_t{1} << 16);
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(out, std::string_view(buffer.data(), static_cast<std::size_t>(n)))) return false;
  }
}

fs::path Under(const fs::path& base, const fs::path& rel) { return rel.empty() ? base : base / rel; }

// Notes the first failure of `copy`: the file at `rel` in the copy, and
// `reason`. errno stays; always false.
bool Failed(FolderCopy& copy, const fs::path& rel, const std::string& reason) {
  const int err = errno;
  if (copy.reason.empty()) {
    copy.file = Under(copy.to, rel);
    copy.reason = reason;
  }
  errno = err;
  return false;
}
bool Failed(FolderCopy& copy, const fs::path& rel) { return Failed(copy, rel, std::strerror(errno)); }
// The entry at `rel` of the folder copied could not be read.
bool Unreadable(FolderCopy& copy, const fs::path& rel) {
  return Failed(copy, rel, "'" + Under(copy.from, rel).string() + "' could not be read: " + std::strerror(errno));
}

bool CopyFile(int from, int to, const std::string& name, const fs::path& shown, const fs::path& rel, mode_t mask,
              FolderCopy& copy) {
  struct stat st {};
  RegularReadResult why;
  int err = 0;
  ReadLimits limits;
  limits.folder = from;
  limits.followLinks = false;
  limits.status = &st;
  const int in = OpenRegularFile(name, why, &err, limits);
  if (in < 0) {
    errno = err;
    return Unreadable(copy, rel);
  }
  const int out = CreateNewFile(to, name, shown);
  bool ok = out >= 0 && !FileStepFails("write", shown) && CopyBytes(in, out);
  if (!ok) CloseKeepingErrno(out);
  CloseKeepingErrno(in);
  return (ok && FinishNewFile(out, CopyMode(st.st_mode, mask), shown)) || Failed(copy, rel);
}

// The link open (not followed) as `link`, whose status is `st`: its owner
// and its text are taken from that one entry, so that nobody can put
// another link of his in its place between the two.
bool CopyLink(int link, const struct stat& st, int to, const std::string& name, const fs::path& shown,
              const fs::path& rel, FolderCopy& copy) {
  if (!MayFollowLinkOf(st.st_uid)) return Failed(copy, rel, LinkRefusal(Under(copy.from, rel), st.st_uid));
  if (FileStepFails("readlink", shown)) return Unreadable(copy, rel);
  std::string target(std::max<std::size_t>(static_cast<std::size_t>(st.st_size), 255) + 1, '\0');
  for (;;) {
    const ssize_t n = ::readlinkat(link, "", target.data(), target.size());
    if (n < 0) return Unreadable(copy, rel);
    if (static_cast<std::size_t>(n) < target.size()) {
      target.resize(static_cast<std::size_t>(n));
      break;
    }
    target.resize(target.size() * 2);
  }
  return (!FileStepFails("create", shown) && ::symlinkat(target.c_str(), to, name.c_str()) == 0) ||
         Failed(copy, rel);
}

bool CopyEntries(int from, int to, const fs::path& shown, const fs::path& rel, mode_t mask, FolderCopy& copy);

bool CopyFolder(int from, int to, const std::string& name, const fs::path& shown, const fs::path& rel, mode_t mask,
                FolderCopy& copy) {
  const int source = ::openat(from, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (source < 0) return Unreadable(copy, rel);
  int made = -1;
  if (!FileStepFails("create", shown) && ::mkdirat(to, name.c_str(), 0700) == 0)
    made = ::openat(to, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st {};
  const bool ok = (made >= 0 || Failed(copy, rel)) && CopyEntries(source, made, shown, rel, mask, copy) &&
                  ((::fstat(source, &st) == 0 && ::fchmod(made, CopyMode(st.st_mode, mask)) == 0) || Failed(copy, rel));
  CloseKeepingErrno(made);
  CloseKeepingErrno(source);
  return ok;
}

const char* Kind(mode_t mode) {
  if (S_ISFIFO(mode)) return "a pipe";
  if (S_ISSOCK(mode)) return "a socket";
  return "a device";
}

bool CopyEntry(int from, int to, const std::string& name, const fs::path& shown, const fs::path& rel, mode_t mask,
               FolderCopy& copy) {
  const int entry = ::openat(from, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
  struct stat st {};
  if (entry < 0 || ::fstat(entry, &st) != 0) {
    Unreadable(copy, rel);
    CloseKeepingErrno(entry);
    return false;
  }
  bool ok = true;
  if (S_ISLNK(st.st_mode))
    ok = CopyLink(entry, st, to, name, shown, rel, copy);
  else if (S_ISDIR(st.st_mode))
    ok = CopyFolder(from, to, name, shown, rel, mask, copy);
  else if (S_ISREG(st.st_mode))
    ok = CopyFile(from, to, name, shown, rel, mask, copy);
  else
    copy.leftOut.push_back("'" + Under(copy.from, rel).string() + "' (" + Kind(st.st_mode) + ")");
  CloseKeepingErrno(entry);
  return ok;
}

bool CopyEntries(int from, int to, const fs::path& shown, const fs::path& rel, mode_t mask, FolderCopy& copy) {
  const bool listed = ForEachEntry(
      from, [&](const std::string& name) { return CopyEntry(from, to, name, shown / name, rel / name, mask, copy); });
  // A listing that stopped at an entry has said why.
  return listed || (copy.reason.empty() && Unreadable(copy, rel));
}

// Removes the folder `name` of `folder`, open as `at` (as a place will do)
// with the status `st`, and everything in it: a folder of the user's own
// that the user may not list or change is opened up first. What cannot go
// is passed over, so that as much as can goes. True when nothing of the
// name is left.
bool RemoveOpenTree(int folder, const std::string& name, int at, const struct stat& st, const fs::path& shown) {
  if (st.st_uid == ::geteuid() && (st.st_mode & 0700) != 0700) ::fchmodat(at, ".", (st.st_mode & 07777) | 0700, 0);
  bool emptied = true;
  ForEachEntry(at, [&](const std::string& entry) {
    emptied = RemoveTreeAt(at, entry, shown / entry) && emptied;
    return true;
  });
  if (!emptied || FileStepFails("unlink", shown)) return false;
  return ::unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT;
}

bool SameEntry(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

int MakeFreshFolderIn(int folder, const std::string& prefix, std::string& name, const fs::path& shown) {
  if (FileStepFails("create", shown / (prefix + "XXXXXX"))) return -1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = prefix + RandomLetters(6);
    if (::mkdirat(folder, name.c_str(), 0700) != 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    const int made = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (made < 0) {
      const int err = errno;
      ::unlinkat(folder, name.c_str(), AT_REMOVEDIR);
      errno = err;
    }
    return made;
  }
  return -1;
}

bool CopyFolderContents(int from, int to, const fs::path& shown, FolderCopy& copy) {
  return CopyEntries(from, to, shown, {}, CurrentUmask(), copy);
}

bool RemoveTreeAt(int folder, const std::string& name, const fs::path& shown) {
  struct stat st {};
  if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return RemoveAt(folder, name, shown);
  const int at = ::openat(folder, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (at < 0) return false;
  const bool removed = RemoveOpenTree(folder, name, at, st, shown);
  CloseKeepingErrno(at);
  return removed;
}

int MakeCopyFolderIn(int folder, const std::string& target, std::string& name, FolderLock& lock,
                     const fs::path& shown) {
  const std::string prefix = "." + target + "." + ProgramMark() + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int made = MakeFreshFolderIn(folder, prefix, name, shown);
    if (made < 0) return -1;
    const FolderLock::Result locked = lock.LockWithin(made, shown / name, std::chrono::milliseconds(0));
    // Without locks nothing is ever swept, and the copy goes on unheld.
    if (locked == FolderLock::Result::kLocked || locked == FolderLock::Result::kUnsupported) return made;
    // A sweep took the folder between its making and the lock, and removes
    // it: the copy goes to another one.
    const int err = errno;
    ::close(made);
    if (locked == FolderLock::Result::kNoFolder) {
      errno = err;
      return -1;
    }
  }
  errno = EEXIST;
  return -1;
}

std::size_t RemoveLeftoverCopies(int folder, const fs::path& shown) {
  // What a listing that fails part way did list is still looked at.
  std::vector<std::string> names;
  ForEachEntry(folder, [&](const std::string& name) {
    if (TemporaryTargetName(name)) names.push_back(name);
    return true;
  });
  std::size_t removed = 0;
  for (const std::string& name : names) {
    struct stat seen {};
    if (::fstatat(folder, name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(seen.st_mode) ||
        seen.st_uid != ::geteuid())
      continue;
    const int held = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (held < 0) continue;
    // The lock is taken on a descriptor of its own, not through FolderLock,
    // which counts a folder that this thread holds already as locked: a
    // copy at work in this very process keeps its folder too. Once the lock
    // is held, the folder must still be the one looked at and still have
    // its name: a copy that finished between the look and the lock has
    // given it the name it was made for.
    struct stat st {}, named {};
    if (!FileStepFails("lock", shown / name) && ::flock(held, LOCK_EX | LOCK_NB) == 0 && ::fstat(held, &st) == 0 &&
        st.st_uid == ::geteuid() && SameEntry(st, seen) &&
        ::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && SameEntry(named, st) &&
        RemoveOpenTree(folder, name, held, st, shown / name))
      ++removed;
    ::close(held);
  }
  return removed;
}

std::size_t RemoveLeftoverCopies(const fs::path& folder) {
  const int open = OpenFolderAsWritten(folder);
  if (open < 0) return 0;
  const std::size_t removed = RemoveLeftoverCopies(open, folder);
  ::close(open);
  return removed;
}

}  // namespace velk
