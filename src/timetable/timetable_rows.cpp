#include "timetable/timetable_rows.h"

#include <optional>
#include <unordered_map>

#include "data/installed_aircraft.h"
#include "data/text_number.h"
#include "data/times_zones.h"
#include "platform/ascii_text.h"
#include "platform/text_codec.h"

namespace velk {
namespace {

constexpr int kDaySeconds = 86400;

const char* const kWeekdayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                      "Thursday", "Friday", "Saturday"};

std::optional<int> SecondsOf(std::string_view text) {
  std::optional<DateTime> t = ParseTimeText(text);
  if (!t) return std::nullopt;
  return SecondsOfDay(*t);
}

// The flight's percent as a number: the text without its "%". A text that
// is no number counts as 0, so the flight is never hidden by the filter for
// a spelling the filter cannot judge.
int FlightPercent(const std::string& percent) {
  std::string_view text = percent;
  if (!text.empty() && text.back() == '%') text.remove_suffix(1);
  return text_number::ParseInt32(text).value_or(0);
}

// How often an hourly flight repeats in a day: 24 / hours, a half to the
// even count. A period that names no positive number of hours lists the
// flight once, as a daily one.
int RepeatHours(const std::string& period) {
  std::string hours;
  for (size_t i = 0; i < period.size(); ++i) {
    if (i + 1 < period.size() && EqualsNoCase(period.substr(i, 2), "HR")) {
      ++i;
      continue;
    }
    hours.push_back(period[i]);
  }
  std::optional<std::int32_t> h = text_number::ParseInt32(hours);
  if (!h || *h <= 0) return 24;
  return *h;
}

// A weekly time "d/hh:mm:ss" cut into its day (0..6) and time; nothing when
// it has no day prefix of that form.
struct WeeklyTime {
  std::string prefix;  // "d/"
  int day = 0;
  std::string_view time;
};

std::optional<WeeklyTime> SplitWeekly(std::string_view text) {
  size_t slash = text.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  std::string prefix(text.substr(0, slash + 1));
  for (int d = 0; d < 7; ++d)
    if (prefix == kDayPrefixes[static_cast<size_t>(d)]) return WeeklyTime{prefix, d, text.substr(slash + 1)};
  return std::nullopt;
}

// The legs whose destination is in the list, as flight and leg indexes in
// plan order. This pass touches every leg of the plan, so it stays a tight
// loop of its own.
std::vector<std::pair<int, int>> LegsToListedAirports(const std::vector<Flight>& flights,
                                                      const TimetableAirports& airports) {
  std::vector<std::pair<int, int>> found;
  for (size_t i = 0; i < flights.size(); ++i) {
    const std::vector<FlightLeg>& legs = flights[i].Legs;
    for (size_t l = 0; l < legs.size(); ++l)
      if (airports.Contains(legs[l].DestinationIcao)) found.emplace_back(static_cast<int>(i), static_cast<int>(l));
  }
  return found;
}

struct RowSource {
  const Flight* flight;
  int index;
  const FSAircraft* aircraft;
};

}  // namespace

const char* TimetableKindText(TimetableKind kind) {
  return kind == TimetableKind::Arrive ? "Arrive" : "Depart";
}

std::string TimetableAirportList(std::string_view boxText) {
  std::string list;
  for (char c : boxText)
    if (c != ' ') list.push_back(c);
  list = UpperCp1252(TrimBlanks(list));
  if (list.empty() || list.front() != ',') list.insert(list.begin(), ',');
  if (list.back() != ',') list.push_back(',');
  return list;
}

TimetableAirports::TimetableAirports(std::string_view boxText) : list_(TimetableAirportList(boxText)) {
  size_t previous = 0;  // the list starts with ","
  for (size_t at = list_.find(',', 1); at != std::string::npos; at = list_.find(',', at + 1)) {
    codes_.emplace_back(previous + 1, at - previous - 1);
    previous = at;
  }
}

bool TimetableAirports::Contains(std::string_view icao) const {
  // A code with a comma of its own would span several codes of the list.
  if (icao.find(',') != std::string_view::npos)
    return list_.find("," + std::string(icao) + ",") != std::string::npos;
  for (const auto& [start, length] : codes_)
    if (length == icao.size() && list_.compare(start, length, icao) == 0) return true;
  return false;
}

std::vector<TimetableRow> BuildTimetable(const PlanState& plan, const TimetableFilter& filter) {
  std::vector<TimetableRow> rows;
  std::optional<int> start = SecondsOf(filter.start);
  std::optional<int> end = SecondsOf(filter.end);
  std::optional<std::int32_t> maxPercent = text_number::ParseInt32(filter.percent);
  if (!start || !end || !maxPercent) return rows;
  const TimetableAirports airports(filter.airports);
  const std::unordered_map<std::string, int> installed = InstalledAircraftByPlanId(plan);
  const std::string& zone = filter.zone;
  // A daily time moves by the same amount whatever it is: work it out once.
  const int zoneShift = SecondsOfDay(ParseTimeText(ShiftZoneTime(DateTime{}, zone, false)).value_or(DateTime{}));
  auto inWindow = [&](int t) { return *start <= t && t <= *end; };

  auto addRow = [&](const RowSource& s, TimetableKind kind, std::string time, int leg, int other) {
    const Flight& f = *s.flight;
    TimetableRow row;
    row.time = std::move(time);
    row.kind = kind;
    row.fromTo = f.Legs[static_cast<size_t>(other)].DestinationIcao;
    row.flightNumber = f.Legs[static_cast<size_t>(leg)].FlightNumber;
    if (s.aircraft) {
      row.airline = s.aircraft->ATCAirline;
      row.aircraft = s.aircraft->UIManufacturer + "/" + s.aircraft->UIType;
    } else {
      row.aircraft = kAircraftNotFound;
    }
    row.registration = f.Registration;
    row.flight = s.index;
    row.leg = leg;
    rows.push_back(std::move(row));
  };

  // One weekly row: the stored time shown in the zone, with the weekday it
  // falls on there; listed when that day is the chosen one.
  auto addWeekly = [&](const RowSource& s, TimetableKind kind, const std::string& stored, int leg, int other) {
    std::optional<WeeklyTime> w = SplitWeekly(stored);
    if (!w) return;
    std::optional<DateTime> t = ParseTimeText(w->time);
    if (!t) return;
    std::string prefix = w->prefix;
    std::string shifted = ShiftZoneTimeDayIndex(*t, zone, prefix, false);
    int shiftedDay = prefix[0] - '0';
    if (filter.day != -1 && shiftedDay != filter.day) return;
    std::optional<int> seconds = SecondsOf(shifted);
    if (!seconds || !inWindow(*seconds)) return;
    std::string suffix = std::string(" (") + kWeekdayNames[w->day] + ")";
    std::string text = ShiftZoneTimeDayName(*t, zone, suffix, false);
    addRow(s, kind, text + suffix, leg, other);
  };

  // The flight's own tests and values are worked out once, at its first
  // leg to a listed airport.
  int judgedFlight = -1;
  bool listed = false;
  bool weekly = false;
  int hours = 0;
  int repeats = 0;
  RowSource source{nullptr, -1, nullptr};
  for (const auto& [i, l] : LegsToListedAirports(plan.Flights, airports)) {
    const Flight& f = plan.Flights[static_cast<size_t>(i)];
    const int legs = f.LegCount();
    const FlightLeg& leg = f.Legs[static_cast<size_t>(l)];
    if (i != judgedFlight) {
      judgedFlight = i;
      bool rulesListed = (f.FlightRules == "IFR" && filter.ifr) || (f.FlightRules == "VFR" && filter.vfr);
      listed = !f.Removed && rulesListed && *maxPercent >= FlightPercent(f.Percent);
      weekly = UpperAscii(f.Period) == "WEEK";
      hours = weekly ? 0 : RepeatHours(f.Period);
      repeats = weekly ? 0 : static_cast<int>(text_number::RoundHalfEven(24.0 / hours));
      source = RowSource{&f, i, nullptr};
      auto it = installed.find(f.AircraftId);
      if (it != installed.end()) source.aircraft = &plan.FSAircraftList[static_cast<size_t>(it->second)];
    }
    if (!listed) continue;
    const int next = l + 1 == legs ? 0 : l + 1;
    const int previous = l == 0 ? legs - 1 : l - 1;
    const FlightLeg& nextLeg = f.Legs[static_cast<size_t>(next)];
    if (weekly) {
      if (filter.arrivals) addWeekly(source, TimetableKind::Arrive, leg.ArrivalTime, l, previous);
      if (filter.departures) addWeekly(source, TimetableKind::Depart, nextLeg.DepartureTime, next, next);
      continue;
    }
    std::optional<int> arrival;
    std::optional<int> departure;
    if (auto t = ParseTimeText(leg.ArrivalTime)) arrival = (SecondsOfDay(*t) + zoneShift) % kDaySeconds;
    if (auto t = ParseTimeText(nextLeg.DepartureTime)) departure = (SecondsOfDay(*t) + zoneShift) % kDaySeconds;
    for (int r = 0; r < repeats; ++r) {
      if (filter.arrivals && arrival && inWindow(*arrival))
        addRow(source, TimetableKind::Arrive, FormatTimeHMS(DateTime{*arrival}), l, previous);
      if (filter.departures && departure && inWindow(*departure))
        addRow(source, TimetableKind::Depart, FormatTimeHMS(DateTime{*departure}), next, next);
      if (arrival) arrival = (*arrival + hours * 3600) % kDaySeconds;
      if (departure) departure = (*departure + hours * 3600) % kDaySeconds;
    }
  }
  return rows;
}

std::string RelabelTimetableTime(std::string_view text, std::string_view fromZone, std::string_view toZone) {
  size_t cut = text.find(" (");
  std::string suffix(cut == std::string_view::npos ? std::string_view() : text.substr(cut));
  std::string_view time = cut == std::string_view::npos ? text : text.substr(0, cut);
  std::optional<DateTime> t = ParseTimeText(time);
  if (!t) return std::string(text);
  std::string gmt = ShiftZoneTimeDayName(*t, fromZone, suffix, true);
  std::optional<DateTime> g = ParseTimeText(gmt);
  if (!g) return std::string(text);
  return ShiftZoneTimeDayName(*g, toZone, suffix, false) + suffix;
}

std::string CheckTimetableTime(std::string_view text) {
  return ParseTimeText(text) ? std::string() : std::string(kTimetableTimeMessage);
}

std::string CheckTimetablePercent(std::string_view text) {
  std::optional<double> value = text_number::ParseDecimal(text);
  if (!value) return kTimetableNumberMessage;
  std::int64_t whole = text_number::RoundHalfEven(*value);
  if (whole > 100) return kTimetablePercentHighMessage;
  if (whole < 1) return kTimetablePercentLowMessage;
  return {};
}

}  // namespace velk
