#include "aircraft_editors/sim_files.h"

#include "data/flight_plan_file.h"

namespace velk {

bool MakeBackupOnce(const std::filesystem::path& file, std::string* error) {
  std::filesystem::path backup = file;
  backup += kBackupSuffix;
  std::string why;
  if (CopyFileOnce(file, backup, &why)) return true;
  if (error) *error = "the backup '" + backup.string() + "' could not be made: " + why;
  return false;
}

}  // namespace velk
