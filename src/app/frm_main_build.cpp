// Building the main window's menus, tabs and controls at their design
// places. Behaviour is attached by the features that own the controls.
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/frm_main.h"
#include "airport_tools/ui/airport_tools.h"
#include "timetable/ui/timetable_tab.h"
#include "platform/qt/qt_text.h"
#include "search/ui/search_tab.h"

namespace velk {
namespace {

template <class W>
W* Place(W* widget, const char* name, int x, int y, int w, int h) {
  widget->setObjectName(name);
  widget->setGeometry(x, y, w, h);
  return widget;
}

QLabel* Label(QWidget* parent, const char* name, const QString& text, int x, int y, int w,
              int h = 18) {
  return Place(new QLabel(text, parent), name, x, y, w, h);
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text, int x, int y, int w,
                    int h = 28, bool enabled = false) {
  auto* b = Place(new QPushButton(text, parent), name, x, y, w, h);
  b->setAutoDefault(false);
  b->setEnabled(enabled);
  return b;
}

QCheckBox* Check(QWidget* parent, const char* name, const QString& text, int x, int y, int w,
                 bool checked = false) {
  auto* c = Place(new QCheckBox(text, parent), name, x, y, w, 20);
  c->setChecked(checked);
  return c;
}

QLineEdit* Text(QWidget* parent, const char* name, int x, int y, int w, int maxLength = 0) {
  auto* t = Place(new QLineEdit(parent), name, x, y, w, 24);
  if (maxLength > 0) t->setMaxLength(maxLength);
  return t;
}

QComboBox* Combo(QWidget* parent, const char* name, const QStringList& items, int x, int y,
                 int w) {
  auto* c = Place(new QComboBox(parent), name, x, y, w, 24);
  c->addItems(items);
  c->setMaxVisibleItems(20);
  return c;
}

QTreeWidget* Tree(QWidget* parent, const char* name, int x, int y, int w, int h) {
  auto* t = Place(new QTreeWidget(parent), name, x, y, w, h);
  t->setHeaderHidden(true);
  t->setColumnCount(1);
  return t;
}

// A report-style list: one row per entry, no tree lines; `multi` lets the
// user select several rows.
template <class List>
List* ReportList(QWidget* parent, const char* name, bool multi, int x, int y, int w, int h) {
  auto* t = Place(new List(parent), name, x, y, w, h);
  t->setRootIsDecorated(false);
  t->setUniformRowHeights(true);
  t->setAllColumnsShowFocus(true);
  t->header()->setSectionsMovable(false);
  t->setSelectionMode(multi ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
  return t;
}

QTreeWidget* ListView(QWidget* parent, const char* name, const QStringList& headers, bool multi,
                      int x, int y, int w, int h) {
  auto* t = ReportList<QTreeWidget>(parent, name, multi, x, y, w, h);
  t->setHeaderLabels(headers);
  return t;
}

// The same for rows that come from a model.
QTreeView* ModelListView(QWidget* parent, const char* name, int x, int y, int w, int h) {
  auto* t = ReportList<QTreeView>(parent, name, true, x, y, w, h);
  t->setItemsExpandable(false);
  t->setSelectionBehavior(QAbstractItemView::SelectRows);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  return t;
}

QStringList ZoneItems() {
  QStringList items;
  for (const auto& z : DisplayZones()) items << FromPlanText(z);
  return items;
}

}  // namespace

void frmMain::BuildMenus() {
  auto action = [this](QMenu* menu, const char* name, const QString& text,
                       const QKeySequence& shortcut = {}, bool enabled = true,
                       bool checkable = false) {
    auto* a = new QAction(text, this);
    a->setObjectName(name);
    a->setShortcut(shortcut);
    a->setEnabled(enabled);
    a->setCheckable(checkable);
    menu->addAction(a);
    return a;
  };
  auto submenu = [this](QMenu* parent, const char* name, const QString& text) {
    auto* m = new QMenu(text, this);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    if (parent) parent->addMenu(m);
    return m;
  };
  auto separator = [this](QMenu* menu, const char* name) {
    QAction* s = menu->addSeparator();
    s->setParent(this);
    s->setObjectName(name);
  };

  mnuFile = submenu(nullptr, "mnuFile", "&File");
  menuBar()->addMenu(mnuFile);
  mnuFileLoad = action(mnuFile, "mnuFileLoad", "&Open Flightplan", QKeySequence("Ctrl+O"));
  mnuFileSave = action(mnuFile, "mnuFileSave", "&Save Flightplan", QKeySequence("Ctrl+S"), false);
  mnuFileSaveAs = action(mnuFile, "mnuFileSaveAs", "S&ave Flightplan as...", {}, false);
  separator(mnuFile, "mnuFile_1");
  mnuFileNewProject = action(mnuFile, "mnuFileNewProject", "&New Project", QKeySequence("Ctrl+N"));
  mnuFileOpenProject = action(mnuFile, "mnuFileOpenProject", "Open &Project");
  mnuFileSaveProject = action(mnuFile, "mnuFileSaveProject", "Sa&ve Project", {}, false);
  mnuFileSaveProjectAs = action(mnuFile, "mnuFileSaveProjectAs", "Sav&e Project as...", {}, false);
  separator(mnuFile, "mnuFile_2");
  mnuRecentFlightPlan = submenu(mnuFile, "mnuRecentFlightPlan", "Recent Flightplans");
  mnuRecentProjects = submenu(mnuFile, "mnuRecentProjects", "&Recent Projects");
  for (int k = 0; k < 5; ++k) {
    std::string planName = "mnuRecentFlightPlan" + std::to_string(k + 1);
    std::string projectName = "mnuRecentProjects" + std::to_string(k + 1);
    QString caption = QString::number(k + 1);
    mnuRecentFlightPlanItems[k] =
        action(mnuRecentFlightPlan, planName.c_str(), caption, QKeySequence(Qt::CTRL | (Qt::Key_F5 + k)));
    mnuRecentProjectsItems[k] = action(mnuRecentProjects, projectName.c_str(), caption,
                                       QKeySequence(Qt::SHIFT | (Qt::Key_F5 + k)));
    mnuRecentFlightPlanItems[k]->setVisible(k == 0);
    mnuRecentProjectsItems[k]->setVisible(k == 0);
  }
  mnuRecentFlightPlan->menuAction()->setEnabled(false);
  mnuRecentProjects->menuAction()->setEnabled(false);
  separator(mnuFile, "mnuFile_3");
  mnuFileExit = action(mnuFile, "mnuFileExit", "E&xit");
  connect(mnuFileExit, &QAction::triggered, this, &QWidget::close);

  mnuTools = submenu(nullptr, "mnuTools", "&Tools");
  menuBar()->addMenu(mnuTools);
  mnuToolsUndo = action(mnuTools, "mnuToolsUndo", "&Undo", QKeySequence("Ctrl+Z"), false);
  mnuToolsSwitches = submenu(mnuTools, "mnuToolsSwitches", "&Switches");
  mnuToolsShowCompiler = action(mnuToolsSwitches, "mnuToolsShowCompiler", "&Show Compiler", {}, true, true);
  mnuToolsDebug = action(mnuToolsSwitches, "mnuToolsDebug", "&Debug On/Off", {}, true, true);
  mnuToolsUndoOn = action(mnuToolsSwitches, "mnuToolsUndoOn", "&Undo On/Off", {}, true, true);
  mnuToolsACCheck = action(mnuToolsSwitches, "mnuToolsACCheck", "&Aircraft check On/Off", {}, true, true);
  separator(mnuToolsSwitches, "mnuToolsSwitches_1");
  mnuTA = submenu(mnuToolsSwitches, "mnuTA", "Minimum Turn-Around");
  mnuTAOff = action(mnuTA, "mnuTAOff", "Off", {}, true, true);
  mnuTA30 = action(mnuTA, "mnuTA30", "30 Minutes", {}, true, true);
  mnuTA45 = action(mnuTA, "mnuTA45", "45 Minutes", {}, true, true);
  mnuTA60 = action(mnuTA, "mnuTA60", "60 Minutes", {}, true, true);
  mnuTA90 = action(mnuTA, "mnuTA90", "90 Minutes", {}, true, true);
  mnuTA120 = action(mnuTA, "mnuTA120", "120 Minutes", {}, true, true);
  mnuMaxTA = submenu(mnuToolsSwitches, "mnuMaxTA", "Maximum Turn-Around");
  mnuMaxTAOff = action(mnuMaxTA, "mnuMaxTAOff", "Off", {}, true, true);
  mnuMaxTA1 = action(mnuMaxTA, "mnuMaxTA1", "1 hour", {}, true, true);
  mnuMaxTA2 = action(mnuMaxTA, "mnuMaxTA2", "2 Hours", {}, true, true);
  mnuMaxTA4 = action(mnuMaxTA, "mnuMaxTA4", "4 Hours", {}, true, true);
  mnuMaxTA8 = action(mnuMaxTA, "mnuMaxTA8", "8 Hours", {}, true, true);
  mnuMaxTA12 = action(mnuMaxTA, "mnuMaxTA12", "12 Hours", {}, true, true);
  mnuMaxTA18 = action(mnuMaxTA, "mnuMaxTA18", "18 Hours", {}, true, true);
  mnuMaxTA24 = action(mnuMaxTA, "mnuMaxTA24", "24 Hours", {}, true, true);
  // One check per turn-around submenu.
  for (QMenu* m : {mnuTA, mnuMaxTA}) {
    auto* group = new QActionGroup(m);
    group->setExclusive(true);
    for (QAction* a : m->actions()) group->addAction(a);
  }
  separator(mnuToolsSwitches, "mnuToolsSwitches_2");
  mnuToolsBackupPlan = action(mnuToolsSwitches, "mnuToolsBackupPlan", "Backup Flightplan related files", {}, true, true);
  mnuToolsBackupAircraft = action(mnuToolsSwitches, "mnuToolsBackupAircraft", "Backup Aircraft related files", {}, true, true);
  separator(mnuTools, "mnuTools_1");
  // Commands on the loaded plan stay disabled until a plan is open.
  mnuToolsEditPlanAircraft = action(mnuTools, "mnuToolsEditPlanAircraft", "Flight Plan Aircraft Editor", {}, false);
  mnuToolsRemoveMinus = action(mnuTools, "mnuToolsRemoveMinus", "&Remove char '-' from all Tail numbers", {}, false);
  mnuToolsRandPerc = action(mnuTools, "mnuToolsRandPerc", "Randomize AI percentage", {}, false);
  mnuToolsRandFlightNumbers = action(mnuTools, "mnuToolsRandFlightNumbers", "Randomize Flight Numbers", {}, false);
  mnuToolsRandPlan = action(mnuTools, "mnuToolsRandPlan", "Randomize Flight Plan order", {}, false);
  mnuToolsCheckFL = action(mnuTools, "mnuToolsCheckFL", "Correct Flight Le&vels", {}, false);
  mnuToolsCheckFT = action(mnuTools, "mnuToolsCheckFT", "Correct Flight &Times", {}, false);
  mnuToolsReports = submenu(mnuTools, "mnuToolsReports", "Analyze");
  mnuToolsReports->menuAction()->setEnabled(false);
  mnuReportsNotFound = action(mnuToolsReports, "mnuReportsNotFound", "Aircraft not &found");
  mnuReportsDuplicateFlights = action(mnuToolsReports, "mnuReportsDuplicateFlights", "&Duplicate Flights");
  mnuReportsUnknownAirports = action(mnuToolsReports, "mnuReportsUnknownAirports", "&Unknown Airports");
  mnuReportsWrongFL = action(mnuToolsReports, "mnuReportsWrongFL", "Incorrect Flight &Levels");
  mnuReportsWrongTime = action(mnuToolsReports, "mnuReportsWrongTime", "Incorrect Flight &Times");
  separator(mnuTools, "mnuTools_2");
  mnuToolsCompileCurrent = action(mnuTools, "mnuToolsCompileCurrent", "&Compile current Flightplan", {}, false);
  mnuToolsCompile = action(mnuTools, "mnuToolsCompile", "Com&pile Flightplan");
  mnuToolsDecompile = action(mnuTools, "mnuToolsDecompile", "&Decompile Flightplan");
  separator(mnuTools, "mnuTools_3");
  mnuToolsFPAirportsTXT = action(mnuTools, "mnuToolsFPAirportsTXT", "Create 'Airports.txt' from Flightplan", {}, false);
  mnuToolsAirportsTXT = action(mnuTools, "mnuToolsAirportsTXT", "Create 'New Airports.txt'");
  mnuToolsAirlinesCFG = action(mnuTools, "mnuToolsAirlinesCFG", "&Create 'New VELK_AL.CFG'");
  separator(mnuTools, "mnuTools_4");
  mnuToolsAircraftEditor = action(mnuTools, "mnuToolsAircraftEditor", "Aircraft &Editor");
  mnuToolsAirportSearch = action(mnuTools, "mnuToolsAirportSearch", "Airport Se&arch");
  mnuToolsAirportDistance = action(mnuTools, "mnuToolsAirportDistance", "Airport Distance");
  mnuToolsResizeGates = action(mnuTools, "mnuToolsResizeGates", "Resi&ze Gates");
  mnuToolsDeleteCache = action(mnuTools, "mnuToolsDeleteCache", "De&lete Cache");
  airportTools_ = std::make_unique<AirportTools>(
      AirportToolsControls{mnuToolsAirportSearch, mnuToolsAirportDistance, mnuToolsResizeGates, mnuToolsDeleteCache},
      *this);

  mnuHelp = submenu(nullptr, "mnuHelp", "&Help");
  menuBar()->addMenu(mnuHelp);
  mnuHelpContents = action(mnuHelp, "mnuHelpContents", "&Contents", QKeySequence(Qt::Key_F1));
  mnuHelpSearchForHelpOn = action(mnuHelp, "mnuHelpSearchForHelpOn", "&Search...", {}, false);
  mnuHelpSearchForHelpOn->setVisible(false);
  separator(mnuHelp, "mnuHelp_1");
  mnuHelpAbout = action(mnuHelp, "mnuHelpAbout", "&About ");
  connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::ShowAbout);

  mnuSelect = submenu(nullptr, "mnuSelect", "Select");
  mnuSelectAll = action(mnuSelect, "mnuSelectAll", "Select &all");
  mnuDeselectAll = action(mnuSelect, "mnuDeselectAll", "&Deselect all");
  mnuInverseSelection = action(mnuSelect, "mnuInverseSelection", "&Inverse Selection");
}

void frmMain::BuildShuffleTab() {
  QWidget* p = picShuffle;
  lblShufflerView = Label(p, "lblShufflerView", "&View mode", 8, 11, 82);
  cmShufflerView = Combo(p, "cmShufflerView", {"Aircraft Classes", "Airlines", "UI Manufacturer"}, 92, 8, 660);
  lblShuffleAircraft = Label(p, "lblShuffleAircraft", "&Select Aircraft to use for the Flightplan", 8, 38, 744);
  tvShuffleAircraft = Tree(p, "tvShuffleAircraft", 8, 58, 744, 236);
  lblStartNumber = Label(p, "lblStartNumber", "Aircraft &numbers start with", 8, 305, 170);
  txtStartNumber = Text(p, "txtStartNumber", 180, 302, 80);
  cmdCalcStartNumber = Button(p, "cmdCalcStartNumber", "Auto Value", 266, 301, 96, 26);
  ckOverwriteTailNumber = Check(p, "ckOverwriteTailNumber", "Generate &Tail number", 8, 334, 480);
  ckRemoveMinus = Check(p, "ckRemoveMinus", "&Remove char '-' from the Tail number", 8, 354, 480);
  ckCheckFL = Check(p, "ckCheckFL", "Correct &Flight Levels", 8, 374, 480);
  ckIFRVFR = Check(p, "ckIFRVFR", "Change flight t&ype depending on aircraft type (VFR --> IFR)", 8, 394, 480);
  ckCheckVisitedAirports = Check(p, "ckCheckVisitedAirports", "Include &visited Airports in search", 8, 414, 480);
  cmdShuffle = Button(p, "cmdShuffle", "Sh&uffle", 200, 436, 170);
  cmdACTypeDat = Button(p, "cmdACTypeDat", "Create 'AircraftTypes.dat'", 380, 436, 180);
  lblShufflerView->setBuddy(cmShufflerView);
  lblShuffleAircraft->setBuddy(tvShuffleAircraft);
  lblStartNumber->setBuddy(txtStartNumber);
}

void frmMain::BuildMoveTab() {
  QWidget* p = picMove;
  lblMoveView = Label(p, "lblMoveView", "&View mode", 8, 11, 82);
  cmMoveView = Combo(p, "cmMoveView", {"Aircraft Classes", "Airlines"}, 92, 8, 660);
  lblMoveAircrafts = Label(p, "lblMoveAircrafts", "&Aircraft (red colored are not used in the Flightplan)", 8, 38, 744);
  tvMoveAircrafts = Tree(p, "tvMoveAircrafts", 8, 58, 744, 322);
  lblSource = Label(p, "lblSource", "ICAO &Source", 8, 386, 200);
  cmSource = Combo(p, "cmSource", {}, 8, 404, 368);
  lblDest = Label(p, "lblDest", "ICAO &Destination", 384, 386, 200);
  cmDest = Combo(p, "cmDest", {}, 384, 404, 368);
  cmdMove = Button(p, "cmdMove", "&Move", 8, 436, 96);
  cmdMovePercent = Button(p, "cmdMovePercent", "&Percent", 108, 436, 96);
  cmdMoveSave = Button(p, "cmdMoveSave", "&Save Action", 450, 436, 98);
  cmdMoveLoad = Button(p, "cmdMoveLoad", "&Load Action", 552, 436, 98);
  cmdMoveExecute = Button(p, "cmdMoveExecute", "&Execute Action", 654, 436, 98);
  lblMoveView->setBuddy(cmMoveView);
  lblMoveAircrafts->setBuddy(tvMoveAircrafts);
  lblSource->setBuddy(cmSource);
  lblDest->setBuddy(cmDest);
}

void frmMain::BuildExportTab() {
  QWidget* p = picExport;
  // Two columns of criteria on the left, the zone and the switches on the right.
  lblExDeparture = Label(p, "lblExDeparture", "&Departure ICAO", 8, 11, 96);
  txtExDeparture = Text(p, "txtExDeparture", 106, 8, 160, 4);
  lblExLeg = Label(p, "lblExLeg", "&Leg ICAO", 274, 11, 96);
  txtExLeg = Text(p, "txtExLeg", 372, 8, 160, 4);
  lblExContinent = Label(p, "lblExContinent", "&Continent", 8, 41, 96);
  txtExContinent = Text(p, "txtExContinent", 106, 38, 160);
  lblExCountry = Label(p, "lblExCountry", "C&ountry", 274, 41, 96);
  txtExCountry = Text(p, "txtExCountry", 372, 38, 160);
  lblExAirline = Label(p, "lblExAirline", "&Airline", 8, 71, 96);
  txtExAirline = Text(p, "txtExAirline", 106, 68, 160);
  lblExportAircraft = Label(p, "lblExportAircraft", "Ai&rcraft", 274, 71, 96);
  cmExportAircraft = Combo(p, "cmExportAircraft", {}, 372, 68, 160);
  lblExClass = Label(p, "lblExClass", "Ai&rcraft Class", 8, 101, 96);
  cmExClass = Combo(p, "cmExClass", {}, 106, 98, 160);
  const std::pair<const char*, int> classes[] = {{"#None#", -1},    {"Micro Prop", 2}, {"Mid Prop", 3},
                                                 {"Large Prop", 4}, {"Micro Jet", 5},  {"Small Jet", 6},
                                                 {"Large Jet", 7},  {"Huge Jet", 8}};
  for (const auto& [text, data] : classes) cmExClass->addItem(text, data);
  lblExZone = Label(p, "lblExZone", "&Time Zone", 544, 8, 208);
  cmExZone = Combo(p, "cmExZone", ZoneItems(), 544, 26, 208);
  frIFRVFR = Place(new QGroupBox("Fli&ght Type", p), "frIFRVFR", 544, 54, 208, 46);
  ckExportIFR = Check(frIFRVFR, "ckExportIFR", "&IFR", 10, 20, 80);
  ckExportVFR = Check(frIFRVFR, "ckExportVFR", "&VFR", 100, 20, 80);
  frSearchType = Place(new QGroupBox("Search T&ype", p), "frSearchType", 544, 102, 208, 46);
  opANDSearch = Place(new QRadioButton("AND", frSearchType), "opANDSearch", 10, 20, 80, 20);
  opORSearch = Place(new QRadioButton("OR", frSearchType), "opORSearch", 100, 20, 80, 20);
  opANDSearch->setChecked(true);
  lblExPreview = Label(p, "lblExPreview", "Previe&w", 8, 134, 400);
  // The columns come with the rows, from the tab's controller.
  lvExPreview = ModelListView(p, "lvExPreview", 8, 154, 744, 274);
  cmdEditFlight = Button(p, "cmdEditFlight", "&Edit", 8, 436, 64);
  cmdAddFlight = Button(p, "cmdAddFlight", "Add", 76, 436, 64);
  cmdDeleteFlight = Button(p, "cmdDeleteFlight", "Delete", 144, 436, 64);
  cmdPreview = Button(p, "cmdPreview", "&Search", 440, 436, 64);
  cmdExport = Button(p, "cmdExport", "&Export", 508, 436, 64);
  cmdExportRemainder = Button(p, "cmdExportRemainder", "Export &remaining", 576, 436, 108);
  cmdExportPrint = Button(p, "cmdExportPrint", "Prin&t", 688, 436, 64);
  lblExDeparture->setBuddy(txtExDeparture);
  lblExLeg->setBuddy(txtExLeg);
  lblExContinent->setBuddy(txtExContinent);
  lblExCountry->setBuddy(txtExCountry);
  lblExAirline->setBuddy(txtExAirline);
  lblExportAircraft->setBuddy(cmExportAircraft);
  lblExClass->setBuddy(cmExClass);
  lblExZone->setBuddy(cmExZone);
  lblExPreview->setBuddy(lvExPreview);
}

SearchControls frmMain::ExportTabControls() const {
  SearchControls c;
  c.txtExDeparture = txtExDeparture;
  c.txtExLeg = txtExLeg;
  c.txtExContinent = txtExContinent;
  c.txtExCountry = txtExCountry;
  c.txtExAirline = txtExAirline;
  c.ckExportIFR = ckExportIFR;
  c.ckExportVFR = ckExportVFR;
  c.cmExportAircraft = cmExportAircraft;
  c.cmExClass = cmExClass;
  c.cmExZone = cmExZone;
  c.opANDSearch = opANDSearch;
  c.opORSearch = opORSearch;
  c.lblExPreview = lblExPreview;
  c.lvExPreview = lvExPreview;
  c.cmdEditFlight = cmdEditFlight;
  c.cmdAddFlight = cmdAddFlight;
  c.cmdDeleteFlight = cmdDeleteFlight;
  c.cmdPreview = cmdPreview;
  c.cmdExport = cmdExport;
  c.cmdExportRemainder = cmdExportRemainder;
  c.cmdExportPrint = cmdExportPrint;
  return c;
}

void frmMain::BuildTimetableTab() {
  QWidget* p = picTimetable;
  lblTTAirport = Label(p, "lblTTAirport", "&Airport ICAO (Enter multiple overlays separated by commas)", 8, 8, 528);
  txtTTAirport = Text(p, "txtTTAirport", 8, 26, 528);
  lblTTZone = Label(p, "lblTTZone", "&Time Zone", 544, 8, 208);
  cmTTZone = Combo(p, "cmTTZone", ZoneItems(), 544, 26, 208);
  lblTTDay = Label(p, "lblTTDay", "Da&y", 8, 58, 110);
  cmTTDay = Combo(p, "cmTTDay", {}, 8, 76, 110);
  const char* days[] = {"#Week#", "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  for (int i = 0; i < 8; ++i) cmTTDay->addItem(days[i], i - 1);
  lblTTStart = Label(p, "lblTTStart", "Start Ti&me", 126, 58, 80);
  txtTTStart = Text(p, "txtTTStart", 126, 76, 80);
  lblTTEnd = Label(p, "lblTTEnd", "&End Time", 214, 58, 80);
  txtTTEnd = Text(p, "txtTTEnd", 214, 76, 80);
  lblTTPercent = Label(p, "lblTTPercent", "A&I Percent", 302, 58, 70);
  txtTTPercent = Text(p, "txtTTPercent", 302, 76, 60);
  txtTTPercent->setText("100");
  ckTTIFR = Check(p, "ckTTIFR", "&IFR", 376, 60, 60, true);
  ckTTVFR = Check(p, "ckTTVFR", "&VFR", 376, 80, 60, true);
  ckTTArrival = Check(p, "ckTTArrival", "A&rrival", 440, 60, 96, true);
  ckTTDeparture = Check(p, "ckTTDeparture", "&Departure", 440, 80, 96, true);
  lblTTPreview = Label(p, "lblTTPreview", "Previe&w", 8, 108, 400);
  lvTimetable = ListView(p, "lvTimetable",
                         {"Time", "Arr./Dep.", "From/To", "Airline", "Flight Number", "Aircraft", "Registration"},
                         false, 8, 128, 744, 300);
  cmdTTShow = Button(p, "cmdTTShow", "&Show", 187, 436, 92);
  cmdTTPrint = Button(p, "cmdTTPrint", "&Print", 285, 436, 92);
  cmdTTSave = Button(p, "cmdTTSave", "&Save", 383, 436, 92);
  cmdTTStatistics = Button(p, "cmdTTStatistics", "Statistics", 481, 436, 92);
  lblTTAirport->setBuddy(txtTTAirport);
  lblTTZone->setBuddy(cmTTZone);
  lblTTDay->setBuddy(cmTTDay);
  lblTTStart->setBuddy(txtTTStart);
  lblTTEnd->setBuddy(txtTTEnd);
  lblTTPercent->setBuddy(txtTTPercent);
  lblTTPreview->setBuddy(lvTimetable);
  const int widths[] = {140, 70, 70, 120, 90, 200};
  for (int i = 0; i < 6; ++i) lvTimetable->setColumnWidth(i, widths[i]);
  timetable_ = std::make_unique<TimetableTab>(
      TimetableControls{txtTTAirport, cmTTDay, txtTTStart, txtTTEnd, txtTTPercent, ckTTIFR, ckTTVFR, ckTTArrival,
                        ckTTDeparture, cmTTZone, lblTTPreview, lvTimetable, cmdTTShow, cmdTTPrint, cmdTTSave,
                        cmdTTStatistics},
      *this);
}

void frmMain::BuildProjectTab() {
  QWidget* p = picProject;
  lblProject = Label(p, "lblProject", "&Project Flightplans", 8, 8, 400);
  lvProject = ListView(p, "lvProject", {"Description", "Flightplan", "Aircraft file"}, true, 8, 28, 744, 270);
  lvProject->setColumnWidth(0, 200);
  lvProject->setColumnWidth(1, 270);
  frProject = Place(new QGroupBox("Edit Project Entry", p), "frProject", 8, 304, 744, 124);
  frProject->setEnabled(false);
  picProjectDummy = Place(new QWidget(frProject), "picProjectDummy", 8, 20, 728, 98);
  QWidget* d = picProjectDummy;
  lblProjectDescription = Label(d, "lblProjectDescription", "&Description", 0, 3, 96);
  txtProjectDescription = Text(d, "txtProjectDescription", 100, 0, 628);
  lblProjectFile = Label(d, "lblProjectFile", "&Flightplan", 0, 37, 96);
  txtProjectFile = Text(d, "txtProjectFile", 100, 34, 590);
  cmdProjectFile = Button(d, "cmdProjectFile", "...", 696, 33, 32, 26);
  lblProjectAC = Label(d, "lblProjectAC", "&Aircraft file", 0, 71, 96);
  txtProjectAC = Text(d, "txtProjectAC", 100, 68, 590);
  cmdProjectAC = Button(d, "cmdProjectAC", "...", 696, 67, 32, 26);
  cmdProjectCompile = Button(p, "cmdProjectCompile", "&Compile", 187, 436, 92);
  cmdProjectMerge = Button(p, "cmdProjectMerge", "&Merge", 285, 436, 92);
  cmdProjectAdd = Button(p, "cmdProjectAdd", "Add", 383, 436, 92);
  cmdProjectDelete = Button(p, "cmdProjectDelete", "Delete", 481, 436, 92);
  lblProject->setBuddy(lvProject);
  lblProjectDescription->setBuddy(txtProjectDescription);
  lblProjectFile->setBuddy(txtProjectFile);
  lblProjectAC->setBuddy(txtProjectAC);
}

}  // namespace velk
