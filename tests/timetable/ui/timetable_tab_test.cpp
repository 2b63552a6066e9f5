// The Timetable tab's controller on bare widgets with a fake main window:
// Show and its checks, sorting, the zone change, the double-click into the
// flight editor, print, save and the statistics window.
#include "timetable/ui/timetable_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include <gtest/gtest.h>

#include "data/program_state.h"
#include "data/times_zones.h"
#include "gui/report_window.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/printer.h"
#include "platform/qt/qt_dialogs.h"
#include "support/fake_plan_host.h"
#include "support/test_support.h"
#include "timetable/timetable_text.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

Flight Daily(const char* aircraft, const char* arrival, const char* departure, const char* airline_reg) {
  Flight f;
  f.AircraftId = aircraft;
  f.Registration = airline_reg;
  f.Percent = "100%";
  f.Period = "24Hr";
  f.FlightRules = "IFR";
  FlightLeg in{"05:00:00", arrival, false, "350", "F", "0100", "EDDF"};
  FlightLeg out{departure, "12:00:00", false, "350", "F", "0200", "LOWW"};
  f.Legs = {in, out};
  return f;
}

class TimetableTabTest : public ::testing::Test {
 protected:
  TimetableTabTest() {
    for (QWidget* w : std::initializer_list<QWidget*>{&airport, &day, &start, &end, &percent, &ifr, &vfr, &arrival,
                                                      &departure, &zone, &preview, &list, &show, &print, &save,
                                                      &statistics})
      w->setParent(&page);
    day.addItem("#Week#", -1);
    const char* days[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    for (int i = 0; i < 7; ++i) day.addItem(days[i], i);
    for (const char* z : kTimeZoneNames) zone.addItem(z);
    zone.setCurrentText("GMT");
    start.setText("00:00:00");
    end.setText("23:59:59");
    percent.setText("100");
    for (QCheckBox* b : {&ifr, &vfr, &arrival, &departure}) b->setChecked(true);
    list.setColumnCount(7);
    Program() = ProgramState{};

    PlanState& plan = host.plan;
    plan.PlanAircraftList = {{"AC#1", "Jet", "450", 0}, {"AC#2", "Prop", "200", 0}};
    FSAircraft jet;
    jet.Title = "JET";
    jet.ATCAirline = "lufthansa";
    jet.UIManufacturer = "Boeing";
    jet.UIType = "737";
    jet.Class = 7;
    FSAircraft prop;
    prop.Title = "prop";
    prop.ATCAirline = "Austrian";
    prop.UIManufacturer = "Dash";
    prop.UIType = "8";
    prop.Class = 3;
    plan.FSAircraftList = {jet, prop};
    plan.Flights = {Daily("AC#1", "07:00:00", "08:00:00", "D-AAAA"), Daily("AC#2", "06:30:00", "09:00:00", "OE-BBB")};
    tab = std::make_unique<TimetableTab>(controls, host);
    tab->Reset();
  }

  std::vector<std::string> Column(int column) const {
    std::vector<std::string> out;
    for (int i = 0; i < list.topLevelItemCount(); ++i) out.push_back(list.topLevelItem(i)->text(column).toStdString());
    return out;
  }
  void ShowFor(const char* airports) {
    airport.setText(airports);
    show.click();
  }

  QWidget page;
  QLineEdit airport, start, end, percent;
  QComboBox day, zone;
  QCheckBox ifr, vfr, arrival, departure;
  QLabel preview;
  QTreeWidget list;
  QPushButton show, print, save, statistics;
  TimetableControls controls{&airport, &day,      &start, &end,     &percent, &ifr,  &vfr,  &arrival,
                             &departure, &zone, &preview, &list, &show, &print, &save, &statistics};
  test::FakePlanHost host;
  ScriptedMessageBoxes boxes;
  std::unique_ptr<TimetableTab> tab;
};

TEST_F(TimetableTabTest, ShowListsTheRowsInTimeOrder) {
  ShowFor("eddf");
  EXPECT_EQ(Column(0), (std::vector<std::string>{"06:30:00", "07:00:00", "08:00:00", "09:00:00"}));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"Arrive", "Arrive", "Depart", "Depart"}));
  EXPECT_EQ(Column(3), (std::vector<std::string>{"Austrian", "lufthansa", "lufthansa", "Austrian"}));
  EXPECT_EQ(Column(5), (std::vector<std::string>{"Dash/8", "Boeing/737", "Boeing/737", "Dash/8"}));
  EXPECT_EQ(preview.text(), "Previe&w (4 flights found)");
  // The leg of a row is its tooltip.
  EXPECT_EQ(list.topLevelItem(2)->toolTip(0), "1");
  EXPECT_EQ(list.selectedItems().size(), 1);
  EXPECT_EQ(list.selectedItems().front(), list.topLevelItem(0));
  EXPECT_TRUE(print.isEnabled() && save.isEnabled());
  // Statistics needs a single weekday.
  EXPECT_FALSE(statistics.isEnabled());
  day.setCurrentIndex(2);
  show.click();
  EXPECT_TRUE(statistics.isEnabled());
  EXPECT_EQ(host.busyFrames, 2);
  EXPECT_FALSE(host.IsBusy());

  ShowFor("");
  EXPECT_EQ(list.topLevelItemCount(), 0);
  EXPECT_EQ(preview.text(), "Previe&w (0 flights found)");
  EXPECT_FALSE(print.isEnabled() || save.isEnabled() || statistics.isEnabled());

  ShowFor("EDDF");
  tab->Reset();
  EXPECT_EQ(list.topLevelItemCount(), 0);
  EXPECT_EQ(preview.text(), "Previe&w");
  EXPECT_FALSE(print.isEnabled() || save.isEnabled() || statistics.isEnabled());
  EXPECT_TRUE(show.isEnabled());
}

TEST_F(TimetableTabTest, RefusedBoxesBuildNothing) {
  struct Case {
    QLineEdit* box;
    const char* text;
    const char* message;
  };
  const Case cases[] = {{&start, "7 o'clock", "Invalid time format."},
                        {&end, "24:00:00", "Invalid time format."},
                        {&percent, "x", "Invalid numeric format."},
                        {&percent, "101", "Percent value should be not greater than 100."},
                        {&percent, "0", "Percent value should be not less than 1."}};
  for (const Case& c : cases) {
    QString before = c.box->text();
    c.box->setText(c.text);
    boxes.Clear();
    ShowFor("EDDF");
    EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{c.message}) << c.text;
    EXPECT_EQ(boxes.Shown().front().buttons, kMbOk | kMbIconExclamation);
    EXPECT_EQ(list.topLevelItemCount(), 0) << c.text;
    c.box->setText(before);
  }
  boxes.Clear();
  ShowFor("EDDF");
  EXPECT_TRUE(boxes.Prompts().empty());
  EXPECT_EQ(list.topLevelItemCount(), 4);
}

TEST_F(TimetableTabTest, HeaderClicksSortWithoutRegardToCase) {
  ShowFor("EDDF");
  auto clickHeader = [&](int column) {
    QHeaderView* header = list.header();
    QPoint at(header->sectionViewportPosition(column) + 5, 5);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
  };
  page.show();
  clickHeader(3);
  EXPECT_EQ(Column(3), (std::vector<std::string>{"Austrian", "Austrian", "lufthansa", "lufthansa"}));
  clickHeader(3);
  EXPECT_EQ(Column(3), (std::vector<std::string>{"lufthansa", "lufthansa", "Austrian", "Austrian"}));
  clickHeader(0);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"06:30:00", "07:00:00", "08:00:00", "09:00:00"}));
}

TEST_F(TimetableTabTest, ZoneChangeRelabelsTheRowsAndRemembersTheZone) {
  host.plan.Flights[0].Legs[0].ArrivalTime = "23:30:00";
  ShowFor("EDDF");
  std::vector<std::string> before = Column(0);
  zone.setCurrentText("GMT +01:00");
  EXPECT_EQ(Column(0), (std::vector<std::string>{"00:30:00", "07:30:00", "09:00:00", "10:00:00"}));
  EXPECT_EQ(tab->ShownZone(), "GMT +01:00");
  EXPECT_EQ(zone.property("Tag").toString(), "GMT +01:00");
  EXPECT_EQ(Program().TimetableZone, "GMT +01:00");
  zone.setCurrentText("GMT");
  EXPECT_EQ(Column(0), before);
}

TEST_F(TimetableTabTest, DoubleClickOpensTheRowsFlightAtItsLeg) {
  ShowFor("EDDF");
  list.clearSelection();
  tab->EditSelectedFlight();
  EXPECT_TRUE(host.edits.empty());

  // The third row is the departure of flight 0, leg 1.
  list.topLevelItem(2)->setSelected(true);
  tab->EditSelectedFlight();
  ASSERT_EQ(host.edits.size(), 1u);
  EXPECT_EQ(host.edits[0].index, 0);
  EXPECT_FALSE(host.edits[0].inWorkList);
  EXPECT_EQ(host.edits[0].selectLeg, 1);
  // Cancelled: the undo copy stays, the plan is not marked.
  EXPECT_EQ(host.undoSaves, 1);
  EXPECT_EQ(host.modifiedMarks, 0);

  host.editAnswer = "Jet";
  tab->EditSelectedFlight();
  EXPECT_EQ(host.modifiedMarks, 1);
  EXPECT_EQ(host.undoSaves, 1);  // an undo copy is held already
  EXPECT_EQ(list.topLevelItemCount(), 4);  // not rebuilt

  // Rows of a plan that has since lost flights open nothing.
  host.plan.Flights.resize(0);
  tab->EditSelectedFlight();
  EXPECT_EQ(host.edits.size(), 2u);
  // While the main window is busy nothing opens.
  host.plan.Flights = {Daily("AC#1", "07:00:00", "08:00:00", "D-AAAA")};
  ShowFor("EDDF");
  ASSERT_EQ(list.selectedItems().size(), 1);
  host.BeginBusy();
  tab->EditSelectedFlight();
  host.EndBusy();
  EXPECT_EQ(host.edits.size(), 2u);
}

TEST_F(TimetableTabTest, PrintAsksFirstAndTellsTheOutcome) {
  ShowFor("eddf");
  airport.setText("typed later");
  ScriptedPrinter printer;
  bool progressDuringPrint = false;
  printer.render = [&](const PrintRequest&) { progressDuringPrint = host.ProgressLoaded(); };
  printer.Answer(PrintResult::Cancelled);
  print.click();
  EXPECT_TRUE(boxes.Prompts().empty());
  EXPECT_EQ(host.busyFrames, 1);  // only Show's: a cancelled dialog starts nothing

  print.click();
  ASSERT_EQ(printer.Jobs().size(), 2u);
  const PrintRequest& job = printer.Jobs()[1];
  EXPECT_EQ(job.dialogTitle, "Print Airport Timetable");
  EXPECT_EQ(job.fontName, "Courier New");
  EXPECT_EQ(job.pointSize, 10);
  // The title names what the rows were built for, not what was typed since.
  EXPECT_EQ(job.text.substr(0, 27), "Airport timetable for EDDF ");
  std::string expected = TimetableText(tab->ListedRows(), "eddf", "DATE", "GMT");
  EXPECT_EQ(job.text.substr(job.text.find("\r\n")), expected.substr(expected.find("\r\n")));
  EXPECT_TRUE(progressDuringPrint);
  EXPECT_FALSE(host.ProgressLoaded() || host.IsBusy());
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{"Successfully printed 4 flights."});
  EXPECT_EQ(boxes.Shown().back().buttons, kMbOk | kMbIconQuestion);

  boxes.Clear();
  printer.Answer(PrintResult::Failed);
  print.click();
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{"An error occured during printing the Airport Timetable."});
  EXPECT_EQ(boxes.Shown().back().buttons, kMbOk | kMbIconCritical);
}

TEST_F(TimetableTabTest, SaveWritesTheListAsItIsSorted) {
  test::TempDir dir;
  ShowFor("EDDF");
  list.sortByColumn(3, Qt::DescendingOrder);
  ScriptedFileDialogs dialogs;
  save.click();  // cancelled
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  const FileDialogRequest& r = dialogs.Shown()[0];
  EXPECT_TRUE(r.save);
  EXPECT_EQ(r.title, "Save Airport Timetable");
  EXPECT_EQ(r.fileName, "Airport Timetable.txt");
  EXPECT_EQ(r.filter, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*");
  EXPECT_EQ(r.flags, 0x281006);
  EXPECT_TRUE(boxes.Prompts().empty());

  fs::path file = dir / "Airport Timetable.txt";
  test::WriteFile(file, "an older and much longer timetable file\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
  dialogs.Answer(file.string());
  save.click();
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{"Successfully saved 4 flights."});
  std::string written = test::ReadFile(file).value_or("");
  std::string expected = TimetableText(tab->ListedRows(), "EDDF", "DATE", "GMT");
  EXPECT_EQ(written.substr(written.find("\r\n")), expected.substr(expected.find("\r\n")));
  EXPECT_NE(written.find("lufthansa"), std::string::npos);
  EXPECT_LT(written.find("lufthansa"), written.find("Austrian"));

  // A folder of that name, or a missing folder, is reported as a failure,
  // with the reason.
  boxes.Clear();
  fs::create_directory(dir / "folder.txt");
  dialogs.Answer((dir / "folder.txt").string());
  save.click();
  dialogs.Answer((dir / "missing" / "x.txt").string());
  save.click();
  const std::string failed = "An error occured during writing the Airport Timetable.\n\nCould not write '";
  EXPECT_EQ(boxes.Prompts(), (std::vector<std::string>{
                                 failed + (dir / "folder.txt").string() + "' (Is a directory).",
                                 failed + (dir / "missing" / "x.txt").string() + "' (No such file or directory)."}));
  EXPECT_TRUE(fs::is_directory(dir / "folder.txt"));

  // Through a link the file it leads to is written, whole; the link stays.
  boxes.Clear();
  test::WriteFile(dir / "target.txt", "older text");
  fs::create_symlink(dir / "target.txt", dir / "link.txt");
  dialogs.Answer((dir / "link.txt").string());
  save.click();
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{"Successfully saved 4 flights."});
  EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
  EXPECT_EQ(test::ReadFile(dir / "target.txt").value_or("").substr(0, 22), "Airport timetable for ");
}

TEST_F(TimetableTabTest, StatisticsDescribeTheRowsAsBuilt) {
  day.setCurrentIndex(2);
  start.setText("06:00:00");
  end.setText("09:59:59");
  ShowFor("eddf");
  start.setText("00:00:00");  // typed after Show: the report keeps the window of the rows
  list.sortByColumn(3, Qt::AscendingOrder);
  statistics.click();
  ReportWindow* window = tab->StatisticsWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->objectName(), "frmTTStatistics");
  EXPECT_EQ(window->windowTitle(), "Airport Timetable Statistics");
  EXPECT_TRUE(window->isModal());
  std::string report = window->Report();
  EXPECT_EQ(report.substr(0, report.find("\r\n")), "Airport:            EDDF");
  EXPECT_NE(report.find("Time:               Monday 06:00:00 - 09:59:59 (GMT)\r\n"), std::string::npos);
  EXPECT_NE(report.find("Max. Aircraft:      2 at 07:00:00\r\n"), std::string::npos);
  EXPECT_NE(report.find("Max. Mid Prop:      1 at 06:30:00\r\n"), std::string::npos);
  EXPECT_NE(report.find("06:00:00-06:59:59 -> Arrivals 001 - Departures 000\r\n"), std::string::npos);
  EXPECT_EQ(report.find("05:00:00-05:59:59"), std::string::npos);
  // The list keeps its order.
  EXPECT_EQ(list.sortColumn(), 3);
  EXPECT_EQ(window->txtInfo->toPlainText().toStdString().substr(0, 24), "Airport:            EDDF");

  int before = host.reactivations;
  window->cmdClose->click();
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(tab->StatisticsWindow(), nullptr);
  EXPECT_EQ(host.reactivations, before + 1);
}

}  // namespace
}  // namespace velk
