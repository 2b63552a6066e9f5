#include "search/move_action_file.h"

#include <string_view>

#include "data/text_number.h"
#include "platform/profile_file.h"
#include "platform/text_file.h"

namespace velk {
namespace {

constexpr const char* kGeneral = "GENERAL";
constexpr const char* kSelection = "SELECTION";
constexpr const char* kOptions = "OPTIONS";

// A value counts only when the file gives at least one character for it.
std::optional<std::string> Present(const ProfileFile& file, const char* section, const char* key) {
  std::optional<std::string> value = file.Find(section, key);
  if (!value || value->empty()) return std::nullopt;
  return value;
}

}  // namespace

std::string MoveActionBytes(const MoveAction& action) {
  ProfileFile file;
  file.SetString(kGeneral, "TYPE", "1");
  // Refuses the names that would not read back as the same key; all titles
  // in one go, as a selection may hold tens of thousands.
  file.SetStrings(kSelection, action.Selection, "1");
  file.SetString(kOptions, "PERCENT", std::to_string(action.Percent));
  file.SetString(kOptions, "SOURCE", action.Source.value_or(""));
  file.SetString(kOptions, "DESTINATION", action.Destination.value_or(""));
  return file.Bytes();
}

bool SaveMoveActionFile(const std::filesystem::path& path, const MoveAction& action) {
  return WriteFileAtomic(path, MoveActionBytes(action));
}

std::optional<MoveAction> ParseMoveAction(std::string_view bytes) {
  ProfileFile file(bytes);
  std::optional<std::string> type = Present(file, kGeneral, "TYPE");
  if (!type) return std::nullopt;
  std::optional<std::int32_t> kind = text_number::ParseInt32(*type);
  if (!kind || *kind != 1) return std::nullopt;

  MoveAction action;
  if (std::optional<std::string> percent = Present(file, kOptions, "PERCENT")) {
    std::optional<std::int32_t> value = text_number::ParseInt32(*percent);
    if (value && *value > 0 && *value < 101) action.Percent = *value;
  }
  action.Source = Present(file, kOptions, "SOURCE");
  action.Destination = Present(file, kOptions, "DESTINATION");
  // Every key is read, however long the list.
  action.Selection = file.KeyNames(kSelection);
  return action;
}

std::optional<MoveAction> LoadMoveActionFile(const std::filesystem::path& path) {
  std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  return ParseMoveAction(*bytes);
}

}  // namespace velk
