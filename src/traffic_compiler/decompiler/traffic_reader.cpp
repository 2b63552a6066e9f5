#include "traffic_compiler/decompiler/traffic_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_view.h"
#include "traffic_compiler/common/console.h"
#include "traffic_compiler/common/tool_error.h"

namespace ulvane {
namespace {

constexpr int kUnreadable = traffic::kErrReadInput;

// Layout of the fixed part of the file.
constexpr std::uint64_t kHeaderSize = 168;
constexpr std::uint64_t kTableSize = 84;
constexpr std::uint64_t kTableEntries = kHeaderSize + 4;  // after the section count
constexpr std::uint64_t kTableEntrySize = 20;             // five u32
constexpr std::uint64_t kAirportRecordSize = 16;
constexpr std::uint64_t kAircraftHeadSize = 10;
constexpr std::uint64_t kPlanHeadSize = 22;
constexpr std::uint64_t kLegSize = 12;
constexpr int kHighestPeriodCode = 7;

// All reads go through the shared view, which answers only for ranges that
// lie completely inside the file.
using Bytes = velk::ByteView;

struct Section {
  std::uint32_t count = 0;
  std::uint64_t firstRecord = 0;  // valid when count > 0
};

// The table entry `index` (0 airports, 1 aircraft, 2 plans) and the record
// offset of its first index entry. Sections are taken by their place in the
// table; their type field and the constant header bytes are not insisted on.
bool ReadSection(const Bytes& file, int index, Section& section) {
  std::uint64_t entry = kTableEntries + kTableEntrySize * static_cast<std::uint64_t>(index);
  section.count = file.U32(entry);
  if (section.count == 0) return true;  // nothing to read, not even the index
  std::uint64_t indexOffset = file.U32(entry + 16);
  if (!file.Has(indexOffset, 8)) return false;
  section.firstRecord = file.U32(indexOffset + 4);
  return true;
}

int ReadAirports(const Bytes& file, TrafficDatabase& db) {
  traffic::ConsoleWrite("Extracting airport database now...\n");
  Section s;
  if (!ReadSection(file, 0, s)) return kUnreadable;
  if (s.count > 0) {
    // The records form one block; its length is checked before anything is
    // allocated for it.
    if (!file.Has(s.firstRecord, std::uint64_t{s.count} * kAirportRecordSize)) return kUnreadable;
    db.airports.resize(s.count);
    for (std::uint32_t i = 0; i < s.count; ++i) {
      std::uint64_t at = s.firstRecord + std::uint64_t{i} * kAirportRecordSize;
      DecodedAirport& a = db.airports[i];
      a.code = file.Chars<4>(at);
      a.latitude = static_cast<std::int32_t>(file.U32(at + 4));
      a.longitude = static_cast<std::int32_t>(file.U32(at + 8));
      a.elevation = static_cast<std::int32_t>(file.U32(at + 12));
    }
    // Equal codes keep their order in the file, so the output is the same on
    // every run.
    std::stable_sort(db.airports.begin(), db.airports.end(),
                     [](const DecodedAirport& x, const DecodedAirport& y) {
                       return CompareCodesNoCase(x.code, y.code) < 0;
                     });
    for (std::uint32_t i = 0; i < s.count; ++i)
      if (i % 33 == 0) traffic::ConsoleProgress("  Airports", i);
  }
  traffic::ConsoleCount("  Airports", static_cast<long long>(db.airports.size()));
  return 0;
}

int ReadAircraft(const Bytes& file, TrafficDatabase& db) {
  traffic::ConsoleWrite("Extracting aircraft database now...\n");
  Section s;
  if (!ReadSection(file, 1, s)) return kUnreadable;
  std::uint64_t at = s.firstRecord;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (i % 10 == 0) traffic::ConsoleProgress("  Aircraft", i);
    if (!file.Has(at, kAircraftHeadSize)) return kUnreadable;
    std::uint64_t size = file.U16(at);
    // A record holds at least its head and the name's NUL, lies inside the
    // file, and its name ends inside it.
    if (size < kAircraftHeadSize + 1 || !file.Has(at, size)) return kUnreadable;
    const char* name = file.At(at + kAircraftHeadSize);
    const void* nul = std::memchr(name, '\0', size - kAircraftHeadSize);
    if (!nul) return kUnreadable;
    DecodedAircraft& ac = db.aircraft.emplace_back();
    ac.number = std::uint32_t{file.U16(at + 4)} + 1;
    ac.speed = file.U16(at + 8);
    ac.name.assign(name, static_cast<const char*>(nul));
    at += size;
  }
  traffic::ConsoleCount("  Aircraft", static_cast<long long>(db.aircraft.size()));
  return 0;
}

int ReadPlans(const Bytes& file, TrafficDatabase& db) {
  traffic::ConsoleWrite("Extracting flight plan database now...\n");
  Section s;
  if (!ReadSection(file, 2, s)) return kUnreadable;
  // Nothing is reserved from the count: the records grow only as far as the
  // file really holds them.
  std::uint64_t at = s.firstRecord;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (i % 33 == 0) traffic::ConsoleProgress("  Flight plans", i);
    if (!file.Has(at, kPlanHeadSize)) return kUnreadable;
    std::uint64_t size = file.U32(at);
    if (size < kPlanHeadSize || !file.Has(at, size)) return kUnreadable;
    DecodedPlan& plan = db.plans.emplace_back();
    plan.acNumber = std::uint64_t{file.U32(at + 8)} + 1;
    plan.registration = file.Chars<8>(at + 12);
    plan.flags = file.U16(at + 20);
    // Only eight periods exist; any other code would index past the table.
    if (plan.periodCode() > kHighestPeriodCode) return kUnreadable;
    std::uint64_t legs = (size - kPlanHeadSize) / kLegSize;
    plan.firstLeg = static_cast<std::uint32_t>(db.legs.size());
    plan.legCount = static_cast<std::uint32_t>(legs);
    for (std::uint64_t k = 0; k < legs; ++k) {
      std::uint64_t leg = at + kPlanHeadSize + k * kLegSize;
      DecodedLeg& l = db.legs.emplace_back();
      l.departure = file.U16(leg);
      l.arrival = file.U16(leg + 2);
      l.code = file.Chars<4>(leg + 4);
      l.packed = file.U32(leg + 8);
    }
    // The size, not the leg count, says where the next record starts.
    at += size;
  }
  traffic::ConsoleCount("  Flight plans", static_cast<long long>(db.plans.size()));
  return 0;
}

}  // namespace

int CompareCodesNoCase(const traffic::AirportCode& a, const traffic::AirportCode& b) {
  for (size_t i = 0; i < 4; ++i) {
    unsigned x = static_cast<unsigned char>(a[i]);
    unsigned y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
    if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) break;
  }
  return 0;
}

int ReadTrafficDatabase(std::string_view data, TrafficDatabase& db) {
  db = TrafficDatabase{};
  Bytes file(data);
  if (!file.Has(0, kHeaderSize + kTableSize)) return kUnreadable;
  // Every database carries these fixed values in its header; a file without
  // them (an empty or zeroed file, another kind of file) is not read as one.
  if (file.U16(0) != 1 || file.U32(2) != 10001750u || file.U32(6) != static_cast<std::uint32_t>(-10001750) ||
      file.U32(10) != 0xFFFFFFFFu || file.U32(46) != kHeaderSize || file.U32(118) != 0x87654321u)
    return kUnreadable;
  if (int rc = ReadAirports(file, db)) return rc;
  if (int rc = ReadAircraft(file, db)) return rc;
  return ReadPlans(file, db);
}

}  // namespace ulvane
