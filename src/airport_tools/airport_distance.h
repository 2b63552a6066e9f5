#pragma once
// The airport distance window's lists and result lines.
#include <string>
#include <vector>

#include "data/plan_records.h"
#include "data/scenery_airports.h"

namespace velk {

// The scenery airports both lists offer, as indexes into `scenery`: with a
// plan loaded, the plan's Airports.txt airports in their order that the
// scenery has too (found by ICAO without regard to case, the first scenery
// airport of a code); without one, every scenery airport.
std::vector<int> DistanceAirports(const std::vector<SceneryAirport>& scenery, const PlanState& plan);

// "ICAO - Name (City/Country)".
std::string DistanceItemText(const SceneryAirport& airport);

// "FROM - > TO = 123nm" and CR LF; -1 when the distance is not known.
std::string DistanceLine(const std::string& from, const std::string& to, int nauticalMiles);

}  // namespace velk
