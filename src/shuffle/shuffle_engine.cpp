#include "shuffle/shuffle_engine.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>
#include <utility>

#include "data/class_config.h"
#include "data/flight_levels.h"
#include "data/geodesy.h"
#include "data/installed_aircraft.h"
#include "data/text_number.h"
#include "data/times_zones.h"
#include "platform/random_source.h"
#include "platform/text_codec.h"
#include "shuffle/tail_numbers.h"

namespace velk {

LocationTables ProgramLocationTables() {
  return {GlobalRules(), RegionRules(), CountryRules(), StateRules(), CityRules(), AirportRules()};
}

namespace {

// Names and codes are compared without regard to case everywhere in the
// shuffle; the keys are their upper case.
std::string Key(std::string_view text) { return UpperCp1252(text); }

struct TextHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
using TextMap = std::unordered_map<std::string, int, TextHash, std::equal_to<>>;

// A keyed lookup where the first record of a key wins.
class KeyIndex {
 public:
  void Add(std::string key, int index) { map_.try_emplace(std::move(key), index); }
  // -1 when the key is not there; `key` must be upper case already.
  int Find(std::string_view key) const {
    auto it = map_.find(key);
    return it == map_.end() ? -1 : it->second;
  }

 private:
  TextMap map_;
};

// Every section list in the order the kinds are tried for an airport.
enum SectionKind { kAirportSection, kCitySection, kStateSection, kCountrySection, kRegionSection, kSectionKinds };

std::vector<std::vector<LocationRules>*> SectionTables(const LocationTables& t) {
  return {&t.Airports, &t.Cities, &t.States, &t.Countries, &t.Regions};
}

// Calls `fn` for GLOBAL and every section of every kind.
template <typename Fn>
void ForEachSection(const LocationTables& tables, Fn&& fn) {
  fn(tables.Global);
  for (auto* table : {&tables.Regions, &tables.Countries, &tables.States, &tables.Cities, &tables.Airports}) {
    for (LocationRules& section : *table) fn(section);
  }
}

// Turns the configured percentages of one section into the planned ones.
// The configured Percent is left as the file gave it: an airline the rule
// drops is dropped for this run only.
void PlanPercentages(LocationRules& section) {
  std::vector<int> effective;
  effective.reserve(section.Airlines.size());
  int sum = 0;
  int open = 0;
  int counted = 0;
  for (const AirlineShare& a : section.Airlines) {
    int percent = a.Percent;
    const bool flown = !a.Aircraft.empty();
    if (percent < 1) {
      if (flown) ++open;
    } else if (flown && sum + percent <= 100) {
      sum += percent;
      ++counted;
    } else {
      percent = -1;
      if (flown) ++open;
    }
    effective.push_back(percent);
  }
  if (open > 0) {
    const int share = (100 - sum) / open;
    for (size_t i = 0; i < section.Airlines.size(); ++i) {
      AirlineShare& a = section.Airlines[i];
      if (effective[i] == -1) {
        a.PlannedPercent = a.Aircraft.empty() ? 0 : share;
      } else {
        a.PlannedPercent = effective[i];
      }
    }
  } else if (counted > 0) {
    const int share = (100 - sum) / counted;
    for (size_t i = 0; i < section.Airlines.size(); ++i) {
      AirlineShare& a = section.Airlines[i];
      a.PlannedPercent = effective[i] < 1 ? 0 : effective[i] + share;
    }
  }
}

// The limits of an aircraft that the candidate filter reads. Many copies
// share one set (every copy of an installed aircraft, and the aircraft of
// one class), so a flight tests each set once.
struct LimitProfile {
  int minFL = 0;
  int maxFL = 0;
  int minRange = 0;
  int maxRange = 0;
  int runwayLength = 0;
  int minParking = 0;
  std::string runwayTypes;  // upper case
};

// What a flight asks of an aircraft.
struct FlightLimits {
  int minFL = 0;
  int maxFL = 0;
  int minDist = 0;
  int maxDist = 0;
  int shortestRunway = 0;
  int smallestParking = 0;
  std::string_view surface;
};

bool Fits(const LimitProfile& p, const FlightLimits& f, bool checkFL) {
  // With CheckFL the levels are drawn anew for the aircraft, so its level
  // limits cannot rule it out.
  if (!checkFL && !(f.minFL >= p.minFL && f.maxFL <= p.maxFL)) return false;
  if (!(f.minDist >= p.minRange && f.maxDist <= p.maxRange)) return false;
  if (p.runwayLength > f.shortestRunway || p.minParking > f.smallestParking) return false;
  return p.runwayTypes.find(f.surface) != std::string::npos;
}

// The aircraft of one airline grouped by limit set, so that counting an
// airline's fitting aircraft costs one test per set.
struct AirlineCandidates {
  std::vector<int> profileOf;               // per aircraft copy, in list order
  std::vector<std::pair<int, int>> groups;  // (limit set, copies), first use first
};

struct SectionCandidates {
  LocationRules* rules = nullptr;
  std::vector<AirlineCandidates> airlines;  // parallel to rules->Airlines
};

// One airport code as the flights spell it.
struct AirportInfo {
  std::string icao;
  int scenery = -1;  // first scenery airport of the code, any case
  std::array<int, kSectionKinds> section{-1, -1, -1, -1, -1};
  int country = -1;  // the scenery's region and country, as one number
  std::optional<GeoPosition> distancePosition;
  std::optional<GeoPosition> coursePosition;
};

std::string_view SurfaceText(int surfaceClass) {
  switch (surfaceClass) {
    case 1:
      return "HARD";
    case 2:
      return "SOFT";
    case 3:
      return "WATER";
    case 4:
      return "SNOW";
    default:
      // No airport of the flight is known, or none has a runway: no
      // aircraft's runway types name this.
      return "1";
  }
}

std::string ClassNameForLog(int aircraftClass) {
  std::string_view name = AircraftClassName(aircraftClass);
  return name.empty() ? "Unknown" : std::string(name);
}

class Engine {
 public:
  Engine(PlanState& plan, const std::vector<SceneryAirport>& scenery, const LocationTables& tables,
         const ShuffleOptions& options, ShuffleLog* log, const ShuffleProgress& progress)
      : plan_(plan), scenery_(scenery), tables_(tables), options_(options), log_(log), progress_(progress) {}

  ShuffleResult Run();

 private:
  void Caption(const char* text) const {
    if (progress_.Caption) progress_.Caption(text);
  }
  void Log(std::string_view line) const {
    if (log_) log_->Line(line);
  }

  void BuildIndexes();
  void BuildCandidates();
  SectionCandidates CandidatesOf(LocationRules& section);
  int ProfileOf(const FSAircraft& aircraft);
  int AirportId(const std::string& icao);
  int Distance(int from, int to) const;
  int Course(int from, int to) const;

  // Treats flight i; false when it stops the run (result_.Error says why).
  bool TreatFlight(int i);
  bool TrySection(Flight& flight, LocationRules& section, SectionCandidates& candidates);
  bool PickAircraft(Flight& flight, SectionCandidates& section, int sectionFlightCount, bool noAirline);
  bool ProfileFits(int profile);
  void ApplyAircraft(Flight& flight, AirlineShare& airline, FSAircraft& aircraft);
  std::string RouteAndBounds(const Flight& flight) const;
  void LogFlight(const Flight& flight, const std::string& location) const;
  void LogNoAircraft(const Flight& flight) const;
  void RemoveFlight(Flight& flight);

  PlanState& plan_;
  const std::vector<SceneryAirport>& scenery_;
  const LocationTables& tables_;
  const ShuffleOptions& options_;
  ShuffleLog* log_;
  const ShuffleProgress& progress_;
  ShuffleResult result_;

  std::array<KeyIndex, kSectionKinds> sectionIndex_;
  std::array<std::vector<SectionCandidates>, kSectionKinds> sections_;
  SectionCandidates global_;
  LocationRules noAirlineSection_;
  SectionCandidates noAirline_;

  KeyIndex sceneryIndex_;      // upper-case code -> first scenery airport
  TextMap sceneryExact_;       // code as written -> first scenery airport
  TextMap airportIds_;         // code as the flights write it -> airports_
  std::vector<AirportInfo> airports_;
  TextMap countryIds_;
  KeyIndex planAircraftIndex_;  // exact Id -> first plan aircraft

  std::vector<LimitProfile> profiles_;
  TextMap profileIds_;
  std::vector<unsigned> profileStamp_;
  std::vector<char> profileFits_;
  unsigned stamp_ = 0;

  // The flight being treated.
  std::vector<int> legAirport_;  // destination of each leg
  std::vector<int> legDistance_;
  FlightLimits limits_;
  std::vector<int> counts_;
  std::vector<char> ahead_;
};

void Engine::BuildIndexes() {
  std::vector<std::vector<LocationRules>*> tables = SectionTables(tables_);
  for (int kind = 0; kind < kSectionKinds; ++kind) {
    const std::vector<LocationRules>& table = *tables[static_cast<size_t>(kind)];
    for (size_t i = 0; i < table.size(); ++i) sectionIndex_[static_cast<size_t>(kind)].Add(Key(table[i].Name), static_cast<int>(i));
  }
  for (size_t i = 0; i < scenery_.size(); ++i) {
    sceneryIndex_.Add(Key(scenery_[i].ICAO), static_cast<int>(i));
    sceneryExact_.try_emplace(scenery_[i].ICAO, static_cast<int>(i));
  }
  for (size_t i = 0; i < plan_.PlanAircraftList.size(); ++i)
    planAircraftIndex_.Add(plan_.PlanAircraftList[i].Id, static_cast<int>(i));
}

int Engine::ProfileOf(const FSAircraft& c) {
  LimitProfile p{c.MinFL, c.MaxFL, c.MinRange, c.MaxRange, c.RunwayLength, c.MinParkingRadius, Key(c.RunwayTypes)};
  std::string key = std::to_string(p.minFL) + ',' + std::to_string(p.maxFL) + ',' + std::to_string(p.minRange) + ',' +
                    std::to_string(p.maxRange) + ',' + std::to_string(p.runwayLength) + ',' +
                    std::to_string(p.minParking) + ',' + p.runwayTypes;
  auto [it, added] = profileIds_.try_emplace(std::move(key), static_cast<int>(profiles_.size()));
  if (added) profiles_.push_back(std::move(p));
  return it->second;
}

SectionCandidates Engine::CandidatesOf(LocationRules& section) {
  SectionCandidates s;
  s.rules = &section;
  s.airlines.resize(section.Airlines.size());
  for (size_t a = 0; a < section.Airlines.size(); ++a) {
    AirlineCandidates& out = s.airlines[a];
    for (const FSAircraft& c : section.Airlines[a].Aircraft) {
      int profile = ProfileOf(c);
      out.profileOf.push_back(profile);
      auto group = std::find_if(out.groups.begin(), out.groups.end(), [&](const auto& g) { return g.first == profile; });
      if (group == out.groups.end()) {
        out.groups.emplace_back(profile, 1);
      } else {
        ++group->second;
      }
    }
  }
  return s;
}

void Engine::BuildCandidates() {
  std::vector<std::vector<LocationRules>*> tables = SectionTables(tables_);
  for (int kind = 0; kind < kSectionKinds; ++kind) {
    for (LocationRules& section : *tables[static_cast<size_t>(kind)])
      sections_[static_cast<size_t>(kind)].push_back(CandidatesOf(section));
  }
  global_ = CandidatesOf(tables_.Global);
  noAirline_ = CandidatesOf(noAirlineSection_);
  profileStamp_.assign(profiles_.size(), 0);
  profileFits_.assign(profiles_.size(), 0);
}

int Engine::AirportId(const std::string& icao) {
  auto found = airportIds_.find(std::string_view(icao));
  if (found != airportIds_.end()) return found->second;
  AirportInfo info;
  info.icao = icao;
  std::string key = Key(icao);
  info.scenery = sceneryIndex_.Find(key);
  if (info.scenery >= 0) {
    const SceneryAirport& a = scenery_[static_cast<size_t>(info.scenery)];
    const std::string country = Key(a.Region) + "/" + Key(a.Country);
    const std::string texts[kSectionKinds] = {Key(a.ICAO), country + "/" + Key(a.City), country + "/" + Key(a.State),
                                              country, Key(a.Region)};
    for (int kind = 0; kind < kSectionKinds; ++kind)
      info.section[static_cast<size_t>(kind)] = sectionIndex_[static_cast<size_t>(kind)].Find(texts[kind]);
    info.country = countryIds_.try_emplace(country, static_cast<int>(countryIds_.size())).first->second;
  }
  // Where GetAirportDistance and GetAirportCourse find the airport.
  info.coursePosition = PlanAirportPosition(plan_, icao);
  if (plan_.PlanLoaded) {
    info.distancePosition = info.coursePosition;
  } else {
    auto exact = sceneryExact_.find(std::string_view(icao));
    if (exact != sceneryExact_.end()) {
      const SceneryAirport& a = scenery_[static_cast<size_t>(exact->second)];
      info.distancePosition = ParsePosition(a.Latitude, a.Longitude);
    }
  }
  int id = static_cast<int>(airports_.size());
  airports_.push_back(std::move(info));
  airportIds_.emplace(icao, id);
  return id;
}

int Engine::Distance(int from, int to) const {
  if (from == to) return 0;
  const auto& a = airports_[static_cast<size_t>(from)].distancePosition;
  const auto& b = airports_[static_cast<size_t>(to)].distancePosition;
  return a && b ? GetGreatCircleDistance(*a, *b) : -1;
}

int Engine::Course(int from, int to) const {
  if (from == to) return 0;
  const auto& a = airports_[static_cast<size_t>(from)].coursePosition;
  const auto& b = airports_[static_cast<size_t>(to)].coursePosition;
  return a && b ? GetInitialCourse(*a, *b) : -1;
}

bool Engine::ProfileFits(int profile) {
  size_t p = static_cast<size_t>(profile);
  if (profileStamp_[p] != stamp_) {
    profileStamp_[p] = stamp_;
    profileFits_[p] = Fits(profiles_[p], limits_, options_.CheckFL);
  }
  return profileFits_[p] != 0;
}

bool Engine::PickAircraft(Flight& flight, SectionCandidates& section, int sectionFlightCount, bool noAirline) {
  std::vector<AirlineShare>& airlines = section.rules->Airlines;
  const size_t n = airlines.size();
  counts_.assign(n, 0);
  ahead_.assign(n, 0);
  int total = 0;
  int aheadTotal = 0;
  for (size_t a = 0; a < n; ++a) {
    int count = 0;
    for (const auto& [profile, copies] : section.airlines[a].groups) {
      if (ProfileFits(profile)) count += copies;
    }
    if (count == 0) continue;
    const AirlineShare& share = airlines[a];
    const int achieved = sectionFlightCount == 0 ? 0 : share.Assigned * 100 / sectionFlightCount;
    counts_[a] = count;
    total += count;
    if (share.PlannedPercent < achieved) {
      ahead_[a] = 1;
      aheadTotal += count;
    }
  }
  if (total == 0) {
    if (noAirline && log_) {
      Log("Runway: " + std::to_string(limits_.shortestRunway) + "/" + std::to_string(limits_.smallestParking) + "/" +
          std::string(limits_.surface));
    }
    return false;
  }
  // Airlines behind their planned share go first: when some are behind and
  // some ahead, the ahead ones drop out of the draw.
  const bool dropAhead = aheadTotal > 0 && aheadTotal < total;
  const int kept = dropAhead ? total - aheadTotal : total;
  int index = 0;
  if (total > 1) index = static_cast<int>(text_number::RoundHalfEven((kept - 1) * NextRandom()));
  for (size_t a = 0; a < n; ++a) {
    if (counts_[a] == 0 || (dropAhead && ahead_[a])) continue;
    if (index >= counts_[a]) {
      index -= counts_[a];
      continue;
    }
    AirlineShare& airline = airlines[a];
    const std::vector<int>& profileOf = section.airlines[a].profileOf;
    for (size_t c = 0; c < airline.Aircraft.size(); ++c) {
      if (!ProfileFits(profileOf[c])) continue;
      if (index-- == 0) {
        ApplyAircraft(flight, airline, airline.Aircraft[c]);
        return true;
      }
    }
  }
  return false;  // not reached: the counts and the walk agree
}

void Engine::ApplyAircraft(Flight& flight, AirlineShare& airline, FSAircraft& aircraft) {
  int planIndex = planAircraftIndex_.Find(aircraft.PlanId);
  if (planIndex >= 0) ++plan_.PlanAircraftList[static_cast<size_t>(planIndex)].UseCount;
  ++aircraft.UseCount;
  ++airline.Assigned;
  flight.AircraftId = aircraft.PlanId;
  SetFlightRules(aircraft, flight, options_.ChangeIFRVFR);

  // Legs in the order 1 .. n-1, then 0, as the levels are drawn.
  const int n = flight.LegCount();
  auto legOrder = [n](int k) { return k + 1 < n ? k + 1 : 0; };
  if (options_.CheckFL) {
    for (int k = 0; k < n; ++k) {
      int j = legOrder(k);
      int from = legAirport_[static_cast<size_t>(j == 0 ? n - 1 : j - 1)];
      int distance = legDistance_[static_cast<size_t>(j)];
      int course = Course(from, legAirport_[static_cast<size_t>(j)]);
      // A leg that cannot be measured keeps the level it has: a level drawn
      // for a made-up distance or course would be worse than none.
      if (distance == -1 || course == -1) continue;
      flight.Legs[static_cast<size_t>(j)].FlightLevel =
          GetFlightLevel(flight.FlightRules, distance, course, aircraft, -1, false);
    }
  }
  for (int k = 0; k < n; ++k) {
    int j = legOrder(k);
    FlightLeg& leg = flight.Legs[static_cast<size_t>(j)];
    leg.ArrivalTime =
        ArrivalTimeTextForDistance(leg.DepartureTime, flight.Period, legDistance_[static_cast<size_t>(j)], aircraft.CruiseSpeed);
  }
  if (log_) {
    Log((aircraft.ATCAirline.empty() ? std::string("No Airline") : aircraft.ATCAirline) + "/" + aircraft.Title + "/" +
        ClassNameForLog(aircraft.Class) + "/" + aircraft.UIManufacturer + "/" + aircraft.UIType);
  }
}

// "dep/dest/minFL/maxFL/minDist/maxDist" of the flight being treated: the
// airport leg 0 departs from (the last leg's destination) and leg 0's own.
std::string Engine::RouteAndBounds(const Flight& flight) const {
  std::string dep = flight.Legs.empty() ? std::string() : flight.Legs.back().DestinationIcao;
  std::string dest = flight.Legs.empty() ? std::string() : flight.Legs.front().DestinationIcao;
  return dep + "/" + dest + "/" + std::to_string(limits_.minFL) + "/" + std::to_string(limits_.maxFL) + "/" +
         std::to_string(limits_.minDist) + "/" + std::to_string(limits_.maxDist);
}

void Engine::LogFlight(const Flight& flight, const std::string& location) const {
  if (!log_) return;
  Log(flight.AircraftId + "/" + flight.Registration + "/" + flight.FlightRules + "/" + RouteAndBounds(flight) + "/" +
      location);
  Log("");
}

void Engine::LogNoAircraft(const Flight& flight) const {
  if (!log_) return;
  Log("NO AIRCRAFT/" + flight.Registration + "/" + flight.FlightRules + "/" + RouteAndBounds(flight));
  Log("");
}

void Engine::RemoveFlight(Flight& flight) {
  flight.Removed = true;
  ++result_.RemovedCount;
  LogNoAircraft(flight);
}

bool Engine::TrySection(Flight& flight, LocationRules& section, SectionCandidates& candidates) {
  if (!PickAircraft(flight, candidates, section.FlightCount, false)) return false;
  ++result_.AssignedCount;
  ++section.FlightCount;
  if (!section.TailPatterns.empty() && options_.OverwriteTailNumber) {
    std::string tail = MakeTailNumber(section.TailPatterns, options_.RemoveMinus);
    // An empty pattern gives no registration; the compiler would refuse the
    // flight, so it keeps the one it has.
    if (!tail.empty()) flight.Registration = std::move(tail);
  }
  LogFlight(flight, section.Name);
  return true;
}

bool Engine::TreatFlight(int i) {
  Flight& flight = plan_.Flights[static_cast<size_t>(i)];
  const int n = flight.LegCount();
  legAirport_.resize(static_cast<size_t>(n));
  legDistance_.resize(static_cast<size_t>(n));
  for (int j = 0; j < n; ++j) legAirport_[static_cast<size_t>(j)] = AirportId(flight.Legs[static_cast<size_t>(j)].DestinationIcao);

  // Bounds over the legs 1 .. n-1, then 0.
  limits_ = FlightLimits{999999, -1, 999999, -1, 0, 0, {}};
  for (int k = 0; k < n; ++k) {
    int j = k + 1 < n ? k + 1 : 0;
    int from = legAirport_[static_cast<size_t>(j == 0 ? n - 1 : j - 1)];
    int d = Distance(from, legAirport_[static_cast<size_t>(j)]);
    legDistance_[static_cast<size_t>(j)] = d;
    const std::string& levelText = flight.Legs[static_cast<size_t>(j)].FlightLevel;
    std::optional<std::int32_t> level = text_number::ParseInt32(levelText);
    if (!level) {
      result_.Error = "Error (Flight " + std::to_string(i + 1) + "):\r\nFlight level '" + levelText + "' is not a number.";
      return false;
    }
    limits_.maxDist = std::max(limits_.maxDist, d);
    limits_.minDist = std::min(limits_.minDist, d);
    limits_.maxFL = std::max<int>(limits_.maxFL, *level);
    limits_.minFL = std::min<int>(limits_.minFL, *level);
  }

  // The airports' limits, over every destination (which covers every
  // airport of the flight) that the scenery knows.
  int runway = 999999;
  int parking = 999999;
  int surface = 0;
  bool known = false;
  int country = -1;
  bool oneCountry = n > 0;
  for (int id : legAirport_) {
    const AirportInfo& info = airports_[static_cast<size_t>(id)];
    if (info.scenery < 0) {
      oneCountry = false;
      continue;
    }
    known = true;
    const SceneryAirport& a = scenery_[static_cast<size_t>(info.scenery)];
    runway = std::min({runway, a.TakeoffLength, a.LandingLength});
    parking = std::min(parking, a.MaxParkingRadius);
    surface = std::max({surface, a.TakeoffSurface, a.LandingSurface});
    if (country == -1) country = info.country;
    if (info.country != country) oneCountry = false;
  }
  limits_.shortestRunway = runway == 999999 ? 0 : runway;
  limits_.smallestParking = parking == 999999 ? 0 : parking;
  limits_.surface = known ? SurfaceText(surface) : SurfaceText(0);
  ++stamp_;

  // The location walk.
  std::string patterns;  // the tail patterns remembered for the no-airline case
  int sameCountryPos = 0;
  int visitedPos = 0;
  int current = n > 0 ? legAirport_[static_cast<size_t>(n - 1)] : AirportId("");
  const AirportInfo* place = nullptr;
  for (;;) {
    const AirportInfo& info = airports_[static_cast<size_t>(current)];
    if (info.scenery < 0) {
      Log("ICAO " + info.icao + " unknown. Please check your Airport configuration.");
      RemoveFlight(flight);
      return true;
    }
    place = &info;
    auto section = [&](SectionKind kind) -> std::pair<LocationRules*, SectionCandidates*> {
      int s = info.section[kind];
      if (s < 0) return {nullptr, nullptr};
      SectionCandidates& c = sections_[kind][static_cast<size_t>(s)];
      return {c.rules, &c};
    };
    if (auto [s, c] = section(kAirportSection); s) {
      if (patterns.empty()) patterns = s->TailPatterns;
      if (TrySection(flight, *s, *c)) return true;
    }
    for (SectionKind kind : {kCitySection, kStateSection}) {
      if (auto [s, c] = section(kind); s) {
        patterns = s->TailPatterns;
        if (TrySection(flight, *s, *c)) return true;
      }
    }
    if (oneCountry && sameCountryPos < n - 1) {
      current = legAirport_[static_cast<size_t>(sameCountryPos++)];
      continue;
    }
    if (auto [s, c] = section(kCountrySection); s) {
      patterns = s->TailPatterns;
      if (TrySection(flight, *s, *c)) return true;
    }
    if (options_.CheckVisitedAirports && visitedPos < n - 1) {
      current = legAirport_[static_cast<size_t>(visitedPos++)];
      continue;
    }
    break;
  }

  // The region of the airport the walk reached last.
  if (int s = place->section[kRegionSection]; s >= 0) {
    SectionCandidates& c = sections_[kRegionSection][static_cast<size_t>(s)];
    if (patterns.empty()) patterns = c.rules->TailPatterns;
    if (TrySection(flight, *c.rules, c)) return true;
  }

  LocationRules& global = tables_.Global;
  if (PickAircraft(flight, global_, global.FlightCount, false)) {
    ++result_.AssignedCount;
    ++global.FlightCount;
    if (!global.TailPatterns.empty() && options_.OverwriteTailNumber) {
      std::string tail = MakeTailNumber(global.TailPatterns, options_.RemoveMinus);
      if (!tail.empty()) flight.Registration = std::move(tail);
    }
    LogFlight(flight, "Global");
    return true;
  }

  if (PickAircraft(flight, noAirline_, 0, true)) {
    ++result_.AssignedCount;
    if (options_.OverwriteTailNumber) {
      const std::string& source = !patterns.empty() ? patterns : global.TailPatterns;
      std::string tail = MakeTailNumber(source, options_.RemoveMinus);
      if (!tail.empty()) flight.Registration = std::move(tail);
    }
    LogFlight(flight, "No Airline");
    return true;
  }

  RemoveFlight(flight);
  return true;
}

void WriteLogHeader(ShuffleLog& log) {
  const std::string rule = ";" + std::string(81, '-');
  log.Line(rule);
  log.Line(";" + std::string(31, '-') + " V E L K  L O G " + std::string(34, '-'));
  log.Line(rule);
  log.Line(";Format:");
  log.Line(";  Airline / Aircraft Title / Aircraft Class / UI Manufacture / UI Type");
  log.Line(";  Runway: Min. Runway Length / Min. Parking Radius / Min. Runway Surface");
  log.Line(";      (only added if no aircraft could be found)");
  log.Line(";  Aircraft Number / Tail Number / IFR-VFR / Departure ICAO / Destination ICAO /");
  log.Line(";      Min. Flight Level / Max. Flight Level / Min. Distance / Max. Distance /");
  log.Line(";      Location (Region, Country, State, City, Airport)");
  log.Line(";");
  log.Line(rule);
  log.Line("");
}

ShuffleResult Engine::Run() {
  if (scenery_.empty()) {
    // Without a scenery every flight's departure would count as unknown and
    // the whole plan would be marked removed.
    result_.Status = ShuffleStatus::kNoScenery;
    return std::move(result_);
  }

  Caption("Matching Aircraft...");
  std::vector<FSAircraft> noAirlineAircraft = MatchFSAircraft(plan_, tables_);
  SeedRandomFromClock();

  AirlineShare fallback;
  fallback.PlannedPercent = 100;
  fallback.Percent = 100;
  fallback.Aircraft = std::move(noAirlineAircraft);
  noAirlineSection_.Airlines.push_back(std::move(fallback));

  Caption("Preparing Cache...");
  BuildIndexes();
  BuildCandidates();

  if (log_) WriteLogHeader(*log_);
  Caption("Rearranging Flightplan...");
  const int flightCount = static_cast<int>(plan_.Flights.size());
  if (progress_.Maximum) progress_.Maximum(flightCount + 1);

  int sinceProgress = 0;
  for (int i = 0; i < flightCount; ++i) {
    if (plan_.Flights[static_cast<size_t>(i)].Removed) continue;
    if (++sinceProgress > 1000) {
      sinceProgress = 0;
      if (progress_.Value) progress_.Value(i + 1);
    }
    if (!TreatFlight(i)) {
      result_.Status = ShuffleStatus::kFailed;
      result_.FailedFlight = i;
      break;
    }
  }

  result_.NoAirline = std::move(noAirlineSection_.Airlines.front());
  if (result_.Completed()) Caption("Cleaning Cache...");
  return std::move(result_);
}

}  // namespace

std::vector<FSAircraft> MatchFSAircraft(const PlanState& plan, const LocationTables& tables) {
  // Airline names of every section, upper case -> the airlines of that name.
  std::unordered_map<std::string, std::vector<AirlineShare*>> airlinesByName;
  ForEachSection(tables, [&](LocationRules& section) {
    section.FlightCount = 0;
    for (AirlineShare& a : section.Airlines) {
      a.Aircraft.clear();
      a.Assigned = 0;
      // Worked out afresh below, so no run steers by the last run's shares.
      a.PlannedPercent = 0;
      airlinesByName[Key(a.Name)].push_back(&a);
    }
  });

  // An unreadable folder of a plan aircraft's title would otherwise become
  // an aircraft without limits or airline: a fallback for any flight.
  const std::vector<int> installed = MatchInstalledAircraft(plan);

  std::vector<FSAircraft> noAirline;
  for (size_t i = 0; i < plan.PlanAircraftList.size(); ++i) {
    const PlanAircraft& p = plan.PlanAircraftList[i];
    if (installed[i] < 0) continue;
    FSAircraft copy = plan.FSAircraftList[static_cast<size_t>(installed[i])];
    copy.PlanId = p.Id;
    copy.UseCount = 0;
    if (copy.ATCAirline.empty()) {
      noAirline.push_back(std::move(copy));
      continue;
    }
    auto airlines = airlinesByName.find(Key(copy.ATCAirline));
    if (airlines == airlinesByName.end()) continue;
    for (AirlineShare* a : airlines->second) a->Aircraft.push_back(copy);
  }

  ForEachSection(tables, PlanPercentages);
  return noAirline;
}

ShuffleResult RunShuffle(PlanState& plan, const std::vector<SceneryAirport>& scenery, const LocationTables& tables,
                         const ShuffleOptions& options, ShuffleLog* log, const ShuffleProgress& progress) {
  return Engine(plan, scenery, tables, options, log, progress).Run();
}

}  // namespace velk
