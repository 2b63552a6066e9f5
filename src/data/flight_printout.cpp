#include "data/flight_printout.h"

namespace velk {

void AppendFlightPrintout(std::string& out, const Flight& f, const FSAircraft* installed,
                          const AirportDistance& distance) {
  out += f.AircraftId;
  if (!installed) {
    out += " # NOT FOUND #";
  } else {
    out += ' ';
    out += installed->Title;
    if (!installed->ATCAirline.empty()) out += " (" + installed->ATCAirline + ")";
  }
  AppendFlightLegs(out, f, distance);
}

void AppendFlightLegs(std::string& out, const Flight& f, const AirportDistance& distance) {
  out += " - " + f.Registration + "/" + f.Percent + "/" + f.Period + "/" + f.FlightRules + "\r\n";
  for (int i = 0; i < f.LegCount(); ++i) {
    const FlightLeg& leg = f.Legs[i];
    const std::string& from = f.DepartureIcao(i);
    int nm = distance ? distance(from, leg.DestinationIcao) : -1;
    out += "\t\t" + from + " - " + leg.DestinationIcao + " No. " + leg.FlightNumber + " FL" + leg.FlightLevel + " " +
           std::to_string(nm) + "nm " + leg.DepartureTime + " " + leg.ArrivalTime + "\r\n";
  }
  out += "\r\n";
}

}  // namespace velk
