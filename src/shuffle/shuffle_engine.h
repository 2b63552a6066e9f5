#pragma once
// The shuffle: gives every flight of a plan a new aircraft. For each flight
// it walks the locations of its departure airport from the most specific
// (airport, city, state, then the flight's other airports while it stays in
// one country, country, the airports it visits, region) to GLOBAL and at last
// to the aircraft that fly for no airline, and takes the first section whose
// airlines have an aircraft that fits every airport and leg of the flight.
// The aircraft brings its "AC#" id and, as the options say, a new tail
// number, new flight rules and new levels; every arrival is recomputed.
// Flights that nothing fits are marked removed.
//
// Plain C++ over the plan, the scenery airports and the airline
// configuration: no window, no file. Random draws come from NextRandom, so a
// scripted source gives the same plan and log every run.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/airline_config.h"
#include "data/plan_records.h"
#include "data/scenery_airports.h"

namespace velk {

// The switches of one run: the Shuffle tab's five check boxes and the
// program's Debug switch.
struct ShuffleOptions {
  bool OverwriteTailNumber = true;   // new registrations from the places' patterns
  bool RemoveMinus = false;          // no "-" in those registrations
  bool CheckFL = true;               // new levels for the chosen aircraft
  bool ChangeIFRVFR = true;          // VFR flights of larger aircraft become IFR
  bool CheckVisitedAirports = true;  // later airports of a flight count as its location
  bool DebugEnabled = false;         // Shuffle.log and "Shuffle Result.log"
};

// The airline configuration a run works on and leaves its counts in.
struct LocationTables {
  LocationRules& Global;
  std::vector<LocationRules>& Regions;
  std::vector<LocationRules>& Countries;
  std::vector<LocationRules>& States;
  std::vector<LocationRules>& Cities;
  std::vector<LocationRules>& Airports;
};
// The program's tables, as VELK_AL.CFG filled them.
LocationTables ProgramLocationTables();

// Receives the lines of Shuffle.log, without line ends.
class ShuffleLog {
 public:
  virtual ~ShuffleLog() = default;
  virtual void Line(std::string_view text) = 0;
};

// How a run reports its steps. Each callback may be empty; a receiver shows
// the text or bar and lets pending window events run.
struct ShuffleProgress {
  std::function<void(const std::string& caption)> Caption;
  std::function<void(int maximum)> Maximum;
  // Called every 1001 treated flights with the position of the flight.
  std::function<void(int value)> Value;
};

enum class ShuffleStatus {
  kCompleted,  // every flight was treated
  kNoScenery,  // no scenery airport to go by: nothing was changed
  kFailed,     // stopped at a flight; those before it are changed
};

struct ShuffleResult {
  ShuffleStatus Status = ShuffleStatus::kCompleted;
  int RemovedCount = 0;   // flights this run marked removed
  int AssignedCount = 0;  // flights this run gave an aircraft
  // kFailed: the index of the flight that stopped the run, and the message
  // the user is shown ("Error (Flight n):", CR LF, the reason).
  int FailedFlight = -1;
  std::string Error;
  // The last resort group: the chosen aircraft without an airline, with
  // their counts; "Shuffle Result.log" reports it.
  AirlineShare NoAirline;

  bool Completed() const { return Status == ShuffleStatus::kCompleted; }
};

inline constexpr const char* kNoSceneryMessage = "Unable to get FS Scenery.";

// The run over `plan`: matches the plan aircraft to the installed ones and
// hangs them under their airlines in `tables` (resetting the tables' counts),
// then treats every flight that is not removed yet, in plan order. Changes
// AircraftId, Registration, FlightRules, the legs' UseFlightNumber,
// FlightLevel and ArrivalTime and Removed of the flights, and UseCount of the
// plan aircraft. With an empty `scenery` nothing is changed. `log`, when
// given, receives Shuffle.log's header and one block per treated flight. The
// random source is seeded from the clock first (a scripted source set with
// SetRandomSource is not affected).
ShuffleResult RunShuffle(PlanState& plan, const std::vector<SceneryAirport>& scenery, const LocationTables& tables,
                         const ShuffleOptions& options, ShuffleLog* log = nullptr,
                         const ShuffleProgress& progress = {});

// Hangs copies of the plan's installed aircraft under the airlines of every
// section and works out each airline's planned percentage; returns the
// copies that fly for no airline. Part of RunShuffle, open for tests.
std::vector<FSAircraft> MatchFSAircraft(const PlanState& plan, const LocationTables& tables);

}  // namespace velk
