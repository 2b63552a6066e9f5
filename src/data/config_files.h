#pragma once
// The six configuration files of the program folder, read once at start-up.
#include <filesystem>

namespace velk {

// Reads, in this order, the aircraft classes, the airline configuration, the
// airline, ATC model and ATC type name lists and the flight-level rules from
// `programFolder`. Stops at the first reader that fails (it has told the
// user why) and returns false; the program must then end.
bool ReadConfigurationFiles(const std::filesystem::path& programFolder);

}  // namespace velk
