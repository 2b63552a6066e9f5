#pragma once
// Printed flights, as Windows-1252 text with CRLF line ends: the blocks of
// the Export/Search tab's printed list and the legs of the Edit Flight
// dialog's printout. Times are printed as stored (GMT, weekly flights with
// their day prefix).
#include <functional>
#include <string>
#include <string_view>

#include "data/plan_records.h"

namespace velk {

// Whole nautical miles between two airports, -1 when either is unknown.
using AirportDistance = std::function<int(std::string_view from, std::string_view to)>;

// Appends the block of one flight: the flight line
//   AC#n Title (Airline) - REG/Percent/Period/Rules
// (" # NOT FOUND #" instead of the title when `installed` is null; no
// brackets for an aircraft without airline), the leg lines and an empty line
// (see AppendFlightLegs).
void AppendFlightPrintout(std::string& out, const Flight& flight, const FSAircraft* installed,
                          const AirportDistance& distance);

// Appends what follows the aircraft in every printed flight (the Edit Flight
// dialog prints its own aircraft text before it):
//   " - REG/Percent/Period/Rules", then one line per leg
//   TAB TAB FROM - TO No. number FLlevel 123nm dep arr
// (the first leg flies from the last leg's destination; -1nm without a
// `distance`), and an empty line.
void AppendFlightLegs(std::string& out, const Flight& flight, const AirportDistance& distance);

}  // namespace velk
