#pragma once
// Whole folders made, copied and removed through open folders, never by
// path: a link that someone plants inside one, or on the way to it, after
// it was opened leads nowhere. Every step goes through the test seam of
// file_ops.h. Standard library and POSIX only.
#include <filesystem>
#include <string>

namespace velk {

// Makes a new, private (0700) folder of a fresh name, `prefix` and six
// letters and digits, in the open `folder`; `name` receives it. -1 (errno
// set) when none can be made, else the new folder opened for reading.
// `shown` is `folder` as the user sees it, for the test seam.
int MakeFreshFolderIn(int folder, const std::string& prefix, std::string& name, const std::filesystem::path& shown);

// Copies what the open folder `from` holds into the open, empty folder `to`:
// regular files and folders with their modes, symbolic links as links
// (never followed); anything else (a pipe, a device, a socket) is left out.
// Each folder gets its mode once it is full, so that a read-only one can be
// copied too; `to` itself is left as it is. False (errno set) when anything
// could not be copied; what was copied then stays for the caller to remove.
// `shown` is `to` as the user sees it.
bool CopyFolderContents(int from, int to, const std::filesystem::path& shown);

// Removes `name` of the open `folder` with everything in it: a folder of the
// user's own that the user may not list or change is opened up first. Links
// are removed, never followed. True when nothing of the name is left.
bool RemoveTreeAt(int folder, const std::string& name, const std::filesystem::path& shown);

}  // namespace velk
