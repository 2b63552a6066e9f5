// Measures the compiler on a generated 100,000-flight plan:
//  (a) parsing the three files against reading them line by line;
//  (b) the whole orvane run against reading the inputs and writing a file
//      of the database's size;
//  (c) the peak memory of the orvane run against the size of its inputs.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "plan_generator.h"
#include "platform/text_file.h"
#include "traffic_compiler/common/console.h"
#include "traffic_compiler/common/tool_files.h"
#include "traffic_compiler/compiler/traffic_parser.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const char* kFiles[] = {"Airports.txt", "Aircraft.txt", "FlightPlans.txt"};

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Best of `runs` timings, to keep out one-off noise.
template <typename F>
double Best(int runs, F f) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const auto t = Clock::now();
    f();
    best = std::min(best, Seconds(t));
  }
  return best;
}

std::size_t ReadLineByLine(const fs::path& folder) {
  std::size_t n = 0;
  for (const char* name : kFiles) {
    std::ifstream in(folder / name, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) n += line.size();
  }
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  const int flights = argc > 1 ? std::atoi(argv[1]) : 100000;
  const fs::path root = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "orvane-bench";
  const fs::path work = root / "work";
  const fs::path sim = root / "sim";
  fs::remove_all(root);
  fs::create_directories(work);
  fs::create_directories(sim / "SCENEDB/ATC/Scenery");
  bench::PlanSize size;
  size.flights = flights;
  bench::GeneratePlan(work, size, 2026);
  std::uintmax_t input = 0;
  for (const char* name : kFiles) input += fs::file_size(work / name);
  std::printf("plan: %d flights, %.1f MB of text\n", flights, input / 1e6);

  // (a)
  volatile std::size_t sink = 0;
  const double read_lines = Best(5, [&] { sink = sink + ReadLineByLine(work); });
  // The records are kept until all runs are done: like orvane, each run
  // builds them in memory of its own, and freeing them is not parsing.
  std::vector<traffic::TrafficData> parsed;
  parsed.reserve(5);
  const double parse = Best(5, [&] {
    traffic::TrafficData& d = parsed.emplace_back();
    int error = 0;
    {
      traffic::ScopedConsoleCapture quiet;
      error = traffic::ParseTrafficFiles(work, d);
      if (error) std::fputs(quiet.text().c_str(), stderr);
    }
    if (error) std::abort();
    sink = sink + d.plans.size();
  });
  std::printf("(a) read lines %.3f s, parse %.3f s, ratio %.2f (target < 2)\n", read_lines, parse,
              parse / read_lines);
  parsed.clear();

  // (b) and (c): the real program, as a child process.
  const std::string plans_text = *velk::ReadFileBytes(work / "FlightPlans.txt");
  double compile = 1e30, compile_cpu = 1e30;
  long peak_kb = 0;
  double cpu_before = 0;
  for (int i = 0; i < 3; ++i) {
    velk::WriteFileAtomic(work / "FlightPlans.txt", plans_text);
    std::fflush(stdout);
    const auto t = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir(work.c_str()) != 0) _exit(2);
      setenv("VELK_FS_PATH", sim.c_str(), 1);
      if (!freopen("/dev/null", "w", stdout)) _exit(2);
      execl(ORVANE_PATH, "orvane", "/np", static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    compile = std::min(compile, Seconds(t));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::printf("orvane failed\n");
      return 1;
    }
    rusage ru{};
    getrusage(RUSAGE_CHILDREN, &ru);
    peak_kb = std::max(peak_kb, ru.ru_maxrss);
    // Processor time of the run, all threads: unlike the time it took, it
    // hardly depends on what else the machine is doing.
    const double cpu = ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 + ru.ru_stime.tv_sec + ru.ru_stime.tv_usec / 1e6;
    compile_cpu = std::min(compile_cpu, cpu - cpu_before);
    cpu_before = cpu;
  }
  const std::uintmax_t db = fs::file_size(sim / "SCENEDB/ATC/Scenery/traffic.bgl");
  const std::string filler(db, 'x');
  const double baseline = Best(3, [&] {
    std::size_t total = 0;
    for (const char* name : kFiles) total += velk::ReadFileBytes(work / name)->size();
    sink = sink + total;
    velk::WriteFileAtomic(root / "same-size.bin", filler);
  });
  std::printf("(b) read inputs + write %.1f MB %.3f s, orvane %.3f s, ratio %.2f (target < 5, stretch 3)\n",
              db / 1e6, baseline, compile, compile / baseline);
  std::printf("    orvane processor time %.3f s on %u cores\n", compile_cpu, std::thread::hardware_concurrency());
  std::printf("(c) peak memory %.1f MB, %.2f x input (target < 10)\n", peak_kb / 1024.0,
              peak_kb * 1024.0 / static_cast<double>(input));
  // "keep" as a third argument leaves the plan and the simulator folder for
  // a profiler.
  if (argc <= 3 || std::string(argv[3]) != "keep") fs::remove_all(root);
  return 0;
}
