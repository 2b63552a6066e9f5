// The two texts made from the timetable's rows: the fixed-width timetable
// (printout and file) and the statistics report.
#include <gtest/gtest.h>

#include "timetable/timetable_statistics.h"
#include "timetable/timetable_text.h"

namespace velk {
namespace {

TimetableRow Row(const char* time, TimetableKind kind, int flight, const char* airline = "Lufthansa",
                 const char* number = "0101") {
  TimetableRow r;
  r.time = time;
  r.kind = kind;
  r.fromTo = "EDDM";
  r.airline = airline;
  r.flightNumber = number;
  r.aircraft = "Boeing/737-800";
  r.registration = "D-ABCD";
  r.flight = flight;
  return r;
}

constexpr TimetableKind A = TimetableKind::Arrive;
constexpr TimetableKind D = TimetableKind::Depart;

TEST(TimetableText, FixedColumnsThatNeverCut) {
  std::vector<TimetableRow> rows = {Row("07:00:00", A, 0),
                                    Row("10:15:00 (Wednesday)", D, 1, "Nineteen Characters"),
                                    Row("11:00:00", A, 2, "A Twenty-Two Char Line")};
  std::string text = TimetableText(rows, "eddf, eddm", "09.12.26 14:05", "GMT +01:00");
  EXPECT_EQ(text,
            "Airport timetable for EDDF, EDDM - 09.12.26 14:05 (GMT +01:00)\r\n"
            "\r\n"
            "Time                 Ar./Dp. F/T   Airline            No.   Aircraft (Registration)\r\n"
            "\r\n"
            "07:00:00             Arrive  EDDM  Lufthansa          0101  Boeing/737-800 (D-ABCD)\r\n"
            "10:15:00 (Wednesday) Depart  EDDM  Nineteen Characters0101  Boeing/737-800 (D-ABCD)\r\n"
            "11:00:00             Arrive  EDDM  A Twenty-Two Char Line0101Boeing/737-800 (D-ABCD)\r\n");
  // Without rows the title and header stand alone.
  EXPECT_EQ(TimetableText({}, "", "d", "GMT").substr(0, 27), "Airport timetable for  - d ");
}

class TimetableStatisticsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plan.PlanAircraftList = {{"AC#1", "Jet", "450", 0}, {"AC#2", "Prop", "200", 0}, {"AC#3", "Missing", "200", 0}};
    FSAircraft jet;
    jet.Title = "Jet";
    jet.Class = 7;
    FSAircraft prop;
    prop.Title = "Prop";
    prop.Class = 3;
    plan.FSAircraftList = {jet, prop};
    for (const char* id : {"AC#1", "AC#1", "AC#2", "AC#3"}) {
      Flight f;
      f.AircraftId = id;
      plan.Flights.push_back(f);
    }
    filter = {"eddf", "Monday", "00:00:00", "23:59:59", "GMT"};
  }
  // The report's lines without their CR LF.
  std::vector<std::string> Lines(const std::vector<TimetableRow>& rows) {
    std::string text = TimetableStatistics(plan, rows, filter);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find("\r\n", start);
      EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
      if (end == std::string::npos) break;
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }
  std::string LineStarting(const std::vector<std::string>& lines, const std::string& label) {
    for (const std::string& l : lines)
      if (l.rfind(label, 0) == 0) return l.substr(20);
    return "<missing>";
  }
  PlanState plan;
  TimetableStatisticsFilter filter;
};

TEST_F(TimetableStatisticsTest, OneDailyFlightInFull) {
  filter.start = "08:00:00";
  filter.end = "09:30:00";
  std::vector<std::string> lines = Lines({Row("09:00:00", D, 0), Row("08:00:00", A, 0)});
  std::vector<std::string> expected = {"Airport:            EDDF",
                                       "Time:               Monday 08:00:00 - 09:30:00 (GMT)",
                                       "",
                                       "Arrivals:           1",
                                       "Departures:         1",
                                       "",
                                       "Max. Aircraft:      1 at 08:00:00",
                                       "",
                                       "Max. Micro Prop:    0",
                                       "Max. Mid Prop:      0",
                                       "Max. Large Prop:    0",
                                       "Max. Micro Jet:     0",
                                       "Max. Small Jet:     0",
                                       "Max. Large Jet:     1 at 08:00:00",
                                       "Max. Huge Jet:      0",
                                       "",
                                       "08:00:00-08:59:59 -> Arrivals 001 - Departures 000",
                                       "09:00:00-09:59:59 -> Arrivals 000 - Departures 001"};
  EXPECT_EQ(lines, expected);
}

TEST_F(TimetableStatisticsTest, AircraftOnTheGround) {
  // A departure with no arrival before it: the aircraft stood there.
  std::vector<std::string> lines = Lines({Row("06:00:00", D, 0)});
  EXPECT_EQ(LineStarting(lines, "Max. Aircraft:"), "1 at 06:00:00");
  EXPECT_EQ(LineStarting(lines, "Max. Large Jet:"), "1 at 06:00:00");
  EXPECT_EQ(LineStarting(lines, "Arrivals:"), "0");

  // Two flights on the ground together; weekly rows keep their weekday in
  // the total line only.
  lines = Lines({Row("10:00:00 (Monday)", A, 0), Row("10:00:00 (Monday)", A, 2), Row("11:00:00 (Monday)", D, 0),
                 Row("11:00:00 (Monday)", D, 2)});
  EXPECT_EQ(LineStarting(lines, "Max. Aircraft:"), "2 at 10:00:00 (Monday)");
  EXPECT_EQ(LineStarting(lines, "Max. Large Jet:"), "1 at 10:00:00");
  EXPECT_EQ(LineStarting(lines, "Max. Mid Prop:"), "1 at 10:00:00");

  // An aircraft not installed counts everywhere but in the classes; so
  // does a row whose flight is gone.
  lines = Lines({Row("12:00:00", A, 3), Row("12:30:00", A, 99)});
  EXPECT_EQ(LineStarting(lines, "Max. Aircraft:"), "2 at 12:30:00");
  EXPECT_EQ(LineStarting(lines, "Arrivals:"), "2");
  for (const char* label : {"Max. Micro Prop:", "Max. Mid Prop:", "Max. Large Jet:"})
    EXPECT_EQ(LineStarting(lines, label), "0") << label;
  EXPECT_EQ(lines.back(), "23:00:00-23:59:59 -> Arrivals 000 - Departures 000");
  EXPECT_EQ(lines[lines.size() - 12], "12:00:00-12:59:59 -> Arrivals 002 - Departures 000");
}

TEST_F(TimetableStatisticsTest, AnAircraftArrivingAgainIsCountedOnce) {
  // A 12-hourly flight listed with arrivals only: the same aircraft does not
  // stand there twice.
  std::vector<std::string> lines = Lines({Row("06:00:00", A, 0), Row("18:00:00", A, 0)});
  EXPECT_EQ(LineStarting(lines, "Max. Aircraft:"), "1 at 06:00:00");
  EXPECT_EQ(LineStarting(lines, "Max. Large Jet:"), "1 at 06:00:00");
  EXPECT_EQ(LineStarting(lines, "Arrivals:"), "2");
  // After its departure it counts again from zero.
  lines = Lines({Row("06:00:00", A, 0), Row("07:00:00", D, 0), Row("08:00:00", A, 1), Row("18:00:00", A, 0)});
  EXPECT_EQ(LineStarting(lines, "Max. Aircraft:"), "2 at 18:00:00");
}

TEST_F(TimetableStatisticsTest, RowsOfEqualTimeKeepTheirOrder) {
  // An arrival listed before a departure of the same time: both stand at once.
  std::vector<std::string> lines = Lines({Row("10:00:00", A, 1), Row("10:00:00", D, 0)});
  EXPECT_EQ(LineStarting(lines, "Max. Aircraft:"), "2 at 10:00:00");
  lines = Lines({Row("10:00:00", D, 0), Row("10:00:00", A, 1)});
  EXPECT_EQ(LineStarting(lines, "Max. Aircraft:"), "1 at 10:00:00");
}

TEST_F(TimetableStatisticsTest, HourLinesFollowTheWindow) {
  filter.start = "22:00:00";
  filter.end = "06:00:00";
  std::vector<std::string> lines = Lines({Row("23:00:00", A, 0)});
  EXPECT_EQ(lines.back(), "");  // no hour lines after the empty line
  filter.start = "bad";
  filter.end = "06:00:00";
  EXPECT_EQ(Lines({}).back(), "");
  filter = {"a, b", "#Week#", "05:30:00", "06:10:00", "GMT -03:30"};
  lines = Lines({});
  EXPECT_EQ(lines[1], "Time:               Week 05:30:00 - 06:10:00 (GMT -03:30)");
  EXPECT_EQ(LineStarting(lines, "Airport:"), "A, B");
  EXPECT_EQ(lines[lines.size() - 2], "05:00:00-05:59:59 -> Arrivals 000 - Departures 000");
  EXPECT_EQ(lines.back(), "06:00:00-06:59:59 -> Arrivals 000 - Departures 000");
}

}  // namespace
}  // namespace velk
