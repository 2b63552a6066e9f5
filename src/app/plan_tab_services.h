#pragma once
// The little the opening of a plan and undo need of the Move and Timetable
// tabs: emptying them for the new plan. The tabs' own features replace these.
namespace velk {

class frmMain;

// Empties the timetable list and sets its buttons for a new plan.
void ClearTimetableTab(frmMain& main);
// Fills the Move tab's source and destination choices with the plan's
// airports and sets its buttons.
void FillMoveAirportLists(frmMain& main);
// The percentage the Move tab remembers between two moves; -1 for none.
int& MovePercentage();

}  // namespace velk
