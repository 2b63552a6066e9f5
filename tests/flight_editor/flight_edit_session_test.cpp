// The edit session of the Edit Flight dialog: what it shows of a flight,
// how the leg frame's edits reach the working copy, the derived arrivals
// and caption, and the OK checks with their answers.
#include "flight_editor/flight_edit_session.h"

#include <gtest/gtest.h>

#include "flight_editor/flight_editor_fixture.h"
#include "platform/message_box.h"

namespace velk {
namespace {

using test::FlightEditorPlan;
using test::ScriptedPrompter;

class SessionTest : public ::testing::Test {
 protected:
  FlightEditorPlan plan_;
  ScriptedPrompter prompter_;
  TurnAroundLimits turnAround_{30, 24};
};

TEST_F(SessionTest, OpeningFillsTheListsAndShowsTheRingOfLegs) {
  FlightEditSession s(Plan(), FlightEditorPlan::DailyRing(), "GMT", -1);
  // Sorted without regard to case; the item data is the plan index.
  std::vector<std::string> aircraft;
  for (const auto& item : s.AircraftItems()) aircraft.push_back(item.text);
  EXPECT_EQ(aircraft, (std::vector<std::string>{"Jet One (AC#1)", "Prop Two (AC#2)", "Unlisted (Three) (AC#3)"}));
  EXPECT_EQ(s.SelectedAircraftItem(), 0);
  EXPECT_EQ(s.AirportItems(), (std::vector<std::string>{"AAAA", "BBBB", "CCCC", "DDDD"}));
  EXPECT_EQ(s.RegistrationText() + "/" + s.PercentText(), "N123/50");
  EXPECT_EQ(s.PeriodItem(), 6);
  EXPECT_TRUE(s.IsIfr());

  std::vector<LegRow> rows = s.Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (LegRow{"AAAA", "BBBB", "08:00:00", "08:30:00", "0101", "FL120"}));
  EXPECT_EQ(rows[1].From, "BBBB");
  EXPECT_EQ(rows[2], (LegRow{"DDDD", "AAAA", "11:30:00", "12:15:00", "0103", "FL120"}));

  // The first row is selected and shown in the leg frame.
  EXPECT_EQ(s.SelectedLeg(), 0);
  const LegFrame& f = s.Frame();
  EXPECT_EQ(f.departure + " " + f.arrival + " " + f.time + " " + f.eta, "AAAA BBBB 08:00:00 08:30:00");
  EXPECT_TRUE(f.enabled && f.addEnabled);
  EXPECT_FALSE(f.dayEnabled || f.deleteEnabled);  // daily; the first row
  EXPECT_EQ(f.caption, "Edit Le&g properties - Distance 60nm - Course 270\xB0 - FL100-300 +020");
}

TEST_F(SessionTest, TheAircraftMapsToTheFirstInstalledAircraftOfItsTitle) {
  FlightEditSession s(Plan(), FlightEditorPlan::DailyRing(), "GMT", -1);
  EXPECT_EQ(s.InstalledIndex(), 1);  // "JET ONE", not the later "jet one"
  Flight f = FlightEditorPlan::DailyRing();
  f.AircraftId = "AC#3";
  FlightEditSession unlisted(Plan(), f, "GMT", -1);
  EXPECT_EQ(unlisted.PlanAircraftIndex(), 2);
  EXPECT_EQ(unlisted.InstalledIndex(), -1);
  // No level text without an installed aircraft.
  EXPECT_EQ(unlisted.Frame().caption, "Edit Le&g properties - Distance 60nm - Course 270\xB0");
  f.AircraftId = "AC#9";
  FlightEditSession none(Plan(), f, "GMT", -1);
  EXPECT_EQ(none.SelectedAircraftItem(), -1);
  EXPECT_EQ(none.InstalledIndex(), -1);
}

TEST_F(SessionTest, OpeningRecomputesEveryArrivalThatIsNotFixed) {
  Flight f = FlightEditorPlan::DailyRing();
  f.Legs[1].ArrivalTime = "13:00:00";
  f.Legs[2].ArrivalTime = "23:00:00";
  f.Legs[2].FixedArrival = true;
  FlightEditSession s(Plan(), f, "GMT", -1);
  EXPECT_EQ(s.Work().Legs[1].ArrivalTime, "10:30:00");
  EXPECT_EQ(s.Work().Legs[2].ArrivalTime, "23:00:00");
  EXPECT_EQ(s.Rows()[2].Arrive, "23:00:00");

  // Without an aircraft nothing can be computed and nothing moves.
  f.AircraftId = "AC#9";
  FlightEditSession none(Plan(), f, "GMT", -1);
  EXPECT_EQ(none.Work().Legs[1].ArrivalTime, "13:00:00");
  EXPECT_EQ(none.Frame().eta, "08:30:00");  // the stored arrival, shown
}

TEST_F(SessionTest, WeeklyTimesAreShownInTheZoneWithTheirDayAndStoredInGmt) {
  Flight f = FlightEditorPlan::WeeklyRing();
  f.Legs[2].DepartureTime = "0/23:30:00";
  f.Legs[2].ArrivalTime = "1/00:15:00";
  FlightEditSession s(Plan(), f, "GMT +02:00", 2);
  EXPECT_EQ(s.Rows()[2].Depart, "1/01:30:00");
  EXPECT_EQ(s.Rows()[2].Arrive, "1/02:15:00");
  EXPECT_EQ(s.Rows()[1].Arrive, "4/02:30:00");
  EXPECT_EQ(s.Work().Legs[2].DepartureTime, "0/23:30:00");
  EXPECT_EQ(s.SelectedLeg(), 2);
  EXPECT_EQ(s.Frame().time, "01:30:00");
  EXPECT_EQ(s.Frame().day, 1);  // Monday in the zone

  // Changing the zone moves only what is shown.
  s.SelectZone("GMT -05:00");
  EXPECT_EQ(s.Rows()[0].Depart, "1/03:00:00");
  EXPECT_EQ(s.Rows()[2].Depart, "0/18:30:00");
  EXPECT_EQ(s.Frame().day, 0);
  s.SelectZone("GMT +05:40");
  EXPECT_EQ(s.Rows()[2].Depart, "1/05:10:00");
  EXPECT_EQ(s.Work().Legs[2].DepartureTime, "0/23:30:00");
  EXPECT_EQ(s.Zone(), "GMT +05:40");

  // A zone the lists do not offer counts as GMT.
  FlightEditSession odd(Plan(), f, "GMT +05:45", -1);
  EXPECT_EQ(odd.Zone(), "GMT");
}

TEST_F(SessionTest, TheLegToSelectFallsBackToTheFirstRow) {
  for (int select : {-1, 3, 99}) {
    FlightEditSession s(Plan(), FlightEditorPlan::DailyRing(), "GMT", select);
    EXPECT_EQ(s.SelectedLeg(), 0) << select;
  }
  FlightEditSession s(Plan(), FlightEditorPlan::DailyRing(), "GMT", 1);
  EXPECT_EQ(s.SelectedLeg(), 1);
  EXPECT_TRUE(s.Frame().deleteEnabled);
  EXPECT_EQ(s.Frame().departure, "BBBB");
  EXPECT_EQ(s.Frame().arrival, "DDDD");
  s.SelectLeg(-1);
  EXPECT_EQ(s.Frame(), LegFrame{});
  EXPECT_EQ(s.Work(), FlightEditorPlan::DailyRing());  // clearing the frame changes no leg
}

TEST_F(SessionTest, TypingADepartureMovesTheArrivalAndLeavingTheBoxStoresIt) {
  FlightEditSession s(Plan(), FlightEditorPlan::DailyRing(), "GMT", 0);
  s.EditTime("10:0");  // half typed: nothing moves
  EXPECT_EQ(s.Frame().eta, "08:30:00");
  s.EditTime("10:05");
  EXPECT_EQ(s.Frame().eta, "10:35:00");
  EXPECT_EQ(s.Work().Legs[0].ArrivalTime, "10:35:00");
  EXPECT_EQ(s.Work().Legs[0].DepartureTime, "08:00:00");  // stored on leaving only
  EXPECT_EQ(s.Work().Legs[1].DepartureTime, "09:30:00");  // other legs keep their times
  s.CommitDeparture();
  EXPECT_EQ(s.Work().Legs[0].DepartureTime, "10:05:00");
  EXPECT_EQ(s.Rows()[0].Depart, "10:05:00");

  // Typed in a zone, stored in GMT.
  s.SelectZone("GMT -03:30");
  s.EditTime("23:00");
  s.CommitDeparture();
  EXPECT_EQ(s.Work().Legs[0].DepartureTime + " " + s.Work().Legs[0].ArrivalTime, "02:30:00 03:00:00");
  EXPECT_EQ(s.Rows()[0].Depart + " " + s.Rows()[0].Arrive, "23:00:00 23:30:00");
}

TEST_F(SessionTest, WeeklyDeparturesCarryTheirDayAcrossTheZone) {
  // Shown Sunday 01:00 in +02:00 is Saturday 23:00 GMT.
  Flight f = FlightEditorPlan::WeeklyRing();
  FlightEditSession s(Plan(), f, "GMT +02:00", 0);
  EXPECT_EQ(s.Frame().day, 1);
  EXPECT_EQ(s.Frame().time, "10:00:00");
  s.EditTime("01:00");
  s.CommitDeparture();
  EXPECT_EQ(s.Work().Legs[0].DepartureTime, "0/23:00:00");
  EXPECT_EQ(s.Work().Legs[0].ArrivalTime, "0/23:30:00");
  EXPECT_EQ(s.Rows()[0].Depart, "1/01:00:00");
  // Across midnight in the zone the arrival takes the next day.
  s.EditTime("23:50");
  EXPECT_EQ(s.Frame().eta, "00:20:00");
  EXPECT_EQ(s.Work().Legs[0].ArrivalTime, "1/22:20:00");
}

TEST_F(SessionTest, AFixedArrivalIsStoredAsTypedWithTheDayItLandsOn) {
  Flight f = FlightEditorPlan::WeeklyRing();
  f.Legs[2].DepartureTime = "6/20:00:00";
  f.Legs[2].ArrivalTime = "6/21:00:00";
  f.Legs[2].FixedArrival = true;
  FlightEditSession s(Plan(), f, "GMT +02:00", 2);
  EXPECT_EQ(s.Frame().day, 6);
  EXPECT_EQ(s.Frame().time, "22:00:00");
  EXPECT_EQ(s.Frame().eta, "23:00:00");
  EXPECT_TRUE(s.Frame().etaEnabled);
  EXPECT_EQ(s.Work().Legs[2].ArrivalTime, "6/21:00:00");
  // Typed on Saturday 22:00 shown: 01:30 is Sunday.
  s.EditEta("01:30");
  EXPECT_EQ(s.Work().Legs[2].ArrivalTime, "6/23:30:00");
  EXPECT_EQ(s.Rows()[2].Arrive, "0/01:30:00");
  // The departure no longer moves a fixed arrival.
  s.EditTime("21:00");
  EXPECT_EQ(s.Work().Legs[2].ArrivalTime, "6/23:30:00");

  // Same clock in GMT: same day.
  Flight g = FlightEditorPlan::WeeklyRing();
  g.Legs[0].DepartureTime = "1/10:00:00";
  g.Legs[0].FixedArrival = true;
  FlightEditSession t(Plan(), g, "GMT", 0);
  t.EditEta("10:00:00");
  EXPECT_EQ(t.Work().Legs[0].ArrivalTime, "1/10:00:00");
}

TEST_F(SessionTest, BoxChecksRefuseWhatThePlanCannotHold) {
  struct Row {
    std::optional<std::string> (*check)(std::string_view);
    const char* text;
    bool accepted;
  };
  const Row rows[] = {
      {FlightEditSession::CheckTime, "10:05", true},
      {FlightEditSession::CheckTime, " 7:05:09 ", true},
      {FlightEditSession::CheckTime, "24:00", false},
      {FlightEditSession::CheckTime, "10:5", false},
      {FlightEditSession::CheckTime, "", false},
      {FlightEditSession::CheckLevel, "10", true},
      {FlightEditSession::CheckLevel, "999", true},
      {FlightEditSession::CheckLevel, "9.5", true},  // a half goes to the even 10
      {FlightEditSession::CheckLevel, "9.4", false},
      {FlightEditSession::CheckLevel, "999.5", false},
      {FlightEditSession::CheckLevel, "5", false},
      {FlightEditSession::CheckLevel, "abc", false},
      {FlightEditSession::CheckLevel, "", false},
      {FlightEditSession::CheckPercent, "1", true},
      {FlightEditSession::CheckPercent, "99", true},
      {FlightEditSession::CheckPercent, "0", false},
      {FlightEditSession::CheckPercent, "", false},
      {FlightEditSession::CheckRegistration, "D-ABCD", true},
      {FlightEditSession::CheckRegistration, "N1,2", false},
      {FlightEditSession::CheckRegistration, "N1;2", false},
      {FlightEditSession::CheckRegistration, "N1//2", false},
      {FlightEditSession::CheckRegistration, "N1/2", true},
      {FlightEditSession::CheckFlightNumber, "12,4", false},
      {FlightEditSession::CheckFlightNumber, "0123", true},
  };
  for (const Row& r : rows) EXPECT_EQ(!r.check(r.text).has_value(), r.accepted) << r.text;
  EXPECT_EQ(*FlightEditSession::CheckTime("x"), "Invalid time format (hh:mm[:ss])");
  EXPECT_EQ(*FlightEditSession::CheckLevel("x"), "Flight Level has to be a value between 10 and 999");
  EXPECT_EQ(*FlightEditSession::CheckPercent("x"), "Percent has to be a value between 1 and 99.");
}

TEST_F(SessionTest, LevelsPercentsNumbersAndRegistrationsAreStoredAsThePlanWritesThem) {
  FlightEditSession s(Plan(), FlightEditorPlan::DailyRing(), "GMT", 1);
  s.CommitLevel("35");
  EXPECT_EQ(s.Work().Legs[1].FlightLevel, "035");
  EXPECT_EQ(s.Frame().level, "035");
  EXPECT_EQ(s.Rows()[1].FlightLevel, "FL035");
  s.CommitLevel("34.5");  // the value the check accepted: 34
  EXPECT_EQ(s.Work().Legs[1].FlightLevel, "034");
  s.CommitPercent("7");
  EXPECT_EQ(s.Work().Percent, "7%");
  s.CommitPercent("7.5");
  EXPECT_EQ(s.Work().Percent, "8%");
  s.CommitNumber(" 0042 ");
  EXPECT_EQ(s.Work().Legs[1].FlightNumber, "0042");
  EXPECT_EQ(s.Rows()[1].FlightNumber, "0042");
  s.CommitRegistration(" G-ABCD ");
  EXPECT_EQ(s.Work().Registration, "G-ABCD");
  // Rules change only the rules and the caption.
  Flight before = s.Work();
  s.SetIfr(false);
  EXPECT_EQ(s.Work().FlightRules, "VFR");
  before.FlightRules = "VFR";
  EXPECT_EQ(s.Work(), before);
}

TEST_F(SessionTest, TheCaptionLeavesOutWhatCannotBeMeasured) {
  Flight f = FlightEditorPlan::DailyRing();
  f.Legs[0].DestinationIcao = "ZZZZ";  // not in the plan's airports
  FlightEditSession s(Plan(), f, "GMT", 0);
  EXPECT_EQ(s.Frame().arrival, "ZZZZ");
  EXPECT_NE(std::find(s.AirportItems().begin(), s.AirportItems().end(), "ZZZZ"), s.AirportItems().end());
  EXPECT_EQ(s.Frame().caption, "Edit Le&g properties - FL100");
  Flight g = FlightEditorPlan::DailyRing();
  g.Legs[0].DestinationIcao = "AAAA";  // from AAAA to AAAA
  FlightEditSession same(Plan(), g, "GMT", 0);
  EXPECT_EQ(same.Frame().caption, "Edit Le&g properties - Distance 0nm - Course 0\xB0 - FL100-300 +020");
}

TEST_F(SessionTest, UndoGoesBackToTheFlightAsOpened) {
  Flight original = FlightEditorPlan::DailyRing();
  FlightEditSession s(Plan(), original, "GMT", 2);
  s.CommitRegistration("X");
  s.CommitPercent("12");
  s.SetIfr(false);
  s.EditTime("13:00");
  s.CommitDeparture();
  s.CommitLevel("300");
  s.Undo();
  EXPECT_EQ(s.Work(), original);
  EXPECT_EQ(s.RegistrationText(), "N123");
  EXPECT_EQ(s.SelectedLeg(), 0);  // the first row after a refill
  s.CommitRegistration("Y");
  s.Undo();  // as often as wanted
  EXPECT_EQ(s.Work(), original);
}

TEST_F(SessionTest, RangeAndLevelWarningsStopAtTheirLegOnNo) {
  Flight f = FlightEditorPlan::DailyRing();
  f.Legs[2].FlightLevel = "130";  // not on the 20-step grid
  FlightEditSession s(Plan(), f, "GMT", 0);
  s.checks.times = false;
  prompter_.answers = {kIdNo};
  EXPECT_FALSE(s.RunOkChecks(prompter_, turnAround_).accepted);
  ASSERT_EQ(prompter_.asked.size(), 1u);
  // Leg 2 (number 2) flies 180nm, beyond the jet's 150nm.
  EXPECT_EQ(prompter_.asked[0], "Warning! Aircraft range limits reached for leg 2 (50nm - 150nm).\r\nContinue?");
  EXPECT_EQ(prompter_.styles[0], 308);
  EXPECT_EQ(s.SelectedLeg(), 1);

  prompter_.asked.clear();
  prompter_.answers = {kIdYes, kIdNo};
  EXPECT_FALSE(s.RunOkChecks(prompter_, turnAround_).accepted);
  ASSERT_EQ(prompter_.asked.size(), 2u);
  EXPECT_EQ(prompter_.asked[1],
            "Warning! Flight Level might be incorrect for leg 3. Suggestion: FL100-300 +020\r\nContinue?");
  EXPECT_EQ(s.SelectedLeg(), 2);

  // Every press asks everything again; Yes to all accepts with the title.
  prompter_.asked.clear();
  OkOutcome out = s.RunOkChecks(prompter_, turnAround_);
  EXPECT_EQ(prompter_.asked.size(), 2u);
  EXPECT_TRUE(out.accepted);
  EXPECT_EQ(out.result, "Jet One");

  // Switched off, neither is asked.
  prompter_.asked.clear();
  s.checks = {false, false, false};
  EXPECT_TRUE(s.RunOkChecks(prompter_, turnAround_).accepted);
  EXPECT_TRUE(prompter_.asked.empty());
}

TEST_F(SessionTest, RangeLimitsAreInclusiveAndMinusOneIsNoLimit) {
  PlanState& p = Plan();
  p.FSAircraftList[1].MinRange = 60;
  p.FSAircraftList[1].MaxRange = 180;
  FlightEditSession s(Plan(), FlightEditorPlan::DailyRing(), "GMT", -1);
  s.checks = {true, false, false};
  EXPECT_TRUE(s.RunOkChecks(prompter_, turnAround_).accepted);
  EXPECT_TRUE(prompter_.asked.empty());
  p.FSAircraftList[1].MinRange = -1;
  p.FSAircraftList[1].MaxRange = 120;
  s.RunOkChecks(prompter_, turnAround_);
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.asked[0],
            "Warning! Aircraft range limits reached for leg 2 (-1nm - 120nm).\r\nContinue?");

  // A leg to an unknown airport gets no route checks at all.
  Flight u = FlightEditorPlan::DailyRing();
  u.Legs[1].DestinationIcao = "ZZZZ";
  FlightEditSession unknown(Plan(), u, "GMT", -1);
  unknown.checks = {true, true, false};
  prompter_.asked.clear();
  EXPECT_TRUE(unknown.RunOkChecks(prompter_, turnAround_).accepted);
  EXPECT_TRUE(prompter_.asked.empty());

  // An aircraft without class limits never gets a range warning.
  Flight f = FlightEditorPlan::DailyRing();
  f.AircraftId = "AC#2";
  FlightEditSession prop(Plan(), f, "GMT", -1);
  prop.checks = {true, false, false};
  prompter_.asked.clear();
  EXPECT_TRUE(prop.RunOkChecks(prompter_, turnAround_).accepted);
  EXPECT_TRUE(prompter_.asked.empty());
}

TEST_F(SessionTest, OkNeedsAnAircraftAndAnswersItsTitleOrIdNeverEmpty) {
  Flight f = FlightEditorPlan::DailyRing();
  f.AircraftId = "AC#9";
  FlightEditSession noAircraft(Plan(), f, "GMT", -1);
  EXPECT_FALSE(noAircraft.RunOkChecks(prompter_, turnAround_).accepted);
  EXPECT_EQ(prompter_.asked, std::vector<std::string>{"You need to select an aircraft to save the flight."});
  EXPECT_EQ(prompter_.styles[0], 48);
  prompter_.asked.clear();

  f.AircraftId = "AC#3";  // "Unlisted (Three)", not installed
  FlightEditSession s(Plan(), f, "GMT", -1);
  OkOutcome out = s.RunOkChecks(prompter_, turnAround_);
  EXPECT_TRUE(out.accepted);
  EXPECT_EQ(out.result, "AC#3");  // cut at the last "("
  EXPECT_TRUE(prompter_.asked.empty());

  Plan().PlanAircraftList.push_back({"", "Nameless", "200", 0});
  Plan().PlanAircraftList.push_back({"AC#5", "Unlisted (Three)", "200", 0});
  Plan().FSAircraftList.push_back({});
  Plan().FSAircraftList.back().Title = "Unlisted (Three)";
  f.AircraftId = "";
  FlightEditSession empty(Plan(), f, "GMT", -1);
  out = empty.RunOkChecks(prompter_, turnAround_);
  EXPECT_TRUE(out.accepted);
  EXPECT_EQ(out.result, "Nameless ()");  // the Id would be empty
  f.AircraftId = "AC#5";
  FlightEditSession titled(Plan(), f, "GMT", -1);
  EXPECT_EQ(titled.RunOkChecks(prompter_, turnAround_).result, "Unlisted (Three)");
}

TEST_F(SessionTest, AFlightWithFewLegsNeverIndexesPastThem) {
  Flight f = FlightEditorPlan::DailyRing();
  f.Legs.resize(1);
  FlightEditSession one(Plan(), f, "GMT", 0);
  EXPECT_EQ(one.Rows()[0].From, "BBBB");  // departs from its own destination
  EXPECT_FALSE(one.Frame().deleteEnabled);
  f.Legs.clear();
  FlightEditSession none(Plan(), f, "GMT", 0);
  EXPECT_TRUE(none.Rows().empty());
  EXPECT_EQ(none.SelectedLeg(), -1);
  none.EditTime("10:00");
  none.CommitDeparture();
  none.CommitLevel("100");
  none.UpdateArrivalTimes();
  EXPECT_TRUE(none.RunOkChecks(prompter_, turnAround_).accepted);
}

}  // namespace
}  // namespace velk
