// The Export/Search tab's controller on bare widgets and a fake main
// window: searching, the result list, its sort and zone, adding, editing,
// deleting, exporting and printing, with messages, dialogs and the printer
// scripted.
#include "search/ui/search_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QWidget>
#include <filesystem>

#include <gtest/gtest.h>

#include "data/times_zones.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/printer.h"
#include "search/ui/plan_corrections.h"
#include "search/ui/search_result_model.h"
#include "search/test_flights.h"
#include "support/fake_plan_host.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

Flight Make(const std::string& id, const std::string& reg, std::vector<std::string> stops,
            const std::string& period = "24Hr") {
  Flight f = test::TestFlight(id, reg, stops);
  f.Period = period;
  return f;
}

int Lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

class SearchTabTest : public ::testing::Test {
 protected:
  SearchTabTest() {
    Program() = ProgramState{};
    Program().MinTurnAround = kTurnAroundOff;
    Program().MaxTurnAround = kTurnAroundOff;
    PlanState& plan = host.plan;
    FSAircraft boeing;
    boeing.Title = "BOEING 737";
    boeing.ATCAirline = "Lufthansa";
    boeing.Class = 7;
    plan.FSAircraftList = {boeing};
    plan.PlanAircraftList = {PlanAircraft{"AC#12", "Boeing 737", "450", 0}, PlanAircraft{"AC#2", "Dash 8", "300", 0}};
    plan.Airports = {Airport{"EDDF", "", "", ""}, Airport{"EDDM", "", "", ""}};
    plan.AirportIndex.Add("EDDF", 0);
    plan.AirportIndex.Add("EDDM", 1);
    plan.Flights = {Make("AC#12", "D-AAAA", {"EDDM", "EDDF"}), Make("AC#2", "D-BBBB", {"EDDF", "EDDM"}),
                    Make("AC#12", "D-CCCC", {"EDDF", "LOWW"}), Make("AC#2", "D-DDDD", {"LOWW", "EDDF"}),
                    Make("AC#12", "D-EEEE", {"LOWW", "EDDM"})};

    c.txtExDeparture = new QLineEdit(&form);
    c.txtExLeg = new QLineEdit(&form);
    c.txtExContinent = new QLineEdit(&form);
    c.txtExCountry = new QLineEdit(&form);
    c.txtExAirline = new QLineEdit(&form);
    c.ckExportIFR = new QCheckBox(&form);
    c.ckExportVFR = new QCheckBox(&form);
    c.cmExportAircraft = new QComboBox(&form);
    c.cmExClass = new QComboBox(&form);
    c.cmExClass->addItem("#None#", -1);
    c.cmExClass->addItem("Large Jet", 7);
    c.cmExZone = new QComboBox(&form);
    for (const char* zone : kTimeZoneNames) c.cmExZone->addItem(zone);
    c.cmExZone->setCurrentText("GMT");
    c.cmExZone->setProperty("Tag", "GMT");
    c.opANDSearch = new QRadioButton(&form);
    c.opORSearch = new QRadioButton(&form);
    c.opANDSearch->setChecked(true);
    c.lblExPreview = new QLabel(&form);
    c.lvExPreview = new QTreeView(&form);
    c.lvExPreview->setSelectionMode(QAbstractItemView::ExtendedSelection);
    c.lvExPreview->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (QPushButton** b : {&c.cmdEditFlight, &c.cmdAddFlight, &c.cmdDeleteFlight, &c.cmdPreview, &c.cmdExport,
                            &c.cmdExportRemainder, &c.cmdExportPrint})
      *b = new QPushButton(&form);
    tab = std::make_unique<SearchTab>(c, host);
    LegGeometry g;
    g.distance = [](std::string_view a, std::string_view b) { return a == b ? 0 : 100; };
    g.course = [](std::string_view, std::string_view) { return 90; };
    g.levelAllowed = [](const std::string&, int, int, int, int) { return true; };
    tab->SetLegGeometry(g);
    tab->ResetSearchResults();
  }

  SearchResultModel& Rows() { return *tab->Model(); }
  std::string Cell(int row, int column) { return Rows().At(row).cells[column]; }
  int RowCount() { return Rows().rowCount(); }
  void Select(std::vector<int> rows) {
    c.lvExPreview->clearSelection();
    for (int r : rows)
      c.lvExPreview->selectionModel()->select(Rows().index(r, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  bool ResultButtons() {
    bool on = c.cmdExport->isEnabled();
    for (QPushButton* b : {c.cmdExportRemainder, c.cmdExportPrint, c.cmdEditFlight, c.cmdDeleteFlight})
      EXPECT_EQ(b->isEnabled(), on);
    return on;
  }
  // The registrations of the rows in display order.
  std::vector<std::string> Shown() {
    std::vector<std::string> regs;
    for (int r = 0; r < RowCount(); ++r) regs.push_back(Cell(r, 3));
    return regs;
  }

  test::FakePlanHost host;
  QWidget form;
  SearchControls c;
  std::unique_ptr<SearchTab> tab;
  ScriptedMessageBoxes boxes{kIdYes};
  ScriptedFileDialogs dialogs;
};

TEST_F(SearchTabTest, SearchListsTheWorkListAndSelectsTheTopRow) {
  host.plan.Flights[1].Removed = true;
  c.txtExLeg->setText("EDDF");  // stops only: AC#2's D-BBBB is removed, D-CCCC matches
  c.cmdPreview->click();
  ASSERT_EQ(RowCount(), 1);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"D-CCCC"}));
  EXPECT_EQ(c.lblExPreview->text(), "Previe&w (1 flights found)");
  EXPECT_TRUE(ResultButtons());

  c.txtExLeg->clear();
  c.cmdPreview->click();
  ASSERT_EQ(RowCount(), 4);
  const PlanState& plan = host.plan;
  ASSERT_EQ(plan.WorkList.size(), 4u);
  EXPECT_EQ(plan.WorkListIndex, (std::vector<int>{0, 2, 3, 4}));
  // Sorted by the airline column: "# NOT FOUND #" (AC#2 is not installed)
  // before Lufthansa, equal texts in work-list order.
  EXPECT_EQ(Shown(), (std::vector<std::string>{"D-DDDD", "D-AAAA", "D-CCCC", "D-EEEE"}));
  // Each row knows its entry.
  int k = Rows().Entry(1);
  EXPECT_EQ(plan.WorkList[k].Registration, Cell(1, 3));
  EXPECT_EQ(Rows().index(1, 0).data(SearchResultModel::kKeyRole).toString(), QString("#%1").arg(k));
  EXPECT_EQ(Cell(1, 0) + "|" + Cell(1, 1) + "|" + Cell(1, 2), "Lufthansa|BOEING 737|0012");
  EXPECT_EQ(tab->SelectedEntries(), (std::vector<int>{2}));  // the top row, D-DDDD
  EXPECT_FALSE(host.IsBusy() || host.ProgressLoaded());

  // OR with a departure that matches: found whatever else is set.
  c.opORSearch->setChecked(true);
  c.txtExDeparture->setText("eddm");
  c.cmExClass->setCurrentIndex(1);
  c.cmdPreview->click();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"D-AAAA", "D-CCCC", "D-EEEE"}));  // Large Jets or from EDDM
}

TEST_F(SearchTabTest, ErrorsColumnComesWithTheReportsThatHaveFindings) {
  Program().MinTurnAround = 90;  // every stand of Make is one hour
  host.plan.Flights[3].Legs[0].DestinationIcao = "XXXX";
  tab->RunReport(SearchMode::WrongTime);
  EXPECT_EQ(Rows().columnCount(), 13);
  EXPECT_EQ(Rows().headerData(12, Qt::Horizontal).toString(), "Errors");
  EXPECT_EQ(Rows().At(0).errors, "min. Turn-Around");
  EXPECT_EQ(host.selectedTabs, (std::vector<QString>{"EXPORT"}));
  EXPECT_TRUE(ResultButtons());

  c.cmdPreview->click();
  EXPECT_EQ(Rows().columnCount(), 12);
  tab->RunReport(SearchMode::UnknownAirports);
  EXPECT_EQ(Rows().columnCount(), 13);
  EXPECT_EQ(RowCount(), 3);  // XXXX of one flight, LOWW of two
  tab->RunReport(SearchMode::Duplicates);
  EXPECT_EQ(Rows().columnCount(), 12);
  EXPECT_EQ(RowCount(), 0);
  EXPECT_EQ(c.lblExPreview->text(), "Previe&w (0 flights found)");
  EXPECT_FALSE(ResultButtons());
  EXPECT_EQ(host.selectedTabs.size(), 3u);  // an empty report shows the tab too
}

TEST_F(SearchTabTest, ColumnClicksSortAndReverseAndTheSelectionFollows) {
  c.cmdPreview->click();
  Select({1});  // D-BBBB
  int selected = tab->SelectedEntries()[0];
  tab->ColumnClicked(3);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"D-AAAA", "D-BBBB", "D-CCCC", "D-DDDD", "D-EEEE"}));
  tab->ColumnClicked(3);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"D-EEEE", "D-DDDD", "D-CCCC", "D-BBBB", "D-AAAA"}));
  EXPECT_EQ(c.lvExPreview->header()->sortIndicatorOrder(), Qt::DescendingOrder);
  tab->ColumnClicked(3);
  EXPECT_EQ(Shown().front(), "D-AAAA");
  tab->ColumnClicked(4);  // another column: ascending, equal texts in their order
  EXPECT_EQ(Shown(), (std::vector<std::string>{"D-AAAA", "D-DDDD", "D-BBBB", "D-EEEE", "D-CCCC"}));
  EXPECT_EQ(tab->SelectedEntries(), (std::vector<int>{selected}));
  // A new search keeps the sort.
  c.cmdPreview->click();
  EXPECT_EQ(Rows().SortColumn(), 4);
  EXPECT_EQ(Shown().front(), "D-AAAA");
}

TEST_F(SearchTabTest, ZoneChangeShowsTheTimesInTheNewZone) {
  host.plan.Flights[0] = Make("AC#12", "W", {"EDDM", "EDDF"}, "WEEK");
  host.plan.Flights[0].Legs[0].DepartureTime = "6/23:30:00";
  c.txtExDeparture->setText("EDDF");
  c.cmdPreview->click();
  int row = Rows().RowOfEntry(0);
  EXPECT_EQ(Cell(row, 7), "6/23:30:00");
  c.cmExZone->setCurrentText("GMT +01:00");
  EXPECT_EQ(Cell(Rows().RowOfEntry(0), 7), "0/00:30:00");
  EXPECT_EQ(c.cmExZone->property("Tag").toString(), "GMT +01:00");
  EXPECT_EQ(Program().ExportZone, "GMT +01:00");
  // A search shows the new zone from GMT.
  c.cmdPreview->click();
  EXPECT_EQ(Cell(Rows().RowOfEntry(0), 7), "0/00:30:00");
  c.cmExZone->setCurrentText("GMT");
  EXPECT_EQ(Cell(Rows().RowOfEntry(0), 7), "6/23:30:00");
}

TEST_F(SearchTabTest, ResetEmptiesTheWorkListWithTheRows) {
  c.cmdPreview->click();
  int menus = 0;
  QObject::connect(tab.get(), &SearchTab::selectMenuRequested, [&] { ++menus; });
  tab->ListMouseUp(Qt::RightButton, {});
  tab->ListMouseUp(Qt::LeftButton, {});
  EXPECT_EQ(menus, 1);

  tab->ResetSearchResults();
  EXPECT_EQ(RowCount(), 0);
  EXPECT_TRUE(host.plan.WorkList.empty() && host.plan.WorkListIndex.empty() && host.plan.WorkListNotes.empty());
  EXPECT_EQ(c.lblExPreview->text(), "Previe&w");
  EXPECT_FALSE(ResultButtons());
  EXPECT_TRUE(c.cmdAddFlight->isEnabled() && c.cmdPreview->isEnabled());
  ASSERT_EQ(c.cmExportAircraft->count(), 3);
  EXPECT_EQ(c.cmExportAircraft->itemText(1), "Boeing 737 (AC#12)");
  EXPECT_EQ(c.cmExportAircraft->itemData(2).toInt(), 1);
  tab->ListMouseUp(Qt::RightButton, {});
  EXPECT_EQ(menus, 1);
}

TEST_F(SearchTabTest, SearchWithoutSceneryLeavesNoStaleRows) {
  c.cmdPreview->click();
  ASSERT_EQ(RowCount(), 5);
  tab->SetSceneryLoader([] { return nullptr; });
  c.txtExContinent->setText("Europe");
  c.cmdPreview->click();
  EXPECT_EQ(RowCount(), 0);
  EXPECT_TRUE(host.plan.WorkList.empty());
  EXPECT_EQ(c.lblExPreview->text(), "Previe&w (0 flights found)");
  EXPECT_FALSE(ResultButtons());
  EXPECT_FALSE(host.IsBusy() || host.ProgressLoaded());
}

TEST_F(SearchTabTest, AddedFlightJoinsThePlanAndTheListACancelledOneNothing) {
  c.cmdPreview->click();
  const std::vector<Flight> before = host.plan.WorkList;
  c.cmdAddFlight->click();  // cancelled
  ASSERT_EQ(host.edits.size(), 1u);
  EXPECT_EQ(host.edits[0].index, 5);
  EXPECT_TRUE(host.edits[0].inWorkList);
  EXPECT_EQ(host.plan.WorkList, before);
  EXPECT_EQ(host.plan.Flights.size(), 5u);
  EXPECT_EQ(RowCount(), 5);
  EXPECT_EQ(host.modifiedMarks, 0);
  EXPECT_EQ(host.undoSaves, 1);  // taken before the dialog opened

  host.editAnswer = "Boeing 737";
  host.editChange = [](Flight& f) { f.Registration = "N1"; };
  c.cmdAddFlight->click();
  const PlanState& plan = host.plan;
  ASSERT_EQ(plan.Flights.size(), 6u);
  ASSERT_EQ(plan.WorkList.size(), 6u);
  EXPECT_EQ(plan.WorkListIndex[5], 5);
  EXPECT_EQ(plan.WorkListNotes.size(), 6u);
  EXPECT_EQ(plan.Flights[5], plan.WorkList[5]);
  EXPECT_EQ(plan.Flights[5].Registration, "N1");
  EXPECT_EQ(tab->SelectedEntries(), (std::vector<int>{5}));
  // AC#12 has an installed aircraft of its title in other letters.
  EXPECT_EQ(Cell(Rows().RowOfEntry(5), 1), "BOEING 737");
  EXPECT_EQ(c.lblExPreview->text(), "Previe&w (6 flights found)");
  EXPECT_EQ(host.modifiedMarks, 1);
  EXPECT_EQ(host.undoSaves, 1);  // the copy before the first of a series covers the series

  // An export writes exactly what it reports.
  TempDir dir;
  dialogs.Answer((dir / "out.txt").string());
  c.cmdExport->click();
  EXPECT_EQ(boxes.Prompts().back(), "Successfully exported 6 flights.");
  EXPECT_EQ(Lines(*ReadFile(dir / "out.txt")), 6);
}

TEST_F(SearchTabTest, EditWritesTheFlightBackAndRewritesItsRow) {
  c.cmdPreview->click();
  c.lvExPreview->clearSelection();
  c.cmdEditFlight->click();
  EXPECT_TRUE(host.edits.empty());
  EXPECT_EQ(host.undoSaves, 0);

  Select({2});
  int k = tab->SelectedEntries()[0];
  host.editAnswer = "Dash 8";
  host.editChange = [](Flight& f) { f.Registration = "D-ZZZZ"; };
  emit c.lvExPreview->doubleClicked(Rows().index(2, 0));
  ASSERT_EQ(host.edits.size(), 1u);
  EXPECT_EQ(host.edits[0].index, k);
  const PlanState& plan = host.plan;
  EXPECT_EQ(plan.Flights[plan.WorkListIndex[k]].Registration, "D-ZZZZ");
  int row = Rows().RowOfEntry(k);
  EXPECT_EQ(row, 2);  // rewritten in place
  EXPECT_EQ(Cell(row, 3), "D-ZZZZ");
  EXPECT_EQ(Cell(row, 1), "Dash 8");
  EXPECT_EQ(host.modifiedMarks, 1);

  host.editAnswer.clear();
  c.cmdEditFlight->click();
  EXPECT_EQ(host.modifiedMarks, 1);
}

TEST_F(SearchTabTest, DeleteMarksTheFlightsRemovedAndDropsTheirRows) {
  c.cmdPreview->click();
  Select({1, 3});
  std::vector<int> gone = tab->SelectedEntries();
  boxes.Answer(kIdNo);
  c.cmdDeleteFlight->click();
  EXPECT_EQ(RowCount(), 5);
  EXPECT_EQ(host.undoSaves, 0);

  c.cmdDeleteFlight->click();
  ASSERT_EQ(boxes.Shown().back().prompt, kDeleteQuestion);
  EXPECT_EQ(boxes.Shown().back().buttons, kMbYesNo | kMbIconQuestion);
  const PlanState& plan = host.plan;
  for (int k : gone) {
    EXPECT_TRUE(plan.WorkList[k].Removed);
    EXPECT_TRUE(plan.Flights[plan.WorkListIndex[k]].Removed);
  }
  EXPECT_EQ(RowCount(), 3);
  EXPECT_EQ(tab->SelectedEntries().size(), 1u);
  EXPECT_EQ(c.lblExPreview->text(), "Previe&w (3 flights found)");
  EXPECT_EQ(host.modifiedMarks, 1);

  c.lvExPreview->selectAll();
  c.cmdDeleteFlight->click();
  EXPECT_EQ(RowCount(), 0);
  EXPECT_EQ(c.lblExPreview->text(), "Previe&w");
  EXPECT_FALSE(ResultButtons());
  EXPECT_EQ(plan.WorkList.size(), 5u);  // kept, all marked, for the exports
  EXPECT_EQ(host.undoSaves, 1);
}

TEST_F(SearchTabTest, ExportWritesTheFoundFlightsAndAsksBeforeReplacingARemovedList) {
  TempDir dir;
  WriteFile(dir / "Removed Flights.txt", "the plan's own\r\n");
  c.cmdPreview->click();
  Select({0, 1});
  c.cmdDeleteFlight->click();
  boxes.Clear();
  boxes.Answer(kIdNo);
  dialogs.Answer((dir / "Export FlightPlans.txt").string());
  c.cmdExport->click();
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  const FileDialogRequest& d = dialogs.Shown()[0];
  EXPECT_TRUE(d.save);
  EXPECT_EQ(d.title, "Export - Save Flightplan");
  EXPECT_EQ(d.fileName, "Export FlightPlans.txt");
  EXPECT_EQ(d.flags, 2625542);
  EXPECT_EQ(boxes.Prompts(), (std::vector<std::string>{kReplaceRemovedQuestion, "Successfully exported 3 flights."}));
  EXPECT_EQ(boxes.Shown()[1].buttons, kMbIconQuestion);
  EXPECT_EQ(Lines(*ReadFile(dir / "Export FlightPlans.txt")), 3);
  EXPECT_EQ(*ReadFile(dir / "Removed Flights.txt"), "the plan's own\r\n");

  boxes.Answer(kIdYes);
  dialogs.Answer((dir / "b.txt").string());
  c.cmdExport->click();
  EXPECT_EQ(Lines(*ReadFile(dir / "Removed Flights.txt")), 2);
  // Neither export changes the plan or the list; a cancelled dialog writes nothing.
  EXPECT_EQ(host.modifiedMarks, 1);
  EXPECT_EQ(RowCount(), 3);
  boxes.Clear();
  c.cmdExport->click();
  EXPECT_TRUE(boxes.Prompts().empty());
}

TEST_F(SearchTabTest, AnExportThatCannotBeWrittenIsSaid) {
  TempDir dir;
  fs::create_directories(dir / "taken.txt");  // a folder where the file should go
  c.cmdPreview->click();
  dialogs.Answer((dir / "taken.txt").string());
  boxes.Clear();
  c.cmdExport->click();
  const std::string taken = (dir / "taken.txt").string();
  ASSERT_EQ(boxes.Prompts(), (std::vector<std::string>{"Could not write file '" + taken + "'.\n\n'" + taken +
                                                       "' may not be replaced (Is a directory)."}));
  EXPECT_EQ(boxes.Shown()[0].buttons, kMbIconExclamation);
  EXPECT_TRUE(fs::is_directory(dir / "taken.txt"));
  EXPECT_FALSE(host.IsBusy());
}

TEST_F(SearchTabTest, ExportRemainingWritesEveryOtherFlightInPlanOrder) {
  TempDir dir;
  c.txtExLeg->setText("EDDF");  // D-BBBB and D-CCCC have EDDF as a stop
  c.cmdPreview->click();
  ASSERT_EQ(RowCount(), 2);
  dialogs.Answer((dir / "rest.txt").string());
  boxes.Clear();
  c.cmdExportRemainder->click();
  EXPECT_EQ(dialogs.Shown().back().title, "Export remaining flights - Save Flightplan");
  EXPECT_EQ(dialogs.Shown().back().fileName, "Remaining FlightPlans.txt");
  EXPECT_EQ(boxes.Prompts(), (std::vector<std::string>{"Successfully exported 3 flights."}));
  std::string text = *ReadFile(dir / "rest.txt");
  EXPECT_LT(text.find("D-AAAA"), text.find("D-DDDD"));
  EXPECT_LT(text.find("D-DDDD"), text.find("D-EEEE"));
  EXPECT_EQ(Lines(text), 3);
}

TEST_F(SearchTabTest, PrintSendsTheRowsInListOrder) {
  ScriptedPrinter printer;
  c.cmdPreview->click();
  tab->ColumnClicked(3);
  tab->ColumnClicked(3);  // registrations descending
  boxes.Clear();
  c.cmdExportPrint->click();
  ASSERT_EQ(printer.Jobs().size(), 1u);
  const PrintRequest& job = printer.Jobs()[0];
  EXPECT_EQ(job.dialogTitle + "|" + job.fontName + "|" + std::to_string(job.pointSize), "Export - Print|Courier New|10");
  EXPECT_EQ(job.text.substr(0, job.text.find("\r\n")), "AC#12 BOEING 737 (Lufthansa) - D-EEEE/50%/24Hr/IFR");
  EXPECT_LT(job.text.find("D-DDDD"), job.text.find("D-CCCC"));
  EXPECT_NE(job.text.find("\t\tEDDF - LOWW No. 0100 FL240 100nm 06:00:00 07:00:00\r\n"), std::string::npos);
  EXPECT_EQ(boxes.Prompts(), (std::vector<std::string>{"Successfully printed 5 flights."}));
  EXPECT_FALSE(host.IsBusy() || host.ProgressLoaded());

  // The printer dialog comes first: a cancel takes no busy frame.
  printer.Answer(PrintResult::Cancelled);
  printer.Answer(PrintResult::Failed);
  boxes.Clear();
  const int frames = host.busyFrames;
  c.cmdExportPrint->click();
  EXPECT_TRUE(boxes.Prompts().empty());
  EXPECT_EQ(host.busyFrames, frames);
  EXPECT_TRUE(printer.Jobs()[1].text.empty());
  c.cmdExportPrint->click();
  EXPECT_EQ(boxes.Prompts(), (std::vector<std::string>{kPrintFailedMessage}));
}

TEST_F(SearchTabTest, CommandsWaitWhileTheWindowIsBusy) {
  host.BeginBusy();
  c.cmdPreview->click();
  c.cmdAddFlight->click();
  tab->ReportCommand(SearchMode::Duplicates);
  CorrectAllFlightTimes(host);
  host.EndBusy();
  EXPECT_EQ(RowCount(), 0);
  EXPECT_TRUE(host.edits.empty() && host.selectedTabs.empty());
  EXPECT_EQ(host.undoSaves, 0);
}

TEST_F(SearchTabTest, CorrectFlightTimesChangesThePlanAndResetsTheTabs) {
  Program().MinTurnAround = 90;
  CorrectAllFlightTimes(host);
  EXPECT_EQ(host.plan.Flights[0].Legs[1].DepartureTime, "08:32:00");
  EXPECT_EQ(host.plan.Flights[0].Period, "6Hr");
  EXPECT_EQ(host.undoSaves, 1);
  EXPECT_EQ(host.timetableResets, 1);
  EXPECT_EQ(host.searchResets, 1);
  EXPECT_EQ(host.modifiedMarks, 1);
  EXPECT_EQ(boxes.Prompts(), (std::vector<std::string>{kFlightTimesCheckedMessage}));
  EXPECT_EQ(boxes.Shown()[0].buttons, kMbIconInformation);
}

}  // namespace
}  // namespace velk
