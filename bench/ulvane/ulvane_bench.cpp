// Decompiling a 100,000-flight traffic.bgl against the floor of the same
// I/O: reading the file and writing the three text files' bytes (each to a
// temporary file, flushed to disk and renamed, as the decompiler must).
//
//   ulvane_bench [folder]   (default: a new folder under $TMPDIR)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/text_file.h"
#include "traffic_compiler/common/console.h"
#include "traffic_compiler/common/tool_files.h"
#include "traffic_compiler/common/traffic_codes.h"
#include "traffic_compiler/compiler/traffic_database.h"
#include "traffic_compiler/decompiler/decompiler_main.h"
#include "traffic_compiler/decompiler/traffic_reader.h"
#include "traffic_compiler/decompiler/traffic_text.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPlans = 100000;
constexpr int kAirports = 3000;
constexpr int kAircraft = 400;
constexpr int kRuns = 5;
constexpr int kRegions = 60;

traffic::TrafficData MakePlan() {
  std::mt19937 rng(2002);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  traffic::TrafficData data;
  for (int i = 0; i < kAirports; ++i) {
    traffic::TrafficAirport a;
    std::string code = {static_cast<char>('A' + i / 676 % 26), static_cast<char>('A' + i / 26 % 26),
                        static_cast<char>('A' + i % 26), 'X'};
    a.code = traffic::MakeAirportCode(code);
    // Airports lie in regions of about 10 by 10 degrees, and a plan flies
    // within one region, as most traffic does; world-wide random legs would
    // make the sector section, which the decompiler never reads, dominate.
    int region = i % kRegions;
    int lat = region / 12 * 25 - 60 + pick(10), lon = region % 12 * 30 - 175 + pick(10);
    float latMin = static_cast<float>(pick(6000)) / 100.0f, lonMin = static_cast<float>(pick(6000)) / 100.0f;
    a.lat_degrees = lat;
    a.lat_minutes = lat < 0 ? -latMin : latMin;
    a.lon_degrees = lon;
    a.lon_minutes = lon < 0 ? -lonMin : lonMin;
    a.elevation_m = pick(3000);
    data.airports.push_back(a);
  }
  for (int i = 0; i < kAircraft; ++i) {
    traffic::TrafficAircraft ac;
    ac.number = static_cast<std::uint16_t>(i + 1);
    ac.cruise_speed = static_cast<std::uint16_t>(120 + pick(400));
    ac.name = "Benchmark Aircraft Type " + std::to_string(i + 1);
    data.aircraft.push_back(ac);
  }
  static const int periods[] = {6, 6, 6, 7, 5, 4};
  for (int p = 0; p < kPlans; ++p) {
    traffic::TrafficPlan plan;
    plan.aircraft_number = static_cast<std::uint16_t>(1 + pick(kAircraft));
    std::snprintf(plan.registration.data(), plan.registration.size(), "N%05d", p % 100000);
    plan.percent = static_cast<std::uint8_t>(1 + pick(100));
    plan.period_code = static_cast<std::uint8_t>(periods[pick(6)]);
    plan.ifr = pick(4) != 0;
    int legs = 2 + pick(5);
    std::uint32_t period = traffic::PeriodSeconds(plan.period_code);
    std::uint32_t t = static_cast<std::uint32_t>(pick(static_cast<int>(period)));
    int region = pick(kRegions);
    for (int k = 0; k < legs; ++k) {
      traffic::TrafficLeg leg;
      leg.departure = t % period;
      leg.altitude = static_cast<std::uint16_t>(pick(400));
      leg.flight_number = static_cast<std::uint16_t>(pick(10000));
      leg.use_flight_number = true;
      int airport = region + kRegions * pick(kAirports / kRegions);
      leg.destination = data.airports[static_cast<size_t>(airport)].code;
      plan.legs.push_back(leg);
      t += 3600 + static_cast<std::uint32_t>(pick(7200));
    }
    data.plans.push_back(std::move(plan));
  }
  return data;
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// The I/O floor: the file read whole and the given bytes written, both the
// way the decompiler does it: the same whole-file read, and the tools' own
// output file (a temporary file beside each target, sent to the disk as it
// is written, flushed) renamed into place.
void CopyFloor(const fs::path& database, const fs::path& folder, const std::vector<std::string>& texts) {
  velk::FileBytes bytes;
  if (velk::ReadRegularFileBytes(database, bytes) != velk::RegularReadResult::kOk) std::exit(2);
  static const char* names[] = {"Airports.txt", "Aircraft.txt", "FlightPlans.txt"};
  for (size_t i = 0; i < 3; ++i) {
    const fs::path target = folder / names[i];
    traffic::OutputFile out;
    if (!out.CreateBeside(target) || !out.WriteAndClose(texts[i]) || !traffic::ReplaceFile(out.path(), target))
      std::exit(2);
    out.Keep();
  }
}

}  // namespace

int main(int argc, char** argv) {
  fs::path root;
  if (argc > 1) {
    root = argv[1];
    fs::create_directories(root);
  } else {
    std::string tmpl = (fs::temp_directory_path() / "ulvane-bench-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) return 2;
    root = tmpl;
  }
  // A fake simulator folder for the whole program run.
  const fs::path sim = root / "sim";
  const fs::path database = sim / "SCENEDB" / "ATC" / "Scenery" / "traffic.bgl";
  fs::create_directories(database.parent_path());
  ::setenv("VELK_FS_PATH", sim.c_str(), 1);
  {
    traffic::TrafficData data = MakePlan();
    std::string bytes;
    traffic::ScopedConsoleCapture quiet;
    if (traffic::BuildTrafficDatabase(data, bytes, database) != 0) return 2;
    if (!velk::WriteFileAtomic(database, bytes)) return 2;
  }
  std::printf("database: %s, %ju bytes, %d flight plans\n", database.c_str(),
              static_cast<std::uintmax_t>(fs::file_size(database)), kPlans);

  // The exact output bytes, for the floor to write.
  std::vector<std::string> texts;
  {
    traffic::ScopedConsoleCapture quiet;
    auto bytes = velk::ReadFileBytes(database);
    ulvane::TrafficDatabase db;
    if (!bytes || ulvane::ReadTrafficDatabase(*bytes, db) != 0) return 2;
    texts = {ulvane::AirportsText(db), ulvane::AircraftText(db), ulvane::FlightPlansText(db)};
  }
  std::printf("output: %zu + %zu + %zu bytes\n", texts[0].size(), texts[1].size(), texts[2].size());

  const fs::path floorDir = root / "floor";
  const fs::path decompileDir = root / "decompile";
  fs::create_directories(floorDir);
  fs::create_directories(decompileDir);
  std::vector<double> floorTimes, decompileTimes;
  for (int run = 0; run < kRuns; ++run) {
    auto t0 = std::chrono::steady_clock::now();
    CopyFloor(database, floorDir, texts);
    auto t1 = std::chrono::steady_clock::now();
    int rc;
    {
      traffic::ScopedConsoleCapture console;  // progress text, kept in memory
      rc = ulvane::DecompilerMain({"/np"}, decompileDir);
    }
    auto t2 = std::chrono::steady_clock::now();
    if (rc != 0) return 1;
    floorTimes.push_back(Seconds(t1 - t0));
    decompileTimes.push_back(Seconds(t2 - t1));
  }
  for (size_t i = 0; i < 3; ++i) {
    static const char* names[] = {"Airports.txt", "Aircraft.txt", "FlightPlans.txt"};
    if (velk::ReadFileBytes(decompileDir / names[i]) != texts[i]) return 1;
  }
  std::sort(floorTimes.begin(), floorTimes.end());
  std::sort(decompileTimes.begin(), decompileTimes.end());
  double floorMedian = floorTimes[kRuns / 2], decompileMedian = decompileTimes[kRuns / 2];
  std::printf("read + write bytes (median of %d): %.3f s\n", kRuns, floorMedian);
  std::printf("ulvane /np         (median of %d): %.3f s\n", kRuns, decompileMedian);
  std::printf("ratio: %.2f (target < 2)\n", decompileMedian / floorMedian);
  if (argc <= 1) fs::remove_all(root);
  return 0;
}
