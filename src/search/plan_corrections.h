#pragma once
// Plan-wide corrections of the Tools menu that need no input: new flight
// levels for every leg. Works on the PlanState passed in; standard library
// only.
#include "data/plan_records.h"

namespace velk {

// Gives every leg of every flight (removed ones too) whose aircraft id
// names a plan aircraft with an installed aircraft of equal title (case
// ignored; the first of that title, and for two plan aircraft of one id the
// first) a level drawn by the flight-level rules for the leg's distance and
// course and that aircraft's limits. Legs are drawn in the order 1 .. n-1,
// then 0. A leg whose distance or course cannot be measured (an airport
// missing from the plan's Airports) keeps its level and takes no draw; so
// do all legs of a flight whose aircraft is not installed. Returns the
// number of legs given a level.
int CorrectFlightLevels(PlanState& plan);

}  // namespace velk
