#include "data/config_files.h"

#include "data/airline_config.h"
#include "data/class_config.h"
#include "data/flight_levels.h"
#include "data/name_lists.h"

namespace velk {

bool ReadConfigurationFiles(const std::filesystem::path& programFolder) {
  return ReadClassConfig(programFolder) && ReadAirlineConfig(programFolder) && ReadAirlineNames(programFolder) &&
         ReadATCModelNames(programFolder) && ReadATCTypeNames(programFolder) &&
         ReadFlightLevelRules(programFolder);
}

}  // namespace velk
