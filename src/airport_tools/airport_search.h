#pragma once
// The airport search: scenery airports whose ICAO, name, city, country,
// region or state contain a text, letter case ignored, each shown with the
// position and elevation of its Airports.txt entry when the plan lists it,
// else with the scenery's own (and a mark that Airports.txt lacks it).
#include <string>
#include <string_view>
#include <vector>

#include "data/plan_records.h"
#include "data/scenery_airports.h"

namespace velk {

inline constexpr const char* kNotInAirportsTxt = " [not in AIRPORTS.TXT]";

struct AirportSearchRow {
  std::string text;       // "Name (ICAO) - City/Country", with the mark when not listed
  std::string latitude;
  std::string longitude;
  std::string elevation;  // feet, with "ft"
  int scenery = 0;        // index in the scenery airports
};

// The rows in scenery order. With `onlyListed`, airports whose ICAO is not
// in Airports.txt (compared exactly, case counts) are left out.
std::vector<AirportSearchRow> SearchSceneryAirports(const std::vector<SceneryAirport>& scenery,
                                                    const std::vector<Airport>& airports, std::string_view text,
                                                    bool onlyListed);

}  // namespace velk
