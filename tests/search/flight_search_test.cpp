// The criteria search and the five reports over a small plan: which flights
// each finds, in what order, with which finding texts.
#include "search/flight_search.h"

#include <gtest/gtest.h>

#include "search/test_flights.h"

namespace velk {
namespace {

Flight Make(const std::string& id, const std::string& rules, std::vector<std::string> stops) {
  Flight f = test::TestFlight(id, "D-ABCD", stops);
  f.FlightRules = rules;
  return f;
}

FSAircraft Installed(const std::string& title, const std::string& airline, int cls) {
  FSAircraft a;
  a.Title = title;
  a.ATCAirline = airline;
  a.Class = cls;
  return a;
}

class FlightSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plan.FSAircraftList = {Installed("Boeing 737", "Lufthansa", 7), Installed("Dash 8", "", 4),
                           Installed("BOEING 737", "Other", 7)};
    plan.PlanAircraftList = {PlanAircraft{"AC#1", "boeing 737", "450", 0}, PlanAircraft{"AC#2", "Dash 8", "300", 0},
                             PlanAircraft{"AC#3", "Not installed", "300", 0}};
    for (const char* icao : {"EDDF", "EDDM", "LEDN", "LOWW", "EGLL"}) {
      plan.AirportIndex.Add(icao, static_cast<int>(plan.Airports.size()));
      plan.Airports.push_back(Airport{icao, "", "", "0"});
    }
    // Flights start at the last stop.
    plan.Flights = {
        Make("AC#1", "IFR", {"LOWW", "EDDF"}),          // 0 from EDDF
        Make("AC#2", "vfr", {"EDDF", "EDDM"}),          // 1 from EDDM
        Make("AC#3", "IFR", {"EDDF", "LEDN"}),          // 2 from LEDN
        Make("ac#1", "IFR", {"EDDM", "EGLL"}),          // 3 from EGLL, id in other case
        Make("AC#1", "VFR", {"EDDF"}),                  // 4 one leg, from EDDF
        Make("AC#1", "IFR", {"LOWW", "EDDM", "EDDF"}),  // 5 from EDDF, removed
    };
    plan.Flights[5].Removed = true;
  }

  std::vector<int> Find(const SearchCriteria& c) {
    SearchInput in;
    in.criteria = c;
    in.scenery = &scenery;
    return SearchFlights(plan, in).flights;
  }
  std::vector<int> Find(SearchMode mode) {
    SearchInput in;
    in.mode = mode;
    in.geometry = geometry;
    in.limits = limits;
    return SearchFlights(plan, in).flights;
  }

  PlanState plan;
  std::vector<SceneryAirport> scenery;
  LegGeometry geometry;
  TurnAroundLimits limits;
};

TEST_F(FlightSearchTest, NoCriterionFindsAllUnderAndNothingUnderOr) {
  EXPECT_EQ(Find(SearchCriteria{}), (std::vector<int>{0, 1, 2, 3, 4}));
  SearchCriteria orSearch;
  orSearch.andSearch = false;
  EXPECT_TRUE(Find(orSearch).empty());
}

TEST_F(FlightSearchTest, TextCriteriaAreFoundInTheFlightsValues) {
  struct Case {
    std::string departure, leg;
    bool andSearch;
    std::vector<int> found;
  };
  const Case cases[] = {
      {"ED", "", true, {0, 1, 2, 4}},  // EDDF, EDDM and LEDN
      {"eddf", "", true, {0, 4}},
      {"", "EDDF", true, {1, 2}},  // the return leg and one-leg flights have no stop
      {"EDDF", "LOWW", true, {0}},
      {"EDDF", "LOWW", false, {0, 4}},
      {"LOWW", "EDDM", false, {3}},
      {"XX", "", true, {}},
  };
  for (const Case& c : cases) {
    SearchCriteria s;
    s.departure = c.departure;
    s.leg = c.leg;
    s.andSearch = c.andSearch;
    EXPECT_EQ(Find(s), c.found) << c.departure << "/" << c.leg;
  }
  // A flight without a departure ICAO is never found by one.
  plan.Flights[0].Legs.back().DestinationIcao = "";
  SearchCriteria s;
  s.departure = "E";
  EXPECT_EQ(Find(s), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(FlightSearchTest, FlightRulesAircraftAndClass) {
  SearchCriteria both;
  both.ifr = both.vfr = true;
  EXPECT_TRUE(Find(both).empty());
  both.andSearch = false;
  EXPECT_EQ(Find(both), (std::vector<int>{0, 1, 2, 3, 4}));

  SearchCriteria aircraft;
  aircraft.aircraftId = "AC#1";  // compared upper-cased: ac#1 is found too
  EXPECT_EQ(Find(aircraft), (std::vector<int>{0, 3, 4}));

  SearchCriteria cls;
  cls.aircraftClass = 7;
  // ac#1 names no plan aircraft exactly, AC#3 is not installed: neither
  // passes a class criterion.
  EXPECT_EQ(Find(cls), (std::vector<int>{0, 4}));
  cls.aircraftClass = 4;
  cls.andSearch = false;
  EXPECT_EQ(Find(cls), (std::vector<int>{1}));
}

TEST_F(FlightSearchTest, AirlineComesFromTheFirstInstalledAircraftOfTheTitle) {
  SearchCriteria s;
  s.airline = "hansa";
  // AC#1's title matches the first installed "Boeing 737"; the airline key
  // ignores case, so ac#1 has it too. AC#2's aircraft has no airline.
  EXPECT_EQ(Find(s), (std::vector<int>{0, 3, 4}));
  s.airline = "Other";
  EXPECT_TRUE(Find(s).empty());
}

TEST_F(FlightSearchTest, ContinentAndCountryOfTheDepartureAirport) {
  SceneryAirport a;
  a.ICAO = "eddf";
  a.Region = "Europe";
  a.Country = "Germany";
  SceneryAirport b = a;
  b.ICAO = "EDDF";
  b.Region = "Asia";  // a second airport of the code: the first one counts
  SceneryAirport c = a;
  c.ICAO = "LEDN";
  c.Country = "Spain";
  scenery = {a, b, c};
  SearchCriteria s;
  s.continent = "eur";
  EXPECT_EQ(Find(s), (std::vector<int>{0, 2, 4}));  // EDDM is not in the scenery
  s.country = "SPA";
  EXPECT_EQ(Find(s), (std::vector<int>{2}));
  s.andSearch = false;
  EXPECT_EQ(Find(s), (std::vector<int>{0, 2, 4}));  // settled by the continent
}

TEST_F(FlightSearchTest, AircraftNotFoundJoinsIdsExactly) {
  // AC#3 is not installed, ac#1 names no plan aircraft.
  EXPECT_EQ(Find(SearchMode::AircraftNotFound), (std::vector<int>{2, 3}));
}

TEST_F(FlightSearchTest, WrongFlightLevels) {
  std::vector<std::string> asked;
  geometry.distance = [](std::string_view from, std::string_view to) {
    return from == "EGLL" || to == "EGLL" ? -1 : 100;
  };
  geometry.course = [](std::string_view, std::string_view) { return 90; };
  geometry.levelAllowed = [&](const std::string& rules, int, int, int fsIndex, int level) {
    asked.push_back(rules + std::to_string(fsIndex) + ":" + std::to_string(level));
    return level != 350;
  };
  EXPECT_TRUE(Find(SearchMode::WrongFlightLevel).empty());
  // Legs 1.. first, then leg 0. AC#3 is not installed; ac#1 finds AC#1's
  // aircraft (case ignored) but its legs touch EGLL, which has no distance.
  EXPECT_EQ(asked, (std::vector<std::string>{"IFR0:240", "IFR0:240", "vfr1:240", "vfr1:240", "VFR0:240"}));
  plan.Flights[1].Legs[0].FlightLevel = "350";
  plan.Flights[4].Legs[0].FlightLevel = "high";
  EXPECT_EQ(Find(SearchMode::WrongFlightLevel), (std::vector<int>{1, 4}));
}

TEST_F(FlightSearchTest, WrongTimesCarryTheirFindings) {
  limits = {90, kTurnAroundOff};  // the stands of Make are one hour
  SearchInput in;
  in.mode = SearchMode::WrongTime;
  in.limits = limits;
  SearchResult r = SearchFlights(plan, in);
  EXPECT_EQ(r.flights, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(r.notes[0], "min. Turn-Around");
  EXPECT_TRUE(ModeHasFindings(SearchMode::WrongTime));
}

TEST_F(FlightSearchTest, DuplicatesListEveryCopyButTheFirst) {
  plan.Flights.clear();
  for (int i = 0; i < 10; ++i) plan.Flights.push_back(Make("AC#1", "IFR", {"EDDF", "LOWW"}));
  for (int i = 0; i < 10; ++i) plan.Flights[i].Registration = "REG" + std::to_string(i);
  for (int i : {5, 9}) plan.Flights[i] = plan.Flights[2];
  // Case and the fixed-arrival mark do not count.
  plan.Flights[9].Legs[1].FixedArrival = true;
  plan.Flights[9].FlightRules = "ifr";
  EXPECT_EQ(Find(SearchMode::Duplicates), (std::vector<int>{5, 9}));
  // A removed flight stands for no group: the only copy still in the plan
  // is not listed, so deleting what is listed never loses a flight.
  plan.Flights[2].Removed = true;
  EXPECT_EQ(Find(SearchMode::Duplicates), (std::vector<int>{9}));
  plan.Flights[0].Legs[0].DepartureTime = "6:00:00";  // another form: another key
  plan.Flights[1] = plan.Flights[0];
  plan.Flights[1].Legs[0].DepartureTime = "06:00:00";
  plan.Flights[1].Registration = plan.Flights[0].Registration;
  EXPECT_EQ(Find(SearchMode::Duplicates), (std::vector<int>{9}));
}

TEST_F(FlightSearchTest, UnknownAirportsListEveryMissingDestination) {
  plan.Flights = {Make("AC#1", "IFR", {"EDDF", "XXXX", "EDDM", "XXXX", "YYYY"}), Make("AC#1", "IFR", {"EDDF", "EDDM"})};
  SearchInput in;
  in.mode = SearchMode::UnknownAirports;
  SearchResult r = SearchFlights(plan, in);
  EXPECT_EQ(r.flights, (std::vector<int>{0}));
  EXPECT_EQ(r.notes, (std::vector<std::string>{"XXXX | XXXX | YYYY"}));
}

TEST_F(FlightSearchTest, ProgressCaptionsComeInTheirOrder) {
  std::vector<std::string> steps;
  SearchInput in;
  in.mode = SearchMode::Duplicates;
  SearchFlights(plan, in, [&](const char* caption, int value) { steps.push_back(caption + std::to_string(value)); });
  EXPECT_EQ(steps, (std::vector<std::string>{"Preparing Flights...1", "Searching in Flights...2"}));
  steps.clear();
  in.mode = SearchMode::ByCriteria;
  in.criteria.airline = "x";
  SearchFlights(plan, in, [&](const char* caption, int value) { steps.push_back(caption + std::to_string(value)); });
  EXPECT_EQ(steps, (std::vector<std::string>{"Matching Aircraft...1", "Searching in Flights...2"}));
}

}  // namespace
}  // namespace velk
