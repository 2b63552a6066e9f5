#include "aircraft_editors/sim_files.h"

#include <unistd.h>

#include <system_error>

#include "data/flight_plan_file.h"
#include "platform/text_file.h"

namespace velk {

bool MayRewrite(const std::filesystem::path& file) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::file_status status = fs::status(file, ec);
  if (ec || !fs::is_regular_file(status)) return false;
  // The write bits decide even for a user who could write anyway (root).
  constexpr fs::perms kWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  if ((status.permissions() & kWrite) == fs::perms::none) return false;
  return ::access(file.c_str(), W_OK) == 0;
}

bool MakeBackupOnce(const std::filesystem::path& file) {
  std::filesystem::path backup = file;
  backup += kBackupSuffix;
  return CopyFileOnce(file, backup);
}

}  // namespace velk
