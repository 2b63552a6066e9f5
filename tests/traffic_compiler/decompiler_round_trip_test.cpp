// The built programs together: a plan compiled by orvane, decompiled by
// ulvane and compiled again gives the same database, byte for byte.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace ulvane::test {
namespace {

namespace fs = std::filesystem;
using velk::test::ReadFile;
using velk::test::SourceDir;
using velk::test::TempDir;
using velk::test::ToolsDir;
using velk::test::WriteFile;

// Runs a built tool in `folder` with the simulator at `sim`, input closed and
// output discarded; returns its exit code, or -1 when it did not exit.
int RunTool(const std::string& tool, const fs::path& folder, const fs::path& sim) {
  const std::string program = (ToolsDir() / tool).string();
  pid_t pid = ::fork();
  if (pid == 0) {
    int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    if (::chdir(folder.c_str()) != 0) ::_exit(126);
    ::setenv("VELK_FS_PATH", sim.c_str(), 1);
    ::execl(program.c_str(), program.c_str(), "/np", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

fs::path MakeSimulator(const fs::path& root) {
  fs::create_directories(root / "SCENEDB" / "ATC" / "Scenery");
  return root;
}

std::optional<std::string> Database(const fs::path& sim) {
  return ReadFile(sim / "SCENEDB" / "ATC" / "Scenery" / "traffic.bgl");
}

// Decompiling loses a little: minutes come back to the nearest hundredth and
// times at the start of their 1/8192 step of the period. This plan keeps to
// values that survive that exactly (coordinates whose hundredths come back
// unchanged, elevations that come back to the same foot, times on whole
// steps), so that recompiling must reproduce every byte, sectors included.
const char kAirports[] =
    "; airports whose text survives decompiling\r\n"
    "KSEA, N47* 31.20', W122* 7.48', 433\r\n"
    "EGLL, N51* 29.03', W0* 2.97', 82\r\n"
    "ABC, S33* 50.40', E151* 5.25', 0\r\n"
    "EQ00, N0* 21.60', E5* 3.20', 0\r\n";
const char kAircraft[] =
    "AC#1,450,\"Test Jet\"\r\n"
    "AC#2,120,\"Small Prop\"\r\n";
const char kPlans[] =
    "AC#1,N123AB,50%,24Hr,IFR,06:00:00,,350,F,1234,EGLL,15:45,,360,F,1235,KSEA\r\n"
    "AC#2,DABCD,100%,12Hr,VFR,01:30,@03:00,045,R,0,ABC,07:30,,045,R,0,EQ00\r\n"
    "AC#1,WK1,1%,WEEK,IFR,2/04:30:00,,350,F,77,ABC,5/00:45:00,@6/21:22:30,370,F,78,EQ00,"
    "6/21:22:30,,010,R,0,KSEA\r\n";

TEST(DecompilerRoundTrip, RecompilingTheDecompiledPlanGivesTheSameDatabase) {
  for (const char* tool : {"orvane", "ulvane"})
    ASSERT_TRUE(fs::exists(ToolsDir() / tool)) << "built program missing: " << tool;

  TempDir root;
  const fs::path plan = root / "plan";
  WriteFile(plan / "Airports.txt", kAirports);
  WriteFile(plan / "Aircraft.txt", kAircraft);
  WriteFile(plan / "FlightPlans.txt", kPlans);
  const fs::path firstSim = MakeSimulator(root / "sim1");
  ASSERT_EQ(RunTool("orvane", plan, firstSim), 0);
  const auto first = Database(firstSim);
  ASSERT_TRUE(first.has_value());

  const fs::path decompiled = root / "decompiled";
  fs::create_directories(decompiled);
  ASSERT_EQ(RunTool("ulvane", decompiled, firstSim), 0);
  EXPECT_EQ(ReadFile(decompiled / "Airports.txt"),
            "ABC ,S33* 50.40',E151* 5.25',0\r\n"
            "EGLL,N51* 29.03',W0* 2.97',82\r\n"
            "EQ00,N0* 21.60',E5* 3.20',0\r\n"
            "KSEA,N47* 31.20',W122* 7.48',433\r\n");
  EXPECT_EQ(ReadFile(decompiled / "Aircraft.txt"), kAircraft);
  // Kept aside: compiling writes the arrival times back into the plan.
  const auto decompiledPlans = ReadFile(decompiled / "FlightPlans.txt");

  const fs::path secondSim = MakeSimulator(root / "sim2");
  ASSERT_EQ(RunTool("orvane", decompiled, secondSim), 0);
  const auto second = Database(secondSim);
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(second->size(), first->size());
  EXPECT_TRUE(*second == *first) << "the recompiled database differs";

  // And the second decompile reads back the very same text.
  const fs::path again = root / "again";
  fs::create_directories(again);
  ASSERT_EQ(RunTool("ulvane", again, secondSim), 0);
  for (const char* name : {"Airports.txt", "Aircraft.txt"})
    EXPECT_EQ(ReadFile(again / name), ReadFile(decompiled / name)) << name;
  EXPECT_EQ(ReadFile(again / "FlightPlans.txt"), decompiledPlans);
}

TEST(DecompilerRoundTrip, CoordinatesStayPutRoundAfterRound) {
  // The sample plan, north and south, east and west, compiled and decompiled
  // in its own folder five times: after the first decompile the airports
  // come back as the very same text every time.
  TempDir root;
  const fs::path plan = root / "plan";
  for (const char* name : {"Airports.txt", "Aircraft.txt", "FlightPlans.txt"})
    WriteFile(plan / name, *ReadFile(SourceDir() / "sample" / name));
  const fs::path sim = MakeSimulator(root / "sim");
  std::optional<std::string> first;
  for (int round = 1; round <= 5; ++round) {
    ASSERT_EQ(RunTool("orvane", plan, sim), 0) << "round " << round;
    ASSERT_EQ(RunTool("ulvane", plan, sim), 0) << "round " << round;
    const auto airports = ReadFile(plan / "Airports.txt");
    if (!first) first = airports;
    EXPECT_EQ(airports, first) << "round " << round;
  }
  // A south latitude and a west longitude among them, as they were written.
  EXPECT_NE(first->find("SBGR,S23* 26.13',W46* 28.38',"), std::string::npos) << *first;
}

}  // namespace
}  // namespace ulvane::test
