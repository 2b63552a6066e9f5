#include "data/flight_timings.h"

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

using WeekTimes = std::vector<std::optional<WeekTime>>;

// The previous arrival and the departure of the stand before leg i (i >= 1),
// placed on the week axis; nothing when a time involved does not read.
struct PlacedStand {
  long long arrival = 0;
  long long departure = 0;
};
std::optional<PlacedStand> PlaceWeekStand(const WeekTimes& deps, const WeekTimes& arrs, int i,
                                          WeekStandRule rule) {
  int n = static_cast<int>(deps.size());
  if (!deps[0] || !arrs[i - 1] || !deps[i]) return std::nullopt;
  const WeekTime& previous = *arrs[i - 1];
  const WeekTime& departure = *deps[i];
  int a = previous.day;
  int b = departure.day;
  int f = deps[0]->day;
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
  return PlacedStand{Place(previous, kA), Place(departure, kD)};
}

void ReadWeekTimes(const Flight& flight, WeekTimes& deps, WeekTimes& arrs) {
  deps.clear();
  arrs.clear();
  for (const FlightLeg& leg : flight.Legs) {
    deps.push_back(ReadWeekTime(leg.DepartureTime));
    arrs.push_back(ReadWeekTime(leg.ArrivalTime));
  }
}

void AnalyzeWeekFlight(const Flight& flight, const TurnAroundLimits& limits, WeekStandRule rule,
                       FlightTimingReport& r) {
  int n = flight.LegCount();
  WeekTimes deps, arrs;
  ReadWeekTimes(flight, deps, arrs);
  for (int i = 0; i < n; ++i) {
    if (i > 0) {
      if (auto placed = PlaceWeekStand(deps, arrs, i, rule)) {
        long long stand = placed->departure - placed->arrival;
        r.stands[i] = stand;
        r.standFindings[i] = ClassifyStand(stand, limits);
        r.cycle += std::llabs(stand);
      }
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

// ---- Correction ---------------------------------------------------------------

long long FloorDiv(long long a, long long b) {
  long long q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// A day digit brought into 0..6 by a true modulo, so that a shift of more
// than a week can never write a digit the compiler rejects.
int WeekDay(long long day) {
  long long d = day % 7;
  if (d < 0) d += 7;
  return static_cast<int>(d);
}

// The departure that repairs a stand from arrival p to departure d, or
// nothing when the stand is within the limits.
std::optional<long long> CorrectedDeparture(long long p, long long d, const TurnAroundLimits& limits) {
  long long s = d - p;
  long long minimum = static_cast<long long>(limits.minMinutes) * 60;
  bool minOn = limits.minMinutes != kTurnAroundOff;
  bool maxOn = limits.maxHours != kTurnAroundOff;
  if (s >= 0 && minOn && s <= minimum + 59) return p + minimum + 120;
  if (s >= 0 && maxOn && s > static_cast<long long>(limits.maxHours) * 3600 - 60)
    return p + static_cast<long long>(limits.maxHours) * 3600 - 120;
  if (s < 0) return p + (minOn ? minimum + 120 : 2820);
  return std::nullopt;
}

// Every time of the flight reads; a week flight's times carry their day, as
// the correction writes them back with one.
bool AllTimesRead(const Flight& f, bool weekly) {
  for (const FlightLeg& leg : f.Legs) {
    for (const std::string* t : {&leg.DepartureTime, &leg.ArrivalTime}) {
      bool ok = weekly ? (t->size() >= 2 && (*t)[1] == '/' && ReadWeekTime(*t)) : Clock(*t).has_value();
      if (!ok) return false;
    }
  }
  return true;
}

std::string WeekText(int day, long long seconds) {
  return std::to_string(day) + "/" + FormatTimeHMS(DateTime{seconds});
}

void CorrectWeek(Flight& f, const TurnAroundLimits& limits) {
  WeekTimes deps, arrs;
  for (int i = 1; i < f.LegCount(); ++i) {
    // Read again for every leg: the earlier legs may have moved.
    ReadWeekTimes(f, deps, arrs);
    auto placed = PlaceWeekStand(deps, arrs, i, WeekStandRule::Correction);
    if (!placed) continue;
    auto newDeparture = CorrectedDeparture(placed->arrival, placed->departure, limits);
    if (!newDeparture) continue;
    int depDay = WeekDay(arrs[i - 1]->day + FloorDiv(*newDeparture, kDay) - FloorDiv(placed->arrival, kDay));
    long long shift = *newDeparture - Place(*deps[i], 1);
    long long oldArrival = Place(*arrs[i], 1);
    long long newArrival = oldArrival + shift;
    int arrDay = WeekDay(arrs[i]->day + FloorDiv(newArrival, kDay) - FloorDiv(oldArrival, kDay));
    f.Legs[i].DepartureTime = WeekText(depDay, *newDeparture);
    f.Legs[i].ArrivalTime = WeekText(arrDay, newArrival);
  }
}

// Moves a leg's departure to `departure` (seconds from the base day) and its
// arrival by the same amount.
void MoveLeg(FlightLeg& leg, long long oldDeparture, long long departure) {
  long long arrival = *Clock(leg.ArrivalTime) + departure - oldDeparture;
  leg.DepartureTime = FormatTimeHMS(DateTime{departure});
  leg.ArrivalTime = FormatTimeHMS(DateTime{arrival});
}

// One pass over an hour flight: repairs the stands and returns the cycle.
long long CorrectHourStands(Flight& f, const TurnAroundLimits& limits) {
  long long cycle = 0;
  for (int i = 0; i < f.LegCount(); ++i) {
    FlightLeg& leg = f.Legs[i];
    if (i >= 1) {
      long long p = *Clock(f.Legs[i - 1].ArrivalTime);
      long long d = *Clock(leg.DepartureTime);
      if (d < p) d += kDay;
      long long stand = d - p;
      if (auto corrected = CorrectedDeparture(p, d, limits)) {
        MoveLeg(leg, d, *corrected);
        stand = *corrected - p;
      }
      cycle += std::llabs(stand);
    }
    long long dep = *Clock(leg.DepartureTime);
    long long arr = *Clock(leg.ArrivalTime);
    if (arr < dep) arr += kDay;
    cycle += std::llabs(arr - dep);
  }
  return cycle;
}

void CorrectHours(Flight& f, const TurnAroundLimits& limits) {
  const long long m = limits.minMinutes != kTurnAroundOff ? limits.minMinutes : 0;
  bool compacted = false;
  for (;;) {
    long long cycle = CorrectHourStands(f, limits);
    for (int hours : {1, 2, 4, 6, 8, 12, 24}) {
      long long limit = (60LL * hours - m) * 60 - 1;
      if (cycle >= 0 && cycle <= limit) {
        f.Period = std::to_string(hours) + "Hr";
        return;
      }
    }
    f.Period = "24Hr";
    if (compacted) return;
    for (int i = 1; i < f.LegCount(); ++i) {
      long long departure = *Clock(f.Legs[i - 1].ArrivalTime) + m * 60 + 120;
      MoveLeg(f.Legs[i], *Clock(f.Legs[i].DepartureTime), departure);
    }
    compacted = true;
  }
}

}  // namespace

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

bool CheckFlightTimings(const Flight& flight, const TurnAroundLimits& limits, std::string& findings) {
  findings.clear();
  FlightTimingReport r = AnalyzeFlightTimings(flight, PeriodHours(flight.Period), limits, WeekStandRule::Check);
  // Slot 0 is the cycle; the others follow the StandFinding values.
  bool seen[4] = {r.cycleTooLong, false, false, false};
  auto mark = [&](StandFinding s) {
    if (s != StandFinding::None) seen[static_cast<int>(s)] = true;
  };
  for (StandFinding s : r.standFindings) mark(s);
  mark(r.endFinding);
  const char* texts[4] = {kTotalFlightTimeFinding, kDepartEarlierFinding, kMinTurnAroundFinding,
                          kMaxTurnAroundFinding};
  for (int k = 0; k < 4; ++k) {
    if (!seen[k]) continue;
    if (!findings.empty()) findings += kFindingSeparator;
    findings += texts[k];
  }
  return findings.empty();
}

bool CorrectFlightTimes(Flight& flight, const TurnAroundLimits& limits) {
  bool weekly = IsWeekPeriod(flight.Period);
  if (!AllTimesRead(flight, weekly)) return false;
  if (weekly)
    CorrectWeek(flight, limits);
  else
    CorrectHours(flight, limits);
  return true;
}

}  // namespace velk
