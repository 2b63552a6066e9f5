#pragma once
// A small seeded generator (splitmix64) for the sample and benchmark plan
// generators: the same sequence on every platform and standard library, so a
// seed always gives the same files.
#include <cstdint>

namespace velk::tools {

class SplitMixRng {
 public:
  explicit SplitMixRng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [lo, hi].
  int Range(int lo, int hi) {
    return lo + static_cast<int>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
  }
  bool Percent(int p) { return Range(0, 99) < p; }

 private:
  std::uint64_t state_;
};

}  // namespace velk::tools
