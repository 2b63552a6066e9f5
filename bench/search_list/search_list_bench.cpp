// Times the Export/Search tab's Search button on a generated 100,000-flight
// plan with criteria that match every flight (AND, nothing set), from the
// click until the list is filled and painted, against a plain loop over the
// flights that formats the same twelve columns into memory. The plan's
// aircraft carry the titles of the sample simulator, so every row has its
// installed aircraft. Each figure is the best of several runs.
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTreeView>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "data/plan_records.h"
#include "platform/message_box.h"
#include "plangen/plan_generator.h"
#include "sample_sim/sample_sim.h"
#include "search/flight_search.h"
#include "search/result_row.h"

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

bool Write(const fs::path& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int flights = argc > 1 ? std::atoi(argv[1]) : 100000;
  int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  const char* zone = "GMT +01:00";

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
  std::vector<std::string> titles = velk::sample::SampleAircraftTitles();
  std::string aircraft;
  for (int i = 0; i < options.aircraft; ++i)
    aircraft += "AC#" + std::to_string(i + 1) + ",450,\"" + titles[static_cast<size_t>(i) % titles.size()] + "\"\r\n";
  fs::path plan = dir / "plan";
  fs::create_directories(plan);
  if (!Write(plan / "Airports.txt", generated.airportsTxt) || !Write(plan / "Aircraft.txt", aircraft) ||
      !Write(plan / "FlightPlans.txt", generated.flightPlansTxt))
    return 1;

  QApplication app(argc, argv);
  int messages = 0;
  velk::SetMessageBoxHandler([&](const velk::MessageBoxRequest& r) {
    std::fprintf(stderr, "message: %s\n", r.prompt.c_str());
    ++messages;
    return static_cast<int>(velk::kIdNo);
  });
  velk::frmMain window;
  if (!window.StartUp()) return 1;
  window.onSplashTimer();
  window.LoadFlightplan((plan / "FlightPlans.txt").string());
  velk::PlanState& state = velk::Plan();
  if (!state.PlanLoaded || messages != 0) {
    std::fprintf(stderr, "the plan did not open cleanly\n");
    return 1;
  }
  window.SelectTab("EXPORT");
  window.cmExZone->setCurrentText(zone);

  // The floor: the twelve columns of every flight, formatted into memory.
  std::vector<velk::ResultCells> cells;
  double loopMs = BestMs(runs, [&] {
    velk::InstalledMatch installed(state);
    cells.assign(state.Flights.size(), {});
    for (size_t i = 0; i < state.Flights.size(); ++i) {
      const velk::Flight& f = state.Flights[i];
      velk::FormatResultRow(f, installed.ById(f.AircraftId), zone, cells[i]);
    }
  });

  double searchMs = BestMs(runs, [&] {
    window.cmdPreview->click();
    QCoreApplication::processEvents();
    window.lvExPreview->repaint();
  });
  int rows = window.lvExPreview->model()->rowCount();
  if (rows != static_cast<int>(state.Flights.size()) || messages != 0) {
    std::fprintf(stderr, "the search listed %d of %zu flights\n", rows, state.Flights.size());
    return 1;
  }

  std::printf("plan: %zu flights, %zu plan aircraft, %zu airports, %zu installed aircraft\n", state.Flights.size(),
              state.PlanAircraftList.size(), state.Airports.size(), state.FSAircraftList.size());
  std::printf("format 12 columns of every flight:   %8.1f ms\n", loopMs);
  std::printf("search, fill and show the list:      %8.1f ms (%d rows)\n", searchMs, rows);
  std::printf("ratio: %.2f (target at most 3)\n", searchMs / loopMs);
  fs::remove_all(dir);
  return 0;
}
