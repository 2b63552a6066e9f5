#include "aircraft_editors/sim_files.h"

#include "data/flight_plan_file.h"

namespace velk {

bool MakeBackupOnce(const std::filesystem::path& file) {
  std::filesystem::path backup = file;
  backup += kBackupSuffix;
  return CopyFileOnce(file, backup);
}

}  // namespace velk
