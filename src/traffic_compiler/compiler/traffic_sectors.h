#pragma once
// Traffic sectors: which plans pass through which cell of the world grid,
// and when.
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
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

// How a leg is followed from cell to cell. Both give the same records, bit
// for bit: kExact works out every probe and bisection point with the
// great-circle formulas; kFast carries the point as a unit vector and
// decides cells by comparisons, going back to the formulas wherever a point
// lies too close to a cell's edge to be sure. kExact is the reference.
enum class SectorWalk { kFast, kExact };

// The records of one plan in route order, before the keep rule.
std::vector<SectorRecord> WalkPlan(const TrafficPlan& plan, std::int32_t plan_id, std::uint16_t speed,
                                   const AirportIndex& airports, SectorWalk walk = SectorWalk::kFast);

// A record stays when it was entered at the start of a step or left in
// another step than it was entered.
inline bool KeepSectorRecord(const SectorRecord& r) {
  return (r.entry & 0x1FFF) == 0 || (r.entry & 0x1FFF) != (r.exit & 0x1FFF);
}

// Plans beyond this count do not fit the compact sector records.
inline constexpr std::size_t kMaxSectorPlans = (1u << 23) - 1;

// The kept records of all plans. Plans are walked in small blocks; each
// block keeps its records grouped by band, in plan and route order, packed
// into 64 bits: cell (9 bits), entry code (16), plan index (23), exit code
// (16).
class SectorBands {
 public:
  SectorBands() = default;
  // `workers`: the threads that walk, numbered from 0.
  SectorBands(std::size_t plan_count, std::size_t block_count, unsigned workers);

  std::size_t plan_count() const { return plan_count_; }
  // Plans walked: all of them unless the walk stopped at its record limit.
  std::size_t walked_plans() const { return walked_plans_; }
  std::size_t RecordCount(int band) const { return band_records_[band]; }
  // Distinct cells of a band: its entries in the sector index.
  std::size_t RunCount(int band) const { return band_runs_[band]; }

  // Bytes of the sector section (index and blocks).
  std::uint64_t SectionSize() const;
  // SectionSize() once every plan is walked; after a stopped walk, what the
  // section would take with the plans not walked keeping as many records
  // each as the plans walked did.
  std::uint64_t ExpectedSectionSize() const;
  std::uint64_t IndexEntries() const;

  // Writes the sector section as it lies in the file from `start` on: the
  // index, then every band's blocks, with records ordered by cell and entry
  // code and equal ones in plan and route order. `write(offset, bytes)` is
  // called from several threads at once, for pieces that do not overlap,
  // and returns false when writing fails. `band_done(b)` is called on the
  // calling thread for b = 0 to 255 in order. False when a write failed.
  bool Write(std::uint64_t start, const std::function<bool(std::uint64_t, std::string_view)>& write,
             const std::function<void(int)>& band_done) const;

  // For the walk: a block's records grouped by band, band b from
  // packed[band_start[b]] to packed[band_start[b + 1]].
  struct Block {
    const std::uint64_t* packed = nullptr;
    std::uint32_t band_start[kGridBands + 1] = {};
  };
  Block& block(std::size_t i) { return blocks_[i]; }
  // Room for `n` records of a block that thread `worker` walked, kept as
  // long as the bands are.
  std::uint64_t* Take(unsigned worker, std::size_t n);
  // What one thread of the walk kept: records and cells of each band, and
  // the plans it walked.
  struct Tally {
    std::size_t records[kGridBands] = {};
    std::bitset<kGridCells> cells[kGridBands];
    std::size_t plans = 0;
  };
  // Adds up the tallies once all blocks are walked.
  void Count(const std::vector<Tally>& tallies);

 private:
  struct WriteScratch;  // the buffers of a writing thread
  // Sorts one band's records and writes its index entries and blocks.
  bool WriteBand(int band, std::uint64_t index_at, std::uint64_t blocks_at, WriteScratch& scratch,
                 const std::function<bool(std::uint64_t, std::string_view)>& write) const;

  // Each walking thread's records lie in large pieces of memory of its own:
  // millions of records, made block by block, would otherwise have the
  // threads ask the system for more memory every few blocks, and wait on
  // each other for it.
  struct RecordMemory {
    std::vector<std::unique_ptr<std::uint64_t[]>> pieces;
    std::uint64_t* free = nullptr;
    std::size_t left = 0;
  };

  std::size_t plan_count_ = 0;
  std::size_t walked_plans_ = 0;
  std::vector<Block> blocks_;
  std::vector<RecordMemory> record_memory_;
  std::vector<std::size_t> band_records_ = std::vector<std::size_t>(kGridBands, 0);
  std::vector<std::size_t> band_runs_ = std::vector<std::size_t>(kGridBands, 0);
  std::vector<std::bitset<kGridCells>> band_cells_ = std::vector<std::bitset<kGridCells>>(kGridBands);
};

// Walks every plan on the available cores, keeps the records by the keep
// rule and lays the bands out, printing the sectorizing and sorting
// progress. Arrival times and `geometry` must be computed
// (ComputeArrivalTimes); at most kMaxSectorPlans plans. `meanwhile`, when
// given, runs on the calling thread first, while other threads walk. Once
// more than `max_records` records are kept, no further block of plans is
// begun: the bands then hold fewer plans than were given (walked_plans())
// and serve only to tell how large the section would be.
SectorBands SectorizeFlightPlans(const std::vector<TrafficPlan>& plans, const AircraftLookup& aircraft,
                                 const RouteGeometry& geometry, SectorWalk walk = SectorWalk::kFast,
                                 const std::function<void()>& meanwhile = {},
                                 std::uint64_t max_records = UINT64_MAX);

}  // namespace traffic
