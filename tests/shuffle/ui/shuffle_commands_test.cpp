// The shuffle's commands over a fake main window: the messages they show,
// the files they leave, and that the window is free again afterwards.
#include "shuffle/ui/shuffle_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/scenery_airports.h"
#include "platform/message_box.h"
#include "platform/text_file.h"
#include "sample_scenery/sample_scenery.h"
#include "shuffle/shuffle_fixture.h"
#include "support/fake_plan_host.h"
#include "support/scripted_random.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::TempDir;

int CountLines(const fs::path& path) {
  auto bytes = test::ReadFile(path);
  return bytes ? static_cast<int>(SplitLines(*bytes).size()) : -1;
}

class GeneratorCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.programFolder = program.path();
    std::vector<sample::SampleAirport> airports = sample::SampleAirports();
    airports.resize(3);  // KBOS, KJFK, KLAX
    std::string error;
    ASSERT_TRUE(sample::WriteSceneryFiles(sim.path(), airports, &error)) << error;
  }
  void ExpectWindowFree() {
    EXPECT_EQ(host.busyDepth, 0);
    EXPECT_FALSE(host.ProgressLoaded());
  }

  TempDir sim;
  TempDir program;
  ScopedEnv fs_{"VELK_FS_PATH", sim.path().string()};
  ScriptedMessageBoxes boxes;
  test::FakePlanHost host;
};

TEST_F(GeneratorCommandsTest, EachGeneratorWritesItsFileAndSaysSo) {
  CreateNewAirportsFile(host);
  CreateNewAirlineConfig(host);
  host.plan.FlightplanPath = (program / "plan" / "FlightPlans.txt").string();
  fs::create_directories(program / "plan");
  host.plan.Flights = {test::MakeFlight("A", "IFR", {test::Leg("08:00:00", "100", "kjfk"),
                                                     test::Leg("10:00:00", "100", "KBOS"),
                                                     test::Leg("12:00:00", "100", "EDDF")})};
  CreateFlightplanAirportsFile(host);
  EXPECT_EQ(boxes.Prompts(), (std::vector<std::string>{"Successfully generated 'New Airports.txt'.",
                                                       "Successfully generated 'New VELK_AL.CFG'.",
                                                       "Successfully generated 'Flightplan Airports.txt'."}));
  EXPECT_EQ(boxes.Shown()[0].buttons, kMbIconInformation);
  EXPECT_EQ(boxes.Shown()[0].owner, &host.window);
  EXPECT_EQ(CountLines(program / "New Airports.txt"), 3);
  EXPECT_NE(test::ReadFile(program / "New VELK_AL.CFG")->find("[Country:North America/United States]\r\n"),
            std::string::npos);
  auto fp = test::ReadFile(program / "plan" / "Flightplan Airports.txt");
  ASSERT_TRUE(fp);
  EXPECT_EQ(SplitLines(*fp).size(), 2u);
  EXPECT_TRUE(fp->starts_with("KJFK,N40*"));
  EXPECT_EQ(host.busyFrames, 3);
  ExpectWindowFree();
}

TEST_F(GeneratorCommandsTest, NoSceneryAndUnwritableFilesAreReported) {
  // A file that cannot be replaced (a folder stands in its place): no
  // success message.
  fs::create_directory(program / "New Airports.txt");
  CreateNewAirportsFile(host);
  EXPECT_EQ(boxes.Prompts(),
            std::vector<std::string>{"Could not write file '" + (program / "New Airports.txt").string() + "'."});
  EXPECT_EQ(boxes.Shown()[0].buttons, kMbIconExclamation);
  ExpectWindowFree();

  // No scenery at all: the loader says why, then the generator; no file.
  boxes.Clear();
  TempDir emptySim;
  TempDir otherProgram;  // no scenery cache either
  host.programFolder = otherProgram.path();
  ScopedEnv noScenery("VELK_FS_PATH", emptySim.path().string());
  CreateNewAirlineConfig(host);
  ASSERT_FALSE(boxes.Prompts().empty());
  EXPECT_EQ(boxes.Prompts().back(), kNoSceneryMessage);
  EXPECT_EQ(boxes.Shown().back().buttons, kMbIconExclamation);
  EXPECT_FALSE(fs::exists(otherProgram / "New VELK_AL.CFG"));
  ExpectWindowFree();
}

TEST(AircraftTypesCommand, WritesTheTickedAircraftOnly) {
  TempDir program;
  ScriptedMessageBoxes boxes;
  test::FakePlanHost host;
  host.programFolder = program.path();
  AircraftTree tree(AircraftTreeKind::Shuffle);
  // No installed aircraft: said so, nothing written.
  CreateAircraftTypesFile(host, tree);
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{"No FS Aircraft detected."});
  EXPECT_FALSE(fs::exists(program / "New AircraftTypes.dat"));

  auto typed = [](const char* title, const char* model, const char* texture) {
    FSAircraft a = test::Installed(title, "", 6);
    a.ATCModel = model;
    a.Texture = texture;
    return a;
  };
  // Two variations share a title and so one leaf; "~" titles have none.
  host.plan.FSAircraftList = {typed("Jet", "B738", "blue"), typed("Other", "A320", ""), typed("JET", "B738", "red"),
                              typed("~Hidden", "B744", "")};
  for (size_t i = 0; i < host.plan.FSAircraftList.size(); ++i) {
    const FSAircraft& a = host.plan.FSAircraftList[i];
    if (a.Title[0] != '~') tree.AddAircraft(TreeGrouping::Classes, a.Title, "", "", "", a.Class, static_cast<int>(i));
  }
  tree.Node(tree.FindLeaf(LeafKey("Jet"))).Checked = true;
  boxes.Clear();
  CreateAircraftTypesFile(host, tree);
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{"Successfully generated 'New AircraftTypes.dat'."});
  auto text = test::ReadFile(program / "New AircraftTypes.dat");
  ASSERT_TRUE(text);
  std::vector<std::string_view> lines = SplitLines(*text);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[0].starts_with("B738.blue,Jet,420,"));
  EXPECT_TRUE(lines[1].starts_with("B738.red,JET,420,"));
  EXPECT_EQ(host.busyDepth, 0);
  EXPECT_FALSE(host.ProgressLoaded());

  // Nothing ticked: an empty file, and still a success.
  tree.Node(tree.FindLeaf(LeafKey("Jet"))).Checked = false;
  CreateAircraftTypesFile(host, tree);
  EXPECT_EQ(*test::ReadFile(program / "New AircraftTypes.dat"), "");
}

// The program's airline tables and scenery, kept aside while a test fills
// its own.
class ProgramShuffleState {
 public:
  ProgramShuffleState()
      : global_(GlobalRules()), regions_(RegionRules()), countries_(CountryRules()), states_(StateRules()),
        cities_(CityRules()), airports_(AirportRules()), scenery_(SceneryAirports()) {}
  ~ProgramShuffleState() {
    GlobalRules() = global_;
    RegionRules() = regions_;
    CountryRules() = countries_;
    StateRules() = states_;
    CityRules() = cities_;
    AirportRules() = airports_;
    SceneryAirports() = scenery_;
  }

 private:
  LocationRules global_;
  std::vector<LocationRules> regions_, countries_, states_, cities_, airports_;
  std::vector<SceneryAirport> scenery_;
};

class ShuffleCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Two German airports an airport section serves; the shuffle's own
    // world, moved into the program's tables and the fake window's plan.
    world.AddAirport("AAAA", 0, 0);
    world.AddAirport("BBBB", 0, 1);
    world.AddAircraft(test::Installed("Jet B", "BAir", 6));
    world.plan.Flights = {
        test::MakeFlight("R", "IFR", {test::Leg("08:00:00", "100", "BBBB"), test::Leg("10:00:00", "100", "AAAA")}),
        test::MakeFlight("R", "IFR", {test::Leg("08:00:00", "100", "BBBB"), test::Leg("10:00:00", "100", "CCCC")})};
    world.plan.FlightplanPath = (plans / "FlightPlans.txt").string();
    host.plan = world.plan;
    host.programFolder = plans.path();
    SceneryAirports() = {test::SceneryPlace("AAAA", "Europe", "Germany", "Hesse", "Frankfurt"),
                         test::SceneryPlace("BBBB", "Europe", "Germany", "Bavaria", "Munich")};
    GlobalRules() = test::Section("Global", {});
    RegionRules().clear();
    CountryRules().clear();
    StateRules().clear();
    CityRules().clear();
    AirportRules() = {test::Section("AAAA", {test::Share("BAir")})};
    options.OverwriteTailNumber = false;
    options.DebugEnabled = true;
  }

  ProgramShuffleState saved;
  test::ShuffleWorld world;  // keeps the level rules it sets until the end
  TempDir plans;
  ScriptedMessageBoxes boxes;
  test::FakePlanHost host;
  ShuffleOptions options;
  test::ScriptedRandom draws{{0.5, 0.5}};
};

TEST_F(ShuffleCommandTest, ARunLeavesBothLogsBesideThePlan) {
  host.Progress()->show();
  int removed = -1, assigned = -1;
  ASSERT_TRUE(ShuffleTraffic(host, options, removed, assigned));
  EXPECT_EQ(removed, 1);  // CCCC is not in the scenery
  EXPECT_EQ(assigned, 1);
  EXPECT_TRUE(boxes.Prompts().empty());
  EXPECT_EQ(host.plan.Flights[0].AircraftId, "AC#1");
  EXPECT_TRUE(host.plan.Flights[1].Removed);
  auto log = test::ReadFile(plans / "Shuffle.log");
  ASSERT_TRUE(log);
  EXPECT_NE(log->find("\r\nAC#1/R/IFR/AAAA/BBBB/100/100/60/60/AAAA\r\n\r\n"), std::string::npos);
  auto result = test::ReadFile(plans / "Shuffle Result.log");
  ASSERT_TRUE(result);
  EXPECT_NE(result->find("Airport: AAAA\r\nAirlines: 1\r\nTotal flights: 1\r\n"), std::string::npos);
  EXPECT_EQ(host.Progress()->Caption().toStdString(), "Cleaning Cache...");

  // Debug off: no log is touched.
  fs::remove(plans / "Shuffle.log");
  options.DebugEnabled = false;
  host.plan = world.plan;
  test::ScriptedRandom again({0.5, 0.5});
  ASSERT_TRUE(ShuffleTraffic(host, options, removed, assigned));
  EXPECT_FALSE(fs::exists(plans / "Shuffle.log"));
}

TEST_F(ShuffleCommandTest, AnErrorStopsTheRunWithItsFlightAndKeepsTheTrace) {
  host.plan.Flights[1].Legs[0].FlightLevel = "1O0";
  int removed = -1, assigned = -1;
  EXPECT_FALSE(ShuffleTraffic(host, options, removed, assigned));
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{"Error (Flight 2):\r\nFlight level '1O0' is not a number."});
  EXPECT_EQ(boxes.Shown()[0].buttons, kMbIconCritical);
  EXPECT_EQ(removed, 0);
  EXPECT_EQ(assigned, 0);
  EXPECT_TRUE(fs::exists(plans / "Shuffle.log"));
  EXPECT_FALSE(fs::exists(plans / "Shuffle Result.log"));
}

TEST_F(ShuffleCommandTest, WithoutSceneryNothingChangesAndALostLogIsReported) {
  SceneryAirports().clear();
  TempDir emptySim;
  ScopedEnv noScenery("VELK_FS_PATH", emptySim.path().string());
  int removed = -1, assigned = -1;
  EXPECT_FALSE(ShuffleTraffic(host, options, removed, assigned));
  EXPECT_EQ(boxes.Prompts().back(), kNoSceneryMessage);
  EXPECT_EQ(host.plan.Flights, world.plan.Flights);
  EXPECT_FALSE(fs::exists(plans / "Shuffle.log"));

  // A log that cannot be written is reported; the run itself stands.
  boxes.Clear();
  SceneryAirports() = {test::SceneryPlace("AAAA", "Europe", "Germany", "Hesse", "Frankfurt"),
                       test::SceneryPlace("BBBB", "Europe", "Germany", "Bavaria", "Munich")};
  fs::create_directory(plans / "Shuffle.log");
  EXPECT_TRUE(ShuffleTraffic(host, options, removed, assigned));
  EXPECT_EQ(boxes.Prompts(),
            std::vector<std::string>{"Could not write file '" + (plans / "Shuffle.log").string() + "'."});
  EXPECT_TRUE(fs::exists(plans / "Shuffle Result.log"));
}

}  // namespace
}  // namespace velk
