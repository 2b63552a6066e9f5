#pragma once
// The little the opening of a plan and undo need of the Timetable tab:
// emptying it for the new plan. The tab's own feature replaces this.
namespace velk {

class frmMain;

// Empties the timetable list and sets its buttons for a new plan.
void ClearTimetableTab(frmMain& main);

}  // namespace velk
