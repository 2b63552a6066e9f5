// The shuffle's choices: airline shares, the location walk, the aircraft
// filter and draw, and what a served flight's legs receive.
#include "shuffle/shuffle_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shuffle/shuffle_fixture.h"
#include "shuffle/shuffle_logs.h"
#include "support/scripted_random.h"

namespace velk {
namespace {

using test::Installed;
using test::Leg;
using test::MakeFlight;
using test::ScriptedRandom;
using test::Section;
using test::Share;

std::vector<int> Planned(const LocationRules& section) {
  std::vector<int> out;
  for (const AirlineShare& a : section.Airlines) out.push_back(a.PlannedPercent);
  return out;
}

class MatchAircraftTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* airline : {"A", "B", "C", "D"}) w.AddAircraft(Installed(std::string("Jet ") + airline, airline, 6));
  }
  test::ShuffleWorld w;
};

TEST_F(MatchAircraftTest, PlannedPercentagesShareWhatIsLeftOver) {
  struct Row {
    std::vector<AirlineShare> airlines;
    std::vector<int> planned;
  };
  const std::vector<Row> rows = {
      // C's 70 would pass 100: it joins the open airlines and B and C share 40.
      {{Share("A", 50), Share("B"), Share("C", 70), Share("D", 10)}, {50, 20, 20, 10}},
      // Without open airlines the rest goes to the counted ones evenly.
      {{Share("A", 30), Share("B", 30)}, {50, 50}},
      {{Share("A", 60), Share("B", 40)}, {60, 40}},
      // An airline no chosen aircraft flies gets nothing; a 0 stays 0.
      {{Share("A", 50), Share("Nobody", 30), Share("B", 0), Share("C")}, {50, 0, 0, 25}},
      // Nothing to count: nothing is planned.
      {{Share("Nobody", 30)}, {0}},
  };
  for (const Row& row : rows) {
    w.global = Section("Global", row.airlines);
    MatchFSAircraft(w.plan, w.Tables());
    EXPECT_EQ(Planned(w.global), row.planned);
  }
}

TEST_F(MatchAircraftTest, ConfiguredPercentagesSurviveARun) {
  // In the first run C flies nothing and its 30 is dropped; once C has an
  // aircraft, the second run counts its 30 again instead of treating it as
  // an open airline.
  w.plan.PlanAircraftList.erase(w.plan.PlanAircraftList.begin() + 2);  // Jet C
  w.global = Section("Global", {Share("A", 50), Share("C", 30), Share("D")});
  MatchFSAircraft(w.plan, w.Tables());
  EXPECT_EQ(Planned(w.global), (std::vector<int>{50, 0, 50}));
  w.plan.PlanAircraftList.push_back({"AC#9", "Jet C", "420", 0});
  MatchFSAircraft(w.plan, w.Tables());
  EXPECT_EQ(Planned(w.global), (std::vector<int>{50, 30, 20}));
  EXPECT_EQ(w.global.Airlines[1].Percent, 30);
  // A section with nothing to plan shows no plan of an earlier run.
  w.plan.PlanAircraftList.clear();
  MatchFSAircraft(w.plan, w.Tables());
  EXPECT_EQ(Planned(w.global), (std::vector<int>{0, 0, 0}));
}

TEST_F(MatchAircraftTest, CopiesGoUnderEveryAirlineOfTheirName) {
  w.plan.FSAircraftList.push_back(Installed("JET A", "Other", 6));  // same title, later: never used
  // A folder that could not be read is no aircraft, though it comes first
  // under the title; alone under its title it flies nothing.
  FSAircraft unread;
  unread.Title = "PROP";
  unread.Unreadable = true;
  w.plan.FSAircraftList.push_back(unread);
  unread.Title = "Gone";
  w.plan.FSAircraftList.push_back(unread);
  w.plan.PlanAircraftList.push_back({"AC#8", "Gone", "420", 0});
  w.plan.FSAircraftList.push_back(Installed("Prop", "", 3));
  w.plan.FSAircraftList.push_back(Installed("Lost", "Unlisted", 6));
  w.plan.PlanAircraftList.push_back({"AC#5", "prop", "120", 0});
  w.plan.PlanAircraftList.push_back({"AC#6", "Lost", "420", 0});
  w.plan.PlanAircraftList.push_back({"AC#7", "Not Installed", "420", 0});
  w.global = Section("Global", {Share("a"), Share("Other")});
  w.regions = {Section("R", {Share("A"), Share("A ")})};
  std::vector<FSAircraft> noAirline = MatchFSAircraft(w.plan, w.Tables());

  ASSERT_EQ(w.global.Airlines[0].AircraftCount(), 1);
  EXPECT_EQ(w.global.Airlines[0].Aircraft[0].Title, "Jet A");
  EXPECT_EQ(w.global.Airlines[0].Aircraft[0].PlanId, "AC#1");
  EXPECT_EQ(w.global.Airlines[1].AircraftCount(), 0);
  EXPECT_EQ(w.regions[0].Airlines[0].AircraftCount(), 1);
  EXPECT_EQ(w.regions[0].Airlines[1].AircraftCount(), 0);  // "A " is another name
  ASSERT_EQ(noAirline.size(), 1u);
  EXPECT_EQ(noAirline[0].PlanId, "AC#5");
  EXPECT_EQ(noAirline[0].Title, "Prop");
}

class WalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Germany: AAAA (Frankfurt), BBBB; France: CCCC; Spain: EEEE.
    w.AddAirport("AAAA", 0, 0);
    w.AddAirport("BBBB", 0, 1);
    w.AddAirport("CCCC", 0, 2);
    w.AddAirport("EEEE", 0, -1);
    w.AddAirport("XXXX", 0, 3);
    w.scenery = {test::SceneryPlace("AAAA", "Europe", "Germany", "Hesse", "Frankfurt"),
                 test::SceneryPlace("BBBB", "Europe", "Germany", "Bavaria", "Munich"),
                 test::SceneryPlace("CCCC", "Europe", "France", "Ile", "Paris"),
                 test::SceneryPlace("EEEE", "Europe", "Spain", "Madrid", "Madrid")};
    w.AddAircraft(Installed("Jet B", "BAir", 6));
    w.AddAircraft(Installed("Jet C", "CAir", 6));
    w.AddAircraft(Installed("Jet G", "GAir", 6));
    w.AddAircraft(Installed("Jet R", "RAir", 6));
    w.AddAircraft(Installed("Prop", "", 4));
    w.options.CheckFL = false;  // no level draws
    w.global = Section("Global", {Share("GAir")}, "GL!");
  }
  // The section name that served flight 0, or "removed".
  std::string ServedBy(std::vector<double> draws = {}) {
    ScriptedRandom random(std::move(draws));
    ShuffleLogFile log;
    ShuffleResult r = w.Run(&log);
    EXPECT_TRUE(r.Completed());
    if (w.plan.Flights[0].Removed) return "removed";
    std::string text = log.Text();
    size_t end = text.rfind("\r\n\r\n");
    size_t start = text.rfind('/', end);
    return text.substr(start + 1, end - start - 1);
  }
  test::ShuffleWorld w;
};

TEST_F(WalkTest, AFlightInOneCountryTriesItsOtherAirportsBeforeTheCountry) {
  // AAAA -> BBBB -> AAAA: AAAA has only a country section, BBBB an airport
  // section; BBBB's airport section wins.
  w.plan.Flights = {MakeFlight("R", "IFR", {Leg("08:00:00", "100", "BBBB"), Leg("10:00:00", "100", "AAAA")})};
  w.countries = {Section("Europe/Germany", {Share("CAir")})};
  w.airports = {Section("bbbb", {Share("BAir")})};
  EXPECT_EQ(ServedBy(), "bbbb");
  EXPECT_EQ(w.countries[0].FlightCount, 0);
  EXPECT_EQ(w.airports[0].FlightCount, 1);
}

TEST_F(WalkTest, VisitedAirportsComeBeforeTheRegionOnlyWhenSwitchedOn) {
  // EEEE -> CCCC -> EEEE leaves Spain; EEEE has only its region.
  w.plan.Flights = {MakeFlight("R", "IFR", {Leg("08:00:00", "100", "CCCC"), Leg("10:00:00", "100", "EEEE")})};
  w.regions = {Section("EUROPE", {Share("RAir")})};
  w.airports = {Section("CCCC", {Share("CAir")})};
  w.options.CheckVisitedAirports = false;
  EXPECT_EQ(ServedBy(), "EUROPE");
  w.plan.Flights[0].Removed = false;
  w.options.CheckVisitedAirports = true;
  EXPECT_EQ(ServedBy(), "CCCC");
  // A later airport the scenery lacks removes the flight on that walk.
  w.plan.Flights = {MakeFlight("R", "IFR", {Leg("08:00:00", "100", "XXXX"), Leg("10:00:00", "100", "EEEE")})};
  EXPECT_EQ(ServedBy(), "removed");
  w.plan.Flights[0].Removed = false;
  w.options.CheckVisitedAirports = false;
  EXPECT_EQ(ServedBy(), "EUROPE");
}

TEST_F(WalkTest, ADepartureMissingFromTheSceneryRemovesTheFlight) {
  w.airports = {Section("XXXX", {Share("BAir")})};
  w.plan.Flights = {MakeFlight("R", "IFR", {Leg("08:00:00", "100", "AAAA"), Leg("10:00:00", "100", "XXXX")}),
                    MakeFlight("R", "IFR", {})};
  ShuffleResult r = w.Run();
  EXPECT_EQ(r.RemovedCount, 2);
  EXPECT_TRUE(w.plan.Flights[0].Removed);
  EXPECT_TRUE(w.plan.Flights[1].Removed);  // no legs, no departure
  EXPECT_EQ(w.airports[0].FlightCount, 0);
}

TEST_F(WalkTest, TheNoAirlineTailComesFromThePatternsTheWalkRemembered) {
  // Only the prop (no airline) flies; each row gives the sections met on
  // the way and the pattern that must come out. City, state and country
  // replace the remembered list, even by an empty one; airport and region
  // fill it only while it is empty; an empty list at the end takes GLOBAL's.
  w.plan.PlanAircraftList.erase(w.plan.PlanAircraftList.begin(), w.plan.PlanAircraftList.begin() + 4);
  w.plan.Flights = {MakeFlight("OLD", "IFR", {Leg("08:00:00", "100", "CCCC"), Leg("10:00:00", "100", "AAAA")})};
  struct Row {
    const char* airportTail;  // AAAA
    const char* cityTail;     // Frankfurt
    const char* countryTail;  // France (CCCC, visited)
    const char* regionTail;   // Europe
    const char* expected;
  };
  const Row rows[] = {
      {"AP", "CITY", "FR", "EU", "FR"},
      {"AP", "CITY", "", "EU", "EU"},  // the country emptied it, the region fills it
      {"AP", "", nullptr, nullptr, "GL0"},
      {"AP", nullptr, nullptr, "EU", "AP"},
      {nullptr, nullptr, "", nullptr, "GL0"},
  };
  for (const Row& row : rows) {
    w.airports.clear();
    w.cities.clear();
    w.countries.clear();
    w.regions.clear();
    if (row.airportTail) w.airports = {Section("AAAA", {}, row.airportTail)};
    if (row.cityTail) w.cities = {Section("Europe/Germany/Frankfurt", {}, row.cityTail)};
    if (row.countryTail) w.countries = {Section("Europe/France", {}, row.countryTail)};
    if (row.regionTail) w.regions = {Section("Europe", {}, row.regionTail)};
    w.plan.Flights[0].Removed = false;
    ScriptedRandom draws({0.0, 0.0});
    ASSERT_TRUE(w.Run().Completed());
    EXPECT_EQ(w.plan.Flights[0].Registration, row.expected);
    EXPECT_EQ(w.plan.Flights[0].AircraftId, "AC#5");
  }
}

TEST_F(WalkTest, AnEmptyDrawnPatternKeepsTheRegistration) {
  w.airports = {Section("AAAA", {Share("BAir")}, "D-!!,")};
  w.plan.Flights = {MakeFlight("OLD", "IFR", {Leg("08:00:00", "100", "BBBB"), Leg("10:00:00", "100", "AAAA")})};
  ScriptedRandom draws({0.9});  // the empty second pattern
  ASSERT_TRUE(w.Run().Completed());
  EXPECT_EQ(w.plan.Flights[0].Registration, "OLD");
  EXPECT_EQ(w.plan.Flights[0].AircraftId, "AC#1");
}

class PickTest : public WalkTest {
 protected:
  void SetUp() override {
    WalkTest::SetUp();
    w.plan.Flights = {MakeFlight("R", "IFR", {Leg("08:00:00", "100", "BBBB"), Leg("10:00:00", "100", "AAAA")})};
    w.options.OverwriteTailNumber = false;
  }
  std::vector<std::string> Ids() const {
    std::vector<std::string> ids;
    for (const Flight& f : w.plan.Flights) ids.push_back(f.AircraftId);
    return ids;
  }
};

TEST_F(PickTest, AirlinesAheadOfTheirPlanDropOutWhenOthersAreBehind) {
  // B plans 30 %, C 70 % and flies two aircraft (AC#2 and AC#6). The
  // candidates are B, C, C(AC#6) in that order.
  w.airports = {Section("AAAA", {Share("BAir", 30), Share("CAir", 70)})};
  w.plan.PlanAircraftList.push_back({"AC#6", "Jet C", "420", 0});
  w.plan.Flights.resize(3, w.plan.Flights[0]);
  // Flight 0: everyone is behind, 0 picks the first (B). Flight 1: B has
  // 100 % and drops out; 0.999 picks the second of C's two. Flight 2: B has
  // 50 % against 30 and stays out, C 50 % against 70; 0 picks C's first.
  ScriptedRandom draws({0.0, 0.999, 0.0});
  ASSERT_TRUE(w.Run().Completed());
  EXPECT_EQ(Ids(), (std::vector<std::string>{"AC#1", "AC#6", "AC#2"}));
  EXPECT_EQ(w.airports[0].Airlines[0].Assigned, 1);
  EXPECT_EQ(w.airports[0].Airlines[1].Assigned, 2);
  EXPECT_EQ(w.airports[0].FlightCount, 3);
}

TEST_F(PickTest, OneCandidateTakesNoDrawButTwoAlwaysTakeOne) {
  w.airports = {Section("AAAA", {Share("BAir", 30), Share("CAir", 70)})};
  w.plan.Flights.resize(2, w.plan.Flights[0]);
  // Flight 1 leaves only C in the draw, and the draw is taken all the same,
  // so the draws of later flights do not shift.
  ScriptedRandom draws({0.0, 0.9});
  ASSERT_TRUE(w.Run().Completed());
  EXPECT_EQ(draws.Used(), 2u);
  EXPECT_EQ(Ids(), (std::vector<std::string>{"AC#1", "AC#2"}));

  w.airports = {Section("AAAA", {Share("BAir")})};
  for (Flight& f : w.plan.Flights) f.Removed = false;
  ScriptedRandom none({});
  ASSERT_TRUE(w.Run().Completed());
  EXPECT_EQ(Ids(), (std::vector<std::string>{"AC#1", "AC#1"}));
}

// A flight AAAA -> BBBB -> AAAA at level 100 over 60 nm legs and one jet
// that may fly it, with nothing to fall back on.
void FilterWorld(test::ShuffleWorld& w) {
  w.AddAirport("AAAA", 0, 0);
  w.AddAirport("BBBB", 0, 1);
  w.scenery = {test::SceneryPlace("AAAA", "Europe", "Germany", "Hesse", "Frankfurt"),
               test::SceneryPlace("BBBB", "Europe", "Germany", "Bavaria", "Munich")};
  w.AddAircraft(Installed("Jet B", "BAir", 6));
  w.airports = {Section("AAAA", {Share("BAir")})};
  w.plan.Flights = {MakeFlight("R", "IFR", {Leg("08:00:00", "100", "BBBB"), Leg("10:00:00", "100", "AAAA")})};
  w.options.CheckFL = false;
}

TEST(ShuffleFilter, EveryAirportAndLegIsHeldAgainstTheAircraft) {
  using Change = void (*)(test::ShuffleWorld&);
  struct Row {
    const char* name;
    Change change;
    bool fits;
  };
  const Row rows[] = {
      {"fits", [](test::ShuffleWorld&) {}, true},
      {"landing run of the far airport", [](test::ShuffleWorld& w) { w.scenery[1].LandingLength = 5999; }, false},
      {"runway just long enough", [](test::ShuffleWorld& w) { w.scenery[1].TakeoffLength = 6000; }, true},
      {"parking", [](test::ShuffleWorld& w) { w.scenery[1].MaxParkingRadius = 19; }, false},
      {"water anywhere", [](test::ShuffleWorld& w) { w.scenery[1].LandingSurface = 3; }, false},
      {"snow beats water",
       [](test::ShuffleWorld& w) {
         w.scenery[0].TakeoffSurface = 4;
         w.scenery[1].LandingSurface = 3;
         w.plan.FSAircraftList[0].RunwayTypes = "HARD,WATER";
       },
       false},
      {"water for a water plane",
       [](test::ShuffleWorld& w) {
         w.scenery[1].LandingSurface = 3;
         w.plan.FSAircraftList[0].RunwayTypes = "hard,Water";
       },
       true},
      {"no runway at all",
       [](test::ShuffleWorld& w) {
         for (SceneryAirport& a : w.scenery) a.TakeoffSurface = a.LandingSurface = 0;
       },
       false},
      {"range", [](test::ShuffleWorld& w) { w.plan.FSAircraftList[0].MaxRange = 59; }, false},
      {"minimum range", [](test::ShuffleWorld& w) { w.plan.FSAircraftList[0].MinRange = 61; }, false},
      {"levels without CheckFL", [](test::ShuffleWorld& w) { w.plan.FSAircraftList[0].MinFL = 110; }, false},
      {"levels with CheckFL",
       [](test::ShuffleWorld& w) {
         w.plan.FSAircraftList[0].MinFL = 110;
         w.options.CheckFL = true;
       },
       true},
  };
  for (const Row& row : rows) {
    test::ShuffleWorld w;
    FilterWorld(w);
    row.change(w);
    ScriptedRandom draws({0.5, 0.5});
    ShuffleLogFile log;
    ASSERT_TRUE(w.Run(&log).Completed());
    EXPECT_EQ(!w.plan.Flights[0].Removed, row.fits) << row.name;
    if (!row.fits) {
      EXPECT_NE(log.Text().find("\r\nRunway: "), std::string::npos) << row.name;
    }
  }
}

TEST(ShuffleLegs, BoundsLevelsAndArrivals) {
  test::ShuffleWorld w;
  FilterWorld(w);
  w.plan.FSAircraftList[0].CruiseSpeed = 120;  // 60 nm: 30 minutes, 45 with taxiing
  Flight& f = w.plan.Flights[0];
  f.Legs[0].FlightLevel = "110";
  f.Legs[1].FlightLevel = "120";
  f.Legs[1].FixedArrival = true;
  ShuffleLogFile log;
  ASSERT_TRUE(w.Run(&log).Completed());
  EXPECT_NE(log.Text().find("AC#1/R/IFR/AAAA/BBBB/110/120/60/60/AAAA\r\n"), std::string::npos);
  // CheckFL off: the levels stay.
  EXPECT_EQ(f.Legs[0].FlightLevel, "110");
  EXPECT_EQ(f.Legs[0].ArrivalTime, "08:45:00");
  // A fixed arrival is recomputed too; the mark stays.
  EXPECT_EQ(f.Legs[1].ArrivalTime, "10:45:00");
  EXPECT_TRUE(f.Legs[1].FixedArrival);

  // No cruise speed: every arrival equals its departure. A weekly flight
  // keeps its day.
  f.Removed = false;
  f.Period = "WEEK";
  f.Legs[0].DepartureTime = "6/23:50:00";
  w.plan.FSAircraftList[0].CruiseSpeed = 0;
  ASSERT_TRUE(w.Run().Completed());
  EXPECT_EQ(f.Legs[0].ArrivalTime, "6/23:50:00");
  f.Removed = false;
  w.plan.FSAircraftList[0].CruiseSpeed = 120;
  ASSERT_TRUE(w.Run().Completed());
  EXPECT_EQ(f.Legs[0].ArrivalTime, "0/00:35:00");
}

TEST(ShuffleLegs, ALegWithoutACourseKeepsItsLevelAndTakesNoDraw) {
  test::ShuffleWorld w;
  FilterWorld(w);
  w.options.CheckFL = true;
  // Without Airports.txt the distances come from the scenery, but there is
  // no course to look the level up by.
  w.plan.PlanLoaded = false;
  w.plan.Airports.clear();
  w.plan.AirportIndex.Clear();
  w.scenery[1].Longitude = "E1*0.0000'";
  w.plan.Flights[0].Legs[0].FlightLevel = "110";
  ScriptedRandom none({});
  ASSERT_TRUE(w.Run().Completed());
  EXPECT_EQ(w.plan.Flights[0].AircraftId, "AC#1");
  EXPECT_EQ(w.plan.Flights[0].Legs[0].FlightLevel, "110");
  EXPECT_EQ(w.plan.Flights[0].Legs[0].ArrivalTime, "08:24:00");
}

TEST(ShuffleRun, ALevelThatIsNoNumberStopsTheRunAtThatFlight) {
  test::ShuffleWorld w;
  FilterWorld(w);
  w.plan.Flights.resize(3, w.plan.Flights[0]);
  w.plan.Flights[1].Legs[1].FlightLevel = "abc";
  ShuffleResult r = w.Run();
  EXPECT_EQ(r.Status, ShuffleStatus::kFailed);
  EXPECT_EQ(r.FailedFlight, 1);
  EXPECT_EQ(r.Error, "Error (Flight 2):\r\nFlight level 'abc' is not a number.");
  EXPECT_EQ(w.plan.Flights[0].AircraftId, "AC#1");
  EXPECT_EQ(w.plan.Flights[1].AircraftId, "AC#99");
  EXPECT_EQ(w.plan.Flights[2].AircraftId, "AC#99");
}

TEST(ShuffleRun, WithoutSceneryNothingChanges) {
  test::ShuffleWorld w;
  FilterWorld(w);
  w.scenery.clear();
  w.airports[0].FlightCount = 7;
  PlanState before = w.plan;
  ShuffleResult r = w.Run();
  EXPECT_EQ(r.Status, ShuffleStatus::kNoScenery);
  EXPECT_EQ(w.plan.Flights, before.Flights);
  EXPECT_EQ(w.airports[0].FlightCount, 7);
  EXPECT_TRUE(w.airports[0].Airlines[0].Aircraft.empty());
}

TEST(ShuffleRun, ProgressStepsAndTheBarEveryThousandAndOneFlights) {
  test::ShuffleWorld w;
  FilterWorld(w);
  w.options.OverwriteTailNumber = false;
  w.plan.Flights.resize(2300, w.plan.Flights[0]);
  w.plan.Flights[5].Removed = true;  // not counted
  std::vector<std::string> steps;
  ShuffleProgress progress;
  progress.Caption = [&](const std::string& text) { steps.push_back(text); };
  progress.Maximum = [&](int max) { steps.push_back("max " + std::to_string(max)); };
  progress.Value = [&](int value) { steps.push_back("value " + std::to_string(value)); };
  ShuffleResult r = RunShuffle(w.plan, w.scenery, w.Tables(), w.options, nullptr, progress);
  EXPECT_EQ(r.AssignedCount, 2299);
  EXPECT_EQ(steps, (std::vector<std::string>{"Matching Aircraft...", "Preparing Cache...", "Rearranging Flightplan...",
                                             "max 2301", "value 1002", "value 2003", "Cleaning Cache..."}));
}

}  // namespace
}  // namespace velk
