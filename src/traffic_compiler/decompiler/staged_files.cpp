#include "traffic_compiler/decompiler/staged_files.h"

#include <sys/stat.h>
#include <unistd.h>

namespace ulvane {

StagedFiles::~StagedFiles() {
  for (const Entry& e : staged_)
    if (!e.backup.empty()) ::unlink(e.backup.c_str());
}

StagedFiles::Result StagedFiles::Create(const std::filesystem::path& target) {
  Entry entry;
  entry.target = traffic::ResolveLinks(target);
  // Anything there that is not a regular file is refused, a link that could
  // not be followed (a loop) included.
  struct stat st;
  if (::lstat(entry.target.c_str(), &st) == 0 &&
      (::stat(entry.target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)))
    return Result::kCannotCreate;
  if (traffic::IsWriteProtected(entry.target)) return Result::kCannotCreate;
  entry.file = std::make_unique<traffic::OutputFile>();
  // A fresh name beside the target, so the final rename stays on one file
  // system and never meets a stranger's file.
  if (!entry.file->CreateBeside(entry.target)) return Result::kCannotCreate;
  staged_.push_back(std::move(entry));
  return Result::kOk;
}

StagedFiles::Result StagedFiles::Write(std::string_view bytes) {
  if (staged_.empty() || staged_.back().written) return Result::kCannotWrite;
  if (!staged_.back().file->WriteAndClose(bytes)) return Result::kCannotWrite;
  staged_.back().written = true;
  return Result::kOk;
}

bool StagedFiles::KeepAside(Entry& e) {
  struct stat st;
  e.existed = ::lstat(e.target.c_str(), &st) == 0;
  if (!e.existed) return true;
  const std::string backup = e.file->path().string() + ".old";
  // A second link costs nothing; a file system without links gets a copy.
  traffic::OutputFile copy;
  if (!traffic::LinkFile(e.target, backup)) {
    velk::FileBytes bytes;
    if (velk::ReadRegularFileBytes(e.target, bytes) != velk::RegularReadResult::kOk ||
        !copy.CreateExclusive(backup) || !copy.WriteAndClose(bytes.view()))
      return false;
    copy.Keep();
  }
  e.backup = backup;
  return true;
}

bool StagedFiles::Commit(std::filesystem::path& failed) {
  for (const Entry& e : staged_) {
    if (!e.written) {  // nothing complete to put in place
      failed = e.target;
      return false;
    }
  }
  // The old files are kept aside before anything is replaced, so that a
  // rename failing half way can be undone.
  for (Entry& e : staged_) {
    if (!KeepAside(e)) {
      failed = e.target;
      return false;
    }
  }
  for (size_t i = 0; i < staged_.size(); ++i) {
    if (traffic::ReplaceFile(staged_[i].file->path(), staged_[i].target)) {
      staged_[i].file->Keep();
      continue;
    }
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
