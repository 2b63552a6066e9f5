#pragma once
// Tools menu commands that correct the whole plan in place, each with the
// busy frame, the undo copy, the resets of the tabs that showed the old plan
// and a closing message.
namespace velk {

class PlanHost;

inline constexpr const char* kFlightTimesCheckedMessage = "Successfully checked Flight Timings for all flights.";

// Tools > "Correct Flight Times": every flight, removed ones included, by
// CorrectFlightTimes with the program's turn-around limits. Does nothing
// while the main window is busy.
void CorrectAllFlightTimes(PlanHost& host);

}  // namespace velk
