#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/parallel.h"

#include "platform/text_codec.h"

namespace velk {

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::string* error,
                                         const ReadLimits& limits, int* errorNumber) {
  // A named pipe or a device in a file's place is refused at once instead
  // of blocking the program or reading forever.
  RegularReadResult why;
  int err = 0;
  struct stat st {};
  ReadLimits opening = limits;
  opening.status = &st;
  auto fail = [&](int e) -> std::optional<std::string> {
    if (error) *error = e == EINVAL ? "not a regular file" : std::strerror(e);
    if (errorNumber) *errorNumber = e;
    return std::nullopt;
  };
  int fd = OpenRegularFile(path, why, &err, opening);
  if (fd < 0) return fail(err);
  if (limits.status) *limits.status = st;
  // Read straight into one buffer of the file's size, grown while the file
  // has more (a file that grows, or /proc files that report no size).
  std::string data(st.st_size > 0 ? static_cast<size_t>(st.st_size) : size_t{1} << 16, '\0');
  size_t used = 0;
  for (;;) {
    if (used == data.size()) {
      if (used >= limits.maxBytes) break;
      data.resize(data.size() * 2);
    }
    ssize_t n = ::read(fd, data.data() + used, data.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      ::close(fd);
      return fail(err);
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  data.resize(std::min(used, limits.maxBytes));
  ::close(fd);
  return data;
}

namespace {

// Below this much of a file per thread one thread is quicker.
constexpr size_t kMinBytesPerReader = size_t{1} << 20;

bool PreadAll(int fd, char* to, size_t length, off_t offset) {
  while (length > 0) {
    ssize_t n = ::pread(fd, to, length, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    to += n;
    length -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

}  // namespace

int OpenRegularFile(const std::filesystem::path& path, RegularReadResult& why, int* error,
                    const ReadLimits& limits) {
  int unused = 0;
  int& err = error ? *error : unused;
  struct stat st {};
  auto refuse = [&](RegularReadResult result, int e) {
    err = e;
    why = result;
    return -1;
  };
  const int follow = limits.followLinks ? 0 : AT_SYMLINK_NOFOLLOW;
  if (::fstatat(limits.folder, path.c_str(), &st, follow) != 0) return refuse(RegularReadResult::kCannotOpen, errno);
  if (!S_ISREG(st.st_mode)) return refuse(RegularReadResult::kNotRegular, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
  if (static_cast<std::uintmax_t>(st.st_size) > limits.maxBytes) return refuse(RegularReadResult::kNotRegular, EFBIG);
  // Checked again once open, in case the name was given to something else
  // in between; non-blocking so that even then nothing waits.
  const int fd = ::openat(limits.folder, path.c_str(),
                          O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (limits.followLinks ? 0 : O_NOFOLLOW));
  if (fd < 0) {
    if (errno == ELOOP && !limits.followLinks) return refuse(RegularReadResult::kNotRegular, EINVAL);
    return refuse(RegularReadResult::kCannotOpen, errno);
  }
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<std::uintmax_t>(st.st_size) > limits.maxBytes) {
    const int e = !S_ISREG(st.st_mode) ? (S_ISDIR(st.st_mode) ? EISDIR : EINVAL) : EFBIG;
    ::close(fd);
    return refuse(RegularReadResult::kNotRegular, e);
  }
  if (limits.status) *limits.status = st;
  why = RegularReadResult::kOk;
  return fd;
}

RegularReadResult ReadRegularFileBytes(const std::filesystem::path& path, FileBytes& out) {
  out = FileBytes{};
  RegularReadResult why;
  int fd = OpenRegularFile(path, why);
  if (fd < 0) return why;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return RegularReadResult::kReadFailed;
  }
  bool ok = true;
  if (st.st_size > 0) {
    out.size = static_cast<size_t>(st.st_size);
    out.data = std::make_unique_for_overwrite<char[]>(out.size);
    const size_t n = std::clamp<size_t>(out.size / kMinBytesPerReader, 1,
                                        std::min(8u, std::max(1u, std::thread::hardware_concurrency())));
    std::vector<char> good(n, 0);
    RunParallel(n, [&](size_t k) {
      size_t begin = out.size * k / n;
      size_t end = out.size * (k + 1) / n;
      good[k] = PreadAll(fd, out.data.get() + begin, end - begin, static_cast<off_t>(begin));
    });
    ok = std::all_of(good.begin(), good.end(), [](char g) { return g != 0; });
  }
  ::close(fd);
  if (!ok) {
    out = FileBytes{};
    return RegularReadResult::kReadFailed;
  }
  return RegularReadResult::kOk;
}

namespace {

void (*g_atomicWriteObserver)(AtomicWriteStep, const std::filesystem::path&) = nullptr;

void Observe(AtomicWriteStep step, const std::filesystem::path& temporary) {
  if (g_atomicWriteObserver) g_atomicWriteObserver(step, temporary);
}

bool Fail(std::string* error, int err) {
  if (error) *error = std::strerror(err);
  return false;
}

// Writes `bytes` into the new file `fd` (named `temporary`) with the mode of
// `mode`, and flushes it; closes `fd` in every case.
bool FillTemporary(int fd, const std::string& temporary, std::string_view bytes, mode_t mode,
                   std::string* error) {
  Observe(AtomicWriteStep::kTemporaryCreated, temporary);
  if (!WriteAll(fd, bytes)) {
    const int err = errno;
    ::close(fd);
    return Fail(error, err);
  }
  Observe(AtomicWriteStep::kWritten, temporary);
  if (!FinishNewFile(fd, mode, temporary)) return Fail(error, errno);
  Observe(AtomicWriteStep::kFlushed, temporary);
  return true;
}

// Why what stands at `name` in `folder` (links already followed on the way
// there) may not be replaced: 0 when it may, ENOENT when nothing is there,
// else the reason. A link there now was planted after the path was
// resolved, and anything that is not a regular file is no file to replace.
int TargetRefusal(int folder, const std::string& name, struct stat& st) {
  if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  if (S_ISLNK(st.st_mode)) return ELOOP;
  if (!S_ISREG(st.st_mode)) return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  return ReplaceRefusal(folder, name, st);
}

}  // namespace

void SetAtomicWriteObserver(void (*observer)(AtomicWriteStep, const std::filesystem::path&)) {
  g_atomicWriteObserver = observer;
}

std::optional<std::filesystem::path> ResolveWriteTarget(const std::filesystem::path& path,
                                                        std::string* error) {
  namespace fs = std::filesystem;
  fs::path start = path.empty() ? fs::path(".") : path;
  if (start.is_relative()) {
    std::error_code ec;
    const fs::path here = fs::current_path(ec);
    if (ec) {
      if (error) *error = ec.message();
      return std::nullopt;
    }
    start = here / start;
  }
  // The parts still to walk, and the folder reached so far, which holds no
  // link: each link met is replaced by what it leads to, as the system
  // would follow it, once its owner is one whose links may be followed.
  const fs::path parts = start.relative_path();
  std::deque<fs::path> rest(parts.begin(), parts.end());
  fs::path reached = start.root_path();
  // As many links as the system itself follows before it gives up.
  int hops = 0;
  while (!rest.empty()) {
    const fs::path part = rest.front();
    rest.pop_front();
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      reached = reached.parent_path();
      continue;
    }
    const fs::path next = reached / part;
    struct stat st {};
    // What is no link, or is not there (yet), is taken as it is named.
    if (::lstat(next.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      reached = next;
      continue;
    }
    if (!MayFollowLinkOf(st.st_uid)) {
      if (error)
        *error = "the symbolic link '" + next.string() + "' belongs to the user " + UserName(st.st_uid) +
                 ", not to you";
      return std::nullopt;
    }
    if (++hops > 40) {
      Fail(error, ELOOP);
      return std::nullopt;
    }
    std::error_code ec;
    const fs::path to = fs::read_symlink(next, ec);
    if (ec) {
      if (error) *error = ec.message();
      return std::nullopt;
    }
    if (to.is_absolute()) reached = to.root_path();
    const fs::path relative = to.relative_path();
    rest.insert(rest.begin(), relative.begin(), relative.end());
  }
  return reached;
}

WriteTarget::~WriteTarget() {
  if (folder_ >= 0) ::close(folder_);
}

bool WriteTarget::OpenFolderOf(const std::optional<std::filesystem::path>& file) {
  if (folder_ >= 0) ::close(folder_);
  folder_ = -1;
  // Without a file the links could not be followed, and `why` says so.
  file_ = file.value_or(std::filesystem::path());
  name_ = file_.filename().string();
  if (!file) return false;
  if (name_.empty() || name_ == "." || name_ == "..") {
    errno = EISDIR;
    return false;
  }
  folder_ = OpenFolderNoLinks(file_.parent_path());
  return folder_ >= 0;
}

bool WriteTarget::Open(const std::filesystem::path& path, std::string* why) {
  return OpenFolderOf(ResolveWriteTarget(path, why));
}

bool WriteTarget::OpenName(const std::filesystem::path& path, std::string* why) {
  const std::optional<std::filesystem::path> dir = ResolveWriteTarget(path.has_parent_path() ? path.parent_path() : ".", why);
  return OpenFolderOf(dir ? std::optional<std::filesystem::path>(*dir / path.filename()) : std::nullopt);
}

bool WriteTarget::OpenBeside(const WriteTarget& other, const std::string& name) {
  if (folder_ >= 0) ::close(folder_);
  folder_ = other.folder_ < 0 ? -1 : ::fcntl(other.folder_, F_DUPFD_CLOEXEC, 0);
  name_ = name;
  file_ = other.file_.parent_path() / name;
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

// Opens where a write to `path` lands (WriteTarget::Open); false with the
// reason in `error` when it cannot be.
bool OpenTarget(WriteTarget& target, const std::filesystem::path& path, std::string* error) {
  if (target.Open(path, error)) return true;
  // Without a file, the links could not be followed and `error` says why.
  if (!target.file().empty()) Fail(error, errno);
  return false;
}

}  // namespace

bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes, std::string* error) {
  WriteTarget target;
  if (!OpenTarget(target, path, error)) return false;
  const int folder = target.folder();
  const std::filesystem::path dir = target.file().parent_path();
  // The old file's permissions stay; a new file gets the usual ones.
  mode_t mode = NewFileMode();
  struct stat st {};
  const int refusal = TargetRefusal(folder, target.name(), st);
  if (refusal == 0) {
    mode = st.st_mode & 07777;
  } else if (refusal != ENOENT) {
    return Fail(error, refusal);
  }
  std::string temporary;
  const int fd = CreateTemporaryIn(folder, target.name(), temporary, dir);
  if (fd < 0) return Fail(error, errno);
  if (!FillTemporary(fd, (dir / temporary).string(), bytes, mode, error)) {
    RemoveAt(folder, temporary, dir / temporary);
    return false;
  }
  // In place of the target in one step.
  if (!RenameDurably(folder, temporary, folder, target.name(), target.file())) {
    const int err = errno;
    RemoveAt(folder, temporary, dir / temporary);
    return Fail(error, err);
  }
  Observe(AtomicWriteStep::kReplaced, dir / temporary);
  return true;
}

bool MayRewrite(const std::filesystem::path& file) {
  WriteTarget target;
  struct stat st {};
  return target.Open(file) && TargetRefusal(target.folder(), target.name(), st) == 0;
}

std::string WriteFailedMessage(const std::filesystem::path& path) {
  return "Could not write file '" + Utf8ToCp1252(path.string()) + "'.";
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
  size_t total = 0;
  for (const auto& l : lines) total += l.size() + 2;
  std::string out;
  out.reserve(total);
  for (const auto& l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

bool CopyFileOnce(const std::filesystem::path& from, const std::filesystem::path& to, std::string* error) {
  WriteTarget target;
  if (!OpenTarget(target, to, error)) return false;
  const int folder = target.folder();
  const std::string& name = target.name();
  // Only a file of this user's is a copy made before; a link there now was
  // planted since the path was resolved, and another user's file or a
  // folder is no backup of the user's.
  auto standing = [&](const struct stat& st) {
    if (S_ISREG(st.st_mode) && st.st_uid == ::geteuid()) return true;
    if (S_ISREG(st.st_mode)) {
      if (error) *error = "'" + target.file().string() + "' belongs to the user " + UserName(st.st_uid) + ", not to you";
      return false;
    }
    return Fail(error, S_ISLNK(st.st_mode) ? ELOOP : S_ISDIR(st.st_mode) ? EISDIR : EEXIST);
  };
  struct stat st {};
  if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return standing(st);
  if (errno != ENOENT) return Fail(error, errno);
  int err = 0;
  std::optional<std::string> bytes = ReadFileBytes(from, error, {}, &err);
  if (!bytes) return false;
  const mode_t mode = ::stat(from.c_str(), &st) == 0 ? (st.st_mode & 07777) : NewFileMode();
  std::string temporary;
  const int fd = CreateTemporaryIn(folder, name, temporary, target.file().parent_path());
  if (fd < 0) return Fail(error, errno);
  if (!FillTemporary(fd, (target.file().parent_path() / temporary).string(), *bytes, mode, error)) {
    RemoveAt(folder, temporary, target.file().parent_path() / temporary);
    return false;
  }
  // The finished copy gets its name only while the name is free: a copy
  // that lost a race to another one is dropped.
  const RenameResult given = RenameNoReplace(temporary, name, folder);
  err = errno;
  if (given != RenameResult::kRenamed) RemoveAt(folder, temporary, target.file().parent_path() / temporary);
  if (given == RenameResult::kFailed) return Fail(error, err);
  if (given == RenameResult::kExists) {
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return Fail(error, errno);
    return standing(st);
  }
  return true;
}

}  // namespace velk
