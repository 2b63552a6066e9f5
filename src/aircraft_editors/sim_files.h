#pragma once
// The one-time backup that every write of the aircraft editors into the
// simulator's files (or the program's class file) makes first; whether such
// a file may be rewritten at all is MayRewrite in platform/text_file.h.
#include <filesystem>
#include <string>

#include "platform/text_file.h"

namespace velk {

// Copies `file` to its name with ".velk.bak" appended unless a file of that
// name exists already, so the backup keeps the state before the first change
// ever made. True when the backup exists afterwards; else `error`, when
// given, names the backup and says why it could not be made.
bool MakeBackupOnce(const std::filesystem::path& file, std::string* error = nullptr);

}  // namespace velk
