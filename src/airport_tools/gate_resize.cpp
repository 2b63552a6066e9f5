#include "airport_tools/gate_resize.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>
#include <unordered_set>

#include "data/config_text.h"
#include "data/scenery_airports.h"
#include "data/scenery_cache.h"
#include "data/text_number.h"
#include "platform/folder_list.h"
#include "platform/folder_lock.h"
#include "platform/text_file.h"

namespace velk {
namespace fs = std::filesystem;

const std::array<GateType, 10> kGateTypes = {{{"Dock GA", 11},
                                               {"Gate Heavy", 10},
                                               {"Gate Medium", 9},
                                               {"Gate Small", 8},
                                               {"Ramp Cargo", 5},
                                               {"Ramp GA Large", 4},
                                               {"Ramp GA Medium", 3},
                                               {"Ramp GA Small", 2},
                                               {"Ramp Mil Cargo", 6},
                                               {"Ramp Mil Combat", 7}}};

int GateTypeCode(std::string_view text) {
  for (const GateType& t : kGateTypes)
    if (text == t.text) return t.code;
  return 0;
}

std::optional<float> ParseGateSize(std::string_view text) {
  std::optional<double> value = text_number::ParseDecimal(text);
  if (!value || !(*value > 0) || *value > std::numeric_limits<float>::max()) return std::nullopt;
  float metres = static_cast<float>(*value);
  if (!(metres > 0) || !std::isfinite(metres)) return std::nullopt;
  return metres;
}

std::string CheckGateSize(std::string_view text) {
  std::optional<double> value = text_number::ParseDecimal(text);
  if (!value) return kGateSizeNotNumericMessage;
  if (!ParseGateSize(text)) return *value > 0 ? kGateSizeNotNumericMessage : kGateSizeNotPositiveMessage;
  return {};
}

std::string GateSizeLabel(std::string_view text) {
  std::optional<float> metres = ParseGateSize(text);
  if (!metres) return "New &Size (m)";
  return "New &Size (m) - " + text_number::FormatFixed(static_cast<double>(*metres) * 3.281, 2) + " ft";
}

bool GateAirportMatches(const AfdIndexAirport& a, std::string_view airportIcao, const GateFilter& filter) {
  const bool bySearch = !filter.search.empty();
  const bool byIcao = !filter.icao.empty();
  if (!bySearch && !byIcao) return true;
  if (bySearch) {
    for (const std::string* field : {&a.City, &a.Region, &a.Country, &a.Name, &a.State})
      if (ContainsNoCase(*field, filter.search)) return true;
  }
  return byIcao && ContainsNoCase(airportIcao, filter.icao);
}

GateFilePatch PatchGateRadii(std::string& bytes, int type, float metres, const GateFilter& filter) {
  GateFilePatch patch;
  // Every place is found and checked first; the bytes change only when the
  // whole file proved sound.
  std::vector<std::int64_t> radii;
  const std::int64_t size = static_cast<std::int64_t>(bytes.size());
  patch.file = WalkAFDIndex(bytes, [&](const AfdIndexAirport& entry) {
    std::string icao = ReadAirportIdent(bytes, entry.RecordOffset).value_or("");
    if (!GateAirportMatches(entry, icao, filter)) return true;
    SceneryAirport airport;
    AfdParkingLayout layout;
    if (!ReadAFDAirport(bytes, entry.RecordOffset, airport, &layout)) return false;
    for (size_t i = 0; i < airport.Parkings.size(); ++i) {
      if (airport.Parkings[i].Type != type) continue;
      const std::int64_t at = layout.EntryOffsets[i] + 8;
      const std::int64_t end = at + 4;
      if (at < layout.SubRecordStart + 16 || end > layout.SubRecordEnd || end > layout.RecordEnd || end > size)
        return false;
      radii.push_back(at);
    }
    return true;
  });
  if (patch.file != AfdFileResult::kRead) return patch;
  std::uint32_t raw;
  std::memcpy(&raw, &metres, 4);
  const char little[4] = {static_cast<char>(raw & 0xFF), static_cast<char>(raw >> 8 & 0xFF),
                          static_cast<char>(raw >> 16 & 0xFF), static_cast<char>(raw >> 24 & 0xFF)};
  for (std::int64_t at : radii) std::memcpy(&bytes[static_cast<size_t>(at)], little, 4);
  patch.resized = static_cast<int>(radii.size());
  return patch;
}

namespace {

// True when `name` is a temporary that a resize writes beside one of the
// facility files `walked`: the atomic writer's ".<file>.velk-XXXXXX" or the
// backup copy's ".<file>.velk.bak.velk-XXXXXX". Another program's
// ".<file>.XXXXXX" is none.
bool IsResizeTemporary(std::string_view name, const std::unordered_set<std::string>& walked) {
  std::optional<std::string_view> target = TemporaryTargetName(name);
  if (!target) return false;
  constexpr std::string_view kBackup = ".velk.bak";
  if (target->ends_with(kBackup)) target->remove_suffix(kBackup.size());
  return walked.count(std::string(*target)) > 0;
}

}  // namespace

GateResizeResult ResizeGates(const fs::path& sceneryFolder, const GateResizeRequest& request,
                             const std::function<void(const std::string&, int, int)>& progress) {
  GateResizeResult result;
  // Two resizes never work in the same folder at once: the second could
  // overwrite the first one's changes with a copy read before them, and its
  // clean-up could remove the first one's temporaries while they are being
  // written. A folder that another resize is working in is reported busy,
  // one that cannot be listed whole is named; nothing is changed in either.
  FolderLock lock;
  result.busy = lock.TryLock(sceneryFolder) == FolderLock::Result::kBusy;
  if (result.busy) return result;
  std::vector<fs::directory_entry> entries;
  std::error_code ec;
  if (!ListFolder(sceneryFolder, entries, ec)) {
    result.failed.push_back(sceneryFolder.string());
    return result;
  }
  std::unordered_set<std::string> names;
  for (const fs::directory_entry& entry : entries) {
    std::error_code fileEc;
    std::string name = entry.path().filename().string();
    if (entry.is_regular_file(fileEc) && IsFacilityFileName(name)) names.insert(std::move(name));
  }
  // What a killed resize left behind goes before anything is written; a
  // temporary is never walked as a facility file, even when its random
  // part happens to end in "BGL". Only under the lock: without it another
  // velk's resize may be writing its own right now.
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : entries) {
    std::string name = entry.path().filename().string();
    if (IsResizeTemporary(name, names)) {
      // Through its folder, and only a run of this user's: another user's
      // file of that name stays.
      WriteTarget leftover;
      if (lock.Held() && leftover.OpenName(entry.path()) &&
          RemoveOwnLeftover(leftover.folder(), leftover.name(), entry.path()))
        ++result.temporariesRemoved;
    } else if (names.count(name)) {
      files.push_back(entry.path());
    }
  }
  // In the order the scenery load reads them, so that the walk and its
  // report do not depend on the case.
  SortFacilityFiles(files);
  for (size_t k = 0; k < files.size(); ++k) {
    const fs::path& path = files[k];
    const std::string name = path.filename().string();
    if (progress) progress(name, static_cast<int>(k) + 1, static_cast<int>(files.size()));
    if (request.backup && !CopyFileOnce(path, path.string() + ".velk.bak")) {
      result.failed.push_back(name);
      continue;
    }
    std::optional<std::string> bytes = ReadFileBytes(path);
    if (!bytes) {
      result.failed.push_back(name);
      continue;
    }
    const std::string before = *bytes;
    GateFilePatch patch = PatchGateRadii(*bytes, request.type, request.metres, request.filter);
    if (patch.file == AfdFileResult::kBroken) {
      result.failed.push_back(name);
      continue;
    }
    if (*bytes == before) {
      result.resized += patch.resized;
      continue;
    }
    // The writer leaves a read-only file as it is.
    if (!WriteFileAtomic(path, *bytes)) {
      result.failed.push_back(name);
      continue;
    }
    result.resized += patch.resized;
    ++result.filesChanged;
  }
  return result;
}

bool DiscardSceneryAirports(const fs::path& programFolder) {
  SceneryAirports().clear();
  // The cache is this program's own file; a link in its place goes, never
  // what it leads to.
  WriteTarget cache;
  if (!cache.OpenName(programFolder / kSceneryCacheFileName)) return !cache.file().empty() && errno == ENOENT;
  return cache.RemoveLeftover();
}

}  // namespace velk
