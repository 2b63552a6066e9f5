// The airport search and the airport distance lists, over scenery airports
// and Airports.txt entries built in memory.
#include <gtest/gtest.h>

#include "airport_tools/airport_distance.h"
#include "airport_tools/airport_search.h"

namespace velk {
namespace {

SceneryAirport Scenery(const char* icao, const char* name, const char* city, const char* country,
                       const char* region = "Europe", const char* state = "", int elevation = 100) {
  SceneryAirport a;
  a.ICAO = icao;
  a.Name = name;
  a.City = city;
  a.Country = country;
  a.Region = region;
  a.State = state;
  a.Latitude = "N48*21.0000'";
  a.Longitude = "E11*47.0000'";
  a.Elevation = elevation;
  return a;
}

std::vector<std::string> Texts(const std::vector<AirportSearchRow>& rows) {
  std::vector<std::string> out;
  for (const AirportSearchRow& r : rows) out.push_back(r.text);
  return out;
}

class AirportSearchTest : public ::testing::Test {
 protected:
  std::vector<SceneryAirport> scenery = {
      Scenery("LFPG", "Charles de Gaulle", "Paris", "France"),
      Scenery("LFPO", "Orly", "Paris", "France"),
      Scenery("EDDM", "Franz Josef Strauss", "Munich", "Germany", "Europe", "Bayern"),
      Scenery("KJFK", "Kennedy", "New York", "United States", "North America", "New York", 4),
      Scenery("", "Unnamed Strip", "", "")};
  std::vector<Airport> airports = {{"LFPG", "N49* 0.58'", "E2* 32.88'", "392"}, {"eddm", "x", "y", "1"},
                                   {"LFPG", "second", "entry", "0"}};
};

TEST_F(AirportSearchTest, FindsTextInAnyFieldWithoutRegardToCase) {
  EXPECT_EQ(Texts(SearchSceneryAirports(scenery, airports, "lfp", false)),
            (std::vector<std::string>{"Charles de Gaulle (LFPG) - Paris/France",
                                      "Orly (LFPO) - Paris/France [not in AIRPORTS.TXT]"}));
  EXPECT_EQ(SearchSceneryAirports(scenery, airports, "BAYERN", false).size(), 1u);
  EXPECT_EQ(SearchSceneryAirports(scenery, airports, "north am", false).size(), 1u);
  EXPECT_TRUE(SearchSceneryAirports(scenery, airports, "zzz", false).empty());
  // An empty text is found in every field that holds something.
  EXPECT_EQ(SearchSceneryAirports(scenery, airports, "", false).size(), 5u);
}

TEST_F(AirportSearchTest, ListedAirportsShowTheirAirportsTxtValues) {
  std::vector<AirportSearchRow> rows = SearchSceneryAirports(scenery, airports, "", false);
  // The first Airports.txt entry of a code, as stored.
  EXPECT_EQ(rows[0].latitude, "N49* 0.58'");
  EXPECT_EQ(rows[0].longitude, "E2* 32.88'");
  EXPECT_EQ(rows[0].elevation, "392ft");
  EXPECT_EQ(rows[0].scenery, 0);
  // Not listed (a code in another case counts as another code): the
  // scenery's own values, its elevation in feet.
  EXPECT_EQ(rows[2].text, "Franz Josef Strauss (EDDM) - Munich/Germany [not in AIRPORTS.TXT]");
  EXPECT_EQ(rows[2].latitude, "N48*21.0000'");
  EXPECT_EQ(rows[2].elevation, "328ft");
  EXPECT_EQ(rows[3].elevation, "13ft");
  EXPECT_EQ(rows[3].scenery, 3);

  EXPECT_EQ(Texts(SearchSceneryAirports(scenery, airports, "", true)),
            std::vector<std::string>{"Charles de Gaulle (LFPG) - Paris/France"});
  EXPECT_TRUE(SearchSceneryAirports(scenery, {}, "", true).empty());
}

TEST_F(AirportSearchTest, DistanceListsAndLines) {
  PlanState plan;
  EXPECT_EQ(DistanceAirports(scenery, plan), (std::vector<int>{0, 1, 2, 3, 4}));
  plan.PlanLoaded = true;
  plan.Airports = {{"kjfk", "", "", ""}, {"XXXX", "", "", ""}, {"LFPG", "", "", ""}, {"LFPG", "", "", ""}};
  // In Airports.txt order, codes found without regard to case, doubles kept.
  EXPECT_EQ(DistanceAirports(scenery, plan), (std::vector<int>{3, 0, 0}));
  EXPECT_EQ(DistanceItemText(scenery[2]), "EDDM - Franz Josef Strauss (Munich/Germany)");
  EXPECT_EQ(DistanceLine("EDDF", "KJFK", 3347), "EDDF - > KJFK = 3347nm\r\n");
  EXPECT_EQ(DistanceLine("EDDF", "XXXX", -1), "EDDF - > XXXX = -1nm\r\n");
}

}  // namespace
}  // namespace velk
