// A box's check when the user leaves it for another control.
#include "gui/box_check.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace velk {
namespace {

TEST(BoxCheck, RefusedTextKeepsTheFocusAcceptedTextLetsItGo) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* box = new QLineEdit(&window);
  auto* other = new QLineEdit(&window);
  layout->addWidget(box);
  layout->addWidget(other);
  int checks = 0;
  bool accept = false;
  CheckOnLeaving(box, [&] {
    ++checks;
    return accept;
  });
  window.show();
  window.activateWindow();
  if (!QTest::qWaitForWindowActive(&window)) GTEST_SKIP() << "no active window on this platform";

  box->setFocus(Qt::OtherFocusReason);
  box->setText("bad");
  other->setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
  EXPECT_EQ(checks, 1);
  EXPECT_TRUE(box->hasFocus());
  EXPECT_EQ(box->selectedText(), "bad");

  accept = true;
  other->setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
  EXPECT_EQ(checks, 2);
  EXPECT_TRUE(other->hasFocus());

  // Leaving and coming back before the check runs checks nothing.
  box->setFocus(Qt::OtherFocusReason);
  other->setFocus(Qt::TabFocusReason);
  box->setFocus(Qt::OtherFocusReason);
  QCoreApplication::processEvents();
  EXPECT_EQ(checks, 2);
}

}  // namespace
}  // namespace velk
