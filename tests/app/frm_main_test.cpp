// Start-up and shut-down of the main window against a private settings
// store: what the stored values turn into, the end of the program when a
// configuration file is missing, the questions on closing and what is
// written back.
#include "app/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include <gtest/gtest.h>

#include "app/frm_splash.h"
#include "data/plan_records.h"
#include "data/program_state.h"
#include "data/settings_store.h"
#include "gui/frm_progress.h"
#include "platform/message_box.h"
#include "project/ui/project_tab.h"
#include "support/test_support.h"

namespace velk {
namespace {

using test::ScopedEnv;
using test::TempDir;

// A main window whose saves are scripted.
class TestWindow : public frmMain {
 public:
  bool SaveFlightplan() override {
    ++planSaves;
    return planSaveWorks;
  }
  bool SaveProject() override {
    ++projectSaves;
    return projectSaveWorks;
  }
  int planSaves = 0;
  int projectSaves = 0;
  bool planSaveWorks = true;
  bool projectSaveWorks = true;
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Program() = ProgramState{};
    Plan().Flights.assign(3, Flight{});
    Plan().BackupPlan = true;
  }

  void Put(const char* section, const char* key, const std::string& value) {
    ASSERT_TRUE(SaveUserSetting(kCompany, kApplication, kVersion, section, key, value));
  }
  std::string Stored(const char* section, const char* key) {
    return GetUserSetting(kCompany, kApplication, kVersion, section, key, "<missing>");
  }
  // Starts `w` with the shipped configuration files and closes the splash.
  void Start(frmMain& w) {
    w.SetProgramFolder(program_.path());
    ASSERT_TRUE(w.StartUp());
    w.onSplashTimer();
  }

  test::ProgramFolder program_;
  TempDir home_;
  ScopedEnv env_{"VELK_CONFIG_HOME", home_.path().string()};
  ScriptedMessageBoxes boxes_{kIdCancel};
};

TEST_F(MainWindowTest, FirstStartUsesTheDefaultsAndCentresTheWindow) {
  TestWindow w;
  w.SetProgramFolder(program_.path());
  ASSERT_TRUE(w.StartUp());
  EXPECT_TRUE(boxes_.Shown().empty());
  ASSERT_NE(w.Splash(), nullptr);
  EXPECT_TRUE(w.Splash()->isVisible());
  EXPECT_NEAR(w.Splash()->windowOpacity(), 192 / 255.0, 0.01);
  w.onSplashTimer();
  EXPECT_EQ(w.Splash(), nullptr);

  EXPECT_TRUE(w.isVisible());
  EXPECT_FALSE(w.isMaximized());
  QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(w.pos(), QPoint((screen.width() - w.frameGeometry().width()) / 2,
                            (screen.height() - w.frameGeometry().height()) / 2));
  EXPECT_EQ(w.minimumSize(), QSize(550, 400));

  EXPECT_TRUE(Plan().BackupPlan && w.mnuToolsBackupPlan->isChecked());
  EXPECT_TRUE(Program().BackupAircraft && w.mnuToolsBackupAircraft->isChecked());
  EXPECT_TRUE(Program().UndoEnabled && w.mnuToolsUndoOn->isChecked());
  EXPECT_TRUE(Program().AircraftCheck && w.mnuToolsACCheck->isChecked());
  EXPECT_FALSE(w.mnuToolsDebug->isChecked() || Program().DebugEnabled);
  EXPECT_FALSE(w.mnuToolsShowCompiler->isChecked());
  EXPECT_TRUE(w.ckOverwriteTailNumber->isChecked());
  EXPECT_FALSE(w.ckRemoveMinus->isChecked());
  EXPECT_TRUE(w.ckCheckFL->isChecked() && w.ckIFRVFR->isChecked() && w.ckCheckVisitedAirports->isChecked());
  EXPECT_TRUE(Program().CheckAircraftRange && Program().CheckFlightLevels && Program().CheckFlightTimes);
  EXPECT_TRUE(w.mnuTA30->isChecked());
  EXPECT_TRUE(w.mnuMaxTA24->isChecked());
  EXPECT_EQ(Program().MinTurnAround, 30);
  EXPECT_EQ(Program().MaxTurnAround, 24);
  EXPECT_EQ(w.txtStartNumber->text(), "1");
  EXPECT_EQ(w.cmTTZone->currentText(), "GMT");
  EXPECT_EQ(w.cmExZone->property("Tag").toString(), "GMT");
  EXPECT_EQ(w.cmTTDay->currentText(), "#Week#");
  EXPECT_EQ(w.txtTTStart->text(), "00:00:00");
  EXPECT_EQ(w.txtTTEnd->text(), "23:59:59");
  EXPECT_EQ(w.cmMoveView->currentIndex(), 1);
  EXPECT_EQ(w.cmMoveView->property("Tag").toString(), "1");
  EXPECT_EQ(w.cmShufflerView->currentIndex(), 2);
  EXPECT_FALSE(w.mnuRecentFlightPlan->menuAction()->isEnabled());
  EXPECT_FALSE(w.mnuRecentProjects->menuAction()->isEnabled());
  for (QAction* item : w.mnuRecentFlightPlanItems) EXPECT_FALSE(item->isVisible());
  // Nothing that needs a plan can be started yet.
  EXPECT_FALSE(w.cmdShuffle->isEnabled() || w.mnuToolsCompileCurrent->isEnabled() ||
               w.mnuFileSave->isEnabled() || w.mnuFileSaveAs->isEnabled());
}

TEST_F(MainWindowTest, StoredValuesDriveSwitchesMenusAndControls) {
  Put(kSectionSettings, "BackupPlan", "yes");  // not a Boolean: off
  Put(kSectionSettings, "DebugOn", "-1");
  Put(kSectionSettings, "TATime", "40");
  Put(kSectionSettings, "MaxTATime", "8");
  Put(kSectionSettings, "StartNumber", "abc");
  Put(kSectionSettings, "RemoveMinus", "True");
  Put(kSectionSettings, "TTZone", "GMT +02:00");
  Put(kSectionRecentFlightplans, "1", "/plans/R&D/FlightPlans.txt");
  Put(kSectionRecentFlightplans, "2", "/plans/b.txt");
  Put(kSectionRecentProjects, "1", "/projects/p.vxp");
  TestWindow w;
  Start(w);
  EXPECT_FALSE(Plan().BackupPlan);
  EXPECT_FALSE(w.mnuToolsBackupPlan->isChecked());
  EXPECT_TRUE(w.mnuToolsDebug->isChecked());
  EXPECT_TRUE(Program().DebugEnabled);
  EXPECT_EQ(Program().MinTurnAround, kTurnAroundOff);
  EXPECT_TRUE(w.mnuTAOff->isChecked());
  EXPECT_FALSE(w.mnuTA30->isChecked());
  EXPECT_EQ(Program().MaxTurnAround, 8);
  EXPECT_TRUE(w.mnuMaxTA8->isChecked());
  EXPECT_EQ(Program().StartNumber, 0);
  EXPECT_EQ(w.txtStartNumber->text(), "0");
  EXPECT_TRUE(w.ckRemoveMinus->isChecked());
  EXPECT_EQ(w.cmTTZone->currentText(), "GMT +02:00");
  EXPECT_EQ(w.cmTTZone->property("Tag").toString(), "GMT +02:00");

  EXPECT_TRUE(w.mnuRecentFlightPlan->menuAction()->isEnabled());
  EXPECT_TRUE(w.mnuRecentFlightPlanItems[0]->isVisible());
  EXPECT_EQ(w.mnuRecentFlightPlanItems[0]->text(), "/plans/R&&D/FlightPlans.txt");
  EXPECT_EQ(w.mnuRecentFlightPlanItems[0]->data().toString(), "/plans/R&D/FlightPlans.txt");
  EXPECT_TRUE(w.mnuRecentFlightPlanItems[1]->isVisible());
  EXPECT_FALSE(w.mnuRecentFlightPlanItems[2]->isVisible());
  EXPECT_TRUE(w.mnuRecentProjects->menuAction()->isEnabled());
  EXPECT_EQ(w.mnuRecentProjectsItems[0]->text(), "/projects/p.vxp");
}

TEST_F(MainWindowTest, StoredPlacementIsRestored) {
  Put(kSectionSettings, "MainLeft", "1500");
  Put(kSectionSettings, "MainTop", "750");
  Put(kSectionSettings, "MainWidth", "9750");
  Put(kSectionSettings, "MainHeight", "7200");
  TestWindow w;
  Start(w);
  EXPECT_EQ(w.pos(), QPoint(100, 50));
  EXPECT_EQ(w.size(), QSize(650, 480));
}

TEST_F(MainWindowTest, PlacementOffEveryScreenOpensCentred) {
  Put(kSectionSettings, "MainLeft", "600000");
  Put(kSectionSettings, "MainTop", "600000");
  Put(kSectionSettings, "MainWidth", "9750");
  Put(kSectionSettings, "MainHeight", "7200");
  TestWindow w;
  Start(w);
  QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_TRUE(screen.intersects(w.frameGeometry()));
}

TEST_F(MainWindowTest, MaximisedWindowComesBackMaximisedAndKeepsItsPlacement) {
  Put(kSectionSettings, "MainState", "2");
  Put(kSectionSettings, "MainLeft", "1500");
  TestWindow w;
  Start(w);
  EXPECT_TRUE(w.isMaximized());
  ASSERT_TRUE(w.close());
  EXPECT_EQ(Stored(kSectionSettings, "MainState"), "2");
  EXPECT_EQ(Stored(kSectionSettings, "MainLeft"), "1500");
}

TEST_F(MainWindowTest, MinimisedWindowIsStoredAsSuchAndOpensNormal) {
  {
    TestWindow w;
    Start(w);
    w.showMinimized();
    ASSERT_TRUE(w.close());
  }
  EXPECT_EQ(Stored(kSectionSettings, "MainState"), "1");
  EXPECT_EQ(Stored(kSectionSettings, "MainLeft"), "<missing>");
  TestWindow again;
  Start(again);
  EXPECT_FALSE(again.isMinimized());
}

TEST_F(MainWindowTest, MissingConfigurationFileEndsTheStartAfterTheReadersMessage) {
  TempDir program;
  for (const char* name : {"VELK_AL.CFG", "VELK_NAL.CFG", "VELK_NMD.CFG", "VELK_NTP.CFG", "VELK_FL.CFG"})
    std::filesystem::copy_file(test::ToolsDir() / name, program / name);
  TestWindow w;
  w.SetProgramFolder(program.path());
  EXPECT_FALSE(w.StartUp());
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_NE(boxes_.Shown()[0].prompt.find("VELK_AC.CFG"), std::string::npos);
  EXPECT_EQ(boxes_.Shown()[0].buttons & kMbIconCritical, kMbIconCritical);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.Splash(), nullptr);
  EXPECT_EQ(Stored(kSectionSettings, "MainState"), "<missing>");
}

TEST_F(MainWindowTest, ReadersRunInOrderAndTheFirstFailureStopsThem) {
  std::vector<int> ran;
  auto reader = [&](int n, bool ok) {
    return [&ran, n, ok](const std::filesystem::path&) {
      ran.push_back(n);
      return ok;
    };
  };
  TestWindow w;
  w.SetConfigurationReaders({reader(1, true), reader(2, false), reader(3, true)});
  EXPECT_FALSE(w.StartUp());
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}

TEST_F(MainWindowTest, ClosingUnmodifiedWritesTheSettingsAndReleasesThePlan) {
  TestWindow w;
  Start(w);
  w.mnuToolsShowCompiler->setChecked(true);
  w.ckCheckFL->setTristate(true);
  w.ckCheckFL->setCheckState(Qt::PartiallyChecked);  // greyed counts as off
  Program().MinTurnAround = 45;
  Program().StartNumber = 12;
  w.RecentFlightplans[0] = "/plans/a.txt";
  ASSERT_TRUE(w.close());
  EXPECT_TRUE(boxes_.Shown().empty());
  EXPECT_EQ(Stored(kSectionSettings, "MainState"), "0");
  EXPECT_EQ(Stored(kSectionSettings, "MainLeft"), std::to_string(w.pos().x() * 15));
  EXPECT_EQ(Stored(kSectionSettings, "MainHeight"), std::to_string(w.height() * 15));
  EXPECT_EQ(Stored(kSectionSettings, "ShowCompiler"), "-1");
  EXPECT_EQ(Stored(kSectionSettings, "DebugOn"), "0");
  EXPECT_EQ(Stored(kSectionSettings, "CheckFL"), "0");
  EXPECT_EQ(Stored(kSectionSettings, "GenerateTailNumber"), "-1");
  EXPECT_EQ(Stored(kSectionSettings, "TATime"), "45");
  EXPECT_EQ(Stored(kSectionSettings, "MaxTATime"), "24");
  EXPECT_EQ(Stored(kSectionSettings, "StartNumber"), "12");
  EXPECT_EQ(Stored(kSectionSettings, "TTZone"), "GMT");
  EXPECT_EQ(Stored(kSectionFlightEditor, "CheckFlightTimes"), "-1");
  EXPECT_EQ(Stored(kSectionRecentFlightplans, "1"), "/plans/a.txt");
  EXPECT_EQ(Stored(kSectionRecentFlightplans, "5"), "");
  EXPECT_TRUE(Plan().Flights.empty());
  EXPECT_FALSE(w.ProgressLoaded());
  EXPECT_FALSE(w.IsBusy());
}

TEST_F(MainWindowTest, CancelKeepsTheWindowOpenAndAsksNothingMore) {
  TestWindow w;
  Start(w);
  Program().PlanModified = true;
  w.Projects()->NewProject();  // a new project counts as modified
  boxes_.Answer(kIdCancel);
  EXPECT_FALSE(w.close());
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(boxes_.Prompts(), std::vector<std::string>{"Save the modified Flightplan?"});
  const MessageBoxRequest& question = boxes_.Shown()[0];
  EXPECT_EQ(question.buttons, kMbYesNoCancel | kMbIconQuestion);
  EXPECT_EQ(question.title, "VELK");
  EXPECT_EQ(question.owner, &w);
  EXPECT_EQ(w.planSaves, 0);
  EXPECT_FALSE(w.IsBusy());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Stored(kSectionSettings, "MainState"), "<missing>");
  EXPECT_EQ(Plan().Flights.size(), 3u);
}

TEST_F(MainWindowTest, YesSavesThePlanThenAsksAboutTheProject) {
  TestWindow w;
  Start(w);
  Program().PlanModified = true;
  w.Projects()->NewProject();  // a new project counts as modified
  boxes_.Answer(kIdYes);
  boxes_.Answer(kIdCancel);
  EXPECT_FALSE(w.close());
  EXPECT_EQ(boxes_.Prompts(),
            (std::vector<std::string>{"Save the modified Flightplan?", "Save the modified Project?"}));
  EXPECT_EQ(w.planSaves, 1);
  EXPECT_EQ(w.projectSaves, 0);
  EXPECT_TRUE(w.isVisible());
  EXPECT_FALSE(w.IsBusy());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  boxes_.Clear();
  Program().PlanModified = false;  // as the save would have left it
  boxes_.Answer(kIdYes);
  EXPECT_TRUE(w.close());
  EXPECT_EQ(boxes_.Prompts(), std::vector<std::string>{"Save the modified Project?"});
  EXPECT_EQ(w.projectSaves, 1);
  EXPECT_EQ(Stored(kSectionSettings, "MainState"), "0");
}

TEST_F(MainWindowTest, NoGoesOnWithoutSaving) {
  TestWindow w;
  Start(w);
  Program().PlanModified = true;
  boxes_.Answer(kIdNo);
  EXPECT_TRUE(w.close());
  EXPECT_EQ(w.planSaves, 0);
  EXPECT_EQ(Stored(kSectionSettings, "MainState"), "0");
}

TEST_F(MainWindowTest, FailedSaveOnClosingKeepsTheWindowOpen) {
  TestWindow w;
  Start(w);
  w.planSaveWorks = false;
  Program().PlanModified = true;
  boxes_.Answer(kIdYes);
  EXPECT_FALSE(w.close());
  EXPECT_EQ(w.planSaves, 1);
  EXPECT_TRUE(w.isVisible());
  EXPECT_FALSE(w.IsBusy());
  EXPECT_EQ(Plan().Flights.size(), 3u);

  w.planSaveWorks = true;
  w.projectSaveWorks = false;
  Program().PlanModified = false;
  w.Projects()->NewProject();  // a new project counts as modified
  boxes_.Answer(kIdYes);
  EXPECT_FALSE(w.close());
  EXPECT_EQ(w.projectSaves, 1);
  EXPECT_EQ(Stored(kSectionSettings, "MainState"), "<missing>");
}

TEST_F(MainWindowTest, ClosingDuringAStartedSplashClosesTheSplash) {
  TestWindow w;
  w.SetProgramFolder(program_.path());
  ASSERT_TRUE(w.StartUp());
  QPointer<frmSplash> splash = w.Splash();
  ASSERT_TRUE(w.close());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(splash.isNull());
  EXPECT_FALSE(w.tmrSplash->isActive());
}

TEST_F(MainWindowTest, SplashClosesOnAClickAndTheTimerFindsNothingLater) {
  TestWindow w;
  w.SetProgramFolder(program_.path());
  ASSERT_TRUE(w.StartUp());
  ASSERT_NE(w.Splash(), nullptr);
  QTest::mouseClick(w.Splash()->picSplash, Qt::LeftButton);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(w.Splash(), nullptr);
  w.onSplashTimer();
  EXPECT_FALSE(w.tmrSplash->isActive());
}

// The Move tab's airport choices are sorted by code without regard to
// case, the same whatever the user's locale would collate.
TEST_F(MainWindowTest, MoveAirportsAreSortedTheSameInEveryLocale) {
  frmMain w;
  Start(w);
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  Plan().Airports = {{"KAAB", "", "", ""}, {"K_AB", "", "", ""}, {"kaaa", "", "", ""},
                     {"EDDF", "", "", ""}, {"K9AB", "", "", ""}, {"eddf", "", "", ""}};
  w.FillMoveAirports();
  QLocale::setDefault(saved);
  QStringList codes;
  for (int i = 0; i < w.cmSource->count(); ++i) codes << w.cmSource->itemText(i);
  EXPECT_EQ(codes, (QStringList{"EDDF", "eddf", "K9AB", "kaaa", "KAAB", "K_AB"}));
  ASSERT_EQ(w.cmDest->count(), 6);
  EXPECT_EQ(w.cmDest->itemText(5), "K_AB");
  EXPECT_EQ(w.cmSource->currentIndex(), 0);
  Plan().Airports.clear();
}

TEST_F(MainWindowTest, UpdateShuffleTabEnablesThePlanCommands) {
  TestWindow w;
  Start(w);
  w.UpdateShuffleTab();
  for (QWidget* b : std::initializer_list<QWidget*>{w.cmdShuffle, w.cmdACTypeDat, w.cmdCalcStartNumber})
    EXPECT_TRUE(b->isEnabled());
  EXPECT_TRUE(w.mnuToolsCompileCurrent->isEnabled());
  EXPECT_TRUE(w.mnuToolsFPAirportsTXT->isEnabled());
}

}  // namespace
}  // namespace velk
