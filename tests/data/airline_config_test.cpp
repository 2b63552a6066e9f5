#include "data/airline_config.h"

#include <gtest/gtest.h>

#include <string>

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
  EXPECT_EQ(boxes_.Shown()[0].title, "VELK");
  ASSERT_EQ(CountryRules().size(), 1u);
  EXPECT_EQ(CountryRules()[0].Name, "Norway");
}

TEST_F(AirlineConfigTest, EmptyFileGivesEmptyTables) {
  ASSERT_TRUE(Read("[Region: Europe]\r\nA,1\r\n"));
  EXPECT_TRUE(Read(""));
  EXPECT_EQ(GlobalRules(), LocationRules{});
  EXPECT_TRUE(RegionRules().empty());
  EXPECT_TRUE(boxes_.Shown().empty());
}

TEST_F(AirlineConfigTest, SectionsOfEveryKind) {
  EXPECT_TRUE(Read("; comment before any section\r\n"
                   "Stray,10\r\n"
                   "[Global]\r\n"
                   "Global Air,30\r\n"
                   "[ REGION:  Europe  ] anything\r\n"
                   "Euro Wings,150\r\n"
                   "#d-....\r\n"
                   "[Country:Germany]\r\n"
                   "[State:Bavaria]\r\n"
                   "[City:Munich]\r\n"
                   "[Airport:EDDM]\r\n"
                   "[airport:eddf]\r\n"
                   "[Country :France]\r\n"
                   "Hidden,5\r\n"
                   "[Country:   ]\r\n"
                   "Hidden,5\r\n"
                   "[Continent:Asia]\r\n"
                   "Hidden,5\r\n"));
  EXPECT_EQ(GlobalRules().Name, "Global");
  ASSERT_EQ(GlobalRules().AirlineCount(), 1);
  EXPECT_EQ(GlobalRules().Airlines[0].Name, "Global Air");
  EXPECT_EQ(GlobalRules().Airlines[0].Percent, 30);
  ASSERT_EQ(RegionRules().size(), 1u);
  EXPECT_EQ(RegionRules()[0].Name, "Europe");
  EXPECT_EQ(RegionRules()[0].Airlines[0].Percent, 100);
  EXPECT_EQ(RegionRules()[0].TailPatterns, "D-....");
  ASSERT_EQ(CountryRules().size(), 1u);
  EXPECT_EQ(CountryRules()[0].Name, "Germany");
  ASSERT_EQ(StateRules().size(), 1u);
  EXPECT_EQ(StateRules()[0].Name, "Bavaria");
  ASSERT_EQ(CityRules().size(), 1u);
  EXPECT_EQ(CityRules()[0].Name, "Munich");
  ASSERT_EQ(AirportRules().size(), 2u);
  EXPECT_EQ(AirportRules()[1].Name, "eddf");
}

TEST_F(AirlineConfigTest, PercentForms) {
  EXPECT_TRUE(Read("[GLOBAL]\r\n"
                   "NoComma\r\n"
                   "Empty,\r\n"
                   "Letters,abc\r\n"
                   "Remark,20 ;note\r\n"
                   "  Spaced  ,  25  \r\n"
                   "Negative,-5\r\n"
                   "Half,12.5\r\n"
                   "Half up,13.5\r\n"
                   "Third,40,ignored,too\r\n"
                   "Huge,99999999999\r\n"
                   "Zero,0\r\n"));
  const auto& a = GlobalRules().Airlines;
  ASSERT_EQ(a.size(), 11u);
  EXPECT_EQ(a[0].Percent, -1);
  EXPECT_EQ(a[1].Percent, -1);
  EXPECT_EQ(a[2].Percent, -1);
  EXPECT_EQ(a[3].Percent, -1);
  EXPECT_EQ(a[4].Name, "Spaced");
  EXPECT_EQ(a[4].Percent, 25);
  EXPECT_EQ(a[5].Percent, -5);
  EXPECT_EQ(a[6].Percent, 12);
  EXPECT_EQ(a[7].Percent, 14);
  EXPECT_EQ(a[8].Percent, 40);
  EXPECT_EQ(a[9].Percent, 100);
  EXPECT_EQ(a[10].Percent, 0);
  for (const AirlineShare& s : a) {
    EXPECT_EQ(s.PlannedPercent, 0);
    EXPECT_EQ(s.Assigned, 0);
    EXPECT_TRUE(s.Aircraft.empty());
  }
}

TEST_F(AirlineConfigTest, AirlineNamesAreCleaned) {
  EXPECT_EQ(CleanConfigEntry("  Lufthansa  "), "Lufthansa");
  EXPECT_EQ(CleanConfigEntry("Lufthansa (Star Alliance)"), "Lufthansa ");
  EXPECT_EQ(CleanConfigEntry("Lufthansa;note (x)"), "Lufthansa");
  EXPECT_EQ(CleanConfigEntry("   "), "");
  EXPECT_TRUE(Read("[Global]\r\n   \r\n\r\n [not a header]\r\n"));
  ASSERT_EQ(GlobalRules().AirlineCount(), 2);
  EXPECT_EQ(GlobalRules().Airlines[0].Name, "");
  EXPECT_EQ(GlobalRules().Airlines[0].Percent, -1);
  EXPECT_EQ(GlobalRules().Airlines[1].Name, "[not a header]");
}

TEST_F(AirlineConfigTest, SectionsEndAtAnyBracketLine) {
  EXPECT_TRUE(Read("[Country:Spain]\r\nIberia,40\r\n[no closing bracket\r\nLost,10\r\n[Country:Spain]\r\nVueling,30\r\n"));
  ASSERT_EQ(CountryRules().size(), 2u);
  ASSERT_EQ(CountryRules()[0].AirlineCount(), 1);
  EXPECT_EQ(CountryRules()[0].Airlines[0].Name, "Iberia");
  EXPECT_EQ(CountryRules()[1].Airlines[0].Name, "Vueling");
}

TEST_F(AirlineConfigTest, GlobalSectionsMergeAndPatternsJoin) {
  EXPECT_TRUE(Read("[Global]\r\nA,10\r\n#n!!!..,n!!!\r\n[Region:X]\r\n[GLOBAL extra]\r\nB,20\r\n#c-....\r\n"));
  EXPECT_EQ(GlobalRules().AirlineCount(), 2);
  EXPECT_EQ(GlobalRules().TailPatterns, "N!!!..,N!!!,C-....");
}

TEST_F(AirlineConfigTest, LineFeedFilesKeepTheirLines) {
  EXPECT_TRUE(Read("[Global]\nA,10\nB,20\n"));
  EXPECT_EQ(GlobalRules().AirlineCount(), 2);
}

}  // namespace
}  // namespace velk
