#include "data/times_zones.h"

#include <gtest/gtest.h>

#include "data/scenery_test_support.h"

namespace velk {
namespace {

DateTime T(const char* text) {
  auto t = ParseTimeText(text);
  EXPECT_TRUE(t.has_value()) << text;
  return t.value_or(DateTime{});
}

std::string Arrive(const char* departure, std::int32_t distance, std::int32_t speed) {
  return FormatTimeHMS(GetArrivalTime(T(departure), distance, speed));
}

TEST(TimeText, ReadsAndFormatsClockTimes) {
  EXPECT_EQ(FormatTimeHMS(T("07:05:00")), "07:05:00");
  EXPECT_EQ(FormatTimeHMS(T(" 7:05 ")), "07:05:00");
  EXPECT_EQ(FormatTimeHMS(T("23:59:59")), "23:59:59");
  for (const char* bad : {"", "24:00:00", "12:60:00", "12:00:60", "ab:cd", "12", "12:5", "1:2:3", "12:00:00x"}) {
    EXPECT_FALSE(ParseTimeText(bad).has_value()) << bad;
  }
  // Only the time of day shows, also before the base day.
  EXPECT_EQ(FormatTimeHMS(DateTime{-60}), "23:59:00");
  EXPECT_EQ(FormatTimeHMS(DateTime{86400 * 3 + 3661}), "01:01:01");
}

// The traffic compiler truncates to seconds and would show 10:16:30,
// 10:17:30 and 11:01:09 for the legs marked *; VELK rounds to whole minutes
// on purpose, so its shown times may be a minute off the compiled ones.
TEST(ArrivalTime, AddsFifteenMinutesAndRoundedFlightMinutes) {
  EXPECT_EQ(Arrive("10:00:00", 100, 400), "10:30:00");
  EXPECT_EQ(Arrive("10:00:00", 1, 120), "10:15:00");  // 0.5 min rounds to 0
  EXPECT_EQ(Arrive("10:00:00", 3, 120), "10:17:00");  // 1.5 rounds to 2 *
  EXPECT_EQ(Arrive("10:00:00", 5, 120), "10:17:00");  // 2.5 rounds to 2 *
  EXPECT_EQ(Arrive("10:00:00", 100, 130), "11:01:00");  // *
  EXPECT_EQ(Arrive("10:00:00", 0, 400), "10:15:00");
  EXPECT_EQ(Arrive("10:00:00", -1, 400), "10:15:00");
  EXPECT_EQ(Arrive("10:00:00", 100, 0), "10:15:00");
  EXPECT_EQ(Arrive("23:30:00", 90, 120), "00:30:00");
}

class ArrivalText : public ::testing::Test {
 protected:
  void SetUp() override {
    // 90 nm and 210 nm from AAAA along one meridian.
    test::AddPlanAirport("AAAA", "N0* 0.00'", "W0* 0.00'");
    test::AddPlanAirport("BBBB", "N1* 30.00'", "W0* 0.00'");
    test::AddPlanAirport("CCCC", "N3* 30.00'", "W0* 0.00'");
    Plan().PlanLoaded = true;
    Plan().PlanAircraftList.push_back({"AC#1", "Slow", "120", 0});
    Plan().PlanAircraftList.push_back({"AC#2", "Broken", "fast", 0});
  }
  test::SceneryStateGuard guard;
};

TEST_F(ArrivalText, DailyLegs) {
  EXPECT_EQ(GetArrivalTimeText("AAAA", "BBBB", "10:00:00", "24Hr", -1, 120), "11:00:00");
  EXPECT_EQ(GetArrivalTimeText("AAAA", "BBBB", "23:30:00", "24Hr", -1, 120), "00:30:00");
  // The plan aircraft's speed wins over the given one.
  EXPECT_EQ(GetArrivalTimeText("AAAA", "BBBB", "10:00:00", "24Hr", 0, 999), "11:00:00");
  // A cruise speed that is no number lasts the 15 minutes only.
  EXPECT_EQ(GetArrivalTimeText("AAAA", "BBBB", "10:00:00", "24Hr", 1, 999), "10:15:00");
  // An unknown airport gives distance -1: 15 minutes.
  EXPECT_EQ(GetArrivalTimeText("AAAA", "XXXX", "10:00:00", "24Hr", -1, 120), "10:15:00");
  EXPECT_EQ(GetArrivalTimeText("AAAA", "BBBB", "noon", "24Hr", -1, 120), "00:00:00");
}

TEST_F(ArrivalText, WeeklyLegsCarryTheirDay) {
  EXPECT_EQ(GetArrivalTimeText("AAAA", "BBBB", "6/23:30:00", "WEEK", -1, 120), "0/00:30:00");
  EXPECT_EQ(GetArrivalTimeText("AAAA", "BBBB", "3/23:30:00", "week", -1, 120), "4/00:30:00");
  EXPECT_EQ(GetArrivalTimeText("AAAA", "CCCC", "2/10:00:00", "WEEK", -1, 120), "2/12:00:00");
  EXPECT_EQ(GetArrivalTimeText("AAAA", "CCCC", "23:00:00", "WEEK", -1, 120), "23:00:00");
  EXPECT_EQ(GetArrivalTimeText("AAAA", "CCCC", "x/10:00:00", "WEEK", -1, 120), "0/12:00:00");
}

TEST_F(ArrivalText, NoSpeedReturnsTheDepartureUnchanged) {
  EXPECT_EQ(GetArrivalTimeText("AAAA", "BBBB", "10:00:00", "24Hr", 7, 0), "10:00:00");
  EXPECT_EQ(GetArrivalTimeText("AAAA", "BBBB", "1/10:00:00", "WEEK", -1, 0), "1/10:00:00");
}

TEST(ZoneShift, IntoAndOutOfZonesWithDayChanges) {
  std::string day = " (Monday)";
  std::string prefix = "1/";
  EXPECT_EQ(ShiftZoneTimeDayName(T("22:30:00"), "GMT +02:00", day, false), "00:30:00");
  EXPECT_EQ(day, " (Tuesday)");
  EXPECT_EQ(ShiftZoneTimeDayIndex(T("22:30:00"), "GMT +02:00", prefix, false), "00:30:00");
  EXPECT_EQ(prefix, "2/");

  day = " (Monday)";
  EXPECT_EQ(ShiftZoneTimeDayName(T("22:30:00"), "GMT +02:00", day, true), "20:30:00");
  EXPECT_EQ(day, " (Monday)");

  prefix = "0/";
  EXPECT_EQ(ShiftZoneTimeDayIndex(T("00:15:00"), "GMT -03:30", prefix, false), "20:45:00");
  EXPECT_EQ(prefix, "6/");

  // Back to GMT from a western zone moves forward over midnight.
  day = " (Saturday)";
  EXPECT_EQ(ShiftZoneTimeDayName(T("23:00:00"), "GMT -05:00", day, true), "04:00:00");
  EXPECT_EQ(day, " (Sunday)");
  day = " (Sunday)";
  EXPECT_EQ(ShiftZoneTimeDayName(T("01:00:00"), "GMT +05:45", day, true), "19:15:00");
  EXPECT_EQ(day, " (Saturday)");
  EXPECT_EQ(ShiftZoneTime(T("12:00:00"), "GMT +05:30", false), "17:30:00");
  EXPECT_EQ(ShiftZoneTime(T("12:00:00"), "GMT -09:30", false), "02:30:00");
}

TEST(ZoneShift, NoShiftForGmtEmptyOrUnreadableZones) {
  std::string day = " (Friday)";
  EXPECT_EQ(ShiftZoneTimeDayName(T("23:30:00"), "GMT", day, false), "23:30:00");
  EXPECT_EQ(ShiftZoneTimeDayName(T("23:30:00"), "", day, false), "23:30:00");
  EXPECT_EQ(ShiftZoneTimeDayName(T("23:30:00"), "GMT +0200", day, false), "23:30:00");
  EXPECT_EQ(day, " (Friday)");
  // An unreadable part is passed over, the other still applies.
  EXPECT_EQ(ShiftZoneTime(T("10:00:00"), "GMT +xx:30", false), "10:30:00");
  EXPECT_EQ(ShiftZoneTime(T("10:00:00"), "GMT +02:yy", false), "12:00:00");
  // A day text that is none of the seven is left alone.
  std::string odd = "Funday";
  EXPECT_EQ(ShiftZoneTimeDayName(T("23:30:00"), "GMT +01:00", odd, false), "00:30:00");
  EXPECT_EQ(odd, "Funday");
}

TEST(ZoneShift, EveryListedZoneRoundTrips) {
  for (const char* zone : kTimeZoneNames) {
    for (const char* time : {"00:00:00", "11:45:00", "23:59:00"}) {
      std::string there = ShiftZoneTime(T(time), zone, false);
      EXPECT_EQ(ShiftZoneTime(T(there.c_str()), zone, true), time) << zone << " " << time;
      std::string prefix = "3/";
      std::string shifted = ShiftZoneTimeDayIndex(T(time), zone, prefix, false);
      ShiftZoneTimeDayIndex(T(shifted.c_str()), zone, prefix, true);
      EXPECT_EQ(prefix, "3/") << zone << " " << time;
    }
  }
}

}  // namespace
}  // namespace velk
