#include "search/flight_search.h"

#include <unordered_set>

#include "data/flight_levels.h"
#include "data/geodesy.h"
#include "data/installed_aircraft.h"
#include "data/text_number.h"
#include "platform/text_codec.h"

namespace velk {
namespace {

// The typed text (already upper-cased) is contained in the value.
bool Found(std::string_view upperText, std::string_view value) {
  if (value.empty()) return false;
  return UpperCp1252(value).find(upperText) != std::string::npos;
}

const std::string& DepartureIcao(const Flight& f) { return f.DepartureIcao(0); }

// Regions and countries of the scenery airports by upper-case ICAO; the
// first airport of a code wins.
struct SceneryPlaces {
  std::unordered_map<std::string, std::pair<const std::string*, const std::string*>> byIcao;
  explicit SceneryPlaces(const std::vector<SceneryAirport>* airports) {
    if (!airports) return;
    byIcao.reserve(airports->size());
    for (const SceneryAirport& a : *airports) byIcao.emplace(UpperCp1252(a.ICAO), std::pair{&a.Region, &a.Country});
  }
};

class CriteriaTest {
 public:
  CriteriaTest(const SearchCriteria& c, const InstalledMatch& installed, const std::vector<SceneryAirport>* scenery)
      : c_(c),
        installed_(installed),
        departure_(UpperCp1252(c.departure)),
        leg_(UpperCp1252(c.leg)),
        continent_(UpperCp1252(c.continent)),
        country_(UpperCp1252(c.country)),
        airline_(UpperCp1252(c.airline)),
        aircraftId_(UpperCp1252(c.aircraftId)),
        places_(c.NeedsScenery() ? scenery : nullptr) {}

  bool operator()(const Flight& f) const {
    const bool start = c_.andSearch;
    bool r = start;
    // Each criterion is looked at only while the outcome is still open.
    auto open = [&] { return r == start; };
    if (!departure_.empty() && open()) r = Found(departure_, DepartureIcao(f));
    if (!leg_.empty() && open()) r = AnyStop(f);
    if (!continent_.empty() && open()) r = InPlace(f, continent_, true);
    if (!country_.empty() && open()) r = InPlace(f, country_, false);
    if (!airline_.empty() && open()) {
      const std::string* airline = installed_.AirlineByIdNoCase(f.AircraftId);
      r = airline && Found(airline_, *airline);
    }
    if (c_.ifr && open()) r = UpperCp1252(f.FlightRules) == "IFR";
    if (c_.vfr && open()) r = UpperCp1252(f.FlightRules) == "VFR";
    if (!aircraftId_.empty() && open()) r = UpperCp1252(f.AircraftId) == aircraftId_;
    if (c_.aircraftClass != -1 && open()) {
      // A flight whose aircraft is not installed has no class: it does not
      // pass a class criterion.
      const FSAircraft* a = installed_.ById(f.AircraftId);
      r = a && a->Class == c_.aircraftClass;
    }
    return r;
  }

 private:
  bool AnyStop(const Flight& f) const {
    for (int k = 0; k + 1 < f.LegCount(); ++k)
      if (Found(leg_, f.Legs[k].DestinationIcao)) return true;
    return false;
  }

  bool InPlace(const Flight& f, const std::string& text, bool region) const {
    auto it = places_.byIcao.find(UpperCp1252(DepartureIcao(f)));
    if (it == places_.byIcao.end()) return false;
    return Found(text, region ? *it->second.first : *it->second.second);
  }

  const SearchCriteria& c_;
  const InstalledMatch& installed_;
  std::string departure_, leg_, continent_, country_, airline_, aircraftId_;
  SceneryPlaces places_;
};

bool WrongFlightLevel(const Flight& f, const InstalledMatch& installed, const LegGeometry& g) {
  int fsIndex = installed.IndexByIdNoCase(f.AircraftId);
  if (fsIndex < 0 || f.Legs.empty()) return false;
  const int n = f.LegCount();
  // Legs 1 .. n-1 first, then leg 0, each from the destination before it.
  for (int step = 1; step <= n; ++step) {
    int i = step % n;
    const std::string& from = f.DepartureIcao(i);
    const std::string& to = f.Legs[i].DestinationIcao;
    int distance = g.distance ? g.distance(from, to) : -1;
    int course = g.course ? g.course(from, to) : -1;
    if (distance == -1 || course == -1) continue;
    // A level that is not a number is wrong whatever the rules say.
    auto level = text_number::ParseInt32(f.Legs[i].FlightLevel);
    if (!level) return true;
    if (!g.levelAllowed || !g.levelAllowed(f.FlightRules, distance, course, fsIndex, *level)) return true;
  }
  return false;
}

// Every destination missing from Airports.txt, as often as it is missing.
bool UnknownAirports(const Flight& f, const PlanState& plan, std::string& notes) {
  bool found = false;
  for (const FlightLeg& leg : f.Legs) {
    if (plan.FindAirport(leg.DestinationIcao) >= 0) continue;
    if (found) notes += kFindingSeparator;
    notes += leg.DestinationIcao;
    found = true;
  }
  return found;
}

}  // namespace

bool ModeHasFindings(SearchMode mode) {
  return mode == SearchMode::WrongTime || mode == SearchMode::UnknownAirports;
}

InstalledMatch::InstalledMatch(const PlanState& plan) : plan_(&plan) {
  std::vector<int> match = MatchInstalledAircraft(plan);
  for (size_t i = 0; i < plan.PlanAircraftList.size(); ++i) {
    if (match[i] < 0) continue;
    const std::string& id = plan.PlanAircraftList[i].Id;
    exact_.emplace(id, match[i]);
    noCase_.emplace(UpperCp1252(id), match[i]);
  }
  for (const PlanAircraft& p : plan.PlanAircraftList) {
    const FSAircraft* a = ById(p.Id);
    if (a && !a->ATCAirline.empty()) airlines_.emplace(UpperCp1252(p.Id), a->ATCAirline);
  }
}

const FSAircraft* InstalledMatch::ById(std::string_view id) const {
  auto it = exact_.find(std::string(id));
  return it == exact_.end() ? nullptr : &plan_->FSAircraftList[it->second];
}

const FSAircraft* InstalledMatch::ByIdNoCase(std::string_view id) const {
  int index = IndexByIdNoCase(id);
  return index < 0 ? nullptr : &plan_->FSAircraftList[index];
}

int InstalledMatch::IndexByIdNoCase(std::string_view id) const {
  auto it = noCase_.find(UpperCp1252(id));
  return it == noCase_.end() ? -1 : it->second;
}

const std::string* InstalledMatch::AirlineByIdNoCase(std::string_view id) const {
  auto it = airlines_.find(UpperCp1252(id));
  return it == airlines_.end() ? nullptr : &it->second;
}

LegGeometry ProgramLegGeometry() {
  LegGeometry g;
  g.distance = [](std::string_view a, std::string_view b) { return static_cast<int>(GetAirportDistance(a, b)); };
  g.course = [](std::string_view a, std::string_view b) { return static_cast<int>(GetAirportCourse(a, b)); };
  g.levelAllowed = [](const std::string& rules, int distance, int course, int fsIndex, int level) {
    std::string suggestion;
    return CheckFlightLevel(rules, distance, course, fsIndex, level, suggestion);
  };
  return g;
}

std::string DuplicateKey(const Flight& f) {
  std::string key = "#" + f.AircraftId;
  for (const std::string* field : {&f.Registration, &f.Percent, &f.Period, &f.FlightRules}) {
    key += ',';
    key += *field;
  }
  for (const FlightLeg& leg : f.Legs) {
    for (const std::string* field : {&leg.DepartureTime, &leg.ArrivalTime, &leg.FlightLevel, &leg.UseFlightNumber,
                                      &leg.FlightNumber, &leg.DestinationIcao}) {
      key += ',';
      key += *field;
    }
  }
  return UpperCp1252(key);
}

SearchResult SearchFlights(const PlanState& plan, const SearchInput& in, const SearchStep& step) {
  auto say = [&](const char* caption, int value) {
    if (step) step(caption, value);
  };
  SearchResult result;
  const std::vector<Flight>& flights = plan.Flights;

  // Only the first flight of each group of identical flights that are still
  // in the plan stands for the group: deleting a listed copy never loses the
  // last active one.
  std::unordered_set<std::string> firstKeys;
  std::vector<bool> duplicate;
  if (in.mode == SearchMode::Duplicates) {
    say(kPreparingFlightsStep, 1);
    duplicate.assign(flights.size(), false);
    for (size_t i = 0; i < flights.size(); ++i)
      if (!flights[i].Removed) duplicate[i] = !firstKeys.insert(DuplicateKey(flights[i])).second;
  }
  bool matchFirst = in.mode == SearchMode::WrongFlightLevel ||
                    (in.mode == SearchMode::ByCriteria && !in.criteria.airline.empty());
  if (matchFirst) say(kMatchingAircraftStep, 1);
  result.installed = InstalledMatch(plan);

  say(kSearchingStep, 2);
  std::optional<CriteriaTest> criteria;
  if (in.mode == SearchMode::ByCriteria) criteria.emplace(in.criteria, result.installed, in.scenery);
  std::string notes;
  for (size_t i = 0; i < flights.size(); ++i) {
    const Flight& f = flights[i];
    if (f.Removed) continue;
    bool found = false;
    notes.clear();
    switch (in.mode) {
      case SearchMode::ByCriteria: found = (*criteria)(f); break;
      case SearchMode::AircraftNotFound: found = result.installed.ById(f.AircraftId) == nullptr; break;
      case SearchMode::WrongFlightLevel: found = WrongFlightLevel(f, result.installed, in.geometry); break;
      case SearchMode::WrongTime: found = !CheckFlightTimings(f, in.limits, notes); break;
      case SearchMode::Duplicates: found = duplicate[i]; break;
      case SearchMode::UnknownAirports: found = UnknownAirports(f, plan, notes); break;
    }
    if (!found) continue;
    result.flights.push_back(static_cast<int>(i));
    result.notes.push_back(notes);
  }
  return result;
}

}  // namespace velk
