#pragma once
// Whole folders made, copied and removed through open folders, never by
// path: a link that someone plants inside one, or on the way to it, after
// it was opened leads nowhere. A copy holds the folder it builds in, so
// that what a killed one left can be told apart and removed. Every step goes
// through the test seam of file_ops.h. Standard library and POSIX only.
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/folder_lock.h"

namespace velk {

// Makes a new, private (0700) folder of a fresh name, `prefix` and six
// letters and digits, in the open `folder`; `name` receives it. -1 (errno
// set) when none can be made, else the new folder opened for reading.
// `shown` is `folder` as the user sees it, for the test seam.
int MakeFreshFolderIn(int folder, const std::string& prefix, std::string& name, const std::filesystem::path& shown);

// A folder copy as the user sees it: the folder copied and the copy under
// the name it is to have (it may be made under another one first), what the
// copy left out, and where and why it failed.
struct FolderCopy {
  std::filesystem::path from;
  std::filesystem::path to;
  // Entries of `from` that are neither files, folders nor links, as
  // "'<path>' (a pipe)" (or a device, a socket).
  std::vector<std::string> leftOut;
  // When the copy failed: the file of `to` that could not be made, and why
  // (naming the entry of `from` when the cause lies there).
  std::filesystem::path file;
  std::string reason;
};

// Makes the folder that a copy of a folder is built in before it is given
// the name `target`: a fresh ".<target>.<mark>-XXXXXX" (the form of
// TemporaryNameTemplate), private, in the open `folder`, and holds it by
// `lock` (on a file system without locks, unheld), so that no sweep
// (RemoveLeftoverCopies) takes it for a killed copy's while the copy
// works. The copy keeps `lock` until the folder has its name or is removed.
// -1 (errno set) when none can be made, else the folder opened for
// reading; `name` receives its name. `shown` is `folder` as the user sees
// it, for the test seam.
int MakeCopyFolderIn(int folder, const std::string& target, std::string& name, FolderLock& lock,
                     const std::filesystem::path& shown);

// Removes from the open `folder` (`shown` as the user sees it) what copies
// killed while they worked left there: the user's own folders of the names
// MakeCopyFolderIn gives, with everything in them, when no running copy
// holds them. Another user's folder, a link, anything of another name and
// a folder held are left as they are; so is everything on a file system
// without locks, where a running copy cannot be told from a killed one.
// Returns how many went.
std::size_t RemoveLeftoverCopies(int folder, const std::filesystem::path& shown);
// The same in the folder `folder`, reached as a write reaches it (never
// through a link of another user's).
std::size_t RemoveLeftoverCopies(const std::filesystem::path& folder);

// Copies what the open folder `from` holds into the open, empty folder `to`:
// regular files and folders with the modes of new ones (CopyMode: the
// source's permission bits less the umask), and the symbolic links of the
// user's own and root's as links (never followed). A link of another user's
// fails the copy: copied, it would become a link of the user's own, which
// every writer follows, leading wherever the other user chose. Anything else
// (a pipe, a device, a socket) is left out and listed in `copy.leftOut`.
// Each folder gets its mode once it is full, so that a read-only one can be
// copied too; `to` itself is left as it is. False (errno set, `copy.file`
// and `copy.reason` telling why) when anything could not be copied; what
// was copied then stays for the caller to remove. `shown` is `to` as it is
// named now, for the test seam.
bool CopyFolderContents(int from, int to, const std::filesystem::path& shown, FolderCopy& copy);

// Removes `name` of the open `folder` with everything in it: a folder of the
// user's own that the user may not list or change is opened up first. Links
// are removed, never followed. True when nothing of the name is left.
bool RemoveTreeAt(int folder, const std::string& name, const std::filesystem::path& shown);

}  // namespace velk
