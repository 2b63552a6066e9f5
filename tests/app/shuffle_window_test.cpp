// The shuffle's commands as the main window offers them: the Tools menu
// generators and the Shuffle tab's "Create 'AircraftTypes.dat'" button over
// the sample plan and the sample simulator.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "app/frm_main.h"
#include "data/plan_records.h"
#include "data/program_state.h"
#include "data/scenery_airports.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_file.h"
#include "sample_sim/sample_sim.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::TempDir;

class ShuffleMainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(sample::MakeSampleSimulator(sim.path(), &error)) << error;
    for (const char* name : {"FlightPlans.txt", "Aircraft.txt", "Airports.txt"})
      fs::copy_file(test::SourceDir() / "sample" / name, plans / name);
    Program() = ProgramState{};
    Plan() = PlanState{};
    SceneryAirports().clear();
    w.SetProgramFolder(installed.path());
    ASSERT_TRUE(w.StartUp());
    w.onSplashTimer();
  }
  void TearDown() override {
    Plan() = PlanState{};
    SceneryAirports().clear();
  }
  void OpenSamplePlan() {
    dialogs.Answer((plans / "FlightPlans.txt").string());
    w.mnuFileLoad->trigger();
  }

  TempDir sim, home, plans, program;
  test::ProgramFolder installed;
  ScopedEnv config{"VELK_CONFIG_HOME", home.path().string()};
  ScopedEnv fsPath{"VELK_FS_PATH", sim.path().string()};
  ScriptedMessageBoxes boxes;
  ScriptedFileDialogs dialogs;
  frmMain w;
};

TEST_F(ShuffleMainWindow, ToolsMenuAndShuffleTabCommandsWriteIntoTheProgramFolder) {
  // The configuration is read; the generated files go elsewhere.
  w.SetProgramFolder(program.path());

  // Without a plan the airline skeleton and the airport list can be made.
  EXPECT_FALSE(w.mnuToolsFPAirportsTXT->isEnabled());
  w.mnuToolsAirportsTXT->trigger();
  w.mnuToolsAirlinesCFG->trigger();
  EXPECT_EQ(boxes.Prompts(), (std::vector<std::string>{"Successfully generated 'New Airports.txt'.",
                                                       "Successfully generated 'New VELK_AL.CFG'."}));
  EXPECT_TRUE(fs::exists(program / "New Airports.txt"));
  EXPECT_TRUE(fs::exists(program / "AFDCache.dat"));

  boxes.Clear();
  OpenSamplePlan();
  ASSERT_TRUE(Plan().PlanLoaded);
  w.mnuToolsFPAirportsTXT->trigger();
  w.cmdACTypeDat->click();
  EXPECT_EQ(boxes.Prompts(), (std::vector<std::string>{"Successfully generated 'Flightplan Airports.txt'.",
                                                       "Successfully generated 'New AircraftTypes.dat'."}));
  // Every airport of the sample plan is in the sample scenery.
  auto airports = test::ReadFile(plans / "Flightplan Airports.txt");
  ASSERT_TRUE(airports);
  EXPECT_EQ(SplitLines(*airports).size(), Plan().Airports.size());
  // The plan's aircraft are ticked after loading: one line per installed
  // aircraft of those titles.
  std::set<std::string> titles;
  for (const PlanAircraft& a : Plan().PlanAircraftList) titles.insert(LeafKey(a.Title));
  size_t expected = 0;
  for (const FSAircraft& a : Plan().FSAircraftList) expected += titles.count(LeafKey(a.Title));
  auto types = test::ReadFile(program / "New AircraftTypes.dat");
  ASSERT_TRUE(types);
  EXPECT_EQ(SplitLines(*types).size(), expected);
  EXPECT_FALSE(w.IsBusy() || w.ProgressLoaded());
}

TEST_F(ShuffleMainWindow, TheShuffleTabShufflesTheSamplePlan) {
  OpenSamplePlan();
  ASSERT_TRUE(Plan().PlanLoaded);
  const size_t flights = Plan().Flights.size();
  // The plan's aircraft are ticked after loading; the shuffle takes them.
  const int ticked = w.ShuffleTree().CountSelectedAircraft();
  ASSERT_GT(ticked, 0);
  boxes.Clear();
  w.txtStartNumber->setText("100");
  w.cmdShuffle->click();

  ASSERT_EQ(boxes.Prompts().size(), 1u);
  std::smatch counts;
  const std::string message = boxes.Prompts()[0];
  ASSERT_TRUE(std::regex_match(message, counts, std::regex(R"((\d+) flights removed from Flightplan\. (\d+) flights remaining\.)")))
      << message;
  EXPECT_EQ(std::stoul(counts[1]) + std::stoul(counts[2]), flights);
  EXPECT_GT(std::stoul(counts[2]), 0u);
  EXPECT_EQ(boxes.Shown()[0].buttons, kMbIconQuestion);

  // The aircraft list numbered from 100, every remaining flight on one of
  // them, the trees rebuilt from it and the plan waiting to be saved.
  const auto& aircraft = Plan().PlanAircraftList;
  ASSERT_EQ(aircraft.size(), static_cast<size_t>(ticked));
  EXPECT_EQ(aircraft.front().Id, "AC#100");
  std::set<std::string> ids;
  for (const PlanAircraft& a : aircraft) ids.insert(a.Id);
  for (const Flight& f : Plan().Flights) {
    if (!f.Removed) {
      EXPECT_TRUE(ids.count(f.AircraftId)) << f.AircraftId;
    }
  }
  EXPECT_EQ(w.ShuffleTree().CountSelectedAircraft(), ticked);
  // Both trees draw again once the window does.
  EXPECT_TRUE(w.tvShuffleAircraft->updatesEnabled() && w.tvMoveAircrafts->updatesEnabled());
  int used = 0;
  for (const AircraftTreeNode& node : w.MoveTree().Nodes()) used += node.Tag.empty() ? 0 : 1;
  EXPECT_EQ(used, ticked);
  EXPECT_TRUE(Program().PlanModified);
  EXPECT_TRUE(w.mnuFileSave->isEnabled());
  EXPECT_EQ(Program().StartNumber, 100);
  EXPECT_FALSE(w.IsBusy() || w.ProgressLoaded());
}

}  // namespace
}  // namespace velk
