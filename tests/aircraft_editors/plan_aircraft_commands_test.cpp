// The flight plan aircraft editor's commands on small plans worked out by
// hand: numbers that stay unique, deletes that mark flights removed,
// substitutes and renumbers that reach every flight, and the limits of what
// the traffic compiler and Aircraft.txt can take.
#include "aircraft_editors/plan_aircraft_commands.h"

#include <gtest/gtest.h>

#include "aircraft_editors/plan_builders.h"

namespace velk {
namespace {

using test::FlightOf;
using test::Plane;

TEST(PlanAircraftCommands, NumbersStayUnique) {
  std::vector<PlanAircraft> list = {Plane("AC#1", "a"), Plane("AC#2", "b"), Plane("AC#7", "c"), Plane("AC#x", "d")};
  EXPECT_EQ(HighestAircraftNumber(list), 7);
  EXPECT_EQ(HighestAircraftNumber({Plane("AC#", "a"), Plane("ACx", "b"), Plane("AC#1.5", "c")}), 0);
  EXPECT_EQ(AircraftNumberOf("AC# 12"), 12);
  EXPECT_FALSE(AircraftNumberOf("AC#12a"));
  EXPECT_EQ(NextFreeAircraftNumber(list, 7), 8);
  // A number renumbering gave away is skipped by the next add.
  list.push_back(Plane("AC#8", "renumbered"));
  list.push_back(Plane("AC#9", "renumbered too"));
  EXPECT_EQ(NextFreeAircraftNumber(list, 7), 10);
  EXPECT_EQ(NextFreeAircraftNumber(list, -3), 3);
  EXPECT_EQ(NextFreeAircraftNumber({Plane("AC#65535", "last")}, 65535), 0);
  EXPECT_TRUE(AircraftNumberInUse(list, 9));
  EXPECT_FALSE(AircraftNumberInUse(list, 3));
}

TEST(PlanAircraftCommands, NewAircraftTakeTheClassSpeedOrTheirOwn) {
  FSAircraft installed;
  installed.Title = "Sample 737";
  installed.CruiseSpeed = 440;
  installed.CfgCruiseSpeed = 451;
  EXPECT_EQ(MakePlanAircraft(installed, 8), Plane("AC#8", "Sample 737", "440"));
  // "Not Used" gives a class speed of 0: the aircraft.cfg speed stands in.
  installed.CruiseSpeed = 0;
  EXPECT_EQ(MakePlanAircraft(installed, 9).CruiseSpeed, "451");
  installed.CfgCruiseSpeed = 0;
  EXPECT_FALSE(PlanSpeedIsUsable(NewPlanAircraftSpeed(installed)));
  EXPECT_TRUE(PlanSpeedIsUsable(65535));
  EXPECT_FALSE(PlanSpeedIsUsable(65536));
  EXPECT_TRUE(PlanTitleIsWritable("Boeing 737-800 (Velkair)"));
  for (const char* bad : {"A, B", "The \"Red\"", "A;B", "A//B", "A\nB"}) EXPECT_FALSE(PlanTitleIsWritable(bad)) << bad;
  EXPECT_TRUE(PlanTitleIsWritable("A/B"));
}

TEST(PlanAircraftCommands, DeleteSubstituteAndRenumberReachEveryFlight) {
  PlanState plan;
  plan.PlanAircraftList = {Plane("AC#3", "a"), Plane("AC#4", "b"), Plane("AC#3", "a again"), Plane("AC#5", "c")};
  plan.Flights = {FlightOf("AC#3"), FlightOf("AC#4"), FlightOf("AC#3", true), FlightOf("AC#5"), FlightOf("ac#4")};

  EXPECT_EQ(SubstitutePlanAircraft(plan.Flights, "AC#3", "AC#5"), 2);
  EXPECT_EQ(plan.Flights[2].AircraftId, "AC#5");
  EXPECT_EQ(plan.PlanAircraftList.size(), 4u);  // AC#3 stays, without flights

  EXPECT_EQ(RenumberPlanAircraft(plan, 1, 12), 1);
  EXPECT_EQ(plan.PlanAircraftList[1].Id, "AC#12");
  EXPECT_EQ(plan.Flights[1].AircraftId, "AC#12");
  EXPECT_EQ(plan.Flights[4].AircraftId, "ac#4");  // ids join by exact text

  // Both ids go, duplicates included; every flight of either is marked, the
  // ones removed before counted again.
  EXPECT_EQ(DeletePlanAircraft(plan, {"AC#5", "AC#3"}), 3);
  EXPECT_EQ(plan.PlanAircraftList, (std::vector<PlanAircraft>{Plane("AC#12", "b")}));
  EXPECT_EQ(plan.Flights.size(), 5u);
  EXPECT_TRUE(plan.Flights[0].Removed);
  EXPECT_TRUE(plan.Flights[3].Removed);
  EXPECT_FALSE(plan.Flights[1].Removed);
  EXPECT_EQ(DeletePlanAircraft(plan, {"AC#99"}), 0);
}

TEST(PlanAircraftCommands, AnswersRoundToWholeNumbers) {
  EXPECT_EQ(WholeNumberAnswer("250.7"), 251);
  EXPECT_EQ(WholeNumberAnswer(" 12 "), 12);
  EXPECT_EQ(WholeNumberAnswer("2.5"), 2);
  EXPECT_EQ(WholeNumberAnswer("-4"), -4);
  EXPECT_FALSE(WholeNumberAnswer(""));
  EXPECT_FALSE(WholeNumberAnswer("fast"));
  EXPECT_FALSE(WholeNumberAnswer("99999999999"));
}

}  // namespace
}  // namespace velk
