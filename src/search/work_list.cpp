#include "search/work_list.h"

namespace velk {

void EmptyWorkList(PlanState& plan) {
  plan.WorkList.clear();
  plan.WorkListIndex.clear();
  plan.WorkListNotes.clear();
}

void FillWorkList(PlanState& plan, const SearchResult& result) {
  EmptyWorkList(plan);
  plan.WorkList.reserve(result.flights.size());
  for (int i : result.flights) plan.WorkList.push_back(plan.Flights[i]);
  plan.WorkListIndex = result.flights;
  plan.WorkListNotes = result.notes;
}

bool IsWorkEntry(const PlanState& plan, int k) {
  if (k < 0 || k >= static_cast<int>(plan.WorkList.size())) return false;
  if (k >= static_cast<int>(plan.WorkListIndex.size()) || k >= static_cast<int>(plan.WorkListNotes.size()))
    return false;
  int i = plan.WorkListIndex[k];
  return i >= 0 && i < static_cast<int>(plan.Flights.size());
}

Flight NewFlight(const PlanState& plan) {
  Flight f;
  if (!plan.PlanAircraftList.empty()) f.AircraftId = plan.PlanAircraftList.front().Id;
  f.Registration = "N700MS";
  f.Percent = "50%";
  f.Period = "24Hr";
  f.FlightRules = "IFR";
  std::string airport = plan.Airports.empty() ? std::string() : plan.Airports.front().Icao;
  f.Legs.push_back(FlightLeg{"00:00:00", "00:00:00", false, "100", "F", "0000", airport});
  f.Legs.push_back(FlightLeg{"01:00:00", "01:00:00", false, "100", "F", "0000", airport});
  return f;
}

int AppendWorkEntry(PlanState& plan, const Flight& flight) {
  plan.WorkList.push_back(flight);
  plan.WorkListIndex.push_back(-1);
  plan.WorkListNotes.emplace_back();
  return static_cast<int>(plan.WorkList.size()) - 1;
}

void DropLastWorkEntry(PlanState& plan) {
  if (plan.WorkList.empty()) return;
  plan.WorkList.pop_back();
  plan.WorkListIndex.pop_back();
  plan.WorkListNotes.pop_back();
}

int ExportedFlightCount(const PlanState& plan) {
  int n = 0;
  for (const Flight& f : plan.WorkList)
    if (!f.Removed) ++n;
  return n;
}

std::vector<Flight> RemainingFlights(const PlanState& plan) {
  std::vector<bool> listed(plan.Flights.size(), false);
  for (int i : plan.WorkListIndex)
    if (i >= 0 && i < static_cast<int>(listed.size())) listed[i] = true;
  std::vector<Flight> rest;
  for (size_t i = 0; i < plan.Flights.size(); ++i)
    if (!listed[i]) rest.push_back(plan.Flights[i]);
  return rest;
}

std::vector<Flight> WorkListWithoutRemoved(const PlanState& plan) {
  std::vector<Flight> kept;
  for (const Flight& f : plan.WorkList)
    if (!f.Removed) kept.push_back(f);
  return kept;
}

}  // namespace velk
