// velk-plangen feeds every plan benchmark: its plans must read back whole,
// reference only aircraft and airports they define, and repeat per seed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "data/aircraft_airport_files.h"
#include "data/flight_plan_file.h"
#include "support/test_support.h"

namespace velk {
namespace {

using test::ReadFile;
using test::TempDir;
using test::ToolsDir;

bool Generate(const std::filesystem::path& folder, const std::string& args) {
  auto tool = ToolsDir() / "velk-plangen";
  std::string command = "\"" + tool.string() + "\" " + args + " \"" + folder.string() + "\" >/dev/null";
  return std::system(command.c_str()) == 0;
}

TEST(PlanGenerator, WritesConsistentPlansThatRepeatPerSeed) {
  if (!std::filesystem::exists(ToolsDir() / "velk-plangen")) GTEST_SKIP() << "benchmarks not built";
  TempDir dir;
  const std::string args = "--airports 50 --aircraft 7 --flights 2000 --seed 9";
  ASSERT_TRUE(Generate(dir / "a", args));
  ASSERT_TRUE(Generate(dir / "b", args));
  ASSERT_TRUE(Generate(dir / "c", "--airports 50 --aircraft 7 --flights 2000 --seed 10"));
  EXPECT_EQ(*ReadFile(dir / "a" / "FlightPlans.txt"), *ReadFile(dir / "b" / "FlightPlans.txt"));
  EXPECT_NE(*ReadFile(dir / "a" / "FlightPlans.txt"), *ReadFile(dir / "c" / "FlightPlans.txt"));

  int highest = 0;
  auto aircraft = ParseAircraftTxt(*ReadFile(dir / "a" / "Aircraft.txt"), highest);
  auto airports = ParseAirportsTxt(*ReadFile(dir / "a" / "Airports.txt"));
  auto flights = ParseFlightPlans(*ReadFile(dir / "a" / "FlightPlans.txt"));
  ASSERT_EQ(aircraft.size(), 7u);
  ASSERT_EQ(airports.size(), 50u);
  ASSERT_EQ(flights.size(), 2000u);
  std::set<std::string> ids, codes;
  for (const auto& a : aircraft) ids.insert(a.Id);
  for (const auto& a : airports) codes.insert(a.Icao);
  EXPECT_EQ(codes.size(), 50u) << "codes are unique";
  for (const auto& f : flights) {
    ASSERT_TRUE(ids.count(f.AircraftId)) << f.AircraftId;
    ASSERT_GE(f.LegCount(), 2);
    ASSERT_LE(f.LegCount(), 6);
    ASSERT_LE(f.Registration.size(), 7u);
    for (size_t k = 0; k < f.Legs.size(); ++k) {
      ASSERT_TRUE(codes.count(f.Legs[k].DestinationIcao));
      // No leg starts and ends at the same airport.
      ASSERT_NE(f.DepartureIcao(static_cast<int>(k)), f.Legs[k].DestinationIcao);
      ASSERT_EQ(f.Legs[k].FlightLevel.size(), 3u);
      ASSERT_EQ(f.Legs[k].FlightNumber.size(), 4u);
    }
  }
}

}  // namespace
}  // namespace velk
