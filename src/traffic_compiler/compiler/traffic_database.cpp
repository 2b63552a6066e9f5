#include "traffic_compiler/compiler/traffic_database.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string_view>

#include "traffic_compiler/common/console.h"
#include "traffic_compiler/common/tool_error.h"
#include "traffic_compiler/common/tool_files.h"
#include "traffic_compiler/common/traffic_codes.h"
#include "traffic_compiler/common/work_blocks.h"
#include "traffic_compiler/compiler/arrival_times.h"
#include "traffic_compiler/compiler/traffic_sectors.h"

namespace traffic {
namespace {

constexpr std::size_t kHeaderSize = 168;
constexpr std::size_t kTableSize = 84;
constexpr std::size_t kAirportsStart = kHeaderSize + kTableSize;

// Latitude and longitude in the database's units, truncated toward zero.
std::int32_t LatitudeUnits(std::int32_t degrees, float minutes) {
  return static_cast<std::int32_t>((static_cast<double>(minutes) * 0.016666666666666666 + degrees) *
                                   111130.55555555556);
}
std::int32_t LongitudeUnits(std::int32_t degrees, float minutes) {
  return static_cast<std::int32_t>((static_cast<double>(minutes) * 0.016666666666666666 + degrees) *
                                   11930464.711111112);
}

void PutCode(std::string& out, const AirportCode& code) { out.append(code.data(), 4); }

void PutTableEntry(std::string& out, std::size_t at, std::uint32_t count, std::uint32_t type,
                   std::uint32_t index_offset, std::uint32_t record_size) {
  SetU32(out, at, count);
  SetU32(out, at + 4, record_size);
  SetU32(out, at + 8, 1);
  SetU32(out, at + 12, type);
  SetU32(out, at + 16, index_offset);
}

}  // namespace

namespace {

using WriteAt = std::function<bool(std::uint64_t, std::string_view)>;

// Builds the database section by section with the console progress. The
// sections before the sectors are made in memory; once the size of the
// whole file is known, `reserve(size)` is called and everything is handed
// to `write`, the sector bands from several threads at once; `meanwhile`
// runs on the calling thread while other threads walk the sectors. Returns
// 0 or the reported error code.
int BuildDatabase(TrafficData& data, const std::filesystem::path& path, SectorWalk walk, std::uint64_t max_size,
                  const std::function<void(std::uint64_t)>& reserve, const WriteAt& write,
                  const std::function<void()>& meanwhile = {}) {
  const std::string path_text = path.string();
  std::string out(kHeaderSize + kTableSize, '\0');

  // Airports, in the database's airport order.
  const AirportIndex airports(data.airports);
  const auto& sorted = airports.sorted();
  ConsoleWrite("Generating airport database now...\n");
  const std::size_t airport_records = kAirportsStart + 8 * sorted.size();
  out.reserve(airport_records + 16 * sorted.size());
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    PutCode(out, sorted[i]->code);
    PutU32(out, static_cast<std::uint32_t>(airport_records + 16 * i));
  }
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    if (i % 33 == 0) ConsoleProgress("  Airports", static_cast<long long>(i));
    const TrafficAirport& a = *sorted[i];
    PutCode(out, a.code);
    PutI32(out, LatitudeUnits(a.lat_degrees, a.lat_minutes));
    PutI32(out, LongitudeUnits(a.lon_degrees, a.lon_minutes));
    PutI32(out, a.elevation_m);
  }
  ConsoleCount("  Airports", static_cast<long long>(sorted.size()));

  // Aircraft, by AC number; equal numbers keep file order.
  const std::size_t aircraft_start = out.size();
  std::vector<const TrafficAircraft*> aircraft;
  aircraft.reserve(data.aircraft.size());
  for (const auto& a : data.aircraft) aircraft.push_back(&a);
  std::stable_sort(aircraft.begin(), aircraft.end(),
                   [](const TrafficAircraft* x, const TrafficAircraft* y) { return x->number < y->number; });
  ConsoleWrite("Generating aircraft database now...\n");
  std::size_t offset = aircraft_start + 8 * aircraft.size();
  for (const TrafficAircraft* a : aircraft) {
    PutU32(out, a->number - 1u);
    PutU32(out, static_cast<std::uint32_t>(offset));
    offset += a->name.size() + 11;
  }
  for (std::size_t i = 0; i < aircraft.size(); ++i) {
    if (i % 5 == 0) ConsoleProgress("  Aircraft", static_cast<long long>(i));
    const TrafficAircraft& a = *aircraft[i];
    PutU16(out, static_cast<std::uint16_t>(a.name.size() + 11));
    PutU16(out, 0);
    PutU16(out, static_cast<std::uint16_t>(a.number - 1u));
    PutU16(out, 0);
    PutU16(out, a.cruise_speed);
    out += a.name;
    out += '\0';
  }
  ConsoleCount("  Aircraft", static_cast<long long>(aircraft.size()));

  // The plans in file order: an index of ids and offsets, then the records.
  // They are made block by block on the cores, straight into a section of
  // their own, which is written after the part before it. Where they end
  // follows from the leg counts: plans that do not fit even without their
  // sectors are refused before any time is spent on them.
  const std::size_t plans_start = out.size();
  const std::int64_t plan_count = static_cast<std::int64_t>(data.plans.size());
  constexpr std::size_t kBlockPlans = 1024;
  const std::size_t blocks = (data.plans.size() + kBlockPlans - 1) / kBlockPlans;
  auto block_end = [&](std::size_t b) { return std::min(data.plans.size(), (b + 1) * kBlockPlans); };
  std::vector<std::uint64_t> block_at(blocks + 1, plans_start + 8 * data.plans.size());
  for (std::size_t b = 0; b < blocks; ++b) {
    block_at[b + 1] = block_at[b];
    for (std::size_t k = b * kBlockPlans; k < block_end(b); ++k) block_at[b + 1] += 22 + 12 * data.plans[k].legs.size();
  }
  const std::uint64_t plans_end = block_at[blocks];
  if (plans_end > max_size) return ReportFileError(kErrTooLarge, TooLargeDetail("at least ", plans_end, max_size));

  const AircraftLookup lookup(data.aircraft);
  RouteGeometry geometry;
  if (int e = ComputeArrivalTimes(data.plans, lookup, data.airports, airports, geometry)) return e;

  ConsoleWrite("Generating flight plan database now...\n");
  const std::size_t plans_size = plans_end - plans_start;
  auto plans_section = std::make_unique_for_overwrite<char[]>(plans_size);
  RunBlocks(
      blocks,
      [&](std::size_t b, unsigned) {
        std::uint64_t at = block_at[b];
        for (std::size_t i = b * kBlockPlans; i < block_end(b); ++i) {
          const std::int32_t id = PlanId(static_cast<std::int64_t>(i), plan_count);
          const TrafficPlan& p = data.plans[i];
          const auto size = static_cast<std::uint32_t>(22 + 12 * p.legs.size());
          char* entry = plans_section.get() + 8 * i;
          PutU32At(entry, static_cast<std::uint32_t>(id));
          PutU32At(entry + 4, static_cast<std::uint32_t>(at));
          char* r = plans_section.get() + (at - plans_start);
          at += size;
          PutU32At(r, size);
          PutU32At(r + 4, static_cast<std::uint32_t>(id));
          PutU32At(r + 8, p.aircraft_number - 1u);
          std::memcpy(r + 12, p.registration.data(), 8);
          PutU16At(r + 20, static_cast<std::uint16_t>(p.percent | (p.period_code & 0xF) << 8 | (p.ifr ? 1 << 12 : 0)));
          r += 22;
          for (const TrafficLeg& leg : p.legs) {
            PutU16At(r, EncodeTimeCode(leg.departure, p.period_code));
            PutU16At(r + 2, EncodeTimeCode(leg.arrival, p.period_code));
            std::memcpy(r + 4, leg.destination.data(), 4);
            PutU32At(r + 8, (leg.altitude & 0x3FFu) | (std::uint32_t(leg.flight_number) & 0x3FFFu) << 10 |
                                (leg.use_flight_number ? 1u << 24 : 0u) | (leg.fixed_arrival ? 1u << 25 : 0u));
            r += 12;
          }
        }
      },
      [](std::size_t) {});
  for (std::int64_t k = 0; k < plan_count; k += 33) ConsoleProgress("  Flight plans", k);
  ConsoleCount("  Flight plans", plan_count);

  // Sectors: an index entry per run of one cell in a band, then the blocks.
  // The sectors are known only as they are walked: the walk stops once
  // its records alone pass what is left, so that a plan far too large is
  // neither walked to the end nor held in memory whole.
  if (data.plans.size() > kMaxSectorPlans) return ReportFileError(kErrWriteOutput, path_text);
  const SectorBands bands =
      SectorizeFlightPlans(data.plans, lookup, geometry, walk, meanwhile, (max_size - plans_end) / 8);
  geometry = RouteGeometry();  // no longer needed while the file is written
  const std::size_t sectors_start = plans_end;
  const std::uint64_t total = sectors_start + bands.ExpectedSectionSize();
  if (bands.walked_plans() < data.plans.size())
    return ReportFileError(kErrTooLarge, TooLargeDetail("about ", total, max_size));
  if (total > max_size) return ReportFileError(kErrTooLarge, TooLargeDetail("", total, max_size));

  // Header and section table.
  out[0] = 1;  // u16 version 1
  SetU32(out, 2, 10001750u);
  SetU32(out, 6, static_cast<std::uint32_t>(-10001750));
  SetU32(out, 10, 0xFFFFFFFFu);
  SetU32(out, 14, 0);
  SetU32(out, 46, kHeaderSize);
  SetU32(out, 118, 0x87654321u);
  SetU32(out, kHeaderSize, 4);
  PutTableEntry(out, 172, static_cast<std::uint32_t>(sorted.size()), 1, kAirportsStart, 16);
  PutTableEntry(out, 192, static_cast<std::uint32_t>(aircraft.size()), 2,
                static_cast<std::uint32_t>(aircraft_start), 0);
  PutTableEntry(out, 212, static_cast<std::uint32_t>(data.plans.size()), 3,
                static_cast<std::uint32_t>(plans_start), 0);
  PutTableEntry(out, 232, static_cast<std::uint32_t>(bands.IndexEntries()), 4,
                static_cast<std::uint32_t>(sectors_start), 0);

  reserve(total);
  if (!write(0, out) || !write(plans_start, std::string_view(plans_section.get(), plans_size)))
    return ReportFileError(kErrWriteOutput, path_text);
  std::string().swap(out);
  plans_section.reset();
  ConsoleWrite("Generating traffic sector database now...\n");
  const bool written = bands.Write(sectors_start, write, [](int b) { ConsoleProgress("  Bands", b); });
  ConsoleWrite("\n");
  if (!written) return ReportFileError(kErrWriteOutput, path_text);
  return 0;
}

}  // namespace

int BuildTrafficDatabase(TrafficData& data, std::string& bytes, const std::filesystem::path& path,
                         SectorWalk walk, std::uint64_t max_size) {
  bytes.clear();
  return BuildDatabase(
      data, path, walk, max_size, [&](std::uint64_t size) { bytes.assign(size, '\0'); },
      [&](std::uint64_t at, std::string_view piece) {
        std::memcpy(bytes.data() + at, piece.data(), piece.size());
        return true;
      });
}

int WriteTrafficDatabase(OutputFile& file, const std::filesystem::path& path, TrafficData& data,
                         const std::function<void()>& meanwhile) {
  // The first piece goes through the ordinary write, the sector bands are
  // written straight to their places from several threads.
  bool first = true;
  const int e = BuildDatabase(
      data, path, SectorWalk::kFast, kMaxDatabaseSize, [](std::uint64_t) {},
      [&](std::uint64_t at, std::string_view piece) {
        if (first) {
          first = false;
          return file.Write(piece);
        }
        return file.WriteAt(at, piece);
      },
      meanwhile);
  if (e) return e;
  if (!file.Finish()) return ReportFileError(kErrWriteOutput, path.string());
  return 0;
}

int WriteTrafficDatabase(const std::filesystem::path& path, TrafficData& data,
                         const std::function<void()>& meanwhile) {
  // The output is created first so that an unwritable folder is reported
  // before any work is done. It is a new file: never one that exists, nor
  // what a symbolic link of that name points to.
  OutputFile file;
  if (!file.CreateExclusive(path)) return ReportFileError(kErrOpenOutput, path.string());
  if (int e = WriteTrafficDatabase(file, path, data, meanwhile)) return e;
  file.Keep();
  return 0;
}

}  // namespace traffic
