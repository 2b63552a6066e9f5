#pragma once
// Cruise levels by leg distance and course: VELK_FL.CFG in the program folder
// lists rows of distance and course bands with the levels allowed in them.
// GetFlightLevel proposes a level for a leg (or the allowed range, for
// display); CheckFlightLevel tells whether a level is allowed. Both narrow
// the row's levels to the aircraft's own MinFL and MaxFL.
#include <filesystem>
#include <string>
#include <vector>

#include "data/plan_records.h"

namespace velk {

// One row of VELK_FL.CFG. Distances in nautical miles, courses in degrees,
// levels in hundreds of feet; bands are inclusive.
struct FlightLevelRule {
  int MinDistance = 0;
  int MaxDistance = 0;
  int MinCourse = 0;
  int MaxCourse = 0;
  int MinLevel = 0;
  int MaxLevel = 0;
  int LevelStep = 0;  // spacing of the levels from MinLevel up; 0: MinLevel only

  bool operator==(const FlightLevelRule&) const = default;
};

// The rows in file order; the first row whose bands hold a leg decides.
std::vector<FlightLevelRule>& FlightLevelRules();

inline constexpr const char* kFlightLevelFileName = "VELK_FL.CFG";

// Reads VELK_FL.CFG in `programFolder`. False after telling the user when the
// file is missing or unreadable, or when a line does not hold seven fields
// (the rows before it stay).
bool ReadFlightLevelRules(const std::filesystem::path& programFolder);

// A level as the plan writes it: at least three digits ("050", "350", "1200").
std::string FormatFlightLevel(long long level);

// The level window of a leg: the row that decides and the lowest and highest
// allowed level. `found` is false when no row holds the leg (or the rows
// contradict each other without end); the callers then give their fixed
// answers.
struct FlightLevelWindow {
  bool found = false;
  long long lower = 0;
  long long upper = 0;
  long long step = 0;
};
FlightLevelWindow FindFlightLevelWindow(const std::vector<FlightLevelRule>& rules, const std::string& flightRules,
                                        int distance, int course, int minFL, int maxFL);

// A level for a leg of a flight with `flightRules` ("IFR"/"VFR"; a VFR flight
// is looked up with the distance -1). The aircraft is
// Plan().FSAircraftList[aircraftIndex], or `aircraft` itself when the index
// is -1; only its MinFL and MaxFL are read. Without `prefix`: one level drawn
// from the allowed ones with NextRandom ("100" when no row applies). With
// `prefix`: the allowed range "FL120-300 +020" or single level "FL120"
// ("FL100" when no row applies). An index outside the list counts as no row.
std::string GetFlightLevel(const std::string& flightRules, int distance, int course, const FSAircraft& aircraft,
                           int aircraftIndex, bool prefix);

// True when `level` is allowed for the leg and the aircraft
// Plan().FSAircraftList[aircraftIndex]; `answer` then is empty, otherwise
// the allowed range or level behind "FL" ("FL100" when no row applies or the
// index is outside the list).
bool CheckFlightLevel(const std::string& flightRules, int distance, int course, int aircraftIndex, int level,
                      std::string& answer);

}  // namespace velk
