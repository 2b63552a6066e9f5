// The flight time warnings of the Edit Flight dialog's OK, on daily and
// weekly flights worked out by hand, and the cycle arithmetic under them.
#include <gtest/gtest.h>

#include "flight_editor/flight_edit_session.h"
#include "flight_editor/flight_editor_fixture.h"
#include "search/flight_timings.h"

namespace velk {
namespace {

using test::FlightEditorPlan;

// The warning lines asked, without their "Continue?".
std::vector<std::string> Lines(const test::ScriptedPrompter& p) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < p.asked.size(); ++i) {
    EXPECT_EQ(p.styles[i], 308);
    lines.push_back(p.asked[i].substr(0, p.asked[i].size() - std::string("\r\nContinue?").size()));
  }
  return lines;
}

// A flight whose times stay exactly as given: every arrival is fixed.
Flight Timed(const char* period, std::vector<std::pair<const char*, const char*>> legs) {
  Flight f = FlightEditorPlan::DailyRing();
  f.Period = period;
  f.Legs.clear();
  const char* dests[] = {"BBBB", "DDDD", "AAAA", "BBBB", "AAAA"};
  for (size_t i = 0; i < legs.size(); ++i) {
    f.Legs.push_back(FlightEditorPlan::Leg(legs[i].first, legs[i].second, dests[i % 5], "0001"));
    f.Legs.back().FixedArrival = true;
  }
  return f;
}

class TimeChecksTest : public ::testing::Test {
 protected:
  // The warnings OK gives for `f` with the given limits (range and level
  // checks off), answering Yes to all.
  std::vector<std::string> WarningsFor(const Flight& f, int minMinutes, int maxHours) {
    FlightEditSession s(Plan(), f, "GMT", -1);
    EXPECT_EQ(s.Work(), f);
    s.checks = {false, false, true};
    test::ScriptedPrompter w;
    EXPECT_TRUE(s.RunOkChecks(w, {minMinutes, maxHours}).accepted);
    return Lines(w);
  }
  FlightEditorPlan plan_;
  static constexpr int kOff = kTurnAroundOff;
};

TEST_F(TimeChecksTest, ADailyCycleOfTwoLegs) {
  Flight f = Timed("24Hr", {{"08:00:00", "10:00:00"}, {"11:00:00", "13:00:00"}});
  FlightTimingReport r = AnalyzeFlightTimings(f, 24, {kOff, kOff}, WeekStandRule::Correction);
  EXPECT_EQ(r.stands[1], 3600);
  EXPECT_EQ(r.cycle, 18000);
  EXPECT_FALSE(r.cycleTooLong);
  EXPECT_EQ(r.endStand, 19 * 3600);  // 13:00 to 08:00 the next day

  EXPECT_EQ(WarningsFor(f, 90, kOff),
            std::vector<std::string>{"Warning! Stand time is less than 90 minutes for leg number 2."});
  EXPECT_TRUE(WarningsFor(f, 60, kOff).empty());
  // The daily form ends without a full stop.
  EXPECT_EQ(WarningsFor(f, kOff, 18),
            std::vector<std::string>{"Warning! Stand time is greater than 18 hours for end of flight"});
  EXPECT_TRUE(WarningsFor(f, kOff, 24).empty());
}

TEST_F(TimeChecksTest, ADailyCycleAsLongAsItsPeriodWarns) {
  Flight f = Timed("12Hr", {{"00:00:00", "10:00:00"}, {"11:00:00", "12:00:00"}});
  EXPECT_EQ(WarningsFor(f, kOff, kOff),
            std::vector<std::string>{"Warning! Total flight time exceeds maximum allowed time of 12 hours."});
  f.Legs[1].ArrivalTime = "11:59:59";
  EXPECT_TRUE(WarningsFor(f, kOff, kOff).empty());
}

TEST_F(TimeChecksTest, StandsAtTheLimitsPass) {
  // A daily departure earlier on the clock than the arrival is the next day.
  Flight f = Timed("24Hr", {{"20:00:00", "23:00:00"}, {"01:00:00", "02:00:00"}});
  EXPECT_TRUE(WarningsFor(f, kOff, kOff).empty());
  f = Timed("24Hr", {{"08:00:00", "09:00:00"}, {"09:29:59", "10:00:00"}});
  EXPECT_EQ(WarningsFor(f, 30, kOff).size(), 1u);
  f.Legs[1].DepartureTime = "09:30:00";
  EXPECT_TRUE(WarningsFor(f, 30, kOff).empty());
  f.Legs[1].DepartureTime = "09:00:00";  // no stand at all, and no minimum
  EXPECT_TRUE(WarningsFor(f, kOff, kOff).empty());
  // Four hours on the ground, and two at the end of an 8-hour cycle.
  f = Timed("8Hr", {{"00:00:00", "01:00:00"}, {"05:00:00", "06:00:00"}});
  EXPECT_TRUE(WarningsFor(f, kOff, 4).empty());
  f.Legs[1].DepartureTime = "05:00:01";
  EXPECT_EQ(WarningsFor(f, kOff, 4),
            std::vector<std::string>{"Warning! Stand time is greater than 4 hours for leg number 2."});
}

TEST_F(TimeChecksTest, AWeeklyRingAroundTheWeek) {
  // Monday 08:00-08:30, Wednesday 23:30 - Thursday 00:30, Saturday
  // 22:00-22:45: stands of 63 and 69.5 hours, 2.25 hours flown, 33.25
  // hours at the end of the week.
  Flight f = Timed("WEEK", {{"1/08:00:00", "1/08:30:00"}, {"3/23:30:00", "4/00:30:00"}, {"6/22:00:00", "6/22:45:00"}});
  FlightTimingReport r = AnalyzeFlightTimings(f, std::nullopt, {kOff, kOff}, WeekStandRule::Correction);
  EXPECT_TRUE(r.weekly);
  EXPECT_EQ(r.stands[1], 63 * 3600);
  EXPECT_EQ(r.stands[2], 69 * 3600 + 1800);
  EXPECT_EQ(r.cycle, 485100);
  EXPECT_EQ(r.endStand, 119700);
  // The weekly form of the end warning ends with a full stop.
  EXPECT_EQ(WarningsFor(f, 30, 24), (std::vector<std::string>{
                                        "Warning! Stand time is greater than 24 hours for leg number 2.",
                                        "Warning! Stand time is greater than 24 hours for leg number 3.",
                                        "Warning! Stand time is greater than 24 hours for end of flight.",
                                    }));
}

TEST_F(TimeChecksTest, AWeeklyLegIntoTheNextWeek) {
  Flight f = Timed("WEEK", {{"6/22:00:00", "0/02:00:00"}});
  FlightTimingReport r = AnalyzeFlightTimings(f, std::nullopt, {kOff, kOff}, WeekStandRule::Correction);
  EXPECT_EQ(r.cycle, 4 * 3600);
  // A departure placed before the previous arrival.
  f = Timed("WEEK", {{"1/08:00:00", "1/10:00:00"}, {"1/09:00:00", "1/11:00:00"}});
  EXPECT_EQ(WarningsFor(f, kOff, kOff),
            std::vector<std::string>{"Warning! Departure is earlier than arrival for leg number 2."});
}

TEST_F(TimeChecksTest, AWeekFullOfFlyingWarnsOnce) {
  Flight f = Timed("WEEK", {{"0/00:00:00", "3/12:00:00"}, {"3/12:00:00", "6/23:59:59"}, {"6/23:59:59", "0/00:00:00"}});
  FlightTimingReport r = AnalyzeFlightTimings(f, std::nullopt, {kOff, kOff}, WeekStandRule::Correction);
  EXPECT_GE(r.cycle, 604800);
  EXPECT_EQ(WarningsFor(f, kOff, kOff),
            std::vector<std::string>{"Warning! Total flight time exceeds maximum allowed time of one week."});
  // A zero end stand is below any minimum; a negative one gives nothing.
  EXPECT_EQ(r.endStand, 0);
  EXPECT_EQ(WarningsFor(f, 30, kOff).back(), "Warning! Stand time is less than 30 minutes for end of flight.");
}

TEST_F(TimeChecksTest, ANoStopsAtTheLegConcerned) {
  Flight f = Timed("12Hr", {{"08:00:00", "09:00:00"}, {"09:10:00", "10:00:00"}, {"10:05:00", "23:00:00"}});
  FlightEditSession s(Plan(), f, "GMT", 0);
  s.checks = {false, false, true};
  test::ScriptedPrompter w;
  w.answers = {kIdYes, kIdNo};
  EXPECT_FALSE(s.RunOkChecks(w, {30, 2}).accepted);
  EXPECT_EQ(Lines(w).back(), "Warning! Stand time is less than 30 minutes for leg number 3.");
  EXPECT_EQ(s.SelectedLeg(), 2);
  // The total: nothing selected anew.
  s.SelectLeg(1);
  w.asked.clear();
  w.answers = {kIdYes, kIdYes, kIdNo};
  EXPECT_FALSE(s.RunOkChecks(w, {30, 20}).accepted);
  EXPECT_EQ(Lines(w).back(), "Warning! Total flight time exceeds maximum allowed time of 12 hours.");
  EXPECT_EQ(s.SelectedLeg(), 1);
  // The end of the flight: the last row.
  f.Legs[2].ArrivalTime = "12:00:00";
  FlightEditSession t(Plan(), f, "GMT", 0);
  t.checks = {false, false, true};
  w.asked.clear();
  w.answers = {kIdNo};
  EXPECT_FALSE(t.RunOkChecks(w, {kOff, 2}).accepted);
  EXPECT_EQ(Lines(w), std::vector<std::string>{"Warning! Stand time is greater than 2 hours for end of flight"});
  EXPECT_EQ(t.SelectedLeg(), 2);
}

TEST_F(TimeChecksTest, APeriodOutsideTheListTakesItsHoursFromItsText) {
  Flight f = Timed("3Hr", {{"00:00:00", "01:00:00"}, {"01:30:00", "03:00:00"}});
  FlightEditSession s(Plan(), f, "GMT", -1);
  EXPECT_EQ(s.PeriodItem(), -1);
  EXPECT_EQ(s.PeriodHoursForChecks(), 3);
  EXPECT_EQ(WarningsFor(f, kOff, kOff),
            std::vector<std::string>{"Warning! Total flight time exceeds maximum allowed time of 3 hours."});
  f.Period = "often";
  FlightEditSession odd(Plan(), f, "GMT", -1);
  EXPECT_EQ(odd.PeriodHoursForChecks(), 24);
  EXPECT_EQ(PeriodHours("12Hr"), 12);
  EXPECT_EQ(PeriodHours("0Hr"), std::nullopt);
  EXPECT_EQ(PeriodHours("WEEK"), std::nullopt);
}

}  // namespace
}  // namespace velk
