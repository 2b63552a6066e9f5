#pragma once
// The flight plan aircraft editor: the plan's aircraft list (Aircraft.txt)
// beside the installed aircraft, with the commands that add, delete,
// substitute and change plan aircraft. It works on the plan in memory; OK
// keeps the changes (the plan is then modified, to be saved with the plan),
// Cancel puts everything back as it was when the window opened.
#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "data/plan_records.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace velk {

class PlanHost;

class frmAircraftEdit : public QDialog {
  Q_OBJECT
 public:
  static constexpr const char* kCaption = "Flight Plan Aircraft Editor";
  static constexpr const char* kSaveQuestion = "Do you want to save your changes?";
  static constexpr const char* kDeleteQuestion = "Are you sure to delete the selected aircraft and all assigned flights?";
  static constexpr const char* kSubstituteQuestion = "Are you sure to substitute the aircraft?";
  static constexpr const char* kNumberInUse = "Number already assigned to an aircraft.";
  static constexpr const char* kSpeedPrompt = "Enter a new Cruise Speed for the selected aircraft:";
  static constexpr const char* kTitlePrompt = "Enter a new Title for the selected aircraft:";
  static constexpr const char* kNumberPrompt = "Enter a new number for the selected aircraft:";
  static constexpr const char* kAddMissingTip = "This will add all aircraft that are currently not in your 'Aircraft.txt'.";
  static constexpr const char* kNumberRange = "The number has to be between 1 and 65535.";
  static constexpr const char* kSpeedRange = "The cruise speed has to be between 1 and 65535.";
  static constexpr const char* kBadTitle = "A title must not contain ',', '\"', ';' or '//'.";
  static constexpr const char* kTitlesSkipped =
      "These aircraft were not added, because 'Aircraft.txt' can't hold their titles (',', '\"', ';' or '//'):";
  static constexpr const char* kNoSpeed =
      "These aircraft have no usable cruise speed. Please give them one with 'Speed' before the Flightplan is "
      "compiled:";
  static constexpr const char* kNoFreeNumber = "There is no free aircraft number left.";

  explicit frmAircraftEdit(PlanHost& host, QWidget* owner = nullptr);

  // Shows the editor modally over the main window; 1 when the user kept
  // changes, else 0 (and the plan is as it was).
  int ShowDialog();
  // The steps of ShowDialog before the window is shown.
  void Load();
  int DialogResult() const { return changesSaved_ ? 1 : 0; }

  // The Tools menu command: ShowDialog, then, on 1, one level of undo back
  // to the plan before the editor, the trees and tabs rebuilt and the plan
  // marked modified.
  static void Run(PlanHost& host);

  // ---- Handlers ------------------------------------------------------------
  void FillAircraftLists();
  void UpdateEditorButtons();
  void SortList(QTreeWidget* list, int column);
  void AddSelected();
  void AddMissing();
  void DeleteSelected();
  void Substitute();
  void ChangeSpeed();
  void ChangeTitle();
  void ChangeNumber();
  void SaveChanges();
  void CancelChanges();

  // Whether a row of lvFSAircraft stands for an aircraft the plan uses.
  static bool Used(const QTreeWidgetItem* row);
  int HighestNumber() const { return highestNumber_; }

  QLabel* lblProject = nullptr;
  QTreeWidget* lvAircrafts = nullptr;
  QLabel* lblFSAircraft = nullptr;
  QTreeWidget* lvFSAircraft = nullptr;
  QComboBox* cmAircraft = nullptr;
  QPushButton* cmdTitle = nullptr;
  QPushButton* cmdSpeed = nullptr;
  QPushButton* cmdNumber = nullptr;
  QPushButton* cmdAdd = nullptr;
  QPushButton* cmdAddMissing = nullptr;
  QPushButton* cmdDelete = nullptr;
  QPushButton* cmdSubstitute = nullptr;
  QPushButton* cmdSave = nullptr;
  QPushButton* cmdCancel = nullptr;

 public slots:
  // The window's close box and Esc: ask when something changed (Yes keeps,
  // No puts everything back, Cancel stays), so that a key pressed by
  // mistake never throws the edits away unasked.
  void reject() override;

 private:
  void BuildControls();
  void AddPlanRow(size_t index);
  void FillAircraftCombo();
  void Restore();
  // Adds installed aircraft `row` to the plan; false when the command must
  // stop (no number left).
  bool AddInstalled(QTreeWidgetItem* row, std::vector<std::string>& skippedTitles,
                    std::vector<std::string>& withoutSpeed);
  void ReportSkipped(const std::vector<std::string>& skippedTitles, const std::vector<std::string>& withoutSpeed);
  QTreeWidgetItem* SelectedPlanRow() const;
  std::optional<std::string> Ask(const std::string& prompt, const std::string& defaultText);
  int Say(const std::string& prompt, int style);

  PlanHost& host_;
  std::vector<Flight> snapshotFlights_;
  std::vector<PlanAircraft> snapshotAircraft_;
  int highestNumber_ = 0;
  bool changesSaved_ = false;
  struct SortState {
    bool sorted = false;
    int column = 0;
    Qt::SortOrder order = Qt::AscendingOrder;
  };
  SortState planSort_;
  SortState fsSort_{true, 0, Qt::AscendingOrder};
};

}  // namespace velk
