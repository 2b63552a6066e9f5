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

// Byte positions in the database of SampleDatabase(), worked out from its
// layout: 3 airports, 2 aircraft ("Test Jet" and a 100-byte name), 3 plans of
// 2 legs each.
inline constexpr size_t kAirportIndex = 252;
inline constexpr size_t kAirportRecords = kAirportIndex + 3 * 8;        // 276
inline constexpr size_t kAircraftIndex = kAirportRecords + 3 * 16;      // 324
inline constexpr size_t kAircraftRecords = kAircraftIndex + 2 * 8;      // 340
inline constexpr size_t kSecondAircraft = kAircraftRecords + 8 + 11;    // 359
inline constexpr size_t kPlanIndex = kSecondAircraft + 100 + 11;        // 470
inline constexpr size_t kPlanRecords = kPlanIndex + 3 * 8;              // 494
inline constexpr size_t kPlanSize = 22 + 2 * 12;                        // 46
inline constexpr size_t kDatabaseSize = kPlanRecords + 3 * kPlanSize;   // 632

inline std::string SampleDatabase() {
  std::vector<DbAirport> airports = {
      {"ABC", -3771030, 1803488582, -3},
      {"KSEA", 5273126, -1459237011, 132},
      {"egll", 5720723, -5503921, 25},  // lower case sorts by letter, not by byte
  };
  std::vector<DbAircraft> aircraft = {{1, 250, "Test Jet"}, {3, 450, std::string(100, 'x')}};
  std::vector<DbPlan> plans(3);
  plans[0] = {1, "N123AB", 50, 6, true,
              {{0xDEAA, 0xC155, "KSEA", 350, 1234, true, false},
               {0xC2AA, 0xC4AA, "egll", 5, 7, false, true}}};
  plans[1] = {3, "ABCDEFG", 100, 5, false,
              {{0xBD55, 0xA2AA, "ABC", 0, 0, false, false},
               {0xA000, 0xA2AA, "KSEA", 10, 100, true, false}}};
  plans[2] = {1, "WK1", 1, 7, true,
              {{0xE96D, 0xFFCF, "egll", 1023, 16383, true, false},
               {0xE030, 0xE061, "KSEA", 0, 0, false, false}}};
  return BuildDatabase(airports, aircraft, plans);
}

inline const char kSampleAirports[] =
    "ABC ,S33* 56.00',E151* 10.00',-10\r\n"
    "egll,N51* 28.65',W0* 27.68',82\r\n"
    "KSEA,N47* 26.99',W122* 18.71',433\r\n";
inline const std::string kSampleAircraft =
    "AC#1,250,\"Test Jet\"\r\n"
    "AC#3,450,\"" + std::string(100, 'x') + "\"\r\n";
inline const char kSamplePlans[] =
    "AC#1,N123AB,50%,24Hr,IFR,22:59:53,00:59:56,350,F,1234,KSEA,01:59:53,@03:29:53,005,R,0007,egll\r\n"
    "AC#3,ABCDEFG,100%,12Hr,VFR,10:59:58,12:59:56,000,R,0000,ABC,12:00:00,12:59:56,010,F,0100,KSEA\r\n"
    "AC#1,WK1,1%,WEEK,IFR,2/01:29:07,6/22:59:42,1023,F,16383,egll,0/00:59:04,0/01:59:21,000,R,0000,KSEA\r\n";

}  // namespace ulvane::test
