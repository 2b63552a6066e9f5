#pragma once
// The scenery cache AFDCache.dat in the program folder: every scenery
// airport with all its runways, parking spots and frequencies, so that a
// later start need not read the facility files again. The cache is never
// compared with the scenery; it stays in use until it is deleted.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "data/scenery_airports.h"

namespace velk {

inline constexpr const char* kSceneryCacheFileName = "AFDCache.dat";
inline constexpr const char* kSceneryCacheVersion = "1.2";

struct SceneryCacheHeader {
  std::string Version;
  double Created = 0;  // days since 30 December 1899, time of day as the fraction
  std::int32_t Count = 0;

  bool operator==(const SceneryCacheHeader&) const = default;
};

// The header of the cache last read or written.
SceneryCacheHeader& SceneryCacheInfo();

enum class SceneryCacheResult {
  kRead,          // the airports were read
  kOtherVersion,  // a cache of another version: not used, airports untouched
  kFailed,        // unreadable, truncated or garbled: airports untouched
};

// The file's bytes for `airports` under `header` (whose Version is set).
std::string EncodeSceneryCache(const std::vector<SceneryAirport>& airports, SceneryCacheHeader& header);
// Reads cache bytes. Counts and lengths in the bytes are checked against the
// bytes that remain before anything is allocated for them.
SceneryCacheResult DecodeSceneryCache(std::string_view bytes, std::vector<SceneryAirport>& airports,
                                      SceneryCacheHeader& header, std::string* error = nullptr);

// Writes the cache atomically: the old file stays whole until the new one
// is complete. False, with `error`, when it cannot be written.
bool SaveSceneryCache(const std::filesystem::path& path, const std::vector<SceneryAirport>& airports,
                      SceneryCacheHeader& header, std::string* error = nullptr);
SceneryCacheResult LoadSceneryCache(const std::filesystem::path& path, std::vector<SceneryAirport>& airports,
                                    SceneryCacheHeader& header, std::string* error = nullptr);

// The current local date-time as the cache stores it.
double CurrentCacheDate();

}  // namespace velk
