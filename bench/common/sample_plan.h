#pragma once
// A generated plan beside the sample simulator, for the benchmarks that open
// a plan in the main window.
#include <filesystem>

namespace velk::bench {

// Makes a private temporary folder holding the sample simulator ("sim") and
// a generated plan of `flights` flights (seed 42, see PlanGenOptions) in
// "plan", whose aircraft carry the sample simulator's titles; points
// VELK_FS_PATH at the simulator and VELK_CONFIG_HOME at "config" in it.
// Returns the folder, or an empty path after saying what failed.
std::filesystem::path PrepareSamplePlan(int flights);

}  // namespace velk::bench
