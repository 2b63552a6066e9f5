#pragma once
// The work list: copies of the flights the last search or report found,
// each with its index in Flights and its finding text, the three arrays
// always of one length. The result list's rows stand for its entries; the
// edits, exports and the printout act through it.
#include <string>
#include <vector>

#include "data/plan_records.h"
#include "search/flight_search.h"

namespace velk {

void EmptyWorkList(PlanState& plan);

// Replaces the work list with copies of the flights `result` found.
void FillWorkList(PlanState& plan, const SearchResult& result);

// Entry `k` exists and names a flight of the plan: an action through a row
// that fails this must do nothing.
bool IsWorkEntry(const PlanState& plan, int k);

// The flight the Add button starts from: the first plan aircraft, the first
// airport as both destinations, "N700MS", "50%", "24Hr", "IFR", two legs
// 00:00:00 and 01:00:00 at level "100".
Flight NewFlight(const PlanState& plan);

// Appends `flight` to the work list with no plan flight yet (index -1);
// returns its entry index.
int AppendWorkEntry(PlanState& plan, const Flight& flight);
// Takes the last entry off again.
void DropLastWorkEntry(PlanState& plan);

// The number of entries not marked removed (what an export writes as flights).
int ExportedFlightCount(const PlanState& plan);

// Every flight of the plan that no work-list entry stands for, in plan
// order, removed ones included.
std::vector<Flight> RemainingFlights(const PlanState& plan);

// The entries not marked removed.
std::vector<Flight> WorkListWithoutRemoved(const PlanState& plan);

}  // namespace velk
