// The Move tab's controller over bare widgets and a fake main window: the
// airport lists, the plain and percent moves with their prompts and
// messages, and action files saved, loaded and executed again.
#include "search/ui/move_tab.h"

#include <QComboBox>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "gui/aircraft_tree_view.h"
#include "platform/file_dialog.h"
#include "platform/input_box.h"
#include "platform/message_box.h"
#include "search/move_action_file.h"
#include "support/fake_plan_host.h"
#include "support/test_support.h"

namespace velk {
namespace {

struct MoveWidgets {
  QWidget page;
  QTreeWidget tvMoveAircrafts{&page};
  QComboBox cmSource{&page};
  QComboBox cmDest{&page};
  QPushButton cmdMove{"&Move", &page};
  QPushButton cmdMovePercent{"&Percent", &page};
  QPushButton cmdMoveSave{"&Save Action", &page};
  QPushButton cmdMoveLoad{"&Load Action", &page};
  QPushButton cmdMoveExecute{"&Execute Action", &page};

  MoveControls Controls() {
    return {&tvMoveAircrafts, &cmSource, &cmDest, &cmdMove, &cmdMovePercent, &cmdMoveSave, &cmdMoveLoad,
            &cmdMoveExecute};
  }
};

FlightLeg To(const std::string& icao) {
  FlightLeg leg;
  leg.DestinationIcao = icao;
  return leg;
}

class MoveTabTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* icao : {"LOWW", "KJFK", "EDDF"}) host.plan.Airports.push_back({icao, "", "", "0"});
    // AC#1 and AC#3 fly the Boeing, AC#2 the Airbus; the Cessna is unused.
    for (int i = 0; i < 4; ++i) {
      Flight f;
      f.AircraftId = i == 3 ? "AC#2" : "AC#1";
      f.Legs = {To("EDDF"), To("KJFK")};
      host.plan.Flights.push_back(f);
    }
    AircraftTree& tree = host.moveTree;
    tree.AddAircraft(TreeGrouping::Classes, "Boeing 737-800", "", "", "", 7, 0);
    tree.AddAircraft(TreeGrouping::Classes, "Airbus A320", "", "", "", 7, 1);
    tree.AddAircraft(TreeGrouping::Classes, "Cessna 172", "", "", "", 2, 2);
    tree.MarkUsedBy(tree.FindLeaf("##BOEING 737-800"), "AC#1");
    tree.MarkUsedBy(tree.FindLeaf("##BOEING 737-800"), "AC#3");
    tree.MarkUsedBy(tree.FindLeaf("##AIRBUS A320"), "AC#2");
    tree.Sort();
    ShowAircraftTree(&w.tvMoveAircrafts, tree);
    host.window.setGeometry(100, 200, 800, 600);
    tab.FillMoveAirports();
  }

  void Tick(const char* key) {
    int id = host.moveTree.FindLeaf(key);
    if (id < 0) id = host.moveTree.FindGroup(key);
    host.moveTree.Node(id).Checked = true;
    host.moveTree.NodeCheck(id);
  }
  void Choose(const char* source, const char* destination) {
    w.cmSource.setCurrentText(source);
    w.cmDest.setCurrentText(destination);
  }
  std::string Destinations() const {  // leg 0 of each flight
    std::string out;
    for (const Flight& f : host.plan.Flights) out += f.Legs[0].DestinationIcao + " ";
    return out;
  }

  ScriptedMessageBoxes boxes;
  ScriptedInputBoxes inputs;
  ScriptedFileDialogs dialogs;
  test::FakePlanHost host;
  MoveWidgets w;
  MoveTab tab{w.Controls(), host};
};

TEST_F(MoveTabTest, AirportListsAreSortedWithoutRegardToCaseAndSetTheButtons) {
  host.plan.Airports = {{"LOWW", "", "", ""}, {"eddf", "", "", ""}, {"KJFK", "", "", ""}, {"EDDF", "", "", ""}};
  tab.FillMoveAirports();
  QStringList items;
  for (int i = 0; i < w.cmDest.count(); ++i) items << w.cmDest.itemText(i);
  EXPECT_EQ(items, (QStringList{"eddf", "EDDF", "KJFK", "LOWW"}));
  EXPECT_TRUE(w.cmdMove.isEnabled() && w.cmdMovePercent.isEnabled() && w.cmdMoveLoad.isEnabled());
  EXPECT_FALSE(w.cmdMoveSave.isEnabled() || w.cmdMoveExecute.isEnabled());

  // Right after the fill both boxes show the first airport.
  w.cmdMovePercent.click();
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{kSameAirportsMessage});
  EXPECT_EQ(boxes.Shown()[0].buttons, kMbIconExclamation);
  EXPECT_TRUE(inputs.Shown().empty());
  EXPECT_EQ(host.undoSaves, 0);

  host.plan.Airports.clear();
  tab.FillMoveAirports();
  EXPECT_FALSE(w.cmdMove.isEnabled() || w.cmdMovePercent.isEnabled() || w.cmdMoveLoad.isEnabled());
}

TEST_F(MoveTabTest, PlainAndPercentMovesOfTheTickedAircraft) {
  Tick("##BOEING 737-800");
  Tick("##CESSNA 172");  // used by no flight: chooses nothing
  Choose("EDDF", "LOWW");
  w.cmdMove.click();
  EXPECT_EQ(Destinations(), "LOWW LOWW LOWW EDDF ");
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{"Successfully moved 3 flights from EDDF to LOWW."});
  EXPECT_EQ(boxes.Shown()[0].buttons, kMbIconQuestion);
  EXPECT_EQ(host.undoSaves + host.searchResets + host.timetableResets + host.modifiedMarks, 4);
  EXPECT_TRUE(w.cmdMoveSave.isEnabled());

  // Cancel, a text that is no number, or -1: nothing at all.
  boxes.Clear();
  inputs.Cancel();
  inputs.Answer("half");
  inputs.Answer("-1");
  Choose("LOWW", "KJFK");
  for (int i = 0; i < 3; ++i) w.cmdMovePercent.click();
  EXPECT_TRUE(boxes.Shown().empty());
  EXPECT_EQ(host.undoSaves, 1);
  ASSERT_EQ(inputs.Shown().size(), 3u);
  const InputBoxRequest& prompt = inputs.Shown()[0];
  EXPECT_EQ(prompt.prompt, kMovePercentPrompt);
  EXPECT_EQ(prompt.defaultText, "50");
  EXPECT_TRUE(prompt.usePosition);
  EXPECT_EQ(prompt.x, host.window.frameGeometry().left() + host.window.frameGeometry().width() / 4);
  EXPECT_EQ(prompt.y, host.window.frameGeometry().top() + host.window.frameGeometry().height() / 4);

  inputs.Answer("49.5");  // rounds to 50: the 1st and 3rd leg move
  w.cmdMovePercent.click();
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{"Successfully moved 2 of 3 flights from LOWW to KJFK."});
  EXPECT_EQ(tab.MovePercent(), 50);
  w.cmdMovePercent.click();  // cancelled; the default is the last percent
  EXPECT_EQ(inputs.Shown().back().defaultText, "50");
}

TEST_F(MoveTabTest, AnActionSavedLoadedAndExecutedGivesTheSamePlan) {
  test::TempDir dir;
  const std::string file = (dir / "move.velka").string();
  const std::vector<Flight> original = host.plan.Flights;
  Tick("#Large Jet");  // the group: its two leaves go into the file
  Choose("EDDF", "KJFK");
  inputs.Answer("50");
  w.cmdMovePercent.click();
  const std::vector<Flight> moved = host.plan.Flights;
  // The window is free again when the closing messages show.
  std::vector<int> busyAtMessage;
  MessageBoxHandler scripted = SetMessageBoxHandler([&](const MessageBoxRequest& r) {
    busyAtMessage.push_back(host.busyDepth);
    return scripted(r);
  });
  dialogs.Answer(file);
  w.cmdMoveSave.click();
  EXPECT_EQ(boxes.Prompts().back(), kActionSavedMessage);
  const FileDialogRequest& save = dialogs.Shown()[0];
  EXPECT_EQ(save.title + "|" + save.fileName + "|" + save.filter, "Save Action|VELK Action.velka|" + std::string(kMoveActionFilter));
  EXPECT_EQ(save.flags, 2625542);
  auto saved = LoadMoveActionFile(file);
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->Selection, (std::vector<std::string>{"Boeing 737-800", "Airbus A320"}));

  // Another day: the plan as it was, other choices on the tab.
  host.plan.Flights = original;
  tab.FillMoveAirports();
  host.moveTree.DeselectAll();
  Tick("##CESSNA 172");
  dialogs.Answer(file);
  w.cmdMoveLoad.click();
  EXPECT_EQ(boxes.Prompts().back(), kActionLoadedMessage);
  SetMessageBoxHandler(scripted);
  EXPECT_EQ(busyAtMessage, (std::vector<int>{0, 0}));
  EXPECT_EQ(dialogs.Shown()[1].flags, 2134020);
  EXPECT_TRUE(w.cmdMoveExecute.isEnabled());
  EXPECT_EQ(tab.MovePercent(), 50);
  EXPECT_EQ(w.cmSource.currentText(), "EDDF");
  EXPECT_EQ(w.cmDest.currentText(), "KJFK");
  EXPECT_FALSE(host.moveTree.Node(host.moveTree.FindLeaf("##CESSNA 172")).Checked);
  // The group is checked again through its leaves, and the widget shows it.
  EXPECT_TRUE(host.moveTree.Node(host.moveTree.FindGroup("#Large Jet")).Checked);
  EXPECT_EQ(w.tvMoveAircrafts.topLevelItem(0)->checkState(0), Qt::Checked);

  const size_t asked = inputs.Shown().size();
  w.cmdMoveExecute.click();
  EXPECT_EQ(inputs.Shown().size(), asked);  // no prompt while an action runs
  EXPECT_EQ(host.plan.Flights, moved);
}

TEST_F(MoveTabTest, LoadingRefusesFilesThatAreNoActionOrNameOtherAirports) {
  test::TempDir dir;
  test::WriteFile(dir / "other.velka", "[GENERAL]\r\nTYPE=2\r\n");
  test::WriteFile(dir / "elsewhere.velka",
                  "[GENERAL]\r\nTYPE=1\r\n[SELECTION]\r\nboeing 737-800=1\r\n[OPTIONS]\r\nPERCENT=150\r\n"
                  "SOURCE=eddf\r\nDESTINATION=ZZZZ\r\n");
  w.cmdMoveExecute.setEnabled(true);
  w.cmdMoveLoad.click();  // cancelled
  EXPECT_FALSE(w.cmdMoveExecute.isEnabled());
  EXPECT_TRUE(boxes.Shown().empty());

  dialogs.Answer((dir / "other.velka").string());
  w.cmdMoveLoad.click();
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{kNotAnActionMessage});

  // The selection and percent load; the airport the plan lacks is named and
  // Execute stays off. A name in other case checks its node.
  boxes.Clear();
  dialogs.Answer((dir / "elsewhere.velka").string());
  w.cmdMoveLoad.click();
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{ActionAirportMissingMessage("ZZZZ")});
  EXPECT_FALSE(w.cmdMoveExecute.isEnabled());
  EXPECT_EQ(tab.MovePercent(), -1);
  EXPECT_EQ(w.cmSource.currentText(), "EDDF");
  EXPECT_TRUE(host.moveTree.Node(host.moveTree.FindLeaf("##BOEING 737-800")).Checked);
  EXPECT_EQ(host.busyDepth, 0);
}

}  // namespace
}  // namespace velk
