#pragma once
// traffic.bgl: the compiled traffic database.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "traffic_compiler/common/traffic_records.h"
#include "traffic_compiler/compiler/traffic_sectors.h"

namespace traffic {

class OutputFile;

// The largest database the format's 32-bit offsets can address, in bytes.
inline constexpr std::uint64_t kMaxDatabaseSize = 0xFFFFFFFFu;

// Computes the arrival times of `data.plans` and builds the whole database
// in memory, printing the progress of each section. Returns 0 with the file
// bytes in `bytes`, or the error code, already reported: 8 or 9, or 7 when
// the file would be larger than `max_size` bytes (found out as early as the
// sizes allow, before anything is laid out in `bytes`; 4 with `path` as the
// file name when there are more plans than the sector records can number).
// `walk` chooses how the sectors are found (the same bytes either way).
int BuildTrafficDatabase(TrafficData& data, std::string& bytes, const std::filesystem::path& path,
                         SectorWalk walk = SectorWalk::kFast, std::uint64_t max_size = kMaxDatabaseSize);

// Builds the database and writes it to the new file `path`, which must not
// exist. Returns 0 or the reported error code (2 when the file cannot be
// created, 4 when writing fails, 7 when the database would be larger than
// kMaxDatabaseSize, found out before anything but the empty file is
// written); on error the file is removed again.
// `meanwhile`, when given, is called once the arrival times are final, on
// the calling thread, while other threads walk the sectors.
int WriteTrafficDatabase(const std::filesystem::path& path, TrafficData& data,
                         const std::function<void()>& meanwhile = {});
// The same into `file`, made new by the caller as `path`: finished, and
// left for the caller to keep or to let go.
int WriteTrafficDatabase(OutputFile& file, const std::filesystem::path& path, TrafficData& data,
                         const std::function<void()>& meanwhile = {});

}  // namespace traffic
