#pragma once
// Whole-file reading and the one atomic writer of the programs. Lines are
// cut by text_lines.h, which comes with this header.
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_ops.h"
#include "platform/text_lines.h"
#include "platform/write_target.h"

namespace velk {

// How a file is opened for reading, when not as usual.
struct ReadLimits {
  int folder = AT_FDCWD;              // `path` is relative to this open folder
  bool followLinks = true;            // false: a link in the file's place is no regular file
  std::size_t maxBytes = SIZE_MAX;    // a larger file is refused (EFBIG) without being read
  struct stat* status = nullptr;      // receives the status of the file as opened
};

// The bytes of `path` when it is a regular file (through any link) that can
// be read; nothing for a folder, a pipe (whose read could wait for ever), a
// device, or a missing or unreadable file. Then `error`, when given,
// receives the reason, and `errorNumber` the system's error number (EINVAL
// for anything but a regular file).
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::string* error = nullptr,
                                         const ReadLimits& limits = {}, int* errorNumber = nullptr);

// A file's bytes in a buffer that is not zero-filled first.
struct FileBytes {
  std::unique_ptr<char[]> data;
  size_t size = 0;
  std::string_view view() const { return {data.get(), size}; }
};

enum class RegularReadResult { kOk, kCannotOpen, kNotRegular, kReadFailed };

// Reads a regular file whole into `out`; a large one is read by several
// threads at once, since copying out of the page cache is a good part of
// the reading time. Anything but a regular file (a folder, a FIFO, a device,
// also behind a link) is refused before it is opened for reading, so that
// nothing waits on it or reads it without end. A file that grows while it
// is read is read up to the size it had; one that shrinks is kReadFailed.
// `limits` as for ReadFileBytes (its maxBytes aside); `fingerprint`, when
// given, receives TextFingerprint of the bytes read (see ReadOpenFile).
RegularReadResult ReadRegularFileBytes(const std::filesystem::path& path, FileBytes& out,
                                       const ReadLimits& limits = {}, std::uint64_t* fingerprint = nullptr);
// The same for the regular file open as `fd`, of the status `status` taken
// once it was open: read from its start, up to that size. `fingerprint`,
// when given, receives TextFingerprint of the very bytes read, each block
// hashed by the thread that read it while it is fresh in the cache. On
// kReadFailed `error`, when given, receives the system's error number of a
// read it refused, 0 when the file ended before that size.
RegularReadResult ReadOpenFile(int fd, const struct stat& status, FileBytes& out,
                               std::uint64_t* fingerprint = nullptr, int* error = nullptr);

// Opens a regular file for reading (the descriptor, to be closed by the
// caller), refusing anything else as ReadRegularFileBytes does; -1, with
// the reason in `why` (and the system's error number in `error`, EINVAL
// for a pipe or a device), when it cannot. `limits.status` receives the
// status of what was refused as kNotRegular, too (its type says what it is;
// untouched when the name is a link not to be followed).
int OpenRegularFile(const std::filesystem::path& path, RegularReadResult& why, int* error = nullptr,
                    const ReadLimits& limits = {});

// Replaces the file at `path` (through any symbolic link of the user's,
// see WriteTarget) with `bytes`: they go to a new temporary file in the
// target's folder, which is flushed to disk and then renamed over the target
// in one step, so the target is at every moment either the old file or the
// new one, whole. The old file's permissions are kept. Refused, with the old
// file untouched: a target that exists but is not a regular file (a folder,
// a pipe, a device), and one the user may not write (a read-only file is
// never replaced). On any failure the temporary file is removed, `error`
// (when given) receives the reason, and false comes back. A write killed
// part way leaves the old file whole and at most a temporary file named
// ".<name>.<mark>-XXXXXX" beside it (see TemporaryNameTemplate). Several
// files that belong together are replaced by ReplaceFilesInTurn
// (platform/file_set.h).
bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes,
                     std::string* error = nullptr);

// True when `file` (through any link) is an existing regular file that
// WriteFileAtomic would replace: a file without any write bit is locked, as
// the simulator's own tools treat it, also for a user whom the system would
// let write it anyway. Otherwise `error`, when given, receives the reason.
bool MayRewrite(const std::filesystem::path& file, std::string* error = nullptr);

// The message for a file that could not be written, in Windows-1252:
// "Could not write file '<path>'.".
std::string WriteFailedMessage(const std::filesystem::path& path);

// The steps of WriteFileAtomic, for tests that stop a writer part way.
enum class AtomicWriteStep { kTemporaryCreated, kWritten, kFlushed, kReplaced };
// Called at each step of every WriteFileAtomic of this process; nothing by
// default. Tests only.
void SetAtomicWriteObserver(void (*observer)(AtomicWriteStep step, const std::filesystem::path& temporary));

// A fingerprint of a text's bytes, to tell whether a file still holds what
// was read from it earlier.
std::uint64_t TextFingerprint(std::string_view text);

// Joins lines with CRLF after each line (the last one too).
std::string JoinCrLf(const std::vector<std::string>& lines);

// Copies `from` to `to` (through a link at `to`, see WriteTarget)
// only when `to` does not exist yet; true when the copy exists afterwards
// (made now, or before by this user). The copy is made whole under a
// temporary name and only then given its name, so a copy killed part way
// never stands as a finished backup, and an existing file of that name is
// never replaced, also when two copies race. False, with the reason in
// `error`, when it cannot be made, and when a link of another user's, a
// folder or anything but a file of this user's stands at `to`: nothing is
// then made through it. `from` too is read through no link of another
// user's (nor anything but a regular file). The copy gets the permissions
// of a new file (CopyMode): the original's permission bits less the umask.
bool CopyFileOnce(const std::filesystem::path& from, const std::filesystem::path& to, std::string* error = nullptr);

}  // namespace velk
