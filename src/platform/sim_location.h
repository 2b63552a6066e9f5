#pragma once
// Finding the simulator's installation and its files. Shared by velk, orvane
// and ulvane; standard library only.
#include <filesystem>
#include <string>

namespace velk {

// The simulator folder: VELK_FS_PATH when set, else the "EXE Path" value of
// the simulator's machine key in the Wine prefix, translated to a Linux path.
// Empty when neither gives a folder.
std::filesystem::path FlightSimFolder();

// `base` joined with the components of `relative` ("\" or "/" separated),
// each matched without regard to case when the exact name does not exist.
// Components that are not found are appended as given.
std::filesystem::path ResolvePathNoCase(const std::filesystem::path& base,
                                        const std::string& relative);

}  // namespace velk
