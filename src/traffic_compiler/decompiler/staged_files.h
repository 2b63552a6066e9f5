#pragma once
// Several output files that appear together or not at all: each is written
// completely to a temporary file beside its target first, and only when all
// of them were written are they renamed into place. Whatever is not put in
// place is removed again, and the files that were there stay as they were.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ulvane {

class StagedFiles {
 public:
  enum class Result { kOk, kCannotCreate, kCannotWrite };

  StagedFiles() = default;
  ~StagedFiles();
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;

  // Writes `bytes` to a new temporary file for `target`, flushed to disk.
  Result Stage(const std::filesystem::path& target, std::string_view bytes);

  // Renames every staged file over its target, in staging order. On a failed
  // rename the rest are not renamed; `failed` names the target concerned.
  bool Commit(std::filesystem::path& failed);

 private:
  struct Entry {
    std::filesystem::path target;
    std::string temporary;
  };
  std::vector<Entry> staged_;
};

}  // namespace ulvane
