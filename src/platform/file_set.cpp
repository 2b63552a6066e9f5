#include "platform/file_set.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <system_error>

#include "platform/file_ops.h"
#include "platform/text_file.h"

namespace velk {
namespace fs = std::filesystem;

namespace {

// The journal is a list of fields, each closed by a NUL, which no path can
// hold. Written when the run begins: the head, the writing program's mark,
// the run's name, the number of targets, each target relative to the
// journal's folder, and "staged". Added in one write once every new file
// is ready: "committed", then the identities of each target's old file,
// new file and kept old file ("-" for none), and "end".
constexpr std::string_view kHead = "velk file set 1";
constexpr std::string_view kStaged = "staged";
constexpr std::string_view kCommitted = "committed";
constexpr std::string_view kEnd = "end";
constexpr std::string_view kAside = ".aside";
constexpr size_t kRunLength = 8;
constexpr size_t kMaxTargets = 64;
// A journal names a handful of paths; anything much larger was not
// written by a run of ours and is not read.
constexpr off_t kMaxJournalBytes = 64 * 1024;

fs::path JournalPath(const fs::path& folder, std::string_view mark) {
  return folder / ("." + std::string(mark) + ".journal");
}

fs::path TemporaryPath(const fs::path& target, std::string_view mark, std::string_view run) {
  return target.parent_path() /
         ("." + target.filename().string() + "." + std::string(mark) + "-set-" + std::string(run));
}

fs::path KeptPath(const fs::path& temporary) { return temporary.string() + ".old"; }

fs::path Absolute(const fs::path& path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(path, ec);
  return (ec ? path : absolute).lexically_normal();
}

bool IsRunName(std::string_view run) {
  return run.size() == kRunLength && std::all_of(run.begin(), run.end(), [](char c) {
           return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
         });
}

// A fresh name for a run's files, from the system's random source.
std::string NewRunName() {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char random[kRunLength] = {};
  size_t got = 0;
  while (got < sizeof random) {
    const ssize_t n = ::getrandom(random + got, sizeof random - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  // Without the random source a name still differs from run to run.
  if (got < sizeof random) {
    unsigned long long seed = static_cast<unsigned long long>(::getpid()) * 0x9E3779B97F4A7C15ull ^
                              static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (unsigned char& r : random) r = static_cast<unsigned char>((seed = seed * 6364136223846793005ull + 1) >> 56);
  }
  std::string run;
  for (unsigned char r : random) run.push_back(kLetters[r % 62]);
  return run;
}

std::string IdentityText(const std::optional<FileIdentity>& id) {
  if (!id) return "-";
  return std::to_string(id->device) + "." + std::to_string(id->inode) + "." + std::to_string(id->size) + "." +
         std::to_string(id->mtimeSeconds) + "." + std::to_string(id->mtimeNanoseconds);
}

// Nothing for a malformed text; an empty identity for "-".
std::optional<std::optional<FileIdentity>> ParseIdentity(std::string_view text) {
  if (text == "-") return std::optional<FileIdentity>();
  FileIdentity id;
  auto number = [&text](auto& value) {
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || p == text.data()) return false;
    text.remove_prefix(static_cast<size_t>(p - text.data()));
    if (!text.empty() && text.front() == '.') text.remove_prefix(1);
    return true;
  };
  if (!number(id.device) || !number(id.inode) || !number(id.size) || !number(id.mtimeSeconds) ||
      !number(id.mtimeNanoseconds) || !text.empty())
    return std::nullopt;
  return std::optional<FileIdentity>(id);
}

// One target of a set, with the files of its run.
struct Entry {
  fs::path relative;  // as the journal names it
  fs::path target;
  fs::path temporary;
  fs::path kept;
  std::optional<FileIdentity> oldId, newId, keptId;
};

struct Journal {
  std::string mark;
  std::string run;
  std::vector<Entry> entries;
  bool committed = false;
};

std::string Fields(std::initializer_list<std::string_view> fields) {
  std::string text;
  for (std::string_view f : fields) {
    text += f;
    text.push_back('\0');
  }
  return text;
}

std::string StagedRecord(const Journal& j) {
  std::string text = Fields({kHead, j.mark, j.run, std::to_string(j.entries.size())});
  for (const Entry& e : j.entries) text += Fields({e.relative.string()});
  return text + Fields({kStaged});
}

std::string CommittedRecord(const Journal& j) {
  std::string text = Fields({kCommitted});
  for (const Entry& e : j.entries)
    text += Fields({IdentityText(e.oldId), IdentityText(e.newId), IdentityText(e.keptId)});
  return text + Fields({kEnd});
}

// Puts the run's files of `e` beside `target`.
void Place(Entry& e, const fs::path& target, const Journal& j) {
  e.target = target;
  e.temporary = TemporaryPath(target, j.mark, j.run);
  e.kept = KeptPath(e.temporary);
}

// A journal written by a run of `mark`, or why it is none.
std::optional<Journal> ParseJournal(std::string_view text, std::string_view mark, const fs::path& folder,
                                    std::string& why) {
  why = "it is not a journal of this tool set";
  std::vector<std::string_view> f;
  while (!text.empty()) {
    const size_t nul = text.find('\0');
    if (nul == std::string_view::npos) return std::nullopt;  // cut off
    f.push_back(text.substr(0, nul));
    text.remove_prefix(nul + 1);
  }
  if (f.size() < 5 || f[0] != kHead || f[1] != mark || !IsRunName(f[2])) return std::nullopt;
  size_t count = 0;
  auto [p, ec] = std::from_chars(f[3].data(), f[3].data() + f[3].size(), count);
  if (ec != std::errc() || p != f[3].data() + f[3].size() || count == 0 || count > kMaxTargets) return std::nullopt;
  const size_t staged = 4 + count;
  const size_t committed = staged + 1 + 1 + 3 * count + 1;
  if (!(f.size() == staged + 1 || f.size() == committed) || f[staged] != kStaged) return std::nullopt;
  Journal j{std::string(mark), std::string(f[2]), {}, f.size() == committed};
  for (size_t i = 0; i < count; ++i) {
    const fs::path relative(f[4 + i]);
    const std::string name = relative.filename().string();
    if (relative.empty() || relative.is_absolute() || relative != relative.lexically_normal() || name.empty() ||
        name == "." || name == "..")
      return std::nullopt;
    for (const Entry& e : j.entries) {
      if (e.relative == relative) {
        why = "it names a file twice";
        return std::nullopt;
      }
    }
    j.entries.push_back(Entry{relative, {}, {}, {}, {}, {}, {}});
  }
  if (j.committed) {
    if (f[staged + 1] != kCommitted || f.back() != kEnd) return std::nullopt;
    for (size_t i = 0; i < count; ++i) {
      Entry& e = j.entries[i];
      auto oldId = ParseIdentity(f[staged + 2 + 3 * i]);
      auto newId = ParseIdentity(f[staged + 3 + 3 * i]);
      auto keptId = ParseIdentity(f[staged + 4 + 3 * i]);
      if (!oldId || !newId || !keptId || !*newId || oldId->has_value() != keptId->has_value()) return std::nullopt;
      e.oldId = *oldId;
      e.newId = *newId;
      e.keptId = *keptId;
    }
  }
  for (Entry& e : j.entries) Place(e, folder / e.relative, j);
  return j;
}

// "A", "A and B", "A, B and C".
std::string NameList(const std::vector<std::string>& names) {
  std::string out;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += i + 1 == names.size() ? " and " : ", ";
    out += names[i];
  }
  return out;
}

std::string InFolder(const fs::path& relative, const fs::path& file) {
  return (relative.parent_path() / file.filename()).string();
}

// Renames `from` over `to` and makes it durable; false (errno set) when
// the system refuses.
bool RenameOver(const fs::path& from, const fs::path& to) {
  if (FileStepFails("rename", to) || std::rename(from.c_str(), to.c_str()) != 0) return false;
  SyncFolderOf(to);
  return true;
}

// Gives the target of `e` its old file back, or removes it when there was
// none; false (errno set) when the system refuses.
bool PutBack(const Entry& e) { return e.oldId ? RenameOver(e.kept, e.target) : RemoveFileEntry(e.target); }

// Where the names of a journal that cannot be carried through stand.
struct SetState {
  std::vector<std::string> targets, newer, older, kept, waiting;
};

SetState StateOf(const Journal& j) {
  SetState s;
  for (const Entry& e : j.entries) {
    s.targets.push_back(e.relative.string());
    (IdentityOf(e.target) == e.newId && e.newId ? s.newer : s.older).push_back(e.relative.string());
    if (e.keptId && IdentityOf(e.kept) == e.keptId) s.kept.push_back(InFolder(e.relative, e.kept));
    if (e.newId && IdentityOf(e.temporary) == e.newId) s.waiting.push_back(InFolder(e.relative, e.temporary));
  }
  return s;
}

std::string KeptClause(const SetState& s) {
  std::string out;
  if (!s.kept.empty()) out += "; the earlier files are kept as " + NameList(s.kept);
  if (!s.waiting.empty()) out += "; the new ones wait as " + NameList(s.waiting);
  return out;
}

std::string IsAre(const std::vector<std::string>& names, std::string_view what) {
  return NameList(names) + (names.size() == 1 ? " is " : " are ") + std::string(what);
}

std::string NewOldClause(const SetState& s) {
  std::string out;
  if (!s.newer.empty()) out += IsAre(s.newer, "new");
  if (!s.older.empty()) out += (out.empty() ? "" : ", ") + IsAre(s.older, "old");
  return out;
}

// Gives `journal` a name that no run reads again: ".aside", ".aside.2", ...
std::optional<fs::path> SetAside(const fs::path& journal) {
  for (int n = 1; n < 1000; ++n) {
    fs::path aside = journal.string() + std::string(kAside) + (n == 1 ? "" : "." + std::to_string(n));
    if (FileStepFails("rename", aside)) return std::nullopt;
    if (::renameat2(AT_FDCWD, journal.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) {
      SyncFolderOf(aside);
      return aside;
    }
    if (errno == EEXIST) continue;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return std::nullopt;
    // A file system that cannot refuse to replace: look first.
    if (EntryExists(aside)) continue;
    if (!RenameOver(journal, aside)) return std::nullopt;
    return aside;
  }
  errno = EEXIST;
  return std::nullopt;
}

struct JournalOutcome {
  std::string line;
  bool attention = false;
  bool unfinished = false;
};

// The journal cannot or must not be carried through: it is set aside with
// every file it names, and `line` says why.
JournalOutcome SetAsideWith(const fs::path& journal, const std::string& line) {
  JournalOutcome out{line, true, false};
  if (std::optional<fs::path> aside = SetAside(journal)) {
    out.line += "; the journal is kept as " + aside->filename().string() + ".";
  } else {
    out.line += "; the journal " + journal.filename().string() + " could not be set aside (" +
                std::strerror(errno) + ").";
    out.unfinished = true;
  }
  return out;
}

// Reads the journal at `path` without following a link and only up to the
// size a run of ours can have written; nothing, with `why`, otherwise.
std::optional<std::string> ReadJournal(const fs::path& path, std::string& why) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    why = fd < 0 && errno != ELOOP ? std::strerror(errno) : "it is not a regular file";
    if (fd >= 0) ::close(fd);
    return std::nullopt;
  }
  if (st.st_size > kMaxJournalBytes) {
    ::close(fd);
    why = "it is far larger than a journal";
    return std::nullopt;
  }
  std::string text(static_cast<size_t>(st.st_size), '\0');
  size_t used = 0;
  while (used < text.size()) {
    const ssize_t n = ::read(fd, text.data() + used, text.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    used += static_cast<size_t>(n);
  }
  ::close(fd);
  text.resize(used);
  return text;
}

// Carries one journal of a killed run of `mark` through (see file_set.h).
JournalOutcome RecoverJournal(const fs::path& folder, std::string_view mark) {
  const fs::path path = JournalPath(folder, mark);
  const std::string journalName = path.filename().string();
  if (!EntryExists(path)) return {};
  const std::string by = "an interrupted run of " + std::string(mark);
  std::string why;
  std::optional<std::string> text = ReadJournal(path, why);
  if (text && text->empty()) {
    // Killed between making the journal and writing it: nothing was begun.
    if (RemoveFileEntry(path)) return {"Removed the empty journal of " + by + "."};
    return {"Could not remove the empty journal " + journalName + " of " + by + ".", true, true};
  }
  std::optional<Journal> journal = text ? ParseJournal(*text, mark, folder, why) : std::nullopt;
  if (!journal)
    return SetAsideWith(path, "The journal " + journalName + " of an interrupted run could not be used (" + why +
                                  "): nothing was changed");
  Journal& j = *journal;
  const SetState before = StateOf(j);
  const std::string targets = NameList(before.targets);

  if (!j.committed) {
    // No target has been touched: only the run's own new files and second
    // names of old files go, and never a folder.
    bool removed = true;
    for (const Entry& e : j.entries) removed = RemoveFileEntry(e.temporary) && RemoveFileEntry(e.kept) && removed;
    if (removed && RemoveFileEntry(path))
      return {"Removed what " + by + " left; " + targets + (j.entries.size() == 1 ? " is" : " are") +
              " as before."};
    return {"Could not remove what " + by + " left beside " + targets + " (" + std::strerror(errno) + ").", true,
            true};
  }

  // Every file it would touch must be as the run left it.
  bool anyAsRecorded = false;
  std::vector<std::string> changed;
  for (const Entry& e : j.entries) {
    const std::optional<FileIdentity> target = IdentityOf(e.target);
    const bool absent = !EntryExists(e.target);
    const bool targetOk = (absent && !e.oldId) || (target && (target == e.oldId || target == e.newId ||
                                                              (e.keptId && target == e.keptId)));
    const bool temporaryOk = !EntryExists(e.temporary) || IdentityOf(e.temporary) == e.newId;
    const bool keptOk = !EntryExists(e.kept) || (e.keptId && IdentityOf(e.kept) == e.keptId);
    if (!targetOk || !temporaryOk || !keptOk) changed.push_back(e.relative.string());
    anyAsRecorded = anyAsRecorded || (target && (target == e.oldId || target == e.newId)) ||
                    (EntryExists(e.temporary) && temporaryOk) || (EntryExists(e.kept) && keptOk);
  }
  if (!anyAsRecorded)
    return SetAsideWith(path, "The journal " + journalName + " of an interrupted run could not be used (none of "
                                  "the files it names is as that run left it): nothing was changed");
  auto isNew = [](const Entry& e) { return IdentityOf(e.target) == e.newId; };
  auto isWaiting = [](const Entry& e) { return IdentityOf(e.temporary) == e.newId; };
  const bool forward = std::all_of(j.entries.begin(), j.entries.end(),
                                   [&](const Entry& e) { return isNew(e) || isWaiting(e); });
  // Putting back needs every old file that a new one replaced; one that is
  // gone was removed since, which is a change too.
  if (!forward) {
    for (const Entry& e : j.entries)
      if (isNew(e) && e.oldId && IdentityOf(e.kept) != e.keptId) changed.push_back(InFolder(e.relative, e.kept));
  }
  if (!changed.empty())
    return SetAsideWith(path, NameList(changed) + " changed after " + by + " had begun to replace " + targets +
                                  ": nothing was put back; check " + targets + KeptClause(before));

  auto failed = [&](const std::string& doing) {
    const std::string reason = std::strerror(errno);
    const SetState now = StateOf(j);
    return JournalOutcome{"Could not " + doing + " " + targets + " after " + by + " (" + reason + "): " +
                              NewOldClause(now) + KeptClause(now) + ".",
                          true, true};
  };
  size_t moved = 0;
  if (forward) {
    // Every new file is there: the run is finished as it was asked to.
    for (const Entry& e : j.entries) {
      if (isNew(e)) continue;
      if (!RenameOver(e.temporary, e.target)) return failed("finish replacing");
      ++moved;
    }
  } else {
    // Some new file is gone: every target gets its old file back.
    for (auto it = j.entries.rbegin(); it != j.entries.rend(); ++it) {
      const Entry& e = *it;
      if (!isNew(e)) continue;
      if (!PutBack(e)) return failed("put back the earlier");
      ++moved;
    }
  }
  bool clean = true;
  for (const Entry& e : j.entries) {
    if (IdentityOf(e.temporary) == e.newId) clean = RemoveFileEntry(e.temporary) && clean;
    if (e.keptId && IdentityOf(e.kept) == e.keptId) clean = RemoveFileEntry(e.kept) && clean;
  }
  if (!clean || !RemoveFileEntry(path)) return failed(forward ? "finish replacing" : "put back the earlier");
  SyncFolderOf(path);
  if (moved == 0)
    return {"Removed what " + by + " left; " + targets + (j.entries.size() == 1 ? " is" : " are") +
            (forward ? " new." : " as before.")};
  if (forward) return {"Finished replacing " + targets + ", which " + by + " had left half done."};
  return {"Put back the earlier " + targets + ", which " + by + " had left half replaced."};
}

}  // namespace

std::string SetRecovery::Text() const {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

SetRecovery SetFolder::Recover() {
  SetRecovery r;
  if (locked_ == FolderLock::Result::kBusy || locked_ == FolderLock::Result::kNoFolder) return r;
  for (std::string_view mark : kProgramMarks) {
    JournalOutcome out = RecoverJournal(folder_, mark);
    if (out.line.empty()) continue;
    r.lines.push_back(std::move(out.line));
    r.attention = r.attention || out.attention;
    r.unfinished = r.unfinished || out.unfinished;
  }
  return r;
}

namespace {

// A run's journal while it replaces a set: removed again, with every file
// the run made, unless the run ends otherwise.
class Run {
 public:
  Run(Journal journal, fs::path path) : j_(std::move(journal)), path_(std::move(path)) {}
  ~Run() {
    if (fd_ >= 0) ::close(fd_);
    if (!keep_) Discard();
  }
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  Journal& journal() { return j_; }
  const fs::path& path() const { return path_; }

  // Makes the journal with the names of the run's files; false (errno set)
  // when it cannot, or when one is there already.
  bool Begin() {
    if (FileStepFails("create", path_)) return false;
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd_ < 0) return false;
    begun_ = true;
    return Append(StagedRecord(j_)) && (SyncFolderOf(path_), true);
  }
  bool Commit() { return Append(CommittedRecord(j_)); }
  // Removes the journal; false when it or a kept old file stays.
  bool End() {
    bool clean = true;
    for (const Entry& e : j_.entries)
      if (e.keptId) clean = RemoveFileEntry(e.kept) && clean;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    clean = clean && RemoveFileEntry(path_);
    SyncFolderOf(path_);
    keep_ = true;
    return clean;
  }
  // The journal and the files it names stay for the next run.
  void Keep() { keep_ = true; }

 private:
  bool Append(std::string_view record) {
    return !FileStepFails("write", path_) && WriteAll(fd_, record) && !FileStepFails("fsync", path_) &&
           ::fsync(fd_) == 0;
  }
  void Discard() {
    bool clean = true;
    for (const Entry& e : j_.entries) {
      // Only what this run made: newId once its new file is whole.
      if (e.newId) clean = RemoveFileEntry(e.temporary) && clean;
      if (e.keptId) clean = RemoveFileEntry(e.kept) && clean;
    }
    if (begun_ && clean) RemoveFileEntry(path_);
  }

  Journal j_;
  fs::path path_;
  int fd_ = -1;
  bool begun_ = false;
  bool keep_ = false;
};

bool Fail(SetFailure& failure, SetFailure::Step step, const fs::path& file, int err) {
  failure.step = step;
  failure.file = file;
  failure.reason = std::strerror(err);
  return false;
}

// Writes `bytes` as the new file `path`, which must not exist yet, with
// `mode`, and flushes it.
bool WriteNewFile(const fs::path& path, std::string_view bytes, mode_t mode, SetFailure& failure,
                  const fs::path& given) {
  if (FileStepFails("create", path)) return Fail(failure, SetFailure::Step::kCreate, given, errno);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return Fail(failure, SetFailure::Step::kCreate, given, errno);
  int err = 0;
  if (FileStepFails("write", path) || !WriteAll(fd, bytes) || ::fchmod(fd, mode) != 0) err = errno;
  if (!err && (FileStepFails("fsync", path) || ::fsync(fd) != 0)) err = errno;
  if ((FileStepFails("close", path) || ::close(fd) != 0) && !err) err = errno;
  if (!err) return true;
  ::unlink(path.c_str());
  return Fail(failure, SetFailure::Step::kWrite, given, err);
}

// Gives the old file `target` the second name `kept`: a hard link, or on a
// file system without them a copy with the file's permissions.
bool KeepOldFile(const fs::path& target, const fs::path& kept) {
  if (!FileStepFails("link", kept) && ::link(target.c_str(), kept.c_str()) == 0) return true;
  if (errno == EEXIST) return false;
  std::optional<std::string> bytes = ReadFileBytes(target);
  struct stat st {};
  if (!bytes || ::stat(target.c_str(), &st) != 0) return false;
  SetFailure unused;
  return WriteNewFile(kept, *bytes, st.st_mode & 07777, unused, kept);
}

}  // namespace

bool SetFolder::Replace(const FileSet& files, SetFailure& failure) {
  failure = SetFailure{};
  if (locked_ == FolderLock::Result::kBusy) {
    failure.step = SetFailure::Step::kBusy;
    failure.file = folder_;
    failure.reason = "another run is writing into this folder";
    return false;
  }
  // Each target where a write to it lands, checked before anything is made.
  struct Planned {
    fs::path given;
    fs::path target;
    const std::string* bytes;
    mode_t mode;
  };
  std::vector<Planned> planned;
  for (const auto& [path, bytes] : files) {
    std::string why;
    std::optional<fs::path> resolved = ResolveWriteTarget(path, &why);
    if (!resolved) {
      failure = SetFailure{SetFailure::Step::kRefused, path, why, {}};
      return false;
    }
    const fs::path target = Absolute(*resolved);
    mode_t mode = NewFileMode();
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0) {
      // A link left after resolving loops; anything else but a regular
      // file is no file to replace, nor is one marked read-only.
      if (::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return Fail(failure, SetFailure::Step::kRefused, path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
      if (!MayRewrite(target)) return Fail(failure, SetFailure::Step::kRefused, path, EACCES);
      mode = st.st_mode & 07777;
    }
    std::erase_if(planned, [&](const Planned& p) { return p.target == target; });
    planned.push_back(Planned{path, target, &bytes, mode});
  }
  if (planned.empty()) return true;

  Journal j{ProgramMark(), NewRunName(), {}, false};
  const fs::path base = Absolute(folder_.empty() ? fs::path(".") : folder_);
  // The run writes where the links led, which is where the journal leads
  // unless a folder on the way is a link itself; then a later run finds
  // the files changed and touches nothing.
  for (const Planned& p : planned) {
    j.entries.push_back(Entry{p.target.lexically_relative(base), {}, {}, {}, {}, {}, {}});
    Place(j.entries.back(), p.target, j);
  }
  // No new set goes into a folder whose last one is not carried through.
  for (std::string_view mark : kProgramMarks) {
    if (EntryExists(JournalPath(base, mark)))
      return Fail(failure, SetFailure::Step::kUnfinished, JournalPath(base, mark), EEXIST);
  }
  Run run(std::move(j), JournalPath(base, ProgramMark()));
  std::vector<Entry>& entries = run.journal().entries;
  if (!run.Begin()) {
    const int err = errno;
    return Fail(failure, err == EEXIST ? SetFailure::Step::kUnfinished : SetFailure::Step::kCreate, run.path(), err);
  }
  // Every new file is whole before anything is replaced.
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!WriteNewFile(entries[i].temporary, *planned[i].bytes, planned[i].mode, failure, planned[i].given))
      return false;
    entries[i].newId = IdentityOf(entries[i].temporary);
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    Entry& e = entries[i];
    e.oldId = IdentityOf(e.target);
    if (!e.oldId) continue;
    if (!KeepOldFile(e.target, e.kept)) return Fail(failure, SetFailure::Step::kCreate, planned[i].given, errno);
    e.keptId = IdentityOf(e.kept);
  }
  if (!run.Commit()) return Fail(failure, SetFailure::Step::kCreate, run.path(), errno);

  for (size_t k = 0; k < entries.size(); ++k) {
    if (RenameOver(entries[k].temporary, entries[k].target)) continue;
    Fail(failure, SetFailure::Step::kReplace, planned[k].given, errno);
    // The targets replaced so far get their old files back, the last first.
    bool back = true;
    for (size_t i = k; i-- > 0;) back = PutBack(entries[i]) && back;
    // The targets not reached are old, and need neither their new files nor
    // second names of their old ones.
    for (size_t i = k; i < entries.size(); ++i) {
      back = RemoveFileEntry(entries[i].temporary) && back;
      if (entries[i].keptId) back = RemoveFileEntry(entries[i].kept) && back;
    }
    if (back && run.End()) return false;
    // What is left is the next run's to carry through.
    run.Keep();
    const SetState now = StateOf(run.journal());
    if (!now.newer.empty())
      failure.mixed = "Could not put the earlier files back: " + NewOldClause(now) + KeptClause(now) + ".";
    return false;
  }
  // A journal that cannot be removed is finished by the next run.
  run.End();
  return true;
}

bool WriteFilesAtomic(const FileSet& files, SetFailure* failure, SetRecovery* recovered) {
  SetFailure unused;
  SetFailure& f = failure ? *failure : unused;
  if (files.empty()) return true;
  fs::path folder = files.front().first.parent_path();
  SetFolder set(folder.empty() ? fs::path(".") : folder);
  set.LockWithin(kSetLockWait);
  SetRecovery r = set.Recover();
  if (recovered) *recovered = r;
  return set.Replace(files, f);
}

SetRecovery RecoverFolder(const fs::path& folder) {
  SetFolder set(folder.empty() ? fs::path(".") : folder);
  set.LockWithin(kSetLockWait);
  return set.Recover();
}

}  // namespace velk
