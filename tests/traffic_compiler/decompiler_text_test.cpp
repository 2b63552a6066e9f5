// Text of decoded values where single precision, truncation and damaged
// fields decide the result.
#include <gtest/gtest.h>

#include <climits>

#include "traffic_compiler/common/traffic_codes.h"
#include "traffic_compiler/decompiler/traffic_text.h"

namespace ulvane::test {
namespace {

TEST(DecompilerText, CoordinatesAreRoundedToHundredthsAfterSinglePrecision) {
  // N47* 26.99' as the compiler stores it (cut toward zero) comes back as
  // written, north and south, east and west.
  EXPECT_EQ(LatitudeText(5273126), "N47* 26.99'");
  EXPECT_EQ(LatitudeText(-5273126), "S47* 26.99'");
  // E0* 1.68': minutes x 100 taken in double is 167.99...
  EXPECT_EQ(LongitudeText(334053), "E0* 1.68'");
  EXPECT_EQ(LatitudeText(-3771030), "S33* 56.00'");
  // 59.994' stays below the degree; 59.996' carries into the next one, on
  // both sides of the equator and of the meridian.
  EXPECT_EQ(LatitudeText(1444687), "N12* 59.99'");
  EXPECT_EQ(LatitudeText(1444690), "N13* 0.00'");
  EXPECT_EQ(LatitudeText(-1444690), "S13* 0.00'");
  EXPECT_EQ(LongitudeText(-11929669), "W1* 0.00'");
  EXPECT_EQ(LongitudeText(35791394), "E3* 0.00'");
  EXPECT_EQ(LongitudeText(-35791394), "W3* 0.00'");
  EXPECT_EQ(LongitudeText(INT_MIN), "W180* 0.00'");
  // No carry into a degree the compiler refuses.
  EXPECT_EQ(LatitudeText(10001749), "N89* 59.99'");
  EXPECT_EQ(LongitudeText(-2147483628), "W179* 59.99'");
  // Just south of the equator by less than a hundredth reads back as 0.
  EXPECT_EQ(LatitudeText(-1), "N0* 0.00'");

  // An elevation of any stored size prints as its true number of feet.
  std::string line;
  AppendAirportLine(line, {{'X', '\0', 'Y', 'Z'}, 0, 0, INT_MAX});
  EXPECT_EQ(line, "X   ,N0* 0.00',E0* 0.00',7045550023\r\n");
}

TEST(DecompilerText, TimesFromForeignPeriodBitsStayOnTheClock) {
  // A daily plan whose codes claim the weekly period decodes to times far
  // past a day; its text must still be a clock time that can be read back.
  TrafficDatabase db;
  DecodedLeg leg;
  leg.departure = leg.arrival = 0xFFFF;
  db.legs = {leg, leg};
  DecodedPlan plan;
  plan.acNumber = 1;
  plan.flags = 1 | 6 << 8;
  plan.legCount = 2;
  std::string line;
  EXPECT_EQ(AppendPlanLine(line, plan, db), 2u);
  const std::uint32_t t = traffic::DecodeTimeCode(0xFFFF) % 86400;
  const std::string clock = traffic::FormatClockTime(t, true);
  EXPECT_EQ(line, "AC#1,,1%,24Hr,VFR," + clock + "," + clock + ",000,R,0000,," + clock + "," + clock +
                      ",000,R,0000,\r\n");
}

}  // namespace
}  // namespace ulvane::test
