#pragma once
// The little the opening of a plan and undo need of the Move tab: filling
// it for the new plan. The tab's own feature replaces this.
namespace velk {

class frmMain;

// Fills the Move tab's source and destination choices with the plan's
// airports and sets its buttons.
void FillMoveAirportLists(frmMain& main);
// The percentage the Move tab remembers between two moves; -1 for none.
int& MovePercentage();

}  // namespace velk
