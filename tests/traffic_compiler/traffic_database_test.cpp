#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "support/test_support.h"
#include "traffic_compiler/common/console.h"
#include "traffic_compiler/common/tool_error.h"
#include "traffic_compiler/common/tool_files.h"
#include "traffic_compiler/compiler/arrival_times.h"
#include "traffic_compiler/compiler/traffic_database.h"
#include "traffic_compiler/compiler/traffic_parser.h"
#include "traffic_compiler/compiler/traffic_sectors.h"

namespace traffic {
namespace {

// Two airports 15 nm apart on either side of the cell boundary at E0.9375,
// both in band 127; a 24-hour IFR plan and a weekly VFR plan with a fixed
// arrival fly between them.
const char* kAirports =
    "AAAA,N0* 10',E0* 50',0\r\n"
    "BBB,N0* 10',E1* 5',433\r\n";
const char* kAircraft =
    "AC#2,420,\"Jet\"\r\n"
    "AC#1,350,\"Prop A\"\r\n";
const char* kPlans =
    "AC#2,N1,50%,24Hr,IFR,01:00:00,x,350,F,100,BBB,02:00,,120,R,7,AAAA\r\n"
    "; weekly\r\n"
    "AC#1,N2,100%,WEEK,VFR,1/01:00:00,@1/02:00:00,10,R,5,BBB,1/03:00,,10,F,6,AAAA\r\n";

std::string Bytes(std::initializer_list<unsigned> values) {
  std::string s;
  for (unsigned v : values) s.push_back(static_cast<char>(v));
  return s;
}
std::string U32(std::uint32_t v) { return Bytes({v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF, v >> 24}); }
std::string U16(unsigned v) { return Bytes({v & 0xFF, v >> 8}); }

// The expected file, worked out field by field from the layout.
std::string ExpectedDatabase() {
  std::string f(168, '\0');
  f[0] = 1;
  f.replace(2, 4, U32(10001750));
  f.replace(6, 4, U32(static_cast<std::uint32_t>(-10001750)));
  f.replace(10, 4, U32(0xFFFFFFFF));
  f.replace(46, 4, U32(168));
  f.replace(118, 4, U32(0x87654321));
  // Section table: {count, record size, 1, type, index offset}.
  f += U32(4);
  f += U32(2) + U32(16) + U32(1) + U32(1) + U32(252);
  f += U32(2) + U32(0) + U32(1) + U32(2) + U32(300);
  f += U32(2) + U32(0) + U32(1) + U32(3) + U32(347);
  f += U32(2) + U32(0) + U32(1) + U32(4) + U32(455);
  // Airports: the 3-letter code sorts first.
  f += std::string("BBB\0", 4) + U32(268) + "AAAA" + U32(284);
  // N0* 10' -> 18521; E1* 5' -> 12924670; E0* 50' -> 9942053; 433 ft -> 132 m.
  f += std::string("BBB\0", 4) + U32(18521) + U32(12924670) + U32(132);
  f += "AAAA" + U32(18521) + U32(9942053) + U32(0);
  // Aircraft by number: AC#1 "Prop A" (17 bytes), AC#2 "Jet" (14 bytes).
  f += U32(0) + U32(316) + U32(1) + U32(333);
  f += U16(17) + U16(0) + U16(0) + U16(0) + U16(350) + std::string("Prop A\0", 7);
  f += U16(14) + U16(0) + U16(1) + U16(0) + U16(420) + std::string("Jet\0", 4);
  // Plans: ids -3 and -2, 46 bytes each.
  f += U32(static_cast<std::uint32_t>(-3)) + U32(363) + U32(static_cast<std::uint32_t>(-2)) + U32(409);
  // 15 nm at 420 kt is 128.57 s: arrivals 01:17:08 (4628 s) and 02:17:08.
  f += U32(46) + U32(static_cast<std::uint32_t>(-3)) + U32(1) + std::string("N1\0\0\0\0\0\0", 8);
  f += U16(50 | 6 << 8 | 1 << 12);
  f += U16(0xC155) + U16(0xC1B6) + std::string("BBB\0", 4) + U32(350 | 100 << 10 | 1 << 24);
  f += U16(0xC2AA) + U16(0xC30C) + "AAAA" + U32(120 | 7 << 10);
  // Weekly: 1/01:00:00 -> 1219, fixed 1/02:00:00 -> 1267, 1/03:00 -> 1316,
  // computed 15 nm at 350 kt = 154 s + 900 -> 98254 s -> 1330.
  f += U32(46) + U32(static_cast<std::uint32_t>(-2)) + U32(0) + std::string("N2\0\0\0\0\0\0", 8);
  f += U16(100 | 7 << 8);
  f += U16(0xE4C3) + U16(0xE4F3) + std::string("BBB\0", 4) + U32(10 | 5 << 10 | 1 << 25);
  f += U16(0xE524) + U16(0xE532) + "AAAA" + U32(10 | 6 << 10 | 1 << 24);
  // Sectors: one band, cells 192 and 193, each visited by both plans.
  // Crossings (0.1 nm bisection): 8.789 nm west of BBB, 6.270 nm east of AAAA.
  // Plan -3: into 192 at 7200+75+900 s (0xC307), back into 193 at
  // 3600+53+900 s (0xC1AF). Plan -2: into 192 at 97200+90+900 s (0xE531);
  // the fixed leg flies at 30 kt: into 193 at 90000+752+900 s (0xE4D9).
  f += U16(192) + U16(127) + U32(471) + U16(193) + U16(127) + U32(495);
  f += U32(24) + U32(192 | 127 << 16);
  f += U32(static_cast<std::uint32_t>(-3)) + U16(0xC307) + U16(0xC1AF);
  f += U32(static_cast<std::uint32_t>(-2)) + U16(0xE531) + U16(0xE4D9);
  f += U32(24) + U32(193 | 127 << 16);
  f += U32(static_cast<std::uint32_t>(-3)) + U16(0xC1AF) + U16(0xC307);
  f += U32(static_cast<std::uint32_t>(-2)) + U16(0xE4D9) + U16(0xE531);
  return f;
}

TrafficData Parse(const std::string& airports, const std::string& aircraft, const std::string& plans) {
  TrafficData d;
  EXPECT_EQ(ParseAirportsText(airports, d.airports).code, 0);
  EXPECT_EQ(ParseAircraftText(aircraft, d.aircraft).code, 0);
  EXPECT_EQ(ParsePlansText(plans, d.plans).code, 0);
  return d;
}

TEST(TrafficDatabase, SmallPlanByteForByte) {
  TrafficData data = Parse(kAirports, kAircraft, kPlans);
  std::string bytes;
  ScopedConsoleCapture out;
  ASSERT_EQ(BuildTrafficDatabase(data, bytes, "traffic_TEMP.bgl"), 0);
  const std::string expected = ExpectedDatabase();
  ASSERT_EQ(bytes.size(), expected.size());
  for (std::size_t i = 0; i < bytes.size(); ++i)
    ASSERT_EQ(static_cast<unsigned char>(bytes[i]), static_cast<unsigned char>(expected[i])) << "offset " << i;
  EXPECT_EQ(out.WithoutProgress(),
            "Generating airport database now...\n  Airports 2\n"
            "Generating aircraft database now...\n  Aircraft 2\n"
            "Generating flight plan database now...\n  Flight plans 2\n"
            "Sectorizing flight plans now...\n  Flight plans 2\n"
            "Sorting sector bands now...\n\n"
            "Generating traffic sector database now...\n\n");
}

TEST(TrafficDatabase, WriteBackSplicesOnlyComputedArrivals) {
  TrafficData data = Parse(kAirports, kAircraft, kPlans);
  std::string bytes;
  ScopedConsoleCapture out;
  ASSERT_EQ(BuildTrafficDatabase(data, bytes, "x"), 0);
  std::string result;
  WriteBackError error;
  ASSERT_TRUE(SpliceArrivalTimes(kPlans, data.plans, result, error));
  EXPECT_EQ(result,
            "AC#2,N1,50%,24Hr,IFR,01:00:00,01:17:08,350,F,100,BBB,02:00,02:17,120,R,7,AAAA\r\n"
            "; weekly\r\n"
            "AC#1,N2,100%,WEEK,VFR,1/01:00:00,@1/02:00:00,10,R,5,BBB,1/03:00,1/03:17,10,F,6,AAAA\r\n");
}

TEST(TrafficDatabase, WriteBackKeepsAByteOrderMarkAndEveryLineEnd) {
  TrafficData data = Parse(kAirports, kAircraft, kPlans);
  std::string bytes;
  ScopedConsoleCapture out;
  ASSERT_EQ(BuildTrafficDatabase(data, bytes, "x"), 0);
  // The mark before a comment line must not turn that line into a plan.
  const std::string text =
      "\xEF\xBB\xBF; plans\r"
      "AC#2,N1,50%,24Hr,IFR,01:00:00,,350,F,100,BBB,02:00,,120,R,7,AAAA\r"
      "; weekly\n"
      "AC#1,N2,100%,WEEK,VFR,1/01:00:00,@1/02:00:00,10,R,5,BBB,1/03:00,,10,F,6,AAAA";
  std::string result;
  WriteBackError error;
  ASSERT_TRUE(SpliceArrivalTimes(text, data.plans, result, error)) << error.line;
  EXPECT_EQ(result,
            "\xEF\xBB\xBF; plans\r"
            "AC#2,N1,50%,24Hr,IFR,01:00:00,01:17:08,350,F,100,BBB,02:00,02:17,120,R,7,AAAA\r"
            "; weekly\n"
            "AC#1,N2,100%,WEEK,VFR,1/01:00:00,@1/02:00:00,10,R,5,BBB,1/03:00,1/03:17,10,F,6,AAAA");
}

TEST(TrafficDatabase, ArrivalsAreReducedIntoTheirPeriod) {
  // 300 nm at 400 kt is 2700 s; with 900 s the 23:30 departure lands 00:30.
  EXPECT_EQ(FormatArrivalTime(23 * 3600 + 1800 + 3600, false, false), "00:30");
  EXPECT_EQ(FormatArrivalTime(23 * 3600 + 1800 + 3600, false, true), "00:30:00");
  EXPECT_EQ(FormatArrivalTime(6 * 86400 + 23 * 3600 + 4000, true, true), "0/00:06:40");
  // Far more than one period ahead still gives a valid time.
  EXPECT_EQ(FormatArrivalTime(2 * 86400 + 7200, false, true), "02:00:00");
  EXPECT_EQ(FormatArrivalTime(2 * 604800 + 86400, true, false), "1/00:00");
}

TEST(TrafficDatabase, WriteBackOutOfStepIsRefused) {
  TrafficData data = Parse(kAirports, kAircraft, kPlans);
  std::string result;
  WriteBackError error;
  ScopedConsoleCapture out;
  // A plan line that lost its legs since it was parsed.
  EXPECT_FALSE(SpliceArrivalTimes("AC#2,N1,50%,24Hr,IFR\r\n", data.plans, result, error));
  EXPECT_EQ(error.line, 1);
  // More plan lines than plans.
  EXPECT_FALSE(SpliceArrivalTimes(std::string(kPlans) + kPlans, data.plans, result, error));
  EXPECT_EQ(error.line, 4);
}

TEST(TrafficDatabase, UnknownAircraftOrAirportStopsTheBuild) {
  TrafficData data = Parse(kAirports, "AC#3,300,\"Other\"\n", kPlans);
  std::string bytes;
  {
    ScopedConsoleCapture out;
    EXPECT_EQ(BuildTrafficDatabase(data, bytes, "x"), 8);
    EXPECT_NE(out.text().find("\nERROR: A flight plan specifies an aircraft type AC#2\n"
                              "That type is not in the Aircraft.txt file\n\n"),
              std::string::npos);
  }
  data = Parse("AAAA,N0* 10',E0* 50',0\n", kAircraft, kPlans);
  ScopedConsoleCapture out;
  EXPECT_EQ(BuildTrafficDatabase(data, bytes, "x"), 9);
  EXPECT_NE(out.text().find("specifies the airport BBB\nThat airport is not in the Airports.txt file"),
            std::string::npos);
}

// A database past the reach of its offsets is refused as soon as its size
// shows: from the plans alone, part way through the sector walk, or after
// it. The limit is brought down to the sizes of a plan of 20000 flights.
TEST(TrafficDatabase, ADatabaseTooLargeForItsOffsetsIsRefusedEarly) {
  std::string plans;
  for (int i = 0; i < 10000; ++i) plans += kPlans;
  auto build = [&](std::uint64_t limit, std::string& bytes, std::string& said) {
    TrafficData data = Parse(kAirports, kAircraft, plans);
    ScopedConsoleCapture out;
    const int e = BuildTrafficDatabase(data, bytes, "x", SectorWalk::kFast, limit);
    said = out.WithoutProgress();
    return e;
  };
  std::string bytes, said;
  ASSERT_EQ(build(kMaxDatabaseSize, bytes, said), 0);
  const std::uint64_t size = bytes.size();
  const std::uint64_t sectors_at = GetU32(bytes, 248);  // the sector section's entry in the table
  ASSERT_EQ(build(size, bytes, said), 0);  // exactly at the limit
  EXPECT_EQ(bytes.size(), size);

  struct Row {
    std::uint64_t limit;
    const char* how;
    std::uint64_t reckoned;  // the size said
    bool walked;             // the sector walk was begun
    bool sorted;             // and went through every plan
  };
  const Row rows[] = {
      {size - 1, "", size, true, true},
      // Alike plans keep alike records: what the rest would add is exact.
      {sectors_at + (size - sectors_at) / 10, "about ", size, true, false},
      {sectors_at - 1, "at least ", sectors_at, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.limit);
    EXPECT_EQ(build(row.limit, bytes, said), kErrTooLarge);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(said.find("Sectorizing") != std::string::npos, row.walked);
    EXPECT_EQ(said.find("Sorting sector bands") != std::string::npos, row.sorted);
    EXPECT_TRUE(said.ends_with("\nERROR: The flight plans are too large for the traffic.bgl format:\n"
                               "the file would take " + std::string(row.how) + std::to_string(row.reckoned) +
                               " bytes, but the format's\n32-bit offsets reach only " + std::to_string(row.limit) +
                               " bytes\n\n"))
        << said;
  }
}

TEST(TrafficSectors, GridEdgesStayInsideTheGrid) {
  EXPECT_EQ(CellOf({-kPi / 2, kPi}), (GridCell{383, 255}));
  EXPECT_EQ(CellOf({kPi / 2, -kPi}), (GridCell{0, 0}));
}

TrafficPlan TwoLegPlan(const char* a, const char* b, std::uint32_t dep0, std::uint32_t dep1) {
  TrafficPlan p;
  p.period_code = 6;
  p.legs.resize(2);
  p.legs[0].destination = MakeAirportCode(b);
  p.legs[0].departure = dep0;
  p.legs[1].destination = MakeAirportCode(a);
  p.legs[1].departure = dep1;
  return p;
}

TEST(TrafficSectors, OneCellPlanKeepsItsSingleRecord) {
  std::vector<TrafficAirport> airports(2);
  airports[0].code = MakeAirportCode("AAAA");
  airports[1].code = MakeAirportCode("AAAB");
  airports[1].lon_minutes = 10;
  AirportIndex index(airports);
  auto records = WalkPlan(TwoLegPlan("AAAA", "AAAB", 3600, 7200), -2, 400, index);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].entry, 0);
  EXPECT_EQ(records[0].exit, 0);
  EXPECT_TRUE(KeepSectorRecord(records[0]));
}

TEST(TrafficSectors, AntimeridianAndPoleCrossings) {
  std::vector<TrafficAirport> airports(3);
  airports[0].code = MakeAirportCode("WEST");
  airports[0].lon_degrees = 179;
  airports[0].lon_minutes = 50;
  airports[1].code = MakeAirportCode("EAST");
  airports[1].lon_degrees = -179;
  airports[1].lon_minutes = -50;
  airports[2].code = MakeAirportCode("POLE");
  airports[2].lat_degrees = 89;
  airports[2].lat_minutes = 59;
  AirportIndex index(airports);
  auto records = WalkPlan(TwoLegPlan("WEST", "EAST", 0, 40000), -2, 300, index);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].where.cell, 0);    // EAST, the plan's first destination
  EXPECT_EQ(records[1].where.cell, 383);  // WEST
  // Flying over the pole passes band 0 and never leaves the grid.
  TrafficAirport far = airports[0];
  far.code = MakeAirportCode("FAR");
  far.lat_degrees = 80;
  far.lon_degrees = 0;
  far.lon_minutes = 0;
  TrafficAirport other = far;
  other.code = MakeAirportCode("OTH");
  other.lon_degrees = 179;
  std::vector<TrafficAirport> polar{far, other};
  AirportIndex polar_index(polar);
  records = WalkPlan(TwoLegPlan("FAR", "OTH", 0, 40000), -2, 300, polar_index);
  bool band0 = false;
  for (const auto& r : records) {
    band0 |= r.where.band == 0;
    EXPECT_LT(r.where.cell, 384);
    EXPECT_LT(r.where.band, 256);
  }
  EXPECT_TRUE(band0);
}

TEST(TrafficSectors, FixedLegBeforeItsDepartureGetsAUsableSpeed) {
  // A fixed leg arriving "before" it departs flies over midnight; its
  // crossings must stay within the day, not run off with a zero speed.
  TrafficData data = Parse(kAirports, kAircraft,
                           "AC#2,N1,50%,24Hr,IFR,23:50:00,@00:20:00,350,F,100,BBB,02:00,,120,R,7,AAAA\n");
  std::string bytes;
  ScopedConsoleCapture out;
  ASSERT_EQ(BuildTrafficDatabase(data, bytes, "x"), 0);
  AirportIndex index(data.airports);
  auto records = WalkPlan(data.plans[0], -2, 420, index);
  ASSERT_EQ(records.size(), 2u);
  // 30 min less 2 x 900 s leaves no flying time: cruise speed is used.
  EXPECT_EQ(records[0].entry, EncodeTimeCode(23 * 3600 + 3000 + 53 + 900, 6));
}

}  // namespace
}  // namespace traffic

namespace traffic {
namespace {

TEST(ArrivalWriteBack, ReplacesThePlanOnlyWhenEverythingFits) {
  velk::test::TempDir dir;
  TrafficData data = Parse(kAirports, kAircraft, kPlans);
  std::string bytes;
  ScopedConsoleCapture out;
  ASSERT_EQ(BuildTrafficDatabase(data, bytes, "x"), 0);

  // Out of step (the file changed since it was parsed): error 55, the plan
  // stays as it was; the temporary file keeps what was done.
  const std::string changed = "; changed\r\nAC#2,N1,50%,24Hr,IFR\r\n";
  velk::test::WriteFile(dir / "FlightPlans.txt", changed);
  EXPECT_EQ(InsertArrivalTimes(dir / "FlightPlans.txt", data.plans), 55);
  EXPECT_EQ(velk::test::ReadFile(dir / "FlightPlans.txt"), changed);
  EXPECT_EQ(velk::test::ReadFile(dir / "FlightPlansTemp.txt"), "; changed\r\n");
  EXPECT_NE(out.text().find("\nERROR in file FlightPlans.txt :\n\nLine 2: AC#2,N1,50%,24Hr,IFR\n"),
            std::string::npos);

  velk::test::WriteFile(dir / "FlightPlans.txt", kPlans);
  std::filesystem::permissions(dir / "FlightPlans.txt", std::filesystem::perms::owner_read |
                                                            std::filesystem::perms::owner_write);
  EXPECT_EQ(InsertArrivalTimes(dir / "FlightPlans.txt", data.plans), 0);
  EXPECT_EQ(velk::test::ReadFile(dir / "FlightPlans.txt"),
            "AC#2,N1,50%,24Hr,IFR,01:00:00,01:17:08,350,F,100,BBB,02:00,02:17,120,R,7,AAAA\r\n"
            "; weekly\r\n"
            "AC#1,N2,100%,WEEK,VFR,1/01:00:00,@1/02:00:00,10,R,5,BBB,1/03:00,1/03:17,10,F,6,AAAA\r\n");
  EXPECT_EQ(std::filesystem::status(dir / "FlightPlans.txt").permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_FALSE(std::filesystem::exists(dir / "FlightPlansTemp.txt"));

  // A missing plan file: error 10, nothing created.
  std::filesystem::remove(dir / "FlightPlans.txt");
  EXPECT_EQ(InsertArrivalTimes(dir / "FlightPlans.txt", data.plans), 10);
  EXPECT_FALSE(std::filesystem::exists(dir / "FlightPlansTemp.txt"));
}

}  // namespace
}  // namespace traffic

namespace traffic {
namespace {

TEST(ArrivalWriteBack, ALargePlanWrittenInPiecesEqualsTheWholeText) {
  // Well past the size of one piece, with comment lines in between.
  std::string text;
  for (int k = 0; k < 30000; ++k) {
    text += "AC#2,N" + std::to_string(k) + ",50%,24Hr,IFR,01:00:00,x,350,F,100,BBB,02:00,,120,R,7,AAAA\r\n";
    if (k % 1000 == 0) text += "; block " + std::to_string(k) + "\n";
  }
  ASSERT_GT(text.size(), 2u << 20);
  TrafficData data = Parse(kAirports, kAircraft, text);
  std::string bytes;
  ScopedConsoleCapture out;
  ASSERT_EQ(BuildTrafficDatabase(data, bytes, "x"), 0);
  std::string whole;
  WriteBackError error;
  ASSERT_TRUE(SpliceArrivalTimes(text, data.plans, whole, error));
  velk::test::TempDir dir;
  velk::test::WriteFile(dir / "FlightPlans.txt", text);
  EXPECT_EQ(InsertArrivalTimes(dir / "FlightPlans.txt", data.plans), 0);
  EXPECT_TRUE(velk::test::ReadFile(dir / "FlightPlans.txt") == whole);
}

TEST(TrafficDatabase, TheFirstUnknownAircraftOrAirportInFileOrderIsReported) {
  // Plans are worked on in blocks on several threads; the report is that of
  // the first failing plan all the same.
  std::string text;
  for (int k = 0; k < 3000; ++k) {
    const char* ac = k == 2500 ? "AC#9" : "AC#2";
    const char* airport = k == 1700 ? "CCCC" : (k == 2900 ? "DDDD" : "AAAA");
    text += std::string(ac) + ",N1,50%,24Hr,IFR,01:00,,350,F,1,BBB,02:00,,1,F,1," + airport + "\n";
  }
  TrafficData data = Parse(kAirports, kAircraft, text);
  std::string bytes;
  ScopedConsoleCapture out;
  EXPECT_EQ(BuildTrafficDatabase(data, bytes, "x"), 9);
  EXPECT_NE(out.text().find("specifies the airport CCCC\n"), std::string::npos);
  EXPECT_EQ(out.text().find("AC#9"), std::string::npos);
  EXPECT_EQ(out.text().find("DDDD"), std::string::npos);
}

TEST(TrafficDatabase, OneAirportOneAircraftNoPlans) {
  TrafficData data = Parse("KSEA,N47* 26.99',W122* 18.71',433\n", "AC#1,250,\"ABCDEFGHIJ\"\n", "; none\n");
  std::string bytes;
  ScopedConsoleCapture out;
  ASSERT_EQ(BuildTrafficDatabase(data, bytes, "x"), 0);
  std::string expected(168, '\0');
  expected[0] = 1;
  expected.replace(2, 4, U32(10001750));
  expected.replace(6, 4, U32(static_cast<std::uint32_t>(-10001750)));
  expected.replace(10, 4, U32(0xFFFFFFFF));
  expected.replace(46, 4, U32(168));
  expected.replace(118, 4, U32(0x87654321));
  expected += U32(4);
  expected += U32(1) + U32(16) + U32(1) + U32(1) + U32(252);
  expected += U32(1) + U32(0) + U32(1) + U32(2) + U32(276);
  expected += U32(0) + U32(0) + U32(1) + U32(3) + U32(305);
  expected += U32(0) + U32(0) + U32(1) + U32(4) + U32(305);
  expected += "KSEA" + U32(260);
  // 26.99' is held as the float 26.989999771118164:
  // (26.98999977/60 + 47) x 111130.5556 = 5273126.3;
  // -(18.70999908/60 + 122) x 11930464.71 = -1459237011.15; 433 ft = 132 m.
  expected += "KSEA" + U32(5273126) + U32(static_cast<std::uint32_t>(-1459237011)) + U32(132);
  expected += U32(0) + U32(284);
  expected += U16(21) + U16(0) + U16(0) + U16(0) + U16(250) + std::string("ABCDEFGHIJ\0", 11);
  EXPECT_TRUE(bytes == expected);
}

}  // namespace
}  // namespace traffic
