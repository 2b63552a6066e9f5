#pragma once
// Seeded generator of large traffic plans for benchmarks: N airports, M
// aircraft and K flights in the three text files a plan folder holds
// (Airports.txt, Aircraft.txt, FlightPlans.txt). The same options and seed
// always give the same bytes. Every line is one the compiler accepts:
// four-letter codes, coordinates like N47* 26.99', AC numbers from 1 to M,
// 2 to 6 legs with valid times, three-digit levels, F/R and four-digit flight
// numbers; daily ("24Hr") and weekly ("WEEK") flights; a few comment lines
// and trailing comments; CRLF line ends.
#include <cstdint>
#include <filesystem>
#include <string>

namespace velk::bench {

struct PlanGenOptions {
  int airports = 500;    // at most 456976 (all four-letter codes)
  int aircraft = 100;
  int flights = 100000;
  std::uint64_t seed = 1;
  int minLegs = 2;
  int maxLegs = 6;
  int weeklyPercent = 25;  // share of "WEEK" flights, the rest "24Hr"
  bool comments = true;    // a comment line every 100 flights, some trailing
};

struct GeneratedPlan {
  std::string airportsTxt;
  std::string aircraftTxt;
  std::string flightPlansTxt;
};

GeneratedPlan GeneratePlan(const PlanGenOptions& options);

// Writes Airports.txt, Aircraft.txt and FlightPlans.txt into `folder`
// (created when missing). False when a file could not be written.
bool WritePlanFolder(const std::filesystem::path& folder, const PlanGenOptions& options);

// The ICAO code the generator gives airport number `index` (0-based).
std::string GeneratedAirportCode(int index);

}  // namespace velk::bench
