// The settings kept between runs: text forms, defaults, what comes back for
// values that cannot be read, and the exact texts written.
#include "app/settings_list.h"

#include <gtest/gtest.h>

#include "data/program_state.h"
#include "data/settings_store.h"
#include "support/test_support.h"

namespace velk {
namespace {

using test::ScopedEnv;
using test::TempDir;

TEST(SettingConversions, BooleansAcceptWordsAndNumbers) {
  EXPECT_EQ(SettingToBoolean("True"), true);
  EXPECT_EQ(SettingToBoolean(" fALSE "), false);
  EXPECT_EQ(SettingToBoolean("-1"), true);
  EXPECT_EQ(SettingToBoolean("0"), false);
  EXPECT_EQ(SettingToBoolean("2.5"), true);
  EXPECT_EQ(SettingToBoolean("yes"), std::nullopt);
  EXPECT_EQ(SettingToBoolean(""), std::nullopt);
  EXPECT_EQ(SettingToBoolean("nan"), std::nullopt);
  EXPECT_EQ(BooleanSetting(true), "-1");
  EXPECT_EQ(BooleanSetting(false), "0");
}

TEST(SettingConversions, NumbersRoundHalvesToEvenAndRejectJunk) {
  EXPECT_EQ(SettingToNumber("30"), 30);
  EXPECT_EQ(SettingToNumber(" 2.5 "), 2);
  EXPECT_EQ(SettingToNumber("3.5"), 4);
  EXPECT_EQ(SettingToNumber("-1"), -1);
  EXPECT_EQ(SettingToNumber("abc"), std::nullopt);
  EXPECT_EQ(SettingToNumber(""), std::nullopt);
  EXPECT_EQ(SettingToNumber("99999999999"), std::nullopt);
}

TEST(SettingConversions, TurnAroundsOutsideTheMenusAreOff) {
  EXPECT_EQ(MinTurnAroundFromSetting(45), 45);
  EXPECT_EQ(MinTurnAroundFromSetting(40), kTurnAroundOff);
  EXPECT_EQ(MinTurnAroundFromSetting(std::nullopt), kTurnAroundOff);
  EXPECT_EQ(MaxTurnAroundFromSetting(18), 18);
  EXPECT_EQ(MaxTurnAroundFromSetting(6), kTurnAroundOff);
  EXPECT_EQ(MaxTurnAroundFromSetting(kTurnAroundOff), kTurnAroundOff);
}

class StoredSettingsTest : public ::testing::Test {
 protected:
  void Put(const char* section, const char* key, const std::string& value) {
    ASSERT_TRUE(SaveUserSetting(kCompany, kApplication, kVersion, section, key, value));
  }
  std::string Get(const char* section, const char* key) {
    return GetUserSetting(kCompany, kApplication, kVersion, section, key, "<missing>");
  }

  TempDir home_;
  ScopedEnv env_{"VELK_CONFIG_HOME", home_.path().string()};
};

TEST_F(StoredSettingsTest, FirstStartGivesTheDefaults) {
  StoredSettings s = ReadStoredSettings();
  for (auto on : {s.BackupPlan, s.BackupAircraft, s.Undo, s.ACCheck, s.GenerateTailNumber, s.CheckFL,
                  s.ChangeIFRVFR, s.CheckVisitedAirports, s.CheckAircraftRange, s.CheckFlightLevels,
                  s.CheckFlightTimes})
    EXPECT_EQ(on, true);
  for (auto off : {s.DebugOn, s.ShowCompiler, s.RemoveMinus}) EXPECT_EQ(off, false);
  EXPECT_EQ(s.MinTurnAround, 30);
  EXPECT_EQ(s.MaxTurnAround, 24);
  EXPECT_EQ(s.StartNumber, 1);
  EXPECT_EQ(s.TimetableZone, "GMT");
  EXPECT_EQ(s.ExportZone, "GMT");
  EXPECT_EQ(s.FlightEditZone, "GMT");
  for (const auto& path : s.RecentFlightplans) EXPECT_EQ(path, "");
  for (const auto& path : s.RecentProjects) EXPECT_EQ(path, "");
}

TEST_F(StoredSettingsTest, UnreadableValuesComeBackEmptyOrOff) {
  Put(kSectionSettings, "BackupPlan", "yes");
  Put(kSectionSettings, "TATime", "40");
  Put(kSectionSettings, "MaxTATime", "");
  Put(kSectionSettings, "StartNumber", "abc");
  Put(kSectionSettings, "EXZone", "GMT +05:45");
  Put(kSectionSettings, "TTZone", "GMT +05:40");
  Put(kSectionFlightEditor, "CheckFlightTimes", "0");
  StoredSettings s = ReadStoredSettings();
  EXPECT_EQ(s.BackupPlan, std::nullopt);
  EXPECT_EQ(s.MinTurnAround, kTurnAroundOff);
  EXPECT_EQ(s.MaxTurnAround, kTurnAroundOff);
  EXPECT_EQ(s.StartNumber, std::nullopt);
  EXPECT_EQ(s.ExportZone, "GMT");
  EXPECT_EQ(s.TimetableZone, "GMT +05:40");
  EXPECT_EQ(s.CheckFlightTimes, false);
}

TEST_F(StoredSettingsTest, PlacementIsReadInTwipsAndCentredWithoutAHeight) {
  WindowPlacement fresh = ReadWindowPlacement(12, 34, 700, 500);
  EXPECT_TRUE(fresh.Centred);
  EXPECT_EQ(fresh.State, kWindowNormal);
  EXPECT_EQ(fresh.Left, 12);
  EXPECT_EQ(fresh.Width, 700);

  Put(kSectionSettings, "MainState", "1");
  Put(kSectionSettings, "MainLeft", "1500");
  Put(kSectionSettings, "MainTop", "3000");
  Put(kSectionSettings, "MainWidth", "9000");
  Put(kSectionSettings, "MainHeight", "-1");
  WindowPlacement centred = ReadWindowPlacement(12, 34, 700, 500);
  EXPECT_TRUE(centred.Centred);
  EXPECT_EQ(centred.State, kWindowNormal);  // minimised comes back normal

  Put(kSectionSettings, "MainHeight", "7500");
  Put(kSectionSettings, "MainTop", "junk");
  WindowPlacement stored = ReadWindowPlacement(12, 34, 700, 500);
  EXPECT_FALSE(stored.Centred);
  EXPECT_EQ(stored.Left, 100);
  EXPECT_EQ(stored.Top, 34);  // unreadable: the centred top stays
  EXPECT_EQ(stored.Width, 600);
  EXPECT_EQ(stored.Height, 500);
}

TEST_F(StoredSettingsTest, WritesEveryValueInItsStoredForm) {
  SettingsToSave v;
  v.MainState = kWindowNormal;
  v.MainLeft = 10;
  v.MainTop = 20;
  v.MainWidth = 640;
  v.MainHeight = 480;
  v.MinTurnAround = kTurnAroundOff;
  v.MaxTurnAround = 12;
  v.BackupPlan = true;
  v.StartNumber = 77;
  v.ShowCompiler = true;
  v.RecentFlightplans = {"/plans/a.txt", "/plans/b.txt", "", "", ""};
  v.RecentProjects[0] = "/p/x.vxp";
  v.TimetableZone = "GMT +01:00";
  v.ExportZone = "GMT";
  v.FlightEditZone = "GMT -03:30";
  v.RemoveMinus = true;
  v.CheckFlightLevels = true;
  WriteStoredSettings(v);

  EXPECT_EQ(Get(kSectionSettings, "MainState"), "0");
  EXPECT_EQ(Get(kSectionSettings, "MainLeft"), "150");
  EXPECT_EQ(Get(kSectionSettings, "MainTop"), "300");
  EXPECT_EQ(Get(kSectionSettings, "MainWidth"), "9600");
  EXPECT_EQ(Get(kSectionSettings, "MainHeight"), "7200");
  EXPECT_EQ(Get(kSectionSettings, "TATime"), "999999");
  EXPECT_EQ(Get(kSectionSettings, "MaxTATime"), "12");
  EXPECT_EQ(Get(kSectionSettings, "BackupPlan"), "-1");
  EXPECT_EQ(Get(kSectionSettings, "BackupAircraft"), "0");
  EXPECT_EQ(Get(kSectionSettings, "StartNumber"), "77");
  EXPECT_EQ(Get(kSectionSettings, "ShowCompiler"), "-1");
  EXPECT_EQ(Get(kSectionSettings, "RemoveMinus"), "-1");
  EXPECT_EQ(Get(kSectionSettings, "TTZone"), "GMT +01:00");
  EXPECT_EQ(Get(kSectionSettings, "FEditZone"), "GMT -03:30");
  EXPECT_EQ(Get(kSectionFlightEditor, "CheckFlightLevels"), "-1");
  EXPECT_EQ(Get(kSectionFlightEditor, "CheckAircraftRange"), "0");
  EXPECT_EQ(Get(kSectionRecentFlightplans, "2"), "/plans/b.txt");
  EXPECT_EQ(Get(kSectionRecentFlightplans, "3"), "");
  EXPECT_EQ(Get(kSectionRecentProjects, "1"), "/p/x.vxp");

  // What was written reads back as the same settings.
  StoredSettings back = ReadStoredSettings();
  EXPECT_EQ(back.MinTurnAround, kTurnAroundOff);
  EXPECT_EQ(back.MaxTurnAround, 12);
  EXPECT_EQ(back.StartNumber, 77);
  EXPECT_EQ(back.RecentFlightplans, v.RecentFlightplans);
  WindowPlacement p = ReadWindowPlacement(0, 0, 1, 1);
  EXPECT_EQ(p.Left, 10);
  EXPECT_EQ(p.Height, 480);
}

TEST_F(StoredSettingsTest, PlacementIsNotWrittenForAMaximisedWindow) {
  Put(kSectionSettings, "MainLeft", "4500");
  SettingsToSave v;
  v.MainState = kWindowMaximised;
  v.MainLeft = 1;
  WriteStoredSettings(v);
  EXPECT_EQ(Get(kSectionSettings, "MainState"), "2");
  EXPECT_EQ(Get(kSectionSettings, "MainLeft"), "4500");
  EXPECT_EQ(Get(kSectionSettings, "MainWidth"), "<missing>");
}

}  // namespace
}  // namespace velk
