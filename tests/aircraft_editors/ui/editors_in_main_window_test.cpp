// Both aircraft editors through the whole main window on the sample plan and
// simulator: what the Tools menu commands leave behind in the trees, the
// modified mark, undo, and a saved plan that the traffic compiler accepts.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>

#include <gtest/gtest.h>

#include "aircraft_editors/ui/frm_aircraft_edit.h"
#include "aircraft_editors/ui/frm_fs_aircraft_edit.h"
#include "app/frm_main.h"
#include "data/plan_records.h"
#include "data/program_state.h"
#include "platform/file_dialog.h"
#include "platform/input_box.h"
#include "platform/message_box.h"
#include "platform/process_runner.h"
#include "platform/qt/modal_dialog.h"
#include "sample_sim/sample_sim.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::ScopedEnv;
using test::TempDir;

class EditorsInMainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(sample::MakeSampleSimulator(sim_.path(), &error)) << error;
    for (const char* name : {"VELK_AC.CFG", "VELK_AL.CFG", "VELK_NAL.CFG", "VELK_NMD.CFG", "VELK_NTP.CFG", "VELK_FL.CFG"})
      fs::copy_file(test::ToolsDir() / name, program_ / name);
    for (const char* name : {"FlightPlans.txt", "Aircraft.txt", "Airports.txt"})
      fs::copy_file(test::SourceDir() / "sample" / name, plans_ / name);
    Program() = ProgramState{};
    Plan() = PlanState{};
    w_.SetProgramFolder(program_.path());
    ASSERT_TRUE(w_.StartUp());
    w_.onSplashTimer();
    Program().UndoEnabled = true;
    files_.Answer((plans_ / "FlightPlans.txt").string());
    w_.mnuFileLoad->trigger();
    ASSERT_TRUE(Plan().PlanLoaded);
  }

  static QTreeWidgetItem* Row(QTreeWidget* list, const QString& text) {
    for (int r = 0; r < list->topLevelItemCount(); ++r)
      if (list->topLevelItem(r)->text(0) == text) return list->topLevelItem(r);
    ADD_FAILURE() << "no row " << text.toStdString();
    return nullptr;
  }
  int PlanAircraftIndex(const std::string& id) const { return Plan().FindPlanAircraft(id); }

  TempDir sim_;
  TempDir program_;
  TempDir plans_;
  TempDir home_;
  ScopedEnv config_{"VELK_CONFIG_HOME", home_.path().string()};
  ScopedEnv fs_{"VELK_FS_PATH", sim_.path().string()};
  ScriptedMessageBoxes boxes_{kIdYes};
  ScriptedFileDialogs files_;
  ScriptedModalDialogs dialogs_;
  frmMain w_;
};

TEST_F(EditorsInMainWindowTest, ASavedSimulatorAircraftReachesTheTrees) {
  ASSERT_GE(w_.MoveTree().FindLeaf("##VELK SAMPLE 737-800 BLUE"), 0);
  dialogs_.Drive([](QDialog& d) {
    auto& editor = static_cast<frmFSAircraftEdit&>(d);
    editor.lvAircrafts->setCurrentItem(Row(editor.lvAircrafts, "VELK Sample 737-800 Blue"));
    editor.txtTitle->setText("VELK Sample 737-800 Azure");
    editor.CommitField(editor.txtTitle);
    editor.cmdSave->click();
    editor.cmdCancel->click();
  });
  w_.mnuToolsAircraftEditor->trigger();
  EXPECT_EQ(dialogs_.ShownNames(), (std::vector<QString>{"frmFSAircraftEdit"}));
  EXPECT_NE(ReadFile(sim_ / "Aircraft" / "VELK_B738" / "aircraft.cfg")->find("title=VELK Sample 737-800 Azure\r\n"),
            std::string::npos);
  EXPECT_GE(w_.MoveTree().FindLeaf("##VELK SAMPLE 737-800 AZURE"), 0);
  EXPECT_LT(w_.MoveTree().FindLeaf("##VELK SAMPLE 737-800 BLUE"), 0);
  EXPECT_FALSE(w_.IsBusy());
  EXPECT_FALSE(w_.ProgressLoaded());
  // The plan itself did not change.
  EXPECT_FALSE(Program().PlanModified);
}

TEST_F(EditorsInMainWindowTest, KeptPlanAircraftChangesAreModifiedUndoableAndCompile) {
  const PlanState before = Plan();
  ScriptedInputBoxes inputs;
  dialogs_.Drive([&](QDialog& d) {
    auto& editor = static_cast<frmAircraftEdit&>(d);
    // Delete AC#2 with its flights, give AC#1's flights to AC#4, renumber
    // AC#3, and add every installed aircraft the plan lacks.
    editor.lvAircrafts->clearSelection();
    Row(editor.lvAircrafts, "AC#2")->setSelected(true);
    editor.cmdDelete->click();
    editor.lvAircrafts->clearSelection();
    QTreeWidgetItem* first = Row(editor.lvAircrafts, "AC#1");
    editor.lvAircrafts->setCurrentItem(first);
    editor.cmAircraft->setCurrentIndex(editor.cmAircraft->findText("AC#4", Qt::MatchStartsWith));
    editor.cmdSubstitute->click();
    editor.lvAircrafts->setCurrentItem(Row(editor.lvAircrafts, "AC#3"));
    inputs.Answer("300");
    editor.cmdNumber->click();
    editor.cmdAddMissing->click();
    editor.cmdSave->click();
  });
  w_.mnuToolsEditPlanAircraft->trigger();
  const PlanState& plan = Plan();
  EXPECT_LT(PlanAircraftIndex("AC#2"), 0);
  EXPECT_GE(PlanAircraftIndex("AC#300"), 0);
  EXPECT_GT(plan.PlanAircraftList.size(), before.PlanAircraftList.size());
  for (const Flight& f : plan.Flights) EXPECT_NE(f.AircraftId, "AC#1");
  EXPECT_TRUE(Program().PlanModified);
  EXPECT_TRUE(w_.mnuFileSave->isEnabled());
  EXPECT_TRUE(w_.mnuToolsUndo->isEnabled());
  // The Shuffle tree ticks the aircraft the plan now uses.
  int tourer = w_.ShuffleTree().FindLeaf("##VELK SAMPLE 172 TOURER");
  ASSERT_GE(tourer, 0);
  EXPECT_TRUE(w_.ShuffleTree().Node(tourer).Checked);

  // Saved, the plan is one the traffic compiler takes.
  boxes_.Clear();
  w_.mnuFileSave->trigger();
  EXPECT_EQ(boxes_.Prompts(), (std::vector<std::string>{"Successfully saved modified Flightplan."}));
  EXPECT_TRUE(fs::exists(plans_ / "Removed Flights.txt"));
  std::string output;
  int rc = RunAndWait({(test::ToolsDir() / "orvane").string(), "/np"}, plans_.path().string(), output, false);
  EXPECT_EQ(rc, 0);
  EXPECT_TRUE(fs::exists(sim_ / "SceneDB" / "ATC" / "Scenery" / "traffic.bgl"));

  // Undo goes back to the plan before the editor.
  boxes_.Clear();
  w_.mnuToolsUndo->trigger();
  EXPECT_EQ(Plan().PlanAircraftList, before.PlanAircraftList);
  EXPECT_EQ(Plan().Flights, before.Flights);
}

TEST_F(EditorsInMainWindowTest, ACancelledPlanEditLeavesTheWindowAlone) {
  const PlanState before = Plan();
  int tourer = w_.ShuffleTree().FindLeaf("##VELK SAMPLE 172 TOURER");
  ASSERT_GE(tourer, 0);
  EXPECT_FALSE(w_.ShuffleTree().Node(tourer).Checked);
  dialogs_.Drive([](QDialog& d) {
    auto& editor = static_cast<frmAircraftEdit&>(d);
    editor.cmdAddMissing->click();
    editor.cmdCancel->click();
  });
  w_.mnuToolsEditPlanAircraft->trigger();
  EXPECT_EQ(Plan().PlanAircraftList, before.PlanAircraftList);
  EXPECT_FALSE(Program().PlanModified);
  EXPECT_FALSE(w_.mnuToolsUndo->isEnabled());
}

}  // namespace
}  // namespace velk
