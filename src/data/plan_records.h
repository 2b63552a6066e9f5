#pragma once
// The traffic plan held in memory: flights with their legs, the plan's
// aircraft and airports, and the installed simulator aircraft. Every field of
// the three text files is kept as text (Windows-1252 bytes, blanks trimmed)
// so that a plan is written back in the spelling it was read in; numbers are
// converted only where they are used.
//
// The original design kept each array with a separate count; here each array
// is a std::vector whose size is the count, so the two can never disagree.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/ascii_text.h"
#include "platform/file_set.h"

namespace velk {

struct FlightLeg {
  std::string DepartureTime;  // "hh:mm:ss" GMT, weekly "d/hh:mm:ss"
  std::string ArrivalTime;    // same form, without the file's "@"
  bool FixedArrival = false;  // the file marks the arrival with "@"
  std::string FlightLevel;    // hundreds of feet, "035", "350"
  std::string UseFlightNumber;  // "F" or "R"
  std::string FlightNumber;
  std::string DestinationIcao;

  bool operator==(const FlightLeg&) const = default;
};

struct Flight {
  std::string AircraftId;    // "AC#n", joins PlanAircraft::Id exactly
  std::string Registration;
  std::string Percent;       // with its "%"
  std::string Period;        // "12Hr", "24Hr", ..., "WEEK"
  std::vector<FlightLeg> Legs;  // flying order; Legs.size() is the leg count
  std::string FlightRules;   // "IFR" or "VFR"
  bool Removed = false;

  int LegCount() const { return static_cast<int>(Legs.size()); }
  // Leg k departs from the destination of leg k-1; leg 0 from the last leg's.
  // A flight without legs (only a half-built one) has no departure: "".
  const std::string& DepartureIcao(int leg) const {
    static const std::string kNone;
    if (Legs.empty()) return kNone;
    return Legs[leg == 0 ? Legs.size() - 1 : leg - 1].DestinationIcao;
  }
  bool operator==(const Flight&) const = default;
};

// True for the period "WEEK" in any case: such a flight's times carry their
// day ("d/hh:mm:ss").
bool IsWeekPeriod(std::string_view period);

struct PlanAircraft {
  std::string Id;           // "AC#n"
  std::string Title;        // without quotes
  std::string CruiseSpeed;  // knots, as text
  int UseCount = 0;         // raised by the shuffle; not in the file

  bool operator==(const PlanAircraft&) const = default;
};

struct Airport {
  std::string Icao;
  std::string Latitude;   // N47* 26.99'
  std::string Longitude;  // E8* 33.00'
  std::string Elevation;  // whole feet

  bool operator==(const Airport&) const = default;
};

// One installed aircraft variant: one titled [fltsim.N] section of an
// aircraft.cfg below the simulator's Aircraft folder.
struct FSAircraft {
  std::string PlanId;
  std::string Title;
  std::string UIManufacturer;
  std::string UIType;
  int CruiseSpeed = 0;
  int Class = 0;  // 0 none, 1 "Not Used" .. 8 "Huge Jet"
  std::string ATCType;
  std::string ATCModel;
  std::string CfgFile;
  std::string ATCAirline;
  int UseCount = 0;
  int MinFL = 0;
  int MaxFL = 0;
  int MaxRange = 0;
  int MinRange = 0;
  std::string Section;
  bool Changed = false;
  std::string ModelFile;
  int ModelKind = 0;
  int Radius = -1;
  bool RadiusChanged = false;
  std::string Sim;
  std::string Model;
  std::string Panel;
  std::string Sound;
  std::string Texture;
  std::string KbChecklists;
  std::string KbReference;
  std::string ATCId;
  std::string ATCFlightNumber;
  bool ATCHeavy = false;
  std::string UIVariation;
  bool VisualDamage = false;
  std::string Description;
  std::string Performance;  // [General] Performance, the same for the whole file
  int CfgCruiseSpeed = 0;   // [Reference Speeds] cruise_speed, whole knots
  // Class limits: -1 (numbers) and "" (texts) mean no limit.
  int RunwayLength = 0;
  std::string RunwayTypes;
  int MinParkingRadius = 0;
  std::string ParkingTypes;
  int IFRPercent = 0;
  std::string ClassEntryId;  // Id of the class entry that gave the class
  std::string Errors;        // file problems joined by " | "; "" when none or unchecked
  // The record stands for an aircraft folder that could not be listed (see
  // LoadFSAircraft): it is shown with its Errors, but is no aircraft to use
  // or match.
  bool Unreadable = false;

  bool operator==(const FSAircraft&) const = default;
};

// Whether a plan aircraft of the same title can stand for this record: every
// record but an Unreadable one, "~" titles included.
inline bool MatchesByTitle(const FSAircraft& a) { return !a.Unreadable; }

// Whether the record is offered as an installed aircraft: in the aircraft
// trees, in the plan aircraft editor's list, and for the aircraft check. A
// title that begins with "~" hides an aircraft from all of them.
inline bool IsUsableAircraft(const FSAircraft& a) {
  return MatchesByTitle(a) && (a.Title.empty() || a.Title.front() != '~');
}

// Case-insensitive ICAO -> index into Airports; the first airport of a code
// wins, later duplicates stay in Airports but are not indexed.
class AirportIndexMap {
 public:
  void Clear() { map_.clear(); }
  // False when the code is indexed already.
  bool Add(std::string_view icao, int index);
  // -1 when the code is not indexed.
  int Find(std::string_view icao) const;
  size_t Size() const { return map_.size(); }

 private:
  std::unordered_map<std::string, int> map_;
};

// The module-level state of the loaded plan.
struct PlanState {
  std::vector<Flight> Flights;
  std::vector<PlanAircraft> PlanAircraftList;
  int HighestAircraftNumber = 0;
  std::vector<Airport> Airports;
  AirportIndexMap AirportIndex;
  std::vector<FSAircraft> FSAircraftList;
  bool FSAircraftErrors = false;  // some installed aircraft has file problems

  // Copies of the flights the last search found.
  std::vector<Flight> WorkList;
  std::vector<int> WorkListIndex;
  std::vector<std::string> WorkListNotes;

  std::string FlightplanPath;  // full path of the loaded flight plan file
  bool PlanLoaded = false;     // true while a plan with its Airports.txt is loaded
  // The plan's files as they were when last read or written, so that a save
  // never replaces unasked what another program wrote since.
  std::vector<KnownFile> KnownFiles;
  bool BackupPlan = true;      // the BackupPlan switch

  // Index in Airports of an ICAO code (any case), or -1.
  int FindAirport(std::string_view icao) const { return AirportIndex.Find(icao); }
  // Index of the plan aircraft whose Id equals `id` exactly, or -1.
  int FindPlanAircraft(std::string_view id) const;
};

// The one plan of the running program.
PlanState& Plan();

}  // namespace velk
