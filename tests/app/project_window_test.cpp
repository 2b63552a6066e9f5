// Projects and the console tools through the whole main window: the File
// menu's project entries and recent projects, closing with a modified
// project, and compiling and decompiling with the real orvane and ulvane of
// this build into a sample simulator.
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "app/frm_main.h"
#include "app/sample_window_test.h"
#include "data/plan_records.h"
#include "data/program_state.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/process_runner.h"
#include "platform/sim_location.h"
#include "project/project_file.h"
#include "project/ui/project_tab.h"
#include "sample_sim/sample_sim.h"
#include "support/stub_tools.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::ScopedEnv;
using test::TempDir;
using test::WriteFile;

class ProjectWindowTest : public test::SampleWindowTest {
 protected:
  void SetUp() override {
    CopySamplePlan("");
    SampleWindowTest::SetUp();
  }
  void TearDown() override {
    SetProcessConsoleFactory(nullptr);
    // A clean close: nothing left to ask.
    Program().PlanModified = false;
  }

  fs::path Database() const { return ResolvePathNoCase(simulator_->path(), "SCENEDB\\ATC\\Scenery\\traffic.bgl"); }
};

TEST_F(ProjectWindowTest, ProjectsThroughTheFileMenuAndTheRecentList) {
  w_.mnuFileNewProject->trigger();
  EXPECT_EQ(w_.tabMain->currentWidget(), w_.picProject);
  dialogs_.Answer((plans_ / "FlightPlans.txt").string());
  w_.cmdProjectAdd->click();
  ASSERT_EQ(w_.lvProject->topLevelItemCount(), 1);
  EXPECT_EQ(w_.lvProject->topLevelItem(0)->text(2).toStdString(), (plans_ / "Aircraft.txt").string());

  const std::string project = (plans_ / "Sample.vxp").string();
  dialogs_.Answer(project);
  w_.mnuFileSaveProjectAs->trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Successfully saved modified Project."});
  EXPECT_EQ(w_.RecentProjects[0], project);
  EXPECT_TRUE(w_.mnuRecentProjectsItems[0]->isVisible());

  // A new project, then the recent entry brings the saved one back.
  w_.mnuFileNewProject->trigger();
  boxes_.Clear();
  boxes_.Answer(kIdNo);
  w_.mnuRecentProjectsItems[0]->trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Save the modified Project?"});
  EXPECT_EQ(w_.lvProject->topLevelItemCount(), 1);
  EXPECT_EQ(w_.StatusText().toStdString(), "Project loaded with 1 entries [" + project + "].");
  EXPECT_FALSE(w_.IsBusy());

  // The Delete key on the list asks before removing.
  w_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w_));
  // The opened project shows its first row.
  ASSERT_TRUE(w_.lvProject->topLevelItem(0)->isSelected());
  w_.lvProject->setFocus();
  boxes_.Clear();
  boxes_.Answer(kIdYes);
  QTest::keyRelease(w_.lvProject, Qt::Key_Delete);
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Are you sure to remove the selected Flightplans?"});
  EXPECT_EQ(w_.lvProject->topLevelItemCount(), 0);

  // A recent project that is gone: said, and the open one stays.
  fs::remove(project);
  boxes_.Clear();
  boxes_.Answer(kIdNo);
  int rows = w_.lvProject->topLevelItemCount();
  w_.mnuRecentProjectsItems[0]->trigger();
  EXPECT_EQ(Prompts().back(), "VELK Project file not found.");
  EXPECT_EQ(w_.lvProject->topLevelItemCount(), rows);
}

TEST_F(ProjectWindowTest, ClosingWithAModifiedProjectThatIsNotSavedStaysOpen) {
  w_.mnuFileNewProject->trigger();
  boxes_.Answer(kIdYes);  // save it ... but the Save As is cancelled
  EXPECT_FALSE(w_.close());
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Save the modified Project?"});
  EXPECT_EQ(dialogs_.Shown().back().title, "Save Project as...");
  EXPECT_TRUE(w_.isVisible());
  EXPECT_FALSE(w_.IsBusy());

  const std::string project = (plans_ / "Empty.vxp").string();
  boxes_.Clear();
  boxes_.Answer(kIdYes);
  dialogs_.Answer(project);
  EXPECT_TRUE(w_.close());
  EXPECT_EQ(Prompts(), (std::vector<std::string>{"Save the modified Project?", "Successfully saved modified Project."}));
  EXPECT_EQ(ReadFile(project), std::string("\x03\x00" "1.1" "\x00\x00\x00\x00", 9));
}

TEST_F(ProjectWindowTest, CompileTheLoadedPlanAndDecompileItWithTheRealTools) {
  dialogs_.Answer((plans_ / "FlightPlans.txt").string());
  w_.mnuFileLoad->trigger();
  ASSERT_TRUE(Plan().PlanLoaded);
  ASSERT_TRUE(w_.mnuToolsCompileCurrent->isEnabled());
  const auto plan = ReadFile(plans_ / "FlightPlans.txt");
  boxes_.Clear();
  fs::remove(Database());

  // Shown: the compiler's output goes to its console.
  std::string console;
  SetProcessConsoleFactory([&](const std::vector<std::string>&) -> std::unique_ptr<ProcessConsole> {
    return std::make_unique<test::EnterAtPromptConsole>(&console);
  });
  w_.mnuToolsShowCompiler->setChecked(true);
  w_.mnuToolsCompileCurrent->trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Successfully compiled AI Traffic."});
  EXPECT_NE(console.find("FS2002 located"), std::string::npos) << console;
  EXPECT_EQ(console.find("Press ENTER key to finish..."), std::string::npos) << console;
  ASSERT_TRUE(fs::is_regular_file(Database()));
  EXPECT_EQ(ReadFile(plans_ / "FlightPlans.txt"), plan);
  EXPECT_FALSE(w_.IsBusy());

  // A changed plan is offered to be saved first.
  w_.MarkPlanModified();
  w_.mnuToolsShowCompiler->setChecked(false);
  boxes_.Clear();
  boxes_.Answer(kIdCancel);
  w_.mnuToolsCompileCurrent->trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Save modified Flightplan before starting compiling?"});

  TempDir out;
  boxes_.Clear();
  dialogs_.Answer((out / "Decompiled.txt").string());
  w_.mnuToolsDecompile->trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Successfully decompiled AI Traffic."});
  EXPECT_TRUE(fs::is_regular_file(out / "Decompiled.txt"));
  EXPECT_TRUE(fs::is_regular_file(out / "Aircraft.txt"));
  EXPECT_TRUE(fs::is_regular_file(out / "Airports.txt"));
  EXPECT_FALSE(fs::exists(out / "FlightPlans.txt"));

  // The decompiled plan compiles again.
  boxes_.Clear();
  dialogs_.Answer((out / "Decompiled.txt").string());
  w_.mnuToolsCompile->trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Successfully compiled AI Traffic."});

  // A plan the compiler refuses: shown, its console keeps the error until
  // Enter is pressed, and the database stays as it was.
  const auto database = ReadFile(Database());
  WriteFile(out / "Broken.txt", "AC#1,D-AAAA,100%,24Hr,IFR,06:00:00\r\n");
  console.clear();
  w_.mnuToolsShowCompiler->setChecked(true);
  boxes_.Clear();
  dialogs_.Answer((out / "Broken.txt").string());
  w_.mnuToolsCompile->trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Errors occured during compiling AI Traffic."});
  EXPECT_NE(console.find("Press ENTER key to finish..."), std::string::npos) << console;
  EXPECT_EQ(ReadFile(Database()), database);
  EXPECT_FALSE(w_.IsBusy());
}

TEST_F(ProjectWindowTest, MergeAndCompileAProjectWithTheRealCompiler) {
  // The sample plan and a second one in another folder that uses one of
  // its aircraft under another number.
  fs::path other = plans_ / "other";
  WriteFile(other / "Aircraft.txt", "AC#1,300,\"Cessna 208 Caravan\"\r\n");
  std::string firstLine = ReadFile(plans_ / "FlightPlans.txt").value_or("");
  w_.mnuFileNewProject->trigger();
  for (const fs::path& p : {plans_ / "FlightPlans.txt", other / "FlightPlans.txt"}) {
    if (p.parent_path() == other) WriteFile(p, "; second plan\r\n");
    dialogs_.Answer(p.string());
    w_.cmdProjectAdd->click();
  }
  dialogs_.Answer((plans_ / "Both.vxp").string());
  w_.mnuFileSaveProject->trigger();
  boxes_.Clear();

  w_.cmdProjectMerge->click();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Successfully merged AI Traffic Project."});
  // The project folder's own plan was read before it was replaced.
  std::string merged = ReadFile(plans_ / "FlightPlans.txt").value_or("");
  EXPECT_EQ(merged, firstLine + "; second plan\r\n");
  // The sample's aircraft without its comments, and the second plan's one
  // under the next free number.
  std::string types = ReadFile(plans_ / "Aircraft.txt").value_or("");
  EXPECT_TRUE(types.starts_with("AC#1,450,\"VELK Sample 737-800 Blue\"\r\n")) << types;
  EXPECT_EQ(types.find(';'), std::string::npos);
  EXPECT_TRUE(types.ends_with(",300,\"Cessna 208 Caravan\"\r\n")) << types;
  EXPECT_EQ(types.find("AC#1,300"), std::string::npos);

  boxes_.Clear();
  fs::remove(Database());
  w_.cmdProjectCompile->click();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Successfully compiled AI Traffic Project."});
  EXPECT_TRUE(fs::is_regular_file(Database()));
  EXPECT_FALSE(w_.ProgressLoaded());
  EXPECT_FALSE(w_.IsBusy());
}

}  // namespace
}  // namespace velk
