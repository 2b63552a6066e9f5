#include "platform/random_source.h"

#include <chrono>
#include <random>

namespace velk {
namespace {

std::mt19937_64& Engine() {
  static std::mt19937_64 engine{std::random_device{}()};
  return engine;
}

RandomSource& Source() {
  static RandomSource source;
  return source;
}

}  // namespace

double NextRandom() {
  if (Source()) {
    double v = Source()();
    if (v < 0.0) v = 0.0;
    if (v >= 1.0) v = 0.9999999999999999;
    return v;
  }
  return std::uniform_real_distribution<double>(0.0, 1.0)(Engine());
}

RandomSource SetRandomSource(RandomSource source) {
  RandomSource previous = std::move(Source());
  Source() = std::move(source);
  return previous;
}

void SeedRandom(unsigned long seed) { Engine().seed(seed); }

void SeedRandomFromClock() {
  SeedRandom(static_cast<unsigned long>(std::chrono::system_clock::now().time_since_epoch().count()));
}

}  // namespace velk
