#pragma once
// VELK's settings: string values below
// SOFTWARE\<company>\<application>\<version>\<section> of the user's store,
// and read-only values of the machine store (used to find the simulator).
#include <string>

namespace velk {

inline constexpr const char* kCompany = "Brennhall";
inline constexpr const char* kApplication = "Corrivan";
inline constexpr const char* kVersion = "1.0";

std::string GetUserSetting(const std::string& company, const std::string& application,
                           const std::string& version, const std::string& section,
                           const std::string& key, const std::string& defaultValue);
std::string GetMachineSetting(const std::string& company, const std::string& application,
                              const std::string& version, const std::string& section,
                              const std::string& key, const std::string& defaultValue);
// True when the value was written.
bool SaveUserSetting(const std::string& company, const std::string& application,
                     const std::string& version, const std::string& section,
                     const std::string& key, const std::string& value);

}  // namespace velk
