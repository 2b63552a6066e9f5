// The work list's bookkeeping (entries, the remainder, the Add defaults)
// and the printed flight list.
#include "search/work_list.h"

#include <gtest/gtest.h>

#include "data/flight_printout.h"

namespace velk {
namespace {

Flight Numbered(int n) {
  Flight f;
  f.AircraftId = "AC#1";
  f.Registration = "R" + std::to_string(n);
  f.Legs.push_back(FlightLeg{"10:00:00", "11:00:00", false, "100", "F", "1", "EDDF"});
  return f;
}

TEST(WorkList, FilledFromAResultAndGuarded) {
  PlanState plan;
  for (int i = 0; i < 10; ++i) plan.Flights.push_back(Numbered(i));
  SearchResult r;
  r.flights = {1, 4, 6, 9};
  r.notes = {"a", "", "", "d"};
  FillWorkList(plan, r);
  ASSERT_EQ(plan.WorkList.size(), 4u);
  EXPECT_EQ(plan.WorkList[1], plan.Flights[4]);
  EXPECT_EQ(plan.WorkListNotes[3], "d");
  EXPECT_TRUE(IsWorkEntry(plan, 3));
  EXPECT_FALSE(IsWorkEntry(plan, 4));
  EXPECT_FALSE(IsWorkEntry(plan, -1));
  // An entry whose flight is gone is no entry to act on.
  plan.Flights.resize(8);
  EXPECT_FALSE(IsWorkEntry(plan, 3));
  EXPECT_TRUE(IsWorkEntry(plan, 2));
}

TEST(WorkList, RemainderKeepsPlanOrderAndRemovedFlights) {
  PlanState plan;
  for (int i = 0; i < 10; ++i) plan.Flights.push_back(Numbered(i));
  plan.Flights[0].Removed = true;  // removed before the search: not listed, still remaining
  SearchResult r;
  r.flights = {2, 3, 7, 8};
  r.notes.resize(4);
  FillWorkList(plan, r);
  std::vector<Flight> rest = RemainingFlights(plan);
  std::vector<std::string> regs;
  for (const Flight& f : rest) regs.push_back(f.Registration);
  EXPECT_EQ(regs, (std::vector<std::string>{"R0", "R1", "R4", "R5", "R6", "R9"}));
  EXPECT_TRUE(rest[0].Removed);

  // Entries marked removed are written to the removed list, not counted.
  plan.WorkList[1].Removed = true;
  EXPECT_EQ(ExportedFlightCount(plan), 3);
  EXPECT_EQ(WorkListWithoutRemoved(plan).size(), 3u);

  // Every flight listed: nothing remains.
  r.flights = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  r.notes.resize(10);
  FillWorkList(plan, r);
  EXPECT_TRUE(RemainingFlights(plan).empty());
}

TEST(WorkList, AddedEntriesKeepTheThreeListsInStep) {
  PlanState plan;
  Flight empty = NewFlight(plan);  // without aircraft or airports: empty texts
  EXPECT_EQ(empty.AircraftId, "");
  EXPECT_EQ(empty.Legs[0].DestinationIcao, "");
  plan.PlanAircraftList = {PlanAircraft{"AC#4", "A", "400", 0}, PlanAircraft{"AC#5", "B", "400", 0}};
  plan.Airports = {Airport{"KJFK", "", "", ""}, Airport{"EDDF", "", "", ""}};
  Flight f = NewFlight(plan);
  EXPECT_EQ(f.AircraftId, "AC#4");
  EXPECT_EQ(f.Registration, "N700MS");
  EXPECT_EQ(f.Percent, "50%");
  EXPECT_EQ(f.Period, "24Hr");
  EXPECT_EQ(f.FlightRules, "IFR");
  ASSERT_EQ(f.LegCount(), 2);
  EXPECT_EQ(f.Legs[1], (FlightLeg{"01:00:00", "01:00:00", false, "100", "F", "0000", "KJFK"}));

  int k = AppendWorkEntry(plan, f);
  EXPECT_EQ(k, 0);
  EXPECT_EQ(plan.WorkListNotes.size(), 1u);
  EXPECT_FALSE(IsWorkEntry(plan, k));  // no plan flight yet
  DropLastWorkEntry(plan);
  EXPECT_TRUE(plan.WorkList.empty() && plan.WorkListIndex.empty() && plan.WorkListNotes.empty());
}

TEST(FlightPrintout, BlocksOfFlightAndLegLines) {
  Flight f;
  f.AircraftId = "AC#3";
  f.Registration = "D-AIRA";
  f.Percent = "100%";
  f.Period = "WEEK";
  f.FlightRules = "IFR";
  f.Legs = {FlightLeg{"1/06:00:00", "1/07:10:00", true, "240", "F", "0401", "EDDM"},
            FlightLeg{"1/08:00:00", "1/09:05:00", false, "250", "F", "0402", "EDDF"}};
  FSAircraft a;
  a.Title = "Airbus A320";
  a.ATCAirline = "Lufthansa";
  auto distance = [](std::string_view from, std::string_view to) {
    return static_cast<int>(from.size() * 100 + (to == "EDDM" ? 4 : 0));
  };
  std::string out;
  AppendFlightPrintout(out, f, &a, distance);
  EXPECT_EQ(out,
            "AC#3 Airbus A320 (Lufthansa) - D-AIRA/100%/WEEK/IFR\r\n"
            "\t\tEDDF - EDDM No. 0401 FL240 404nm 1/06:00:00 1/07:10:00\r\n"
            "\t\tEDDM - EDDF No. 0402 FL250 400nm 1/08:00:00 1/09:05:00\r\n"
            "\r\n");
  out.clear();
  a.ATCAirline.clear();
  AppendFlightPrintout(out, f, &a, distance);
  EXPECT_EQ(out.substr(0, out.find("\r\n")), "AC#3 Airbus A320 - D-AIRA/100%/WEEK/IFR");
  out.clear();
  AppendFlightPrintout(out, f, nullptr, distance);
  EXPECT_EQ(out.substr(0, out.find("\r\n")), "AC#3 # NOT FOUND # - D-AIRA/100%/WEEK/IFR");
}

}  // namespace
}  // namespace velk
