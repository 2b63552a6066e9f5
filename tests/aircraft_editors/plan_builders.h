#pragma once
// Plan records for the plan aircraft editor's tests.
#include <string>

#include "data/plan_records.h"

namespace velk::test {

inline PlanAircraft Plane(std::string id, std::string title, std::string speed = "450") {
  PlanAircraft a;
  a.Id = std::move(id);
  a.Title = std::move(title);
  a.CruiseSpeed = std::move(speed);
  return a;
}

inline Flight FlightOf(std::string id, bool removed = false) {
  Flight f;
  f.AircraftId = std::move(id);
  f.Removed = removed;
  return f;
}

}  // namespace velk::test
