#include "app/plan_files.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace velk {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(PlanAircraftCheck, TitlesMatchWithoutCaseAndTildeTitlesDoNotCount) {
  PlanState plan;
  FSAircraft installed;
  installed.Title = "BOEING 737-400";
  FSAircraft hidden;
  hidden.Title = "~Cessna";
  plan.FSAircraftList = {installed, hidden};
  plan.PlanAircraftList = {PlanAircraft{"AC#1", "Boeing 737-400", "450", 0}};
  EXPECT_FALSE(PlanAircraftMissing(plan));
  plan.PlanAircraftList.push_back(PlanAircraft{"AC#2", "~Cessna", "100", 0});
  EXPECT_TRUE(PlanAircraftMissing(plan));
}

TEST(SaveAsTarget, AnotherPlansAircraftFileIsNoticed) {
  TempDir dir;
  WriteFile(dir / "old/FlightPlans.txt", "");
  WriteFile(dir / "old/Aircraft.txt", "");
  WriteFile(dir / "other/AIRCRAFT.TXT", "");
  WriteFile(dir / "empty/readme", "");
  std::string old = (dir / "old/FlightPlans.txt").string();
  EXPECT_EQ(SaveAsReplacesOtherAircraftFile(old, (dir / "old/Copy.txt").string()), false);
  EXPECT_EQ(SaveAsReplacesOtherAircraftFile(old, (dir / "other/FlightPlans.txt").string()), true);
  EXPECT_EQ(SaveAsReplacesOtherAircraftFile(old, (dir / "empty/FlightPlans.txt").string()), false);
  EXPECT_FALSE(PlanFileExists((dir / "old").string()));
  EXPECT_TRUE(PlanFileExists(old));
}

}  // namespace
}  // namespace velk
