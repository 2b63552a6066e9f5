#pragma once
// The little the opening of a plan and undo need of the Export/Search and
// Timetable tabs: emptying them for the new plan and listing the flights
// whose aircraft is not installed. The tabs' own features extend these.
#include <string>

namespace velk {

class frmMain;

// Search modes of SearchFlights used here.
inline constexpr int kSearchAircraftNotFound = 2;

// Empties the timetable list and sets its buttons for a new plan.
void ClearTimetableTab(frmMain& main);
// Empties the search result list, sets its buttons for a new plan and fills
// the aircraft choice with the plan aircraft.
void ClearSearchTab(frmMain& main);
// Lists the flights a search mode finds in the work list and lvExPreview.
// Only the "aircraft not found" mode is here so far; other modes list
// nothing.
void SearchFlights(frmMain& main, const std::string& first, const std::string& second, int mode);

}  // namespace velk
