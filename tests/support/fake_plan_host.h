#pragma once
// A PlanHost for controller tests: its own plan, a bare window as owner, and
// counters for every request a controller makes of the main window, so a
// test drives one tab without the whole frmMain.
#include <QWidget>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gui/frm_progress.h"
#include "gui/plan_host.h"

namespace velk::test {

class FakePlanHost : public PlanHost {
 public:
  PlanState plan;
  QWidget window;
  std::filesystem::path programFolder;
  int busyDepth = 0;
  int busyFrames = 0;
  int undoSaves = 0;
  bool undoHeld = false;
  int modifiedMarks = 0;
  int saves = 0;
  bool saveResult = true;
  int searchResets = 0;
  int timetableResets = 0;
  int moveAirportFills = 0;
  int shuffleTabUpdates = 0;
  int treeRebuilds = 0;
  int reactivations = 0;
  std::vector<QString> selectedTabs;
  std::vector<QString> statusTexts;
  // What EditFlight was asked, and what it answers: the answer is returned,
  // and `editResult`, when set, replaces the entry as an accepted dialog would.
  struct EditCall {
    int index;
    bool inWorkList;
    int selectLeg;
  };
  std::vector<EditCall> edits;
  std::string editAnswer;
  std::function<void(Flight&)> editChange;
  AircraftTree shuffleTree{AircraftTreeKind::Shuffle};
  AircraftTree moveTree{AircraftTreeKind::Move};

  PlanState& Plan() override { return plan; }
  QWidget* Window() override { return &window; }
  std::filesystem::path ProgramFolder() const override { return programFolder; }
  void BeginBusy() override {
    if (busyDepth++ == 0) ++busyFrames;
  }
  void EndBusy() override { --busyDepth; }
  bool IsBusy() const override { return busyDepth > 0; }
  frmProgress* Progress() override {
    if (!progress_) progress_ = std::make_unique<frmProgress>(&window);
    return progress_.get();
  }
  void UnloadProgress() override { progress_.reset(); }
  bool ProgressLoaded() const { return progress_ != nullptr; }
  void SetStatusText(const QString& text) override { statusTexts.push_back(text); }
  void Reactivate() override { ++reactivations; }
  void SaveUndo() override {
    ++undoSaves;
    undoHeld = true;
  }
  bool UndoHeld() const override { return undoHeld; }
  void MarkPlanModified() override { ++modifiedMarks; }
  bool SaveFlightplan() override {
    ++saves;
    return saveResult;
  }
  void ResetSearchResults() override { ++searchResets; }
  void ResetTimetable() override { ++timetableResets; }
  void FillMoveAirports() override { ++moveAirportFills; }
  void UpdateShuffleTab() override { ++shuffleTabUpdates; }
  void RebuildAircraftTrees() override { ++treeRebuilds; }
  AircraftTree& AircraftTreeOf(AircraftTreeKind kind) override {
    return kind == AircraftTreeKind::Shuffle ? shuffleTree : moveTree;
  }
  void SelectTab(const QString& key) override { selectedTabs.push_back(key); }
  std::string EditFlight(int index, bool& inWorkList, int selectLeg) override {
    edits.push_back({index, inWorkList, selectLeg});
    if (editAnswer.empty()) return {};
    std::vector<Flight>& list = inWorkList ? plan.WorkList : plan.Flights;
    if (editChange && index >= 0 && index < static_cast<int>(list.size()))
      editChange(list[static_cast<size_t>(index)]);
    return editAnswer;
  }

 private:
  std::unique_ptr<frmProgress> progress_;
};

}  // namespace velk::test
