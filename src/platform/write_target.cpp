#include "platform/write_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/file_ops.h"
#include "platform/folder_list.h"

namespace velk {
namespace fs = std::filesystem;

namespace {

// As many links as the system itself follows before it gives up.
constexpr int kMaxLinks = 40;

int OpenPlace(int dir, const char* name, int flags) { return ::openat(dir, name, O_PATH | O_CLOEXEC | flags); }

// The text of the link open (not followed) as `fd`: read from the very
// entry whose owner was looked at.
std::optional<std::string> LinkText(int fd, const struct stat& st) {
  std::string text(st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 256, '\0');
  for (;;) {
    const ssize_t n = ::readlinkat(fd, "", text.data(), text.size());
    if (n < 0) return std::nullopt;
    if (static_cast<size_t>(n) < text.size()) {
      text.resize(static_cast<size_t>(n));
      return text;
    }
    text.resize(text.size() * 2);
  }
}

// The parts of `path` still to walk: no empty ones, no ".".
void PushParts(std::deque<fs::path>& parts, const fs::path& path) {
  std::vector<fs::path> add;
  for (const fs::path& part : path.relative_path())
    if (!part.empty() && part != ".") add.push_back(part);
  parts.insert(parts.begin(), add.begin(), add.end());
}

}  // namespace

WriteTarget::~WriteTarget() { Close(); }

WriteTarget::WriteTarget(WriteTarget&& other) noexcept { *this = std::move(other); }

WriteTarget& WriteTarget::operator=(WriteTarget&& other) noexcept {
  if (this != &other) {
    Close();
    folder_ = std::exchange(other.folder_, -1);
    name_ = std::move(other.name_);
    file_ = std::move(other.file_);
    followed_ = other.followed_;
    refused_ = other.refused_;
    error_ = other.error_;
  }
  return *this;
}

void WriteTarget::Close() {
  if (folder_ >= 0) ::close(folder_);
  folder_ = -1;
}

bool WriteTarget::Walk(int start, fs::path reached, const fs::path& rest, bool follow, std::string* why,
                       std::string* crossed) {
  Close();
  name_.clear();
  file_.clear();
  followed_ = refused_ = false;
  error_ = 0;
  int dir = start;  // the folder reached so far, open as a place
  auto fail = [&](int err, const fs::path& where) {
    CloseKeepingErrno(dir);
    error_ = err;
    file_ = where;
    errno = err;
    return false;
  };
  auto refuse = [&](const std::string& reason, int err) {
    CloseKeepingErrno(dir);
    refused_ = true;
    if (why) *why = reason;
    errno = err;
    return false;
  };
  if (dir < 0) return fail(errno, reached);
  std::deque<fs::path> parts;
  PushParts(parts, rest);
  std::string name;
  int hops = 0;
  while (!parts.empty()) {
    const fs::path part = std::move(parts.front());
    parts.pop_front();
    const bool last = parts.empty();
    if (part == "..") {
      const int up = OpenPlace(dir, "..", O_DIRECTORY | O_NOFOLLOW);
      if (up < 0) return fail(errno, reached);
      ::close(dir);
      dir = up;
      reached = reached.parent_path();
      continue;
    }
    const fs::path next = reached / part;
    const int fd = OpenPlace(dir, part.c_str(), O_NOFOLLOW);
    if (fd < 0) {
      // A file yet to be made is taken as it is named.
      if (errno == ENOENT && last) {
        name = part.native();
        break;
      }
      return fail(errno, next);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
      CloseKeepingErrno(fd);
      return fail(errno, next);
    }
    if (S_ISLNK(st.st_mode) && (follow || !last)) {
      if (!MayFollowLinkOf(st.st_uid)) {
        const std::string reason = LinkRefusal(next, st.st_uid);
        if (!crossed) {
          ::close(fd);
          return refuse(reason, EPERM);
        }
        if (crossed->empty()) *crossed = reason;
      }
      if (++hops > kMaxLinks) {
        ::close(fd);
        return refuse(std::strerror(ELOOP), ELOOP);
      }
      const std::optional<std::string> text =
          FileStepFails("readlink", next) ? std::nullopt : LinkText(fd, st);
      CloseKeepingErrno(fd);
      if (!text) return fail(errno, next);
      if (text->empty()) return fail(ENOENT, next);
      followed_ = true;
      const fs::path to(*text);
      if (to.is_absolute()) {
        ::close(dir);
        dir = OpenPlace(AT_FDCWD, "/", O_DIRECTORY);
        reached = "/";
        if (dir < 0) return fail(errno, reached);
      }
      PushParts(parts, to);
      continue;
    }
    if (last) {
      ::close(fd);
      name = part.native();
      break;
    }
    if (!S_ISDIR(st.st_mode)) {
      ::close(fd);
      return fail(ENOTDIR, next);
    }
    ::close(dir);
    dir = fd;
    reached = next;
  }
  // The path ended in a folder (a "..", a link to one): the name is the
  // folder's own, in the folder above it.
  if (name.empty()) {
    if (!reached.has_relative_path()) return fail(EISDIR, reached);
    name = reached.filename().native();
    const int up = OpenPlace(dir, "..", O_DIRECTORY | O_NOFOLLOW);
    if (up < 0) return fail(errno, reached);
    ::close(dir);
    dir = up;
    reached = reached.parent_path();
  }
  folder_ = OpenFolderForUse(dir);
  if (folder_ < 0) return fail(errno, reached / name);
  ::close(dir);
  name_ = std::move(name);
  file_ = reached / name_;
  return true;
}

namespace {

// Where a walk of `path` begins: the root, or the current folder with its
// path (which the system gives without links).
int WalkStart(const fs::path& path, fs::path& reached) {
  if (path.is_absolute()) {
    reached = "/";
    return OpenPlace(AT_FDCWD, "/", O_DIRECTORY);
  }
  std::error_code ec;
  reached = fs::current_path(ec);
  if (ec) {
    errno = ec.value();
    return -1;
  }
  return OpenPlace(AT_FDCWD, ".", O_DIRECTORY);
}

}  // namespace

bool WriteTarget::Open(const fs::path& path, std::string* why) {
  const fs::path p = path.empty() ? fs::path(".") : path;
  fs::path reached;
  const int start = WalkStart(p, reached);
  return Walk(start, reached, p, true, why);
}

bool WriteTarget::OpenName(const fs::path& path, std::string* why) {
  const fs::path p = path.empty() ? fs::path(".") : path;
  fs::path reached;
  const int start = WalkStart(p, reached);
  return Walk(start, reached, p, false, why);
}

bool WriteTarget::OpenIn(int folder, const fs::path& shown, const std::string& name, bool follow, std::string* why) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
    Close();
    refused_ = followed_ = false;
    error_ = errno = EINVAL;
    file_ = shown / name;
    return false;
  }
  return Walk(OpenPlace(folder, ".", O_DIRECTORY), shown, name, follow, why);
}

bool WriteTarget::OpenToRead(const fs::path& path, std::string& crossed) {
  crossed.clear();
  const fs::path p = path.empty() ? fs::path(".") : path;
  fs::path reached;
  const int start = WalkStart(p, reached);
  return Walk(start, reached, p, true, nullptr, &crossed);
}

bool WriteTarget::OpenBeside(const WriteTarget& other, const std::string& name) {
  Close();
  folder_ = other.folder_ < 0 ? -1 : ::fcntl(other.folder_, F_DUPFD_CLOEXEC, 0);
  name_ = name;
  file_ = other.file_.parent_path() / name;
  followed_ = refused_ = false;
  error_ = folder_ < 0 ? errno : 0;
  return folder_ >= 0;
}

bool WriteTarget::Look(struct stat& st) const {
  return ::fstatat(folder_, name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

bool WriteTarget::RemoveLeftover() const {
  struct stat st {};
  if (!Look(st)) return errno == ENOENT;
  if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return false;
  return RemoveAt(folder_, name_, file_);
}

namespace {

// The folder that `target` was opened to (its name, a folder in the folder
// reached), or where the walk stopped.
int OpenFolderAt(const WriteTarget& target, bool opened, fs::path* reached) {
  if (!opened) {
    // A refusal leaves its own reason: a link of another user's, or a loop.
    const int err = target.refused() ? errno : target.error();
    if (reached && !target.refused()) *reached = target.file();
    errno = err;
    return -1;
  }
  const int place = OpenPlace(target.folder(), target.name().c_str(), O_DIRECTORY | O_NOFOLLOW);
  const int folder = place < 0 ? -1 : OpenFolderForUse(place);
  CloseKeepingErrno(place);
  if (reached) {
    const int err = errno;
    *reached = target.file();
    errno = err;
  }
  return folder;
}

// The root, which no walk reaches as a name in a folder.
bool IsRoot(const fs::path& dir, fs::path* reached) {
  if (!dir.is_absolute() || dir.has_relative_path()) return false;
  if (reached) *reached = "/";
  return true;
}

}  // namespace

int OpenFolderAsWritten(const fs::path& dir, fs::path* reached, std::string* why) {
  if (IsRoot(dir, reached)) return ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  WriteTarget target;
  const bool opened = target.Open(dir, why);
  return OpenFolderAt(target, opened, reached);
}

int OpenFolderToRead(const fs::path& dir, fs::path* reached, std::string* crossed) {
  std::string unused;
  std::string& links = crossed ? *crossed : unused;
  links.clear();
  if (IsRoot(dir, reached)) return ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  WriteTarget target;
  const bool opened = target.OpenToRead(dir, links);
  return OpenFolderAt(target, opened, reached);
}

std::optional<fs::path> ResolveWriteTarget(const fs::path& path, std::string* error) {
  WriteTarget target;
  if (target.Open(path, error)) return target.file();
  if (!target.refused() && error) *error = std::strerror(target.error());
  return std::nullopt;
}

std::size_t RemoveLeftoverTemporaries(const fs::path& target) {
  WriteTarget place;
  return place.Open(target) ? RemoveLeftoverTemporaries(place) : 0;
}

std::size_t RemoveLeftoverTemporaries(const WriteTarget& target) {
  if (target.folder() < 0) return 0;
  // What a listing that fails part way did list is still cleaned up.
  std::vector<std::string> names;
  ForEachEntry(target.folder(), [&](const std::string& name) {
    if (TemporaryTargetName(name) == target.name()) names.push_back(name);
    return true;
  });
  std::size_t removed = 0;
  const fs::path dir = target.file().parent_path();
  for (const std::string& name : names)
    if (RemoveOwnLeftover(target.folder(), name, dir / name)) ++removed;
  return removed;
}

}  // namespace velk
