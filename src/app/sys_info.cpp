#include "app/sys_info.h"

#include <vector>

#include "data/settings_store.h"

namespace velk {

std::optional<std::string> FindSysInfoProgram(const SysInfoLookup& lookup) {
  if (!lookup.ReadMachineValue) return std::nullopt;
  if (auto path = lookup.ReadMachineValue("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH"))
    return *path;
  if (auto folder = lookup.ReadMachineValue("SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO")) {
    std::string program = *folder + "\\MSINFO32.EXE";
    if (lookup.FileExists && lookup.FileExists(program)) return program;
  }
  return std::nullopt;
}

std::optional<std::string> ReadMachineValue(const std::string& key, const std::string& value) {
  // The store builds "SOFTWARE\<application>\<version>\" for an empty
  // company and section, so the key's parts below SOFTWARE go there.
  const std::string prefix = "SOFTWARE\\";
  if (key.rfind(prefix, 0) != 0) return std::nullopt;
  std::string rest = key.substr(prefix.size());
  size_t cut = rest.find('\\');
  if (cut == std::string::npos) return std::nullopt;
  // A default no stored value can hold tells "missing" from "empty".
  const std::string missing(1, '\x01');
  std::string text =
      GetMachineSetting("", rest.substr(0, cut), rest.substr(cut + 1), "", value, missing);
  if (text == missing) return std::nullopt;
  return text;
}

}  // namespace velk
