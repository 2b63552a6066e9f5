#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
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

// Below this much of a file per thread one thread is quicker. A file is
// read, and its fingerprint hashed, in blocks of this size.
constexpr size_t kBlock = size_t{1} << 20;

// False when a read failed (`error` gets its errno) or the file ended
// first (0).
bool PreadAll(int fd, char* to, size_t length, off_t offset, int& error) {
  while (length > 0) {
    ssize_t n = ::pread(fd, to, length, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : 0;
      return false;
    }
    to += n;
    length -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

std::uint64_t BlockHash(std::string_view text, size_t b) {
  return std::hash<std::string_view>{}(text.substr(b * kBlock, kBlock));
}

// The fingerprint of a text of `size` bytes from the hashes of its blocks,
// in order.
std::uint64_t CombineBlockHashes(size_t size, const std::vector<std::uint64_t>& hashes) {
  std::uint64_t h = static_cast<std::uint64_t>(size) * 0x9E3779B97F4A7C15u;
  for (std::uint64_t x : hashes) h = (h ^ x) * 0x100000001B3u + (h >> 29);
  return h;
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
  if (limits.status && (!S_ISREG(st.st_mode) || static_cast<std::uintmax_t>(st.st_size) > limits.maxBytes))
    *limits.status = st;
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
    if (limits.status) *limits.status = st;
    return refuse(RegularReadResult::kNotRegular, e);
  }
  if (limits.status) *limits.status = st;
  why = RegularReadResult::kOk;
  return fd;
}

RegularReadResult ReadRegularFileBytes(const std::filesystem::path& path, FileBytes& out, const ReadLimits& limits,
                                       std::uint64_t* fingerprint) {
  out = FileBytes{};
  RegularReadResult why;
  struct stat st {};
  ReadLimits opening = limits;
  opening.maxBytes = SIZE_MAX;
  opening.status = &st;
  int fd = OpenRegularFile(path, why, nullptr, opening);
  if (fd < 0) return why;
  if (limits.status) *limits.status = st;
  why = ReadOpenFile(fd, st, out, fingerprint);
  ::close(fd);
  return why;
}

RegularReadResult ReadOpenFile(int fd, const struct stat& status, FileBytes& out, std::uint64_t* fingerprint,
                               int* error) {
  out = FileBytes{};
  out.size = status.st_size > 0 ? static_cast<size_t>(status.st_size) : 0;
  const size_t blocks = (out.size + kBlock - 1) / kBlock;
  std::vector<std::uint64_t> hashes(fingerprint ? blocks : 0);
  bool ok = true;
  if (out.size > 0) {
    out.data = std::make_unique_for_overwrite<char[]>(out.size);
    const size_t n = std::clamp<size_t>(out.size / kBlock, 1,
                                        std::min(8u, std::max(1u, std::thread::hardware_concurrency())));
    std::vector<char> good(n, 0);
    std::vector<int> errors(n, 0);
    // Each thread reads whole blocks, and hashes each one while it is
    // still fresh in the cache.
    RunParallel(n, [&](size_t k) {
      const std::string_view text = out.view();
      for (size_t b = blocks * k / n; b < blocks * (k + 1) / n; ++b) {
        const size_t begin = b * kBlock;
        const size_t length = std::min(kBlock, out.size - begin);
        if (!PreadAll(fd, out.data.get() + begin, length, static_cast<off_t>(begin), errors[k])) return;
        if (fingerprint) hashes[b] = BlockHash(text, b);
      }
      good[k] = 1;
    });
    ok = std::all_of(good.begin(), good.end(), [](char g) { return g != 0; });
    if (!ok && error) *error = *std::max_element(errors.begin(), errors.end());
  }
  if (!ok) {
    out = FileBytes{};
    return RegularReadResult::kReadFailed;
  }
  if (fingerprint) *fingerprint = CombineBlockHashes(out.size, hashes);
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

bool MayRewrite(const std::filesystem::path& file, std::string* error) {
  WriteTarget target;
  if (!OpenTarget(target, file, error)) return false;
  struct stat st {};
  const int refusal = TargetRefusal(target.folder(), target.name(), st);
  return refusal == 0 || Fail(error, refusal);
}

std::uint64_t TextFingerprint(std::string_view text) {
  // Blocks of a fixed size are hashed on their own, on several threads for
  // a large text, and their hashes combined in order: the result depends on
  // the bytes alone, and is the one the reader gives (ReadOpenFile).
  const std::size_t blocks = (text.size() + kBlock - 1) / kBlock;
  std::vector<std::uint64_t> hashes(blocks);
  auto hash = [&](std::size_t b) { hashes[b] = BlockHash(text, b); };
  if (blocks > 2) {
    const std::size_t threads = std::min<std::size_t>(blocks, std::max(1u, std::thread::hardware_concurrency()));
    RunParallel(threads, [&](std::size_t t) {
      for (std::size_t b = t; b < blocks; b += threads) hash(b);
    });
  } else {
    for (std::size_t b = 0; b < blocks; ++b) hash(b);
  }
  return CombineBlockHashes(text.size(), hashes);
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
  // The original is read through no link of another user's either: his
  // link at its name would copy a file of the user's that he may not read
  // into a folder where he may. The copy gets the permissions of a new file
  // (CopyMode) from the very file it was read from.
  WriteTarget original;
  if (!OpenTarget(original, from, error)) return false;
  struct stat source {};
  ReadLimits reading{original.folder(), false, SIZE_MAX, &source};
  std::optional<std::string> bytes = ReadFileBytes(original.name(), error, reading, &err);
  if (!bytes) return false;
  const mode_t mode = CopyMode(source.st_mode);
  std::string temporary;
  const int fd = CreateTemporaryIn(folder, name, temporary, target.file().parent_path());
  if (fd < 0) return Fail(error, errno);
  if (!FillTemporary(fd, (target.file().parent_path() / temporary).string(), *bytes, mode, error)) {
    RemoveAt(folder, temporary, target.file().parent_path() / temporary);
    return false;
  }
  // The finished copy gets its name only while the name is free: a copy
  // that lost a race to another one is dropped, and what won counts as the
  // copy only when it is a file of the user's own.
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
