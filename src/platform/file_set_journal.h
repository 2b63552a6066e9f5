#pragma once
// The journal of a set of files replaced together (file_set.h), shared by
// the writer and the recovery: its records, the names of a run's files, what
// lies at a name now, and the words the recovery's lines are made of.
// Standard library and POSIX only.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_ops.h"

namespace velk::set_journal {

namespace fs = std::filesystem;

inline constexpr std::string_view kAside = ".aside";
// A journal names a handful of paths; anything much larger was not
// written by a run of ours and is not read.
inline constexpr size_t kMaxJournalBytes = 64 * 1024;

// ".<mark>.journal".
std::string JournalName(std::string_view mark);
// The run's new file for its target number `index`, and with ".old" its
// second name of the old one: of one length whatever the target's name.
std::string TemporaryName(std::string_view mark, std::string_view run, size_t index);
// `path` made absolute and plain, without a last separator.
fs::path Absolute(const fs::path& path);
// A fresh name for a run's files.
std::string NewRunName();
// The boot the system runs in, "-" when it cannot be told.
std::string BootId();
// "<process>.<start>" of this process.
std::string ThisWriter();
// True when the writer of a journal still runs: same boot, same process,
// started at the same time, and not this process.
bool WriterRuns(std::string_view writer, std::string_view boot);

// What lies at a name, not followed through a link.
struct Look {
  enum class Kind { kAbsent, kFile, kLink, kOther, kError };
  Kind kind = Kind::kAbsent;
  struct stat st {};
  int error = 0;
  bool Exists() const { return kind != Kind::kAbsent && kind != Kind::kError; }
};

Look LookAt(int folder, const std::string& name, const fs::path& shown);
// Removes the file or link `name`; true when nothing of that name is left.
bool RemoveAt(int folder, const std::string& name, const fs::path& shown);

// One target of a set, with the files of its run.
struct Entry {
  std::string name;  // in the journal's folder
  fs::path via;      // when the name is a link: the file it leads to
  std::optional<FileIdentity> oldId, newId, keptId;
  // Where the files lie: the folder (open), the target's own name there, the
  // run's new file and kept old file, and the folder as the user sees it
  // (empty for the journal's own).
  int dir = -1;
  std::string file, temporary, kept;
  fs::path shownDir;
  bool lost = false;  // the name is no longer the link it was

  fs::path Shown(const std::string& n) const { return shownDir.empty() ? fs::path(n) : shownDir / n; }
};

struct Journal {
  std::string mark, run, writer, boot;
  std::vector<Entry> entries;
  bool committed = false;
  bool begun = true;  // false: its first record was cut short
};

std::string StagedRecord(const Journal& j);
std::string CommittedRecord(const Journal& j);
// A name of a file in a folder: no separator, not "." or "..".
bool IsPlainName(std::string_view name);
// A journal written by a run of `mark`, or nothing, with why.
std::optional<Journal> ParseJournal(std::string_view text, std::string_view mark, std::string& why);
// Names the run's files of each entry.
void NameFiles(Journal& j);

// "A", "A and B", "A, B and C".
std::string NameList(const std::vector<std::string>& names);
std::string IsAre(const std::vector<std::string>& names, std::string_view what);
// `l` is the file of identity `id` on the file system `device`.
bool Matches(const Look& l, const std::optional<FileIdentity>& id, dev_t device);
// The same, and the user's own: the run's new file.
bool IsNewFile(const Look& l, const std::optional<FileIdentity>& id, dev_t device);
// Where the names of a journal stand.
struct SetState {
  std::vector<std::string> targets, newer, older, kept, waiting;
};

SetState StateOf(const Journal& j, dev_t device);
// "; the earlier files are kept as ...; the new ones wait as ..."
std::string KeptClause(const SetState& s);
// "A is new, B and C are old"
std::string NewOldClause(const SetState& s);

// The open folders the links of a journal lead to, closed when it goes.
class OpenFolders {
 public:
  ~OpenFolders() {
    for (auto& [path, fd] : fds_) ::close(fd);
  }
  // -1 (errno set) when `dir` cannot be opened.
  int Open(const fs::path& dir) {
    if (auto it = fds_.find(dir); it != fds_.end()) return it->second;
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) fds_.emplace(dir, fd);
    return fd;
  }

 private:
  std::map<fs::path, int> fds_;
};

}  // namespace velk::set_journal
