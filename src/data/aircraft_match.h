#pragma once
// Which installed simulator aircraft a plan aircraft stands for: the first
// installed aircraft whose title equals the plan aircraft's title, letter
// case ignored. The search, the timetable and its statistics all join a
// flight to its installed aircraft this way.
#include <string>
#include <unordered_map>
#include <vector>

#include "data/plan_records.h"

namespace velk {

// For each plan aircraft (in PlanAircraftList order), the index in
// FSAircraftList of the first installed aircraft of the same title, or -1.
std::vector<int> MatchInstalledAircraft(const PlanState& plan);

// Plan aircraft id -> index in FSAircraftList, for the ids whose aircraft is
// installed. The id is matched exactly (case counts); when several plan
// aircraft share an id, the first of them that is installed wins.
std::unordered_map<std::string, int> InstalledAircraftByPlanId(const PlanState& plan);

}  // namespace velk
