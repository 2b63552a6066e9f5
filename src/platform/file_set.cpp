#include "platform/file_set.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/file_set_journal.h"
#include "platform/text_file.h"

namespace velk {

using namespace set_journal;

namespace {

KnownFile Known(const fs::path& file, const struct stat* st) {
  KnownFile known{file, std::nullopt};
  if (st && S_ISREG(st->st_mode)) {
    known.identity = IdentityOf(*st);
    known.changedSeconds = st->st_ctim.tv_sec;
    known.changedNanoseconds = st->st_ctim.tv_nsec;
  }
  return known;
}

}  // namespace

KnownFile KnowFile(const fs::path& path) {
  WriteTarget place;
  if (!place.Open(path)) return Known(Absolute(path), nullptr);
  // Known by the very file whose bytes were read; one that cannot be read
  // keeps no fingerprint, and any later change of its status then counts as
  // a change.
  struct stat st {};
  FileBytes bytes;
  if (ReadRegularFileBytes(place.name(), bytes, ReadLimits{place.folder(), false, SIZE_MAX, &st}) ==
      RegularReadResult::kOk) {
    KnownFile known = Known(place.file(), &st);
    known.fingerprint = TextFingerprint(bytes.view());
    return known;
  }
  return Known(place.file(), place.Look(st) ? &st : nullptr);
}

bool StillAsKnown(const KnownFile& known, const KnownFile& now, const std::function<std::optional<std::uint64_t>()>& bytes) {
  if (known.identity != now.identity) return false;
  if (!now.identity) return true;
  if (known.changedSeconds == now.changedSeconds && known.changedNanoseconds == now.changedNanoseconds) return true;
  // Only the status changed, as a second name or a mode set and set back
  // change it; an edit that kept the size and put the time back changed
  // the bytes.
  const std::optional<std::uint64_t> fingerprint = bytes();
  return fingerprint && *fingerprint == known.fingerprint;
}

void MakeCopy(const fs::path& from, const fs::path& to, std::vector<std::string>* notMade) {
  std::error_code ec;
  std::string why;
  if (fs::is_regular_file(from, ec) && !CopyFileOnce(from, to, &why) && notMade)
    notMade->push_back("The backup copy '" + to.native() + "' was not made (" + why + ").");
}

void Remember(std::vector<KnownFile>& files, KnownFile known) {
  std::erase_if(files, [&](const KnownFile& k) { return k.file == known.file; });
  files.push_back(std::move(known));
}

std::string SetFailureText(const SetFailure& failure) {
  const std::string file = failure.file.native();
  const std::string because = " (" + failure.reason + ").";
  std::string text;
  switch (failure.step) {
    case SetFailure::Step::kNone:
    case SetFailure::Step::kDeclined: return {};
    case SetFailure::Step::kBusy:
      return "Another program is writing into the folder '" + file + "'. Try again when it has finished.";
    case SetFailure::Step::kUnfinished:
      return "An interrupted replacement of files in the folder '" + file + "' could not be carried through.";
    case SetFailure::Step::kOvertaken:
      return "Another program took this replacement of files in the folder '" + file + "' for an interrupted one "
             "and carried it through while it was under way: check the files there.";
    case SetFailure::Step::kNoFolder: text = "Could not open the folder '" + file + "'" + because; break;
    case SetFailure::Step::kRefused: text = "'" + file + "' may not be replaced" + because; break;
    case SetFailure::Step::kCreate: text = "Could not make a new file beside '" + file + "'" + because; break;
    case SetFailure::Step::kWrite: text = "Could not write '" + file + "'" + because; break;
    case SetFailure::Step::kReplace: text = "Could not replace '" + file + "'" + because; break;
  }
  return failure.mixed.empty() ? text : text + "\n" + failure.mixed;
}

// ---- The folder of a set -------------------------------------------------------

SetFolder::SetFolder(fs::path folder, std::vector<fs::path> files, std::vector<fs::path> others)
    : folder_(folder.empty() ? fs::path(".") : std::move(folder)), files_(std::move(files)), others_(std::move(others)) {}

SetFolder::~SetFolder() {
  if (fd_ >= 0) ::close(fd_);
}

namespace {

// The device and inode of the open folder `dir`; nothing when it cannot be
// looked at.
std::optional<FolderLock::Key> FolderKey(int dir) {
  struct stat st {};
  if (::fstat(dir, &st) != 0) return std::nullopt;
  return FolderLock::Key{st.st_dev, st.st_ino};
}

}  // namespace

// A folder to lock, open until it goes.
struct SetFolder::ToLock {
  int fd;
  fs::path shown;
  FolderLock::Key key;

  ToLock(int f, fs::path s, FolderLock::Key k) : fd(f), shown(std::move(s)), key(k) {}
  ToLock(ToLock&& o) noexcept : fd(std::exchange(o.fd, -1)), shown(std::move(o.shown)), key(o.key) {}
  ToLock& operator=(ToLock&& o) noexcept {
    std::swap(fd, o.fd);
    std::swap(shown, o.shown);
    std::swap(key, o.key);
    return *this;
  }
  ~ToLock() {
    if (fd >= 0) ::close(fd);
  }
};

bool SetFolder::Holds(const FolderLock::Key& key) const {
  return std::any_of(locks_.begin(), locks_.end(), [&](const auto& l) { return l->key() == key; });
}

bool SetFolder::HoldsLockOf(const fs::path& dir) const {
  // The folder reached as LockAll reaches the others.
  const int fd = OpenFolderToRead(dir);
  const std::optional<FolderLock::Key> key = fd < 0 ? std::nullopt : FolderKey(fd);
  CloseKeepingErrno(fd);
  return key && Holds(*key);
}

FolderLock::Result SetFolder::LockAll(const std::function<void()>& waiting,
                                      std::optional<std::chrono::milliseconds> limit) {
  locks_.clear();
  lockless_ = ownLock_ = false;
  if (!OpenOwnFolder()) return locked_ = FolderLock::Result::kNoFolder;
  const std::vector<ToLock> dirs = FoldersToLock();
  return locked_ = Settle(TakeLocks(dirs, waiting, limit));
}

bool SetFolder::OpenOwnFolder() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  openError_ = 0;
  refusal_.clear();
  reached_.clear();
  // The set's folder is opened once, as a read reaches it, and everything
  // is done through that descriptor: its lock, the recovery, the
  // replacement. A link of another user's on the way may be read through,
  // but nothing is written through it. A folder that cannot be opened or
  // looked at is no verdict on what lies in it: the recovery says so and
  // tries again next time.
  if (!FileStepFails("open", folder_)) fd_ = OpenFolderToRead(folder_, &reached_, &refusal_);
  if (fd_ >= 0 && (FileStepFails("stat", folder_) || ::fstat(fd_, &stat_) != 0)) {
    const int err = errno;
    ::close(fd_);
    fd_ = -1;
    errno = err;
  }
  if (fd_ < 0) openError_ = errno;
  return fd_ >= 0;
}

std::vector<SetFolder::ToLock> SetFolder::FoldersToLock() const {
  // The set's folder, those its files' links lead to and the others, each
  // once, in the order of their device and inode, which every run takes
  // alike.
  std::vector<ToLock> dirs;
  auto add = [&](int fd, const fs::path& shown) {
    if (fd < 0) return;
    const std::optional<FolderLock::Key> key = FolderKey(fd);
    if (key && std::none_of(dirs.begin(), dirs.end(), [&](const ToLock& d) { return d.key == *key; })) {
      dirs.emplace_back(fd, shown, *key);
    } else {
      ::close(fd);
    }
  };
  add(::fcntl(fd_, F_DUPFD_CLOEXEC, 0), reached_);
  for (const fs::path& file : files_) {
    WriteTarget place;
    const bool here = Absolute(file.parent_path()) == Absolute(folder_);
    if (here ? place.OpenIn(fd_, reached_, file.filename().native(), true) : place.Open(file))
      add(::fcntl(place.folder(), F_DUPFD_CLOEXEC, 0), place.file().parent_path());
  }
  // Another user's link on the way leaves only the turns to take: what is
  // written there refuses it by itself.
  for (const fs::path& dir : others_) add(OpenFolderToRead(dir), dir);
  std::sort(dirs.begin(), dirs.end(), [](const ToLock& a, const ToLock& b) { return a.key < b.key; });
  return dirs;
}

FolderLock::Result SetFolder::TakeLocks(const std::vector<ToLock>& dirs, const std::function<void()>& waiting,
                                        std::optional<std::chrono::milliseconds> limit) {
  const auto until = std::chrono::steady_clock::now() + limit.value_or(std::chrono::milliseconds(0));
  bool told = false;
  for (const ToLock& dir : dirs) {
    auto lock = std::make_unique<FolderLock>();
    FolderLock::Result r;
    if (limit) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
      r = lock->LockWithin(dir.fd, dir.shown, std::max(std::chrono::milliseconds(0), left));
    } else {
      r = lock->Lock(dir.fd, dir.shown, [&] {
        if (!told && waiting) waiting();
        told = true;
      });
    }
    if (r == FolderLock::Result::kBusy) return r;
    // The set's own folder that cannot be opened to be locked (one the user
    // may write into but not list) is no sign of another run: say why.
    if (r == FolderLock::Result::kNoFolder && dir.key == FolderLock::Key{stat_.st_dev, stat_.st_ino}) {
      openError_ = errno;
      return r;
    }
    if (r == FolderLock::Result::kUnsupported) lockless_ = true;
    if (r == FolderLock::Result::kLocked) locks_.push_back(std::move(lock));
  }
  return FolderLock::Result::kLocked;
}

FolderLock::Result SetFolder::Settle(FolderLock::Result taken) {
  if (taken == FolderLock::Result::kNoFolder) {
    locks_.clear();
    ::close(fd_);
    fd_ = -1;
    return taken;
  }
  ownLock_ = Holds({stat_.st_dev, stat_.st_ino});
  // Where the set's own folder gives locks, only its lock keeps other runs
  // out.
  if (taken == FolderLock::Result::kBusy || (!lockless_ && !ownLock_)) {
    locks_.clear();
    return FolderLock::Result::kBusy;
  }
  return lockless_ ? FolderLock::Result::kUnsupported : FolderLock::Result::kLocked;
}

bool SetFolder::AlsoLock(int dir, const fs::path& shown) {
  const std::optional<FolderLock::Key> key = FolderKey(dir);
  if (!key) return true;  // what is done there fails and says so
  if (Holds(*key)) return true;
  auto lock = std::make_unique<FolderLock>();
  switch (lock->LockWithin(dir, shown, kSetLockWait)) {
    case FolderLock::Result::kBusy: return false;
    case FolderLock::Result::kUnsupported: lockless_ = true; return true;
    case FolderLock::Result::kNoFolder: return true;
    case FolderLock::Result::kLocked: locks_.push_back(std::move(lock)); return true;
  }
  return true;
}

namespace {

// A run's journal while it replaces a set: removed again, with every file
// the run made, unless the run ends otherwise.
class Run {
 public:
  // `checkOwn`: where the folder gives no lock, another run may take this
  // one's journal for a killed run's and carry it through; the run then
  // checks before each rename and removal that it still has its journal.
  Run(Journal journal, int folder, fs::path shown, dev_t device, bool checkOwn)
      : j_(std::move(journal)), folder_(folder), name_(JournalName(j_.mark)), shown_(std::move(shown)),
        made_(j_.entries.size()), device_(device), checkOwn_(checkOwn) {}
  ~Run() {
    if (!keep_) Discard();
    if (fd_ >= 0) ::close(fd_);
  }
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  Journal& journal() { return j_; }
  const fs::path& shown() const { return shown_; }
  // What the run has made of entry `i`: its new file, its kept old file.
  std::pair<bool, bool>& made(size_t i) { return made_[i]; }

  // Makes the journal with the names of the run's files; false (errno set)
  // when it cannot, or when one is there already.
  bool Begin() {
    fd_ = CreateNewFile(folder_, name_, shown_);
    if (fd_ < 0) return false;
    begun_ = true;
    if (!Append(StagedRecord(j_))) return false;
    ::fsync(folder_);
    struct stat st {};
    if (::fstat(fd_, &st) == 0) first_ = st.st_size;
    return true;
  }
  // Adds the second record; when that fails, it is taken back, so that a
  // record that reached the disk all the same cannot make the next run
  // finish a set that this one gives up. False (errno set) on failure;
  // then also the journal and the run's files stay for the next run when
  // the record could not be taken back.
  bool Commit() {
    j_.records = Journal::Records::kBoth;
    if (Append(CommittedRecord(j_))) return true;
    const int err = errno;
    j_.records = Journal::Records::kFirst;
    if (FileStepFails("write", shown_) || ::ftruncate(fd_, first_) != 0 || FileStepFails("fsync", shown_) ||
        ::fsync(fd_) != 0)
      keep_ = true;
    errno = err;
    return false;
  }
  // Whether the journal at its name is still the one this run wrote: yes,
  // no (another run carried it through), or nothing when it cannot be
  // looked at. Always yes where the folder's lock keeps other runs out.
  std::optional<bool> Own() const {
    if (!checkOwn_) return true;
    struct stat mine {};
    if (::fstat(fd_, &mine) != 0) return std::nullopt;
    const Look there = LookAt(folder_, name_, shown_);
    if (there.kind == Look::Kind::kError) return std::nullopt;
    return there.kind == Look::Kind::kFile && there.st.st_dev == mine.st_dev && there.st.st_ino == mine.st_ino &&
           there.st.st_size == mine.st_size;
  }
  // Removes the kept files and the journal; false when any stays.
  bool End() {
    keep_ = true;
    if (Own() != true) return false;
    bool clean = true;
    for (size_t i = j_.entries.size(); i-- > 0;) {
      const Entry& e = j_.entries[i];
      if (made_[i].second) clean = RemoveAt(e.dir, e.kept, e.Shown(e.kept)) && clean;
    }
    clean = clean && RemoveAt(folder_, name_, shown_);
    ::fsync(folder_);
    return clean;
  }
  // The journal and the files it names stay for the next run.
  void Keep() { keep_ = true; }
  // Another run has carried the journal through: what this run made since,
  // and only what is still just as it made it, goes; nothing else is its
  // to touch.
  void Abandon() {
    keep_ = true;
    for (size_t i = j_.entries.size(); i-- > 0;) {
      const Entry& e = j_.entries[i];
      if (made_[i].first && IsNewFile(LookAt(e.dir, e.temporary, e.Shown(e.temporary)), e.newId, device_))
        RemoveAt(e.dir, e.temporary, e.Shown(e.temporary));
      if (made_[i].second && Matches(LookAt(e.dir, e.kept, e.Shown(e.kept)), e.keptId, device_))
        RemoveAt(e.dir, e.kept, e.Shown(e.kept));
    }
  }

 private:
  bool Append(std::string_view record) {
    return !FileStepFails("write", shown_) && WriteAll(fd_, record) && !FileStepFails("fsync", shown_) &&
           ::fsync(fd_) == 0;
  }
  // The kept files go first, then the new ones from the last: a kill part
  // way leaves what a run that never got as far as its renames leaves,
  // which the recovery tells from a run whose renames began. Nothing goes
  // when another run has taken the journal over.
  void Discard() {
    if (begun_ && Own() != true) return;
    bool clean = true;
    for (size_t i = j_.entries.size(); i-- > 0;) {
      const Entry& e = j_.entries[i];
      if (made_[i].second) clean = RemoveAt(e.dir, e.kept, e.Shown(e.kept)) && clean;
    }
    for (size_t i = j_.entries.size(); i-- > 0;) {
      const Entry& e = j_.entries[i];
      if (made_[i].first) clean = RemoveAt(e.dir, e.temporary, e.Shown(e.temporary)) && clean;
    }
    if (begun_ && clean) RemoveAt(folder_, name_, shown_);
  }

  Journal j_;
  int folder_;
  std::string name_;
  fs::path shown_;
  std::vector<std::pair<bool, bool>> made_;
  dev_t device_;  // the file system of the set's folder
  bool checkOwn_;
  int fd_ = -1;
  off_t first_ = 0;  // the journal's size with its first record
  bool begun_ = false;
  bool keep_ = false;
};

bool Fail(SetFailure& failure, SetFailure::Step step, const fs::path& file, int err) {
  failure.step = step;
  failure.file = file;
  failure.reason = std::strerror(err);
  return false;
}

// Gives the old file `e.file` the second name `e.kept`: a hard link, or on
// a file system without them a copy with the file's permissions. The
// identity of what was made goes to `e.keptId`; false (errno set) when
// anything fails, `made` then true when a file was made all the same.
bool KeepOldFile(Entry& e, const struct stat& old, bool& made) {
  struct stat st {};
  if (!FileStepFails("link", e.Shown(e.kept)) && ::linkat(e.dir, e.file.c_str(), e.dir, e.kept.c_str(), 0) == 0) {
    made = true;
    const Look kept = LookAt(e.dir, e.kept, e.Shown(e.kept));
    if (kept.kind == Look::Kind::kError) {
      errno = kept.error;
      return false;
    }
    if (kept.kind != Look::Kind::kFile || IdentityOf(kept.st) != IdentityOf(old)) {
      errno = EAGAIN;  // the old file was replaced meanwhile
      return false;
    }
    e.keptId = IdentityOf(kept.st);
    return true;
  }
  if (errno == EEXIST) return false;
  int err = 0;
  std::optional<std::string> bytes = ReadFileBytes(e.file, nullptr, ReadLimits{e.dir, false}, &err);
  if (!bytes) {
    errno = err;
    return false;
  }
  if (!WriteNewFile(e.dir, e.kept, *bytes, old.st_mode & 07777, e.Shown(e.kept), &st)) return false;
  made = true;
  e.keptId = IdentityOf(st);
  return true;
}

}  // namespace

bool SetFolder::Replace(const FileSet& files, SetFailure& failure, const SetOptions& options) {
  failure = SetFailure{};
  if (locked_ == FolderLock::Result::kBusy) return Fail(failure, SetFailure::Step::kBusy, Absolute(folder_), EBUSY);
  // No folder leaves nothing to make the new files beside; one that could
  // not be reached or opened is named where the way to it stopped.
  if (fd_ < 0 && (openError_ == 0 || openError_ == ENOENT))
    return Fail(failure, SetFailure::Step::kCreate, files.empty() ? folder_ : files.front().first, ENOENT);
  if (fd_ < 0)
    return Fail(failure, SetFailure::Step::kNoFolder, reached_.empty() ? Absolute(folder_) : reached_, openError_);
  // Nothing is written through a link of another user's on the way.
  if (!refusal_.empty()) {
    failure = SetFailure{SetFailure::Step::kRefused, folder_, refusal_, {}};
    return false;
  }
  // Each target where a write to it lands, checked before anything is made.
  struct Planned {
    fs::path given;
    Entry entry;
    WriteTarget place;  // the folder that `entry` names files in
    KnownFile now;      // the file a write lands in, as it is
    const std::string* bytes;
    mode_t mode;
  };
  std::vector<Planned> planned;
  for (const auto& [path, bytes] : files) {
    Planned p{path, {}, {}, {}, &bytes, NewFileMode()};
    Entry& e = p.entry;
    e.name = path.filename().native();
    struct stat parent {};
    const fs::path dir = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    if (!IsPlainName(e.name) || ::stat(dir.c_str(), &parent) != 0 || parent.st_dev != stat_.st_dev ||
        parent.st_ino != stat_.st_ino)
      return Fail(failure, SetFailure::Step::kRefused, path, EXDEV);
    // The one look at a link of the name: the journal records, and the
    // files are made and renamed in, the very folder it led to.
    std::string why;
    if (!p.place.OpenIn(fd_, reached_, e.name, true, &why)) {
      if (p.place.refused()) {
        failure = SetFailure{SetFailure::Step::kRefused, path, why, {}};
        return false;
      }
      return Fail(failure, SetFailure::Step::kRefused, path, p.place.error());
    }
    e.dir = p.place.folder();
    e.file = p.place.name();
    if (p.place.followed()) {
      e.via = p.place.file();
      e.shownDir = e.via.parent_path();
      if (!AlsoLock(e.dir, e.shownDir)) return Fail(failure, SetFailure::Step::kBusy, e.shownDir, EBUSY);
    }
    const Look l = LookAt(e.dir, e.file, e.Shown(e.file));
    // A link where the walk found none was planted since.
    if (l.kind == Look::Kind::kLink) return Fail(failure, SetFailure::Step::kRefused, path, ELOOP);
    if (l.kind == Look::Kind::kError) return Fail(failure, SetFailure::Step::kRefused, path, l.error);
    if (l.kind == Look::Kind::kOther)
      return Fail(failure, SetFailure::Step::kRefused, path, S_ISDIR(l.st.st_mode) ? EISDIR : EINVAL);
    if (l.kind == Look::Kind::kFile) {
      // Anything else but a regular file is no file to replace, nor is one
      // marked read-only.
      if (ReplaceRefusal(e.dir, e.file, l.st) != 0) return Fail(failure, SetFailure::Step::kRefused, path, EACCES);
      p.mode = l.st.st_mode & 07777;
    }
    p.now = Known(p.place.file(), l.kind == Look::Kind::kFile ? &l.st : nullptr);
    std::erase_if(planned, [&](const Planned& q) { return q.now.file == p.now.file; });
    planned.push_back(std::move(p));
  }
  if (planned.empty()) return true;
  // A set larger than a recovery reads could never be put right after a kill.
  if (planned.size() > kMaxSetFiles) return Fail(failure, SetFailure::Step::kRefused, planned.front().given, E2BIG);

  // A file that another program changed since the caller read or wrote it
  // is replaced only when the caller says so.
  std::vector<const Planned*> asKnown;
  if (options.known) {
    std::vector<fs::path> changed;
    for (const Planned& p : planned) {
      auto fingerprint = [&p]() -> std::optional<std::uint64_t> {
        FileBytes bytes;
        if (ReadRegularFileBytes(p.entry.file, bytes, ReadLimits{p.entry.dir, false}) != RegularReadResult::kOk)
          return std::nullopt;
        return TextFingerprint(bytes.view());
      };
      for (const KnownFile& k : *options.known) {
        if (k.file != p.now.file) continue;
        if (StillAsKnown(k, p.now, fingerprint)) asKnown.push_back(&p);
        else changed.push_back(p.given);
      }
    }
    if (!changed.empty() && !(options.overwriteChanged && options.overwriteChanged(changed))) {
      failure = SetFailure{SetFailure::Step::kDeclined, changed.front(), {}, {}};
      return false;
    }
  }
  // Keeping an old file gives it a second name, which moves its time of
  // change: a replacement that fails after that must not make the next one
  // take the file for another program's.
  struct Refresh {
    const std::vector<const Planned*>& files;
    std::vector<KnownFile>* written;
    bool done = false;
    ~Refresh() {
      if (done || !written) return;
      for (const Planned* p : files) {
        KnownFile now = KnowFile(p->now.file);
        if (now.identity == p->now.identity) Remember(*written, std::move(now));
      }
    }
  } refresh{asKnown, options.written};
  // No new set goes into a folder whose last one is not carried through.
  auto journalThere = [&](std::string_view mark) {
    return LookAt(fd_, JournalName(mark), folder_ / JournalName(mark)).kind != Look::Kind::kAbsent;
  };
  for (std::string_view mark : kProgramMarks)
    if (journalThere(mark)) return Fail(failure, SetFailure::Step::kUnfinished, Absolute(folder_), EEXIST);
  // The one-time copies, under the lock: a copy that a killed run left
  // unfinished under a temporary name goes first (never another program's,
  // and only where the lock says that no run of ours is making one).
  for (const auto& [from, to] : options.copies) {
    if (!lockless_) RemoveLeftoverTemporaries(to);
    MakeCopy(from, to, options.copiesNotMade);
  }

  Journal j{ProgramMark(), NewRunName(), ThisWriter(), BootId(), {}, Journal::Records::kFirst, ThisSpace()};
  for (const Planned& p : planned) j.entries.push_back(p.entry);
  NameFiles(j);
  if (StagedRecord(j).size() + CommittedRecord(j).size() + 64 * j.entries.size() > kMaxJournalBytes)
    return Fail(failure, SetFailure::Step::kRefused, planned.front().given, ENAMETOOLONG);
  Run run(std::move(j), fd_, folder_ / JournalName(ProgramMark()), stat_.st_dev, lockless_);
  std::vector<Entry>& entries = run.journal().entries;
  if (!run.Begin()) {
    const int err = errno;
    if (err != EEXIST) return Fail(failure, SetFailure::Step::kCreate, run.shown(), err);
    return Fail(failure, lockless_ ? SetFailure::Step::kBusy : SetFailure::Step::kUnfinished, Absolute(folder_), err);
  }
  // Without locks, two runs can begin at once: the later one backs off.
  if (lockless_) {
    for (std::string_view mark : kProgramMarks)
      if (mark != ProgramMark() && journalThere(mark)) return Fail(failure, SetFailure::Step::kBusy, Absolute(folder_), EBUSY);
  }
  // Every new file is whole, and every identity recorded is checked, before
  // anything is replaced.
  for (size_t i = 0; i < entries.size(); ++i) {
    Entry& e = entries[i];
    struct stat st {};
    if (!WriteNewFile(e.dir, e.temporary, *planned[i].bytes, planned[i].mode, e.Shown(e.temporary), &st)) {
      const int err = errno;
      return Fail(failure, err == EEXIST ? SetFailure::Step::kCreate : SetFailure::Step::kWrite, planned[i].given, err);
    }
    run.made(i).first = true;
    e.newId = IdentityOf(st);
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    Entry& e = entries[i];
    const Look old = LookAt(e.dir, e.file, e.Shown(e.file));
    if (old.kind == Look::Kind::kError) return Fail(failure, SetFailure::Step::kCreate, planned[i].given, old.error);
    if (old.kind == Look::Kind::kAbsent) continue;
    if (old.kind != Look::Kind::kFile) return Fail(failure, SetFailure::Step::kRefused, planned[i].given, EINVAL);
    e.oldId = IdentityOf(old.st);
    if (!KeepOldFile(e, old.st, run.made(i).second))
      return Fail(failure, SetFailure::Step::kCreate, planned[i].given, errno);
  }
  auto overtaken = [&] {
    run.Abandon();
    return Fail(failure, SetFailure::Step::kOvertaken, Absolute(folder_), EBUSY);
  };
  if (run.Own() == false) return overtaken();
  if (!run.Commit()) return Fail(failure, SetFailure::Step::kCreate, run.shown(), errno);

  for (size_t k = 0; k < entries.size(); ++k) {
    Entry& e = entries[k];
    const std::optional<bool> own = run.Own();
    if (own == false) return overtaken();
    if (own && RenameDurably(e.dir, e.temporary, e.dir, e.file, e.Shown(e.file))) {
      run.made(k).first = false;
      continue;
    }
    const int err = errno;
    if (run.Own() == false) return overtaken();
    Fail(failure, SetFailure::Step::kReplace, planned[k].given, err);
    // The targets replaced so far get their old files back, the last
    // first, each only while it is still this run's new file; then what is
    // left of the run goes, the new files (from the last) before the kept
    // ones: once a new file is gone, a kill leaves a set that the next run
    // turns back too.
    bool back = true;
    for (size_t i = k; i-- > 0;) {
      const Entry& b = entries[i];
      if (run.Own() != true || !IsNewFile(LookAt(b.dir, b.file, b.Shown(b.file)), b.newId, stat_.st_dev)) {
        back = false;
        continue;
      }
      const bool put = b.oldId ? Matches(LookAt(b.dir, b.kept, b.Shown(b.kept)), b.keptId, stat_.st_dev) &&
                                     RenameDurably(b.dir, b.kept, b.dir, b.file, b.Shown(b.file))
                               : RemoveAt(b.dir, b.file, b.Shown(b.file));
      if (put && b.oldId) run.made(i).second = false;
      back = put && back;
    }
    // The targets not reached are old, and need neither their new files nor
    // second names of their old ones.
    for (size_t i = entries.size(); i-- > k;) {
      const Entry& b = entries[i];
      if (run.Own() == true && RemoveAt(b.dir, b.temporary, b.Shown(b.temporary))) run.made(i).first = false;
      else back = false;
    }
    for (size_t i = entries.size(); i-- > k;) {
      const Entry& b = entries[i];
      if (!run.made(i).second) continue;
      if (run.Own() == true && RemoveAt(b.dir, b.kept, b.Shown(b.kept))) run.made(i).second = false;
      else back = false;
    }
    if (back && run.End()) return false;
    // What is left is the next run's to carry through.
    run.Keep();
    const SetState now = StateOf(run.journal(), stat_.st_dev);
    if (!now.newer.empty())
      failure.mixed = "Could not put the earlier files back: " + NewOldClause(now) + KeptClause(now) + ".";
    return false;
  }
  // A journal that cannot be removed is finished by the next run.
  run.End();
  refresh.done = true;
  // Each target as it stands now: the new file holds the bytes just
  // written, which need not be read again; anything else is looked at anew.
  if (options.written) {
    for (size_t i = 0; i < planned.size(); ++i) {
      const Entry& e = entries[i];
      const Look now = LookAt(e.dir, e.file, e.Shown(e.file));
      KnownFile known = Known(planned[i].now.file, now.kind == Look::Kind::kFile ? &now.st : nullptr);
      if (IsNewFile(now, e.newId, stat_.st_dev)) known.fingerprint = TextFingerprint(*planned[i].bytes);
      else known = KnowFile(planned[i].now.file);
      Remember(*options.written, std::move(known));
    }
  }
  return true;
}

bool ReplaceFilesInTurn(const FileSet& files, SetFailure* failure, SetRecovery* recovered, const SetOptions& options) {
  SetFailure unused;
  SetFailure& f = failure ? *failure : unused;
  if (files.empty()) return true;
  std::vector<fs::path> paths;
  for (const auto& [path, bytes] : files) paths.push_back(path);
  SetFolder set(files.front().first.parent_path(), std::move(paths));
  set.LockWithin(kSetLockWait);
  SetRecovery r = set.Recover();
  if (recovered) *recovered = r;
  if (r.busy) return Fail(f, SetFailure::Step::kBusy, r.folder, EBUSY);
  return set.Replace(files, f, options);
}

}  // namespace velk
