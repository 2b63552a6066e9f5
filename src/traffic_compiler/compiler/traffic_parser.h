#pragma once
// Reading and checking Airports.txt, Aircraft.txt and FlightPlans.txt.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "traffic_compiler/common/traffic_records.h"

namespace traffic {

// Where and why a text failed; code 0 means success.
struct ParseError {
  int code = 0;
  int line = 0;
  std::string text;  // the line as shown in the report
  std::size_t start = 0;
  std::size_t length = 0;
};

// Parsers over a whole file's text. Each appends the records it accepts to
// `out` and stops at the first error, which it returns (nothing is printed).
// They print no progress either; see ParseTrafficFile for the console run.
ParseError ParseAirportsText(std::string_view text, std::vector<TrafficAirport>& out);
ParseError ParseAircraftText(std::string_view text, std::vector<TrafficAircraft>& out);
ParseError ParsePlansText(std::string_view text, std::vector<TrafficPlan>& out);

enum class TrafficFile { kAirports, kAircraft, kFlightPlans };

// File names as the tools print and open them.
inline constexpr const char* kAirportsFile = "Airports.txt";
inline constexpr const char* kAircraftFile = "Aircraft.txt";
inline constexpr const char* kFlightPlansFile = "FlightPlans.txt";

// Reads the three files from `folder` (names matched without regard to case
// when the exact name is absent) in the order airports, aircraft, plans, with
// the console progress, and reports the first error. Returns 0 or the code.
// `plans_fingerprint`, when given, receives TextFingerprint of the bytes of
// FlightPlans.txt that were parsed.
int ParseTrafficFiles(const std::filesystem::path& folder, TrafficData& data,
                      std::uint64_t* plans_fingerprint = nullptr);

}  // namespace traffic
