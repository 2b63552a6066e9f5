#include "data/aircraft_airport_files.h"

#include <string>
#include <system_error>

#include "data/flight_plan_file.h"
#include "data/text_number.h"
#include "platform/folder_list.h"
#include "platform/message_box.h"
#include "platform/set_messages.h"
#include "platform/sim_location.h"
#include "platform/text_file.h"
#include "platform/text_lines.h"

namespace velk {
namespace {

// The fields of one line of either file, or nothing (an empty vector) for a
// blank or comment line. The line is trimmed before the comment test, so
// "   ; remark" is a comment here.
void LineFields(std::string_view raw, std::vector<std::string_view>& fields) {
  fields.clear();
  std::string_view line = TrimSpaces(raw);
  if (line.empty() || line[0] == ';' || line.starts_with("//")) return;
  line = line.substr(0, line.find(';'));
  line = line.substr(0, line.find("//"));
  size_t start = 0;
  for (;;) {
    size_t comma = line.find(',', start);
    fields.push_back(line.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (comma == std::string_view::npos) return;
    start = comma + 1;
  }
}

// Reads the file `name` beside the plan once, and notes what is known of it
// from that read in Plan().KnownFiles.
bool ReadPlanFolderFile(const char* name, const char* notFoundMessage, const char* unreadableMessage,
                        FileBytes& bytes) {
  std::filesystem::path unlisted;
  const std::filesystem::path path = PlanFolderFile(name, &unlisted);
  KnownFile known;
  const KnownRead read = path.empty() ? KnownRead{} : ReadKnownFile(path, bytes, known);
  if (path.empty() || read != RegularReadResult::kOk) {
    ShowMessageBox(path.empty() ? ListFailedMessage(unlisted)
                                : WithReadFailure(notFoundMessage, unreadableMessage, path, read),
                   kMbOk | kMbIconCritical, kProgramTitle, MainWindowOwner());
    return false;
  }
  Remember(Plan().KnownFiles, std::move(known));
  return true;
}

}  // namespace

std::filesystem::path PlanFolderFile(const char* name, std::filesystem::path* unlisted) {
  std::filesystem::path folder = std::filesystem::path(Plan().FlightplanPath).parent_path();
  if (folder.empty()) folder = ".";
  return ResolvePathNoCase(folder, name, unlisted);
}

std::vector<PlanAircraft> ParseAircraftTxt(std::string_view text, int& highestNumber) {
  std::vector<PlanAircraft> list;
  highestNumber = 0;
  std::vector<std::string_view> fields;
  for (std::string_view line : SplitLines(SkipUtf8Bom(text))) {
    LineFields(line, fields);
    if (fields.size() != 3) continue;
    PlanAircraft& a = list.emplace_back();
    a.Id.assign(TrimSpaces(fields[0]));
    if (fields[0].size() > 3) {
      double n = text_number::LeadingNumber(fields[0].substr(3));
      if (n > highestNumber) highestNumber = text_number::RoundToInt32(n);
    }
    a.CruiseSpeed.assign(TrimSpaces(fields[1]));
    std::string_view title = TrimSpaces(fields[2]);
    if (title.starts_with('"')) title.remove_prefix(1);
    if (title.ends_with('"')) title.remove_suffix(1);
    a.Title.assign(TrimSpaces(title));
  }
  return list;
}

std::vector<Airport> ParseAirportsTxt(std::string_view text) {
  std::vector<Airport> list;
  std::vector<std::string_view> fields;
  for (std::string_view line : SplitLines(SkipUtf8Bom(text))) {
    LineFields(line, fields);
    if (fields.size() != 4) continue;
    Airport& a = list.emplace_back();
    a.Icao.assign(TrimSpaces(fields[0]));
    a.Latitude.assign(TrimSpaces(fields[1]));
    a.Longitude.assign(TrimSpaces(fields[2]));
    a.Elevation.assign(TrimSpaces(fields[3]));
  }
  return list;
}

bool ReadAircraftTxt() {
  PlanState& plan = Plan();
  plan.PlanAircraftList.clear();
  plan.HighestAircraftNumber = 0;
  FileBytes bytes;
  if (!ReadPlanFolderFile(kAircraftFileName, kAircraftNotFoundMessage, kAircraftUnreadableMessage, bytes)) return false;
  plan.PlanAircraftList = ParseAircraftTxt(bytes.view(), plan.HighestAircraftNumber);
  return true;
}

bool StageAircraftTxt(FileSet& files, FileCopies& copies, std::filesystem::path* unlisted) {
  const PlanState& plan = Plan();
  std::filesystem::path path = PlanFolderFile(kAircraftFileName, unlisted);
  if (path.empty()) return false;
  std::string out;
  out.reserve(plan.PlanAircraftList.size() * 48);
  for (const PlanAircraft& a : plan.PlanAircraftList) {
    out += a.Id;
    out += ',';
    out += a.CruiseSpeed;
    out += ",\"";
    out += a.Title;
    out += "\"\r\n";
  }
  if (plan.BackupPlan) copies.emplace_back(path, path.string() + kBackupSuffix);
  files.emplace_back(std::move(path), std::move(out));
  return true;
}

bool WriteAircraftTxt(std::vector<std::string>* copiesNotMade) {
  FileSet files;
  FileCopies copies;
  if (!StageAircraftTxt(files, copies)) return false;
  for (const auto& [from, to] : copies) MakeCopy(from, to, copiesNotMade);
  return WriteFileAtomic(files[0].first, files[0].second);
}

bool ReadAirportsTxt() {
  PlanState& plan = Plan();
  plan.Airports.clear();
  plan.AirportIndex.Clear();
  FileBytes bytes;
  if (!ReadPlanFolderFile(kAirportsFileName, kAirportsNotFoundMessage, kAirportsUnreadableMessage, bytes)) return false;
  plan.Airports = ParseAirportsTxt(bytes.view());
  for (size_t i = 0; i < plan.Airports.size(); ++i) {
    // A second airport of the same code keeps its place but is not indexed.
    plan.AirportIndex.Add(plan.Airports[i].Icao, static_cast<int>(i));
  }
  return true;
}

}  // namespace velk
