#pragma once
// The simulator's installed aircraft: one FSAircraft for every titled
// [fltsim...] section of every aircraft.cfg one level below the simulator's
// Aircraft folder, classified through the class configuration, with its
// model radius and, when asked for, its remaining keys and file problems.
// The list lives in Plan().FSAircraftList; Plan().FSAircraftErrors says
// whether any record has file problems.
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/class_config.h"

namespace velk {

struct FSAircraft;
struct PlanState;

// The simulator folder ("" when the simulator is not installed, or when the
// folder could not be looked up: `unlisted` then names the folder that
// could not be listed).
std::string GetFSPath(std::filesystem::path* unlisted = nullptr);

// Empties and rebuilds the installed-aircraft list from GetFSPath(). With
// `checkFiles` the extra keys are read and CheckFSAircraftFiles runs. False
// when the Aircraft folder could not be listed (no simulator folder, no
// Aircraft folder, a listing error) or an aircraft's own folder could not;
// the records read so far stay, and the listings go on past a failed one.
// `unlisted` names the first folder whose listing failed. With `checkFiles`
// an aircraft whose folder could not be listed keeps its place as an
// Unreadable record, titled with the folder's name, whose Errors say so.
bool LoadFSAircraft(bool checkFiles, std::filesystem::path* unlisted = nullptr);
// The same into `plan` instead of the program's plan.
bool LoadFSAircraft(PlanState& plan, bool checkFiles, std::filesystem::path* unlisted = nullptr);

// Appends the records of <folder>/aircraft.cfg (any case of the name).
// False when `folder` had to be listed for it and could not be; `unlisted`
// then names it, and with `checkFiles` a record stands for the aircraft as
// LoadFSAircraft describes.
bool ReadAircraftCfg(const std::string& folder, bool checkFiles, std::filesystem::path* unlisted = nullptr);
bool ReadAircraftCfg(PlanState& plan, const std::string& folder, bool checkFiles,
                     std::filesystem::path* unlisted = nullptr);

// Fills Errors of every record and sets FSAircraftErrors when any is set. A
// folder that could not be listed for a check gives its listing problem in
// place of the check's own. An Unreadable record keeps its Errors.
void CheckFSAircraftFiles();
void CheckFSAircraftFiles(PlanState& plan);

// Sets the ten class values of `aircraft` for class `aircraftClass` matched
// through class entry `entry`: the entry's own values when it gives any of
// its four limits, else the class defaults (classes 2 to 8), else no limits
// and the aircraft's own cruise speed (no class, or "Not Used" without
// limits). Used by the reader and again whenever an aircraft's class changes.
void ApplyClassValues(FSAircraft& aircraft, int aircraftClass, const ClassAircraft& entry,
                      const ClassDefaultSets& defaults);
// The same with the program's class defaults.
void ApplyClassValues(FSAircraft& aircraft, int aircraftClass, const ClassAircraft& entry);

// Problem texts of CheckFSAircraftFiles.
inline constexpr const char* kNoTextureFolder = "Texture folder not found";
inline constexpr const char* kNoModelDefined = "No model defined";
inline constexpr const char* kNoModelFolder = "Model folder not found";
inline constexpr const char* kNoAirDefined = "No AIR file defined";
inline constexpr const char* kNoAirFile = "AIR file not found";

// For each plan aircraft, the index of the first installed aircraft of the
// same title (Windows-1252 letter case ignored), or -1. Unreadable records
// match nothing.
std::vector<int> MatchInstalledAircraft(const PlanState& plan);

// Plan aircraft id -> index in FSAircraftList, for the ids whose aircraft is
// installed: how a flight finds its installed aircraft. The id is matched
// exactly (case counts); when several plan aircraft share an id, the first
// of them that is installed wins.
std::unordered_map<std::string, int> InstalledAircraftByPlanId(const PlanState& plan);

// Value conversions of the aircraft.cfg reader, exposed for the editors.
// A key's value cut before its first ";" and stripped of blanks; a value
// that had a comment cut off also loses one pair of enclosing quotes.
std::string CleanProfileValue(std::string_view value);
// True for a non-zero number or "True" in any case.
bool ProfileFlag(std::string_view cleanedValue);

}  // namespace velk
