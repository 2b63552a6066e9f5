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
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "data/plan_records.h"
#include "search/flight_search.h"
#include "search/result_row.h"
#include "window_plan/window_plan.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int flights = argc > 1 ? std::atoi(argv[1]) : 100000;
  int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  const char* zone = "GMT +01:00";

  std::string error;
  velk::bench::WindowPlan made = velk::bench::MakeWindowPlan(flights, &error);
  if (made.planPath.empty()) {
    std::fprintf(stderr, "set-up: %s\n", error.c_str());
    return 1;
  }

  QApplication app(argc, argv);
  int messages = 0;
  velk::bench::RefuseMessages(messages);
  velk::frmMain window;
  if (!window.StartUp()) return 1;
  window.onSplashTimer();
  window.LoadFlightplan(made.planPath.string());
  velk::PlanState& state = velk::Plan();
  if (!state.PlanLoaded || messages != 0) {
    std::fprintf(stderr, "the plan did not open cleanly\n");
    return 1;
  }
  window.SelectTab("EXPORT");
  window.cmExZone->setCurrentText(zone);

  // The floor: the twelve columns of every flight, formatted into memory.
  std::vector<velk::ResultCells> cells;
  double loopMs = velk::bench::BestMs(runs, [&] {
    velk::InstalledMatch installed(state);
    cells.assign(state.Flights.size(), {});
    for (size_t i = 0; i < state.Flights.size(); ++i) {
      const velk::Flight& f = state.Flights[i];
      velk::FormatResultRow(f, installed.ById(f.AircraftId), zone, cells[i]);
    }
  });

  double searchMs = velk::bench::BestMs(runs, [&] {
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
  fs::remove_all(made.folder);
  return 0;
}
