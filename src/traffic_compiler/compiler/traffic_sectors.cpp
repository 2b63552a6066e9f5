#include "traffic_compiler/compiler/traffic_sectors.h"

#include <algorithm>
#include <cmath>

#include "traffic_compiler/common/console.h"

namespace traffic {

GridCell CellOf(const GeoPoint& p) {
  double c = std::trunc((p.lon + kPi) * 61.11549814728781);
  double b = std::trunc((kPi / 2 - p.lat) * 81.48733086305042);
  c = std::clamp(c, 0.0, double(kGridCells - 1));
  b = std::clamp(b, 0.0, double(kGridBands - 1));
  return {static_cast<std::uint16_t>(c), static_cast<std::uint16_t>(b)};
}

namespace {

struct Leg {
  GeoPoint from;
  double distance_nm;
  double course;
};

GeoPoint PointAtNm(const Leg& leg, double nm) {
  return PointAlong(leg.from, nm * kRadiansPerNm, leg.course);
}

// Moves `t` to the next cell boundary along the leg (placed at most 0.1 nm
// past the true crossing) and sets `cur` to the new cell; false when the
// leg ends inside the current cell.
bool FindNextCellBoundary(const Leg& leg, double& t, GridCell& cur) {
  for (;;) {
    double lo = t;
    double hi = t + 200.0;
    GridCell cand;
    if (hi > leg.distance_nm) {
      hi = leg.distance_nm;
      cand = CellOf(PointAtNm(leg, hi));
      if (cand == cur) {
        t = leg.distance_nm;
        return false;
      }
    } else {
      cand = CellOf(PointAtNm(leg, hi));
      if (cand == cur) {
        // Still (or again) in the same cell after a full step: go on.
        t = hi;
        continue;
      }
    }
    while (hi - 0.1 > lo) {
      const double mid = (lo + hi) * 0.5;
      const GridCell c = CellOf(PointAtNm(leg, mid));
      if (c == cur) {
        lo = mid;
      } else {
        hi = mid;
        cand = c;
      }
    }
    t = hi;
    cur = cand;
    return true;
  }
}

}  // namespace

std::vector<SectorRecord> WalkPlan(const TrafficPlan& plan, std::int32_t plan_id, std::uint16_t speed,
                                   const AirportIndex& airports) {
  std::vector<SectorRecord> records;
  const std::size_t n = plan.legs.size();
  if (n == 0) return records;
  std::vector<GeoPoint> dest(n);
  for (std::size_t k = 0; k < n; ++k) {
    const TrafficAirport* a = airports.Find(plan.legs[k].destination);
    dest[k] = a ? AirportPosition(*a) : GeoPoint{};
  }
  const int pc = plan.period_code;
  std::size_t current = 0;

  for (std::size_t step = 1; step <= n; ++step) {
    const std::size_t k = step % n;  // legs 1..n-1, then the closing leg 0
    const bool closing = k == 0;
    const TrafficLeg& leg = plan.legs[k];
    const GeoPoint& from = dest[k == 0 ? n - 1 : k - 1];
    const GeoPoint& to = dest[k];
    if (records.empty()) {
      records.push_back({CellOf(from), plan_id, 0, 0});
      current = 0;
    }
    const GridCell to_cell = CellOf(to);
    GridCell cur = CellOf(from);
    if (cur == to_cell) continue;

    const DistanceCourse dc = GreatCircle(from, to);
    const Leg geo{from, dc.distance * kNmPerRadian, dc.course};
    double knots = speed;
    if (leg.fixed_arrival) {
      // A fixed leg moves from 900 s after departure to 900 s before
      // arrival; an arrival before the departure lies in the next period.
      std::int64_t duration = std::int64_t(leg.arrival) - std::int64_t(leg.departure);
      if (duration < 0) duration += pc == kWeekPeriodCode ? kSecondsPerWeek : kSecondsPerDay;
      if (duration > 1800) {
        knots = std::trunc(geo.distance_nm / double(duration - 1800) * 3600.0 + 0.5);
        if (knots < 1) knots = 1;
      }
    }
    const double nm_per_second = knots * 0.0002777777777777778;
    double t = 0;
    while (FindNextCellBoundary(geo, t, cur)) {
      std::size_t next;
      if (closing && cur == records[0].where) {
        next = 0;
      } else {
        records.push_back({cur, plan_id, 0, 0});
        next = records.size() - 1;
      }
      const std::uint64_t crossing = std::uint64_t(leg.departure) + std::uint64_t(t / nm_per_second) + 900u;
      const std::uint16_t code = EncodeTimeCode(crossing, pc);
      records[next].entry = code;
      records[current].exit = code;
      current = next;
    }
  }
  return records;
}

std::vector<std::vector<SectorRecord>> SectorizeFlightPlans(const std::vector<TrafficPlan>& plans,
                                                            const AircraftLookup& aircraft,
                                                            const AirportIndex& airports) {
  std::vector<std::vector<SectorRecord>> bands(kGridBands);
  ConsoleWrite("Sectorizing flight plans now...\n");
  const std::int64_t count = static_cast<std::int64_t>(plans.size());
  for (std::int64_t k = 0; k < count; ++k) {
    if (k % 33 == 0) ConsoleProgress("  Flight plans", k);
    const TrafficPlan& plan = plans[static_cast<std::size_t>(k)];
    const TrafficAircraft* ac = aircraft.Find(plan.aircraft_number);
    const std::uint16_t speed = ac ? ac->cruise_speed : 1;
    for (const SectorRecord& r : WalkPlan(plan, PlanId(k, count), speed, airports))
      if (KeepSectorRecord(r)) bands[r.where.band].push_back(r);
  }
  ConsoleCount("  Flight plans", count);

  ConsoleWrite("Sorting sector bands now...\n");
  for (int b = 0; b < kGridBands; ++b) {
    ConsoleProgress("  Bands", b);
    std::stable_sort(bands[b].begin(), bands[b].end(), [](const SectorRecord& x, const SectorRecord& y) {
      if (x.where.cell != y.where.cell) return x.where.cell < y.where.cell;
      return x.entry < y.entry;
    });
  }
  ConsoleWrite("\n");
  return bands;
}

}  // namespace traffic
