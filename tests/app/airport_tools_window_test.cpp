// The airport tools reached through the main window's Tools menu.
#include <QAction>
#include <QCoreApplication>
#include <filesystem>

#include <gtest/gtest.h>

#include "airport_tools/ui/airport_tools.h"
#include "airport_tools/ui/frm_airport_search.h"
#include "app/frm_main.h"
#include "data/program_state.h"
#include "data/scenery_airports.h"
#include "data/scenery_cache.h"
#include "data/scenery_test_support.h"
#include "platform/message_box.h"
#include "sample_sim/sample_sim.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

TEST(AirportToolsWindow, ToolsMenuOpensTheSearchAndDeletesTheCache) {
  test::SceneryStateGuard scenery;
  test::TempDir sim, program, home;
  std::string error;
  ASSERT_TRUE(sample::MakeSampleSimulator(sim.path(), &error)) << error;
  // The program folder of the test keeps the scenery cache to itself.
  for (const auto& e : fs::directory_iterator(test::ToolsDir()))
    if (e.path().extension() == ".CFG") fs::copy_file(e.path(), program / e.path().filename().string());
  test::ScopedEnv fsPath{"VELK_FS_PATH", sim.path().string()};
  test::ScopedEnv config{"VELK_CONFIG_HOME", home.path().string()};
  ScriptedMessageBoxes boxes{kIdYes};
  Program() = ProgramState{};
  frmMain w;
  w.SetProgramFolder(program.path());
  ASSERT_TRUE(w.StartUp());
  w.onSplashTimer();

  w.mnuToolsAirportSearch->trigger();
  frmAirportSearch* search = w.AirportToolWindows()->SearchWindow();
  ASSERT_NE(search, nullptr);
  EXPECT_EQ(search->parentWidget(), &w);
  EXPECT_FALSE(SceneryAirports().empty());
  EXPECT_TRUE(fs::exists(program / kSceneryCacheFileName));
  EXPECT_FALSE(w.IsBusy() || w.ProgressLoaded());

  w.mnuToolsDeleteCache->trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{"Are your sure to delete all Cache files?"});
  EXPECT_FALSE(fs::exists(program / kSceneryCacheFileName));
  EXPECT_TRUE(SceneryAirports().empty());
  EXPECT_EQ(w.AirportToolWindows()->SearchWindow(), nullptr);
}

}  // namespace
}  // namespace velk
