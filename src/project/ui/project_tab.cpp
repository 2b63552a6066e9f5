#include "project/ui/project_tab.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <system_error>

#include "data/flight_plan_file.h"
#include "gui/frm_progress.h"
#include "gui/plan_host.h"
#include "platform/message_box.h"
#include "platform/qt/qt_text.h"
#include "platform/set_messages.h"
#include "project/console_tools.h"
#include "project/project_build.h"
#include "project/ui/file_choice.h"

namespace velk {
namespace fs = std::filesystem;

namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kDescriptionColumn = 0;
constexpr int kPlanColumn = 1;
constexpr int kAircraftColumn = 2;

std::string RowKey(const QTreeWidgetItem* row) { return row->data(0, kKeyRole).toByteArray().toStdString(); }

// The progress window of a merge or compile, inside the main window.
class TabBuildProgress : public BuildProgress {
 public:
  explicit TabBuildProgress(PlanHost& host) : host_(host) {}

  void Merging(int entryCount) override {
    frmProgress* p = host_.Progress();
    p->SetCaption("Merging Flightplans...");
    max_ = entryCount + 1;
    p->SetMax(max_);
    p->SetValue(0);
    p->show();
    p->raise();
    QCoreApplication::processEvents();
  }
  void Entry(int index) override {
    host_.Progress()->SetValue(index + 1);
    QCoreApplication::processEvents();
  }
  void Compiling() override {
    frmProgress* p = host_.Progress();
    p->SetValue(max_);
    p->SetCaption("Compiling Project...");
    QCoreApplication::processEvents();
  }
  void Finished() override {
    host_.UnloadProgress();
    QCoreApplication::processEvents();
  }

 private:
  PlanHost& host_;
  int max_ = 1;
};

}  // namespace

ProjectTab::ProjectTab(const ProjectControls& controls, PlanHost& host, QObject* parent)
    : QObject(parent), c_(controls), host_(host) {
  // The paths change only through their "..." buttons.
  c_.txtProjectFile->setReadOnly(true);
  c_.txtProjectAC->setReadOnly(true);
  c_.lvProject->setSortingEnabled(false);
  c_.lvProject->header()->setSectionsClickable(true);

  // Nothing starts while the main window is busy with another command.
  auto guarded = [this](void (ProjectTab::*command)()) {
    return [this, command] {
      if (!host_.IsBusy()) (this->*command)();
    };
  };
  connect(c_.mnuFileNewProject, &QAction::triggered, this, guarded(&ProjectTab::NewProject));
  connect(c_.mnuFileOpenProject, &QAction::triggered, this, [this] {
    if (!host_.IsBusy()) LoadProject("");
  });
  connect(c_.mnuFileSaveProject, &QAction::triggered, this, [this] {
    if (!host_.IsBusy()) SaveProjectCommand();
  });
  connect(c_.mnuFileSaveProjectAs, &QAction::triggered, this, [this] {
    if (!host_.IsBusy()) SaveProjectAs();
  });
  connect(c_.cmdProjectAdd, &QPushButton::clicked, this, guarded(&ProjectTab::AddEntry));
  connect(c_.cmdProjectDelete, &QPushButton::clicked, this, guarded(&ProjectTab::DeleteEntries));
  connect(c_.cmdProjectFile, &QPushButton::clicked, this, guarded(&ProjectTab::ReplacePlanFile));
  connect(c_.cmdProjectAC, &QPushButton::clicked, this, guarded(&ProjectTab::ReplaceAircraftFile));
  connect(c_.cmdProjectCompile, &QPushButton::clicked, this, guarded(&ProjectTab::Compile));
  connect(c_.cmdProjectMerge, &QPushButton::clicked, this, guarded(&ProjectTab::Merge));
  connect(c_.lvProject, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (!changingRows_) UpdateRowSelection();
  });
  connect(c_.lvProject->header(), &QHeaderView::sectionClicked, this, [this](int column) { ColumnClick(column); });
  c_.txtProjectDescription->installEventFilter(this);
}

bool ProjectTab::eventFilter(QObject* watched, QEvent* event) {
  if (watched == c_.txtProjectDescription && event->type() == QEvent::FocusOut) CommitDescription();
  return QObject::eventFilter(watched, event);
}

// ---- Questions and saving -------------------------------------------------------

bool ProjectTab::SettleModifiedProject() {
  if (!modified_) return true;
  int answer = ShowMessageBox(kSaveProjectQuestion, kMbYesNoCancel | kMbIconQuestion, kProgramTitle, host_.Window());
  if (answer == kIdNo) return true;
  if (answer != kIdYes) return false;
  // A project that was not saved after all must not be dropped.
  return SaveProjectCommand();
}

bool ProjectTab::SaveProjectCommand() {
  if (projectPath_.empty()) return SaveProjectAs();
  BusyFrame busy(host_);
  return SaveProject();
}

bool ProjectTab::SaveProjectAs() {
  std::string path = ChooseFileToSave(host_, "Save Project as...", kProjectFilter, projectPath_);
  if (path.empty()) return false;
  std::string previous = projectPath_;
  projectPath_ = path;
  bool saved;
  {
    BusyFrame busy(host_);
    saved = SaveProject();
  }
  // A file that could not be written is not the project's file.
  if (!saved) {
    projectPath_ = previous;
    return false;
  }
  emit RecentProject(projectPath_);
  return true;
}

bool ProjectTab::SaveProject() {
  CommitDescription();
  QCoreApplication::processEvents();
  if (!WriteProjectFile(fs::path(projectPath_), project_)) {
    ShowMessageBox(kProjectSaveFailedMessage, kMbOk | kMbIconCritical, kProgramTitle, host_.Window());
    return false;
  }
  modified_ = false;
  c_.mnuFileSaveProject->setEnabled(false);
  ShowMessageBox(kProjectSavedMessage, kMbOk | kMbIconInformation, kProgramTitle, host_.Window());
  return true;
}

// ---- New and open -----------------------------------------------------------------

void ProjectTab::NewProject() {
  if (!SettleModifiedProject()) return;
  ClearRows();
  project_ = ProjectFile{};
  modified_ = true;
  c_.mnuFileSaveProject->setEnabled(true);
  c_.mnuFileSaveProjectAs->setEnabled(true);
  c_.cmdProjectAdd->setEnabled(true);
  for (QPushButton* b : {c_.cmdProjectCompile, c_.cmdProjectMerge, c_.cmdProjectDelete}) b->setEnabled(false);
  host_.SelectTab("PROJECT");
  projectPath_.clear();
  UpdateRowSelection();
}

void ProjectTab::LoadProject(const std::string& requested) {
  if (!SettleModifiedProject()) return;
  std::string path = requested;
  if (!path.empty()) {
    std::error_code ec;
    if (!fs::is_regular_file(fs::path(path), ec)) {
      ShowMessageBox(kProjectNotFoundMessage, kMbOk | kMbIconCritical, kProgramTitle, host_.Window());
      return;
    }
  } else {
    path = ChooseFileToOpen(host_, "Open Project", kProjectFilter, projectPath_);
    if (path.empty()) return;
  }
  // A file that is not a whole project leaves the open project as it was.
  std::optional<ProjectFile> read = ReadProjectFile(fs::path(path));
  if (!read) {
    ShowMessageBox(kProjectDamagedMessage, kMbOk | kMbIconCritical, kProgramTitle, host_.Window());
    return;
  }

  projectPath_ = path;
  modified_ = false;
  c_.mnuFileSaveProject->setEnabled(false);
  c_.mnuFileSaveProjectAs->setEnabled(true);
  BusyFrame busy(host_);
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  ClearRows();
  sorted_ = false;
  c_.lvProject->header()->setSortIndicatorShown(false);
  project_ = std::move(*read);
  changingRows_ = true;
  for (const ProjectEntry& e : project_.Entries) AddRow(e);
  // The first entry is shown, as a freshly filled list selects its first
  // row: Compile, Merge and Delete work without a click into the list.
  if (QTreeWidgetItem* first = c_.lvProject->topLevelItem(0)) {
    c_.lvProject->setCurrentItem(first);
    first->setSelected(true);
  }
  changingRows_ = false;
  c_.cmdProjectAdd->setEnabled(true);
  bool any = !project_.Entries.empty();
  for (QPushButton* b : {c_.cmdProjectCompile, c_.cmdProjectMerge, c_.cmdProjectDelete}) b->setEnabled(any);
  host_.SelectTab("PROJECT");
  host_.SetStatusText(QString("Project loaded with %1 entries [%2].")
                          .arg(project_.Entries.size())
                          .arg(FromPath(fs::path(projectPath_))));
  UpdateRowSelection();
  emit RecentProject(projectPath_);
}

void ProjectTab::Release() {
  ClearRows();
  project_.Entries.clear();
}

// ---- Rows --------------------------------------------------------------------------

QTreeWidgetItem* ProjectTab::FindRow(const std::string& key) const {
  for (int i = 0; i < c_.lvProject->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = c_.lvProject->topLevelItem(i);
    if (RowKey(row) == key) return row;
  }
  return nullptr;
}

QTreeWidgetItem* ProjectTab::SelectedRow() const {
  QTreeWidgetItem* current = c_.lvProject->currentItem();
  if (current && current->isSelected()) return current;
  QList<QTreeWidgetItem*> selected = c_.lvProject->selectedItems();
  return selected.isEmpty() ? nullptr : selected.front();
}

QTreeWidgetItem* ProjectTab::AddRow(const ProjectEntry& e) {
  auto* row = new QTreeWidgetItem;
  row->setText(kDescriptionColumn, FromPlanText(e.Description));
  row->setText(kPlanColumn, FromPath(fs::path(e.PlanFile)));
  row->setText(kAircraftColumn, FromPath(fs::path(e.AircraftFile)));
  row->setData(0, kKeyRole, QByteArray::fromStdString(e.PlanFile));
  c_.lvProject->addTopLevelItem(row);
  return row;
}

ProjectEntry* ProjectTab::FindEntry(const std::string& planFile) {
  for (ProjectEntry& e : project_.Entries)
    if (e.PlanFile == planFile) return &e;
  return nullptr;
}

void ProjectTab::ClearRows() {
  changingRows_ = true;
  c_.lvProject->clear();
  changingRows_ = false;
  // The box shows nothing of the next project, whatever its keys.
  selectedKey_.clear();
}

void ProjectTab::MarkModified() {
  modified_ = true;
  c_.mnuFileSaveProject->setEnabled(true);
}

void ProjectTab::UpdateRowSelection() {
  // A description typed for the row shown until now is not lost when the
  // frame shows another one without the box having lost the focus.
  CommitDescription();
  QTreeWidgetItem* row = SelectedRow();
  const bool shown = row != nullptr;
  for (QWidget* w : std::initializer_list<QWidget*>{
           c_.cmdProjectCompile, c_.cmdProjectMerge, c_.cmdProjectDelete, c_.frProject, c_.lblProjectFile,
           c_.lblProjectDescription, c_.txtProjectDescription, c_.lblProjectAC, c_.cmdProjectFile, c_.cmdProjectAC})
    w->setEnabled(shown);
  if (!shown) {
    c_.txtProjectDescription->clear();
    c_.txtProjectFile->clear();
    c_.txtProjectAC->clear();
    selectedKey_.clear();
    return;
  }
  c_.txtProjectDescription->setText(row->text(kDescriptionColumn));
  c_.txtProjectFile->setText(row->text(kPlanColumn));
  c_.txtProjectAC->setText(row->text(kAircraftColumn));
  c_.txtProjectDescription->selectAll();
  c_.txtProjectAC->selectAll();
  selectedKey_ = RowKey(row);
}

void ProjectTab::ColumnClick(int column) {
  if (sorted_ && column == sortColumn_) {
    descending_ = !descending_;
  } else {
    sortColumn_ = column;
    descending_ = false;
    sorted_ = true;
  }
  Resort();
  if (QTreeWidgetItem* row = SelectedRow()) c_.lvProject->scrollToItem(row);
}

void ProjectTab::Resort() {
  if (!sorted_) return;
  Qt::SortOrder order = descending_ ? Qt::DescendingOrder : Qt::AscendingOrder;
  c_.lvProject->sortItems(sortColumn_, order);
  c_.lvProject->header()->setSortIndicatorShown(true);
  c_.lvProject->header()->setSortIndicator(sortColumn_, order);
}

// ---- Editing -----------------------------------------------------------------------

void ProjectTab::AddEntry() {
  std::string path = ChooseFileToOpen(host_, "Project - Choose Flightplan", kTextFileFilter, "");
  if (path.empty()) return;
  if (FindRow(path)) {
    ShowMessageBox(kPlanAlreadyInProjectMessage, kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
    return;
  }
  ProjectEntry entry;
  entry.PlanFile = path;
  // The plan's own aircraft list, when its folder has one.
  fs::path aircraft = FileInFolder(fs::path(path).parent_path(), kAircraftName);
  std::error_code ec;
  if (fs::is_regular_file(aircraft, ec)) entry.AircraftFile = aircraft.string();
  project_.Entries.push_back(entry);

  changingRows_ = true;
  c_.lvProject->clearSelection();
  QTreeWidgetItem* row = AddRow(entry);
  Resort();
  c_.lvProject->setCurrentItem(row);
  row->setSelected(true);
  changingRows_ = false;
  c_.lvProject->scrollToItem(row);
  UpdateRowSelection();
  MarkModified();
}

void ProjectTab::DeleteEntries() {
  if (ShowMessageBox(kRemoveEntriesQuestion, kMbYesNo | kMbIconQuestion, kProgramTitle, host_.Window()) != kIdYes)
    return;
  changingRows_ = true;
  for (QTreeWidgetItem* row : c_.lvProject->selectedItems()) delete row;
  changingRows_ = false;
  // The entries follow the list as it is shown; each keeps its flag.
  std::vector<ProjectEntry> kept;
  for (int i = 0; i < c_.lvProject->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = c_.lvProject->topLevelItem(i);
    ProjectEntry e;
    e.Description = ToPlanText(row->text(kDescriptionColumn));
    e.PlanFile = RowKey(row);
    e.AircraftFile = ToPath(row->text(kAircraftColumn)).string();
    if (const ProjectEntry* old = FindEntry(e.PlanFile)) {
      e.AircraftFile = old->AircraftFile;
      e.Flag = old->Flag;
    }
    kept.push_back(std::move(e));
  }
  project_.Entries = std::move(kept);
  UpdateRowSelection();
  MarkModified();
}

void ProjectTab::ReplacePlanFile() {
  const std::string shown = ToPath(c_.txtProjectFile->text()).string();
  std::string path = ChooseFileToOpen(host_, "Project - Choose Flightplan", kTextFileFilter, shown);
  if (path.empty() || path == shown) return;
  if (FindRow(path)) {
    ShowMessageBox(kPlanAlreadyInProjectMessage, kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
    return;
  }
  c_.txtProjectFile->setText(FromPath(fs::path(path)));
  QTreeWidgetItem* row = FindRow(selectedKey_);
  if (!row || RowKey(row) == path) return;
  MarkModified();
  row->setText(kPlanColumn, FromPath(fs::path(path)));
  row->setData(0, kKeyRole, QByteArray::fromStdString(path));
  if (ProjectEntry* e = FindEntry(selectedKey_)) e->PlanFile = path;
  selectedKey_ = path;
  Resort();
}

void ProjectTab::ReplaceAircraftFile() {
  const std::string shown = ToPath(c_.txtProjectAC->text()).string();
  std::string path = ChooseFileToOpen(host_, "Project - Choose Aircraft file", kTextFileFilter, shown);
  if (path.empty() || path == shown) return;
  c_.txtProjectAC->setText(FromPath(fs::path(path)));
  QTreeWidgetItem* row = FindRow(selectedKey_);
  if (!row) return;
  ProjectEntry* e = FindEntry(selectedKey_);
  if (e && e->AircraftFile == path) return;
  MarkModified();
  row->setText(kAircraftColumn, FromPath(fs::path(path)));
  if (e) e->AircraftFile = path;
  Resort();
}

void ProjectTab::CommitDescription() {
  QTreeWidgetItem* row = FindRow(selectedKey_);
  if (!row) return;
  QString text = c_.txtProjectDescription->text();
  if (text == row->text(kDescriptionColumn)) return;
  MarkModified();
  row->setText(kDescriptionColumn, text);
  if (ProjectEntry* e = FindEntry(selectedKey_)) e->Description = ToPlanText(text);
  Resort();
}

// ---- Merge and compile ---------------------------------------------------------------

bool ProjectTab::Build(bool mergeOnly, std::vector<std::string>* copiesNotMade) {
  BuildRequest request;
  request.ProjectPath = projectPath_;
  request.Entries = project_.Entries;
  request.MergeOnly = mergeOnly;
  request.ProgramFolder = host_.ProgramFolder();
  request.ShowCompiler = c_.mnuToolsShowCompiler->isChecked();
  request.BackupPlan = host_.Plan().BackupPlan;
  TabBuildProgress progress(host_);
  BuildResult result = BuildProject(request, progress);
  ShowSetRecovery(result.Recovered, host_.Window());
  if (copiesNotMade) *copiesNotMade = result.CopiesNotMade;
  if (result.Outcome == BuildOutcome::kDone) return true;
  BuildMessage message = BuildFailureMessage(result);
  ShowMessageBox(message.Text, message.Style, kProgramTitle, host_.Window());
  return false;
}

void ProjectTab::Compile() {
  if (!ToolPresent(host_.ProgramFolder(), kCompilerProgram)) {
    ShowMessageBox(kProjectCompilerMissingMessage, kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
    return;
  }
  BusyFrame busy(host_);
  QCoreApplication::processEvents();
  if (Build(false))
    ShowMessageBox(kProjectCompiledMessage, kMbOk | kMbIconInformation, kProgramTitle, host_.Window());
}

void ProjectTab::Merge() {
  BusyFrame busy(host_);
  QCoreApplication::processEvents();
  std::vector<std::string> copiesNotMade;
  if (Build(true, &copiesNotMade))
    ShowMessageBox(WithCopiesNotMade(kProjectMergedMessage, copiesNotMade),
                   kMbOk | (copiesNotMade.empty() ? kMbIconInformation : kMbIconExclamation), kProgramTitle,
                   host_.Window());
}

}  // namespace velk
