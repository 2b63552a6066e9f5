#pragma once
// Period and time codes of traffic.bgl, plan ids, the order in which
// airports are sorted and looked up, and great-circle geometry.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "traffic_compiler/common/traffic_records.h"

namespace traffic {

// Hours of each period code 0-7, then a 0 that no parsed period matches.
inline constexpr std::uint32_t kPeriodHours[9] = {1, 2, 4, 6, 8, 12, 24, 168, 0};
inline constexpr std::uint8_t kWeekPeriodCode = 7;
inline constexpr std::uint32_t kSecondsPerDay = 86400;
inline constexpr std::uint32_t kSecondsPerWeek = 604800;

// The period code for a number of hours, or -1 when it is not a period.
int PeriodCodeForHours(std::int64_t hours);
// Seconds in the period of a code (0-7).
std::uint32_t PeriodSeconds(int period_code);

// 13 bits of 1/8192 steps of the period plus the period code in bits 13-15.
// Times at or past the end of the period wrap through the mask.
std::uint16_t EncodeTimeCode(std::uint64_t seconds, int period_code);
// Seconds at the start of the code's step, rounded to the nearest second;
// the code's own period bits select the period (codes 0-7 only).
std::uint32_t DecodeTimeCode(std::uint16_t code);

// Id of the k-th of n plans (k from 0): -(n + 1) for the first, -2 for the last.
inline std::int32_t PlanId(std::int64_t k, std::int64_t n) {
  return static_cast<std::int32_t>(k - n - 1);
}

// Code text (upper-cased as given) to its NUL-padded bytes; at most 4 used.
AirportCode MakeAirportCode(std::string_view text);
std::string AirportCodeText(const AirportCode& code);

// The database's airport order: bytes 3, 2, 1, 0 compared as signed 8-bit
// values, smaller first.
bool AirportCodeLess(const AirportCode& a, const AirportCode& b);

// Sorted view of the airports for the look-ups of the compiler. Equal codes
// keep file order and the look-up finds the first in file order.
class AirportIndex {
 public:
  explicit AirportIndex(const std::vector<TrafficAirport>& airports);
  // The airports in database order.
  const std::vector<const TrafficAirport*>& sorted() const { return sorted_; }
  // The airport with this code (compared without regard to case), or null.
  const TrafficAirport* Find(const AirportCode& code) const;

 private:
  const TrafficAirport* FindInOrder(const AirportCode& code) const;

  std::vector<const TrafficAirport*> sorted_;
  // The first airport in database order of each code, by the code's exact
  // bytes, in an open table of a power-of-two size: the code of every leg
  // of every plan is looked up.
  std::vector<const TrafficAirport*> by_code_;
};

// Geometry. Angles are radians (north and east positive), distances radians
// of arc unless a name says nm.
inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kNmPerRadian = 3437.7467707849396;
inline constexpr double kRadiansPerNm = 0.0002908882086657216;

double ToRadians(std::int32_t degrees, float minutes);

// Rounds to the nearest whole number, halves away from zero, so that heights
// below sea level and coordinates south or west round like the others. For
// values of 0 and more this is trunc(x + 0.5), the rounding the database has
// always used.
inline double RoundHalfAwayFromZero(double x) { return x >= 0 ? std::trunc(x + 0.5) : -std::trunc(0.5 - x); }

struct GeoPoint {
  double lat = 0;
  double lon = 0;
};

GeoPoint AirportPosition(const TrafficAirport& airport);

struct DistanceCourse {
  double distance = 0;  // radians of arc
  double course = 0;    // initial true course, radians
};
DistanceCourse GreatCircle(const GeoPoint& from, const GeoPoint& to);

// A position with the sines and cosines of its latitude and longitude,
// worked out once for the many legs that start or end there.
struct GeoTrig {
  GeoTrig() = default;
  explicit GeoTrig(const GeoPoint& point);
  GeoPoint p;
  double sin_lat = 0, cos_lat = 1, sin_lon = 0, cos_lon = 1;
};
// The same as GreatCircle of the two positions, bit for bit.
DistanceCourse GreatCircle(const GeoTrig& from, const GeoTrig& to);

// The point `distance` radians from `from` along the initial `course`.
GeoPoint PointAlong(const GeoPoint& from, double distance, double course);

// The same for many points of one track, with the track's sines and
// cosines worked out once (bit for bit the results of PointAlong).
class GreatCircleTrack {
 public:
  GreatCircleTrack(const GeoPoint& from, double course);
  GeoPoint PointAt(double distance) const;

 private:
  double lon1_;
  double sin_lat1_;
  double cos_lat1_;
  double cos_lat1_cos_course_;
  double sin_course_;
};

// "HH:MM:SS" (or "HH:MM" without seconds) of a time of day in seconds.
std::string FormatClockTime(std::uint32_t seconds_of_day, bool with_seconds);
void AppendClockTime(std::string& out, std::uint32_t seconds_of_day, bool with_seconds);

}  // namespace traffic
