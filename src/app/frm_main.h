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

#include "app/settings_list.h"

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
class QTreeWidget;

namespace velk {

class cResize;
class frmProgress;
class frmSplash;

class frmMain : public QMainWindow {
  Q_OBJECT
 public:
  // The area of a tab page the controls were designed for; the resize map
  // moves them by the page's difference from it.
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
  std::filesystem::path ProgramFolder() const;
  void SetProgramFolder(const std::filesystem::path& folder) { programFolder_ = folder; }

  // A flight plan named on the command line, opened once the window is up.
  void SetCommandLinePlan(const std::string& path) { commandLinePlan_ = path; }
  const std::string& CommandLinePlan() const { return commandLinePlan_; }

  // The shared progress window. Touching it loads it (placed over the
  // middle of this window) when it is not loaded; unloading discards it, so
  // the next touch starts from its design values.
  frmProgress* Progress();
  void UnloadProgress();
  bool ProgressLoaded() const { return !progress_.isNull(); }

  // While busy the window takes no user input (mouse, keys, shortcuts), the
  // pointer is the hourglass and a close request is refused; message boxes
  // and the progress window are not affected. Calls nest.
  void BeginBusy();
  void EndBusy();
  bool IsBusy() const { return busyDepth_ > 0; }

  void SetStatusText(const QString& text);
  QString StatusText() const;

  // Raises the window and gives it the focus again after a dialog.
  void reactivate();

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
  void UpdateShuffleTab();
  // Saving on closing. False when nothing was saved; the close then stops so
  // that no change is lost.
  virtual bool SaveFlightplan();
  virtual bool SaveProject();

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
  QTreeWidget* lvExPreview = nullptr;
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

  // Resizer of the tab pages' controls; exists from start-up on.
  cResize* Resizer() const { return resizer_.get(); }

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
  QPointer<frmProgress> progress_;
  QPointer<frmSplash> splash_;
  QLabel* statusPanel_ = nullptr;
  QObject* busyFilter_ = nullptr;
  int busyDepth_ = 0;
  bool closing_ = false;
  bool closed_ = false;
  bool centred_ = false;
};

}  // namespace velk
