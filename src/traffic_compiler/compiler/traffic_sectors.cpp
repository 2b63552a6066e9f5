#include "traffic_compiler/compiler/traffic_sectors.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "platform/parallel.h"

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
  GreatCircleTrack track;
  double distance_nm;
};

GeoPoint PointAtNm(const Leg& leg, double nm) { return leg.track.PointAt(nm * kRadiansPerNm); }

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
    const Leg geo{GreatCircleTrack(from, dc.course), dc.distance * kNmPerRadian};
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

void SectorBands::Add(const SectorRecord& r, std::size_t plan_index) {
  auto& chunks = chunks_[r.where.band];
  if (chunks.empty() || chunks.back().size() == kChunk) {
    chunks.emplace_back();
    chunks.back().reserve(kChunk);
  }
  chunks.back().push_back(std::uint64_t(r.where.cell) << 55 | std::uint64_t(r.entry) << 39 |
                          std::uint64_t(plan_index) << 16 | r.exit);
  ++sizes_[r.where.band];
}

void SectorBands::SortBand(int band) {
  auto& sorted = sorted_[band];
  sorted.reserve(sizes_[band]);
  for (auto& chunk : chunks_[band]) {
    sorted.insert(sorted.end(), chunk.begin(), chunk.end());
    std::vector<std::uint64_t>().swap(chunk);
  }
  std::vector<std::vector<std::uint64_t>>().swap(chunks_[band]);
  // Cell, entry code and plan index decide; equal ones keep route order.
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](std::uint64_t a, std::uint64_t b) { return (a >> 16) < (b >> 16); });
}

std::size_t SectorBands::RunCount(int band) const {
  std::size_t runs = 0;
  const auto& v = sorted_[band];
  for (std::size_t i = 0; i < v.size(); ++i)
    if (i == 0 || (v[i] >> 55) != (v[i - 1] >> 55)) ++runs;
  return runs;
}

SectorRecord SectorBands::Decode(int band, std::uint64_t packed) const {
  SectorRecord r;
  r.where = {static_cast<std::uint16_t>(packed >> 55), static_cast<std::uint16_t>(band)};
  r.entry = static_cast<std::uint16_t>(packed >> 39);
  r.plan_id = PlanId(static_cast<std::int64_t>((packed >> 16) & kMaxSectorPlans),
                     static_cast<std::int64_t>(plan_count_));
  r.exit = static_cast<std::uint16_t>(packed);
  return r;
}

SectorBands SectorizeFlightPlans(const std::vector<TrafficPlan>& plans, const AircraftLookup& aircraft,
                                 const AirportIndex& airports) {
  const std::size_t count = plans.size();
  SectorBands bands(count);
  ConsoleWrite("Sectorizing flight plans now...\n");

  // Plans are walked in windows, each split among worker threads; the kept
  // records are then added in plan order, so the result does not depend on
  // the number of threads.
  const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, 16u);
  const std::size_t window = 256 * workers;
  struct Kept {
    SectorRecord record;
    std::size_t plan;
  };
  std::vector<std::vector<Kept>> slices(workers);
  for (std::size_t begin = 0; begin < count; begin += window) {
    const std::size_t end = std::min(count, begin + window);
    const std::size_t per = (end - begin + workers - 1) / workers;
    auto walk = [&](unsigned w) {
      auto& out = slices[w];
      out.clear();
      const std::size_t from = begin + per * w, to = std::min(end, from + per);
      for (std::size_t k = from; k < to; ++k) {
        const TrafficPlan& plan = plans[k];
        const TrafficAircraft* ac = aircraft.Find(plan.aircraft_number);
        const std::uint16_t speed = ac ? ac->cruise_speed : 1;
        for (const SectorRecord& r :
             WalkPlan(plan, PlanId(static_cast<std::int64_t>(k), static_cast<std::int64_t>(count)), speed, airports))
          if (KeepSectorRecord(r)) out.push_back({r, k});
      }
    };
    velk::RunParallel(workers, walk);

    std::size_t next_plan = begin;
    for (const auto& slice : slices) {
      for (const Kept& k : slice) {
        for (; next_plan <= k.plan; ++next_plan)
          if (next_plan % 33 == 0) ConsoleProgress("  Flight plans", static_cast<long long>(next_plan));
        bands.Add(k.record, k.plan);
      }
    }
    for (; next_plan < end; ++next_plan)
      if (next_plan % 33 == 0) ConsoleProgress("  Flight plans", static_cast<long long>(next_plan));
  }
  for (auto& slice : slices) std::vector<Kept>().swap(slice);
  ConsoleCount("  Flight plans", static_cast<long long>(count));

  ConsoleWrite("Sorting sector bands now...\n");
  for (int b = 0; b < kGridBands; ++b) {
    ConsoleProgress("  Bands", b);
    bands.SortBand(b);
  }
  ConsoleWrite("\n");
  return bands;
}

}  // namespace traffic
