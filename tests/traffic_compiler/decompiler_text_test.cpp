// Decoding a hand-laid database into the exact lines of the three files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "traffic_compiler/common/traffic_codes.h"
#include "traffic_compiler/decompiler/traffic_reader.h"
#include "traffic_compiler/decompiler/traffic_text.h"
#include "traffic_compiler/decompiler_test_db.h"

namespace ulvane::test {
namespace {

// Time code of `seconds` in period `pc`, written out here as the compiler
// builds it.
std::uint16_t Code(std::uint64_t seconds, int pc) {
  static const std::uint64_t hours[] = {1, 2, 4, 6, 8, 12, 24, 168};
  return static_cast<std::uint16_t>(((seconds * 8192 / (hours[pc] * 3600)) & 0x1FFF) | pc << 13);
}

TEST(DecompilerCoordinates, MinutesAreCutToHundredthsAfterSinglePrecision) {
  // N47* 26.99' as the compiler stores it comes back one hundredth lower.
  EXPECT_EQ(LatitudeText(5273126), "N47* 26.98'");
  EXPECT_EQ(LongitudeText(-1459237011), "W122* 18.70'");
  // E0* 1.68': minutes x 100 in double gives 167.99..., cut to 1.67.
  EXPECT_EQ(LongitudeText(334053), "E0* 1.67'");
  EXPECT_EQ(LatitudeText(-3771030), "S33* 55.99'");
  EXPECT_EQ(LatitudeText(0), "N0* 0.00'");
  // Just under a whole degree the single-precision minutes reach 60 and
  // carry into the degrees, on both sides of the equator.
  EXPECT_EQ(LongitudeText(35791394), "E3* 0.00'");
  EXPECT_EQ(LongitudeText(-35791394), "W3* 0.00'");
  // Extremes of the field print without overflow.
  EXPECT_EQ(LongitudeText(INT32_MIN), "W180* 0.00'");
}

TEST(DecompilerLines, AirportCodeAndElevation) {
  std::string out;
  AppendAirportLine(out, {{'A', 'B', 'C', '\0'}, -3771030, 1803488582, -3});
  AppendAirportLine(out, {{'K', 'S', 'E', 'A'}, 5273126, -1459237011, 132});
  AppendAirportLine(out, {{'X', '\0', '\0', '\0'}, 0, 0, INT32_MAX});
  EXPECT_EQ(out,
            "ABC ,S33* 55.99',E151* 9.99',-9\r\n"
            "KSEA,N47* 26.98',W122* 18.70',433\r\n"
            "X   ,N0* 0.00',E0* 0.00',7045550023\r\n");
}

TEST(DecompilerLines, PlanLegsRunOnOneClockPerPlan) {
  TrafficDatabase db;
  auto leg = [&](std::uint16_t dep, std::uint16_t arr, const char* code, std::uint32_t packed) {
    DecodedLeg l;
    l.departure = dep;
    l.arrival = arr;
    std::memcpy(l.code.data(), code, std::min<size_t>(4, std::strlen(code)));
    l.packed = packed;
    db.legs.push_back(l);
  };
  // Daily: 23:00 -> 01:00 next day, then 02:00 -> fixed 03:30.
  leg(Code(82800, 6), Code(90000, 6), "KSEA", 350 | 1234 << 10 | 1 << 24);
  leg(Code(7200, 6), Code(12600, 6), "EGLL", 5 | 7 << 10 | 1 << 25);
  // Twelve-hourly: the clock passes 12:00 instead of wrapping.
  leg(Code(39600, 5), Code(3600, 5), "ABC", 0);
  leg(Code(43200, 5), Code(46800, 5), "KSEA", 10 | 100 << 10 | 1 << 24);
  // Weekly: the second leg wraps into the next week.
  leg(Code(178200, 7), Code(601200, 7), "EGLL", 1023 | 16383 << 10 | 1 << 24);
  leg(Code(3600, 7), Code(7200, 7), "KSEA", 0);

  DecodedPlan daily;
  daily.acNumber = 1;
  std::memcpy(daily.registration.data(), "N123AB", 6);
  daily.flags = 50 | 6 << 8 | 0x1000;
  daily.firstLeg = 0;
  daily.legCount = 2;
  DecodedPlan twelve = daily;
  twelve.acNumber = 3;
  std::memcpy(twelve.registration.data(), "ABCDEFGH", 8);  // no NUL: all 8 bytes
  twelve.flags = 100 | 5 << 8;
  twelve.firstLeg = 2;
  DecodedPlan weekly = daily;
  weekly.registration = {'W', 'K', '1'};
  weekly.flags = 1 | 7 << 8 | 0x1000;
  weekly.firstLeg = 4;

  std::string out;
  EXPECT_EQ(AppendPlanLine(out, daily, db), 2u);
  EXPECT_EQ(AppendPlanLine(out, twelve, db), 4u);
  EXPECT_EQ(AppendPlanLine(out, weekly, db), 2u);
  EXPECT_EQ(out,
            "AC#1,N123AB,50%,24Hr,IFR,22:59:53,00:59:56,350,F,1234,KSEA,"
            "01:59:53,@03:29:53,005,R,0007,EGLL\r\n"
            "AC#3,ABCDEFGH,100%,12Hr,VFR,10:59:58,12:59:56,000,R,0000,ABC,"
            "12:00:00,12:59:56,010,F,0100,KSEA\r\n"
            "AC#1,WK1,1%,WEEK,IFR,2/01:29:07,6/22:59:42,1023,F,16383,EGLL,"
            "0/00:59:04,0/01:59:21,000,R,0000,KSEA\r\n");
}

TEST(DecompilerLines, TimesFromForeignPeriodBitsStayOnTheClock) {
  // A daily plan whose codes claim the weekly period decodes to times far
  // past a day; the text must still be a valid clock time.
  TrafficDatabase db;
  DecodedLeg l;
  l.departure = 0xFFFF;
  l.arrival = 0xFFFF;
  db.legs = {l, l};
  DecodedPlan p;
  p.acNumber = 1;
  p.flags = 1 | 6 << 8;
  p.legCount = 2;
  std::string out;
  AppendPlanLine(out, p, db);
  std::uint32_t t = traffic::DecodeTimeCode(0xFFFF) % 86400;
  char clock[16];
  std::snprintf(clock, sizeof clock, "%02u:%02u:%02u", t / 3600, t / 60 % 60, t % 60);
  EXPECT_EQ(out, std::string("AC#1,,1%,24Hr,VFR,") + clock + "," + clock + ",000,R,0000,," + clock +
                     "," + clock + ",000,R,0000,\r\n");
}

}  // namespace
}  // namespace ulvane::test
