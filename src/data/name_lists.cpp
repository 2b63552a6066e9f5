#include "data/name_lists.h"

#include <optional>

#include "data/config_text.h"

namespace velk {
namespace {

struct NameList {
  std::vector<std::string> names;
  std::string lookup;
};

NameList& Airlines() {
  static NameList list;
  return list;
}
NameList& Models() {
  static NameList list;
  return list;
}
NameList& Types() {
  static NameList list;
  return list;
}

bool ReadNameList(const std::filesystem::path& programFolder, const char* fileName, NameList& list) {
  list.names.clear();
  const std::filesystem::path path = programFolder / fileName;
  std::optional<std::vector<std::string>> lines;
  if (ConfigFileExists(path)) lines = ReadConfigLines(path);
  if (!lines) {
    // An unreadable list would leave every value of the editor marked as
    // unknown; it is reported like a missing one.
    ShowConfigMessage("File '" + std::string(fileName) + "' not found.");
    return false;
  }
  list.lookup.clear();
  for (const std::string& line : *lines) {
    std::string_view name = TrimSpaces(line);
    if (name.empty() || name[0] == ';') continue;
    list.names.emplace_back(name);
    list.lookup += '*';
    list.lookup += name;
    list.lookup += '*';
  }
  return true;
}

}  // namespace

std::vector<std::string>& AirlineNames() { return Airlines().names; }
std::string& AirlineNameLookup() { return Airlines().lookup; }
std::vector<std::string>& ATCModelNames() { return Models().names; }
std::string& ATCModelNameLookup() { return Models().lookup; }
std::vector<std::string>& ATCTypeNames() { return Types().names; }
std::string& ATCTypeNameLookup() { return Types().lookup; }

bool ReadAirlineNames(const std::filesystem::path& programFolder) {
  return ReadNameList(programFolder, "VELK_NAL.CFG", Airlines());
}
bool ReadATCModelNames(const std::filesystem::path& programFolder) {
  return ReadNameList(programFolder, "VELK_NMD.CFG", Models());
}
bool ReadATCTypeNames(const std::filesystem::path& programFolder) {
  return ReadNameList(programFolder, "VELK_NTP.CFG", Types());
}

bool NameIsKnown(std::string_view lookup, std::string_view value) {
  std::string framed = "*";
  framed += value;
  framed += '*';
  return ContainsNoCase(lookup, framed);
}

}  // namespace velk
