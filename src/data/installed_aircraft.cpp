#include "data/installed_aircraft.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "data/class_config.h"
#include "data/class_lookup.h"
#include "data/config_text.h"
#include "data/model_radius.h"
#include "data/plan_records.h"
#include "data/text_number.h"
#include "platform/file_ops.h"
#include "platform/folder_list.h"
#include "platform/profile_file.h"
#include "platform/sim_location.h"
#include "platform/text_codec.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

std::string Clean(const ProfileFile& cfg, std::string_view section, std::string_view key) {
  return CleanProfileValue(cfg.GetString(section, key));
}

// cruise_speed is given in knots, often with a fraction and a comment; only
// the whole knots count.
int CruiseSpeedOf(const ProfileFile& cfg) {
  std::string v = cfg.GetString("Reference Speeds", "cruise_speed");
  v = v.substr(0, v.find('.'));
  return ParseWholeNumber(CleanProfileValue(v)).value_or(0);
}

// The class of one aircraft.cfg with the values of its class entry, as the
// class lookup hands them back.
struct ClassMatch {
  int cls = kClassNone;
  ClassAircraft entry;  // Id empty until an entry matched

  void Lookup(const std::string& atcModel, const std::string& atcType) {
    cls = GetAircraftClassInfo(atcModel.empty() ? atcType : atcModel, entry.MinFL, entry.MaxFL,
                               entry.MinRange, entry.MaxRange, entry.CruiseSpeed,
                               entry.RunwayLength, entry.RunwayTypes, entry.MinParkingRadius,
                               entry.ParkingTypes, entry.IFRPercent, entry.Id);
  }
};

}  // namespace

void ApplyClassValues(FSAircraft& r, int aircraftClass, const ClassAircraft& e) {
  ApplyClassValues(r, aircraftClass, e, ClassDefaults());
}

void ApplyClassValues(FSAircraft& r, int aircraftClass, const ClassAircraft& e, const ClassDefaultSets& defaults) {
  bool entryHasLimits = !(e.MinFL == -1 && e.MaxFL == -1 && e.MinRange == -1 && e.MaxRange == -1);
  if (entryHasLimits) {
    r.MinFL = e.MinFL;
    r.MaxFL = e.MaxFL;
    r.MaxRange = e.MaxRange;
    r.MinRange = e.MinRange;
    r.CruiseSpeed = e.CruiseSpeed;
    r.RunwayLength = e.RunwayLength;
    r.RunwayTypes = e.RunwayTypes;
    r.MinParkingRadius = e.MinParkingRadius;
    r.ParkingTypes = e.ParkingTypes;
    r.IFRPercent = e.IFRPercent;
    return;
  }
  if (aircraftClass >= kClassMicroProp && aircraftClass <= kClassHugeJet) {
    const ClassSettings* d = &defaults[static_cast<size_t>(aircraftClass - kClassMicroProp)];
    // MinFL already holds Mid Prop's text field as its number (0 when the
    // text is not a whole number).
    r.MinFL = d->MinFL;
    r.MaxFL = d->MaxFL;
    r.MaxRange = d->MaxRange;
    r.MinRange = d->MinRange;
    r.CruiseSpeed = d->CruiseSpeed;
    r.RunwayLength = d->RunwayLength;
    r.RunwayTypes = d->RunwayTypes;
    r.MinParkingRadius = d->MinParkingRadius;
    r.ParkingTypes = d->ParkingTypes;
    r.IFRPercent = d->IFRPercent;
    return;
  }
  // No class, or "Not Used" without limits: no limits at all, and the
  // aircraft's own cruise speed.
  r.MinFL = r.MaxFL = r.MaxRange = r.MinRange = -1;
  r.RunwayLength = r.MinParkingRadius = r.IFRPercent = -1;
  r.RunwayTypes.clear();
  r.ParkingTypes.clear();
  r.CruiseSpeed = r.CfgCruiseSpeed;
}

namespace {

bool StartsWithFltsim(std::string_view name) {
  return name.size() >= 6 && EqualsNoCase(name.substr(0, 6), "FLTSIM");
}

}  // namespace

std::string CleanProfileValue(std::string_view value) {
  size_t comment = value.find(';');
  if (comment == std::string_view::npos) return std::string(TrimBlanks(value));
  // The profile reading drops the quotes of a value only when they enclose
  // the whole rest of the line; with a comment behind them they are still
  // there once the comment is cut. Only that one pair goes, as it would
  // without the comment.
  return std::string(DropEnclosingQuotes(TrimBlanks(value.substr(0, comment))));
}

bool ProfileFlag(std::string_view cleanedValue) {
  return text_number::ParseBooleanText(cleanedValue).value_or(false);
}

std::string GetFSPath(fs::path* unlisted) {
  std::string folder = FlightSimFolder(unlisted).string();
  return std::string(TrimBlanks(folder));
}

bool ReadAircraftCfg(const std::string& folder, bool checkFiles, fs::path* unlisted) {
  return ReadAircraftCfg(Plan(), folder, checkFiles, unlisted);
}

bool ReadAircraftCfg(PlanState& plan, const std::string& folder, bool checkFiles, fs::path* unlisted) {
  fs::path failed;
  const fs::path cfgPath = ResolvePathNoCase(folder, "aircraft.cfg", &failed);
  if (cfgPath.empty()) {
    // Dropped without a word, the aircraft would seem not to be installed.
    if (checkFiles) {
      FSAircraft r;
      r.Title = Utf8ToCp1252(fs::path(folder).filename().string());
      r.CfgFile = (fs::path(folder) / "aircraft.cfg").string();
      r.Errors = ListFailedMessage(failed);
      r.Unreadable = true;
      plan.FSAircraftList.push_back(std::move(r));
    }
    if (unlisted) *unlisted = failed;
    return false;
  }
  std::error_code ec;
  if (!fs::is_regular_file(cfgPath, ec)) return true;
  auto size = fs::file_size(cfgPath, ec);
  if (ec || size == 0) return true;
  auto loaded = ProfileFile::Load(cfgPath);
  if (!loaded) return true;
  const ProfileFile& cfg = *loaded;
  const std::vector<std::string> sections = cfg.SectionNames();
  if (sections.empty()) return true;

  std::string atcModel = Clean(cfg, "General", "atc_model");
  std::string atcType = Clean(cfg, "General", "atc_type");
  const std::string performance = Clean(cfg, "General", "Performance");
  const int cfgCruiseSpeed = CruiseSpeedOf(cfg);

  ClassMatch match;
  match.Lookup(atcModel, atcType);

  auto& list = plan.FSAircraftList;
  for (const std::string& section : sections) {
    if (!StartsWithFltsim(section)) continue;
    std::string title = Clean(cfg, section, "title");
    std::string manufacturer = Clean(cfg, section, "ui_manufacturer");
    std::string uiType = Clean(cfg, section, "ui_type");
    std::string airline = Clean(cfg, section, "atc_airline");
    // A model or type code found in one section stands for every later
    // section of the file too, untitled sections included.
    if (atcModel.empty()) atcModel = Clean(cfg, section, "atc_model");
    if (atcType.empty()) atcType = Clean(cfg, section, "atc_type");
    if (match.cls == kClassNone) match.Lookup(atcModel, atcType);
    if (title.empty()) continue;

    FSAircraft r;
    r.Section = section;
    r.Class = match.cls;
    r.ATCModel = atcModel;
    r.ATCType = atcType;
    r.Title = title;
    r.CfgFile = cfgPath.string();
    r.ATCAirline = airline;
    r.UIManufacturer = manufacturer;
    r.UIType = uiType;
    r.CfgCruiseSpeed = cfgCruiseSpeed;
    r.Performance = performance;
    r.ClassEntryId = match.entry.Id;
    r.Texture = Clean(cfg, section, "texture");
    r.UIVariation = Clean(cfg, section, "ui_variation");
    if (checkFiles) {
      r.Sim = Clean(cfg, section, "sim");
      r.Model = Clean(cfg, section, "model");
      r.Panel = Clean(cfg, section, "panel");
      r.Sound = Clean(cfg, section, "sound");
      r.KbChecklists = Clean(cfg, section, "kb_checklists");
      r.KbReference = Clean(cfg, section, "kb_reference");
      r.ATCId = Clean(cfg, section, "atc_id");
      r.ATCFlightNumber = Clean(cfg, section, "atc_flight_number");
      r.VisualDamage = ProfileFlag(Clean(cfg, section, "visual_damage"));
      r.Description = Clean(cfg, section, "description");
      r.ATCHeavy = ProfileFlag(Clean(cfg, section, "atc_heavy"));
    }
    ApplyClassValues(r, match.cls, match.entry);
    ReadModelRadius(cfg, folder, section, r.ModelKind, r.Radius, r.ModelFile);
    list.push_back(std::move(r));
  }
  return true;
}

bool LoadFSAircraft(bool checkFiles, fs::path* unlisted) { return LoadFSAircraft(Plan(), checkFiles, unlisted); }

bool LoadFSAircraft(PlanState& plan, bool checkFiles, fs::path* unlisted) {
  fs::path failed;
  const std::string folder = GetFSPath(&failed);
  plan.FSAircraftList.clear();
  plan.FSAircraftErrors = false;
  auto fail = [&] {
    if (unlisted && !failed.empty()) *unlisted = failed;
    return false;
  };
  // Without a simulator folder there is nothing to list; a relative
  // "Aircraft" would be looked for wherever the program happens to run.
  if (folder.empty()) return fail();

  const fs::path aircraftDir = ResolvePathNoCase(folder, "Aircraft", &failed);
  if (aircraftDir.empty()) return fail();
  std::vector<fs::directory_entry> entries;
  std::error_code ec;
  bool listed = ListFolder(aircraftDir, entries, ec);
  // A missing folder holds no aircraft; any other failure leaves the list
  // short, and the user is told which folder.
  if (!listed && ec != std::errc::no_such_file_or_directory) failed = aircraftDir;
  std::vector<std::string> names;
  names.reserve(entries.size());
  for (const fs::directory_entry& entry : entries) names.push_back(entry.path().filename().string());
  // Listings come in no particular order; sorting by name keeps the list,
  // and with it the trees and the shuffle, the same from run to run.
  std::sort(names.begin(), names.end(), LessNoCase);
  for (const std::string& name : names) {
    fs::path aircraftFailed;
    if (!ReadAircraftCfg(plan, (aircraftDir / name).string(), checkFiles, &aircraftFailed)) {
      if (failed.empty()) failed = aircraftFailed;
      listed = false;
    }
  }
  if (checkFiles) CheckFSAircraftFiles(plan);
  return listed ? true : fail();
}

void CheckFSAircraftFiles() { CheckFSAircraftFiles(Plan()); }

void CheckFSAircraftFiles(PlanState& plan) {
  for (FSAircraft& r : plan.FSAircraftList) {
    if (r.Unreadable) {
      plan.FSAircraftErrors = true;
      continue;
    }
    std::string problems;
    auto add = [&](const std::string& text) {
      if (!problems.empty()) problems += " | ";
      problems += text;
    };
    fs::path folder = fs::path(r.CfgFile).parent_path();
    if (folder.empty()) folder = r.CfgFile;
    // Whether `name` exists in the aircraft's folder; nothing when the
    // folder could not be listed, which is then the problem to report.
    auto found = [&](const std::string& name) -> std::optional<bool> {
      fs::path unlisted;
      fs::path path = ResolvePathNoCase(folder, name, &unlisted);
      if (path.empty()) {
        const std::string message = ListFailedMessage(unlisted);
        if (problems.find(message) == std::string::npos) add(message);
        return std::nullopt;
      }
      return PathExists(path);
    };
    const std::string texture = r.Texture.empty() ? "Texture" : "Texture." + r.Texture;
    if (found(texture) == false) add(kNoTextureFolder);
    if (r.ModelFile.empty()) {
      add(kNoModelDefined);
    } else if (!PathExists(r.ModelFile)) {
      add(kNoModelFolder);
    }
    if (r.Sim.empty()) {
      add(kNoAirDefined);
    } else if (std::optional<bool> air = found(r.Sim + ".air"); air == false) {
      if (found(r.Sim) == false) add(kNoAirFile);
    }
    r.Errors = problems;
    if (!problems.empty()) plan.FSAircraftErrors = true;
  }
}

std::vector<int> MatchInstalledAircraft(const PlanState& plan) {
  // First installed aircraft of each upper-case title.
  std::unordered_map<std::string, int> byTitle;
  byTitle.reserve(plan.FSAircraftList.size());
  for (size_t i = 0; i < plan.FSAircraftList.size(); ++i)
    if (MatchesByTitle(plan.FSAircraftList[i]))
      byTitle.emplace(UpperCp1252(plan.FSAircraftList[i].Title), static_cast<int>(i));
  std::vector<int> match;
  match.reserve(plan.PlanAircraftList.size());
  for (const PlanAircraft& a : plan.PlanAircraftList) {
    auto it = byTitle.find(UpperCp1252(a.Title));
    match.push_back(it == byTitle.end() ? -1 : it->second);
  }
  return match;
}

std::unordered_map<std::string, int> InstalledAircraftByPlanId(const PlanState& plan) {
  std::vector<int> match = MatchInstalledAircraft(plan);
  std::unordered_map<std::string, int> byId;
  byId.reserve(match.size());
  for (size_t i = 0; i < match.size(); ++i)
    if (match[i] >= 0) byId.emplace(plan.PlanAircraftList[i].Id, match[i]);
  return byId;
}

}  // namespace velk
