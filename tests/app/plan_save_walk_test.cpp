// The save of a plan walked through every state it and the recoveries
// after it really reach (support/set_walk.h): the plan, Aircraft.txt and a
// new "Removed Flights.txt" as one set, with the one-time backups made
// first. The next plain run must leave the three whole, in the direction
// the save had taken, with nothing set aside and nothing of the save left
// but whole backups.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "app/plan_files.h"
#include "data/aircraft_airport_files.h"
#include "data/flight_plan_file.h"
#include "data/plan_records.h"
#include "support/plan_guard.h"
#include "support/set_walk.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

TEST(PlanSaveWalk, EveryStateASaveAndItsRecoveriesReachEndsWhole) {
  test::PlanGuard guard;
  test::WalkRoot root;
  const fs::path folder = root / "plan";
  const std::string plan = "AC#1,N100VR,20%,24Hr,IFR,10:20:00,@12:15:04,320,F,0100,KORD,13:15:00,16:48:41,380,F,"
                           "0101,KBOS\r\nAC#2,N200VR,50%,24Hr,VFR,08:00:00,09:10:00,045,R,0200,KORD,11:00:00,"
                           "12:10:00,045,R,0201,KBOS\r\n";
  const std::string aircraft = "AC#1,450,\"Boeing 737-400\"\r\nAC#2,120,\"Cessna 172\"\r\n";
  test::WriteFile(folder / "FlightPlans.txt", plan);
  test::WriteFile(folder / "Aircraft.txt", aircraft);
  test::WriteFile(folder / "Airports.txt", "KBOS,42.36,-71.01,20\r\nKORD,41.98,-87.90,672\r\n");

  // The user removed a flight and gave the other one a new aircraft.
  PlanState edited;
  edited.FlightplanPath = (folder / "FlightPlans.txt").string();
  edited.Flights = ParseFlightPlans(plan);
  edited.PlanAircraftList = ParseAircraftTxt(aircraft, edited.HighestAircraftNumber);
  ASSERT_EQ(edited.Flights.size(), 2u);
  edited.Flights[0].Removed = true;
  edited.PlanAircraftList.push_back(PlanAircraft{"AC#3", "Dash 8", "270", 0});
  edited.Flights[1].AircraftId = "AC#3";
  Plan() = edited;
  FileSet files;
  FileCopies copies;
  StageFlightPlans(folder / "FlightPlans.txt", edited.Flights, files, copies);
  ASSERT_TRUE(StageAircraftTxt(files, copies));
  ASSERT_EQ(files.size(), 3u);
  ASSERT_EQ(copies.size(), 2u);

  test::SetWalk walk;
  walk.name = "plan save";
  walk.root = root.path();
  walk.folders = {folder};
  walk.make = [] {};
  walk.reset = [edited] {
    Plan() = edited;
    RememberPlanFiles(Plan());
  };
  walk.write = [] { return WritePlanFiles(Plan(), [](const auto&) { return true; }); };
  for (const auto& [path, bytes] : files)
    walk.targets.push_back({path, test::ReadFile(path), bytes});
  for (const auto& [from, to] : copies) walk.backups.emplace_back(to, *test::ReadFile(from));

  const auto start = std::chrono::steady_clock::now();
  const test::WalkResult r = test::WalkSetStates(walk);
  std::printf("%s: %s, in %.1f s\n", walk.name.c_str(), r.Counts().c_str(),
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  EXPECT_TRUE(r.failures.empty()) << r.Summary();
}

}  // namespace
}  // namespace velk
