#pragma once
// The values the main window keeps in the settings store between runs: how
// each is read (with its default and text form) and written back. Standard
// library only; the window applies the values to its switches and controls.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velk {

// Section names below the program's key.
inline constexpr const char* kSectionSettings = "Settings";
inline constexpr const char* kSectionFlightEditor = "Settings\\Flight Editor";
inline constexpr const char* kSectionRecentFlightplans = "Recent Flightplans";
inline constexpr const char* kSectionRecentProjects = "Recent Projects";

// Window placement is stored in twips.
inline constexpr int kTwipsPerPixel = 15;

// "True"/"False" in any letter case, or a number (0 false, other true).
// Blanks around the text are ignored. Anything else gives nothing.
std::optional<bool> SettingToBoolean(std::string_view text);
// A decimal number (sign, fraction and exponent allowed, blanks around it
// ignored) rounded to the nearest whole number, halves to even. Nothing for
// any other text and for values outside 32 bits.
std::optional<int> SettingToNumber(std::string_view text);
// The stored form of a switch: "-1" on, "0" off.
std::string BooleanSetting(bool value);

// The display zones the zone lists offer, from "GMT -12:00" to "GMT +14:00".
const std::vector<std::string>& DisplayZones();
bool IsDisplayZone(std::string_view zone);

// The turn-around limits the menus offer. Any other value (or none) is off.
inline constexpr std::array<int, 5> kMinTurnAroundChoices{30, 45, 60, 90, 120};
inline constexpr std::array<int, 7> kMaxTurnAroundChoices{1, 2, 4, 8, 12, 18, 24};
int MinTurnAroundFromSetting(std::optional<int> minutes);
int MaxTurnAroundFromSetting(std::optional<int> hours);

using RecentList = std::array<std::string, 5>;

// Everything read at start-up except the window placement. A value whose
// text cannot be converted is left empty, so that the caller keeps its switch
// or control as it was.
struct StoredSettings {
  std::optional<bool> BackupPlan;
  std::optional<bool> BackupAircraft;
  std::optional<bool> DebugOn;
  std::optional<bool> ShowCompiler;
  std::optional<bool> Undo;
  std::optional<bool> ACCheck;
  std::optional<bool> GenerateTailNumber;
  std::optional<bool> RemoveMinus;
  std::optional<bool> CheckFL;
  std::optional<bool> ChangeIFRVFR;
  std::optional<bool> CheckVisitedAirports;
  int MinTurnAround = 0;  // minutes or kTurnAroundOff
  int MaxTurnAround = 0;  // hours or kTurnAroundOff
  std::optional<bool> CheckAircraftRange;
  std::optional<bool> CheckFlightLevels;
  std::optional<bool> CheckFlightTimes;
  std::optional<int> StartNumber;
  RecentList RecentFlightplans;
  RecentList RecentProjects;
  // Zones that are not one of DisplayZones() come back as "GMT".
  std::string TimetableZone;
  std::string ExportZone;
  std::string FlightEditZone;
};

StoredSettings ReadStoredSettings();

// Window state as stored: 0 normal, 1 minimised, 2 maximised.
enum WindowStateSetting : int { kWindowNormal = 0, kWindowMinimised = 1, kWindowMaximised = 2 };

// Where the window opens, in pixels.
struct WindowPlacement {
  int State = kWindowNormal;  // never kWindowMinimised
  bool Centred = true;        // no stored placement: design size, centred
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

// Reads the placement. The centred position and the current size (pixels)
// are the defaults of values that are missing or unreadable.
WindowPlacement ReadWindowPlacement(int centredLeft, int centredTop, int width, int height);

// Everything written when the window closes.
struct SettingsToSave {
  int MainState = kWindowNormal;
  // Pixels; written only when MainState is normal.
  int MainLeft = 0;
  int MainTop = 0;
  int MainWidth = 0;
  int MainHeight = 0;
  int MinTurnAround = 0;
  int MaxTurnAround = 0;
  bool BackupPlan = false;
  bool BackupAircraft = false;
  int StartNumber = 0;
  bool DebugOn = false;
  bool ShowCompiler = false;
  bool Undo = false;
  bool ACCheck = false;
  RecentList RecentFlightplans;
  RecentList RecentProjects;
  std::string TimetableZone;
  std::string ExportZone;
  std::string FlightEditZone;
  bool GenerateTailNumber = false;
  bool RemoveMinus = false;
  bool CheckFL = false;
  bool ChangeIFRVFR = false;
  bool CheckVisitedAirports = false;
  bool CheckAircraftRange = false;
  bool CheckFlightLevels = false;
  bool CheckFlightTimes = false;
};

// Writes every value; a value the store refuses is passed over.
void WriteStoredSettings(const SettingsToSave& values);

}  // namespace velk
