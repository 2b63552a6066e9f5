#include "search/flight_timings.h"

#include <cstdlib>

#include "data/text_number.h"
#include "data/times_zones.h"

namespace velk {
namespace {

constexpr long long kDay = 86400;
constexpr long long kWeek = 7 * kDay;

bool MinOn(const TurnAroundLimits& l) { return l.minMinutes != kTurnAroundOff; }
bool MaxOn(const TurnAroundLimits& l) { return l.maxHours != kTurnAroundOff; }

// Seconds past midnight of an "hh:mm:ss" text.
std::optional<long long> DayTime(std::string_view text) {
  auto t = ParseTimeText(text);
  if (!t) return std::nullopt;
  return SecondsOfDay(*t);
}

// A "d/hh:mm:ss" text: the day digit is the first character, the time of day
// the text from the third character on.
struct WeekTime {
  int day = 0;
  long long time = 0;
};
std::optional<WeekTime> ReadWeekTime(std::string_view text) {
  if (text.size() < 3 || text[0] < '0' || text[0] > '6') return std::nullopt;
  auto t = DayTime(text.substr(2));
  if (!t) return std::nullopt;
  return WeekTime{text[0] - '0', *t};
}

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

// The readable times of a week flight's legs.
struct WeekLegs {
  std::vector<std::optional<WeekTime>> dep, arr;
  explicit WeekLegs(const Flight& f) {
    for (const FlightLeg& leg : f.Legs) {
      dep.push_back(ReadWeekTime(leg.DepartureTime));
      arr.push_back(ReadWeekTime(leg.ArrivalTime));
    }
  }
  bool DayAbove(const std::optional<WeekTime>& t, int f) const { return t && t->day > f; }
  // Some leg in [from, to] (walking either way) departs or arrives on a day
  // after f.
  bool AnyAfter(int from, int to, int f) const {
    int step = from <= to ? 1 : -1;
    for (int k = from; k != to + step; k += step)
      if (DayAbove(arr[k], f) || DayAbove(dep[k], f)) return true;
    return false;
  }
  // The check's own variant: some leg arrives on another day than f or
  // departs after it.
  bool AnyOffFirstDay(int from, int f) const {
    for (int k = from; k >= 0; --k)
      if ((arr[k] && arr[k]->day != f) || DayAbove(dep[k], f)) return true;
    return false;
  }
};

// Placed previous arrival and departure of the stand before leg i (i >= 1),
// in seconds on the week axis. Nothing when a time involved does not read.
struct PlacedStand {
  long long arrival = 0;
  long long departure = 0;
};
std::optional<PlacedStand> PlaceWeekStand(const WeekLegs& w, int i, WeekStandRule rule) {
  const auto& prevArr = w.arr[i - 1];
  const auto& dep = w.dep[i];
  const auto& first = w.dep[0];
  if (!prevArr || !dep || !first) return std::nullopt;
  int a = prevArr->day;
  int d = dep->day;
  int f = first->day;
  int last = static_cast<int>(w.dep.size()) - 1;

  long long arrivalDays = 1;
  if (d < a && a < f) {
    arrivalDays = 8;
  } else if (rule == WeekStandRule::Check && d > a && a <= f) {
    arrivalDays = w.AnyOffFirstDay(i - 1, f) ? 8 : 1;
  } else if (rule == WeekStandRule::Correction && d != a && a <= f) {
    arrivalDays = w.AnyAfter(i - 1, 0, f) ? 8 : 1;
  }
  long long departureDays = 1;
  if (d < a && d < f) {
    departureDays = 8;
  } else if (d != a && d <= f) {
    departureDays = (i + 1 <= last && w.AnyAfter(i + 1, last, f)) ? 1 : 8;
  }
  return PlacedStand{(a + arrivalDays) * kDay + prevArr->time, (d + departureDays) * kDay + dep->time};
}

// Leg time of a week leg: the departure at its day + 1, the arrival at its
// day + 8 when its day digit is smaller, else at its day + 1.
std::optional<long long> WeekLegTime(const WeekLegs& w, int i) {
  if (!w.dep[i] || !w.arr[i]) return std::nullopt;
  long long dep = (w.dep[i]->day + 1) * kDay + w.dep[i]->time;
  long long arrDays = w.arr[i]->day < w.dep[i]->day ? 8 : 1;
  long long arr = (w.arr[i]->day + arrDays) * kDay + w.arr[i]->time;
  return arr - dep;
}

StandFinding ClassifyEndStand(long long seconds, const TurnAroundLimits& limits) {
  if (seconds < 0) return StandFinding::None;
  return ClassifyStand(seconds, limits);
}

void AnalyzeWeek(const Flight& f, const TurnAroundLimits& limits, WeekStandRule rule, FlightTimingReport& r) {
  WeekLegs w(f);
  for (int i = 0; i < f.LegCount(); ++i) {
    if (i >= 1) {
      if (auto placed = PlaceWeekStand(w, i, rule)) {
        long long stand = placed->departure - placed->arrival;
        r.stands[i] = stand;
        r.standFindings[i] = ClassifyStand(stand, limits);
        r.cycle += std::llabs(stand);
      }
    }
    if (auto legTime = WeekLegTime(w, i)) r.cycle += std::llabs(*legTime);
  }
  r.cycleTooLong = r.cycle >= kWeek;
  r.endStand = kWeek - r.cycle;
  r.endFinding = ClassifyEndStand(*r.endStand, limits);
}

void AnalyzeHours(const Flight& f, std::optional<int> hours, const TurnAroundLimits& limits,
                  FlightTimingReport& r) {
  for (int i = 0; i < f.LegCount(); ++i) {
    const FlightLeg& leg = f.Legs[i];
    if (i >= 1) {
      auto arrival = DayTime(f.Legs[i - 1].ArrivalTime);
      auto departure = DayTime(leg.DepartureTime);
      if (arrival && departure) {
        if (*departure < *arrival) *departure += kDay;
        long long stand = *departure - *arrival;
        r.stands[i] = stand;
        r.standFindings[i] = ClassifyStand(stand, limits);
        r.cycle += stand;
      }
    }
    auto departure = DayTime(leg.DepartureTime);
    auto arrival = DayTime(leg.ArrivalTime);
    if (departure && arrival) {
      if (*arrival < *departure) *arrival += kDay;
      r.cycle += *arrival - *departure;
    }
  }
  if (!hours || f.Legs.empty()) return;
  long long period = static_cast<long long>(*hours) * 3600;
  r.cycleTooLong = r.cycle >= period;
  auto lastArrival = DayTime(f.Legs.back().ArrivalTime);
  auto firstDeparture = DayTime(f.Legs.front().DepartureTime);
  if (!lastArrival || !firstDeparture) return;
  long long a = *lastArrival + kDay;
  long long b = *firstDeparture + period;
  if (b < a) b += kDay;
  r.endStand = std::llabs(b - a);
  r.endFinding = ClassifyEndStand(*r.endStand, limits);
}

// The departure that repairs a stand from arrival p to departure d, or
// nothing when the stand is within the limits.
std::optional<long long> CorrectedDeparture(long long p, long long d, const TurnAroundLimits& limits) {
  long long s = d - p;
  long long minimum = static_cast<long long>(limits.minMinutes) * 60;
  if (s >= 0 && MinOn(limits) && s <= minimum + 59) return p + minimum + 120;
  if (s >= 0 && MaxOn(limits) && s > static_cast<long long>(limits.maxHours) * 3600 - 60)
    return p + static_cast<long long>(limits.maxHours) * 3600 - 120;
  if (s < 0) return p + (MinOn(limits) ? minimum + 120 : 2820);
  return std::nullopt;
}

bool AllTimesRead(const Flight& f, bool weekly) {
  for (const FlightLeg& leg : f.Legs) {
    for (const std::string* t : {&leg.DepartureTime, &leg.ArrivalTime}) {
      bool ok = weekly ? ReadWeekTime(*t).has_value() : DayTime(*t).has_value();
      if (!ok) return false;
    }
  }
  return true;
}

std::string WeekText(int day, long long seconds) {
  return std::to_string(day) + "/" + FormatTimeHMS(DateTime{seconds});
}

void CorrectWeek(Flight& f, const TurnAroundLimits& limits) {
  for (int i = 1; i < f.LegCount(); ++i) {
    // Read again for every leg: earlier legs may have moved.
    WeekLegs w(f);
    auto placed = PlaceWeekStand(w, i, WeekStandRule::Correction);
    if (!placed) continue;
    auto newDeparture = CorrectedDeparture(placed->arrival, placed->departure, limits);
    if (!newDeparture) continue;
    int a = w.arr[i - 1]->day;
    int depDay = WeekDay(a + FloorDiv(*newDeparture, kDay) - FloorDiv(placed->arrival, kDay));
    long long oldDeparture = (w.dep[i]->day + 1) * kDay + w.dep[i]->time;
    long long shift = *newDeparture - oldDeparture;
    long long oldArrival = (w.arr[i]->day + 1) * kDay + w.arr[i]->time;
    long long newArrival = oldArrival + shift;
    int arrDay = WeekDay(w.arr[i]->day + FloorDiv(newArrival, kDay) - FloorDiv(oldArrival, kDay));
    FlightLeg& leg = f.Legs[i];
    leg.DepartureTime = WeekText(depDay, *newDeparture);
    leg.ArrivalTime = WeekText(arrDay, newArrival);
  }
}

// Moves leg i's departure to `departure` (seconds from the base day) and its
// arrival by the same amount.
void MoveLeg(FlightLeg& leg, long long oldDeparture, long long departure) {
  long long shift = departure - oldDeparture;
  long long arrival = *DayTime(leg.ArrivalTime) + shift;
  leg.DepartureTime = FormatTimeHMS(DateTime{departure});
  leg.ArrivalTime = FormatTimeHMS(DateTime{arrival});
}

// One pass over an hour flight: repairs the stands and returns the cycle.
long long CorrectHourStands(Flight& f, const TurnAroundLimits& limits) {
  long long cycle = 0;
  for (int i = 0; i < f.LegCount(); ++i) {
    FlightLeg& leg = f.Legs[i];
    if (i >= 1) {
      long long p = *DayTime(f.Legs[i - 1].ArrivalTime);
      long long d = *DayTime(leg.DepartureTime);
      if (d < p) d += kDay;
      long long stand = d - p;
      if (auto corrected = CorrectedDeparture(p, d, limits)) {
        MoveLeg(leg, d, *corrected);
        stand = *corrected - p;
      }
      cycle += std::llabs(stand);
    }
    long long dep = *DayTime(leg.DepartureTime);
    long long arr = *DayTime(leg.ArrivalTime);
    if (arr < dep) arr += kDay;
    cycle += std::llabs(arr - dep);
  }
  return cycle;
}

void CorrectHours(Flight& f, const TurnAroundLimits& limits) {
  const long long m = MinOn(limits) ? limits.minMinutes : 0;
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
      long long departure = *DayTime(f.Legs[i - 1].ArrivalTime) + m * 60 + 120;
      MoveLeg(f.Legs[i], *DayTime(f.Legs[i].DepartureTime), departure);
    }
    compacted = true;
  }
}

}  // namespace

bool IsWeekPeriod(std::string_view period) { return EqualsNoCase(period, "WEEK"); }

std::optional<int> PeriodHours(std::string_view period) {
  if (period.size() < 2) return std::nullopt;
  auto hours = text_number::ParseInt32(period.substr(0, period.size() - 2));
  if (!hours || *hours < 1) return std::nullopt;
  return *hours;
}

StandFinding ClassifyStand(long long seconds, const TurnAroundLimits& limits) {
  if (seconds < 0) return StandFinding::DepartEarlier;
  if (MinOn(limits) && seconds <= static_cast<long long>(limits.minMinutes) * 60 - 1)
    return StandFinding::BelowMinimum;
  if (MaxOn(limits) && seconds > static_cast<long long>(limits.maxHours) * 3600) return StandFinding::AboveMaximum;
  return StandFinding::None;
}

FlightTimingReport AnalyzeFlightTimings(const Flight& flight, std::optional<int> periodHours,
                                        const TurnAroundLimits& limits, WeekStandRule rule) {
  FlightTimingReport r;
  r.weekly = IsWeekPeriod(flight.Period);
  r.stands.assign(flight.Legs.size(), std::nullopt);
  r.standFindings.assign(flight.Legs.size(), StandFinding::None);
  if (r.weekly)
    AnalyzeWeek(flight, limits, rule, r);
  else
    AnalyzeHours(flight, periodHours, limits, r);
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
