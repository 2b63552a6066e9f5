#include "sample_sim/sample_sim.h"

namespace velk::sample {

// The sample airports' facility files are not written yet; the folder stays
// empty and the scenery readers find no airports.
bool WriteSampleScenery(const std::filesystem::path& sceneryFolder, std::string* error) {
  (void)sceneryFolder;
  (void)error;
  return true;
}

}  // namespace velk::sample
