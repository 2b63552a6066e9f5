// The lines of "New AircraftTypes.dat": identifiers numbered for repeats
// without regard to case, the twelve fields, CR LF, and the file replaced
// whole.
#include "data/aircraft_types_file.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace velk {
namespace {

FSAircraft Aircraft(std::string model, std::string type, std::string texture, std::string title) {
  FSAircraft a;
  a.ATCModel = std::move(model);
  a.ATCType = std::move(type);
  a.Texture = std::move(texture);
  a.Title = std::move(title);
  a.CruiseSpeed = 450;
  a.MinFL = 100;
  a.MaxFL = 370;
  a.MinRange = 100;
  a.MaxRange = 2500;
  a.RunwayLength = 5000;
  a.RunwayTypes = "HARD";
  a.MinParkingRadius = 18;
  a.ParkingTypes = "GATE SMALL";
  a.IFRPercent = 100;
  return a;
}

TEST(AircraftTypesFile, IdentifiersAndLines) {
  FSAircraft a = Aircraft("B737", "Boeing", "AAL", "737 AAL");
  FSAircraft b = Aircraft("B737", "Boeing", "AAL", "737 AAL 2");
  FSAircraft c = Aircraft("B737", "Boeing", "UAL", "737, United");
  FSAircraft d = Aircraft("b737", "Boeing", "aal", "737 lower");
  FSAircraft e = Aircraft("", "Boeing", "", "type only");
  FSAircraft f = Aircraft("", "", "", "nothing");
  FSAircraft g = Aircraft("", "", "", "nothing again");
  g.MinFL = g.MaxFL = g.MinRange = g.MaxRange = g.RunwayLength = g.MinParkingRadius = g.IFRPercent = -1;
  g.RunwayTypes.clear();
  g.ParkingTypes.clear();
  EXPECT_EQ(AircraftTypesText({&a, &b, &c, &d, &e, &f, &g}),
            "B737.AAL,737 AAL,450,100,370,100,2500,5000,HARD,18,GATE SMALL,100\r\n"
            "B737.AAL#1,737 AAL 2,450,100,370,100,2500,5000,HARD,18,GATE SMALL,100\r\n"
            "B737.UAL,737, United,450,100,370,100,2500,5000,HARD,18,GATE SMALL,100\r\n"
            "b737.aal#2,737 lower,450,100,370,100,2500,5000,HARD,18,GATE SMALL,100\r\n"
            "Boeing,type only,450,100,370,100,2500,5000,HARD,18,GATE SMALL,100\r\n"
            ",nothing,450,100,370,100,2500,5000,HARD,18,GATE SMALL,100\r\n"
            "#1,nothing again,450,-1,-1,-1,-1,-1,,-1,,-1\r\n");
  // Every call counts afresh.
  EXPECT_EQ(AircraftTypesText({&b}).substr(0, 9), "B737.AAL,");
  EXPECT_EQ(AircraftTypesText({}), "");
}

TEST(AircraftTypesFile, ReplacesTheFileWholeOrLeavesIt) {
  test::TempDir dir;
  test::WriteFile(dir / "New AircraftTypes.dat", "old line one\r\nold line two\r\nold line three\r\n");
  FSAircraft a = Aircraft("C172", "Cessna", "", "Skyhawk \xC4");
  ASSERT_TRUE(WriteAircraftTypesFile(dir.path(), {&a}));
  EXPECT_EQ(*test::ReadFile(dir / "New AircraftTypes.dat"),
            "C172,Skyhawk \xC4,450,100,370,100,2500,5000,HARD,18,GATE SMALL,100\r\n");
  EXPECT_FALSE(WriteAircraftTypesFile(dir / "missing folder", {&a}));
}

}  // namespace
}  // namespace velk
