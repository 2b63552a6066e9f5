#include "traffic_compiler/common/traffic_codes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace traffic {

int PeriodCodeForHours(std::int64_t hours) {
  for (int i = 0; kPeriodHours[i] != 0; ++i)
    if (kPeriodHours[i] == hours) return i;
  return -1;
}

std::uint32_t PeriodSeconds(int period_code) { return kPeriodHours[period_code & 7] * 3600u; }

std::uint16_t EncodeTimeCode(std::uint64_t seconds, int period_code) {
  const std::uint64_t period = PeriodSeconds(period_code);
  const std::uint64_t steps = (seconds * 8192u) / period;
  return static_cast<std::uint16_t>((steps & 0x1FFFu) | (static_cast<unsigned>(period_code & 7) << 13));
}

std::uint32_t DecodeTimeCode(std::uint16_t code) {
  const std::uint64_t period = PeriodSeconds(code >> 13);
  return static_cast<std::uint32_t>((period * (code & 0x1FFFu) + 4096u) / 8192u);
}

AirportCode MakeAirportCode(std::string_view text) {
  AirportCode c{};
  for (std::size_t i = 0; i < text.size() && i < 4; ++i) c[i] = text[i];
  return c;
}

std::string AirportCodeText(const AirportCode& code) {
  std::size_t n = 0;
  while (n < 4 && code[n] != 0) ++n;
  return std::string(code.data(), n);
}

bool AirportCodeLess(const AirportCode& a, const AirportCode& b) {
  for (int i = 3; i >= 0; --i) {
    const auto x = static_cast<signed char>(a[i]);
    const auto y = static_cast<signed char>(b[i]);
    if (x != y) return x < y;
  }
  return false;
}

namespace {
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

namespace {

std::uint32_t CodeKey(const AirportCode& code) {
  std::uint32_t key;
  std::memcpy(&key, code.data(), sizeof key);
  return key;
}

std::size_t CodeSlot(std::uint32_t key, std::size_t mask) {
  return static_cast<std::size_t>((key * 0x9E3779B1u) >> 7) & mask;
}

}  // namespace

AirportIndex::AirportIndex(const std::vector<TrafficAirport>& airports) {
  sorted_.reserve(airports.size());
  for (const auto& a : airports) sorted_.push_back(&a);
  std::stable_sort(sorted_.begin(), sorted_.end(),
                   [](const TrafficAirport* x, const TrafficAirport* y) {
                     return AirportCodeLess(x->code, y->code);
                   });
  std::size_t size = 16;
  while (size < 2 * sorted_.size()) size *= 2;
  by_code_.assign(size, nullptr);
  for (const TrafficAirport* a : sorted_) {
    std::size_t slot = CodeSlot(CodeKey(a->code), size - 1);
    while (by_code_[slot] && by_code_[slot]->code != a->code) slot = (slot + 1) & (size - 1);
    if (!by_code_[slot]) by_code_[slot] = a;
  }
}

const TrafficAirport* AirportIndex::Find(const AirportCode& code) const {
  // A code given exactly as listed is the usual case: the first airport
  // with it in database order is the one the search in order finds too.
  const std::size_t mask = by_code_.size() - 1;
  const std::uint32_t key = CodeKey(code);
  for (std::size_t slot = CodeSlot(key, mask); by_code_[slot]; slot = (slot + 1) & mask)
    if (CodeKey(by_code_[slot]->code) == key) return by_code_[slot];
  return FindInOrder(code);
}

const TrafficAirport* AirportIndex::FindInOrder(const AirportCode& code) const {
  auto it = std::lower_bound(
      sorted_.begin(), sorted_.end(), code,
      [](const TrafficAirport* a, const AirportCode& c) { return AirportCodeLess(a->code, c); });
  if (it == sorted_.end()) return nullptr;
  for (int i = 0; i < 4; ++i)
    if (AsciiLower((*it)->code[i]) != AsciiLower(code[i])) return nullptr;
  return *it;
}

double ToRadians(std::int32_t degrees, float minutes) {
  return (static_cast<double>(minutes) * 0.016666666666666666 + degrees) * 0.017453292519943295;
}

GeoPoint AirportPosition(const TrafficAirport& airport) {
  return {ToRadians(airport.lat_degrees, airport.lat_minutes),
          ToRadians(airport.lon_degrees, airport.lon_minutes)};
}

namespace {
double Clamp1(double v) { return v < -1.0 ? -1.0 : (v > 1.0 ? 1.0 : v); }
}  // namespace

GeoTrig::GeoTrig(const GeoPoint& point)
    : p(point),
      sin_lat(std::sin(point.lat)),
      cos_lat(std::cos(point.lat)),
      sin_lon(std::sin(point.lon)),
      cos_lon(std::cos(point.lon)) {}

DistanceCourse GreatCircle(const GeoTrig& from, const GeoTrig& to) {
  const double c = Clamp1(from.cos_lat * to.cos_lat * std::cos(from.p.lon - to.p.lon) + to.sin_lat * from.sin_lat);
  DistanceCourse r;
  r.distance = std::acos(c);
  const double cos_lat1 = from.cos_lat;
  if (cos_lat1 >= 1e-6) {
    const double sin_d = std::sin(r.distance);
    if (sin_d == 0.0) {
      // Same point or antipode: no defined course; keep north.
      r.course = 0.0;
    } else {
      const double x = Clamp1((to.sin_lat - from.sin_lat * std::cos(r.distance)) / (cos_lat1 * sin_d));
      r.course = std::acos(x);
    }
    if (std::sin(from.p.lon - to.p.lon) >= 0.0) r.course = 2.0 * kPi - r.course;
  } else {
    // Starting at a pole every way is south (north pole) or north.
    r.course = from.p.lat > 0 ? kPi : 2.0 * kPi;
  }
  return r;
}

DistanceCourse GreatCircle(const GeoPoint& from, const GeoPoint& to) { return GreatCircle(GeoTrig(from), GeoTrig(to)); }

GreatCircleTrack::GreatCircleTrack(const GeoPoint& from, double course)
    : lon1_(from.lon),
      sin_lat1_(std::sin(from.lat)),
      cos_lat1_(std::cos(from.lat)),
      cos_lat1_cos_course_(cos_lat1_ * std::cos(course)),
      sin_course_(std::sin(course)) {}

GeoPoint GreatCircleTrack::PointAt(double distance) const {
  GeoPoint p;
  const double sin_d = std::sin(distance);
  const double cos_d = std::cos(distance);
  p.lat = std::asin(Clamp1(cos_lat1_cos_course_ * sin_d + sin_lat1_ * cos_d));
  double lon = std::fmod(std::atan2(sin_d * cos_lat1_ * sin_course_, cos_d - std::sin(p.lat) * sin_lat1_) +
                             lon1_ + kPi,
                         2.0 * kPi) -
               kPi;
  if (lon < -kPi) lon += 2.0 * kPi;
  else if (lon > kPi) lon -= 2.0 * kPi;
  p.lon = lon;
  return p;
}

GeoPoint PointAlong(const GeoPoint& from, double distance, double course) {
  return GreatCircleTrack(from, course).PointAt(distance);
}

void AppendClockTime(std::string& out, std::uint32_t seconds_of_day, bool with_seconds) {
  // Written digit by digit: the arrival write-back formats one a leg.
  const unsigned h = seconds_of_day / 3600, m = seconds_of_day / 60 % 60, s = seconds_of_day % 60;
  char buf[16];
  char* p = buf;
  if (h >= 100) p += std::snprintf(p, 8, "%u", h / 100);  // not a time of day; printed all the same
  *p++ = static_cast<char>('0' + h / 10 % 10);
  *p++ = static_cast<char>('0' + h % 10);
  *p++ = ':';
  *p++ = static_cast<char>('0' + m / 10);
  *p++ = static_cast<char>('0' + m % 10);
  if (with_seconds) {
    *p++ = ':';
    *p++ = static_cast<char>('0' + s / 10);
    *p++ = static_cast<char>('0' + s % 10);
  }
  out.append(buf, p);
}

std::string FormatClockTime(std::uint32_t seconds_of_day, bool with_seconds) {
  std::string out;
  AppendClockTime(out, seconds_of_day, with_seconds);
  return out;
}

}  // namespace traffic
