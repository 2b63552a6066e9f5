// The bundled sample plan is what users open first and what the other
// tools' fixtures build on: it must stay the tool's output and hold only
// lines the compiler accepts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
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

// The sample folder of the source tree (this file's own name may be given
// relative to the folder it was built in, and mean nothing from the test's).
std::filesystem::path SampleFolder() { return test::SourceDir() / "sample"; }

TEST(SamplePlan, IsTheOutputOfItsGenerator) {
  auto tool = ToolsDir() / "velk-make-sample-plan";
  if (!std::filesystem::exists(tool)) GTEST_SKIP() << "generator not built";
  TempDir dir;
  std::string command = "\"" + tool.string() + "\" \"" + dir.path().string() + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (const char* name : {"Airports.txt", "Aircraft.txt", "FlightPlans.txt"}) {
    auto made = ReadFile(dir / name);
    auto committed = ReadFile(SampleFolder() / name);
    ASSERT_TRUE(made && committed) << name;
    EXPECT_TRUE(*made == *committed) << name << " differs from the generator's output";
  }
}

TEST(SamplePlan, EveryLineHoldsWhatTheCompilerChecks) {
  const auto folder = SampleFolder();
  for (const char* name : {"Airports.txt", "Aircraft.txt", "FlightPlans.txt"}) {
    std::string bytes = *ReadFile(folder / name);
    size_t lf = 0, crlf = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\n') {
        ++lf;
        if (i > 0 && bytes[i - 1] == '\r') ++crlf;
      }
    }
    EXPECT_EQ(lf, crlf) << name << " has line ends other than CRLF";
  }

  int highest = 0;
  auto aircraft = ParseAircraftTxt(*ReadFile(folder / "Aircraft.txt"), highest);
  auto airports = ParseAirportsTxt(*ReadFile(folder / "Airports.txt"));
  auto flights = ParseFlightPlans(*ReadFile(folder / "FlightPlans.txt"));
  ASSERT_EQ(aircraft.size(), 15u);
  ASSERT_EQ(airports.size(), 40u);
  ASSERT_EQ(flights.size(), 300u);
  EXPECT_EQ(highest, 15);

  const std::regex coordinate(R"(([NSEW])(\d{1,3})\* (\d{1,2})\.\d\d')");
  std::set<std::string> codes;
  for (const auto& a : airports) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(a.Latitude, m, coordinate)) << a.Icao;
    EXPECT_TRUE((m[1] == "N" || m[1] == "S") && std::stoi(m[2]) < 90 && std::stoi(m[3]) < 60);
    ASSERT_TRUE(std::regex_match(a.Longitude, m, coordinate)) << a.Icao;
    EXPECT_TRUE((m[1] == "E" || m[1] == "W") && std::stoi(m[2]) < 180 && std::stoi(m[3]) < 60);
    EXPECT_TRUE(std::regex_match(a.Elevation, std::regex(R"(-?\d+)")));
    EXPECT_TRUE(std::regex_match(a.Icao, std::regex("[A-Z0-9]{4}")));
    EXPECT_TRUE(codes.insert(a.Icao).second) << "duplicate " << a.Icao;
  }
  std::set<std::string> ids;
  for (const auto& a : aircraft) {
    ids.insert(a.Id);
    EXPECT_FALSE(a.Title.empty());
    EXPECT_LE(a.Title.size(), 100u);
  }

  const std::regex daily(R"(\d\d:[0-5]\d:[0-5]\d)");
  const std::regex weekly(R"([0-6]/\d\d:[0-5]\d:[0-5]\d)");
  std::set<std::string> usedIds, usedAirports;
  int weeklyFlights = 0;
  for (const auto& f : flights) {
    SCOPED_TRACE(FormatFlightPlanLine(f));
    EXPECT_TRUE(ids.count(f.AircraftId));
    usedIds.insert(f.AircraftId);
    EXPECT_TRUE(std::regex_match(f.Registration, std::regex("[A-Z0-9-]{1,7}")));
    EXPECT_TRUE(std::regex_match(f.Percent, std::regex(R"([1-9]\d?%)")));
    EXPECT_TRUE(f.Period == "24Hr" || f.Period == "WEEK");
    EXPECT_TRUE(f.FlightRules == "IFR" || f.FlightRules == "VFR");
    EXPECT_GE(f.LegCount(), 2);
    EXPECT_LE(f.LegCount(), 6);
    const std::regex& time = f.Period == "WEEK" ? weekly : daily;
    weeklyFlights += f.Period == "WEEK";
    for (const auto& leg : f.Legs) {
      EXPECT_TRUE(std::regex_match(leg.DepartureTime, time));
      EXPECT_TRUE(std::regex_match(leg.ArrivalTime, time));
      EXPECT_LT(std::stoi(leg.DepartureTime.substr(leg.DepartureTime.size() - 8, 2)), 24);
      EXPECT_TRUE(std::regex_match(leg.FlightLevel, std::regex(R"(\d{3})")));
      EXPECT_TRUE(leg.UseFlightNumber == "F" || leg.UseFlightNumber == "R");
      EXPECT_TRUE(std::regex_match(leg.FlightNumber, std::regex(R"(\d{4})")));
      EXPECT_TRUE(codes.count(leg.DestinationIcao));
      usedAirports.insert(leg.DestinationIcao);
    }
  }
  EXPECT_EQ(usedIds.size(), ids.size()) << "every aircraft type flies";
  EXPECT_EQ(usedAirports.size(), codes.size()) << "every airport is served";
  EXPECT_GT(weeklyFlights, 0);
  EXPECT_LT(weeklyFlights, 300);
}

}  // namespace
}  // namespace velk
