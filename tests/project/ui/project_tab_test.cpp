// The Project tab's controller over bare widgets and a fake main window:
// creating, editing, saving and opening projects, the questions about a
// modified project, and the merge and compile buttons.
#include "project/ui/project_tab.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "project/console_tools.h"
#include "project/project_file.h"
#include "support/fake_plan_host.h"
#include "support/stub_tools.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// The tab's controls as the main window builds them: buttons disabled.
struct ProjectWidgets {
  QWidget page;
  QTreeWidget lvProject{&page};
  QPushButton cmdProjectAdd{"Add", &page};
  QPushButton cmdProjectDelete{"Delete", &page};
  QPushButton cmdProjectCompile{"&Compile", &page};
  QPushButton cmdProjectMerge{"&Merge", &page};
  QGroupBox frProject{"Edit Project Entry", &page};
  QLabel lblProjectDescription{"&Description", &frProject};
  QLineEdit txtProjectDescription{&frProject};
  QLabel lblProjectFile{"&Flightplan", &frProject};
  QLineEdit txtProjectFile{&frProject};
  QPushButton cmdProjectFile{"...", &frProject};
  QLabel lblProjectAC{"&Aircraft file", &frProject};
  QLineEdit txtProjectAC{&frProject};
  QPushButton cmdProjectAC{"...", &frProject};
  QAction mnuFileNewProject{"&New Project"};
  QAction mnuFileOpenProject{"Open &Project"};
  QAction mnuFileSaveProject{"Sa&ve Project"};
  QAction mnuFileSaveProjectAs{"Sav&e Project as..."};
  QAction mnuToolsShowCompiler{"&Show Compiler"};

  ProjectWidgets() {
    lvProject.setHeaderLabels({"Description", "Flightplan", "Aircraft file"});
    lvProject.setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (QPushButton* b : {&cmdProjectAdd, &cmdProjectDelete, &cmdProjectCompile, &cmdProjectMerge,
                           &cmdProjectFile, &cmdProjectAC})
      b->setEnabled(false);
    frProject.setEnabled(false);
    mnuFileSaveProject.setEnabled(false);
    mnuFileSaveProjectAs.setEnabled(false);
    mnuToolsShowCompiler.setCheckable(true);
  }

  ProjectControls Controls() {
    return {&lvProject,      &cmdProjectAdd,         &cmdProjectDelete,  &cmdProjectCompile,  &cmdProjectMerge,
            &frProject,      &lblProjectDescription, &txtProjectDescription, &lblProjectFile, &txtProjectFile,
            &cmdProjectFile, &lblProjectAC,          &txtProjectAC,      &cmdProjectAC,       &mnuFileNewProject,
            &mnuFileOpenProject, &mnuFileSaveProject, &mnuFileSaveProjectAs, &mnuToolsShowCompiler};
  }
};

class ProjectTabTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.programFolder = tools_.ProgramFolder();
    QObject::connect(&tab_, &ProjectTab::RecentProject, [this](const std::string& p) { recent_.push_back(p); });
    // Two plans, one with its aircraft list beside it.
    WriteFile(files_ / "europe/FlightPlans.txt", "AC#1,D-AAAA,100%,24Hr,IFR,06:00:00,07:00:00,350,F,1,EDDM\r\n");
    WriteFile(files_ / "europe/aircraft.TXT", "AC#1,450,\"Airbus A320\"\r\n");
    WriteFile(files_ / "asia/Plan.txt", "AC#1,B-AAAA,100%,24Hr,IFR,06:00:00,07:00:00,350,F,1,VHHH\r\n");
    WriteFile(files_ / "Airports.txt", "EDDM,N48* 21.00',E11* 47.00',1487\r\n");
  }

  std::string Europe() const { return (files_ / "europe/FlightPlans.txt").string(); }
  std::string Asia() const { return (files_ / "asia/Plan.txt").string(); }
  std::string ProjectFilePath() const { return (files_ / "Traffic.vxp").string(); }

  void Add(const std::string& plan) {
    dialogs_.Answer(plan);
    w_.cmdProjectAdd.click();
  }
  // A new project with both plans, saved as Traffic.vxp.
  void MakeSavedProject() {
    tab_.NewProject();
    Add(Europe());
    Add(Asia());
    dialogs_.Answer(ProjectFilePath());
    ASSERT_TRUE(tab_.SaveProjectAs());
    boxes_.Clear();
  }
  QTreeWidgetItem* Row(int i) { return w_.lvProject.topLevelItem(i); }
  std::vector<std::string> Prompts() const { return boxes_.Prompts(); }

  TempDir files_;
  test::StubTools tools_;
  ScriptedMessageBoxes boxes_{kIdOk};
  ScriptedFileDialogs dialogs_;
  test::FakePlanHost host_;
  ProjectWidgets w_;
  ProjectTab tab_{w_.Controls(), host_};
  std::vector<std::string> recent_;
};

TEST_F(ProjectTabTest, ANewProjectTakesPlansWithTheAircraftFileBesideThem) {
  EXPECT_FALSE(w_.cmdProjectAdd.isEnabled());  // nothing to add to yet
  w_.mnuFileNewProject.trigger();
  EXPECT_TRUE(tab_.ProjectModified());
  EXPECT_EQ(tab_.ProjectPath(), "");
  EXPECT_TRUE(w_.mnuFileSaveProject.isEnabled() && w_.mnuFileSaveProjectAs.isEnabled() && w_.cmdProjectAdd.isEnabled());
  EXPECT_FALSE(w_.cmdProjectCompile.isEnabled() || w_.cmdProjectDelete.isEnabled() || w_.frProject.isEnabled());
  EXPECT_EQ(host_.selectedTabs, std::vector<QString>{"PROJECT"});
  EXPECT_TRUE(w_.txtProjectFile.isReadOnly() && w_.txtProjectAC.isReadOnly());

  Add(Europe());
  ASSERT_EQ(dialogs_.Shown().size(), 1u);
  EXPECT_EQ(dialogs_.Shown()[0].title, "Project - Choose Flightplan");
  EXPECT_EQ(dialogs_.Shown()[0].fileName, "");
  ASSERT_EQ(tab_.Project().Entries.size(), 1u);
  const std::string aircraft = (files_ / "europe/aircraft.TXT").string();  // found in any case
  EXPECT_EQ(tab_.Project().Entries[0].AircraftFile, aircraft);
  EXPECT_EQ(Row(0)->text(1).toStdString(), Europe());
  EXPECT_EQ(Row(0)->text(2).toStdString(), aircraft);
  // The new row is the one shown, and the tab's commands open up.
  EXPECT_TRUE(Row(0)->isSelected());
  EXPECT_EQ(tab_.SelectedEntryKey(), Europe());
  EXPECT_EQ(w_.txtProjectFile.text().toStdString(), Europe());
  EXPECT_EQ(w_.txtProjectAC.text().toStdString(), aircraft);
  EXPECT_TRUE(w_.frProject.isEnabled() && w_.cmdProjectCompile.isEnabled() && w_.cmdProjectMerge.isEnabled() &&
              w_.cmdProjectDelete.isEnabled() && w_.cmdProjectFile.isEnabled());

  Add(Asia());
  EXPECT_EQ(tab_.Project().Entries[1].AircraftFile, "");
  EXPECT_EQ(Row(1)->text(2), "");
  EXPECT_FALSE(Row(0)->isSelected());
  EXPECT_EQ(w_.lvProject.selectedItems().size(), 1);

  // The same plan twice: said, and nothing added.
  Add(Europe());
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Flighplan is already in Project."});
  EXPECT_EQ(boxes_.Shown()[0].buttons, kMbOk | kMbIconExclamation);
  EXPECT_EQ(tab_.Project().Entries.size(), 2u);
  // A cancelled dialog changes nothing.
  w_.cmdProjectAdd.click();
  EXPECT_EQ(tab_.Project().Entries.size(), 2u);
}

TEST_F(ProjectTabTest, SaveAsWritesTheFileAndOpeningItShowsTheSameProject) {
  tab_.NewProject();
  Add(Europe());
  w_.txtProjectDescription.setText("Europe");
  Add(Asia());  // the frame shows the next row: "Europe" is taken first
  EXPECT_EQ(tab_.Project().Entries[0].Description, "Europe");
  w_.txtProjectDescription.setText("Asia");
  dialogs_.Answer(ProjectFilePath());
  w_.mnuFileSaveProject.trigger();  // no file yet: Save As
  const FileDialogRequest& save = dialogs_.Shown().back();
  EXPECT_TRUE(save.save);
  EXPECT_EQ(save.title, "Save Project as...");
  EXPECT_EQ(save.filter, "VELK Project (*.vxp)|*.vxp");
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Successfully saved modified Project."});
  EXPECT_EQ(boxes_.Shown()[0].buttons, kMbOk | kMbIconInformation);
  EXPECT_EQ(tab_.ProjectPath(), ProjectFilePath());
  EXPECT_FALSE(tab_.ProjectModified());
  EXPECT_FALSE(w_.mnuFileSaveProject.isEnabled());
  EXPECT_EQ(recent_, std::vector<std::string>{ProjectFilePath()});
  EXPECT_EQ(host_.busyDepth, 0);

  // The uncommitted "Asia" went in, because saving commits the box first.
  auto read = ReadProjectFile(ProjectFilePath());
  ASSERT_TRUE(read);
  ASSERT_EQ(read->Entries.size(), 2u);
  EXPECT_EQ(read->Entries[1].Description, "Asia");

  boxes_.Clear();
  recent_.clear();
  tab_.NewProject();
  ASSERT_EQ(Prompts(), std::vector<std::string>{});  // the saved project is not modified
  boxes_.Answer(kIdNo);  // the new one is
  dialogs_.Answer(ProjectFilePath());
  w_.mnuFileOpenProject.trigger();
  EXPECT_EQ(dialogs_.Shown().back().title, "Open Project");
  EXPECT_EQ(dialogs_.Shown().back().fileName, "");
  ASSERT_EQ(w_.lvProject.topLevelItemCount(), 2);
  EXPECT_EQ(Row(1)->text(0), "Asia");
  EXPECT_EQ(Row(1)->text(1).toStdString(), Asia());
  EXPECT_EQ(host_.statusTexts.back().toStdString(),
            "Project loaded with 2 entries [" + ProjectFilePath() + "].");
  EXPECT_EQ(recent_, std::vector<std::string>{ProjectFilePath()});
  EXPECT_FALSE(tab_.ProjectModified());
  EXPECT_FALSE(w_.mnuFileSaveProject.isEnabled());
  // The first row is shown, so the project can be merged at once.
  EXPECT_EQ(tab_.SelectedEntryKey(), Europe());
  EXPECT_TRUE(w_.cmdProjectCompile.isEnabled() && w_.cmdProjectMerge.isEnabled() && w_.cmdProjectDelete.isEnabled());
  EXPECT_EQ(host_.busyDepth, 0);
}

TEST_F(ProjectTabTest, DescriptionCommitsWhenTheFocusLeaves) {
  MakeSavedProject();
  w_.lvProject.setCurrentItem(Row(0));
  w_.txtProjectDescription.setText("Munich shuttles");
  EXPECT_FALSE(tab_.ProjectModified());
  QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
  QApplication::sendEvent(&w_.txtProjectDescription, &out);
  EXPECT_EQ(tab_.Project().Entries[0].Description, "Munich shuttles");
  EXPECT_EQ(Row(0)->text(0), "Munich shuttles");
  EXPECT_TRUE(tab_.ProjectModified());
  EXPECT_TRUE(w_.mnuFileSaveProject.isEnabled());
  // Leaving it unchanged changes nothing.
  tab_.SaveProjectCommand();
  QApplication::sendEvent(&w_.txtProjectDescription, &out);
  EXPECT_FALSE(tab_.ProjectModified());
}

TEST_F(ProjectTabTest, OpeningAProjectWithTheSameEntryTakesNothingFromTheOldOne) {
  MakeSavedProject();
  ProjectFile other;
  other.Entries = {{Asia(), "", "Beta", 0}};
  ASSERT_TRUE(WriteProjectFile((files_ / "Other.vxp").string(), other));
  ASSERT_EQ(tab_.SelectedEntryKey(), Asia());  // shown in the frame, description ""
  tab_.LoadProject((files_ / "Other.vxp").string());
  EXPECT_EQ(tab_.Project().Entries[0].Description, "Beta");
  EXPECT_EQ(Row(0)->text(0), "Beta");
  EXPECT_FALSE(tab_.ProjectModified());
}

TEST_F(ProjectTabTest, DeleteFollowsTheSortedListAndKeepsFlags) {
  // A project file with flags, read and shown in file order.
  ProjectFile p;
  p.Entries = {{"/plans/b.txt", "", "Beta", 5}, {"/plans/a.txt", "/plans/Aircraft.txt", "Alpha", 7},
               {"/plans/c.txt", "", "Gamma", 9}};
  ASSERT_TRUE(WriteProjectFile(ProjectFilePath(), p));
  tab_.LoadProject(ProjectFilePath());
  ASSERT_EQ(w_.lvProject.topLevelItemCount(), 3);

  tab_.ColumnClick(0);  // by description, ascending
  tab_.ColumnClick(0);  // again: descending
  EXPECT_EQ(Row(0)->text(0), "Gamma");
  tab_.ColumnClick(1);  // another column: ascending by plan file
  EXPECT_EQ(Row(0)->text(1), "/plans/a.txt");

  w_.lvProject.setCurrentItem(Row(2));  // c.txt alone
  boxes_.Answer(kIdNo);
  w_.cmdProjectDelete.click();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Are you sure to remove the selected Flightplans?"});
  EXPECT_EQ(boxes_.Shown()[0].buttons, kMbYesNo | kMbIconQuestion);
  EXPECT_EQ(tab_.Project().Entries.size(), 3u);
  EXPECT_FALSE(tab_.ProjectModified());

  boxes_.Answer(kIdYes);
  w_.cmdProjectDelete.click();
  ASSERT_EQ(tab_.Project().Entries.size(), 2u);
  EXPECT_EQ(tab_.Project().Entries[0].PlanFile, "/plans/a.txt");  // the list's order now
  EXPECT_EQ(tab_.Project().Entries[0].Flag, 7);
  EXPECT_EQ(tab_.Project().Entries[0].AircraftFile, "/plans/Aircraft.txt");
  EXPECT_EQ(tab_.Project().Entries[1].Flag, 5);
  EXPECT_TRUE(tab_.ProjectModified());
  EXPECT_TRUE(w_.mnuFileSaveProject.isEnabled());
  EXPECT_EQ(tab_.SelectedEntryKey(), "");
  EXPECT_FALSE(w_.cmdProjectDelete.isEnabled());

}

TEST_F(ProjectTabTest, ReplacingTheShownEntrysFiles) {
  MakeSavedProject();
  Row(0)->setSelected(true);
  w_.lvProject.setCurrentItem(Row(0));
  ASSERT_EQ(tab_.SelectedEntryKey(), Europe());

  // The same file again, and one already in the project: nothing changes.
  dialogs_.Answer(Europe());
  w_.cmdProjectFile.click();
  EXPECT_EQ(dialogs_.Shown().back().fileName, Europe());
  dialogs_.Answer(Asia());
  w_.cmdProjectFile.click();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Flighplan is already in Project."});
  EXPECT_FALSE(tab_.ProjectModified());

  const std::string moved = (files_ / "europe/Summer.txt").string();
  dialogs_.Answer(moved);
  w_.cmdProjectFile.click();
  EXPECT_EQ(tab_.Project().Entries[0].PlanFile, moved);
  EXPECT_EQ(tab_.Project().Entries[0].AircraftFile, (files_ / "europe/aircraft.TXT").string());
  EXPECT_EQ(Row(0)->text(1).toStdString(), moved);
  EXPECT_EQ(tab_.SelectedEntryKey(), moved);
  EXPECT_TRUE(tab_.ProjectModified());

  dialogs_.Answer("/elsewhere/Aircraft.txt");
  w_.cmdProjectAC.click();
  EXPECT_EQ(dialogs_.Shown().back().title, "Project - Choose Aircraft file");
  EXPECT_EQ(tab_.Project().Entries[0].AircraftFile, "/elsewhere/Aircraft.txt");
  EXPECT_EQ(Row(0)->text(2), "/elsewhere/Aircraft.txt");
  // The replaced plan is a new key: adding the old one again is allowed.
  boxes_.Clear();
  Add(Europe());
  EXPECT_TRUE(Prompts().empty());
  EXPECT_EQ(tab_.Project().Entries.size(), 3u);
}

TEST_F(ProjectTabTest, AModifiedProjectIsSavedOrKeptBeforeItIsReplaced) {
  tab_.NewProject();
  Add(Europe());
  // Cancel: the project stays.
  boxes_.Answer(kIdCancel);
  tab_.NewProject();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Save the modified Project?"});
  EXPECT_EQ(boxes_.Shown()[0].buttons, kMbYesNoCancel | kMbIconQuestion);
  EXPECT_EQ(tab_.Project().Entries.size(), 1u);
  // Yes, but the Save As behind it is cancelled: the project stays too.
  boxes_.Clear();
  boxes_.Answer(kIdYes);
  tab_.NewProject();  // the dialog queue is empty: cancelled
  EXPECT_EQ(dialogs_.Shown().back().title, "Save Project as...");
  EXPECT_EQ(tab_.Project().Entries.size(), 1u);
  EXPECT_TRUE(tab_.ProjectModified());
  // Yes and saved: the project is written, not the flight plan, and the
  // new one takes its place.
  boxes_.Clear();
  boxes_.Answer(kIdYes);
  dialogs_.Answer(ProjectFilePath());
  tab_.NewProject();
  EXPECT_EQ(Prompts(), (std::vector<std::string>{"Save the modified Project?", "Successfully saved modified Project."}));
  EXPECT_EQ(host_.saves, 0);
  EXPECT_TRUE(fs::exists(ProjectFilePath()));
  EXPECT_TRUE(tab_.Project().Entries.empty());
  EXPECT_TRUE(tab_.ProjectModified());
  // No: the new project is dropped for the one opened.
  boxes_.Clear();
  boxes_.Answer(kIdNo);
  tab_.LoadProject(ProjectFilePath());
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Save the modified Project?"});
  EXPECT_EQ(tab_.Project().Entries.size(), 1u);
}

TEST_F(ProjectTabTest, ADamagedFileLeavesTheOpenProject) {
  MakeSavedProject();
  Add((files_ / "x.txt").string());  // modified, unsaved
  WriteFile(files_ / "bad.vxp", std::string("\x03\x00" "1.1" "\xFF\xFF\xFF\x7F", 9));
  boxes_.Clear();
  boxes_.Answer(kIdNo);
  tab_.LoadProject((files_ / "bad.vxp").string());
  EXPECT_EQ(Prompts(), (std::vector<std::string>{"Save the modified Project?", "VELK Project file is damaged or unreadable."}));
  EXPECT_EQ(boxes_.Shown().back().buttons, kMbOk | kMbIconCritical);
  EXPECT_EQ(tab_.Project().Entries.size(), 3u);
  EXPECT_EQ(tab_.ProjectPath(), ProjectFilePath());
  EXPECT_EQ(w_.lvProject.topLevelItemCount(), 3);
  EXPECT_EQ(host_.busyDepth, 0);
}

// Every system call would cut the path at the zero byte and reach the file
// named before it, which the project does not name.
TEST_F(ProjectTabTest, APathWithAZeroByteIsRefusedAsDamaged) {
  MakeSavedProject();
  const ProjectFile saved = tab_.Project();
  const std::string hidden = std::string(1, '\0') + "/other.txt";
  for (int damaged = 0; damaged < 2; ++damaged) {
    ProjectFile bad = saved;
    (damaged ? bad.Entries[0].AircraftFile : bad.Entries[1].PlanFile) += hidden;
    ASSERT_TRUE(WriteProjectFile(files_ / "bad.vxp", bad));
    boxes_.Clear();
    tab_.LoadProject((files_ / "bad.vxp").string());
    EXPECT_EQ(Prompts(), std::vector<std::string>{"VELK Project file is damaged or unreadable."});
    EXPECT_EQ(tab_.ProjectPath(), ProjectFilePath());
    ASSERT_EQ(tab_.Project().Entries.size(), 2u);
    EXPECT_EQ(tab_.Project().Entries[0].AircraftFile, saved.Entries[0].AircraftFile);
    EXPECT_EQ(tab_.Project().Entries[1].PlanFile, saved.Entries[1].PlanFile);
    EXPECT_EQ(w_.lvProject.topLevelItemCount(), 2);
  }
}

TEST_F(ProjectTabTest, AFailedSaveSaysSoAndKeepsTheProjectModified) {
  MakeSavedProject();
  const auto before = ReadFile(ProjectFilePath());
  Add((files_ / "x.txt").string());
  // The project file's place is taken by a folder: it cannot be replaced.
  fs::path blocked = files_ / "Blocked.vxp";
  fs::create_directory(blocked);
  boxes_.Clear();
  dialogs_.Answer(blocked.string());
  EXPECT_FALSE(tab_.SaveProjectAs());
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Errors occured during saving Project."});
  EXPECT_EQ(boxes_.Shown()[0].buttons, kMbOk | kMbIconCritical);
  EXPECT_TRUE(tab_.ProjectModified());
  EXPECT_TRUE(w_.mnuFileSaveProject.isEnabled());
  EXPECT_EQ(tab_.ProjectPath(), ProjectFilePath());  // still the old file
  EXPECT_EQ(ReadFile(ProjectFilePath()), before);
  EXPECT_EQ(recent_.size(), 1u);  // only the first, successful Save As
}

TEST_F(ProjectTabTest, MergeAndCompileButtons) {
  // Unsaved project: the merge says what is missing.
  tab_.NewProject();
  Add(Europe());
  w_.cmdProjectMerge.click();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Please save the VELK Project before you start compiling/merging."});
  EXPECT_EQ(boxes_.Shown()[0].buttons, kMbOk | kMbIconExclamation);

  dialogs_.Answer(ProjectFilePath());
  tab_.SaveProjectAs();
  boxes_.Clear();
  w_.cmdProjectMerge.click();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Successfully merged AI Traffic Project."});
  EXPECT_EQ(boxes_.Shown()[0].buttons, kMbOk | kMbIconInformation);
  EXPECT_EQ(ReadFile(files_ / "FlightPlans.txt"), ReadFile(Europe()));
  EXPECT_EQ(ReadFile(files_ / "Aircraft.txt"), ReadFile(files_ / "europe/aircraft.TXT"));
  EXPECT_FALSE(host_.ProgressLoaded());
  EXPECT_EQ(host_.busyDepth, 0);

  // Compile without the compiler in the program folder.
  boxes_.Clear();
  w_.cmdProjectCompile.click();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"File 'orvane' not found. Copy the file to the VELK program folder."});
  EXPECT_EQ(boxes_.Shown()[0].buttons, kMbOk | kMbIconExclamation);

  tools_.Install(kCompilerProgram, 0);
  boxes_.Clear();
  w_.cmdProjectCompile.click();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Successfully compiled AI Traffic Project."});
  ASSERT_EQ(tools_.Runs().size(), 1u);
  EXPECT_EQ(tools_.Runs()[0].argv.back(), "/NP");
  EXPECT_FALSE(host_.ProgressLoaded());

  tools_.Install(kCompilerProgram, 1);
  boxes_.Clear();
  w_.cmdProjectCompile.click();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Errors occured during compiling Project."});
  EXPECT_EQ(host_.busyDepth, 0);
  // The project itself never changes by a run.
  EXPECT_FALSE(tab_.ProjectModified());
}

TEST_F(ProjectTabTest, NothingStartsWhileTheMainWindowIsBusy) {
  tab_.NewProject();
  host_.busyDepth = 1;
  dialogs_.Answer(Europe());
  w_.cmdProjectAdd.click();
  w_.mnuFileOpenProject.trigger();
  EXPECT_TRUE(dialogs_.Shown().empty());
  EXPECT_TRUE(tab_.Project().Entries.empty());
  host_.busyDepth = 0;
}

}  // namespace
}  // namespace velk
