#pragma once
// Whole folders made, copied and removed through open folders, never by
// path: a link that someone plants inside one, or on the way to it, after
// it was opened leads nowhere. Every step goes through the test seam of
// file_ops.h. Standard library and POSIX only.
#include <filesystem>
#include <string>
#include <vector>

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
