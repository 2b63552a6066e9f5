#pragma once
// Distances and courses between positions and between airports. Positions
// are whole minutes of arc: latitude degrees and minutes, longitude degrees
// and minutes, degrees and minutes carrying the same sign. North and WEST
// are positive, south and east negative; the traffic compiler counts
// longitude the other way round and keeps its own functions for that.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace velk {

struct PlanState;
struct SceneryAirport;

// A position as ParseCoordinate reads it: whole degrees and whole minutes of
// latitude and longitude, north and west positive.
struct GeoPosition {
  std::int32_t latDegrees = 0;
  std::int32_t latMinutes = 0;
  std::int32_t lonDegrees = 0;
  std::int32_t lonMinutes = 0;
};

// Reads a coordinate text such as "N47* 26.99'" into whole degrees and whole
// minutes (the minute decimals are dropped). False, with 0 and 0, when the
// text has no "*" or no ".".
bool ParseCoordinate(std::string_view text, std::int32_t& degrees, std::int32_t& minutes);

// Arc cosine in radians; values at or beyond -1 and 1 give pi and 0.
double ArcCos(double x);
double RadiansToDegrees(double radians);

// Great-circle distance in whole nautical miles.
std::int32_t GetGreatCircleDistance(std::int32_t lat1Deg, std::int32_t lat1Min, std::int32_t lon1Deg,
                                    std::int32_t lon1Min, std::int32_t lat2Deg, std::int32_t lat2Min,
                                    std::int32_t lon2Deg, std::int32_t lon2Min);

// Initial true course from the first position to the second, 0 to 359.
std::int32_t GetInitialCourse(std::int32_t lat1Deg, std::int32_t lat1Min, std::int32_t lon1Deg,
                              std::int32_t lon1Min, std::int32_t lat2Deg, std::int32_t lat2Min,
                              std::int32_t lon2Deg, std::int32_t lon2Min);

// The position of a latitude and longitude text pair; nothing when either
// does not read.
std::optional<GeoPosition> ParsePosition(std::string_view latitude, std::string_view longitude);
// The position of `icao` (any case) in the plan's Airports; nothing when the
// code is not there or its coordinates do not read.
std::optional<GeoPosition> PlanAirportPosition(const PlanState& plan, std::string_view icao);
// The position of the first scenery airport whose code is exactly `icao`.
std::optional<GeoPosition> SceneryAirportPosition(const std::vector<SceneryAirport>& scenery, std::string_view icao);

std::int32_t GetGreatCircleDistance(const GeoPosition& from, const GeoPosition& to);
std::int32_t GetInitialCourse(const GeoPosition& from, const GeoPosition& to);

// Distance between two airports: from the plan's Airports (any case) while a
// plan is loaded, else from the scenery airports (exact case), which are
// loaded first when needed. 0 for two equal codes, -1 when unknown.
std::int32_t GetAirportDistance(std::string_view icao1, std::string_view icao2);

// Course between two airports of the plan's Airports only. 0 for two equal
// codes, -1 when unknown.
std::int32_t GetAirportCourse(std::string_view icao1, std::string_view icao2);

}  // namespace velk
