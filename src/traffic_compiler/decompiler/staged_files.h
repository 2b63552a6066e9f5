#pragma once
// Several output files that appear together or not at all: each is written
// completely to a temporary file beside its target first, and only when all
// of them were written are they renamed into place. Whatever is not put in
// place is removed again, and the files that were there stay as they were.
// A run killed between the renames leaves a journal behind, from which the
// next run puts the old files back.
#include <cstddef>
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

  // `journal` names the file that lists the targets, their temporary files
  // and their old files while the renames run.
  explicit StagedFiles(std::filesystem::path journal) : journal_(std::move(journal)) {}
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
  // system has no links) and the journal is written; when one rename fails,
  // the targets already replaced get their old files back (or are removed
  // again when they are new) and `failed` names the target concerned (or
  // the journal). The journal goes once the renames are done or undone.
  bool Commit(std::filesystem::path& failed);

  enum class Repair { kNone, kPutBack, kFailed };
  struct Recovery {
    Repair repair = Repair::kNone;
    std::size_t removed = 0;  // leftover temporary and old files
  };
  // Puts right what runs that died while staging `targets` (as given to
  // Create) left behind. A journal means the renames never all finished:
  // every target already replaced gets its old file back (a new one is
  // removed again when there was none), so that the set is the old one
  // whole; a target whose old file is gone stays as it is. Then the
  // temporary and old files of the targets' names are removed. A journal cut
  // off while it was written (before any rename) or naming other files is
  // not acted on. kFailed keeps the journal and the files it names for the
  // next run. Only for a caller that holds the lock under which the files
  // are staged.
  static Recovery Recover(const std::filesystem::path& journal,
                          const std::vector<std::filesystem::path>& targets);

 private:
  struct Entry {
    std::filesystem::path target;  // the file really written
    std::unique_ptr<traffic::OutputFile> file;
    std::string backup;  // the old target kept aside, when there was one
    bool existed = false;
    bool written = false;
  };
  bool KeepAside(Entry& e);
  bool WriteJournal();

  std::filesystem::path journal_;
  std::vector<Entry> staged_;
  bool keep_for_next_run_ = false;  // an undo failed: the journal stays valid
};

}  // namespace ulvane
