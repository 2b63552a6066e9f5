// velk-make-sample-scenery <sim folder> [count]
// Writes airport facility files into <sim folder>/SCENEDB/AFDFILES/SCENERY:
// for the sample plan's airports, or for `count` generated airports.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/tool_args.h"
#include "sample_scenery.h"

int main(int argc, char** argv) {
  if (auto status = velk::tools::CheckPlainArguments(argc, argv, 1, 2,
                                                     "usage: velk-make-sample-scenery <sim folder> [count]\n"))
    return *status;
  std::vector<velk::sample::SampleAirport> airports;
  if (argc == 3) {
    char* end = nullptr;
    long count = std::strtol(argv[2], &end, 10);
    if (!end || *end != '\0' || count < 1 || count > 1000000) {
      std::fprintf(stderr, "velk-make-sample-scenery: count must be a number from 1 to 1000000\n");
      return 2;
    }
    airports = velk::sample::GeneratedAirports(static_cast<int>(count));
  } else {
    airports = velk::sample::SamplePlanAirports();
  }
  std::string error;
  if (!velk::sample::WriteSceneryFiles(argv[1], airports, &error)) {
    std::fprintf(stderr, "velk-make-sample-scenery: %s\n", error.c_str());
    return 1;
  }
  std::printf("%zu airports written to %s\n", airports.size(),
              (std::filesystem::path(argv[1]) / "SCENEDB" / "AFDFILES" / "SCENERY").string().c_str());
  return 0;
}
