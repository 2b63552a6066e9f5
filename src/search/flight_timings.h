#pragma once
// Timing of one flight against the turn-around limits and its period: the
// stand on the ground before each leg, the length of one cycle, and the
// final stand from the last arrival to the first departure of the next
// cycle. The Edit Flight dialog's time warnings are built on it, with the
// period hours of its own period box and WeekStandRule::Correction.
// Everything here works on one Flight and the limits passed in: no globals,
// no window.
//
// Times are whole seconds. Hour flights ("1Hr".."24Hr") keep "hh:mm:ss"
// times of day; week flights (period "WEEK" in any case) keep "d/hh:mm:ss",
// d being a day digit 0 to 6. A week flight's times are placed on a week
// axis at (d + 1) days, or at (d + 8) days when they are taken to lie in the
// week after that of the first departure.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/plan_records.h"
#include "data/program_state.h"

namespace velk {

// The turn-around limits; kTurnAroundOff switches a limit off.
struct TurnAroundLimits {
  int minMinutes = kTurnAroundOff;  // shortest stand allowed, minutes
  int maxHours = kTurnAroundOff;    // longest stand allowed, hours
};

// How a week flight's stand is placed on the week axis. The plan-wide
// check uses Check; the correction and the flight editor use Correction.
// The two differ only in when the previous arrival counts as lying in the
// next week.
enum class WeekStandRule { Check, Correction };

enum class StandFinding { None, DepartEarlier, BelowMinimum, AboveMaximum };

// True for the period "WEEK" in any case.
bool IsWeekPeriod(std::string_view period);
// Hours of an hour period: the text without its last two characters as a
// whole number ("12Hr" -> 12); nothing when that is not a number above 0.
std::optional<int> PeriodHours(std::string_view period);

// Classifies a stand before a leg: negative, shorter than the minimum
// (minMinutes x 60 - 1 seconds or less) or longer than the maximum (more
// than maxHours x 3600 seconds).
StandFinding ClassifyStand(long long seconds, const TurnAroundLimits& limits);

struct FlightTimingReport {
  bool weekly = false;
  // Per leg index: the stand before that leg in seconds (leg 0 has none),
  // nothing where a time did not read; and its finding.
  std::vector<std::optional<long long>> stands;
  std::vector<StandFinding> standFindings;
  // Seconds of one cycle: every stand and every leg time that could be read.
  long long cycle = 0;
  // The cycle is at least the period (or one week); false when the period
  // of an hour flight is unknown.
  bool cycleTooLong = false;
  // The final stand, nothing when it could not be computed; its finding is
  // never DepartEarlier (a negative final stand gives none).
  std::optional<long long> endStand;
  StandFinding endFinding = StandFinding::None;
};

// Works through one cycle of `flight`. `periodHours` is the period of an
// hour flight (nothing: no cycle and final-stand judgement); it is not used
// for a week flight. A time that does not read leaves out every comparison
// it takes part in.
FlightTimingReport AnalyzeFlightTimings(const Flight& flight, std::optional<int> periodHours,
                                        const TurnAroundLimits& limits, WeekStandRule rule);

}  // namespace velk
