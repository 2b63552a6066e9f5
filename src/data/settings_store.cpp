#include "data/settings_store.h"

#include <map>

namespace velk {
namespace {

// Interim in-memory store until the registry file lands.
std::map<std::string, std::string>& Store() {
  static std::map<std::string, std::string> store;
  return store;
}

std::string KeyOf(const std::string& c, const std::string& a, const std::string& v,
                  const std::string& s, const std::string& k) {
  return c + "\\" + a + "\\" + v + "\\" + s + "\\" + k;
}

}  // namespace

std::string GetUserSetting(const std::string& company, const std::string& application,
                           const std::string& version, const std::string& section,
                           const std::string& key, const std::string& defaultValue) {
  auto it = Store().find(KeyOf(company, application, version, section, key));
  return it == Store().end() ? defaultValue : it->second;
}

std::string GetMachineSetting(const std::string&, const std::string&, const std::string&,
                              const std::string&, const std::string&,
                              const std::string& defaultValue) {
  return defaultValue;
}

bool SaveUserSetting(const std::string& company, const std::string& application,
                     const std::string& version, const std::string& section,
                     const std::string& key, const std::string& value) {
  Store()[KeyOf(company, application, version, section, key)] = value;
  return true;
}

}  // namespace velk
