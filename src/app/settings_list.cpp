#include "app/settings_list.h"

#include <cmath>

#include "data/config_text.h"
#include "data/program_state.h"
#include "data/settings_store.h"
#include "data/text_number.h"
#include "data/times_zones.h"
#include "platform/ascii_text.h"

namespace velk {
namespace {

std::string User(const char* section, const char* key, const std::string& defaultValue) {
  return GetUserSetting(kCompany, kApplication, kVersion, section, key, defaultValue);
}

void Save(const char* section, const std::string& key, const std::string& value) {
  SaveUserSetting(kCompany, kApplication, kVersion, section, key, value);
}

std::optional<bool> UserBoolean(const char* section, const char* key, const char* defaultValue) {
  return SettingToBoolean(User(section, key, defaultValue));
}

std::string KnownZone(std::string zone) { return IsDisplayZone(zone) ? zone : "GMT"; }

RecentList ReadRecent(const char* section) {
  RecentList list;
  for (int i = 0; i < 5; ++i) list[i] = User(section, std::to_string(i + 1).c_str(), "");
  return list;
}

void WriteRecent(const char* section, const RecentList& list) {
  for (int i = 0; i < 5; ++i) Save(section, std::to_string(i + 1), list[i]);
}

int TwipsToPixels(int twips) { return static_cast<int>(std::lround(twips / double(kTwipsPerPixel))); }

std::string PixelsAsTwips(int pixels) { return std::to_string(pixels * kTwipsPerPixel); }

}  // namespace

std::optional<bool> SettingToBoolean(std::string_view text) { return text_number::ParseBooleanText(text); }

std::optional<int> SettingToNumber(std::string_view text) { return ParseWholeNumber(text); }

std::string BooleanSetting(bool value) { return value ? "-1" : "0"; }

const std::vector<std::string>& DisplayZones() {
  static const std::vector<std::string> zones(kTimeZoneNames.begin(), kTimeZoneNames.end());
  return zones;
}

bool IsDisplayZone(std::string_view zone) {
  for (const auto& z : DisplayZones())
    if (z == zone) return true;
  return false;
}

int MinTurnAroundFromSetting(std::optional<int> minutes) {
  if (minutes)
    for (int choice : kMinTurnAroundChoices)
      if (*minutes == choice) return choice;
  return kTurnAroundOff;
}

int MaxTurnAroundFromSetting(std::optional<int> hours) {
  if (hours)
    for (int choice : kMaxTurnAroundChoices)
      if (*hours == choice) return choice;
  return kTurnAroundOff;
}

StoredSettings ReadStoredSettings() {
  StoredSettings s;
  const char* S = kSectionSettings;
  s.BackupPlan = UserBoolean(S, "BackupPlan", "True");
  s.BackupAircraft = UserBoolean(S, "BackupAircraft", "True");
  s.DebugOn = UserBoolean(S, "DebugOn", "False");
  s.ShowCompiler = UserBoolean(S, "ShowCompiler", "False");
  s.Undo = UserBoolean(S, "Undo", "True");
  s.ACCheck = UserBoolean(S, "ACCheck", "True");
  s.GenerateTailNumber = UserBoolean(S, "GenerateTailNumber", "True");
  s.RemoveMinus = UserBoolean(S, "RemoveMinus", "False");
  s.CheckFL = UserBoolean(S, "CheckFL", "True");
  s.ChangeIFRVFR = UserBoolean(S, "ChangeIFRVFR", "True");
  s.CheckVisitedAirports = UserBoolean(S, "CheckVisitedAirports", "True");
  s.MinTurnAround = MinTurnAroundFromSetting(SettingToNumber(User(S, "TATime", "30")));
  s.MaxTurnAround = MaxTurnAroundFromSetting(SettingToNumber(User(S, "MaxTATime", "24")));
  s.CheckAircraftRange = UserBoolean(kSectionFlightEditor, "CheckAircraftRange", "True");
  s.CheckFlightLevels = UserBoolean(kSectionFlightEditor, "CheckFlightLevels", "True");
  s.CheckFlightTimes = UserBoolean(kSectionFlightEditor, "CheckFlightTimes", "True");
  s.StartNumber = SettingToNumber(User(S, "StartNumber", "1"));
  s.RecentFlightplans = ReadRecent(kSectionRecentFlightplans);
  s.RecentProjects = ReadRecent(kSectionRecentProjects);
  s.TimetableZone = KnownZone(User(S, "TTZone", "GMT"));
  s.ExportZone = KnownZone(User(S, "EXZone", "GMT"));
  s.FlightEditZone = KnownZone(User(S, "FEditZone", "GMT"));
  return s;
}

WindowPlacement ReadWindowPlacement(int centredLeft, int centredTop, int width, int height) {
  const char* S = kSectionSettings;
  WindowPlacement p;
  p.Left = centredLeft;
  p.Top = centredTop;
  p.Width = width;
  p.Height = height;
  int state = SettingToNumber(User(S, "MainState", "0")).value_or(kWindowNormal);
  p.State = state == kWindowMinimised ? kWindowNormal : state;
  // An unreadable height counts as "no placement stored".
  int storedHeight = SettingToNumber(User(S, "MainHeight", "-1")).value_or(-1);
  if (storedHeight == -1) return p;
  p.Centred = false;
  if (auto v = SettingToNumber(User(S, "MainLeft", PixelsAsTwips(centredLeft)))) p.Left = TwipsToPixels(*v);
  if (auto v = SettingToNumber(User(S, "MainTop", PixelsAsTwips(centredTop)))) p.Top = TwipsToPixels(*v);
  if (auto v = SettingToNumber(User(S, "MainWidth", PixelsAsTwips(width)))) p.Width = TwipsToPixels(*v);
  if (auto v = SettingToNumber(User(S, "MainHeight", PixelsAsTwips(height)))) p.Height = TwipsToPixels(*v);
  return p;
}

void WriteStoredSettings(const SettingsToSave& v) {
  const char* S = kSectionSettings;
  Save(S, "MainState", std::to_string(v.MainState));
  if (v.MainState == kWindowNormal) {
    Save(S, "MainLeft", PixelsAsTwips(v.MainLeft));
    Save(S, "MainTop", PixelsAsTwips(v.MainTop));
    Save(S, "MainWidth", PixelsAsTwips(v.MainWidth));
    Save(S, "MainHeight", PixelsAsTwips(v.MainHeight));
  }
  Save(S, "TATime", std::to_string(v.MinTurnAround));
  Save(S, "MaxTATime", std::to_string(v.MaxTurnAround));
  Save(S, "BackupPlan", BooleanSetting(v.BackupPlan));
  Save(S, "BackupAircraft", BooleanSetting(v.BackupAircraft));
  Save(S, "StartNumber", std::to_string(v.StartNumber));
  Save(S, "DebugOn", BooleanSetting(v.DebugOn));
  Save(S, "ShowCompiler", BooleanSetting(v.ShowCompiler));
  Save(S, "Undo", BooleanSetting(v.Undo));
  Save(S, "ACCheck", BooleanSetting(v.ACCheck));
  WriteRecent(kSectionRecentFlightplans, v.RecentFlightplans);
  WriteRecent(kSectionRecentProjects, v.RecentProjects);
  Save(S, "TTZone", v.TimetableZone);
  Save(S, "EXZone", v.ExportZone);
  Save(S, "FEditZone", v.FlightEditZone);
  Save(S, "GenerateTailNumber", BooleanSetting(v.GenerateTailNumber));
  Save(S, "RemoveMinus", BooleanSetting(v.RemoveMinus));
  Save(S, "CheckFL", BooleanSetting(v.CheckFL));
  Save(S, "ChangeIFRVFR", BooleanSetting(v.ChangeIFRVFR));
  Save(S, "CheckVisitedAirports", BooleanSetting(v.CheckVisitedAirports));
  Save(kSectionFlightEditor, "CheckAircraftRange", BooleanSetting(v.CheckAircraftRange));
  Save(kSectionFlightEditor, "CheckFlightLevels", BooleanSetting(v.CheckFlightLevels));
  Save(kSectionFlightEditor, "CheckFlightTimes", BooleanSetting(v.CheckFlightTimes));
}

}  // namespace velk
