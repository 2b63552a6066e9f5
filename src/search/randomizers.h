#pragma once
// The Tools menu's randomizers and the tail-number clean-up: each rewrites
// one field of every flight (removed ones too) or the order of the flights.
// Draws come from NextRandom (platform/random_source.h); each randomizer
// seeds the program's generator from the clock first, so a scripted source
// makes every result exact. Standard library only.
#include <vector>

#include "data/plan_records.h"

namespace velk {

// A whole number between lo and hi: (hi - lo) * r + lo for the next draw r,
// rounded half to even. The two ends come up half as often as each number
// between them.
int DrawBetween(int lo, int hi);

// Flight numbers drawn between first and last (first < last), written with
// at least four digits ("0007"). With `oddEven` each flight's legs come in
// pairs: leg 0, 2, 4 ... get an even number (drawn again until it is even)
// and the leg after each the number + 1.
void RandomizeFlightNumbers(std::vector<Flight>& flights, int first, int last, bool oddEven);

// AI percent drawn between first and last for every flight, as "n%".
void RandomizePercent(std::vector<Flight>& flights, int first, int last);

// A new order of the flights: each position in turn takes the flight of a
// drawn old index, drawn again while that index is taken. Each flight stays
// whole and is present exactly once.
void RandomizePlanOrder(std::vector<Flight>& flights);

// Every "-" taken out of every registration.
void RemoveMinusFromRegistrations(std::vector<Flight>& flights);

}  // namespace velk
