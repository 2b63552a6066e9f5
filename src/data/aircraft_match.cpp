#include "data/aircraft_match.h"

#include "platform/text_codec.h"

namespace velk {

std::vector<int> MatchInstalledAircraft(const PlanState& plan) {
  // First installed aircraft of each upper-case title.
  std::unordered_map<std::string, int> byTitle;
  byTitle.reserve(plan.FSAircraftList.size());
  for (size_t i = 0; i < plan.FSAircraftList.size(); ++i)
    byTitle.emplace(UpperCp1252(plan.FSAircraftList[i].Title), static_cast<int>(i));
  std::vector<int> match;
  match.reserve(plan.PlanAircraftList.size());
  for (const PlanAircraft& a : plan.PlanAircraftList) {
    auto it = byTitle.find(UpperCp1252(a.Title));
    match.push_back(it == byTitle.end() ? -1 : it->second);
  }
  return match;
}

std::unordered_map<std::string, int> InstalledAircraftByPlanId(const PlanState& plan) {
  std::vector<int> match = MatchInstalledAircraft(plan);
  std::unordered_map<std::string, int> byId;
  byId.reserve(match.size());
  for (size_t i = 0; i < match.size(); ++i)
    if (match[i] >= 0) byId.emplace(plan.PlanAircraftList[i].Id, match[i]);
  return byId;
}

}  // namespace velk
