#pragma once
// The flight search of the Export/Search tab and the five Analyze reports:
// which flights of a plan a search mode finds. Values in (the plan, the
// criteria, the turn-around limits, the scenery airports for the region and
// country criteria), plan indexes out, in plan order, with the finding text
// of the two reports that have one. Flights marked removed are never found.
// The plan is only read.
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/flight_timings.h"
#include "data/plan_records.h"
#include "data/scenery_airports.h"

namespace velk {

enum class SearchMode : int {
  ByCriteria = 1,        // the criteria of the tab
  AircraftNotFound = 2,  // no installed aircraft stands for the flight's aircraft
  WrongFlightLevel = 3,  // a leg's level breaks the flight-level rules
  WrongTime = 4,         // CheckFlightTimings finds something
  Duplicates = 5,        // an earlier flight is identical
  UnknownAirports = 6,   // a destination is missing from Airports.txt
};

// The modes whose result carries a finding text per flight (the "Errors"
// column of the result list).
bool ModeHasFindings(SearchMode mode);

// The criteria of the tab. Texts are Windows-1252 as typed; an empty text is
// no criterion. A text criterion matches when the flight's value contains
// the typed text, letter case ignored; an empty value never matches.
struct SearchCriteria {
  std::string departure;  // departure ICAO (the last leg's destination)
  std::string leg;        // a stop: destination of legs 0 .. n-2
  std::string continent;  // scenery region of the departure airport
  std::string country;    // scenery country of the departure airport
  std::string airline;    // atc_airline of the flight's installed aircraft
  bool ifr = false;       // flight rules "IFR" (any case)
  bool vfr = false;       // flight rules "VFR" (any case)
  std::string aircraftId;  // a plan aircraft's Id (compared upper-cased); "" none
  int aircraftClass = -1;  // class 2..8 of the installed aircraft; -1 none
  // AND: found when every set criterion holds (none set: every flight).
  // OR: found when one holds (none set: no flight). Criteria are looked at in
  // the order above, and only until the outcome is settled.
  bool andSearch = true;

  bool NeedsScenery() const { return !continent.empty() || !country.empty(); }
};

// The installed aircraft standing for the plan's aircraft ids: for each plan
// aircraft in order, the first installed aircraft of the same title (letter
// case ignored). Points into the plan, which must outlive it and not change
// its aircraft lists meanwhile.
class InstalledMatch {
 public:
  InstalledMatch() = default;
  explicit InstalledMatch(const PlanState& plan);

  // The installed aircraft of the first matched plan aircraft whose Id
  // equals `id` exactly; null when there is none.
  const FSAircraft* ById(std::string_view id) const;
  // The same with the Id's letter case ignored.
  const FSAircraft* ByIdNoCase(std::string_view id) const;
  // Its index in FSAircraftList, or -1.
  int IndexByIdNoCase(std::string_view id) const;
  // The non-empty atc_airline that the first plan aircraft of Id `id`
  // (letter case ignored) has through its exact-Id match; null when none.
  const std::string* AirlineByIdNoCase(std::string_view id) const;

 private:
  const PlanState* plan_ = nullptr;
  std::unordered_map<std::string, int> exact_;   // Id -> FSAircraftList index
  std::unordered_map<std::string, int> noCase_;  // upper-case Id -> index
  std::unordered_map<std::string, std::string> airlines_;  // upper-case Id -> airline
};

// Distances, courses and the flight-level rules, for the level report and
// the printout. Distances in whole nautical miles, courses in whole
// degrees; -1 when an airport is unknown.
struct LegGeometry {
  std::function<int(std::string_view from, std::string_view to)> distance;
  std::function<int(std::string_view from, std::string_view to)> course;
  // Whether `level` (hundreds of feet) is allowed for the leg and the
  // installed aircraft FSAircraftList[fsIndex].
  std::function<bool(const std::string& flightRules, int distance, int course, int fsIndex, int level)>
      levelAllowed;
};
// The running program's: the loaded plan's airports and VELK_FL.CFG.
LegGeometry ProgramLegGeometry();

struct SearchInput {
  SearchMode mode = SearchMode::ByCriteria;
  SearchCriteria criteria;    // ByCriteria
  TurnAroundLimits limits;    // WrongTime
  LegGeometry geometry;       // WrongFlightLevel
  // Scenery airports for the continent and country criteria; null or empty:
  // no airport has a region or country.
  const std::vector<SceneryAirport>* scenery = nullptr;
};

struct SearchResult {
  std::vector<int> flights;        // indexes in Flights, ascending
  std::vector<std::string> notes;  // one per found flight; "" outside WrongTime and UnknownAirports
  InstalledMatch installed;        // built for the search, used for the rows
};

// Progress captions of a search, in the order a search reaches them.
inline constexpr const char* kPreparingFlightsStep = "Preparing Flights...";
inline constexpr const char* kMatchingAircraftStep = "Matching Aircraft...";
inline constexpr const char* kSearchingStep = "Searching in Flights...";
// Called with a caption and the progress value (of 4) when a step begins.
using SearchStep = std::function<void(const char* caption, int value)>;

SearchResult SearchFlights(const PlanState& plan, const SearchInput& input, const SearchStep& step = {});

// The duplicate key of a flight: "#" and every field but the marks for fixed
// arrivals and removal, joined by ",", upper-cased.
std::string DuplicateKey(const Flight& flight);

}  // namespace velk
