// A shuffle of the bundled sample plan with the shipped configuration files
// against the sample simulator: every flight gets an installed aircraft of
// an airline its place lists, within every limit of its airports and legs.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "data/aircraft_airport_files.h"
#include "data/airline_config.h"
#include "data/config_files.h"
#include "data/flight_levels.h"
#include "data/flight_plan_file.h"
#include "data/installed_aircraft.h"
#include "data/scenery_airports.h"
#include "platform/message_box.h"
#include "platform/text_file.h"
#include "sample_sim/sample_sim.h"
#include "sample_scenery/sample_scenery.h"
#include "shuffle/shuffle_engine.h"
#include "shuffle/shuffle_logs.h"
#include "support/plan_guard.h"
#include "support/test_support.h"

namespace velk {
namespace {

TEST(SampleShuffle, EveryFlightGetsAnAircraftOfAnAirlineOfItsPlace) {
  test::TempDir sim;
  std::string error;
  ASSERT_TRUE(sample::MakeSampleSimulator(sim.path(), &error)) << error;
  test::ScopedEnv fsPath("VELK_FS_PATH", sim.path().string());
  ScriptedMessageBoxes boxes;
  test::PlanGuard planGuard;
  const std::vector<FlightLevelRule> savedRules = FlightLevelRules();
  ASSERT_TRUE(ReadConfigurationFiles(test::SourceDir() / "program"));

  PlanState& plan = Plan();
  const std::filesystem::path folder = test::SourceDir() / "sample";
  plan.Airports = ParseAirportsTxt(*test::ReadFile(folder / "Airports.txt"));
  for (size_t i = 0; i < plan.Airports.size(); ++i) plan.AirportIndex.Add(plan.Airports[i].Icao, static_cast<int>(i));
  plan.PlanAircraftList = ParseAircraftTxt(*test::ReadFile(folder / "Aircraft.txt"), plan.HighestAircraftNumber);
  plan.Flights = ParseFlightPlans(*test::ReadFile(folder / "FlightPlans.txt"));
  plan.PlanLoaded = true;
  ASSERT_TRUE(LoadFSAircraft(false));
  std::vector<SceneryAirport> scenery;
  ASSERT_EQ(ReadAFDBytes(sample::BuildFacilityFile(sample::SamplePlanAirports()), scenery), AfdFileResult::kRead);

  const size_t flights = plan.Flights.size();
  ShuffleLogFile log;
  ShuffleResult result = RunShuffle(plan, scenery, ProgramLocationTables(), ShuffleOptions{}, &log);
  ASSERT_TRUE(result.Completed());
  EXPECT_EQ(result.AssignedCount + result.RemovedCount, static_cast<int>(flights));
  EXPECT_TRUE(boxes.Shown().empty());

  std::map<std::string, std::set<std::string>> airlinesOf;  // section name -> airline names, upper case
  auto addSection = [&](const LocationRules& s, const std::string& name) {
    for (const AirlineShare& a : s.Airlines) airlinesOf[name].insert(UpperAscii(a.Name));
  };
  addSection(GlobalRules(), "Global");
  for (auto* table : {&RegionRules(), &CountryRules(), &StateRules(), &CityRules(), &AirportRules()})
    for (const LocationRules& s : *table) addSection(s, s.Name);
  auto fields = [](std::string_view line) {
    std::vector<std::string> out;
    for (size_t start = 0;;) {
      size_t slash = line.find('/', start);
      out.emplace_back(line.substr(start, slash == std::string_view::npos ? slash : slash - start));
      if (slash == std::string_view::npos) return out;
      start = slash + 1;
    }
  };

  // Blocks of two lines and a blank one after the 13 header lines.
  std::map<std::string, int> servedBy;
  std::vector<std::string_view> lines = SplitLines(log.Text());
  ASSERT_EQ((lines.size() - 13) % 3, 0u);
  for (size_t i = 13; i < lines.size(); i += 3) {
    EXPECT_EQ(lines[i + 2], "");
    std::vector<std::string> first = fields(lines[i]);
    std::vector<std::string> second = fields(lines[i + 1]);
    if (second[0] == "NO AIRCRAFT") {
      // Removed only when no plan aircraft could fly the flight at all:
      // its legs' span, or its airports' runways, parking or surface.
      ASSERT_TRUE(first[0].starts_with("Runway: ")) << lines[i];
      const int shortest = std::stoi(first[0].substr(8));
      const int parking = std::stoi(first[1]);
      const int minDist = std::stoi(second[7]);
      const int maxDist = std::stoi(second[8]);
      for (const PlanAircraft& p : plan.PlanAircraftList) {
        for (const FSAircraft& a : plan.FSAircraftList) {
          if (UpperAscii(a.Title) != UpperAscii(p.Title)) continue;
          bool fits = minDist >= a.MinRange && maxDist <= a.MaxRange && a.RunwayLength <= shortest &&
                      a.MinParkingRadius <= parking && UpperAscii(a.RunwayTypes).find(first[2]) != std::string::npos;
          EXPECT_FALSE(fits) << a.Title << " could fly " << lines[i + 1];
          break;
        }
      }
      continue;
    }
    // The flight line's tenth field on is the serving section's name.
    std::string location;
    for (size_t k = 9; k < second.size(); ++k) location += (k > 9 ? "/" : "") + second[k];
    ++servedBy[location];
    if (location == "No Airline") {
      EXPECT_EQ(first[0], "No Airline") << lines[i + 1];
    } else {
      EXPECT_TRUE(airlinesOf[location].count(UpperAscii(first[0]))) << first[0] << " in " << location;
    }
  }
  // The sample plan has a few flights whose legs no aircraft class spans
  // (a short hop and a long haul in one cycle); all others are served, at
  // every kind of place of the shipped configuration.
  EXPECT_LE(result.RemovedCount, static_cast<int>(flights) / 50);
  for (const char* place : {"KJFK", "Europe/United Kingdom/London", "North America/United States/Hawaii",
                            "North America/United States", "Europe", "Global"})
    EXPECT_GT(servedBy[place], 0) << place;

  FlightLevelRules() = savedRules;
}

}  // namespace
}  // namespace velk
