// The move's counting rule on plans worked out by hand: which legs a plain
// and a percent move give the destination, and what they count.
#include "search/move_traffic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velk {
namespace {

Flight Flying(const std::string& id, const std::vector<std::string>& destinations, bool removed = false) {
  Flight f;
  f.AircraftId = id;
  f.Removed = removed;
  for (const std::string& d : destinations) {
    FlightLeg leg;
    leg.DestinationIcao = d;
    f.Legs.push_back(leg);
  }
  return f;
}

// Each leg's destination, flight by flight: "EDDF KJFK | LOWW".
std::string Destinations(const std::vector<Flight>& flights) {
  std::string out;
  for (const Flight& f : flights) {
    if (!out.empty()) out += " | ";
    for (size_t j = 0; j < f.Legs.size(); ++j) out += (j ? " " : "") + f.Legs[j].DestinationIcao;
  }
  return out;
}

// One tag chooses AC#1 and AC#12. Matching legs, in walk order: flight 0's
// legs 0 and 2, the removed flight 2's leg 1 and flight 4's leg 1. Flight 1
// (AC#2), flight 3 (id in lower case) and the lower-case "eddf" never match.
std::vector<Flight> HandWorkedPlan() {
  return {Flying("AC#1", {"EDDF", "KJFK", "EDDF"}), Flying("AC#2", {"EDDF", "LOWW"}),
          Flying("AC#12", {"LOWW", "EDDF"}, true), Flying("ac#1", {"EDDF"}), Flying("AC#1", {"eddf", "EDDF"})};
}

const std::vector<std::string> kTags = {"", ",AC#1,AC#12,"};

TEST(MoveLegs, CountingRuleOnAHandWorkedPlan) {
  struct Case {
    std::optional<int> percent;
    int moved;
    std::string result;
  };
  const std::string untouched = " | EDDF LOWW | ";
  const Case cases[] = {
      // Plain: every matching leg.
      {std::nullopt, 4, "LIRF KJFK LIRF | EDDF LOWW | LOWW LIRF | EDDF | eddf LIRF"},
      // 50: 0/1 < 50 moves, 100/2 stays, 100/3 moves, 200/4 stays.
      {50, 2, "LIRF KJFK EDDF | EDDF LOWW | LOWW LIRF | EDDF | eddf EDDF"},
      // 25: only the first; 100/4 = 25 is not below 25.
      {25, 1, "LIRF KJFK EDDF | EDDF LOWW | LOWW EDDF | EDDF | eddf EDDF"},
      {100, 4, "LIRF KJFK LIRF | EDDF LOWW | LOWW LIRF | EDDF | eddf LIRF"},
      {0, 0, "EDDF KJFK EDDF | EDDF LOWW | LOWW EDDF | EDDF | eddf EDDF"},
  };
  for (const Case& c : cases) {
    std::vector<Flight> plan = HandWorkedPlan();
    MoveCount count = MoveLegs(plan, kTags, "EDDF", "LIRF", c.percent);
    EXPECT_EQ(count.counted, 4) << c.percent.value_or(-1);
    EXPECT_EQ(count.moved, c.moved) << c.percent.value_or(-1);
    EXPECT_EQ(Destinations(plan), c.result) << c.percent.value_or(-1);
  }
}

TEST(MoveLegs, PercentPicksEveryNthLegOverOneRun) {
  // Five matching legs in a row: 1 = moved, 0 = stays.
  const std::pair<int, const char*> cases[] = {{50, "10101"}, {25, "10001"}, {1, "10000"},  {99, "11111"},
                                               {150, "11111"}, {-7, "00000"}, {33, "10010"}};
  for (const auto& [percent, pattern] : cases) {
    std::vector<Flight> plan = {Flying("AC#5", {"SRC", "SRC", "SRC"}), Flying("AC#5", {"SRC", "SRC"})};
    MoveLegs(plan, {",AC#5,"}, "SRC", "DST", percent);
    std::string moved;
    for (const Flight& f : plan)
      for (const FlightLeg& leg : f.Legs) moved += leg.DestinationIcao == "DST" ? '1' : '0';
    EXPECT_EQ(moved, pattern) << percent;
  }
}

TEST(MoveLegs, AFlightChosenTwiceMovesOnce) {
  std::vector<Flight> plan = {Flying("AC#3", {"EDDF", "KJFK"})};
  MoveCount count = MoveLegs(plan, {",AC#3,", ",AC#3,AC#4,"}, "EDDF", "LOWW", std::nullopt);
  EXPECT_EQ(count.moved, 1);
  EXPECT_EQ(Destinations(plan), "LOWW KJFK");
}

}  // namespace
}  // namespace velk
