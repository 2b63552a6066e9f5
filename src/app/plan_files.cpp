#include "app/plan_files.h"

#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "data/aircraft_airport_files.h"
#include "data/flight_plan_file.h"
#include "gui/aircraft_tree.h"
#include "platform/folder_list.h"
#include "platform/text_file.h"

namespace velk {
namespace fs = std::filesystem;

bool PlanFileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(fs::path(path), ec);
}

void EmptyPlan(PlanState& plan) {
  std::vector<Flight>().swap(plan.Flights);
  std::vector<PlanAircraft>().swap(plan.PlanAircraftList);
  std::vector<Airport>().swap(plan.Airports);
  plan.AirportIndex.Clear();
  std::vector<FSAircraft>().swap(plan.FSAircraftList);
  plan.FSAircraftErrors = false;
  std::vector<Flight>().swap(plan.WorkList);
  plan.WorkListIndex.clear();
  plan.WorkListNotes.clear();
  plan.KnownFiles.clear();
}

bool PlanAircraftMissing(const PlanState& plan) {
  std::unordered_map<std::string, bool> installed;
  for (const FSAircraft& a : plan.FSAircraftList)
    if (IsUsableAircraft(a)) installed.emplace(NodeKeyUpper(a.Title), true);
  for (const PlanAircraft& a : plan.PlanAircraftList)
    if (!installed.count(NodeKeyUpper(a.Title))) return true;
  return false;
}

bool WritePlanFiles(PlanState& plan, const ChangedFilesQuestion& overwriteChanged, SetFailure* failure,
                    SetRecovery* recovered, fs::path* unlisted, std::vector<std::string>* copiesNotMade) {
  // One set, so that the plan never names an aircraft that Aircraft.txt
  // lacks, even after a kill between the renames.
  FileSet files;
  SetOptions options;
  options.copiesNotMade = copiesNotMade;
  StageFlightPlans(fs::path(plan.FlightplanPath), plan.Flights, files, options.copies);
  if (!StageAircraftTxt(files, options.copies, unlisted)) return false;
  const std::vector<KnownFile> known = plan.KnownFiles;
  options.known = &known;
  options.overwriteChanged = overwriteChanged;
  options.written = &plan.KnownFiles;
  return ReplaceFilesInTurn(files, failure, recovered, options);
}

void RememberPlanFiles(PlanState& plan) {
  Remember(plan.KnownFiles, KnowFile(fs::path(plan.FlightplanPath).parent_path() / kRemovedFlightsFileName));
}

std::optional<bool> SaveAsReplacesOtherAircraftFile(const std::string& oldPath, const std::string& newPath) {
  std::error_code ec;
  fs::path newFolder = fs::path(newPath).parent_path();
  fs::path oldFolder = fs::path(oldPath).parent_path();
  if (!oldPath.empty()) {
    fs::path a = fs::weakly_canonical(newFolder, ec);
    if (ec) a = newFolder;
    fs::path b = fs::weakly_canonical(oldFolder, ec);
    if (ec) b = oldFolder;
    if (a == b) return false;
  }
  std::vector<fs::directory_entry> entries;
  if (!ListFolder(newFolder.empty() ? fs::path(".") : newFolder, entries, ec)) {
    // A folder that is not there holds no Aircraft.txt; the save says why
    // it cannot write there.
    if (ec == std::errc::no_such_file_or_directory) return false;
    return std::nullopt;
  }
  for (const fs::directory_entry& entry : entries) {
    if (NodeKeyUpper(entry.path().filename().string()) == NodeKeyUpper(kAircraftFileName) &&
        entry.is_regular_file(ec))
      return true;
  }
  return false;
}

}  // namespace velk
