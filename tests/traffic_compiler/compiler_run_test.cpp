#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using velk::test::ReadFile;
using velk::test::TempDir;
using velk::test::ToolsDir;
using velk::test::WriteFile;

const char* kAirports = "AAAA,N0* 10',E0* 50',0\r\nBBB,N0* 10',E1* 5',433\r\n";
const char* kAircraft = "AC#2,420,\"Jet\"\r\n";
const char* kPlans = "AC#2,N1,50%,24Hr,IFR,01:00:00,x,350,F,100,BBB,02:00,,120,R,7,AAAA\r\n";
const char* kPrompt = "Press ENTER key to finish...";

// A fake simulator with its traffic folder, and a work folder with a plan.
class CompilerRun : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(scenery());
    WriteFile(dir_ / "work/Airports.txt", kAirports);
    WriteFile(dir_ / "work/Aircraft.txt", kAircraft);
    WriteFile(dir_ / "work/FlightPlans.txt", kPlans);
  }
  fs::path scenery() const { return dir_ / "sim/SCENEDB/ATC/Scenery"; }
  fs::path work() const { return dir_ / "work"; }

  struct Result {
    int exit = -1;
    std::string out;
  };
  // Runs the built program in the work folder with stdin from a pipe.
  Result Run(const std::string& args, const std::string& sim = "") {
    const std::string sim_path = sim.empty() ? (dir_ / "sim").string() : sim;
    const std::string cmd = "cd '" + work().string() + "' && printf '\\n' | VELK_FS_PATH='" + sim_path +
                            "' '" + (ToolsDir() / "orvane").string() + "' " + args + " > '" +
                            (dir_ / "out.txt").string() + "' 2>&1";
    const int status = std::system(cmd.c_str());
    Result r;
    r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadFile(dir_ / "out.txt").value_or("");
    return r;
  }
  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
  }

  TempDir dir_;
};

TEST_F(CompilerRun, FirstCompileMakesNoBackupTheSecondKeepsTheFirstDatabase) {
  Result r = Run("/np");
  ASSERT_EQ(r.exit, 0) << r.out;
  EXPECT_TRUE(fs::exists(scenery() / "traffic.bgl"));
  EXPECT_FALSE(fs::exists(scenery() / "traffic_ORIGINAL.bbb"));
  EXPECT_FALSE(fs::exists(scenery() / "traffic_TEMP.bgl"));
  const std::string first = *ReadFile(scenery() / "traffic.bgl");
  EXPECT_EQ(*ReadFile(work() / "FlightPlans.txt"),
            "AC#2,N1,50%,24Hr,IFR,01:00:00,01:17:08,350,F,100,BBB,02:00,02:17,120,R,7,AAAA\r\n");
  EXPECT_FALSE(fs::exists(work() / "FlightPlansTemp.txt"));

  // The second compile keeps the first database as the backup ...
  WriteFile(work() / "Aircraft.txt", "AC#2,300,\"Jet\"\r\n");
  ASSERT_EQ(Run("/np").exit, 0);
  EXPECT_EQ(*ReadFile(scenery() / "traffic_ORIGINAL.bbb"), first);
  const std::string second = *ReadFile(scenery() / "traffic.bgl");
  EXPECT_NE(second, first);
  // ... and later compiles never touch it again.
  WriteFile(work() / "Aircraft.txt", "AC#2,200,\"Jet\"\r\n");
  ASSERT_EQ(Run("/np").exit, 0);
  EXPECT_EQ(*ReadFile(scenery() / "traffic_ORIGINAL.bbb"), first);
}

TEST_F(CompilerRun, ExistingDatabaseIsBackedUpOnce) {
  WriteFile(scenery() / "traffic.bgl", "the user's own database");
  ASSERT_EQ(Run("/np").exit, 0);
  EXPECT_EQ(ReadFile(scenery() / "traffic_ORIGINAL.bbb"), "the user's own database");
}

// An empty file holds no records, each of the three in turn (the bytes of
// an empty file may have no address, which the sanitizers' build catches).
TEST_F(CompilerRun, EmptyFilesHoldNoRecords) {
  for (const char* name : {"FlightPlans.txt", "Aircraft.txt", "Airports.txt"}) {
    WriteFile(work() / name, "");
    const Result r = Run("/np");
    EXPECT_EQ(r.exit, 0) << name << ":\n" << r.out;
    EXPECT_NE(r.out.find("Compile of traffic.bgl completed"), std::string::npos) << name;
    EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"), "") << name;
  }
}

TEST_F(CompilerRun, ConsoleTextOfASuccessfulRun) {
  Result r = Run("/NP /na");
  ASSERT_EQ(r.exit, 0);
  std::string shown;  // without the "\r" progress segments
  std::string segment;
  for (char c : r.out) {
    if (c == '\r') segment.clear();
    else if (c == '\n') shown += segment + "\n", segment.clear();
    else segment += c;
  }
  EXPECT_EQ(shown,
            "Compiler for FS2002 traffic.bgl file, version 1.3.3\n\n"
            "FS2002 located, compiling traffic.bgl file now...\n\n"
            "Parsing Airports.txt now...\n  Airports 2\n"
            "Parsing Aircraft.txt now...\n  Aircraft 1\n"
            "Parsing FlightPlans.txt now...\n  Flight plans 1\n"
            "Generating airport database now...\n  Airports 2\n"
            "Generating aircraft database now...\n  Aircraft 1\n"
            "Generating flight plan database now...\n  Flight plans 1\n"
            "Sectorizing flight plans now...\n  Flight plans 1\n"
            "Sorting sector bands now...\n\n"
            "Generating traffic sector database now...\n\n"
            "\nCompile of traffic.bgl completed\n\n");
  // "/na" leaves the plan byte for byte.
  EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"), kPlans);
}

TEST_F(CompilerRun, PromptFollowsTheSwitches) {
  struct Case {
    const char* args;
    bool fail;
    int prompts;
  };
  const Case cases[] = {
      {"", false, 1},          {"/np", false, 0},    {"/ep", false, 0},    {"/Ep", true, 1},
      {"/np /ep", false, 0},   {"/np /EP", true, 1}, {"/na", false, 1},    {"/np", true, 0},
      {"--np", false, 1},  // not a switch
  };
  for (const Case& c : cases) {
    WriteFile(work() / "Aircraft.txt", c.fail ? "AC#2,0,\"Jet\"\r\n" : kAircraft);
    Result r = Run(c.args);
    EXPECT_EQ(r.exit, c.fail ? 1 : 0) << c.args;
    EXPECT_EQ(Count(r.out, kPrompt), c.prompts) << c.args;
    if (c.prompts) {
      EXPECT_EQ(r.out.substr(r.out.size() - std::string(kPrompt).size()), kPrompt) << c.args;
    }
  }
}

TEST_F(CompilerRun, ErrorsLeaveTheOldDatabaseUntouched) {
  WriteFile(scenery() / "traffic.bgl", "old");
  // A parse error.
  WriteFile(work() / "FlightPlans.txt", "AC#2,N1,50%,24Hr,IFR,01:00:00,x,350,F,100,BBB\r\n");
  Result r = Run("/np");
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("There must be at least 2 flight plan legs"), std::string::npos);
  // An unknown airport, found while building.
  WriteFile(work() / "FlightPlans.txt", "AC#2,N1,50%,24Hr,IFR,01:00,,350,F,1,BBB,02:00,,1,F,1,CCCC\r\n");
  r = Run("/np");
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("\nERROR: A flight plan specifies the airport CCCC\n"), std::string::npos);
  EXPECT_EQ(ReadFile(scenery() / "traffic.bgl"), "old");
  EXPECT_FALSE(fs::exists(scenery() / "traffic_TEMP.bgl"));
  EXPECT_FALSE(fs::exists(scenery() / "traffic_ORIGINAL.bbb"));
  // The failed run does not touch the plan either.
  EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"),
            "AC#2,N1,50%,24Hr,IFR,01:00,,350,F,1,BBB,02:00,,1,F,1,CCCC\r\n");
}

TEST_F(CompilerRun, OutputThatCannotBeCreatedIsError2) {
  fs::remove_all(scenery());
  Result r = Run("/np");
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("\nERROR: Unable to open output file " + (scenery() / "traffic_TEMP.bgl").string() +
                       "\n\n"),
            std::string::npos);
  // Reported before any database work is done.
  EXPECT_EQ(r.out.find("Generating"), std::string::npos);
  EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"), kPlans);
}

TEST_F(CompilerRun, DatabaseThatCannotBeReplacedIsNotReportedAsSuccess) {
  // A folder where traffic.bgl should be: the replace fails.
  fs::create_directories(scenery() / "traffic.bgl" / "x");
  WriteFile(scenery() / "traffic_ORIGINAL.bbb", "backup");
  Result r = Run("/np");
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("\nERROR: Unable to delete old traffic file\n"), std::string::npos);
  EXPECT_EQ(r.out.find("Compile of traffic.bgl completed"), std::string::npos);
  // No write-back after a failed install.
  EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"), kPlans);
  EXPECT_EQ(ReadFile(scenery() / "traffic_ORIGINAL.bbb"), "backup");
}

TEST_F(CompilerRun, NoSimulatorIsError1) {
  Result r = Run("/np", (dir_ / "nowhere").string());
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.out,
            "Compiler for FS2002 traffic.bgl file, version 1.3.3\n\n"
            "ERROR: Unable to locate FS2002 in computer\n\n");
}

TEST_F(CompilerRun, HelpAndVersionChangeNothing) {
  Result r = Run("--help");
  EXPECT_EQ(r.exit, 0);
  EXPECT_NE(r.out.find("Usage: orvane"), std::string::npos);
  EXPECT_EQ(r.out.find(kPrompt), std::string::npos);
  r = Run("--version");
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(r.out.rfind("orvane ", 0), 0u);
  EXPECT_FALSE(fs::exists(scenery() / "traffic.bgl"));
  EXPECT_EQ(ReadFile(work() / "FlightPlans.txt"), kPlans);
}

}  // namespace
