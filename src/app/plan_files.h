#pragma once
// What opening and saving a flight plan do to the plan records, apart from
// the window: emptying the plan for a new one, checking the plan's aircraft
// against the installed ones and writing the two plan files. Standard
// library only.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/plan_records.h"
#include "platform/file_set.h"

namespace velk {

// An ordinary file of that name exists (a folder does not count).
bool PlanFileExists(const std::string& path);

// Drops the loaded plan: flights, plan aircraft, airports with their index,
// installed aircraft, the search work list and what was known of its files.
void EmptyPlan(PlanState& plan);

// True when some plan aircraft's title is not installed. Only usable
// installed aircraft (IsUsableAircraft) count.
bool PlanAircraftMissing(const PlanState& plan);

// Writes the flights to Plan().FlightplanPath (with "Removed Flights.txt"
// beside it when flights are marked removed) and the plan aircraft to
// Aircraft.txt beside it, each with its one-time backup, as one set
// (ReplaceFilesInTurn): False when any could not be written, every file
// then as it was unless `failure` says otherwise; `unlisted` then names the
// plan's folder when it could not be listed. `recovered` receives what was
// done about a set there that an interrupted run had left half replaced.
// A file that changed since it was read or written (plan.KnownFiles) is
// replaced only when `overwriteChanged` says so; else nothing is written
// (failure kDeclined). plan.KnownFiles then holds the files written.
// `copiesNotMade` receives one line for each backup that could not be made
// (SetOptions::copiesNotMade); the files are written all the same.
bool WritePlanFiles(PlanState& plan, const ChangedFilesQuestion& overwriteChanged, SetFailure* failure = nullptr,
                    SetRecovery* recovered = nullptr, std::filesystem::path* unlisted = nullptr,
                    std::vector<std::string>* copiesNotMade = nullptr);

// Takes note of the plan's file that opening it does not read, "Removed
// Flights.txt", as it is now. The files read (the plan, Airports.txt and
// Aircraft.txt) are known from their reads, never looked at again, so that
// a change made since is asked about at the next save.
void RememberPlanFiles(PlanState& plan);

// Saving the plan as `newPath` would replace an Aircraft.txt that belongs to
// another plan: the new folder is not the folder of `oldPath` and holds a
// file of that name (in any letter case). Nothing when the new folder
// exists but cannot be listed whole, so that this cannot be told.
std::optional<bool> SaveAsReplacesOtherAircraftFile(const std::string& oldPath, const std::string& newPath);

}  // namespace velk
