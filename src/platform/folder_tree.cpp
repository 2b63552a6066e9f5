#include "platform/folder_tree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/file_ops.h"
#include "platform/folder_list.h"
#include "platform/text_file.h"

namespace velk {
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

bool CopyFile(int from, int to, const std::string& name, const std::filesystem::path& shown) {
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
    return false;
  }
  const int out = CreateNewFile(to, name, shown);
  bool ok = out >= 0 && !FileStepFails("write", shown) && CopyBytes(in, out);
  if (!ok) CloseKeepingErrno(out);
  CloseKeepingErrno(in);
  return ok && FinishNewFile(out, st.st_mode & 07777, shown);
}

bool CopyLink(int from, int to, const std::string& name, const struct stat& st, const std::filesystem::path& shown) {
  std::string target(std::max<std::size_t>(static_cast<std::size_t>(st.st_size), 255) + 1, '\0');
  for (;;) {
    const ssize_t n = ::readlinkat(from, name.c_str(), target.data(), target.size());
    if (n < 0) return false;
    if (static_cast<std::size_t>(n) < target.size()) {
      target.resize(static_cast<std::size_t>(n));
      break;
    }
    target.resize(target.size() * 2);
  }
  return !FileStepFails("create", shown) && ::symlinkat(target.c_str(), to, name.c_str()) == 0;
}

bool CopyFolder(int from, int to, const std::string& name, const std::filesystem::path& shown) {
  const int source = ::openat(from, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (source < 0) return false;
  int copy = -1;
  if (!FileStepFails("create", shown) && ::mkdirat(to, name.c_str(), 0700) == 0)
    copy = ::openat(to, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st {};
  const bool ok = copy >= 0 && CopyFolderContents(source, copy, shown) && ::fstat(source, &st) == 0 &&
                  ::fchmod(copy, st.st_mode & 07777) == 0;
  CloseKeepingErrno(copy);
  CloseKeepingErrno(source);
  return ok;
}

}  // namespace

int MakeFreshFolderIn(int folder, const std::string& prefix, std::string& name, const std::filesystem::path& shown) {
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

bool CopyFolderContents(int from, int to, const std::filesystem::path& shown) {
  return ForEachEntry(from, [&](const std::string& name) {
    struct stat st {};
    if (::fstatat(from, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    if (S_ISLNK(st.st_mode)) return CopyLink(from, to, name, st, shown / name);
    if (S_ISDIR(st.st_mode)) return CopyFolder(from, to, name, shown / name);
    if (S_ISREG(st.st_mode)) return CopyFile(from, to, name, shown / name);
    return true;
  });
}

bool RemoveTreeAt(int folder, const std::string& name, const std::filesystem::path& shown) {
  struct stat st {};
  if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return RemoveAt(folder, name, shown);
  const int at = ::openat(folder, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (at < 0) return false;
  if (st.st_uid == ::geteuid() && (st.st_mode & 0700) != 0700) ::fchmodat(at, ".", (st.st_mode & 07777) | 0700, 0);
  // What cannot go is passed over, so that as much as can goes.
  bool emptied = true;
  ForEachEntry(at, [&](const std::string& entry) {
    emptied = RemoveTreeAt(at, entry, shown / entry) && emptied;
    return true;
  });
  CloseKeepingErrno(at);
  if (!emptied || FileStepFails("unlink", shown)) return false;
  return ::unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT;
}

}  // namespace velk
