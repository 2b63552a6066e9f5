#include "shuffle/tail_numbers.h"

#include <vector>

#include "data/class_config.h"
#include "data/text_number.h"
#include "platform/ascii_text.h"
#include "platform/random_source.h"

namespace velk {
namespace {

// A whole number 0..n from one draw; the two ends come half as often as the
// numbers between them, as the rounding makes it.
int Draw(int n) { return static_cast<int>(text_number::RoundHalfEven(n * NextRandom())); }

char Digit() { return static_cast<char>('0' + Draw(9)); }
char Letter() { return static_cast<char>('A' + Draw(25)); }

}  // namespace

std::string MakeTailNumber(std::string_view patterns, bool removeMinus) {
  if (patterns.empty()) return {};
  std::vector<std::string_view> parts;
  for (size_t start = 0;;) {
    size_t comma = patterns.find(',', start);
    parts.push_back(patterns.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  std::string_view pattern = parts[static_cast<size_t>(Draw(static_cast<int>(parts.size()) - 1))];
  std::string out;
  out.reserve(pattern.size());
  for (char c : pattern) {
    switch (c) {
      case '!':
        out += Digit();
        break;
      case '.':
        out += Letter();
        break;
      case '?':
        out += Draw(1) == 0 ? Letter() : Digit();
        break;
      default:
        if (!(removeMinus && c == '-')) out += c;
    }
  }
  return out;
}

void SetFlightRules(const FSAircraft& aircraft, Flight& flight, bool changeIFRVFR) {
  if (!changeIFRVFR || UpperAscii(flight.FlightRules) != "VFR") return;
  const bool smallProp = aircraft.Class == kClassMicroProp || aircraft.Class == kClassMidProp;
  if (!smallProp) flight.FlightRules = "IFR";
  for (FlightLeg& leg : flight.Legs) leg.UseFlightNumber = smallProp ? "R" : "F";
}

}  // namespace velk
