#pragma once
// The plan aircraft list (the future Aircraft.txt) that a shuffle gives the
// plan: the installed aircraft the user ticked in the Shuffle tree, numbered
// from the start number. Standard library only.
#include <vector>

#include "data/plan_records.h"

namespace velk {

// One plan aircraft per entry of `installedIndexes` (indexes into
// `installed`, in the order of the tree's nodes): Id "AC#" followed by
// startNumber, startNumber + 1, ...; Title the installed aircraft's title
// without surrounding blanks; CruiseSpeed its class cruise speed as text.
// An aircraft without a cruise speed (below 1) is left out, and the numbers
// stay consecutive over the rest: its line would stop every compile of the
// plan, and no flight could be given it. Indexes outside `installed` are
// skipped.
std::vector<PlanAircraft> BuildShuffleAircraftList(const std::vector<int>& installedIndexes,
                                                   const std::vector<FSAircraft>& installed, int startNumber);

}  // namespace velk
