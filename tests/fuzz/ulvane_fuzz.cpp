// Feeds arbitrary bytes to the database reader as a traffic.bgl, and turns
// whatever it accepts into the three texts. Any crash, over-read or
// undefined behaviour is a finding; "unreadable" is the expected answer to
// most inputs.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "traffic_compiler/common/console.h"
#include "traffic_compiler/decompiler/traffic_reader.h"
#include "traffic_compiler/decompiler/traffic_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  traffic::ScopedConsoleCapture quiet;
  ulvane::TrafficDatabase db;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (ulvane::ReadTrafficDatabase(bytes, db) == 0) {
    ulvane::AirportsText(db);
    ulvane::AircraftText(db);
    ulvane::FlightPlansText(db);
  }
  return 0;
}
