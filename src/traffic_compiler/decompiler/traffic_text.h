#pragma once
// Turning decoded traffic records back into the lines of Airports.txt,
// Aircraft.txt and FlightPlans.txt. Lines end in CRLF.
#include <cstdint>
#include <string>

#include "traffic_compiler/decompiler/traffic_reader.h"

namespace ulvane {

// "N47* 26.98'"-style text of a coordinate in file units.
std::string LatitudeText(std::int32_t units);
std::string LongitudeText(std::int32_t units);

// One line each, with its CRLF, appended to `out`.
void AppendAirportLine(std::string& out, const DecodedAirport& airport);
void AppendAircraftLine(std::string& out, const DecodedAircraft& aircraft);
// Returns the flights a day this plan adds to the total (one per leg for a
// weekly plan, 24 / hours per leg otherwise).
std::uint64_t AppendPlanLine(std::string& out, const DecodedPlan& plan, const TrafficDatabase& db);

// The three files' contents, with the progress texts of their writing on
// the console. "Creating <name> now..." is printed by the caller, which owns
// the files.
std::string AirportsText(const TrafficDatabase& db);
std::string AircraftText(const TrafficDatabase& db);
std::string FlightPlansText(const TrafficDatabase& db);

}  // namespace ulvane
