#pragma once
// The printout of one flight from the Edit Flight dialog: a heading with the
// aircraft and the flight's fields, one line per leg with its airports,
// number, level, distance and stored (GMT) times, and an empty line. Lines
// end in CRLF; the text is meant for a fixed-pitch font.
#include <string>
#include <string_view>

#include "data/plan_records.h"

namespace velk {

inline constexpr const char* kFlightPrintDialogTitle = "Flight Editor - Print";
inline constexpr const char* kFlightPrintFailedMessage = "An error occured during printing the Flight.";

// `aircraftText` is the aircraft as the dialog lists it ("Title (Id)").
// Distances are whole nautical miles, -1 for an unknown airport.
std::string FlightPrintout(const Flight& flight, std::string_view aircraftText);

}  // namespace velk
