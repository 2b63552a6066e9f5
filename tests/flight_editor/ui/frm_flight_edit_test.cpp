// The Edit Flight dialog as a user works it: what EditFlight writes back
// (only an accepted OK), the boxes' checks when the focus leaves them and
// the keys.
#include "flight_editor/ui/frm_flight_edit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <functional>

#include <gtest/gtest.h>

#include "flight_editor/flight_editor_fixture.h"
#include "platform/message_box.h"
#include "platform/printer.h"
#include "platform/qt/modal_dialog.h"
#include "support/fake_plan_host.h"
#include "support/test_support.h"

namespace velk {
namespace {

using test::FlightEditorPlan;

class FlightEditDialogTest : public ::testing::Test {
 protected:
  FlightEditDialogTest() {
    host_.plan = Plan();
    host_.plan.Flights = {FlightEditorPlan::DailyRing(), FlightEditorPlan::WeeklyRing()};
    host_.plan.WorkList = host_.plan.Flights;
    host_.plan.WorkListIndex = {0, 1};
    program_.CheckAircraftRange = program_.CheckFlightLevels = program_.CheckFlightTimes = true;
    program_.FlightEditZone = "GMT";
    program_.MinTurnAround = program_.MaxTurnAround = kTurnAroundOff;
  }

  // Runs EditFlight with `drive` working the dialog.
  std::string Edit(int index, bool inWorkList, int selectLeg, std::function<void(frmFlightEdit&)> drive) {
    ScriptedModalDialogs modal([&](QDialog& d) {
      auto& dialog = dynamic_cast<frmFlightEdit&>(d);
      ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
      drive(dialog);
    });
    std::string result = EditFlight(host_, program_, index, inWorkList, selectLeg);
    shown_ = modal.Shown();
    return result;
  }

  // Types into a box as the user does: focus, select all, keys.
  static void Type(QLineEdit* box, const QString& text) {
    box->setFocus(Qt::TabFocusReason);
    box->selectAll();
    QTest::keyClicks(box, text);
  }

  FlightEditorPlan plan_;
  test::FakePlanHost host_;
  ProgramState program_;
  ScriptedMessageBoxes boxes_;
  int shown_ = 0;
};

TEST_F(FlightEditDialogTest, CancelDropsEveryEditButKeepsTheSwitches) {
  std::string result = Edit(0, true, -1, [](frmFlightEdit& d) {
    Type(d.txtReg, "CHANGED");
    d.txtLevel->setFocus(Qt::TabFocusReason);  // the registration is stored in the copy
    EXPECT_EQ(d.Session().Work().Registration, "CHANGED");
    d.ckAircraftRange->setChecked(false);
    d.cmdCancel->click();
  });
  EXPECT_EQ(result, "");
  EXPECT_EQ(shown_, 1);
  EXPECT_EQ(host_.plan.WorkList[0], FlightEditorPlan::DailyRing());
  EXPECT_FALSE(program_.CheckAircraftRange);
  EXPECT_TRUE(program_.CheckFlightLevels);
  EXPECT_EQ(host_.undoSaves, 0);
  EXPECT_EQ(host_.modifiedMarks, 0);
}

TEST_F(FlightEditDialogTest, EscapeAndTheCloseButtonAreCancel) {
  for (int way = 0; way < 2; ++way) {
    std::string result = Edit(1, false, -1, [&](frmFlightEdit& d) {
      d.Session().CommitRegistration("X");
      d.ckFlightTimes->setChecked(way == 0);
      if (way == 0) QTest::keyClick(&d, Qt::Key_Escape);
      else d.close();
    });
    EXPECT_EQ(result, "");
    EXPECT_EQ(host_.plan.Flights[1], FlightEditorPlan::WeeklyRing());
    EXPECT_EQ(program_.CheckFlightTimes, way == 0);
  }
}

TEST_F(FlightEditDialogTest, OkWritesTheCopyBackIntoTheEntryItCameFrom) {
  std::string result = Edit(0, true, -1, [](frmFlightEdit& d) {
    d.ckAircraftRange->setChecked(false);  // leg 2 is beyond the jet's range
    Type(d.txtReg, "D-EFGH");
    d.cmdOK->click();  // stores the box first
  });
  EXPECT_EQ(result, "Jet One");
  EXPECT_EQ(host_.plan.WorkList[0].Registration, "D-EFGH");
  EXPECT_EQ(host_.plan.Flights[0], FlightEditorPlan::DailyRing());  // the caller copies it on
  EXPECT_FALSE(program_.CheckAircraftRange);
  EXPECT_TRUE(boxes_.Shown().empty());

  bool inWorkList = false;
  ScriptedModalDialogs modal([](QDialog& d) { dynamic_cast<frmFlightEdit&>(d).cmdOK->click(); });
  EXPECT_EQ(EditFlight(host_, program_, 1, inWorkList, -1), "Jet One");
  EXPECT_FALSE(inWorkList);
}

TEST_F(FlightEditDialogTest, ANoToAWarningKeepsTheDialogOpenOnItsLeg) {
  boxes_.Answer(kIdNo);
  std::string result = Edit(0, true, -1, [](frmFlightEdit& d) {
    d.cmdOK->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.lvLegs->currentItem(), d.lvLegs->topLevelItem(1));
    EXPECT_EQ(d.cmDeparture->currentText(), "BBBB");
    EXPECT_EQ(d.cmArrival->currentText(), "DDDD");
    d.cmdOK->click();  // Yes this time (the default answer)
  });
  EXPECT_EQ(result, "Jet One");
  ASSERT_EQ(boxes_.Shown().size(), 2u);
  EXPECT_EQ(boxes_.Shown()[0].buttons, 308);
  EXPECT_EQ(boxes_.Shown()[0].title, "VELK");
}

TEST_F(FlightEditDialogTest, ARefusedBoxShowsItsMessageKeepsTheFocusAndStoresNothing) {
  Edit(0, true, 1, [this](frmFlightEdit& d) {
    Type(d.txtLevel, "5");
    d.txtNumber->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    ASSERT_EQ(boxes_.Prompts(), std::vector<std::string>{"Flight Level has to be a value between 10 and 999"});
    EXPECT_EQ(boxes_.Shown()[0].buttons, 48);
    EXPECT_EQ(QApplication::focusWidget(), d.txtLevel);
    EXPECT_EQ(d.Session().Work().Legs[1].FlightLevel, "120");
    // OK refuses the same way and stays open.
    d.cmdOK->click();
    EXPECT_EQ(boxes_.Prompts().size(), 2u);
    EXPECT_TRUE(d.isVisible());
    Type(d.txtLevel, "35");
    d.txtNumber->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(d.Session().Work().Legs[1].FlightLevel, "035");
    EXPECT_EQ(d.txtLevel->text(), "035");
    EXPECT_EQ(d.lvLegs->topLevelItem(1)->text(5), "FL035");
    // Leaving a box without changing it checks nothing.
    d.txtPercent->setFocus(Qt::TabFocusReason);
    d.txtReg->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(boxes_.Prompts().size(), 2u);
    d.cmdCancel->click();
  });
}

TEST_F(FlightEditDialogTest, GoingToCancelChecksNothing) {
  std::string result = Edit(0, true, -1, [this](frmFlightEdit& d) {
    Type(d.txtTime, "99:99");
    d.cmdCancel->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(boxes_.Shown().empty());
    d.cmdCancel->click();
  });
  EXPECT_EQ(result, "");
}

// The controls reach the edit session (whose arithmetic its own tests work
// through) and the list and boxes follow it.
TEST_F(FlightEditDialogTest, ControlsReachTheSessionAndTheViewFollows) {
  program_.FlightEditZone = "GMT +02:00";
  Edit(1, true, 2, [this](frmFlightEdit& d) {
    EXPECT_EQ(d.windowTitle(), "Edit Flight");
    EXPECT_EQ(d.cmPeriod->currentText(), "WEEK");
    EXPECT_TRUE(d.opIFR->isChecked());
    EXPECT_EQ(d.lvLegs->currentItem(), d.lvLegs->topLevelItem(2));
    EXPECT_EQ(d.lvLegs->topLevelItem(2)->text(2), "0/00:00:00");  // 6/22:00:00 GMT
    EXPECT_EQ(d.cmDay->currentText(), "Sunday");
    EXPECT_EQ(d.frLeg->title(), QString("Edit Le&g properties - Distance 120nm - Course 270") + QChar(0xB0) +
                                    " - FL100-300 +020");
    // Another zone shows the stored times anew and is remembered.
    d.cmZone->setCurrentText("GMT");
    emit d.cmZone->activated(d.cmZone->currentIndex());
    EXPECT_EQ(d.lvLegs->topLevelItem(2)->text(2), "6/22:00:00");
    EXPECT_EQ(d.cmDay->currentText(), "Saturday");
    EXPECT_EQ(program_.FlightEditZone, "GMT");
    // Another row loads its leg.
    d.lvLegs->setCurrentItem(d.lvLegs->topLevelItem(0));
    EXPECT_EQ(d.txtTime->text(), "08:00:00");
    EXPECT_FALSE(d.cmdDelete->isEnabled());
    // Typing the departure moves the arrival at once; leaving stores it.
    Type(d.txtTime, "9:15");
    EXPECT_EQ(d.txtETA->text(), "09:45:00");
    EXPECT_EQ(d.lvLegs->topLevelItem(0)->text(2), "1/08:00:00");
    d.lvLegs->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(d.txtTime->text(), "09:15:00");
    EXPECT_EQ(d.Session().Work().Legs[0].DepartureTime, "1/09:15:00");
    // A No to leaving the week shows the week again; a Yes strips the days.
    boxes_.Answer(kIdNo);
    d.cmPeriod->setCurrentIndex(0);
    emit d.cmPeriod->activated(0);
    EXPECT_EQ(d.cmPeriod->currentText(), "WEEK");
    d.cmPeriod->setCurrentIndex(0);
    emit d.cmPeriod->activated(0);
    EXPECT_EQ(d.cmPeriod->currentText(), "1Hr");
    EXPECT_EQ(d.lvLegs->topLevelItem(0)->text(2), "09:15:00");
    EXPECT_FALSE(d.cmDay->isEnabled());
    d.cmdCancel->click();
  });
}

TEST_F(FlightEditDialogTest, TheLegListKeysAddAndDeleteLegs) {
  Edit(0, true, 1, [this](frmFlightEdit& d) {
    d.lvLegs->setFocus(Qt::TabFocusReason);
    QTest::keyClick(d.lvLegs, Qt::Key_Insert);
    EXPECT_EQ(d.lvLegs->topLevelItemCount(), 4);
    EXPECT_EQ(d.lvLegs->currentItem(), d.lvLegs->topLevelItem(2));
    EXPECT_EQ(d.txtNumber->text(), "0000");
    boxes_.Answer(kIdNo);
    QTest::keyClick(d.lvLegs, Qt::Key_Delete);
    EXPECT_EQ(d.lvLegs->topLevelItemCount(), 4);
    QTest::keyClick(d.lvLegs, Qt::Key_Delete);
    EXPECT_EQ(d.lvLegs->topLevelItemCount(), 3);
    EXPECT_EQ(boxes_.Prompts(), (std::vector<std::string>{"Are you sure to delete the leg?",
                                                          "Are you sure to delete the leg?"}));
    // The last row: Delete is off and the key does nothing.
    d.lvLegs->setCurrentItem(d.lvLegs->topLevelItem(2));
    EXPECT_FALSE(d.cmdDelete->isEnabled());
    QTest::keyClick(d.lvLegs, Qt::Key_Delete);
    EXPECT_EQ(boxes_.Prompts().size(), 2u);
    // The keys belong to the list only.
    d.txtReg->setFocus(Qt::TabFocusReason);
    QTest::keyClick(d.txtReg, Qt::Key_Insert);
    EXPECT_EQ(d.lvLegs->topLevelItemCount(), 3);
    d.cmdCancel->click();
  });
  EXPECT_EQ(host_.plan.WorkList[0], FlightEditorPlan::DailyRing());
}

TEST_F(FlightEditDialogTest, PrintSendsTheFlightToThePrinterOnce) {
  ScriptedPrinter printer;
  printer.Answer(PrintResult::Cancelled);
  printer.Answer(PrintResult::Printed);
  printer.Answer(PrintResult::Failed);
  Edit(0, true, -1, [this](frmFlightEdit& d) {
    d.cmdPrint->click();
    EXPECT_TRUE(boxes_.Shown().empty());
    Type(d.txtReg, "G-PRNT");
    d.cmdPrint->click();  // the box is stored first
    d.cmdPrint->click();
    d.cmdCancel->click();
  });
  ASSERT_EQ(printer.Jobs().size(), 3u);
  const PrintRequest& job = printer.Jobs()[1];
  EXPECT_EQ(job.dialogTitle, "Flight Editor - Print");
  EXPECT_EQ(job.fontName, "Courier New");
  EXPECT_EQ(job.pointSize, 10);
  EXPECT_EQ(job.text.substr(0, 42), "Jet One (AC#1) - G-PRNT/50%/24Hr/IFR\r\n\t\tAA");
  EXPECT_EQ(boxes_.Prompts(), std::vector<std::string>{"An error occured during printing the Flight."});
  EXPECT_EQ(boxes_.Shown()[0].buttons, 16);
}

TEST_F(FlightEditDialogTest, ChoicesAndSwitchesOfTheLegReachTheFlight) {
  std::string result = Edit(0, true, 0, [](frmFlightEdit& d) {
    int c = d.cmArrival->findText("CCCC");
    d.cmArrival->setCurrentIndex(c);
    emit d.cmArrival->activated(c);
    EXPECT_EQ(d.lvLegs->topLevelItem(1)->text(0), "CCCC");
    d.cmAircraft->setCurrentIndex(1);
    emit d.cmAircraft->activated(1);
    EXPECT_EQ(d.txtETA->text(), "08:45:00");
    d.ckFixedETA->click();
    EXPECT_TRUE(d.txtETA->isEnabled());
    d.ckUseNumber->click();
    d.ckAircraftRange->setChecked(false);
    d.cmdOK->click();
  });
  EXPECT_EQ(result, "Prop Two");
  const Flight& f = host_.plan.WorkList[0];
  EXPECT_EQ(f.AircraftId, "AC#2");
  EXPECT_EQ(f.Legs[0].DestinationIcao, "CCCC");
  EXPECT_TRUE(f.Legs[0].FixedArrival);
  EXPECT_EQ(f.Legs[0].UseFlightNumber, "R");
}

TEST_F(FlightEditDialogTest, AnIndexOutsideTheListOpensNothing) {
  EXPECT_EQ(Edit(2, true, -1, [](frmFlightEdit&) {}), "");
  EXPECT_EQ(Edit(-1, false, -1, [](frmFlightEdit&) {}), "");
  EXPECT_EQ(shown_, 0);
}

}  // namespace
}  // namespace velk
