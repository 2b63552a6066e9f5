// Writes seed inputs for fuzz_scenery into the folder given.
#include <cstdio>
#include <filesystem>

#include "data/scenery_airports.h"
#include "data/scenery_cache.h"
#include "platform/text_file.h"
#include "sample_scenery.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_scenery_seeds <folder>\n");
    return 2;
  }
  std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  auto sample = velk::sample::SampleAirports();
  sample.resize(3);
  auto generated = velk::sample::GeneratedAirports(2);
  velk::WriteFileAtomic(folder / "sample.bgl", velk::sample::BuildFacilityFile(sample));
  velk::WriteFileAtomic(folder / "generated.bgl", velk::sample::BuildFacilityFile(generated));
  std::vector<velk::SceneryAirport> airports;
  velk::ReadAFDBytes(velk::sample::BuildFacilityFile(sample), airports);
  velk::SceneryCacheHeader header;
  header.Count = static_cast<std::int32_t>(airports.size());
  velk::WriteFileAtomic(folder / "cache.dat", velk::EncodeSceneryCache(airports, header));
  return 0;
}
