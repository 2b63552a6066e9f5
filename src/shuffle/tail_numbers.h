#pragma once
// Two small rules the shuffle applies to a flight once it has an aircraft:
// a new registration drawn from a place's tail-number patterns, and flight
// rules and call-sign modes that suit the aircraft's class.
#include <string>
#include <string_view>

#include "data/plan_records.h"

namespace velk {

// A registration made from one of `patterns` (patterns joined by ",", as a
// section's TailPatterns holds them), drawn from NextRandom: one draw picks
// the pattern (also when there is only one), then "!" becomes a digit, "."
// a capital letter and "?" either (one draw to choose, one for the
// character); every other character is copied. With `removeMinus` every "-"
// is dropped from the result. "" for empty patterns, without a draw; "" also
// when the drawn pattern is empty (a list ending in ",").
std::string MakeTailNumber(std::string_view patterns, bool removeMinus);

// With `changeIFRVFR` set, a VFR flight (any case) given a Micro or Mid Prop
// is called by registration on every leg, and one given any other class
// becomes IFR and is called by flight number on every leg. IFR flights, and
// every flight while the switch is off, are left alone.
void SetFlightRules(const FSAircraft& aircraft, Flight& flight, bool changeIFRVFR);

}  // namespace velk
