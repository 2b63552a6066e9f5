#pragma once
// Several files replaced as one set (a plan with its aircraft list, the
// three traffic texts), the recovery of a set whose replacement a killed run
// left half done, and the lock under which a reader reads a set whole.
//
// A replacement keeps a journal in the folder of the set,
// ".<mark>.journal", named after the program that writes it and readable by
// its user alone. First it names its writer (process and boot), the targets
// (plain names in that folder; for a name that is a symbolic link, also the
// file it leads to; and whether each had an earlier file) and so the run's
// temporary files; then every new file is written whole beside its target
// as ".<mark>-set-<run>-<n>of<count>-<flags>-<sums>", and every old one gets
// a second name, the same with ".old"; then the journal records the
// identity of each old, new and kept file (inode, size and modification
// time), and only then are the new files renamed over their targets, one
// after the other. The run ends by removing the kept old files, from the
// last, and the journal. A run that turns back gives its targets their old
// files first and only then removes its own. The names of the run's files
// do not grow with the targets' names, yet say what a notice needs when the
// journal is lost (file_set_notice.h).
//
// Whoever next takes the folder's lock reads a journal left by a kill and
// makes the set whole: the new set when every new file is in place or still
// waiting whole beside its target, else the old set; before the identities
// were recorded, no target has been touched and only the run's own files go.
// It acts only on a journal of its own user that nobody else may write, only
// through the folders it has locked, and only while every file it would
// touch is exactly as the killed run left it, on the journal's file system,
// and may still be written. When the user has changed a file since, or the
// journal is malformed, it touches nothing, keeps every file and sets the
// journal aside (".<mark>.journal.aside"); a reader then refuses the folder
// until the user has checked the files and deleted that journal. An error
// is no verdict: the journal stays in force and the next run tries again.
// What a recovery clears, finishes or puts back goes in the order that the
// next one reads back, so that one stopped part way is carried on in the
// same direction. Where the folder gives no lock, a writer checks before
// each rename and removal that its journal is still its own and the file
// still the one it made, and stops when another run carries it through.
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_ops.h"
#include "platform/folder_lock.h"
#include "platform/text_file.h"

namespace velk {

// New contents for several files, each with its path, in the order the
// files are to be replaced. Every path lies in the set's folder (a symbolic
// link there leads wherever it leads, when WriteTarget follows it).
using FileSet = std::vector<std::pair<std::filesystem::path, std::string>>;
// The most files a set may have: a recovery reads no journal of more.
inline constexpr std::size_t kMaxSetFiles = 8;

// Copies made once, from the first path to the second, before a set is
// replaced (the one-time backups of the files it replaces).
using FileCopies = std::vector<std::pair<std::filesystem::path, std::filesystem::path>>;
// Makes the one-time copy of `from` at `to` (CopyFileOnce) when `from` is a
// file; when it cannot be made, `notMade` (when given) receives a line that
// says which and why: "The backup copy '<to>' was not made (<why>).".
void MakeCopy(const std::filesystem::path& from, const std::filesystem::path& to, std::vector<std::string>* notMade);

// What a program last knew of a file it read or wrote: the file a write to
// it lands in, its identity then (none when there was no such file), the
// time of its last change of status, which no program can set back (an
// edit that keeps the size and puts the modification time back still moves
// it), and a fingerprint of its bytes (none when they could not be read),
// which tells such an edit from a change of status alone (a second name
// made, a mode set and set back), and a file put in its place with the
// very same bytes from one with others.
struct KnownFile {
  std::filesystem::path file;
  std::optional<FileIdentity> identity;
  std::int64_t changedSeconds = 0, changedNanoseconds = 0;
  std::optional<std::uint64_t> fingerprint;
  bool operator==(const KnownFile&) const = default;
};
// What a ReadKnownFile came to: its result, and what tells one failure from
// another for the user. Compares equal to its result.
struct KnownRead {
  RegularReadResult result = RegularReadResult::kOk;
  // The system's error number: for kCannotOpen (ENOENT: nothing there),
  // for a kReadFailed of the system (EIO when it gave none), and EFBIG or
  // EINVAL for kNotRegular.
  int error = 0;
  // For kNotRegular, the type (S_IFMT bits) of what stands there; 0 when
  // it could not be told (a link put in the file's place meanwhile).
  mode_t type = 0;
  // For kReadFailed: the file changed during every one of the reads.
  bool changing = false;

  bool operator==(RegularReadResult r) const { return result == r; }
  // Nothing is there, which a message may advise to put there.
  bool Missing() const { return result == RegularReadResult::kCannotOpen && error == ENOENT; }
  // Why, to follow the file's name in a message: "is a pipe, not a file",
  // "is a folder", "changed while it was read, three times: try again when
  // the program writing it has finished", or the system's reason. Empty for
  // kOk.
  std::string Reason() const;
};
// Reads the file a write to `path` lands in once, for its bytes and for what
// is known of it: opened once at the end of the walk (WriteTarget; through
// another user's link, which a read may follow, by the path), its identity
// and status taken from that descriptor before and after the read, and its
// fingerprint from the very bytes read. A file that changed while it was
// read is read again, and after three such reads is kReadFailed (changing);
// one that did not change but could not be read is not read again. Each
// read passes the file step "read" (FileStepFails) first. Anything but kOk
// leaves `bytes` empty and `known` without an identity.
KnownRead ReadKnownFile(const std::filesystem::path& path, FileBytes& bytes, KnownFile& known);
// What is known of the file at `path` now (ReadKnownFile, the bytes
// dropped); a file that cannot be read is known by its status alone.
KnownFile KnowFile(const std::filesystem::path& path);
// `known` still describes what stands there now (`now`, whose fingerprint
// is asked of `bytes` only when the identity or status changed): the same
// bytes, in the same file or in one put in its place. Nothing there now is
// as known only when nothing was there either.
bool StillAsKnown(const KnownFile& known, const KnownFile& now, const std::function<std::optional<std::uint64_t>()>& bytes);
// Puts `known` in the place of what `files` knew of the same file.
void Remember(std::vector<KnownFile>& files, KnownFile known);

// What putting right the interrupted replacements of a folder found and did.
struct SetRecovery {
  // One line for each journal found, for the user (paths in the file
  // system's bytes); none when there was nothing to put right.
  std::vector<std::string> lines;
  // A journal was set aside, or could not be carried through: the user
  // should look at the files it names.
  bool attention = false;
  // A journal is still in force: its set may be mixed, and neither is a new
  // set written into the folder nor the set read until a run carries it
  // through.
  bool unfinished = false;
  // Another run holds the folder (its lock, or, without locks, a journal
  // whose writer still runs): nothing was looked at.
  bool busy = false;
  std::filesystem::path folder;  // made absolute
  // For each journal that a recovery set aside and that still lies in the
  // folder: which files to check and what to delete then. While there is
  // one, the folder's set is not read.
  std::vector<std::string> asides;

  bool Empty() const { return lines.empty(); }
  // The lines, each ended by "\n".
  std::string Text() const;
  // The set may be read now.
  bool Readable() const { return !busy && !unfinished && asides.empty(); }
  // Why the set may not be read now, for the user; empty when it may.
  std::string Refusal() const;
};

// Why a replacement failed.
struct SetFailure {
  enum class Step {
    kNone,
    kBusy,        // another run held the folder's lock for too long
    kUnfinished,  // an earlier replacement here could not be carried through
    kNoFolder,    // the set's folder could not be reached or opened
    kDeclined,    // a file changed since it was read, and was not to be replaced
    kRefused,     // a target is no regular file, or is read-only
    // Another program changed, replaced, made or removed a target after the
    // first look (`reason` says which: "changed", "replaced", "made",
    // "removed"), while the new files were written: the run turned back.
    kChangedMeanwhile,
    kCreate,      // a new file, a kept old file or the journal could not be made
    kWrite,       // a new file could not be written whole
    kCommit,      // the journal's record of the new files could not be written
    kReplace,     // a rename over a target failed
    kOvertaken,   // without locks, another run carried this one's journal through
    kRead,        // a file could not be read (a reader's failure, never a replacement's)
  };
  Step step = Step::kNone;
  // The file concerned: a target as given, the journal, or for kBusy and
  // kUnfinished the folder; for kNoFolder where the way to it stopped.
  std::filesystem::path file;
  std::string reason;  // the system's reason
  // Only when a rename failed and the targets replaced before it could not
  // all get their old files back: one line that says which targets are
  // new, which old, and where the old files are kept. The journal then
  // stays, for the next run to carry through.
  std::string mixed;
};

// One line for the user on `failure`: that another run holds the folder,
// that an earlier replacement there is not carried through, or which file
// failed and the system's reason (then also `mixed`). Empty for kNone and
// kDeclined.
std::string SetFailureText(const SetFailure& failure);

// Whether to replace files that another program changed since they were
// read or written (`changed`, as the caller gave them); false writes nothing.
using ChangedFilesQuestion = std::function<bool(const std::vector<std::filesystem::path>& changed)>;

// What a replacement does besides replacing the set.
struct SetOptions {
  // Made once before the set is replaced, under its lock.
  FileCopies copies;
  // What the caller last knew of the files: a target that changed since is
  // replaced only when `overwriteChanged` says so.
  const std::vector<KnownFile>* known = nullptr;
  ChangedFilesQuestion overwriteChanged;
  // Receives what is known of the targets once they are replaced (and, when
  // the replacement fails, of those it left as they were known).
  std::vector<KnownFile>* written = nullptr;
  // Receives one line for each copy of `copies` that could not be made,
  // with why; the set is replaced all the same.
  std::vector<std::string>* copiesNotMade = nullptr;
};

// The folder a set of files is read from or replaced in, with the locks of
// the folders its files lie in.
class SetFolder {
 public:
  // `files`, the paths of the set as read or written: the folders their
  // links lead to are locked with the set's own. `others`: folders that the
  // caller needs locked as well (the simulator's traffic folder), taken in
  // the same order, so that no two runs wait for each other.
  explicit SetFolder(std::filesystem::path folder, std::vector<std::filesystem::path> files = {},
                     std::vector<std::filesystem::path> others = {});
  ~SetFolder();
  SetFolder(const SetFolder&) = delete;
  SetFolder& operator=(const SetFolder&) = delete;

  // Takes the locks of the set's folders, always in the same order,
  // waiting for another holder (`waiting` is called once before such a
  // wait). kLocked also on a file system without locks (see Recover).
  template <typename Waiting>
  FolderLock::Result Lock(Waiting waiting) {
    return LockAll(std::function<void()>(waiting), std::nullopt);
  }
  // The same, waiting at most `limit` in all; kBusy, holding nothing, when
  // that was not enough.
  FolderLock::Result LockWithin(std::chrono::milliseconds limit) { return LockAll({}, limit); }

  // Puts right what interrupted replacements left in the folder (see the
  // top of this file). Only after Lock or LockWithin; busy while another
  // run holds the lock. Where the file system has no locks, a journal whose
  // writer still runs is left alone, and the folder counts as busy.
  SetRecovery Recover();

  // Replaces the files of `files` (through any symbolic link of the
  // user's, see WriteTarget) as one set: a failure before the renames leaves
  // every target as it was; one during them gives the targets already
  // replaced their old files back; a kill at any step is put right by
  // Recover. Each target is looked at again just before its new file goes
  // there: one that another program changed, replaced, made or removed
  // since the first look is not replaced, and the run turns back (the
  // targets it had replaced get their old files first); where the caller
  // asks about changed files (`overwriteChanged` with `known`), it then
  // starts again and asks about that file as about one found changed at
  // the start. A target that had no file is put in place by a rename that
  // refuses to replace one another program made meanwhile, where the file
  // system gives one. Old files keep their permissions. A target named
  // twice gets its last contents. False, with `failure` filled in, on any failure,
  // when another run holds the lock, and when a journal is still in force.
  // Only after Lock or LockWithin.
  bool Replace(const FileSet& files, SetFailure& failure, const SetOptions& options = {});

  const std::filesystem::path& folder() const { return folder_; }
  // The lock of the folder `dir` (one of the set's or of `others`) is held:
  // false also where its file system gives no lock.
  bool HoldsLockOf(const std::filesystem::path& dir) const;

 private:
  FolderLock::Result LockAll(const std::function<void()>& waiting, std::optional<std::chrono::milliseconds> limit);
  // The steps of LockAll. Opens the set's folder (fd_, stat_, reached_,
  // refusal_; openError_ when it cannot be).
  bool OpenOwnFolder();
  struct ToLock;  // a folder to lock, open
  // The folders to lock, each once, in the order every run takes them.
  std::vector<ToLock> FoldersToLock() const;
  // Takes their locks in that order: all it can, or none beyond one held by
  // another run (kBusy) or the set's own folder that cannot be opened to be
  // locked (kNoFolder).
  FolderLock::Result TakeLocks(const std::vector<ToLock>& dirs, const std::function<void()>& waiting,
                               std::optional<std::chrono::milliseconds> limit);
  // What the locks taken come to: the set's folder unusable (kNoFolder) or
  // another run's (kBusy), each holding nothing, else the set's to use
  // (kLocked, or kUnsupported where some folder gives no lock).
  FolderLock::Result Settle(FolderLock::Result taken);
  // Locks the open folder `dir` too, when it is not yet: waiting no longer
  // than kSetLockWait, as the order of the locks is not kept then.
  bool AlsoLock(int dir, const std::filesystem::path& shown);
  // One of the locks taken is of the folder `key`.
  bool Holds(const FolderLock::Key& key) const;

  std::filesystem::path folder_;
  std::vector<std::filesystem::path> files_, others_;
  std::vector<std::unique_ptr<FolderLock>> locks_;
  FolderLock::Result locked_ = FolderLock::Result::kBusy;
  bool lockless_ = false;  // some folder's file system gives no lock
  bool ownLock_ = false;   // the set's own folder is locked
  int fd_ = -1;            // the set's folder, once locked
  // Its path without links; where the walk to it stopped when it could not
  // be opened.
  std::filesystem::path reached_;
  // Why nothing may be written there: a link of another user's on the way
  // to it, which a read may follow, but no write and no recovery.
  std::string refusal_;
  int openError_ = 0;      // why it could not be opened and looked at
  struct stat stat_ {};    // what it is
};

// How long velk waits for another run that holds a folder's lock.
inline constexpr std::chrono::milliseconds kSetLockWait{10000};

// Takes the locks of the folder of the files (waiting kSetLockWait), puts
// right what an interrupted replacement left there (`recovered`, when
// given, receives what was done), then replaces the files as one set, file
// by file: a reader that takes no lock may see some new and some old
// meanwhile. False on any failure, with `failure` (when given) filled in.
bool ReplaceFilesInTurn(const FileSet& files, SetFailure* failure = nullptr, SetRecovery* recovered = nullptr,
                        const SetOptions& options = {});

}  // namespace velk
