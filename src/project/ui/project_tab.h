#pragma once
// The Project tab and the File menu's project commands: one project open at
// a time, its entries listed in lvProject (row text the description, then
// the flight plan and the aircraft file; the flight plan's path is the row's
// key), one entry edited in the frame below, and the project merged or
// compiled from its two buttons.
#include <QObject>
#include <string>
#include <vector>

#include "project/project_file.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace velk {

class PlanHost;

struct ProjectControls {
  QTreeWidget* lvProject = nullptr;
  QPushButton* cmdProjectAdd = nullptr;
  QPushButton* cmdProjectDelete = nullptr;
  QPushButton* cmdProjectCompile = nullptr;
  QPushButton* cmdProjectMerge = nullptr;
  QGroupBox* frProject = nullptr;
  QLabel* lblProjectDescription = nullptr;
  QLineEdit* txtProjectDescription = nullptr;
  QLabel* lblProjectFile = nullptr;
  QLineEdit* txtProjectFile = nullptr;
  QPushButton* cmdProjectFile = nullptr;
  QLabel* lblProjectAC = nullptr;
  QLineEdit* txtProjectAC = nullptr;
  QPushButton* cmdProjectAC = nullptr;
  QAction* mnuFileNewProject = nullptr;
  QAction* mnuFileOpenProject = nullptr;
  QAction* mnuFileSaveProject = nullptr;
  QAction* mnuFileSaveProjectAs = nullptr;
  // Read only: its check mark shows the compiler's console.
  QAction* mnuToolsShowCompiler = nullptr;
};

inline constexpr const char* kSaveProjectQuestion = "Save the modified Project?";
inline constexpr const char* kProjectNotFoundMessage = "VELK Project file not found.";
inline constexpr const char* kProjectDamagedMessage = "VELK Project file is damaged or unreadable.";
inline constexpr const char* kProjectSavedMessage = "Successfully saved modified Project.";
inline constexpr const char* kProjectSaveFailedMessage = "Errors occured during saving Project.";
inline constexpr const char* kPlanAlreadyInProjectMessage = "Flighplan is already in Project.";
inline constexpr const char* kRemoveEntriesQuestion = "Are you sure to remove the selected Flightplans?";
inline constexpr const char* kProjectCompilerMissingMessage =
    "File 'orvane' not found. Copy the file to the VELK program folder.";
inline constexpr const char* kProjectCompiledMessage = "Successfully compiled AI Traffic Project.";
inline constexpr const char* kProjectMergedMessage = "Successfully merged AI Traffic Project.";

class ProjectTab : public QObject {
  Q_OBJECT

 public:
  ProjectTab(const ProjectControls& controls, PlanHost& host, QObject* parent = nullptr);

  // ---- Commands (the menus and buttons call these) ---------------------------
  // File > New Project: an empty project without a file, counted as modified.
  void NewProject();
  // Opens the project file at `path`; an empty path asks for it.
  void LoadProject(const std::string& path);
  // File > Save Project: to the project's file, or through Save As when it
  // has none. True when the project was saved.
  bool SaveProjectCommand();
  // File > Save Project As: asks for a file and saves there. True when saved;
  // the project keeps its old file when the save failed.
  bool SaveProjectAs();
  // Writes the project to its file (the description box committed first)
  // and says so; on failure says that instead and the project stays
  // modified. True when written.
  bool SaveProject();
  void AddEntry();
  void DeleteEntries();
  // The "..." buttons: another flight plan or aircraft file for the entry
  // shown in the frame.
  void ReplacePlanFile();
  void ReplaceAircraftFile();
  // Takes the description box into the entry shown (when it changed).
  void CommitDescription();
  void Compile();
  void Merge();
  // Shows the selected row in the frame, or empties and disables it.
  void UpdateRowSelection();
  // A click on a column header: sorts by it, or flips the order.
  void ColumnClick(int column);

  // ---- State -------------------------------------------------------------------
  const ProjectFile& Project() const { return project_; }
  const std::string& ProjectPath() const { return projectPath_; }
  bool ProjectModified() const { return modified_; }
  // The flight plan of the entry shown in the frame; "" for none.
  const std::string& SelectedEntryKey() const { return selectedKey_; }
  // When the project is modified, asks whether to save it first. True when
  // the caller may go on (No, or Yes and saved); false for Cancel or a save
  // that did not happen.
  bool SettleModifiedProject();
  // Drops the project's entries (at shut-down).
  void Release();

 signals:
  // A project file was opened or saved under a new name: the recent list
  // takes it.
  void RecentProject(const std::string& path);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTreeWidgetItem* FindRow(const std::string& key) const;
  QTreeWidgetItem* SelectedRow() const;
  QTreeWidgetItem* AddRow(const ProjectEntry& entry);
  ProjectEntry* FindEntry(const std::string& planFile);
  void MarkModified();
  void ClearRows();
  void Resort();
  // Merges (and unless `mergeOnly` compiles) the project; true when done.
  // `copiesNotMade` receives the backups of the merge that could not be made.
  bool Build(bool mergeOnly, std::vector<std::string>* copiesNotMade = nullptr);

  ProjectControls c_;
  PlanHost& host_;
  ProjectFile project_;
  std::string projectPath_;
  bool modified_ = false;
  std::string selectedKey_;
  bool sorted_ = false;
  int sortColumn_ = 0;
  bool descending_ = false;
  // Set while a command rebuilds the rows; the selection signal then waits
  // for the command's own update.
  bool changingRows_ = false;
};

}  // namespace velk
