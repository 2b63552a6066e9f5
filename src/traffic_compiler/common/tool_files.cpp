#include "traffic_compiler/common/tool_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/sim_location.h"
#include "platform/text_file.h"

namespace traffic {

std::optional<std::string> ReadWholeFile(const fs::path& path) { return velk::ReadFileBytes(path); }

namespace {

bool WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool OutputFile::Create(const fs::path& path) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return fd_ >= 0;
}

bool OutputFile::WriteAndClose(std::string_view bytes) {
  if (fd_ < 0) return false;
  bool ok = WriteAll(fd_, bytes);
  if (ok && ::fsync(fd_) != 0) ok = false;
  if (::close(fd_) != 0) ok = false;
  fd_ = -1;
  return ok;
}

WriteResult WriteFileChecked(const fs::path& path, std::string_view bytes) {
  OutputFile file;
  if (!file.Create(path)) return WriteResult::kOpenFailed;
  return file.WriteAndClose(bytes) ? WriteResult::kOk : WriteResult::kWriteFailed;
}

bool ReplaceFile(const fs::path& from, const fs::path& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

CopyResult CreateFileExclusive(const fs::path& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST ? CopyResult::kTargetExists : CopyResult::kFailed;
  bool ok = WriteAll(fd, bytes);
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (!ok) {
    ::unlink(path.c_str());
    return CopyResult::kFailed;
  }
  return CopyResult::kCopied;
}

CopyResult CopyFileExclusive(const fs::path& from, const fs::path& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return CopyResult::kFailed;
  const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    const int error = errno;
    ::close(in);
    return error == EEXIST ? CopyResult::kTargetExists : CopyResult::kFailed;
  }
  // Copied in blocks: a database can be far larger than is worth holding.
  std::string buffer(1 << 20, '\0');
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    if (!WriteAll(fd, std::string_view(buffer.data(), static_cast<std::size_t>(n)))) {
      ok = false;
      break;
    }
  }
  ::close(in);
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (!ok) {
    ::unlink(to.c_str());
    return CopyResult::kFailed;
  }
  return CopyResult::kCopied;
}

fs::path FindFileNoCase(const fs::path& folder, const std::string& name) {
  return velk::ResolvePathNoCase(folder, name);
}

fs::path LocateFlightSim() {
  std::string configured = velk::FlightSimFolder().string();
  while (!configured.empty() &&
         (configured.back() == ' ' || configured.back() == '\\' || configured.back() == '/'))
    configured.pop_back();
  // No value at all: the simulator's usual install folder in the prefix.
  if (configured.empty())
    configured = velk::TranslateWindowsPath("c:\\Program Files\\Microsoft Games\\FS2002").string();
  std::error_code ec;
  if (!configured.empty() && fs::exists(configured, ec)) return fs::path(configured);
  // A tool run by hand from a folder inside the simulator.
  const fs::path cwd = fs::current_path(ec);
  if (ec) return {};
  const fs::path parent = cwd / "..";
  if (fs::exists(FindFileNoCase(parent, "SCENEDB"), ec)) return parent;
  return {};
}

fs::path TrafficSceneryFolder(const fs::path& sim_folder) {
  // Trees copied from Windows keep whatever case their installer used.
  return velk::ResolvePathNoCase(sim_folder, "SCENEDB\\ATC\\Scenery");
}

}  // namespace traffic
