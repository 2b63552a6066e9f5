// The fast sector walk against the exact one: generated plans full of
// awkward places (the poles, the 180-degree meridian, airports exactly on
// cell and band edges, legs along an edge), every period and fixed
// arrivals must give the same database, byte for byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "database_checker.h"
#include "support/test_support.h"
#include "traffic_compiler/common/console.h"
#include "traffic_compiler/compiler/arrival_times.h"
#include "traffic_compiler/compiler/traffic_database.h"
#include "traffic_compiler/compiler/traffic_parser.h"
#include "traffic_compiler/compiler/traffic_sectors.h"

namespace traffic {
namespace {

class StressPlan {
 public:
  explicit StressPlan(std::uint64_t seed) : s_(seed) {}

  int Below(int n) {
    s_ = s_ * 6364136223846793005u + 1442695040888963407u;
    return static_cast<int>((s_ >> 33) % static_cast<std::uint64_t>(n));
  }

  // Airports with their codes kept for the plans.
  std::string Airports() {
    std::string text;
    // Cell edges lie every 56.25' of longitude from 180 W, band edges every
    // 42.1875' of latitude from the north pole: both exact in the file's
    // single-precision minutes.
    for (int i = 0; i < 24; ++i) {
      const int cell = 1 + Below(383), band = 1 + Below(254);
      const double lon = -180.0 + cell * 0.9375, lat = 90.0 - band * 0.703125;
      Add(text, Coordinate(lat, 'N', 'S'), Coordinate(lon, 'E', 'W'));
      // The same edge meridian at another latitude, and the same band edge
      // at another longitude, so that legs run along edges.
      Add(text, Coordinate(90.0 - (1 + Below(254)) * 0.703125, 'N', 'S'), Coordinate(lon, 'E', 'W'));
      Add(text, Coordinate(lat, 'N', 'S'), Coordinate(-180.0 + (1 + Below(383)) * 0.9375, 'E', 'W'));
    }
    // Next to the poles and on both sides of the 180-degree meridian.
    for (const char* place : {"N89* 59.99',E0* 0'", "N89* 59.99',W120* 0'", "S89* 59.99',E45* 30'",
                              "S89* 0',W179* 59.99'", "N80* 0',E0* 0'", "N80* 0',W179* 59.99'",
                              "N10* 0',E179* 59.99'", "N10* 0',W179* 59.99'", "S45* 0',E179* 59.9999'",
                              "S45* 0',W179* 59.9999'", "N0* 0',E0* 0'", "N0* 0',W179* 0'",
                              "N89* 17.8125',E0* 56.25'", "S89* 17.8125',W0* 56.25'"})
      AddText(text, place);
    // Anywhere.
    for (int i = 0; i < 40; ++i) {
      const double lat = (Below(17800) - 8900) / 100.0, lon = (Below(35998) - 17999) / 100.0;
      Add(text, Coordinate(lat, 'N', 'S'), Coordinate(lon, 'E', 'W'));
    }
    return text;
  }

  std::string Aircraft() const {
    return "AC#1,1,\"Crawler\"\nAC#2,90,\"Slow\"\nAC#3,450,\"Jet\"\nAC#4,2500,\"Rocket\"\n";
  }

  std::string Plans(int count) {
    static const char* kPeriods[] = {"1Hr", "2Hr", "4Hr", "6Hr", "8Hr", "12Hr", "24Hr", "WEEK"};
    std::string text;
    char buf[160];
    for (int k = 0; k < count; ++k) {
      const int period = k % 8;
      std::snprintf(buf, sizeof buf, "AC#%d,R%d,%d%%,%s,IFR", 1 + Below(4), k, 1 + Below(100), kPeriods[period]);
      text += buf;
      const int legs = 2 + Below(4);
      // Often from one edge airport to its partner on the same edge.
      int at = Below(static_cast<int>(codes_.size()));
      for (int l = 0; l < legs; ++l) {
        const std::string day = period == 7 ? std::to_string(Below(7)) + "/" : "";
        std::snprintf(buf, sizeof buf, ",%s%02d:%02d:%02d", day.c_str(), Below(24), Below(60), Below(60));
        text += buf;
        if (Below(4) == 0) {
          std::snprintf(buf, sizeof buf, ",@%s%02d:%02d", day.c_str(), Below(24), Below(60));
          text += buf;
        } else {
          text += ",";
        }
        at = Below(3) == 0 && at + 1 < static_cast<int>(codes_.size()) ? at + 1 : Below(static_cast<int>(codes_.size()));
        std::snprintf(buf, sizeof buf, ",%d,F,%d,%s", Below(400), Below(16384), codes_[static_cast<std::size_t>(at)].c_str());
        text += buf;
      }
      text += "\n";
    }
    return text;
  }

 private:
  static std::string Coordinate(double value, char positive, char negative) {
    const double a = value < 0 ? -value : value;
    const int degrees = static_cast<int>(a);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%c%d* %.4f'", value < 0 ? negative : positive, degrees, (a - degrees) * 60.0);
    return buf;
  }
  void Add(std::string& text, const std::string& lat, const std::string& lon) { AddText(text, lat + "," + lon); }
  void AddText(std::string& text, const std::string& place) {
    const std::string code = "P" + std::to_string(codes_.size());
    codes_.push_back(code);
    text += code + "," + place + ",0\n";
  }

  std::uint64_t s_;
  std::vector<std::string> codes_;
};

TrafficData Parse(StressPlan& maker, int plans) {
  TrafficData data;
  EXPECT_EQ(ParseAirportsText(maker.Airports(), data.airports).code, 0);
  EXPECT_EQ(ParseAircraftText(maker.Aircraft(), data.aircraft).code, 0);
  const std::string text = maker.Plans(plans);
  const ParseError e = ParsePlansText(text, data.plans);
  EXPECT_EQ(e.code, 0) << e.text;
  return data;
}

TEST(SectorWalk, FastAndExactWalksGiveTheSameDatabase) {
  for (std::uint64_t seed : {1u, 2u, 3u}) {
    StressPlan maker(seed);
    TrafficData data = Parse(maker, 1500);
    TrafficData same = data;
    std::string fast, exact;
    {
      ScopedConsoleCapture quiet;
      ASSERT_EQ(BuildTrafficDatabase(data, fast, "x", SectorWalk::kFast), 0);
      ASSERT_EQ(BuildTrafficDatabase(same, exact, "x", SectorWalk::kExact), 0);
    }
    ASSERT_EQ(fast.size(), exact.size()) << "seed " << seed;
    if (fast == exact) continue;
    // Name the first plan that walks differently.
    const AirportIndex airports(data.airports);
    const AircraftLookup aircraft(data.aircraft);
    const auto n = static_cast<std::int64_t>(data.plans.size());
    for (std::int64_t k = 0; k < n; ++k) {
      const TrafficPlan& plan = data.plans[static_cast<std::size_t>(k)];
      const std::uint16_t speed = aircraft.Find(plan.aircraft_number)->cruise_speed;
      const auto a = WalkPlan(plan, PlanId(k, n), speed, airports, SectorWalk::kFast);
      const auto b = WalkPlan(plan, PlanId(k, n), speed, airports, SectorWalk::kExact);
      bool equal = a.size() == b.size();
      for (std::size_t i = 0; equal && i < a.size(); ++i)
        equal = a[i].where == b[i].where && a[i].entry == b[i].entry && a[i].exit == b[i].exit;
      ASSERT_TRUE(equal) << "seed " << seed << ", plan " << k;
    }
    FAIL() << "seed " << seed << ": the databases differ although every plan walks alike";
  }
}

TEST(SectorWalk, TheFileWrittenInPiecesEqualsTheDatabaseBuiltInMemory) {
  // The sector bands go straight to their places in the file from several
  // threads.
  StressPlan maker(5);
  TrafficData data = Parse(maker, 3000);
  TrafficData same = data;
  std::string built;
  velk::test::TempDir dir;
  {
    ScopedConsoleCapture quiet;
    ASSERT_EQ(BuildTrafficDatabase(data, built, "x"), 0);
    ASSERT_EQ(WriteTrafficDatabase(dir / "traffic.bgl", same), 0);
  }
  const auto written = velk::test::ReadFile(dir / "traffic.bgl");
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->size(), built.size());
  EXPECT_TRUE(*written == built);
  EXPECT_TRUE(test::CheckTrafficDatabase(built).empty());
}

TEST(SectorWalk, LegsAlongEdgesAndOverThePolesMatchRecordForRecord) {
  // Each leg on its own, both ways, with a fast aircraft and a slow one.
  StressPlan maker(11);
  std::vector<TrafficAirport> airports;
  ASSERT_EQ(ParseAirportsText(maker.Airports(), airports).code, 0);
  const AirportIndex index(airports);
  std::size_t records = 0;
  for (std::size_t i = 0; i < airports.size(); ++i) {
    for (std::size_t j = 0; j < airports.size(); j += 5) {
      if (i == j) continue;
      TrafficPlan plan;
      plan.period_code = static_cast<std::uint8_t>((i + j) % 8);
      plan.legs.resize(2);
      plan.legs[0].destination = airports[j].code;
      plan.legs[1].destination = airports[i].code;
      plan.legs[1].departure = 3600;
      for (std::uint16_t speed : {std::uint16_t{60}, std::uint16_t{600}}) {
        const auto a = WalkPlan(plan, -2, speed, index, SectorWalk::kFast);
        const auto b = WalkPlan(plan, -2, speed, index, SectorWalk::kExact);
        ASSERT_EQ(a.size(), b.size()) << AirportCodeText(airports[i].code) << "-" << AirportCodeText(airports[j].code);
        for (std::size_t r = 0; r < a.size(); ++r) {
          ASSERT_TRUE(a[r].where == b[r].where && a[r].entry == b[r].entry && a[r].exit == b[r].exit)
              << AirportCodeText(airports[i].code) << "-" << AirportCodeText(airports[j].code) << " record " << r;
        }
        records += a.size();
      }
    }
  }
  EXPECT_GT(records, 10000u);
}

}  // namespace
}  // namespace traffic
