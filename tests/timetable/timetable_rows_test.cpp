#include "timetable/timetable_rows.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace velk {
namespace {

struct L {
  const char* departure;
  const char* arrival;
  const char* destination;
  const char* number;
};

Flight MakeFlight(const char* aircraft, const char* period, std::initializer_list<L> legs,
                  const char* rules = "IFR", const char* percent = "100%", const char* registration = "D-ABCD") {
  Flight f;
  f.AircraftId = aircraft;
  f.Registration = registration;
  f.Percent = percent;
  f.Period = period;
  f.FlightRules = rules;
  for (const L& l : legs) {
    FlightLeg leg;
    leg.DepartureTime = l.departure;
    leg.ArrivalTime = l.arrival;
    leg.FlightLevel = "350";
    leg.UseFlightNumber = "F";
    leg.FlightNumber = l.number;
    leg.DestinationIcao = l.destination;
    f.Legs.push_back(leg);
  }
  return f;
}

FSAircraft Installed(const char* title, const char* airline, const char* maker, const char* type, int cls = 7) {
  FSAircraft a;
  a.Title = title;
  a.ATCAirline = airline;
  a.UIManufacturer = maker;
  a.UIType = type;
  a.Class = cls;
  return a;
}

// A short text of each row: "time kind fromTo number leg".
std::vector<std::string> Texts(const std::vector<TimetableRow>& rows) {
  std::vector<std::string> out;
  for (const TimetableRow& r : rows)
    out.push_back(r.time + " " + TimetableKindText(r.kind) + " " + r.fromTo + " " + r.flightNumber + " " +
                  std::to_string(r.leg));
  return out;
}

TimetableFilter For(const char* airports) {
  TimetableFilter f;
  f.airports = airports;
  return f;
}

class TimetableRows : public ::testing::Test {
 protected:
  void SetUp() override {
    plan.PlanAircraftList = {{"AC#1", "Jet One", "450", 0}, {"AC#2", "Prop Two", "200", 0}};
    plan.FSAircraftList = {Installed("JET ONE", "Lufthansa", "Boeing", "737-800")};
    // EDDF -> EDDM -> LOWW -> EDDF.
    plan.Flights.push_back(MakeFlight("AC#1", "24Hr",
                                      {{"06:00:00", "07:00:00", "EDDM", "0101"},
                                       {"08:00:00", "09:00:00", "LOWW", "0102"},
                                       {"10:00:00", "11:30:00", "EDDF", "0103"}}));
  }
  PlanState plan;
};

TEST(TimetableAirportList, FramesTheCodesWithCommas) {
  EXPECT_EQ(TimetableAirportList("eddf , EDDM"), ",EDDF,EDDM,");
  EXPECT_EQ(TimetableAirportList(""), ",");
  EXPECT_EQ(TimetableAirportList("   "), ",");
  EXPECT_EQ(TimetableAirportList(",eddf"), ",EDDF,");
  EXPECT_EQ(TimetableAirportList("EDDF,"), ",EDDF,");
}

TEST(TimetableAirports, ContainsExactlyTheListedCodes) {
  TimetableAirports airports("eddf, EDDM");
  EXPECT_TRUE(airports.Contains("EDDF"));
  EXPECT_TRUE(airports.Contains("EDDM"));
  EXPECT_FALSE(airports.Contains("eddf"));
  EXPECT_FALSE(airports.Contains("EDD"));
  EXPECT_FALSE(airports.Contains("EDDFX"));
  EXPECT_FALSE(airports.Contains(""));
  // As the text test reads: ",," finds an empty code, ",A,B," spans two.
  EXPECT_TRUE(TimetableAirports("A,,B").Contains(""));
  EXPECT_TRUE(airports.Contains("EDDF,EDDM"));
  EXPECT_FALSE(TimetableAirports("").Contains(""));
  TimetableAirports copy = airports;
  EXPECT_TRUE(copy.Contains("EDDM"));
}

TEST_F(TimetableRows, ArrivalsAndTheDeparturesThatFollowThem) {
  std::vector<TimetableRow> rows = BuildTimetable(plan, For("eddm"));
  EXPECT_EQ(Texts(rows), (std::vector<std::string>{"07:00:00 Arrive EDDF 0101 0", "08:00:00 Depart LOWW 0102 1"}));
  const TimetableRow& r = rows[0];
  EXPECT_EQ(r.airline, "Lufthansa");
  EXPECT_EQ(r.aircraft, "Boeing/737-800");
  EXPECT_EQ(r.registration, "D-ABCD");
  EXPECT_EQ(r.flight, 0);

  // The last leg's departure is the first leg, from the last destination.
  rows = BuildTimetable(plan, For("EDDF"));
  EXPECT_EQ(Texts(rows), (std::vector<std::string>{"11:30:00 Arrive LOWW 0103 2", "06:00:00 Depart EDDM 0101 0"}));
  // Several airports, and neither kind.
  EXPECT_EQ(BuildTimetable(plan, For("eddm, loww")).size(), 4u);
  TimetableFilter none = For("EDDM,LOWW");
  none.arrivals = none.departures = false;
  EXPECT_TRUE(BuildTimetable(plan, none).empty());
  none.departures = true;
  EXPECT_EQ(Texts(BuildTimetable(plan, none)),
            (std::vector<std::string>{"08:00:00 Depart LOWW 0102 1", "10:00:00 Depart EDDF 0103 2"}));
  EXPECT_TRUE(BuildTimetable(plan, For("")).empty());
}

TEST_F(TimetableRows, OnlyExactCodesRulesAndPercentsAreListed) {
  plan.Flights[0].Legs[0].DestinationIcao = "eddm";  // stored in lower case: never listed
  EXPECT_TRUE(BuildTimetable(plan, For("EDDM")).empty());
  plan.Flights[0].Legs[0].DestinationIcao = "EDDM";

  TimetableFilter f = For("EDDM");
  f.ifr = false;
  EXPECT_TRUE(BuildTimetable(plan, f).empty());
  plan.Flights[0].FlightRules = "ifr";
  EXPECT_TRUE(BuildTimetable(plan, For("EDDM")).empty());
  plan.Flights[0].FlightRules = "VFR";
  EXPECT_EQ(BuildTimetable(plan, For("EDDM")).size(), 2u);
  f.ifr = true;
  f.vfr = false;
  EXPECT_TRUE(BuildTimetable(plan, f).empty());

  f = For("EDDM");
  f.percent = "50";
  plan.Flights[0].Percent = "50%";
  EXPECT_EQ(BuildTimetable(plan, f).size(), 2u);
  plan.Flights[0].Percent = "51%";
  EXPECT_TRUE(BuildTimetable(plan, f).empty());
  // A percent written without its "%" still reads as the whole number.
  plan.Flights[0].Percent = "100";
  f.percent = "99";
  EXPECT_TRUE(BuildTimetable(plan, f).empty());
  f.percent = "100";
  EXPECT_EQ(BuildTimetable(plan, f).size(), 2u);

  plan.Flights[0].Removed = true;
  EXPECT_TRUE(BuildTimetable(plan, f).empty());
}

TEST_F(TimetableRows, AircraftNotInstalledStillGivesRows) {
  plan.Flights[0].AircraftId = "AC#2";
  std::vector<TimetableRow> rows = BuildTimetable(plan, For("EDDM"));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].airline, "");
  EXPECT_EQ(rows[0].aircraft, "# NOT FOUND #");
  // The flight's id is matched exactly.
  plan.Flights[0].AircraftId = "ac#1";
  EXPECT_EQ(BuildTimetable(plan, For("EDDM"))[0].aircraft, "# NOT FOUND #");
  // Two plan aircraft of one installed title both find it.
  plan.PlanAircraftList.push_back({"AC#3", "jet one", "450", 0});
  plan.Flights[0].AircraftId = "AC#3";
  EXPECT_EQ(BuildTimetable(plan, For("EDDM"))[0].aircraft, "Boeing/737-800");
}

TEST_F(TimetableRows, TheWindowIsInclusiveAndDoesNotWrap) {
  TimetableFilter f = For("EDDM");
  f.start = "07:00:00";
  f.end = "07:59:59";
  EXPECT_EQ(Texts(BuildTimetable(plan, f)), std::vector<std::string>{"07:00:00 Arrive EDDF 0101 0"});
  f.start = "22:00:00";
  f.end = "08:00:00";
  EXPECT_TRUE(BuildTimetable(plan, f).empty());
  f.start = "7:00";
  f.end = "8:00";
  EXPECT_EQ(BuildTimetable(plan, f).size(), 2u);
  f.end = "not a time";
  EXPECT_TRUE(BuildTimetable(plan, f).empty());
}

TEST_F(TimetableRows, HourlyFlightsRepeatThroughTheDayInTheZone) {
  plan.Flights = {MakeFlight("AC#1", "12Hr",
                             {{"04:00:00", "06:00:00", "EDDM", "0201"}, {"07:00:00", "08:30:00", "EDDF", "0202"}})};
  TimetableFilter f = For("EDDM");
  f.departures = false;
  EXPECT_EQ(Texts(BuildTimetable(plan, f)),
            (std::vector<std::string>{"06:00:00 Arrive EDDF 0201 0", "18:00:00 Arrive EDDF 0201 0"}));
  f.zone = "GMT +01:00";
  EXPECT_EQ(Texts(BuildTimetable(plan, f)),
            (std::vector<std::string>{"07:00:00 Arrive EDDF 0201 0", "19:00:00 Arrive EDDF 0201 0"}));
  // Arrival and departure alternate through the repeats.
  f.departures = true;
  f.zone = "GMT";
  EXPECT_EQ(Texts(BuildTimetable(plan, f)),
            (std::vector<std::string>{"06:00:00 Arrive EDDF 0201 0", "07:00:00 Depart EDDF 0202 1",
                                      "18:00:00 Arrive EDDF 0201 0", "19:00:00 Depart EDDF 0202 1"}));
  plan.Flights[0].Period = "1Hr";
  EXPECT_EQ(BuildTimetable(plan, f).size(), 48u);
  // A period without a positive number of hours lists the flight once.
  for (const char* period : {"0Hr", "xHr", "", "-2Hr"}) {
    plan.Flights[0].Period = period;
    EXPECT_EQ(BuildTimetable(plan, f).size(), 2u) << period;
  }
  // 48 hours round to no repeat within one day.
  plan.Flights[0].Period = "48Hr";
  EXPECT_TRUE(BuildTimetable(plan, f).empty());
}

TEST_F(TimetableRows, WeeklyRowsCarryTheWeekdayInTheZone) {
  plan.Flights = {MakeFlight("AC#1", "WEEK",
                             {{"6/21:00:00", "6/23:30:00", "EDDM", "0301"}, {"0/08:00:00", "0/09:30:00", "EDDF", "0302"}})};
  TimetableFilter f = For("EDDM");
  f.zone = "GMT +01:00";
  EXPECT_EQ(Texts(BuildTimetable(plan, f)), (std::vector<std::string>{"00:30:00 (Sunday) Arrive EDDF 0301 0",
                                                                      "09:00:00 (Sunday) Depart EDDF 0302 1"}));
  f.day = 0;
  EXPECT_EQ(BuildTimetable(plan, f).size(), 2u);
  f.day = 6;
  EXPECT_TRUE(BuildTimetable(plan, f).empty());
  f.zone = "GMT";
  f.departures = false;
  EXPECT_EQ(Texts(BuildTimetable(plan, f)), std::vector<std::string>{"23:30:00 (Saturday) Arrive EDDF 0301 0"});
  // A weekly time without its day cannot be placed and gives no row.
  plan.Flights[0].Legs[0].ArrivalTime = "23:30:00";
  f.day = -1;
  EXPECT_TRUE(BuildTimetable(plan, f).empty());
}

TEST(TimetableRelabel, MovesTimesAndWeekdaysBetweenZones) {
  EXPECT_EQ(RelabelTimetableTime("23:30:00 (Saturday)", "GMT", "GMT +01:00"), "00:30:00 (Sunday)");
  EXPECT_EQ(RelabelTimetableTime("00:30:00 (Sunday)", "GMT +01:00", "GMT"), "23:30:00 (Saturday)");
  EXPECT_EQ(RelabelTimetableTime("07:00:00", "GMT +01:00", "GMT -03:30"), "02:30:00");
  EXPECT_EQ(RelabelTimetableTime("00:15:00 (Sunday)", "GMT", "GMT -03:30"), "20:45:00 (Saturday)");
  // There and back gives the text again.
  const char* texts[] = {"00:00:00", "12:34:56 (Monday)", "23:59:59 (Saturday)", "00:00:00 (Sunday)"};
  for (const char* t : texts)
    EXPECT_EQ(RelabelTimetableTime(RelabelTimetableTime(t, "GMT", "GMT +05:40"), "GMT +05:40", "GMT"), t);
  EXPECT_EQ(RelabelTimetableTime("row", "GMT", "GMT +01:00"), "row");
}

TEST(TimetableBoxes, TimeAndPercentChecks) {
  EXPECT_EQ(CheckTimetableTime("00:00:00"), "");
  EXPECT_EQ(CheckTimetableTime("8:30"), "");
  EXPECT_EQ(CheckTimetableTime("25:00:00"), kTimetableTimeMessage);
  EXPECT_EQ(CheckTimetableTime(""), kTimetableTimeMessage);
  EXPECT_EQ(CheckTimetablePercent("100"), "");
  EXPECT_EQ(CheckTimetablePercent(" 1 "), "");
  EXPECT_EQ(CheckTimetablePercent("100.4"), "");
  EXPECT_EQ(CheckTimetablePercent("abc"), kTimetableNumberMessage);
  EXPECT_EQ(CheckTimetablePercent(""), kTimetableNumberMessage);
  EXPECT_EQ(CheckTimetablePercent("101"), kTimetablePercentHighMessage);
  EXPECT_EQ(CheckTimetablePercent("0"), kTimetablePercentLowMessage);
  EXPECT_EQ(CheckTimetablePercent("0.5"), kTimetablePercentLowMessage);  // rounds to 0
  EXPECT_EQ(CheckTimetablePercent("-5"), kTimetablePercentLowMessage);
}

}  // namespace
}  // namespace velk
