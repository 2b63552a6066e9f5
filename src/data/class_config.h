#pragma once
// The aircraft classes: VELK_AC.CFG in the program folder sorts aircraft type
// codes into eight classes and gives the operating limits of each class
// (default limits for classes 2 to 8, and optional limits of each aircraft
// line). The installed-aircraft reader classifies every installed aircraft
// with GetAircraftClassInfo; the simulator aircraft editor moves entries
// between the class lists and saves them with WriteClassConfig.
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velk {

// Class numbers shared by the whole program; 0 (and any other value) means
// that no class was found.
enum AircraftClass : int {
  kClassNone = 0,
  kClassNotUsed = 1,
  kClassMicroProp = 2,
  kClassMidProp = 3,
  kClassLargeProp = 4,
  kClassMicroJet = 5,
  kClassSmallJet = 6,
  kClassLargeJet = 7,
  kClassHugeJet = 8,
};

// "Not Used", "Micro Prop", ... "Huge Jet" for 1 to 8; empty for any other
// value.
std::string_view AircraftClassName(int aircraftClass);

// The default limits of one class (classes 2 to 8).
struct ClassSettings {
  int MaxFL = 0;             // hundreds of feet
  int MinFL = 0;             // hundreds of feet
  int MaxRange = 0;          // nautical miles
  int MinRange = 0;          // nautical miles
  int CruiseSpeed = 0;       // knots
  int RunwayLength = 0;      // feet
  std::string RunwayTypes;   // "HARD", "SOFT", "WATER", "SNOW" in any arrangement
  int MinParkingRadius = 0;  // metres
  std::string ParkingTypes;  // free text
  int IFRPercent = 0;        // percent

  // Mid Prop keeps the MinFL field of its section line exactly as written
  // (blanks and leading zeros included) so that a save writes it back
  // unchanged; MinFL then holds its value, 0 when it is not a whole number.
  // Empty for every other class and before the file is read.
  std::optional<std::string> MinFLText;

  bool operator==(const ClassSettings&) const = default;
};

// One aircraft line of a class section. In classes 2 to 8, -1 in a number
// and an empty text mean that the line does not give that value (the class
// default applies); a "Not Used" entry holds 0 and empty texts.
struct ClassAircraft {
  std::string Id;  // type code, looked for inside an ATC model or type text
  int MaxRange = 0;
  int MinRange = 0;
  int MaxFL = 0;
  int MinFL = 0;
  int CruiseSpeed = 0;
  int RunwayLength = 0;
  std::string RunwayTypes;
  int MinParkingRadius = 0;
  std::string ParkingTypes;
  int IFRPercent = 0;

  bool operator==(const ClassAircraft&) const = default;
};

// The eight class lists, in file order and then in the order entries were
// appended. Each list's size is its count. A plain value: copying it copies
// every entry (the aircraft editor keeps copies for Cancel and Undo).
struct ClassAircraftLists {
  std::vector<ClassAircraft> NotUsedList;
  std::vector<ClassAircraft> MicroPropList;
  std::vector<ClassAircraft> MidPropList;
  std::vector<ClassAircraft> LargePropList;
  std::vector<ClassAircraft> MicroJetList;
  std::vector<ClassAircraft> SmallJetList;
  std::vector<ClassAircraft> LargeJetList;
  std::vector<ClassAircraft> HugeJetList;

  // The list of class 1 to 8; nullptr for any other number.
  std::vector<ClassAircraft>* List(int aircraftClass);
  const std::vector<ClassAircraft>* List(int aircraftClass) const;

  bool operator==(const ClassAircraftLists&) const = default;
};

// The default sets of classes 2 to 8, in class order.
using ClassDefaultSets = std::array<ClassSettings, 7>;

// Program-wide holders. ClassDefaults changes only through ReadClassConfig;
// ClassAircraftConfig is replaced by a successful read and changed afterwards
// by the simulator aircraft editor.
ClassDefaultSets& ClassDefaults();
ClassAircraftLists& ClassAircraftConfig();
// The default set of class 2 to 8; nullptr for any other number.
ClassSettings* ClassDefaultsOf(int aircraftClass);

inline constexpr const char* kClassConfigFileName = "VELK_AC.CFG";

// Reads VELK_AC.CFG in `programFolder`. True: ClassAircraftConfig holds the
// file's lists and ClassDefaults its section values (the built-in presets for
// the first five values of classes without a section). False: the user has
// been told why (missing or unreadable file, a line in error) and
// ClassAircraftConfig is unchanged; start-up then ends the program.
bool ReadClassConfig(const std::filesystem::path& programFolder);

// Fills `entry` from one aircraft line of classes 2 to 8: a line of one field
// is the Id alone (numbers -1, texts empty); a line of eleven fields gives
// the Id and the ten values, a number that does not convert leaving that
// field as it was. Any other line leaves the entry as it was.
void ParseClassAircraftLine(ClassAircraft& entry, std::string_view line);

// True when `id` can be saved in the list of `aircraftClass` and read back as
// the same entry: no line break anywhere, and no comma in classes 2 to 8
// (where a comma would split the line into fields and stop the next start).
bool ClassEntryIdIsWritable(std::string_view id, int aircraftClass);

// The text of VELK_AC.CFG as WriteClassConfig writes it from `defaults` and
// `lists` (Windows-1252, CRLF line ends). Empty when an entry or default
// value could not be read back (see ClassEntryIdIsWritable).
std::string FormatClassConfig(const ClassDefaultSets& defaults, const ClassAircraftLists& lists);

// Replaces VELK_AC.CFG in `programFolder` with the text of ClassDefaults and
// ClassAircraftConfig. The old file is replaced atomically and only when the
// new text is complete and would read back; false (old file untouched) when
// an entry holds a text the file cannot carry or the file cannot be written.
bool WriteClassConfig(const std::filesystem::path& programFolder);
// The same from the given defaults and lists; `error`, when given, receives
// why it failed.
bool WriteClassConfig(const std::filesystem::path& programFolder, const ClassDefaultSets& defaults,
                      const ClassAircraftLists& lists, std::string* error = nullptr);

}  // namespace velk
