// The main window's entry into the Edit Flight dialog: the dialog opens over
// the main window on its plan and zone, and OK writes the flight back.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/frm_main.h"
#include "data/program_state.h"
#include "flight_editor/flight_editor_fixture.h"
#include "flight_editor/ui/frm_flight_edit.h"
#include "platform/message_box.h"
#include "platform/qt/modal_dialog.h"
#include "support/test_support.h"

namespace velk {
namespace {

using test::FlightEditorPlan;

TEST(FlightEditWindow, TheMainWindowOpensTheDialogOnItsPlan) {
  test::TempDir home;
  test::ScopedEnv env("VELK_CONFIG_HOME", home.path().string());
  FlightEditorPlan plan;
  ScriptedMessageBoxes boxes;
  frmMain main;
  main.SetConfigurationReaders({});
  ASSERT_TRUE(main.StartUp());
  main.onSplashTimer();
  ProgramState savedProgram = Program();
  Plan().Flights = {FlightEditorPlan::DailyRing()};
  Program().FlightEditZone = "GMT -01:00";
  bool inWorkList = false;
  ScriptedModalDialogs modal([&main](QDialog& d) {
    auto& dialog = dynamic_cast<frmFlightEdit&>(d);
    EXPECT_EQ(dialog.parentWidget(), &main);
    EXPECT_EQ(dialog.cmZone->currentText(), "GMT -01:00");
    dialog.Session().CommitPercent("75");
    dialog.ckAircraftRange->setChecked(false);
    dialog.cmdOK->click();
  });
  EXPECT_EQ(main.EditFlight(0, inWorkList, 1), "Jet One");
  EXPECT_EQ(Plan().Flights[0].Percent, "75%");
  EXPECT_FALSE(Program().CheckAircraftRange);
  EXPECT_FALSE(main.IsBusy());
  Program() = savedProgram;
}

}  // namespace
}  // namespace velk
