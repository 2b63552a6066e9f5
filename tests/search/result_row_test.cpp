// The texts of a result row and the display zone of its time columns.
#include "search/result_row.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

Flight Make(std::vector<std::string> stops, const std::string& dep, const std::string& arr) {
  Flight f;
  f.AircraftId = "AC#7";
  f.Registration = "N123";
  f.Percent = "25%";
  f.Period = "2Hr";
  f.FlightRules = "IFR";
  for (const std::string& icao : stops) f.Legs.push_back(FlightLeg{dep, arr, false, "350", "F", "1", icao});
  return f;
}

TEST(ResultRow, ColumnsOfAFlight) {
  Flight f = Make({"EDDM", "LOWW", "EDDF"}, "0/23:30:00", "1/00:30:00");
  FSAircraft a;
  a.Title = "Boeing";
  a.ATCAirline = "Lufthansa";
  ResultCells c;
  FormatResultRow(f, &a, "GMT +01:00", c);
  EXPECT_EQ(c, (ResultCells{"Lufthansa", "Boeing", "0007", "N123", "EDDF", "EDDM - LOWW", "02Hr", "1/00:30:00",
                            "1/01:30:00", "IFR", "350", "25%"}));
  FormatResultRow(Make({"EDDF"}, "10:00:00", "11:00:00"), nullptr, "GMT", c);
  EXPECT_EQ(c[0], "# NOT FOUND #");
  EXPECT_EQ(c[1], "");
  EXPECT_EQ(c[5], "");  // a one-leg flight has no stops
}

TEST(ResultRow, NumbersAreZeroFilledAndOtherTextsShownAsStored) {
  struct Case {
    std::string id, period, ac, shown;
  };
  const Case cases[] = {
      {"AC#7", "2Hr", "0007", "02Hr"},   {"AC#12345", "24Hr", "12345", "24Hr"},
      {"AC#x1", "WEEK", "x1", "WEEK"},   {"AC#1", "week", "0001", "week"},
      {"AC#", "Hr", "", "Hr"},           {"AC#3", "dailyHr", "0003", "dailyHr"},
  };
  for (const Case& k : cases) {
    Flight f = Make({"EDDF", "EDDM"}, "10:00:00", "11:00:00");
    f.AircraftId = k.id;
    f.Period = k.period;
    ResultCells c;
    FormatResultRow(f, nullptr, "GMT", c);
    EXPECT_EQ(c[2], k.ac) << k.id;
    EXPECT_EQ(c[6], k.shown) << k.period;
  }
}

TEST(ResultRow, TimesInTheDisplayZone) {
  EXPECT_EQ(ZoneTimeCell("0/00:30:00", "GMT -01:00"), "6/23:30:00");
  EXPECT_EQ(ZoneTimeCell("6/23:30:00", "GMT +01:00"), "0/00:30:00");
  EXPECT_EQ(ZoneTimeCell("23:30:00", "GMT +01:00"), "00:30:00");  // no prefix, no day
  EXPECT_EQ(ZoneTimeCell("12:00:00", "GMT +05:40"), "17:40:00");
  EXPECT_EQ(ZoneTimeCell("3/late", "GMT +01:00"), "3/");
  EXPECT_EQ(ZoneTimeCell("late", "GMT"), "");
  // Back and forth between zones, the day moving with the time.
  EXPECT_EQ(ReshiftTimeCell("0/00:30:00", "GMT +01:00", "GMT"), "6/23:30:00");
  EXPECT_EQ(ReshiftTimeCell("0/00:30:00", "GMT +01:00", "GMT -03:30"), "6/20:00:00");
  EXPECT_EQ(ReshiftTimeCell("00:30:00", "GMT +01:00", "GMT +02:00"), "01:30:00");
  EXPECT_EQ(ReshiftTimeCell("3/", "GMT +01:00", "GMT"), "3/");
}

}  // namespace
}  // namespace velk
