// The Tools menu's compile and decompile commands over bare menu entries, a
// fake main window and stub tools: every message and every way out.
#include "project/ui/compile_commands.h"

#include <sys/stat.h>

#include <QAction>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "data/program_state.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/process_runner.h"
#include "project/console_tools.h"
#include "support/fake_plan_host.h"
#include "support/stub_tools.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class CompileCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Program() = ProgramState{};
    mnuToolsShowCompiler_.setCheckable(true);
    host_.programFolder = tools_.ProgramFolder();
    WriteFile(plans_ / "MyPlan.txt", "AC#1,N1,100%,24Hr,IFR\r\n");
    WriteFile(plans_ / "Aircraft.txt", "AC#1,100,\"A\"\r\n");
    WriteFile(plans_ / "Airports.txt", "EDDF,N50* 2.00',E8* 34.00',364\r\n");
  }
  void TearDown() override {
    Program() = ProgramState{};
    SetProcessConsoleFactory(nullptr);
  }

  std::string Plan() const { return (plans_ / "MyPlan.txt").string(); }
  std::vector<std::string> Prompts() const { return boxes_.Prompts(); }
  int Icon(size_t k) const { return boxes_.Shown().at(k).buttons; }

  TempDir plans_;
  test::StubTools tools_;
  ScriptedMessageBoxes boxes_{kIdOk};
  ScriptedFileDialogs dialogs_;
  test::FakePlanHost host_;
  QAction mnuToolsCompileCurrent_{"&Compile current Flightplan"};
  QAction mnuToolsCompile_{"Com&pile Flightplan"};
  QAction mnuToolsDecompile_{"&Decompile Flightplan"};
  QAction mnuToolsShowCompiler_{"&Show Compiler"};
  CompileCommands commands_{{&mnuToolsCompileCurrent_, &mnuToolsCompile_, &mnuToolsDecompile_, &mnuToolsShowCompiler_},
                            host_};
};

TEST_F(CompileCommandsTest, CompileAChosenPlan) {
  mnuToolsCompile_.trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"File 'orvane' not found. Please copy the file to the VELK program folder."});
  EXPECT_EQ(Icon(0), kMbOk | kMbIconExclamation);
  EXPECT_TRUE(dialogs_.Shown().empty());

  tools_.Install(kCompilerProgram, 0);
  boxes_.Clear();
  // Cancelled: nothing runs, nothing is said.
  mnuToolsCompile_.trigger();
  ASSERT_EQ(dialogs_.Shown().size(), 1u);
  const FileDialogRequest& d = dialogs_.Shown()[0];
  EXPECT_EQ(d.title + "|" + d.filter, "Compile - Choose Flightplan|Text Files (*.txt)|*.txt|All Files (*.*)|*.*");
  EXPECT_EQ(d.fileName, "FlightPlans.txt");  // no plan loaded
  EXPECT_EQ(d.flags, 0x209004);
  EXPECT_TRUE(Prompts().empty());
  EXPECT_TRUE(tools_.Runs().empty());

  host_.plan.FlightplanPath = "/loaded/FlightPlans.txt";
  dialogs_.Answer(Plan());
  mnuToolsCompile_.trigger();
  EXPECT_EQ(dialogs_.Shown()[1].fileName, "/loaded/FlightPlans.txt");
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Successfully compiled AI Traffic."});
  EXPECT_EQ(Icon(0), kMbOk | kMbIconInformation);
  ASSERT_EQ(tools_.Runs().size(), 1u);
  EXPECT_EQ(tools_.Runs()[0].argv.back(), "/NP");
  EXPECT_EQ(host_.busyDepth, 0);
  EXPECT_EQ(host_.busyFrames, 1);

  tools_.Install(kCompilerProgram, 1);
  boxes_.Clear();
  dialogs_.Answer(Plan());
  mnuToolsCompile_.trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Errors occured during compiling AI Traffic."});
  EXPECT_EQ(Icon(0), kMbOk | kMbIconCritical);

  // A chosen plan that cannot be read is named, and why; the compiler
  // never starts.
  const size_t runs = tools_.Runs().size();
  ASSERT_EQ(::mkfifo((plans_ / "Pipe.txt").c_str(), 0600), 0);
  fs::create_directory(plans_ / "Folder.txt");
  const std::string unreadable = "Flightplan file could not be read.\n\nCould not read '";
  const std::pair<const char*, std::string> unread[] = {
      {"Pipe.txt", unreadable + (plans_ / "Pipe.txt").string() + "' (is a pipe, not a file)."},
      {"Folder.txt", unreadable + (plans_ / "Folder.txt").string() + "' (is a folder)."},
      {"Gone.txt", "File '" + (plans_ / "Gone.txt").string() + "' not found."}};
  for (const auto& [name, said] : unread) {
    boxes_.Clear();
    dialogs_.Answer((plans_ / name).string());
    mnuToolsCompile_.trigger();
    EXPECT_EQ(Prompts(), std::vector<std::string>{said}) << name;
    EXPECT_EQ(Icon(0), kMbOk | kMbIconExclamation) << name;
  }
  EXPECT_EQ(tools_.Runs().size(), runs);
}

TEST_F(CompileCommandsTest, MissingFilesBesideThePlan) {
  tools_.Install(kCompilerProgram, 0);
  fs::remove(plans_ / "Airports.txt");
  dialogs_.Answer(Plan());
  mnuToolsCompile_.trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"File 'AIRPORTS.TXT' not found. Please copy the file to the Flightplan folder."});
  EXPECT_EQ(Icon(0), kMbOk | kMbIconExclamation);
  fs::remove(plans_ / "Aircraft.txt");
  boxes_.Clear();
  dialogs_.Answer(Plan());
  mnuToolsCompile_.trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"File 'AIRCRAFT.TXT' not found. Please copy the file to the Flightplan folder."});
  EXPECT_TRUE(tools_.Runs().empty());
  // The main window is usable again.
  EXPECT_EQ(host_.busyDepth, 0);
}

TEST_F(CompileCommandsTest, CompileCurrentOffersToSaveFirst) {
  tools_.Install(kCompilerProgram, 0);
  host_.plan.FlightplanPath = Plan();
  Program().PlanModified = true;

  boxes_.Answer(kIdCancel);
  mnuToolsCompileCurrent_.trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Save modified Flightplan before starting compiling?"});
  EXPECT_EQ(Icon(0), kMbYesNoCancel | kMbIconQuestion);
  EXPECT_TRUE(tools_.Runs().empty());

  // Yes with a save that fails stops the compile (the file on disk is not
  // the plan); Yes with a save runs it; No runs on the file as it is.
  struct Step {
    int answer;
    bool saveWorks;
    int saves, runs;
  };
  for (const Step& step : {Step{kIdYes, false, 1, 0}, Step{kIdYes, true, 2, 1}, Step{kIdNo, true, 2, 2}}) {
    host_.saveResult = step.saveWorks;
    boxes_.Answer(step.answer);
    mnuToolsCompileCurrent_.trigger();
    EXPECT_EQ(host_.saves, step.saves);
    EXPECT_EQ(tools_.Runs().size(), static_cast<size_t>(step.runs));
    EXPECT_EQ(host_.busyDepth, 0);
  }
  EXPECT_EQ(Prompts().back(), "Successfully compiled AI Traffic.");
  EXPECT_TRUE(dialogs_.Shown().empty());  // never a dialog

  // Unmodified: no question.
  Program().PlanModified = false;
  boxes_.Clear();
  mnuToolsCompileCurrent_.trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Successfully compiled AI Traffic."});
}

TEST_F(CompileCommandsTest, ShowCompilerRunsItInAConsoleThatWaitsForEnter) {
  std::string seen;
  SetProcessConsoleFactory([&](const std::vector<std::string>&) -> std::unique_ptr<ProcessConsole> {
    return std::make_unique<test::EnterAtPromptConsole>(&seen);
  });
  tools_.Install(kCompilerProgram, 1, "echo 'Error in line 1'; printf 'Press ENTER key to finish...'; read x");
  mnuToolsShowCompiler_.setChecked(true);
  dialogs_.Answer(Plan());
  mnuToolsCompile_.trigger();
  ASSERT_EQ(tools_.Runs().size(), 1u);
  EXPECT_EQ(tools_.Runs()[0].argv.back(), "/EP");
  EXPECT_TRUE(tools_.Runs()[0].terminal);
  EXPECT_NE(seen.find("Error in line 1"), std::string::npos) << seen;
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Errors occured during compiling AI Traffic."});
}

TEST_F(CompileCommandsTest, Decompile) {
  mnuToolsDecompile_.trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"File 'ulvane' not found. Copy the file to the VELK program folder."});
  EXPECT_EQ(Icon(0), kMbOk | kMbIconExclamation);
  EXPECT_TRUE(dialogs_.Shown().empty());

  tools_.Install(kDecompilerProgram, 0,
                 "printf 'AP\\r\\n' > Airports.txt; printf 'AC\\r\\n' > Aircraft.txt; printf 'FP\\r\\n' > FlightPlans.txt");
  boxes_.Clear();
  mnuToolsDecompile_.trigger();  // cancelled
  ASSERT_EQ(dialogs_.Shown().size(), 1u);
  const FileDialogRequest& d = dialogs_.Shown()[0];
  EXPECT_TRUE(d.save);
  EXPECT_EQ(d.title, "Decompile - Choose Output File");
  EXPECT_EQ(d.fileName, "FlightPlans.txt");
  EXPECT_EQ(d.flags, 0x281006);
  EXPECT_TRUE(tools_.Runs().empty());
  EXPECT_TRUE(Prompts().empty());

  dialogs_.Answer((plans_ / "D.txt").string());
  mnuToolsShowCompiler_.setChecked(false);
  mnuToolsDecompile_.trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Successfully decompiled AI Traffic."});
  EXPECT_EQ(Icon(0), kMbOk | kMbIconInformation);
  EXPECT_EQ(ReadFile(plans_ / "D.txt"), "FP\r\n");
  EXPECT_EQ(tools_.Runs()[0].argv.back(), "/NP");

  tools_.Install(kDecompilerProgram, 1);
  boxes_.Clear();
  dialogs_.Answer((plans_ / "E.txt").string());
  mnuToolsDecompile_.trigger();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Errors occured during decompiling AI Traffic."});
  EXPECT_EQ(Icon(0), kMbOk | kMbIconCritical);
  EXPECT_EQ(host_.busyDepth, 0);
}

TEST_F(CompileCommandsTest, NothingStartsWhileTheMainWindowIsBusy) {
  tools_.Install(kCompilerProgram, 0);
  host_.busyDepth = 1;
  host_.plan.FlightplanPath = Plan();
  for (QAction* a : {&mnuToolsCompile_, &mnuToolsCompileCurrent_, &mnuToolsDecompile_}) a->trigger();
  EXPECT_TRUE(Prompts().empty());
  EXPECT_TRUE(dialogs_.Shown().empty());
  EXPECT_TRUE(tools_.Runs().empty());
  host_.busyDepth = 0;
}

}  // namespace
}  // namespace velk
