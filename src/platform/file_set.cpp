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
  KnownFile known{file, std::nullopt, 0, 0, std::nullopt};
  if (st && S_ISREG(st->st_mode)) {
    known.identity = IdentityOf(*st);
    known.changedSeconds = st->st_ctim.tv_sec;
    known.changedNanoseconds = st->st_ctim.tv_nsec;
  }
  return known;
}

// How often a file that changes while it is read is read through.
constexpr int kMaxReads = 3;

}  // namespace

std::string KnownRead::Reason() const {
  switch (result) {
    case RegularReadResult::kOk: return {};
    case RegularReadResult::kNotRegular:
      if (S_ISFIFO(type)) return "is a pipe, not a file";
      if (S_ISDIR(type)) return "is a folder";
      if (S_ISCHR(type) || S_ISBLK(type)) return "is a device, not a file";
      if (!S_ISREG(type)) return "is not a file";  // a link, where none may stand now, too
      break;
    case RegularReadResult::kReadFailed:
      static_assert(kMaxReads == 3, "the reason counts the reads in words");
      if (changing) return "changed while it was read, three times: try again when the program writing it has finished";
      break;
    case RegularReadResult::kCannotOpen: break;
  }
  return std::strerror(error != 0 ? error : EIO);
}

KnownRead ReadKnownFile(const fs::path& path, FileBytes& bytes, KnownFile& known) {
  bytes = FileBytes{};
  known = Known(Absolute(path), nullptr);
  KnownRead read;
  WriteTarget place;
  fs::path name = path;
  struct stat st {};
  ReadLimits limits{AT_FDCWD, true, SIZE_MAX, &st};
  if (place.Open(path)) {
    limits.folder = place.folder();
    limits.followLinks = false;
    name = place.name();
    known.file = place.file();
  } else if (!place.refused()) {
    return {RegularReadResult::kCannotOpen, place.error()};
  }
  const int fd = OpenRegularFile(name, read.result, &read.error, limits);
  if (fd < 0) {
    if (read.result == RegularReadResult::kNotRegular) read.type = st.st_mode & S_IFMT;
    return read;
  }
  // The status before and after each read, of the very file read: one
  // that changed meanwhile is read again from its start.
  std::uint64_t fingerprint = 0;
  for (int reads = 1;; ++reads) {
    read = {};
    if (FileStepFails("read", known.file)) read = {RegularReadResult::kReadFailed, errno};
    else read.result = ReadOpenFile(fd, st, bytes, &fingerprint, &read.error);
    struct stat after {};
    if (::fstat(fd, &after) != 0) {
      read = {RegularReadResult::kReadFailed, errno};
      break;
    }
    const bool same = IdentityOf(after) == IdentityOf(st) && after.st_ctim.tv_sec == st.st_ctim.tv_sec &&
                      after.st_ctim.tv_nsec == st.st_ctim.tv_nsec;
    // A file that stood still is not read again: it would fail alike.
    if (same) break;
    if (reads == kMaxReads) {
      read = {RegularReadResult::kReadFailed, 0, 0, true};
      break;
    }
    st = after;
  }
  ::close(fd);
  if (read.result != RegularReadResult::kOk) {
    bytes = FileBytes{};
    return read;
  }
  known = Known(known.file, &st);
  known.fingerprint = fingerprint;
  return read;
}

KnownFile KnowFile(const fs::path& path) {
  FileBytes bytes;
  KnownFile known;
  if (ReadKnownFile(path, bytes, known) == RegularReadResult::kOk) return known;
  // One that cannot be read keeps no fingerprint: any later change of its
  // status then counts as a change.
  WriteTarget place;
  struct stat st {};
  if (!place.Open(path)) return known;
  return Known(place.file(), place.Look(st) ? &st : nullptr);
}

bool StillAsKnown(const KnownFile& known, const KnownFile& now, const std::function<std::optional<std::uint64_t>()>& bytes) {
  if (!known.identity || !now.identity) return known.identity == now.identity;
  if (known.identity == now.identity && known.changedSeconds == now.changedSeconds &&
      known.changedNanoseconds == now.changedNanoseconds)
    return true;
  // Only the status changed, as a second name or a mode set and set back
  // change it, or another file with the same bytes was put in its place;
  // an edit that kept the size and put the time back changed the bytes.
  const std::optional<std::uint64_t> fingerprint = known.fingerprint ? bytes() : std::nullopt;
  return fingerprint && fingerprint == known.fingerprint;
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
    case SetFailure::Step::kChangedMeanwhile:
      text = "'" + file + "' was " + failure.reason + " by another program while the new files were written: " +
             (failure.mixed.empty() ? "no file was replaced." : "it was not replaced.");
      break;
    case SetFailure::Step::kCreate: text = "Could not make a new file beside '" + file + "'" + because; break;
    case SetFailure::Step::kWrite: text = "Could not write '" + file + "'" + because; break;
    case SetFailure::Step::kRead: text = "Could not read '" + file + "'" + because; break;
    case SetFailure::Step::kReplace: text = "Could not replace '" + file + "'" + because; break;
    case SetFailure::Step::kCommit:
      text = "Could not record the replacement in the journal '" + file + "' (" + failure.reason +
             "): no file was replaced.";
      break;
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
// the run made, unless the run ends otherwise. Where the folder gives no
// lock, another run may take this one's journal for a killed run's and
// carry it through meanwhile: then every rename and removal first checks
// that the journal is still the one this run wrote and that the file is
// still its own, and a file that may be the only copy of a version is
// never removed.
class Run {
 public:
  // `devices`: the file system of each entry's folder. `checkOwn`: the
  // folder gives no lock.
  Run(Journal journal, int folder, fs::path shown, std::vector<dev_t> devices, bool checkOwn)
      : j_(std::move(journal)), folder_(folder), name_(JournalName(j_.mark)), shown_(std::move(shown)),
        made_(j_.entries.size()), devices_(std::move(devices)), checkOwn_(checkOwn) {}
  // The file system of entry `i`'s folder.
  dev_t device(size_t i) const { return devices_[i]; }
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
    if (!TakeBack()) keep_ = true;
    errno = err;
    return false;
  }
  // Takes the second record back, before any target is replaced: the run's
  // files then go as after a failure before the commit, and a kill on the
  // way leaves what the next run clears. False (errno set) when the
  // journal cannot be cut back to its first record.
  bool TakeBack() {
    j_.records = Journal::Records::kFirst;
    return Mine() && !FileStepFails("write", shown_) && ::ftruncate(fd_, first_) == 0 &&
           !FileStepFails("fsync", shown_) && ::fsync(fd_) == 0;
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

  // Renames the new file of entry `i` over its target: only while the
  // journal is the run's own and the new file the one it wrote. False
  // (errno set) otherwise.
  bool Replace(size_t i) {
    const Entry& e = j_.entries[i];
    if (!Mine() || !Ours(i, e.temporary)) return false;
    if (!RenameDurably(e.dir, e.temporary, e.dir, e.file, e.Shown(e.file), !e.oldId)) return false;
    made_[i].first = false;
    return true;
  }
  // Gives target `i`, which this run replaced, its old file back (or
  // removes it, when there was none): only while it is still the run's new
  // file and the kept file the one the run made.
  bool PutBack(size_t i) {
    const Entry& e = j_.entries[i];
    if (!Mine() || !NewAt(i, e.file)) return false;
    if (!e.oldId) return RemoveAt(e.dir, e.file, e.Shown(e.file));
    if (!KeptAt(i) || !RenameDurably(e.dir, e.kept, e.dir, e.file, e.Shown(e.file))) return false;
    made_[i].second = false;
    return true;
  }
  // Target `i` holds the run's new file, though the run has not renamed it
  // there: another run is carrying the journal through.
  bool TakenOver(size_t i) const { return checkOwn_ && NewAt(i, j_.entries[i].file); }
  // Removes the kept file of target `i`, which the run has not replaced:
  // only as the run made it, and only while no other run has replaced the
  // target. False when it stays.
  bool ClearKept(size_t i) {
    const Entry& e = j_.entries[i];
    if (made_[i].second && !(Mine() && !TakenOver(i) && KeptOurs(i) && Remove(e, e.kept))) return false;
    made_[i].second = false;
    return true;
  }
  // The same for its new file.
  bool ClearNew(size_t i) {
    const Entry& e = j_.entries[i];
    if (made_[i].first && !(Mine() && !TakenOver(i) && Ours(i, e.temporary) && Remove(e, e.temporary)))
      return false;
    made_[i].first = false;
    return true;
  }
  // Removes the kept files, then the journal, once every target holds its
  // new file; false when any stays.
  bool End() {
    keep_ = true;
    bool clean = true;
    for (size_t i = j_.entries.size(); i-- > 0;) {
      const Entry& e = j_.entries[i];
      if (!made_[i].second) continue;
      if (!Mine()) return false;
      if (KeptOurs(i) && Remove(e, e.kept)) made_[i].second = false;
      else clean = false;
    }
    clean = clean && Mine() && RemoveAt(folder_, name_, shown_);
    ::fsync(folder_);
    return clean;
  }
  // The journal and the files it names stay for the next run.
  void Keep() { keep_ = true; }
  // Another run has carried the journal through, or is carrying it: while
  // the journal is still there, its files are the other run's to finish
  // with; once it is gone, the new files still just as this run made them
  // go, and the kept ones only while their target holds that very version.
  void Abandon() {
    keep_ = true;
    if (Own() != false) return;
    for (size_t i = j_.entries.size(); i-- > 0;) {
      const Entry& e = j_.entries[i];
      if (made_[i].first && NewAt(i, e.temporary)) Remove(e, e.temporary);
      if (made_[i].second && (!e.keptId || KeptAt(i)) && Spare(i)) Remove(e, e.kept);
    }
  }

 private:
  bool Append(std::string_view record) {
    return !FileStepFails("write", shown_) && WriteAll(fd_, record) && !FileStepFails("fsync", shown_) &&
           ::fsync(fd_) == 0;
  }
  bool Mine() const {
    const std::optional<bool> own = Own();
    if (!own) return false;  // errno set by the look
    if (!*own) errno = EAGAIN;
    return *own;
  }
  // Where other runs may act meanwhile (no lock), what stands at `name` of
  // entry `i` is still the run's new file, and its kept file the one it
  // made; the run's own names are no other run's to make where the lock
  // keeps them out.
  bool Ours(size_t i, const std::string& name) const { return !checkOwn_ || NewAt(i, name); }
  bool KeptOurs(size_t i) const { return !checkOwn_ || KeptAt(i); }
  // What stands at `name` of entry `i` is the run's new file.
  bool NewAt(size_t i, const std::string& name) const {
    const Entry& e = j_.entries[i];
    return Is(LookAt(e.dir, name, e.Shown(name)), [&](const Look& l) { return IsNewFile(l, e.newId, devices_[i]); });
  }
  // The kept file of entry `i` is the one the run made.
  bool KeptAt(size_t i) const {
    const Entry& e = j_.entries[i];
    return Is(LookAt(e.dir, e.kept, e.Shown(e.kept)), [&](const Look& l) { return Matches(l, e.keptId, devices_[i]); });
  }
  // The kept file of entry `i` holds nothing that its target's name does
  // not: the target is still the old file, or the very file kept.
  bool Spare(size_t i) const {
    const Entry& e = j_.entries[i];
    const Look target = LookAt(e.dir, e.file, e.Shown(e.file)), kept = LookAt(e.dir, e.kept, e.Shown(e.kept));
    return Matches(target, e.oldId, devices_[i]) || SameFile(target, kept);
  }
  // `l` passes `test`; else errno says why not.
  template <typename Test>
  static bool Is(const Look& l, Test test) {
    if (test(l)) return true;
    errno = l.kind == Look::Kind::kError ? l.error : EAGAIN;
    return false;
  }
  static bool Remove(const Entry& e, const std::string& name) { return RemoveAt(e.dir, name, e.Shown(name)); }
  // The kept files go first, then the new ones from the last: a kill part
  // way leaves what a run that never got as far as its renames leaves,
  // which the recovery tells from a run whose renames began. Once another
  // run has taken the journal over, only what Abandon removes goes.
  void Discard() {
    if (!begun_) return;
    if (Own() != true) return Abandon();
    bool clean = true;
    for (size_t i = j_.entries.size(); i-- > 0;) {
      const Entry& e = j_.entries[i];
      // A kept file that could not be looked at once made goes while it
      // holds nothing that the target does not.
      if (made_[i].second)
        clean = Mine() && (!checkOwn_ || ((!e.keptId || KeptAt(i)) && Spare(i))) && Remove(e, e.kept) && clean;
    }
    for (size_t i = j_.entries.size(); i-- > 0;) {
      const Entry& e = j_.entries[i];
      if (made_[i].first) clean = Mine() && Ours(i, e.temporary) && Remove(e, e.temporary) && clean;
    }
    if (clean && Mine()) RemoveAt(folder_, name_, shown_);
  }

  Journal j_;
  int folder_;
  std::string name_;
  fs::path shown_;
  std::vector<std::pair<bool, bool>> made_;
  std::vector<dev_t> devices_;  // the file system of each entry's folder
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
// identity of what was made goes to `e.keptId`, also when it is not the
// old file (another program replaced the target meanwhile), so that it can
// be told for the run's own; false (errno set) when anything fails, `made`
// then true when a file was made all the same, and `change` says what
// another program did to the old file meanwhile when that is why.
bool KeepOldFile(Entry& e, const struct stat& old, bool& made, const char*& change) {
  struct stat st {};
  if (!FileStepFails("link", e.Shown(e.kept)) && ::linkat(e.dir, e.file.c_str(), e.dir, e.kept.c_str(), 0) == 0) {
    made = true;
    const Look kept = LookAt(e.dir, e.kept, e.Shown(e.kept));
    if (kept.kind == Look::Kind::kError) {
      errno = kept.error;
      return false;
    }
    if (kept.kind == Look::Kind::kFile) e.keptId = IdentityOf(kept.st);
    if (kept.kind != Look::Kind::kFile || IdentityOf(kept.st) != IdentityOf(old)) {
      change = kept.kind == Look::Kind::kFile && kept.st.st_ino == old.st_ino ? "changed" : "replaced";
      errno = EAGAIN;
      return false;
    }
    return true;
  }
  if (errno == EEXIST) return false;
  if (errno == ENOENT) {
    change = "removed";
    return false;
  }
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

// Each target where a write to it lands, checked before anything is made.
struct Planned {
  fs::path given;
  Entry entry;
  WriteTarget place;  // the folder that `entry` names files in
  FolderLock::Key in{0, 0};  // that folder's device and inode
  KnownFile now;      // the file a write lands in, as it is
  const std::string* bytes;
  mode_t mode;
  struct stat written {};  // the new file, as it was once written
  struct stat first {};    // the target at the first look, when it had a file
};

// What another program did to a target since the first look saw it as
// `was` (nothing there when it `had` no file), by what stands there `now`:
// nothing, or what to say of it. Its identity, as a save's question knows
// it: the second name that keeping the old file gives it changes none.
const char* ChangeSince(const Look& now, bool had, const struct stat& was) {
  if (now.kind == Look::Kind::kAbsent) return had ? "removed" : nullptr;
  if (!had) return "made";
  if (now.kind != Look::Kind::kFile || now.st.st_dev != was.st_dev || now.st.st_ino != was.st_ino) return "replaced";
  return IdentityOf(now.st) == IdentityOf(was) ? nullptr : "changed";
}

// The fingerprint of the bytes of what stands at target `p` now; nothing
// when they cannot be read.
std::optional<std::uint64_t> FingerprintOf(const Planned& p) {
  FileBytes bytes;
  std::uint64_t hash = 0;
  if (ReadRegularFileBytes(p.entry.file, bytes, ReadLimits{p.entry.dir, false}, &hash) != RegularReadResult::kOk)
    return std::nullopt;
  return hash;
}

// What a replacement that turned back for a target changed meanwhile hands
// to the next try: those found so, and the files that the caller has said
// may be replaced, as they were then, so that it is not asked again of a
// file that stayed so.
struct Retry {
  std::vector<fs::path> changed;
  std::vector<KnownFile> approved;
};

// One replacement of a set in the folder of a SetFolder, step by step; each
// step false, with the failure filled in, when the replacement ends there.
struct Replacing {
  const SetOptions& options;
  SetFailure& failure;
  // The set's folder: as given, open, its path without links, what it is.
  const fs::path& folder;
  int fd;
  const fs::path& reached;
  const struct stat& status;
  bool lockless;
  std::function<bool(int, const fs::path&)> alsoLock;
  Retry& retry;

  std::vector<Planned> planned{};
  std::vector<const Planned*> asKnown{};  // the targets still as the caller knew them
  // Keeping an old file gives it a second name, which moves its time of
  // change: a replacement that fails after that must not make the next one
  // take the file for another program's. (Declared before the run, so that
  // it looks once the run has removed what it made.)
  // Only a file that still holds the bytes the caller knew is known anew:
  // one that another program edited meanwhile stays a change.
  struct Refresh {
    const std::vector<const Planned*>& files;
    const SetOptions& options;
    bool done = false;
    ~Refresh() {
      if (done || !options.written || !options.known) return;
      for (const Planned* p : files) {
        KnownFile now = KnowFile(p->now.file);
        const bool same = std::any_of(options.known->begin(), options.known->end(), [&](const KnownFile& k) {
          return k.file == p->now.file && k.fingerprint && k.fingerprint == now.fingerprint;
        });
        if (now.identity == p->now.identity && same) Remember(*options.written, std::move(now));
      }
    }
  } refresh{asKnown, options};
  std::unique_ptr<Run> run{};

  bool Fails(SetFailure::Step step, const fs::path& file, int err) { return Fail(failure, step, file, err); }
  std::vector<Entry>& entries() { return run->journal().entries; }

  // The folder of `path` is the set's own, as a write reaches it: the
  // walk's folder and the set's are one. False (errno set) when not, or
  // when it cannot be told; `why` then names a link that may not be
  // followed.
  bool InSetFolder(const fs::path& path, std::string& why) const {
    const fs::path dir = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    if (Absolute(dir) == Absolute(folder)) return true;
    const int d = OpenFolderAsWritten(dir, nullptr, &why);
    if (d < 0) return false;
    struct stat st {};
    const bool same = ::fstat(d, &st) == 0 && st.st_dev == status.st_dev && st.st_ino == status.st_ino;
    ::close(d);
    if (!same) errno = EXDEV;
    return same;
  }

  // Looks at every target, through the one look at a link of its name.
  bool Plan(const FileSet& files) {
    for (const auto& [path, bytes] : files) {
      Planned p{path, {}, {}, {0, 0}, {}, &bytes, NewFileMode()};
      Entry& e = p.entry;
      e.name = path.filename().native();
      std::string why;
      if (!IsPlainName(e.name)) return Fails(SetFailure::Step::kRefused, path, EXDEV);
      if (!InSetFolder(path, why)) {
        if (why.empty()) return Fails(SetFailure::Step::kRefused, path, errno);
        failure = SetFailure{SetFailure::Step::kRefused, path, why, {}};
        return false;
      }
      // The journal records, and the files are made and renamed in, the
      // very folder the link led to.
      if (!p.place.OpenIn(fd, reached, e.name, true, &why)) {
        if (p.place.refused()) {
          failure = SetFailure{SetFailure::Step::kRefused, path, why, {}};
          return false;
        }
        return Fails(SetFailure::Step::kRefused, path, p.place.error());
      }
      e.dir = p.place.folder();
      e.file = p.place.name();
      if (p.place.followed()) {
        e.via = p.place.file();
        e.shownDir = e.via.parent_path();
        if (!alsoLock(e.dir, e.shownDir)) return Fails(SetFailure::Step::kBusy, e.shownDir, EBUSY);
      }
      struct stat in {};
      if (::fstat(e.dir, &in) != 0) return Fails(SetFailure::Step::kRefused, path, errno);
      p.in = {in.st_dev, in.st_ino};
      const Look l = LookAt(e.dir, e.file, e.Shown(e.file));
      // A link where the walk found none was planted since.
      if (l.kind == Look::Kind::kLink) return Fails(SetFailure::Step::kRefused, path, ELOOP);
      if (l.kind == Look::Kind::kError) return Fails(SetFailure::Step::kRefused, path, l.error);
      if (l.kind == Look::Kind::kOther)
        return Fails(SetFailure::Step::kRefused, path, S_ISDIR(l.st.st_mode) ? EISDIR : EINVAL);
      if (l.kind == Look::Kind::kFile) {
        // Anything else but a regular file is no file to replace, nor is one
        // marked read-only.
        if (ReplaceRefusal(e.dir, e.file, l.st) != 0) return Fails(SetFailure::Step::kRefused, path, EACCES);
        p.mode = l.st.st_mode & 07777;
        p.first = l.st;
      }
      e.earlier = l.kind == Look::Kind::kFile;
      p.now = Known(p.place.file(), l.kind == Look::Kind::kFile ? &l.st : nullptr);
      // One name of one folder reached through two paths (a folder mounted
      // twice) is one target.
      std::erase_if(planned, [&](const Planned& q) { return q.in == p.in && q.entry.file == p.entry.file; });
      planned.push_back(std::move(p));
    }
    // A set larger than a recovery reads could never be put right after a kill.
    if (planned.size() > kMaxSetFiles) return Fails(SetFailure::Step::kRefused, planned.front().given, E2BIG);
    return true;
  }

  // A file that another program changed since the caller read or wrote it,
  // or while an earlier try wrote the new files, is replaced only when the
  // caller says so.
  bool AskAboutChanged() {
    if (!options.known) return true;
    std::vector<fs::path> changed;
    std::vector<const Planned*> asked;
    std::vector<KnownFile> renewed;
    for (const Planned& p : planned) {
      auto fingerprint = [&p] { return FingerprintOf(p); };
      const auto k = std::find_if(options.known->begin(), options.known->end(),
                                  [&](const KnownFile& known) { return known.file == p.now.file; });
      if (k != options.known->end() && StillAsKnown(*k, p.now, fingerprint)) {
        asKnown.push_back(&p);
        // The same bytes under a new identity are known by that from now on.
        renewed.push_back(p.now);
        renewed.back().fingerprint = k->fingerprint;
        continue;
      }
      if (k == options.known->end() && std::find(retry.changed.begin(), retry.changed.end(), p.given) == retry.changed.end())
        continue;
      const bool approved = std::any_of(retry.approved.begin(), retry.approved.end(), [&](const KnownFile& a) {
        return a.file == p.now.file && StillAsKnown(a, p.now, fingerprint);
      });
      if (approved) continue;
      changed.push_back(p.given);
      asked.push_back(&p);
    }
    if (options.written)
      for (KnownFile& k : renewed) Remember(*options.written, std::move(k));
    if (!changed.empty() && !(options.overwriteChanged && options.overwriteChanged(changed))) {
      failure = SetFailure{SetFailure::Step::kDeclined, changed.front(), {}, {}};
      return false;
    }
    for (const Planned* p : asked) {
      KnownFile a = p->now;
      a.fingerprint = FingerprintOf(*p);
      Remember(retry.approved, std::move(a));
    }
    return true;
  }

  // No new set goes into a folder whose last one is not carried through.
  bool NoneUnfinished() {
    for (std::string_view mark : kProgramMarks)
      if (JournalIn(fd, folder, mark)) return Fails(SetFailure::Step::kUnfinished, Absolute(folder), EEXIST);
    return true;
  }

  // The one-time copies, under the lock: a copy that a killed run left
  // unfinished under a temporary name goes first (never another program's,
  // and only where the lock says that no run of ours is making one).
  void MakeCopies() {
    for (const auto& [from, to] : options.copies) {
      if (!lockless) RemoveLeftoverTemporaries(to);
      MakeCopy(from, to, options.copiesNotMade);
    }
  }

  // Makes the journal that names the targets and the run's files.
  bool Begin() {
    Journal j{ProgramMark(), NewRunName(), ThisWriter(), BootId(), {}, Journal::Records::kFirst, ThisSpace()};
    std::vector<dev_t> devices;
    for (const Planned& p : planned) {
      j.entries.push_back(p.entry);
      devices.push_back(static_cast<dev_t>(p.in.first));
    }
    NameFiles(j);
    if (StagedRecord(j).size() + CommittedRecord(j).size() + 64 * j.entries.size() > kMaxJournalBytes)
      return Fails(SetFailure::Step::kRefused, planned.front().given, ENAMETOOLONG);
    run = std::make_unique<Run>(std::move(j), fd, folder / JournalName(ProgramMark()), std::move(devices), lockless);
    if (!run->Begin()) {
      const int err = errno;
      if (err != EEXIST) return Fails(SetFailure::Step::kCreate, run->shown(), err);
      return Fails(lockless ? SetFailure::Step::kBusy : SetFailure::Step::kUnfinished, Absolute(folder), err);
    }
    // Without locks, two runs can begin at once: the later one backs off.
    if (lockless) {
      for (std::string_view mark : kProgramMarks)
        if (mark != ProgramMark() && JournalIn(fd, folder, mark))
          return Fails(SetFailure::Step::kBusy, Absolute(folder), EBUSY);
    }
    return true;
  }

  // Every new file is whole before anything is replaced.
  bool WriteNewFiles() {
    for (size_t i = 0; i < entries().size(); ++i) {
      Entry& e = entries()[i];
      struct stat st {};
      if (!WriteNewFile(e.dir, e.temporary, *planned[i].bytes, planned[i].mode, e.Shown(e.temporary), &st)) {
        const int err = errno;
        return Fails(err == EEXIST ? SetFailure::Step::kCreate : SetFailure::Step::kWrite, planned[i].given, err);
      }
      run->made(i).first = true;
      e.newId = IdentityOf(st);
      planned[i].written = st;
    }
    return true;
  }

  // Target `i` was found changed since the first look: nothing is replaced.
  bool ChangedMeanwhile(size_t i, const char* change) {
    failure = SetFailure{SetFailure::Step::kChangedMeanwhile, planned[i].given, change, {}};
    return false;
  }

  // Every old file gets its second name, and its identity is recorded.
  bool KeepOldFiles() {
    for (size_t i = 0; i < entries().size(); ++i) {
      Entry& e = entries()[i];
      const Look old = LookAt(e.dir, e.file, e.Shown(e.file));
      if (old.kind == Look::Kind::kError) return Fails(SetFailure::Step::kCreate, planned[i].given, old.error);
      // What is kept must be what the first look saw, and the names of the
      // run's files say whether the target had an earlier file: another
      // program (which takes no lock) that changed it since ends the
      // replacement.
      if (const char* change = ChangeSince(old, e.earlier.value_or(false), planned[i].first))
        return ChangedMeanwhile(i, change);
      if (old.kind == Look::Kind::kAbsent) continue;
      e.oldId = IdentityOf(old.st);
      const char* change = nullptr;
      if (!KeepOldFile(e, old.st, run->made(i).second, change))
        return change ? ChangedMeanwhile(i, change) : Fails(SetFailure::Step::kCreate, planned[i].given, errno);
    }
    return true;
  }

  bool Overtaken() {
    run->Abandon();
    return Fails(SetFailure::Step::kOvertaken, Absolute(folder), EBUSY);
  }

  // Records the identities: from here on a kill leaves the new set.
  bool Commit() {
    if (run->Own() == false) return Overtaken();
    if (!run->Commit()) return Fails(SetFailure::Step::kCommit, run->shown(), errno);
    return true;
  }

  // The targets from `from` to before `to` are as the first look saw them.
  bool StillAsFirstSeen(size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
      const Entry& e = entries()[i];
      const Look now = LookAt(e.dir, e.file, e.Shown(e.file));
      if (now.kind == Look::Kind::kError) return Fails(SetFailure::Step::kReplace, planned[i].given, now.error);
      if (const char* change = ChangeSince(now, e.earlier.value_or(false), planned[i].first))
        return ChangedMeanwhile(i, change);
    }
    return true;
  }

  // The new files over their targets, one after the other, each target
  // looked at again just before: before the first rename all of them, so
  // that a change found then replaces nothing. A target that had no file
  // gets its new one by a rename that refuses to replace one made since.
  bool RenameAll() {
    for (size_t k = 0; k < entries().size(); ++k) {
      if (!StillAsFirstSeen(k, k == 0 ? entries().size() : k + 1)) {
        if (run->Own() == false) return Overtaken();
        return PutBack(k);
      }
      if (run->Replace(k)) continue;
      const int err = errno;
      if (run->Own() == false) return Overtaken();
      if (err == EEXIST && !entries()[k].oldId) ChangedMeanwhile(k, "made");
      else Fails(SetFailure::Step::kReplace, planned[k].given, err);
      return PutBack(k);
    }
    // A journal that cannot be removed is finished by the next run.
    run->End();
    refresh.done = true;
    return true;
  }

  // After the rename of target `k` failed: when it was the first, the
  // second record is taken back and the run's files go as after a failure
  // before the commit. Else the targets replaced so far get their old files
  // back, the last first; then, only once they all have, what is left of
  // the run goes: the kept files before the new ones, and those from the
  // last. Even with the journal lost, the files left then tell which
  // targets were put back: a new file gone only before one that is still
  // there, and the kept file of each target still replaced. Each step only
  // while the file is still the run's own; a target it did not reach that
  // holds its new file says that another run is carrying the journal
  // through, and is left to it. Always false.
  bool PutBack(size_t k) {
    for (size_t i = k; i < entries().size(); ++i)
      if (run->TakenOver(i)) return Overtaken();
    if (k == 0) {
      if (!run->TakeBack()) run->Keep();
      return false;
    }
    bool back = true;
    for (size_t i = k; i-- > 0;) back = run->PutBack(i) && back;
    for (size_t i = entries().size(); back && i-- > k;) back = run->ClearKept(i);
    for (size_t i = entries().size(); back && i-- > k;) back = run->ClearNew(i);
    if (back && run->End()) return false;
    // What is left is the next run's to carry through.
    run->Keep();
    const SetState now = StateOf(run->journal());
    if (!now.newer.empty())
      failure.mixed = "Could not put the earlier files back: " + NewOldClause(now) + KeptClause(now) + ".";
    return false;
  }

  // What the save knows of each target is what it wrote: the new file as
  // its status was once written, and the fingerprint of the bytes written,
  // never a look taken later. Whatever another program made of the target
  // since (an append, an edit that puts the time back) is then a change
  // that the next save asks about.
  void RememberWritten() {
    if (!options.written) return;
    for (const Planned& p : planned) {
      KnownFile known = Known(p.now.file, &p.written);
      known.fingerprint = TextFingerprint(*p.bytes);
      Remember(*options.written, std::move(known));
    }
  }
};

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
  Retry retry;
  // A file that another program keeps replacing with the bytes the caller
  // knows would be asked about never: the tries end all the same.
  constexpr int kMaxTries = 3;
  for (int tries = 1;; ++tries) {
    const bool copied = tries > 1;
    Replacing r{options, failure, folder_, fd_, reached_, stat_, lockless_,
                [this](int dir, const fs::path& shown) { return AlsoLock(dir, shown); }, retry};
    if (!r.Plan(files)) return false;
    if (r.planned.empty()) return true;
    if (!r.AskAboutChanged() || !r.NoneUnfinished()) return false;
    if (!copied) r.MakeCopies();
    if (r.Begin() && r.WriteNewFiles() && r.KeepOldFiles() && r.Commit() && r.RenameAll()) {
      r.RememberWritten();
      return true;
    }
    // A change that another program made meanwhile, once every target is as
    // it was, is asked about as one found at the start; without a question,
    // the failure says what happened.
    if (failure.step != SetFailure::Step::kChangedMeanwhile || !failure.mixed.empty() || !options.known ||
        !options.overwriteChanged || tries == kMaxTries)
      return false;
    retry.changed.push_back(failure.file);
  }
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
