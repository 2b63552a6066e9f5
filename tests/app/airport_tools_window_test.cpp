// The airport tools reached through the main window's Tools menu.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include <gtest/gtest.h>

#include "airport_tools/ui/airport_tools.h"
#include "airport_tools/ui/frm_airport_search.h"
#include "airport_tools/ui/frm_resize_gates.h"
#include "data/scenery_airports.h"
#include "data/scenery_cache.h"
#include "data/scenery_test_support.h"
#include "support/sample_window_test.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

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

}  // namespace
}  // namespace velk
