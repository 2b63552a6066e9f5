// The flight time warnings of the Edit Flight dialog's OK, on daily and
// weekly flights worked out by hand (the cycle arithmetic under them is
// tested with the flight time check itself, in tests/search).
#include <gtest/gtest.h>

#include "data/flight_timings.h"
#include "flight_editor/flight_edit_session.h"
#include "flight_editor/flight_editor_fixture.h"

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
Flight Timed(const char* period, const std::vector<std::pair<const char*, const char*>>& legs) {
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

// Each row: a flight whose arrivals are all fixed, the limits, and the
// warnings OK asks (Yes to each), worked out by hand.
TEST_F(TimeChecksTest, WarningsOfDailyAndWeeklyFlights) {
  using Legs = std::vector<std::pair<const char*, const char*>>;
  using Lines = std::vector<std::string>;
  struct Row {
    const char* what;
    const char* period;
    Legs legs;
    int minMinutes, maxHours;
    Lines warnings;
  };
  const Legs daily = {{"08:00:00", "10:00:00"}, {"11:00:00", "13:00:00"}};  // stands 1 h and 19 h
  // Monday 08:00-08:30, Wednesday 23:30 - Thursday 00:30, Saturday
  // 22:00-22:45: stands of 63 and 69.5 hours, 33.25 at the end of the week.
  const Legs weekRing = {{"1/08:00:00", "1/08:30:00"}, {"3/23:30:00", "4/00:30:00"}, {"6/22:00:00", "6/22:45:00"}};
  const Legs fullWeek = {{"0/00:00:00", "3/12:00:00"}, {"3/12:00:00", "6/23:59:59"}, {"6/23:59:59", "0/00:00:00"}};
  const Row rows[] = {
      {"stand below the minimum", "24Hr", daily, 90, kOff,
       {"Warning! Stand time is less than 90 minutes for leg number 2."}},
      {"stand at the minimum", "24Hr", daily, 60, kOff, {}},
      // The daily form of the end warning ends without a full stop.
      {"end above the maximum", "24Hr", daily, kOff, 18,
       {"Warning! Stand time is greater than 18 hours for end of flight"}},
      {"end at the maximum", "24Hr", daily, kOff, 24, {}},
      {"cycle as long as its period", "12Hr", {{"00:00:00", "10:00:00"}, {"11:00:00", "12:00:00"}}, kOff, kOff,
       {"Warning! Total flight time exceeds maximum allowed time of 12 hours."}},
      {"cycle a second shorter", "12Hr", {{"00:00:00", "10:00:00"}, {"11:00:00", "11:59:59"}}, kOff, kOff, {}},
      // A daily departure earlier on the clock than the arrival is the next day.
      {"over midnight", "24Hr", {{"20:00:00", "23:00:00"}, {"01:00:00", "02:00:00"}}, kOff, kOff, {}},
      {"a second below 30 minutes", "24Hr", {{"08:00:00", "09:00:00"}, {"09:29:59", "10:00:00"}}, 30, kOff,
       {"Warning! Stand time is less than 30 minutes for leg number 2."}},
      {"exactly 30 minutes", "24Hr", {{"08:00:00", "09:00:00"}, {"09:30:00", "10:00:00"}}, 30, kOff, {}},
      {"no stand and no minimum", "24Hr", {{"08:00:00", "09:00:00"}, {"09:00:00", "10:00:00"}}, kOff, kOff, {}},
      // Four hours on the ground, and two at the end of an 8-hour cycle.
      {"exactly 4 hours", "8Hr", {{"00:00:00", "01:00:00"}, {"05:00:00", "06:00:00"}}, kOff, 4, {}},
      {"a second above 4 hours", "8Hr", {{"00:00:00", "01:00:00"}, {"05:00:01", "06:00:00"}}, kOff, 4,
       {"Warning! Stand time is greater than 4 hours for leg number 2."}},
      // The weekly form of the end warning ends with a full stop.
      {"week ring", "WEEK", weekRing, 30, 24,
       {"Warning! Stand time is greater than 24 hours for leg number 2.",
        "Warning! Stand time is greater than 24 hours for leg number 3.",
        "Warning! Stand time is greater than 24 hours for end of flight."}},
      {"departure before the previous arrival", "WEEK", {{"1/08:00:00", "1/10:00:00"}, {"1/09:00:00", "1/11:00:00"}},
       kOff, kOff, {"Warning! Departure is earlier than arrival for leg number 2."}},
      {"a week of flying", "WEEK", fullWeek, kOff, kOff,
       {"Warning! Total flight time exceeds maximum allowed time of one week."}},
      // Stands of zero are below any minimum, the end stand too.
      {"a week of flying, minimum on", "WEEK", fullWeek, 30, kOff,
       {"Warning! Stand time is less than 30 minutes for leg number 2.",
        "Warning! Stand time is less than 30 minutes for leg number 3.",
        "Warning! Total flight time exceeds maximum allowed time of one week.",
        "Warning! Stand time is less than 30 minutes for end of flight."}},
      // A period outside the list takes its hours from its text.
      {"3Hr", "3Hr", {{"00:00:00", "01:00:00"}, {"01:30:00", "03:00:00"}}, kOff, kOff,
       {"Warning! Total flight time exceeds maximum allowed time of 3 hours."}},
  };
  for (const Row& row : rows)
    EXPECT_EQ(WarningsFor(Timed(row.period, row.legs), row.minMinutes, row.maxHours), row.warnings) << row.what;
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

TEST_F(TimeChecksTest, APeriodOutsideTheListTakesItsHoursFromItsTextOr24) {
  Flight f = Timed("3Hr", {{"00:00:00", "01:00:00"}});
  FlightEditSession s(Plan(), f, "GMT", -1);
  EXPECT_EQ(s.PeriodItem(), -1);
  EXPECT_EQ(s.PeriodHoursForChecks(), 3);
  f.Period = "often";
  FlightEditSession odd(Plan(), f, "GMT", -1);
  EXPECT_EQ(odd.PeriodHoursForChecks(), 24);
}

}  // namespace
}  // namespace velk
