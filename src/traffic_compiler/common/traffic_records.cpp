#include "traffic_compiler/common/traffic_records.h"

namespace traffic {

LegArena::~LegArena() {
  for (const Block& b : blocks_) std::allocator<TrafficLeg>().deallocate(b.data, b.size);
}

TrafficLeg* LegArena::Take(std::size_t n) {
  if (blocks_.empty() || blocks_.back().size - used_ < n) {
    // Each block twice the last: few blocks, however many plans.
    const std::size_t size = std::max(n, next_block_);
    blocks_.push_back({std::allocator<TrafficLeg>().allocate(size), size});
    next_block_ = 2 * size;
    used_ = 0;
  }
  TrafficLeg* p = blocks_.back().data + used_;
  used_ += n;
  return p;
}

}  // namespace traffic
