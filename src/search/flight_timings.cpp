#include "search/flight_timings.h"

#include <cstdlib>

#include "data/text_number.h"
#include "data/times_zones.h"
#include "platform/ascii_text.h"

namespace velk {
namespace {

constexpr long long kDay = 86400;
constexpr long long kWeek = 7 * kDay;

// A time of day in seconds, or nothing when the text is no time.
std::optional<long long> Clock(std::string_view text) {
  auto t = ParseTimeText(text);
  if (!t) return std::nullopt;
  return SecondsOfDay(*t);
}

// A week time: its day digit and its time of day. A time without a day
// counts as day 0.
struct WeekTime {
  int day = 0;
  long long clock = 0;
};
std::optional<WeekTime> ReadWeekTime(std::string_view text) {
  WeekTime w;
  if (text.size() >= 2 && text[1] == '/') {
    if (text[0] < '0' || text[0] > '6') return std::nullopt;
    w.day = text[0] - '0';
    text.remove_prefix(2);
  } else if (text.find('/') != std::string_view::npos) {
    return std::nullopt;
  }
  auto c = Clock(text);
  if (!c) return std::nullopt;
  w.clock = *c;
  return w;
}

// A week time placed `offset` days on from its own day.
long long Place(const WeekTime& t, int offset) { return t.clock + (t.day + offset) * kDay; }

StandFinding ClassifyFinalStand(long long seconds, const TurnAroundLimits& limits) {
  return seconds < 0 ? StandFinding::None : ClassifyStand(seconds, limits);
}

void AnalyzeHourFlight(const Flight& flight, std::optional<int> periodHours, const TurnAroundLimits& limits,
                       FlightTimingReport& r) {
  int n = flight.LegCount();
  for (int i = 0; i < n; ++i) {
    auto departure = Clock(flight.Legs[i].DepartureTime);
    auto arrival = Clock(flight.Legs[i].ArrivalTime);
    if (i > 0) {
      auto previous = Clock(flight.Legs[i - 1].ArrivalTime);
      if (previous && departure) {
        // A departure earlier on the clock than the previous arrival is on
        // the next day: an hour flight's stand is never negative.
        long long d = *departure < *previous ? *departure + kDay : *departure;
        long long stand = d - *previous;
        r.stands[i] = stand;
        r.standFindings[i] = ClassifyStand(stand, limits);
        r.cycle += stand;
      }
    }
    if (departure && arrival) r.cycle += (*arrival < *departure ? *arrival + kDay : *arrival) - *departure;
  }
  if (!periodHours || n == 0) return;
  long long period = static_cast<long long>(*periodHours) * 3600;
  r.cycleTooLong = r.cycle >= period;
  auto last = Clock(flight.Legs[n - 1].ArrivalTime);
  auto first = Clock(flight.Legs[0].DepartureTime);
  if (!last || !first) return;
  long long a = *last + kDay;
  long long b = *first + period;
  if (b < a) b += kDay;
  r.endStand = std::llabs(b - a);
  r.endFinding = ClassifyFinalStand(*r.endStand, limits);
}

// Whether some leg in [from, to] (walking in either direction) has a day
// after `first` in its arrival or departure.
bool LaterDayBetween(const std::vector<std::optional<WeekTime>>& deps, const std::vector<std::optional<WeekTime>>& arrs,
                     int from, int to, int first) {
  int step = from <= to ? 1 : -1;
  for (int j = from; j != to + step; j += step) {
    if ((arrs[j] && arrs[j]->day > first) || (deps[j] && deps[j]->day > first)) return true;
  }
  return false;
}

// The plan-wide check's variant: a leg whose arrival day is not the first
// departure's day, or whose departure day is later.
bool OtherDayBefore(const std::vector<std::optional<WeekTime>>& deps, const std::vector<std::optional<WeekTime>>& arrs,
                    int from, int first) {
  for (int j = from; j >= 0; --j) {
    if ((arrs[j] && arrs[j]->day != first) || (deps[j] && deps[j]->day > first)) return true;
  }
  return false;
}

void AnalyzeWeekFlight(const Flight& flight, const TurnAroundLimits& limits, WeekStandRule rule,
                       FlightTimingReport& r) {
  int n = flight.LegCount();
  std::vector<std::optional<WeekTime>> deps(n), arrs(n);
  for (int i = 0; i < n; ++i) {
    deps[i] = ReadWeekTime(flight.Legs[i].DepartureTime);
    arrs[i] = ReadWeekTime(flight.Legs[i].ArrivalTime);
  }
  std::optional<int> first;
  if (n > 0 && deps[0]) first = deps[0]->day;
  for (int i = 0; i < n; ++i) {
    if (i > 0 && first && arrs[i - 1] && deps[i]) {
      const WeekTime& previous = *arrs[i - 1];
      const WeekTime& departure = *deps[i];
      int a = previous.day;
      int b = departure.day;
      int f = *first;
      int kA = 1;
      if (a < f && b < a) {
        kA = 8;
      } else if (rule == WeekStandRule::Correction ? (a <= f && a != b) : (b > a && a <= f)) {
        bool later = rule == WeekStandRule::Correction ? LaterDayBetween(deps, arrs, i - 1, 0, f)
                                                       : OtherDayBefore(deps, arrs, i - 1, f);
        kA = later ? 8 : 1;
      }
      int kD = 1;
      if (b < f && b < a) {
        kD = 8;
      } else if (b <= f && a != b) {
        kD = i + 1 <= n - 1 && LaterDayBetween(deps, arrs, i + 1, n - 1, f) ? 1 : 8;
      }
      long long stand = Place(departure, kD) - Place(previous, kA);
      r.stands[i] = stand;
      r.standFindings[i] = ClassifyStand(stand, limits);
      r.cycle += std::llabs(stand);
    }
    if (deps[i] && arrs[i]) {
      // An arrival on an earlier day than its departure lies in the next week.
      long long departure = Place(*deps[i], 1);
      long long arrival = Place(*arrs[i], arrs[i]->day < deps[i]->day ? 8 : 1);
      r.cycle += std::llabs(arrival - departure);
    }
  }
  r.cycleTooLong = r.cycle >= kWeek;
  r.endStand = kWeek - r.cycle;
  r.endFinding = ClassifyFinalStand(*r.endStand, limits);
}

}  // namespace

bool IsWeekPeriod(std::string_view period) { return EqualsNoCase(period, "WEEK"); }

std::optional<int> PeriodHours(std::string_view period) {
  if (period.size() < 3) return std::nullopt;
  std::string_view digits = period.substr(0, period.size() - 2);
  for (char c : digits)
    if (c < '0' || c > '9') return std::nullopt;
  auto hours = text_number::ParseInt32(digits);
  if (!hours || *hours <= 0) return std::nullopt;
  return *hours;
}

StandFinding ClassifyStand(long long seconds, const TurnAroundLimits& limits) {
  if (seconds < 0) return StandFinding::DepartEarlier;
  if (limits.minMinutes != kTurnAroundOff && seconds <= static_cast<long long>(limits.minMinutes) * 60 - 1)
    return StandFinding::BelowMinimum;
  if (limits.maxHours != kTurnAroundOff && seconds > static_cast<long long>(limits.maxHours) * 3600)
    return StandFinding::AboveMaximum;
  return StandFinding::None;
}

FlightTimingReport AnalyzeFlightTimings(const Flight& flight, std::optional<int> periodHours,
                                        const TurnAroundLimits& limits, WeekStandRule rule) {
  FlightTimingReport r;
  r.weekly = IsWeekPeriod(flight.Period);
  r.stands.assign(flight.Legs.size(), std::nullopt);
  r.standFindings.assign(flight.Legs.size(), StandFinding::None);
  if (r.weekly) {
    AnalyzeWeekFlight(flight, limits, rule, r);
  } else {
    AnalyzeHourFlight(flight, periodHours, limits, r);
  }
  return r;
}

}  // namespace velk
