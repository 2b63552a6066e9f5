#pragma once
// Whole-file reading, line splitting and atomic replacement of files.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velk {

// The file's bytes, or nothing when it cannot be opened or read; then
// `error`, when given, receives the system's reason.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path,
                                         std::string* error = nullptr);

// Lines of a text: split at LF, one CR before the LF is dropped, a last line
// without an end is kept, an empty text gives no lines. A lone CR stays part
// of its line.
std::vector<std::string_view> SplitLines(std::string_view text);

// Lines cut at every CR and every LF (a CRLF pair counts as one end); used by
// the configuration files, which are cut "at carriage return and line feed".
std::vector<std::string_view> SplitLinesAtCrOrLf(std::string_view text);

// Writes `bytes` to a temporary file in the target's folder, flushes it to
// disk and renames it over `path`. On any failure the old file is left as it
// was, the temporary file is removed and false is returned.
bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// Joins lines with CRLF after each line (the last one too).
std::string JoinCrLf(const std::vector<std::string>& lines);

// Copies `from` to `to` only when `to` does not exist yet; true when the copy
// exists afterwards (made now or before).
bool CopyFileOnce(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace velk
