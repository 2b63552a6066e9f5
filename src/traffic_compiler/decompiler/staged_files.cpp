#include "traffic_compiler/decompiler/staged_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace ulvane {

StagedFiles::~StagedFiles() {
  for (const Entry& e : staged_) ::unlink(e.temporary.c_str());
}

StagedFiles::Result StagedFiles::Stage(const std::filesystem::path& target, std::string_view bytes) {
  std::filesystem::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  std::string name = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(name.data());
  if (fd < 0) return Result::kCannotCreate;

  bool ok = true;
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (ok && left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno != EINTR) ok = false;
    } else {
      p += n;
      left -= static_cast<std::size_t>(n);
    }
  }
  // A replaced file keeps its permissions; a new one gets the usual ones
  // rather than the private mode of the temporary file.
  struct stat st;
  if (::stat(target.c_str(), &st) == 0) {
    ::fchmod(fd, st.st_mode & 07777);
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (!ok) {
    ::unlink(name.c_str());
    return Result::kCannotWrite;
  }
  staged_.push_back({target, std::move(name)});
  return Result::kOk;
}

bool StagedFiles::Commit(std::filesystem::path& failed) {
  while (!staged_.empty()) {
    Entry& e = staged_.front();
    if (std::rename(e.temporary.c_str(), e.target.c_str()) != 0) {
      failed = e.target;
      return false;  // the destructor removes this and the later temporaries
    }
    staged_.erase(staged_.begin());
  }
  return true;
}

}  // namespace ulvane
