#pragma once
// VELK's settings: string values below
// SOFTWARE\<company>\<application>\<version>\<section> of the user's store,
// and read-only values of the machine store (used to find the simulator).
// Nothing here raises an error: reads fall back to the caller's default and
// a failed write returns false.
#include <string>

namespace velk {

inline constexpr const char* kCompany = "Brennhall";
inline constexpr const char* kApplication = "Corrivan";
inline constexpr const char* kVersion = "1.0";

// "SOFTWARE\" + company + "\" (both left out for an empty company) +
// application + "\" + version + "\" + section. An empty section leaves the
// path ending in "\".
std::string SettingsKeyPath(const std::string& company, const std::string& application,
                            const std::string& version, const std::string& section);

// The stored text, or `defaultValue` when the value is missing or has no
// data at all. A value stored as empty text reads back as empty text.
// Reading makes the section's key when it is missing, as the registry does.
std::string GetUserSetting(const std::string& company, const std::string& application,
                           const std::string& version, const std::string& section,
                           const std::string& key, const std::string& defaultValue);
std::string GetMachineSetting(const std::string& company, const std::string& application,
                              const std::string& version, const std::string& section,
                              const std::string& key, const std::string& defaultValue);
// True when the value was written. Texts are kept byte for byte; "%VAR%"
// references are never expanded.
bool SaveUserSetting(const std::string& company, const std::string& application,
                     const std::string& version, const std::string& section,
                     const std::string& key, const std::string& value);

}  // namespace velk
