#include "app/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "airport_tools/ui/airport_tools.h"
#include "app/c_resize.h"
#include "app/frm_about.h"
#include "app/frm_splash.h"
#include "app/resize_map.h"
#include "data/airline_config.h"
#include "data/class_config.h"
#include "data/flight_levels.h"
#include "data/name_lists.h"
#include "data/plan_records.h"
#include "data/program_state.h"
#include "data/scenery_airports.h"
#include "flight_editor/ui/frm_flight_edit.h"
#include "gui/frm_progress.h"
#include "gui/scenery_progress.h"
#include "platform/message_box.h"
#include "platform/qt/qt_text.h"
#include "project/ui/compile_commands.h"
#include "project/ui/project_tab.h"
#include "search/ui/correction_commands.h"
#include "search/ui/move_tab.h"
#include "search/ui/search_tab.h"
#include "shuffle/ui/shuffle_tab.h"
#include "timetable/ui/timetable_tab.h"

namespace velk {
namespace {

// Holds off user input aimed at the main window while it is busy. Message
// boxes and dialogs are windows of their own and stay usable.
class BusyInputFilter : public QObject {
 public:
  explicit BusyInputFilter(QWidget* window) : QObject(window), window_(window) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::Wheel:
      case QEvent::Shortcut:
      case QEvent::ShortcutOverride:
      case QEvent::ContextMenu:
        return BelongsToWindow(watched);
      default:
        return false;
    }
  }

 private:
  bool BelongsToWindow(QObject* object) const {
    for (QObject* o = object; o; o = o->parent()) {
      if (o == window_) return true;
      auto* w = qobject_cast<QWidget*>(o);
      if (w && w->isWindow() && !qobject_cast<QMenu*>(w)) return false;
    }
    return false;
  }

  QWidget* window_;
};

}  // namespace

std::vector<frmMain::ConfigReader> frmMain::ConfigurationReaders() {
  return {ReadClassConfig,   ReadAirlineConfig, ReadAirlineNames,
          ReadATCModelNames, ReadATCTypeNames,  ReadFlightLevelRules};
}

frmMain::frmMain(QWidget* parent) : QMainWindow(parent), configReaders_(ConfigurationReaders()) {
  setObjectName("frmMain");
  setWindowTitle(kApplicationTitle);
  BuildMenus();

  auto* central = new QWidget(this);
  central->setObjectName("centralArea");
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 4);
  tabMain = new QTabWidget(central);
  tabMain->setObjectName("tabMain");
  layout->addWidget(tabMain);
  setCentralWidget(central);
  struct Page {
    QWidget** widget;
    const char* name;
    const char* caption;
    const char* key;
  };
  const Page pages[] = {{&picShuffle, "picShuffle", "Shuffle", "SHUFFLE"},
                        {&picMove, "picMove", "Move", "MOVE"},
                        {&picExport, "picExport", "Export/Search", "EXPORT"},
                        {&picTimetable, "picTimetable", "Timetable", "TIMETABLE"},
                        {&picProject, "picProject", "Project", "PROJECT"}};
  for (const Page& page : pages) {
    *page.widget = new QWidget;
    (*page.widget)->setObjectName(page.name);
    int index = tabMain->addTab(*page.widget, page.caption);
    tabMain->tabBar()->setTabData(index, QString(page.key));
    (*page.widget)->installEventFilter(this);
  }
  BuildShuffleTab();
  BuildMoveTab();
  BuildExportTab();
  BuildTimetableTab();
  BuildProjectTab();

  sbMain = statusBar();
  sbMain->setObjectName("sbMain");
  statusPanel_ = new QLabel(sbMain);
  statusPanel_->setObjectName("sbMainText");
  sbMain->addWidget(statusPanel_, 1);

  tmrSplash = new QTimer(this);
  tmrSplash->setObjectName("tmrSplash");
  tmrSplash->setInterval(1000);
  tmrSplash->setSingleShot(true);
  connect(tmrSplash, &QTimer::timeout, this, &frmMain::onSplashTimer);
  ConnectTabControllers();
  ConnectPlanCommands();
  ConnectProjectCommands();
  ConnectTrafficCommands();

  // The design size: a tab page of about kDesignPageWidth x kDesignPageHeight.
  resize(kDesignPageWidth + 16, kDesignPageHeight + 84);
}

frmMain::~frmMain() {
  while (busyDepth_ > 0) EndBusy();
  if (DefaultSceneryContext().owner == this) DefaultSceneryContext() = SceneryLoadContext{};
  if (MainWindowOwner() == this) SetMainWindowOwner(nullptr);
}

std::filesystem::path frmMain::ProgramFolder() const {
  if (!programFolder_.empty()) return programFolder_;
  return ToPath(QCoreApplication::applicationDirPath());
}

bool frmMain::StartUp() {
  SetMainWindowOwner(this);
  QCoreApplication::processEvents();

  ApplyStoredSettings(ReadStoredSettings());
  RefreshRecentFlightplansMenu();
  RefreshRecentProjectsMenu();
  Program().DebugEnabled = mnuToolsDebug->isChecked();

  // The tag holds the view a tree was last built for; set before the index,
  // the choosers see no change and build nothing yet.
  cmMoveView->setProperty("Tag", "1");
  cmMoveView->setCurrentIndex(1);
  cmShufflerView->setProperty("Tag", "2");
  cmShufflerView->setCurrentIndex(2);

  // Each reader tells the user itself what was wrong with its file.
  for (const ConfigReader& reader : configReaders_)
    if (!reader(ProgramFolder())) return false;

  resizer_ = std::make_unique<cResize>();
  mappedAtSize_ = size();
  MapMainWindowControls(*resizer_, this);
  // The scenery, loaded by whatever feature first needs it, shows its steps
  // in this window's progress window and its messages over this window.
  DefaultSceneryContext() = WindowSceneryContext(*this);

  const ProgramState& g = Program();
  for (auto [combo, zone] : {std::pair{cmTTZone, g.TimetableZone}, std::pair{cmExZone, g.ExportZone}}) {
    combo->setCurrentText(FromPlanText(zone));
    combo->setProperty("Tag", FromPlanText(zone));
  }
  cmTTDay->setCurrentIndex(0);
  txtTTStart->setText("00:00:00");
  txtTTStart->selectAll();
  txtTTEnd->setText("23:59:59");
  txtTTEnd->selectAll();

  if (ApplyPlacement()) {
    showMaximized();
  } else {
    show();
    // The frame's size is known only now; centre the whole window on it.
    if (centred_) CentreOnScreen();
  }
  QCoreApplication::processEvents();

  splash_ = new frmSplash(this);
  splash_->show();
  tmrSplash->start();
  QCoreApplication::processEvents();

  setMinimumSize(kMinWidth, kMinHeight);
  setMaximumSize(kMaxWidth, kMaxHeight);
  return true;
}

void frmMain::ApplyStoredSettings(const StoredSettings& s) {
  ProgramState& g = Program();
  // A value that cannot be read leaves a switch off and a control as designed.
  Plan().BackupPlan = s.BackupPlan.value_or(false);
  g.BackupAircraft = s.BackupAircraft.value_or(false);
  mnuToolsBackupAircraft->setChecked(g.BackupAircraft);
  mnuToolsBackupPlan->setChecked(Plan().BackupPlan);
  if (s.DebugOn) mnuToolsDebug->setChecked(*s.DebugOn);
  if (s.ShowCompiler) mnuToolsShowCompiler->setChecked(*s.ShowCompiler);
  g.UndoEnabled = s.Undo.value_or(false);
  mnuToolsUndoOn->setChecked(g.UndoEnabled);
  g.AircraftCheck = s.ACCheck.value_or(false);
  mnuToolsACCheck->setChecked(g.AircraftCheck);
  const std::pair<QCheckBox*, std::optional<bool>> boxes[] = {
      {ckOverwriteTailNumber, s.GenerateTailNumber}, {ckRemoveMinus, s.RemoveMinus},
      {ckCheckFL, s.CheckFL}, {ckIFRVFR, s.ChangeIFRVFR},
      {ckCheckVisitedAirports, s.CheckVisitedAirports}};
  for (const auto& [box, value] : boxes)
    if (value) box->setChecked(*value);

  g.MinTurnAround = s.MinTurnAround;
  const std::pair<int, QAction*> minItems[] = {{kTurnAroundOff, mnuTAOff}, {30, mnuTA30}, {45, mnuTA45},
                                               {60, mnuTA60}, {90, mnuTA90}, {120, mnuTA120}};
  for (const auto& [value, item] : minItems)
    if (value == g.MinTurnAround) item->setChecked(true);
  g.MaxTurnAround = s.MaxTurnAround;
  const std::pair<int, QAction*> maxItems[] = {{kTurnAroundOff, mnuMaxTAOff}, {1, mnuMaxTA1}, {2, mnuMaxTA2},
                                               {4, mnuMaxTA4}, {8, mnuMaxTA8}, {12, mnuMaxTA12},
                                               {18, mnuMaxTA18}, {24, mnuMaxTA24}};
  for (const auto& [value, item] : maxItems)
    if (value == g.MaxTurnAround) item->setChecked(true);

  g.CheckAircraftRange = s.CheckAircraftRange.value_or(false);
  g.CheckFlightLevels = s.CheckFlightLevels.value_or(false);
  g.CheckFlightTimes = s.CheckFlightTimes.value_or(false);
  g.StartNumber = s.StartNumber.value_or(0);
  txtStartNumber->setText(QString::number(g.StartNumber));
  txtStartNumber->selectAll();
  RecentFlightplans = s.RecentFlightplans;
  RecentProjects = s.RecentProjects;
  g.TimetableZone = s.TimetableZone;
  g.ExportZone = s.ExportZone;
  g.FlightEditZone = s.FlightEditZone;
}

QPoint frmMain::CentredPosition() const {
  QScreen* screen = QGuiApplication::primaryScreen();
  QRect area = screen ? screen->geometry() : QRect(0, 0, 800, 600);
  QSize outer = frameGeometry().size();
  return {area.left() + (area.width() - outer.width()) / 2,
          area.top() + (area.height() - outer.height()) / 2};
}

void frmMain::CentreOnScreen() { move(CentredPosition()); }

bool frmMain::ApplyPlacement() {
  QPoint centred = CentredPosition();
  int centredLeft = centred.x();
  int centredTop = centred.y();
  WindowPlacement p = ReadWindowPlacement(centredLeft, centredTop, width(), height());
  QRect wanted(p.Left, p.Top, p.Width, p.Height);
  // A place on a screen that is no longer there would leave the window out
  // of reach: it opens centred at its design size instead.
  bool reachable = false;
  for (QScreen* s : QGuiApplication::screens())
    if (s->availableGeometry().intersects(wanted)) reachable = true;
  centred_ = p.Centred || !reachable || p.Width <= 0 || p.Height <= 0;
  if (centred_) {
    move(centredLeft, centredTop);
  } else {
    move(p.Left, p.Top);
    resize(p.Width, p.Height);
  }
  return p.State == kWindowMaximised;
}

void frmMain::RefreshRecentFlightplansMenu() {
  bool any = false;
  for (int k = 0; k < 5; ++k) {
    const std::string& path = RecentFlightplans[k];
    QAction* item = mnuRecentFlightPlanItems[k];
    item->setVisible(!path.empty());
    if (path.empty()) continue;
    any = true;
    item->setText(FromPath(path).replace("&", "&&"));
    item->setData(FromPath(path));
  }
  mnuRecentFlightPlan->menuAction()->setEnabled(any);
}

void frmMain::RefreshRecentProjectsMenu() {
  bool any = false;
  for (int k = 0; k < 5; ++k) {
    const std::string& path = RecentProjects[k];
    QAction* item = mnuRecentProjectsItems[k];
    item->setVisible(!path.empty());
    if (path.empty()) continue;
    any = true;
    item->setText(FromPath(path).replace("&", "&&"));
    item->setData(FromPath(path));
  }
  mnuRecentProjects->menuAction()->setEnabled(any);
}

SettingsToSave frmMain::GatherSettings() const {
  const ProgramState& g = Program();
  SettingsToSave v;
  v.MainState = isMinimized() ? kWindowMinimised : isMaximized() ? kWindowMaximised : kWindowNormal;
  v.MainLeft = pos().x();
  v.MainTop = pos().y();
  v.MainWidth = width();
  v.MainHeight = height();
  v.MinTurnAround = g.MinTurnAround;
  v.MaxTurnAround = g.MaxTurnAround;
  v.BackupPlan = velk::Plan().BackupPlan;
  v.BackupAircraft = g.BackupAircraft;
  v.StartNumber = g.StartNumber;
  v.DebugOn = mnuToolsDebug->isChecked();
  v.ShowCompiler = mnuToolsShowCompiler->isChecked();
  v.Undo = g.UndoEnabled;
  v.ACCheck = g.AircraftCheck;
  v.RecentFlightplans = RecentFlightplans;
  v.RecentProjects = RecentProjects;
  v.TimetableZone = g.TimetableZone;
  v.ExportZone = g.ExportZone;
  v.FlightEditZone = g.FlightEditZone;
  // A greyed (partly checked) box counts as off.
  auto on = [](const QCheckBox* box) { return box->checkState() == Qt::Checked; };
  v.GenerateTailNumber = on(ckOverwriteTailNumber);
  v.RemoveMinus = on(ckRemoveMinus);
  v.CheckFL = on(ckCheckFL);
  v.ChangeIFRVFR = on(ckIFRVFR);
  v.CheckVisitedAirports = on(ckCheckVisitedAirports);
  v.CheckAircraftRange = g.CheckAircraftRange;
  v.CheckFlightLevels = g.CheckFlightLevels;
  v.CheckFlightTimes = g.CheckFlightTimes;
  return v;
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (closed_) {
    event->accept();
    return;
  }
  // A close while a long operation runs (or while the shut-down itself lets
  // events run) would pull the data from under it.
  if (closing_ || IsBusy()) {
    event->ignore();
    return;
  }
  closing_ = true;
  bool done = ShutDown();
  closing_ = false;
  if (!done) {
    event->ignore();
    return;
  }
  closed_ = true;
  event->accept();
}

bool frmMain::ShutDown() {
  UnloadProgress();
  if (tmrSplash->isActive()) {
    tmrSplash->stop();
    if (splash_) splash_->close();
  }

  // Each question: Yes saves first, No goes on, anything else keeps the
  // window open. A save that fails keeps it open too, so nothing is lost.
  bool busy = false;
  auto stay = [&] {
    if (busy) EndBusy();
    return false;
  };
  auto saveFirst = [&](const char* question, bool (frmMain::*save)()) {
    int answer = ShowMessageBox(question, kMbYesNoCancel | kMbIconQuestion, kProgramTitle, this);
    if (answer == kIdNo) return true;
    if (answer != kIdYes) return false;
    if (!busy) {
      BeginBusy();
      busy = true;
    }
    QCoreApplication::processEvents();
    return (this->*save)();
  };
  if (Program().PlanModified && !saveFirst("Save the modified Flightplan?", &frmMain::SaveFlightplan))
    return stay();
  if (projectTab_->ProjectModified() && !saveFirst(kSaveProjectQuestion, &frmMain::SaveProject))
    return stay();

  if (!busy) BeginBusy();
  QCoreApplication::processEvents();
  WriteStoredSettings(GatherSettings());

  frmProgress* progress = Progress();
  progress->SetCaption("Cleaning Memory...");
  progress->SetMax(2);
  progress->SetValue(1);
  progress->show();
  QCoreApplication::processEvents();

  ClearUndo();
  PlanState& plan = Plan();
  RegionRules().clear();
  CountryRules().clear();
  plan.Flights.clear();
  plan.PlanAircraftList.clear();
  plan.Airports.clear();
  plan.AirportIndex.Clear();
  plan.FSAircraftList.clear();
  projectTab_->Release();

  UnloadProgress();
  EndBusy();
  return true;
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  // Hidden pages keep whatever size they had when last shown (or none); the
  // controls follow the page that is on show.
  if (event->type() == QEvent::Resize && resizer_ && watched == tabMain->currentWidget()) {
    QSize page = tabMain->currentWidget()->size();
    // The tab widget shows a page at no size at all before it lays it out.
    if (page.isEmpty()) return QMainWindow::eventFilter(watched, event);
    if (!resizeReferenceKnown_) {
      // What the window adds around a page (menu, tab strip, status bar,
      // margins) does not change with its size, so the page had this size
      // when the window had the size the controls were mapped at.
      QSize reference = page - (size() - mappedAtSize_);
      resizer_->wParam(reference.width());
      resizer_->hParam(reference.height());
      resizeReferenceKnown_ = true;
    }
    resizer_->rSize(page);
  }
  return QMainWindow::eventFilter(watched, event);
}

frmProgress* frmMain::Progress() {
  if (!progress_) progress_ = new frmProgress(this);
  return progress_;
}

void frmMain::UnloadProgress() {
  if (!progress_) return;
  progress_->AllowClose();
  delete progress_.data();
}

void frmMain::BeginBusy() {
  if (busyDepth_++ > 0) return;
  busyFilter_ = new BusyInputFilter(this);
  qApp->installEventFilter(busyFilter_);
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void frmMain::EndBusy() {
  if (busyDepth_ == 0 || --busyDepth_ > 0) return;
  delete busyFilter_;
  busyFilter_ = nullptr;
  QApplication::restoreOverrideCursor();
}

void frmMain::SetStatusText(const QString& text) { statusPanel_->setText(text); }

QString frmMain::StatusText() const { return statusPanel_->text(); }

void frmMain::Reactivate() {
  // A dialog open over the main window (a modal editor whose command used
  // the progress window) keeps the focus; the main window comes forward
  // once nothing blocks it.
  if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this) {
    modal->raise();
    modal->activateWindow();
    return;
  }
  raise();
  activateWindow();
  // The window's own focus child, kept while the window was busy; a control
  // that was disabled or hidden meanwhile cannot have it back.
  QWidget* page = tabMain->currentWidget();
  auto canTake = [page](QWidget* w) {
    return w && page && page->isAncestorOf(w) && w->isEnabled() && w->isVisible() &&
           (w->focusPolicy() & Qt::TabFocus);
  };
  QWidget* target = focusWidget();
  if (!canTake(target)) target = TabFocusField();
  if (!canTake(target)) {
    target = nullptr;
    for (QWidget* w = page ? page->nextInFocusChain() : nullptr; w && w != page; w = w->nextInFocusChain()) {
      if (canTake(w)) {
        target = w;
        break;
      }
    }
  }
  if (target) target->setFocus(Qt::OtherFocusReason);
}

PlanState& frmMain::Plan() { return velk::Plan(); }

bool frmMain::UndoHeld() const { return undo_.Held(); }

void frmMain::ResetSearchResults() { searchTab_->ResetSearchResults(); }

void frmMain::ResetTimetable() { timetable_->Reset(); }

void frmMain::FillMoveAirports() { moveTab_->FillMoveAirports(); }

std::string frmMain::EditFlight(int index, bool& inWorkList, int selectLeg) {
  return velk::EditFlight(*this, Program(), index, inWorkList, selectLeg);
}

frmSplash* frmMain::Splash() const { return splash_.data(); }

int frmMain::SplashInterval() const { return tmrSplash->interval(); }

void frmMain::onSplashTimer() {
  tmrSplash->stop();
  if (splash_) splash_->close();
  QCoreApplication::processEvents();
}

void frmMain::ShowAbout() {
  auto* about = new frmAbout(this);
  about->setWindowModality(Qt::ApplicationModal);
  about->show();
}

void frmMain::UpdateShuffleTab() {
  mnuToolsFPAirportsTXT->setEnabled(true);
  mnuToolsCompileCurrent->setEnabled(true);
  cmdShuffle->setEnabled(true);
  cmdACTypeDat->setEnabled(true);
  cmdCalcStartNumber->setEnabled(true);
}

bool frmMain::SaveProject() { return projectTab_->SaveProjectCommand(); }

void frmMain::ConnectProjectCommands() {
  ProjectControls p;
  p.lvProject = lvProject;
  p.cmdProjectAdd = cmdProjectAdd;
  p.cmdProjectDelete = cmdProjectDelete;
  p.cmdProjectCompile = cmdProjectCompile;
  p.cmdProjectMerge = cmdProjectMerge;
  p.frProject = frProject;
  p.lblProjectDescription = lblProjectDescription;
  p.txtProjectDescription = txtProjectDescription;
  p.lblProjectFile = lblProjectFile;
  p.txtProjectFile = txtProjectFile;
  p.cmdProjectFile = cmdProjectFile;
  p.lblProjectAC = lblProjectAC;
  p.txtProjectAC = txtProjectAC;
  p.cmdProjectAC = cmdProjectAC;
  p.mnuFileNewProject = mnuFileNewProject;
  p.mnuFileOpenProject = mnuFileOpenProject;
  p.mnuFileSaveProject = mnuFileSaveProject;
  p.mnuFileSaveProjectAs = mnuFileSaveProjectAs;
  p.mnuToolsShowCompiler = mnuToolsShowCompiler;
  projectTab_ = std::make_unique<ProjectTab>(p, *this);
  connect(projectTab_.get(), &ProjectTab::RecentProject, this, &frmMain::AddRecentProject);
  for (QAction* item : mnuRecentProjectsItems)
    connect(item, &QAction::triggered, this, [this, item] {
      if (!IsBusy()) projectTab_->LoadProject(ToPath(item->data().toString()).string());
    });

  CompileControls c;
  c.mnuToolsCompileCurrent = mnuToolsCompileCurrent;
  c.mnuToolsCompile = mnuToolsCompile;
  c.mnuToolsDecompile = mnuToolsDecompile;
  c.mnuToolsShowCompiler = mnuToolsShowCompiler;
  compileCommands_ = std::make_unique<CompileCommands>(c, *this);
}

void frmMain::ConnectTrafficCommands() {
  ShuffleControls s;
  s.txtStartNumber = txtStartNumber;
  s.cmdCalcStartNumber = cmdCalcStartNumber;
  s.ckOverwriteTailNumber = ckOverwriteTailNumber;
  s.ckRemoveMinus = ckRemoveMinus;
  s.ckCheckFL = ckCheckFL;
  s.ckIFRVFR = ckIFRVFR;
  s.ckCheckVisitedAirports = ckCheckVisitedAirports;
  s.cmdShuffle = cmdShuffle;
  s.cmdACTypeDat = cmdACTypeDat;
  shuffleTab_ = std::make_unique<ShuffleTab>(s, *this);

  MoveControls m;
  m.tvMoveAircrafts = tvMoveAircrafts;
  m.cmSource = cmSource;
  m.cmDest = cmDest;
  m.cmdMove = cmdMove;
  m.cmdMovePercent = cmdMovePercent;
  m.cmdMoveSave = cmdMoveSave;
  m.cmdMoveLoad = cmdMoveLoad;
  m.cmdMoveExecute = cmdMoveExecute;
  moveTab_ = std::make_unique<MoveTab>(m, *this);

  CorrectionControls c;
  c.mnuToolsCheckFL = mnuToolsCheckFL;
  c.mnuToolsRandFlightNumbers = mnuToolsRandFlightNumbers;
  c.mnuToolsRandPerc = mnuToolsRandPerc;
  c.mnuToolsRandPlan = mnuToolsRandPlan;
  c.mnuToolsRemoveMinus = mnuToolsRemoveMinus;
  corrections_ = std::make_unique<CorrectionCommands>(c, *this);
}

}  // namespace velk
