// orvane and ulvane against crashes, failing file steps, races and odd
// files: whatever happens, the user's files are whole (old or new), a
// failure is never reported as success, and the next run puts things right.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "traffic_compiler/common/console.h"
#include "traffic_compiler/common/tool_files.h"
#include "traffic_compiler/compiler/compiler_run.h"
#include "traffic_compiler/decompiler/decompiler_main.h"
#include "traffic_compiler/decompiler_test_db.h"

namespace traffic {
namespace {

namespace fs = std::filesystem;
using velk::test::ReadFile;
using velk::test::ScopedCurrentDir;
using velk::test::ScopedEnv;
using velk::test::TempDir;
using velk::test::ToolsDir;
using velk::test::WriteFile;

const char kAirports[] = "AAAA,N0* 10',E0* 50',0\r\nBBB,N0* 10',E3* 5',433\r\n";
const char kAircraft[] = "AC#2,420,\"Jet\"\r\n";
const char kPlans[] =
    "; the plan\r\n"
    "AC#2,N1,50%,24Hr,IFR,01:00:00,x,350,F,100,BBB,02:00,,120,R,7,AAAA\r\n";
const char kUsersDatabase[] = "the user's own database";

// The file steps a run took, and what the test seam does at one of them.
std::vector<std::string> g_steps;
int g_step_number = 0;
int g_act_at = -1;
enum class Act { kRecord, kFail, kKill, kEditPlan } g_act = Act::kRecord;
fs::path g_plan_to_edit;
bool g_no_links = false;  // a file system without hard links

bool StepHook(std::string_view step, const fs::path& path) {
  if (g_no_links && step == "link") return true;
  // A lock that fails stands for a file system without locks, where a run
  // goes on: no failure of the run.
  if (step == "lock") return false;
  const int n = g_step_number++;
  if (g_act == Act::kRecord) g_steps.push_back(std::string(step) + " " + path.filename().string());
  if (n != g_act_at) return false;
  if (g_act == Act::kKill) ::kill(::getpid(), SIGKILL);
  if (g_act == Act::kEditPlan) WriteFile(g_plan_to_edit, std::string(kPlans) + "; edited meanwhile\r\n");
  return g_act == Act::kFail;
}

// A step that fails once, on the work folder.
std::string g_fail_once;
bool FailOnce(std::string_view step, const fs::path& path) {
  if (step != g_fail_once || path != ".") return false;
  g_fail_once.clear();
  return true;
}

// Two runs that each, after their first lock, wait a moment for the other
// to take its first one: runs that lock in different orders would then
// hold each other for ever.
fs::path g_marks;
std::string g_me, g_other;
int g_locks = 0;
bool HoldEachOthersOrder(std::string_view step, const fs::path&) {
  if (step != "lock" || ++g_locks != 2) return false;
  WriteFile(g_marks / g_me, "");
  for (int i = 0; i < 100 && !fs::exists(g_marks / g_other); ++i) ::usleep(20000);
  return false;
}

void UseHook(Act act, int at) {
  g_steps.clear();
  g_step_number = 0;
  g_act = act;
  g_act_at = at;
  SetFileStepHook(StepHook);
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class HostileRuns : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override {
    SetFileStepHook(nullptr);
    g_no_links = false;
  }

  fs::path sim() const { return dir_ / "sim"; }
  fs::path scenery() const { return dir_ / "sim/SCENEDB/ATC/Scenery"; }
  fs::path work() const { return dir_ / "work"; }

  // The user's files before any run: an old database and the three texts.
  void Reset() {
    fs::remove_all(sim());
    fs::remove_all(work());
    WriteFile(scenery() / "traffic.bgl", kUsersDatabase);
    WriteFile(work() / "Airports.txt", kAirports);
    WriteFile(work() / "Aircraft.txt", kAircraft);
    WriteFile(work() / "FlightPlans.txt", kPlans);
  }

  struct Result {
    int exit = -1;
    std::string out;
  };
  // orvane in this process, with the console captured.
  Result Compile(const char* extra = nullptr) {
    ScopedCurrentDir cwd(work());
    ScopedEnv env("VELK_FS_PATH", sim().string());
    ScopedConsoleCapture console;
    std::vector<const char*> argv = {"orvane", "/np"};
    if (extra) argv.push_back(extra);
    Result r;
    r.exit = CompilerMain(static_cast<int>(argv.size()), argv.data());
    r.out = console.WithoutProgress();
    return r;
  }
  // orvane or ulvane in a child process, which the seam may kill; true when
  // the child died by a signal.
  bool CompileInChild() {
    return DiesInChild([] {
      const char* argv[] = {"orvane", "/np"};
      return CompilerMain(2, argv);
    });
  }
  bool DecompileInChild() {
    return DiesInChild([this] { return ulvane::DecompilerMain({"/np"}, work()); });
  }
  template <typename Run>
  bool DiesInChild(Run run) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      if (::chdir(work().c_str()) != 0) ::_exit(126);
      ::setenv("VELK_FS_PATH", sim().c_str(), 1);
      ::_exit(run());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status);
  }
  Result Decompile(const fs::path& folder) {
    ScopedCurrentDir cwd(folder);
    ScopedEnv env("VELK_FS_PATH", sim().string());
    ScopedConsoleCapture console;
    Result r;
    r.exit = ulvane::DecompilerMain({"/np"}, folder);
    r.out = console.WithoutProgress();
    return r;
  }
  // A built program run from `folder` under a time limit, so that a tool
  // that waits on an odd file fails the test instead of hanging it.
  Result RunBuilt(const std::string& tool, const fs::path& folder, const fs::path& sim_folder = {}) {
    const std::string cmd = "cd '" + folder.string() + "' && VELK_FS_PATH='" +
                            (sim_folder.empty() ? sim() : sim_folder).string() +
                            "' timeout 20 '" + (ToolsDir() / tool).string() + "' /np < /dev/null > '" +
                            (dir_ / "out.txt").string() + "' 2>&1";
    const int status = std::system(cmd.c_str());
    Result r;
    r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadFile(dir_ / "out.txt").value_or("");
    return r;
  }

  // Four runs of a built program started at once, run i in the folder
  // and for the simulator that `where(i)` gives; true when all succeeded.
  bool RunBuiltTogether(const std::string& tool, const std::function<std::pair<fs::path, fs::path>(int)>& where) {
    std::vector<pid_t> runs;
    for (int i = 0; i < 4; ++i) {
      const auto [folder, simulator] = where(i);
      const pid_t pid = ::fork();
      if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        ::setenv("VELK_FS_PATH", simulator.c_str(), 1);
        const std::string program = (ToolsDir() / tool).string();
        ::execl(program.c_str(), program.c_str(), "/np", static_cast<char*>(nullptr));
        ::_exit(127);
      }
      runs.push_back(pid);
    }
    bool all = true;
    for (pid_t pid : runs) {
      int status = 0;
      ::waitpid(pid, &status, 0);
      all = all && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return all;
  }

  TempDir dir_;
};

// What a clean compile of the plan gives: the database and the plan with
// its arrivals written back.
struct Outcome {
  std::string database;
  std::string plans;
};

class CrashesAndFailures : public HostileRuns {
 protected:
  void SetUp() override {
    Reset();
    UseHook(Act::kRecord, -1);
    const Result r = Compile();
    ASSERT_EQ(r.exit, 0) << r.out;
    steps_ = g_steps;
    done_ = {*ReadFile(scenery() / "traffic.bgl"), *ReadFile(work() / "FlightPlans.txt")};
    ASSERT_NE(done_.plans, kPlans);
    ASSERT_GE(steps_.size(), 10u);
    SetFileStepHook(nullptr);
  }

  // Every file is either as it was or as a finished run leaves it.
  void ExpectWholeFiles(const std::string& when) {
    const auto database = ReadFile(scenery() / "traffic.bgl");
    EXPECT_TRUE(database == kUsersDatabase || database == done_.database) << when;
    const auto backup = ReadFile(scenery() / "traffic_ORIGINAL.bbb");
    EXPECT_TRUE(!backup || *backup == kUsersDatabase) << when << ": a partial backup";
    const auto plans = ReadFile(work() / "FlightPlans.txt");
    EXPECT_TRUE(plans == kPlans || plans == done_.plans) << when;
  }
  // A run on whatever is left succeeds and leaves exactly a finished run's
  // files, with the user's first database as the backup.
  void ExpectNextRunPutsThingsRight(const std::string& when) {
    SetFileStepHook(nullptr);
    const Result r = Compile();
    EXPECT_EQ(r.exit, 0) << when << "\n" << r.out;
    EXPECT_EQ(ReadFile(scenery() / "traffic_ORIGINAL.bbb"), kUsersDatabase) << when;
    EXPECT_EQ(ReadFile(scenery() / "traffic.bgl"), done_.database) << when;
    EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"), done_.plans) << when;
    EXPECT_EQ(Names(scenery()), (std::vector<std::string>{"traffic.bgl", "traffic_ORIGINAL.bbb"})) << when;
    EXPECT_EQ(Names(work()), (std::vector<std::string>{"Aircraft.txt", "Airports.txt", "FlightPlans.txt"}))
        << when;
  }

  std::vector<std::string> steps_;
  Outcome done_;
};

TEST_F(CrashesAndFailures, AKillAtAnyFileStepLeavesWholeFilesAndTheNextRunFinishes) {
  for (int i = 0; i < static_cast<int>(steps_.size()); ++i) {
    Reset();
    UseHook(Act::kKill, i);
    const std::string when = "killed at " + steps_[static_cast<std::size_t>(i)];
    ASSERT_TRUE(CompileInChild()) << when;
    ExpectWholeFiles(when);
    ExpectNextRunPutsThingsRight(when);
  }
}

TEST_F(CrashesAndFailures, AFailingFileStepIsAFailedRunAndNeverASuccess) {
  for (int i = 0; i < static_cast<int>(steps_.size()); ++i) {
    Reset();
    UseHook(Act::kFail, i);
    const std::string when = "failing " + steps_[static_cast<std::size_t>(i)];
    const Result r = Compile();
    EXPECT_EQ(r.exit, 1) << when << "\n" << r.out;
    EXPECT_NE(r.out.find("ERROR"), std::string::npos) << when;
    EXPECT_EQ(r.out.find("completed"), std::string::npos) << when;
    // The new plan, made while the database was still being written, goes
    // with a failure of either.
    EXPECT_FALSE(fs::exists(work() / "FlightPlansTemp.txt")) << when;
    ExpectWholeFiles(when);
    ExpectNextRunPutsThingsRight(when);
  }
}

TEST_F(CrashesAndFailures, APlanEditedDuringTheCompileGetsNoArrivalsOfTheOldText) {
  g_plan_to_edit = work() / "FlightPlans.txt";
  const std::string edited = std::string(kPlans) + "; edited meanwhile\r\n";
  // Edited while the database is built, and while the write-back runs.
  for (const std::string step : {"write traffic_TEMP.bgl", "write FlightPlansTemp.txt"}) {
    Reset();
    const auto at = std::find(steps_.begin(), steps_.end(), step);
    ASSERT_NE(at, steps_.end()) << step;
    UseHook(Act::kEditPlan, static_cast<int>(at - steps_.begin()));
    const Result r = Compile();
    EXPECT_EQ(r.exit, 1) << step;
    EXPECT_NE(r.out.find("\nERROR in file FlightPlans.txt :\n\nA synchronisation error occured"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("completed"), std::string::npos);
    EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"), edited) << step;
    EXPECT_EQ(ReadFile(scenery() / "traffic.bgl"), done_.database) << step;
    EXPECT_FALSE(fs::exists(work() / "FlightPlansTemp.txt"));
  }
}

TEST_F(HostileRuns, StaleTemporaryLinkOrFileIsRemovedNotFollowed) {
  fs::create_symlink(work() / "FlightPlans.txt", scenery() / "traffic_TEMP.bgl");
  Result r = Compile("/na");
  ASSERT_EQ(r.exit, 0) << r.out;
  EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"), kPlans);
  EXPECT_FALSE(fs::is_symlink(fs::symlink_status(scenery() / "traffic_TEMP.bgl")));
  // A plain leftover file, and a half-made backup copy of a run that died;
  // another program's temporary of that name stays.
  Reset();
  WriteFile(scenery() / "traffic_TEMP.bgl", "half a database");
  WriteFile(scenery() / ".traffic_ORIGINAL.bbb.orvane-Ab12Cd", "half a backup");
  WriteFile(scenery() / ".traffic_ORIGINAL.bbb.Ab12Cd", "the user's");
  r = Compile();
  ASSERT_EQ(r.exit, 0) << r.out;
  EXPECT_EQ(ReadFile(scenery() / "traffic_ORIGINAL.bbb"), kUsersDatabase);
  EXPECT_EQ(Names(scenery()),
            (std::vector<std::string>{".traffic_ORIGINAL.bbb.Ab12Cd", "traffic.bgl", "traffic_ORIGINAL.bbb"}));
}

TEST_F(HostileRuns, LinkedFilesAreWrittenWhereTheyLead) {
  WriteFile(dir_ / "elsewhere/db.bgl", kUsersDatabase);
  fs::remove(scenery() / "traffic.bgl");
  fs::create_symlink("../../../../elsewhere/db.bgl", scenery() / "traffic.bgl");
  WriteFile(dir_ / "plans/mine.txt", kPlans);
  fs::remove(work() / "FlightPlans.txt");
  fs::create_symlink(dir_ / "plans/mine.txt", work() / "FlightPlans.txt");
  const Result r = Compile();
  ASSERT_EQ(r.exit, 0) << r.out;
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(scenery() / "traffic.bgl")));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(work() / "FlightPlans.txt")));
  EXPECT_EQ(ReadFile(scenery() / "traffic_ORIGINAL.bbb"), kUsersDatabase);
  EXPECT_NE(ReadFile(dir_ / "elsewhere/db.bgl"), kUsersDatabase);
  EXPECT_NE(ReadFile(dir_ / "plans/mine.txt"), kPlans);
  EXPECT_EQ(Names(dir_ / "plans"), std::vector<std::string>{"mine.txt"});
}

TEST_F(HostileRuns, WriteProtectedPlanOrDatabaseIsAFailedRun) {
  fs::permissions(work() / "FlightPlans.txt", fs::perms::owner_read | fs::perms::group_read);
  Result r = Compile();
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("\nERROR: Unable to create file FlightPlans.txt\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("completed"), std::string::npos);
  EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"), kPlans);

  Reset();
  fs::permissions(scenery() / "traffic.bgl", fs::perms::owner_read);
  r = Compile();
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("\nERROR: Unable to delete old traffic file\n"), std::string::npos) << r.out;
  EXPECT_EQ(ReadFile(scenery() / "traffic.bgl"), kUsersDatabase);
  EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"), kPlans);
}

TEST_F(HostileRuns, ReadOnlyWorkFolderIsAFailedRun) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser writes into read-only folders";
  fs::permissions(work(), fs::perms::owner_read | fs::perms::owner_exec);
  const Result r = Compile();
  fs::permissions(work(), fs::perms::owner_all);
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.out.find("completed"), std::string::npos);
  EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"), kPlans);
}

TEST_F(HostileRuns, LoneCarriageReturnsAndByteOrderMarksAreLineEndsAndNoText) {
  WriteFile(work() / "Airports.txt", "\xEF\xBB\xBF" "AAAA,N0* 10',E0* 50',0\rBBB,N0* 10',E3* 5',433\r");
  WriteFile(work() / "Aircraft.txt", "\xEF\xBB\xBF" "; jets\rAC#2,420,\"Jet\"\r");
  const std::string plans =
      "\xEF\xBB\xBF; two plans\r"
      "AC#2,N1,50%,24Hr,IFR,01:00:00,,350,F,100,BBB,02:00,,120,R,7,AAAA\r"
      "AC#2,N2,50%,24Hr,IFR,03:00:00,,350,F,100,BBB,04:00,,120,R,7,AAAA\r";
  WriteFile(work() / "FlightPlans.txt", plans);
  const Result r = Compile();
  ASSERT_EQ(r.exit, 0) << r.out;
  EXPECT_NE(r.out.find("Parsing FlightPlans.txt now...\n  Flight plans 2\n"), std::string::npos) << r.out;
  EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"),
            "\xEF\xBB\xBF; two plans\r"
            "AC#2,N1,50%,24Hr,IFR,01:00:00,01:34:17,350,F,100,BBB,02:00,02:34,120,R,7,AAAA\r"
            "AC#2,N2,50%,24Hr,IFR,03:00:00,03:34:17,350,F,100,BBB,04:00,04:34,120,R,7,AAAA\r");
}

TEST_F(HostileRuns, RunsAtTheSameTimeTakeTurns) {
  // Two plans of their own folders, each many flights long, so that runs
  // started together overlap.
  std::string plans[2];
  for (int w = 0; w < 2; ++w) {
    for (int k = 0; k < 3000; ++k)
      plans[w] += "AC#2,N" + std::to_string(k) + ",50%,24Hr,IFR,01:00:00,,350,F,100,BBB,02:00,,120,R,7,AAAA\r\n";
    WriteFile(dir_ / ("w" + std::to_string(w)) / "Airports.txt", kAirports);
    WriteFile(dir_ / ("w" + std::to_string(w)) / "Aircraft.txt", w ? "AC#2,300,\"Prop\"\r\n" : kAircraft);
    WriteFile(dir_ / ("w" + std::to_string(w)) / "FlightPlans.txt", plans[w]);
  }
  std::string alone[2];
  for (int w = 0; w < 2; ++w) {
    ASSERT_EQ(RunBuilt("orvane", dir_ / ("w" + std::to_string(w))).exit, 0);
    alone[w] = *ReadFile(scenery() / "traffic.bgl");
  }
  ASSERT_NE(alone[0], alone[1]);
  for (int round = 0; round < 3; ++round) {
    fs::remove(scenery() / "traffic_ORIGINAL.bbb");
    WriteFile(scenery() / "traffic.bgl", kUsersDatabase);
    EXPECT_TRUE(RunBuiltTogether("orvane", [&](int i) {
      return std::make_pair(dir_ / ("w" + std::to_string(i % 2)), sim());
    })) << "round " << round;
    const auto database = ReadFile(scenery() / "traffic.bgl");
    EXPECT_TRUE(database == alone[0] || database == alone[1]) << "round " << round;
    EXPECT_EQ(ReadFile(scenery() / "traffic_ORIGINAL.bbb"), kUsersDatabase);
    EXPECT_EQ(Names(scenery()), (std::vector<std::string>{"traffic.bgl", "traffic_ORIGINAL.bbb"}));
  }
}

TEST_F(HostileRuns, PipesDevicesAndFoldersAreNoDatabases) {
  fs::remove(scenery() / "traffic.bgl");
  ASSERT_EQ(::mkfifo((scenery() / "traffic.bgl").c_str(), 0644), 0);
  Result r = RunBuilt("ulvane", work());
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("ERROR: Unable to find or open file " + (scenery() / "traffic.bgl").string()),
            std::string::npos)
      << r.out;
  // The first compile would keep it as the backup: it cannot.
  r = RunBuilt("orvane", work());
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("ERROR: Unable to find or open file " + (scenery() / "traffic.bgl").string()),
            std::string::npos)
      << r.out;
  EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"), kPlans);
  EXPECT_FALSE(fs::exists(scenery() / "traffic_ORIGINAL.bbb"));

  fs::remove(scenery() / "traffic.bgl");
  fs::create_symlink("/dev/zero", scenery() / "traffic.bgl");
  r = RunBuilt("ulvane", work());
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("ERROR: Unable to find or open file"), std::string::npos) << r.out;
  // With a backup in place the device is not replaced through the link.
  WriteFile(scenery() / "traffic_ORIGINAL.bbb", kUsersDatabase);
  r = RunBuilt("orvane", work());
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("ERROR: Unable to delete old traffic file"), std::string::npos) << r.out;
  EXPECT_EQ(Names(work()), (std::vector<std::string>{"Aircraft.txt", "Airports.txt", "FlightPlans.txt"}));
}

TEST_F(HostileRuns, AFileWithoutTheDatabaseHeaderIsUnreadable) {
  for (const std::size_t size : {std::size_t{252}, std::size_t{1} << 20}) {
    WriteFile(scenery() / "traffic.bgl", std::string(size, '\0'));
    WriteFile(work() / "Airports.txt", "old\r\n");
    const Result r = Decompile(work());
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.out.find("\nERROR: Unable to read from file "), std::string::npos) << r.out;
    EXPECT_EQ(ReadFile(work() / "Airports.txt"), "old\r\n");
    EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"), kPlans);
  }
}

TEST_F(HostileRuns, DecompiledFilesWithoutHardLinksAreAllThreeOrNone) {
  WriteFile(scenery() / "traffic.bgl", ulvane::test::SampleDatabase());
  // No hard links on this "file system", and the last of the three renames
  // fails: the first two get their old files back from the copies.
  SetFileStepHook([](std::string_view step, const fs::path& path) {
    return step == "link" || (step == "rename" && path.filename() == "FlightPlans.txt");
  });
  const Result r = Decompile(work());
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("\nERROR: Unable to create file FlightPlans.txt\n"), std::string::npos) << r.out;
  EXPECT_EQ(ReadFile(work() / "Airports.txt"), kAirports);
  EXPECT_EQ(ReadFile(work() / "Aircraft.txt"), kAircraft);
  EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"), kPlans);
  EXPECT_EQ(Names(work()), (std::vector<std::string>{"Aircraft.txt", "Airports.txt", "FlightPlans.txt"}));
  // And when nothing fails, all three are new, with no copies left.
  SetFileStepHook([](std::string_view step, const fs::path&) { return step == "link"; });
  EXPECT_EQ(Decompile(work()).exit, 0);
  EXPECT_EQ(ReadFile(work() / "Airports.txt"), ulvane::test::kSampleAirports);
  EXPECT_EQ(Names(work()), (std::vector<std::string>{"Aircraft.txt", "Airports.txt", "FlightPlans.txt"}));
}

TEST_F(HostileRuns, AKilledDecompileIsMadeWholeByTheNextRunWithoutCostingAChange) {
  // Other programs' temporaries of the texts' names, and a folder of such a
  // name: they stay.
  const std::vector<std::string> strangers = {".Airports.txt.Ab12Cd", ".Aircraft.txt.Ab12Cd.old",
                                              ".FlightPlans.txt.velk-Ab12Cd", ".ulvane-set-Ab12Cd12-2"};
  auto prepare = [&] {
    Reset();
    WriteFile(scenery() / "traffic.bgl", ulvane::test::SampleDatabase());
    for (const std::string& name : strangers) WriteFile(work() / name, "mine");
    fs::create_directories(work() / ".ulvane-set-Ab12Cd12-1");
    // Made before any journal of the run, on the clock too: a stranger of
    // the journal's time would count as a file of its run.
    velk::test::WaitForLaterFileTime(work() / ".ulvane-set-Ab12Cd12-1");
  };
  std::vector<std::string> names = strangers;
  names.insert(names.end(), {".ulvane-set-Ab12Cd12-1", "Aircraft.txt", "Airports.txt", "FlightPlans.txt"});
  std::sort(names.begin(), names.end());
  auto set = [&] {
    return std::vector<std::optional<std::string>>{ReadFile(work() / "Airports.txt"),
                                                  ReadFile(work() / "Aircraft.txt"),
                                                  ReadFile(work() / "FlightPlans.txt")};
  };
  const std::vector<std::optional<std::string>> old_set = {kAirports, kAircraft, kPlans};
  const std::vector<std::optional<std::string>> new_set = {
      ulvane::test::kSampleAirports, ulvane::test::kSampleAircraft, ulvane::test::kSamplePlans};
  const std::string users = "AC#9,300,\"The user's own\"\r\n";

  // Killed at every file step, with hard links and with copies in their
  // place. The next run (which finds no database to decompile) leaves the
  // old files or the new ones, all three, and nothing of the killed run's;
  // the new ones once they were all written whole. When the user changed
  // Aircraft.txt after the kill, that change is never undone.
  for (const bool no_links : {false, true}) {
    g_no_links = no_links;
    prepare();
    UseHook(Act::kRecord, -1);
    ASSERT_EQ(Decompile(work()).exit, 0);
    const std::vector<std::string> steps = g_steps;
    int finished = 0;
    for (int i = 0; i < static_cast<int>(steps.size()); ++i) {
      for (const bool user_edits : {false, true}) {
        const std::string when = "killed at " + steps[static_cast<std::size_t>(i)] + (no_links ? ", no links" : "") +
                                 (user_edits ? ", then Aircraft.txt edited" : "");
        prepare();
        UseHook(Act::kKill, i);
        ASSERT_TRUE(DecompileInChild()) << when;
        SetFileStepHook(nullptr);
        const bool mixed = set() != old_set && set() != new_set;
        if (user_edits) WriteFile(work() / "Aircraft.txt", users);
        fs::remove(scenery() / "traffic.bgl");
        const Result r = Decompile(work());
        EXPECT_EQ(r.exit, 1) << when;
        if (user_edits) {
          EXPECT_EQ(ReadFile(work() / "Aircraft.txt"), users) << when << "\n" << r.out;
          continue;
        }
        EXPECT_TRUE(set() == old_set || set() == new_set) << when << "\n" << r.out;
        EXPECT_EQ(Names(work()), names) << when;
        if (mixed) {
          ++finished;
          EXPECT_EQ(set(), new_set) << when;
          // The stranger named like a file of a run is told as one, and stays.
          EXPECT_NE(r.out.find("\nFinished replacing Airports.txt, Aircraft.txt and FlightPlans.txt, which an "
                               "interrupted run of ulvane had left half done. A file of another run of ulvane was "
                               "left as it is: '" + work().string() + "/.ulvane-set-Ab12Cd12-2' holds a new "
                               "Aircraft.txt of 4 bytes.\n"),
                    std::string::npos)
              << when << "\n" << r.out;
        }
      }
    }
    // Between the three renames: at the look at the next target, and at its
    // rename.
    EXPECT_EQ(finished, 4) << "kills between the three renames";
  }

  // Killed between the renames, then the user changes a file that is
  // already new: nothing is put back, and the next run says where the
  // earlier files are.
  g_no_links = false;
  prepare();
  UseHook(Act::kRecord, -1);
  ASSERT_EQ(Decompile(work()).exit, 0);
  const auto last_rename = std::find(g_steps.rbegin(), g_steps.rend(), "rename FlightPlans.txt");
  ASSERT_NE(last_rename, g_steps.rend());
  prepare();
  UseHook(Act::kKill, static_cast<int>(g_steps.rend() - last_rename) - 1);
  ASSERT_TRUE(DecompileInChild());
  SetFileStepHook(nullptr);
  WriteFile(work() / "Aircraft.txt", users);
  fs::remove(scenery() / "traffic.bgl");
  Result r = Decompile(work());
  EXPECT_EQ(ReadFile(work() / "Aircraft.txt"), users);
  EXPECT_EQ(ReadFile(work() / "Airports.txt"), ulvane::test::kSampleAirports);
  EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"), kPlans);
  EXPECT_NE(r.out.find("\nAircraft.txt changed after an interrupted run of ulvane had begun to replace Airports.txt, "
                       "Aircraft.txt and FlightPlans.txt: nothing was put back; check Airports.txt, Aircraft.txt "
                       "and FlightPlans.txt; the earlier files are kept as .ulvane-set-"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("the journal is kept as .ulvane.journal.aside. A file of another run"), std::string::npos)
      << r.out;
  // The journal set aside is never tried again, and its files stay; orvane
  // compiles nothing from the folder until the user has checked it.
  const std::vector<std::string> kept = Names(work());
  r = Decompile(work());
  EXPECT_EQ(r.out.find("ulvane had"), std::string::npos) << r.out;
  EXPECT_EQ(Names(work()), kept);
  WriteFile(scenery() / "traffic.bgl", kUsersDatabase);
  r = Compile();
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("\nERROR: An interrupted run of ulvane left Airports.txt, Aircraft.txt and FlightPlans.txt in "
                       "the folder '" + work().string() + "' half replaced. Now:\n"
                       "Airports.txt holds the new file; its earlier file is kept as '" + work().string() +
                       "/.ulvane-set-"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(ReadFile(scenery() / "traffic.bgl"), kUsersDatabase);
  fs::remove(work() / ".ulvane.journal.aside");
  EXPECT_EQ(Compile().out.find(".journal.aside"), std::string::npos);
}

// The line of the next run is true of every file it names: of a text that
// the user renamed away after ulvane was killed at its first or second
// link, and of the files of an earlier run whose journal the user deleted
// before a second run was killed, which it leaves as they are.
TEST_F(HostileRuns, TheLineAfterAKilledDecompileIsTrueOfEveryFileItNames) {
  auto prepare = [&] {
    Reset();
    WriteFile(scenery() / "traffic.bgl", ulvane::test::SampleDatabase());
  };
  prepare();
  UseHook(Act::kRecord, -1);
  ASSERT_EQ(Decompile(work()).exit, 0);
  const std::vector<std::string> steps = g_steps;
  // A run killed at its nth step that begins with `step`.
  auto killedAt = [&](const std::string& step, int nth) {
    for (size_t i = 0; i < steps.size(); ++i) {
      if (!steps[i].starts_with(step) || --nth > 0) continue;
      UseHook(Act::kKill, static_cast<int>(i));
      const bool killed = DecompileInChild();
      SetFileStepHook(nullptr);
      return killed;
    }
    return false;
  };
  // Without a database the next run does nothing but the recovery.
  auto recover = [&] {
    fs::remove(scenery() / "traffic.bgl");
    return Decompile(work()).out;
  };
  for (const int nth : {1, 2}) {
    prepare();
    ASSERT_TRUE(killedAt("link ", nth)) << nth;
    fs::rename(work() / "Aircraft.txt", work() / "Aircraft mine.txt");
    const std::string out = recover();
    EXPECT_NE(out.find("\nRemoved what an interrupted run of ulvane left; Airports.txt and FlightPlans.txt are as "
                       "before; Aircraft.txt is not there: it was removed since the run.\n"),
              std::string::npos)
        << nth << "\n" << out;
    EXPECT_EQ(Names(work()), (std::vector<std::string>{"Aircraft mine.txt", "Airports.txt", "FlightPlans.txt"}));
    EXPECT_EQ(ReadFile(work() / "Aircraft mine.txt"), kAircraft);
  }
  // Killed between its renames, its journal deleted by hand, then a second
  // run killed at its first link: the first run's files, one of them the
  // only copy of the earlier Airports.txt, are named and stay.
  prepare();
  ASSERT_TRUE(killedAt("rename Aircraft.txt", 1));
  fs::remove(work() / ".ulvane.journal");
  std::vector<std::string> left = Names(work());
  std::string held;
  for (const std::string& n : left) {
    if (!n.starts_with(".ulvane-set-")) continue;
    const std::string target = n.find("-1of3-") != std::string::npos   ? "Airports.txt"
                               : n.find("-2of3-") != std::string::npos ? "Aircraft.txt"
                                                                       : "FlightPlans.txt";
    held += (held.empty() ? "'" : "; '") + (work() / n).string() + "' holds " +
            (n.ends_with(".old") ? "an earlier " : "a new ") + target + " of " +
            std::to_string(fs::file_size(work() / n)) + " bytes";
  }
  ASSERT_EQ(left.size(), 8u);
  ASSERT_TRUE(killedAt("link ", 1));
  const std::string out = recover();
  EXPECT_NE(out.find("\nRemoved what an interrupted run of ulvane left; Airports.txt, Aircraft.txt and "
                     "FlightPlans.txt are as before. Files of another run of ulvane were left as they are: " +
                     held + ".\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(Names(work()), left);
}

TEST_F(HostileRuns, DecompilesOfTwoSimulatorsIntoOneFolderTakeTurns) {
  // A second simulator with another database: the plan compiled.
  ASSERT_EQ(Compile("/na").exit, 0);
  const fs::path other = dir_ / "other";
  WriteFile(other / "SCENEDB/ATC/Scenery/traffic.bgl", *ReadFile(scenery() / "traffic.bgl"));
  WriteFile(scenery() / "traffic.bgl", ulvane::test::SampleDatabase());
  std::vector<std::optional<std::string>> sets[2];
  for (int s = 0; s < 2; ++s) {
    ASSERT_EQ(RunBuilt("ulvane", work(), s ? other : sim()).exit, 0);
    for (const char* name : {"Airports.txt", "Aircraft.txt", "FlightPlans.txt"}) sets[s].push_back(ReadFile(work() / name));
  }
  ASSERT_NE(sets[0], sets[1]);
  for (int round = 0; round < 3; ++round) {
    EXPECT_TRUE(RunBuiltTogether("ulvane", [&](int i) { return std::make_pair(work(), i % 2 ? other : sim()); }))
        << "round " << round;
    std::vector<std::optional<std::string>> now;
    for (const char* name : {"Airports.txt", "Aircraft.txt", "FlightPlans.txt"}) now.push_back(ReadFile(work() / name));
    EXPECT_TRUE(now == sets[0] || now == sets[1]) << "round " << round;
    EXPECT_EQ(Names(work()), (std::vector<std::string>{"Aircraft.txt", "Airports.txt", "FlightPlans.txt"}));
  }
}

TEST_F(HostileRuns, ALinkThatLoopsIsNoFileToReplace) {
  // traffic.bgl a link to itself: refused with and without a backup, and
  // the link stays.
  const fs::path database = scenery() / "traffic.bgl";
  fs::remove(database);
  fs::create_symlink("traffic.bgl", database);
  Result r = RunBuilt("orvane", work());
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("\nERROR: Unable to find or open file " + database.string() + "\n"), std::string::npos)
      << r.out;
  WriteFile(scenery() / "traffic_ORIGINAL.bbb", kUsersDatabase);
  r = RunBuilt("orvane", work());
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("\nERROR: Unable to delete old traffic file\n" + database.string() + "\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(fs::read_symlink(database), "traffic.bgl");
  EXPECT_EQ(ReadFile(scenery() / "traffic_ORIGINAL.bbb"), kUsersDatabase);
  EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"), kPlans);
  // ulvane reads no database through it, nor writes a text file over one.
  r = RunBuilt("ulvane", work());
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("\nERROR: Unable to find or open file " + database.string() + "\n"), std::string::npos)
      << r.out;
  fs::remove(database);
  WriteFile(database, ulvane::test::SampleDatabase());
  fs::remove(work() / "Aircraft.txt");
  fs::create_symlink("Aircraft.txt", work() / "Aircraft.txt");
  r = RunBuilt("ulvane", work());
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("\nERROR: Unable to create file Aircraft.txt\n"), std::string::npos) << r.out;
  EXPECT_EQ(fs::read_symlink(work() / "Aircraft.txt"), "Aircraft.txt");
  EXPECT_EQ(ReadFile(work() / "Airports.txt"), kAirports);
  EXPECT_EQ(Names(work()), (std::vector<std::string>{"Aircraft.txt", "Airports.txt", "FlightPlans.txt"}));
}

TEST_F(HostileRuns, DecompiledFilesGoThroughLinks) {
  WriteFile(scenery() / "traffic.bgl", ulvane::test::SampleDatabase());
  WriteFile(dir_ / "texts/a.txt", "old\r\n");
  fs::remove(work() / "Airports.txt");
  fs::create_symlink("../texts/a.txt", work() / "Airports.txt");
  ASSERT_EQ(Decompile(work()).exit, 0);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(work() / "Airports.txt")));
  EXPECT_EQ(ReadFile(dir_ / "texts/a.txt"), ulvane::test::kSampleAirports);
}

TEST_F(HostileRuns, NoLinkOfAnotherUsersIsWrittenThrough) {
  // Each name the tools write, a link to a file in another folder (the
  // backup's not there yet): another user's is refused before anything is
  // written, the user's own is written through.
  struct Row {
    std::string tool;
    fs::path folder;
    std::string name;
    std::optional<std::string> before;
    std::string error;
  };
  const Row rows[] = {
      {"orvane", scenery(), "traffic.bgl", kUsersDatabase, "\nERROR: Unable to delete old traffic file\n"},
      {"orvane", scenery(), "traffic_ORIGINAL.bbb", std::nullopt,
       "\nERROR: Unable to create file " + (scenery() / "traffic_ORIGINAL.bbb").string() + "\n"},
      {"orvane", work(), "FlightPlans.txt", kPlans, "\nERROR: Unable to create file FlightPlans.txt\n"},
      {"ulvane", work(), "Airports.txt", kAirports, "\nERROR: Unable to create file Airports.txt\n"},
      {"ulvane", work(), "Aircraft.txt", kAircraft, "\nERROR: Unable to create file Aircraft.txt\n"},
      {"ulvane", work(), "FlightPlans.txt", kPlans, "\nERROR: Unable to create file FlightPlans.txt\n"},
  };
  const bool root = ::geteuid() == 0;
  const fs::path elsewhere = dir_ / "elsewhere";
  for (const Row& row : rows) {
    for (const bool others : {true, false}) {
      if (others && !root) continue;
      const std::string when = row.name + (others ? ", another user's link" : ", the user's own link");
      Reset();
      if (row.tool == "ulvane") {
        WriteFile(scenery() / "traffic.bgl", ulvane::test::SampleDatabase());
      }
      fs::remove_all(elsewhere);
      fs::create_directories(elsewhere);
      if (row.before) WriteFile(elsewhere / row.name, *row.before);
      const fs::path link = row.folder / row.name;
      fs::remove(link);
      fs::create_symlink(elsewhere / row.name, link);
      if (others) {
        ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
      }
      const Result r = row.tool == "orvane" ? Compile() : Decompile(work());
      EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link))) << when;
      if (!others) {
        EXPECT_EQ(r.exit, 0) << when << "\n" << r.out;
        EXPECT_NE(ReadFile(elsewhere / row.name), row.before) << when;
        continue;
      }
      EXPECT_EQ(r.exit, 1) << when;
      EXPECT_NE(r.out.find(row.error), std::string::npos) << when << "\n" << r.out;
      EXPECT_NE(r.out.find("the symbolic link '" + link.string() + "' belongs to the user "), std::string::npos)
          << when << "\n" << r.out;
      EXPECT_EQ(ReadFile(elsewhere / row.name), row.before) << when;
      EXPECT_EQ(Names(elsewhere).size(), row.before ? 1u : 0u) << when;
      EXPECT_EQ(ReadFile(work() / "Airports.txt"), kAirports) << when;
      EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"), kPlans) << when;
      if (row.folder == scenery()) {
        EXPECT_EQ(ReadFile(scenery() / "traffic.bgl"), kUsersDatabase) << when;
      }
    }
  }
  if (!root) GTEST_SKIP() << "only the superuser can give a link to another user";
}

TEST_F(HostileRuns, RunsWhosePlansLinkIntoEachOthersTrafficFolderBothFinish) {
  const fs::path sims[2] = {dir_ / "sim0", dir_ / "sim1"};
  for (int i = 0; i < 2; ++i) {
    const fs::path own = dir_ / ("w" + std::to_string(i));
    WriteFile(sims[i] / "SCENEDB/ATC/Scenery/traffic.bgl", kUsersDatabase);
    WriteFile(own / "Airports.txt", kAirports);
    WriteFile(own / "Aircraft.txt", kAircraft);
    const fs::path plan = sims[1 - i] / "SCENEDB/ATC/Scenery" / ("plan" + std::to_string(i) + ".txt");
    WriteFile(plan, kPlans);
    fs::create_symlink(plan, own / "FlightPlans.txt");
  }
  pid_t runs[2];
  for (int i = 0; i < 2; ++i) {
    std::fflush(nullptr);
    runs[i] = ::fork();
    if (runs[i] == 0) {
      const int null = ::open("/dev/null", O_RDWR);
      ::dup2(null, 0);
      ::dup2(null, 1);
      if (::chdir((dir_ / ("w" + std::to_string(i))).c_str()) != 0) ::_exit(126);
      ::setenv("VELK_FS_PATH", sims[i].c_str(), 1);
      g_marks = dir_.path();
      g_me = "mark" + std::to_string(i);
      g_other = "mark" + std::to_string(1 - i);
      SetFileStepHook(HoldEachOthersOrder);
      const char* argv[] = {"orvane", "/np"};
      ::_exit(CompilerMain(2, argv));
    }
  }
  // Runs that held each other would wait for ever: they are ended instead.
  bool done[2] = {false, false};
  int status[2] = {0, 0};
  for (int tick = 0; tick < 600 && !(done[0] && done[1]); ++tick) {
    for (int i = 0; i < 2; ++i) done[i] = done[i] || ::waitpid(runs[i], &status[i], WNOHANG) == runs[i];
    ::usleep(50000);
  }
  for (int i = 0; i < 2; ++i) {
    if (!done[i]) {
      ::kill(runs[i], SIGKILL);
      ::waitpid(runs[i], nullptr, 0);
    }
    EXPECT_TRUE(done[i] && WIFEXITED(status[i]) && WEXITSTATUS(status[i]) == 0) << "run " << i;
    EXPECT_EQ(ReadFile(sims[i] / "SCENEDB/ATC/Scenery/traffic_ORIGINAL.bbb"), kUsersDatabase) << "run " << i;
  }
}

TEST_F(HostileRuns, AFolderThatCouldNotBeOpenedOnceIsCompiledFromByTheNextRun) {
  // ulvane killed between its renames leaves the texts half replaced.
  for (const std::string step : {"open", "stat"}) {
    Reset();
    WriteFile(scenery() / "traffic.bgl", ulvane::test::SampleDatabase());
    UseHook(Act::kRecord, -1);
    ASSERT_EQ(Decompile(work()).exit, 0);
    const auto last_rename = std::find(g_steps.rbegin(), g_steps.rend(), "rename FlightPlans.txt");
    ASSERT_NE(last_rename, g_steps.rend());
    Reset();
    WriteFile(scenery() / "traffic.bgl", ulvane::test::SampleDatabase());
    UseHook(Act::kKill, static_cast<int>(g_steps.rend() - last_rename) - 1);
    ASSERT_TRUE(DecompileInChild());
    // orvane that cannot open or look at the folder once compiles nothing ...
    g_fail_once = step;
    SetFileStepHook(FailOnce);
    Result r = Compile();
    EXPECT_EQ(r.exit, 1) << step << "\n" << r.out;
    EXPECT_TRUE(g_fail_once.empty()) << step;
    EXPECT_EQ(r.out.find("Generating"), std::string::npos) << step << "\n" << r.out;
    EXPECT_EQ(ReadFile(scenery() / "traffic.bgl"), ulvane::test::SampleDatabase()) << step;
    EXPECT_FALSE(fs::exists(scenery() / "traffic_ORIGINAL.bbb")) << step;
    // ... and the next run finishes the set and compiles it.
    SetFileStepHook(nullptr);
    r = Compile();
    EXPECT_EQ(r.exit, 0) << step << "\n" << r.out;
    EXPECT_NE(r.out.find("interrupted run of ulvane had left half done"), std::string::npos) << step << "\n" << r.out;
    EXPECT_EQ(ReadFile(work() / "Aircraft.txt"), ulvane::test::kSampleAircraft) << step;
    EXPECT_EQ(ReadFile(scenery() / "traffic_ORIGINAL.bbb"), ulvane::test::SampleDatabase()) << step;
  }
}

}  // namespace
}  // namespace traffic
