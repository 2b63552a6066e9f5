#include "data/settings_store.h"

#include <optional>

#include "platform/registry_store.h"

namespace velk {
namespace {

// A string value's data ends with its NUL; data without any bytes counts as
// no value at all.
std::string TextOf(const std::optional<std::string>& data, const std::string& defaultValue) {
  if (!data || data->empty()) return defaultValue;
  return data->substr(0, data->size() - 1);
}

}  // namespace

std::string SettingsKeyPath(const std::string& company, const std::string& application,
                            const std::string& version, const std::string& section) {
  std::string path = "SOFTWARE\\";
  if (!company.empty()) path += company + "\\";
  return path + application + "\\" + version + "\\" + section;
}

std::string GetUserSetting(const std::string& company, const std::string& application,
                           const std::string& version, const std::string& section,
                           const std::string& key, const std::string& defaultValue) {
  std::string path = SettingsKeyPath(company, application, version, section);
  // When the key cannot be made (a read-only store) a value already there
  // is still read.
  EnsureUserKey(path);
  return TextOf(ReadUserValue(path, key), defaultValue);
}

std::string GetMachineSetting(const std::string& company, const std::string& application,
                              const std::string& version, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
  return TextOf(ReadMachineValue(SettingsKeyPath(company, application, version, section), key),
                defaultValue);
}

bool SaveUserSetting(const std::string& company, const std::string& application,
                     const std::string& version, const std::string& section,
                     const std::string& key, const std::string& value) {
  return WriteUserString(SettingsKeyPath(company, application, version, section), key, value);
}

}  // namespace velk
