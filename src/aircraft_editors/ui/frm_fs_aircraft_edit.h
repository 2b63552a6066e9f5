#pragma once
// The simulator aircraft editor: every titled entry of every installed
// aircraft.cfg in one list, the fields of the chosen entry below it, and the
// commands that write the changes back (aircraft.cfg keys, model radius,
// class file), undo them, and export the aircraft types. The edits
// themselves are FSAircraftEditor's; this window shows them.
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "aircraft_editors/fs_aircraft_editor.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace velk {

class PlanHost;

class frmFSAircraftEdit : public QDialog {
  Q_OBJECT
 public:
  static constexpr const char* kCaption = "FS2002 Aircraft Editor";
  static constexpr const char* kSaveQuestion = "Do you want to save your changes?";
  static constexpr const char* kSaveFailedMessage =
      "Error during writing changes. Please be sure that FS2002 is currently not running.";
  static constexpr const char* kTypesWrittenMessage = "Successfully generated 'New AircraftTypes.dat'.";
  static constexpr const char* kTypesFailedMessage = "Error during writing 'New AircraftTypes.dat'.";
  static constexpr const char* kSpeedNotNumeric = "Speed should be a numeric value.";
  static constexpr const char* kSpeedNotPositive = "Speed should be greater than 0.";
  static constexpr const char* kSpeedTooLarge = "Speed should not be greater than 65535.";
  static constexpr const char* kRadiusNotNumeric = "Radius should be a numeric value.";
  static constexpr const char* kRadiusNotPositive = "Radius should be greater than 0.";
  static constexpr const char* kRadiusTooLarge = "Radius should not be greater than 100000.";
  static constexpr const char* kModelCopyQuestion =
      "New model folder does not exist. Would you like to create the folder and copy the contents of the old "
      "folder?";
  static constexpr const char* kTextureCopyQuestion =
      "New texture folder does not exist. Would you like to create the folder and copy the contents of the old "
      "folder?";
  static constexpr const char* kAirCopyQuestion = "New AIR file does not exist. Would you like to copy the old file?";
  static constexpr const char* kCopyFailedMessage = "Error during copying the old files. Nothing was changed.";
  static constexpr const char* kCopyLeftOutMessage =
      "Only files, folders and links were copied; these were left out:";
  static constexpr const char* kBadNameMessage =
      "The name must not contain any of the characters \\ / : * ? \" < > |.";
  static constexpr const char* kMissingModelMessage =
      "The new radius could not be written, because these model files were not found:";
  static constexpr const char* kNewEntryTitle = "New class entry";
  static constexpr const char* kNewEntryPrompt = "Enter the name for the entry";
  static constexpr const char* kBadEntryMessage =
      "The name of a class entry must not contain ',' or a line break, nor begin with '['.";
  static constexpr const char* kEntryNotMovableMessage =
      "The class entry of this aircraft contains ',' and can't be moved to this class.";
  static constexpr const char* kOpenFailedMessage = "Couldn't open the file '%1'.";

  // `host` gives the installed aircraft (its plan's list), the program
  // folder and the main window.
  explicit frmFSAircraftEdit(PlanHost& host, QWidget* owner = nullptr);
  ~frmFSAircraftEdit() override;

  // Reads the installed aircraft again (with their file checks) and shows
  // the editor modally. 1 when a save succeeded while it was open, or when
  // the aircraft read differ from those held before, so that whatever
  // refers to the list by index must be built again; else 0. Without any
  // installed aircraft the window is not shown.
  int ShowDialog();
  // The steps of ShowDialog up to showing the window; false when no
  // installed aircraft were found.
  bool Load();
  // What ShowDialog returns once the window has closed.
  int DialogResult() const;

  // The Aircraft Editor command of the main window: ShowDialog, then, on 1,
  // the aircraft trees and the tabs that show installed aircraft are
  // brought up to date.
  static void Run(PlanHost& host);

  // ---- Handlers (public so tests drive them as the user would) -------------
  void FillAircraftList();
  void ShowEntry(QTreeWidgetItem* row);
  void SortByColumn(int column);
  void OpenAircraftCfg();
  void EditDescription();
  void EditPerformance();
  bool SaveChanges();
  void UndoChanges();
  void ExportAircraftTypes();
  // Validate and store the field that has the focus, as leaving it would;
  // false (the focus back in the field) when its text was refused.
  bool CommitFocusedField();
  // Validate and store one field: false when the text is refused.
  bool CommitField(QWidget* field);
  void ChooseAirline();
  void ChooseAtcType();
  void ChooseAtcModel();
  void ChooseClass();
  void CheckHeavy();
  void CheckVisualDamage();

  // The row of entry `index`, or null.
  QTreeWidgetItem* RowOf(size_t index) const;
  // The entry index a row stands for.
  static size_t IndexOf(const QTreeWidgetItem* row);
  const std::string& CurrentKey() const { return currentKey_; }
  FSAircraftEditor& Editor() { return editor_; }

  QLabel* lblProject = nullptr;
  QTreeWidget* lvAircrafts = nullptr;
  QGroupBox* frAircraft = nullptr;
  QLabel* lblTitle = nullptr;
  QLineEdit* txtTitle = nullptr;
  QLabel* lblATCType = nullptr;
  QComboBox* cmATCType = nullptr;
  QLabel* lblATCModel = nullptr;
  QComboBox* cmATCModel = nullptr;
  QLabel* lblAirline = nullptr;
  QComboBox* cmAirline = nullptr;
  QLabel* lblClass = nullptr;
  QComboBox* cmClass = nullptr;
  QLabel* lblATCID = nullptr;
  QLineEdit* txtATCID = nullptr;
  QLabel* lblFlightNumber = nullptr;
  QLineEdit* txtFlightNumber = nullptr;
  QLabel* lblManufacturer = nullptr;
  QLineEdit* txtManufacturer = nullptr;
  QLabel* lblType = nullptr;
  QLineEdit* txtType = nullptr;
  QLabel* lblVariation = nullptr;
  QLineEdit* txtVariation = nullptr;
  QLabel* lblSpeed = nullptr;
  QLineEdit* txtSpeed = nullptr;
  QLabel* lblRadius = nullptr;
  QLineEdit* txtRadius = nullptr;
  QLabel* lblModelFile = nullptr;
  QLineEdit* txtModelFile = nullptr;
  QLabel* lblSim = nullptr;
  QLineEdit* txtSim = nullptr;
  QLabel* lblTexture = nullptr;
  QLineEdit* txtTexture = nullptr;
  QCheckBox* ckHeavy = nullptr;
  QCheckBox* ckVisualDamage = nullptr;
  QPushButton* cmdEditDescription = nullptr;
  QPushButton* cmdEditPerformance = nullptr;
  QPushButton* cmdSave = nullptr;
  QPushButton* cmdUndo = nullptr;
  QPushButton* cmdCancel = nullptr;
  QPushButton* cmdACTypeDat = nullptr;

 public slots:
  // Every way of closing (Close, Esc, the close box) asks first when
  // something is unsaved: Yes saves and closes only when the save worked,
  // No throws the changes away, Cancel stays.
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void EnableSaveUndo();
  void RefreshRows(const std::vector<size_t>& indexes);
  void RefreshRow(QTreeWidgetItem* row);
  void EnableEditArea(bool enabled);
  void ShowRadius(const FSAircraft& entry);
  QTreeWidgetItem* CurrentRow() const;
  // The entry shown, or -1.
  long CurrentIndex() const;
  bool StoreSpeed();
  bool StoreRadius();
  // A new model folder, texture folder or flight-model name: trimmed,
  // checked, the copy of the old one offered, then stored.
  enum class NameField { Model, Texture, Sim };
  void StoreName(NameField field);
  void StoreText(QLineEdit* box, AircraftText field);
  // The ATC type, ATC model or airline box shows its entry's value exactly.
  bool ShowsStoredValue(const QComboBox* box) const;
  // ATC model (true) or ATC type (false) chosen or typed.
  void ChooseAtcCode(bool model);
  // The message box of this window (title and owner set).
  int Ask(const std::string& prompt, int style);

  PlanHost& host_;
  FSAircraftEditor editor_;
  std::string currentKey_;
  bool updating_ = false;
  bool committing_ = false;
  bool closing_ = false;
  bool refused_ = false;  // a field's text was just refused as the focus left it
  bool listChanged_ = false;
  int sortColumn_ = 0;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
  std::vector<QWidget*> fields_;
};

}  // namespace velk
