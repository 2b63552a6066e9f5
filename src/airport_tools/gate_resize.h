#pragma once
// Gate resize: rewrites the radius of every parking spot of one type in the
// simulator's airport facility files, at every airport or at those whose
// location or ICAO matches, optionally after a one-time backup of each file.
// Each file is read whole, patched in memory where the facility reader
// places the spots, and replaced as a whole, so a file is never left half
// changed. Also the discarding of the scenery airports that every resize
// ends with, and that the cache deletion does on its own.
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/scenery_airports.h"

namespace velk {

struct GateType {
  const char* text;
  int code;  // the parking type as stored in the files
};
// The Gate Type choice, in its order.
extern const std::array<GateType, 10> kGateTypes;
// The code of a Gate Type text, 0 when it is none.
int GateTypeCode(std::string_view text);

inline constexpr const char* kGateSizeNotNumericMessage = "Size has to be a numeric value.";
inline constexpr const char* kGateSizeNotPositiveMessage = "Size has to be greater than 0.";

// The size box read as metres: decimal digits with an optional sign and a
// "." fraction, blanks around. Nothing when it is no such number, not above
// 0 or too large for the files' single-precision field.
std::optional<float> ParseGateSize(std::string_view text);
// "" when the size box holds a size that can be written, else the message.
std::string CheckGateSize(std::string_view text);
// The size label: "New &Size (m) - 41.01 ft" for the value that will be
// written, "New &Size (m)" while the box holds none.
std::string GateSizeLabel(std::string_view text);

// Which airports are resized: those whose region, country, state, city or
// name contains `search`, or whose ICAO contains `icao` (letter case
// ignored; an empty text takes no part, both empty take every airport).
struct GateFilter {
  std::string search;
  std::string icao;
};
bool GateAirportMatches(const AfdIndexAirport& airport, std::string_view airportIcao, const GateFilter& filter);

struct GateFilePatch {
  AfdFileResult file = AfdFileResult::kRead;  // kBroken: nothing was changed
  int resized = 0;                            // parking spots given the radius
};
// Gives every parking spot of `type` at the matching airports of one
// facility file held in `bytes` the radius `metres`. A file whose structure
// runs outside itself, or outside an airport record or parking list, is
// left as it was and reported kBroken.
GateFilePatch PatchGateRadii(std::string& bytes, int type, float metres, const GateFilter& filter);

struct GateResizeRequest {
  int type = 0;
  float metres = 0;
  GateFilter filter;
  bool backup = true;  // copy each file to "<file>.velk.bak" once, before anything else
};
struct GateResizeResult {
  int resized = 0;                  // parking spots given the radius
  int filesChanged = 0;             // files rewritten
  std::vector<std::string> failed;  // files (or the folder) that could not be read, backed up or written
  int temporariesRemoved = 0;       // files left by an interrupted resize, removed first
  bool busy = false;                // another resize was at work in the folder: nothing was done
};
// Resizes in every file of `sceneryFolder` whose name ends in "BGL" (any
// case) and is longer than that, in name order without regard to case. A
// file that fails is named in `failed` and the walk goes on with the next.
// A folder that cannot be listed whole is named in `failed`, one in which
// another resize is at work gives `busy`, both with nothing changed. First the temporaries
// that a killed resize left beside these files (the atomic writer's and the
// backup copy's, see TemporaryTargetName) are removed. `progress` hears each
// file's name with its number and the count of files.
GateResizeResult ResizeGates(const std::filesystem::path& sceneryFolder, const GateResizeRequest& request,
                             const std::function<void(const std::string&, int, int)>& progress = {});

// Deletes AFDCache.dat in `programFolder` and empties the scenery airports,
// so that the next use reads the facility files again. False when the cache
// is there and could not be deleted.
bool DiscardSceneryAirports(const std::filesystem::path& programFolder);

}  // namespace velk
