#pragma once
// One level of undo for the loaded plan: a deep copy of the flights and the
// plan aircraft, taken before a change and put back on request. The airports
// and the installed aircraft are not part of it. Standard library only.
#include <vector>

#include "data/plan_records.h"

namespace velk {

class PlanUndo {
 public:
  // Replaces the held copy by a copy of the plan's flights and aircraft. The
  // copy is built whole before it replaces the old one: when it cannot be
  // built, no copy is held (a partial one would restore a damaged plan) and
  // false is returned.
  bool Save(const PlanState& plan);
  // Drops the copy.
  void Clear();
  // Puts the copy back into the plan (and empties the search work list, whose
  // entries name flights of the replaced plan); the copy is dropped. False,
  // with the plan untouched, when no copy is held.
  bool Restore(PlanState& plan);

  bool Held() const { return held_; }
  const std::vector<Flight>& UndoFlights() const { return flights_; }
  const std::vector<PlanAircraft>& UndoAircraft() const { return aircraft_; }

 private:
  std::vector<Flight> flights_;
  std::vector<PlanAircraft> aircraft_;
  bool held_ = false;
};

}  // namespace velk
