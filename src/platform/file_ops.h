#pragma once
// The small file-system steps every writer of the programs shares: whole
// writes, folder syncs, existence checks, removal of an entry, the identity
// of a file, the mark that names a program's temporary files, and the test
// seam that makes a step fail. Standard library and POSIX only.
#include <sys/types.h>

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

// The permissions of a new file: read and write for all, less the umask.
mode_t NewFileMode();

// True when anything has the name `path`, a dangling symbolic link too.
bool EntryExists(const std::filesystem::path& path);
// True when `path` leads to something (links followed).
bool PathExists(const std::filesystem::path& path);

// Removes `path` when it is a regular file or a symbolic link (never what a
// link points to, never a folder, pipe or device). True when nothing of that
// name is left.
bool RemoveFileEntry(const std::filesystem::path& path);

// What tells one file from another and from an earlier state of itself: a
// rename keeps all of it, any write changes the size or the modification
// time. The entry itself, not what a link points to.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t mtimeSeconds = 0;
  std::int64_t mtimeNanoseconds = 0;
  bool operator==(const FileIdentity&) const = default;
};
// The identity of the regular file named `path` (not followed through a
// link); nothing for anything else or nothing at all.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path);

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
// name ("create", "write", "fsync", "close", "link", "rename", "unlink") and
// the path concerned; when it returns true the step fails as if the system
// had refused it. A test may also end the process inside it to stand for a
// crash at that step. Null (the default) in the programs.
using FileStepHook = bool (*)(std::string_view step, const std::filesystem::path& path);
void SetFileStepHook(FileStepHook hook);
// True when the seam makes this step fail (errno is then EIO).
bool FileStepFails(std::string_view step, const std::filesystem::path& path);

}  // namespace velk
