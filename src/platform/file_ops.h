#pragma once
// The small file-system steps every writer of the programs shares: whole
// writes, new files made and flushed, renames made durable, folder syncs,
// existence checks, removal of an entry, the identity of a file, the mark
// that names a program's temporary files, and the test seam that makes a
// step fail. Standard library and POSIX only.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velk {

// Writes all of `bytes` to `fd`, going on after interruptions; false (with
// errno set) when the system refuses.
bool WriteAll(int fd, std::string_view bytes);

// Makes a rename or a new name in the folder of `path` durable. A folder
// that cannot be synced changes nothing for the caller: the step itself has
// happened.
void SyncFolderOf(const std::filesystem::path& path);

// Makes the new file `name` (relative to the open folder `folder`, or
// AT_FDCWD) for writing: never through a link, never over anything of that
// name, private until FinishNewFile gives it its mode. -1 (errno set) when
// it cannot. `shown` names it for the test seam.
int CreateNewFile(int folder, const std::filesystem::path& name, const std::filesystem::path& shown);
// Makes a new file of a fresh name beside `target` (TemporaryNameTemplate)
// for writing; -1 (errno set) when none can be made. `name` receives it.
int CreateTemporaryBeside(const std::filesystem::path& target, std::string& name);
// The same inside the open `folder`, for the file named `target` there:
// never through a link. `name` receives the name made in `folder`; `shown`
// is the folder as the user sees it, for the test seam.
int CreateTemporaryIn(int folder, const std::string& target, std::string& name, const std::filesystem::path& shown);

// `count` letters and digits from the system's random source (or, without
// it, from the process and the clock), for names no other run picks.
std::string RandomLetters(std::size_t count);

// The folder open as a place (O_PATH) as `place`, opened again for what a
// writer does in it: for reading, so that it can be synced and listed; a
// folder the user may write into but not list, only as a place, which is
// enough to make names in. -1 (errno set) when it cannot be.
int OpenFolderForUse(int place);
// Closes `fd` (when open) without losing the errno of a step that failed
// before.
void CloseKeepingErrno(int fd);

// "name (uid)" of the user `uid`, or "number uid" when the system knows no
// name for it.
std::string UserName(uid_t uid);
// The owner of a link that a write may follow: this user, or root, who
// owns what every user may follow anyway. Anyone else could point the link
// at any file of this user's.
bool MayFollowLinkOf(uid_t owner);
// Why the link `link` of `owner`, whom MayFollowLinkOf refuses, is not
// followed: "the symbolic link '<link>' belongs to the user <owner>, not to
// you".
std::string LinkRefusal(const std::filesystem::path& link, uid_t owner);
// Gives the new file `fd` its `mode`, flushes it to disk and closes it
// (always); `status`, when given, receives what it is once whole. False
// (errno set) on any failure.
bool FinishNewFile(int fd, mode_t mode, const std::filesystem::path& shown, struct stat* status = nullptr);
// CreateNewFile, the whole of `bytes` and FinishNewFile in one; a file that
// could not be made whole is removed again.
bool WriteNewFile(int folder, const std::filesystem::path& name, std::string_view bytes, mode_t mode,
                  const std::filesystem::path& shown, struct stat* status = nullptr);

// Renames `from` over `to` (each relative to its open folder, or AT_FDCWD)
// and makes it durable; false (errno set) when the system refuses. With
// `noReplace`, a file that stands at `to` is not replaced (EEXIST), where
// the file system can refuse that in the rename itself; where it cannot,
// the rename replaces as without.
bool RenameDurably(int fromFolder, const std::filesystem::path& from, int toFolder,
                   const std::filesystem::path& to, const std::filesystem::path& shown, bool noReplace = false);
inline bool RenameDurably(const std::filesystem::path& from, const std::filesystem::path& to) {
  return RenameDurably(AT_FDCWD, from, AT_FDCWD, to, to);
}

enum class RenameResult { kRenamed, kExists, kFailed };
// Gives `from` the name `to` (both relative to the open `folder`, or
// AT_FDCWD) unless something has that name already (a link counts), never
// replacing it, even in a race: a rename that refuses to replace, else a
// hard link, else a look first (the callers hold the folder's lock then).
// kFailed with errno set.
RenameResult RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                             int folder = AT_FDCWD);

// The umask of the process, read without changing it: umask() can only
// read it by setting another one for a moment, and a file another thread
// makes in that moment would get every permission. From /proc; where that
// cannot be read, the umask taken once as the program began, before any
// thread, or the one set since through SetUmask.
mode_t CurrentUmask();
// Sets the umask of the process (the program's one way to change it, so
// that CurrentUmask knows it without /proc); returns the one before.
mode_t SetUmask(mode_t mask);
// The permissions of a new file: read and write for all, less the umask.
mode_t NewFileMode();
// The permissions a copy of a file or folder of the mode `source` gets, as
// a new file of the user's would: the source's read, write and execute
// bits less the umask `mask`, never setuid, setgid or sticky. Another
// user's setuid program copied would otherwise become the user's own.
inline mode_t CopyMode(mode_t source, mode_t mask) { return source & 0777 & ~mask; }
inline mode_t CopyMode(mode_t source) { return CopyMode(source, CurrentUmask()); }

// Why the regular file `name` (relative to the open `folder`, or AT_FDCWD),
// whose status is `st`, may not be replaced: 0 when it may. A file marked
// read-only (no write bit at all) is refused even for a user whom the
// system would let write it (root), as a rename would replace it
// regardless, and so is one this user may not write.
int ReplaceRefusal(int folder, const std::filesystem::path& name, const struct stat& st);

// True when anything has the name `path`, a dangling symbolic link too.
bool EntryExists(const std::filesystem::path& path);
// True when `path` leads to something (links followed).
bool PathExists(const std::filesystem::path& path);

// Removes `path` when it is a regular file or a symbolic link (never what a
// link points to, never a folder, pipe or device). True when nothing of that
// name is left.
bool RemoveFileEntry(const std::filesystem::path& path);
// Removes the entry `name` of the open `folder` (never what a link leads to,
// never a folder), as a step of the seam below, which names it `shown`. True
// when nothing of that name is left.
bool RemoveAt(int folder, const std::filesystem::path& name, const std::filesystem::path& shown);
// Removes the regular file or link `name` of the open `folder` that a run of
// this user's left; another user's file of such a name is none, and stays.
// True when it went.
bool RemoveOwnLeftover(int folder, const std::string& name, const std::filesystem::path& shown);

// What tells one file from another and from an earlier state of itself: a
// rename keeps all of it, any write changes the size or the modification
// time. The entry itself, not what a link points to. Without the device
// number, which a disk may change from one mount to the next.
struct FileIdentity {
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t mtimeSeconds = 0;
  std::int64_t mtimeNanoseconds = 0;
  bool operator==(const FileIdentity&) const = default;
};
// The identity of the regular file named `path` (not followed through a
// link); nothing for anything else or nothing at all.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path);
FileIdentity IdentityOf(const struct stat& status);

// The mark of the running program in the names of the files it leaves for a
// moment beside others ("velk", "orvane", "ulvane"), so that it never takes
// another program's temporary file for its own. "velk" unless set.
void SetProgramMark(std::string_view mark);
const std::string& ProgramMark();
// The marks of this tool set's programs, which leave journals that each of
// them finishes.
inline constexpr std::string_view kProgramMarks[] = {"velk", "orvane", "ulvane"};

// The mkstemp pattern of a temporary file beside `target`:
// ".<name>.<mark>-XXXXXX", the X's to be filled with letters and digits.
std::string TemporaryNameTemplate(const std::filesystem::path& target);
// The name of the file that `name` is a temporary of, when `name` has the
// form TemporaryNameTemplate gives with this program's mark. Nothing for
// any other name, also another program's ".NAME.XXXXXX". Such a file that
// outlived its writer was left by a kill.
std::optional<std::string_view> TemporaryTargetName(std::string_view name);


// Test seam: called before each file step of the writers with the step's
// name ("create", "write", "fsync", "close", "link", "rename", "unlink", and
// in the recovery of sets "open", "read", "stat", and "access" for whether
// a target may be replaced; "read" also before each
// read of ReadKnownFile; "lock" for a folder lock,
// whose failure stands for a file system without locks) and the path
// concerned; when it returns true the step fails as if the system
// had refused it, with the errno the hook set (EIO when it left errno 0),
// so that a test can stand for a given refusal (EACCES). A test may also
// end the process inside it to stand for a crash at that step. Null (the
// default) in the programs.
using FileStepHook = bool (*)(std::string_view step, const std::filesystem::path& path);
void SetFileStepHook(FileStepHook hook);
// True when the seam makes this step fail (errno is then the hook's, or
// EIO); a step that goes on keeps the errno it had.
bool FileStepFails(std::string_view step, const std::filesystem::path& path);

}  // namespace velk
