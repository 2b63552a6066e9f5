#include "search/ui/plan_corrections.h"

#include <QCoreApplication>

#include "data/flight_timings.h"
#include "data/program_state.h"
#include "gui/plan_host.h"
#include "platform/message_box.h"

namespace velk {

void CorrectAllFlightTimes(PlanHost& host) {
  if (host.IsBusy()) return;
  BusyFrame busy(host);
  QCoreApplication::processEvents();
  host.SaveUndo();
  const ProgramState& g = Program();
  const TurnAroundLimits limits{g.MinTurnAround, g.MaxTurnAround};
  for (Flight& f : host.Plan().Flights) CorrectFlightTimes(f, limits);
  host.ResetTimetable();
  host.ResetSearchResults();
  host.MarkPlanModified();
  ShowMessageBox(kFlightTimesCheckedMessage, kMbOk | kMbIconInformation, kProgramTitle, host.Window());
}

}  // namespace velk
