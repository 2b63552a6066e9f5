// Shuffle.log and "Shuffle Result.log" byte for byte, for a plan of eight
// flights whose every draw is scripted. The expected texts were worked out
// by hand; the comments give the reasoning per flight.
#include "shuffle/shuffle_logs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text_file.h"
#include "support/scripted_random.h"
#include "support/test_support.h"
#include "shuffle/shuffle_fixture.h"

namespace velk {
namespace {

using test::Leg;
using test::MakeFlight;
using test::ScriptedRandom;
using test::Section;
using test::Share;

std::string Join(const std::vector<std::string>& lines) { return JoinCrLf(lines); }

const std::string R66(66, '-');

class ShuffleLogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Positions: one degree is 60 nm; AAAA-BBBB-CCCC-XXXX run east along
    // the equator, EEEE lies west of AAAA, WWWW north of CCCC, SSSS north
    // of AAAA.
    w.AddAirport("AAAA", 0, 0);
    w.AddAirport("BBBB", 0, 1);
    w.AddAirport("CCCC", 0, 2);
    w.AddAirport("WWWW", 1, 2);
    w.AddAirport("EEEE", 0, -1);
    w.AddAirport("SSSS", 2, 0);
    w.AddAirport("XXXX", 0, 3);
    auto place = test::SceneryPlace;
    w.scenery = {place("AAAA", "Europe", "Germany", "Hesse", "Frankfurt", 10000, 1, 40),
                 place("BBBB", "Europe", "Germany", "Bavaria", "Munich", 8000, 1, 30),
                 place("CCCC", "Europe", "France", "Ile", "Paris", 9000, 1, 40),
                 place("WWWW", "Europe", "France", "Ile", "Paris", 5000, 3, 10),
                 place("EEEE", "Europe", "Spain", "Madrid", "Madrid", 12000, 1, 50),
                 place("SSSS", "Arctic", "Nowhere", "Ice", "Camp", 3000, 4, 15)};
    w.scenery[0].LandingLength = 9000;

    FSAircraft blue = test::Installed("Jet Blue One", "Velkair", 6, 420, 6000, "HARD", 20);
    blue.UIManufacturer = "Boeing";
    blue.UIType = "737";
    FSAircraft red = test::Installed("Jet Red Two", "Skyhaven", 7, 480, 7000, "HARD", 25);
    red.UIManufacturer = "Airbus";
    red.UIType = "A321";
    FSAircraft floatPlane = test::Installed("Prop Float", "", 3, 120, 1000, "hard,water", 5);
    floatPlane.UIManufacturer = "Cessna";
    floatPlane.UIType = "Caravan";
    w.AddAircraft(blue);        // AC#1
    w.AddAircraft(red);         // AC#2
    w.AddAircraft(floatPlane);  // AC#3

    w.global = Section("Global", {Share("Skyhaven")}, "G-!!!");
    w.regions = {Section("Europe", {Share("Velkair", 60), Share("Skyhaven", 40)}, "EU-..")};
    w.countries = {Section("Europe/France", {Share("Skyhaven", 50)}, "F-...")};
    w.states = {Section("europe/germany/bavaria", {Share("Velkair")})};
    w.cities = {Section("Europe/Germany/Frankfurt", {Share("Nobody", 100)}, "D-!!")};
    w.airports = {Section("ZZZZ", {Share("Velkair")})};

    std::vector<Flight>& f = w.plan.Flights;
    // 0: AAAA-BBBB-AAAA stays in Germany: Frankfurt's city section has no
    // aircraft, so the walk moves to BBBB, whose (lower-case) state section
    // serves it with its only fitting jet. Two level draws (0.5 -> 200 for
    // leg 1, 0.9 -> 300 for leg 0); no tail patterns there.
    f.push_back(MakeFlight("OLD-0", "IFR", {Leg("08:00:00", "150", "BBBB"), Leg("10:00:00", "170", "AAAA")}));
    // 1: CCCC-WWWW-CCCC, weekly VFR: WWWW has only water, so no jet fits
    // anywhere; the float plane without airline takes it with France's
    // remembered pattern F-... (draws 0, 0, 0.5, 0.99 -> F-AMZ), stays VFR
    // and is called by registration. 60 nm at 120 kt: 45 minutes.
    f.push_back(MakeFlight("OLD-1", "VFR",
                           {Leg("1/08:00:00", "045", "WWWW"), Leg("1/23:30:00", "045", "CCCC")}, "WEEK"));
    // 2: departs XXXX, which the scenery lacks: removed.
    f.push_back(MakeFlight("OLD-2", "IFR", {Leg("12:00:00", "200", "AAAA"), Leg("14:00:00", "210", "XXXX")}));
    // 3: removed before the run: not touched, not logged.
    f.push_back(MakeFlight("OLD-3", "IFR", {Leg("12:00:00", "200", "AAAA"), Leg("14:00:00", "210", "BBBB")}));
    f.back().Removed = true;
    // 4: AAAA-CCCC-AAAA leaves Germany: the visited airport CCCC's country
    // section serves it (levels 0.1 -> 100, 0.6 -> 200; tail 0.3, 0.05,
    // 0.09, 0.13 -> F-BCD). 120 nm at 480 kt: 30 minutes.
    f.push_back(MakeFlight("OLD-4", "IFR", {Leg("06:00:00", "250", "CCCC"), Leg("08:00:00", "250", "AAAA")}));
    // 5: EEEE-AAAA-EEEE: no section until the region of AAAA, the airport
    // reached last. Both airlines are behind their plan; 0.7 picks the
    // second candidate (Skyhaven). VFR becomes IFR for a jet (levels 0.2 ->
    // 100, 0.8 -> 300); the region's own pattern (0, 0.17, 0.21 -> EU-EF).
    // 60 nm at 480 kt is 7.5 minutes, rounded to 8.
    f.push_back(MakeFlight("OLD-5", "VFR", {Leg("10:00:00", "045", "AAAA"), Leg("12:00:00", "045", "EEEE")}));
    // 6: the same way again: Skyhaven now has 100 % of the region's one
    // flight against 40 % planned and drops out, yet the draw is taken
    // (0.99); Velkair flies it (levels 0.3, 0.3 -> 200, 200; tail 0, 0.25,
    // 0.29 -> EU-GH).
    f.push_back(MakeFlight("OLD-6", "IFR", {Leg("16:00:00", "300", "AAAA"), Leg("18:00:00", "300", "EEEE")}));
    // 7: AAAA-SSSS-AAAA: SSSS has snow and a short runway: nothing fits,
    // not even without airline; removed with the runway line.
    f.push_back(MakeFlight("OLD-7", "IFR", {Leg("05:00:00", "100", "SSSS"), Leg("07:00:00", "120", "AAAA")}));
  }

  test::ShuffleWorld w;
};

TEST_F(ShuffleLogsTest, BothLogsAndTheFlightsOfAWorkedPlan) {
  ScriptedRandom draws({0.5, 0.9,                          // flight 0
                        0.0, 0.0, 0.5, 0.99,               // flight 1
                        0.1, 0.6, 0.3, 0.05, 0.09, 0.13,   // flight 4
                        0.7, 0.2, 0.8, 0.0, 0.17, 0.21,    // flight 5
                        0.99, 0.3, 0.3, 0.0, 0.25, 0.29});  // flight 6
  ShuffleLogFile log;
  ShuffleResult result = w.Run(&log);
  ASSERT_TRUE(result.Completed()) << result.Error;
  EXPECT_EQ(draws.Used(), 24u);
  EXPECT_EQ(result.RemovedCount, 2);
  EXPECT_EQ(result.AssignedCount, 5);

  const std::string rule = ";" + std::string(81, '-');
  EXPECT_EQ(log.Text(),
            Join({rule,
                  ";------------------------------- V E L K  L O G ----------------------------------",
                  rule,
                  ";Format:",
                  ";  Airline / Aircraft Title / Aircraft Class / UI Manufacture / UI Type",
                  ";  Runway: Min. Runway Length / Min. Parking Radius / Min. Runway Surface",
                  ";      (only added if no aircraft could be found)",
                  ";  Aircraft Number / Tail Number / IFR-VFR / Departure ICAO / Destination ICAO /",
                  ";      Min. Flight Level / Max. Flight Level / Min. Distance / Max. Distance /",
                  ";      Location (Region, Country, State, City, Airport)",
                  ";",
                  rule,
                  "",
                  "Velkair/Jet Blue One/Small Jet/Boeing/737",
                  "AC#1/OLD-0/IFR/AAAA/BBBB/150/170/60/60/europe/germany/bavaria",
                  "",
                  "No Airline/Prop Float/Mid Prop/Cessna/Caravan",
                  "AC#3/F-AMZ/VFR/CCCC/WWWW/45/45/60/60/No Airline",
                  "",
                  "ICAO XXXX unknown. Please check your Airport configuration.",
                  "NO AIRCRAFT/OLD-2/IFR/XXXX/AAAA/200/210/180/180",
                  "",
                  "Skyhaven/Jet Red Two/Large Jet/Airbus/A321",
                  "AC#2/F-BCD/IFR/AAAA/CCCC/250/250/120/120/Europe/France",
                  "",
                  "Skyhaven/Jet Red Two/Large Jet/Airbus/A321",
                  "AC#2/EU-EF/IFR/EEEE/AAAA/45/45/60/60/Europe",
                  "",
                  "Velkair/Jet Blue One/Small Jet/Boeing/737",
                  "AC#1/EU-GH/IFR/EEEE/AAAA/300/300/60/60/Europe",
                  "",
                  "Runway: 3000/15/SNOW",
                  "NO AIRCRAFT/OLD-7/IFR/AAAA/SSSS/100/120/120/120",
                  ""}));

  auto block = [](const std::string& name, int flights, int planned, const std::string& achieved,
                  const std::vector<std::string>& aircraft) {
    std::vector<std::string> lines = {"\t" + R66, "\tAirline: " + name, "\tTotal flights: " + std::to_string(flights),
                                      "\tPlaned Percent: " + std::to_string(planned), "\tAchieved Percent: " + achieved,
                                      "\tAircraft (" + std::to_string(aircraft.size()) + "):"};
    for (const std::string& a : aircraft) lines.push_back("\t\t" + a);
    lines.insert(lines.end(), {"\t" + R66, "", ""});
    return lines;
  };
  auto head = [](const std::string& kindAndName, int airlines, int flights) {
    return std::vector<std::string>{R66, kindAndName, "Airlines: " + std::to_string(airlines),
                                    "Total flights: " + std::to_string(flights), R66, "", ""};
  };
  std::vector<std::string> expected = {R66, "No Airline: ", "Total flights: 1", "\tAircraft (1):",
                                       "\t\tProp Float: 1 flights", "\t" + R66, "", ""};
  for (const auto& part : std::vector<std::vector<std::string>>{
           head("Region: Global", 1, 0),
           block("Skyhaven", 0, 100, "0", {"Jet Red Two: 0 flights"}),
           head("Region: Europe", 2, 2),
           block("Velkair", 1, 60, "50.00", {"Jet Blue One: 1 flights"}),
           block("Skyhaven", 1, 40, "50.00", {"Jet Red Two: 1 flights"}),
           head("Country: Europe/France", 1, 1),
           block("Skyhaven", 1, 100, "100.00", {"Jet Red Two: 1 flights"}),
           head("State: europe/germany/bavaria", 1, 1),
           block("Velkair", 1, 100, "100.00", {"Jet Blue One: 1 flights"}),
           head("City: Europe/Germany/Frankfurt", 1, 0),
           block("Nobody", 0, 0, "0", {}),
           head("Airport: ZZZZ", 1, 0),
           block("Velkair", 0, 100, "0", {"Jet Blue One: 0 flights"})}) {
    expected.insert(expected.end(), part.begin(), part.end());
  }
  EXPECT_EQ(ShuffleResultText(w.Tables(), result.NoAirline), Join(expected));

  // The flights after the run. Id, registration, rules, removed, then per
  // leg: level, F/R, arrival.
  auto summary = [](const Flight& f) {
    std::string s = f.AircraftId + " " + f.Registration + " " + f.FlightRules + (f.Removed ? " removed" : "");
    for (const FlightLeg& leg : f.Legs) s += " | " + leg.FlightLevel + " " + leg.UseFlightNumber + " " + leg.ArrivalTime;
    return s;
  };
  std::vector<std::string> got;
  for (const Flight& f : w.plan.Flights) got.push_back(summary(f));
  EXPECT_EQ(got, (std::vector<std::string>{
                     "AC#1 OLD-0 IFR | 300 F 08:24:00 | 200 F 10:24:00",
                     "AC#3 F-AMZ VFR | 045 R 1/08:45:00 | 045 R 2/00:15:00",
                     "AC#99 OLD-2 IFR removed | 200 F 00:00:00 | 210 F 00:00:00",
                     "AC#99 OLD-3 IFR removed | 200 F 00:00:00 | 210 F 00:00:00",
                     "AC#2 F-BCD IFR | 200 F 06:30:00 | 100 F 08:30:00",
                     "AC#2 EU-EF IFR | 300 F 10:23:00 | 100 F 12:23:00",
                     "AC#1 EU-GH IFR | 200 F 16:24:00 | 200 F 18:24:00",
                     "AC#99 OLD-7 IFR removed | 100 F 00:00:00 | 120 F 00:00:00",
                 }));
  std::vector<int> uses;
  for (const PlanAircraft& p : w.plan.PlanAircraftList) uses.push_back(p.UseCount);
  EXPECT_EQ(uses, (std::vector<int>{2, 2, 1}));
}

TEST(ShuffleResultText, AchievedPercentHasTwoDecimalsWithAPointAndHalvesUp) {
  LocationRules global;
  global.FlightCount = 3;
  global.Airlines = {Share("One"), Share("Two"), Share("Three")};
  global.Airlines[0].Assigned = 1;  // 33.333...
  global.Airlines[1].Assigned = 2;  // 66.666...
  std::vector<LocationRules> regions = {Section("Eight", {Share("A")})};
  regions[0].FlightCount = 32;
  regions[0].Airlines[0].Assigned = 1;  // 3.125
  std::vector<LocationRules> none;
  LocationTables tables{global, regions, none, none, none, none};
  std::string text = ShuffleResultText(tables, AirlineShare{});
  EXPECT_NE(text.find("\tAchieved Percent: 33.33\r\n"), std::string::npos);
  EXPECT_NE(text.find("\tAchieved Percent: 66.67\r\n"), std::string::npos);
  EXPECT_NE(text.find("\tAchieved Percent: 0.00\r\n"), std::string::npos);
  EXPECT_NE(text.find("\tAchieved Percent: 3.13\r\n"), std::string::npos);
  // No section of a kind: nothing of it; the file ends with the last
  // airline block of the last section.
  EXPECT_EQ(text.find("Country:"), std::string::npos);
  EXPECT_TRUE(text.ends_with("\tAircraft (0):\r\n\t" + R66 + "\r\n\r\n\r\n"));
}

TEST(ShuffleLogFiles, SaveReplacesTheFileAndFailsOnAFolder) {
  test::TempDir dir;
  test::WriteFile(dir / "Shuffle.log", "old run\r\n");
  ShuffleLogFile log;
  log.Line("one");
  log.Line("");
  ASSERT_TRUE(log.Save(dir / "Shuffle.log"));
  EXPECT_EQ(*test::ReadFile(dir / "Shuffle.log"), "one\r\n\r\n");

  // A folder where the log should go is left alone and the save fails.
  std::filesystem::create_directory(dir / "Shuffle Result.log");
  LocationRules global;
  std::vector<LocationRules> none;
  LocationTables tables{global, none, none, none, none, none};
  EXPECT_FALSE(WriteShuffleResult(dir / "FlightPlans.txt", tables, AirlineShare{}));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Shuffle Result.log"));
  // A log kept elsewhere through a link is written where it lies; the link
  // stays (as every writer of the program does).
  std::filesystem::remove(dir / "Shuffle Result.log");
  test::WriteFile(dir / "target.txt", "keep");
  std::filesystem::create_symlink(dir / "target.txt", dir / "Shuffle Result.log");
  EXPECT_TRUE(WriteShuffleResult(dir / "FlightPlans.txt", tables, AirlineShare{}));
  EXPECT_NE(*test::ReadFile(dir / "target.txt"), "keep");
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "Shuffle Result.log"));
}

}  // namespace
}  // namespace velk
