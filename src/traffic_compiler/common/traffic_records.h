#pragma once
// The records that the traffic tools build from the three text files and
// read from or write to traffic.bgl.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace traffic {

// Airport codes are at most 4 bytes, NUL-padded.
using AirportCode = std::array<char, 4>;

struct TrafficAirport {
  AirportCode code{};
  std::int32_t lat_degrees = 0;   // hemisphere sign applied, north positive
  float lat_minutes = 0;          // seconds folded in, same sign as the degrees
  std::int32_t lon_degrees = 0;   // east positive
  float lon_minutes = 0;
  std::int32_t elevation_m = 0;
};

struct TrafficAircraft {
  std::uint16_t number = 0;  // the n of "AC#n", 1-65535
  std::uint16_t cruise_speed = 0;  // knots, 1-65535
  std::string name;                // at most 100 bytes, case kept
};

struct TrafficLeg {
  std::uint32_t departure = 0;  // seconds from the start of the day (of the week for WEEK)
  std::uint32_t arrival = 0;    // fixed, or computed before the database is written
  std::uint16_t altitude = 0;   // hundreds of feet, 0-1023
  std::uint16_t flight_number = 0;  // 0-16383
  bool use_flight_number = false;   // "F" (true) or "R"
  bool fixed_arrival = false;       // the arrival field began with "@"
  AirportCode destination{};
};

// Memory for the legs of many plans, handed out piece after piece and given
// back all at once. A large plan is read by several threads, each with an
// arena of its own, so that they do not wait on each other for memory plan
// after plan.
class LegArena {
 public:
  // `expected` legs fit the first block.
  explicit LegArena(std::size_t expected) : next_block_(std::max<std::size_t>(expected, 256)) {}
  ~LegArena();
  LegArena(const LegArena&) = delete;
  LegArena& operator=(const LegArena&) = delete;

  // Room for `n` legs, not yet constructed.
  TrafficLeg* Take(std::size_t n);

 private:
  struct Block {
    TrafficLeg* data;
    std::size_t size;
  };
  std::vector<Block> blocks_;
  std::size_t used_ = 0;  // of the last block
  std::size_t next_block_;
};

// Takes a plan's legs from an arena when it was given one, else from the
// heap. A copy of a plan keeps its legs on the heap, so that only plans
// that stay where they were read (in TrafficData) use an arena.
template <typename T>
class LegAllocator {
 public:
  using value_type = T;
  using propagate_on_container_move_assignment = std::true_type;
  using propagate_on_container_swap = std::true_type;

  LegAllocator() = default;
  explicit LegAllocator(LegArena* arena) : arena_(arena) {}
  template <typename U>
  LegAllocator(const LegAllocator<U>& other) : arena_(other.arena()) {}

  T* allocate(std::size_t n) { return arena_ ? arena_->Take(n) : std::allocator<T>().allocate(n); }
  void deallocate(T* p, std::size_t n) {
    if (!arena_) std::allocator<T>().deallocate(p, n);
  }
  LegAllocator select_on_container_copy_construction() const { return {}; }
  LegArena* arena() const { return arena_; }
  bool operator==(const LegAllocator& other) const { return arena_ == other.arena_; }

 private:
  LegArena* arena_ = nullptr;
};

using LegList = std::vector<TrafficLeg, LegAllocator<TrafficLeg>>;

struct TrafficPlan {
  std::uint16_t aircraft_number = 0;
  std::array<char, 8> registration{};  // at most 7 bytes, NUL-padded
  std::uint8_t percent = 0;            // 1-100
  std::uint8_t period_code = 0;        // 0-7
  bool ifr = false;
  LegList legs;
};

struct TrafficData {
  // The legs of the plans read from a file; they outlast the plans. (A copy
  // of the data shares them, while the copies of its plans keep their legs
  // on the heap.)
  std::vector<std::shared_ptr<LegArena>> leg_memory;
  std::vector<TrafficAirport> airports;  // file order
  std::vector<TrafficAircraft> aircraft; // file order
  std::vector<TrafficPlan> plans;        // file order
};

}  // namespace traffic
