#include "common/sample_plan.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/bench_support.h"
#include "plangen/plan_generator.h"
#include "sample_sim/sample_sim.h"

namespace velk::bench {

std::filesystem::path PrepareSamplePlan(int flights) {
  std::filesystem::path dir = MakeTempFolder();
  if (dir.empty()) {
    std::fprintf(stderr, "no temporary folder\n");
    return {};
  }
  ::setenv("VELK_CONFIG_HOME", (dir / "config").c_str(), 1);
  ::setenv("VELK_FS_PATH", (dir / "sim").c_str(), 1);
  std::string error;
  if (!sample::MakeSampleSimulator(dir / "sim", &error)) {
    std::fprintf(stderr, "sample simulator: %s\n", error.c_str());
    return {};
  }
  PlanGenOptions options;
  options.flights = flights;
  options.seed = 42;
  if (!WritePlanFolder(dir / "plan", options, sample::SampleAircraftTitles())) {
    std::fprintf(stderr, "the plan could not be written\n");
    return {};
  }
  return dir;
}

}  // namespace velk::bench
