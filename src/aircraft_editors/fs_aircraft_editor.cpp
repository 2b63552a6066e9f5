#include "aircraft_editors/fs_aircraft_editor.h"

#include <set>
#include <system_error>

#include "aircraft_editors/aircraft_cfg_writer.h"
#include "aircraft_editors/class_assignment.h"
#include "aircraft_editors/model_radius_patch.h"
#include "aircraft_editors/sim_files.h"
#include "data/model_radius.h"
#include "platform/sim_location.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

std::string CanonicalKey(const std::string& path) {
  if (path.empty()) return {};
  std::error_code ec;
  fs::path p = fs::weakly_canonical(path, ec);
  return ec ? path : p.string();
}

std::string FSAircraft::*TextField(AircraftText field) {
  switch (field) {
    case AircraftText::Title: return &FSAircraft::Title;
    case AircraftText::ATCId: return &FSAircraft::ATCId;
    case AircraftText::ATCFlightNumber: return &FSAircraft::ATCFlightNumber;
    case AircraftText::ATCAirline: return &FSAircraft::ATCAirline;
    case AircraftText::UIManufacturer: return &FSAircraft::UIManufacturer;
    case AircraftText::UIType: return &FSAircraft::UIType;
    case AircraftText::UIVariation: return &FSAircraft::UIVariation;
    case AircraftText::Description: return &FSAircraft::Description;
  }
  return &FSAircraft::Title;
}

}  // namespace

FSAircraftEditor::FSAircraftEditor(std::vector<FSAircraft>& list, ClassAircraftLists& classes,
                                   const ClassDefaultSets& defaults)
    : list_(list), classes_(classes), defaults_(defaults) {}

void FSAircraftEditor::Open() {
  undoList_ = list_;
  undoClasses_ = classes_;
  onDisk_ = list_;
  pendingRadius_.clear();
  changesSaved_ = false;
  ComputeListed();
  cfgKey_.assign(list_.size(), {});
  modelKey_.assign(list_.size(), {});
  for (size_t i = 0; i < list_.size(); ++i) ComputeKeys(i);
}

void FSAircraftEditor::ComputeListed() {
  listed_.assign(list_.size(), false);
  for (size_t i = 0; i < list_.size(); ++i) listed_[i] = list_[i].Title.empty() || list_[i].Title.front() != '~';
}

void FSAircraftEditor::ComputeKeys(size_t i) {
  if (cfgKey_.size() < list_.size()) cfgKey_.resize(list_.size());
  if (modelKey_.size() < list_.size()) modelKey_.resize(list_.size());
  cfgKey_[i] = CanonicalKey(list_[i].CfgFile);
  modelKey_[i] = CanonicalKey(list_[i].ModelFile);
}

bool FSAircraftEditor::SameCfg(size_t a, size_t b) const { return cfgKey_[a] == cfgKey_[b]; }

bool FSAircraftEditor::SameModel(size_t a, size_t b) const {
  return !modelKey_[a].empty() && modelKey_[a] == modelKey_[b];
}

bool FSAircraftEditor::SetText(size_t i, AircraftText field, const std::string& value) {
  std::string& stored = list_[i].*TextField(field);
  if (stored == value) return false;
  stored = value;
  list_[i].Changed = true;
  return true;
}

bool FSAircraftEditor::SetFlag(size_t i, AircraftFlag field, bool value) {
  bool& stored = field == AircraftFlag::Heavy ? list_[i].ATCHeavy : list_[i].VisualDamage;
  if (stored == value) return false;
  stored = value;
  list_[i].Changed = true;
  return true;
}

std::vector<size_t> FSAircraftEditor::SetShared(size_t i, std::string FSAircraft::*field, const std::string& value) {
  if (list_[i].*field == value) return {};
  list_[i].Changed = true;
  std::vector<size_t> touched{i};
  for (size_t j = 0; j < list_.size(); ++j) {
    if (!Listed(j) || !SameCfg(i, j)) continue;
    list_[j].*field = value;
    if (j != i) touched.push_back(j);
  }
  return touched;
}

std::vector<size_t> FSAircraftEditor::SetAtcType(size_t i, const std::string& value) {
  std::vector<size_t> touched = SetShared(i, &FSAircraft::ATCType, value);
  for (size_t j : touched) ReclassifyAircraft(list_[j], classes_, defaults_);
  return touched;
}

std::vector<size_t> FSAircraftEditor::SetAtcModel(size_t i, const std::string& value) {
  std::vector<size_t> touched = SetShared(i, &FSAircraft::ATCModel, value);
  for (size_t j : touched) ReclassifyAircraft(list_[j], classes_, defaults_);
  return touched;
}

std::vector<size_t> FSAircraftEditor::SetPerformance(size_t i, const std::string& value) {
  return SetShared(i, &FSAircraft::Performance, value);
}

std::vector<size_t> FSAircraftEditor::SetCruiseSpeed(size_t i, int knots, bool force) {
  if (list_[i].CfgCruiseSpeed == knots && !force) return {};
  list_[i].Changed = true;
  std::vector<size_t> touched{i};
  for (size_t j = 0; j < list_.size(); ++j) {
    if (!Listed(j) || !SameCfg(i, j)) continue;
    list_[j].CfgCruiseSpeed = knots;
    // An aircraft without class limits flies at its own cruise speed.
    FSAircraft& a = list_[j];
    bool noLimits = a.MinFL == -1 && a.MaxFL == -1 && a.MinRange == -1 && a.MaxRange == -1;
    if (noLimits && (a.Class < kClassMicroProp || a.Class > kClassHugeJet)) a.CruiseSpeed = knots;
    if (j != i) touched.push_back(j);
  }
  return touched;
}

std::vector<size_t> FSAircraftEditor::SetRadius(size_t i, int metres) {
  FSAircraft& current = list_[i];
  if (current.Radius == metres || current.ModelFile.empty()) return {};
  current.RadiusChanged = true;
  // Kept by file, so that a later change of the entry's model folder does
  // not lose the patch of the file the user edited.
  pendingRadius_[current.ModelFile] = {current.ModelKind, metres};
  std::vector<size_t> touched{i};
  current.Radius = metres;
  for (size_t j = 0; j < list_.size(); ++j) {
    if (j == i || !Listed(j) || !SameModel(i, j)) continue;
    list_[j].Radius = metres;
    touched.push_back(j);
  }
  return touched;
}

bool FSAircraftEditor::SetModel(size_t i, const std::string& value) {
  FSAircraft& a = list_[i];
  if (a.Model == value) return false;
  a.Model = value;
  fs::path folder = ResolvePathNoCase(fs::path(a.CfgFile).parent_path(), value.empty() ? "model" : "model." + value);
  ReadModelRadius("", "", a.ModelKind, a.Radius, a.ModelFile, folder.string());
  a.Changed = true;
  ComputeKeys(i);
  return true;
}

bool FSAircraftEditor::SetTexture(size_t i, const std::string& value) {
  if (list_[i].Texture == value) return false;
  list_[i].Texture = value;
  list_[i].Changed = true;
  return true;
}

bool FSAircraftEditor::SetSim(size_t i, const std::string& value) {
  if (list_[i].Sim == value) return false;
  list_[i].Sim = value;
  list_[i].Changed = true;
  return true;
}

ClassChoice FSAircraftEditor::ChooseClass(size_t i, int newClass) {
  FSAircraft& a = list_[i];
  const int oldClass = a.Class;
  if (newClass < kClassNotUsed || newClass > kClassHugeJet || newClass == oldClass) return ClassChoice::Unchanged;
  if (oldClass >= kClassNotUsed && oldClass <= kClassHugeJet &&
      !ClassEntryMayMove(classes_, oldClass, newClass, a.ClassEntryId))
    return ClassChoice::EntryNotMovable;
  // The class itself follows from the lists: RederiveClasses sets it, with
  // the values and entry that go with it.
  if (oldClass < kClassNotUsed || oldClass > kClassHugeJet) return ClassChoice::NeedsNewEntry;
  MoveClassEntry(classes_, oldClass, newClass, a.ClassEntryId);
  return ClassChoice::Moved;
}

void FSAircraftEditor::CreateClassEntry(int newClass, const std::string& id) { AddClassEntry(classes_, newClass, id); }

std::vector<size_t> FSAircraftEditor::RederiveClasses() {
  return velk::RederiveClasses(list_, listed_, classes_, defaults_);
}

std::vector<const FSAircraft*> FSAircraftEditor::TypesExportList() const {
  std::vector<const FSAircraft*> out;
  for (const FSAircraft& a : list_) {
    bool classified = a.Class >= kClassMicroProp && a.Class <= kClassHugeJet;
    if (classified && IsUsableAircraft(a)) out.push_back(&a);
  }
  return out;
}

void FSAircraftEditor::Undo() {
  list_ = undoList_;
  classes_ = undoClasses_;
  pendingRadius_.clear();
  ComputeListed();
  for (size_t i = 0; i < list_.size(); ++i) ComputeKeys(i);
}

bool FSAircraftEditor::WriteCfgFile(const std::string& cfgFile, bool backup, std::string& reason) {
  std::vector<size_t> marked;
  std::vector<CfgKeyValue> keys;
  for (size_t j = 0; j < list_.size(); ++j) {
    if (!list_[j].Changed || list_[j].CfgFile != cfgFile) continue;
    marked.push_back(j);
    std::vector<CfgKeyValue> own = ChangedCfgKeys(list_[j], j < onDisk_.size() ? &onDisk_[j] : nullptr);
    keys.insert(keys.end(), own.begin(), own.end());
  }
  if (!WriteCfgKeys(cfgFile, keys, backup, &reason)) return false;
  for (size_t j : marked) {
    list_[j].Changed = false;
    if (j < onDisk_.size()) onDisk_[j] = list_[j];
  }
  // The keys of [general] and [Reference Speeds] now hold the values of the
  // entries just written for every entry of the file.
  if (marked.empty()) return true;
  const FSAircraft& last = list_[marked.back()];
  for (size_t j = 0; j < onDisk_.size() && j < list_.size(); ++j) {
    if (list_[j].CfgFile != cfgFile) continue;
    onDisk_[j].ATCModel = last.ATCModel;
    onDisk_[j].ATCType = last.ATCType;
    onDisk_[j].Performance = last.Performance;
    onDisk_[j].CfgCruiseSpeed = last.CfgCruiseSpeed;
  }
  return true;
}

AircraftSaveResult FSAircraftEditor::Save(const fs::path& programFolder, bool backup) {
  AircraftSaveResult result;
  auto failed = [&](const fs::path& file) {
    result.file = file;
    return result;
  };
  std::set<std::string> written;
  for (size_t i = 0; i < list_.size(); ++i) {
    if (!list_[i].Changed || written.count(list_[i].CfgFile)) continue;
    written.insert(list_[i].CfgFile);
    if (!WriteCfgFile(list_[i].CfgFile, backup, result.reason)) return failed(list_[i].CfgFile);
    result.saved.emplace_back(list_[i].CfgFile);
  }

  for (auto it = pendingRadius_.begin(); it != pendingRadius_.end();) {
    ModelPatchResult patched =
        PatchModelRadius(it->first, it->second.kind, it->second.radius, backup, &result.reason);
    if (patched == ModelPatchResult::Missing) {
      result.missingModelFiles.push_back(it->first);
    } else if (patched != ModelPatchResult::Patched) {
      return failed(it->first);
    } else {
      result.saved.emplace_back(it->first);
    }
    it = pendingRadius_.erase(it);
  }
  for (FSAircraft& a : list_) a.RadiusChanged = false;

  // The class file is rewritten only when its lists changed, so comments
  // and sections of its own that the program does not keep are not lost
  // by a save that has nothing to say about classes.
  if (!(classes_ == undoClasses_)) {
    fs::path classFile = programFolder / kClassConfigFileName;
    std::error_code ec;
    bool exists = fs::exists(fs::symlink_status(classFile, ec));
    if (exists && !MayRewrite(classFile, &result.reason)) return failed(classFile);
    if (exists && backup && !MakeBackupOnce(classFile, &result.reason)) return failed(classFile);
    if (!WriteClassConfig(programFolder, defaults_, classes_, &result.reason)) return failed(classFile);
  }

  undoList_ = list_;
  undoClasses_ = classes_;
  changesSaved_ = true;
  result.ok = true;
  return result;
}

}  // namespace velk
