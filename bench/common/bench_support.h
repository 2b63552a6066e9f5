#pragma once
// What the benchmarks share besides the plan generator: best-of-several
// timing and a private temporary folder.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace velk::bench {

// The fastest of `runs` calls of `fn`, in milliseconds.
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

// A new empty folder of our own under the temporary folder; empty path when
// none could be made.
inline std::filesystem::path MakeTempFolder() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "velk-bench-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) return {};
  return tmpl;
}

}  // namespace velk::bench
