// velk-plangen: writes a generated traffic plan into a folder.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/tool_args.h"
#include "plangen/plan_generator.h"

namespace {

void Usage(std::FILE* to = stderr) {
  std::fprintf(to,
               "usage: velk-plangen [--airports N] [--aircraft M] [--flights K] [--seed S]\n"
               "                    [--legs MIN-MAX] [--weekly PERCENT] [--no-comments] FOLDER\n"
               "Writes Airports.txt, Aircraft.txt and FlightPlans.txt into FOLDER.\n");
}

}  // namespace

int main(int argc, char** argv) {
  velk::bench::PlanGenOptions o;
  const char* folder = nullptr;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) {
        Usage();
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--airports") {
      o.airports = std::atoi(value());
    } else if (a == "--aircraft") {
      o.aircraft = std::atoi(value());
    } else if (a == "--flights") {
      o.flights = std::atoi(value());
    } else if (a == "--seed") {
      o.seed = std::strtoull(value(), nullptr, 10);
    } else if (a == "--legs") {
      const char* v = value();
      o.minLegs = std::atoi(v);
      const char* dash = std::strchr(v, '-');
      o.maxLegs = dash ? std::atoi(dash + 1) : o.minLegs;
    } else if (a == "--weekly") {
      o.weeklyPercent = std::atoi(value());
    } else if (a == "--no-comments") {
      o.comments = false;
    } else if (velk::tools::IsHelpOption(a)) {
      Usage(stdout);
      return 0;
    } else if (!folder && !velk::tools::LooksLikeOption(a)) {
      folder = argv[i];
    } else {
      Usage();
      return 2;
    }
  }
  if (!folder) {
    Usage();
    return 2;
  }
  if (!velk::bench::WritePlanFolder(folder, o)) {
    std::fprintf(stderr, "velk-plangen: cannot write the plan into %s\n", folder);
    return 1;
  }
  std::printf("%d airports, %d aircraft, %d flights (seed %llu) written to %s\n", o.airports,
              o.aircraft, o.flights, static_cast<unsigned long long>(o.seed), folder);
  return 0;
}
