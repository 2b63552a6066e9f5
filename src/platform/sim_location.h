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
// by TranslateWindowsPathText. Empty when neither gives a folder, or when
// the translation failed (`unlisted` then names the folder that could not
// be listed). The folder is not required to exist.
std::filesystem::path FlightSimFolder(std::filesystem::path* unlisted = nullptr);

// A path as the registry keeps it (Windows-1252 text) as a Linux path:
// "C:\..." lies below the prefix's dosdevices/c: (the link to drive_c is
// followed), "\..." on drive C:, a text starting with "/" is a Linux path
// already. "\" and "/" both separate components, and every component that
// exists under another case is given in its existing spelling. Empty for a
// network path ("\\server\share") and when ResolvePathNoCase fails.
std::filesystem::path TranslateWindowsPath(const std::string& value);
// The same for a path given as UTF-8 text; `unlisted` as for ResolvePathNoCase.
std::filesystem::path TranslateWindowsPathText(const std::string& utf8, std::filesystem::path* unlisted = nullptr);

// `base` joined with the components of `relative` ("\" or "/" separated),
// each matched without regard to case when the exact name does not exist
// (the first match in name order when several differ only in case), so an
// existing file always comes back under its existing spelling. Components
// that are not found are appended as given. The lookup fails, and the result
// is empty, when a folder whose entries it needs cannot be listed (a folder
// that does not exist is no failure: nothing below it is found); `unlisted`,
// when given, then names that folder. Otherwise `unlisted` is left alone.
std::filesystem::path ResolvePathNoCase(const std::filesystem::path& base, const std::string& relative,
                                        std::filesystem::path* unlisted = nullptr);

}  // namespace velk
