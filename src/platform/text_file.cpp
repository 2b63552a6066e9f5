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

namespace velk {

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    if (error) *error = std::strerror(errno);
    return std::nullopt;
  }
  std::string data;
  // A regular file is read straight into one buffer of its size; the loop
  // after it copes with files that grow or report no size (pipes, /proc).
  struct stat st {};
  if (::fstat(::fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    data.resize(static_cast<size_t>(st.st_size));
    data.resize(std::fread(data.data(), 1, data.size(), f));
  }
  if (!std::ferror(f)) {
    char buf[1 << 16];
    for (;;) {
      size_t n = std::fread(buf, 1, sizeof buf, f);
      data.append(buf, n);
      if (n < sizeof buf) break;
    }
  }
  bool bad = std::ferror(f) != 0;
  int err = errno;
  std::fclose(f);
  if (bad) {
    if (error) *error = std::strerror(err);
    return std::nullopt;
  }
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

int OpenRegularFile(const std::filesystem::path& path, RegularReadResult& why) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    why = RegularReadResult::kCannotOpen;
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    why = RegularReadResult::kNotRegular;
    return -1;
  }
  // Checked again once open, in case the name was given to something else
  // in between; non-blocking so that even then nothing waits.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    why = RegularReadResult::kCannotOpen;
    return -1;
  }
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    why = RegularReadResult::kNotRegular;
    return -1;
  }
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

bool WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

// A new, empty temporary file beside `target`, named after it; -1 when none
// can be made.
int CreateTemporaryBeside(const std::filesystem::path& target, std::string& name) {
  std::filesystem::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  name = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
  return ::mkostemp(name.data(), O_CLOEXEC);
}

// Makes the rename itself durable; a failure here cannot undo the rename, so
// it is not reported.
void SyncFolderOf(const std::filesystem::path& target) {
  std::filesystem::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Writes `bytes` into the new file `fd` (named `temporary`) with the mode of
// `mode`, and flushes it; closes `fd` in every case.
bool FillTemporary(int fd, const std::string& temporary, std::string_view bytes, mode_t mode,
                   std::string* error) {
  Observe(AtomicWriteStep::kTemporaryCreated, temporary);
  int err = 0;
  if (!WriteAll(fd, bytes)) err = errno;
  if (!err) Observe(AtomicWriteStep::kWritten, temporary);
  if (!err && ::fchmod(fd, mode) != 0) err = errno;
  if (!err && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && !err) err = errno;
  if (err) return Fail(error, err);
  Observe(AtomicWriteStep::kFlushed, temporary);
  return true;
}

mode_t NewFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
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

bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes, std::string* error) {
  std::optional<std::filesystem::path> resolved = ResolveWriteTarget(path, error);
  if (!resolved) return false;
  const std::filesystem::path& target = *resolved;
  // The old file's permissions stay; a new file gets the usual ones.
  mode_t mode = NewFileMode();
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return Fail(error, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    // Marked read-only (no write bit at all), or not ours to write: left
    // alone, as a rename would otherwise replace it regardless.
    if ((st.st_mode & 0222) == 0) return Fail(error, EACCES);
    if (::access(target.c_str(), W_OK) != 0) return Fail(error, errno);
    mode = st.st_mode & 07777;
  } else if (errno != ENOENT) {
    return Fail(error, errno);
  }
  std::string temporary;
  int fd = CreateTemporaryBeside(target, temporary);
  if (fd < 0) return Fail(error, errno);
  bool ok = FillTemporary(fd, temporary, bytes, mode, error);
  if (ok && std::rename(temporary.c_str(), target.c_str()) != 0) ok = Fail(error, errno);
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  SyncFolderOf(target);
  Observe(AtomicWriteStep::kReplaced, temporary);
  return true;
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
  if (std::filesystem::exists(*target, ec)) return true;
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
