#include "data/plan_records.h"

namespace velk {

std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string_view TrimBlanks(std::string_view s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

std::string_view TrimSpaces(std::string_view s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

bool AirportIndexMap::Add(std::string_view icao, int index) {
  return map_.emplace("#" + UpperAscii(icao), index).second;
}

int AirportIndexMap::Find(std::string_view icao) const {
  auto it = map_.find("#" + UpperAscii(icao));
  return it == map_.end() ? -1 : it->second;
}

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
