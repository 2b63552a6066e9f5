// The flight plan aircraft editor driven headless over a small plan against
// the sample simulator's installed aircraft: colours, the adding, deleting,
// substituting and renaming commands with their questions and input boxes,
// and OK, Cancel and the close box.
#include "aircraft_editors/ui/frm_aircraft_edit.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <set>

#include <gtest/gtest.h>

#include "aircraft_editors/plan_builders.h"

#include "aircraft_editors/sample_sim_fixture.h"
#include "platform/input_box.h"
#include "platform/qt/modal_dialog.h"
#include "support/fake_plan_host.h"

namespace velk {
namespace {

using test::FlightOf;
using test::Plane;

class PlanAircraftEditWindowTest : public test::SampleSimTest {
 protected:
  void SetUp() override {
    test::SampleSimTest::SetUp();
    PlanState& plan = host_.plan;
    plan.FSAircraftList = plan_.FSAircraftList;
    plan.PlanAircraftList = {Plane("AC#1", "VELK Sample 737-800 Blue", "451"),
                             Plane("AC#2", "velk sample a320 red", "447"), Plane("AC#7", "Not installed", "300")};
    plan.Flights = {FlightOf("AC#1"), FlightOf("AC#2"), FlightOf("AC#1"), FlightOf("AC#7")};
    plan.PlanLoaded = true;
    original_ = plan;
  }

  static QTreeWidgetItem* Row(QTreeWidget* list, const QString& text) {
    for (int r = 0; r < list->topLevelItemCount(); ++r)
      if (list->topLevelItem(r)->text(0) == text) return list->topLevelItem(r);
    ADD_FAILURE() << "no row " << text.toStdString();
    return nullptr;
  }
  static QColor Colour(QTreeWidgetItem* row, int column = 0) { return row->foreground(column).color(); }
  static bool Painted(QTreeWidgetItem* row) { return row->data(0, Qt::ForegroundRole).isValid(); }
  static void SelectOnly(QTreeWidget* list, std::initializer_list<QTreeWidgetItem*> rows) {
    list->clearSelection();
    for (QTreeWidgetItem* r : rows) r->setSelected(true);
    list->setCurrentItem(*rows.begin(), 0, QItemSelectionModel::NoUpdate);
  }

  test::FakePlanHost host_;
  PlanState original_;
};

TEST_F(PlanAircraftEditWindowTest, ListsThePlanAgainstTheInstalledAircraft) {
  frmAircraftEdit w(host_);
  w.Load();
  EXPECT_EQ(w.windowTitle(), "Flight Plan Aircraft Editor");
  ASSERT_EQ(w.lvAircrafts->topLevelItemCount(), 3);
  // The plan's own order until a column is clicked.
  EXPECT_EQ(w.lvAircrafts->topLevelItem(2)->text(0), "AC#7");
  EXPECT_EQ(w.lvAircrafts->topLevelItem(2)->text(1), "300");
  EXPECT_EQ(Colour(w.lvAircrafts->topLevelItem(2), 2), QColor(255, 0, 0));
  EXPECT_FALSE(Painted(w.lvAircrafts->topLevelItem(0)));
  EXPECT_FALSE(Painted(w.lvAircrafts->topLevelItem(1)));  // other case, same title
  EXPECT_EQ(w.HighestNumber(), 7);
  EXPECT_EQ(w.cmAircraft->count(), 3);
  EXPECT_EQ(w.cmAircraft->currentText(), "AC#1 - VELK Sample 737-800 Blue");

  EXPECT_EQ(w.lvFSAircraft->topLevelItemCount(), 33);
  EXPECT_EQ(w.lvFSAircraft->topLevelItem(0)->text(0), "VELK Sample 172 Tourer");
  QTreeWidgetItem* used = Row(w.lvFSAircraft, "VELK Sample A320 Red");
  EXPECT_TRUE(frmAircraftEdit::Used(used));
  EXPECT_EQ(Colour(used, 3), QColor(0, 0, 255));
  EXPECT_FALSE(frmAircraftEdit::Used(Row(w.lvFSAircraft, "VELK Sample A320 White")));
  EXPECT_TRUE(w.cmdDelete->isEnabled());
  EXPECT_FALSE(w.cmdSave->isEnabled());

  // Text sort: AC#10 before AC#2; a second click reverses.
  host_.plan.PlanAircraftList.push_back(Plane("AC#10", "ten"));
  w.Load();
  w.SortList(w.lvAircrafts, 0);
  EXPECT_EQ(w.lvAircrafts->topLevelItem(1)->text(0), "AC#10");
  w.SortList(w.lvAircrafts, 0);
  EXPECT_EQ(w.lvAircrafts->topLevelItem(0)->text(0), "AC#7");

  // Nothing in the plan: only the adding commands.
  host_.plan.PlanAircraftList.clear();
  w.Load();
  EXPECT_FALSE(w.cmdDelete->isEnabled());
  EXPECT_FALSE(w.cmdSubstitute->isEnabled());
  EXPECT_FALSE(w.cmdNumber->isEnabled());
  EXPECT_TRUE(w.cmdAdd->isEnabled());
}

TEST_F(PlanAircraftEditWindowTest, AddingNumbersNewAircraftAboveTheHighest) {
  frmAircraftEdit w(host_);
  w.Load();
  SelectOnly(w.lvFSAircraft, {Row(w.lvFSAircraft, "VELK Sample 747-400 Navy"), Row(w.lvFSAircraft, "VELK Sample 172 Trainer")});
  w.cmdAdd->click();
  const auto& list = host_.plan.PlanAircraftList;
  ASSERT_EQ(list.size(), 5u);
  // In the list's order, with the class cruise speed.
  EXPECT_EQ(list[3], Plane("AC#8", "VELK Sample 172 Trainer", "120"));
  EXPECT_EQ(list[4], Plane("AC#9", "VELK Sample 747-400 Navy", "490"));
  EXPECT_TRUE(frmAircraftEdit::Used(Row(w.lvFSAircraft, "VELK Sample 747-400 Navy")));
  EXPECT_EQ(w.lvAircrafts->currentItem()->text(0), "AC#9");
  EXPECT_EQ(w.lvAircrafts->selectedItems().size(), 1);
  EXPECT_EQ(w.cmAircraft->itemText(4), "AC#9 - VELK Sample 747-400 Navy");
  EXPECT_TRUE(w.cmdSave->isEnabled());

  // A used aircraft is added only after a Yes; No stops the whole command.
  SelectOnly(w.lvFSAircraft, {Row(w.lvFSAircraft, "VELK Sample 737-800 Blue"), Row(w.lvFSAircraft, "VELK Sample A320 White")});
  boxes_.Answer(kIdNo);
  w.cmdAdd->click();
  EXPECT_EQ(list.size(), 5u);
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_EQ(boxes_.Shown()[0].prompt,
            "Aircraft 'VELK Sample 737-800 Blue' already in your 'Aircraft.txt'. Would you like to add it anyway?");
  EXPECT_EQ(boxes_.Shown()[0].buttons, kMbYesNo | kMbIconQuestion | kMbDefButton2);
  boxes_.Answer(kIdYes);
  w.cmdAdd->click();
  ASSERT_EQ(list.size(), 7u);
  EXPECT_EQ(list[5].Id, "AC#10");
  EXPECT_EQ(list[6].Title, "VELK Sample A320 White");
}

TEST_F(PlanAircraftEditWindowTest, AddMissingSkipsUsedAircraftAndTitlesAircraftTxtCannotHold) {
  host_.plan.FSAircraftList[IndexOf("VELK Sample ATR 72 Navy")].Title = "VELK Sample, ATR Navy";
  // A "Not Used" aircraft brings its own cruise speed; none at all is said.
  FSAircraft& unused = host_.plan.FSAircraftList[IndexOf("VELK Sample Learjet 45 Black")];
  unused.CruiseSpeed = 0;
  unused.CfgCruiseSpeed = 0;
  frmAircraftEdit w(host_);
  w.Load();
  // A number given away by renumbering is not given again.
  ScriptedInputBoxes inputs;
  inputs.Answer("8");
  SelectOnly(w.lvAircrafts, {Row(w.lvAircrafts, "AC#7")});
  w.cmdNumber->click();
  ASSERT_EQ(w.HighestNumber(), 7);
  w.cmdAddMissing->click();
  const auto& list = host_.plan.PlanAircraftList;
  ASSERT_EQ(list.size(), 3u + 33u - 2u - 1u);
  EXPECT_EQ(list[2].Id, "AC#8");
  EXPECT_EQ(list[3].Id, "AC#9");
  EXPECT_EQ(list[4].Id, "AC#10");
  std::set<std::string> ids;
  for (const PlanAircraft& a : list) ids.insert(a.Id);
  EXPECT_EQ(ids.size(), list.size());
  ASSERT_EQ(boxes_.Prompts().size(), 2u);
  EXPECT_EQ(boxes_.Prompts()[0], std::string(frmAircraftEdit::kTitlesSkipped) + "\r\nVELK Sample, ATR Navy");
  EXPECT_EQ(boxes_.Prompts()[1], std::string(frmAircraftEdit::kNoSpeed) + "\r\nVELK Sample Learjet 45 Black");
}

// A folder that could not be read is shown by the simulator aircraft editor
// only: here it is no aircraft to list, to add or to count as installed.
TEST_F(PlanAircraftEditWindowTest, AnUnreadableFolderIsNoInstalledAircraft) {
  auto& installed = host_.plan.FSAircraftList;
  FSAircraft unread;
  unread.Unreadable = true;
  for (const char* title : {"Not installed", "Gone"}) {
    unread.Title = title;
    installed.insert(installed.begin(), unread);
  }
  frmAircraftEdit w(host_);
  w.Load();
  EXPECT_EQ(w.lvFSAircraft->topLevelItemCount(), 33);
  EXPECT_EQ(Colour(Row(w.lvAircrafts, "AC#7"), 2), QColor(255, 0, 0));
  w.cmdAddMissing->click();
  ASSERT_EQ(host_.plan.PlanAircraftList.size(), 3u + 33u - 2u);
  for (const PlanAircraft& a : host_.plan.PlanAircraftList) EXPECT_NE(a.Title, "Gone");
}

TEST_F(PlanAircraftEditWindowTest, DeleteAndSubstituteChangeTheFlights) {
  frmAircraftEdit w(host_);
  w.Load();
  // Substitute AC#7 by the combo's AC#2.
  SelectOnly(w.lvAircrafts, {Row(w.lvAircrafts, "AC#7")});
  w.cmAircraft->setCurrentIndex(1);
  boxes_.Answer(kIdYes);
  w.cmdSubstitute->click();
  EXPECT_EQ(host_.plan.Flights[3].AircraftId, "AC#2");
  EXPECT_EQ(boxes_.Prompts(), (std::vector<std::string>{frmAircraftEdit::kSubstituteQuestion, "1 flights modified."}));

  // Delete both selected, after a Yes.
  boxes_.Clear();
  SelectOnly(w.lvAircrafts, {Row(w.lvAircrafts, "AC#1"), Row(w.lvAircrafts, "AC#7")});
  boxes_.Answer(kIdNo);
  w.cmdDelete->click();
  EXPECT_EQ(host_.plan.PlanAircraftList.size(), 3u);
  boxes_.Answer(kIdYes);
  w.cmdDelete->click();
  EXPECT_EQ(host_.plan.PlanAircraftList, (std::vector<PlanAircraft>{Plane("AC#2", "velk sample a320 red", "447")}));
  EXPECT_EQ(boxes_.Prompts().back(), "2 flights removed.");
  EXPECT_EQ(w.lvAircrafts->topLevelItemCount(), 1);
  EXPECT_EQ(w.HighestNumber(), 2);
  EXPECT_FALSE(frmAircraftEdit::Used(Row(w.lvFSAircraft, "VELK Sample 737-800 Blue")));
}

TEST_F(PlanAircraftEditWindowTest, SpeedTitleAndNumberAskAndCheck) {
  frmAircraftEdit w(host_);
  w.Load();
  w.resize(720, 600);
  ScriptedInputBoxes inputs;
  SelectOnly(w.lvAircrafts, {Row(w.lvAircrafts, "AC#1")});

  inputs.Answer("0");
  inputs.Answer("250.7");
  w.cmdSpeed->click();
  EXPECT_EQ(host_.plan.PlanAircraftList[0].CruiseSpeed, "251");
  EXPECT_EQ(w.lvAircrafts->topLevelItem(0)->text(1), "251");
  ASSERT_EQ(inputs.Shown().size(), 2u);
  EXPECT_EQ(inputs.Shown()[0].prompt, frmAircraftEdit::kSpeedPrompt);
  EXPECT_EQ(inputs.Shown()[0].defaultText, "451");
  EXPECT_EQ(inputs.Shown()[0].x, w.frameGeometry().left() + w.frameGeometry().width() / 3);
  EXPECT_EQ(inputs.Shown()[0].y, w.frameGeometry().top() + w.frameGeometry().height() / 3);
  EXPECT_EQ(boxes_.Prompts(), (std::vector<std::string>{frmAircraftEdit::kSpeedRange}));

  // Blanks, a cancel or the same title change nothing; a comma is refused.
  inputs.Answer("   ");
  w.cmdTitle->click();
  inputs.Cancel();
  w.cmdTitle->click();
  EXPECT_EQ(host_.plan.PlanAircraftList[0].Title, "VELK Sample 737-800 Blue");
  inputs.Answer("Blue, new");
  inputs.Answer("Blue new");
  w.cmdTitle->click();
  EXPECT_EQ(host_.plan.PlanAircraftList[0].Title, "Blue new");
  EXPECT_EQ(w.cmAircraft->itemText(0), "AC#1 - Blue new");
  EXPECT_EQ(boxes_.Prompts().back(), frmAircraftEdit::kBadTitle);

  // Renumbering: the same number ends quietly; one in use or out of range
  // asks again; a free one renames the aircraft and its flights.
  boxes_.Clear();
  inputs.Answer("1");
  w.cmdNumber->click();
  EXPECT_TRUE(boxes_.Prompts().empty());
  inputs.Answer("2");
  inputs.Answer("65536");
  inputs.Answer("12");
  w.cmdNumber->click();
  EXPECT_EQ(boxes_.Prompts(), (std::vector<std::string>{frmAircraftEdit::kNumberInUse, frmAircraftEdit::kNumberRange}));
  EXPECT_EQ(host_.plan.Flights[2].AircraftId, "AC#12");
  EXPECT_EQ(w.lvAircrafts->topLevelItem(0)->text(0), "AC#12");
  EXPECT_EQ(inputs.Shown().back().defaultText, "65536");
}

TEST_F(PlanAircraftEditWindowTest, OkKeepsCancelAndNoPutEverythingBack) {
  auto change = [](frmAircraftEdit& w) {
    SelectOnly(w.lvAircrafts, {w.lvAircrafts->topLevelItem(0)});
    ScriptedMessageBoxes yes(kIdYes);
    w.cmdDelete->click();
  };
  {  // Closed without a change: no question, 0.
    frmAircraftEdit w(host_);
    w.Load();
    w.show();
    w.close();
    EXPECT_EQ(w.DialogResult(), 0);
    EXPECT_TRUE(boxes_.Prompts().empty());
  }
  {  // Cancel puts everything back without a question.
    frmAircraftEdit w(host_);
    w.Load();
    w.show();
    change(w);
    w.cmdCancel->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.DialogResult(), 0);
    EXPECT_EQ(host_.plan.PlanAircraftList, original_.PlanAircraftList);
    EXPECT_EQ(host_.plan.Flights, original_.Flights);
  }
  {  // The close box and Esc ask: Cancel stays, No puts back, Yes keeps.
    frmAircraftEdit w(host_);
    w.Load();
    w.show();
    change(w);
    boxes_.Answer(kIdCancel);
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(host_.plan.PlanAircraftList.size(), 2u);
    boxes_.Answer(kIdNo);
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.DialogResult(), 0);
    EXPECT_EQ(host_.plan.Flights, original_.Flights);
    EXPECT_EQ(boxes_.Prompts(), (std::vector<std::string>{frmAircraftEdit::kSaveQuestion, frmAircraftEdit::kSaveQuestion}));
    w.show();
    change(w);
    boxes_.Answer(kIdYes);
    w.close();
    EXPECT_EQ(w.DialogResult(), 1);
    EXPECT_EQ(host_.plan.PlanAircraftList.size(), 2u);
  }
  host_.plan = original_;
  boxes_.Clear();
  ScriptedModalDialogs dialogs;
  dialogs.Drive([&](QDialog& d) {
    auto& w = static_cast<frmAircraftEdit&>(d);
    change(w);
    w.cmdSave->click();
  });
  frmAircraftEdit::Run(host_);
  EXPECT_TRUE(boxes_.Prompts().empty());
  EXPECT_EQ(host_.plan.PlanAircraftList.size(), 2u);
  EXPECT_EQ((std::vector<int>{host_.undoSaves, host_.modifiedMarks, host_.treeRebuilds, host_.timetableResets,
                              host_.searchResets, host_.moveAirportFills, host_.shuffleTabUpdates}),
            (std::vector<int>(7, 1)));
  EXPECT_EQ(host_.plan.HighestAircraftNumber, 7);
  // Cancelled: nothing of the main window is touched.
  dialogs.Drive([&](QDialog& d) {
    auto& w = static_cast<frmAircraftEdit&>(d);
    change(w);
    w.cmdCancel->click();
  });
  frmAircraftEdit::Run(host_);
  EXPECT_EQ(host_.undoSaves, 1);
  EXPECT_EQ(host_.modifiedMarks, 1);
  EXPECT_EQ(host_.plan.PlanAircraftList.size(), 2u);
}

}  // namespace
}  // namespace velk
