#pragma once
// What every write of the aircraft editors into the simulator's files (or
// the program's class file) checks first, and the one-time backup it makes.
#include <filesystem>

namespace velk {

// True when `file` is an existing regular file that the user may change: a
// file without any write permission is treated as locked, as the
// simulator's own tools treat it, and is never replaced (also not by a user
// whom the system would let write it).
bool MayRewrite(const std::filesystem::path& file);

// Copies `file` to its name with ".velk.bak" appended unless a file of that
// name exists already, so the backup keeps the state before the first change
// ever made. True when the backup exists afterwards.
bool MakeBackupOnce(const std::filesystem::path& file);

}  // namespace velk
