#include "search/result_row.h"

#include <cstdio>
#include <optional>

#include "data/text_number.h"
#include "data/times_zones.h"
#include "platform/ascii_text.h"

namespace velk {

const std::array<const char*, kResultColumns + 1> kResultHeaders = {
    "Airline", "Aircraft", "AC#",         "Registration", "Departure ICAO", "Legs",   "Period",
    "Depart",  "Arrive",   "Flight Type", "Flight Level", "Percent",        "Errors"};

namespace {

// A number text zero-filled to `width` digits ("7" -> "0007"); a text that
// is no number comes back as it is.
std::string ZeroFilled(std::string_view text, int width) {
  auto value = text_number::ParseDecimal(text);
  if (!value) return std::string(text);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%0*lld", width, static_cast<long long>(text_number::RoundHalfEven(*value)));
  return buffer;
}

struct SplitTime {
  std::string prefix;  // "d/" or ""
  std::optional<DateTime> time;
};
SplitTime Split(std::string_view text) {
  size_t slash = text.find('/');
  SplitTime s;
  if (slash != std::string_view::npos) {
    s.prefix = std::string(text.substr(0, slash + 1));
    text.remove_prefix(slash + 1);
  }
  s.time = ParseTimeText(text);
  return s;
}

}  // namespace

std::string ZoneTimeCell(std::string_view stored, std::string_view zone) {
  SplitTime s = Split(stored);
  if (!s.time) return s.prefix;
  std::string shifted = ShiftZoneTimeDayIndex(*s.time, zone, s.prefix, false);
  return s.prefix + shifted;
}

std::string ReshiftTimeCell(std::string_view cell, std::string_view from, std::string_view to) {
  SplitTime s = Split(cell);
  if (!s.time) return std::string(cell);
  std::string gmt = ShiftZoneTimeDayIndex(*s.time, from, s.prefix, true);
  std::string shifted = ShiftZoneTimeDayIndex(*ParseTimeText(gmt), to, s.prefix, false);
  return s.prefix + shifted;
}

void FormatResultRow(const Flight& f, const FSAircraft* installed, std::string_view zone, ResultCells& c) {
  c[0] = installed ? installed->ATCAirline : kNotFoundText;
  c[1] = installed ? installed->Title : std::string();
  std::string_view id = f.AircraftId;
  c[2] = ZeroFilled(id.size() > 3 ? id.substr(3) : std::string_view(), 4);
  c[3] = f.Registration;
  c[4] = f.DepartureIcao(0);
  c[5].clear();
  for (int k = 0; k + 1 < f.LegCount(); ++k) {
    if (k > 0) c[5] += " - ";
    c[5] += f.Legs[k].DestinationIcao;
  }
  if (IsWeekPeriod(f.Period)) {
    c[6] = f.Period;
  } else {
    std::string_view period = f.Period;
    std::string_view hours = period.substr(0, period.size() >= 2 ? period.size() - 2 : 0);
    c[6] = text_number::ParseDecimal(hours) ? ZeroFilled(hours, 2) + "Hr" : f.Period;
  }
  c[7] = f.Legs.empty() ? std::string() : ZoneTimeCell(f.Legs.front().DepartureTime, zone);
  c[8] = f.Legs.empty() ? std::string() : ZoneTimeCell(f.Legs.back().ArrivalTime, zone);
  c[9] = f.FlightRules;
  c[10] = f.Legs.empty() ? std::string() : f.Legs.back().FlightLevel;
  c[11] = f.Percent;
}

}  // namespace velk
