#pragma once
// What a journal that a recovery set aside (file_set.h) asks of the user:
// what each file of its set holds, where the other version lies, and the
// ways that make the set whole. A way is offered only where what stands in
// the folder proves that, followed word for word, it leaves one whole
// version of the set and loses none; the proof comes from the writer's own
// order and names and from the run's own files, never from bytes that
// happen to match. The order: every new file is written and synced before
// any earlier one gets its second name, every second name is made before
// the first rename, the renames go from the first target to the last, the
// kept files are removed only after the last rename, and a run that turns
// back puts its targets back before it removes anything. The names: since
// journal version 5 each of a run's files says which target it stands for,
// how many targets the run had, which of them had an earlier file, and the
// check sum of each target's name. Standard library and POSIX only.
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_set_journal.h"

namespace velk::set_journal {

// The folder of a set as the recovery holds it.
struct SetPlace {
  fs::path folder;   // made absolute
  fs::path reached;  // its path without links
  int fd;            // open, and locked where locks work
};

// A file of a run, found by its name.
struct RunFileAt {
  int dir;             // its folder, open
  fs::path shownDir;   // that folder as the user sees it; empty for the set's own
  std::string name;
  RunFileName parsed;
  Look look;
  fs::path Shown() const { return shownDir.empty() ? fs::path(name) : shownDir / name; }
};

// The regular files of runs of `mark` (any run) in the set's folder and in
// the folders that the user's own links there (or root's) lead to, each
// such folder locked first through `lock`, which is false when another run
// holds it (`busy` then set); only those that changed since the journal
// `journal` (of the status `st`) was made, where its file system keeps when
// that was: a run makes all its files after its journal. Nothing (errno
// set) when a folder cannot be listed or a look fails.
std::optional<std::vector<RunFileAt>> RunFilesAround(const SetPlace& at, std::string_view mark, OpenFolders& folders,
                                                     const std::function<bool(int, const fs::path&)>& lock, bool& busy,
                                                     const std::string& journal, const struct stat& st);

// The sentence that names the files of other runs of `mark` than the one
// whose journal `journal` (of the status `st`) a recovery handles, in the
// set's folder and in those its links lead to, and what each holds as its
// name tells: those not of the run `run`, or, where the journal does not
// name its run (empty), those made before it. Empty when there are none.
std::string OtherRunsLine(const SetPlace& at, std::string_view mark, const std::string& run,
                          const std::string& journal, const struct stat& st);

// The notice of the journal set aside as `aside` in the folder, for a run
// of `mark`: from the journal when it still names the set, else from the
// names of the run's files around.
std::string AsideNotice(const SetPlace& at, const std::string& aside, std::string_view mark);

}  // namespace velk::set_journal
