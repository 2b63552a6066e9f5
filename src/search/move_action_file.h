#pragma once
// Move action files ("*.velka"): the choices of the Move tab kept in a
// profile file so that the same move can be run again later or on another
// plan. The file holds, in this order:
//   [GENERAL]   TYPE=1
//   [SELECTION] one key per checked aircraft title, each "=1"
//   [OPTIONS]   PERCENT=<percent, -1 for a plain move>
//               SOURCE=<source ICAO>  DESTINATION=<destination ICAO>
// Section and key names compare without regard to case; only the key names
// of SELECTION are read, never their values. Texts are Windows-1252 bytes.
// Standard library only.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velk {

inline constexpr const char* kMoveActionFileName = "VELK Action.velka";
inline constexpr const char* kMoveActionFilter = "VELK Action Files (*.velka)|*.velka";

struct MoveAction {
  // Percent of a percent move; -1 for a plain move.
  int Percent = -1;
  // Texts of the checked Move-tree nodes (aircraft titles), in tree order.
  std::vector<std::string> Selection;
  // Present only when the file gives a non-empty value.
  std::optional<std::string> Source;
  std::optional<std::string> Destination;

  bool operator==(const MoveAction&) const = default;
};

// The file's bytes (CR LF line ends). A name that cannot be a key (one
// holding "=" or a line break, or starting with "[" or ";") is left out, as
// it could not be read back.
std::string MoveActionBytes(const MoveAction& action);

// Replaces the file at `path` whole (nothing of an older action survives);
// false when it could not be written, the old file then being unchanged.
bool SaveMoveActionFile(const std::filesystem::path& path, const MoveAction& action);

// The action in a file, or nothing when the file cannot be read or is no
// action file: GENERAL/TYPE must be a number that rounds to 1 ("1", " 1 ",
// "1.0"). A PERCENT that is no number or lies outside 1..100 reads as -1.
std::optional<MoveAction> LoadMoveActionFile(const std::filesystem::path& path);
std::optional<MoveAction> ParseMoveAction(std::string_view bytes);

}  // namespace velk
