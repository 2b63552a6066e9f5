#pragma once
// Listing a folder without exceptions. The standard iterator throws out of a
// range-for when the system fails part way through a listing (an I/O error),
// which would end the program with unsaved work; every listing of the
// programs goes through here and gets the failure as a value instead.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

namespace velk {

// The entries of `folder`, in the order the system gives them. False when
// the folder cannot be opened (a missing one gives
// std::errc::no_such_file_or_directory) or its listing fails part way, with
// the reason in `error`; `entries` then holds what was listed before the
// failure, for callers that can make do with part of a listing.
bool ListFolder(const std::filesystem::path& folder, std::vector<std::filesystem::directory_entry>& entries,
                std::error_code& error);

// Calls `each` with the name of every entry of the open folder `folder`
// (but "." and "..") until it returns false; the folder's own reading
// position stays. False (errno set) when the folder cannot be listed whole,
// or `each` said stop.
bool ForEachEntry(int folder, const std::function<bool(const std::string&)>& each);

// The message for a folder that could not be listed, in Windows-1252:
// "Could not list folder '<path>'.".
std::string ListFailedMessage(const std::filesystem::path& folder);

// Tests only: asked before each entry of every listing with the folder and
// the number of entries listed so far; an error it returns ends that listing
// as a failing system call would. Empty by default.
using FolderListFault = std::function<std::error_code(const std::filesystem::path& folder, size_t listed)>;
void SetFolderListFault(FolderListFault fault);

}  // namespace velk
