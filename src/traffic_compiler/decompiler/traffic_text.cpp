#include "traffic_compiler/decompiler/traffic_text.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

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

// Decimal digits of `v`, zero-padded to `width`, written at `p`; returns the
// end. Plan lines are built in small buffers with these and appended whole,
// which keeps a 100,000-plan file cheap to produce.
char* PutUnsigned(char* p, std::uint64_t v, int width = 0) {
  char digits[20];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  for (int i = n; i < width; ++i) *p++ = '0';
  while (n > 0) *p++ = digits[--n];
  return p;
}

// Two digits of 0-99 from one table look-up; the clock, altitude and flight
// number fields are made of them.
constexpr auto kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[2 * i] = static_cast<char>('0' + i / 10);
    pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

char* PutTwoDigits(char* p, std::uint32_t v) {
  std::memcpy(p, kDigitPairs.data() + 2 * v, 2);
  return p + 2;
}

void AppendUnsigned(std::string& out, std::uint64_t v, int width = 0) {
  char buf[24];
  out.append(buf, PutUnsigned(buf, v, width));
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

// `limit` is the first whole degree that the compiler refuses (90 or 180).
void AppendCoordinate(std::string& out, std::int32_t units, double scale, std::int64_t limit, char positive,
                      char negative) {
  double degrees = units * scale;
  std::int64_t whole = static_cast<std::int64_t>(std::trunc(degrees));
  // The minutes pass through single precision, as they were held when the
  // database was written.
  const float minutes = static_cast<float>((degrees - static_cast<double>(whole)) * 60.0);
  // Taken to the nearest hundredth (computed in double): the compiler cuts
  // toward zero, so a value read back lies just below the text it came from,
  // and cutting again would lose a hundredth on every round. Minutes that
  // reach 60.00 carry into the degrees, unless that would make a degree the
  // compiler refuses: those stay on the last hundredth below it.
  const double size = std::fabs(static_cast<double>(minutes)) * 100.0;
  auto hundredths = static_cast<std::int64_t>(traffic::RoundHalfAwayFromZero(size));
  if (hundredths >= 6000 && std::abs(whole) + 1 < limit) {
    whole += minutes < 0 ? -1 : 1;
    hundredths = 0;
  } else if (hundredths >= 6000) {
    hundredths = 5999;
  }
  // The hemisphere follows the text's own value, so that a value that comes
  // to nothing is written the way it reads back.
  const bool below = whole < 0 || (whole == 0 && minutes < 0 && hundredths != 0);
  out.push_back(below ? negative : positive);
  AppendUnsigned(out, static_cast<std::uint64_t>(whole < 0 ? -whole : whole));
  out += "* ";
  AppendUnsigned(out, static_cast<std::uint64_t>(hundredths / 100));
  out.push_back('.');
  AppendUnsigned(out, static_cast<std::uint64_t>(hundredths % 100), 2);
  out.push_back('\'');
}

// "HH:MM:SS" of a time of day.
char* PutClock(char* p, std::uint32_t seconds) {
  p = PutTwoDigits(p, seconds / 3600);  // below 24: callers pass a time of day
  *p++ = ':';
  p = PutTwoDigits(p, seconds / 60 % 60);
  *p++ = ':';
  return PutTwoDigits(p, seconds % 60);
}

// A leg time on the plan's running clock, brought back into the day (or the
// week) for the text.
char* PutLegTime(char* p, std::uint32_t seconds, bool weekly) {
  if (!weekly) return PutClock(p, seconds % kDay);
  seconds %= kWeek;
  p = PutUnsigned(p, seconds / kDay);
  *p++ = '/';
  return PutClock(p, seconds % kDay);
}

char* PutText(char* p, std::string_view text) {
  std::memcpy(p, text.data(), text.size());
  return p + text.size();
}

}  // namespace

std::string LatitudeText(std::int32_t units) {
  std::string s;
  AppendCoordinate(s, units, kLatitudeScale, 90, 'N', 'S');
  return s;
}

std::string LongitudeText(std::int32_t units) {
  std::string s;
  AppendCoordinate(s, units, kLongitudeScale, 180, 'E', 'W');
  return s;
}

void AppendAirportLine(std::string& out, const DecodedAirport& airport) {
  std::size_t len = FieldLength(airport.code);
  out.append(airport.code.data(), len);
  out.append(4 - len, ' ');
  out.push_back(',');
  AppendCoordinate(out, airport.latitude, kLatitudeScale, 90, 'N', 'S');
  out.push_back(',');
  AppendCoordinate(out, airport.longitude, kLongitudeScale, 180, 'E', 'W');
  out.push_back(',');
  // 64-bit: a damaged elevation must print as what it says, not overflow.
  const double feet = airport.elevation * kFeetPerMetre;
  AppendSigned(out, static_cast<std::int64_t>(traffic::RoundHalfAwayFromZero(feet)));
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

  // Head: at most 3 + 20 + 1 + 8 + 1 + 3 + 2 + 4 + 4 bytes.
  char buf[64];
  char* p = PutText(buf, "AC#");
  p = PutUnsigned(p, plan.acNumber);
  *p++ = ',';
  p = PutText(p, {plan.registration.data(), FieldLength(plan.registration)});
  *p++ = ',';
  p = PutUnsigned(p, static_cast<std::uint32_t>(plan.percent()));
  p = PutText(p, "%,");
  if (weekly) {
    p = PutText(p, "WEEK");
  } else {
    p = PutUnsigned(p, hours);
    p = PutText(p, "Hr");
  }
  p = PutText(p, plan.ifr() ? ",IFR" : ",VFR");
  out.append(buf, p);

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

    // At most 1 + 10 + 2 + 10 + 5 + 2 + 6 + 5 bytes.
    p = buf;
    *p++ = ',';
    p = PutLegTime(p, dep, weekly);
    *p++ = ',';
    if (LegArrivalFixed(leg)) *p++ = '@';
    p = PutLegTime(p, arr, weekly);
    *p++ = ',';
    const auto altitude = static_cast<std::uint32_t>(LegAltitude(leg));  // 0-1023
    if (altitude < 1000) *p++ = static_cast<char>('0' + altitude / 100);
    else p = PutTwoDigits(p, altitude / 100);
    p = PutTwoDigits(p, altitude % 100);
    *p++ = ',';
    *p++ = LegUsesFlightNumber(leg) ? 'F' : 'R';
    *p++ = ',';
    const auto number = static_cast<std::uint32_t>(LegFlightNumber(leg));  // 0-16383
    if (number >= 10000) *p++ = static_cast<char>('0' + number / 10000);
    p = PutTwoDigits(p, number / 100 % 100);
    p = PutTwoDigits(p, number % 100);
    *p++ = ',';
    p = PutText(p, {leg.code.data(), FieldLength(leg.code)});
    out.append(buf, p);
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
