#pragma once
// Which aircraft class an installed aircraft belongs to, found by its ATC
// model text (or its ATC type text when the model is empty).
#include <string>
#include <string_view>

#include "data/class_config.h"

namespace velk {

// Searches the class lists for the first entry whose Id occurs inside
// `text`, letters compared without regard to case: Micro Prop, Mid Prop,
// Large Prop, Micro Jet, Small Jet, Large Jet, Huge Jet and last Not Used,
// each list from its first entry. Returns the class (1 to 8) of that entry,
// or 0 when none matches.
//
// The ten values are always overwritten: the matching entry's values as it
// holds them (-1 and empty meaning "take the class default"), or -1 and
// empty when nothing matched. `Id` is written only on a match.
int GetAircraftClassInfo(std::string_view text, int& MinFL, int& MaxFL, int& MinRange, int& MaxRange,
                         int& CruiseSpeed, int& RunwayLength, std::string& RunwayTypes, int& MinParkingRadius,
                         std::string& ParkingTypes, int& IFRPercent, std::string& Id);

// The same search over `lists`, with the values and Id handed back in
// `entry` (its Id untouched when nothing matches).
int GetAircraftClassInfo(const ClassAircraftLists& lists, std::string_view text, ClassAircraft& entry);

}  // namespace velk
