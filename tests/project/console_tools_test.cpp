// Running the compiler and decompiler on the user's files, with stub tools
// that record what they were given (the real tools run through the whole
// main window in tests/app/project_window_test.cpp).
#include "project/console_tools.h"

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/stub_tools.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::ScopedEnv;
using test::StubTools;
using test::TempDir;
using test::WriteFile;

// A plan folder and stub tools in a program folder.
class ToolRuns : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(plans_ / "MyPlan.txt", "AC#1,N1,100%,24Hr,IFR\r\n");
    WriteFile(plans_ / "Aircraft.txt", "AC#1,100,\"A\"\r\n");
    WriteFile(plans_ / "Airports.txt", "EDDF,N50* 2.00',E8* 34.00',364\r\n");
  }

  std::string Seen(const StubTools::Run& run, const char* name) const {
    return ReadFile(run.seen / name).value_or("<none>");
  }

  TempDir plans_;
  TempDir sim_;
  ScopedEnv fs_{"VELK_FS_PATH", sim_.path().string()};
  StubTools tools_;
};

TEST_F(ToolRuns, CompileCopiesThePlanUnderItsToolNameAndRunsFromTheProgramFolder) {
  // The tool writes its arrival times back into the copy it was given.
  tools_.Install(kCompilerProgram, 0, "echo changed > FlightPlans.txt; touch FlightPlansTemp.txt");
  EXPECT_EQ(CompilePlanFile(tools_.ProgramFolder(), plans_ / "MyPlan.txt", false), CompileOutcome::kCompiled);
  auto runs = tools_.Runs();
  ASSERT_EQ(runs.size(), 1u);
  const auto& run = runs[0];
  EXPECT_EQ(run.argv, (std::vector<std::string>{(tools_.ProgramFolder() / "orvane").string(), "/NP"}));
  EXPECT_EQ(run.files, (std::vector<std::string>{"Aircraft.txt", "Airports.txt", "FlightPlans.txt"}));
  EXPECT_EQ(Seen(run, "FlightPlans.txt"), "AC#1,N1,100%,24Hr,IFR\r\n");
  EXPECT_EQ(Seen(run, "Aircraft.txt"), "AC#1,100,\"A\"\r\n");
  EXPECT_EQ(run.fsPath, sim_.path().string());
  EXPECT_FALSE(run.terminal);
  // A private folder of the run, with nothing left of it afterwards ...
  EXPECT_NE(run.workFolder, plans_.path());
  EXPECT_FALSE(fs::exists(run.workFolder));
  EXPECT_EQ((fs::status(run.workFolder.parent_path()).permissions() & fs::perms::all), fs::perms::owner_all);
  // ... and the user's plan untouched.
  EXPECT_EQ(ReadFile(plans_ / "MyPlan.txt"), "AC#1,N1,100%,24Hr,IFR\r\n");
  EXPECT_FALSE(fs::exists(plans_ / "FlightPlansTemp.txt"));
}

TEST_F(ToolRuns, CompileOutcomes) {
  tools_.Install(kCompilerProgram, 1);
  EXPECT_EQ(CompilePlanFile(tools_.ProgramFolder(), plans_ / "MyPlan.txt", true), CompileOutcome::kFailed);
  ASSERT_EQ(tools_.Runs().size(), 1u);
  EXPECT_EQ(tools_.Runs()[0].argv.back(), "/EP");

  // A tool that cannot be started, or that dies, never counts as a success.
  tools_.Install(kCompilerProgram, 0);
  fs::permissions(tools_.ProgramFolder() / "orvane", fs::perms::owner_read);
  EXPECT_EQ(CompilePlanFile(tools_.ProgramFolder(), plans_ / "MyPlan.txt", false), CompileOutcome::kFailed);
  tools_.Install(kCompilerProgram, 0, "kill -9 $$");
  EXPECT_EQ(CompilePlanFile(tools_.ProgramFolder(), plans_ / "MyPlan.txt", false), CompileOutcome::kFailed);

  // The inputs beside the plan are found in any case, and checked first.
  fs::rename(plans_ / "Aircraft.txt", plans_ / "AIRCRAFT.TXT");
  tools_.Install(kCompilerProgram, 0);
  EXPECT_EQ(CompilePlanFile(tools_.ProgramFolder(), plans_ / "MyPlan.txt", false), CompileOutcome::kCompiled);
  EXPECT_EQ(Seen(tools_.Runs().back(), "Aircraft.txt"), "AC#1,100,\"A\"\r\n");
  size_t before = tools_.Runs().size();
  fs::remove(plans_ / "Airports.txt");
  EXPECT_EQ(CompilePlanFile(tools_.ProgramFolder(), plans_ / "MyPlan.txt", false), CompileOutcome::kAirportsMissing);
  fs::remove(plans_ / "AIRCRAFT.TXT");
  UnreadInput unread;
  EXPECT_EQ(CompilePlanFile(tools_.ProgramFolder(), plans_ / "MyPlan.txt", false, nullptr, nullptr, &unread),
            CompileOutcome::kAircraftMissing);
  EXPECT_TRUE(unread.read.Missing());
  // One that is there but cannot be read is told apart from a missing one.
  fs::create_directory(plans_ / "Aircraft.txt");
  EXPECT_EQ(CompilePlanFile(tools_.ProgramFolder(), plans_ / "MyPlan.txt", false, nullptr, nullptr, &unread),
            CompileOutcome::kAircraftMissing);
  EXPECT_EQ(unread.file, plans_ / "Aircraft.txt");
  EXPECT_EQ(unread.read.Reason(), "is a folder");
  fs::remove(plans_ / "Aircraft.txt");
  // A plan file that cannot be read is not handed over as an empty one.
  WriteFile(plans_ / "Aircraft.txt", "x");
  WriteFile(plans_ / "Airports.txt", "x");
  EXPECT_EQ(CompilePlanFile(tools_.ProgramFolder(), plans_ / "Gone.txt", false, nullptr, nullptr, &unread),
            CompileOutcome::kPlanMissing);
  EXPECT_EQ(unread.file, plans_ / "Gone.txt");
  EXPECT_EQ(tools_.Runs().size(), before);
}

constexpr const char* kWriteThree =
    "printf 'AP\\r\\n' > Airports.txt; printf 'AC\\r\\n' > Aircraft.txt; printf 'FP\\r\\n' > FlightPlans.txt";

TEST_F(ToolRuns, DecompileMovesTheFilesIntoPlaceOnlyAfterSuccess) {
  TempDir out;
  WriteFile(out / "Airports.txt", "old airports");
  WriteFile(out / "aircraft.txt", "old aircraft");  // replaced under its own spelling
  WriteFile(out / "FlightPlans.txt", "another plan");
  tools_.Install(kDecompilerProgram, 0, kWriteThree);
  ASSERT_TRUE(DecompileTo(tools_.ProgramFolder(), out / "D.txt", true));
  auto run = tools_.Runs().at(0);
  EXPECT_EQ(run.argv, (std::vector<std::string>{(tools_.ProgramFolder() / "ulvane").string(), "/NP"}));
  EXPECT_TRUE(run.files.empty());
  EXPECT_FALSE(fs::exists(run.workFolder));
  EXPECT_EQ(ReadFile(out / "D.txt"), "FP\r\n");
  EXPECT_EQ(ReadFile(out / "Airports.txt"), "AP\r\n");
  EXPECT_EQ(ReadFile(out / "aircraft.txt"), "AC\r\n");
  EXPECT_FALSE(fs::exists(out / "Aircraft.txt"));
  // Decompiling to another name leaves a FlightPlans.txt there alone.
  EXPECT_EQ(ReadFile(out / "FlightPlans.txt"), "another plan");

  ASSERT_TRUE(DecompileTo(tools_.ProgramFolder(), out / "FlightPlans.txt", false));
  EXPECT_EQ(ReadFile(out / "FlightPlans.txt"), "FP\r\n");

  // Into the program folder itself: the tool stays where it is.
  ASSERT_TRUE(DecompileTo(tools_.ProgramFolder(), tools_.ProgramFolder() / "FlightPlans.txt", false));
  EXPECT_TRUE(ToolPresent(tools_.ProgramFolder(), kDecompilerProgram));
  EXPECT_EQ(ReadFile(tools_.ProgramFolder() / "Airports.txt"), "AP\r\n");
}

TEST_F(ToolRuns, AFailedDecompileChangesNothing) {
  TempDir out;
  WriteFile(out / "Airports.txt", "old airports");
  WriteFile(out / "D.txt", "chosen");
  const std::pair<int, std::string> failures[] = {
      {1, kWriteThree},                                            // the tool says it failed
      {0, "printf 'AP' > Airports.txt; printf 'AC' > Aircraft.txt"},  // success, but a file missing
      {0, std::string(kWriteThree) + "; kill -9 $$"},              // killed
  };
  for (const auto& [code, shell] : failures) {
    tools_.Install(kDecompilerProgram, code, shell);
    EXPECT_FALSE(DecompileTo(tools_.ProgramFolder(), out / "D.txt", false)) << shell;
    EXPECT_EQ(ReadFile(out / "D.txt"), "chosen");
    EXPECT_EQ(ReadFile(out / "Airports.txt"), "old airports");
    EXPECT_FALSE(fs::exists(out / "Aircraft.txt"));
  }
  // No tool at all.
  EXPECT_FALSE(DecompileTo(out.path(), out / "D.txt", false));
  EXPECT_EQ(ReadFile(out / "D.txt"), "chosen");

  // One target cannot be replaced: the others get their old bytes back.
  fs::create_directory(out / "Aircraft.txt");
  tools_.Install(kDecompilerProgram, 0, kWriteThree);
  EXPECT_FALSE(DecompileTo(tools_.ProgramFolder(), out / "D.txt", false));
  EXPECT_EQ(ReadFile(out / "D.txt"), "chosen");
  EXPECT_EQ(ReadFile(out / "Airports.txt"), "old airports");
}

// A decompile killed at any step of putting its files in place, then velk
// opening the plan there: the three are old or new, nothing of the killed
// run is left, and a file the user changed after the kill keeps the change.
TEST_F(ToolRuns, ADecompileKilledAtAnyStepIsMadeWholeByTheNextRun) {
  TempDir out;
  const std::vector<std::optional<std::string>> old_set = {"old airports", "old aircraft", "old plan"};
  const std::vector<std::optional<std::string>> new_set = {"AP\r\n", "AC\r\n", "FP\r\n"};
  auto set = [&] {
    return std::vector<std::optional<std::string>>{ReadFile(out / "Airports.txt"), ReadFile(out / "Aircraft.txt"),
                                                   ReadFile(out / "D.txt")};
  };
  auto reset = [&] {
    for (const std::string& name : test::Names(out.path())) fs::remove(out / name);
    WriteFile(out / "Airports.txt", "old airports");
    WriteFile(out / "Aircraft.txt", "old aircraft");
    WriteFile(out / "D.txt", "old plan");
  };
  tools_.Install(kDecompilerProgram, 0, kWriteThree);
  int kills = 0;
  test::KillAtEveryFileStep(reset, [&] { DecompileTo(tools_.ProgramFolder(), out / "D.txt", false); },
                            [&](const std::string& step) {
                              if (++kills % 2 == 0) WriteFile(out / "D.txt", "mine");
                              test::RecoverSet(out.path());
                              if (kills % 2 == 0) {
                                EXPECT_EQ(ReadFile(out / "D.txt"), "mine") << step;
                                return;
                              }
                              EXPECT_TRUE(set() == old_set || set() == new_set) << step;
                              EXPECT_EQ(test::Names(out.path()),
                                        (std::set<std::string>{"Aircraft.txt", "Airports.txt", "D.txt"}))
                                  << step;
                            });
}

}  // namespace
}  // namespace velk
