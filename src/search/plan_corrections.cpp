#include "search/plan_corrections.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/flight_levels.h"
#include "data/geodesy.h"
#include "data/installed_aircraft.h"
#include "platform/random_source.h"
#include "platform/text_codec.h"

namespace velk {
namespace {

// Distance and course between two airports of the plan, as the plan's
// Airports place them: 0 for two equal codes, -1 when either is unknown.
struct LegGeometry {
  int distance = -1;
  int course = -1;
};

LegGeometry Measure(const PlanState& plan, const std::string& from, const std::string& to) {
  if (from == to) return {0, 0};
  std::optional<GeoPosition> a = PlanAirportPosition(plan, from);
  std::optional<GeoPosition> b = PlanAirportPosition(plan, to);
  if (!a || !b) return {};
  return {GetGreatCircleDistance(*a, *b), GetInitialCourse(*a, *b)};
}

}  // namespace

int CorrectFlightLevels(PlanState& plan) {
  SeedRandomFromClock();

  // Plan aircraft id (case ignored) -> the first installed aircraft of its
  // title (case ignored); the first plan aircraft of an id with one wins.
  const std::vector<int> match = MatchInstalledAircraft(plan);
  std::unordered_map<std::string, int> installedById;
  for (size_t i = 0; i < match.size(); ++i)
    if (match[i] >= 0) installedById.emplace(UpperCp1252(plan.PlanAircraftList[i].Id), match[i]);

  int corrected = 0;
  for (Flight& flight : plan.Flights) {
    auto found = installedById.find(UpperCp1252(flight.AircraftId));
    if (found == installedById.end()) continue;
    const FSAircraft& aircraft = plan.FSAircraftList[static_cast<size_t>(found->second)];
    const int n = flight.LegCount();
    for (int k = 1; k <= n; ++k) {
      const int leg = k % n;  // 1 .. n-1, then 0
      FlightLeg& target = flight.Legs[static_cast<size_t>(leg)];
      LegGeometry g = Measure(plan, flight.DepartureIcao(leg), target.DestinationIcao);
      // A level drawn for an unknown distance or course would be made up.
      if (g.distance == -1 || g.course == -1) continue;
      target.FlightLevel = GetFlightLevel(flight.FlightRules, g.distance, g.course, aircraft, -1, false);
      ++corrected;
    }
  }
  return corrected;
}

}  // namespace velk
