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

// All kept records of all plans, per band, ordered by cell and entry code
// (ties in plan and route order). Prints the sectorizing and sorting
// progress. Arrival times must be computed and every aircraft and airport
// known.
std::vector<std::vector<SectorRecord>> SectorizeFlightPlans(const std::vector<TrafficPlan>& plans,
                                                            const AircraftLookup& aircraft,
                                                            const AirportIndex& airports);

}  // namespace traffic
