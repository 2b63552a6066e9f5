#pragma once
// Hand-laid traffic databases for the decompiler tests. The layout is written
// out field by field here, independently of the reader under test.
#include <cstdint>
#include <string>
#include <vector>

namespace ulvane::test {

struct DbAirport {
  std::string code;  // up to 4 bytes
  std::int32_t latitude = 0;
  std::int32_t longitude = 0;
  std::int32_t elevation = 0;
};

struct DbAircraft {
  std::uint16_t number = 1;  // the "AC#" number (stored minus one)
  std::uint16_t speed = 0;
  std::string name;
};

struct DbLeg {
  std::uint16_t departure = 0;
  std::uint16_t arrival = 0;
  std::string code;
  std::uint32_t altitude = 0;
  std::uint32_t flightNumber = 0;
  bool useFlightNumber = true;
  bool fixed = false;
};

struct DbPlan {
  std::uint32_t acNumber = 1;
  std::string registration;
  int percent = 100;
  int periodCode = 6;
  bool ifr = true;
  std::vector<DbLeg> legs;
};

inline void PutU16(std::string& b, size_t at, std::uint32_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void PutU32(std::string& b, size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
inline void AddU16(std::string& b, std::uint32_t v) {
  b.append(2, '\0');
  PutU16(b, b.size() - 2, v);
}
inline void AddU32(std::string& b, std::uint32_t v) {
  b.append(4, '\0');
  PutU32(b, b.size() - 4, v);
}
inline void AddChars(std::string& b, const std::string& s, size_t n) {
  std::string field = s.substr(0, n);
  field.resize(n, '\0');
  b += field;
}

// Offsets of the section table entries, for tests that damage them.
constexpr size_t kAirportEntry = 172, kAircraftEntry = 192, kPlanEntry = 212, kSectorEntry = 232;

// The database with its records in the given order (airports are not sorted
// here; tests choose the order) and an empty sector section.
inline std::string BuildDatabase(const std::vector<DbAirport>& airports,
                                 const std::vector<DbAircraft>& aircraft,
                                 const std::vector<DbPlan>& plans) {
  std::string b(252, '\0');
  PutU16(b, 0, 1);
  PutU32(b, 2, 10001750);
  PutU32(b, 6, static_cast<std::uint32_t>(-10001750));
  PutU32(b, 10, 0xFFFFFFFF);
  PutU32(b, 46, 168);
  PutU32(b, 118, 0x87654321);
  PutU32(b, 168, 4);
  auto entry = [&](size_t at, std::uint32_t count, std::uint32_t recordSize, std::uint32_t type,
                   std::uint32_t index) {
    PutU32(b, at, count);
    PutU32(b, at + 4, recordSize);
    PutU32(b, at + 8, 1);
    PutU32(b, at + 12, type);
    PutU32(b, at + 16, index);
  };

  // Airports: index then 16-byte records.
  std::uint32_t index = static_cast<std::uint32_t>(b.size());
  std::uint32_t record = index + 8 * static_cast<std::uint32_t>(airports.size());
  for (size_t i = 0; i < airports.size(); ++i) {
    AddChars(b, airports[i].code, 4);
    AddU32(b, record + 16 * static_cast<std::uint32_t>(i));
  }
  for (const DbAirport& a : airports) {
    AddChars(b, a.code, 4);
    AddU32(b, static_cast<std::uint32_t>(a.latitude));
    AddU32(b, static_cast<std::uint32_t>(a.longitude));
    AddU32(b, static_cast<std::uint32_t>(a.elevation));
  }
  entry(kAirportEntry, static_cast<std::uint32_t>(airports.size()), 16, 1, index);

  // Aircraft: index then variable records.
  index = static_cast<std::uint32_t>(b.size());
  record = index + 8 * static_cast<std::uint32_t>(aircraft.size());
  for (const DbAircraft& a : aircraft) {
    AddU32(b, a.number - 1u);
    AddU32(b, record);
    record += static_cast<std::uint32_t>(a.name.size() + 11);
  }
  for (const DbAircraft& a : aircraft) {
    AddU16(b, static_cast<std::uint32_t>(a.name.size() + 11));
    AddU16(b, 0);
    AddU16(b, a.number - 1u);
    AddU16(b, 0);
    AddU16(b, a.speed);
    b += a.name;
    b.push_back('\0');
  }
  entry(kAircraftEntry, static_cast<std::uint32_t>(aircraft.size()), 0, 2, index);

  // Plans: index then records of 22 + 12 per leg.
  index = static_cast<std::uint32_t>(b.size());
  record = index + 8 * static_cast<std::uint32_t>(plans.size());
  const std::int32_t n = static_cast<std::int32_t>(plans.size());
  for (std::int32_t k = 0; k < n; ++k) {
    AddU32(b, static_cast<std::uint32_t>(k - n - 1));
    AddU32(b, record);
    record += static_cast<std::uint32_t>(22 + 12 * plans[k].legs.size());
  }
  for (std::int32_t k = 0; k < n; ++k) {
    const DbPlan& p = plans[k];
    AddU32(b, static_cast<std::uint32_t>(22 + 12 * p.legs.size()));
    AddU32(b, static_cast<std::uint32_t>(k - n - 1));
    AddU32(b, p.acNumber - 1u);
    AddChars(b, p.registration, 8);
    AddU16(b, static_cast<std::uint32_t>(p.percent) | static_cast<std::uint32_t>(p.periodCode) << 8 |
                  (p.ifr ? 0x1000u : 0u));
    for (const DbLeg& l : p.legs) {
      AddU16(b, l.departure);
      AddU16(b, l.arrival);
      AddChars(b, l.code, 4);
      AddU32(b, l.altitude | l.flightNumber << 10 | (l.useFlightNumber ? 1u << 24 : 0u) |
                    (l.fixed ? 1u << 25 : 0u));
    }
  }
  entry(kPlanEntry, static_cast<std::uint32_t>(plans.size()), 0, 3, index);
  entry(kSectorEntry, 0, 0, 4, static_cast<std::uint32_t>(b.size()));
  return b;
}

}  // namespace ulvane::test
