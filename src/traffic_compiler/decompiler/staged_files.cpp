#include "traffic_compiler/decompiler/staged_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace ulvane {

StagedFiles::~StagedFiles() {
  for (const Entry& e : staged_) {
    ::unlink(e.temporary.c_str());
    if (!e.backup.empty()) ::unlink(e.backup.c_str());
  }
}

StagedFiles::Result StagedFiles::Create(const std::filesystem::path& target) {
  std::filesystem::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  // A fresh name beside the target, so the final rename stays on one file
  // system and never meets a stranger's file.
  std::string name = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(name.data());
  if (fd < 0) return Result::kCannotCreate;
  // A replaced file keeps its permissions; a new one gets the usual ones
  // rather than the private mode of a temporary file.
  struct stat st;
  if (::stat(target.c_str(), &st) == 0) {
    ::fchmod(fd, st.st_mode & 07777);
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  ::close(fd);
  Entry entry;
  entry.target = target;
  entry.temporary = std::move(name);
  staged_.push_back(std::move(entry));
  if (!current_.Create(staged_.back().temporary)) return Result::kCannotCreate;
  return Result::kOk;
}

StagedFiles::Result StagedFiles::Write(std::string_view bytes) {
  if (staged_.empty() || staged_.back().written) return Result::kCannotWrite;
  if (!current_.WriteAndClose(bytes)) return Result::kCannotWrite;
  staged_.back().written = true;
  return Result::kOk;
}

bool StagedFiles::Commit(std::filesystem::path& failed) {
  for (const Entry& e : staged_) {
    if (!e.written) {  // nothing complete to put in place
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
    if (traffic::ReplaceFile(staged_[i].temporary, staged_[i].target)) continue;
    failed = staged_[i].target;
    for (size_t j = 0; j < i; ++j) {
      Entry& done = staged_[j];
      if (!done.backup.empty()) {
        if (traffic::ReplaceFile(done.backup, done.target)) done.backup.clear();
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
