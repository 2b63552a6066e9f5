#pragma once
// Writing an edited model radius back into a model file. The radius sits at
// a place that depends on the file's layout (data/model_radius.h); the
// layout is tested again on the file as it is now, so a file replaced or
// truncated since it was read is never patched at the wrong place or past
// its end.
#include <filesystem>
#include <string>

namespace velk {

enum class ModelPatchResult {
  Patched,        // the file holds the radius now (written, or held it already)
  Missing,        // no file of that path: nothing written
  LayoutChanged,  // the file no longer has the layout `kind`: nothing written
  Failed,         // not a regular file, unreadable, backup or write failed
};

// Writes `radius` (metres, 32-bit little-endian) into `modelFile` at the place
// of layout `kind`. With `backup` a copy named after the file with
// ".velk.bak" appended is made first, unless one exists. The file is
// replaced atomically; on any result but Patched it is left as it was, and
// on LayoutChanged and Failed `error` (when given) receives the reason.
ModelPatchResult PatchModelRadius(const std::filesystem::path& modelFile, int kind, int radius,
                                  bool backup, std::string* error = nullptr);

}  // namespace velk
