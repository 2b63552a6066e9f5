#include "airport_tools/airport_report.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

SceneryRunway Runway(int designator, int number, float heading) {
  SceneryRunway r;
  r.Designator = designator;
  r.Number = number;
  r.Heading = heading;
  return r;
}

SceneryAirport Frankfurt() {
  SceneryAirport a;
  a.Name = "Frankfurt Main";
  a.ICAO = "EDDF";
  a.Latitude = "N50*2.0000'";
  a.Longitude = "E8*34.0000'";
  a.Elevation = 111;
  a.Region = "Europe";
  a.Country = "Germany";
  a.State = "Hessen";
  a.City = "Frankfurt";
  a.TakeoffLength = 13123;
  a.LandingLength = 13100;
  SceneryRunway r = Runway(1, 7, 69.5f);
  r.Elevation = 100;
  r.Variation = -1.5f;
  r.Length = 13123;
  r.Width = 197;
  r.Surface = 2;
  r.TakeoffEnd1 = r.LandingEnd1 = r.LandingEnd2 = true;
  r.PatternEnd1 = 1;
  r.PatternEnd2 = 5;
  r.ILSIdentEnd1 = "IFEL";
  r.ILSHeadingEnd1 = 69.5f;
  r.ILSFrequencyEnd1 = "110.500";
  r.ILSIdentEnd2 = "IFER";
  r.ILSHeadingEnd2 = 249.5f;
  r.ILSFrequencyEnd2 = "110.700";
  SceneryRunway heli = Runway(4, 0, 180.0f);
  heli.Length = 60;
  heli.Width = 60;
  heli.PatternEnd1 = 2;
  heli.ILSIdentEnd2 = "HELI";
  heli.ILSHeadingEnd2 = 275.0f;
  heli.ILSFrequencyEnd2 = "111.100";
  a.Runways = {r, heli};
  a.Frequencies = {{"Frankfurt ATIS", "118.020", 1}, {"Odd", "121.000", 2}, {"Frankfurt Tower", "119.900", 6},
                   {"Beyond the table", "122.800", 14}};
  SceneryParking heavy;
  heavy.Name = "Gate A 12";
  heavy.Type = 10;
  heavy.Radius = 36;
  heavy.Heading = 90;
  SceneryParking small = heavy;
  small.Name = "Gate 3";
  small.Type = 8;
  small.Radius = 10;
  small.Heading = 359.995f;
  SceneryParking dock = heavy;
  dock.Name = "Dock 1";
  dock.Type = 11;
  SceneryParking odd = heavy;
  odd.Name = "Parking 9";
  odd.Type = 15;
  odd.Radius = 0;
  a.Parkings = {heavy, small, dock, odd};
  return a;
}

TEST(AirportReport, EveryLineOfOneAirport) {
  EXPECT_EQ(AirportReportCaption(Frankfurt()), "Airport Information for Frankfurt Main (EDDF)");
  const std::string expected =
      "Airport:         Frankfurt Main (EDDF)\r\n"
      "Location:        Frankfurt - Germany/Hessen (Europe)\r\n"
      "Reference Point: N50*2.0000' E8*34.0000'\r\n"
      "Elevation:       364ft\r\n"
      "\r\n"
      "Runways:\r\n"
      "\r\n"
      "\tName    Elevation Heading Var.  Lenght  Width Surface     TO   Land Pattern \r\n"
      "\r\n"
      "\t7L      328ft     69.50   -1.50 13123ft 197ft Concrete    Yes  Yes  Left    \r\n"
      "\t25R     328ft     249.50  -1.50 13123ft 197ft Concrete    No   Yes  \r\n"
      "\tHelipad 0ft       180.00  0.00  60ft    60ft  Unknown     No   No   Right   \r\n"
      "\r\n"
      "\tMaximum Runway length for Takeoff: 13123ft\r\n"
      "\tMaximum Runway length for Landing: 13100ft\r\n"
      "\r\n"
      "ILS:\r\n"
      "\r\n"
      "\tRunway  Ident.  Heading Freq.   \r\n"
      "\r\n"
      "\t7L      IFEL    69.5    110.500 \r\n"
      "\t25R     IFER    249.5   110.700 \r\n"
      "\tHelipad HELI    275     111.100 \r\n"
      "\r\n"
      "Frequencies:\r\n"
      "\r\n"
      "\tName                                         Type       Freq.   \r\n"
      "\r\n"
      "\tFrankfurt ATIS                               ATIS       118.020 \r\n"
      "\tOdd                                          Unkown     121.000 \r\n"
      "\tFrankfurt Tower                              Tower      119.900 \r\n"
      "\tBeyond the table                             Unkown     122.800 \r\n"
      "\r\n"
      "Parking (4):\r\n"
      "\r\n"
      "\tGate Heavy:       1\r\n"
      "\tGate Medium:      0\r\n"
      "\tGate Small:       1\r\n"
      "\tDock GA:          1\r\n"
      "\tRamp GA Large:    0\r\n"
      "\tRamp GA Medium:   0\r\n"
      "\tRamp GA Small:    0\r\n"
      "\tRamp Cargo:       0\r\n"
      "\tRamp Mil Cargo:   0\r\n"
      "\tRamp Mil Combat:  0\r\n"
      "\r\n"
      "\tName           Type             Radius    Heading \r\n"
      "\r\n"
      "\tGate A 12      Gate Heavy       118.1ft   90.00   \r\n"
      "\tGate 3         Gate Small       32.8ft    359.99  \r\n"
      "\tDock 1         Dock GA          118.1ft   90.00   \r\n"
      "\tParking 9      0.0ft     90.00   \r\n";
  EXPECT_EQ(AirportReport(Frankfurt()), expected);
}

TEST(AirportReport, RunwayEndsAndHeadings) {
  struct Case {
    int designator, number;
    const char* first;
    const char* opposite;
  };
  const Case cases[] = {{1, 9, "9L", "27R"}, {2, 9, "9R", "27L"}, {3, 18, "18C", "36C"},
                        {0, 9, "9", "27"},   {7, 4, "4", "22"},   {4, 0, "Helipad", "Helipad"},
                        // The higher end given first faces the lower one.
                        {1, 27, "27L", "9R"}};
  for (const Case& c : cases) {
    SceneryRunway r = Runway(c.designator, c.number, 0);
    EXPECT_EQ(RunwayEndName(r), c.first);
    EXPECT_EQ(RunwayOppositeEndName(r), c.opposite);
  }
  SceneryAirport a;
  a.Runways = {Runway(0, 18, 180.0f), Runway(0, 27, 270.0f)};
  std::string report = AirportReport(a);
  EXPECT_NE(report.find("\t36      0ft       360.00  "), std::string::npos);
  EXPECT_NE(report.find("\t9       0ft       90.00   "), std::string::npos);
}

// A value as wide as its column, or wider, keeps a blank before the next one;
// the lines whose values fit are the ones above.
TEST(AirportReport, AValueThatFillsItsColumnIsFollowedByABlank) {
  SceneryAirport a;
  SceneryRunway r = Runway(0, 9, 90.0f);
  r.Variation = -14.0f;
  r.Length = 100000;
  a.Runways = {r};
  SceneryParking k;
  k.Name = "Cargo Terminal 12";
  k.Type = 5;
  a.Parkings = {k};
  std::string report = AirportReport(a);
  EXPECT_NE(report.find("\t9       0ft       90.00   -14.00 100000ft 0ft   "), std::string::npos) << report;
  EXPECT_NE(report.find("\tCargo Terminal 12 Ramp Cargo       0.0ft"), std::string::npos) << report;
}

TEST(AirportReport, AnEmptyAirportStillHasEveryHeading) {
  SceneryAirport a;
  a.Name = "Nowhere";
  a.ICAO = "ZZZZ";
  a.City = "Town";
  a.Country = "Land";
  a.Region = "Area";
  // Far beyond what a 16-bit number holds in feet: the line is still there.
  a.Elevation = 200000;
  std::string report = AirportReport(a);
  EXPECT_NE(report.find("Location:        Town - Land (Area)\r\n"), std::string::npos);
  EXPECT_NE(report.find("Elevation:       656200ft\r\n"), std::string::npos);
  for (const char* heading : {"Runways:\r\n", "ILS:\r\n", "Frequencies:\r\n", "Parking (0):\r\n",
                              "Maximum Runway length for Takeoff: 0ft", "\tRamp Mil Combat:  0\r\n"})
    EXPECT_NE(report.find(heading), std::string::npos) << heading;
  EXPECT_EQ(report.substr(report.size() - 12), "Heading \r\n\r\n");
}

}  // namespace
}  // namespace velk
