// Merging and compiling a project on disk: the checks before, the files
// written (and never lost), the compiler run with stub tools.
#include "project/project_build.h"

#include <filesystem>
#include <atomic>
#include <functional>
#include <optional>
#include <set>
#include <thread>
#include <string>

#include <gtest/gtest.h>

#include "platform/folder_list.h"
#include "platform/message_box.h"
#include "project/console_tools.h"
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

// Records the progress calls as one text.
class RecordedProgress : public BuildProgress {
 public:
  void Merging(int n) override { log += "M" + std::to_string(n) + " "; }
  void Entry(int i) override { log += "E" + std::to_string(i) + " "; }
  void Compiling() override { log += "C "; }
  void Finished() override { log += "F"; }
  std::string log;
};

constexpr const char* kAirports = "EDDF,N50* 2.00',E8* 34.00',364\r\nEDDM,N48* 21.00',E11* 47.00',1487\r\n";

// A project folder with two plans: "europe" in its own folder and "cargo" as
// the project folder's own FlightPlans.txt and Aircraft.txt.
class ProjectBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(folder_ / "Airports.txt", kAirports);
    WriteFile(folder_ / "europe/FlightPlans.txt",
              "// Europe\r\n"
              "AC#1,D-AIAA,100%,24Hr,IFR,06:00:00,07:00:00,350,F,100,EDDM,08:00:00,09:00:00,350,F,101,EDDF\r\n"
              "AC#2,D-ABBB,50%,WEEK,IFR,0/06:00:00,0/07:00:00,350,F,200,EDDM,0/08:00:00,0/09:00:00,350,F,201,EDDF\r\n");
    WriteFile(folder_ / "europe/Aircraft.txt", "AC#1,450,\"Airbus A320\"\r\nAC#2,460,\"Boeing 737\"\r\n");
    WriteFile(folder_ / "FlightPlans.txt",
              "AC#1,D-CCCC,100%,24Hr,IFR,22:00:00,23:00:00,300,R,0,EDDF,01:00:00,02:00:00,300,R,0,EDDM\r\n"
              "AC#2,D-DDDD,100%,24Hr,VFR,10:00:00,11:00:00,045,R,0,EDDF,12:00:00,13:00:00,045,R,0,EDDM\r\n");
    WriteFile(folder_ / "Aircraft.txt", "AC#1,460,\"BOEING 737\"\r\nAC#2,120,\"Cessna 208\"\r\n");
    request_.ProjectPath = (folder_ / "Traffic.vxp").string();
    request_.Entries = {{(folder_ / "europe/FlightPlans.txt").string(), (folder_ / "europe/Aircraft.txt").string(), "Europe", 0},
                        {(folder_ / "FlightPlans.txt").string(), (folder_ / "Aircraft.txt").string(), "Cargo", 0}};
    request_.ProgramFolder = tools_.ProgramFolder();
  }

  // Worked out by hand: cargo's BOEING 737 is europe's AC#2; its Cessna
  // claims AC#2, taken, and becomes AC#3.
  static constexpr const char* kMergedAircraft =
      "AC#1,450,\"Airbus A320\"\r\nAC#2,460,\"Boeing 737\"\r\nAC#3,120,\"Cessna 208\"\r\n";
  static constexpr const char* kMergedPlans =
      "// Europe\r\n"
      "AC#1,D-AIAA,100%,24Hr,IFR,06:00:00,07:00:00,350,F,100,EDDM,08:00:00,09:00:00,350,F,101,EDDF\r\n"
      "AC#2,D-ABBB,50%,WEEK,IFR,0/06:00:00,0/07:00:00,350,F,200,EDDM,0/08:00:00,0/09:00:00,350,F,201,EDDF\r\n"
      "AC#2,D-CCCC,100%,24Hr,IFR,22:00:00,23:00:00,300,R,0,EDDF,01:00:00,02:00:00,300,R,0,EDDM\r\n"
      "AC#3,D-DDDD,100%,24Hr,VFR,10:00:00,11:00:00,045,R,0,EDDF,12:00:00,13:00:00,045,R,0,EDDM\r\n";

  BuildResult Build(bool mergeOnly) {
    request_.MergeOnly = mergeOnly;
    return BuildProject(request_, progress_);
  }

  TempDir folder_;
  TempDir sim_;
  ScopedEnv fs_{"VELK_FS_PATH", sim_.path().string()};
  StubTools tools_;
  BuildRequest request_;
  RecordedProgress progress_;
};

TEST_F(ProjectBuild, MergeReadsEveryEntryBeforeReplacingTheProjectFolderFiles) {
  // The second entry's files are the very files the merge replaces.
  const auto aircraft = ReadFile(folder_ / "Aircraft.txt");
  const auto plans = ReadFile(folder_ / "FlightPlans.txt");
  BuildResult r = Build(true);
  ASSERT_EQ(r.Outcome, BuildOutcome::kDone);
  EXPECT_EQ(ReadFile(folder_ / "Aircraft.txt"), kMergedAircraft);
  EXPECT_EQ(ReadFile(folder_ / "FlightPlans.txt"), kMergedPlans);
  EXPECT_EQ(ReadFile(folder_ / "Airports.txt"), kAirports);
  EXPECT_EQ(progress_.log, "M2 E0 E1 F");
  EXPECT_TRUE(tools_.Runs().empty());
  EXPECT_FALSE(fs::exists(folder_ / "Aircraft.txt.velk.bak"));

  // With backups on, the files before the first merge are kept once.
  WriteFile(folder_ / "Aircraft.txt", *aircraft);
  WriteFile(folder_ / "FlightPlans.txt", *plans);
  request_.BackupPlan = true;
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(Build(true).Outcome, BuildOutcome::kDone);
    EXPECT_EQ(ReadFile(folder_ / "Aircraft.txt.velk.bak"), aircraft);
    EXPECT_EQ(ReadFile(folder_ / "FlightPlans.txt.velk.bak"), plans);
  }
  // A backup that cannot be made is said; the merge is made all the same.
  fs::remove(folder_ / "Aircraft.txt.velk.bak");
  fs::create_directory(folder_ / "Aircraft.txt.velk.bak");
  r = Build(true);
  ASSERT_EQ(r.Outcome, BuildOutcome::kDone);
  EXPECT_EQ(r.CopiesNotMade, std::vector<std::string>{"The backup copy '" + (folder_ / "Aircraft.txt.velk.bak").string() +
                                                      "' was not made (Is a directory)."});
}

TEST_F(ProjectBuild, ChecksBeforeAnythingIsTouched) {
  const auto aircraft = ReadFile(folder_ / "Aircraft.txt");
  struct Case {
    std::function<void()> arrange;
    BuildOutcome outcome;
    bool mergeOnly;
  };
  const Case cases[] = {
      {[&] { request_.ProjectPath.clear(); }, BuildOutcome::kNotSaved, true},
      {[&] { for (auto& e : request_.Entries) e.AircraftFile.clear(); }, BuildOutcome::kNoAircraftFile, true},
      {[&] { fs::rename(folder_ / "Airports.txt", folder_ / "Gone.txt"); }, BuildOutcome::kAirportsMissing, true},
      {[] {}, BuildOutcome::kCompilerMissing, false},
  };
  for (const Case& c : cases) {
    BuildRequest saved = request_;
    c.arrange();
    progress_.log.clear();
    EXPECT_EQ(Build(c.mergeOnly).Outcome, c.outcome);
    EXPECT_EQ(progress_.log, "");  // no progress window was shown
    EXPECT_EQ(ReadFile(folder_ / "Aircraft.txt"), aircraft);
    if (fs::exists(folder_ / "Gone.txt")) fs::rename(folder_ / "Gone.txt", folder_ / "Airports.txt");
    request_ = saved;
  }
  // Airports.txt is found in any case; a folder that cannot be listed for
  // it is named as such.
  fs::rename(folder_ / "Airports.txt", folder_ / "AIRPORTS.TXT");
  SetFolderListFault([&](const fs::path& folder, size_t) {
    return folder == folder_.path() ? std::make_error_code(std::errc::io_error) : std::error_code();
  });
  BuildResult r = Build(true);
  SetFolderListFault({});
  EXPECT_EQ(r.Outcome, BuildOutcome::kFolderUnlisted);
  EXPECT_EQ(BuildFailureMessage(r).Text, ListFailedMessage(folder_.path()));
  EXPECT_EQ(progress_.log, "");
  EXPECT_EQ(Build(true).Outcome, BuildOutcome::kDone);
}

TEST_F(ProjectBuild, AMissingEntryFileStopsTheMergeAndKeepsTheUsersFiles) {
  const auto aircraft = ReadFile(folder_ / "Aircraft.txt");
  const auto plans = ReadFile(folder_ / "FlightPlans.txt");
  request_.Entries.push_back({(folder_ / "gone/FlightPlans.txt").string(), "", "", 0});
  BuildResult r = Build(true);
  EXPECT_EQ(r.Outcome, BuildOutcome::kPlanFileMissing);
  EXPECT_EQ(r.File, (folder_ / "gone/FlightPlans.txt").string());
  EXPECT_EQ(BuildFailureMessage(r).Text, "File '" + (folder_ / "gone/FlightPlans.txt").string() + "' not found.");
  EXPECT_EQ(progress_.log, "M3 E0 E1 E2 F");
  EXPECT_EQ(ReadFile(folder_ / "Aircraft.txt"), aircraft);
  EXPECT_EQ(ReadFile(folder_ / "FlightPlans.txt"), plans);

  request_.Entries.back() = {(folder_ / "europe/FlightPlans.txt").string(), (folder_ / "europe").string(), "", 0};
  r = Build(true);
  EXPECT_EQ(r.Outcome, BuildOutcome::kAircraftFileMissing);  // a folder is no aircraft file
  EXPECT_EQ(r.File, (folder_ / "europe").string());
  EXPECT_EQ(ReadFile(folder_ / "FlightPlans.txt"), plans);

  // It is there, so it is not called missing.
  BuildMessage m = BuildFailureMessage(r);
  EXPECT_EQ(m.Text, "Errors occured during merging Project.\n\nCould not read '" + (folder_ / "europe").string() +
                        "' (is a folder).");
  EXPECT_EQ(m.Style, kMbOk | kMbIconExclamation);
}

TEST_F(ProjectBuild, MergedFilesThatCannotBeWrittenAreAFailureAndLoseNothing) {
  const auto aircraft = ReadFile(folder_ / "Aircraft.txt");
  // FlightPlans.txt of the project folder is a folder: it cannot be replaced.
  request_.Entries.pop_back();
  fs::remove(folder_ / "FlightPlans.txt");
  fs::create_directory(folder_ / "FlightPlans.txt");
  BuildResult r = Build(true);
  EXPECT_EQ(r.Outcome, BuildOutcome::kWriteFailed);
  EXPECT_EQ(progress_.log, "M1 E0 F");
  EXPECT_EQ(ReadFile(folder_ / "Aircraft.txt"), aircraft);
  EXPECT_TRUE(fs::is_directory(folder_ / "FlightPlans.txt"));
  EXPECT_EQ(BuildFailureMessage(r).Text, "Errors occured during merging Project.\n\n'" +
                                            (folder_ / "FlightPlans.txt").string() +
                                            "' may not be replaced (Is a directory).");
  EXPECT_EQ(BuildFailureMessage(r).Style, kMbOk | kMbIconCritical);
}

// Plan files kept elsewhere and linked into the project folder are written
// where they lie, as every writer of the program does; a stale link gets
// its file made.
TEST_F(ProjectBuild, MergeWritesThroughLinksToTheirFiles) {
  TempDir elsewhere;
  WriteFile(elsewhere / "shared.txt", "shared aircraft");
  request_.Entries.pop_back();
  fs::remove(folder_ / "Aircraft.txt");
  fs::remove(folder_ / "FlightPlans.txt");
  fs::create_symlink(elsewhere / "shared.txt", folder_ / "Aircraft.txt");
  fs::create_symlink(elsewhere / "gone.txt", folder_ / "FlightPlans.txt");  // a stale one
  ASSERT_EQ(Build(true).Outcome, BuildOutcome::kDone);
  EXPECT_TRUE(fs::is_symlink(folder_ / "Aircraft.txt") && fs::is_symlink(folder_ / "FlightPlans.txt"));
  EXPECT_EQ(ReadFile(elsewhere / "shared.txt"), "AC#1,450,\"Airbus A320\"\r\nAC#2,460,\"Boeing 737\"\r\n");
  EXPECT_EQ(ReadFile(elsewhere / "gone.txt"), ReadFile(folder_ / "FlightPlans.txt"));
  EXPECT_TRUE(fs::exists(elsewhere / "gone.txt"));
}

TEST_F(ProjectBuild, TwoMergesAtOnceEachLeaveWholeFiles) {
  request_.Entries.pop_back();
  const std::string expected = *ReadFile(folder_ / "europe/FlightPlans.txt");
  std::vector<std::thread> runs;
  std::atomic<int> done{0};
  for (int k = 0; k < 2; ++k)
    runs.emplace_back([&] {
      RecordedProgress progress;
      for (int i = 0; i < 20; ++i)
        if (BuildProject(request_, progress).Outcome == BuildOutcome::kDone) ++done;
    });
  for (auto& t : runs) t.join();
  EXPECT_EQ(done, 40);
  EXPECT_EQ(ReadFile(folder_ / "FlightPlans.txt"), expected);
  // No temporary file is left beside them.
  for (const auto& e : fs::directory_iterator(folder_.path()))
    EXPECT_FALSE(e.path().filename().string().starts_with(".")) << e.path();
}

// A merge killed at any file step, then velk opening the merged plan: both
// files are old or both new, nothing of the killed run is left, and an
// Aircraft.txt that the user changed after the kill keeps the change.
TEST_F(ProjectBuild, AMergeKilledAtAnyStepIsMadeWholeByTheNextRun) {
  const std::string plans = *ReadFile(folder_ / "FlightPlans.txt");
  const std::string aircraft = *ReadFile(folder_ / "Aircraft.txt");
  auto reset = [&] {
    for (const std::string& name : test::Names(folder_.path()))
      if (name.front() == '.') fs::remove(folder_ / name);
    WriteFile(folder_ / "FlightPlans.txt", plans);
    WriteFile(folder_ / "Aircraft.txt", aircraft);
  };
  auto set = [&] { return std::make_pair(ReadFile(folder_ / "FlightPlans.txt"), ReadFile(folder_ / "Aircraft.txt")); };
  const auto old_set = set();
  const auto new_set = std::make_pair(std::optional<std::string>(kMergedPlans),
                                      std::optional<std::string>(kMergedAircraft));
  const std::set<std::string> names = test::Names(folder_.path());
  const std::string mine = "AC#1,1,\"mine\"\r\n";
  int kills = 0;
  test::KillAtEveryFileStep(reset, [&] { Build(true); }, [&](const std::string& step) {
    if (++kills % 2 == 0) WriteFile(folder_ / "Aircraft.txt", mine);
    test::RecoverSet(folder_.path());
    if (kills % 2 == 0) {
      EXPECT_EQ(ReadFile(folder_ / "Aircraft.txt"), mine) << step;
      return;
    }
    EXPECT_TRUE(set() == old_set || set() == new_set) << step;
    EXPECT_EQ(test::Names(folder_.path()), names) << step;
  });
}

TEST_F(ProjectBuild, CompileRunsTheCompilerOnTheMergedFilesInAPrivateFolder) {
  tools_.Install(kCompilerProgram, 0);
  const auto aircraft = ReadFile(folder_ / "Aircraft.txt");
  request_.ShowCompiler = false;
  ASSERT_EQ(Build(false).Outcome, BuildOutcome::kDone);
  EXPECT_EQ(progress_.log, "M2 E0 E1 C F");
  auto runs = tools_.Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].argv, (std::vector<std::string>{(tools_.ProgramFolder() / "orvane").string(), "/NP"}));
  EXPECT_EQ(runs[0].files, (std::vector<std::string>{"Aircraft.txt", "Airports.txt", "FlightPlans.txt"}));
  EXPECT_EQ(ReadFile(runs[0].seen / "Aircraft.txt"), kMergedAircraft);
  EXPECT_EQ(ReadFile(runs[0].seen / "FlightPlans.txt"), kMergedPlans);
  EXPECT_EQ(ReadFile(runs[0].seen / "Airports.txt"), kAirports);
  EXPECT_EQ(runs[0].fsPath, sim_.path().string());
  EXPECT_FALSE(fs::exists(runs[0].workFolder));
  // A compile leaves the project folder as it was.
  EXPECT_EQ(ReadFile(folder_ / "Aircraft.txt"), aircraft);

  tools_.Install(kCompilerProgram, 1);
  request_.ShowCompiler = true;
  BuildResult r = Build(false);
  EXPECT_EQ(r.Outcome, BuildOutcome::kCompileFailed);
  EXPECT_EQ(tools_.Runs().back().argv.back(), "/EP");
  EXPECT_FALSE(fs::exists(tools_.Runs().back().workFolder));
  EXPECT_EQ(BuildFailureMessage(r).Text, "Errors occured during compiling Project.");
  EXPECT_EQ(BuildFailureMessage(r).Style, kMbOk | kMbIconCritical);
}

}  // namespace
}  // namespace velk
