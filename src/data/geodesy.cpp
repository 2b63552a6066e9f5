#include "data/geodesy.h"

#include <cmath>

#include "data/plan_records.h"
#include "data/scenery_airports.h"
#include "data/text_number.h"

namespace velk {
namespace {

const double kPi = 4.0 * std::atan(1.0);

struct Position {
  double lat1, lon1, lat2, lon2;
};

double ToRadians(std::int32_t degrees, std::int32_t minutes) {
  return (degrees + minutes / 60.0) * kPi / 180.0;
}

// The central angle between the two points, or NaN when it cannot be had.
double CentralAngle(const Position& p) {
  double x = std::sin(p.lat1) * std::sin(p.lat2) +
             std::cos(p.lat1) * std::cos(p.lat2) * std::cos(p.lon1 - p.lon2);
  return ArcCos(x);
}

}  // namespace

bool ParseCoordinate(std::string_view text, std::int32_t& degrees, std::int32_t& minutes) {
  degrees = 0;
  minutes = 0;
  size_t star = text.find('*');
  size_t dot = text.find('.');
  if (star == std::string_view::npos || dot == std::string_view::npos) return false;
  if (star >= 1) {
    if (auto d = text_number::ParseInt32(text.substr(1, star - 1))) degrees = *d;
  }
  if (dot > star) {
    std::string_view m = text.substr(star + 1, dot - star - 1);
    // Whole minutes only: the decimals after the "." never round up.
    if (auto v = text_number::ParseInt32(m)) minutes = *v;
  }
  char first = text.empty() ? '\0' : text[0];
  if (first == 's' || first == 'S' || first == 'e' || first == 'E') {
    degrees = -degrees;
    minutes = -minutes;
  }
  return true;
}

double ArcCos(double x) {
  // Rounding can carry the cosine of an arc just past +-1; the formula below
  // would divide by zero or take the root of a negative number there.
  if (x >= 1.0) return 0.0;
  if (x <= -1.0) return kPi;
  return std::atan(-x / std::sqrt(1.0 - x * x)) + 2.0 * std::atan(1.0);
}

double RadiansToDegrees(double radians) { return radians * 180.0 / kPi; }

std::int32_t GetGreatCircleDistance(std::int32_t lat1Deg, std::int32_t lat1Min, std::int32_t lon1Deg,
                                    std::int32_t lon1Min, std::int32_t lat2Deg, std::int32_t lat2Min,
                                    std::int32_t lon2Deg, std::int32_t lon2Min) {
  Position p{ToRadians(lat1Deg, lat1Min), ToRadians(lon1Deg, lon1Min), ToRadians(lat2Deg, lat2Min),
             ToRadians(lon2Deg, lon2Min)};
  double d = CentralAngle(p);
  if (!std::isfinite(d)) return 0;
  // One minute of arc is one nautical mile.
  return static_cast<std::int32_t>(text_number::RoundHalfEven(std::fabs(d * 180.0 * 60.0 / kPi)));
}

std::int32_t GetInitialCourse(std::int32_t lat1Deg, std::int32_t lat1Min, std::int32_t lon1Deg,
                              std::int32_t lon1Min, std::int32_t lat2Deg, std::int32_t lat2Min,
                              std::int32_t lon2Deg, std::int32_t lon2Min) {
  Position p{ToRadians(lat1Deg, lat1Min), ToRadians(lon1Deg, lon1Min), ToRadians(lat2Deg, lat2Min),
             ToRadians(lon2Deg, lon2Min)};
  if (p.lon2 == p.lon1) return p.lat1 > p.lat2 ? 180 : 0;
  double d = CentralAngle(p);
  double denominator = std::sin(d) * std::cos(p.lat1);
  // From a pole or between coinciding points there is no course to compute.
  if (!std::isfinite(d) || denominator == 0.0) return 0;
  double c = ArcCos((std::sin(p.lat2) - std::sin(p.lat1) * std::cos(d)) / denominator);
  if (!std::isfinite(c)) return 0;
  // Longitudes count positive to the west, so a negative sine means east.
  double angle = std::sin(p.lon2 - p.lon1) < 0 ? c : 2.0 * kPi - c;
  std::int64_t course = text_number::RoundHalfEven(std::fabs(RadiansToDegrees(angle)));
  if (course >= 360) course -= 360;
  return static_cast<std::int32_t>(course);
}

std::optional<GeoPosition> ParsePosition(std::string_view latitude, std::string_view longitude) {
  GeoPosition p;
  if (!ParseCoordinate(latitude, p.latDegrees, p.latMinutes) || !ParseCoordinate(longitude, p.lonDegrees, p.lonMinutes))
    return std::nullopt;
  return p;
}

std::optional<GeoPosition> PlanAirportPosition(const PlanState& plan, std::string_view icao) {
  int i = plan.FindAirport(icao);
  if (i < 0 || i >= static_cast<int>(plan.Airports.size())) return std::nullopt;
  const Airport& a = plan.Airports[static_cast<size_t>(i)];
  return ParsePosition(a.Latitude, a.Longitude);
}

std::optional<GeoPosition> SceneryAirportPosition(const std::vector<SceneryAirport>& scenery, std::string_view icao) {
  for (const SceneryAirport& a : scenery) {
    if (a.ICAO == icao) return ParsePosition(a.Latitude, a.Longitude);
  }
  return std::nullopt;
}

std::int32_t GetGreatCircleDistance(const GeoPosition& from, const GeoPosition& to) {
  return GetGreatCircleDistance(from.latDegrees, from.latMinutes, from.lonDegrees, from.lonMinutes, to.latDegrees,
                                to.latMinutes, to.lonDegrees, to.lonMinutes);
}

std::int32_t GetInitialCourse(const GeoPosition& from, const GeoPosition& to) {
  return GetInitialCourse(from.latDegrees, from.latMinutes, from.lonDegrees, from.lonMinutes, to.latDegrees,
                          to.latMinutes, to.lonDegrees, to.lonMinutes);
}

std::int32_t GetAirportDistance(std::string_view icao1, std::string_view icao2) {
  if (icao1 == icao2) return 0;
  std::optional<GeoPosition> a, b;
  if (Plan().PlanLoaded) {
    a = PlanAirportPosition(Plan(), icao1);
    b = PlanAirportPosition(Plan(), icao2);
  } else {
    if (SceneryAirports().empty()) {
      const SceneryLoadContext& ctx = DefaultSceneryContext();
      if (ctx.beginWait) ctx.beginWait("Getting FS2002 Scenery...");
      LoadSceneryAirports(SceneryAirports(), ctx);
      if (ctx.endWait) ctx.endWait();
      if (SceneryAirports().empty()) return -1;
    }
    a = SceneryAirportPosition(SceneryAirports(), icao1);
    b = SceneryAirportPosition(SceneryAirports(), icao2);
  }
  if (!a || !b) return -1;
  return GetGreatCircleDistance(*a, *b);
}

std::int32_t GetAirportCourse(std::string_view icao1, std::string_view icao2) {
  if (icao1 == icao2) return 0;
  std::optional<GeoPosition> a = PlanAirportPosition(Plan(), icao1);
  std::optional<GeoPosition> b = PlanAirportPosition(Plan(), icao2);
  if (!a || !b) return -1;
  return GetInitialCourse(*a, *b);
}

}  // namespace velk
