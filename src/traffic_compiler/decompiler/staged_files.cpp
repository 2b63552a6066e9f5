#include "traffic_compiler/decompiler/staged_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace ulvane {

StagedFiles::~StagedFiles() {
  for (const Entry& e : staged_) {
    if (e.fd >= 0) ::close(e.fd);
    ::unlink(e.temporary.c_str());
    if (!e.backup.empty()) ::unlink(e.backup.c_str());
  }
}

StagedFiles::Result StagedFiles::Create(const std::filesystem::path& target) {
  std::filesystem::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  std::string name = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(name.data());
  if (fd < 0) return Result::kCannotCreate;
  Entry entry;
  entry.target = target;
  entry.temporary = std::move(name);
  entry.fd = fd;
  staged_.push_back(std::move(entry));
  return Result::kOk;
}

StagedFiles::Result StagedFiles::Write(std::string_view bytes) {
  if (staged_.empty() || staged_.back().fd < 0) return Result::kCannotWrite;
  Entry& e = staged_.back();
  bool ok = true;
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (ok && left > 0) {
    ssize_t n = ::write(e.fd, p, left);
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
  if (::stat(e.target.c_str(), &st) == 0) {
    ::fchmod(e.fd, st.st_mode & 07777);
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(e.fd, 0666 & ~mask);
  }
  if (ok && ::fsync(e.fd) != 0) ok = false;
  if (::close(e.fd) != 0) ok = false;
  e.fd = -1;
  return ok ? Result::kOk : Result::kCannotWrite;
}

bool StagedFiles::Commit(std::filesystem::path& failed) {
  for (const Entry& e : staged_) {
    if (e.fd >= 0) {  // created but never written: nothing complete to put in place
      failed = e.target;
      return false;
    }
  }
  // Keep a second name for each old file, so that a rename failing half way
  // can be undone; a file system without hard links just loses that undo.
  for (Entry& e : staged_) {
    struct stat st;
    e.existed = ::lstat(e.target.c_str(), &st) == 0;
    std::string backup = e.temporary + ".old";
    if (e.existed && ::link(e.target.c_str(), backup.c_str()) == 0) e.backup = std::move(backup);
  }
  for (size_t i = 0; i < staged_.size(); ++i) {
    if (std::rename(staged_[i].temporary.c_str(), staged_[i].target.c_str()) == 0) continue;
    failed = staged_[i].target;
    for (size_t j = 0; j < i; ++j) {
      Entry& done = staged_[j];
      if (!done.backup.empty()) {
        if (std::rename(done.backup.c_str(), done.target.c_str()) == 0) done.backup.clear();
      } else if (!done.existed) {
        ::unlink(done.target.c_str());
      }
    }
    return false;  // the destructor removes what is left over
  }
  for (const Entry& e : staged_)
    if (!e.backup.empty()) ::unlink(e.backup.c_str());
  staged_.clear();
  return true;
}

}  // namespace ulvane
