#pragma once
// Finding the operating system's System Information tool from the machine
// settings, as the about window offers it. Standard library only.
#include <functional>
#include <optional>
#include <string>

namespace velk {

struct SysInfoLookup {
  // A value of the machine settings: key below the machine root
  // ("SOFTWARE\\..."), value name. Nothing when it is not there.
  std::function<std::optional<std::string>(const std::string& key, const std::string& value)>
      ReadMachineValue;
  std::function<bool(const std::string& path)> FileExists;
};

// The tool's program, or nothing when it cannot be found: the tool's own
// "PATH" value, else "MSINFO32.EXE" in the folder its location value names
// (when that file exists).
std::optional<std::string> FindSysInfoProgram(const SysInfoLookup& lookup);

// One machine value as text: a string's data without its terminating NUL.
// Nothing when the key or the value is not there.
std::optional<std::string> GetKeyValue(const std::string& key, const std::string& value);

inline constexpr const char* kSysInfoUnavailable = "System Information Is Unavailable At This Time";

}  // namespace velk
