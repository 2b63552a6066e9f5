// The main window's handling of the plan as a whole: opening and saving it,
// undo, the recent lists, the aircraft trees, the tab switch, the selection
// commands and the switch menus.
#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeView>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "aircraft_editors/ui/frm_aircraft_edit.h"
#include "aircraft_editors/ui/frm_fs_aircraft_edit.h"
#include "app/frm_main.h"
#include "app/plan_files.h"
#include "app/recent_files.h"
#include "data/aircraft_airport_files.h"
#include "data/flight_plan_file.h"
#include "data/installed_aircraft.h"
#include "data/plan_records.h"
#include "data/program_state.h"
#include "gui/aircraft_tree_view.h"
#include "gui/frm_progress.h"
#include "platform/file_dialog.h"
#include "platform/folder_list.h"
#include "platform/message_box.h"
#include "platform/qt/qt_text.h"
#include "platform/set_messages.h"
#include "platform/text_codec.h"
#include "search/ui/plan_corrections.h"
#include "search/ui/search_tab.h"
#include "shuffle/ui/shuffle_commands.h"

namespace velk {
namespace {

constexpr const char* kShuffleLabel = "&Select Aircraft to use for the Flightplan";
// Said when the simulator folder has no aircraft the trees could show: the
// opening cannot go on, and without a word the user would not know why.
constexpr const char* kNoInstalledAircraftMessage =
    "No FS2002 Aircraft found. Please check the Flight Simulator folder.";
constexpr const char* kSaveFailedMessage = "Errors occured during saving Flightplan.";
// Saving a plan into another plan's folder would replace that plan's
// aircraft list.
constexpr const char* kReplaceAircraftFileQuestion =
    "The destination folder already contains an 'Aircraft.txt' of another Flightplan. "
    "Would you like to replace it?";

// Watches the main window's keys (Enter presses the tab's default button;
// Delete and Insert act on the lists) and the mouse over the two trees.
class PlanEventFilter : public QObject {
 public:
  explicit PlanEventFilter(frmMain* main) : QObject(main), main_(main) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::ShortcutOverride: return MenuShortcutWins(watched, static_cast<QKeyEvent*>(event));
      case QEvent::KeyPress: return KeyPress(watched, static_cast<QKeyEvent*>(event));
      case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat() && watched == QApplication::focusWidget() && InMain(watched))
          main_->KeyReleased(key->key());
        return false;
      }
      case QEvent::MouseMove:
      case QEvent::MouseButtonRelease: {
        QTreeWidget* tree = TreeOfViewport(watched);
        if (!tree) return false;
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (event->type() == QEvent::MouseMove)
          main_->TreeMouseMove(tree, mouse->position().toPoint());
        else
          main_->TreeMouseUp(tree, mouse->button(), mouse->position().toPoint());
        return false;
      }
      case QEvent::ContextMenu:
        // The Select menu comes on the right button's release.
        return TreeOfViewport(watched) != nullptr;
      default: return false;
    }
  }

 private:
  bool InMain(QObject* object) const {
    auto* w = qobject_cast<QWidget*>(object);
    return w && w->window() == main_;
  }

  QTreeWidget* TreeOfViewport(QObject* watched) const {
    if (watched == main_->tvShuffleAircraft->viewport()) return main_->tvShuffleAircraft;
    if (watched == main_->tvMoveAircrafts->viewport()) return main_->tvMoveAircrafts;
    return nullptr;
  }

  // A text field claims the keys of its own editing commands (Ctrl+Z is
  // its undo) before any shortcut is looked at. The main window's menu
  // shortcuts come first, as menu accelerators do on Windows: the field does
  // not get to claim a key that an enabled menu entry has; while the entry
  // is disabled the field keeps its key.
  bool MenuShortcutWins(QObject* watched, QKeyEvent* key) {
    if (!InMain(watched) || watched == main_) return false;
    const QKeySequence pressed(key->keyCombination());
    for (QAction* action : main_->findChildren<QAction*>()) {
      if (action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == pressed) {
        key->ignore();
        return true;
      }
    }
    return false;
  }

  bool KeyPress(QObject* watched, QKeyEvent* key) {
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    if (watched != QApplication::focusWidget() || !InMain(watched)) return false;
    if (qobject_cast<QAbstractButton*>(watched) || qobject_cast<QTextEdit*>(watched) ||
        qobject_cast<QPlainTextEdit*>(watched))
      return false;
    QPushButton* button = main_->DefaultButton();
    if (!button || !button->isEnabled() || !button->isVisible()) return false;
    button->click();
    return true;
  }

  frmMain* main_;
};

}  // namespace

void frmMain::ConnectPlanCommands() {
  connect(mnuFileLoad, &QAction::triggered, this, [this] { LoadFlightplan(""); });
  connect(mnuFileSave, &QAction::triggered, this, &frmMain::SaveFlightplanCommand);
  connect(mnuFileSaveAs, &QAction::triggered, this, &frmMain::SaveFlightplanAsCommand);
  for (QAction* item : mnuRecentFlightPlanItems)
    connect(item, &QAction::triggered, this, [this, item] { LoadFlightplan(ToPath(item->data().toString()).string()); });
  connect(mnuToolsUndo, &QAction::triggered, this, &frmMain::Undo);
  connect(mnuToolsAircraftEditor, &QAction::triggered, this, [this] { frmFSAircraftEdit::Run(*this); });
  connect(mnuToolsEditPlanAircraft, &QAction::triggered, this, [this] { frmAircraftEdit::Run(*this); });

  for (QTreeWidget* tree : {tvShuffleAircraft, tvMoveAircrafts}) {
    tree->viewport()->setMouseTracking(true);
    tree->setContextMenuPolicy(Qt::PreventContextMenu);
    connect(tree, &QTreeWidget::itemChanged, this, [this, tree](QTreeWidgetItem* item, int) {
      int id = AircraftTreeNodeId(item);
      AircraftTree& model = tree == tvShuffleAircraft ? shuffleTree_ : moveTree_;
      if (id < 0 || id >= model.Size()) return;
      bool checked = item->checkState(0) == Qt::Checked;
      if (model.Node(id).Checked == checked) return;
      model.Node(id).Checked = checked;
      NodeCheck(tree, id);
    });
  }
  connect(cmMoveView, &QComboBox::currentIndexChanged, this, [this] { RebuildAircraftTree(tvMoveAircrafts); });
  connect(cmShufflerView, &QComboBox::currentIndexChanged, this,
          [this] { RebuildAircraftTree(tvShuffleAircraft); });

  connect(tabMain, &QTabWidget::currentChanged, this, [this] {
    if (!selectingTab_) ShowSelectedTab();
  });
  connect(tabMain, &QTabWidget::tabBarClicked, this, [this](int index) {
    if (index == tabMain->currentIndex()) ShowSelectedTab();
  });

  connect(mnuSelectAll, &QAction::triggered, this, &frmMain::SelectAllCommand);
  connect(mnuDeselectAll, &QAction::triggered, this, &frmMain::DeselectAllCommand);
  connect(mnuInverseSelection, &QAction::triggered, this, &frmMain::InverseSelectionCommand);

  connect(mnuToolsAirlinesCFG, &QAction::triggered, this, [this] {
    if (!IsBusy()) CreateNewAirlineConfig(*this);
  });
  connect(mnuToolsAirportsTXT, &QAction::triggered, this, [this] {
    if (!IsBusy()) CreateNewAirportsFile(*this);
  });
  connect(mnuToolsFPAirportsTXT, &QAction::triggered, this, [this] {
    if (!IsBusy()) CreateFlightplanAirportsFile(*this);
  });

  ConnectSwitchCommands();
  qApp->installEventFilter(new PlanEventFilter(this));
}

void frmMain::ConnectTabControllers() {
  searchTab_ = std::make_unique<SearchTab>(ExportTabControls(), *this);
  connect(searchTab_.get(), &SearchTab::selectMenuRequested, this, [this](const QPoint& at) {
    lvExPreview->setFocus();
    selectTarget_ = lvExPreview;
    mnuSelect->popup(at);
  });
  const std::pair<QAction*, SearchMode> reports[] = {
      {mnuReportsNotFound, SearchMode::AircraftNotFound},  {mnuReportsDuplicateFlights, SearchMode::Duplicates},
      {mnuReportsUnknownAirports, SearchMode::UnknownAirports}, {mnuReportsWrongFL, SearchMode::WrongFlightLevel},
      {mnuReportsWrongTime, SearchMode::WrongTime}};
  for (const auto& [item, mode] : reports)
    connect(item, &QAction::triggered, this, [this, mode = mode] { searchTab_->ReportCommand(mode); });
  connect(mnuToolsCheckFT, &QAction::triggered, this, [this] { CorrectAllFlightTimes(*this); });
}

// ---- File dialogs -------------------------------------------------------------

std::string frmMain::ShowOpenDialog(const std::string& title, const std::string& initDir,
                                    const std::string& filter, int filterIndex,
                                    const std::string& fileName, int flags) {
  FileDialogRequest r;
  r.title = title;
  r.initDir = initDir;
  r.filter = filter;
  r.filterIndex = filterIndex;
  r.fileName = fileName;
  r.flags = flags;
  r.owner = this;
  return ShowFileDialog(r);
}

std::string frmMain::ShowSaveDialog(const std::string& title, const std::string& initDir,
                                    const std::string& filter, int filterIndex,
                                    const std::string& fileName, const std::string& defaultExt,
                                    int flags) {
  FileDialogRequest r;
  r.save = true;
  r.title = title;
  r.initDir = initDir;
  r.filter = filter;
  r.filterIndex = filterIndex;
  r.fileName = fileName;
  r.defaultExt = defaultExt;
  r.flags = flags;
  r.owner = this;
  return ShowFileDialog(r);
}

// ---- Opening ------------------------------------------------------------------

void frmMain::DisablePlanCommands() {
  mnuFileSave->setEnabled(false);
  // Save As needs a plan that was read whole: after a failed opening it
  // would write empty files over the chosen ones.
  mnuFileSaveAs->setEnabled(false);
  for (QPushButton* b : {cmdMove, cmdMovePercent, cmdMoveSave, cmdMoveExecute, cmdMoveLoad}) b->setEnabled(false);
  mnuToolsCompileCurrent->setEnabled(false);
  mnuToolsFPAirportsTXT->setEnabled(false);
  for (QPushButton* b : {cmdShuffle, cmdACTypeDat, cmdCalcStartNumber}) b->setEnabled(false);
  for (QAction* a : {mnuToolsRemoveMinus, mnuToolsRandPerc, mnuToolsRandFlightNumbers, mnuToolsRandPlan,
                     mnuToolsCheckFL, mnuToolsCheckFT, mnuToolsReports->menuAction(), mnuToolsEditPlanAircraft})
    a->setEnabled(false);
}

void frmMain::EnterNoPlanState() {
  // The rows of the tabs name flights of the plan that is gone; they must
  // not be used on whatever the arrays hold now.
  DisablePlanCommands();
  searchTab_->EnterNoPlan();
  ResetTimetable();
  cmdTTShow->setEnabled(false);
  cmSource->clear();
  cmDest->clear();
  lblShuffleAircraft->setText(kShuffleLabel);
  SetStatusText("");
}

void frmMain::LoadFlightplan(const std::string& requested) {
  ProgramState& g = Program();
  PlanState& plan = Plan();
  if (g.PlanModified) {
    int answer = ShowMessageBox("Save the modified Flightplan?", kMbYesNoCancel | kMbIconQuestion,
                                kProgramTitle, this);
    if (answer != kIdYes && answer != kIdNo) return;
    if (answer == kIdYes) {
      BeginBusy();
      bool saved = SaveFlightplan();
      EndBusy();
      // The changes must not be dropped when they could not be saved.
      if (!saved) return;
    }
  }
  std::string path = requested;
  if (path.empty()) {
    path = ShowOpenDialog("Open Flightplan", "", kTextFileFilter, 1, plan.FlightplanPath, kOpenDialogFlags);
    if (path.empty()) return;
  }
  // The plan's files are read under the lock of their folder, so that no
  // other run replaces them meanwhile; a set of them that a killed run left
  // half replaced is made whole before the plan is even looked for.
  const std::filesystem::path planPath(path);
  const std::filesystem::path folder = planPath.parent_path();
  auto set = std::make_unique<SetFolder>(
      folder, std::vector<std::filesystem::path>{planPath, folder / kAirportsFileName, folder / kAircraftFileName});
  BeginBusy();
  set->LockWithin(kSetLockWait);
  const SetRecovery recovered = set->Recover();
  EndBusy();
  if (!ShowSetReading(recovered, this)) return;
  if (!PlanFileExists(path)) {
    ShowMessageBox("Flightplan file not found.", kMbOk | kMbIconExclamation, kProgramTitle, this);
    return;
  }
  plan.FlightplanPath = path;

  plan.PlanLoaded = false;
  g.PlanModified = false;
  DisablePlanCommands();
  BeginBusy();
  QCoreApplication::processEvents();

  bool opened = false;
  bool noInstalledAircraft = false;
  bool aircraftMissing = false;
  std::filesystem::path unlistedAircraft;
  {
    LongOperation op(*this, "Cleaning Memory...", 7, 1);
    ClearUndo();
    EmptyPlan(plan);
    shuffleTree_.Clear();
    moveTree_.Clear();
    ShowAircraftTrees();

    op.Step("Reading Airport configuration...", 2);
    ReadAirportsTxt();
    if (!plan.Airports.empty()) {
      op.Step("Reading Aircraft configuration...", 3);
      ReadAircraftTxt();
    }
    if (!plan.Airports.empty() && !plan.PlanAircraftList.empty()) {
      op.Step("Reading Flightplan...", 4);
      // The reader reports its own share of the bar, from 0 to 100.
      op.SetMax(100);
      ReadFlightPlans(op.ValueCallback());
    }
    RememberPlanFiles(plan);
    set.reset();
    if (!plan.Flights.empty()) {
      op.SetMax(7);
      op.Step("Detecting FS2002 Aircraft...", 5);
      LoadFSAircraft(false, &unlistedAircraft);
      noInstalledAircraft = plan.FSAircraftList.empty();
      opened = !noInstalledAircraft;
    }
    if (opened) {
      op.Step("Refreshing...", 6);
      FillAircraftTrees(moveTree_, cmMoveView->currentIndex(), shuffleTree_, cmShufflerView->currentIndex(), plan);
      ShowAircraftTrees();
      ResetTimetable();
      ResetSearchResults();
      FillMoveAirports();
      UpdateShuffleTab();
      for (QAction* a : {mnuToolsEditPlanAircraft, mnuToolsRemoveMinus, mnuToolsRandPerc, mnuToolsRandFlightNumbers,
                         mnuToolsRandPlan, mnuToolsCheckFL, mnuToolsCheckFT, mnuToolsReports->menuAction()})
        a->setEnabled(true);
      mnuFileSaveAs->setEnabled(true);
      plan.PlanLoaded = true;
      UpdateShuffleAircraftLabel();
      SetStatusText(QString("Flightplan loaded with %1 flights [%2].")
                        .arg(plan.Flights.size())
                        .arg(FromPath(plan.FlightplanPath)));
      aircraftMissing = g.AircraftCheck && PlanAircraftMissing(plan);
    } else {
      EnterNoPlanState();
    }
  }

  // The installed aircraft are fewer than there are: the plan still opens,
  // but the user learns which folder is to blame.
  if (!unlistedAircraft.empty())
    ShowMessageBox(ListFailedMessage(unlistedAircraft), kMbOk | kMbIconExclamation, kProgramTitle, this);
  if (opened) {
    AddRecentFlightplan(plan.FlightplanPath);
    if (aircraftMissing) {
      int answer = ShowMessageBox(
          "Some aircraft could not been found on your system. Would you like to see all related flights?",
          kMbYesNo | kMbIconExclamation, kProgramTitle, this);
      if (answer == kIdYes) searchTab_->RunReport(SearchMode::AircraftNotFound);
    } else {
      ShowSelectedTab();
    }
  } else if (noInstalledAircraft) {
    ShowMessageBox(kNoInstalledAircraftMessage, kMbOk | kMbIconExclamation, kProgramTitle, this);
  }
  EndBusy();
  Reactivate();
}

// ---- Saving -------------------------------------------------------------------

bool frmMain::SaveFlightplan() {
  PlanState& plan = Plan();
  // Without a plan read whole there is nothing that may replace the files.
  SetFailure failure;
  SetRecovery recovered;
  std::filesystem::path unlisted;
  std::vector<std::string> copiesNotMade;
  auto overwrite = [this](const std::vector<std::filesystem::path>& changed) {
    return AskOverwriteChanged(changed, this);
  };
  const bool written =
      plan.PlanLoaded && WritePlanFiles(plan, overwrite, &failure, &recovered, &unlisted, &copiesNotMade);
  ShowSetRecovery(recovered, this);
  // Not to replace what another program wrote was the user's choice.
  if (!written && failure.step == SetFailure::Step::kDeclined) return false;
  if (!written) {
    ShowMessageBox(unlisted.empty() ? WithSetFailure(kSaveFailedMessage, failure) : ListFailedMessage(unlisted),
                   kMbOk | kMbIconExclamation, kProgramTitle, this);
    return false;
  }
  Program().PlanModified = false;
  mnuFileSave->setEnabled(false);
  // The user asked for the backups: one that is missing is never passed
  // over in silence.
  ShowMessageBox(WithCopiesNotMade("Successfully saved modified Flightplan.", copiesNotMade),
                 kMbOk | (copiesNotMade.empty() ? kMbIconInformation : kMbIconExclamation), kProgramTitle, this);
  return true;
}

void frmMain::SaveFlightplanCommand() {
  BeginBusy();
  QCoreApplication::processEvents();
  SaveFlightplan();
  EndBusy();
}

void frmMain::SaveFlightplanAsCommand() {
  PlanState& plan = Plan();
  std::string path = ShowSaveDialog("Save Flightplan as...", "", kTextFileFilter, 1, plan.FlightplanPath, "",
                                    kSaveDialogFlags);
  if (path.empty()) return;
  std::optional<bool> replaces = SaveAsReplacesOtherAircraftFile(plan.FlightplanPath, path);
  if (!replaces) {
    ShowMessageBox(ListFailedMessage(std::filesystem::path(path).parent_path()), kMbOk | kMbIconExclamation,
                   kProgramTitle, this);
    return;
  }
  if (*replaces &&
      ShowMessageBox(kReplaceAircraftFileQuestion, kMbYesNo | kMbIconExclamation, kProgramTitle, this) != kIdYes)
    return;
  std::string previous = plan.FlightplanPath;
  plan.FlightplanPath = path;
  AddRecentFlightplan(path);
  BeginBusy();
  QCoreApplication::processEvents();
  // A plan that could not be written stays where it was.
  if (!SaveFlightplan()) plan.FlightplanPath = previous;
  EndBusy();
}

void frmMain::MarkPlanModified() {
  Program().PlanModified = true;
  mnuFileSave->setEnabled(true);
}

// ---- Undo -----------------------------------------------------------------------

void frmMain::SaveUndo() {
  if (!Program().UndoEnabled) return;
  mnuToolsUndo->setEnabled(undo_.Save(Plan()));
}

void frmMain::ClearUndo() {
  undo_.Clear();
  mnuToolsUndo->setEnabled(false);
}

void frmMain::Undo() {
  if (!undo_.Held()) return;
  BeginBusy();
  QCoreApplication::processEvents();
  {
    LongOperation op(*this, "Undo...", 3, 1);
    undo_.Restore(Plan());
    ClearUndo();
    op.Step("Refreshing...", 2);
    RebuildAircraftTrees();
    ResetTimetable();
    ResetSearchResults();
    FillMoveAirports();
    UpdateShuffleTab();
  }
  // The plan in memory now differs from the one saved last (also when the
  // change undone was saved), so closing must ask again.
  MarkPlanModified();
  ShowMessageBox("Successfully completed undo.", kMbOk | kMbIconInformation, kProgramTitle, this);
  EndBusy();
}

// ---- Recent files ---------------------------------------------------------------

void frmMain::AddRecentFlightplan(const std::string& path) {
  AddRecentPath(RecentFlightplans, path);
  RefreshRecentFlightplansMenu();
}

void frmMain::AddRecentProject(const std::string& path) {
  AddRecentPath(RecentProjects, path);
  RefreshRecentProjectsMenu();
}

// ---- Aircraft trees ---------------------------------------------------------------

void frmMain::ShowAircraftTrees() {
  ShowAircraftTree(tvShuffleAircraft, shuffleTree_);
  ShowAircraftTree(tvMoveAircrafts, moveTree_);
}

void frmMain::UpdateShuffleAircraftLabel() {
  lblShuffleAircraft->setText(
      QString("%1 (%2 aircraft selected)").arg(kShuffleLabel).arg(shuffleTree_.CountSelectedAircraft()));
}

void frmMain::RebuildAircraftTrees() {
  setUpdatesEnabled(false);
  int checked = FillAircraftTrees(moveTree_, cmMoveView->currentIndex(), shuffleTree_,
                                  cmShufflerView->currentIndex(), Plan());
  ShowAircraftTrees();
  setUpdatesEnabled(true);
  // Each plan aircraft checked in the Shuffle tree counts again; with none
  // the label keeps what it said.
  if (Plan().PlanLoaded && checked > 0) UpdateShuffleAircraftLabel();
}

void frmMain::RebuildAircraftTree(QTreeWidget* widget) {
  QComboBox* chooser = widget == tvMoveAircrafts ? cmMoveView : cmShufflerView;
  int index = chooser->currentIndex();
  if (QString::number(index) != chooser->property("Tag").toString() && !Plan().Flights.empty()) {
    BeginBusy();
    setUpdatesEnabled(false);
    AircraftTree& tree = widget == tvMoveAircrafts ? moveTree_ : shuffleTree_;
    RebuildTreeForView(tree, index, Plan());
    ShowAircraftTree(widget, tree);
    if (widget == tvShuffleAircraft && Plan().PlanLoaded) UpdateShuffleAircraftLabel();
    setUpdatesEnabled(true);
    EndBusy();
  }
  chooser->setProperty("Tag", QString::number(index));
}

void frmMain::NodeCheck(QTreeWidget* widget, int node) {
  if (NodeCheckBusy) return;
  NodeCheckBusy = true;
  bool shuffle = widget == tvShuffleAircraft;
  AircraftTree& tree = shuffle ? shuffleTree_ : moveTree_;
  if (node >= 0 && node < tree.Size()) {
    tree.NodeCheck(node);
    RefreshAircraftTree(widget, tree);
    if (shuffle && Plan().PlanLoaded) UpdateShuffleAircraftLabel();
  }
  NodeCheckBusy = false;
}

void frmMain::TreeMouseMove(QTreeWidget* widget, const QPoint& position) {
  const AircraftTree& tree = widget == tvShuffleAircraft ? shuffleTree_ : moveTree_;
  int id = AircraftTreeNodeId(widget->itemAt(position));
  QString tip = FromPlanText(id < 0 ? std::string() : tree.Tooltip(id, Plan().FSAircraftList));
  widget->setToolTip(tip);
  widget->viewport()->setToolTip(tip);
}

void frmMain::TreeMouseUp(QTreeWidget* widget, Qt::MouseButton button, const QPoint& position) {
  if (button != Qt::RightButton || Plan().Flights.empty()) return;
  widget->setFocus();
  selectTarget_ = widget;
  mnuSelect->popup(widget->viewport()->mapToGlobal(position));
}

// ---- Tabs -----------------------------------------------------------------------------

void frmMain::ShowSelectedTab() {
  QString key = tabMain->tabBar()->tabData(tabMain->currentIndex()).toString();
  struct Row {
    const char* key;
    QWidget* frame;
    QPushButton* button;
    QWidget* raise;  // the control raised above the others, if any
  };
  const Row rows[] = {{"SHUFFLE", picShuffle, cmdShuffle, tvShuffleAircraft},
                      {"MOVE", picMove, cmdMove, nullptr},
                      {"EXPORT", picExport, cmdPreview, nullptr},
                      {"PROJECT", picProject, cmdProjectCompile, lvProject},
                      {"TIMETABLE", picTimetable, cmdTTShow, nullptr}};
  for (const Row& row : rows) {
    if (key != row.key) continue;
    int index = tabMain->indexOf(row.frame);
    if (index >= 0 && tabMain->currentIndex() != index) {
      selectingTab_ = true;
      tabMain->setCurrentIndex(index);
      selectingTab_ = false;
    }
    if (defaultButton_) defaultButton_->setDefault(false);
    defaultButton_ = row.button;
    // Shown as the default; the window's key filter presses it on Enter.
    defaultButton_->setDefault(true);
    if (row.raise) row.raise->raise();
    // A field that cannot take the focus now leaves it where it is.
    QWidget* focus = TabFocusField();
    if (focus && focus->isEnabled() && focus->isVisible()) focus->setFocus();
    break;
  }
}

QWidget* frmMain::TabFocusField() const {
  // The Shuffle and Project tabs raise their list instead.
  QWidget* page = tabMain->currentWidget();
  if (page == picMove) return cmSource;
  if (page == picExport) return txtExDeparture;
  if (page == picTimetable) return txtTTAirport;
  return nullptr;
}

void frmMain::SelectTab(const QString& key) {
  for (int i = 0; i < tabMain->count(); ++i) {
    if (tabMain->tabBar()->tabData(i).toString() != key) continue;
    selectingTab_ = true;
    tabMain->setCurrentIndex(i);
    selectingTab_ = false;
    break;
  }
  ShowSelectedTab();
}

// ---- Selection commands -----------------------------------------------------------------

void frmMain::DeselectAllSearchResults() { lvExPreview->clearSelection(); }
void frmMain::DeselectAllTimetable() { lvTimetable->clearSelection(); }
void frmMain::DeselectAllProjects() { lvProject->clearSelection(); }

QWidget* frmMain::SelectTarget() const {
  if (selectTarget_) return selectTarget_;
  return QApplication::focusWidget();
}

QTreeWidget* frmMain::SelectTree(QWidget* target) const {
  if (target == tvShuffleAircraft || target == tvMoveAircrafts) return static_cast<QTreeWidget*>(target);
  return nullptr;
}

void frmMain::SelectAllCommand() {
  QWidget* target = SelectTarget();
  selectTarget_ = nullptr;
  if (target == lvExPreview) {
    lvExPreview->selectAll();
  } else if (QTreeWidget* widget = SelectTree(target)) {
    AircraftTree& tree = widget == tvShuffleAircraft ? shuffleTree_ : moveTree_;
    tree.SelectAll();
    RefreshAircraftTree(widget, tree);
    if (widget == tvShuffleAircraft) UpdateShuffleAircraftLabel();
  }
}

void frmMain::DeselectAllCommand() {
  QWidget* target = SelectTarget();
  selectTarget_ = nullptr;
  if (target == lvExPreview) {
    lvExPreview->clearSelection();
  } else if (QTreeWidget* widget = SelectTree(target)) {
    AircraftTree& tree = widget == tvShuffleAircraft ? shuffleTree_ : moveTree_;
    tree.DeselectAll();
    RefreshAircraftTree(widget, tree);
    if (widget == tvShuffleAircraft) lblShuffleAircraft->setText(QString("%1 (0 aircraft selected)").arg(kShuffleLabel));
  }
}

void frmMain::InverseSelectionCommand() {
  QWidget* target = SelectTarget();
  selectTarget_ = nullptr;
  if (target == lvExPreview) {
    QAbstractItemModel* rows = lvExPreview->model();
    if (rows->rowCount() > 0)
      lvExPreview->selectionModel()->select(
          QItemSelection(rows->index(0, 0), rows->index(rows->rowCount() - 1, 0)),
          QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
  } else if (QTreeWidget* widget = SelectTree(target)) {
    AircraftTree& tree = widget == tvShuffleAircraft ? shuffleTree_ : moveTree_;
    tree.InverseSelection();
    RefreshAircraftTree(widget, tree);
    if (widget == tvShuffleAircraft) UpdateShuffleAircraftLabel();
  }
}

void frmMain::KeyReleased(int key) {
  if (key != Qt::Key_Delete && key != Qt::Key_Insert) return;
  QWidget* focus = QApplication::focusWidget();
  QPushButton* remove = nullptr;
  QPushButton* add = nullptr;
  if (focus == lvExPreview) {
    remove = cmdDeleteFlight;
    add = cmdAddFlight;
  } else if (focus == lvProject) {
    remove = cmdProjectDelete;
    add = cmdProjectAdd;
  } else {
    return;
  }
  if (key == Qt::Key_Delete && remove->isEnabled())
    remove->click();
  else if (key == Qt::Key_Insert && add->isEnabled())
    add->click();
}

// ---- Switches, turn-around times and help -------------------------------------------------

void frmMain::ConnectSwitchCommands() {
  ProgramState& g = Program();
  connect(mnuToolsACCheck, &QAction::triggered, this, [this, &g] {
    g.AircraftCheck = !g.AircraftCheck;
    mnuToolsACCheck->setChecked(g.AircraftCheck);
  });
  connect(mnuToolsBackupPlan, &QAction::triggered, this, [this] {
    Plan().BackupPlan = !Plan().BackupPlan;
    mnuToolsBackupPlan->setChecked(Plan().BackupPlan);
  });
  connect(mnuToolsBackupAircraft, &QAction::triggered, this, [this, &g] {
    g.BackupAircraft = !g.BackupAircraft;
    mnuToolsBackupAircraft->setChecked(g.BackupAircraft);
  });
  // The menu entry itself holds this switch; the click has flipped it.
  connect(mnuToolsDebug, &QAction::triggered, this, [this, &g] { g.DebugEnabled = mnuToolsDebug->isChecked(); });
  connect(mnuToolsUndoOn, &QAction::triggered, this, [this, &g] {
    g.UndoEnabled = !g.UndoEnabled;
    mnuToolsUndoOn->setChecked(g.UndoEnabled);
    if (!g.UndoEnabled) ClearUndo();
  });

  const std::pair<QAction*, int> minimum[] = {{mnuTAOff, kTurnAroundOff}, {mnuTA30, 30}, {mnuTA45, 45},
                                              {mnuTA60, 60},              {mnuTA90, 90}, {mnuTA120, 120}};
  for (const auto& [item, value] : minimum) {
    connect(item, &QAction::triggered, this, [this, item = item, value = value] {
      Program().MinTurnAround = value;
      for (QAction* a : mnuTA->actions()) a->setChecked(a == item);
    });
  }
  const std::pair<QAction*, int> maximum[] = {{mnuMaxTAOff, kTurnAroundOff}, {mnuMaxTA1, 1}, {mnuMaxTA2, 2},
                                              {mnuMaxTA4, 4},   {mnuMaxTA8, 8},   {mnuMaxTA12, 12},
                                              {mnuMaxTA18, 18}, {mnuMaxTA24, 24}};
  for (const auto& [item, value] : maximum) {
    connect(item, &QAction::triggered, this, [this, item = item, value = value] {
      Program().MaxTurnAround = value;
      for (QAction* a : mnuMaxTA->actions()) a->setChecked(a == item);
    });
  }

  connect(mnuHelpContents, &QAction::triggered, this, [this] {
    std::filesystem::path page = ProgramFolder() / "Help" / "index.html";
    std::error_code ec;
    // Without the pages there is nothing to open, and nothing to say; a page
    // that nothing could open (no desktop launcher, or one that found no
    // viewer) is named, or F1 would seem to do nothing.
    if (!std::filesystem::is_regular_file(page, ec)) return;
    OpenDocument(page.string(), [page, owner = QPointer<frmMain>(this)](bool opened) {
      if (!opened && owner)
        ShowMessageBox("Couldn't open the help page '" + Utf8ToCp1252(page.string()) + "'.",
                       kMbOk | kMbIconExclamation, kProgramTitle, owner);
    });
  });
}

}  // namespace velk
