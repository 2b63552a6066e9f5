#include "traffic_compiler/compiler/traffic_sectors.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <bitset>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include "traffic_compiler/common/console.h"
#include "traffic_compiler/common/tool_files.h"
#include "traffic_compiler/common/work_blocks.h"

namespace traffic {

GridCell CellOf(const GeoPoint& p) {
  double c = std::trunc((p.lon + kPi) * 61.11549814728781);
  double b = std::trunc((kPi / 2 - p.lat) * 81.48733086305042);
  c = std::clamp(c, 0.0, double(kGridCells - 1));
  b = std::clamp(b, 0.0, double(kGridBands - 1));
  return {static_cast<std::uint16_t>(c), static_cast<std::uint16_t>(b)};
}

namespace {

// A leg followed with the great-circle formulas at every point: the
// reference walk.
class ExactLeg {
 public:
  ExactLeg(const GeoTrig& from, double course, double distance_nm)
      : track_(from.p, course), distance_nm_(distance_nm) {}

  GridCell CellAt(double nm) const { return CellOf(track_.PointAt(nm * kRadiansPerNm)); }

  // Moves `t` to the next cell boundary along the leg (placed at most 0.1 nm
  // past the true crossing) and sets `cur` to the new cell; false when the
  // leg ends inside the current cell.
  bool NextBoundary(double& t, GridCell& cur) const {
    for (;;) {
      double lo = t;
      double hi = t + 200.0;
      GridCell cand;
      if (hi > distance_nm_) {
        hi = distance_nm_;
        cand = CellAt(hi);
        if (cand == cur) {
          t = distance_nm_;
          return false;
        }
      } else {
        cand = CellAt(hi);
        if (cand == cur) {
          // Still (or again) in the same cell after a full step: go on.
          t = hi;
          continue;
        }
      }
      while (hi - 0.1 > lo) {
        const double mid = (lo + hi) * 0.5;
        const GridCell c = CellAt(mid);
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

 private:
  GreatCircleTrack track_;
  double distance_nm_;
};

// The fast walk follows a leg by its distance s (radians) alone. The point
// at s is P(s) = start cos s + along sin s, and each edge of a cell is a
// function of s of the form amp cos(s - phase) - level: a meridian's plane
// (level 0) or a circle of latitude (P.z against the sine of the band's
// edge). Its zeros, phase +/- alpha + 2 pi k, are where the leg crosses that
// edge, and a point lies in the cell when no edge was crossed an odd number
// of times since a point known to be inside. Every decision that lies
// closer to a crossing than the uncertainty of the zeros is taken by the
// formulas instead, so the cells decided are those of the exact walk.

// Uncertainty of a crossing, as a distance from the edge: far above the
// rounding of both ways of computing a point (about 1e-15), far below any
// distance that matters (1e-12 is 6 mm on the ground).
constexpr double kEdgeMargin = 1e-12;
// Edges that the leg meets at a grazing angle have zeros too uncertain to
// use; the formulas decide there.
constexpr double kMinSlope = 1e-6;
// Near a pole the formulas' longitudes are less exact than the margin, so
// legs starting there are walked with the formulas throughout.
constexpr double kPolarStartCos = 0.1;
constexpr double kTwoPi = 2 * kPi;
constexpr double kTurnsPerRadian = 1 / kTwoPi;

// The first zero base + 2 pi k at or after `from`, give or take a rounding:
// never one turn late, and at worst a turn early for a zero that lies just
// before `from`. Along a leg the two lie at most a few turns apart, and
// stepping whole turns costs less than rounding a count of turns.
inline double FirstZeroFrom(double base, double from) {
  if (!(std::fabs(from - base) < 4 * kTwoPi)) return base + kTwoPi * std::ceil((from - base) * kTurnsPerRadian);
  while (base < from) base += kTwoPi;
  while (base - kTwoPi >= from) base -= kTwoPi;
  return base;
}

// Band edges by the sine of their latitude and cell edges by the normal of
// their meridian plane.
struct GridEdges {
  double band_top[kGridBands + 1];    // z of the northern edge of each band
  double meridian_x[kGridCells + 1];  // normal (-sin m, cos m) of the western
  double meridian_y[kGridCells + 1];  // edge of each cell
};

const GridEdges& Edges() {
  static const GridEdges edges = [] {
    GridEdges e{};
    for (int b = 0; b <= kGridBands; ++b) e.band_top[b] = std::cos(b / 81.48733086305042);
    for (int c = 0; c <= kGridCells; ++c) {
      const double m = c / 61.11549814728781 - kPi;
      e.meridian_x[c] = -std::sin(m);
      e.meridian_y[c] = std::cos(m);
    }
    return e;
  }();
  return edges;
}

// Where a leg crosses one edge of a cell.
struct EdgeCrossings {
  double phase = 0;
  double alpha = 0;   // zeros at phase - alpha and phase + alpha
  double delta = 0;   // uncertainty of each zero, in s
  bool none = false;  // the leg never meets this edge
  bool usable = false;
  double next[2] = {0, 0};  // the next zero of each of the two families

  // Looks for the next zeros from `s` on (two margins early, so that a zero
  // next to `s` is always seen).
  void Arm(double s) {
    if (none || !usable) return;
    next[0] = FirstZeroFrom(phase - alpha, s - 2 * delta);
    next[1] = FirstZeroFrom(phase + alpha, s - 2 * delta);
  }
};

// A zero of an edge inside a stretch of the leg.
struct Crossing {
  double s;
  double delta;
  int edge;  // 0 west, 1 east, 2 top, 3 bottom
};

class FastLeg {
 public:
  FastLeg(const GeoTrig& from, double course, double distance_nm)
      : from_(from), course_(course), distance_nm_(distance_nm) {
    const double sin_lat = from.sin_lat, cos_lat = from.cos_lat;
    const double sin_lon = from.sin_lon, cos_lon = from.cos_lon;
    const double sin_course = std::sin(course), cos_course = std::cos(course);
    start_x_ = cos_lat * cos_lon;
    start_y_ = cos_lat * sin_lon;
    // The way along the course: north and east at the start, mixed.
    along_x_ = -sin_lat * cos_lon * cos_course - sin_lon * sin_course;
    along_y_ = -sin_lat * sin_lon * cos_course + cos_lon * sin_course;
    // P.z = sin_lat cos s + cos_lat cos_course sin s = z_amp cos(s - z_phase)
    z_amp_ = std::sqrt(sin_lat * sin_lat + cos_lat * cos_course * cos_lat * cos_course);
    z_phase_ = std::atan2(cos_lat * cos_course, sin_lat);
    polar_ = cos_lat < kPolarStartCos;
  }

  bool NextBoundary(double& t, GridCell& cur) {
    if (polar_) return Exact().NextBoundary(t, cur);
    if (!(cur == cell_)) SetCell(cur, t * kRadiansPerNm);
    for (;;) {
      if (!usable_) return Exact().NextBoundary(t, cur);
      double lo = t;
      double hi = t + 200.0;
      const bool last = hi > distance_nm_;
      if (last) hi = distance_nm_;
      // The crossings of this stretch; one too close to its start leaves
      // the stretch to the formulas.
      const double s0 = lo * kRadiansPerNm;
      if (!FindCrossings(s0, hi * kRadiansPerNm)) return Exact().NextBoundary(t, cur);
      if (InCell(hi, cur)) {
        t = hi;
        if (last) return false;
        continue;
      }
      if (simple_) {
        // One crossing decides: before it a point is in the cell, after it
        // out. Only a point within its margin needs the formulas.
        // In nm, widened by far more than the rounding of the conversion.
        const double before = (crossings_[0].s - crossings_[0].delta - 1e-14) * kNmPerRadian;
        const double after = (crossings_[0].s + crossings_[0].delta + 1e-14) * kNmPerRadian;
        // Which way each halving goes is a coin toss that a branch would
        // guess wrong half the time, so the usual case is bisected by
        // selects alone. Should a point fall within the margin, the stretch
        // is bisected once more from its start, with the formulas there.
        // The sum lo + hi, twice the midpoint, is compared with twice the
        // bounds (doubling is exact), so that the halving is off the path
        // from one step to the next.
        const double start_lo = lo, start_hi = hi;
        const double before2 = 2 * before, after2 = 2 * after;
        bool unsure = false;
        while (hi - 0.1 > lo) {
          const double sum = lo + hi;
          const double mid = sum * 0.5;
          const bool in = sum < before2;
          unsure |= !in & (sum <= after2);
          lo = in ? mid : lo;
          hi = in ? hi : mid;
        }
        if (unsure) [[unlikely]] {
          lo = start_lo;
          hi = start_hi;
          while (hi - 0.1 > lo) {
            const double mid = (lo + hi) * 0.5;
            bool in = mid < before;
            if (!in && mid <= after) in = Exact().CellAt(mid) == cur;
            lo = in ? mid : lo;
            hi = in ? hi : mid;
          }
        }
      } else {
        while (hi - 0.1 > lo) {
          const double mid = (lo + hi) * 0.5;
          if (InCell(mid, cur)) lo = mid;
          else hi = mid;
        }
      }
      t = hi;
      // The new cell is the one at `hi`: across the one edge crossed since
      // `lo`, when that is certain, else as the formulas have it.
      if (!MoveToNeighbour(lo * kRadiansPerNm, hi * kRadiansPerNm)) SetCell(Exact().CellAt(hi), hi * kRadiansPerNm);
      cur = cell_;
      return true;
    }
  }

 private:
  EdgeCrossings MeridianCrossings(int meridian) const {
    const GridEdges& e = Edges();
    const double a = start_x_ * e.meridian_x[meridian] + start_y_ * e.meridian_y[meridian];
    const double b = along_x_ * e.meridian_x[meridian] + along_y_ * e.meridian_y[meridian];
    EdgeCrossings c;
    const double amp = std::sqrt(a * a + b * b);
    c.usable = amp >= kMinSlope;
    if (!c.usable) return c;
    c.phase = std::atan2(b, a);
    c.alpha = kPi / 2;
    c.delta = kEdgeMargin / amp + 1e-14;
    return c;
  }
  EdgeCrossings LatitudeCrossings(int band_edge) const {
    const double level = Edges().band_top[band_edge];
    EdgeCrossings c;
    const double room = z_amp_ - std::fabs(level);
    if (room > 1e-9) {
      const double slope = std::sqrt(z_amp_ * z_amp_ - level * level);
      c.usable = slope >= kMinSlope;
      c.phase = z_phase_;
      c.alpha = std::acos(level / z_amp_);
      c.delta = kEdgeMargin / slope + 1e-14;
    } else {
      // Out of reach of the leg's great circle, unless only just.
      c.none = true;
      c.usable = room < -1e-9;
    }
    return c;
  }

  // Takes the cell's edges, at `s` along the leg.
  void SetCell(GridCell cell, double s) {
    cell_ = cell;
    edges_[0] = MeridianCrossings(cell.cell);
    edges_[1] = MeridianCrossings(cell.cell + 1);
    edges_[2] = LatitudeCrossings(cell.band);
    edges_[3] = LatitudeCrossings(cell.band + 1);
    usable_ = edges_[0].usable && edges_[1].usable && edges_[2].usable && edges_[3].usable;
    for (EdgeCrossings& e : edges_) e.Arm(s);
  }

  // Collects the zeros of the cell's edges in (s0, s1]; false when one lies
  // too close to s0 to tell on which side.
  bool FindCrossings(double s0, double s1) {
    count_ = 0;
    for (int i = 0; i < 4; ++i) {
      EdgeCrossings& e = edges_[i];
      if (e.none) continue;
      for (double& s : e.next) {
        if (s < s0 - 2 * e.delta) s = FirstZeroFrom(s, s0 - 2 * e.delta);
        if (s > s1 + e.delta) continue;
        if (s <= s0 + e.delta) return false;
        crossings_[count_++] = {s, e.delta, i};
      }
    }
    // The usual stretch leaves the cell at its first crossing and does not
    // come back: then a point is inside exactly when it lies before that
    // crossing.
    simple_ = false;
    if (count_ == 0) return true;
    // At most two crossings of each edge, eight in all: put in order by
    // insertion, which keeps equal ones in the order found, as std::sort
    // does for so few. std::sort also carries the paths for long ranges,
    // which the compiler cannot rule out here and takes to run past the
    // array.
    for (int i = 1; i < count_; ++i) {
      const Crossing c = crossings_[i];
      int j = i;
      for (; j > 0 && c.s < crossings_[j - 1].s; --j) crossings_[j] = crossings_[j - 1];
      crossings_[j] = c;
    }
    unsigned odd = 0;
    simple_ = true;
    for (int i = 0; i < count_; ++i) {
      odd ^= 1u << crossings_[i].edge;
      // Crossings too close together to be sure of their order, or a way
      // back into the cell: every point is judged on its own.
      if (odd == 0 || (i > 0 && crossings_[i].s - crossings_[i - 1].s <= crossings_[i].delta + crossings_[i - 1].delta))
        simple_ = false;
    }
    return true;
  }

  // The formulas, for the few decisions the crossings cannot take; made
  // when first needed.
  ExactLeg& Exact() const {
    if (!exact_) exact_.emplace(from_, course_, distance_nm_);
    return *exact_;
  }

  // Whether the point `nm` along the leg lies in `cur`, which holds the
  // point at the start of the stretch: no edge crossed an odd number of
  // times since.
  bool InCell(double nm, GridCell cur) const {
    const double s = nm * kRadiansPerNm;
    if (count_ == 0) return true;
    if (simple_) {
      const Crossing& c = crossings_[0];
      if (s < c.s - c.delta) return true;
      if (s > c.s + c.delta) return false;
      return Exact().CellAt(nm) == cur;
    }
    unsigned odd = 0;
    for (int i = 0; i < count_; ++i) {
      const Crossing& c = crossings_[i];
      if (std::fabs(s - c.s) <= c.delta) return Exact().CellAt(nm) == cur;
      if (c.s < s) odd ^= 1u << c.edge;
    }
    return odd == 0;
  }

  // Moves to the cell across the one edge crossed in (s0, s1], when exactly
  // one was and clearly so, and when the new cell's own other edge is
  // clearly not crossed; the edges shared with the old cell are kept.
  bool MoveToNeighbour(double s0, double s1) {
    const Crossing* crossed = nullptr;
    for (int i = 0; i < count_; ++i) {
      const Crossing& c = crossings_[i];
      if (c.s + c.delta < s0 || c.s - c.delta > s1) continue;
      if (crossed || c.s - c.delta <= s0 || c.s + c.delta >= s1) return false;
      crossed = &c;
    }
    // Next to a pole the meridians crowd together: left to the formulas.
    if (!crossed || cell_.band == 0 || cell_.band == kGridBands - 1) return false;
    GridCell next = cell_;
    int added;  // the edge of the new cell that is not one of the old one's
    switch (crossed->edge) {
      case 0:
        next.cell = static_cast<std::uint16_t>(cell_.cell - 1);
        added = next.cell;
        break;
      case 1:
        next.cell = static_cast<std::uint16_t>(cell_.cell + 1);
        added = next.cell + 1;
        break;
      case 2:
        next.band = static_cast<std::uint16_t>(cell_.band - 1);
        added = next.band;
        break;
      default:
        next.band = static_cast<std::uint16_t>(cell_.band + 1);
        added = next.band + 1;
        break;
    }
    // Across the 180-degree meridian or into a polar band: the formulas.
    if (next.cell == 0 || next.cell >= kGridCells - 1 || next.band == 0 || next.band == kGridBands - 1)
      return false;
    const bool meridian = crossed->edge < 2;
    EdgeCrossings e = meridian ? MeridianCrossings(added) : LatitudeCrossings(added);
    if (!e.usable) return false;
    e.Arm(s0);
    if (!e.none && (e.next[0] <= s1 + e.delta || e.next[1] <= s1 + e.delta)) return false;
    // The crossed edge becomes the opposite one of the new cell.
    switch (crossed->edge) {
      case 0: edges_[1] = edges_[0], edges_[0] = e; break;
      case 1: edges_[0] = edges_[1], edges_[1] = e; break;
      case 2: edges_[3] = edges_[2], edges_[2] = e; break;
      default: edges_[2] = edges_[3], edges_[3] = e; break;
    }
    cell_ = next;
    return true;
  }

  const GeoTrig& from_;
  double course_;
  mutable std::optional<ExactLeg> exact_;
  double distance_nm_;
  double start_x_ = 0, start_y_ = 0, along_x_ = 0, along_y_ = 0;
  double z_amp_ = 0, z_phase_ = 0;
  bool polar_ = false;
  GridCell cell_{0xFFFF, 0xFFFF};
  EdgeCrossings edges_[4];
  bool usable_ = false;
  Crossing crossings_[8];
  int count_ = 0;
  bool simple_ = false;
};

// The exact walk and the fast one share everything but the legs.
// `dest` holds each leg's destination and `legs` each leg's distance and
// course from the previous leg's destination.
template <typename Leg>
void WalkPlanWith(const TrafficPlan& plan, std::int32_t plan_id, std::uint16_t speed, const GeoTrig* const* dest,
                  const DistanceCourse* legs, std::vector<SectorRecord>& records) {
  records.clear();
  const std::size_t n = plan.legs.size();
  if (n == 0) return;
  const int pc = plan.period_code;
  std::size_t current = 0;

  for (std::size_t step = 1; step <= n; ++step) {
    const std::size_t k = step % n;  // legs 1..n-1, then the closing leg 0
    const bool closing = k == 0;
    const TrafficLeg& leg = plan.legs[k];
    const GeoTrig& from = *dest[k == 0 ? n - 1 : k - 1];
    const GeoTrig& to = *dest[k];
    if (records.empty()) {
      records.push_back({CellOf(from.p), plan_id, 0, 0});
      current = 0;
    }
    const GridCell to_cell = CellOf(to.p);
    GridCell cur = CellOf(from.p);
    if (cur == to_cell) continue;

    const DistanceCourse& dc = legs[k];
    const double distance_nm = dc.distance * kNmPerRadian;
    Leg geo(from, dc.course, distance_nm);
    double knots = speed;
    if (leg.fixed_arrival) {
      // A fixed leg moves from 900 s after departure to 900 s before
      // arrival; an arrival before the departure lies in the next period.
      std::int64_t duration = std::int64_t(leg.arrival) - std::int64_t(leg.departure);
      if (duration < 0) duration += pc == kWeekPeriodCode ? kSecondsPerWeek : kSecondsPerDay;
      if (duration > 1800) {
        knots = std::trunc(distance_nm / double(duration - 1800) * 3600.0 + 0.5);
        if (knots < 1) knots = 1;
      }
    }
    const double nm_per_second = knots * 0.0002777777777777778;
    double t = 0;
    while (geo.NextBoundary(t, cur)) {
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
}

void WalkPlanInto(const TrafficPlan& plan, std::int32_t plan_id, std::uint16_t speed, const GeoTrig* const* dest,
                  const DistanceCourse* legs, SectorWalk walk, std::vector<SectorRecord>& records) {
  if (walk == SectorWalk::kExact) WalkPlanWith<ExactLeg>(plan, plan_id, speed, dest, legs, records);
  else WalkPlanWith<FastLeg>(plan, plan_id, speed, dest, legs, records);
}

constexpr int kCellShift = 55;
constexpr int kEntryShift = 39;
constexpr int kPlanShift = 16;

std::uint64_t Pack(const SectorRecord& r, std::size_t plan_index) {
  return std::uint64_t(r.where.cell) << kCellShift | std::uint64_t(r.entry) << kEntryShift |
         std::uint64_t(plan_index) << kPlanShift | r.exit;
}

// In one store: a record is eight bytes.
void PutU64At(char* p, std::uint64_t v) {
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  std::memcpy(p, &v, sizeof v);
}

// A record's order in its band: cell and entry code, 25 bits, sorted in two
// stable counting passes over the low 12 bits and then the high 13. The high
// part is the cell and the top of the entry code, so each cell's records
// lie together after the second pass.
constexpr int kLowKeyBits = 12;
constexpr std::uint32_t kLowKeys = 1u << kLowKeyBits;
constexpr std::uint32_t kHighKeys = 1u << 13;
constexpr int kEntryBitsInHighKey = 4;
static_assert(kGridCells << kEntryBitsInHighKey < kHighKeys, "a key past the last cell's");
std::uint32_t SortKey(std::uint64_t x) { return static_cast<std::uint32_t>(x >> kEntryShift); }
std::uint32_t LowKey(std::uint64_t x) { return SortKey(x) & (kLowKeys - 1); }
std::uint32_t HighKey(std::uint64_t x) { return SortKey(x) >> kLowKeyBits; }

}  // namespace

std::vector<SectorRecord> WalkPlan(const TrafficPlan& plan, std::int32_t plan_id, std::uint16_t speed,
                                   const AirportIndex& airports, SectorWalk walk) {
  const std::size_t n = plan.legs.size();
  std::vector<GeoTrig> points(n);
  std::vector<const GeoTrig*> dest(n);
  std::vector<DistanceCourse> legs(n);
  for (std::size_t k = 0; k < n; ++k) {
    const TrafficAirport* a = airports.Find(plan.legs[k].destination);
    points[k] = GeoTrig(a ? AirportPosition(*a) : GeoPoint{});
    dest[k] = &points[k];
  }
  for (std::size_t k = 0; k < n; ++k) legs[k] = GreatCircle(points[k == 0 ? n - 1 : k - 1], points[k]);
  std::vector<SectorRecord> records;
  WalkPlanInto(plan, plan_id, speed, dest.data(), legs.data(), walk, records);
  return records;
}

SectorBands::SectorBands(std::size_t plan_count, std::size_t block_count, unsigned workers)
    : plan_count_(plan_count), blocks_(block_count), record_memory_(workers) {}

std::uint64_t* SectorBands::Take(unsigned worker, std::size_t n) {
  RecordMemory& m = record_memory_[worker];
  if (m.left < n) {
    constexpr std::size_t kPieceRecords = std::size_t{1} << 20;
    const std::size_t size = std::max(n, kPieceRecords);
    m.pieces.push_back(std::make_unique_for_overwrite<std::uint64_t[]>(size));
    m.free = m.pieces.back().get();
    m.left = size;
  }
  std::uint64_t* p = m.free;
  m.free += n;
  m.left -= n;
  return p;
}

void SectorBands::Count(const std::vector<Tally>& tallies) {
  walked_plans_ = 0;
  for (const Tally& t : tallies) walked_plans_ += t.plans;
  for (int b = 0; b < kGridBands; ++b) {
    band_records_[b] = 0;
    band_cells_[b].reset();
    for (const Tally& t : tallies) {
      band_records_[b] += t.records[b];
      band_cells_[b] |= t.cells[b];
    }
    band_runs_[b] = band_cells_[b].count();
  }
}

std::uint64_t SectorBands::IndexEntries() const {
  std::uint64_t runs = 0;
  for (int b = 0; b < kGridBands; ++b) runs += band_runs_[b];
  return runs;
}

std::uint64_t SectorBands::SectionSize() const {
  std::uint64_t size = 0;
  for (int b = 0; b < kGridBands; ++b) size += 16 * std::uint64_t(band_runs_[b]) + 8 * std::uint64_t(band_records_[b]);
  return size;
}

std::uint64_t SectorBands::ExpectedSectionSize() const {
  const std::uint64_t size = SectionSize();
  if (walked_plans_ == 0 || walked_plans_ >= plan_count_) return size;
  std::uint64_t records = 0;
  for (int b = 0; b < kGridBands; ++b) records += band_records_[b];
  return size + 8 * (records * (plan_count_ - walked_plans_) / walked_plans_);
}

struct SectorBands::WriteScratch {
  std::vector<std::uint64_t> records, spare;
  std::vector<std::uint32_t> low, high;
  std::string index, blocks;
};

bool SectorBands::WriteBand(int b, std::uint64_t index_at, std::uint64_t blocks_at, WriteScratch& s,
                            const std::function<bool(std::uint64_t, std::string_view)>& write) const {
  const std::size_t records = band_records_[b];
  const std::size_t runs = band_runs_[b];
  // The band's records gathered from the blocks, in plan order, and both
  // passes counted on the way; each count then becomes the place of its
  // key's first record.
  s.records.clear();
  for (const Block& block : blocks_)
    s.records.insert(s.records.end(), block.packed + block.band_start[b], block.packed + block.band_start[b + 1]);
  s.low.assign(kLowKeys, 0);
  s.high.assign(kHighKeys, 0);
  for (std::uint64_t x : s.records) {
    ++s.low[LowKey(x)];
    ++s.high[HighKey(x)];
  }
  auto to_starts = [](std::vector<std::uint32_t>& counts) {
    std::uint32_t sum = 0;
    for (std::uint32_t& c : counts) sum += std::exchange(c, sum);
  };
  to_starts(s.low);
  to_starts(s.high);
  s.spare.resize(records);
  for (std::uint64_t x : s.records) s.spare[s.low[LowKey(x)]++] = x;

  // Each cell's records are preceded by its header in the blocks and have
  // an entry in the index; records are placed past all the headers up to
  // and including their cell's.
  s.index.resize(8 * runs);
  s.blocks.resize(8 * runs + 8 * records);
  std::uint32_t headers_through[kGridCells];
  std::uint32_t run = 0;
  for (std::uint32_t cell = 0; cell < kGridCells; ++cell) {
    if (!band_cells_[b].test(cell)) continue;
    const std::uint32_t first = s.high[cell << kEntryBitsInHighKey];
    const std::uint32_t end = s.high[(cell + 1) << kEntryBitsInHighKey];
    const std::size_t at = 8 * (std::size_t(first) + run);
    char* entry = s.index.data() + 8 * run;
    PutU16At(entry, static_cast<std::uint16_t>(cell));
    PutU16At(entry + 2, static_cast<std::uint16_t>(b));
    PutU32At(entry + 4, static_cast<std::uint32_t>(blocks_at + at));
    PutU32At(s.blocks.data() + at, 8 + 8 * (end - first));
    PutU32At(s.blocks.data() + at + 4, cell | static_cast<std::uint32_t>(b) << 16);
    headers_through[cell] = ++run;
  }
  // The second pass writes each record straight to its place in the file's
  // format: plan id, entry code, exit code.
  const auto plan_count = static_cast<std::int64_t>(plan_count_);
  for (std::uint64_t x : s.spare) {
    const std::uint32_t key = HighKey(x);
    const std::size_t at = 8 * (std::size_t(s.high[key]++) + headers_through[key >> kEntryBitsInHighKey]);
    const auto plan = static_cast<std::int64_t>((x >> kPlanShift) & kMaxSectorPlans);
    const auto id = static_cast<std::uint32_t>(PlanId(plan, plan_count));
    PutU64At(s.blocks.data() + at, id | ((x >> kEntryShift) & 0xFFFF) << 32 | (x & 0xFFFF) << 48);
  }
  return write(index_at, s.index) && write(blocks_at, s.blocks);
}

bool SectorBands::Write(std::uint64_t start, const std::function<bool(std::uint64_t, std::string_view)>& write,
                        const std::function<void(int)>& band_done) const {
  // Where each band's index entries and blocks go.
  std::vector<std::uint64_t> index_at(kGridBands), blocks_at(kGridBands);
  std::uint64_t index = start, blocks = start + 8 * IndexEntries();
  for (int b = 0; b < kGridBands; ++b) {
    index_at[b] = index;
    blocks_at[b] = blocks;
    index += 8 * std::uint64_t(band_runs_[b]);
    blocks += 8 * std::uint64_t(band_runs_[b]) + 8 * std::uint64_t(band_records_[b]);
  }
  // The largest bands first, so that none of them is left to the end.
  std::vector<int> order(kGridBands);
  for (int b = 0; b < kGridBands; ++b) order[b] = b;
  std::stable_sort(order.begin(), order.end(), [&](int x, int y) { return band_records_[x] > band_records_[y]; });
  std::vector<WriteScratch> scratch(WorkerCount());
  std::atomic<bool> ok{true};
  const std::unique_ptr<std::atomic<bool>[]> finished(new std::atomic<bool>[kGridBands]());
  int reported = 0;
  RunBlocks(
      kGridBands,
      [&](std::size_t piece, unsigned worker) {
        const int b = order[piece];
        if (band_records_[b] != 0 && ok.load(std::memory_order_relaxed)) {
          if (!WriteBand(b, index_at[b], blocks_at[b], scratch[worker], write)) ok = false;
        }
        finished[b].store(true, std::memory_order_release);
      },
      [&](std::size_t) {
        while (reported < kGridBands && finished[reported].load(std::memory_order_acquire)) band_done(reported++);
      });
  return ok;
}

SectorBands SectorizeFlightPlans(const std::vector<TrafficPlan>& plans, const AircraftLookup& aircraft,
                                 const RouteGeometry& geometry, SectorWalk walk,
                                 const std::function<void()>& meanwhile, std::uint64_t max_records) {
  const std::size_t count = plans.size();
  // Small blocks from a shared counter keep the cores busy although plans
  // differ widely in how many cells they cross.
  constexpr std::size_t kBlockPlans = 64;
  const std::size_t block_count = (count + kBlockPlans - 1) / kBlockPlans;
  SectorBands bands(count, block_count, WorkerCount());
  ConsoleWrite("Sectorizing flight plans now...\n");

  struct Scratch {
    std::vector<const GeoTrig*> dest;
    std::vector<SectorRecord> records;
    std::vector<std::uint64_t> kept;
    std::vector<std::uint8_t> kept_band;
    std::vector<std::uint32_t> at;
  };
  std::vector<Scratch> scratch(WorkerCount());
  std::vector<SectorBands::Tally> tallies(WorkerCount());
  std::size_t progress = 0;
  // Records kept by all threads so far; past `max_records` the walk stops.
  std::atomic<std::uint64_t> kept_records{0};
  std::atomic<bool> stopped{false};
  RunBlocks(
      block_count,
      [&](std::size_t i, unsigned worker) {
        if (stopped.load(std::memory_order_relaxed)) return;
        Scratch& s = scratch[worker];
        SectorBands::Tally& tally = tallies[worker];
        s.kept.clear();
        s.kept_band.clear();
        const std::size_t end = std::min(count, (i + 1) * kBlockPlans);
        for (std::size_t k = i * kBlockPlans; k < end; ++k) {
          const TrafficPlan& plan = plans[k];
          const TrafficAircraft* ac = aircraft.Find(plan.aircraft_number);
          const std::uint16_t speed = ac ? ac->cruise_speed : 1;
          const std::size_t first = geometry.plan_first_leg[k];
          s.dest.resize(plan.legs.size());
          for (std::size_t l = 0; l < plan.legs.size(); ++l)
            s.dest[l] = &geometry.airports[geometry.destination[first + l]];
          WalkPlanInto(plan, PlanId(static_cast<std::int64_t>(k), static_cast<std::int64_t>(count)), speed,
                       s.dest.data(), geometry.leg.data() + first, walk, s.records);
          for (const SectorRecord& r : s.records) {
            if (!KeepSectorRecord(r)) continue;
            s.kept.push_back(Pack(r, k));
            s.kept_band.push_back(static_cast<std::uint8_t>(r.where.band));
            tally.cells[r.where.band].set(r.where.cell);
            ++tally.records[r.where.band];
          }
        }
        tally.plans += end - i * kBlockPlans;
        if (kept_records.fetch_add(s.kept.size(), std::memory_order_relaxed) + s.kept.size() > max_records)
          stopped.store(true, std::memory_order_relaxed);
        // The block's records grouped by band, each band in plan order.
        SectorBands::Block& block = bands.block(i);
        if (s.kept.empty()) return;
        for (std::uint8_t b : s.kept_band) ++block.band_start[b + 1];
        for (int b = 0; b < kGridBands; ++b) block.band_start[b + 1] += block.band_start[b];
        s.at.assign(block.band_start, block.band_start + kGridBands);
        std::uint64_t* packed = bands.Take(worker, s.kept.size());
        for (std::size_t r = 0; r < s.kept.size(); ++r) packed[s.at[s.kept_band[r]]++] = s.kept[r];
        block.packed = packed;
      },
      [&](std::size_t done) {
        if (stopped.load(std::memory_order_relaxed)) return;
        const std::size_t done_plans = std::min(count, done * kBlockPlans);
        for (; progress < done_plans; ++progress)
          if (progress % 33 == 0) ConsoleProgress("  Flight plans", static_cast<long long>(progress));
      },
      [&] {
        if (meanwhile) meanwhile();
      });
  bands.Count(tallies);
  ConsoleCount("  Flight plans", static_cast<long long>(bands.walked_plans()));
  if (bands.walked_plans() < count) return bands;

  ConsoleWrite("Sorting sector bands now...\n");
  for (int b = 0; b < kGridBands; ++b) ConsoleProgress("  Bands", b);
  ConsoleWrite("\n");
  return bands;
}

}  // namespace traffic
