#pragma once
// Several output files that appear together or not at all: each is written
// completely to a temporary file beside its target first, and only when all
// of them were written are they renamed into place. Whatever is not put in
// place is removed again, and the files that were there stay as they were.
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "traffic_compiler/common/tool_files.h"

namespace ulvane {

class StagedFiles {
 public:
  enum class Result { kOk, kCannotCreate, kCannotWrite };

  StagedFiles() = default;
  ~StagedFiles();
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;

  // Creates the temporary file for `target` (kCannotCreate when that fails,
  // or when `target` is something other than a file, or a file marked
  // read-only). A target that is a symbolic link is written through the
  // link: the file it names is replaced and the link stays.
  Result Create(const std::filesystem::path& target);
  // Writes `bytes` to the file made by the last Create and flushes it to disk.
  Result Write(std::string_view bytes);

  // Renames every staged file over its target, in staging order. The old
  // files are kept aside first (a second link, or a copy where the file
  // system has no links); when one rename fails, the targets already
  // replaced get their old files back (or are removed again when they are
  // new) and `failed` names the target concerned.
  bool Commit(std::filesystem::path& failed);

 private:
  struct Entry {
    std::filesystem::path target;  // the file really written
    std::unique_ptr<traffic::OutputFile> file;
    std::string backup;  // the old target kept aside, when there was one
    bool existed = false;
    bool written = false;
  };
  bool KeepAside(Entry& e);

  std::vector<Entry> staged_;
};

}  // namespace ulvane
