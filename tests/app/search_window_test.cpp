// The Export/Search tab inside the main window, on the sample plan and the
// sample simulator: the Analyze menu, the flight time correction with undo,
// and the Select pop-up on the result list.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>
#include <filesystem>

#include <gtest/gtest.h>

#include "app/sample_window_test.h"
#include "data/program_state.h"
#include "flight_editor/ui/frm_flight_edit.h"
#include "platform/qt/modal_dialog.h"
#include "search/ui/search_result_model.h"
#include "search/ui/search_tab.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

class SearchWindowTest : public test::SampleWindowTest {
 protected:
  void SetUp() override {
    fs::path plan = CopySamplePlan("plan");
    SampleWindowTest::SetUp();
    w_.LoadFlightplan(plan.string());
    ASSERT_TRUE(Plan().PlanLoaded);
  }

  int Rows() const { return w_.lvExPreview->model()->rowCount(); }
  int Selected() const { return static_cast<int>(w_.lvExPreview->selectionModel()->selectedRows().size()); }
};

TEST_F(SearchWindowTest, AnalyzeReportsShowTheirFlightsOnTheExportTab) {
  w_.SelectTab("SHUFFLE");
  Program().MinTurnAround = 120;
  w_.mnuReportsWrongTime->trigger();
  EXPECT_EQ(w_.tabMain->currentWidget(), w_.picExport);
  ASSERT_GT(Rows(), 0);
  EXPECT_EQ(w_.lvExPreview->model()->columnCount(), 13);
  EXPECT_EQ(w_.lvExPreview->model()->headerData(12, Qt::Horizontal).toString(), "Errors");
  EXPECT_EQ(static_cast<size_t>(Rows()), Plan().WorkList.size());
  EXPECT_TRUE(w_.cmdExport->isEnabled() && w_.cmdEditFlight->isEnabled());
  EXPECT_FALSE(w_.IsBusy() || w_.ProgressLoaded());

  // The sample plan's aircraft are all installed and its airports known.
  w_.mnuReportsNotFound->trigger();
  EXPECT_EQ(Rows(), 0);
  EXPECT_FALSE(w_.cmdExport->isEnabled());
  w_.mnuReportsUnknownAirports->trigger();
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(w_.lblExPreview->text(), "Previe&w (0 flights found)");
}

TEST_F(SearchWindowTest, CorrectFlightTimesCanBeUndone) {
  const std::vector<Flight> before = Plan().Flights;
  if (!Program().UndoEnabled) w_.mnuToolsUndoOn->trigger();
  ASSERT_TRUE(Program().UndoEnabled);
  Program().MinTurnAround = 120;
  w_.cmdPreview->click();
  ASSERT_GT(Rows(), 0);

  w_.mnuToolsCheckFT->trigger();
  EXPECT_EQ(boxes_.Prompts().back(), "Successfully checked Flight Timings for all flights.");
  EXPECT_NE(Plan().Flights, before);
  EXPECT_TRUE(Program().PlanModified && w_.mnuFileSave->isEnabled());
  // The list showed the old flights: it is emptied with the work list.
  EXPECT_EQ(Rows(), 0);
  EXPECT_TRUE(Plan().WorkList.empty());
  EXPECT_FALSE(w_.cmdExport->isEnabled());
  EXPECT_TRUE(w_.cmdAddFlight->isEnabled());

  w_.mnuToolsUndo->trigger();
  EXPECT_EQ(Plan().Flights, before);
  EXPECT_EQ(Rows(), 0);
}

TEST_F(SearchWindowTest, AddAndEditGoThroughTheEditFlightDialog) {
  w_.SelectTab("EXPORT");
  w_.cmdPreview->click();
  const size_t flights = Plan().Flights.size();
  const int rows = Rows();
  // Cancel adds nothing.
  w_.cmdAddFlight->click();
  EXPECT_EQ(Plan().Flights.size(), flights);
  EXPECT_EQ(Rows(), rows);

  // OK with the plausibility checks off takes the new flight as it stands.
  ScriptedModalDialogs accept([](QDialog& d) {
    auto& dialog = dynamic_cast<frmFlightEdit&>(d);
    for (QCheckBox* box : {dialog.ckAircraftRange, dialog.ckFlightLevel, dialog.ckFlightTimes}) box->setChecked(false);
    dialog.cmdOK->click();
  });
  w_.cmdAddFlight->click();
  ASSERT_EQ(Plan().Flights.size(), flights + 1);
  EXPECT_EQ(Plan().Flights.back().Registration, "N700MS");
  EXPECT_EQ(Plan().WorkListIndex.back(), static_cast<int>(flights));
  EXPECT_EQ(Rows(), rows + 1);
  EXPECT_EQ(w_.ExportSearchTab().SelectedEntries(), (std::vector<int>{rows}));
  EXPECT_TRUE(Program().PlanModified);

  // Edit opens the selected row's entry and writes it back.
  w_.cmdEditFlight->click();
  EXPECT_EQ(accept.Shown(), 2);
  EXPECT_EQ(Plan().Flights.back(), Plan().WorkList.back());
  EXPECT_FALSE(w_.IsBusy());
}

TEST_F(SearchWindowTest, TheSelectMenuActsOnTheResultList) {
  w_.SelectTab("EXPORT");
  w_.cmdPreview->click();
  ASSERT_GT(Rows(), 2);
  EXPECT_EQ(Selected(), 1);
  QPoint at;
  QObject::connect(&w_.ExportSearchTab(), &SearchTab::selectMenuRequested, [&](const QPoint& p) { at = p; });
  w_.ExportSearchTab().ListMouseUp(Qt::RightButton, QPoint(5, 7));
  EXPECT_EQ(at, QPoint(5, 7));
  w_.mnuSelect->hide();
  const std::pair<QAction*, int> steps[] = {{w_.mnuSelectAll, Rows()},
                                            {w_.mnuInverseSelection, 0},
                                            {w_.mnuInverseSelection, Rows()},
                                            {w_.mnuDeselectAll, 0}};
  for (const auto& [action, selected] : steps) {
    action->trigger();
    EXPECT_EQ(Selected(), selected) << action->objectName().toStdString();
  }
}

}  // namespace
}  // namespace velk
