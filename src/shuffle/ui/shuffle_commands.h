#pragma once
// The shuffle's commands in the main window: the shuffle run that the
// Shuffle tab starts, the tab's "Create 'AircraftTypes.dat'" button and the
// three generators of the Tools menu. Each reaches the main window through
// PlanHost only; frmMain connects the controls to them.
#include <string>

#include "gui/aircraft_tree.h"
#include "gui/plan_host.h"
#include "shuffle/shuffle_engine.h"

namespace velk {

// The shuffle of host.Plan(). The caller has shown the progress window, set
// `options` from its boxes, taken the undo copy and rebuilt the plan
// aircraft list; this sets the progress window's steps, loads the scenery
// airports (kept for later runs), runs the shuffle and, with the Debug
// switch, writes Shuffle.log and "Shuffle Result.log" beside the plan file.
// True when every flight was treated; removedCount and assignedCount then
// hold the flights marked removed and the flights given an aircraft. False
// after telling the user why: no scenery ("Unable to get FS Scenery.",
// nothing changed) or an error at a flight ("Error (Flight n):" and the
// reason; the flights before it are changed already, so the caller puts
// back the plan it had before the run). A log that cannot be written is
// reported but does not make the run fail.
bool ShuffleTraffic(PlanHost& host, const ShuffleOptions& options, int& removedCount, int& assignedCount);

// cmdACTypeDat: "New AircraftTypes.dat" in the program folder for every
// installed aircraft whose leaf is ticked in `shuffleTree` (aircraft that
// share a title share the leaf, so all of them).
void CreateAircraftTypesFile(PlanHost& host, const AircraftTree& shuffleTree);

// mnuToolsAirlinesCFG: "New VELK_AL.CFG" in the program folder.
void CreateNewAirlineConfig(PlanHost& host);
// mnuToolsAirportsTXT: "New Airports.txt" in the program folder.
void CreateNewAirportsFile(PlanHost& host);
// mnuToolsFPAirportsTXT: "Flightplan Airports.txt" beside the plan file.
void CreateFlightplanAirportsFile(PlanHost& host);

}  // namespace velk
