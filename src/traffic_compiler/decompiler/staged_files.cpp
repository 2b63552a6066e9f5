#include "traffic_compiler/decompiler/staged_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>

namespace ulvane {
namespace {

namespace fs = std::filesystem;

// The journal: its head, then target, temporary file and old file (empty
// when there was none) of each staged file, then its end, every field
// closed by a NUL, which no path can hold. Paths are absolute, so that no
// field can be mistaken for the end.
constexpr std::string_view kJournalHead = "ulvane journal 1";
constexpr std::string_view kJournalEnd = "end";
constexpr std::string_view kOldSuffix = ".old";

struct JournalEntry {
  fs::path target;
  fs::path temp;
  fs::path backup;
};

fs::path Absolute(const fs::path& path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(path, ec);
  return ec ? path : absolute;
}

bool Exists(const fs::path& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// The entries of a journal written in full that names only files of
// `targets` with their own temporary and old files; false for anything else.
bool ReadJournal(std::string_view text, const std::vector<fs::path>& targets, std::vector<JournalEntry>& entries) {
  std::vector<std::string_view> fields;
  while (!text.empty()) {
    const std::size_t nul = text.find('\0');
    if (nul == std::string_view::npos) return false;
    fields.push_back(text.substr(0, nul));
    text.remove_prefix(nul + 1);
  }
  if (fields.size() < 2 || fields.front() != kJournalHead || fields.back() != kJournalEnd ||
      (fields.size() - 2) % 3 != 0)
    return false;
  for (std::size_t i = 1; i + 1 < fields.size(); i += 3) {
    JournalEntry e{fs::path(fields[i]), fs::path(fields[i + 1]), fs::path(fields[i + 2])};
    const bool known = std::find(targets.begin(), targets.end(), e.target) != targets.end();
    const bool own_temp = e.temp.parent_path() == e.target.parent_path() &&
                          traffic::IsTemporaryName(e.temp.filename().string(), e.target.filename().string());
    const bool own_backup = e.backup.empty() || e.backup == fs::path(e.temp.string() + std::string(kOldSuffix));
    if (!known || !own_temp || !own_backup) return false;
    entries.push_back(std::move(e));
  }
  return true;
}

// A temporary file that is gone was renamed over its target; the target
// gets its old file back, or goes again when there was none. An old file
// that is gone as well was put back already (or removed by hand): nothing
// is left to do for that target.
StagedFiles::Repair PutBack(const std::vector<JournalEntry>& entries) {
  bool any = false;
  bool ok = true;
  for (const JournalEntry& e : entries) {
    if (Exists(e.temp)) continue;
    if (e.backup.empty()) {
      any = true;
      ok = traffic::RemoveFileEntry(e.target) && ok;
    } else if (Exists(e.backup)) {
      any = true;
      ok = traffic::ReplaceFile(e.backup, e.target) && ok;
    }
  }
  if (!ok) return StagedFiles::Repair::kFailed;
  return any ? StagedFiles::Repair::kPutBack : StagedFiles::Repair::kNone;
}

}  // namespace

StagedFiles::~StagedFiles() {
  for (const Entry& e : staged_) {
    if (keep_for_next_run_) {
      e.file->Keep();
    } else if (!e.backup.empty()) {
      ::unlink(e.backup.c_str());
    }
  }
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
  const std::string backup = e.file->path().string() + std::string(kOldSuffix);
  // A second link costs nothing; a file system without links gets a copy,
  // with the file's permissions, as it may have to take the file's place.
  traffic::OutputFile copy;
  if (!traffic::LinkFile(e.target, backup)) {
    velk::FileBytes bytes;
    if (velk::ReadRegularFileBytes(e.target, bytes) != velk::RegularReadResult::kOk ||
        !copy.CreateExclusive(backup) || ::chmod(backup.c_str(), st.st_mode & 07777) != 0 ||
        !copy.WriteAndClose(bytes.view()))
      return false;
    copy.Keep();
  }
  e.backup = backup;
  return true;
}

bool StagedFiles::WriteJournal() {
  std::string text;
  auto field = [&text](std::string_view value) {
    text += value;
    text.push_back('\0');
  };
  field(kJournalHead);
  for (const Entry& e : staged_) {
    field(Absolute(e.target).string());
    field(Absolute(e.file->path()).string());
    field(e.backup.empty() ? std::string() : Absolute(e.backup).string());
  }
  field(kJournalEnd);
  traffic::OutputFile out;
  if (!traffic::RemoveFileEntry(journal_) || !out.CreateExclusive(journal_) || !out.WriteAndClose(text))
    return false;
  out.Keep();
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
  // rename failing half way can be undone, and the journal says where they
  // are, so that the next run can undo a run killed half way.
  for (Entry& e : staged_) {
    if (!KeepAside(e)) {
      failed = e.target;
      return false;
    }
  }
  if (!WriteJournal()) {
    failed = journal_;
    return false;
  }
  for (size_t i = 0; i < staged_.size(); ++i) {
    if (traffic::ReplaceFile(staged_[i].file->path(), staged_[i].target)) {
      staged_[i].file->Keep();
      continue;
    }
    failed = staged_[i].target;
    bool undone = true;
    for (size_t j = 0; j < i; ++j) {
      Entry& done = staged_[j];
      if (!done.backup.empty()) {
        if (traffic::ReplaceFile(done.backup, done.target)) done.backup.clear();
        else undone = false;
      } else if (!done.existed && !traffic::RemoveFileEntry(done.target)) {
        undone = false;
      }
    }
    // What could not be undone is left, with the journal, to the next run;
    // otherwise the destructor removes what is left over.
    if (undone) traffic::RemoveFileEntry(journal_);
    else keep_for_next_run_ = true;
    return false;
  }
  traffic::RemoveFileEntry(journal_);
  for (const Entry& e : staged_)
    if (!e.backup.empty()) ::unlink(e.backup.c_str());
  staged_.clear();
  return true;
}

StagedFiles::Recovery StagedFiles::Recover(const std::filesystem::path& journal,
                                           const std::vector<std::filesystem::path>& targets) {
  Recovery r;
  std::vector<fs::path> resolved;
  for (const fs::path& target : targets) resolved.push_back(Absolute(traffic::ResolveLinks(target)));
  if (Exists(journal)) {
    velk::FileBytes bytes;
    std::vector<JournalEntry> entries;
    if (velk::ReadRegularFileBytes(journal, bytes) == velk::RegularReadResult::kOk &&
        ReadJournal(bytes.view(), resolved, entries))
      r.repair = PutBack(entries);
    if (r.repair == Repair::kFailed) return r;
    traffic::RemoveFileEntry(journal);
  }
  for (const fs::path& target : resolved) r.removed += traffic::RemoveLeftoverTemporaries(target, kOldSuffix);
  return r;
}

}  // namespace ulvane
