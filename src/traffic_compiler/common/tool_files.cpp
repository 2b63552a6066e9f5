#include "traffic_compiler/common/tool_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/folder_list.h"
#include "platform/parallel.h"
#include "platform/sim_location.h"

namespace traffic {

namespace {

using velk::FileStepFails;
using velk::WriteAll;

// Starts writing what was just written at `offset` out to the disk, without
// waiting for it: the pages then go out while the program works on, and the
// flush at the end only waits for the last ones. A file system that cannot
// do this just leaves all of it to the flush.
void StartWriteBack(int fd, std::uint64_t offset, std::size_t length) {
  if (length == 0) return;  // which would mean the whole rest of the file
  ::sync_file_range(fd, static_cast<off_t>(offset), static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
}

}  // namespace

// Copies the rest of `in` into `out`, in blocks: a database can be far larger
// than is worth holding at once.
static bool CopyBlocks(int in, OutputFile& out) {
  std::string buffer(1 << 20, '\0');
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!out.Write(std::string_view(buffer.data(), static_cast<std::size_t>(n)))) return false;
  }
}

OutputFile::~OutputFile() { Reset(); }

void OutputFile::CloseQuietly() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void OutputFile::Reset() {
  CloseQuietly();
  if (!keep_ && !name_.empty()) ::unlinkat(folder_, name_.c_str(), 0);
  if (folder_ >= 0) ::close(folder_);
  folder_ = -1;
  name_.clear();
  path_.clear();
}

bool OutputFile::Begin(int fd, int folder, std::string name, fs::path shown, mode_t mode) {
  if (fd < 0) {
    const int err = errno;
    ::close(folder);
    errno = err;
    return false;
  }
  fd_ = fd;
  folder_ = folder;
  name_ = std::move(name);
  path_ = std::move(shown);
  mode_ = mode;
  ok_ = true;
  keep_ = false;
  end_ = 0;
  return true;
}

bool OutputFile::CreateExclusive(const fs::path& path, std::string* why) {
  WriteTarget place;
  if (!place.OpenName(path, why)) {
    Reset();
    return false;
  }
  return CreateExclusive(place);
}

bool OutputFile::CreateExclusive(const WriteTarget& place) {
  Reset();
  // The file keeps a descriptor of the folder of its own, for the rename
  // and for its removal.
  const int folder = ::fcntl(place.folder(), F_DUPFD_CLOEXEC, 0);
  if (folder < 0) return false;
  return Begin(velk::CreateNewFile(folder, place.name(), place.file()), folder, place.name(), place.file(),
               velk::NewFileMode());
}

bool OutputFile::CreateBeside(const WriteTarget& target, mode_t mode) {
  Reset();
  const int folder = ::fcntl(target.folder(), F_DUPFD_CLOEXEC, 0);
  if (folder < 0) return false;
  std::string name;
  const fs::path dir = target.file().parent_path();
  const int fd = velk::CreateTemporaryIn(folder, target.name(), name, dir);
  return Begin(fd, folder, name, dir / name, mode);
}

bool OutputFile::CreateBeside(const fs::path& target, const fs::path& permissions_of) {
  WriteTarget place;
  if (!place.Open(target)) {
    Reset();
    return false;
  }
  // A replaced file keeps its permissions; a new one gets the usual ones
  // rather than the private mode of a temporary file.
  struct stat st;
  const bool found = permissions_of.empty() ? place.Look(st) && S_ISREG(st.st_mode)
                                            : ::stat(permissions_of.c_str(), &st) == 0;
  return CreateBeside(place, found ? st.st_mode & 07777 : velk::NewFileMode());
}

bool OutputFile::Write(std::string_view bytes) {
  if (fd_ < 0 || !ok_) return false;
  if (FileStepFails("write", path_) || !WriteAll(fd_, bytes)) ok_ = false;
  if (ok_) StartWriteBack(fd_, end_, bytes.size());
  end_ += bytes.size();
  return ok_;
}

bool OutputFile::WriteAt(std::uint64_t offset, std::string_view bytes) const {
  if (fd_ < 0) return false;
  const std::uint64_t start = offset;
  const std::size_t length = bytes.size();
  while (!bytes.empty()) {
    const ssize_t n = ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
    offset += static_cast<std::uint64_t>(n);
  }
  StartWriteBack(fd_, start, length);
  return true;
}

bool OutputFile::Finish() {
  if (fd_ < 0) return false;
  if (!ok_) {
    CloseQuietly();
    return false;
  }
  ok_ = velk::FinishNewFile(fd_, mode_, path_);
  fd_ = -1;
  return ok_;
}

namespace {

// Opens the regular file `name` of the open `folder` for reading; a link
// there now was planted since the look and is no file.
int OpenRegularAt(int folder, const std::string& name, struct stat* status = nullptr) {
  velk::RegularReadResult why;
  velk::ReadLimits limits;
  limits.folder = folder;
  limits.followLinks = false;
  limits.status = status;
  return velk::OpenRegularFile(name, why, nullptr, limits);
}

// ReplaceFile for the finished file `from` of the open `folder`.
bool ReplaceFrom(int folder, const std::string& from, const WriteTarget& to) {
  if (velk::RenameDurably(folder, from, to.folder(), to.name(), to.file())) return true;
  if (errno != EXDEV) return false;
  // `to` lies on another file system (a link led there): a copy made whole
  // beside it takes its place, then `from` goes. The copy gets the mode a
  // rename would have given.
  struct stat st {};
  const int in = OpenRegularAt(folder, from, &st);
  if (in < 0) return false;
  OutputFile out;
  const bool ok = out.CreateBeside(to, st.st_mode & 07777) && CopyBlocks(in, out);
  ::close(in);
  if (!out.Finish() || !ok || !ReplaceFrom(out.folder(), out.name(), to)) return false;
  out.Keep();
  ::unlinkat(folder, from.c_str(), 0);
  return true;
}

}  // namespace

bool ReplaceFile(const OutputFile& from, const WriteTarget& to) { return ReplaceFrom(from.folder(), from.name(), to); }

bool ReplaceFile(const fs::path& from, const fs::path& to) {
  WriteTarget source, target;
  return source.OpenName(from) && target.Open(to) && ReplaceFrom(source.folder(), source.name(), target);
}

HeldFile::~HeldFile() {
  Release();
  if (closer_.joinable()) closer_.join();
}

void HeldFile::Hold(const WriteTarget& target) {
  Release();
  fd_ = OpenRegularAt(target.folder(), target.name());
}

void HeldFile::Release() {
  if (fd_ < 0) return;
  const int fd = fd_;
  fd_ = -1;
  if (closer_.joinable()) closer_.join();
  try {
    closer_ = std::thread([fd] { ::close(fd); });
  } catch (const std::system_error&) {
    ::close(fd);
  }
}

CopyResult CopyFileExclusive(const WriteTarget& from, const WriteTarget& to) {
  struct stat st {};
  if (to.Look(st)) return CopyResult::kTargetExists;
  const int in = OpenRegularAt(from.folder(), from.name(), &st);
  if (in < 0) return CopyResult::kFailed;
  OutputFile out;
  if (!out.CreateBeside(to, velk::CopyMode(st.st_mode))) {
    ::close(in);
    return CopyResult::kFailed;
  }
  const bool ok = CopyBlocks(in, out);
  ::close(in);
  if (!out.Finish() || !ok) return CopyResult::kFailed;
  switch (velk::RenameNoReplace(out.name(), to.name(), out.folder())) {
    case velk::RenameResult::kRenamed: out.Keep(); return CopyResult::kCopied;
    case velk::RenameResult::kExists: return CopyResult::kTargetExists;
    case velk::RenameResult::kFailed: break;
  }
  return CopyResult::kFailed;
}

CopyResult CopyFileExclusive(const fs::path& from, const fs::path& to) {
  WriteTarget source, target;
  if (!source.Open(from) || !target.Open(to)) return CopyResult::kFailed;
  return CopyFileExclusive(source, target);
}

fs::path FindFileNoCase(const fs::path& folder, const std::string& name, fs::path* unlisted) {
  return velk::ResolvePathNoCase(folder, name, unlisted);
}

fs::path LocateFlightSim(fs::path* unlisted) {
  // A configured folder that could not be looked up is not replaced by
  // another simulator found elsewhere.
  fs::path failed;
  std::string configured = velk::FlightSimFolder(&failed).string();
  if (!failed.empty()) {
    if (unlisted) *unlisted = failed;
    return {};
  }
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
  if (fs::exists(FindFileNoCase(parent, "SCENEDB", unlisted), ec)) return parent;
  return {};
}

fs::path TrafficSceneryFolder(const fs::path& sim_folder, fs::path* unlisted) {
  // Trees copied from Windows keep whatever case their installer used.
  return velk::ResolvePathNoCase(sim_folder, "SCENEDB\\ATC\\Scenery", unlisted);
}

}  // namespace traffic
