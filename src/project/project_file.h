#pragma once
// Project files (*.vxp): a list of traffic plans that belong together, each a
// flight plan file, the aircraft file that goes with it and a description.
//
// The file is a flat little-endian byte sequence without padding:
//   version   text field ("1.0" or "1.1")
//   count     int32
//   entries   count times, one after the other, nothing after the last:
//     1.1 (and every version text other than "1.0"):
//             plan file, aircraft file, description (text fields), flag (int16)
//     1.0:    plan file, description (text fields), flag (int16)
// A text field is a uint16 byte count and that many bytes, no terminator.
// Paths are kept as the file system's bytes; descriptions are
// Windows-1252, like every other text of the plans. Standard library only.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velk {

inline constexpr const char* kProjectVersion10 = "1.0";
inline constexpr const char* kProjectVersion = "1.1";
// The file dialogs' filter of project files.
inline constexpr const char* kProjectFilter = "VELK Project (*.vxp)|*.vxp";

struct ProjectEntry {
  std::string PlanFile;      // full path; unique within a project
  std::string AircraftFile;  // full path; may be empty
  std::string Description;
  // Carried from the file into memory and back; nothing reads it.
  int16_t Flag = 0;
};

struct ProjectFile {
  // The version text of the file read (a 1.0 file comes back as "1.1"); a
  // new project has "1.1".
  std::string Version = kProjectVersion;
  std::vector<ProjectEntry> Entries;
};

// The project held in `bytes`; nothing when they are not a whole project
// file: cut short, a negative count, a text running past the end, bytes
// after the last entry, or a path holding a zero byte. A "1.0" file is
// converted (empty aircraft files, version "1.1").
std::optional<ProjectFile> ParseProjectFile(std::string_view bytes);

// The bytes of `project` in the 1.1 layout under its own version text;
// nothing when a text is longer than the 65535 bytes a field can hold, or
// there are more entries than the count can hold.
std::optional<std::string> ProjectFileBytes(const ProjectFile& project);

// Reads a project file; nothing when it cannot be read or is damaged.
std::optional<ProjectFile> ReadProjectFile(const std::filesystem::path& path);

// Replaces the file at `path` with `project` as a whole: the old file stays
// as it was when anything fails. False on failure (a text too long, a
// folder that cannot be written, a path that is a folder).
bool WriteProjectFile(const std::filesystem::path& path, const ProjectFile& project);

}  // namespace velk
