// The shuffle's commands as the main window offers them: the Tools menu
// generators and the Shuffle tab's "Create 'AircraftTypes.dat'" button over
// the sample plan and the sample simulator.
#include <QAction>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
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

TEST(ShuffleMainWindow, ToolsMenuAndShuffleTabCommandsWriteIntoTheProgramFolder) {
  TempDir sim, home, plans, program;
  std::string error;
  ASSERT_TRUE(sample::MakeSampleSimulator(sim.path(), &error)) << error;
  ScopedEnv config("VELK_CONFIG_HOME", home.path().string());
  ScopedEnv fsPath("VELK_FS_PATH", sim.path().string());
  for (const char* name : {"FlightPlans.txt", "Aircraft.txt", "Airports.txt"})
    fs::copy_file(test::SourceDir() / "sample" / name, plans / name);
  Program() = ProgramState{};
  Plan() = PlanState{};
  SceneryAirports().clear();
  ScriptedMessageBoxes boxes;
  ScriptedFileDialogs dialogs;

  frmMain w;
  w.SetProgramFolder(test::ToolsDir());
  ASSERT_TRUE(w.StartUp());
  w.onSplashTimer();
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
  dialogs.Answer((plans / "FlightPlans.txt").string());
  w.mnuFileLoad->trigger();
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
  Plan() = PlanState{};
  SceneryAirports().clear();
}

}  // namespace
}  // namespace velk
