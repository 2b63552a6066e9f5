#pragma once
// Computed arrival times and their write-back into FlightPlans.txt.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "traffic_compiler/common/tool_files.h"
#include "traffic_compiler/common/traffic_codes.h"
#include "traffic_compiler/common/traffic_records.h"

namespace traffic {

// For each AC number the first aircraft of Aircraft.txt with it, or null.
class AircraftLookup {
 public:
  explicit AircraftLookup(const std::vector<TrafficAircraft>& aircraft);
  const TrafficAircraft* Find(std::uint16_t number) const { return table_[number]; }

 private:
  std::vector<const TrafficAircraft*> table_;
};

// The geometry of every leg, worked out once for the arrival times and the
// traffic sectors: each leg's destination (its index in `airports`) and the
// great-circle distance and course from the previous leg's destination (the
// last leg's for the first leg).
struct RouteGeometry {
  std::vector<GeoTrig> airports;            // by index in the airport list
  std::vector<std::size_t> plan_first_leg;  // per plan, into the two below
  std::vector<std::uint32_t> destination;
  std::vector<DistanceCourse> leg;
};

// Fills the arrival of every leg that is not fixed: departure + flight time
// at cruise speed (whole seconds, truncated) + 900 s, and `geometry` for
// every leg. Reports error 8 or 9 and returns its code when a plan names an
// aircraft or airport that is not listed; the first such plan in file order
// is the one reported. `airport_list` is the list `airports` was made of.
int ComputeArrivalTimes(std::vector<TrafficPlan>& plans, const AircraftLookup& aircraft,
                        const std::vector<TrafficAirport>& airport_list, const AirportIndex& airports,
                        RouteGeometry& geometry);

// Arrival text for the write-back, reduced into the day (or the week for
// WEEK plans, with its "d/" day).
std::string FormatArrivalTime(std::uint32_t seconds, bool week, bool with_seconds);
void AppendArrivalTime(std::string& out, std::uint32_t seconds, bool week, bool with_seconds);

// The new text of FlightPlans.txt with the computed arrivals spliced in;
// everything else, comments and line ends included, is kept byte for byte.
// On error 55 returns false with the line, its text and the scan position.
struct WriteBackError {
  int line = 0;
  std::string text;
  std::size_t position = 0;
};
bool SpliceArrivalTimes(std::string_view original, const std::vector<TrafficPlan>& plans,
                        std::string& result, WriteBackError& error);

inline constexpr const char* kFlightPlansTempFile = "FlightPlansTemp.txt";

// Writes the computed arrivals into `plans_file` (through a link of the
// user's own, into the file it names; through another user's, nothing is
// written: error 11) by way of FlightPlansTemp.txt beside it, which replaces
// the plan in one step once every write succeeded; prints its console
// progress and error reports. When `parsed_fingerprint` is given and the
// file no longer holds the text it was taken from (TextFingerprint), or
// the file changes during the write-back, nothing is written (error 55).
// A plan file marked read-only is not replaced (error 11). Returns 0 or the
// error code.
int InsertArrivalTimes(const std::filesystem::path& plans_file, const std::vector<TrafficPlan>& plans,
                       std::optional<std::uint64_t> parsed_fingerprint = std::nullopt);

// InsertArrivalTimes in two steps, so that the new plan can be made while
// the database is still being written, and put in place only after it.
class PlanWriteBack {
 public:
  // Everything up to the replacement: reads and checks the plan and writes
  // the new one, flushed to disk, as FlightPlansTemp.txt. Prints its
  // progress, and its error report when it fails.
  void Prepare(const std::filesystem::path& plans_file, const std::vector<TrafficPlan>& plans,
               std::optional<std::uint64_t> parsed_fingerprint = std::nullopt);
  // Puts the new plan in place, unless the plan changed since it was read.
  // Returns 0 or the reported error code, also that of Prepare. Without a
  // call, the new plan is removed again when the object goes.
  int Commit();

 private:
  int MakeNewPlan(const std::filesystem::path& plans_file, const std::vector<TrafficPlan>& plans,
                  std::optional<std::uint64_t> parsed_fingerprint);

  WriteTarget target_;
  std::optional<velk::FileIdentity> before_;  // the plan when it was read
  OutputFile out_;
  int error_ = 0;
  bool keep_for_a_look_ = false;
};

}  // namespace traffic
