#include "airport_tools/airport_distance.h"

#include <unordered_map>

#include "platform/text_codec.h"

namespace velk {

std::vector<int> DistanceAirports(const std::vector<SceneryAirport>& scenery, const PlanState& plan) {
  std::vector<int> items;
  if (!plan.PlanLoaded) {
    items.reserve(scenery.size());
    for (size_t i = 0; i < scenery.size(); ++i) items.push_back(static_cast<int>(i));
    return items;
  }
  std::unordered_map<std::string, int> byCode;
  byCode.reserve(scenery.size());
  for (size_t i = 0; i < scenery.size(); ++i) byCode.emplace(UpperCp1252(scenery[i].ICAO), static_cast<int>(i));
  for (const Airport& a : plan.Airports) {
    auto it = byCode.find(UpperCp1252(a.Icao));
    if (it != byCode.end()) items.push_back(it->second);
  }
  return items;
}

std::string DistanceItemText(const SceneryAirport& a) {
  return a.ICAO + " - " + a.Name + " (" + a.City + "/" + a.Country + ")";
}

std::string DistanceLine(const std::string& from, const std::string& to, int nauticalMiles) {
  return from + " - > " + to + " = " + std::to_string(nauticalMiles) + "nm\r\n";
}

}  // namespace velk
