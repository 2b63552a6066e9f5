#pragma once
// The airports of the simulator's scenery, read from its airport facility
// files (every "*BGL" file of SCENEDB\AFDFILES\SCENERY) or from the scenery
// cache, with the longest usable runways and the parking radius range worked
// out per airport.
//
// The facility reader never trusts a count, size or offset from a file:
// every read is checked against the file's size, and a file whose structure
// runs outside itself is skipped as a whole, without a message, like a file
// that is no facility file at all.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_box.h"

namespace velk {

struct SceneryRunway {
  std::string ReservedText1;  // never filled
  std::string ReservedText2;  // never filled
  std::int32_t Elevation = 0;  // metres
  float Heading = 0;           // true, degrees 0 to 360
  float Variation = 0;         // magnetic variation, degrees
  std::int32_t Length = 0;     // feet
  std::int32_t Width = 0;      // feet
  std::int32_t Designator = 0;  // 1 L, 2 R, 3 C, 4 helipad
  std::int32_t Number = 0;
  std::int32_t Surface = 0;    // surface code, see SurfaceName
  bool LandingEnd1 = false;
  bool TakeoffEnd1 = false;
  std::int32_t PatternEnd1 = 0;  // 0 none, 1 left, 2 right
  bool LandingEnd2 = false;
  bool TakeoffEnd2 = false;
  std::int32_t PatternEnd2 = 0;
  std::int32_t ExtraValue = 0;  // kept as read
  std::string ILSFrequencyEnd1;  // "110.300", empty when none
  float ILSHeadingEnd1 = 0;
  std::string ILSIdentEnd1;
  float ILSHeadingEnd2 = 0;
  std::string ILSFrequencyEnd2;
  std::string ILSIdentEnd2;

  bool operator==(const SceneryRunway&) const = default;
};

struct SceneryParking {
  std::int32_t RawValue1 = 0;  // kept as read
  std::int32_t RawValue2 = 0;  // kept as read
  float Radius = 0;            // metres
  float Heading = 0;           // degrees 0 to 360
  std::int32_t Type = 0;       // see ParkingTypeName
  std::string Name;            // kind name, " ", number
  std::int32_t Flags = 0;      // as read

  bool operator==(const SceneryParking&) const = default;
};

struct SceneryFrequency {
  std::string Name;
  std::string Frequency;  // "118.300"
  std::int32_t Type = 0;  // see FrequencyTypeName

  bool operator==(const SceneryFrequency&) const = default;
};

// The record keeps the stored field order; the vectors' sizes are the counts.
struct SceneryAirport {
  std::string Name;
  std::string ICAO;
  std::string Latitude;   // "N47*26.3820'"
  std::string Longitude;  // "E008*..." style: letter, degrees, "*", minutes
  std::int32_t Elevation = 0;  // metres
  std::string Region;
  std::string Country;
  std::string State;
  std::string City;
  std::int32_t LandingLength = 0;   // feet
  std::int32_t TakeoffLength = 0;   // feet
  std::int32_t LandingSurface = 0;  // surface class, 0 when none
  std::int32_t TakeoffSurface = 0;
  std::vector<SceneryRunway> Runways;
  std::vector<SceneryParking> Parkings;
  std::vector<SceneryFrequency> Frequencies;
  std::int32_t MaxParkingRadius = 0;     // metres, 0 without parking
  std::int32_t MinParkingRadius = 9999;  // metres, 9999 without parking

  int RunwayCount() const { return static_cast<int>(Runways.size()); }
  int ParkingCount() const { return static_cast<int>(Parkings.size()); }
  int FrequencyCount() const { return static_cast<int>(Frequencies.size()); }
  bool operator==(const SceneryAirport&) const = default;
};

// Code tables. Texts are as the windows show them.
std::string SurfaceName(int code);          // "Asphalt"; "Unknown" for other codes
int SurfaceClass(int code);                 // 1 HARD, 2 SOFT, 3 WATER, 4 SNOW
std::string SurfaceClassName(int surfaceClass);  // "HARD".."SNOW", empty otherwise
std::string ParkingTypeName(int type);      // "Gate Heavy"; empty for other values
std::string ParkingKindName(int kind);      // "Parking NE", "Gate", "Gate A" ...
std::string FrequencyTypeName(int type);    // "Tower"; "Unkown" for other values
std::string FrequencyText(std::uint32_t value);  // 0x11830000 -> "118.300"
// Hemisphere letter, degrees, "*", minutes, ".", four digits, "'".
std::string PositionText(float degrees, char hemisphere);

// The scenery list of the running program; empty until first loaded.
std::vector<SceneryAirport>& SceneryAirports();

// How a facility file fared.
enum class AfdFileResult {
  kRead,             // its airports were appended
  kNotFacilityFile,  // its index header is not that of a facility file: nothing read
  kBroken,           // its structure points outside the file: skipped, nothing appended
};

// Reads the airports of one facility file held in memory and appends them,
// or appends nothing when the file is not sound.
AfdFileResult ReadAFDBytes(std::string_view bytes, std::vector<SceneryAirport>& airports);

// One airport entry of a facility file's index: its name, the region,
// country, state and city names in force where it stands, and the file
// offset of its record.
struct AfdIndexAirport {
  std::string Region;
  std::string Country;
  std::string State;
  std::string City;
  std::string Name;
  std::int64_t RecordOffset = 0;
};

// Walks the index of a facility file and calls `visit` for each airport
// entry in file order. A false from `visit`, or an index that runs outside
// the file, ends the walk with kBroken; a file that is no facility file
// gives kNotFacilityFile without a call.
AfdFileResult WalkAFDIndex(std::string_view bytes, const std::function<bool(const AfdIndexAirport&)>& visit);

// Where an airport record keeps its parking list, for patching it in place.
struct AfdParkingLayout {
  std::int64_t RecordEnd = 0;       // the record's offset + its size + 8
  std::int64_t SubRecordStart = 0;  // start of the parking sub-record (0 without one)
  std::int64_t SubRecordEnd = 0;    // its start + its length + 8
  // The file offset of each spot's 20-byte entry, in the order of
  // SceneryAirport::Parkings; the radius is the f32 at entry + 8.
  std::vector<std::int64_t> EntryOffsets;
};

// Fills one airport from its record at `recordOffset` (names untouched).
// False when the record runs outside the file. Only the first parking list
// of a record is read; `layout`, when given, receives where it lies.
bool ReadAFDAirport(std::string_view bytes, std::int64_t recordOffset, SceneryAirport& airport,
                    AfdParkingLayout* layout = nullptr);

// The ident text stored at recordOffset + 60, or nothing when it does not
// lie within the file.
std::optional<std::string> ReadAirportIdent(std::string_view bytes, std::int64_t recordOffset);

// Longest takeoff and landing runways with their surface classes, and the
// parking radius range.
void ComputeAirportLimits(SceneryAirport& airport);

// True for the name of a facility file in the scenery folder: longer than
// three characters and ending in "BGL", in any case.
bool IsFacilityFileName(const std::string& name);
// Puts facility files in the one order in which they are read and changed:
// by file name without regard to case (names that differ only in case in
// byte order), whatever order the folder listed them in.
void SortFacilityFiles(std::vector<std::filesystem::path>& files);

// Reads one facility file from disk and appends its airports. False, with
// `error` describing why, when the file cannot be read at all.
bool ReadAFDFile(const std::filesystem::path& path, std::vector<SceneryAirport>& airports,
                 std::string* error = nullptr, AfdFileResult* result = nullptr);

// What a load needs from its surroundings. The window layer fills the
// program-wide one (DefaultSceneryContext) at start-up.
struct SceneryLoadContext {
  // Folder that holds AFDCache.dat; the executable's folder when empty.
  std::filesystem::path programFolder;
  std::string title = kProgramTitle;  // caption of the messages
  QWidget* owner = nullptr;       // owner of "Couldn't find FS2002 Path."
  // Step texts of a running load ("Getting FS2002 Scenery (File '...')...");
  // the receiver shows them and lets window events run.
  std::function<void(const std::string&)> progress;
  // Around a load started by a distance lookup: show a wait window with the
  // given text (hourglass, progress window), then take it away.
  std::function<void(const std::string&)> beginWait;
  std::function<void()> endWait;
};
SceneryLoadContext& DefaultSceneryContext();

// Fills `airports` when it is empty: from the cache when it reads, else from
// the facility files, after which the cache is written. True when the list is
// available (also at once when `airports` is not empty). On failure the
// program-wide list and `airports` are emptied and false comes back, after a
// message.
bool LoadSceneryAirports(std::vector<SceneryAirport>& airports, const SceneryLoadContext& context);
bool LoadSceneryAirports(std::vector<SceneryAirport>& airports);

}  // namespace velk
