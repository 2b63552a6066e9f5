#pragma once
// What a tab controller or a dialog may ask of the main window: the plan it
// works on, the busy frame and progress window for long work, the one level
// of undo, and the resets of the other tabs after the plan changed. The main
// window implements it; controller tests use a fake. Controllers never reach
// each other directly: a change that other tabs must see goes through here.
#include <QString>
#include <filesystem>
#include <string>

#include "data/plan_records.h"
#include "gui/aircraft_tree.h"

class QWidget;

namespace velk {

class frmProgress;

class PlanHost {
 public:
  virtual ~PlanHost() = default;

  // The loaded plan (empty while none is loaded).
  virtual PlanState& Plan() = 0;
  // The window that owns message boxes, dialogs and the progress window.
  virtual QWidget* Window() = 0;
  // Folder of the configuration files, help pages and console programs.
  virtual std::filesystem::path ProgramFolder() const = 0;

  // ---- Busy frame and progress ---------------------------------------------
  // While busy the main window takes no user input and shows the hourglass;
  // calls nest. A slot that changes the plan returns at once while busy.
  virtual void BeginBusy() = 0;
  virtual void EndBusy() = 0;
  virtual bool IsBusy() const = 0;
  // The shared progress window, loaded on first touch; unloading discards it.
  virtual frmProgress* Progress() = 0;
  virtual void UnloadProgress() = 0;
  virtual void SetStatusText(const QString& text) = 0;
  // Raises the main window and gives the focus back to the current tab's
  // focus field after a dialog or long work.
  virtual void Reactivate() = 0;

  // ---- Changing the plan ---------------------------------------------------
  // Takes the one-level undo copy (when undo is switched on); every command
  // calls it just before its first change.
  virtual void SaveUndo() = 0;
  // True while an undo copy is held (Tools > Undo is enabled).
  virtual bool UndoHeld() const = 0;
  // The plan differs from its files: marks it and enables File > Save.
  virtual void MarkPlanModified() = 0;
  // File > Save: writes the plan; false when nothing was saved.
  virtual bool SaveFlightplan() = 0;

  // ---- The other tabs ------------------------------------------------------
  // Each empties what the tab showed of the old plan.
  virtual void ResetSearchResults() = 0;
  virtual void ResetTimetable() = 0;
  virtual void FillMoveAirports() = 0;
  virtual void UpdateShuffleTab() = 0;
  // Fills both aircraft trees again from the installed and plan aircraft.
  virtual void RebuildAircraftTrees() = 0;
  // What tvShuffleAircraft or tvMoveAircrafts shows. A controller that
  // changes its checks shows them with RefreshAircraftTree
  // (gui/aircraft_tree_view.h); the object lives as long as the host.
  virtual AircraftTree& AircraftTreeOf(AircraftTreeKind kind) = 0;
  // Selects the tab of `key` ("SHUFFLE", "MOVE", "EXPORT", "TIMETABLE",
  // "PROJECT").
  virtual void SelectTab(const QString& key) = 0;

  // ---- Neighbouring dialogs ------------------------------------------------
  // The Edit Flight dialog over entry `index` of the work list (inWorkList
  // set) or of the flights (clear), with leg `selectLeg` selected (-1 none).
  // On OK the edited flight is written back into that entry and the
  // aircraft's display text is returned (never "" then); "" when the user
  // cancelled or the index names no entry, and then nothing was written.
  // The dialog only edits the entry: the caller takes the undo copy before
  // and marks the plan modified after a non-empty answer.
  virtual std::string EditFlight(int index, bool& inWorkList, int selectLeg) = 0;
};

// The busy frame of a command: busy from construction to destruction, on
// every way out.
class BusyFrame {
 public:
  explicit BusyFrame(PlanHost& host) : host_(host) { host_.BeginBusy(); }
  ~BusyFrame() { host_.EndBusy(); }
  BusyFrame(const BusyFrame&) = delete;
  BusyFrame& operator=(const BusyFrame&) = delete;

 private:
  PlanHost& host_;
};

}  // namespace velk
