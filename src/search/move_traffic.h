#pragma once
// Moving traffic from one airport of the plan to another: every leg of a
// chosen flight that arrives at the source airport arrives at the
// destination instead. A leg departs from the previous leg's destination, so
// the next leg now departs from the destination too and the whole visit
// moves. A percent move moves only some of those legs, picked by a fixed
// counting rule (no random draw), so the same plan and choice always give
// the same result.
//
// Flights are chosen through the tags of the Move tree's checked nodes: a
// tag lists the ids of the plan aircraft that fly an installed aircraft,
// framed by commas (",AC#3,AC#17,"), and a flight is chosen when
// "," + AircraftId + "," occurs in it (exact case). Standard library only.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/plan_records.h"

namespace velk {

struct MoveCount {
  int counted = 0;  // matching legs seen
  int moved = 0;    // legs given the destination
};

// Walks the tags in the order given (the tree's node order) and, for each,
// every flight in plan order that it chooses (removed flights too) and
// every leg of it, in order, whose DestinationIcao equals `source` exactly.
// Without `percent` every such leg is moved (a moved leg no longer matches,
// so a flight chosen twice is moved and counted once). With `percent` p the
// counts run over the whole walk and a leg is moved when
// (moved * 100) / counted < p after counting it (integer division): p = 50
// moves the 1st, 3rd, 5th ... matching leg, p >= 100 all, p <= 0 none.
MoveCount MoveLegs(std::vector<Flight>& flights, const std::vector<std::string>& tags, std::string_view source,
                   std::string_view destination, std::optional<int> percent);

}  // namespace velk
