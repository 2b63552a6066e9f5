#pragma once
// The little the main window's shut-down needs of the shuffle before that
// feature is in: its working data, which the shut-down releases. The
// feature replaces this file with its own.
#include <vector>

#include "data/plan_records.h"

namespace velk {

// The shuffle's working list of installed aircraft.
std::vector<FSAircraft>& ShuffleAircraftList();

}  // namespace velk
