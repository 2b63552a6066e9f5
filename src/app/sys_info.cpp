#include "app/sys_info.h"

#include "platform/registry_store.h"

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

std::optional<std::string> GetKeyValue(const std::string& key, const std::string& value) {
  std::optional<std::string> data = ReadMachineValue(key, value);
  if (data && !data->empty() && data->back() == '\0') data->pop_back();
  return data;
}

}  // namespace velk
