#pragma once
// Saves and restores the program-wide plan and scenery state around a test.
#include "data/plan_records.h"
#include "data/scenery_airports.h"
#include "data/scenery_cache.h"
#include "support/plan_guard.h"

namespace velk::test {

class SceneryStateGuard {
 public:
  SceneryStateGuard()
      : scenery_(std::move(SceneryAirports())), info_(SceneryCacheInfo()), context_(DefaultSceneryContext()) {
    SceneryAirports().clear();
  }
  ~SceneryStateGuard() {
    SceneryAirports() = std::move(scenery_);
    SceneryCacheInfo() = info_;
    DefaultSceneryContext() = context_;
  }

 private:
  PlanGuard plan_;
  std::vector<SceneryAirport> scenery_;
  SceneryCacheHeader info_;
  SceneryLoadContext context_;
};

inline void AddPlanAirport(const std::string& icao, const std::string& lat, const std::string& lon) {
  PlanState& plan = Plan();
  plan.Airports.push_back({icao, lat, lon, "0"});
  plan.AirportIndex.Add(icao, static_cast<int>(plan.Airports.size() - 1));
}

}  // namespace velk::test
