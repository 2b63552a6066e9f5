#include "airport_tools/airport_search.h"

#include <unordered_map>

#include "data/config_text.h"
#include "data/text_number.h"

namespace velk {

std::vector<AirportSearchRow> SearchSceneryAirports(const std::vector<SceneryAirport>& scenery,
                                                    const std::vector<Airport>& airports, std::string_view text,
                                                    bool onlyListed) {
  // The first Airports.txt entry of each code, as stored.
  std::unordered_map<std::string, int> listed;
  listed.reserve(airports.size());
  for (size_t i = 0; i < airports.size(); ++i) listed.emplace(airports[i].Icao, static_cast<int>(i));

  std::vector<AirportSearchRow> rows;
  for (size_t i = 0; i < scenery.size(); ++i) {
    const SceneryAirport& a = scenery[i];
    bool hit = false;
    for (const std::string* field : {&a.ICAO, &a.Name, &a.City, &a.Country, &a.Region, &a.State})
      if (ContainsNoCase(*field, text)) {
        hit = true;
        break;
      }
    if (!hit) continue;
    auto entry = listed.find(a.ICAO);
    if (entry == listed.end() && onlyListed) continue;
    AirportSearchRow row;
    row.text = a.Name + " (" + a.ICAO + ") - " + a.City + "/" + a.Country;
    row.scenery = static_cast<int>(i);
    if (entry != listed.end()) {
      const Airport& p = airports[static_cast<size_t>(entry->second)];
      row.latitude = p.Latitude;
      row.longitude = p.Longitude;
      row.elevation = p.Elevation + "ft";
    } else {
      row.text += kNotInAirportsTxt;
      row.latitude = a.Latitude;
      row.longitude = a.Longitude;
      row.elevation = std::to_string(text_number::RoundHalfEven(a.Elevation * 3.281)) + "ft";
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace velk
