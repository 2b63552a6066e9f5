#pragma once
// The airport information report: everything the scenery holds about one
// airport (location, reference point, elevation, runways with both ends,
// the longest runways, landing systems, frequencies and parking spots) as a
// fixed-width text, Windows-1252 with CR LF after every line.
#include <string>

#include "data/scenery_airports.h"

namespace velk {

// "Airport Information for <Name> (<ICAO>)": the report window's caption.
std::string AirportReportCaption(const SceneryAirport& airport);

// The report. Lengths, elevations and radii show in feet; headings and
// variations with two decimals.
std::string AirportReport(const SceneryAirport& airport);

// The name of a runway's first end ("9L", "Helipad", "9") and of its
// opposite end ("27R", "Helipad", "27").
std::string RunwayEndName(const SceneryRunway& runway);
std::string RunwayOppositeEndName(const SceneryRunway& runway);

}  // namespace velk
