// Fuzzes the three traffic text parsers and, when all three texts parse,
// the database build and the arrival write-back that run on their records.
// Input: Airports.txt, Aircraft.txt and FlightPlans.txt texts separated by
// NUL bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "traffic_compiler/common/console.h"
#include "traffic_compiler/common/tool_error.h"
#include "traffic_compiler/compiler/arrival_times.h"
#include "traffic_compiler/compiler/traffic_database.h"
#include "traffic_compiler/compiler/traffic_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view parts[3];
  std::size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const std::size_t end = i < 2 ? input.find('\0', start) : std::string_view::npos;
    parts[i] = input.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (end == std::string_view::npos) {
      start = input.size();
    } else {
      start = end + 1;
    }
  }

  traffic::ScopedConsoleCapture quiet;
  traffic::TrafficData d;
  traffic::ParseError e[3] = {traffic::ParseAirportsText(parts[0], d.airports),
                              traffic::ParseAircraftText(parts[1], d.aircraft),
                              traffic::ParsePlansText(parts[2], d.plans)};
  for (int i = 0; i < 3; ++i) {
    if (e[i].code) {
      // The report must cope with any line and field.
      (void)traffic::FormatToolError("FlightPlans.txt", e[i].line, e[i].text, e[i].start, e[i].length, e[i].code);
    }
  }
  if (e[0].code || e[1].code || e[2].code) return 0;
  std::string bytes;
  if (traffic::BuildTrafficDatabase(d, bytes, "traffic_TEMP.bgl") == 0) {
    std::string updated;
    traffic::WriteBackError sync;
    (void)traffic::SpliceArrivalTimes(parts[2], d.plans, updated, sync);
  }
  return 0;
}
