#pragma once
// Finding the simulator's installation and its files. Shared by velk, orvane
// and ulvane; standard library only.
#include <filesystem>
#include <string>

namespace velk {

// The machine key and value that name the simulator's folder.
inline constexpr const char* kSimRegistryKey =
    "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\8.0";
inline constexpr const char* kSimRegistryValue = "EXE Path";

// The simulator folder: VELK_FS_PATH when set (a Linux path, taken as
// given), else the "EXE Path" value of the simulator's machine key in the
// Wine prefix (its whole text, characters outside Windows-1252 included),
// without leading and trailing blanks and trailing backslashes, translated
// by TranslateWindowsPathText. Empty when neither gives a folder. The folder
// is not required to exist.
std::filesystem::path FlightSimFolder();

// A path as the registry keeps it (Windows-1252 text) as a Linux path:
// "C:\..." lies below the prefix's dosdevices/c: (the link to drive_c is
// followed), "\..." on drive C:, a text starting with "/" is a Linux path
// already. "\" and "/" both separate components, and every component that
// exists under another case is given in its existing spelling. Empty for a
// network path ("\\server\share").
std::filesystem::path TranslateWindowsPath(const std::string& value);
// The same for a path given as UTF-8 text.
std::filesystem::path TranslateWindowsPathText(const std::string& utf8);

// `base` joined with the components of `relative` ("\" or "/" separated),
// each matched without regard to case when the exact name does not exist
// (the first match in name order when several differ only in case), so an
// existing file always comes back under its existing spelling. Components
// that are not found are appended as given.
std::filesystem::path ResolvePathNoCase(const std::filesystem::path& base,
                                        const std::string& relative);

}  // namespace velk
