// The Timetable tab inside the whole main window, on the sample plan and the
// sample simulator: Show, the statistics, and the resets that the plan's
// opening and undo make.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "app/sample_window_test.h"
#include "gui/report_window.h"
#include "timetable/ui/timetable_tab.h"

namespace velk {
namespace {

class TimetableWindowTest : public test::SampleWindowTest {
 protected:
  void SetUp() override {
    std::filesystem::path plan = CopySamplePlan("plan");
    SampleWindowTest::SetUp();
    w_.LoadFlightplan(plan.string());
    ASSERT_TRUE(Plan().PlanLoaded);
  }
};

TEST_F(TimetableWindowTest, ShowListsTheSampleAirportAndUndoEmptiesTheList) {
  w_.SelectTab("TIMETABLE");
  w_.txtTTAirport->setText("eham, lszh");
  w_.cmTTDay->setCurrentIndex(1);
  w_.cmdTTShow->click();
  int rows = w_.lvTimetable->topLevelItemCount();
  EXPECT_GT(rows, 40);
  EXPECT_EQ(w_.lblTTPreview->text(), QString("Previe&w (%1 flights found)").arg(rows));
  EXPECT_TRUE(w_.cmdTTPrint->isEnabled() && w_.cmdTTSave->isEnabled() && w_.cmdTTStatistics->isEnabled());
  EXPECT_FALSE(w_.IsBusy());
  // Every sample aircraft is installed.
  EXPECT_TRUE(w_.lvTimetable->findItems("# NOT FOUND #", Qt::MatchExactly, 5).isEmpty());

  w_.cmdTTStatistics->click();
  ReportWindow* statistics = w_.Timetable()->StatisticsWindow();
  ASSERT_NE(statistics, nullptr);
  EXPECT_EQ(statistics->parentWidget(), &w_);
  EXPECT_EQ(statistics->Report().rfind("Airport:            EHAM, LSZH\r\nTime:", 0), 0u);
  statistics->close();

  // A double-click opens the flight editor; a cancelled edit leaves the plan
  // unmarked but takes the undo copy when undo is on.
  if (!Program().UndoEnabled) w_.mnuToolsUndoOn->trigger();
  ASSERT_TRUE(Program().UndoEnabled);
  ASSERT_EQ(w_.lvTimetable->selectedItems().size(), 1);
  EXPECT_FALSE(w_.IsBusy());
  w_.Timetable()->EditSelectedFlight();  // the flight editor, closed unchanged
  EXPECT_EQ(modal_.ShownNames(), std::vector<QString>{"frmFlightEdit"});
  EXPECT_FALSE(Program().PlanModified);
  EXPECT_TRUE(w_.mnuToolsUndo->isEnabled());
  w_.mnuToolsUndo->trigger();
  EXPECT_EQ(w_.lvTimetable->topLevelItemCount(), 0);
  EXPECT_EQ(w_.lblTTPreview->text(), "Previe&w");
  EXPECT_FALSE(w_.cmdTTPrint->isEnabled() || w_.cmdTTSave->isEnabled() || w_.cmdTTStatistics->isEnabled());
  EXPECT_TRUE(w_.cmdTTShow->isEnabled());
}

}  // namespace
}  // namespace velk
