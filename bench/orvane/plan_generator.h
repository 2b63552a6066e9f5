#pragma once
// A seeded generator of large traffic plans for the benchmark.
#include <cstdint>
#include <filesystem>

namespace bench {

struct PlanSize {
  int airports = 2000;
  int aircraft = 400;
  int flights = 100000;
};

// Writes Airports.txt, Aircraft.txt and FlightPlans.txt (CRLF) into
// `folder`; the same seed gives the same files.
void GeneratePlan(const std::filesystem::path& folder, const PlanSize& size, std::uint64_t seed);

}  // namespace bench
