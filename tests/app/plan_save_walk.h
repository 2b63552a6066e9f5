#pragma once
// A save of a small plan as a walk (support/set_walk.h) for the tests that
// stop it at each of its steps: the walk of its states and the judge of the
// notices they leave.
#include <filesystem>
#include <string>

#include "app/plan_files.h"
#include "data/aircraft_airport_files.h"
#include "data/flight_plan_file.h"
#include "data/plan_records.h"
#include "platform/file_set.h"
#include "support/set_walk.h"
#include "support/test_support.h"

namespace velk::test {

// velk saving a plan of two flights in `root`/plan, beside its Aircraft.txt
// and Airports.txt: the user gave a flight a new aircraft and, with
// `removed`, marked the other one removed, which adds "Removed Flights.txt"
// to the set. With `backups`, an earlier save made the one-time backups;
// else this one makes them (walk.backups). The plan is `plan`/`planName`.
// Plan() is the edited plan.
inline SetWalk PlanSaveWalk(const std::filesystem::path& root, const std::string& name, bool backups, bool removed,
                            const std::string& planName = "FlightPlans.txt") {
  const std::filesystem::path folder = root / "plan";
  const std::string plan = "AC#1,N100VR,20%,24Hr,IFR,10:20:00,@12:15:04,320,F,0100,KORD,13:15:00,16:48:41,380,F,"
                           "0101,KBOS\r\nAC#2,N200VR,50%,24Hr,VFR,08:00:00,09:10:00,045,R,0200,KORD,11:00:00,"
                           "12:10:00,045,R,0201,KBOS\r\n";
  const std::string aircraft = "AC#1,450,\"Boeing 737-400\"\r\nAC#2,120,\"Cessna 172\"\r\n";
  SetWalk walk;
  walk.name = name;
  walk.root = root;
  walk.folders = {folder};
  walk.make = [folder, plan, aircraft, backups, planName] {
    WriteFile(folder / planName, plan);
    WriteFile(folder / "Aircraft.txt", aircraft);
    WriteFile(folder / "Airports.txt", "KBOS,42.36,-71.01,20\r\nKORD,41.98,-87.90,672\r\n");
    if (!backups) return;
    WriteFile(folder / (planName + ".velk.bak"), "AC#1,N100VR,20%,24Hr,IFR,an older plan\r\n");
    WriteFile(folder / "Aircraft.txt.velk.bak", "AC#1,450,\"an older aircraft\"\r\n");
  };
  walk.make();
  PlanState edited;
  edited.FlightplanPath = (folder / planName).string();
  edited.Flights = ParseFlightPlans(plan);
  edited.PlanAircraftList = ParseAircraftTxt(aircraft, edited.HighestAircraftNumber);
  edited.Flights[0].Removed = removed;
  edited.PlanAircraftList.push_back(PlanAircraft{"AC#3", "Dash 8", "270", 0});
  edited.Flights[1].AircraftId = "AC#3";
  Plan() = edited;
  FileSet files;
  FileCopies copies;
  StageFlightPlans(folder / planName, edited.Flights, files, copies);
  StageAircraftTxt(files, copies);
  for (const auto& [path, bytes] : files) walk.targets.push_back({path, ReadFile(path), bytes});
  for (const auto& [from, to] : copies) walk.backups.emplace_back(to, *ReadFile(from));
  walk.reset = [edited] {
    Plan() = edited;
    RememberPlanFiles(Plan());
  };
  walk.write = [] { return WritePlanFiles(Plan(), [](const auto&) { return true; }); };
  return walk;
}

}  // namespace velk::test
