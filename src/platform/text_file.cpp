#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// Why an existing `target` (links already followed) may not be replaced: 0
// when it may, ENOENT when there is no such file, else the reason; anything
// that is not a regular file is refused.
int TargetRefusal(const std::filesystem::path& target, struct stat& st) {
  if (::stat(target.c_str(), &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  return ReplaceRefusal(AT_FDCWD, target, st);
}

}  // namespace

void SetAtomicWriteObserver(void (*observer)(AtomicWriteStep, const std::filesystem::path&)) {
  g_atomicWriteObserver = observer;
}

std::optional<std::filesystem::path> ResolveWriteTarget(const std::filesystem::path& path,
                                                        std::string* error) {
  std::filesystem::path current = path;
  // As many links as the system itself follows before it gives up.
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::error_code ec;
    std::filesystem::path next = std::filesystem::read_symlink(current, ec);
    if (ec) {
      if (error) *error = ec.message();
      return std::nullopt;
    }
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  Fail(error, ELOOP);
  return std::nullopt;
}

namespace {

// A new file written and flushed under its temporary name beside the file
// it is to replace.
struct PreparedFile {
  std::filesystem::path target;
  std::string temporary;
};

// Everything of WriteFileAtomic up to the rename.
std::optional<PreparedFile> PrepareReplacement(const std::filesystem::path& path, std::string_view bytes,
                                               std::string* error) {
  auto refuse = [error](int err) -> std::optional<PreparedFile> {
    Fail(error, err);
    return std::nullopt;
  };
  std::optional<std::filesystem::path> resolved = ResolveWriteTarget(path, error);
  if (!resolved) return std::nullopt;
  PreparedFile prepared{*resolved, {}};
  const std::filesystem::path& target = prepared.target;
  // The old file's permissions stay; a new file gets the usual ones.
  mode_t mode = NewFileMode();
  struct stat st {};
  int refusal = TargetRefusal(target, st);
  if (refusal == 0) {
    mode = st.st_mode & 07777;
  } else if (refusal != ENOENT) {
    return refuse(refusal);
  }
  int fd = CreateTemporaryBeside(target, prepared.temporary);
  if (fd < 0) return refuse(errno);
  if (!FillTemporary(fd, prepared.temporary, bytes, mode, error)) {
    ::unlink(prepared.temporary.c_str());
    return std::nullopt;
  }
  return prepared;
}

// Puts a prepared file in place of its target in one step.
bool CommitReplacement(const PreparedFile& prepared, std::string* error) {
  if (!RenameDurably(prepared.temporary, prepared.target)) {
    int err = errno;
    ::unlink(prepared.temporary.c_str());
    return Fail(error, err);
  }
  Observe(AtomicWriteStep::kReplaced, prepared.temporary);
  return true;
}

}  // namespace

bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes, std::string* error) {
  std::optional<PreparedFile> prepared = PrepareReplacement(path, bytes, error);
  return prepared && CommitReplacement(*prepared, error);
}

bool MayRewrite(const std::filesystem::path& file) {
  std::optional<std::filesystem::path> target = ResolveWriteTarget(file);
  struct stat st {};
  return target && TargetRefusal(*target, st) == 0;
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

bool CopyFileOnce(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::optional<std::filesystem::path> target = ResolveWriteTarget(to);
  if (!target) return false;
  std::error_code ec;
  // A folder (or a device) of that name is no backup.
  if (std::filesystem::exists(*target, ec)) return std::filesystem::is_regular_file(*target, ec);
  auto bytes = ReadFileBytes(from);
  if (!bytes) return false;
  std::string temporary;
  int fd = CreateTemporaryBeside(*target, temporary);
  if (fd < 0) return false;
  struct stat st {};
  mode_t mode = ::stat(from.c_str(), &st) == 0 ? (st.st_mode & 07777) : NewFileMode();
  if (!FillTemporary(fd, temporary, *bytes, mode, nullptr)) {
    ::unlink(temporary.c_str());
    return false;
  }
  // A hard link gives the finished copy its name only when the name is
  // free; a copy that lost a race to another one is simply dropped.
  bool made = ::link(temporary.c_str(), target->c_str()) == 0;
  int err = errno;
  if (!made && err != EEXIST) {
    // File systems without hard links: a rename, after one more look.
    made = !std::filesystem::exists(*target, ec) && std::rename(temporary.c_str(), target->c_str()) == 0;
  }
  ::unlink(temporary.c_str());
  if (made) SyncFolderOf(*target);
  return made || std::filesystem::exists(*target, ec);
}

}  // namespace velk
