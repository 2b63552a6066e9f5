#pragma once
// The changes the flight plan aircraft editor makes to a loaded plan: adding
// installed aircraft to the plan's aircraft list, deleting plan aircraft with
// their flights, giving the flights of one aircraft to another, and changing
// an aircraft's cruise speed, title or number. Plain functions over the plan
// records; the window (ui/frm_aircraft_edit.h) asks the user and calls them.
//
// What the traffic compiler accepts bounds what may be entered: aircraft
// numbers and cruise speeds from 1 to 65535 (it keeps both in 16 bits), and
// titles that Aircraft.txt can hold (no ",", '"', ";" or "//").
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/plan_records.h"

namespace velk {

inline constexpr int kMaxAircraftNumber = 65535;
inline constexpr int kMaxPlanCruiseSpeed = 65535;

// The number n of an id "AC#n" (the text from its fourth character on, a
// whole number); nothing when that text is no number.
std::optional<int> AircraftNumberOf(std::string_view id);
// "AC#" followed by `number`.
std::string AircraftIdOf(int number);

// The highest number among the aircraft's ids; 0 when none is numeric.
int HighestAircraftNumber(const std::vector<PlanAircraft>& aircraft);
// True when some aircraft has the id "AC#<number>".
bool AircraftNumberInUse(const std::vector<PlanAircraft>& aircraft, int number);
// The first number above `highest` that no aircraft uses; 0 when none is
// left up to kMaxAircraftNumber.
int NextFreeAircraftNumber(const std::vector<PlanAircraft>& aircraft, int highest);

// True when Aircraft.txt can hold `title` and read it back as it is.
bool PlanTitleIsWritable(std::string_view title);
// A cruise speed the traffic compiler takes (1 to 65535).
bool PlanSpeedIsUsable(long long knots);
// The cruise speed a new plan aircraft gets from an installed one: its
// class cruise speed, or, when that is not usable (a "Not Used" class gives
// 0), the cruise speed of its aircraft.cfg.
int NewPlanAircraftSpeed(const FSAircraft& installed);
// The plan aircraft "AC#<number>" for an installed aircraft (use count 0).
PlanAircraft MakePlanAircraft(const FSAircraft& installed, int number);

// Marks removed every flight of each id in `ids` (those already removed
// counted again) and drops every plan aircraft with one of the ids. Returns
// the number of flights marked.
int DeletePlanAircraft(PlanState& plan, const std::vector<std::string>& ids);
// Gives every flight of `oldId` (removed ones too) the aircraft `newId`;
// returns their number.
int SubstitutePlanAircraft(std::vector<Flight>& flights, const std::string& oldId, const std::string& newId);
// Gives plan aircraft `index` the id "AC#<number>", and its flights (removed
// ones too) with it; returns the number of flights changed.
int RenumberPlanAircraft(PlanState& plan, size_t index, int number);

// The text the Speed and Number commands take: a decimal number rounded to
// a whole number (a half to the even neighbour); nothing when it is no
// number or does not fit 32 bits.
std::optional<long long> WholeNumberAnswer(std::string_view text);

}  // namespace velk
