#pragma once
// Files made from the simulator's scenery airports for the user to start
// from: a skeleton of the airline configuration with a section for every
// region and country of the scenery ("New VELK_AL.CFG"), every scenery
// airport in the line format of Airports.txt ("New Airports.txt"), and the
// airports a plan visits in that format ("Flightplan Airports.txt").
// Windows-1252 text with CRLF line ends.
#include <filesystem>
#include <string>
#include <vector>

#include "data/plan_records.h"
#include "data/scenery_airports.h"

namespace velk {

inline constexpr const char* kNewAirlineConfigFileName = "New VELK_AL.CFG";
inline constexpr const char* kNewAirportsFileName = "New Airports.txt";
inline constexpr const char* kFlightplanAirportsFileName = "Flightplan Airports.txt";

// The skeleton: a comment header on the line formats, an empty [Global], one
// empty "[Region:<region>]" per region and one "[Country:<region>/<country>]"
// per region and country pair, each in the order of first appearance, the
// names as the scenery writes them; names that differ only in letter case
// are one. An empty region gives no region section, an empty country no
// country section: the airline configuration could not name them.
std::string NewAirlineConfigText(const std::vector<SceneryAirport>& scenery);

// One Airports.txt line: ICAO, latitude and longitude as the scenery writes
// them, elevation in feet (metres x 3.281 to the nearest whole foot, a half
// to the even one).
std::string AirportLine(const SceneryAirport& airport, const std::string& icao);

// Every scenery airport in scenery order, codes as stored, repeats kept.
std::string NewAirportsText(const std::vector<SceneryAirport>& scenery);

// The airports the flights fly to (which covers every airport they visit),
// each code once in the order of first use, written upper case, one line per
// scenery airport of that code (letter case ignored). Codes the scenery
// lacks are left out. Removed flights count too.
std::string FlightplanAirportsText(const std::vector<Flight>& flights, const std::vector<SceneryAirport>& scenery);

// "Flightplan Airports.txt" beside the plan file.
std::filesystem::path FlightplanAirportsPath(const std::filesystem::path& planPath);

}  // namespace velk
