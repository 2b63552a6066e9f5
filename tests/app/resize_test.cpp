// Edge rules of the resizer and the main window's map.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <map>

#include "app/c_resize.h"
#include "app/frm_main.h"
#include "app/resize_map.h"
#include "app/resize_rules.h"
#include "support/test_support.h"

namespace velk {
namespace {

ResizeEntry Entry(int top, int left, int height, int width, int t, int l, int b, int r,
                  int byOffset = 1) {
  return {top, left, top + height, left + width, t, l, b, r, byOffset};
}

ControlBox BoxOf(const ResizeEntry& e) {
  return {double(e.Top), double(e.Left), double(e.Bottom - e.Top), double(e.Right - e.Left)};
}

TEST(ResizeRules, EdgesFollowTheFormByItsChange) {
  ResizeEntry bottomAnchored = Entry(70, 5, 10, 10, 1, 0, 0, 0);
  EXPECT_EQ(PlaceByRules(bottomAnchored, BoxOf(bottomAnchored), 83, 100, 80, 100).Top, 73);
  EXPECT_EQ(PlaceByRules(bottomAnchored, BoxOf(bottomAnchored), 75, 100, 80, 100).Top, 65);

  ResizeEntry centred = Entry(0, 400, 20, 100, 0, 2, 0, 2);
  ControlBox moved = PlaceByRules(centred, BoxOf(centred), 80, 2000, 80, 1000);
  EXPECT_EQ(moved.Left, 900);
  EXPECT_EQ(moved.Width, 100);
}

TEST(ResizeRules, BottomAndRightAreMeasuredFromTheNewTopAndLeft) {
  ResizeEntry stretch = Entry(10, 10, 50, 50, 0, 0, 1, 1);
  ControlBox b = PlaceByRules(stretch, BoxOf(stretch), 130, 140, 100, 100);
  EXPECT_EQ(b.Height, 80);
  EXPECT_EQ(b.Width, 90);
  // Anchored to the bottom at both edges: it moves and keeps its height.
  ResizeEntry follow = Entry(10, 10, 50, 50, 1, 1, 1, 1);
  ControlBox f = PlaceByRules(follow, BoxOf(follow), 130, 140, 100, 100);
  EXPECT_EQ(f.Top, 40);
  EXPECT_EQ(f.Height, 50);
  EXPECT_EQ(f.Width, 50);
}

TEST(ResizeRules, ANegativeSizeIsNotApplied) {
  ResizeEntry stretch = Entry(10, 10, 20, 20, 0, 0, 1, 1);
  ControlBox current{10, 10, 7, 9};
  ControlBox b = PlaceByRules(stretch, current, 50, 60, 100, 100);
  EXPECT_EQ(b.Height, 7);
  EXPECT_EQ(b.Width, 9);
}

TEST(ResizeRules, ProportionalPlacement) {
  ResizeEntry e = Entry(40, 40, 10, 10, 1, 2, 0, 0, 0);
  ControlBox b = PlaceByRules(e, BoxOf(e), 200, 200, 100, 100);
  EXPECT_EQ(b.Top, 80);
  EXPECT_EQ(b.Left, 60);  // 40 + 40 * (2 - 1) / 2
  // A zero reference cannot scale anything: the control stays.
  EXPECT_EQ(PlaceByRules(e, BoxOf(e), 200, 200, 0, 100).Top, 40);
}

TEST(ResizeMap, EveryMappedControlExistsOnce) {
  frmMain window;
  cResize resizer;
  EXPECT_EQ(MapMainWindowControls(resizer, &window), int(MainWindowResizeMap().size()));
  for (const ResizeMapRow& row : MainWindowResizeMap())
    EXPECT_EQ(window.findChildren<QWidget*>(row.Name).size(), 1) << row.Name;
}

TEST(ResizeMap, ControlsFollowTheirEdgesWhenTheWindowGrows) {
  frmMain window;
  window.SetConfigurationReaders({});
  ASSERT_TRUE(window.StartUp());
  window.onSplashTimer();
  window.tabMain->setCurrentWidget(window.picExport);
  window.showNormal();
  window.resize(640, 480);
  QCoreApplication::processEvents();
  auto grab = [&](QWidget* w) { return w->geometry(); };
  QRect list = grab(window.lvExPreview), exportButton = grab(window.cmdExport),
        leg = grab(window.txtExLeg), departure = grab(window.lblExDeparture),
        search = grab(window.frSearchType), andOption = grab(window.opANDSearch);
  QSize page = window.picExport->size();

  window.resize(640 + 40, 480 + 20);
  QCoreApplication::processEvents();
  ASSERT_EQ(window.picExport->size(), page + QSize(40, 20));
  EXPECT_EQ(window.lvExPreview->geometry(), list.adjusted(0, 0, 40, 20));
  EXPECT_EQ(window.cmdExport->geometry(), exportButton.translated(40, 20));
  EXPECT_EQ(window.txtExLeg->geometry(), leg.adjusted(20, 0, 40, 0));
  EXPECT_EQ(window.lblExDeparture->geometry(), departure);
  EXPECT_EQ(window.frSearchType->geometry(), search.translated(40, 0));
  // Option buttons stay where they are inside their frame.
  EXPECT_EQ(window.opANDSearch->geometry(), andOption);

  // The hidden Shuffle page is laid out for the same size.
  window.tabMain->setCurrentWidget(window.picShuffle);
  QCoreApplication::processEvents();
  QRect shuffle = window.cmdShuffle->geometry();
  window.resize(640 + 40 + 60, 480 + 20);
  QCoreApplication::processEvents();
  EXPECT_EQ(window.cmdShuffle->geometry(), shuffle.translated(30, 0));

  // The project entry frame follows the bottom; what is inside it only grows
  // with the frame's width, so nothing leaves the frame.
  window.tabMain->setCurrentWidget(window.picProject);
  QCoreApplication::processEvents();
  QRect frame = window.frProject->geometry(), inner = window.picProjectDummy->geometry(),
        browse = window.cmdProjectFile->geometry();
  window.resize(window.width() + 50, window.height() + 30);
  QCoreApplication::processEvents();
  EXPECT_EQ(window.frProject->geometry(), frame.adjusted(0, 30, 50, 30));
  EXPECT_EQ(window.picProjectDummy->geometry(), inner.adjusted(0, 0, 50, 0));
  EXPECT_EQ(window.cmdProjectFile->geometry(), browse.translated(50, 0));
}

// The reference is the page as it is laid out at the window's design size,
// so at that size every mapped control stays exactly where it was designed.
TEST(ResizeMap, AtTheDesignSizeEveryControlKeepsItsDesignPlace) {
  test::TempDir home;
  test::ScopedEnv config("VELK_CONFIG_HOME", home.path().string());
  frmMain window;
  window.SetConfigurationReaders({});
  std::map<QWidget*, QRect> design;
  for (const ResizeMapRow& row : MainWindowResizeMap()) {
    QWidget* w = window.findChild<QWidget*>(row.Name);
    ASSERT_NE(w, nullptr) << row.Name;
    design[w] = w->geometry();
  }
  const QSize designSize = window.size();
  ASSERT_TRUE(window.StartUp());
  window.onSplashTimer();
  QCoreApplication::processEvents();
  ASSERT_EQ(window.size(), designSize);
  for (QWidget* page : {window.picShuffle, window.picMove, window.picExport, window.picTimetable, window.picProject}) {
    window.tabMain->setCurrentWidget(page);
    QCoreApplication::processEvents();
    for (const auto& [control, place] : design) {
      if (!page->isAncestorOf(control)) continue;
      EXPECT_EQ(control->geometry(), place) << control->objectName().toStdString();
    }
  }
  // And 40 by 20 pixels more moves a bottom-right button by just that.
  window.tabMain->setCurrentWidget(window.picExport);
  window.resize(designSize + QSize(40, 20));
  QCoreApplication::processEvents();
  EXPECT_EQ(window.cmdExport->geometry(), design[window.cmdExport].translated(40, 20));
}

TEST(ResizeMap, WindowIsHeldToItsSizeLimits) {
  frmMain window;
  window.SetConfigurationReaders({});
  ASSERT_TRUE(window.StartUp());
  window.onSplashTimer();
  window.showNormal();
  window.resize(100, 100);
  EXPECT_EQ(window.size(), QSize(frmMain::kMinWidth, frmMain::kMinHeight));
  EXPECT_EQ(window.maximumSize(), QSize(frmMain::kMaxWidth, frmMain::kMaxHeight));
}

}  // namespace
}  // namespace velk
