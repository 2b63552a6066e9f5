#include "traffic_compiler/decompiler/traffic_text.h"

#include <cmath>
#include <cstring>

#include "traffic_compiler/common/console.h"
#include "traffic_compiler/common/traffic_codes.h"

namespace ulvane {
namespace {

using traffic::DecodeTimeCode;
using traffic::kPeriodHours;
constexpr std::uint32_t kDay = traffic::kSecondsPerDay;
constexpr std::uint32_t kWeek = traffic::kSecondsPerWeek;

// Degrees per file unit.
constexpr double kLatitudeScale = 8.998425275576776e-6;
constexpr double kLongitudeScale = 8.381903171539307e-8;
constexpr double kFeetPerMetre = 3.280839895;

void AppendUnsigned(std::string& out, std::uint64_t v, int width = 0) {
  char buf[24];
  int n = 0;
  do {
    buf[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  for (int i = n; i < width; ++i) out.push_back('0');
  while (n > 0) out.push_back(buf[--n]);
}

void AppendSigned(std::string& out, std::int64_t v) {
  if (v < 0) {
    out.push_back('-');
    AppendUnsigned(out, 0 - static_cast<std::uint64_t>(v));
  } else {
    AppendUnsigned(out, static_cast<std::uint64_t>(v));
  }
}

// Text up to the first NUL of a fixed field.
template <size_t N>
std::size_t FieldLength(const std::array<char, N>& field) {
  const void* nul = std::memchr(field.data(), '\0', N);
  return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field.data()) : N;
}

void AppendCoordinate(std::string& out, std::int32_t units, double scale, char positive,
                      char negative) {
  double degrees = units * scale;
  std::int64_t whole = static_cast<std::int64_t>(std::trunc(degrees));
  // The minutes pass through single precision, as they were held when the
  // database was written; that rounding decides the last digit.
  float minutes = static_cast<float>((degrees - static_cast<double>(whole)) * 60.0);
  if (minutes == 60.0f) {
    whole += 1;
    minutes = 0.0f;
  } else if (minutes == -60.0f) {
    whole -= 1;
    minutes = 0.0f;
  }
  out.push_back(static_cast<double>(whole) + minutes >= 0 ? positive : negative);
  AppendUnsigned(out, static_cast<std::uint64_t>(whole < 0 ? -whole : whole));
  out += "* ";
  // Minutes are cut, not rounded, to hundredths (computed in double).
  auto hundredths = static_cast<std::uint64_t>(std::trunc(std::fabs(static_cast<double>(minutes)) * 100.0));
  AppendUnsigned(out, hundredths / 100);
  out.push_back('.');
  AppendUnsigned(out, hundredths % 100, 2);
  out.push_back('\'');
}

void AppendClock(std::string& out, std::uint32_t seconds) {
  AppendUnsigned(out, seconds / 3600, 2);
  out.push_back(':');
  AppendUnsigned(out, seconds / 60 % 60, 2);
  out.push_back(':');
  AppendUnsigned(out, seconds % 60, 2);
}

// A leg time on the plan's running clock, brought back into the day (or the
// week) for the text.
void AppendLegTime(std::string& out, std::uint32_t seconds, bool weekly) {
  if (weekly) {
    seconds %= kWeek;
    AppendUnsigned(out, seconds / kDay);
    out.push_back('/');
    AppendClock(out, seconds % kDay);
  } else {
    AppendClock(out, seconds % kDay);
  }
}

}  // namespace

std::string LatitudeText(std::int32_t units) {
  std::string s;
  AppendCoordinate(s, units, kLatitudeScale, 'N', 'S');
  return s;
}

std::string LongitudeText(std::int32_t units) {
  std::string s;
  AppendCoordinate(s, units, kLongitudeScale, 'E', 'W');
  return s;
}

void AppendAirportLine(std::string& out, const DecodedAirport& airport) {
  std::size_t len = FieldLength(airport.code);
  out.append(airport.code.data(), len);
  out.append(4 - len, ' ');
  out.push_back(',');
  AppendCoordinate(out, airport.latitude, kLatitudeScale, 'N', 'S');
  out.push_back(',');
  AppendCoordinate(out, airport.longitude, kLongitudeScale, 'E', 'W');
  out.push_back(',');
  // 64-bit: a damaged elevation must print as what it says, not overflow.
  AppendSigned(out, static_cast<std::int64_t>(std::trunc(airport.elevation * kFeetPerMetre + 0.5)));
  out += "\r\n";
}

void AppendAircraftLine(std::string& out, const DecodedAircraft& aircraft) {
  out += "AC#";
  AppendUnsigned(out, aircraft.number);
  out.push_back(',');
  AppendUnsigned(out, aircraft.speed);
  out += ",\"";
  out += aircraft.name;
  out += "\"\r\n";
}

std::uint64_t AppendPlanLine(std::string& out, const DecodedPlan& plan, const TrafficDatabase& db) {
  const int periodCode = plan.periodCode();
  const bool weekly = periodCode == traffic::kWeekPeriodCode;
  const std::uint32_t hours = kPeriodHours[periodCode];
  const std::uint32_t period = hours * 3600;

  out += "AC#";
  AppendUnsigned(out, plan.acNumber);
  out.push_back(',');
  out.append(plan.registration.data(), FieldLength(plan.registration));
  out.push_back(',');
  AppendUnsigned(out, static_cast<std::uint32_t>(plan.percent()));
  out += "%,";
  if (weekly) {
    out += "WEEK";
  } else {
    AppendUnsigned(out, hours);
    out += "Hr";
  }
  out += plan.ifr() ? ",IFR" : ",VFR";

  // One running clock per plan: a leg that departs before the previous
  // arrival belongs to the next period, and so does an arrival before its
  // departure.
  std::uint32_t previous = 0;
  for (std::uint32_t k = 0; k < plan.legCount; ++k) {
    const DecodedLeg& leg = db.legs[plan.firstLeg + k];
    std::uint32_t dep = DecodeTimeCode(leg.departure);
    std::uint32_t arr = DecodeTimeCode(leg.arrival);
    if (previous != 0 && dep < previous) dep += period;
    if (arr < dep) arr += period;
    previous = arr;

    out.push_back(',');
    AppendLegTime(out, dep, weekly);
    out.push_back(',');
    if (LegArrivalFixed(leg)) out.push_back('@');
    AppendLegTime(out, arr, weekly);
    out.push_back(',');
    AppendUnsigned(out, static_cast<std::uint32_t>(LegAltitude(leg)), 3);
    out.push_back(',');
    out.push_back(LegUsesFlightNumber(leg) ? 'F' : 'R');
    out.push_back(',');
    AppendUnsigned(out, static_cast<std::uint32_t>(LegFlightNumber(leg)), 4);
    out.push_back(',');
    out.append(leg.code.data(), FieldLength(leg.code));
  }
  out += "\r\n";
  return std::uint64_t{plan.legCount} * (weekly ? 1 : 24 / hours);
}

std::string AirportsText(const TrafficDatabase& db) {
  std::string out;
  out.reserve(db.airports.size() * 40);
  std::uint64_t n = 0;
  for (const DecodedAirport& a : db.airports) {
    AppendAirportLine(out, a);
    if (++n % 33 == 0) traffic::ConsoleProgress("  Airports", static_cast<long long>(n));
  }
  traffic::ConsoleCount("  Airports", static_cast<long long>(n));
  return out;
}

std::string AircraftText(const TrafficDatabase& db) {
  std::string out;
  std::uint64_t n = 0;
  for (const DecodedAircraft& a : db.aircraft) {
    AppendAircraftLine(out, a);
    if (++n % 10 == 0) traffic::ConsoleProgress("  Aircraft", static_cast<long long>(n));
  }
  traffic::ConsoleCount("  Aircraft", static_cast<long long>(n));
  return out;
}

std::string FlightPlansText(const TrafficDatabase& db) {
  std::string out;
  out.reserve(db.plans.size() * 40 + db.legs.size() * 40);
  std::uint64_t n = 0;
  std::uint64_t flights = 0;
  for (const DecodedPlan& p : db.plans) {
    flights += AppendPlanLine(out, p, db);
    if (++n % 33 == 0) traffic::ConsoleProgress("  Flight Plans", static_cast<long long>(n));
  }
  traffic::ConsoleCount("  Flight Plans ", static_cast<long long>(n));
  traffic::ConsoleCount("  Total Flights", static_cast<long long>(flights));
  return out;
}

}  // namespace ulvane
