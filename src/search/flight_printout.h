#pragma once
// The printed flight list of the Export/Search tab: one block per row, in
// the list's order, as one Windows-1252 text with CRLF line ends. Times are
// printed as stored (GMT, weekly flights with their day prefix).
#include <functional>
#include <string>
#include <string_view>

#include "data/plan_records.h"

namespace velk {

// Appends the block of one flight: the flight line
//   AC#n Title (Airline) - REG/Percent/Period/Rules
// (" # NOT FOUND #" instead of the title when `installed` is null; no
// brackets for an aircraft without airline), one line per leg
//   TAB TAB FROM - TO No. number FLlevel 123nm dep arr
// (the first leg flies from the last leg's destination), and an empty line.
// `distance` gives whole nautical miles (-1 when unknown).
void AppendFlightPrintout(std::string& out, const Flight& flight, const FSAircraft* installed,
                          const std::function<int(std::string_view from, std::string_view to)>& distance);

}  // namespace velk
