// The Shuffle tab's controller over bare widgets and a fake main window:
// the start number's check and "Auto Value", the switches, and a shuffle
// that cannot run or fails, which must leave the plan as it was.
#include "shuffle/ui/shuffle_tab.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "data/program_state.h"
#include "data/scenery_airports.h"
#include "platform/message_box.h"
#include "shuffle/shuffle_fixture.h"
#include "support/fake_plan_host.h"
#include "support/test_support.h"

namespace velk {
namespace {

struct ShuffleWidgets {
  QWidget page;
  QLineEdit txtStartNumber{&page};
  QPushButton cmdCalcStartNumber{"Auto Value", &page};
  QCheckBox ckOverwriteTailNumber{&page};
  QCheckBox ckRemoveMinus{&page};
  QCheckBox ckCheckFL{&page};
  QCheckBox ckIFRVFR{&page};
  QCheckBox ckCheckVisitedAirports{&page};
  QPushButton cmdShuffle{"Sh&uffle", &page};
  QPushButton cmdACTypeDat{"Create 'AircraftTypes.dat'", &page};

  ShuffleControls Controls() {
    return {&txtStartNumber, &cmdCalcStartNumber, &ckOverwriteTailNumber, &ckRemoveMinus, &ckCheckFL,
            &ckIFRVFR,       &ckCheckVisitedAirports, &cmdShuffle, &cmdACTypeDat};
  }
};

class ShuffleTabTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Program() = ProgramState{};
    host.plan.FSAircraftList = {test::Installed("Boeing 737-800", "Lufthansa", 7),
                                test::Installed("Cessna 172", "", 2, 120)};
    for (size_t i = 0; i < host.plan.FSAircraftList.size(); ++i) {
      const FSAircraft& a = host.plan.FSAircraftList[i];
      host.shuffleTree.AddAircraft(TreeGrouping::Classes, a.Title, a.ATCAirline, "", "", a.Class,
                                   static_cast<int>(i));
    }
    host.plan.PlanAircraftList = {{"AC#57", "Old Jet", "400", 3}};
    host.plan.HighestAircraftNumber = 57;
    host.plan.Flights = {test::MakeFlight("D-ABCD", "IFR", {test::Leg("08:00:00", "100", "KBOS")})};
    w.txtStartNumber.setText("1");
  }
  void TearDown() override { Program() = ProgramState{}; }

  ScriptedMessageBoxes boxes;
  test::FakePlanHost host;
  ShuffleWidgets w;
  ShuffleTab tab{w.Controls(), host};
};

TEST_F(ShuffleTabTest, StartNumberCheckAndAutoValue) {
  const std::pair<const char*, const char*> cases[] = {
      {"abc", kStartNumberNotNumericMessage}, {"", kStartNumberNotNumericMessage},
      {"0", kStartNumberTooSmallMessage},     {"-3", kStartNumberTooSmallMessage},
      {"12.5", nullptr},                      {"13.5", nullptr}};
  Program().StartNumber = 7;
  for (const auto& [text, message] : cases) {
    boxes.Clear();
    w.txtStartNumber.setText(text);
    EXPECT_EQ(tab.ValidateStartNumber(), message == nullptr) << text;
    if (message) {
      EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{message}) << text;
    }
  }
  // Halves go to the even neighbour; a refused text never reaches the number.
  EXPECT_EQ(Program().StartNumber, 14);

  // The check runs when the focus moves on within the window; a click on
  // Shuffle that leaves the box tells the user once.
  w.page.show();
  w.page.activateWindow();
  if (!QTest::qWaitForWindowActive(&w.page)) GTEST_SKIP() << "no active window on this platform";
  w.txtStartNumber.setFocus(Qt::OtherFocusReason);
  boxes.Clear();
  w.txtStartNumber.setText("0");
  w.ckRemoveMinus.setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{kStartNumberTooSmallMessage});
  EXPECT_TRUE(w.txtStartNumber.hasFocus());
  boxes.Clear();
  QTest::mouseClick(&w.cmdShuffle, Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{kStartNumberTooSmallMessage});
  EXPECT_TRUE(w.txtStartNumber.hasFocus());
  // Refused for a click elsewhere, the number is checked again by Enter.
  QTest::mouseClick(&w.ckCheckFL, Qt::LeftButton);
  QCoreApplication::processEvents();
  w.cmdShuffle.click();
  EXPECT_EQ(boxes.Prompts().size(), 3u);
  EXPECT_EQ(Program().StartNumber, 14);

  w.cmdCalcStartNumber.click();
  EXPECT_EQ(w.txtStartNumber.text(), "58");
  EXPECT_EQ(Program().StartNumber, 58);
  // Without plan aircraft there is nothing to go by.
  host.plan.PlanAircraftList.clear();
  w.txtStartNumber.setText("3");
  w.cmdCalcStartNumber.click();
  EXPECT_EQ(w.txtStartNumber.text(), "3");
}

TEST_F(ShuffleTabTest, NothingRunsWithoutATickedAircraftOrAValidStartNumber) {
  const PlanState before = host.plan;
  w.cmdShuffle.click();
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{kNoAircraftSelectedMessage});
  host.shuffleTree.Node(host.shuffleTree.FindLeaf("##CESSNA 172")).Checked = true;
  w.txtStartNumber.setText("x");
  w.cmdShuffle.click();
  EXPECT_EQ(boxes.Prompts().back(), kStartNumberNotNumericMessage);
  EXPECT_EQ(host.undoSaves, 0);
  EXPECT_EQ(host.plan.PlanAircraftList, before.PlanAircraftList);
  EXPECT_EQ(host.busyFrames, 0);
}

TEST_F(ShuffleTabTest, AFailedShuffleLeavesThePlanAsItWas) {
  // No scenery anywhere: the run cannot place a single flight.
  test::TempDir emptySim, program;
  test::ScopedEnv fsPath("VELK_FS_PATH", emptySim.path().string());
  host.programFolder = program.path();
  SceneryAirports().clear();
  host.shuffleTree.Node(host.shuffleTree.FindLeaf("##BOEING 737-800")).Checked = true;
  const PlanState before = host.plan;
  w.cmdShuffle.click();
  ASSERT_FALSE(boxes.Prompts().empty());
  EXPECT_EQ(boxes.Prompts().back(), kNoSceneryMessage);
  EXPECT_EQ(host.plan.PlanAircraftList, before.PlanAircraftList);
  EXPECT_EQ(host.plan.Flights, before.Flights);
  EXPECT_EQ(host.modifiedMarks, 0);
  EXPECT_EQ(host.undoSaves, 1);
  // The tabs are refreshed all the same, and the window is free again.
  EXPECT_EQ(host.treeRebuilds, 1);
  EXPECT_EQ(host.moveAirportFills + host.shuffleTabUpdates + host.searchResets + host.timetableResets, 4);
  EXPECT_EQ(host.busyDepth, 0);
  EXPECT_FALSE(host.ProgressLoaded());
}

}  // namespace
}  // namespace velk
