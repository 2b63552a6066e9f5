// Times File > Open of a generated 100,000-flight plan, from the call until
// the window is ready again (files read, installed aircraft listed, trees
// built, tabs reset), against reading the three files into the records
// alone. The plan's aircraft carry the titles of the sample simulator, so
// the trees are filled as for a real plan. Each figure is the best of
// several runs.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/frm_main.h"
#include "data/aircraft_airport_files.h"
#include "data/flight_plan_file.h"
#include "data/plan_records.h"
#include "window_plan/window_plan.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int flights = argc > 1 ? std::atoi(argv[1]) : 100000;
  int runs = argc > 2 ? std::atoi(argv[2]) : 5;

  std::string error;
  velk::bench::WindowPlan made = velk::bench::MakeWindowPlan(flights, &error);
  if (made.planPath.empty()) {
    std::fprintf(stderr, "set-up: %s\n", error.c_str());
    return 1;
  }
  const std::string planPath = made.planPath.string();

  QApplication app(argc, argv);
  int messages = 0;
  velk::bench::RefuseMessages(messages);

  velk::PlanState& state = velk::Plan();
  double readMs = velk::bench::BestMs(runs, [&] {
    state.FlightplanPath = planPath;
    velk::ReadAirportsTxt();
    velk::ReadAircraftTxt();
    velk::ReadFlightPlans();
  });
  size_t readFlights = state.Flights.size();

  velk::frmMain window;
  if (!window.StartUp()) return 1;
  window.onSplashTimer();
  double openMs = velk::bench::BestMs(runs, [&] { window.LoadFlightplan(planPath); });
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
  fs::remove_all(made.folder);
  return 0;
}
