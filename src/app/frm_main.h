#pragma once
// The main window: its tabs, menus and status bar, the start-up that brings
// the program up and the shut-down that takes it down. The controls keep the
// names the rest of the program knows them by (also as objectName), so every
// feature finds its buttons and lists here.
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/plan_undo.h"
#include "app/settings_list.h"
#include "gui/aircraft_tree.h"
#include "gui/plan_host.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class QTimer;
class QTreeView;
class QTreeWidget;

namespace velk {

class cResize;
class CompileCommands;
class CorrectionCommands;
class MoveTab;
class ShuffleTab;
class frmProgress;
class frmSplash;
class AirportTools;
class TimetableTab;
class SearchTab;
struct SearchControls;
class ProjectTab;

class frmMain : public QMainWindow, public PlanHost {
  Q_OBJECT
 public:
  // About the area of a tab page the controls were designed for; the window
  // opens at the size that gives it. The resize map measures the page.
  static constexpr int kDesignPageWidth = 760;
  static constexpr int kDesignPageHeight = 470;
  static constexpr int kMinWidth = 550;
  static constexpr int kMinHeight = 400;
  static constexpr int kMaxWidth = 10000;
  static constexpr int kMaxHeight = 10000;

  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  // Brings the program up: settings, configuration files, resize map,
  // zones, placement, then shows the window and the splash. False when a
  // configuration file could not be read (its reader has told the user): the
  // program must end then, and nothing has been shown or stored.
  bool StartUp();

  // Readers of the program folder's configuration files, in start-up order.
  using ConfigReader = std::function<bool(const std::filesystem::path& programFolder)>;
  static std::vector<ConfigReader> ConfigurationReaders();
  void SetConfigurationReaders(std::vector<ConfigReader> readers) { configReaders_ = std::move(readers); }

  // Folder of the configuration files, help pages and console programs: the
  // folder of the running executable unless set otherwise.
  std::filesystem::path ProgramFolder() const override;
  void SetProgramFolder(const std::filesystem::path& folder) { programFolder_ = folder; }

  // A flight plan named on the command line, opened once the window is up.
  void SetCommandLinePlan(const std::string& path) { commandLinePlan_ = path; }
  const std::string& CommandLinePlan() const { return commandLinePlan_; }

  // The shared progress window. Touching it loads it (placed over the
  // middle of this window) when it is not loaded; unloading discards it, so
  // the next touch starts from its design values.
  frmProgress* Progress() override;
  void UnloadProgress() override;
  bool ProgressLoaded() const { return !progress_.isNull(); }

  // While busy the window takes no user input (mouse, keys, shortcuts), the
  // pointer is the hourglass and a close request is refused; message boxes
  // and the progress window are not affected. Calls nest.
  void BeginBusy() override;
  void EndBusy() override;
  bool IsBusy() const override { return busyDepth_ > 0; }

  void SetStatusText(const QString& text) override;
  QString StatusText() const;

  // Raises the window and gives the focus back after a dialog or long work:
  // to the control that had it, when it can still take it, else to the
  // current tab's focus field (or its first control).
  void Reactivate() override;

  // ---- PlanHost --------------------------------------------------------------
  PlanState& Plan() override;
  QWidget* Window() override { return this; }
  bool UndoHeld() const override;
  void ResetSearchResults() override;
  void ResetTimetable() override;
  void FillMoveAirports() override;
  std::string EditFlight(int index, bool& inWorkList, int selectLeg) override;

  // The splash window while it is open, else null.
  frmSplash* Splash() const;
  int SplashInterval() const;
  // Closes the splash; the splash timer runs it.
  void onSplashTimer();

  // The about window, modal over this window.
  void ShowAbout();

  // The recent-file lists as the File menu shows them.
  RecentList RecentFlightplans;
  RecentList RecentProjects;
  void RefreshRecentFlightplansMenu();
  void RefreshRecentProjectsMenu();

  // Enables the commands that need a loaded plan on the Shuffle tab and in
  // the Tools menu; called after every replacement of the plan.
  void UpdateShuffleTab() override;
  // Saving on closing. False when nothing was saved; the close then stops so
  // that no change is lost.
  bool SaveFlightplan() override;
  // File > Save Project (Save As for a project without a file); false when
  // nothing was saved.
  virtual bool SaveProject();

  // ---- The plan: opening, saving, undo, recent files -----------------------
  // Opens a flight plan with the Aircraft.txt and Airports.txt beside it and
  // the installed aircraft; an empty path asks for the file.
  void LoadFlightplan(const std::string& path);
  // The file dialogs of the window: the chosen path, "" when cancelled.
  std::string ShowOpenDialog(const std::string& title, const std::string& initDir,
                             const std::string& filter, int filterIndex,
                             const std::string& fileName, int flags);
  std::string ShowSaveDialog(const std::string& title, const std::string& initDir,
                             const std::string& filter, int filterIndex,
                             const std::string& fileName, const std::string& defaultExt,
                             int flags);
  // Every change of the flights or plan aircraft ends here: the plan is
  // marked modified and can be saved.
  void MarkPlanModified() override;
  // One level of undo. Features that change the plan call SaveUndo just
  // before the change.
  void SaveUndo() override;
  void ClearUndo();
  void Undo();
  const PlanUndo& UndoCopy() const { return undo_; }
  void AddRecentFlightplan(const std::string& path);
  void AddRecentProject(const std::string& path);

  // ---- Aircraft trees ------------------------------------------------------
  // The trees' contents; tvShuffleAircraft and tvMoveAircrafts show them.
  AircraftTree& ShuffleTree() { return shuffleTree_; }
  AircraftTree& MoveTree() { return moveTree_; }
  // Fills both trees again from the installed and the plan aircraft.
  void RebuildAircraftTrees() override;
  AircraftTree& AircraftTreeOf(AircraftTreeKind kind) override {
    return kind == AircraftTreeKind::Shuffle ? shuffleTree_ : moveTree_;
  }
  // A view chooser changed: rebuilds its tree when there is a plan.
  void RebuildAircraftTree(QTreeWidget* tree);
  // The user (or code) set the check box of a node of `tree`.
  void NodeCheck(QTreeWidget* tree, int node);
  // Pointer over a tree: sets the tree's tooltip. A released mouse button:
  // the right one pops up the Select menu while the plan has flights.
  void TreeMouseMove(QTreeWidget* tree, const QPoint& position);
  void TreeMouseUp(QTreeWidget* tree, Qt::MouseButton button, const QPoint& position);
  // Shows the trees' state (checks, colours, tags) in the two widgets.
  void ShowAircraftTrees();
  // "&Select Aircraft to use for the Flightplan (n aircraft selected)".
  void UpdateShuffleAircraftLabel();

  // ---- Tabs and selection ---------------------------------------------------
  // The switch to the selected tab: its default button and focus.
  void ShowSelectedTab();
  // The current tab's field that takes the focus after a switch or long
  // work; null for a tab without one.
  QWidget* TabFocusField() const;
  // Selects the tab of `key` ("SHUFFLE", "MOVE", "EXPORT", "TIMETABLE",
  // "PROJECT") and switches to it.
  void SelectTab(const QString& key) override;
  QPushButton* DefaultButton() const { return defaultButton_; }
  void DeselectAllSearchResults();
  void DeselectAllTimetable();
  void DeselectAllProjects();
  // The Select pop-up's commands, on the list or tree that raised it (or,
  // without one, the control with the focus).
  void SelectAllCommand();
  void DeselectAllCommand();
  void InverseSelectionCommand();
  // Delete and Insert released over lvExPreview or lvProject.
  void KeyReleased(int key);

  // ---- Menus ---------------------------------------------------------------
  QMenu* mnuFile = nullptr;
  QAction* mnuFileLoad = nullptr;
  QAction* mnuFileSave = nullptr;
  QAction* mnuFileSaveAs = nullptr;
  QAction* mnuFileNewProject = nullptr;
  QAction* mnuFileOpenProject = nullptr;
  QAction* mnuFileSaveProject = nullptr;
  QAction* mnuFileSaveProjectAs = nullptr;
  QMenu* mnuRecentFlightPlan = nullptr;
  std::array<QAction*, 5> mnuRecentFlightPlanItems{};  // mnuRecentFlightPlan1..5
  QMenu* mnuRecentProjects = nullptr;
  std::array<QAction*, 5> mnuRecentProjectsItems{};  // mnuRecentProjects1..5
  QAction* mnuFileExit = nullptr;

  QMenu* mnuTools = nullptr;
  QAction* mnuToolsUndo = nullptr;
  QMenu* mnuToolsSwitches = nullptr;
  QAction* mnuToolsShowCompiler = nullptr;
  QAction* mnuToolsDebug = nullptr;
  QAction* mnuToolsUndoOn = nullptr;
  QAction* mnuToolsACCheck = nullptr;
  QMenu* mnuTA = nullptr;
  QAction* mnuTAOff = nullptr;
  QAction* mnuTA30 = nullptr;
  QAction* mnuTA45 = nullptr;
  QAction* mnuTA60 = nullptr;
  QAction* mnuTA90 = nullptr;
  QAction* mnuTA120 = nullptr;
  QMenu* mnuMaxTA = nullptr;
  QAction* mnuMaxTAOff = nullptr;
  QAction* mnuMaxTA1 = nullptr;
  QAction* mnuMaxTA2 = nullptr;
  QAction* mnuMaxTA4 = nullptr;
  QAction* mnuMaxTA8 = nullptr;
  QAction* mnuMaxTA12 = nullptr;
  QAction* mnuMaxTA18 = nullptr;
  QAction* mnuMaxTA24 = nullptr;
  QAction* mnuToolsBackupPlan = nullptr;
  QAction* mnuToolsBackupAircraft = nullptr;
  QAction* mnuToolsEditPlanAircraft = nullptr;
  QAction* mnuToolsRemoveMinus = nullptr;
  QAction* mnuToolsRandPerc = nullptr;
  QAction* mnuToolsRandFlightNumbers = nullptr;
  QAction* mnuToolsRandPlan = nullptr;
  QAction* mnuToolsCheckFL = nullptr;
  QAction* mnuToolsCheckFT = nullptr;
  QMenu* mnuToolsReports = nullptr;
  QAction* mnuReportsNotFound = nullptr;
  QAction* mnuReportsDuplicateFlights = nullptr;
  QAction* mnuReportsUnknownAirports = nullptr;
  QAction* mnuReportsWrongFL = nullptr;
  QAction* mnuReportsWrongTime = nullptr;
  QAction* mnuToolsCompileCurrent = nullptr;
  QAction* mnuToolsCompile = nullptr;
  QAction* mnuToolsDecompile = nullptr;
  QAction* mnuToolsFPAirportsTXT = nullptr;
  QAction* mnuToolsAirportsTXT = nullptr;
  QAction* mnuToolsAirlinesCFG = nullptr;
  QAction* mnuToolsAircraftEditor = nullptr;
  QAction* mnuToolsAirportSearch = nullptr;
  QAction* mnuToolsAirportDistance = nullptr;
  QAction* mnuToolsResizeGates = nullptr;
  QAction* mnuToolsDeleteCache = nullptr;

  QMenu* mnuHelp = nullptr;
  QAction* mnuHelpContents = nullptr;
  QAction* mnuHelpSearchForHelpOn = nullptr;
  QAction* mnuHelpAbout = nullptr;

  // Pop-up only, never in the menu bar.
  QMenu* mnuSelect = nullptr;
  QAction* mnuSelectAll = nullptr;
  QAction* mnuDeselectAll = nullptr;
  QAction* mnuInverseSelection = nullptr;

  // ---- Window-level controls -----------------------------------------------
  QTabWidget* tabMain = nullptr;
  QStatusBar* sbMain = nullptr;
  QTimer* tmrSplash = nullptr;

  // ---- Shuffle tab ---------------------------------------------------------
  QWidget* picShuffle = nullptr;
  QLabel* lblShuffleAircraft = nullptr;
  QTreeWidget* tvShuffleAircraft = nullptr;
  QLabel* lblShufflerView = nullptr;
  QComboBox* cmShufflerView = nullptr;
  QLabel* lblStartNumber = nullptr;
  QLineEdit* txtStartNumber = nullptr;
  QPushButton* cmdCalcStartNumber = nullptr;
  QCheckBox* ckOverwriteTailNumber = nullptr;
  QCheckBox* ckRemoveMinus = nullptr;
  QCheckBox* ckCheckFL = nullptr;
  QCheckBox* ckIFRVFR = nullptr;
  QCheckBox* ckCheckVisitedAirports = nullptr;
  QPushButton* cmdShuffle = nullptr;
  QPushButton* cmdACTypeDat = nullptr;

  // ---- Move tab ------------------------------------------------------------
  QWidget* picMove = nullptr;
  QLabel* lblMoveView = nullptr;
  QComboBox* cmMoveView = nullptr;
  QLabel* lblMoveAircrafts = nullptr;
  QTreeWidget* tvMoveAircrafts = nullptr;
  QLabel* lblSource = nullptr;
  QComboBox* cmSource = nullptr;
  QLabel* lblDest = nullptr;
  QComboBox* cmDest = nullptr;
  QPushButton* cmdMove = nullptr;
  QPushButton* cmdMovePercent = nullptr;
  QPushButton* cmdMoveSave = nullptr;
  QPushButton* cmdMoveLoad = nullptr;
  QPushButton* cmdMoveExecute = nullptr;

  // ---- Export/Search tab ---------------------------------------------------
  QWidget* picExport = nullptr;
  QLabel* lblExDeparture = nullptr;
  QLineEdit* txtExDeparture = nullptr;
  QLabel* lblExLeg = nullptr;
  QLineEdit* txtExLeg = nullptr;
  QLabel* lblExContinent = nullptr;
  QLineEdit* txtExContinent = nullptr;
  QLabel* lblExCountry = nullptr;
  QLineEdit* txtExCountry = nullptr;
  QLabel* lblExAirline = nullptr;
  QLineEdit* txtExAirline = nullptr;
  QLabel* lblExportAircraft = nullptr;
  QComboBox* cmExportAircraft = nullptr;
  QLabel* lblExClass = nullptr;
  QComboBox* cmExClass = nullptr;
  QLabel* lblExZone = nullptr;
  QComboBox* cmExZone = nullptr;
  QGroupBox* frIFRVFR = nullptr;
  QCheckBox* ckExportIFR = nullptr;
  QCheckBox* ckExportVFR = nullptr;
  QGroupBox* frSearchType = nullptr;
  QRadioButton* opANDSearch = nullptr;
  QRadioButton* opORSearch = nullptr;
  QLabel* lblExPreview = nullptr;
  QTreeView* lvExPreview = nullptr;
  QPushButton* cmdEditFlight = nullptr;
  QPushButton* cmdAddFlight = nullptr;
  QPushButton* cmdDeleteFlight = nullptr;
  QPushButton* cmdPreview = nullptr;
  QPushButton* cmdExport = nullptr;
  QPushButton* cmdExportRemainder = nullptr;
  QPushButton* cmdExportPrint = nullptr;

  // ---- Timetable tab -------------------------------------------------------
  QWidget* picTimetable = nullptr;
  QLabel* lblTTAirport = nullptr;
  QLineEdit* txtTTAirport = nullptr;
  QLabel* lblTTDay = nullptr;
  QComboBox* cmTTDay = nullptr;
  QLabel* lblTTStart = nullptr;
  QLineEdit* txtTTStart = nullptr;
  QLabel* lblTTEnd = nullptr;
  QLineEdit* txtTTEnd = nullptr;
  QLabel* lblTTPercent = nullptr;
  QLineEdit* txtTTPercent = nullptr;
  QCheckBox* ckTTIFR = nullptr;
  QCheckBox* ckTTVFR = nullptr;
  QCheckBox* ckTTArrival = nullptr;
  QCheckBox* ckTTDeparture = nullptr;
  QLabel* lblTTZone = nullptr;
  QComboBox* cmTTZone = nullptr;
  QLabel* lblTTPreview = nullptr;
  QTreeWidget* lvTimetable = nullptr;
  QPushButton* cmdTTShow = nullptr;
  QPushButton* cmdTTPrint = nullptr;
  QPushButton* cmdTTSave = nullptr;
  QPushButton* cmdTTStatistics = nullptr;

  // ---- Project tab ---------------------------------------------------------
  QWidget* picProject = nullptr;
  QLabel* lblProject = nullptr;
  QTreeWidget* lvProject = nullptr;
  QGroupBox* frProject = nullptr;
  QWidget* picProjectDummy = nullptr;
  QLabel* lblProjectDescription = nullptr;
  QLineEdit* txtProjectDescription = nullptr;
  QLabel* lblProjectFile = nullptr;
  QLineEdit* txtProjectFile = nullptr;
  QPushButton* cmdProjectFile = nullptr;
  QLabel* lblProjectAC = nullptr;
  QLineEdit* txtProjectAC = nullptr;
  QPushButton* cmdProjectAC = nullptr;
  QPushButton* cmdProjectCompile = nullptr;
  QPushButton* cmdProjectMerge = nullptr;
  QPushButton* cmdProjectAdd = nullptr;
  QPushButton* cmdProjectDelete = nullptr;

  // The Timetable tab's controller.
  TimetableTab* Timetable() const { return timetable_.get(); }
  // The airport tools of the Tools menu.
  AirportTools* AirportToolWindows() const { return airportTools_.get(); }

  // Resizer of the tab pages' controls; exists from start-up on.
  cResize* Resizer() const { return resizer_.get(); }

  // The Export/Search tab's controller.
  SearchTab& ExportSearchTab() const { return *searchTab_; }
  // The controllers of the other tabs and of the Tools menu's command groups.
  ProjectTab* Projects() const { return projectTab_.get(); }
  CompileCommands* Compiling() const { return compileCommands_.get(); }
  MoveTab* Moves() const { return moveTab_.get(); }
  ShuffleTab* Shuffles() const { return shuffleTab_.get(); }
  CorrectionCommands* Corrections() const { return corrections_.get(); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  void BuildShuffleTab();
  void BuildMoveTab();
  void BuildExportTab();
  void BuildTimetableTab();
  void BuildProjectTab();
  SearchControls ExportTabControls() const;
  // Creates the tab controllers and attaches the menus that reach them.
  void ConnectTabControllers();
  // Attaches the plan, tree, tab, selection and switch commands.
  void ConnectPlanCommands();
  void ConnectProjectCommands();
  // The Shuffle and Move tabs and the Tools menu's corrections.
  void ConnectTrafficCommands();
  void ConnectSwitchCommands();
  void SaveFlightplanCommand();
  void SaveFlightplanAsCommand();
  // Sets the controls for a plan that is being opened, and for none.
  void DisablePlanCommands();
  void EnterNoPlanState();
  QWidget* SelectTarget() const;
  // The aircraft tree `target` is, or null.
  QTreeWidget* SelectTree(QWidget* target) const;
  void ApplyStoredSettings(const StoredSettings& stored);
  // Moves and sizes the window as stored; true when it is to open maximised.
  bool ApplyPlacement();
  QPoint CentredPosition() const;
  void CentreOnScreen();
  SettingsToSave GatherSettings() const;
  // The unload steps; false when the user or a failed save keeps the
  // window open.
  bool ShutDown();

  std::vector<ConfigReader> configReaders_;
  std::filesystem::path programFolder_;
  std::string commandLinePlan_;
  std::unique_ptr<cResize> resizer_;
  // The window's size when the controls were mapped (its design size); the
  // resize reference is the tab page's size at that window size, measured
  // once the page is laid out.
  QSize mappedAtSize_;
  bool resizeReferenceKnown_ = false;
  // Tab controllers: members, so they go before the controls they use.
  std::unique_ptr<SearchTab> searchTab_;
  std::unique_ptr<ProjectTab> projectTab_;
  std::unique_ptr<CompileCommands> compileCommands_;
  std::unique_ptr<ShuffleTab> shuffleTab_;
  std::unique_ptr<MoveTab> moveTab_;
  std::unique_ptr<CorrectionCommands> corrections_;
  QPointer<frmProgress> progress_;
  QPointer<frmSplash> splash_;
  QLabel* statusPanel_ = nullptr;
  QObject* busyFilter_ = nullptr;
  int busyDepth_ = 0;
  bool closing_ = false;
  bool closed_ = false;
  bool centred_ = false;

  AircraftTree shuffleTree_{AircraftTreeKind::Shuffle};
  AircraftTree moveTree_{AircraftTreeKind::Move};
  PlanUndo undo_;
  // True while a tree's check handling runs; the widgets' own check signals
  // are not handled meanwhile.
  bool NodeCheckBusy = false;
  QPushButton* defaultButton_ = nullptr;
  QPointer<QWidget> selectTarget_;
  bool selectingTab_ = false;
  // Tab controllers; they go before the controls they were handed.
  std::unique_ptr<TimetableTab> timetable_;
  std::unique_ptr<AirportTools> airportTools_;
};

}  // namespace velk
