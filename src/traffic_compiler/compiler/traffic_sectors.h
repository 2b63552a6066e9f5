#pragma once
// Traffic sectors: which plans pass through which cell of the world grid,
// and when.
#include <cstdint>
#include <string>
#include <vector>

#include "traffic_compiler/common/traffic_codes.h"
#include "traffic_compiler/common/traffic_records.h"
#include "traffic_compiler/compiler/arrival_times.h"

namespace traffic {

inline constexpr int kGridCells = 384;
inline constexpr int kGridBands = 256;

struct GridCell {
  std::uint16_t cell = 0;
  std::uint16_t band = 0;
  bool operator==(const GridCell&) const = default;
};

// The grid cell of a position; points on the far edges are kept inside the
// grid.
GridCell CellOf(const GeoPoint& p);

struct SectorRecord {
  GridCell where;
  std::int32_t plan_id = 0;
  std::uint16_t entry = 0;
  std::uint16_t exit = 0;
};

// The records of one plan in route order, before the keep rule.
std::vector<SectorRecord> WalkPlan(const TrafficPlan& plan, std::int32_t plan_id, std::uint16_t speed,
                                   const AirportIndex& airports);

// A record stays when it was entered at the start of a step or left in
// another step than it was entered.
inline bool KeepSectorRecord(const SectorRecord& r) {
  return (r.entry & 0x1FFF) == 0 || (r.entry & 0x1FFF) != (r.exit & 0x1FFF);
}

// Plans beyond this count do not fit the compact sector records.
inline constexpr std::size_t kMaxSectorPlans = (1u << 23) - 1;

// The kept records of all plans, one list per band. Each record is packed
// into 64 bits: cell (9 bits), entry code (16), plan index (23), exit code
// (16), so that sorting the packed values orders them as the database wants.
class SectorBands {
 public:
  explicit SectorBands(std::size_t plan_count) : plan_count_(plan_count) {}
  void Add(const SectorRecord& r, std::size_t plan_index);
  // Orders every band by cell and entry code, ties in plan and route order.
  void SortBand(int band);
  std::size_t RunCount(int band) const;  // distinct cells of a sorted band
  std::size_t RecordCount(int band) const { return sizes_[band]; }
  // The records of a sorted band, decoded; `Release` frees its memory.
  const std::vector<std::uint64_t>& Packed(int band) const { return sorted_[band]; }
  void Release(int band) { std::vector<std::uint64_t>().swap(sorted_[band]); }
  SectorRecord Decode(int band, std::uint64_t packed) const;

 private:
  static constexpr std::size_t kChunk = 16384;
  std::size_t plan_count_;
  // Filled in fixed-size chunks (no copying, little slack), then made
  // contiguous band by band for sorting.
  std::vector<std::vector<std::uint64_t>> chunks_[kGridBands];
  std::vector<std::uint64_t> sorted_[kGridBands];
  std::size_t sizes_[kGridBands] = {};
};

// Walks every plan (several at a time on the available cores), keeps the
// records by the keep rule and sorts the bands, printing the sectorizing and
// sorting progress. Arrival times must be computed and every aircraft and
// airport known; at most kMaxSectorPlans plans.
SectorBands SectorizeFlightPlans(const std::vector<TrafficPlan>& plans, const AircraftLookup& aircraft,
                                 const AirportIndex& airports);

}  // namespace traffic
