#pragma once
// "New AircraftTypes.dat": a list of chosen installed aircraft with the values
// the shuffle uses for them, for use outside the program (nothing here reads
// it back). The Shuffle tab writes it for the aircraft ticked in its tree, the
// simulator aircraft editor for the aircraft it exports; both go through
// these two functions, so the line format and the identifiers are one.
//
// One line per aircraft, twelve fields joined by "," with no blanks and no
// quoting (a title holding "," simply adds fields):
//   identifier, Title, CruiseSpeed, MinFL, MaxFL, MinRange, MaxRange,
//   RunwayLength, RunwayTypes, MinParkingRadius, ParkingTypes, IFRPercent
// Numbers are plain decimal with a leading "-" when negative. The identifier
// is ATCModel, or ATCType when ATCModel is empty, followed by "." and Texture
// when Texture is not empty; the second and later aircraft with the same
// identifier (letter case ignored) get "#1", "#2", ... appended in list
// order. Lines end in CR LF; there is no header.
#include <filesystem>
#include <string>
#include <vector>

#include "data/plan_records.h"

namespace velk {

inline constexpr const char* kAircraftTypesFileName = "New AircraftTypes.dat";

// The file's text for `aircraft`, one line each in the order given (an
// empty list gives an empty text). The identifier count starts afresh with
// every call.
std::string AircraftTypesText(const std::vector<const FSAircraft*>& aircraft);

// Replaces <programFolder>/New AircraftTypes.dat with AircraftTypesText in
// one step. False, with the reason in `error` (when given), when it could not
// be written; an older file then stays as it was.
bool WriteAircraftTypesFile(const std::filesystem::path& programFolder, const std::vector<const FSAircraft*>& aircraft,
                            std::string* error = nullptr);

}  // namespace velk
