#include "search/randomizers.h"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <utility>

#include "data/text_number.h"
#include "platform/random_source.h"

namespace velk {
namespace {

// At least four digits, leading zeros: 7 -> "0007", 12345 -> "12345".
std::string FourDigits(int n) {
  std::string digits = std::to_string(n);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
  return digits;
}

}  // namespace

int DrawBetween(int lo, int hi) {
  double r = NextRandom();
  return text_number::RoundToInt32((static_cast<double>(hi) - lo) * r + lo);
}

void RandomizeFlightNumbers(std::vector<Flight>& flights, int first, int last, bool oddEven) {
  SeedRandomFromClock();
  for (Flight& flight : flights) {
    bool pairOpen = false;  // the previous leg took an even number
    int n = 0;
    for (FlightLeg& leg : flight.Legs) {
      if (!oddEven) {
        n = DrawBetween(first, last);
      } else if (!pairOpen) {
        n = DrawBetween(first, last);
        // As for the plan order: a source that never gives an even number
        // cannot hold the command forever (first < last and first >= 0, so
        // first or the number after it is even).
        for (int tries = 1; n % 2 != 0; ++tries) {
          n = tries > 1000 ? first + first % 2 : DrawBetween(first, last);
        }
        pairOpen = true;
      } else {
        ++n;
        pairOpen = false;
      }
      leg.FlightNumber = FourDigits(n);
    }
  }
}

void RandomizePercent(std::vector<Flight>& flights, int first, int last) {
  SeedRandomFromClock();
  for (Flight& flight : flights) flight.Percent = std::to_string(DrawBetween(first, last)) + "%";
}

void RandomizePlanOrder(std::vector<Flight>& flights) {
  SeedRandomFromClock();
  const int n = static_cast<int>(flights.size());
  std::unordered_set<int> given;
  std::vector<Flight> reordered;
  reordered.reserve(flights.size());
  for (int p = 0; p < n; ++p) {
    int k = DrawBetween(0, n - 1);
    // A source that keeps coming up with taken indexes would never end the
    // loop; after that many draws the lowest free index is taken.
    for (long long tries = 1; given.count(k); ++tries) {
      if (tries > 1000LL * n) {
        k = 0;
        while (given.count(k)) ++k;
        break;
      }
      k = DrawBetween(0, n - 1);
    }
    given.insert(k);
    reordered.push_back(std::move(flights[static_cast<size_t>(k)]));
  }
  flights = std::move(reordered);
}

void RemoveMinusFromRegistrations(std::vector<Flight>& flights) {
  for (Flight& flight : flights) std::erase(flight.Registration, '-');
}

}  // namespace velk
