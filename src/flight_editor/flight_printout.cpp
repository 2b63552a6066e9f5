#include "flight_editor/flight_printout.h"

#include "data/geodesy.h"

namespace velk {

std::string FlightPrintout(const Flight& flight, std::string_view aircraftText) {
  std::string text(aircraftText);
  text += " - " + flight.Registration + "/" + flight.Percent + "/" + flight.Period + "/" + flight.FlightRules + "\r\n";
  for (int i = 0; i < flight.LegCount(); ++i) {
    const FlightLeg& leg = flight.Legs[i];
    const std::string& from = flight.DepartureIcao(i);
    text += "\t\t" + from + " - " + leg.DestinationIcao + " No. " + leg.FlightNumber + " FL" + leg.FlightLevel + " " +
            std::to_string(GetAirportDistance(from, leg.DestinationIcao)) + "nm " + leg.DepartureTime + " " +
            leg.ArrivalTime + "\r\n";
  }
  text += "\r\n";
  return text;
}

}  // namespace velk
