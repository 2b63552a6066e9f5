#pragma once
// Airport facility files in the layout the scenery reader takes: an index of
// region, country, state, city and airport names, and per airport a record
// with ident, position, runways with landing systems, frequencies and a
// parking list. Used for the sample simulator folder, by the tests (which
// also build odd and broken files with the low-level builders) and by the
// scenery benchmark.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velk::sample {

struct SampleRunway {
  int number = 9;
  int designator = 0;         // 1 L, 2 R, 3 C, 4 helipad
  double heading = 90;        // true, degrees
  double variation = 0;       // degrees
  int length = 6000;          // feet
  int width = 150;            // feet
  int surface = 3;            // surface code
  int flags = 0x0F;           // 1/2 takeoff/landing primary end, 4/8 reciprocal, 16-128 patterns
  int elevation = 0;          // metres
  int extra = 0;
  // A landing system on the primary end when ilsFrequency is not 0.
  std::uint32_t ilsFrequency = 0;  // 0x11030000 is 110.300
  std::string ilsIdent;
};

struct SampleParking {
  std::int32_t rawValue1 = 0;
  std::int32_t rawValue2 = 0;
  float radius = 18;  // metres
  double heading = 0;
  int type = 8;       // 2..11
  int kind = 10;      // 1..11 named kinds, 12..37 lettered gates
  int number = 1;
};

struct SampleFrequency {
  std::uint32_t frequency = 0x11830000;  // 118.300
  int type = 6;
  std::string name;
};

struct SampleAirport {
  std::string icao;
  std::string name;
  std::string region;
  std::string country;
  std::string state;
  std::string city;
  double latitude = 0;   // degrees, north positive
  double longitude = 0;  // degrees, east positive
  int elevation = 0;     // metres
  std::vector<SampleRunway> runways;
  std::vector<SampleParking> parkings;
  std::vector<SampleFrequency> frequencies;
};

// Builds one airport record sub-record by sub-record, in call order. The
// position comes first and the ident second so that the ident text lies at
// record offset 60, where the gate tools look for it.
class AirportRecordBuilder {
 public:
  AirportRecordBuilder& Position(double latitude, double longitude, int elevation);
  AirportRecordBuilder& Ident(const std::string& icao);
  AirportRecordBuilder& Runway(const SampleRunway& runway);  // with its landing system, if any
  AirportRecordBuilder& Ils(double heading, std::uint32_t frequency, int end, const std::string& ident);
  AirportRecordBuilder& Frequency(const SampleFrequency& frequency);
  // `skipped` bytes of unused table come before the entries.
  AirportRecordBuilder& ParkingList(const std::vector<SampleParking>& parkings, int skipRows = 0, int skipRowBytes = 0);
  AirportRecordBuilder& Raw(std::uint32_t kind, const std::string& payload);
  // Broken records for the tests: a sub-record that states `length` whatever
  // its payload, and a parking list that states an unused table of n x m
  // bytes (of which none are written) and `count` entries (of which only
  // `parkings` are written).
  AirportRecordBuilder& RawSized(std::uint32_t kind, const std::string& payload, std::int32_t length);
  AirportRecordBuilder& ParkingListStating(std::int32_t n, std::int32_t m, std::int32_t count,
                                           const std::vector<SampleParking>& parkings);
  AirportRecordBuilder& FirstValue(std::int32_t value);  // 1 for an airport record
  // The record, ended by an empty sub-record.
  std::string Build() const;

 private:
  std::int32_t first_ = 1;
  std::string body_;
};

std::string BuildAirportRecord(const SampleAirport& airport);

// Builds a facility file: index entries in call order, records after them.
class FacilityFileBuilder {
 public:
  void Region(const std::string& name) { Named(0x10001, name); }
  void Country(const std::string& name) { Named(0x20001, name); }
  void State(const std::string& name) { Named(0x30001, name); }
  void City(const std::string& name) { Named(0x40001, name); }
  void Airport(const std::string& name, const std::string& record);
  // An airport entry whose record offset is `offset` as given (broken files).
  void AirportAt(const std::string& name, std::int32_t offset) { entries_.push_back({0x50001, offset, true, name, -1}); }
  void Named(std::uint32_t kind, const std::string& name);
  void Unnamed(std::uint32_t kind, std::int32_t value);
  void SetIndexMagic(std::int32_t value) { magic_ = value; }
  void SetNoWalk(bool value) { noWalk_ = value; }
  std::string Build() const;

 private:
  struct Entry {
    std::uint32_t kind;
    std::int32_t value;
    bool named;
    std::string name;
    int record;  // index into records_, or -1
  };
  std::vector<Entry> entries_;
  std::vector<std::string> records_;
  std::int32_t magic_ = 0x30001;
  bool noWalk_ = false;
};

// One facility file holding the airports, grouped under their region,
// country, state and city names as these change from airport to airport.
std::string BuildFacilityFile(const std::vector<SampleAirport>& airports);

// A plausible airport: runways with a landing system, gates and ramps, the
// usual frequencies. The same arguments give the same airport.
SampleAirport MakeAirport(const std::string& icao, const std::string& name, double latitude, double longitude,
                        int elevationMetres, unsigned seed);
// About forty real airports with their positions.
std::vector<SampleAirport> SampleAirports();
// `count` airports spread over the world, deterministic.
std::vector<SampleAirport> GeneratedAirports(int count);
// The airports of a plan's Airports.txt (coordinates as "N47* 26.99'"),
// named from the sample list where it knows them. Empty when unreadable.
std::vector<SampleAirport> AirportsFromAirportsTxt(const std::filesystem::path& path);

// The airports of the sample plan (sample/Airports.txt of the source tree)
// when it is there, else SampleAirports().
std::vector<SampleAirport> SamplePlanAirports();

// Writes the airports into `sceneryFolder` as SAMPLE_nnn.BGL files of at
// most airportsPerFile airports each; with keepExisting a file that exists
// already is left as it is (gate radii may have been edited in it). False,
// with `error`, when a file cannot be written.
bool WriteSceneryFolder(const std::filesystem::path& sceneryFolder, const std::vector<SampleAirport>& airports,
                        std::string* error = nullptr, int airportsPerFile = 500, bool keepExisting = false);
// The same into <simFolder>/SCENEDB/AFDFILES/SCENERY, found without regard
// to case.
bool WriteSceneryFiles(const std::filesystem::path& simFolder, const std::vector<SampleAirport>& airports,
                       std::string* error = nullptr, int airportsPerFile = 500);

}  // namespace velk::sample
