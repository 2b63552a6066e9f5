#include "data/model_radius.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/ascii_text.h"
#include "platform/byte_view.h"
#include "platform/profile_file.h"
#include "platform/sim_location.h"

namespace velk {
namespace {

constexpr std::int32_t kPlainMarker = 0x003A0076;
constexpr std::int16_t kPlainMarker2 = -124;

bool PlainLayout(const ByteView& b, std::size_t radiusAt) {
  // Marker words follow the radius directly: 32 bits, then 16 bits.
  return b.Has(radiusAt, 10) && b.I32(radiusAt + 4) == kPlainMarker &&
         static_cast<std::int16_t>(b.U16(radiusAt + 8)) == kPlainMarker2;
}

// The chunked layout keeps its radius at 28.
bool RiffLayout(std::string_view b) { return b.size() >= 32 && EqualsNoCase(b.substr(0, 4), "RIFF"); }

std::string ReadHead(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string head(kModelHeadBytes, '\0');
  if (!in) return {};
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  return head;
}

void ReadFromModelFolder(const std::filesystem::path& modelFolder, int& kind, int& radius,
                         std::string& modelFile) {
  // No folder: a lookup that failed, not the current folder.
  if (modelFolder.empty()) return;
  auto cfg = ProfileFile::Load(ResolvePathNoCase(modelFolder, "model.cfg"));
  if (!cfg) return;
  std::string normal = cfg->GetString("models", "normal");
  if (normal.empty()) return;
  std::filesystem::path file = ResolvePathNoCase(modelFolder, normal + ".mdl");
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return;
  auto size = std::filesystem::file_size(file, ec);
  if (ec || size == 0) return;
  modelFile = file.string();
  ModelRadiusFound found = FindModelRadius(ReadHead(file));
  kind = found.kind;
  radius = found.radius;
}

}  // namespace

std::int64_t ModelRadiusOffset(int kind) {
  switch (kind) {
    case kModelKindRiff: return 28;
    case kModelKindPlain1: return 4264;
    case kModelKindPlain2: return 4608;
    default: return -1;
  }
}

ModelRadiusFound FindModelRadius(std::string_view head) {
  ModelRadiusFound r;
  const ByteView bytes(head);
  if (RiffLayout(head)) {
    r.kind = kModelKindRiff;
  } else if (PlainLayout(bytes, 4264)) {
    r.kind = kModelKindPlain1;
  } else if (PlainLayout(bytes, 4608)) {
    r.kind = kModelKindPlain2;
  } else {
    return r;
  }
  r.radius = bytes.I32(static_cast<std::uint64_t>(ModelRadiusOffset(r.kind)));
  return r;
}

void ReadModelRadius(const ProfileFile& aircraftCfg, const std::string& aircraftFolder,
                     const std::string& section, int& kind, int& radius,
                     std::string& modelFile) {
  kind = kModelKindNone;
  radius = -1;
  modelFile.clear();
  std::string model = aircraftCfg.GetString(section, "model");
  std::string folderName = model.empty() ? "model" : "model." + model;
  ReadFromModelFolder(ResolvePathNoCase(aircraftFolder, folderName), kind, radius, modelFile);
}

void ReadModelRadius(const std::string& aircraftFolder, const std::string& section, int& kind,
                     int& radius, std::string& modelFile, const std::string& modelFolder) {
  kind = kModelKindNone;
  radius = -1;
  modelFile.clear();
  if (!modelFolder.empty()) {
    ReadFromModelFolder(modelFolder, kind, radius, modelFile);
    return;
  }
  if (aircraftFolder.empty()) return;
  auto cfg = ProfileFile::Load(ResolvePathNoCase(aircraftFolder, "aircraft.cfg"));
  if (!cfg) return;
  ReadModelRadius(*cfg, aircraftFolder, section, kind, radius, modelFile);
}

}  // namespace velk
