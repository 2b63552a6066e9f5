#include "platform/file_ops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
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

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                      static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec),
                      static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
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
  if (!g_stepHook || !g_stepHook(step, path)) return false;
  errno = EIO;
  return true;
}

}  // namespace velk
