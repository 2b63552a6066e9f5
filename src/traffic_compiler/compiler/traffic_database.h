#pragma once
// traffic.bgl: the compiled traffic database.
#include <filesystem>
#include <functional>
#include <string>

#include "traffic_compiler/common/traffic_records.h"
#include "traffic_compiler/compiler/traffic_sectors.h"

namespace traffic {

// Computes the arrival times of `data.plans` and builds the whole database
// in memory, printing the progress of each section. Returns 0 with the file
// bytes in `bytes`, or the error code (8, 9, or 4 when the file would grow
// past the 32-bit offsets), already reported with `path` as the file name.
// `walk` chooses how the sectors are found (the same bytes either way).
int BuildTrafficDatabase(TrafficData& data, std::string& bytes, const std::filesystem::path& path,
                         SectorWalk walk = SectorWalk::kFast);

// Builds the database and writes it to the new file `path`, which must not
// exist. Returns 0 or the reported error code (2 when the file cannot be
// created, 4 when writing fails); on error the file is removed again.
// `meanwhile`, when given, is called once the arrival times are final, on
// the calling thread, while other threads walk the sectors.
int WriteTrafficDatabase(const std::filesystem::path& path, TrafficData& data,
                         const std::function<void()>& meanwhile = {});

}  // namespace traffic
