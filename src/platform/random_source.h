#pragma once
// The one source of pseudo-random numbers that every feature draws from
// (flight levels, the shuffle, the randomizers). Tests replace it with a
// scripted sequence.
#include <functional>

namespace velk {

// A value in [0, 1).
double NextRandom();

using RandomSource = std::function<double()>;

// Installs a source and returns the previous one; an empty source restores
// the default generator.
RandomSource SetRandomSource(RandomSource source);

// Re-seeds the default generator.
void SeedRandom(unsigned long seed);
// Re-seeds it from the clock, as every command that draws does first, so
// that no two runs draw alike.
void SeedRandomFromClock();

}  // namespace velk
