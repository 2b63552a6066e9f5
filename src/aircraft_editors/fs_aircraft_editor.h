#pragma once
// The working data of the simulator aircraft editor and every change it
// makes to them, without any window: the installed aircraft and the class
// lists are edited in place; the copies that Undo and Close return to, the
// state the files on disk hold, and the model radii waiting to be written
// are kept here. The window (ui/frm_fs_aircraft_edit.h) shows the list and
// turns the user's edits into these calls.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "data/class_config.h"
#include "data/plan_records.h"

namespace velk {

// Fields edited as plain text.
enum class AircraftText { Title, ATCId, ATCFlightNumber, ATCAirline, UIManufacturer, UIType, UIVariation, Description };
enum class AircraftFlag { Heavy, VisualDamage };

// How a class choice for one aircraft went.
enum class ClassChoice {
  Unchanged,       // the aircraft has that class already, or "Unknown" was chosen
  Moved,           // its class entry moved to the new class (or had none to move)
  NeedsNewEntry,   // it had no class: an entry must be named (CreateClassEntry)
  EntryNotMovable  // its entry's Id cannot be written in the new class
};

// What a save did.
struct AircraftSaveResult {
  bool ok = false;
  // Model files whose radius change was dropped because the file was gone.
  std::vector<std::string> missingModelFiles;
  // When the save failed: the file that could not be written, and why, and
  // the files this save wrote before it, in order (they stay written).
  std::filesystem::path file;
  std::string reason;
  std::vector<std::filesystem::path> saved;
};

class FSAircraftEditor {
 public:
  // `defaults` gives the class values of aircraft without limits of their
  // own; both containers are the program's own in the running program.
  FSAircraftEditor(std::vector<FSAircraft>& list, ClassAircraftLists& classes, const ClassDefaultSets& defaults);

  // Starts an editing session over the list as just read from disk: the
  // undo copies and the disk state are taken, nothing is pending.
  void Open();

  size_t Size() const { return list_.size(); }
  const FSAircraft& Entry(size_t i) const { return list_[i]; }
  // Entries whose title begins with "~" have no row: nothing here changes
  // them, and values shared by a file or a model do not reach them.
  bool Listed(size_t i) const { return i < listed_.size() && listed_[i]; }
  const std::vector<bool>& ListedFlags() const { return listed_; }

  // Each edit changes entry `i` and marks it for writing when the value
  // differs. The returned indexes are the entries whose shown values
  // changed (entry `i` first when any); empty when nothing changed.
  bool SetText(size_t i, AircraftText field, const std::string& value);
  bool SetFlag(size_t i, AircraftFlag field, bool value);
  // ATC type and model belong to the whole aircraft.cfg: every listed entry
  // of the file takes the value and is classified again.
  std::vector<size_t> SetAtcType(size_t i, const std::string& value);
  std::vector<size_t> SetAtcModel(size_t i, const std::string& value);
  // Cruise speed and performance text belong to the whole aircraft.cfg.
  // `force` marks the entry even when the number is the same (a text typed
  // differently, "250.0" for 250, counts as an edit).
  std::vector<size_t> SetCruiseSpeed(size_t i, int knots, bool force);
  std::vector<size_t> SetPerformance(size_t i, const std::string& value);
  // The radius belongs to the model file: every listed entry of the file
  // takes it, and the file is patched at the next save.
  std::vector<size_t> SetRadius(size_t i, int metres);
  // A new model folder name: the model file and radius are read again from
  // the folder the name gives.
  bool SetModel(size_t i, const std::string& value);
  bool SetTexture(size_t i, const std::string& value);
  bool SetSim(size_t i, const std::string& value);

  // A class chosen for entry `i` (1 to 8; 0 "Unknown" changes nothing).
  // Moves the entry that gave the aircraft its class to the new class list;
  // the aircraft's class changes with the RederiveClasses that follows.
  ClassChoice ChooseClass(size_t i, int newClass);
  // Appends an entry `id` to the list of `newClass`, for an aircraft that
  // had no class (after ChooseClass said NeedsNewEntry).
  void CreateClassEntry(int newClass, const std::string& id);
  // Classifies every listed entry again from the class lists; returns the
  // entries whose class changed.
  std::vector<size_t> RederiveClasses();

  // Back to the state of the opening or of the last successful save.
  void Undo();

  // Writes every marked entry into its aircraft.cfg (only the keys whose
  // values differ from the file's; one atomic replacement per file), patches
  // the pending model radii, and writes VELK_AC.CFG in `programFolder` when
  // the class lists changed. With `backup` each file is copied once to
  // "<file>.velk.bak" first. On success the marks are cleared and the undo
  // copies follow; on failure the files written so far stay written, and
  // the entries not yet written keep their marks.
  AircraftSaveResult Save(const std::filesystem::path& programFolder, bool backup);

  // The aircraft "New AircraftTypes.dat" lists, in list order: every usable
  // entry (IsUsableAircraft) with a class other than "Not Used".
  std::vector<const FSAircraft*> TypesExportList() const;

  // A save of this session succeeded.
  bool ChangesSaved() const { return changesSaved_; }
  // Model files with a radius waiting to be written, and the radius.
  struct PendingRadius {
    int kind = 0;
    int radius = 0;
  };
  const std::map<std::string, PendingRadius>& PendingRadii() const { return pendingRadius_; }

 private:
  bool SameCfg(size_t a, size_t b) const;
  bool SameModel(size_t a, size_t b) const;
  std::vector<size_t> SetShared(size_t i, std::string FSAircraft::*field, const std::string& value);
  void ComputeListed();
  void ComputeKeys(size_t i);
  bool WriteCfgFile(const std::string& cfgFile, bool backup, std::string& reason);

  std::vector<FSAircraft>& list_;
  ClassAircraftLists& classes_;
  const ClassDefaultSets& defaults_;
  std::vector<FSAircraft> undoList_;
  ClassAircraftLists undoClasses_;
  std::vector<FSAircraft> onDisk_;
  std::vector<bool> listed_;
  // Canonical paths of each entry's aircraft.cfg and model file, so that two
  // spellings of one file count as the same file.
  std::vector<std::string> cfgKey_;
  std::vector<std::string> modelKey_;
  std::map<std::string, PendingRadius> pendingRadius_;
  bool changesSaved_ = false;
};

}  // namespace velk
