#pragma once
// The set-up of the benchmarks that time the main window on a large plan: a
// private folder with a settings store and the sample simulator, and a
// generated plan (bench/plangen, seed 42) whose aircraft carry the titles of
// the sample simulator's installed aircraft in turn, so that the window
// finds every one of them. And the best-of-n timing they all use.
#include <chrono>
#include <filesystem>
#include <string>

namespace velk::bench {

// The best time of `runs` calls of `fn`, in milliseconds.
template <typename Fn>
double BestMs(int runs, Fn&& fn) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    fn();
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    if (ms < best) best = ms;
  }
  return best;
}

struct WindowPlan {
  std::filesystem::path folder;    // remove it when done
  std::filesystem::path planPath;  // its FlightPlans.txt
};

// Makes a private folder, points VELK_CONFIG_HOME and VELK_FS_PATH into it,
// builds the sample simulator there and writes the plan of `flights`
// flights. Empty paths, with `error` set, on failure.
WindowPlan MakeWindowPlan(int flights, std::string* error);

// Every message box is a failure of the run: none waits for an answer; each
// is printed to standard error, counted in `count` and answered No.
void RefuseMessages(int& count);

}  // namespace velk::bench
