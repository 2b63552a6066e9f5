// The randomizers and the level correction with a scripted random source:
// each draw is given, so every number, order and level is exact, and the
// number of draws is checked too.
#include "search/randomizers.h"

#include <gtest/gtest.h>

#include "data/flight_levels.h"
#include "search/plan_corrections.h"
#include "shuffle/shuffle_fixture.h"
#include "support/scripted_random.h"

namespace velk {
namespace {

using test::Leg;
using test::MakeFlight;
using test::ScriptedRandom;

std::vector<std::string> Numbers(const std::vector<Flight>& flights) {
  std::vector<std::string> out;
  for (const Flight& f : flights)
    for (const FlightLeg& leg : f.Legs) out.push_back(leg.FlightNumber);
  return out;
}

std::vector<Flight> Flights(const std::vector<int>& legCounts) {
  std::vector<Flight> flights;
  for (int n : legCounts) {
    std::vector<FlightLeg> legs(static_cast<size_t>(n), Leg("08:00:00", "100", "KBOS"));
    flights.push_back(MakeFlight("N-" + std::to_string(flights.size()), "IFR", legs));
  }
  return flights;
}

TEST(RandomizeFlightNumbers, OddEvenPairsRedrawUntilEvenAndStartAgainPerFlight) {
  std::vector<Flight> flights = Flights({3, 2});
  // Flight 1: 1 (odd, again), 500; then 501; then 250 (0.25 * 998 + 1 =
  // 250.5 -> 250). Flight 2 starts with a draw of its own: 998, 999.
  ScriptedRandom random({0.0, 0.5, 0.25, 0.999});
  RandomizeFlightNumbers(flights, 1, 999, true);
  EXPECT_EQ(Numbers(flights), (std::vector<std::string>{"0500", "0501", "0250", "0998", "0999"}));
  // Without pairs one draw a leg; an end number drawn in pairs is followed
  // by end + 1; five digits stay five.
  std::vector<Flight> pairs = Flights({2});
  std::vector<Flight> plain = Flights({1});
  ScriptedRandom more({0.99999, 0.99999});
  RandomizeFlightNumbers(pairs, 1, 10, true);
  RandomizeFlightNumbers(plain, 9999, 10001, false);
  EXPECT_EQ(Numbers(pairs), (std::vector<std::string>{"0010", "0011"}));
  EXPECT_EQ(Numbers(plain), std::vector<std::string>{"10001"});
}

TEST(Randomizers, PercentOrderAndTailNumbers) {
  std::vector<Flight> flights = Flights({1, 1, 1});
  {
    ScriptedRandom random({0.0, 0.0625, 0.99999});
    RandomizePercent(flights, 1, 99);
    EXPECT_EQ(flights[0].Percent, "1%");
    EXPECT_EQ(flights[1].Percent, "7%");  // 98/16 + 1 = 7.125
    EXPECT_EQ(flights[2].Percent, "99%");
  }
  {
    // Position 0: index 2; position 1: 2 again (taken), then 0; position 2: 1.
    ScriptedRandom random({0.9, 0.9, 0.0, 0.5});
    RandomizePlanOrder(flights);
    EXPECT_EQ(random.Used(), 4u);
    ASSERT_EQ(flights.size(), 3u);
    EXPECT_EQ(flights[0].Registration, "N-2");
    EXPECT_EQ(flights[1].Registration, "N-0");
    EXPECT_EQ(flights[2].Registration, "N-1");
    EXPECT_EQ(flights[0].Percent, "99%");  // records move whole
  }
  flights[0].Registration = "N-12-AB";
  RemoveMinusFromRegistrations(flights);
  EXPECT_EQ(flights[0].Registration, "N12AB");
  EXPECT_EQ(flights[1].Registration, "N0");
}

TEST(CorrectFlightLevels, DrawsPerMeasurableLegOfInstalledAircraft) {
  test::ShuffleWorld world;  // levels 100 to 300 in steps of 100 for jets
  PlanState& plan = world.plan;
  world.AddAirport("KBOS", 0, 0);
  world.AddAirport("KJFK", 1, 1);
  plan.FSAircraftList = {test::Installed("Other Jet", "", 7), test::Installed("BOEING 737-800", "", 7)};
  plan.PlanAircraftList = {{"AC#1", "Boeing 737-800", "450", 0}, {"AC#2", "Not Installed", "300", 0}};
  // Legs 1, 2, then 0: KBOS->KJFK, KJFK->XXXX (unknown: kept, no draw),
  // XXXX->KBOS (kept).
  Flight known = MakeFlight("A", "IFR", {Leg("08:00:00", "050", "KBOS"), Leg("10:00:00", "050", "KJFK"),
                                         Leg("12:00:00", "050", "XXXX")});
  known.AircraftId = "ac#1";  // ids compare without regard to case
  known.Removed = true;       // removed flights are corrected too
  Flight twoLegs = MakeFlight("B", "IFR", {Leg("08:00:00", "050", "KJFK"), Leg("10:00:00", "050", "KBOS")});
  twoLegs.AircraftId = "AC#1";
  Flight notInstalled = twoLegs;
  notInstalled.AircraftId = "AC#2";
  plan.Flights = {known, twoLegs, notInstalled};

  ScriptedRandom random({0.5, 0.9, 0.0});
  EXPECT_EQ(CorrectFlightLevels(plan), 3);
  EXPECT_EQ(random.Used(), 3u);
  auto levels = [&](int f) {
    std::string out;
    for (const FlightLeg& leg : plan.Flights[static_cast<size_t>(f)].Legs) out += leg.FlightLevel + " ";
    return out;
  };
  EXPECT_EQ(levels(0), "050 200 050 ");
  EXPECT_EQ(levels(1), "100 300 ");  // leg 1 first (0.9), then leg 0 (0.0)
  EXPECT_EQ(levels(2), "050 050 ");
}

}  // namespace
}  // namespace velk
