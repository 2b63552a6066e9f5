#pragma once
// Airlines by location: VELK_AL.CFG in the program folder tells the shuffle
// which airlines fly from which places (global, region, country, state, city,
// airport), with which share of the flights, and which tail-number patterns
// belong to a place.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "data/plan_records.h"

namespace velk {

// One airline line of a section.
struct AirlineShare {
  std::string Name;        // matched against an installed aircraft's ATCAirline, ignoring case
  int PlannedPercent = 0;  // set by the shuffle
  int Percent = -1;        // from the file, at most 100; -1 when the line gives none
  int Assigned = 0;        // set by the shuffle
  std::vector<FSAircraft> Aircraft;  // filled by the shuffle

  int AircraftCount() const { return static_cast<int>(Aircraft.size()); }
  bool operator==(const AirlineShare&) const = default;
};

// One section of the file.
struct LocationRules {
  std::string Name;          // as written, blanks around it removed; "Global" for the global record
  int FlightCount = 0;       // set by the shuffle
  std::string TailPatterns;  // the section's "#" lines, upper-cased, joined by ","
  std::vector<AirlineShare> Airlines;  // file order

  int AirlineCount() const { return static_cast<int>(Airlines.size()); }
  bool operator==(const LocationRules&) const = default;
};

// The location tables, replaced together by each successful read. Every
// global section of the file feeds the one GlobalRules record; two sections
// of one kind and name stay two entries.
LocationRules& GlobalRules();
std::vector<LocationRules>& RegionRules();
std::vector<LocationRules>& CountryRules();
std::vector<LocationRules>& CityRules();
std::vector<LocationRules>& StateRules();
std::vector<LocationRules>& AirportRules();

inline constexpr const char* kAirlineConfigFileName = "VELK_AL.CFG";

// Reads VELK_AL.CFG in `programFolder`. False, after telling the user and
// with the tables unchanged, when the file is missing or cannot be read.
// Nothing in the file's content is an error: lines the grammar has no place
// for are passed over.
bool ReadAirlineConfig(const std::filesystem::path& programFolder);

// The airline name of an airline line's first field: blanks removed at both
// ends, then cut before the first "(" and before the first ";" (what is left
// is not trimmed again).
std::string CleanConfigEntry(std::string_view text);

}  // namespace velk
