#include "platform/file_ops.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <system_error>
#include <vector>


namespace velk {
namespace {

FileStepHook g_stepHook = nullptr;

std::string& Mark() {
  static std::string mark = "velk";
  return mark;
}

}  // namespace

bool WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

void SyncFolderOf(const std::filesystem::path& path) {
  std::filesystem::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

int CreateNewFile(int folder, const std::filesystem::path& name, const std::filesystem::path& shown) {
  if (FileStepFails("create", shown)) return -1;
  return ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

int CreateTemporaryBeside(const std::filesystem::path& target, std::string& name) {
  name = TemporaryNameTemplate(target);
  if (FileStepFails("create", name)) return -1;
  return ::mkostemp(name.data(), O_CLOEXEC);
}

int CreateTemporaryIn(int folder, const std::string& target, std::string& name, const std::filesystem::path& shown) {
  if (FileStepFails("create", shown / ("." + target + "." + ProgramMark() + "-XXXXXX"))) return -1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = "." + target + "." + ProgramMark() + "-" + RandomLetters(6);
    const int fd = ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

std::string RandomLetters(std::size_t count) {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::vector<unsigned char> random(count);
  size_t got = 0;
  while (got < count) {
    const ssize_t n = ::getrandom(random.data() + got, count - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  // Without the random source a name still differs from run to run.
  if (got < count) {
    static unsigned long long seed = 0;
    seed ^= static_cast<unsigned long long>(::getpid()) * 0x9E3779B97F4A7C15ull ^
            static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (unsigned char& r : random) r = static_cast<unsigned char>((seed = seed * 6364136223846793005ull + 1) >> 56);
  }
  std::string letters;
  for (unsigned char r : random) letters.push_back(kLetters[r % 62]);
  return letters;
}

int OpenFolderForUse(int place) {
  int folder = ::openat(place, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0 && errno == EACCES) folder = ::openat(place, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  return folder;
}

void CloseKeepingErrno(int fd) {
  if (fd < 0) return;
  const int err = errno;
  ::close(fd);
  errno = err;
}

std::string UserName(uid_t uid) {
  struct passwd pw {};
  struct passwd* found = nullptr;
  char buffer[4096];
  if (::getpwuid_r(uid, &pw, buffer, sizeof buffer, &found) == 0 && found && found->pw_name)
    return std::string(found->pw_name) + " (" + std::to_string(uid) + ")";
  return "number " + std::to_string(uid);
}

bool MayFollowLinkOf(uid_t owner) { return owner == ::geteuid() || owner == 0; }

std::string LinkRefusal(const std::filesystem::path& link, uid_t owner) {
  return "the symbolic link '" + link.string() + "' belongs to the user " + UserName(owner) + ", not to you";
}

bool FinishNewFile(int fd, mode_t mode, const std::filesystem::path& shown, struct stat* status) {
  int err = 0;
  if (::fchmod(fd, mode) != 0) err = errno;
  if (!err && (FileStepFails("fsync", shown) || ::fsync(fd) != 0)) err = errno;
  if (!err && status && ::fstat(fd, status) != 0) err = errno;
  if ((FileStepFails("close", shown) || ::close(fd) != 0) && !err) err = errno;
  errno = err;
  return err == 0;
}

bool WriteNewFile(int folder, const std::filesystem::path& name, std::string_view bytes, mode_t mode,
                  const std::filesystem::path& shown, struct stat* status) {
  const int fd = CreateNewFile(folder, name, shown);
  if (fd < 0) return false;
  bool ok = !FileStepFails("write", shown) && WriteAll(fd, bytes);
  if (!ok) {
    const int err = errno;
    ::close(fd);
    errno = err;
  }
  ok = ok && FinishNewFile(fd, mode, shown, status);
  if (!ok) {
    const int err = errno;
    RemoveAt(folder, name, shown);
    errno = err;
  }
  return ok;
}

bool RenameDurably(int fromFolder, const std::filesystem::path& from, int toFolder,
                   const std::filesystem::path& to, const std::filesystem::path& shown, bool noReplace) {
  if (FileStepFails("rename", shown)) return false;
  bool renamed = false;
  if (noReplace) {
    renamed = ::renameat2(fromFolder, from.c_str(), toFolder, to.c_str(), RENAME_NOREPLACE) == 0;
    // A file system that cannot refuse in the rename gets the plain one.
    if (!renamed && errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
  }
  if (!renamed && ::renameat(fromFolder, from.c_str(), toFolder, to.c_str()) != 0) return false;
  if (toFolder == AT_FDCWD) SyncFolderOf(to);
  else ::fsync(toFolder);
  return true;
}

RenameResult RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to, int folder) {
  auto sync = [&] {
    if (folder == AT_FDCWD) SyncFolderOf(to);
    else ::fsync(folder);
  };
  if (FileStepFails("rename", to)) return RenameResult::kFailed;
  if (::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0) {
    sync();
    return RenameResult::kRenamed;
  }
  if (errno == EEXIST) return RenameResult::kExists;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return RenameResult::kFailed;
  // The file system cannot rename without replacing: a second name made by
  // a hard link refuses an existing name just as well.
  if (!FileStepFails("link", to) && ::linkat(folder, from.c_str(), folder, to.c_str(), 0) == 0) {
    RemoveAt(folder, from, from);
    sync();
    return RenameResult::kRenamed;
  }
  if (errno == EEXIST) return RenameResult::kExists;
  // Neither: look first.
  struct stat st {};
  if (::fstatat(folder, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return RenameResult::kExists;
  return RenameDurably(folder, from, folder, to, to) ? RenameResult::kRenamed : RenameResult::kFailed;
}

namespace {

// The umask as the program last set it, for where /proc cannot be read.
// Reading it otherwise means setting another for a moment, and a file that
// another thread made in that moment would get every permission: so it is
// taken once, before main and the program's static initialisers, while no
// thread of the program runs yet, and SetUmask keeps it since.
std::atomic<mode_t> g_umask{022};

[[gnu::constructor(101)]] void TakeUmaskAtStart() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  g_umask = mask;
}

}  // namespace

mode_t SetUmask(mode_t mask) {
  const mode_t old = ::umask(mask);
  g_umask = mask & 0777;
  return old;
}

mode_t CurrentUmask() {
  // The kernel shows the umask in the process's status ("Umask:\t0022").
  const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    std::string status;
    char buffer[4096];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      status.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    const size_t at = status.find("\nUmask:");
    if (at != std::string::npos) {
      const size_t digits = status.find_first_of("01234567", at + 7);
      unsigned mask = 0;
      if (digits != std::string::npos &&
          std::from_chars(status.data() + digits, status.data() + status.size(), mask, 8).ec == std::errc())
        return static_cast<mode_t>(mask & 0777);
    }
  }
  // Without it (no /proc mounted): as the program last set it.
  return g_umask;
}

mode_t NewFileMode() { return 0666 & ~CurrentUmask(); }

int ReplaceRefusal(int folder, const std::filesystem::path& name, const struct stat& st) {
  if ((st.st_mode & 0222) == 0) return EACCES;
  return ::faccessat(folder, name.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

bool EntryExists(const std::filesystem::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool PathExists(const std::filesystem::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

bool RemoveFileEntry(const std::filesystem::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return false;
  if (FileStepFails("unlink", path)) return false;
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool RemoveAt(int folder, const std::filesystem::path& name, const std::filesystem::path& shown) {
  if (FileStepFails("unlink", shown)) return false;
  return ::unlinkat(folder, name.c_str(), 0) == 0 || errno == ENOENT;
}

bool RemoveOwnLeftover(int folder, const std::string& name, const std::filesystem::path& shown) {
  struct stat st {};
  return ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_uid == ::geteuid() &&
         (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) && RemoveAt(folder, name, shown);
}

FileIdentity IdentityOf(const struct stat& st) {
  return FileIdentity{static_cast<std::uint64_t>(st.st_ino), static_cast<std::int64_t>(st.st_size),
                      static_cast<std::int64_t>(st.st_mtim.tv_sec), static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
}

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return IdentityOf(st);
}

void SetProgramMark(std::string_view mark) { Mark() = std::string(mark); }

const std::string& ProgramMark() { return Mark(); }

std::string TemporaryNameTemplate(const std::filesystem::path& target) {
  std::filesystem::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  return (dir / ("." + target.filename().string() + "." + ProgramMark() + "-XXXXXX")).string();
}

std::optional<std::string_view> TemporaryTargetName(std::string_view name) {
  // mkstemp fills its six places with ASCII letters and digits.
  constexpr size_t kSuffix = 6;
  const std::string infix = "." + ProgramMark() + "-";
  if (name.size() < 1 + infix.size() + kSuffix + 1 || name.front() != '.') return std::nullopt;
  for (char c : name.substr(name.size() - kSuffix)) {
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return std::nullopt;
  }
  name.remove_suffix(kSuffix);
  if (!name.ends_with(infix)) return std::nullopt;
  name.remove_suffix(infix.size());
  name.remove_prefix(1);
  if (name.empty()) return std::nullopt;
  return name;
}

void SetFileStepHook(FileStepHook hook) { g_stepHook = hook; }

bool FileStepFails(std::string_view step, const std::filesystem::path& path) {
  if (!g_stepHook) return false;
  const int before = errno;
  errno = 0;
  if (!g_stepHook(step, path)) {
    errno = before;
    return false;
  }
  if (errno == 0) errno = EIO;
  return true;
}

}  // namespace velk
