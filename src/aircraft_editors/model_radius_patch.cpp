#include "aircraft_editors/model_radius_patch.h"

#include <cstdint>
#include <string>
#include <system_error>

#include "aircraft_editors/sim_files.h"
#include "data/model_radius.h"
#include "platform/text_file.h"

namespace velk {

ModelPatchResult PatchModelRadius(const std::filesystem::path& modelFile, int kind, int radius,
                                  bool backup, std::string* error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::file_status status = fs::status(modelFile, ec);
  if (!fs::exists(status)) return ModelPatchResult::Missing;
  if (!MayRewrite(modelFile, error)) return ModelPatchResult::Failed;
  std::optional<std::string> bytes = ReadFileBytes(modelFile, error);
  if (!bytes) return ModelPatchResult::Failed;

  ModelRadiusFound found =
      FindModelRadius(std::string_view(*bytes).substr(0, std::min(bytes->size(), kModelHeadBytes)));
  std::int64_t offset = ModelRadiusOffset(kind);
  if (found.kind != kind || offset < 0 || static_cast<std::uint64_t>(offset) + 4 > bytes->size()) {
    if (error) *error = "the file no longer has the layout it had when it was read";
    return ModelPatchResult::LayoutChanged;
  }
  if (found.radius == radius) return ModelPatchResult::Patched;

  if (backup && !MakeBackupOnce(modelFile, error)) return ModelPatchResult::Failed;
  auto v = static_cast<std::uint32_t>(radius);
  for (int i = 0; i < 4; ++i)
    (*bytes)[static_cast<size_t>(offset) + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return WriteFileAtomic(modelFile, *bytes, error) ? ModelPatchResult::Patched : ModelPatchResult::Failed;
}

}  // namespace velk
