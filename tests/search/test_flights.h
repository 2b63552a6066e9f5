#pragma once
// Flights for the search tests: one leg per stop, leaving at 06:00, 08:00,
// ... and flying one hour each, so every stand is one hour; the flight
// starts at its last stop.
#include <cstdio>
#include <string>
#include <vector>

#include "data/plan_records.h"

namespace velk::test {

inline Flight TestFlight(const std::string& id, const std::string& registration, const std::vector<std::string>& stops) {
  Flight f;
  f.AircraftId = id;
  f.Registration = registration;
  f.Percent = "50%";
  f.Period = "24Hr";
  f.FlightRules = "IFR";
  int hour = 6;
  for (const std::string& icao : stops) {
    char dep[16], arr[16];
    std::snprintf(dep, sizeof dep, "%02d:00:00", hour % 24);
    std::snprintf(arr, sizeof arr, "%02d:00:00", (hour + 1) % 24);
    f.Legs.push_back(FlightLeg{dep, arr, false, "240", "F", "0100", icao});
    hour += 2;
  }
  return f;
}

}  // namespace velk::test
