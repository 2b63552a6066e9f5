#include "sample_scenery/sample_scenery.h"
#include "sample_sim/sample_sim.h"

namespace velk::sample {

// Facility files for the sample plan's airports. Files already there are
// kept, so that parking radii changed through velk survive a second run.
bool WriteSampleScenery(const std::filesystem::path& sceneryFolder, std::string* error) {
  return WriteSceneryFolder(sceneryFolder, SamplePlanAirports(), error, 500, true);
}

}  // namespace velk::sample
