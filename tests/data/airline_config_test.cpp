#include "data/airline_config.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/message_box.h"
#include "support/test_support.h"

namespace velk {
namespace {

using test::TempDir;
using test::WriteFile;

class AirlineConfigTest : public ::testing::Test {
 protected:
  bool Read(const std::string& text) {
    WriteFile(dir_ / "VELK_AL.CFG", text);
    return ReadAirlineConfig(dir_.path());
  }
  static std::vector<std::string> Names(const std::vector<LocationRules>& table) {
    std::vector<std::string> names;
    for (const LocationRules& r : table) names.push_back(r.Name);
    return names;
  }
  TempDir dir_;
  ScriptedMessageBoxes boxes_;
};

TEST_F(AirlineConfigTest, MissingFileKeepsTheTables) {
  ASSERT_TRUE(Read("[Country: Norway]\r\nNorwegian,50\r\n"));
  std::filesystem::remove(dir_ / "VELK_AL.CFG");
  EXPECT_FALSE(ReadAirlineConfig(dir_.path()));
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_EQ(boxes_.Shown()[0].prompt, "File 'VELK_AL.CFG' not found.");
  EXPECT_EQ(boxes_.Shown()[0].buttons, kMbIconCritical);
  EXPECT_EQ(Names(CountryRules()), std::vector<std::string>{"Norway"});
  EXPECT_TRUE(Read(""));
  EXPECT_EQ(GlobalRules(), LocationRules{});
  EXPECT_TRUE(CountryRules().empty());
}

TEST_F(AirlineConfigTest, SectionsOfEveryKind) {
  EXPECT_TRUE(Read("Stray,10\r\n"
                   "[Global]\r\nGlobal Air,30\r\n#n!!!..,n!!!\r\n"
                   "[ REGION:  Europe  ] anything\r\n"
                   "[Country:Germany]\r\n[State:Bavaria]\r\n[City:Munich]\r\n[Airport:EDDM]\r\n[airport:eddf]\r\n"
                   "[Country :France]\r\nHidden,5\r\n"
                   "[Country:   ]\r\nHidden,5\r\n"
                   "[Continent:Asia]\r\nHidden,5\r\n"
                   "[no closing bracket\r\nHidden,5\r\n"
                   "[GLOBAL extra]\r\nOther,20\r\n#c-....\r\n"
                   "[Country:Germany]\n;comment\nCondor\n"));
  EXPECT_EQ(GlobalRules().Name, "Global");
  ASSERT_EQ(GlobalRules().AirlineCount(), 2);
  EXPECT_EQ(GlobalRules().Airlines[1].Name, "Other");
  EXPECT_EQ(GlobalRules().TailPatterns, "N!!!..,N!!!,C-....");
  EXPECT_EQ(Names(RegionRules()), std::vector<std::string>{"Europe"});
  EXPECT_EQ(Names(CountryRules()), (std::vector<std::string>{"Germany", "Germany"}));
  EXPECT_EQ(CountryRules()[1].AirlineCount(), 1);
  EXPECT_EQ(Names(StateRules()), std::vector<std::string>{"Bavaria"});
  EXPECT_EQ(Names(CityRules()), std::vector<std::string>{"Munich"});
  EXPECT_EQ(Names(AirportRules()), (std::vector<std::string>{"EDDM", "eddf"}));
}

TEST_F(AirlineConfigTest, AirlineLines) {
  EXPECT_TRUE(Read("[GLOBAL]\r\n"
                   "NoComma\r\nEmpty,\r\nLetters,abc\r\nRemark,20 ;note\r\n"
                   "  Spaced  ,  25  \r\nNegative,-5\r\nHalf,12.5\r\nHalf up,13.5\r\nOver,150\r\n"
                   "Third,40,ignored\r\nHuge,99999999999\r\n"
                   "Lufthansa (Star Alliance),10\r\nLufthansa;note (x),10\r\n   \r\n [not a header]\r\n"));
  std::vector<std::string> names;
  std::vector<int> percents;
  for (const AirlineShare& s : GlobalRules().Airlines) {
    names.push_back(s.Name);
    percents.push_back(s.Percent);
    EXPECT_EQ(s.PlannedPercent + s.Assigned + s.AircraftCount(), 0);
  }
  EXPECT_EQ(percents, (std::vector<int>{-1, -1, -1, -1, 25, -5, 12, 14, 100, 40, 100, 10, 10, -1, -1}));
  EXPECT_EQ(names[4], "Spaced");
  EXPECT_EQ(names[11], "Lufthansa ");  // the blank before a remark stays
  EXPECT_EQ(names[12], "Lufthansa");
  EXPECT_EQ(names[13], "");
  EXPECT_EQ(names[14], "[not a header]");
}

}  // namespace
}  // namespace velk
