#include "app/plan_undo.h"

#include <new>
#include <utility>

namespace velk {

bool PlanUndo::Save(const PlanState& plan) {
  try {
    std::vector<Flight> flights = plan.Flights;
    std::vector<PlanAircraft> aircraft = plan.PlanAircraftList;
    flights_.swap(flights);
    aircraft_.swap(aircraft);
    held_ = true;
    return true;
  } catch (const std::bad_alloc&) {
    Clear();
    return false;
  }
}

void PlanUndo::Clear() {
  std::vector<Flight>().swap(flights_);
  std::vector<PlanAircraft>().swap(aircraft_);
  held_ = false;
}

bool PlanUndo::Restore(PlanState& plan) {
  if (!held_) return false;
  plan.WorkList.clear();
  plan.WorkListIndex.clear();
  plan.WorkListNotes.clear();
  // Moving cannot fail, so the plan is never left half replaced.
  plan.Flights = std::move(flights_);
  plan.PlanAircraftList = std::move(aircraft_);
  Clear();
  return true;
}

}  // namespace velk
