#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "database_checker.h"
#include "traffic_compiler/common/console.h"
#include "traffic_compiler/compiler/arrival_times.h"
#include "traffic_compiler/compiler/traffic_database.h"
#include "traffic_compiler/compiler/traffic_parser.h"
#include "traffic_compiler/compiler/traffic_sectors.h"

namespace traffic {
namespace {

// Small deterministic generator of awkward plans: the antimeridian, both
// poles, airports sharing a cell, weekly periods and fixed arrivals that lie
// before their departures.
class PlanMaker {
 public:
  explicit PlanMaker(std::uint32_t seed) : s_(seed) {}
  int Below(int n) {
    s_ = s_ * 1103515245u + 12345u;
    return static_cast<int>((s_ >> 8) % static_cast<std::uint32_t>(n));
  }
  std::string Airports() const {
    return "ANTE,N10* 0',E179* 59.5',0\n"
           "ANTW,N10* 0',W179* 59.5',0\n"
           "NPOL,N89* 59',E0* 0',0\n"
           "SPOL,S89* 59',W90* 0',0\n"
           "NEAR,N10* 0',E179* 59.9',0\n"
           "EQ1,N0* 0',E0* 0',0\n"
           "EQ2,S0* 30',E10* 0',0\n"
           "MID,N47* 26.99',W122* 18.71',433\n";
  }
  std::string Plans(int count) {
    static const char* codes[] = {"ANTE", "ANTW", "NPOL", "SPOL", "NEAR", "EQ1", "EQ2", "MID"};
    static const char* periods[] = {"1Hr", "2Hr", "4Hr", "6Hr", "8Hr", "12Hr", "24Hr", "WEEK"};
    std::string text;
    char buf[128];
    for (int k = 0; k < count; ++k) {
      const int period = Below(8);
      std::snprintf(buf, sizeof buf, "AC#%d,R%d,%d%%,%s,%s", 1 + Below(3), k, 1 + Below(100), periods[period],
                    Below(2) ? "IFR" : "VFR");
      text += buf;
      const int legs = 2 + Below(4);
      for (int l = 0; l < legs; ++l) {
        const std::string day = period == 7 ? std::to_string(Below(7)) + "/" : "";
        std::snprintf(buf, sizeof buf, ",%s%02d:%02d:%02d", day.c_str(), Below(24), Below(60), Below(60));
        text += buf;
        if (Below(3) == 0) {
          std::snprintf(buf, sizeof buf, ",@%s%02d:%02d", day.c_str(), Below(24), Below(60));
          text += buf;
        } else {
          text += ",";
        }
        std::snprintf(buf, sizeof buf, ",%d,%c,%d,%s", Below(1024), Below(2) ? 'F' : 'R', Below(16384),
                      codes[Below(8)]);
        text += buf;
      }
      text += "\n";
    }
    return text;
  }

 private:
  std::uint32_t s_;
};

TEST(DatabaseChecker, EveryDatabaseOfAwkwardPlansIsSound) {
  for (std::uint32_t seed = 1; seed <= 20; ++seed) {
    PlanMaker maker(seed);
    TrafficData data;
    ASSERT_EQ(ParseAirportsText(maker.Airports(), data.airports).code, 0);
    ASSERT_EQ(ParseAircraftText("AC#1,60,\"Slow\"\nAC#2,450,\"Jet\"\nAC#3,1,\"Crawler\"\n", data.aircraft).code, 0);
    const std::string plans = maker.Plans(40);
    ASSERT_EQ(ParsePlansText(plans, data.plans).code, 0) << plans;
    std::string bytes;
    ScopedConsoleCapture quiet;
    ASSERT_EQ(BuildTrafficDatabase(data, bytes, "x"), 0);
    const auto problems = test::CheckTrafficDatabase(bytes);
    EXPECT_TRUE(problems.empty()) << "seed " << seed << ": " << problems.front();
  }
}

TEST(DatabaseChecker, NoticesBrokenFiles) {
  PlanMaker maker(7);
  TrafficData data;
  ASSERT_EQ(ParseAirportsText(maker.Airports(), data.airports).code, 0);
  ASSERT_EQ(ParseAircraftText("AC#1,60,\"Slow\"\nAC#2,450,\"Jet\"\nAC#3,1,\"Crawler\"\n", data.aircraft).code, 0);
  ASSERT_EQ(ParsePlansText(maker.Plans(5), data.plans).code, 0);
  std::string bytes;
  ScopedConsoleCapture quiet;
  ASSERT_EQ(BuildTrafficDatabase(data, bytes, "x"), 0);
  ASSERT_TRUE(test::CheckTrafficDatabase(bytes).empty());
  EXPECT_FALSE(test::CheckTrafficDatabase(bytes + '\0').empty());
  EXPECT_FALSE(test::CheckTrafficDatabase(bytes.substr(0, bytes.size() - 1)).empty());
  std::string swapped = bytes;  // first two airport index entries exchanged
  swapped.replace(252, 16, bytes.substr(260, 8) + bytes.substr(252, 8));
  EXPECT_FALSE(test::CheckTrafficDatabase(swapped).empty());
}

}  // namespace
}  // namespace traffic

namespace traffic {
namespace {

// The sectors are walked on several threads in windows of plans; the
// section must equal a plain walk of one plan after the other.
TEST(DatabaseChecker, SectorsEqualAPlainSequentialWalk) {
  PlanMaker maker(99);
  TrafficData data;
  ASSERT_EQ(ParseAirportsText(maker.Airports(), data.airports).code, 0);
  ASSERT_EQ(ParseAircraftText("AC#1,60,\"Slow\"\nAC#2,450,\"Jet\"\nAC#3,1,\"Crawler\"\n", data.aircraft).code, 0);
  ASSERT_EQ(ParsePlansText(maker.Plans(5000), data.plans).code, 0);
  std::string bytes;
  {
    ScopedConsoleCapture quiet;
    ASSERT_EQ(BuildTrafficDatabase(data, bytes, "x"), 0);
  }

  const AirportIndex airports(data.airports);
  const AircraftLookup aircraft(data.aircraft);
  std::vector<std::vector<SectorRecord>> bands(kGridBands);
  const auto n = static_cast<std::int64_t>(data.plans.size());
  for (std::int64_t k = 0; k < n; ++k) {
    const TrafficPlan& plan = data.plans[static_cast<std::size_t>(k)];
    for (const auto& r : WalkPlan(plan, PlanId(k, n), aircraft.Find(plan.aircraft_number)->cruise_speed, airports))
      if (KeepSectorRecord(r)) bands[r.where.band].push_back(r);
  }
  std::string blocks;
  std::size_t runs = 0;
  auto put16 = [&](unsigned v) { blocks += static_cast<char>(v & 0xFF), blocks += static_cast<char>(v >> 8); };
  auto put32 = [&](std::uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
  for (int b = 0; b < kGridBands; ++b) {
    auto& band = bands[b];
    std::stable_sort(band.begin(), band.end(), [](const SectorRecord& x, const SectorRecord& y) {
      return x.where.cell != y.where.cell ? x.where.cell < y.where.cell : x.entry < y.entry;
    });
    for (std::size_t i = 0; i < band.size();) {
      std::size_t j = i;
      while (j < band.size() && band[j].where.cell == band[i].where.cell) ++j;
      ++runs;
      put32(static_cast<std::uint32_t>(8 + 8 * (j - i)));
      put32(band[i].where.cell | static_cast<std::uint32_t>(b) << 16);
      for (; i < j; ++i) {
        put32(static_cast<std::uint32_t>(band[i].plan_id));
        put16(band[i].entry);
        put16(band[i].exit);
      }
    }
  }
  ASSERT_GT(runs, 10u);
  ASSERT_GE(bytes.size(), blocks.size());
  EXPECT_TRUE(bytes.substr(bytes.size() - blocks.size()) == blocks);
  EXPECT_TRUE(test::CheckTrafficDatabase(bytes).empty());
}

}  // namespace
}  // namespace traffic
