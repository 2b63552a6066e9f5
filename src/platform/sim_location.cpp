#include "platform/sim_location.h"

#include <cstdlib>

namespace velk {

// Interim: only the environment override. The Wine prefix lookup replaces
// this with the settings store.
std::filesystem::path FlightSimFolder() {
  const char* env = std::getenv("VELK_FS_PATH");
  if (env && *env) return std::filesystem::path(env);
  return {};
}

std::filesystem::path ResolvePathNoCase(const std::filesystem::path& base,
                                        const std::string& relative) {
  std::filesystem::path p = base;
  std::string part;
  for (char c : relative + "/") {
    if (c == '/' || c == '\\') {
      if (!part.empty()) p /= part;
      part.clear();
    } else {
      part.push_back(c);
    }
  }
  return p;
}

}  // namespace velk
