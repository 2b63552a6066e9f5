// Times ReadFlightPlans on a generated 100,000-flight FlightPlans.txt
// against reading the same bytes line by line with std::getline (the I/O
// floor), and WriteFlightPlans. Each figure is the best of several runs.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <type_traits>
#include <vector>

#include "data/flight_plan_file.h"
#include "data/plan_records.h"
#include "plangen/plan_generator.h"

namespace {

using Clock = std::chrono::steady_clock;

// The best of `runs` timings. `fn` either returns its own duration (to
// leave preparation out) or nothing (timed whole).
template <typename Fn>
double BestMs(int runs, Fn&& fn) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    auto t0 = Clock::now();
    Clock::duration d;
    if constexpr (std::is_void_v<decltype(fn())>) {
      fn();
      d = Clock::now() - t0;
    } else {
      d = fn();
    }
    double ms = std::chrono::duration<double, std::milli>(d).count();
    if (ms < best) best = ms;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  int flights = argc > 1 ? std::atoi(argv[1]) : 100000;
  int runs = argc > 2 ? std::atoi(argv[2]) : 7;

  std::string tmpl = (std::filesystem::temp_directory_path() / "velk-bench-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) return 1;
  std::filesystem::path dir = tmpl;
  velk::bench::PlanGenOptions options;
  options.flights = flights;
  options.seed = 42;
  if (!velk::bench::WritePlanFolder(dir, options)) return 1;
  const auto planPath = dir / "FlightPlans.txt";
  const auto size = std::filesystem::file_size(planPath);

  size_t sink = 0;
  double getlineMs = BestMs(runs, [&] {
    std::ifstream in(planPath, std::ios::binary);
    std::string line;
    size_t chars = 0;
    while (std::getline(in, line)) chars += line.size();
    sink += chars;
  });

  velk::PlanState& plan = velk::Plan();
  plan.FlightplanPath = planPath.string();
  plan.BackupPlan = false;
  size_t read = 0;
  // Emptying the old records is the opening's own step before the read;
  // it is left out of the timing.
  double readMs = BestMs(runs, [&] {
    std::vector<velk::Flight>().swap(plan.Flights);
    auto t0 = Clock::now();
    velk::ReadFlightPlans();
    return Clock::now() - t0;
  });
  read = plan.Flights.size();

  const auto outPath = dir / "Written.txt";
  double writeMs = BestMs(runs, [&] { velk::WriteFlightPlans(outPath, plan.Flights); });

  std::printf("FlightPlans.txt: %d flights generated, %zu read, %.1f MB\n", flights, read,
              size / 1e6);
  std::printf("getline floor     %8.1f ms\n", getlineMs);
  std::printf("ReadFlightPlans   %8.1f ms   ratio %.2f (target < 4)\n", readMs, readMs / getlineMs);
  std::printf("WriteFlightPlans  %8.1f ms   (%.0f MB/s, atomic with fsync)\n", writeMs,
              std::filesystem::file_size(outPath) / 1e3 / writeMs);
  std::filesystem::remove_all(dir);
  return sink == 0 ? 1 : 0;
}
