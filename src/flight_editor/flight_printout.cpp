#include "flight_editor/flight_printout.h"

#include "data/flight_printout.h"
#include "data/geodesy.h"

namespace velk {

std::string FlightPrintout(const Flight& flight, std::string_view aircraftText) {
  std::string text(aircraftText);
  AppendFlightLegs(text, flight, [](std::string_view from, std::string_view to) {
    return static_cast<int>(GetAirportDistance(from, to));
  });
  return text;
}

}  // namespace velk
