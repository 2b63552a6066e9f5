#include "data/plan_records.h"

namespace velk {

bool AirportIndexMap::Add(std::string_view icao, int index) {
  return map_.emplace("#" + UpperAscii(icao), index).second;
}

int AirportIndexMap::Find(std::string_view icao) const {
  auto it = map_.find("#" + UpperAscii(icao));
  return it == map_.end() ? -1 : it->second;
}

bool IsWeekPeriod(std::string_view period) { return EqualsNoCase(period, "WEEK"); }

int PlanState::FindPlanAircraft(std::string_view id) const {
  for (size_t i = 0; i < PlanAircraftList.size(); ++i) {
    if (PlanAircraftList[i].Id == id) return static_cast<int>(i);
  }
  return -1;
}

PlanState& Plan() {
  static PlanState state;
  return state;
}

}  // namespace velk
