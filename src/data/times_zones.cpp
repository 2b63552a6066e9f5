#include "data/times_zones.h"


#include "data/geodesy.h"
#include "data/plan_records.h"
#include "data/text_number.h"

namespace velk {

const std::array<const char*, 38> kTimeZoneNames = {
    "GMT -12:00", "GMT -11:00", "GMT -10:00", "GMT -09:00", "GMT -08:00", "GMT -07:00",
    "GMT -06:00", "GMT -05:00", "GMT -04:00", "GMT -03:30", "GMT -03:00", "GMT -02:30",
    "GMT -02:00", "GMT -01:00", "GMT",        "GMT +01:00", "GMT +02:00", "GMT +03:00",
    "GMT +03:30", "GMT +04:00", "GMT +04:30", "GMT +05:00", "GMT +05:30", "GMT +05:40",
    "GMT +06:00", "GMT +06:30", "GMT +06:45", "GMT +07:00", "GMT +07:30", "GMT +08:00",
    "GMT +09:00", "GMT +09:30", "GMT +10:00", "GMT +10:30", "GMT +11:00", "GMT +12:00",
    "GMT +13:00", "GMT +14:00"};

const std::array<const char*, 7> kWeekdaySuffixes = {
    " (Sunday)", " (Monday)", " (Tuesday)", " (Wednesday)", " (Thursday)", " (Friday)", " (Saturday)"};

const std::array<const char*, 7> kDayPrefixes = {"0/", "1/", "2/", "3/", "4/", "5/", "6/"};

namespace {

constexpr std::int64_t kDay = 86400;

std::string_view Trim(std::string_view s) { return TrimBlanks(s); }

// Digits only: a zone part carrying its own sign or any other character is
// unreadable and leaves the time unshifted by that part.
std::optional<int> ZonePart(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text.size() > 4) return std::nullopt;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

struct Shift {
  std::string text;  // the shifted time as "HH:MM:SS"
  int dayStep = 0;   // +1, -1 or 0
};

Shift ShiftTime(DateTime time, std::string_view zone, bool reverse) {
  Shift out;
  DateTime t{SecondsOfDay(time)};
  out.text = FormatTimeHMS(t);
  std::string z;
  for (size_t i = 0; i < zone.size();) {
    if (zone.substr(i, 3) == "GMT") {
      i += 3;
    } else {
      z.push_back(zone[i++]);
    }
  }
  std::string_view rest = Trim(z);
  if (rest.empty()) return out;
  int oldHour = SecondsOfDay(t) / 3600;
  bool positive = rest[0] != '-';
  if (reverse) positive = !positive;
  rest.remove_prefix(1);
  size_t colon = rest.find(':');
  if (colon == std::string_view::npos) return out;
  int sign = positive ? 1 : -1;
  if (auto h = ZonePart(rest.substr(0, colon))) t.seconds += sign * static_cast<std::int64_t>(*h) * 3600;
  if (auto m = ZonePart(rest.substr(colon + 1))) t.seconds += sign * static_cast<std::int64_t>(*m) * 60;
  out.text = FormatTimeHMS(t);
  int newHour = SecondsOfDay(t) / 3600;
  if (positive && newHour < oldHour) out.dayStep = 1;
  if (!positive && newHour > oldHour) out.dayStep = -1;
  return out;
}

void StepDay(const std::array<const char*, 7>& cycle, std::string& day, int step) {
  if (step == 0) return;
  for (int i = 0; i < 7; ++i) {
    if (day == cycle[i]) {
      day = cycle[(i + step + 7) % 7];
      return;
    }
  }
}

}  // namespace

DateTime TimeOfDay(int hours, int minutes, int seconds) {
  return DateTime{static_cast<std::int64_t>(hours) * 3600 + minutes * 60 + seconds};
}

std::optional<DateTime> ParseTimeText(std::string_view text) {
  text = Trim(text);
  int parts[3] = {0, 0, 0};
  int count = 0;
  size_t i = 0;
  while (count < 3) {
    size_t start = i;
    int v = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 2) {
      v = v * 10 + (text[i] - '0');
      ++i;
    }
    if (i == start) return std::nullopt;
    // Minutes and seconds take two digits; the hour may take one.
    if (count > 0 && i - start != 2) return std::nullopt;
    parts[count++] = v;
    if (i == text.size()) break;
    if (text[i] != ':') return std::nullopt;
    ++i;
  }
  if (i != text.size() || count < 2) return std::nullopt;
  if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
  return TimeOfDay(parts[0], parts[1], parts[2]);
}

int SecondsOfDay(DateTime t) {
  std::int64_t s = t.seconds % kDay;
  if (s < 0) s += kDay;
  return static_cast<int>(s);
}

std::string FormatTimeHMS(DateTime time) {
  int s = SecondsOfDay(time);
  // Built by hand: lists format thousands of times at once.
  const int parts[3] = {s / 3600, s / 60 % 60, s % 60};
  std::string text(8, ':');
  for (int i = 0; i < 3; ++i) {
    text[static_cast<size_t>(i * 3)] = static_cast<char>('0' + parts[i] / 10);
    text[static_cast<size_t>(i * 3 + 1)] = static_cast<char>('0' + parts[i] % 10);
  }
  return text;
}

DateTime GetArrivalTime(DateTime departure, std::int32_t distance, std::int32_t speed) {
  DateTime arrival{departure.seconds + 15 * 60};
  if (distance >= 1 && speed >= 1) {
    double minutes = static_cast<double>(distance) / speed * 60.0;
    arrival.seconds += text_number::RoundHalfEven(minutes) * 60;
  }
  return arrival;
}

namespace {

// The arrival for a known speed (at least 1 knot); `distance` is asked for
// only when the departure is one that an arrival can be computed for.
template <typename Distance>
std::string ArrivalText(std::string_view departure, std::string_view period, std::int32_t speed,
                        Distance&& distanceOf) {
  if (IsWeekPeriod(period)) {
    size_t slash = departure.find('/');
    if (slash == std::string_view::npos) return std::string(departure);
    // An unreadable day counts as day 0.
    std::int64_t day = text_number::ParseInt32(departure.substr(0, slash)).value_or(0);
    std::string_view time = departure.substr(slash + 1);
    std::int32_t distance = distanceOf();
    std::optional<DateTime> dep = ParseTimeText(time);
    DateTime arrival{};
    if (dep) {
      arrival = GetArrivalTime(*dep, distance, speed);
      if (SecondsOfDay(arrival) < SecondsOfDay(*dep)) {
        day += 1;
        if (day == 7) day = 0;
      }
    }
    return std::to_string(day) + "/" + FormatTimeHMS(arrival);
  }
  std::int32_t distance = distanceOf();
  std::optional<DateTime> dep = ParseTimeText(departure);
  if (!dep) return FormatTimeHMS(DateTime{});
  return FormatTimeHMS(GetArrivalTime(*dep, distance, speed));
}

}  // namespace

std::string GetArrivalTimeText(std::string_view fromIcao, std::string_view toIcao,
                               std::string_view departure, std::string_view period,
                               std::int32_t planAircraftIndex, std::int32_t speed) {
  const auto& aircraft = Plan().PlanAircraftList;
  if (planAircraftIndex >= 0 && planAircraftIndex < static_cast<std::int64_t>(aircraft.size())) {
    speed = text_number::ParseInt32(aircraft[planAircraftIndex].CruiseSpeed).value_or(0);
  } else if (speed < 1) {
    return std::string(departure);
  }
  return ArrivalText(departure, period, speed, [&] { return GetAirportDistance(fromIcao, toIcao); });
}

std::string ArrivalTimeTextForDistance(std::string_view departure, std::string_view period, std::int32_t distance,
                                       std::int32_t speed) {
  if (speed < 1) return std::string(departure);
  return ArrivalText(departure, period, speed, [distance] { return distance; });
}

std::string ShiftZoneTime(DateTime time, std::string_view zone, bool reverse) {
  return ShiftTime(time, zone, reverse).text;
}

std::string ShiftZoneTimeDayName(DateTime time, std::string_view zone, std::string& dayName,
                                 bool reverse) {
  Shift s = ShiftTime(time, zone, reverse);
  StepDay(kWeekdaySuffixes, dayName, s.dayStep);
  return s.text;
}

std::string ShiftZoneTimeDayIndex(DateTime time, std::string_view zone, std::string& dayPrefix,
                                  bool reverse) {
  Shift s = ShiftTime(time, zone, reverse);
  StepDay(kDayPrefixes, dayPrefix, s.dayStep);
  return s.text;
}

}  // namespace velk
