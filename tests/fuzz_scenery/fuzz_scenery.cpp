// Feeds arbitrary bytes to the facility-file reader and to the scenery cache
// reader. Neither may crash, read outside the bytes or loop for ever, and a
// cache that reads must write back to the same bytes' meaning.
//
//   build-fuzz/bin/fuzz_scenery_seeds corpus/
//   build-fuzz/bin/fuzz_scenery corpus/ -max_total_time=600
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "data/scenery_airports.h"
#include "data/scenery_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // A file that is not read whole leaves the list as it found it.
  std::vector<velk::SceneryAirport> airports(1);
  airports[0].ICAO = "KEEP";
  if (velk::ReadAFDBytes(bytes, airports) != velk::AfdFileResult::kRead) {
    if (airports.size() != 1 || airports[0].ICAO != "KEEP") std::abort();
  }
  for (std::int64_t offset : {std::int64_t{0}, std::int64_t{160}, static_cast<std::int64_t>(size) - 61}) {
    velk::ReadAirportIdent(bytes, offset);
  }

  std::vector<velk::SceneryAirport> cached;
  velk::SceneryCacheHeader header;
  if (velk::DecodeSceneryCache(bytes, cached, header) == velk::SceneryCacheResult::kRead) {
    std::string again = velk::EncodeSceneryCache(cached, header);
    std::vector<velk::SceneryAirport> reread;
    velk::SceneryCacheHeader header2;
    if (velk::DecodeSceneryCache(again, reread, header2) != velk::SceneryCacheResult::kRead) std::abort();
    // Compared field by field except floats, whose NaNs never compare equal.
    if (reread.size() != cached.size()) std::abort();
    for (size_t i = 0; i < cached.size(); ++i) {
      if (reread[i].ICAO != cached[i].ICAO || reread[i].Runways.size() != cached[i].Runways.size() ||
          reread[i].Parkings.size() != cached[i].Parkings.size() ||
          reread[i].Frequencies.size() != cached[i].Frequencies.size()) {
        std::abort();
      }
    }
  }
  return 0;
}
