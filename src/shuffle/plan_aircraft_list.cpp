#include "shuffle/plan_aircraft_list.h"

#include <string>

namespace velk {

std::vector<PlanAircraft> BuildShuffleAircraftList(const std::vector<int>& installedIndexes,
                                                   const std::vector<FSAircraft>& installed, int startNumber) {
  std::vector<PlanAircraft> list;
  long long number = startNumber;
  for (int index : installedIndexes) {
    if (index < 0 || index >= static_cast<int>(installed.size())) continue;
    const FSAircraft& a = installed[static_cast<size_t>(index)];
    if (a.CruiseSpeed < 1) continue;
    PlanAircraft p;
    p.Id = "AC#" + std::to_string(number++);
    // From the record, not from the leaf's text: the text carries the
    // airline in parentheses, and a title may hold parentheses of its own.
    p.Title = std::string(TrimBlanks(a.Title));
    p.CruiseSpeed = std::to_string(a.CruiseSpeed);
    list.push_back(std::move(p));
  }
  return list;
}

}  // namespace velk
