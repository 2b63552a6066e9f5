// The three generated files byte for byte: "New AircraftTypes.dat", "New
// VELK_AL.CFG" and the two airport lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/aircraft_types_file.h"
#include "platform/text_file.h"
#include "shuffle/scenery_files.h"
#include "shuffle/shuffle_fixture.h"
#include "support/test_support.h"

namespace velk {
namespace {

FSAircraft Typed(const std::string& model, const std::string& type, const std::string& texture,
                 const std::string& title) {
  FSAircraft a = test::Installed(title, "", 6, 447, 5900, "HARD,SOFT", 18);
  a.ATCModel = model;
  a.ATCType = type;
  a.Texture = texture;
  a.ParkingTypes = "GATE";
  a.IFRPercent = 100;
  a.MinRange = -1;
  return a;
}

TEST(AircraftTypesFile, IdentifiersCountRepeatsWithoutRegardToCase) {
  std::vector<FSAircraft> list = {Typed("B737", "Boeing", "KLM", "737 KLM, first"), Typed("B737", "", "KLM", "737 KLM 2"),
                                  Typed("b737", "", "klm", "737 klm"), Typed("", "Boeing", "", "Plain"),
                                  Typed("", "", "", "Nothing"), Typed("", "", "", "Nothing 2")};
  std::vector<const FSAircraft*> chosen;
  for (const FSAircraft& a : list) chosen.push_back(&a);
  const std::string tail = ",447,100,300,-1,3000,5900,HARD,SOFT,18,GATE,100";
  EXPECT_EQ(AircraftTypesText(chosen), JoinCrLf({"B737.KLM,737 KLM, first" + tail, "B737.KLM#1,737 KLM 2" + tail,
                                                 "b737.klm#2,737 klm" + tail, "Boeing,Plain" + tail,
                                                 ",Nothing" + tail, "#1,Nothing 2" + tail}));
  EXPECT_EQ(AircraftTypesText({}), "");

  test::TempDir dir;
  test::WriteFile(dir / "New AircraftTypes.dat", "old\r\nlines\r\n");
  ASSERT_TRUE(WriteAircraftTypesFile(dir.path(), {chosen[3]}));
  EXPECT_EQ(*test::ReadFile(dir / "New AircraftTypes.dat"), "Boeing,Plain" + tail + "\r\n");
  EXPECT_FALSE(WriteAircraftTypesFile(dir / "missing folder", {chosen[3]}));
}

std::vector<SceneryAirport> Scenery() {
  auto place = [](const char* icao, const char* region, const char* country, const char* state, const char* city) {
    return test::SceneryPlace(icao, region, country, state, city);
  };
  std::vector<SceneryAirport> s = {place("EDDF", "Europe", "Germany", "Hesse", "Frankfurt"),
                                   place("lfpg", "Europe", "France", "Ile", "Paris"),
                                   place("EDDM", "EUROPE", "germany", "Bavaria", "Munich"),
                                   place("KJFK", "North America", "United States", "New York", "New York"),
                                   place("XGER", "Asia", "Germany", "", ""),
                                   place("NONE", "", "", "", ""),
                                   place("EDDF", "Europe", "Germany", "Hesse", "Frankfurt 2")};
  const char* lat[] = {"N50*1.9800'", "N49*0.5820'", "N48*21.2280'", "N40*38.3880'", "N1*0.0000'", "S0*30.5000'", "N50*2.0000'"};
  const char* lon[] = {"E8*34.2360'", "E2*32.8680'", "E11*47.1660'", "W73*46.7340'", "E0*0.0000'", "W0*0.5000'", "E8*34.0000'"};
  const int elevation[] = {111, 119, 453, 4, 0, -3, 100};
  for (size_t i = 0; i < s.size(); ++i) {
    s[i].Latitude = lat[i];
    s[i].Longitude = lon[i];
    s[i].Elevation = elevation[i];
  }
  return s;
}

TEST(NewAirlineConfig, OneSectionPerRegionAndPairInFirstSeenOrder) {
  const std::string rule = ";" + std::string(81, '-');
  EXPECT_EQ(NewAirlineConfigText(Scenery()),
            JoinCrLf({rule,
                      ";------------------------------------ R E G I O N S ------------------------------",
                      rule,
                      ";Airline Format: AIRLINE,PERCENT",
                      ";Tailnumber Format: #NUMBER",
                      ";   Placeholder:",
                      ";           ! - Random Number",
                      ";           . - Random Char",
                      ";           ? - Random Number or Char",
                      rule,
                      "",
                      "[Global]",
                      "",
                      "[Region:Europe]",
                      "",
                      "[Region:North America]",
                      "",
                      "[Region:Asia]",
                      "",
                      rule,
                      ";----------------------------------- C O U N T R I E S ---------------------------",
                      rule,
                      "",
                      "[Country:Europe/Germany]",
                      "",
                      "[Country:Europe/France]",
                      "",
                      "[Country:North America/United States]",
                      "",
                      "[Country:Asia/Germany]",
                      ""}));
  // The text outlives the lines that look into it.
  const std::string bare = NewAirlineConfigText({});
  int rules = 0;
  for (std::string_view line : SplitLines(bare)) {
    if (line.starts_with(";-")) {
      EXPECT_EQ(line.size(), 82u) << line;
      ++rules;
    }
  }
  EXPECT_EQ(rules, 7);
}

TEST(AirportLists, EveryAirportAndThePlansAirports) {
  // Elevations: 111 m is 364.191 ft, 119 m 390.439, 453 m 1486.293, 4 m
  // 13.124, -3 m -9.843, 100 m 328.1.
  EXPECT_EQ(NewAirportsText(Scenery()), JoinCrLf({"EDDF,N50*1.9800',E8*34.2360',364", "lfpg,N49*0.5820',E2*32.8680',390",
                                                  "EDDM,N48*21.2280',E11*47.1660',1486",
                                                  "KJFK,N40*38.3880',W73*46.7340',13", "XGER,N1*0.0000',E0*0.0000',0",
                                                  "NONE,S0*30.5000',W0*0.5000',-10", "EDDF,N50*2.0000',E8*34.0000',328"}));

  std::vector<Flight> flights = {
      test::MakeFlight("A", "IFR", {test::Leg("08:00:00", "100", "LFPG"), test::Leg("10:00:00", "100", "eddf")}),
      test::MakeFlight("B", "IFR", {test::Leg("08:00:00", "100", "ZZZZ"), test::Leg("10:00:00", "100", "EDDF"),
                                    test::Leg("12:00:00", "100", "Lfpg")}),
      test::MakeFlight("C", "IFR", {test::Leg("08:00:00", "100", "KJFK")})};
  flights[2].Removed = true;  // removed flights count too
  EXPECT_EQ(FlightplanAirportsText(flights, Scenery()),
            JoinCrLf({"LFPG,N49*0.5820',E2*32.8680',390", "EDDF,N50*1.9800',E8*34.2360',364",
                      "EDDF,N50*2.0000',E8*34.0000',328", "KJFK,N40*38.3880',W73*46.7340',13"}));
  EXPECT_EQ(FlightplanAirportsPath("/plans/summer/FlightPlans.txt"), "/plans/summer/Flightplan Airports.txt");
}

}  // namespace
}  // namespace velk
