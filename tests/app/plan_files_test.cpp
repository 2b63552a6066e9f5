#include "app/plan_files.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace velk {
namespace {

using test::TempDir;
using test::WriteFile;

Flight MakeFlight(std::string id, std::vector<std::string> stops) {
  Flight f;
  f.AircraftId = std::move(id);
  f.Registration = "N123";
  f.Percent = "25%";
  f.Period = "2Hr";
  f.FlightRules = "IFR";
  for (size_t i = 0; i < stops.size(); ++i)
    f.Legs.push_back(FlightLeg{"0/23:30:00", "1/00:30:00", false, "350", "F", "1", stops[i]});
  return f;
}

TEST(PlanAircraftCheck, TitlesMatchWithoutCaseAndTildeTitlesDoNotCount) {
  PlanState plan;
  FSAircraft installed;
  installed.Title = "BOEING 737-400";
  FSAircraft hidden;
  hidden.Title = "~Cessna";
  plan.FSAircraftList = {installed, hidden};
  plan.PlanAircraftList = {PlanAircraft{"AC#1", "Boeing 737-400", "450", 0}};
  EXPECT_FALSE(PlanAircraftMissing(plan));
  plan.PlanAircraftList.push_back(PlanAircraft{"AC#2", "~Cessna", "100", 0});
  EXPECT_TRUE(PlanAircraftMissing(plan));
}

TEST(PlanAircraftCheck, FlightsOfMissingAircraft) {
  PlanState plan;
  FSAircraft installed;
  installed.Title = "Known";
  plan.FSAircraftList = {installed};
  plan.PlanAircraftList = {PlanAircraft{"AC#1", "known", "450", 0}, PlanAircraft{"AC#2", "Unknown", "450", 0}};
  plan.Flights = {MakeFlight("AC#1", {"A", "B"}), MakeFlight("AC#2", {"A", "B"}), MakeFlight("ac#1", {"A", "B"}),
                  MakeFlight("AC#7", {"A", "B"}), MakeFlight("AC#2", {"A", "B"})};
  plan.Flights[4].Removed = true;
  // Ids join exactly: "ac#1" is not AC#1; AC#7 names no plan aircraft.
  EXPECT_EQ(FlightsOfMissingAircraft(plan), (std::vector<int>{1, 2, 3}));
}

TEST(SearchRows, ColumnsOfAFlight) {
  Flight f = MakeFlight("AC#7", {"EDDM", "LOWW", "EDDF"});
  FSAircraft a;
  a.Title = "Boeing";
  a.ATCAirline = "Lufthansa";
  auto row = SearchResultRow(f, &a, "GMT +01:00");
  EXPECT_EQ(row, (std::vector<std::string>{"Lufthansa", "Boeing", "0007", "N123", "EDDF", "EDDM - LOWW", "02Hr",
                                           "1/00:30:00", "1/01:30:00", "IFR", "350", "25%"}));
  f.Period = "WEEK";
  row = SearchResultRow(f, nullptr, "GMT");
  EXPECT_EQ(row[0], "# NOT FOUND #");
  EXPECT_EQ(row[1], "");
  EXPECT_EQ(row[6], "WEEK");
  EXPECT_EQ(row[7], "0/23:30:00");
}

TEST(SaveAsTarget, AnotherPlansAircraftFileIsNoticed) {
  TempDir dir;
  WriteFile(dir / "old/FlightPlans.txt", "");
  WriteFile(dir / "old/Aircraft.txt", "");
  WriteFile(dir / "other/AIRCRAFT.TXT", "");
  WriteFile(dir / "empty/readme", "");
  std::string old = (dir / "old/FlightPlans.txt").string();
  EXPECT_FALSE(SaveAsReplacesOtherAircraftFile(old, (dir / "old/Copy.txt").string()));
  EXPECT_TRUE(SaveAsReplacesOtherAircraftFile(old, (dir / "other/FlightPlans.txt").string()));
  EXPECT_FALSE(SaveAsReplacesOtherAircraftFile(old, (dir / "empty/FlightPlans.txt").string()));
  EXPECT_FALSE(PlanFileExists((dir / "old").string()));
  EXPECT_TRUE(PlanFileExists(old));
}

}  // namespace
}  // namespace velk
