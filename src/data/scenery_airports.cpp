#include "data/scenery_airports.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "data/plan_records.h"
#include "data/scenery_cache.h"
#include "data/text_number.h"
#include "platform/ascii_text.h"
#include "platform/byte_view.h"
#include "platform/folder_list.h"
#include "platform/message_box.h"
#include "platform/sim_location.h"
#include "platform/text_codec.h"
#include "platform/text_file.h"

namespace velk {
namespace {

constexpr std::int32_t kIndexMagic = 0x30001;
constexpr std::int64_t kIndexOffsetAt = 156;

enum : std::uint32_t {
  kRegionEntry = 0x10001,
  kCountryEntry = 0x20001,
  kStateEntry = 0x30001,
  kCityEntry = 0x40001,
  kAirportEntry = 0x50001,
  kNamedEntry3 = 0x50003,
  kNamedEntry4 = 0x50004,
};

enum : std::uint32_t {
  kPositionRecord = 0x10001,
  kRunwayRecord = 0x10002,
  kIlsRecord = 0x10004,
  kIdentRecord = 0x10006,
  kParkingRecord = 0x11001,
  kFrequencyRecord = 0x20001,
};

// A BGL string: the bytes up to a zero byte, padded so that text and
// terminator fill a multiple of 4 bytes; `next` is the offset after the
// padding.
bool ReadBglString(const ByteView& f, std::int64_t at, std::string& s, std::int64_t& next) {
  std::string_view text;
  if (!f.ReadCString(static_cast<std::uint64_t>(at), text)) return false;
  s.assign(text);
  std::int64_t used = static_cast<std::int64_t>(text.size()) + 1;
  next = at + (used + 3) / 4 * 4;
  return true;
}

}  // namespace

namespace {

float AngleFromRaw(std::int32_t raw) {
  double d = raw / 4294967296.0 * 360.0;
  if (d < 0) d += 360.0;
  return static_cast<float>(d);
}

bool ReadRunway(const ByteView& f, std::int64_t p, SceneryRunway& r) {
  std::int32_t v[10];
  for (int i = 0; i < 10; ++i) {
    if (!f.ReadI32(p + 28 + 4 * i, v[i])) return false;
  }
  r.Elevation = v[0];
  r.Heading = AngleFromRaw(v[1]);
  r.Variation = static_cast<float>(v[2] / 4294967296.0 * -360.0);
  r.Length = v[3];
  r.Width = v[4];
  r.Designator = v[5];
  r.Number = v[6];
  r.Surface = v[7];
  std::int32_t flags = v[8];
  r.TakeoffEnd1 = flags & 1;
  r.LandingEnd1 = flags & 2;
  r.TakeoffEnd2 = flags & 4;
  r.LandingEnd2 = flags & 8;
  r.PatternEnd1 = (flags & 32) ? 2 : (flags & 16) ? 1 : 0;
  r.PatternEnd2 = (flags & 128) ? 2 : (flags & 64) ? 1 : 0;
  r.ExtraValue = v[9];
  return true;
}

bool ReadIls(const ByteView& f, std::int64_t p, std::vector<SceneryRunway>& runways) {
  std::int32_t kind, end;
  if (!f.ReadI32(p + 40, kind) || !f.ReadI32(p + 48, end)) return false;
  // The landing system belongs to the runway read last; one met before any
  // runway has nothing to belong to and is passed over.
  if (kind != 4 || (end != 2 && end != 4) || runways.empty()) return true;
  std::int32_t heading;
  std::uint32_t frequency;
  std::string ident;
  std::int64_t next;
  if (!f.ReadI32(p + 32, heading) || !f.ReadU32(p + 36, frequency) || !ReadBglString(f, p + 56, ident, next)) return false;
  SceneryRunway& r = runways.back();
  if (end == 2) {
    r.ILSHeadingEnd1 = AngleFromRaw(heading);
    r.ILSFrequencyEnd1 = FrequencyText(frequency);
    r.ILSIdentEnd1 = ident;
  } else {
    r.ILSHeadingEnd2 = AngleFromRaw(heading);
    r.ILSFrequencyEnd2 = FrequencyText(frequency);
    r.ILSIdentEnd2 = ident;
  }
  return true;
}

// Reads a parking list; false when it runs outside the file. `entries`,
// when given, receives the offset of each entry.
bool ReadParkings(const ByteView& f, std::int64_t p, std::vector<SceneryParking>& parkings,
                  std::vector<std::int64_t>* entries) {
  std::int32_t a, b;
  if (!f.ReadI32(p + 8, a) || !f.ReadI32(p + 12, b)) return false;
  if (a < 0 || b < 0) return false;
  std::int64_t q = p + 16 + static_cast<std::int64_t>(a) * b;
  std::int32_t count;
  if (!f.ReadI32(q, count) || !f.Has(q + 4, 4)) return false;
  parkings.clear();
  if (count <= 0) return true;
  q += 8;
  if (!f.Has(q, static_cast<std::int64_t>(count) * 20)) return false;
  parkings.reserve(static_cast<size_t>(count));
  for (std::int32_t i = 0; i < count; ++i, q += 20) {
    if (entries) entries->push_back(q);
    SceneryParking k;
    std::int32_t heading = 0;
    f.ReadI32(q, k.RawValue1);
    f.ReadI32(q + 4, k.RawValue2);
    f.ReadF32(q + 8, k.Radius);
    f.ReadI32(q + 12, heading);
    f.ReadI32(q + 16, k.Flags);
    k.Heading = AngleFromRaw(heading);
    k.Type = (k.Flags / 1048576) & 15;
    int low = k.Flags & 0xFFFF;
    k.Name = ParkingKindName(low & 127) + " " + std::to_string(low / 128);
    parkings.push_back(std::move(k));
  }
  return true;
}

}  // namespace

std::string SurfaceName(int code) {
  static const char* const kNames[] = {"Dirt", "Concrete", "Asphalt", "Grass", "Gravel",
                                       "Oil Treated", "Mats", "Snow", "Coral", "Water"};
  return code >= 1 && code <= 10 ? kNames[code - 1] : "Unknown";
}

int SurfaceClass(int code) {
  switch (code) {
    case 1: case 4: case 5: case 6: case 7: return 2;
    case 9: case 10: return 3;
    case 8: return 4;
    default: return 1;
  }
}

std::string SurfaceClassName(int surfaceClass) {
  static const char* const kNames[] = {"HARD", "SOFT", "WATER", "SNOW"};
  return surfaceClass >= 1 && surfaceClass <= 4 ? kNames[surfaceClass - 1] : "";
}

std::string ParkingTypeName(int type) {
  static const char* const kNames[] = {"Ramp GA Small", "Ramp GA Medium", "Ramp GA Large",
                                       "Ramp Cargo",    "Ramp Mil Cargo", "Ramp Mil Combat",
                                       "Gate Small",    "Gate Medium",    "Gate Heavy",
                                       "Dock GA"};
  return type >= 2 && type <= 11 ? kNames[type - 2] : "";
}

std::string ParkingKindName(int kind) {
  static const char* const kNames[] = {"Parking",    "Parking N", "Parking NE", "Parking E",
                                       "Parking SE", "Parking S", "Parking SW", "Parking W",
                                       "Parking NW", "Gate",      "Dock"};
  if (kind >= 1 && kind <= 11) return kNames[kind - 1];
  // Lettered gates: 12 is "Gate A" up to 37 "Gate Z".
  return std::string("Gate ") + static_cast<char>(kind + 53);
}

std::string FrequencyTypeName(int type) {
  static const char* const kNames[] = {"ATIS",  "Unkown",    "UNICOM",  "ATF",    "Ground",
                                       "Tower", "Clearance", "Arrival", "Departure", "Center",
                                       "FSS",   "AWOS",      "ASOS"};
  return type >= 1 && type <= 13 ? kNames[type - 1] : "Unkown";
}

std::string FrequencyText(std::uint32_t value) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%X", value);
  std::string h(hex);
  std::string out = h.substr(0, 3) + ".";
  if (h.size() > 3) out += h.substr(3, 3);
  return out;
}

std::string PositionText(float degrees, char hemisphere) {
  double d = degrees;
  double whole = std::trunc(d);
  double m = (d - whole) * 60.0;
  double wholeMinutes = std::trunc(m);
  long long fraction = static_cast<long long>(std::trunc((m - wholeMinutes) * 10000.0));
  char buf[64];
  std::snprintf(buf, sizeof buf, "%c%lld*%lld.%04lld'", hemisphere, static_cast<long long>(whole),
                static_cast<long long>(wholeMinutes), fraction);
  return buf;
}

std::vector<SceneryAirport>& SceneryAirports() {
  static std::vector<SceneryAirport> airports;
  return airports;
}

bool ReadAFDAirport(std::string_view bytes, std::int64_t recordOffset, SceneryAirport& airport,
                    AfdParkingLayout* layout) {
  const ByteView f(bytes);
  airport.Runways.clear();
  airport.Parkings.clear();
  if (layout) *layout = AfdParkingLayout{};
  std::int32_t first, size;
  if (!f.ReadI32(recordOffset, first)) return false;
  if (first != 1) return true;  // a record of another kind: the names only
  if (!f.ReadI32(recordOffset + 4, size)) return false;
  const std::int64_t limit = recordOffset + static_cast<std::int64_t>(size) + 8;
  if (layout) layout->RecordEnd = limit;
  std::int64_t p = recordOffset + 16;
  for (;;) {
    std::uint32_t kind;
    std::int32_t length;
    if (!f.ReadU32(p, kind) || !f.ReadI32(p + 4, length)) return false;
    if (kind == 0) break;
    // A negative size would walk backwards, possibly for ever.
    if (length < 0) return false;
    switch (kind) {
      case kPositionRecord: {
        std::int32_t lat, lon, elevation;
        if (!f.ReadI32(p + 12, lat) || !f.ReadI32(p + 20, lon) || !f.ReadI32(p + 28, elevation)) return false;
        double latAbs = std::fabs(static_cast<double>(lat));
        double lonAbs = std::fabs(static_cast<double>(lon));
        airport.Latitude = PositionText(static_cast<float>(latAbs / (10001750.0 / 90.0)), lat < 0 ? 'S' : 'N');
        airport.Longitude = PositionText(static_cast<float>(lonAbs / 4294967296.0 * 360.0), lon < 0 ? 'W' : 'E');
        airport.Elevation = elevation;
        break;
      }
      case kRunwayRecord: {
        SceneryRunway r;
        if (!ReadRunway(f, p, r)) return false;
        airport.Runways.push_back(std::move(r));
        break;
      }
      case kIlsRecord:
        if (!ReadIls(f, p, airport.Runways)) return false;
        break;
      case kIdentRecord: {
        std::int64_t next;
        if (!ReadBglString(f, p + 8, airport.ICAO, next)) return false;
        break;
      }
      case kParkingRecord:
        if (layout) {
          layout->SubRecordStart = p;
          layout->SubRecordEnd = p + static_cast<std::int64_t>(length) + 8;
        }
        // Nothing after a parking list belongs to the walk.
        return ReadParkings(f, p, airport.Parkings, layout ? &layout->EntryOffsets : nullptr);
      case kFrequencyRecord: {
        SceneryFrequency q;
        std::uint32_t frequency;
        std::int64_t next;
        if (!f.ReadU32(p + 8, frequency) || !f.ReadI32(p + 12, q.Type) || !ReadBglString(f, p + 16, q.Name, next)) return false;
        q.Frequency = FrequencyText(frequency);
        airport.Frequencies.push_back(std::move(q));
        break;
      }
      default:
        break;
    }
    std::int64_t next = p + length + 8;
    if (next > limit) break;
    p = next;
  }
  return true;
}

std::optional<std::string> ReadAirportIdent(std::string_view bytes, std::int64_t recordOffset) {
  std::string ident;
  std::int64_t next;
  if (!ReadBglString(ByteView(bytes), recordOffset + 60, ident, next)) return std::nullopt;
  return ident;
}

void ComputeAirportLimits(SceneryAirport& airport) {
  airport.MaxParkingRadius = 0;
  airport.MinParkingRadius = 9999;
  for (const SceneryParking& k : airport.Parkings) {
    if (k.Radius > airport.MaxParkingRadius) {
      airport.MaxParkingRadius = text_number::RoundToInt32(k.Radius);
    }
    if (k.Radius < airport.MinParkingRadius) {
      airport.MinParkingRadius = text_number::RoundToInt32(k.Radius);
    }
  }
  for (const SceneryRunway& r : airport.Runways) {
    if (r.Designator == 4) continue;  // helipads take no aeroplanes
    const int c = SurfaceClass(r.Surface);
    if (r.TakeoffEnd2 && r.Length > airport.TakeoffLength) {
      airport.TakeoffLength = r.Length;
      airport.TakeoffSurface = c;
    }
    if (r.TakeoffEnd1 && r.Length > airport.TakeoffLength) {
      airport.TakeoffLength = r.Length;
      airport.TakeoffSurface = c;
    }
    if (r.LandingEnd2 && r.Length > airport.LandingLength) {
      airport.LandingLength = r.Length;
      airport.LandingSurface = c;
    }
    if (r.LandingEnd1 && r.Length > airport.LandingLength) {
      airport.LandingLength = r.Length;
      airport.LandingSurface = c;
    }
  }
}

AfdFileResult WalkAFDIndex(std::string_view bytes, const std::function<bool(const AfdIndexAirport&)>& visit) {
  const ByteView f(bytes);
  std::int32_t indexAt;
  if (!f.ReadI32(kIndexOffsetAt, indexAt)) return AfdFileResult::kNotFacilityFile;
  std::int32_t magic = 0, noWalk = 0;
  if (!f.ReadI32(indexAt, magic) || !f.Has(indexAt, 32)) return AfdFileResult::kBroken;
  if (magic != kIndexMagic) return AfdFileResult::kNotFacilityFile;
  f.ReadI32(static_cast<std::int64_t>(indexAt) + 20, noWalk);
  if (noWalk == 1) return AfdFileResult::kRead;

  AfdIndexAirport entry;
  std::int64_t p = static_cast<std::int64_t>(indexAt) + 32;
  for (;;) {
    std::uint32_t kind;
    std::int32_t value;
    if (!f.ReadU32(p, kind) || !f.ReadI32(p + 4, value)) return AfdFileResult::kBroken;
    p += 8;
    std::string name;
    switch (kind) {
      case kRegionEntry: case kCountryEntry: case kStateEntry: case kCityEntry:
      case kAirportEntry: case kNamedEntry3: case kNamedEntry4:
        if (!ReadBglString(f, p, name, p)) return AfdFileResult::kBroken;
        break;
      default:
        break;
    }
    std::int32_t more1, more2;
    if (!f.ReadI32(p, more1) || !f.ReadI32(p + 4, more2)) return AfdFileResult::kBroken;
    p += 8;
    switch (kind) {
      case kRegionEntry:
        entry.Region = name;
        entry.Country.clear(); entry.State.clear(); entry.City.clear(); entry.Name.clear();
        break;
      case kCountryEntry:
        entry.Country = name;
        entry.State.clear(); entry.City.clear(); entry.Name.clear();
        break;
      case kStateEntry:
        entry.State = name;
        entry.City.clear(); entry.Name.clear();
        break;
      case kCityEntry:
        entry.City = name;
        entry.Name.clear();
        break;
      case kAirportEntry:
        entry.Name = name;
        entry.RecordOffset = value;
        if (!visit(entry)) return AfdFileResult::kBroken;
        break;
      default:
        break;
    }
    if (more1 == 0 || more2 == 0) break;
  }
  return AfdFileResult::kRead;
}

AfdFileResult ReadAFDBytes(std::string_view bytes, std::vector<SceneryAirport>& airports) {
  // Airports go straight into the list and are taken out again when the
  // file turns out broken.
  const size_t before = airports.size();
  AfdFileResult result = WalkAFDIndex(bytes, [&](const AfdIndexAirport& entry) {
    SceneryAirport& a = airports.emplace_back();
    a.Name = entry.Name;
    a.Region = entry.Region;
    a.Country = entry.Country;
    a.State = entry.State;
    a.City = entry.City;
    if (!ReadAFDAirport(bytes, entry.RecordOffset, a)) return false;
    ComputeAirportLimits(a);
    return true;
  });
  if (result == AfdFileResult::kBroken) airports.resize(before);
  return result;
}

bool ReadAFDFile(const std::filesystem::path& path, std::vector<SceneryAirport>& airports,
                 std::string* error, AfdFileResult* result) {
  std::optional<std::string> bytes = ReadFileBytes(path, error);
  if (!bytes) return false;
  AfdFileResult r = ReadAFDBytes(*bytes, airports);
  if (result) *result = r;
  return true;
}

SceneryLoadContext& DefaultSceneryContext() {
  static SceneryLoadContext context;
  return context;
}

namespace {

std::filesystem::path ProgramFolderOf(const SceneryLoadContext& context) {
  if (!context.programFolder.empty()) return context.programFolder;
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe.parent_path();
}

}  // namespace

bool IsFacilityFileName(const std::string& name) {
  return name.size() > 3 && UpperAscii(name.substr(name.size() - 3)) == "BGL";
}

void SortFacilityFiles(std::vector<std::filesystem::path>& files) {
  std::sort(files.begin(), files.end(), [](const std::filesystem::path& a, const std::filesystem::path& b) {
    return LessNoCase(a.filename().string(), b.filename().string());
  });
}

bool LoadSceneryAirports(std::vector<SceneryAirport>& airports, const SceneryLoadContext& context) {
  if (!airports.empty()) return true;
  std::string lastFile;
  auto report = [&](const std::string& description) {
    ShowMessageBox("Error during getting FS2002 Scenery (" + lastFile + ").\r\n" + description,
                   kMbIconCritical, context.title, nullptr);
  };
  auto fail = [&](const std::string& description) {
    report(description);
    SceneryAirports().clear();
    airports.clear();
    return false;
  };

  const std::filesystem::path cachePath = ProgramFolderOf(context) / kSceneryCacheFileName;
  std::error_code ec;
  if (std::filesystem::exists(cachePath, ec)) {
    std::vector<SceneryAirport> cached;
    std::string error;
    SceneryCacheResult r = LoadSceneryCache(cachePath, cached, SceneryCacheInfo(), &error);
    if (r == SceneryCacheResult::kRead) {
      airports = std::move(cached);
      return true;
    }
    if (r == SceneryCacheResult::kFailed) return fail(error);
  }

  airports.clear();
  std::filesystem::path unlisted;
  const std::filesystem::path simFolder = FlightSimFolder(&unlisted);
  if (!unlisted.empty()) return fail(ListFailedMessage(unlisted));
  if (simFolder.empty()) {
    ShowMessageBox("Couldn't find FS2002 Path.", kMbIconCritical, context.title, context.owner);
    return false;
  }
  const std::filesystem::path sceneryFolder = ResolvePathNoCase(simFolder, "SCENEDB\\AFDFILES\\SCENERY", &unlisted);
  if (sceneryFolder.empty()) return fail(ListFailedMessage(unlisted));
  std::vector<std::filesystem::directory_entry> entries;
  if (!ListFolder(sceneryFolder, entries, ec)) {
    // Airports read from part of the folder would pass for all of them.
    return fail(ec == std::errc::no_such_file_or_directory ? "Path not found" : ListFailedMessage(sceneryFolder));
  }
  std::vector<std::filesystem::path> files;
  for (const auto& entry : entries) {
    std::error_code fileEc;
    if (!entry.is_regular_file(fileEc)) continue;
    if (IsFacilityFileName(entry.path().filename().string())) files.push_back(entry.path());
  }
  // A folder listing has no order of its own; the one order is repeatable.
  SortFacilityFiles(files);
  for (const auto& path : files) {
    // Messages are Windows-1252 text; the name is the file system's.
    lastFile = Utf8ToCp1252(path.filename().string());
    if (context.progress) context.progress("Getting FS2002 Scenery (File '" + lastFile + "')...");
    std::string error;
    if (!ReadAFDFile(path, airports, &error)) return fail(error);
  }

  SceneryCacheHeader& header = SceneryCacheInfo();
  header.Created = CurrentCacheDate();
  header.Count = static_cast<std::int32_t>(airports.size());
  std::string error;
  // A cache that cannot be written (a read-only program folder) is reported,
  // but the airports just read stay available: only the next start pays for
  // another scan.
  if (!SaveSceneryCache(cachePath, airports, header, &error)) report(error);
  return true;
}

bool LoadSceneryAirports(std::vector<SceneryAirport>& airports) {
  return LoadSceneryAirports(airports, DefaultSceneryContext());
}

}  // namespace velk
