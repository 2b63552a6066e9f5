#pragma once
// The two registry stores the programs use:
// - the user store (the current user's settings), a registry text file at
//   $VELK_CONFIG_HOME/user.reg, else $XDG_CONFIG_HOME/velk/user.reg, else
//   ~/.config/velk/user.reg;
// - the machine store, read only: the Wine prefix's system.reg
//   ($WINEPREFIX, default ~/.wine). It is never written.
// Each file is read once and kept; it is read again when its path (the
// environment) or the file on disk changes.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velk {

std::filesystem::path UserStorePath();
std::filesystem::path WinePrefixFolder();
std::filesystem::path MachineStorePath();

// A key path is "\"-separated; a trailing "\" is ignored. Paths with an
// empty component in the middle ("a\\b") name no key.
bool IsValidKeyPath(std::string_view keyPath);

// The value's data as the ANSI registry calls return it (a string value's
// text followed by its NUL); nothing when the key or the value is missing
// or the store cannot be read.
std::optional<std::string> ReadUserValue(std::string_view keyPath, std::string_view name);

// Makes the key when it is missing (and writes the store then). False when
// the key cannot be made.
bool EnsureUserKey(std::string_view keyPath);

// Stores `text` as an expandable string (never expanded) and rewrites the
// store file atomically. False when it could not be written; the store file
// is then as it was.
bool WriteUserString(std::string_view keyPath, std::string_view name, std::string_view text);

// A machine value: the key below "Software\Wow6432Node\" is looked at first
// for a path starting with "Software\", then the path itself.
std::optional<std::string> ReadMachineValue(std::string_view keyPath, std::string_view name);

// The whole text of a machine string value, as UTF-8 and without its
// terminator (found as ReadMachineValue finds it): for values that name
// files, whose characters need not all be in Windows-1252. Nothing when the
// value is missing or is no string.
std::optional<std::string> ReadMachineText(std::string_view keyPath, std::string_view name);

}  // namespace velk
