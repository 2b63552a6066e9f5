#pragma once
// The records that the traffic tools build from the three text files and
// read from or write to traffic.bgl.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace traffic {

// Airport codes are at most 4 bytes, NUL-padded.
using AirportCode = std::array<char, 4>;

struct TrafficAirport {
  AirportCode code{};
  std::int32_t lat_degrees = 0;   // hemisphere sign applied, north positive
  float lat_minutes = 0;          // seconds folded in, same sign as the degrees
  std::int32_t lon_degrees = 0;   // east positive
  float lon_minutes = 0;
  std::int32_t elevation_m = 0;
};

struct TrafficAircraft {
  std::uint16_t number = 0;  // the n of "AC#n", 1-65535
  std::uint16_t cruise_speed = 0;  // knots, 1-65535
  std::string name;                // at most 100 bytes, case kept
};

struct TrafficLeg {
  std::uint32_t departure = 0;  // seconds from the start of the day (of the week for WEEK)
  std::uint32_t arrival = 0;    // fixed, or computed before the database is written
  std::uint16_t altitude = 0;   // hundreds of feet, 0-1023
  std::uint16_t flight_number = 0;  // 0-16383
  bool use_flight_number = false;   // "F" (true) or "R"
  bool fixed_arrival = false;       // the arrival field began with "@"
  AirportCode destination{};
};

struct TrafficPlan {
  std::uint16_t aircraft_number = 0;
  std::array<char, 8> registration{};  // at most 7 bytes, NUL-padded
  std::uint8_t percent = 0;            // 1-100
  std::uint8_t period_code = 0;        // 0-7
  bool ifr = false;
  std::vector<TrafficLeg> legs;
};

struct TrafficData {
  std::vector<TrafficAirport> airports;  // file order
  std::vector<TrafficAircraft> aircraft; // file order
  std::vector<TrafficPlan> plans;        // file order
};

}  // namespace traffic
