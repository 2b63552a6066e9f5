// Times File > Open of a generated 100,000-flight plan, from the call until
// the window is ready again (files read, installed aircraft listed, trees
// built, tabs reset), against reading the three files into the records
// alone. The plan's aircraft carry the titles of the sample simulator, so
// the trees are filled as for a real plan. Each figure is the best of
// several runs.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/frm_main.h"
#include "data/aircraft_airport_files.h"
#include "data/flight_plan_file.h"
#include "data/plan_records.h"
#include "platform/message_box.h"
#include "plangen/plan_generator.h"
#include "sample_sim/sample_sim.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

template <typename Fn>
double BestMs(int runs, Fn&& fn) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    auto t0 = Clock::now();
    fn();
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    if (ms < best) best = ms;
  }
  return best;
}

fs::path MakeTempFolder() {
  std::string tmpl = (fs::temp_directory_path() / "velk-bench-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) return {};
  return tmpl;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int flights = argc > 1 ? std::atoi(argv[1]) : 100000;
  int runs = argc > 2 ? std::atoi(argv[2]) : 5;

  fs::path dir = MakeTempFolder();
  if (dir.empty()) return 1;
  ::setenv("VELK_CONFIG_HOME", (dir / "config").c_str(), 1);
  ::setenv("VELK_FS_PATH", (dir / "sim").c_str(), 1);
  std::string error;
  if (!velk::sample::MakeSampleSimulator(dir / "sim", &error)) {
    std::fprintf(stderr, "sample simulator: %s\n", error.c_str());
    return 1;
  }

  velk::bench::PlanGenOptions options;
  options.flights = flights;
  options.seed = 42;
  velk::bench::GeneratedPlan generated = velk::bench::GeneratePlan(options);
  // The generated aircraft get the installed titles in turn.
  std::vector<std::string> titles = velk::sample::SampleAircraftTitles();
  std::string aircraft;
  for (int i = 0; i < options.aircraft; ++i)
    aircraft += "AC#" + std::to_string(i + 1) + ",450,\"" + titles[static_cast<size_t>(i) % titles.size()] + "\"\r\n";
  fs::path plan = dir / "plan";
  fs::create_directories(plan);
  auto write = [](const fs::path& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
  };
  if (!write(plan / "Airports.txt", generated.airportsTxt) || !write(plan / "Aircraft.txt", aircraft) ||
      !write(plan / "FlightPlans.txt", generated.flightPlansTxt))
    return 1;
  const std::string planPath = (plan / "FlightPlans.txt").string();

  QApplication app(argc, argv);
  // Every message would be a failure here; none may wait for an answer.
  int messages = 0;
  velk::SetMessageBoxHandler([&](const velk::MessageBoxRequest& r) {
    std::fprintf(stderr, "message: %s\n", r.prompt.c_str());
    ++messages;
    return static_cast<int>(velk::kIdNo);
  });

  velk::PlanState& state = velk::Plan();
  double readMs = BestMs(runs, [&] {
    state.FlightplanPath = planPath;
    velk::ReadAirportsTxt();
    velk::ReadAircraftTxt();
    velk::ReadFlightPlans();
  });
  size_t readFlights = state.Flights.size();

  velk::frmMain window;
  if (!window.StartUp()) return 1;
  window.onSplashTimer();
  double openMs = BestMs(runs, [&] { window.LoadFlightplan(planPath); });
  if (!state.PlanLoaded || state.Flights.size() != readFlights || messages != 0) {
    std::fprintf(stderr, "the plan did not open cleanly\n");
    return 1;
  }

  std::printf("plan: %zu flights, %zu plan aircraft, %zu airports, %zu installed aircraft, %.1f MB\n",
              state.Flights.size(), state.PlanAircraftList.size(), state.Airports.size(),
              state.FSAircraftList.size(), static_cast<double>(fs::file_size(planPath)) / 1e6);
  std::printf("read three files into the records: %8.1f ms\n", readMs);
  std::printf("open in the main window until ready: %8.1f ms\n", openMs);
  std::printf("ratio: %.2f (target below 3)\n", openMs / readMs);
  fs::remove_all(dir);
  return 0;
}
