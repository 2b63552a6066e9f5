// The main window with a plan: opening the sample plan against the sample
// simulator, saving it, the failure paths, undo, the trees, the selection
// commands, the tabs and the switch menus. Dialogs and messages are scripted.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include <gtest/gtest.h>

#include "app/frm_main.h"
#include "app/plan_files.h"
#include "app/sample_window_test.h"
#include "data/aircraft_airport_files.h"
#include "data/plan_records.h"
#include "data/program_state.h"
#include "gui/aircraft_tree_view.h"
#include "gui/frm_progress.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/process_runner.h"
#include "sample_sim/sample_sim.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::ScopedEnv;
using test::TempDir;
using test::WriteFile;

constexpr const char* kSaved = "Successfully saved modified Flightplan.";
constexpr const char* kSaveFailed = "Errors occured during saving Flightplan.";

class PlanWindowTest : public test::SampleWindowTest {
 protected:
  void SetUp() override {
    main_ = CopySamplePlan("main");
    SampleWindowTest::SetUp();
  }

  void Open(const fs::path& plan) {
    dialogs_.Answer(plan.string());
    w_.mnuFileLoad->trigger();
  }

  fs::path main_;
};

TEST_F(PlanWindowTest, OpeningTheSamplePlanFillsTheWindow) {
  Open(main_);
  const PlanState& plan = Plan();
  EXPECT_TRUE(Prompts().empty());
  ASSERT_TRUE(plan.PlanLoaded);
  ASSERT_FALSE(plan.Flights.empty());
  EXPECT_FALSE(w_.IsBusy() || w_.ProgressLoaded());
  EXPECT_EQ(w_.StatusText().toStdString(), "Flightplan loaded with " + std::to_string(plan.Flights.size()) +
                                               " flights [" + main_.string() + "].");
  ASSERT_EQ(dialogs_.Shown().size(), 1u);
  EXPECT_EQ(dialogs_.Shown()[0].title, "Open Flightplan");
  EXPECT_EQ(dialogs_.Shown()[0].fileName, "");
  EXPECT_EQ(dialogs_.Shown()[0].flags, 0x209004);

  // Commands of a loaded plan are open; nothing is to be saved yet.
  EXPECT_FALSE(w_.mnuFileSave->isEnabled());
  EXPECT_TRUE(w_.mnuFileSaveAs->isEnabled());
  EXPECT_TRUE(w_.mnuToolsCheckFL->isEnabled() && w_.mnuToolsReports->menuAction()->isEnabled());
  EXPECT_TRUE(w_.cmdShuffle->isEnabled() && w_.cmdTTShow->isEnabled() && w_.cmdPreview->isEnabled());
  EXPECT_EQ(w_.cmSource->count(), static_cast<int>(plan.Airports.size()));
  EXPECT_TRUE(w_.cmdMove->isEnabled());
  EXPECT_EQ(w_.cmExportAircraft->count(), static_cast<int>(plan.PlanAircraftList.size()) + 1);
  EXPECT_EQ(w_.cmExportAircraft->itemData(0).toInt(), -1);
  EXPECT_EQ(w_.RecentFlightplans[0], main_.string());

  // Every distinct plan aircraft title is installed, so each is checked in
  // the Shuffle tree and the label counts them.
  std::set<std::string> titles;
  for (const PlanAircraft& a : plan.PlanAircraftList) titles.insert(LeafKey(a.Title));
  EXPECT_EQ(w_.ShuffleTree().CountSelectedAircraft(), static_cast<int>(titles.size()));
  EXPECT_EQ(w_.lblShuffleAircraft->text(),
            QString("&Select Aircraft to use for the Flightplan (%1 aircraft selected)").arg(titles.size()));
  // The widgets show the trees: leaves carry their key and tag.
  EXPECT_EQ(w_.tvMoveAircrafts->topLevelItemCount(), static_cast<int>(w_.MoveTree().Roots().size()));
  const PlanAircraft& first = plan.PlanAircraftList.front();
  int leaf = w_.MoveTree().FindLeaf(LeafKey(first.Title));
  ASSERT_GE(leaf, 0);
  EXPECT_NE(w_.MoveTree().Node(leaf).Tag.find("," + first.Id + ","), std::string::npos);
  bool shown = false;
  for (QTreeWidgetItemIterator it(w_.tvMoveAircrafts); *it; ++it)
    if (AircraftTreeNodeId(*it) == leaf)
      shown = (*it)->data(0, kNodeTagRole).toString().toStdString() == w_.MoveTree().Node(leaf).Tag;
  EXPECT_TRUE(shown);
  // Every node has its check box, checked or not.
  for (QTreeWidget* tree : {w_.tvShuffleAircraft, w_.tvMoveAircrafts})
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
      EXPECT_TRUE((*it)->data(0, Qt::CheckStateRole).isValid()) << (*it)->text(0).toStdString();

  // The next dialog starts from this plan.
  w_.mnuFileLoad->trigger();
  EXPECT_EQ(dialogs_.Shown().back().fileName, main_.string());
}

TEST_F(PlanWindowTest, SaveWritesBothFilesAndKeepsTheFirstBackup) {
  std::string original = *ReadFile(main_);
  Open(main_);
  Plan().Flights[0].Registration = "N-FIRST";
  w_.MarkPlanModified();
  EXPECT_TRUE(w_.mnuFileSave->isEnabled());
  w_.mnuFileSave->trigger();
  EXPECT_EQ(Prompts(), (std::vector<std::string>{kSaved}));
  EXPECT_FALSE(Program().PlanModified);
  EXPECT_FALSE(w_.mnuFileSave->isEnabled());
  EXPECT_NE(ReadFile(main_)->find("N-FIRST"), std::string::npos);
  EXPECT_EQ(*ReadFile(main_.string() + ".velk.bak"), original);
  EXPECT_TRUE(fs::exists(main_.parent_path() / "Aircraft.txt.velk.bak"));

  Plan().Flights[0].Registration = "N-SECOND";
  w_.MarkPlanModified();
  w_.mnuFileSave->trigger();
  EXPECT_NE(ReadFile(main_)->find("N-SECOND"), std::string::npos);
  EXPECT_EQ(*ReadFile(main_.string() + ".velk.bak"), original);

  // What was saved opens again as it was.
  size_t flights = Plan().Flights.size();
  w_.LoadFlightplan(main_.string());
  EXPECT_EQ(Plan().Flights.size(), flights);
  EXPECT_EQ(Plan().Flights[0].Registration, "N-SECOND");

  // A plan name of 250 bytes is allowed, its backup's 258 are not: the save
  // goes on, and its closing message says which backup is missing and why.
  const fs::path longName = main_.parent_path() / (std::string(246, 'p') + ".txt");
  fs::rename(main_, longName);
  Open(longName);
  Plan().Flights[0].Registration = "N-LONG";
  w_.MarkPlanModified();
  boxes_.Clear();
  w_.mnuFileSave->trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{std::string(kSaved) + "\n\nThe backup copy '" + longName.string() +
                                                ".velk.bak' was not made (File name too long)."});
  EXPECT_EQ(boxes_.Shown().back().buttons, kMbOk | kMbIconExclamation);
  EXPECT_NE(ReadFile(longName)->find("N-LONG"), std::string::npos);
}

TEST_F(PlanWindowTest, FailedSaveIsReportedAndKeepsTheChanges) {
  Open(main_);
  Plan().Flights[0].Registration = "N-KEEP";
  w_.MarkPlanModified();
  // The plan's folder is gone: nothing can be written there, and the
  // message says why.
  fs::remove_all(main_.parent_path());
  w_.mnuFileSave->trigger();
  const std::string failed =
      std::string(kSaveFailed) + "\n\nCould not make a new file beside '" + main_.string() + "' (No such file or directory).";
  EXPECT_EQ(Prompts(), (std::vector<std::string>{failed}));
  EXPECT_TRUE(Program().PlanModified);
  EXPECT_TRUE(w_.mnuFileSave->isEnabled());

  // Opening another plan first offers to save; a save that fails keeps the
  // modified plan open.
  fs::path other = CopySamplePlan("other");
  boxes_.Clear();
  boxes_.Answer(kIdYes);
  w_.LoadFlightplan(other.string());
  EXPECT_EQ(Prompts(), (std::vector<std::string>{"Save the modified Flightplan?", failed}));
  EXPECT_EQ(Plan().FlightplanPath, main_.string());
  EXPECT_EQ(Plan().Flights[0].Registration, "N-KEEP");
  EXPECT_TRUE(Plan().PlanLoaded);
}

// A save that cannot replace one of its files replaces none: the plan never
// names an aircraft that Aircraft.txt lacks, and the old list of removed
// flights stays.
TEST_F(PlanWindowTest, ASaveThatCannotWriteEveryFileChangesNone) {
  const fs::path folder = main_.parent_path();
  WriteFile(folder / "Removed Flights.txt", "AC#1,OLD,100%,WEEK,IFR\r\n");
  Open(main_);
  Plan().Flights[0].Removed = true;
  Plan().Flights[1].Registration = "N-NEW";
  Plan().PlanAircraftList.push_back(PlanAircraft{"AC#999", "New Aircraft", "300", 0});
  Plan().Flights[1].AircraftId = "AC#999";
  w_.MarkPlanModified();
  const fs::path files[] = {main_, folder / "Aircraft.txt", folder / "Removed Flights.txt"};
  std::vector<std::optional<std::string>> before;
  for (const fs::path& f : files) before.push_back(ReadFile(f));
  for (const char* readOnly : {"Aircraft.txt", "FlightPlans.txt"}) {
    boxes_.Clear();
    fs::permissions(folder / readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    w_.mnuFileSave->trigger();
    fs::permissions(folder / readOnly, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(Prompts(), (std::vector<std::string>{std::string(kSaveFailed) + "\n\n'" + (folder / readOnly).string() +
                                                   "' may not be replaced (Permission denied)."}))
        << readOnly;
    for (size_t k = 0; k < 3; ++k) EXPECT_EQ(ReadFile(files[k]), before[k]) << readOnly << " " << files[k];
    EXPECT_TRUE(Program().PlanModified);
  }
}

// A save killed at any file step, then the next run that touches the
// folder: velk opening the plan, or orvane compiling it. The three files
// are the old ones or, once all were written, the new ones, and nothing of
// the killed save is left; a file the user changed after the kill stays as
// the user left it.
TEST_F(PlanWindowTest, ASaveKilledAtAnyStepIsMadeWholeByTheNextRun) {
  const fs::path folder = main_.parent_path();
  Open(main_);
  Plan().Flights[0].Removed = true;
  Plan().PlanAircraftList.push_back(PlanAircraft{"AC#999", "New Aircraft", "300", 0});
  Plan().Flights[1].AircraftId = "AC#999";
  const PlanState edited = Plan();
  const fs::path files[] = {folder / "Removed Flights.txt", main_, folder / "Aircraft.txt"};
  auto read = [&] {
    std::vector<std::optional<std::string>> set;
    for (const fs::path& f : files) set.push_back(ReadFile(f));
    return set;
  };
  const auto before = read();
  const std::string airports = *ReadFile(folder / "Airports.txt");
  auto reset = [&] {
    fs::remove_all(folder);
    for (size_t k = 1; k < 3; ++k) WriteFile(files[k], *before[k]);
    WriteFile(folder / "Airports.txt", airports);
  };
  // The save writes the plan aircraft of the one plan of the program.
  auto save = [&] {
    Plan() = edited;
    WritePlanFiles(Plan(), [](const auto&) { return true; });
  };
  reset();
  Plan() = edited;
  ASSERT_TRUE(WritePlanFiles(Plan(), [](const auto&) { return true; }));
  const auto after = read();
  const std::string users = "AC#1,300,\"The user's own\"\r\n";
  int next = 0;
  test::KillAtEveryFileStep(reset, save, [&](const std::string& step) {
    const bool mixed = read() != before && read() != after;
    const int run = next++ % 3;
    if (run == 2) WriteFile(folder / "Aircraft.txt", users);
    boxes_.Clear();
    Program().PlanModified = false;
    std::string output;
    if (run == 1)
      EXPECT_EQ(RunAndWait({(test::ToolsDir() / "orvane").string(), "/np", "/na"}, folder.string(), output, false), 0)
          << step << "\n" << output;
    else
      w_.LoadFlightplan(main_.string());
    if (run == 2) {
      EXPECT_EQ(ReadFile(folder / "Aircraft.txt"), users) << step;
      return;
    }
    EXPECT_TRUE(read() == before || read() == after) << step << " " << run;
    for (const std::string& name : test::Names(folder))
      EXPECT_TRUE(name.find("velk-set") == std::string::npos && name.find("journal") == std::string::npos)
          << step << ": " << name;
    if (mixed && run == 0) {
      EXPECT_EQ(Prompts().at(0), "Finished replacing Removed Flights.txt, FlightPlans.txt and Aircraft.txt, which "
                                 "an interrupted run of velk had left half done.")
          << step;
    }
  });
}

// A save never replaces unasked what another program wrote since the plan
// was opened or saved: a decompile into the folder, another window's save.
TEST_F(PlanWindowTest, ASaveAsksBeforeReplacingWhatAnotherProgramWroteSince) {
  const fs::path aircraft = main_.parent_path() / "Aircraft.txt";
  Open(main_);
  Plan().Flights[0].Registration = "N-MINE";
  w_.MarkPlanModified();
  const std::string theirs = "AC#1,300,\"Another program's\"\r\n";
  WriteFile(aircraft, theirs);
  const std::string plan = *ReadFile(main_);
  auto asked = [](const fs::path& file) {
    return "'" + file.string() + "' was changed by another program since VELK last read or saved it. Replace it "
           "with the Flightplan as it is in VELK?";
  };
  const std::string question = asked(aircraft);
  boxes_.Answer(kIdNo);
  w_.mnuFileSave->trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{question});
  EXPECT_EQ(ReadFile(aircraft), theirs);
  EXPECT_EQ(ReadFile(main_), plan);
  EXPECT_TRUE(Program().PlanModified);
  boxes_.Clear();
  boxes_.Answer(kIdYes);
  w_.mnuFileSave->trigger();
  EXPECT_EQ(Prompts(), (std::vector<std::string>{question, kSaved}));
  EXPECT_NE(ReadFile(aircraft), theirs);
  // What it wrote itself it replaces without a question.
  boxes_.Clear();
  Plan().Flights[0].Registration = "N-AGAIN";
  w_.MarkPlanModified();
  w_.mnuFileSave->trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{kSaved});
  // A second name (a backup tool's snapshot) and a mode set and set back
  // change the status alone, not the bytes: no question.
  test::WaitForLaterFileTime(main_);
  test::WaitForLaterFileTime(aircraft);
  fs::create_hard_link(main_, main_.parent_path() / "snapshot.txt");
  fs::permissions(aircraft, fs::perms::group_write, fs::perm_options::add);
  fs::permissions(aircraft, fs::perms::group_write, fs::perm_options::remove);
  boxes_.Clear();
  w_.MarkPlanModified();
  w_.mnuFileSave->trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{kSaved});
  // An edit in place that keeps the size and puts the modification time
  // back is seen all the same (past a tick of the file system's clock).
  test::WaitForLaterFileTime(main_);
  const fs::file_time_type modified = fs::last_write_time(main_);
  std::string theirPlan = *ReadFile(main_);
  theirPlan[theirPlan.find("N-AGAIN")] = 'X';
  std::ofstream(main_, std::ios::binary | std::ios::in | std::ios::out) << theirPlan;
  fs::last_write_time(main_, modified);
  boxes_.Clear();
  boxes_.Answer(kIdNo);
  w_.MarkPlanModified();
  w_.mnuFileSave->trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{asked(main_)});
  EXPECT_TRUE(ReadFile(main_) == theirPlan);  // their edit stays
}

// The plan is read under its folder's lock: an open waits for a run that
// writes there, and opens nothing from a folder whose set an interrupted
// run left to be checked.
TEST_F(PlanWindowTest, APlanIsReadWholeUnderItsFolderLock) {
  const fs::path folder = main_.parent_path();
  int held[2];
  ASSERT_EQ(::pipe(held), 0);
  test::Child writer([&] {
    const int status = std::system(("flock '" + folder.string() + "' sh -c 'echo > /dev/fd/" +
                                    std::to_string(held[1]) + "; sleep 0.3; echo \"AC#1,300,\\\"Written under the "
                                    "lock\\\"\" >> \"" + (folder / "Aircraft.txt").string() + "\"'").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
  });
  char c;
  ASSERT_EQ(::read(held[0], &c, 1), 1);
  Open(main_);
  const int status = writer.Wait();
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_TRUE(Plan().PlanLoaded);
  EXPECT_EQ(Plan().PlanAircraftList.back().Title, "Written under the lock");
  ::close(held[0]);
  ::close(held[1]);

  const fs::path other = CopySamplePlan("other");
  WriteFile(other.parent_path() / ".ulvane.journal.aside", "cut");
  boxes_.Clear();
  w_.LoadFlightplan(other.string());
  ASSERT_EQ(Prompts().size(), 1u);
  EXPECT_EQ(Prompts()[0], "An interrupted run of ulvane left none of its files in the folder '" +
                              other.parent_path().string() + "'; the set is whole. Now:\nTo keep the files as they "
                              "stand, delete .ulvane.journal.aside.");
  EXPECT_EQ(Plan().FlightplanPath, main_.string());
  EXPECT_TRUE(Plan().PlanLoaded);
}

// What a killed Save As or a killed backup copy left is put right by the
// next run: the plan opens at its new place, and the unfinished copy goes.
TEST_F(PlanWindowTest, AKilledSaveAsOrBackupCopyIsPutRightByTheNextRun) {
  Open(main_);
  const fs::path moved = TempDir().path().string() + "-moved/Moved.txt";
  fs::create_directories(moved.parent_path());
  fs::copy_file(main_.parent_path() / "Airports.txt", moved.parent_path() / "Airports.txt");
  const PlanState opened = Plan();
  test::KillAtFileStep("rename Moved.txt", [&] {
    Plan().FlightplanPath = moved.string();
    WritePlanFiles(Plan(), {});
  });
  ASSERT_FALSE(fs::exists(moved));
  w_.LoadFlightplan(moved.string());
  EXPECT_EQ(Prompts().at(0), "Finished replacing Moved.txt and Aircraft.txt, which an interrupted run of velk had "
                             "left half done.");
  EXPECT_TRUE(Plan().PlanLoaded);
  EXPECT_EQ(Plan().Flights.size(), opened.Flights.size());

  const fs::path folder = main_.parent_path();
  test::KillAtFileStep("fsync .FlightPlans.txt.velk.bak.velk-", [&] {
    Plan() = opened;
    WritePlanFiles(Plan(), {});
  });
  auto copies = [&] {
    std::vector<std::string> names;
    for (const std::string& name : test::Names(folder))
      if (name.find(".velk.bak.velk-") != std::string::npos) names.push_back(name);
    return names;
  };
  ASSERT_EQ(copies().size(), 1u);
  WriteFile(folder / ".FlightPlans.txt.velk.bak.Ab12Cd", "another program's");
  Plan() = opened;
  ASSERT_TRUE(WritePlanFiles(Plan(), {}));
  EXPECT_TRUE(copies().empty());
  EXPECT_TRUE(fs::exists(folder / "FlightPlans.txt.velk.bak"));
  EXPECT_TRUE(fs::exists(folder / ".FlightPlans.txt.velk.bak.Ab12Cd"));
  fs::remove_all(moved.parent_path());
}

TEST_F(PlanWindowTest, ModifiedPlanQuestionBeforeOpening) {
  Open(main_);
  Plan().Flights[0].Registration = "N-CHANGED";
  w_.MarkPlanModified();
  fs::path other = CopySamplePlan("other");
  boxes_.Answer(kIdCancel);
  w_.LoadFlightplan(other.string());
  EXPECT_EQ(Plan().FlightplanPath, main_.string());
  EXPECT_EQ(Plan().Flights[0].Registration, "N-CHANGED");

  // No: the changes are dropped and the other plan opens.
  boxes_.Answer(kIdNo);
  w_.LoadFlightplan(other.string());
  EXPECT_EQ(Plan().FlightplanPath, other.string());
  EXPECT_NE(Plan().Flights[0].Registration, "N-CHANGED");
  EXPECT_FALSE(Program().PlanModified);
  EXPECT_EQ(ReadFile(main_)->find("N-CHANGED"), std::string::npos);
}

TEST_F(PlanWindowTest, SaveAsAsksBeforeReplacingAnotherPlansAircraftFile) {
  Open(main_);
  fs::path target = plans_ / "other" / "FlightPlans.txt";
  WriteFile(plans_ / "other" / "Aircraft.txt", "AC#1,100,\"Someone else's\"\r\n");

  dialogs_.Answer(target.string());
  boxes_.Answer(kIdNo);
  w_.mnuFileSaveAs->trigger();
  EXPECT_EQ(dialogs_.Shown().back().title, "Save Flightplan as...");
  EXPECT_EQ(dialogs_.Shown().back().flags, 0x281006);
  ASSERT_EQ(Prompts().size(), 1u);
  EXPECT_FALSE(fs::exists(target));
  EXPECT_EQ(*ReadFile(plans_ / "other" / "Aircraft.txt"), "AC#1,100,\"Someone else's\"\r\n");
  EXPECT_EQ(Plan().FlightplanPath, main_.string());

  dialogs_.Answer(target.string());
  boxes_.Answer(kIdYes);
  w_.mnuFileSaveAs->trigger();
  EXPECT_EQ(Prompts().back(), kSaved);
  EXPECT_TRUE(fs::exists(target));
  EXPECT_NE(ReadFile(plans_ / "other" / "Aircraft.txt")->find("VELK Sample"), std::string::npos);
  EXPECT_EQ(Plan().FlightplanPath, target.string());
  EXPECT_EQ(w_.RecentFlightplans[0], target.string());

  // A cancelled dialog changes nothing.
  size_t shown = Prompts().size();
  w_.mnuFileSaveAs->trigger();
  EXPECT_EQ(Prompts().size(), shown);
  EXPECT_EQ(Plan().FlightplanPath, target.string());
}

TEST_F(PlanWindowTest, FailedOpeningLeavesNoPlanBehind) {
  Open(main_);
  // Rows of the old plan in the tabs.
  w_.cmdPreview->click();
  ASSERT_GT(w_.lvExPreview->model()->rowCount(), 0);
  new QTreeWidgetItem(w_.lvTimetable, QStringList{"row"});
  fs::path broken = CopySamplePlan("broken");
  fs::remove(broken.parent_path() / "Airports.txt");

  w_.LoadFlightplan(broken.string());
  EXPECT_EQ(Prompts(), (std::vector<std::string>{kAirportsNotFoundMessage}));
  EXPECT_FALSE(Plan().PlanLoaded);
  EXPECT_EQ(w_.tvShuffleAircraft->topLevelItemCount(), 0);
  EXPECT_EQ(w_.tvMoveAircrafts->topLevelItemCount(), 0);
  EXPECT_EQ(w_.lvExPreview->model()->rowCount(), 0);
  EXPECT_EQ(w_.lvTimetable->topLevelItemCount(), 0);
  EXPECT_EQ(w_.cmSource->count(), 0);
  EXPECT_EQ(w_.StatusText(), "");
  // Nothing may write the empty plan over a file.
  EXPECT_FALSE(w_.mnuFileSaveAs->isEnabled() || w_.mnuFileSave->isEnabled());
  EXPECT_FALSE(w_.cmdAddFlight->isEnabled() || w_.cmdTTShow->isEnabled() || w_.cmdShuffle->isEnabled() ||
               w_.mnuToolsCheckFL->isEnabled());
  EXPECT_EQ(w_.RecentFlightplans[0], main_.string());

  // A file that is not there changes nothing at all.
  Open(main_);
  boxes_.Clear();
  w_.LoadFlightplan((plans_ / "missing.txt").string());
  EXPECT_EQ(Prompts(), (std::vector<std::string>{"Flightplan file not found."}));
  EXPECT_TRUE(Plan().PlanLoaded);
  EXPECT_EQ(Plan().FlightplanPath, main_.string());
}

TEST_F(PlanWindowTest, ReaderMessagesComeUnderTheirStepAndTheWindowIsFreedAfterwards) {
  fs::remove(main_.parent_path() / "Aircraft.txt");
  std::vector<std::string> captions;
  MessageBoxHandler previous = SetMessageBoxHandler([&](const MessageBoxRequest& r) {
    captions.push_back(w_.ProgressLoaded() ? w_.Progress()->Caption().toStdString() : "");
    captions.push_back(r.prompt);
    return static_cast<int>(kIdOk);
  });
  w_.LoadFlightplan(main_.string());
  SetMessageBoxHandler(previous);
  EXPECT_EQ(captions, (std::vector<std::string>{"Reading Aircraft configuration...", kAircraftNotFoundMessage}));
  EXPECT_FALSE(w_.ProgressLoaded());
  EXPECT_FALSE(w_.IsBusy());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  // The airports were read before the step that failed.
  EXPECT_FALSE(Plan().Airports.empty());
  EXPECT_TRUE(Plan().PlanAircraftList.empty());
}

TEST_F(PlanWindowTest, OpeningWithoutInstalledAircraftSaysWhy) {
  TempDir emptySimulator;
  ScopedEnv noAircraft("VELK_FS_PATH", emptySimulator.path().string());
  w_.LoadFlightplan(main_.string());
  ASSERT_EQ(Prompts().size(), 1u);
  EXPECT_NE(Prompts()[0].find("No FS2002 Aircraft found"), std::string::npos);
  EXPECT_FALSE(Plan().PlanLoaded);
  EXPECT_FALSE(Plan().Flights.empty());
  EXPECT_EQ(w_.tvShuffleAircraft->topLevelItemCount(), 0);
}

TEST_F(PlanWindowTest, MissingAircraftCanBeListed) {
  // The first plan aircraft gets a title no simulator has.
  std::string aircraft = *ReadFile(main_.parent_path() / "Aircraft.txt");
  size_t at = aircraft.find("VELK Sample 737-800 Blue");
  ASSERT_NE(at, std::string::npos);
  aircraft.replace(at, 24, "Not installed anywhere");
  WriteFile(main_.parent_path() / "Aircraft.txt", aircraft);

  boxes_.Answer(kIdYes);
  Open(main_);
  ASSERT_EQ(Prompts().size(), 1u);
  EXPECT_EQ(Prompts()[0], "Some aircraft could not been found on your system. Would you like to see all related flights?");
  size_t expected = std::count_if(Plan().Flights.begin(), Plan().Flights.end(),
                                  [](const Flight& f) { return f.AircraftId == "AC#1"; });
  ASSERT_GT(expected, 0u);
  EXPECT_EQ(w_.lvExPreview->model()->rowCount(), static_cast<int>(expected));
  EXPECT_EQ(Plan().WorkList.size(), expected);
  EXPECT_EQ(w_.lvExPreview->model()->index(0, 0).data().toString(), "# NOT FOUND #");
  EXPECT_EQ(w_.lblExPreview->text(), QString("Previe&w (%1 flights found)").arg(expected));
  EXPECT_TRUE(w_.cmdExport->isEnabled() && w_.cmdDeleteFlight->isEnabled());
  EXPECT_EQ(w_.tabMain->currentWidget(), w_.picExport);
  EXPECT_EQ(w_.DefaultButton(), w_.cmdPreview);

  // With the check switched off nothing is asked.
  w_.mnuToolsACCheck->trigger();
  EXPECT_FALSE(Program().AircraftCheck);
  boxes_.Clear();
  w_.LoadFlightplan(main_.string());
  EXPECT_TRUE(Prompts().empty());
}

TEST_F(PlanWindowTest, UndoRoundTrip) {
  Open(main_);
  const std::vector<Flight> before = Plan().Flights;
  w_.SaveUndo();
  EXPECT_TRUE(w_.mnuToolsUndo->isEnabled());
  Plan().Flights.erase(Plan().Flights.begin());
  w_.MarkPlanModified();
  w_.mnuFileSave->trigger();  // the smaller plan is now on disk
  boxes_.Clear();

  w_.mnuToolsUndo->trigger();
  EXPECT_EQ(Prompts(), (std::vector<std::string>{"Successfully completed undo."}));
  EXPECT_EQ(Plan().Flights, before);
  EXPECT_FALSE(w_.mnuToolsUndo->isEnabled());
  EXPECT_EQ(w_.lvExPreview->model()->rowCount(), 0);
  // Memory differs from the saved file again: it must be saved or asked for.
  EXPECT_TRUE(Program().PlanModified);
  EXPECT_TRUE(w_.mnuFileSave->isEnabled());
  EXPECT_GT(w_.ShuffleTree().CountSelectedAircraft(), 0);

  // Switching undo off drops a held copy and takes no new one.
  w_.SaveUndo();
  w_.mnuToolsUndoOn->trigger();
  EXPECT_FALSE(Program().UndoEnabled);
  EXPECT_FALSE(w_.mnuToolsUndoOn->isChecked());
  EXPECT_FALSE(w_.mnuToolsUndo->isEnabled());
  w_.SaveUndo();
  EXPECT_FALSE(w_.mnuToolsUndo->isEnabled());

  // Opening a plan drops the copy as well.
  w_.mnuToolsUndoOn->trigger();
  w_.SaveUndo();
  boxes_.Answer(kIdNo);
  w_.LoadFlightplan(main_.string());
  EXPECT_FALSE(w_.mnuToolsUndo->isEnabled());
  EXPECT_FALSE(w_.UndoCopy().Held());
}

TEST_F(PlanWindowTest, TreeChecksTooltipsAndViews) {
  Open(main_);
  const PlanAircraft& first = Plan().PlanAircraftList.front();
  QTreeWidgetItem* leaf = nullptr;
  for (QTreeWidgetItemIterator it(w_.tvShuffleAircraft); *it; ++it)
    if ((*it)->data(0, kNodeKeyRole).toString().toStdString() == LeafKey(first.Title)) leaf = *it;
  ASSERT_NE(leaf, nullptr);
  ASSERT_EQ(leaf->checkState(0), Qt::Checked);
  int selected = w_.ShuffleTree().CountSelectedAircraft();

  // The user clears the box: the tree, its parents and the label follow.
  leaf->setCheckState(0, Qt::Unchecked);
  EXPECT_EQ(w_.ShuffleTree().CountSelectedAircraft(), selected - 1);
  EXPECT_TRUE(w_.lblShuffleAircraft->text().contains(QString("(%1 aircraft selected)").arg(selected - 1)));
  EXPECT_EQ(leaf->parent()->checkState(0), Qt::Unchecked);

  // Another view keeps the checked aircraft.
  w_.cmShufflerView->setCurrentIndex(0);
  EXPECT_EQ(w_.cmShufflerView->property("Tag").toString(), "0");
  EXPECT_GE(w_.ShuffleTree().FindGroup("#Large Jet"), 0);
  EXPECT_EQ(w_.ShuffleTree().CountSelectedAircraft(), selected - 1);

  // Tooltip over a Move leaf names the plan aircraft that use it.
  w_.tvMoveAircrafts->expandAll();
  QTreeWidgetItem* moveLeaf = nullptr;
  for (QTreeWidgetItemIterator it(w_.tvMoveAircrafts); *it; ++it)
    if ((*it)->data(0, kNodeKeyRole).toString().toStdString() == LeafKey(first.Title)) moveLeaf = *it;
  ASSERT_NE(moveLeaf, nullptr);
  w_.tabMain->setCurrentWidget(w_.picMove);
  QPoint at = w_.tvMoveAircrafts->visualItemRect(moveLeaf).center();
  w_.TreeMouseMove(w_.tvMoveAircrafts, at);
  EXPECT_TRUE(w_.tvMoveAircrafts->toolTip().startsWith("Aircraft /"));
  EXPECT_TRUE(w_.tvMoveAircrafts->toolTip().contains(QString::fromStdString("/" + first.Id + "/")));
}

TEST_F(PlanWindowTest, SelectMenuOnTheTrees) {
  // No plan: no pop-up.
  w_.TreeMouseUp(w_.tvShuffleAircraft, Qt::RightButton, QPoint(5, 5));
  EXPECT_FALSE(w_.mnuSelect->isVisible());

  Open(main_);
  w_.TreeMouseUp(w_.tvShuffleAircraft, Qt::LeftButton, QPoint(5, 5));
  EXPECT_FALSE(w_.mnuSelect->isVisible());
  w_.TreeMouseUp(w_.tvShuffleAircraft, Qt::RightButton, QPoint(5, 5));
  EXPECT_TRUE(w_.mnuSelect->isVisible());
  w_.mnuSelectAll->trigger();
  w_.mnuSelect->hide();
  int leaves = 0;
  for (const AircraftTreeNode& n : w_.ShuffleTree().Nodes()) leaves += n.Level == NodeLevel::Leaf;
  EXPECT_EQ(w_.ShuffleTree().CountSelectedAircraft(), leaves);
  EXPECT_TRUE(w_.lblShuffleAircraft->text().endsWith(QString("(%1 aircraft selected)").arg(leaves)));
  EXPECT_EQ(w_.tvShuffleAircraft->topLevelItem(0)->checkState(0), Qt::Checked);

  w_.TreeMouseUp(w_.tvShuffleAircraft, Qt::RightButton, QPoint(5, 5));
  w_.mnuDeselectAll->trigger();
  EXPECT_EQ(w_.ShuffleTree().CountSelectedAircraft(), 0);
  EXPECT_EQ(w_.lblShuffleAircraft->text(), "&Select Aircraft to use for the Flightplan (0 aircraft selected)");

  // On the Move tree the Shuffle label stays as it was.
  w_.TreeMouseUp(w_.tvMoveAircrafts, Qt::RightButton, QPoint(5, 5));
  w_.mnuInverseSelection->trigger();
  w_.mnuSelect->hide();
  for (const AircraftTreeNode& n : w_.MoveTree().Nodes()) EXPECT_TRUE(n.Checked);
  EXPECT_TRUE(w_.lblShuffleAircraft->text().endsWith("(0 aircraft selected)"));
}

TEST_F(PlanWindowTest, KeysTabsAndDefaultButtons) {
  Open(main_);
  w_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w_));
  int deletes = 0;
  int adds = 0;
  QObject::connect(w_.cmdDeleteFlight, &QPushButton::clicked, [&] { ++deletes; });
  QObject::connect(w_.cmdAddFlight, &QPushButton::clicked, [&] { ++adds; });
  w_.SelectTab("EXPORT");
  EXPECT_EQ(QApplication::focusWidget(), w_.txtExDeparture);
  EXPECT_EQ(w_.DefaultButton(), w_.cmdPreview);
  w_.lvExPreview->setFocus();

  ASSERT_FALSE(w_.cmdDeleteFlight->isEnabled());
  QTest::keyRelease(w_.lvExPreview, Qt::Key_Delete);
  EXPECT_EQ(deletes, 0);
  w_.cmdDeleteFlight->setEnabled(true);
  QTest::keyRelease(w_.lvExPreview, Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(deletes, 1);
  QTest::keyRelease(w_.lvExPreview, Qt::Key_Insert);
  EXPECT_EQ(adds, 1);
  // Other lists do not take the keys.
  w_.SelectTab("TIMETABLE");
  w_.lvTimetable->setFocus();
  QTest::keyRelease(w_.lvTimetable, Qt::Key_Insert);
  EXPECT_EQ(adds, 1);

  // Enter presses the tab's default button.
  int moves = 0;
  QObject::connect(w_.cmdMove, &QPushButton::clicked, [&] { ++moves; });
  w_.SelectTab("MOVE");
  EXPECT_EQ(QApplication::focusWidget(), w_.cmSource);
  EXPECT_EQ(w_.DefaultButton(), w_.cmdMove);
  QTest::keyClick(w_.cmSource, Qt::Key_Return);
  EXPECT_EQ(moves, 1);

  // A focus target that is disabled leaves the focus where it was.
  w_.txtTTAirport->setEnabled(false);
  w_.SelectTab("TIMETABLE");
  EXPECT_EQ(w_.tabMain->currentWidget(), w_.picTimetable);
  EXPECT_EQ(w_.DefaultButton(), w_.cmdTTShow);
  EXPECT_NE(QApplication::focusWidget(), w_.txtTTAirport);
  w_.SelectTab("PROJECT");
  EXPECT_EQ(w_.DefaultButton(), w_.cmdProjectCompile);
}

// After a plan opens, or long work ends, a control of the tab has the
// focus again (the tab's focus field), never the window itself.
TEST_F(PlanWindowTest, FocusComesBackToTheTabAfterOpeningAndLongWork) {
  w_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w_));
  w_.SelectTab("EXPORT");
  Open(main_);
  ASSERT_TRUE(Plan().PlanLoaded);
  EXPECT_EQ(QApplication::focusWidget(), w_.txtExDeparture);

  // Long work keeps the control that had the focus...
  w_.SelectTab("MOVE");
  ASSERT_EQ(QApplication::focusWidget(), w_.cmSource);
  w_.SaveUndo();
  w_.mnuToolsUndo->trigger();
  EXPECT_EQ(QApplication::focusWidget(), w_.cmSource);
  // ...unless it cannot take it any more: then the tab's focus field has it.
  w_.SelectTab("TIMETABLE");
  w_.cmdTTShow->setFocus();
  {
    LongOperation op(w_, "Working...");
    w_.cmdTTShow->setEnabled(false);
  }
  EXPECT_EQ(QApplication::focusWidget(), w_.txtTTAirport);
  // A failed opening leaves the focus in the tab too.
  boxes_.Clear();
  Open(plans_ / "missing" / "FlightPlans.txt");
  EXPECT_EQ(QApplication::focusWidget(), w_.txtTTAirport);
}

// Ctrl+Z in a text field runs Tools > Undo while that is enabled, as the
// menu's key does on Windows; otherwise the field undoes its own typing.
TEST_F(PlanWindowTest, CtrlZRunsToolsUndoEvenFromATextField) {
  Open(main_);
  w_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w_));
  w_.SelectTab("EXPORT");
  ASSERT_EQ(QApplication::focusWidget(), w_.txtExDeparture);
  QTest::keyClicks(w_.txtExDeparture, "EDDF");
  const size_t flights = Plan().Flights.size();
  w_.SaveUndo();
  Plan().Flights.pop_back();
  boxes_.Clear();

  QTest::keyClick(w_.txtExDeparture, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Prompts(), (std::vector<std::string>{"Successfully completed undo."}));
  EXPECT_EQ(Plan().Flights.size(), flights);
  EXPECT_EQ(w_.txtExDeparture->text(), "EDDF");

  // Nothing to undo: the key is the field's again.
  ASSERT_FALSE(w_.mnuToolsUndo->isEnabled());
  boxes_.Clear();
  QTest::keyClick(w_.txtExDeparture, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(Prompts().empty());
  EXPECT_EQ(w_.txtExDeparture->text(), "");
}

TEST_F(PlanWindowTest, SwitchAndTurnAroundMenus) {
  w_.mnuTA45->trigger();
  EXPECT_EQ(Program().MinTurnAround, 45);
  for (QAction* a : w_.mnuTA->actions()) EXPECT_EQ(a->isChecked(), a == w_.mnuTA45) << a->text().toStdString();
  w_.mnuTA45->trigger();
  EXPECT_TRUE(w_.mnuTA45->isChecked());
  w_.mnuMaxTAOff->trigger();
  EXPECT_EQ(Program().MaxTurnAround, kTurnAroundOff);
  EXPECT_EQ(Program().MinTurnAround, 45);

  for (auto [item, value] : {std::pair{w_.mnuToolsBackupPlan, &Plan().BackupPlan},
                             std::pair{w_.mnuToolsBackupAircraft, &Program().BackupAircraft},
                             std::pair{w_.mnuToolsACCheck, &Program().AircraftCheck}}) {
    bool start = *value;
    item->trigger();
    EXPECT_EQ(*value, !start);
    EXPECT_EQ(item->isChecked(), !start);
    item->trigger();
    EXPECT_EQ(*value, start);
    EXPECT_EQ(item->isChecked(), start);
  }
  w_.mnuToolsDebug->trigger();
  EXPECT_EQ(Program().DebugEnabled, w_.mnuToolsDebug->isChecked());
}

TEST_F(PlanWindowTest, HelpOpensThePagesBesideTheProgram) {
  // The launcher answers when the test says so, as a real one answers
  // whenever it has ended.
  std::vector<std::string> opened;
  std::vector<DocumentDone> answers;
  DocumentOpener previous = SetDocumentOpener([&](const std::string& path, DocumentDone done) {
    opened.push_back(path);
    answers.push_back(std::move(done));
  });
  TempDir folder;
  w_.SetProgramFolder(folder.path());
  w_.mnuHelpContents->trigger();
  EXPECT_TRUE(opened.empty());
  WriteFile(folder / "Help/index.html", "<html></html>");
  w_.mnuHelpContents->trigger();
  const std::string page = (folder.path() / "Help" / "index.html").string();
  EXPECT_EQ(opened, (std::vector<std::string>{page}));
  answers.at(0)(true);
  EXPECT_TRUE(Prompts().empty());
  // A launcher that fails (no viewer) answers after the menu has returned:
  // the page is named then.
  w_.mnuHelpContents->trigger();
  EXPECT_TRUE(Prompts().empty());
  answers.at(1)(false);
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Couldn't open the help page '" + page + "'."});
  SetDocumentOpener(previous);
  // The shipped pages are there.
  EXPECT_TRUE(fs::is_regular_file(test::ToolsDir() / "Help" / "index.html"));
}

TEST_F(PlanWindowTest, RecentMenuOpensItsPlan) {
  fs::path other = CopySamplePlan("other");
  Open(main_);
  Open(other);
  EXPECT_EQ(w_.mnuRecentFlightPlanItems[0]->data().toString().toStdString(), other.string());
  EXPECT_EQ(w_.mnuRecentFlightPlanItems[1]->data().toString().toStdString(), main_.string());
  w_.mnuRecentFlightPlanItems[1]->trigger();
  EXPECT_EQ(Plan().FlightplanPath, main_.string());
  EXPECT_EQ(w_.RecentFlightplans[0], main_.string());
  EXPECT_TRUE(w_.mnuRecentFlightPlan->menuAction()->isEnabled());
}

}  // namespace
}  // namespace velk
