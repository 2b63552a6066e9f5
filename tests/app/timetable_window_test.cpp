// The Timetable tab inside the whole main window, on the sample plan and the
// sample simulator: Show, the statistics, and the resets that the plan's
// opening and undo make.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>

#include <gtest/gtest.h>

#include "app/frm_main.h"
#include "app/report_window.h"
#include "data/plan_records.h"
#include "data/program_state.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/qt/modal_dialog.h"
#include "sample_sim/sample_sim.h"
#include "support/test_support.h"
#include "timetable/ui/timetable_tab.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

class TimetableWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    simulator_ = new test::TempDir;
    std::string error;
    ASSERT_TRUE(sample::MakeSampleSimulator(simulator_->path(), &error)) << error;
  }
  static void TearDownTestSuite() {
    delete simulator_;
    simulator_ = nullptr;
  }

  void SetUp() override {
    Program() = ProgramState{};
    Plan() = PlanState{};
    for (const char* name : {"FlightPlans.txt", "Aircraft.txt", "Airports.txt"})
      fs::copy_file(test::SourceDir() / "sample" / name, plans_ / name);
    w_.SetProgramFolder(test::ToolsDir());
    ASSERT_TRUE(w_.StartUp());
    w_.onSplashTimer();
    dialogs_.Answer((plans_ / "FlightPlans.txt").string());
    w_.mnuFileLoad->trigger();
    ASSERT_TRUE(Plan().PlanLoaded);
  }

  static test::TempDir* simulator_;
  test::TempDir home_;
  test::TempDir plans_;
  test::ScopedEnv config_{"VELK_CONFIG_HOME", home_.path().string()};
  test::ScopedEnv fs_{"VELK_FS_PATH", simulator_->path().string()};
  ScriptedMessageBoxes boxes_{kIdOk};
  ScriptedFileDialogs dialogs_;
  frmMain w_;
};

test::TempDir* TimetableWindowTest::simulator_ = nullptr;

TEST_F(TimetableWindowTest, ShowListsTheSampleAirportAndUndoEmptiesTheList) {
  w_.SelectTab("TIMETABLE");
  w_.txtTTAirport->setText("eham, lszh");
  w_.cmTTDay->setCurrentIndex(1);
  w_.cmdTTShow->click();
  int rows = w_.lvTimetable->topLevelItemCount();
  EXPECT_GT(rows, 40);
  EXPECT_EQ(w_.lblTTPreview->text(), QString("Previe&w (%1 flights found)").arg(rows));
  EXPECT_TRUE(w_.cmdTTPrint->isEnabled() && w_.cmdTTSave->isEnabled() && w_.cmdTTStatistics->isEnabled());
  EXPECT_FALSE(w_.IsBusy());
  // Every sample aircraft is installed.
  EXPECT_TRUE(w_.lvTimetable->findItems("# NOT FOUND #", Qt::MatchExactly, 5).isEmpty());

  w_.cmdTTStatistics->click();
  ReportWindow* statistics = w_.Timetable()->StatisticsWindow();
  ASSERT_NE(statistics, nullptr);
  EXPECT_EQ(statistics->parentWidget(), &w_);
  EXPECT_EQ(statistics->Report().rfind("Airport:            EHAM, LSZH\r\nTime:", 0), 0u);
  statistics->close();

  // A double-click opens the flight editor; a cancelled edit leaves the plan
  // unmarked but takes the undo copy when undo is on.
  if (!Program().UndoEnabled) w_.mnuToolsUndoOn->trigger();
  ASSERT_TRUE(Program().UndoEnabled);
  ASSERT_EQ(w_.lvTimetable->selectedItems().size(), 1);
  EXPECT_FALSE(w_.IsBusy());
  ScriptedModalDialogs editor;  // the flight editor: closed unchanged
  w_.Timetable()->EditSelectedFlight();
  EXPECT_EQ(editor.ShownNames(), std::vector<QString>{"frmFlightEdit"});
  EXPECT_FALSE(Program().PlanModified);
  EXPECT_TRUE(w_.mnuToolsUndo->isEnabled());
  w_.mnuToolsUndo->trigger();
  EXPECT_EQ(w_.lvTimetable->topLevelItemCount(), 0);
  EXPECT_EQ(w_.lblTTPreview->text(), "Previe&w");
  EXPECT_FALSE(w_.cmdTTPrint->isEnabled() || w_.cmdTTSave->isEnabled() || w_.cmdTTStatistics->isEnabled());
  EXPECT_TRUE(w_.cmdTTShow->isEnabled());
}

}  // namespace
}  // namespace velk
