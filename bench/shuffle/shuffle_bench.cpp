// Times the shuffle of a generated plan (100,000 flights of 2 to 6 legs
// over 5,000 airports) against 5,000 generated scenery airports, 300
// installed aircraft of 7 classes and 60 airlines spread over about 1,700
// location sections, against one pass over the flights that only looks up
// each flight's airports in the scenery. The class limits and level rules
// are the shipped VELK_AC.CFG and VELK_FL.CFG beside the program. Each
// figure is the best of several runs on a fresh copy of the flights.
//
//   build/bin/velk-bench-shuffle [flights] [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/aircraft_airport_files.h"
#include "data/class_config.h"
#include "data/flight_levels.h"
#include "data/flight_plan_file.h"
#include "data/plan_records.h"
#include "data/scenery_airports.h"
#include "platform/message_box.h"
#include "platform/text_codec.h"
#include "plangen/plan_generator.h"
#include "sample_scenery.h"
#include "shuffle/shuffle_engine.h"
#include "shuffle/shuffle_logs.h"

namespace fs = std::filesystem;

namespace {

double Best(int runs, const std::function<void()>& prepare, const std::function<void()>& work) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    prepare();
    auto start = std::chrono::steady_clock::now();
    work();
    std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

std::string Airline(int k) { return "Airline " + std::to_string(k % 60 + 1); }

// `count` airline lines, the first `percent` of them with a share.
std::vector<velk::AirlineShare> Airlines(int first, int count, int withPercent) {
  std::vector<velk::AirlineShare> out;
  for (int i = 0; i < count; ++i) {
    velk::AirlineShare a;
    a.Name = Airline(first + i * 7);
    a.Percent = i < withPercent ? 100 / (count + 1) : -1;
    out.push_back(a);
  }
  return out;
}

velk::LocationRules Section(const std::string& name, std::vector<velk::AirlineShare> airlines, const char* tails) {
  velk::LocationRules r;
  r.Name = name;
  r.TailPatterns = tails;
  r.Airlines = std::move(airlines);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  const int flights = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  velk::SetMessageBoxHandler([](const velk::MessageBoxRequest& r) {
    std::fprintf(stderr, "message: %s\n", r.prompt.c_str());
    return 1;
  });
  const fs::path programFolder = fs::read_symlink("/proc/self/exe").parent_path();
  if (!velk::ReadClassConfig(programFolder) || !velk::ReadFlightLevelRules(programFolder)) return 1;

  // The plan.
  velk::bench::PlanGenOptions options;
  options.flights = flights;
  options.airports = 5000;
  options.aircraft = 300;
  options.seed = 7;
  velk::bench::GeneratedPlan generated = velk::bench::GeneratePlan(options);
  velk::PlanState plan;
  plan.Airports = velk::ParseAirportsTxt(generated.airportsTxt);
  for (size_t i = 0; i < plan.Airports.size(); ++i) plan.AirportIndex.Add(plan.Airports[i].Icao, static_cast<int>(i));
  const std::vector<velk::Flight> original = velk::ParseFlightPlans(generated.flightPlansTxt);
  plan.PlanLoaded = true;
  plan.FlightplanPath = "/nonexistent/FlightPlans.txt";

  // The scenery: the generated sample airports under the plan's codes.
  std::vector<velk::sample::SampleAirport> sampleAirports = velk::sample::GeneratedAirports(options.airports);
  for (int i = 0; i < options.airports; ++i)
    sampleAirports[static_cast<size_t>(i)].icao = velk::bench::GeneratedAirportCode(i);
  std::vector<velk::SceneryAirport> scenery;
  velk::ReadAFDBytes(velk::sample::BuildFacilityFile(sampleAirports), scenery);

  // Installed aircraft: every tenth flies for no airline.
  for (int i = 0; i < options.aircraft; ++i) {
    velk::FSAircraft a;
    a.Title = "Bench Aircraft " + std::to_string(i + 1);
    a.ATCAirline = i % 10 == 9 ? "" : Airline(i);
    a.Class = 2 + i % 7;
    const velk::ClassSettings& c = *velk::ClassDefaultsOf(a.Class);
    a.CruiseSpeed = c.CruiseSpeed;
    a.MinFL = c.MinFL;
    a.MaxFL = c.MaxFL;
    // The generated legs run anywhere on the globe; real traffic keeps to
    // what its aircraft can fly, so the ranges here hold every leg.
    a.MinRange = 0;
    a.MaxRange = 20000;
    a.RunwayLength = c.RunwayLength;
    a.RunwayTypes = c.RunwayTypes;
    a.MinParkingRadius = c.MinParkingRadius;
    a.UIManufacturer = "Maker " + std::to_string(i % 12);
    a.UIType = "Type " + std::to_string(i);
    plan.FSAircraftList.push_back(a);
    plan.PlanAircraftList.push_back({"AC#" + std::to_string(i + 1), a.Title, std::to_string(a.CruiseSpeed), 0});
  }

  // The airline configuration, named as the scenery names its places.
  velk::LocationRules global = Section("Global", Airlines(0, 60, 0), "N!!!..");
  std::vector<velk::LocationRules> regions, countries, states, cities, airports;
  for (int r = 1; r <= 10; ++r) regions.push_back(Section("Region " + std::to_string(r), Airlines(r, 8, 5), "R-...."));
  for (int c = 1; c <= 50; c += 1) {
    std::string region = "Region " + std::to_string((c - 1) / 5 + 1);
    if (c % 5 == 0) continue;  // some countries fall through to their region
    countries.push_back(Section(region + "/Country " + std::to_string(c), Airlines(c, 5, 3), "C?-!!!"));
  }
  for (int s = 1; s <= 250; s += 3) {
    std::string country = "Region " + std::to_string((s - 1) / 25 + 1) + "/Country " + std::to_string((s - 1) / 5 + 1);
    states.push_back(Section(country + "/State " + std::to_string(s), Airlines(s, 3, 2), ""));
  }
  for (int c = 1; c <= 1250; c += 7) {
    std::string country = "Region " + std::to_string((c - 1) / 125 + 1) + "/Country " + std::to_string((c - 1) / 25 + 1);
    cities.push_back(Section(country + "/City " + std::to_string(c), Airlines(c, 2, 1), "CT-!!!!"));
  }
  for (int a = 0; a < options.airports; a += 5)
    airports.push_back(Section(velk::bench::GeneratedAirportCode(a), Airlines(a, 2, 1), ""));
  velk::LocationTables tables{global, regions, countries, states, cities, airports};
  velk::ShuffleOptions shuffleOptions;

  // The floor: one pass that looks up every leg's airport in the scenery.
  long long found = 0;
  double lookupMs = Best(
      runs, [] {},
      [&] {
        std::unordered_map<std::string, int> index;
        for (size_t i = 0; i < scenery.size(); ++i) index.try_emplace(velk::UpperCp1252(scenery[i].ICAO), static_cast<int>(i));
        found = 0;
        for (const velk::Flight& f : original)
          for (const velk::FlightLeg& leg : f.Legs) found += index.count(velk::UpperCp1252(leg.DestinationIcao));
      });

  velk::ShuffleResult result;
  double shuffleMs = Best(
      runs, [&] { plan.Flights = original; }, [&] { result = velk::RunShuffle(plan, scenery, tables, shuffleOptions); });
  velk::ShuffleLogFile log;
  shuffleOptions.DebugEnabled = true;
  double debugMs = Best(
      runs, [&] { plan.Flights = original; log = velk::ShuffleLogFile(); },
      [&] {
        velk::RunShuffle(plan, scenery, tables, shuffleOptions, &log);
        velk::ShuffleResultText(tables, velk::AirlineShare{});
      });

  long long legs = 0;
  for (const velk::Flight& f : original) legs += f.LegCount();
  size_t sections = 1 + regions.size() + countries.size() + states.size() + cities.size() + airports.size();
  std::printf("plan: %zu flights, %lld legs, %zu scenery airports, %zu installed aircraft, %zu sections; "
              "best of %d runs\n",
              original.size(), legs, scenery.size(), plan.FSAircraftList.size(), sections, runs);
  std::printf("shuffle: %d given an aircraft, %d removed (%lld of %lld leg airports in the scenery)\n",
              result.AssignedCount, result.RemovedCount, found, legs);
  std::printf("look up each flight's airports:   %8.1f ms\n", lookupMs);
  std::printf("shuffle:                          %8.1f ms  ratio %.1f (target below 2000 ms)\n", shuffleMs,
              shuffleMs / lookupMs);
  std::printf("shuffle with both logs in memory: %8.1f ms  (Shuffle.log %.1f MB)\n", debugMs,
              static_cast<double>(log.Text().size()) / 1e6);
  return result.Completed() && shuffleMs < 2000 ? 0 : 1;
}
