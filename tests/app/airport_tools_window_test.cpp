// The airport tools reached through the main window's Tools menu.
#include <QAction>
#include <QCoreApplication>
#include <filesystem>

#include <gtest/gtest.h>

#include "airport_tools/ui/airport_tools.h"
#include "airport_tools/ui/frm_airport_search.h"
#include "data/scenery_airports.h"
#include "data/scenery_cache.h"
#include "data/scenery_test_support.h"
#include "support/sample_window_test.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

class AirportToolsWindowTest : public test::SampleWindowTest {
 protected:
  void SetUp() override {
    SampleWindowTest::SetUp();
    // The program folder of the test keeps the scenery cache to itself.
    w_.SetProgramFolder(program_.path());
  }
  test::SceneryStateGuard scenery_;
  test::TempDir program_;
};

TEST_F(AirportToolsWindowTest, ToolsMenuOpensTheSearchAndDeletesTheCache) {
  w_.mnuToolsAirportSearch->trigger();
  frmAirportSearch* search = w_.AirportToolWindows()->SearchWindow();
  ASSERT_NE(search, nullptr);
  EXPECT_EQ(search->parentWidget(), &w_);
  EXPECT_FALSE(SceneryAirports().empty());
  EXPECT_TRUE(fs::exists(program_ / kSceneryCacheFileName));
  EXPECT_FALSE(w_.IsBusy() || w_.ProgressLoaded());

  boxes_.Answer(kIdYes);
  w_.mnuToolsDeleteCache->trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Are your sure to delete all Cache files?"});
  EXPECT_FALSE(fs::exists(program_ / kSceneryCacheFileName));
  EXPECT_TRUE(SceneryAirports().empty());
  EXPECT_EQ(w_.AirportToolWindows()->SearchWindow(), nullptr);
}

}  // namespace
}  // namespace velk
