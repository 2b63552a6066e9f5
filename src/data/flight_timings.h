#pragma once
// Timing of one flight against the turn-around limits and its period: the
// stand on the ground before each leg, the length of one cycle, and the
// final stand from the last arrival to the first departure of the next
// cycle. Shared by Tools > Analyze > "Incorrect Flight Times"
// (CheckFlightTimings), Tools > "Correct Flight Times" (CorrectFlightTimes)
// and the Edit Flight dialog's time warnings, which call
// AnalyzeFlightTimings with the period hours of its own period box and
// WeekStandRule::Correction. Everything here works on one Flight and the
// limits passed in: no globals, no window.
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

// The findings of CheckFlightTimings, in the order they are reported.
inline constexpr const char* kTotalFlightTimeFinding = "Total flight time";
inline constexpr const char* kDepartEarlierFinding = "Depart earlier than arrival";
inline constexpr const char* kMinTurnAroundFinding = "min. Turn-Around";
inline constexpr const char* kMaxTurnAroundFinding = "max. Turn-Around";
inline constexpr const char* kFindingSeparator = " | ";

// How a week flight's stand is placed on the week axis. The Analyze report
// uses Check; the correction and the flight editor use Correction. The two
// differ only in when the previous arrival counts as lying in the next week.
enum class WeekStandRule { Check, Correction };

enum class StandFinding { None, DepartEarlier, BelowMinimum, AboveMaximum };

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

// The Analyze report's test: true when nothing was found. `findings` is
// emptied, then receives each finding once in the order of the k...Finding
// constants, separated by kFindingSeparator.
bool CheckFlightTimings(const Flight& flight, const TurnAroundLimits& limits, std::string& findings);

// Moves departures (and with them the arrivals of the same legs) so that
// every stand respects the limits, judging each leg against the previous
// one as already corrected. An hour flight then gets the shortest period of
// "1Hr".."24Hr" that holds its cycle and a final stand longer than the
// minimum; one that fits none is compacted once (every stand set to the
// minimum plus two minutes) and gets "24Hr". A week flight keeps its period
// and final stand. A flight with a time that does not read is left as it
// is. True when the flight was looked at (all its times read).
bool CorrectFlightTimes(Flight& flight, const TurnAroundLimits& limits);

}  // namespace velk
