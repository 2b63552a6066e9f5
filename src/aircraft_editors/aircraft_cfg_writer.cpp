#include "aircraft_editors/aircraft_cfg_writer.h"

#include "aircraft_editors/sim_files.h"
#include "platform/profile_file.h"
#include "platform/text_file.h"

namespace velk {
namespace {

std::string Flag(bool on) { return on ? "1" : "0"; }

}  // namespace

std::vector<CfgKeyValue> ChangedCfgKeys(const FSAircraft& now, const FSAircraft* onDisk) {
  std::vector<CfgKeyValue> keys;
  auto add = [&](const std::string& section, const char* key, auto FSAircraft::*field, std::string value) {
    if (onDisk && now.*field == onDisk->*field) return;
    keys.push_back({section, key, std::move(value)});
  };
  const std::string& own = now.Section;
  add(own, "title", &FSAircraft::Title, now.Title);
  add(own, "atc_id", &FSAircraft::ATCId, now.ATCId);
  add(own, "atc_flight_number", &FSAircraft::ATCFlightNumber, now.ATCFlightNumber);
  add(own, "atc_airline", &FSAircraft::ATCAirline, now.ATCAirline);
  add(own, "ui_manufacturer", &FSAircraft::UIManufacturer, now.UIManufacturer);
  add(own, "ui_type", &FSAircraft::UIType, now.UIType);
  add(own, "ui_variation", &FSAircraft::UIVariation, now.UIVariation);
  add(own, "visual_damage", &FSAircraft::VisualDamage, Flag(now.VisualDamage));
  add(own, "atc_heavy", &FSAircraft::ATCHeavy, Flag(now.ATCHeavy));
  add(own, "model", &FSAircraft::Model, now.Model);
  add(own, "texture", &FSAircraft::Texture, now.Texture);
  add(own, "sim", &FSAircraft::Sim, now.Sim);
  add(own, "description", &FSAircraft::Description, now.Description);
  add("general", "atc_model", &FSAircraft::ATCModel, now.ATCModel);
  add("general", "atc_type", &FSAircraft::ATCType, now.ATCType);
  add("general", "Performance", &FSAircraft::Performance, now.Performance);
  add("Reference Speeds", "cruise_speed", &FSAircraft::CfgCruiseSpeed, std::to_string(now.CfgCruiseSpeed));
  return keys;
}

bool WriteCfgKeys(const std::filesystem::path& cfgFile, const std::vector<CfgKeyValue>& keys, bool backup,
                  std::string* error) {
  if (keys.empty()) return true;
  // A folder or a device in place of the file is never read or replaced.
  if (!MayRewrite(cfgFile, error)) return false;
  std::optional<ProfileFile> cfg = ProfileFile::Load(cfgFile, error);
  if (!cfg) return false;
  for (const CfgKeyValue& k : keys) {
    if (cfg->SetString(k.section, k.key, k.value)) continue;
    if (error) *error = "the value of " + k.key + " holds a line break";
    return false;
  }
  if (backup && !MakeBackupOnce(cfgFile, error)) return false;
  return cfg->Save(cfgFile, error);
}

}  // namespace velk
