#include "app/plan_undo.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

PlanState SmallPlan() {
  PlanState plan;
  Flight f;
  f.AircraftId = "AC#1";
  f.Registration = "D-ABCD";
  f.Legs.push_back(FlightLeg{"10:00:00", "11:00:00", false, "350", "F", "100", "EDDM"});
  f.Legs.push_back(FlightLeg{"12:00:00", "13:00:00", false, "350", "F", "101", "EDDF"});
  plan.Flights = {f, f};
  plan.Flights[1].Registration = "D-EFGH";
  plan.PlanAircraftList = {PlanAircraft{"AC#1", "Title", "450", 0}};
  return plan;
}

TEST(PlanUndo, RestoresTheStateSavedAndIsGoneAfterwards) {
  PlanState plan = SmallPlan();
  const PlanState before = SmallPlan();
  PlanUndo undo;
  EXPECT_FALSE(undo.Held());
  ASSERT_TRUE(undo.Save(plan));

  // Changes after the copy, down to a leg's field, must not reach it.
  plan.Flights[0].Legs[1].DestinationIcao = "LOWW";
  plan.Flights.pop_back();
  plan.PlanAircraftList[0].Title = "Changed";
  plan.WorkList = plan.Flights;
  plan.WorkListIndex = {0};
  plan.WorkListNotes = {""};

  ASSERT_TRUE(undo.Restore(plan));
  EXPECT_EQ(plan.Flights, before.Flights);
  EXPECT_EQ(plan.PlanAircraftList, before.PlanAircraftList);
  // The work list named flights of the state that was replaced.
  EXPECT_TRUE(plan.WorkList.empty());
  EXPECT_TRUE(plan.WorkListIndex.empty());
  EXPECT_FALSE(undo.Held());
  EXPECT_FALSE(undo.Restore(plan));
  EXPECT_EQ(plan.Flights, before.Flights);
}

TEST(PlanUndo, EachSaveReplacesTheCopyAndClearDropsIt) {
  PlanState plan = SmallPlan();
  PlanUndo undo;
  undo.Save(plan);
  plan.Flights.pop_back();
  undo.Save(plan);
  plan.Flights.clear();
  undo.Restore(plan);
  EXPECT_EQ(plan.Flights.size(), 1u);

  undo.Save(plan);
  undo.Clear();
  EXPECT_FALSE(undo.Held());
  EXPECT_TRUE(undo.UndoFlights().empty());
  plan.Flights.clear();
  EXPECT_FALSE(undo.Restore(plan));
  EXPECT_TRUE(plan.Flights.empty());
}

}  // namespace
}  // namespace velk
