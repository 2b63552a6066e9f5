#pragma once
// Several files replaced as one set (a plan with its aircraft list, the
// three traffic texts), and the recovery of a set whose replacement a
// killed run left half done.
//
// A replacement keeps a journal in the folder of the set,
// ".<mark>.journal", named after the program that writes it. First it names
// the targets (relative to that folder, so that a folder moved since still
// recovers) and the run's temporary files; then every new file is written
// whole beside its target as ".<name>.<mark>-set-<run>", and every old one
// gets a second name ".<name>.<mark>-set-<run>.old"; then the journal
// records the identity of each old, new and kept file, and only then are
// the new files renamed over their targets, one after the other. The run
// ends by removing the kept old files and the journal.
//
// Whoever next takes the folder's lock (velk opening or saving a plan
// there, orvane compiling from it, ulvane writing into it) reads a journal
// left by a kill and makes the set whole: the new set when every new file
// is in place or still waiting whole beside its target, else the old set;
// before the identities were recorded, no target has been touched and only
// the run's own temporary files go. It acts only while every file it would
// touch is exactly as the killed run left it; when the user has changed one
// since, it touches nothing, keeps every file and sets the journal aside
// (".<mark>.journal.aside"), never to be tried again. A journal that is no
// regular file, too large, malformed, or names nothing that is as recorded
// is set aside unread or unused alike.
#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/folder_lock.h"

namespace velk {

// New contents for several files, each with its path, in the order the
// files are to be replaced.
using FileSet = std::vector<std::pair<std::filesystem::path, std::string>>;

// What putting right the interrupted replacements of a folder did.
struct SetRecovery {
  // One line for each journal found, for the user (paths in the file
  // system's bytes); none when there was nothing to put right.
  std::vector<std::string> lines;
  // A journal was set aside or could not be carried through: the user
  // should look at the files it names.
  bool attention = false;
  // A journal is still in force: its set may be mixed, and no new set is
  // written into the folder until a run carries it through.
  bool unfinished = false;

  bool Empty() const { return lines.empty(); }
  // The lines, each ended by "\n".
  std::string Text() const;
};

// Why a replacement failed.
struct SetFailure {
  enum class Step {
    kNone,
    kBusy,        // another run held the folder's lock for too long
    kUnfinished,  // an earlier replacement here could not be carried through
    kRefused,     // a target is no regular file, or is read-only
    kCreate,      // a new file, a kept old file or the journal could not be made
    kWrite,       // a new file could not be written whole
    kReplace,     // a rename over a target failed
  };
  Step step = Step::kNone;
  // The file concerned: a target as given, or the journal.
  std::filesystem::path file;
  std::string reason;  // the system's reason
  // Only when a rename failed and the targets replaced before it could not
  // all get their old files back: one line that says which targets are
  // new, which old, and where the old files are kept. The journal then
  // stays, for the next run to carry through.
  std::string mixed;
};

// The folder a set of files is replaced in, with its lock.
class SetFolder {
 public:
  explicit SetFolder(std::filesystem::path folder) : folder_(std::move(folder)) {}

  // Takes the folder's lock, waiting for another holder (`waiting` is called
  // once before such a wait).
  template <typename Waiting>
  FolderLock::Result Lock(Waiting waiting) {
    return locked_ = lock_.Lock(folder_, waiting);
  }
  // Takes the folder's lock, waiting at most `limit` for another holder.
  FolderLock::Result LockWithin(std::chrono::milliseconds limit) {
    return locked_ = lock_.LockWithin(folder_, limit);
  }

  // Puts right what interrupted replacements left in the folder (see the
  // top of this file). Only after Lock or LockWithin; nothing while another
  // run holds the lock. A file system without locks is put right anyway,
  // as nothing could ever be there.
  SetRecovery Recover();

  // Replaces the files of `files` (through any symbolic link, see
  // ResolveWriteTarget) as one set: a failure before the renames leaves
  // every target as it was; one during them gives the targets already
  // replaced their old files back; a kill at any step is put right by
  // Recover. Old files keep their permissions. A target named twice gets
  // its last contents. False, with `failure` filled in, on any failure and
  // when another run holds the lock. Only after Lock or LockWithin.
  bool Replace(const FileSet& files, SetFailure& failure);

  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
  FolderLock lock_;
  FolderLock::Result locked_ = FolderLock::Result::kBusy;
};

// How long velk waits for another run that holds a folder's lock.
inline constexpr std::chrono::milliseconds kSetLockWait{10000};

// Takes the lock of the folder of the first file (waiting kSetLockWait),
// puts right what an interrupted replacement left there (`recovered`, when
// given, receives what was done), then replaces the files as one set. False
// on any failure, with `failure` (when given) filled in.
bool WriteFilesAtomic(const FileSet& files, SetFailure* failure = nullptr, SetRecovery* recovered = nullptr);

// For a reader about to read a set from `folder`: takes its lock (waiting
// kSetLockWait) and puts right what an interrupted replacement left there.
// Nothing is done while another run holds the lock.
SetRecovery RecoverFolder(const std::filesystem::path& folder);

}  // namespace velk
