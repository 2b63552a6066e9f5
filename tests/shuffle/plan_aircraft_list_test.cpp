// The plan aircraft list a shuffle starts from: numbering, titles and the
// aircraft that cannot be listed.
#include "shuffle/plan_aircraft_list.h"

#include <gtest/gtest.h>

#include "shuffle/shuffle_fixture.h"

namespace velk {
namespace {

TEST(BuildShuffleAircraftList, NumbersFromTheStartInTreeOrder) {
  std::vector<FSAircraft> installed = {test::Installed("  Cessna 208 (Float) ", "", 3, 160),
                                       test::Installed("Not Classed", "", 0, 0),
                                       test::Installed("Boeing 737-800", "Lufthansa", 7, 450)};
  // Tree order, not list order; the aircraft without a cruise speed is left
  // out and the numbers run on without a gap.
  std::vector<PlanAircraft> list = BuildShuffleAircraftList({2, 1, 0, 7}, installed, 100);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0], (PlanAircraft{"AC#100", "Boeing 737-800", "450", 0}));
  // The title keeps its own parentheses.
  EXPECT_EQ(list[1], (PlanAircraft{"AC#101", "Cessna 208 (Float)", "160", 0}));
  EXPECT_TRUE(BuildShuffleAircraftList({}, installed, 1).empty());
}

}  // namespace
}  // namespace velk
