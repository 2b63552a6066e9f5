#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "traffic_compiler/common/console.h"
#include "traffic_compiler/common/traffic_codes.h"
#include "traffic_compiler/compiler/traffic_parser.h"
#include "traffic_compiler/decompiler/traffic_text.h"

namespace traffic {
namespace {

using namespace std::string_literals;

struct ErrorCase {
  const char* what;
  TrafficFile file;
  std::string text;
  int code;
  int line;
  std::size_t start;
  std::size_t length;
};

ParseError ParseAs(TrafficFile file, const std::string& text) {
  std::vector<TrafficAirport> airports;
  std::vector<TrafficAircraft> aircraft;
  std::vector<TrafficPlan> plans;
  switch (file) {
    case TrafficFile::kAirports: return ParseAirportsText(text, airports);
    case TrafficFile::kAircraft: return ParseAircraftText(text, aircraft);
    case TrafficFile::kFlightPlans: break;
  }
  return ParsePlansText(text, plans);
}

constexpr auto kAp = TrafficFile::kAirports;
constexpr auto kAc = TrafficFile::kAircraft;
constexpr auto kFp = TrafficFile::kFlightPlans;
const std::string kPlan = "AC#1,N1,50%,24Hr,IFR,";
const std::string kLeg = "08:00,,350,F,100,KSEA";

TEST(TrafficParser, EveryCheckReportsItsCodeLineAndField) {
  const std::vector<ErrorCase> cases = {
      // Airports.txt
      {"leading comma", kAp, ",N1* 0',E1* 0',0", 12, 1, 0, 0},
      {"code too long", kAp, "; c\n\nKSEAX,N1* 0',E1* 0',0", 28, 3, 0, 5},
      {"latitude missing", kAp, "KSEA, ,E1* 0',0", 13, 1, 6, 0},
      {"blank after letter", kAp, "KSEA,N 47* 26.99',W122* 18.71',433", 30, 1, 5, 12},
      {"no minutes", kAp, "KSEA,N47*',W122* 18.71',433", 30, 1, 5, 5},
      {"latitude 90", kAp, "KSEA,N90* 0',W122* 18.71',433", 32, 1, 5, 7},
      {"range beats letter", kAp, "KSEA,X90* 0',W122* 18.71',433", 32, 1, 5, 7},
      {"wrong letter", kAp, "KSEA,X47* 0',W122* 18.71',433", 30, 1, 5, 7},
      {"seconds 60", kAp, "KSEA,N47* 1' 60\",W122* 18.71',433", 32, 1, 5, 11},
      {"longitude missing", kAp, "KSEA,N47* 26.99'", 14, 1, 16, 0},
      {"longitude 180", kAp, "KSEA,N47* 26.99',E180* 0',1", 33, 1, 17, 8},
      {"longitude letter", kAp, "KSEA,N47* 26.99',N122* 0',1", 31, 1, 17, 8},
      {"huge degrees", kAp, "KSEA,N4294967386* 0',E1* 0',1", 32, 1, 5, 15},
      {"elevation missing", kAp, "KSEA,N47* 26.99',W122* 18.71', ; c", 15, 1, 31, 0},
      {"elevation letters", kAp, "KSEA,N47* 26.99',W122* 18.71',abc", 29, 1, 30, 3},
      // Aircraft.txt
      {"leading comma", kAc, "  ,450,\"Jet\"", 16, 1, 0, 0},
      {"wrong prefix", kAc, "AB#5,450,\"Jet\"", 34, 1, 0, 4},
      {"AC#0", kAc, "AC#0,450,\"Jet\"", 35, 1, 0, 4},
      {"bare AC#", kAc, "AC#,450,\"Jet\"", 35, 1, 0, 3},
      {"AC# letter", kAc, "AC#x,450,\"Jet\"", 35, 1, 0, 4},
      {"AC number past 16 bits", kAc, "AC#65537,450,\"Jet\"", 56, 1, 0, 8},
      {"speed missing", kAc, "AC#5,,Boeing", 17, 1, 5, 0},
      {"speed letters", kAc, "AC#5,fast,Boeing", 36, 1, 5, 4},
      {"speed 0", kAc, "AC#5,0,Boeing", 37, 1, 5, 1},
      {"speed past 16 bits", kAc, "AC#5,65536,Boeing", 57, 1, 5, 5},
      {"speed overflow", kAc, "AC#5,99999999999,Boeing", 57, 1, 5, 11},
      {"name missing", kAc, "AC#5,450, // none", 18, 1, 10, 0},
      {"lone quote", kAc, "AC#5,450,\"", 38, 1, 9, 1},
      {"name 101", kAc, "AC#5,450,\"" + std::string(101, 'n') + "\"", 39, 1, 9, 103},
      // FlightPlans.txt header
      {"leading comma", kFp, ",N1", 16, 1, 0, 0},
      {"registration missing", kFp, "AC#1,,50%", 19, 1, 5, 0},
      {"registration 8", kFp, "AC#1,ABCDEFGH,50%", 40, 1, 5, 8},
      {"percent missing", kFp, "AC#1,N1,", 20, 1, 8, 0},
      {"percent letters", kFp, "AC#1,N1,x%", 41, 1, 8, 2},
      {"percent 0", kFp, "AC#1,N1,0%,24Hr", 42, 1, 8, 2},
      {"percent 101", kFp, "AC#1,N1,101%,24Hr", 42, 1, 8, 4},
      {"percent wrapping", kFp, "AC#1,N1,4294967346%,24Hr", 42, 1, 8, 11},
      {"period missing", kFp, "AC#1,N1,50%,,IFR", 21, 1, 12, 0},
      {"period 3Hr", kFp, "AC#1,N1,50%,3Hr,IFR", 43, 1, 12, 3},
      {"period letters", kFp, "AC#1,N1,50%,DAILY,IFR", 43, 1, 12, 5},
      {"rules missing", kFp, "AC#1,N1,50%,24Hr", 22, 1, 16, 0},
      {"rules other", kFp, "AC#1,N1,50%,24Hr,XFR", 44, 1, 17, 3},
      {"no leg", kFp, "AC#1,N1,50%,24Hr,IFR ; none", 52, 1, 17, 3},
      {"one leg", kFp, kPlan + kLeg, 52, 1, 38, 4},
      // legs
      {"trailing comma", kFp, kPlan + kLeg + ",", 23, 1, 43, 0},
      {"departure missing", kFp, kPlan + ",,350", 23, 1, 21, 0},
      {"day 7", kFp, kPlan + "7/08:00,,350", 53, 1, 21, 7},
      {"day negative", kFp, kPlan + "-1\\08:00,,350", 53, 1, 21, 8},
      {"week without day", kFp, "AC#1,N1,50%,WEEK,IFR,08:00,,350", 54, 1, 21, 5},
      {"minutes one digit", kFp, kPlan + "08:5,,350", 45, 1, 21, 4},
      {"hour 24", kFp, kPlan + "24:00,,350", 45, 1, 21, 5},
      {"minute 60", kFp, kPlan + "08:60,,350", 45, 1, 21, 5},
      {"three-digit hour", kFp, kPlan + "123:00,,350", 45, 1, 21, 6},
      {"fixed arrival bad", kFp, kPlan + "08:00,@9:7,350", 46, 1, 27, 4},
      {"fixed arrival day", kFp, "AC#1,N1,50%,WEEK,IFR,1/08:00,@9/09:00,350", 53, 1, 29, 8},
      {"fixed arrival without day", kFp, "AC#1,N1,50%,WEEK,IFR,1/08:00,@09:00,350", 54, 1, 29, 6},
      {"altitude missing", kFp, kPlan + "08:00,x,,F", 24, 1, 29, 0},
      {"altitude negative", kFp, kPlan + "08:00,x,-5,F", 47, 1, 29, 2},
      {"altitude 1024", kFp, kPlan + "08:00,x,1024,F", 48, 1, 29, 4},
      {"altitude wrapping", kFp, kPlan + "08:00,x,4294967646,F", 48, 1, 29, 10},
      {"F/R missing", kFp, kPlan + "08:00,x,350,,1", 27, 1, 33, 0},
      {"F/R other", kFp, kPlan + "08:00,x,350,T,1", 51, 1, 33, 1},
      {"number missing", kFp, kPlan + "08:00,x,350,F,,KSEA", 26, 1, 35, 0},
      {"number letters", kFp, kPlan + "08:00,x,350,F,A1,KSEA", 49, 1, 35, 2},
      {"number 16384", kFp, kPlan + "08:00,x,350,F,16384,KSEA", 50, 1, 35, 5},
      {"airport missing", kFp, kPlan + "08:00,x,350,F,1,", 12, 1, 37, 0},
      {"airport long", kFp, kPlan + "08:00,x,350,F,1,KSEAX", 28, 1, 37, 5},
      {"comment ends the fields", kFp, kPlan + "08:00,x,350,F,1;KSEA", 12, 1, 36, 0},
      // A NUL byte would cut the field where it is stored: the field is bad.
      {"NUL in airport code", kAp, "KS\0A,N1* 0',E1* 0',0"s, 12, 1, 0, 4},
      {"NUL in latitude", kAp, "KSEA,N1\0* 0',E1* 0',0"s, 30, 1, 5, 7},
      {"NUL in elevation", kAp, "KSEA,N1* 0',E1* 0',1\0"s, 29, 1, 19, 2},
      {"NUL in AC number", kAc, "AC#5\0,450,\"Jet\""s, 34, 1, 0, 5},
      {"NUL in name", kAc, "AC#5,450,\"J\0et\""s, 38, 1, 9, 6},
      {"NUL in registration", kFp, "AC#1,N\0" "1,50%"s, 19, 1, 5, 3},
      {"NUL in period", kFp, "AC#1,N1,50%,24\0Hr,IFR"s, 43, 1, 12, 5},
      {"NUL in destination", kFp, kPlan + "08:00,x,350,F,1,KS\0A"s, 12, 1, 37, 4},
      {"NUL in fixed arrival", kFp, kPlan + "08:00,@09:00\0,350"s, 46, 1, 27, 7},
      // Lone CRs end lines: the error is on the line counted that way.
      {"lone CR lines", kFp, "; a\r\r" + kPlan + kLeg, 52, 3, 38, 4},
  };
  for (const auto& c : cases) {
    const ParseError e = ParseAs(c.file, c.text);
    EXPECT_EQ(e.code, c.code) << c.what;
    EXPECT_EQ(e.line, c.line) << c.what;
    EXPECT_EQ(e.start, c.start) << c.what;
    EXPECT_EQ(e.length, c.length) << c.what;
  }
}

TEST(TrafficParser, AirportValues) {
  std::vector<TrafficAirport> a;
  const std::string text =
      "  KSEA , N47* 26.99' , W122* 18.71' , 433 ; Seattle\r\n"
      "ksfo,N47 26.99,E1* 0' 30\",-12\r\n"
      "EGLL,S1*0',W0* 0',-\r";
  ASSERT_EQ(ParseAirportsText(text, a).code, 0);
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(std::string(a[0].code.data(), 4), "KSEA");
  EXPECT_EQ(a[0].lat_degrees, 47);
  EXPECT_EQ(a[0].lat_minutes, 26.99f);
  EXPECT_EQ(a[0].lon_degrees, -122);
  EXPECT_EQ(a[0].lon_minutes, -18.71f);
  EXPECT_EQ(a[0].elevation_m, 132);
  EXPECT_EQ(std::string(a[1].code.data(), 4), "KSFO");
  EXPECT_EQ(a[1].lat_minutes, 26.99f);  // blank instead of "*", no "'"
  EXPECT_EQ(a[1].lon_minutes, 0.5f);    // 30 seconds folded in
  EXPECT_EQ(a[1].elevation_m, -4);  // -3.66 m, to the nearest like heights above the sea
  EXPECT_EQ(a[2].lat_degrees, -1);
  EXPECT_EQ(a[2].elevation_m, 0);  // "-" alone reads as 0 ft
}

TEST(TrafficParser, ByteOrderMarkAndLoneCarriageReturns) {
  std::vector<TrafficAirport> a;
  ASSERT_EQ(ParseAirportsText("\xEF\xBB\xBF" "KSEA,N1* 0',E1* 0',0\rEGLL,N1* 0',E1* 0',0", a).code, 0);
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(AirportCodeText(a[0].code), "KSEA");
  std::vector<TrafficAircraft> c;
  ASSERT_EQ(ParseAircraftText("\xEF\xBB\xBF" "; a comment first\rAC#1,100,\"A\"\r\r\nAC#2,100,\"B\"\r", c).code, 0);
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[1].name, "B");
  // Only at the very start is it a mark; elsewhere it is text.
  EXPECT_EQ(ParseAirportsText("KSEA,N1* 0',E1* 0',0\n\xEF\xBB\xBF" "EGLL,N1* 0',E1* 0',0", a).code, 28);
}

TEST(TrafficParser, ElevationsBelowSeaLevelRoundToTheNearestBothWays) {
  // Metres from feet and feet from metres round halves away from zero, so a
  // height below sea level survives decompiling and compiling again.
  for (int feet = -1500; feet <= 1500; ++feet) {
    std::vector<TrafficAirport> a;
    ASSERT_EQ(ParseAirportsText("KSEA,N1* 0',E1* 0'," + std::to_string(feet), a).code, 0);
    const std::int32_t metres = a[0].elevation_m;
    EXPECT_EQ(metres, static_cast<std::int32_t>(std::lround(feet * 0.3048))) << feet;
    std::string line;
    ulvane::AppendAirportLine(line, ulvane::DecodedAirport{{'K', 'S', 'E', 'A'}, 0, 0, metres});
    std::vector<TrafficAirport> again;
    ASSERT_EQ(ParseAirportsText(line, again).code, 0) << line;
    EXPECT_EQ(again[0].elevation_m, metres) << feet << " ft came back as " << line;
  }
  std::string line;
  ulvane::AppendAirportLine(line, ulvane::DecodedAirport{{'E', 'H', 'A', 'M'}, 0, 0, -3});
  EXPECT_TRUE(line.ends_with(",-10\r\n")) << line;
}

TEST(TrafficParser, AircraftNamesAndNumbers) {
  std::vector<TrafficAircraft> a;
  const std::string text =
      "ac#5,450,\"Boeing 737-400\"\r\n"
      "AC#65535,65535,\"Open\r\n"
      "AC#7,1,Plain name\"; comment\r\n"
      "AC#8,300,\"" + std::string(100, 'x') + "\"\n";
  ASSERT_EQ(ParseAircraftText(text, a).code, 0);
  ASSERT_EQ(a.size(), 4u);
  EXPECT_EQ(a[0].number, 5);
  EXPECT_EQ(a[0].name, "Boeing 737-400");
  EXPECT_EQ(a[1].number, 65535);
  EXPECT_EQ(a[1].cruise_speed, 65535);
  EXPECT_EQ(a[1].name, "Open");
  EXPECT_EQ(a[2].name, "Plain name");
  EXPECT_EQ(a[3].name.size(), 100u);
}

TEST(TrafficParser, PlanLegsTimesAndFlags) {
  std::vector<TrafficPlan> p;
  const std::string text =
      "// weekly\r\n"
      "AC#3,n-abc,100%,WEEKLY,vfr,2/01:30,junk,10,r,16383,egll,6 \\ 23:00:00,@0/00:30:15,1023,F,0,ksea\t; end\r\n"
      "AC#4,X,1,168,I,0/8:05,,0,F,1,A,0/08:05:09,,0,F,1,B\r\n"
      "AC#4,X,1,2Hr,I,3/13:00,,0,F,1,A,14:00,@1/15:00,0,F,1,B\n";
  ASSERT_EQ(ParsePlansText(text, p).code, 0);
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[0].aircraft_number, 3);
  EXPECT_EQ(std::string(p[0].registration.data()), "N-ABC");
  EXPECT_EQ(p[0].percent, 100);
  EXPECT_EQ(p[0].period_code, 7);
  EXPECT_FALSE(p[0].ifr);
  ASSERT_EQ(p[0].legs.size(), 2u);
  EXPECT_EQ(p[0].legs[0].departure, 2u * 86400 + 5400);
  EXPECT_FALSE(p[0].legs[0].fixed_arrival);
  EXPECT_FALSE(p[0].legs[0].use_flight_number);
  EXPECT_EQ(p[0].legs[0].flight_number, 16383);
  EXPECT_EQ(std::string(p[0].legs[0].destination.data(), 4), "EGLL");
  EXPECT_EQ(p[0].legs[1].departure, 6u * 86400 + 23 * 3600);
  EXPECT_TRUE(p[0].legs[1].fixed_arrival);
  EXPECT_EQ(p[0].legs[1].arrival, 1815u);
  EXPECT_EQ(p[0].legs[1].altitude, 1023);
  EXPECT_EQ(p[1].period_code, 7);  // 168 hours is WEEK
  EXPECT_EQ(p[1].legs[0].departure, 8u * 3600 + 300);
  EXPECT_EQ(p[1].legs[1].departure, 8u * 3600 + 309);
  EXPECT_EQ(std::string(p[1].legs[0].destination.data()), "A");
  // Outside WEEK a day is accepted and ignored.
  EXPECT_EQ(p[2].period_code, 1);
  EXPECT_EQ(p[2].legs[0].departure, 13u * 3600);
  EXPECT_EQ(p[2].legs[1].arrival, 15u * 3600);
}

TEST(TrafficParser, LongLinesAreNotSplit) {
  std::string line = "AC#1,N1,50%,24Hr,IFR";
  for (int i = 0; i < 300; ++i) line += ",08:00,,350,F,100,KSEA";  // about 6600 bytes
  std::vector<TrafficPlan> p;
  ParseError e = ParsePlansText(line + "\n" + kPlan + kLeg + "\n", p);
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].legs.size(), 300u);
  EXPECT_EQ(e.code, 52);
  EXPECT_EQ(e.line, 2);
}

TEST(TrafficParserConsole, ReportsTheFirstErrorWithCountsAndStops) {
  velk::test::TempDir dir;
  velk::test::WriteFile(dir / "Airports.txt", "KSEA,N47* 26.99',W122* 18.71',433\r\n");
  std::string aircraft;
  for (int i = 1; i <= 11; ++i) aircraft += "AC#" + std::to_string(i) + ",450,\"Jet\"\r\n";
  aircraft += "AC#5,,Boeing\r\n";
  velk::test::WriteFile(dir / "Aircraft.txt", aircraft);
  TrafficData data;
  ScopedConsoleCapture out;
  EXPECT_EQ(ParseTrafficFiles(dir.path(), data), 17);
  EXPECT_EQ(out.WithoutProgress(),
            "Parsing Airports.txt now...\n"
            "  Airports 1\n"
            "Parsing Aircraft.txt now...\n"
            "\nERROR in file Aircraft.txt :\n\n"
            "Line 12: AC#5,,Boeing\n"
            "              |\n"
            "              Error location\n\n"
            "A parameter is missing, expecting the cruise speed here\n\n"
            "  Aircraft 11\n");
  // Progress before records 0 and 10, rewritten in place.
  EXPECT_NE(out.text().find("  Aircraft 0\r  Aircraft 10\r\nERROR"), std::string::npos);
}

// Plans read from files take their legs from memory that their data holds;
// the plans of a copy hold their own, so the copy outlives the original.
TEST(TrafficParserConsole, ACopyOfTheDataOutlivesTheOriginal) {
  velk::test::TempDir dir;
  velk::test::WriteFile(dir / "Airports.txt", "KSEA,N47* 26.99',W122* 18.71',433\n");
  velk::test::WriteFile(dir / "Aircraft.txt", "AC#1,450,\"Jet\"\n");
  velk::test::WriteFile(dir / "FlightPlans.txt", kPlan + kLeg + ",09:00,,350,F,101,KSEA\n");
  auto data = std::make_unique<TrafficData>();
  ScopedConsoleCapture quiet;
  ASSERT_EQ(ParseTrafficFiles(dir.path(), *data), 0);
  ASSERT_NE(data->plans[0].legs.get_allocator().arena(), nullptr);
  const TrafficData copy = *data;
  data.reset();
  EXPECT_EQ(copy.plans[0].legs.get_allocator().arena(), nullptr);
  ASSERT_EQ(copy.plans[0].legs.size(), 2u);
  EXPECT_EQ(copy.plans[0].legs[1].departure, 9u * 3600);
}

TEST(TrafficParserConsole, MissingFileNamesIt) {
  velk::test::TempDir dir;
  velk::test::WriteFile(dir / "AIRPORTS.TXT", "; only a comment\n");
  TrafficData data;
  ScopedConsoleCapture out;
  EXPECT_EQ(ParseTrafficFiles(dir.path(), data), 10);
  EXPECT_EQ(out.WithoutProgress(),
            "Parsing Airports.txt now...\n"
            "  Airports 0\n"
            "Parsing Aircraft.txt now...\n"
            "\nERROR: Unable to find or open file Aircraft.txt\n\n");
}

}  // namespace
}  // namespace traffic

namespace traffic {
namespace {

// Plans of several megabytes are read in pieces; the records, the error line
// and the progress must be those of one pass over the file.
TEST(TrafficParserLargeFiles, PiecesGiveTheResultOfOnePass) {
  std::string text;
  const int lines = 30000;  // about 2.5 MB
  for (int i = 1; i <= lines; ++i) {
    if (i % 7 == 0) {
      text += "; comment line\r\n";
    } else {
      text += "AC#" + std::to_string(i % 500 + 1) + ",N" + std::to_string(i % 10000) +
              ",50%,24Hr,IFR,08:00,,350,F,100,KSEA,09:00,,350,F,101,EGLL,10:00,,350,F,102,LFPG\r\n";
    }
  }
  std::vector<TrafficPlan> plans;
  ASSERT_EQ(ParsePlansText(text, plans).code, 0);
  ASSERT_EQ(plans.size(), static_cast<std::size_t>(lines - lines / 7));
  for (std::size_t i = 0; i < plans.size(); ++i) {
    // Plan i comes from line i + 1 + (number of comments before it).
    const int line = static_cast<int>(i) + 1 + static_cast<int>(i) / 6;
    ASSERT_EQ(plans[i].aircraft_number, line % 500 + 1) << i;
    ASSERT_EQ(plans[i].legs.size(), 3u);
  }

  // An error late in the file: its own line number, and every plan before it.
  const std::size_t at = text.find("AC#", text.size() * 5 / 6);
  std::string broken = text;
  broken.replace(at, 3, "XX#");
  const int line = static_cast<int>(std::count(broken.begin(), broken.begin() + at, '\n')) + 1;
  plans.clear();
  ParseError e = ParsePlansText(broken, plans);
  EXPECT_EQ(e.code, 34);
  EXPECT_EQ(e.line, line);
  EXPECT_EQ(plans.size(), static_cast<std::size_t>(line - 1 - (line - 1) / 7));

  velk::test::TempDir dir;
  velk::test::WriteFile(dir / "Airports.txt", "KSEA,N47* 26.99',W122* 18.71',433\n");
  velk::test::WriteFile(dir / "Aircraft.txt", "AC#1,450,\"Jet\"\n");
  velk::test::WriteFile(dir / "FlightPlans.txt", broken);
  TrafficData data;
  ScopedConsoleCapture out;
  EXPECT_EQ(ParseTrafficFiles(dir.path(), data), 34);
  // One counter before every 33rd record line read, the failing one included.
  const std::string& t = out.text();
  const std::size_t accepted = plans.size();
  const auto counters = std::count(t.begin(), t.end(), '\r');
  EXPECT_EQ(static_cast<std::size_t>(counters), 1 + 1 + accepted / 33 + 1);
  EXPECT_NE(t.find("  Flight plans " + std::to_string(accepted / 33 * 33) + "\r\nERROR in file FlightPlans.txt"),
            std::string::npos);
  EXPECT_NE(t.find("Line " + std::to_string(line) + ": XX#"), std::string::npos);
}

}  // namespace
}  // namespace traffic
