#include "app/plan_files.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "app/aircraft_tree.h"
#include "data/aircraft_airport_files.h"
#include "data/flight_plan_file.h"
#include "data/times_zones.h"

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
}

bool PlanAircraftMissing(const PlanState& plan) {
  std::unordered_map<std::string, bool> installed;
  for (const FSAircraft& a : plan.FSAircraftList)
    if (a.Title.empty() || a.Title.front() != '~') installed.emplace(NodeKeyUpper(a.Title), true);
  for (const PlanAircraft& a : plan.PlanAircraftList)
    if (!installed.count(NodeKeyUpper(a.Title))) return true;
  return false;
}

std::vector<int> FlightsOfMissingAircraft(const PlanState& plan) {
  std::vector<int> match = MatchInstalledAircraft(plan);
  std::unordered_map<std::string, bool> found;  // ids with an installed counterpart
  for (size_t i = 0; i < plan.PlanAircraftList.size(); ++i)
    if (match[i] >= 0) found.emplace(plan.PlanAircraftList[i].Id, true);
  std::vector<int> flights;
  for (size_t i = 0; i < plan.Flights.size(); ++i) {
    const Flight& f = plan.Flights[i];
    if (!f.Removed && !found.count(f.AircraftId)) flights.push_back(static_cast<int>(i));
  }
  return flights;
}

namespace {

long long WholeNumber(std::string_view text) {
  long long value = 0;
  bool any = false;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    any = true;
    if (value > 99999999) break;
  }
  return any ? value : 0;
}

std::string Padded(long long value, int width) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%0*lld", width, value);
  return buffer;
}

std::string ZoneTime(const std::string& stored, std::string_view zone) {
  size_t slash = stored.find('/');
  std::string prefix = slash == std::string::npos ? "" : stored.substr(0, slash + 1);
  std::string time = slash == std::string::npos ? stored : stored.substr(slash + 1);
  auto parsed = ParseTimeText(time);
  if (!parsed) return stored;
  std::string shifted = ShiftZoneTimeDayIndex(*parsed, zone, prefix, false);
  return prefix + shifted;
}

}  // namespace

std::vector<std::string> SearchResultRow(const Flight& f, const FSAircraft* matched,
                                         std::string_view zone) {
  std::vector<std::string> row;
  row.reserve(12);
  row.push_back(matched ? matched->ATCAirline : "# NOT FOUND #");
  row.push_back(matched ? matched->Title : "");
  row.push_back(Padded(WholeNumber(f.AircraftId.size() > 3 ? std::string_view(f.AircraftId).substr(3) : ""), 4));
  row.push_back(f.Registration);
  row.push_back(f.Legs.empty() ? "" : f.Legs.back().DestinationIcao);
  std::string stops;
  for (int k = 0; k + 1 < f.LegCount(); ++k) {
    if (k > 0) stops += " - ";
    stops += f.Legs[static_cast<size_t>(k)].DestinationIcao;
  }
  row.push_back(stops);
  if (NodeKeyUpper(f.Period) == "WEEK") {
    row.push_back(f.Period);
  } else {
    std::string_view hours = f.Period;
    hours = hours.substr(0, hours.size() >= 2 ? hours.size() - 2 : 0);
    row.push_back(Padded(WholeNumber(hours), 2) + "Hr");
  }
  row.push_back(f.Legs.empty() ? "" : ZoneTime(f.Legs.front().DepartureTime, zone));
  row.push_back(f.Legs.empty() ? "" : ZoneTime(f.Legs.back().ArrivalTime, zone));
  row.push_back(f.FlightRules);
  row.push_back(f.Legs.empty() ? "" : f.Legs.back().FlightLevel);
  row.push_back(f.Percent);
  return row;
}

bool WritePlanFiles(const PlanState& plan) {
  if (!WriteFlightPlans(fs::path(plan.FlightplanPath), plan.Flights)) return false;
  return WriteAircraftTxt();
}

bool SaveAsReplacesOtherAircraftFile(const std::string& oldPath, const std::string& newPath) {
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
  for (const auto& entry : fs::directory_iterator(newFolder.empty() ? fs::path(".") : newFolder, ec)) {
    if (NodeKeyUpper(entry.path().filename().string()) == NodeKeyUpper(kAircraftFileName) &&
        entry.is_regular_file(ec))
      return true;
  }
  return false;
}

}  // namespace velk
