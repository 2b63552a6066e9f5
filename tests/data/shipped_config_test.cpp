// The configuration files that ship beside the program must load cleanly and
// classify the aircraft a user would expect them to.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "data/airline_config.h"
#include "data/class_config.h"
#include "data/class_lookup.h"
#include "data/config_files.h"
#include "data/flight_levels.h"
#include "data/name_lists.h"
#include "platform/message_box.h"
#include "platform/text_file.h"
#include "support/test_support.h"

namespace velk {
namespace {

using test::SourceDir;
using test::TempDir;
using test::WriteFile;

class ShippedConfigTest : public ::testing::Test {
 protected:
  static std::filesystem::path Folder() { return SourceDir() / "program"; }
  void SetUp() override { ASSERT_TRUE(ReadConfigurationFiles(Folder())); }
  void TearDown() override { FlightLevelRules().clear(); }
  int ClassOf(const std::string& text) {
    ClassAircraft entry;
    return GetAircraftClassInfo(ClassAircraftConfig(), text, entry);
  }
  ScriptedMessageBoxes boxes_;
};

TEST_F(ShippedConfigTest, AllSixLoadWithoutAMessageAndAreCrLfText) {
  EXPECT_TRUE(boxes_.Shown().empty());
  EXPECT_FALSE(ClassAircraftConfig().NotUsedList.empty());
  EXPECT_FALSE(AirportRules().empty());
  EXPECT_FALSE(ATCTypeNames().empty());
  for (const char* name : {"VELK_AC.CFG", "VELK_AL.CFG", "VELK_NAL.CFG", "VELK_NMD.CFG", "VELK_NTP.CFG",
                           "VELK_FL.CFG"}) {
    std::string bytes = *ReadFileBytes(Folder() / name);
    size_t lf = 0, crlf = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\n') ++lf, crlf += i > 0 && bytes[i - 1] == '\r';
    }
    EXPECT_EQ(lf, crlf) << name;
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << name;
  }
}

TEST_F(ShippedConfigTest, EveryCodeLandsInItsOwnClass) {
  // A short code of an earlier class inside a longer code of a later one
  // would silently take the aircraft away from its class.
  for (int c = kClassNotUsed; c <= kClassHugeJet; ++c) {
    for (const ClassAircraft& entry : *ClassAircraftConfig().List(c)) {
      EXPECT_EQ(ClassOf(entry.Id), c) << entry.Id;
    }
  }
  EXPECT_EQ(ClassOf("C172"), kClassMicroProp);
  EXPECT_EQ(ClassOf("B737-800"), kClassSmallJet);
  EXPECT_EQ(ClassOf("B738"), kClassSmallJet);
  EXPECT_EQ(ClassOf("J328"), kClassSmallJet);
  EXPECT_EQ(ClassOf("DH8D"), kClassLargeProp);
  EXPECT_EQ(ClassOf("B757-200"), kClassLargeJet);
  EXPECT_EQ(ClassOf("B747-400"), kClassHugeJet);
  EXPECT_EQ(ClassOf("Boeing 777-300ER"), kClassHugeJet);
  EXPECT_EQ(ClassOf("R44"), kClassNotUsed);
  // Every model code offered by the editor has a class.
  for (const std::string& model : ATCModelNames()) EXPECT_NE(ClassOf(model), kClassNone) << model;
}

TEST_F(ShippedConfigTest, WritingTheClassesBackKeepsThem) {
  TempDir dir;
  ClassAircraftLists lists = ClassAircraftConfig();
  ClassDefaultSets defaults = ClassDefaults();
  ASSERT_TRUE(WriteClassConfig(dir.path()));
  ASSERT_TRUE(ReadClassConfig(dir.path()));
  EXPECT_TRUE(ClassAircraftConfig() == lists);
  EXPECT_TRUE(ClassDefaults() == defaults);
}

TEST_F(ShippedConfigTest, AirlinesHaveSharesAndPatterns) {
  for (const auto* table : {&RegionRules(), &CountryRules(), &StateRules(), &CityRules(), &AirportRules()}) {
    for (const LocationRules& place : *table) {
      int total = 0;
      for (const AirlineShare& share : place.Airlines) {
        EXPECT_FALSE(share.Name.empty()) << place.Name;
        // A share, or none: the airline then flies what is left over.
        EXPECT_TRUE(share.Percent > 0 || share.Percent == -1) << place.Name << " " << share.Name;
        EXPECT_TRUE(NameIsKnown(AirlineNameLookup(), share.Name)) << share.Name;
        total += std::max(share.Percent, 0);
      }
      EXPECT_LE(total, 100) << place.Name;
    }
  }
  ASSERT_FALSE(CountryRules().empty());
  // Named as the shuffle looks a departure airport's country up.
  EXPECT_EQ(CountryRules()[0].Name, "North America/United States");
  EXPECT_EQ(CountryRules()[0].TailPatterns, "N!!!..,N!!!!.,N!!!!!");
}

TEST_F(ShippedConfigTest, EveryLegOfEveryClassHasARow) {
  for (int c = kClassMicroProp; c <= kClassHugeJet; ++c) {
    const ClassSettings& s = *ClassDefaultsOf(c);
    for (int distance : {0, 40, 120, 300, 2500, 9000}) {
      for (int course : {0, 90, 179, 180, 270, 359, 360}) {
        for (const char* rules : {"IFR", "VFR"}) {
          FlightLevelWindow w = FindFlightLevelWindow(FlightLevelRules(), rules, distance, course, s.MinFL, s.MaxFL);
          EXPECT_TRUE(w.found) << c << " " << rules << " " << distance << " " << course;
        }
      }
    }
  }
  FSAircraft jet;
  jet.MinFL = ClassDefaultsOf(kClassSmallJet)->MinFL;
  jet.MaxFL = ClassDefaultsOf(kClassSmallJet)->MaxFL;
  EXPECT_EQ(GetFlightLevel("IFR", 300, 90, jet, -1, true), "FL170-350 +020");
  EXPECT_EQ(GetFlightLevel("IFR", 1500, 270, jet, -1, true), "FL260-380 +020");
}

TEST(ConfigurationFiles, FirstFailureStopsTheReading) {
  TempDir dir;
  ScriptedMessageBoxes boxes;
  WriteFile(dir / "VELK_AL.CFG", "");
  EXPECT_FALSE(ReadConfigurationFiles(dir.path()));
  EXPECT_EQ(boxes.Prompts(),
            std::vector<std::string>{"File 'VELK_AC.CFG' not found. Please copy the file to the VELK program folder."});
  WriteFile(dir / "VELK_AC.CFG", "");
  boxes.Clear();
  EXPECT_FALSE(ReadConfigurationFiles(dir.path()));
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{"File 'VELK_NAL.CFG' not found."});
}

}  // namespace
}  // namespace velk
