// The airport tools reached through the main window's Tools menu.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "airport_tools/ui/airport_tools.h"
#include "airport_tools/ui/frm_airport_search.h"
#include "airport_tools/ui/frm_resize_gates.h"
#include "app/sample_window_test.h"
#include "data/scenery_airports.h"
#include "data/scenery_cache.h"
#include "data/scenery_test_support.h"
#include "platform/folder_list.h"
#include "platform/sim_location.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

class AirportToolsWindowTest : public test::SampleWindowTest {
 protected:
  test::SceneryStateGuard scenery_;
};

TEST_F(AirportToolsWindowTest, ToolsMenuOpensTheSearchAndDeletesTheCache) {
  w_.mnuToolsAirportSearch->trigger();
  frmAirportSearch* search = w_.AirportToolWindows()->SearchWindow();
  ASSERT_NE(search, nullptr);
  EXPECT_EQ(search->parentWidget(), &w_);
  EXPECT_FALSE(SceneryAirports().empty());
  EXPECT_TRUE(fs::exists(programFolder_ / kSceneryCacheFileName));
  EXPECT_FALSE(w_.IsBusy() || w_.ProgressLoaded());

  boxes_.Answer(kIdYes);
  w_.mnuToolsDeleteCache->trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Are your sure to delete all Cache files?"});
  EXPECT_FALSE(fs::exists(programFolder_ / kSceneryCacheFileName));
  EXPECT_TRUE(SceneryAirports().empty());
  EXPECT_EQ(w_.AirportToolWindows()->SearchWindow(), nullptr);
}

// A tool window takes the focus once it is up, keeps it through its own long
// work, and a close request while the work lets events run is refused
// instead of pulling the window away under it.
TEST_F(AirportToolsWindowTest, ToolWindowsSurviveACloseWhileBusyAndKeepTheFocus) {
  QPointer<QWidget> closed;
  QTimer::singleShot(0, [&] {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* s = qobject_cast<frmAirportSearch*>(top)) (closed = s)->close();
  });
  w_.activateWindow();
  w_.mnuToolsAirportSearch->trigger();
  QCoreApplication::processEvents();
  ASSERT_FALSE(closed.isNull());
  EXPECT_EQ(w_.AirportToolWindows()->SearchWindow(), closed.data());
  EXPECT_EQ(QApplication::activeWindow(), closed.data());

  boxes_.Answer(kIdYes);
  w_.mnuToolsResizeGates->trigger();
  frmResizeGates* resize = w_.AirportToolWindows()->ResizeWindow();
  ASSERT_NE(resize, nullptr);
  resize->cmType->setFocus();
  resize->cmdOK->click();
  QCoreApplication::processEvents();
  ASSERT_EQ(Prompts().size(), 2u);
  EXPECT_EQ(QApplication::activeWindow(), resize);
  EXPECT_EQ(QApplication::focusWidget(), resize->cmType);
}

// A folder whose listing fails part way (an I/O error of the file system)
// ends the step that lists it with a message naming the folder, and nothing
// is changed: the scenery load, gate resize and Save As. The installed
// aircraft are read as far as they can be, and the folder is named too.
TEST_F(AirportToolsWindowTest, AFolderThatFailsWhileListedEndsTheStepAndIsNamed) {
  const fs::path scenery = ResolvePathNoCase(simulator_->path(), "SCENEDB\\AFDFILES\\SCENERY");
  const fs::path aircraft = ResolvePathNoCase(simulator_->path(), "Aircraft");
  const fs::path other = plans_ / "other";
  WriteFile(other / "Aircraft.txt", "AC#1,100,\"Someone else's\"\r\n");
  WriteFile(other / "readme.txt", "");
  WriteFile(scenery / "readme.txt", "");
  std::map<fs::path, std::string> sceneryBefore;
  for (const auto& e : fs::directory_iterator(scenery)) sceneryBefore[e.path()] = ReadFile(e.path()).value_or("");
  SetFolderListFault([&](const fs::path& folder, size_t listed) {
    return listed == 1 && (folder == scenery || folder == other || folder == aircraft)
               ? std::make_error_code(std::errc::io_error)
               : std::error_code();
  });
  struct Reset {
    ~Reset() { SetFolderListFault({}); }
  } reset;

  w_.mnuToolsAirportSearch->trigger();
  ASSERT_EQ(Prompts().size(), 1u);
  EXPECT_EQ(Prompts()[0], "Error during getting FS2002 Scenery ().\r\nCould not list folder '" + scenery.string() + "'.");
  EXPECT_TRUE(SceneryAirports().empty());
  EXPECT_FALSE(fs::exists(programFolder_ / kSceneryCacheFileName));

  boxes_.Clear();
  boxes_.Answer(kIdYes);
  w_.mnuToolsResizeGates->trigger();
  w_.AirportToolWindows()->ResizeWindow()->cmdOK->click();
  ASSERT_EQ(Prompts().size(), 2u);
  EXPECT_EQ(Prompts()[1], "Errors occured during resizing Gates: 0 Gates matching the given type were resized, but "
                          "these files could not be changed:\r\n" + scenery.string());
  std::map<fs::path, std::string> sceneryAfter;
  for (const auto& e : fs::directory_iterator(scenery)) sceneryAfter[e.path()] = ReadFile(e.path()).value_or("");
  EXPECT_EQ(sceneryAfter, sceneryBefore);

  const fs::path plan = CopySamplePlan("main");
  dialogs_.Answer(plan.string());
  w_.mnuFileLoad->trigger();
  ASSERT_GE(Prompts().size(), 3u);
  EXPECT_EQ(Prompts()[2], "Could not list folder '" + aircraft.string() + "'.");
  EXPECT_TRUE(Plan().PlanLoaded);  // with the aircraft that could be read
  boxes_.Clear();
  dialogs_.Answer((other / "FlightPlans.txt").string());
  w_.mnuFileSaveAs->trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Could not list folder '" + other.string() + "'."});
  EXPECT_EQ(Plan().FlightplanPath, plan.string());
  EXPECT_FALSE(fs::exists(other / "FlightPlans.txt"));
  EXPECT_EQ(ReadFile(other / "Aircraft.txt"), "AC#1,100,\"Someone else's\"\r\n");
}

}  // namespace
}  // namespace velk
