#include "shuffle/tail_numbers.h"

#include <gtest/gtest.h>

#include "support/scripted_random.h"

namespace velk {
namespace {

using test::ScriptedRandom;

TEST(MakeTailNumber, PatternCharactersAndTheirDraws) {
  struct Row {
    const char* patterns;
    bool removeMinus;
    std::vector<double> draws;
    const char* expected;
  };
  const Row rows[] = {
      // One draw for the pattern (also for one), one per "!" and ".".
      {"D-!!!!", false, {0.7, 0.0, 0.5, 0.95, 0.99}, "D-0499"},
      {"D-!!!!", true, {0.7, 0.0, 0.5, 0.95, 0.99}, "D0499"},
      {"N!!!..", false, {0.0, 0.1, 0.2, 0.3, 0.0, 0.99}, "N123AZ"},
      // "?": below or at one half a letter, above it a digit; each takes a
      // second draw for the character.
      {"??", false, {0.0, 0.5, 0.5, 0.51, 0.5}, "M4"},
      // Three patterns: (3 - 1) x 0.75 = 1.5 rounds to 2, the last one.
      {"AB,CD,EF", false, {0.75}, "EF"},
      {"AB,CD,EF", false, {0.25}, "AB"},
      // A list ending in "," can draw the empty last part.
      {"X!,", false, {0.9}, ""},
  };
  for (const Row& row : rows) {
    ScriptedRandom draws(row.draws);
    EXPECT_EQ(MakeTailNumber(row.patterns, row.removeMinus), row.expected) << row.patterns;
    EXPECT_EQ(draws.Used(), row.draws.size()) << row.patterns;
  }
  ScriptedRandom none({});
  EXPECT_EQ(MakeTailNumber("", false), "");
}

TEST(SetFlightRules, ClassDecidesForVfrFlightsOnly) {
  struct Row {
    int aircraftClass;
    const char* rules;
    bool change;
    const char* expectedRules;
    const char* expectedCall;
  };
  const Row rows[] = {
      {6, "VFR", true, "IFR", "F"},  // Small Jet: becomes IFR, called by flight number
      {3, "VFR", true, "VFR", "R"},  // Mid Prop: stays VFR, called by registration
      {2, "vfr", true, "vfr", "R"},  // lower case counts as VFR
      {4, "vfr", true, "IFR", "F"},
      {2, "IFR", true, "IFR", "X"},  // IFR is never changed
      {6, "VFR", false, "VFR", "X"},
  };
  for (const Row& row : rows) {
    Flight f;
    f.FlightRules = row.rules;
    f.Legs.resize(2);
    for (FlightLeg& leg : f.Legs) leg.UseFlightNumber = "X";
    FSAircraft a;
    a.Class = row.aircraftClass;
    SetFlightRules(a, f, row.change);
    EXPECT_EQ(f.FlightRules, row.expectedRules) << row.aircraftClass << row.rules;
    for (const FlightLeg& leg : f.Legs) EXPECT_EQ(leg.UseFlightNumber, row.expectedCall);
  }
}

}  // namespace
}  // namespace velk
