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
#include "app/sample_window_test.h"
#include "platform/input_box.h"
#include "platform/process_runner.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

class EditorsInMainWindowTest : public test::SampleWindowTest {
 protected:
  void SetUp() override {
    fs::path plan = CopySamplePlan("plan");
    SampleWindowTest::SetUp();
    Program().UndoEnabled = true;
    w_.LoadFlightplan(plan.string());
    ASSERT_TRUE(Plan().PlanLoaded);
    planFolder_ = plan.parent_path();
  }

  static QTreeWidgetItem* Row(QTreeWidget* list, const QString& text) {
    for (int r = 0; r < list->topLevelItemCount(); ++r)
      if (list->topLevelItem(r)->text(0) == text) return list->topLevelItem(r);
    ADD_FAILURE() << "no row " << text.toStdString();
    return nullptr;
  }

  fs::path planFolder_;
  // Made after the fixture's own boxes, so it is the one asked: every
  // question of the editors is answered Yes.
  ScriptedMessageBoxes yes_{kIdYes};
};

TEST_F(EditorsInMainWindowTest, ASavedSimulatorAircraftReachesTheTrees) {
  ASSERT_GE(w_.MoveTree().FindLeaf("##VELK SAMPLE 737-800 BLUE"), 0);
  modal_.Drive([](QDialog& d) {
    auto& editor = static_cast<frmFSAircraftEdit&>(d);
    editor.lvAircrafts->setCurrentItem(Row(editor.lvAircrafts, "VELK Sample 737-800 Blue"));
    editor.txtTitle->setText("VELK Sample 737-800 Azure");
    editor.CommitField(editor.txtTitle);
    editor.cmdSave->click();
    editor.cmdCancel->click();
  });
  w_.mnuToolsAircraftEditor->trigger();
  EXPECT_EQ(modal_.ShownNames(), (std::vector<QString>{"frmFSAircraftEdit"}));
  EXPECT_NE(ReadFile(simulator_->path() / "Aircraft" / "VELK_B738" / "aircraft.cfg")->find("title=VELK Sample 737-800 Azure\r\n"),
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
  modal_.Drive([&](QDialog& d) {
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
  EXPECT_LT(Plan().FindPlanAircraft("AC#2"), 0);
  EXPECT_GE(Plan().FindPlanAircraft("AC#300"), 0);
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
  yes_.Clear();
  w_.mnuFileSave->trigger();
  EXPECT_EQ(yes_.Prompts(), (std::vector<std::string>{"Successfully saved modified Flightplan."}));
  EXPECT_TRUE(fs::exists(planFolder_ / "Removed Flights.txt"));
  std::string output;
  int rc = RunAndWait({(test::ToolsDir() / "orvane").string(), "/np"}, planFolder_.string(), output, false);
  EXPECT_EQ(rc, 0);
  EXPECT_TRUE(fs::exists(simulator_->path() / "SceneDB" / "ATC" / "Scenery" / "traffic.bgl"));

  // Undo goes back to the plan before the editor.
  yes_.Clear();
  w_.mnuToolsUndo->trigger();
  EXPECT_EQ(Plan().PlanAircraftList, before.PlanAircraftList);
  EXPECT_EQ(Plan().Flights, before.Flights);
}

TEST_F(EditorsInMainWindowTest, ACancelledPlanEditLeavesTheWindowAlone) {
  const PlanState before = Plan();
  int tourer = w_.ShuffleTree().FindLeaf("##VELK SAMPLE 172 TOURER");
  ASSERT_GE(tourer, 0);
  EXPECT_FALSE(w_.ShuffleTree().Node(tourer).Checked);
  modal_.Drive([](QDialog& d) {
    auto& editor = static_cast<frmAircraftEdit&>(d);
    editor.cmdAddMissing->click();
    editor.cmdCancel->click();
  });
  w_.mnuToolsEditPlanAircraft->trigger();
  EXPECT_EQ(Plan().PlanAircraftList, before.PlanAircraftList);
  EXPECT_FALSE(Program().PlanModified);
  EXPECT_FALSE(w_.mnuToolsUndo->isEnabled());
}

// The types export shows the main window's progress and saving disables the
// editor for a moment: the modal editor keeps the focus in its field.
TEST_F(EditorsInMainWindowTest, TheModalEditorKeepsTheFocusThroughItsCommands) {
  test::TempDir program;  // the export's file goes here
  w_.SetProgramFolder(program.path());
  modal_.Drive([](QDialog& d) {
    auto& editor = static_cast<frmFSAircraftEdit&>(d);
    d.hide();
    d.setWindowModality(Qt::ApplicationModal);
    d.show();
    d.activateWindow();
    editor.txtATCID->setFocus();
    for (QPushButton* command : {editor.cmdACTypeDat, editor.cmdSave}) {
      editor.cmdSave->setEnabled(true);
      command->click();
      QApplication::processEvents();
      EXPECT_EQ(QApplication::activeWindow(), &d);
      EXPECT_EQ(QApplication::focusWidget(), editor.txtATCID);
    }
  });
  w_.mnuToolsAircraftEditor->trigger();
}

}  // namespace
}  // namespace velk
