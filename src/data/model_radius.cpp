#include "data/model_radius.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/profile_file.h"
#include "platform/sim_location.h"

namespace velk {
namespace {

constexpr std::int32_t kPlainMarker = 0x003A0076;
constexpr std::int16_t kPlainMarker2 = -124;

// Little-endian signed integers; the caller has checked the bounds.
std::int32_t Int32At(std::string_view b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return static_cast<std::int32_t>(v);
}

std::int16_t Int16At(std::string_view b, std::size_t at) {
  std::uint16_t v = static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                               (static_cast<unsigned char>(b[at + 1]) << 8));
  return static_cast<std::int16_t>(v);
}

bool Fits(std::string_view b, std::size_t at, std::size_t len) { return at + len <= b.size(); }

bool PlainLayout(std::string_view b, std::size_t radiusAt) {
  // Marker words follow the radius directly: 32 bits, then 16 bits.
  return Fits(b, radiusAt, 4) && Fits(b, radiusAt + 4, 4) && Fits(b, radiusAt + 8, 2) &&
         Int32At(b, radiusAt + 4) == kPlainMarker && Int16At(b, radiusAt + 8) == kPlainMarker2;
}

bool RiffLayout(std::string_view b) {
  if (!Fits(b, 0, 4) || !Fits(b, 28, 4)) return false;
  for (int i = 0; i < 4; ++i) {
    char c = b[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != "RIFF"[i]) return false;
  }
  return true;
}

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
  if (RiffLayout(head)) {
    r.kind = kModelKindRiff;
  } else if (PlainLayout(head, 4264)) {
    r.kind = kModelKindPlain1;
  } else if (PlainLayout(head, 4608)) {
    r.kind = kModelKindPlain2;
  } else {
    return r;
  }
  r.radius = Int32At(head, static_cast<std::size_t>(ModelRadiusOffset(r.kind)));
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
  auto cfg = ProfileFile::Load(ResolvePathNoCase(aircraftFolder, "aircraft.cfg"));
  if (!cfg) return;
  ReadModelRadius(*cfg, aircraftFolder, section, kind, radius, modelFile);
}

}  // namespace velk
