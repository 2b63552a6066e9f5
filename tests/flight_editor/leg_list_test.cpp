// Editing the ring of legs, the weekly days and the period in the edit
// session, worked out by hand on the test plan's ring AAAA -> BBBB -> DDDD.
#include <gtest/gtest.h>

#include "flight_editor/flight_edit_session.h"
#include "flight_editor/flight_editor_fixture.h"
#include "flight_editor/flight_printout.h"

namespace velk {
namespace {

using test::FlightEditorPlan;
using test::ScriptedPrompter;

class LegListTest : public ::testing::Test {
 protected:
  FlightEditorPlan plan_;
  ScriptedPrompter answers_;
};

TEST_F(LegListTest, AddWithTheLastLegShownInsertsBeforeIt) {
  FlightEditSession s(Plan(), FlightEditorPlan::DailyRing(), "GMT", 2);
  s.AddLeg();
  const Flight& f = s.Work();
  ASSERT_EQ(f.LegCount(), 4);
  EXPECT_EQ(s.SelectedLeg(), 2);
  const FlightLeg& added = f.Legs[2];
  EXPECT_EQ(added.DestinationIcao, "DDDD");  // starts and ends where leg 1 ended
  EXPECT_EQ(added.DepartureTime, "11:30:00");  // an hour after leg 1's 10:30 arrival
  EXPECT_EQ(added.ArrivalTime, "11:45:00");    // computed on showing it: no distance
  EXPECT_EQ(added.FlightNumber, "0000");
  EXPECT_EQ(added.UseFlightNumber, "F");
  EXPECT_EQ(added.FlightLevel, "120");
  EXPECT_FALSE(added.FixedArrival);
  // The former last leg is still last and closes the ring.
  EXPECT_EQ(f.Legs[3].DestinationIcao, "AAAA");
  EXPECT_EQ(f.Legs[3].DepartureTime, "11:30:00");
  EXPECT_EQ(s.Rows()[0].From, "AAAA");
  EXPECT_EQ(s.Rows()[3].From, "DDDD");
}

TEST_F(LegListTest, AddStartsAnHourAfterTheArrivalRollingTheDay) {
  struct Case {
    const char* period;
    const char* departure;
    const char* arrival;
    const char* next;
  };
  for (const Case& c : {Case{"WEEK", "6/22:00:00", "6/23:30:00", "0/00:30:00"},
                        Case{"WEEK", "2/09:00:00", "2/10:15:00", "2/11:15:00"},
                        Case{"WEEK", "2/22:00:00", "2/23:00:00", "3/00:00:00"},
                        Case{"24Hr", "22:00:00", "23:30:00", "00:30:00"}}) {
    Flight f = FlightEditorPlan::DailyRing();
    f.Period = c.period;
    f.Legs[0].DepartureTime = c.departure;
    f.Legs[0].ArrivalTime = c.arrival;
    f.Legs[0].FixedArrival = true;  // kept as it is
    FlightEditSession s(Plan(), f, "GMT", 0);
    ASSERT_EQ(s.Work().Legs[0].ArrivalTime, c.arrival);
    s.AddLeg();
    EXPECT_EQ(s.Work().Legs[1].DepartureTime, c.next) << c.arrival;
    EXPECT_EQ(s.SelectedLeg(), 1);
  }
}

TEST_F(LegListTest, DeleteTakesOnlyMiddleLegsAndAsksFirst) {
  FlightEditSession s(Plan(), FlightEditorPlan::DailyRing(), "GMT", 0);
  EXPECT_FALSE(s.DeleteLeg(answers_));
  s.SelectLeg(2);
  EXPECT_FALSE(s.DeleteLeg(answers_));
  EXPECT_TRUE(answers_.asked.empty());  // first and last: no question
  s.SelectLeg(1);
  answers_.answers = {kIdNo};
  EXPECT_FALSE(s.DeleteLeg(answers_));
  EXPECT_EQ(s.Work().LegCount(), 3);
  EXPECT_EQ(answers_.asked, std::vector<std::string>{"Are you sure to delete the leg?"});
  EXPECT_EQ(answers_.styles[0], 36);
  EXPECT_TRUE(s.DeleteLeg(answers_));
  ASSERT_EQ(s.Work().LegCount(), 2);
  // The leg that followed is shown; it now departs from the deleted leg's
  // origin, and its arrival follows: BBBB -> AAAA is 60nm.
  EXPECT_EQ(s.SelectedLeg(), 1);
  EXPECT_EQ(s.Frame().departure, "BBBB");
  EXPECT_EQ(s.Work().Legs[1].ArrivalTime, "12:00:00");
  EXPECT_FALSE(s.Frame().deleteEnabled);  // two legs: nothing to delete
  EXPECT_FALSE(s.DeleteLeg(answers_));
}

TEST_F(LegListTest, AirportsMoveAroundTheRing) {
  FlightEditSession s(Plan(), FlightEditorPlan::DailyRing(), "GMT", 0);
  s.SetDepartureAirport("CCCC");  // leg 0 departs from the last leg's destination
  EXPECT_EQ(s.Work().Legs[2].DestinationIcao, "CCCC");
  EXPECT_EQ(s.Rows()[0].From, "CCCC");
  EXPECT_EQ(s.Rows()[2].To, "CCCC");
  // CCCC -> BBBB and DDDD -> CCCC are measured afresh.
  EXPECT_EQ(s.Frame().departure, "CCCC");
  EXPECT_NE(s.Frame().caption.find("Course 225"), std::string::npos);
  s.SelectLeg(2);
  s.SetDestinationAirport("AAAA");  // the last leg's destination is row 0's origin
  EXPECT_EQ(s.Rows()[0].From, "AAAA");
  EXPECT_EQ(s.Work().Legs[2].ArrivalTime, "12:15:00");
  s.SelectLeg(1);
  s.SetDepartureAirport("AAAA");
  EXPECT_EQ(s.Work().Legs[0].DestinationIcao, "AAAA");
  EXPECT_EQ(s.Work().Legs[1].ArrivalTime, "10:15:00");  // AAAA -> DDDD 120nm
}

TEST_F(LegListTest, AWeeklyDayIsTakenInTheDisplayZone) {
  FlightEditSession s(Plan(), FlightEditorPlan::WeeklyRing(), "GMT +02:00", 0);
  EXPECT_EQ(s.Frame().time, "10:00:00");
  s.SetDay(6);
  EXPECT_EQ(s.Work().Legs[0].DepartureTime, "6/08:00:00");
  EXPECT_EQ(s.Work().Legs[0].ArrivalTime, "6/08:30:00");
  EXPECT_EQ(s.Rows()[0].Depart, "6/10:00:00");
  // Shortly after midnight in the zone is the day before in GMT.
  s.EditTime("01:00");
  s.CommitDeparture();
  s.SetDay(0);
  EXPECT_EQ(s.Work().Legs[0].DepartureTime, "6/23:00:00");
  EXPECT_EQ(s.Work().Legs[0].ArrivalTime, "6/23:30:00");
  EXPECT_EQ(s.Rows()[0].Depart, "0/01:00:00");
}

TEST_F(LegListTest, FixedArrivalAndCallSign) {
  FlightEditSession s(Plan(), FlightEditorPlan::DailyRing(), "GMT", 1);
  s.SetFixedEta(true);
  EXPECT_TRUE(s.Work().Legs[1].FixedArrival);
  EXPECT_TRUE(s.Frame().etaEnabled);
  s.EditEta("14:00");
  EXPECT_EQ(s.Work().Legs[1].ArrivalTime, "14:00:00");
  s.SetFixedEta(false);  // computed again at once
  EXPECT_FALSE(s.Frame().etaEnabled);
  EXPECT_EQ(s.Work().Legs[1].ArrivalTime, "10:30:00");
  s.SetUseNumber(false);
  EXPECT_EQ(s.Work().Legs[1].UseFlightNumber, "R");
  s.SetUseNumber(true);
  EXPECT_EQ(s.Work().Legs[1].UseFlightNumber, "F");
}

TEST_F(LegListTest, AnotherAircraftFliesAtItsOwnSpeed) {
  FlightEditSession s(Plan(), FlightEditorPlan::DailyRing(), "GMT", 0);
  s.SelectAircraft(1);  // "Prop Two (AC#2)", 120 kt
  EXPECT_EQ(s.Work().AircraftId, "AC#2");
  EXPECT_EQ(s.Work().Legs[0].ArrivalTime, "08:45:00");
  EXPECT_EQ(s.Work().Legs[1].ArrivalTime, "11:15:00");
  EXPECT_EQ(s.Frame().eta, "08:45:00");
  EXPECT_EQ(s.InstalledIndex(), 0);
  s.SelectAircraft(7);  // no such item
  EXPECT_EQ(s.Work().AircraftId, "AC#2");
}

TEST_F(LegListTest, EnteringTheWeekPutsEveryLegOnSunday) {
  Flight f = FlightEditorPlan::DailyRing();
  f.Legs[2].DepartureTime = "23:30:00";
  f.Legs[2].ArrivalTime = "00:15:00";
  FlightEditSession s(Plan(), f, "GMT +02:00", 0);
  s.SelectPeriod(7, answers_);
  EXPECT_TRUE(answers_.asked.empty());
  EXPECT_EQ(s.Work().Period, "WEEK");
  EXPECT_EQ(s.Work().Legs[0].DepartureTime, "0/08:00:00");
  EXPECT_EQ(s.Work().Legs[1].ArrivalTime, "0/10:30:00");
  EXPECT_EQ(s.Work().Legs[2].DepartureTime, "0/23:30:00");
  EXPECT_EQ(s.Work().Legs[2].ArrivalTime, "1/00:15:00");
  // Every cell shows its stored day in the zone.
  EXPECT_EQ(s.Rows()[2].Depart, "1/01:30:00");
  EXPECT_EQ(s.Rows()[0].Depart, "0/10:00:00");
  EXPECT_EQ(s.Frame().day, 0);
  EXPECT_TRUE(s.Frame().dayEnabled);
}

TEST_F(LegListTest, LeavingTheWeekAsksAndStripsTheDays) {
  FlightEditSession s(Plan(), FlightEditorPlan::WeeklyRing(), "GMT", 1);
  answers_.answers = {kIdNo};
  s.SelectPeriod(5, answers_);
  EXPECT_EQ(answers_.asked, std::vector<std::string>{"Are you sure to remove the weekly flight?"});
  EXPECT_EQ(answers_.styles[0], 36);
  EXPECT_EQ(s.PeriodItem(), 7);
  EXPECT_EQ(s.Work(), FlightEditorPlan::WeeklyRing());
  s.SelectPeriod(5, answers_);
  EXPECT_EQ(s.Work().Period, "12Hr");
  EXPECT_EQ(s.PeriodItem(), 5);
  EXPECT_EQ(s.Work().Legs[1].DepartureTime, "23:30:00");
  EXPECT_EQ(s.Work().Legs[1].ArrivalTime, "00:30:00");
  EXPECT_EQ(s.Rows()[1].Depart, "23:30:00");
  EXPECT_FALSE(s.Frame().dayEnabled);
  // Between hourly periods only the text changes.
  Flight before = s.Work();
  s.SelectPeriod(6, answers_);
  EXPECT_EQ(s.Work().Period, "24Hr");
  before.Period = "24Hr";
  EXPECT_EQ(s.Work(), before);
  EXPECT_EQ(answers_.asked.size(), 2u);
}

// The leg lines are the search printout's (tested there); the dialog's
// printout puts the listed aircraft in front and measures on the plan.
TEST_F(LegListTest, ThePrintoutListsTheLegsWithTheirStoredTimes) {
  Flight f = FlightEditorPlan::WeeklyRing();
  f.Legs[1].DestinationIcao = "ZZZZ";
  EXPECT_EQ(FlightPrintout(f, "Jet One (AC#1)"),
            "Jet One (AC#1) - N123/50%/WEEK/IFR\r\n"
            "\t\tAAAA - BBBB No. 0201 FL120 60nm 1/08:00:00 1/08:30:00\r\n"
            "\t\tBBBB - ZZZZ No. 0202 FL120 -1nm 3/23:30:00 4/00:30:00\r\n"
            "\t\tZZZZ - AAAA No. 0203 FL120 -1nm 6/22:00:00 6/22:45:00\r\n"
            "\r\n");
}

}  // namespace
}  // namespace velk
