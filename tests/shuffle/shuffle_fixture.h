#pragma once
// A small world for the shuffle's tests: plan airports on a grid of whole
// degrees (one degree is 60 nm), scenery airports with their places and
// runways, installed aircraft with their class limits, and airline tables of
// the test's own, so the program's configuration is never touched.
#include <string>
#include <vector>

#include "data/airline_config.h"
#include "data/flight_levels.h"
#include "data/plan_records.h"
#include "data/scenery_airports.h"
#include "shuffle/shuffle_engine.h"

namespace velk::test {

inline SceneryAirport SceneryPlace(const std::string& icao, const std::string& region, const std::string& country,
                                   const std::string& state, const std::string& city, int runway = 10000,
                                   int surface = 1, int parking = 40) {
  SceneryAirport a;
  a.ICAO = icao;
  a.Latitude = "N0*0.0000'";
  a.Longitude = "E0*0.0000'";
  a.Region = region;
  a.Country = country;
  a.State = state;
  a.City = city;
  a.TakeoffLength = a.LandingLength = runway;
  a.TakeoffSurface = a.LandingSurface = surface;
  a.MaxParkingRadius = parking;
  return a;
}

// A jet or prop with its class limits: levels 100 to 300 (props 30 to 100),
// ranges 0 to 3000 nm, hard runways.
inline FSAircraft Installed(const std::string& title, const std::string& airline, int aircraftClass,
                            int cruiseSpeed = 420, int runway = 6000, const std::string& runwayTypes = "HARD",
                            int parking = 20) {
  FSAircraft a;
  a.Title = title;
  a.ATCAirline = airline;
  a.Class = aircraftClass;
  a.CruiseSpeed = cruiseSpeed;
  a.MinFL = aircraftClass <= 3 ? 30 : 100;
  a.MaxFL = aircraftClass <= 3 ? 100 : 300;
  a.MinRange = 0;
  a.MaxRange = aircraftClass <= 3 ? 500 : 3000;
  a.RunwayLength = runway;
  a.RunwayTypes = runwayTypes;
  a.MinParkingRadius = parking;
  return a;
}

inline FlightLeg Leg(const std::string& departure, const std::string& level, const std::string& destination,
                     const std::string& arrival = "00:00:00") {
  FlightLeg leg;
  leg.DepartureTime = departure;
  leg.ArrivalTime = arrival;
  leg.FlightLevel = level;
  leg.UseFlightNumber = "F";
  leg.FlightNumber = "0100";
  leg.DestinationIcao = destination;
  return leg;
}

inline Flight MakeFlight(const std::string& registration, const std::string& rules, std::vector<FlightLeg> legs,
                         const std::string& period = "24Hr") {
  Flight f;
  f.AircraftId = "AC#99";
  f.Registration = registration;
  f.Percent = "100%";
  f.Period = period;
  f.FlightRules = rules;
  f.Legs = std::move(legs);
  return f;
}

inline AirlineShare Share(const std::string& name, int percent = -1) {
  AirlineShare s;
  s.Name = name;
  s.Percent = percent;
  return s;
}

inline LocationRules Section(const std::string& name, std::vector<AirlineShare> airlines,
                             const std::string& tails = "") {
  LocationRules r;
  r.Name = name;
  r.TailPatterns = tails;
  r.Airlines = std::move(airlines);
  return r;
}

struct ShuffleWorld {
  PlanState plan;
  std::vector<SceneryAirport> scenery;
  LocationRules global;
  std::vector<LocationRules> regions, countries, states, cities, airports;
  ShuffleOptions options;
  std::vector<FlightLevelRule> savedRules = FlightLevelRules();

  ShuffleWorld() {
    plan.PlanLoaded = true;
    global.Name = "Global";
    // VFR legs fly at 045; IFR legs at 100, 200 or 300, one draw a leg.
    FlightLevelRules() = {{-1, -1, 0, 360, 45, 45, 0}, {0, 99999, 0, 360, 100, 300, 100}};
  }
  ~ShuffleWorld() { FlightLevelRules() = savedRules; }
  ShuffleWorld(const ShuffleWorld&) = delete;
  ShuffleWorld& operator=(const ShuffleWorld&) = delete;

  LocationTables Tables() { return {global, regions, countries, states, cities, airports}; }

  // A plan airport `east` and `north` whole degrees from 0/0.
  void AddAirport(const std::string& icao, int north, int east) {
    std::string lat = (north < 0 ? "S" : "N") + std::to_string(north < 0 ? -north : north) + "* 0.00'";
    std::string lon = (east < 0 ? "W" : "E") + std::to_string(east < 0 ? -east : east) + "* 0.00'";
    plan.Airports.push_back({icao, lat, lon, "0"});
    plan.AirportIndex.Add(icao, static_cast<int>(plan.Airports.size()) - 1);
  }
  // Installed aircraft all go into the plan, numbered AC#1, AC#2, ...
  void AddAircraft(const FSAircraft& a) {
    plan.FSAircraftList.push_back(a);
    plan.PlanAircraftList.push_back({"AC#" + std::to_string(plan.PlanAircraftList.size() + 1), a.Title,
                                     std::to_string(a.CruiseSpeed), 0});
  }

  ShuffleResult Run(ShuffleLog* log = nullptr) { return RunShuffle(plan, scenery, Tables(), options, log); }
};

}  // namespace velk::test
