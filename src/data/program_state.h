#pragma once
// Switches and values of the running program that many features read: the
// Tools menu switches, the turn-around limits, the display zones and the
// modified flag of the loaded plan. The main window loads them from the
// settings at start-up and writes them back when it closes; between the two
// they live only here (and BackupPlan in Plan()).
#include <string>

namespace velk {

// Stored in MinTurnAround or MaxTurnAround when that limit is off.
inline constexpr int kTurnAroundOff = 999999;

struct ProgramState {
  bool BackupAircraft = false;
  bool UndoEnabled = false;
  bool AircraftCheck = false;
  bool DebugEnabled = false;
  // Plausibility checks of the flight editor.
  bool CheckAircraftRange = false;
  bool CheckFlightLevels = false;
  bool CheckFlightTimes = false;
  int MinTurnAround = 0;  // minutes, or kTurnAroundOff
  int MaxTurnAround = 0;  // hours, or kTurnAroundOff
  int StartNumber = 0;    // first "AC#" number a shuffle gives
  std::string TimetableZone;
  std::string ExportZone;
  std::string FlightEditZone;
  // The loaded plan differs from its files.
  bool PlanModified = false;
};

// The one state of the running program.
ProgramState& Program();

}  // namespace velk
