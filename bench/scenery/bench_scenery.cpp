// Loading the scenery of 5,000 generated airports from the facility files
// and from the scenery cache, each against reading the same bytes.
//
//   build/bin/bench_scenery [airports] [folder]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "data/scenery_airports.h"
#include "data/scenery_cache.h"
#include "platform/message_box.h"
#include "platform/text_file.h"
#include "sample_scenery.h"

namespace fs = std::filesystem;

namespace {

// Best of several runs, in milliseconds.
double Best(int runs, const std::function<void()>& work) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    work();
    std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

std::vector<fs::path> FilesOf(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(folder)) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 5000;
  fs::path root = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / ("velk-bench-scenery-" + std::to_string(::getpid()));
  fs::create_directories(root / "program");
  const fs::path sim = root / "sim";
  std::string error;
  if (!velk::sample::WriteSceneryFiles(sim, velk::sample::GeneratedAirports(count), &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  ::setenv("VELK_FS_PATH", sim.c_str(), 1);
  velk::SetMessageBoxHandler([](const velk::MessageBoxRequest& r) {
    std::fprintf(stderr, "message: %s\n", r.prompt.c_str());
    return 1;
  });
  const std::vector<fs::path> files = FilesOf(sim / "SCENEDB" / "AFDFILES" / "SCENERY");
  std::uintmax_t fileBytes = 0;
  for (const auto& f : files) fileBytes += fs::file_size(f);
  const int runs = 7;

  double readFiles = Best(runs, [&] {
    std::size_t total = 0;
    for (const auto& f : files) total += velk::ReadFileBytes(f)->size();
    if (total != fileBytes) std::abort();
  });
  std::size_t airportsRead = 0;
  double parseFiles = Best(runs, [&] {
    std::vector<velk::SceneryAirport> airports;
    for (const auto& f : files) velk::ReadAFDFile(f, airports);
    airportsRead = airports.size();
  });
  velk::SceneryLoadContext context;
  context.programFolder = root / "program";
  const fs::path cache = context.programFolder / velk::kSceneryCacheFileName;
  double loadScan = Best(runs, [&] {
    fs::remove(cache);
    std::vector<velk::SceneryAirport> airports;
    if (!velk::LoadSceneryAirports(airports, context) || static_cast<int>(airports.size()) != count) std::abort();
  });
  const std::uintmax_t cacheBytes = fs::file_size(cache);
  double readCache = Best(runs, [&] {
    if (velk::ReadFileBytes(cache)->size() != cacheBytes) std::abort();
  });
  double loadCache = Best(runs, [&] {
    std::vector<velk::SceneryAirport> airports;
    if (!velk::LoadSceneryAirports(airports, context) || static_cast<int>(airports.size()) != count) std::abort();
  });

  std::printf("airports: %d in %zu facility files (%ju bytes), cache %ju bytes, best of %d runs\n", count,
              files.size(), fileBytes, cacheBytes, runs);
  std::printf("read facility file bytes:          %8.2f ms\n", readFiles);
  std::printf("read facility files (%zu airports): %8.2f ms  ratio %.2f\n", airportsRead, parseFiles,
              parseFiles / readFiles);
  std::printf("full load with cache write:         %8.2f ms  ratio %.2f\n", loadScan, loadScan / readFiles);
  std::printf("read cache bytes:                   %8.2f ms\n", readCache);
  std::printf("load from cache:                    %8.2f ms  ratio %.2f\n", loadCache, loadCache / readCache);
  if (argc <= 2) fs::remove_all(root);
  return 0;
}
