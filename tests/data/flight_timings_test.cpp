// The flight time check and its correction: stand limits at their edges,
// cycle and final stand of hour and week flights, the period a corrected
// flight gets, the week axis, and what happens to times that do not read.
#include "data/flight_timings.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

constexpr int kOff = kTurnAroundOff;

// A flight of (departure, arrival) legs; destinations do not matter here.
Flight Timed(const std::string& period, std::vector<std::pair<std::string, std::string>> legs) {
  Flight f;
  f.AircraftId = "AC#1";
  f.Period = period;
  f.FlightRules = "IFR";
  for (auto& [dep, arr] : legs) f.Legs.push_back(FlightLeg{dep, arr, false, "100", "F", "0001", "EDDF"});
  return f;
}

std::string Findings(const Flight& f, TurnAroundLimits limits) {
  std::string text = "unchanged";
  CheckFlightTimings(f, limits, text);
  return text;
}

TEST(FlightTimingCheck, StandLimitsAtTheirEdges) {
  struct Case {
    const char* secondDeparture;  // after an arrival at 10:00:00
    const char* period;
    TurnAroundLimits limits;
    const char* findings;
  };
  const Case cases[] = {
      {"10:29:59", "4Hr", {30, kOff}, "min. Turn-Around"},  // 1799 s
      {"10:30:00", "4Hr", {30, kOff}, ""},
      {"14:00:00", "8Hr", {kOff, 4}, ""},  // exactly 4 hours
      {"14:00:01", "8Hr", {kOff, 4}, "max. Turn-Around"},
      {"10:00:00", "4Hr", {kOff, kOff}, ""},
      // Earlier on the clock: the next day, so a daily flight never departs
      // before its arrival; 23 h 59 min is too long for 4 hours and, with
      // the first leg, for the period.
      {"09:59:00", "24Hr", {kOff, 4}, "Total flight time | max. Turn-Around"},
  };
  for (const Case& c : cases) {
    // The second leg takes no time, so only the stands count.
    Flight f = Timed(c.period, {{"08:00:00", "10:00:00"}, {c.secondDeparture, c.secondDeparture}});
    std::string text;
    EXPECT_EQ(CheckFlightTimings(f, c.limits, text), std::string(c.findings).empty()) << c.secondDeparture;
    EXPECT_EQ(text, c.findings) << c.secondDeparture;
  }
}

TEST(FlightTimingCheck, DailyCycleAndFinalStand) {
  // 08-10 and 11-13: a stand of one hour, a cycle of five, and 19 hours
  // from 13:00 to 08:00 the next day.
  Flight f = Timed("24Hr", {{"08:00:00", "10:00:00"}, {"11:00:00", "13:00:00"}});
  FlightTimingReport r = AnalyzeFlightTimings(f, 24, {kOff, kOff}, WeekStandRule::Check);
  EXPECT_EQ(r.stands[1], 3600);
  EXPECT_EQ(r.cycle, 18000);
  EXPECT_FALSE(r.cycleTooLong);
  EXPECT_EQ(r.endStand, 19 * 3600);
  EXPECT_EQ(AnalyzeFlightTimings(f, 24, {90, kOff}, WeekStandRule::Check).standFindings[1],
            StandFinding::BelowMinimum);
  EXPECT_EQ(AnalyzeFlightTimings(f, 24, {60, kOff}, WeekStandRule::Check).standFindings[1], StandFinding::None);
  EXPECT_EQ(AnalyzeFlightTimings(f, 24, {kOff, 18}, WeekStandRule::Check).endFinding, StandFinding::AboveMaximum);
  EXPECT_EQ(AnalyzeFlightTimings(f, 24, {kOff, 24}, WeekStandRule::Check).endFinding, StandFinding::None);
  EXPECT_EQ(Findings(f, {kOff, 18}), "max. Turn-Around");
}

TEST(FlightTimingCheck, CycleOfExactlyThePeriodIsTooLongAndFindingsComeInTheirOrder) {
  // 12 h + 12 h of flying, no stand: exactly 86400 s.
  Flight f = Timed("24Hr", {{"00:00:00", "12:00:00"}, {"12:00:00", "00:00:00"}});
  EXPECT_EQ(Findings(f, {kOff, kOff}), "Total flight time");
  // A stand of 10 minutes as well (the cycle grows past the period).
  f.Legs[1] = FlightLeg{"12:10:00", "00:10:00", false, "100", "F", "1", "EDDF"};
  EXPECT_EQ(Findings(f, {30, kOff}), "Total flight time | min. Turn-Around");
  // 12 hours less one second fits "12Hr".
  Flight g = Timed("12Hr", {{"00:00:00", "11:59:59"}});
  EXPECT_FALSE(AnalyzeFlightTimings(g, 12, {kOff, kOff}, WeekStandRule::Check).cycleTooLong);
  g.Legs[0].ArrivalTime = "12:00:00";
  EXPECT_TRUE(AnalyzeFlightTimings(g, 12, {kOff, kOff}, WeekStandRule::Check).cycleTooLong);
}

TEST(FlightTimingCheck, WeekFlights) {
  // Saturday 22:00 to Sunday 02:00 is four hours, the arrival lying in the
  // following week.
  Flight f = Timed("WEEK", {{"6/22:00:00", "0/02:00:00"}});
  FlightTimingReport r = AnalyzeFlightTimings(f, std::nullopt, {kOff, kOff}, WeekStandRule::Check);
  EXPECT_EQ(r.cycle, 4 * 3600);
  EXPECT_EQ(r.endStand, 604800 - 4 * 3600);
  // A departure before the arrival in the same day: negative stand.
  Flight g = Timed("week", {{"1/08:00:00", "1/10:00:00"}, {"1/09:00:00", "1/11:00:00"}});
  EXPECT_EQ(Findings(g, {kOff, kOff}), "Depart earlier than arrival");
  // One week or more of flying.
  Flight h = Timed("WEEK", {{"0/00:00:00", "3/12:00:00"}, {"3/12:00:00", "6/23:59:59"}});
  h.Legs.push_back(FlightLeg{"6/23:59:59", "0/00:00:01", false, "100", "F", "1", "EDDF"});
  EXPECT_EQ(Findings(h, {kOff, kOff}), "Total flight time");
}

TEST(FlightTimingCheck, CheckAndCorrectionPlaceAWeekStandDifferently) {
  // The first leg leaves day 3 and lands on day 1 of the next week; the
  // second leaves day 2. The check takes the day-1 arrival to lie in the
  // next week (an earlier leg arrives off the first day); the correction
  // does so only when an earlier leg lies after the first day, and none
  // does. The departure lies in the next week for both.
  Flight f = Timed("WEEK", {{"3/10:00:00", "1/08:00:00"}, {"2/09:00:00", "2/10:00:00"}});
  auto check = AnalyzeFlightTimings(f, std::nullopt, {kOff, kOff}, WeekStandRule::Check);
  auto correction = AnalyzeFlightTimings(f, std::nullopt, {kOff, kOff}, WeekStandRule::Correction);
  EXPECT_EQ(check.stands[1], 86400 + 3600);
  EXPECT_EQ(correction.stands[1], 8 * 86400 + 3600);
  // Both agree on a plain stand within one day.
  Flight g = Timed("WEEK", {{"1/08:00:00", "1/09:00:00"}, {"4/08:00:00", "4/09:00:00"}});
  EXPECT_EQ(AnalyzeFlightTimings(g, std::nullopt, {kOff, kOff}, WeekStandRule::Check).stands[1], 3 * 86400 - 3600);
  EXPECT_EQ(AnalyzeFlightTimings(g, std::nullopt, {kOff, kOff}, WeekStandRule::Correction).stands[1],
            3 * 86400 - 3600);
}

TEST(FlightTimingCheck, TimesThatDoNotReadAreLeftOut) {
  Flight f = Timed("24Hr", {{"08:00:00", "10:00:00"}, {"xx", "13:00:00"}});
  FlightTimingReport r = AnalyzeFlightTimings(f, 24, {30, kOff}, WeekStandRule::Check);
  EXPECT_FALSE(r.stands[1].has_value());
  EXPECT_EQ(r.cycle, 7200);
  EXPECT_EQ(Findings(f, {30, kOff}), "");
  // A period without a number: no cycle or final-stand judgement.
  Flight g = Timed("dailyHr", {{"00:00:00", "23:59:00"}});
  EXPECT_EQ(Findings(g, {kOff, 1}), "");
  EXPECT_EQ(PeriodHours("12Hr"), 12);
  EXPECT_EQ(PeriodHours("Hr"), std::nullopt);
}

// ---- Correction ----------------------------------------------------------------

struct StandCase {
  const char* departure;  // after an arrival at 10:00:00
  TurnAroundLimits limits;
  const char* corrected;
};

TEST(FlightTimingCorrection, StandsMoveToTheirLimits) {
  const StandCase cases[] = {
      {"10:30:59", {30, kOff}, "10:32:00"},  // 30 min 59 s -> minimum + 2 minutes
      {"10:31:00", {30, kOff}, "10:31:00"},  // 31 min: unchanged
      {"13:59:00", {kOff, 4}, "13:59:00"},   // 3 h 59 min: unchanged
      {"13:59:01", {kOff, 4}, "13:58:00"},   // 3 h 59 min 1 s -> 3 h 58 min
  };
  for (const StandCase& c : cases) {
    Flight f = Timed("24Hr", {{"08:00:00", "10:00:00"}, {c.departure, "15:00:00"}});
    ASSERT_TRUE(CorrectFlightTimes(f, c.limits));
    EXPECT_EQ(f.Legs[1].DepartureTime, c.corrected) << c.departure;
    // The leg's arrival moves with its departure.
    auto shift = [](const std::string& t) {
      return std::stoi(t.substr(0, 2)) * 3600 + std::stoi(t.substr(3, 2)) * 60 + std::stoi(t.substr(6, 2));
    };
    EXPECT_EQ(shift(f.Legs[1].ArrivalTime) - shift(f.Legs[1].DepartureTime), shift("15:00:00") - shift(c.departure));
  }
}

TEST(FlightTimingCorrection, ShortestPeriodThatHoldsTheCycle) {
  struct Case {
    const char* arrival;  // of a one-leg flight leaving at 00:00:00
    int minimum;
    const char* period;
  };
  const Case cases[] = {
      {"01:29:59", 30, "2Hr"},  // 5399 s
      {"01:30:00", 30, "4Hr"},  // 5400 s
      {"01:59:59", kOff, "2Hr"},  // 7199 s
      {"00:29:59", 30, "1Hr"},
      {"00:30:00", 30, "2Hr"},
  };
  for (const Case& c : cases) {
    Flight f = Timed("24Hr", {{"00:00:00", c.arrival}});
    ASSERT_TRUE(CorrectFlightTimes(f, {c.minimum, kOff}));
    EXPECT_EQ(f.Period, c.period) << c.arrival;
  }
}

TEST(FlightTimingCorrection, ATooLongCycleIsCompactedOnce) {
  // Three legs of seven hours with long stands: no period holds them.
  Flight f = Timed("24Hr", {{"00:00:00", "07:00:00"}, {"10:00:00", "17:00:00"}, {"20:00:00", "03:00:00"}});
  ASSERT_TRUE(CorrectFlightTimes(f, {30, kOff}));
  EXPECT_EQ(f.Period, "24Hr");
  EXPECT_EQ(f.Legs[1].DepartureTime, "07:32:00");
  EXPECT_EQ(f.Legs[1].ArrivalTime, "14:32:00");
  EXPECT_EQ(f.Legs[2].DepartureTime, "15:04:00");
  EXPECT_EQ(f.Legs[2].ArrivalTime, "22:04:00");
  // Still more than a day less the minimum: it stays "24Hr" all the same.
  Flight g = Timed("1Hr", {{"00:00:00", "23:00:00"}, {"23:10:00", "10:00:00"}});
  ASSERT_TRUE(CorrectFlightTimes(g, {kOff, kOff}));
  EXPECT_EQ(g.Period, "24Hr");
  EXPECT_EQ(g.Legs[1].DepartureTime, "23:02:00");  // two minutes when the minimum is off
}

TEST(FlightTimingCorrection, WeekFlights) {
  // Leg 0 departs day 5; the previous arrival 6/23:45 and the departure
  // 0/00:05 stand 20 minutes apart, below a minimum of 30.
  Flight f = Timed("WEEK", {{"5/20:00:00", "6/23:45:00"}, {"0/00:05:00", "0/01:30:00"}});
  ASSERT_TRUE(CorrectFlightTimes(f, {30, kOff}));
  EXPECT_EQ(f.Legs[1].DepartureTime, "0/00:17:00");
  EXPECT_EQ(f.Legs[1].ArrivalTime, "0/01:42:00");
  EXPECT_EQ(f.Period, "WEEK");

  // A departure before the previous arrival: 47 minutes with the minimum
  // off, 32 with a minimum of 30.
  for (auto [minimum, expected] : {std::pair{kOff, "1/10:47:00"}, std::pair{30, "1/10:32:00"}}) {
    Flight g = Timed("WEEK", {{"1/08:00:00", "1/10:00:00"}, {"1/09:00:00", "1/11:00:00"}});
    ASSERT_TRUE(CorrectFlightTimes(g, {minimum, kOff}));
    EXPECT_EQ(g.Legs[1].DepartureTime, expected);
  }
}

TEST(FlightTimingCorrection, WeekDaysStayInTheWeek) {
  // The moved leg arrives at 6/23:55 and is moved by a week and twelve
  // minutes: its new arrival lies eight midnights later. The day must come
  // out as 0, not 7.
  Flight f = Timed("WEEK", {{"5/20:00:00", "6/23:45:00"}, {"0/00:05:00", "6/23:55:00"}});
  ASSERT_TRUE(CorrectFlightTimes(f, {30, kOff}));
  EXPECT_EQ(f.Legs[1].DepartureTime, "0/00:17:00");
  EXPECT_EQ(f.Legs[1].ArrivalTime, "0/00:07:00");
  for (const FlightLeg& leg : f.Legs)
    for (const std::string* t : {&leg.DepartureTime, &leg.ArrivalTime}) EXPECT_LE((*t)[0], '6') << *t;
}

TEST(FlightTimingCorrection, AFlightWithATimeThatDoesNotReadIsLeftAlone) {
  Flight f = Timed("24Hr", {{"08:00:00", "10:00:00"}, {"10:05", "later"}});
  Flight before = f;
  EXPECT_FALSE(CorrectFlightTimes(f, {30, kOff}));
  EXPECT_EQ(f, before);
  Flight w = Timed("WEEK", {{"5/20:00:00", "6/23:45:00"}, {"0/00:05:00", "01:30:00"}});
  Flight wBefore = w;
  EXPECT_FALSE(CorrectFlightTimes(w, {30, kOff}));
  EXPECT_EQ(w, wBefore);
}

}  // namespace
}  // namespace velk
