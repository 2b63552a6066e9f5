// Reading databases: exact text from hand-laid files, and damaged or hostile
// files that must end in a clean "unreadable" without touching memory they
// do not own.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "traffic_compiler/common/console.h"
#include "traffic_compiler/decompiler/traffic_reader.h"
#include "traffic_compiler/decompiler/traffic_text.h"
#include "traffic_compiler/decompiler_test_db.h"

namespace ulvane::test {
namespace {

constexpr int kUnreadable = 5;

int Read(const std::string& bytes, TrafficDatabase& db) {
  traffic::ScopedConsoleCapture quiet;
  return ReadTrafficDatabase(bytes, db);
}

int Read(const std::string& bytes) {
  TrafficDatabase db;
  return Read(bytes, db);
}

// Decoding must also be able to turn whatever it accepted into text.
void WriteAllTexts(const TrafficDatabase& db) {
  traffic::ScopedConsoleCapture quiet;
  AirportsText(db);
  AircraftText(db);
  FlightPlansText(db);
}

TEST(DecompilerReader, ProgressCountersComeEveryThirtyThirdAndTenthRecord) {
  std::vector<DbAirport> airports(34, {"AAAA", 0, 0, 0});
  std::vector<DbAircraft> aircraft(11, {1, 100, "A"});
  std::string bytes = BuildDatabase(airports, aircraft, {});
  TrafficDatabase db;
  traffic::ScopedConsoleCapture console;
  ASSERT_EQ(ReadTrafficDatabase(bytes, db), 0);
  EXPECT_EQ(console.text(),
            "Extracting airport database now...\n"
            "  Airports 0\r  Airports 33\r  Airports 34\n"
            "Extracting aircraft database now...\n"
            "  Aircraft 0\r  Aircraft 10\r  Aircraft 11\n"
            "Extracting flight plan database now...\n"
            "  Flight plans 0\n");
}

TEST(DecompilerReader, OnlyTheFirstIndexEntryIsFollowed) {
  std::string bytes = SampleDatabase();
  // Later index entries pointing anywhere (even outside the file) change
  // nothing: records are read one after the other.
  PutU32(bytes, kAirportIndex + 8 + 4, 0xFFFFFFF0);
  PutU32(bytes, kAircraftIndex + 8 + 4, 7);
  PutU32(bytes, kPlanIndex + 16 + 4, 0x7FFFFFFF);
  TrafficDatabase db;
  ASSERT_EQ(Read(bytes, db), 0);
  traffic::ScopedConsoleCapture quiet;
  EXPECT_EQ(AirportsText(db), kSampleAirports);
  EXPECT_EQ(FlightPlansText(db), kSamplePlans);
}

TEST(DecompilerReader, EmptySectionsAreSkippedWhateverTheirIndexSays) {
  // What the compiler writes for comment-only text files: counts of 0 with
  // index offsets at the end of the file.
  std::string bytes = BuildDatabase({}, {}, {});
  ASSERT_EQ(bytes.size(), 252u);
  TrafficDatabase db;
  EXPECT_EQ(Read(bytes, db), 0);
  // Even an index offset far outside the file is not looked at.
  PutU32(bytes, kAirportEntry + 16, 0xFFFFFFFF);
  PutU32(bytes, kPlanEntry + 16, 0xFFFFFFFF);
  EXPECT_EQ(Read(bytes, db), 0);
  EXPECT_TRUE(db.airports.empty() && db.aircraft.empty() && db.plans.empty());
}

TEST(DecompilerReader, AirportCodesCompareAtMostFourBytesWithoutCase) {
  using Code = std::array<char, 4>;
  EXPECT_LT(CompareCodesNoCase(Code{'A', 'B', 'C', '\0'}, Code{'a', 'b', 'c', 'd'}), 0);
  // Bytes after a NUL do not count; 8-bit bytes sort after ASCII.
  EXPECT_EQ(CompareCodesNoCase(Code{'A', '\0', 'x', 'y'}, Code{'A', '\0', 'z', 'w'}), 0);
  EXPECT_GT(CompareCodesNoCase(Code{'\xC4', 'A', 'A', 'A'}, Code{'Z', 'Z', 'Z', 'Z'}), 0);

  // Codes equal without regard to case keep their order in the file, and
  // the sort never looks at the coordinates that follow the code.
  std::string bytes = BuildDatabase({{"KSEA", 1, 0, 0}, {"ksea", 2, 0, 0}, {"Ksea", 3, 0, 0}}, {}, {});
  TrafficDatabase db;
  ASSERT_EQ(Read(bytes, db), 0);
  ASSERT_EQ(db.airports.size(), 3u);
  EXPECT_EQ(db.airports[0].latitude, 1);
  EXPECT_EQ(db.airports[1].latitude, 2);
  EXPECT_EQ(db.airports[2].latitude, 3);
}

TEST(DecompilerReader, DamagedCountsSizesAndOffsetsAreUnreadable) {
  struct Damage {
    const char* what;
    size_t at;
    int bytes;  // 2 or 4
    std::uint32_t value;
  };
  const Damage damages[] = {
      {"airport count beyond the file", kAirportEntry, 4, 40},
      {"airport count whose byte size wraps 32 bits", kAirportEntry, 4, 0x10000001},
      {"airport count at the maximum", kAirportEntry, 4, 0xFFFFFFFF},
      {"airport index offset past the end", kAirportEntry + 16, 4, kDatabaseSize - 7},
      {"airport record offset past the end", kAirportIndex + 4, 4, 0xFFFFFFF0},
      {"airport block running past the end", kAirportIndex + 4, 4, kDatabaseSize - 40},
      {"aircraft count beyond the records", kAircraftEntry, 4, 0xFFFFFFFF},
      {"aircraft record offset past the end", kAircraftIndex + 4, 4, kDatabaseSize},
      {"aircraft record size below its head", kAircraftRecords, 2, 3},
      {"aircraft record size of a head without name", kAircraftRecords, 2, 10},
      {"aircraft record size past the end", kSecondAircraft, 2, 0xFFFF},
      {"aircraft name without its NUL", kSecondAircraft + 10 + 100, 2, 0x7878},
      {"plan count beyond the records", kPlanEntry, 4, 4},
      {"plan count at the maximum", kPlanEntry, 4, 0xFFFFFFFF},
      {"plan index offset past the end", kPlanEntry + 16, 4, 0xFFFFFFF9},
      {"plan record size below its head", kPlanRecords, 4, 21},
      {"plan record size of zero", kPlanRecords, 4, 0},
      {"plan record size past the end", kPlanRecords + 2 * kPlanSize, 4, kPlanSize + 1},
      {"plan record size at the maximum", kPlanRecords, 4, 0xFFFFFFFF},
      {"period code 8", kPlanRecords + 20, 2, 50 | 8 << 8},
      {"period code 15", kPlanRecords + 20, 2, 50 | 15 << 8 | 0x1000},
  };
  ASSERT_EQ(SampleDatabase().size(), kDatabaseSize);  // the offsets above fit
  for (const Damage& d : damages) {
    std::string bytes = SampleDatabase();
    if (d.bytes == 2) PutU16(bytes, d.at, d.value);
    else PutU32(bytes, d.at, d.value);
    EXPECT_EQ(Read(bytes), kUnreadable) << d.what;
  }
}

TEST(DecompilerReader, RecordSizesDecideWhereTheNextRecordStarts) {
  // A plan record with a size that is not 22 + 12 x legs: the spare bytes
  // are skipped rather than read as the start of the next plan.
  std::string bytes = SampleDatabase();
  bytes.insert(kPlanRecords + kPlanSize, 5, '\x7F');
  PutU32(bytes, kPlanRecords, kPlanSize + 5);
  TrafficDatabase db;
  ASSERT_EQ(Read(bytes, db), 0);
  ASSERT_EQ(db.plans.size(), 3u);
  EXPECT_EQ(db.plans[0].legCount, 2u);
  EXPECT_EQ(db.plans[1].acNumber, 3u);
  EXPECT_EQ(db.plans[2].periodCode(), 7);
}

TEST(DecompilerReader, EveryTruncationIsUnreadable) {
  const std::string full = SampleDatabase();
  for (size_t n = 0; n < full.size(); ++n)
    ASSERT_EQ(Read(full.substr(0, n)), kUnreadable) << "cut at " << n;
  EXPECT_EQ(Read(full), 0);
}

TEST(DecompilerReader, RandomBytesNeverGoBeyondAnError) {
  std::mt19937 rng(20021);
  std::uniform_int_distribution<int> byte(0, 255);
  // Pure noise of every small size, with a plausible table so that reading
  // goes past the first checks.
  for (int round = 0; round < 3000; ++round) {
    std::string bytes(static_cast<size_t>(rng() % 1200), '\0');
    for (char& c : bytes) c = static_cast<char>(byte(rng));
    if (bytes.size() >= 252 && round % 2 == 0) {
      for (size_t e : {kAirportEntry, kAircraftEntry, kPlanEntry}) {
        PutU32(bytes, e, rng() % 8);
        PutU32(bytes, e + 16, static_cast<std::uint32_t>(rng() % bytes.size()));
      }
    }
    TrafficDatabase db;
    int rc = Read(bytes, db);
    ASSERT_TRUE(rc == 0 || rc == kUnreadable);
    if (rc == 0) WriteAllTexts(db);
  }
  // Single and multiple byte changes of a valid database.
  const std::string base = SampleDatabase();
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = base;
    int changes = 1 + static_cast<int>(rng() % 6);
    for (int i = 0; i < changes; ++i) bytes[rng() % bytes.size()] = static_cast<char>(byte(rng));
    TrafficDatabase db;
    int rc = Read(bytes, db);
    ASSERT_TRUE(rc == 0 || rc == kUnreadable);
    if (rc == 0) WriteAllTexts(db);
  }
}

}  // namespace
}  // namespace ulvane::test
