#include "window_plan/window_plan.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "plangen/plan_generator.h"
#include "platform/message_box.h"
#include "sample_sim/sample_sim.h"

namespace velk::bench {
namespace {

namespace fs = std::filesystem;

bool Write(const fs::path& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

WindowPlan MakeWindowPlan(int flights, std::string* error) {
  std::string tmpl = (fs::temp_directory_path() / "velk-bench-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) {
    *error = "no temporary folder";
    return {};
  }
  fs::path dir = tmpl;
  ::setenv("VELK_CONFIG_HOME", (dir / "config").c_str(), 1);
  ::setenv("VELK_FS_PATH", (dir / "sim").c_str(), 1);
  if (!sample::MakeSampleSimulator(dir / "sim", error)) return {dir, {}};

  PlanGenOptions options;
  options.flights = flights;
  options.seed = 42;
  GeneratedPlan generated = GeneratePlan(options);
  // The generated aircraft get the installed titles in turn.
  std::vector<std::string> titles = sample::SampleAircraftTitles();
  std::string aircraft;
  for (int i = 0; i < options.aircraft; ++i)
    aircraft += "AC#" + std::to_string(i + 1) + ",450,\"" + titles[static_cast<size_t>(i) % titles.size()] + "\"\r\n";
  fs::path plan = dir / "plan";
  fs::create_directories(plan);
  if (!Write(plan / "Airports.txt", generated.airportsTxt) || !Write(plan / "Aircraft.txt", aircraft) ||
      !Write(plan / "FlightPlans.txt", generated.flightPlansTxt)) {
    *error = "the plan files could not be written";
    return {dir, {}};
  }
  return {dir, plan / "FlightPlans.txt"};
}

void RefuseMessages(int& count) {
  SetMessageBoxHandler([&count](const MessageBoxRequest& r) {
    std::fprintf(stderr, "message: %s\n", r.prompt.c_str());
    ++count;
    return static_cast<int>(kIdNo);
  });
}

}  // namespace velk::bench
