#pragma once
// Reading a traffic database back into plain records. The file is untrusted
// input: every count, size and offset is checked against the bytes that are
// really there before it is used.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "traffic_compiler/common/traffic_records.h"

namespace ulvane {

struct DecodedAirport {
  traffic::AirportCode code{};  // NUL-padded
  std::int32_t latitude = 0;   // 10001750 units per 90 degrees, north positive
  std::int32_t longitude = 0;  // 2^32 units per 360 degrees, east positive
  std::int32_t elevation = 0;  // metres
};

struct DecodedAircraft {
  std::uint32_t number = 0;  // the "AC#" number (stored value + 1)
  std::uint16_t speed = 0;   // knots
  std::string name;
};

struct DecodedLeg {
  std::uint16_t departure = 0;  // time codes
  std::uint16_t arrival = 0;
  traffic::AirportCode code{};  // destination, NUL-padded
  std::uint32_t packed = 0;     // altitude, flight number, F/R and fixed flags
};

struct DecodedPlan {
  std::uint64_t acNumber = 0;  // stored value + 1 (a u32 on disk)
  std::array<char, 8> registration{};
  std::uint16_t flags = 0;     // percent, period code, IFR bit
  std::uint32_t firstLeg = 0;  // into TrafficDatabase::legs
  std::uint32_t legCount = 0;

  int percent() const { return flags & 0xFF; }
  int periodCode() const { return (flags >> 8) & 0x0F; }
  bool ifr() const { return (flags & 0x1000) != 0; }
};

struct TrafficDatabase {
  std::vector<DecodedAirport> airports;  // sorted by code, case ignored
  std::vector<DecodedAircraft> aircraft; // file order
  std::vector<DecodedPlan> plans;        // file order
  std::vector<DecodedLeg> legs;          // all plans' legs, plan after plan
};

// Leg field accessors.
inline int LegAltitude(const DecodedLeg& leg) { return leg.packed & 0x3FF; }
inline int LegFlightNumber(const DecodedLeg& leg) { return (leg.packed >> 10) & 0x3FFF; }
inline bool LegUsesFlightNumber(const DecodedLeg& leg) { return (leg.packed >> 24) & 1; }
inline bool LegArrivalFixed(const DecodedLeg& leg) { return (leg.packed >> 25) & 1; }

// Orders two 4-byte codes without regard to (ASCII) case, stopping at the
// first NUL. Codes never compare past their 4 bytes.
int CompareCodesNoCase(const traffic::AirportCode& a, const traffic::AirportCode& b);

// Decodes `file` (the whole traffic.bgl) into `db`, printing the progress
// texts of the extraction on the console. Returns 0, or 5 (unreadable) when
// the file is short or damaged; `db` is then incomplete and must not be used.
// Nothing is reported here: the caller knows the file's path.
int ReadTrafficDatabase(std::string_view file, TrafficDatabase& db);

}  // namespace ulvane
