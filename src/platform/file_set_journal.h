#pragma once
// The journal of a set of files replaced together (file_set.h), shared by
// the writer and the recovery: its records, the names of a run's files, what
// lies at a name now, the facts a recovery gathers and the one function that
// decides from them what it does, and the words its lines are made of.
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
#include <utility>
#include <vector>

#include "platform/file_ops.h"
#include "platform/write_target.h"

namespace velk::set_journal {

namespace fs = std::filesystem;

inline constexpr std::string_view kAside = ".aside";
// A journal names a handful of paths; anything much larger was not
// written by a run of ours and is not read.
inline constexpr size_t kMaxJournalBytes = 64 * 1024;

// ".<mark>.journal".
std::string JournalName(std::string_view mark);
// The run's new file for its target number `index`, and with ".old" its
// second name of the old one, as runs before journal version 5 named them:
// of one length whatever the target's name.
std::string TemporaryName(std::string_view mark, std::string_view run, size_t index);
// The same since version 5, where each name also carries what a notice
// needs when the journal is lost: the number of the target and of targets,
// which targets had an earlier file ('e') or none ('n'), and a check sum of
// the name of each target in the set's folder (`sums`, NameSum of each, in
// the order of the targets), still of a length that does not grow with the
// targets' names: ".<mark>-set-<run>-<index+1>of<count>-<flags>-<sums>".
std::string TemporaryName(std::string_view mark, std::string_view run, size_t index, std::string_view flags,
                          std::string_view sums);
// The check sum of a target's name that the names of its run's files carry.
inline constexpr size_t kNameSumLength = 12;
std::string NameSum(std::string_view name);
// What the name of a run's file says (TemporaryName, with or without
// ".old"); nothing for any other name.
struct RunFileName {
  std::string run;
  size_t index = 0;   // from 0
  bool kept = false;  // ".old": the second name of an earlier file
  // Since version 5 (else empty): one letter a target, 'e' where it had an
  // earlier file, 'n' where it had none; and the check sums of their names.
  std::string flags, sums;
  size_t Count() const { return flags.size(); }
  std::string_view Sum(size_t i) const { return std::string_view(sums).substr(i * kNameSumLength, kNameSumLength); }
};
std::optional<RunFileName> ParseRunFileName(std::string_view name, std::string_view mark);
// `path` made absolute and plain, without a last separator.
fs::path Absolute(const fs::path& path);
// A fresh name for a run's files.
std::string NewRunName();
// The boot the system runs in, "-" when it cannot be told.
std::string BootId();
// "<process>.<start>" of this process.
std::string ThisWriter();
// The process-number space this process runs in ("pid:[4026531836]"), "-"
// when it cannot be told: a process number means nothing outside it.
std::string ThisSpace();

// What lies at a name, not followed through a link.
struct Look {
  enum class Kind { kAbsent, kFile, kLink, kOther, kError };
  Kind kind = Kind::kAbsent;
  struct stat st {};
  int error = 0;
  bool Exists() const { return kind != Kind::kAbsent && kind != Kind::kError; }
};

Look LookAt(int folder, const std::string& name, const fs::path& shown);

// One target of a set, with the files of its run.
struct Entry {
  std::string name;  // in the journal's folder
  fs::path via;      // when the name is a link: the file it leads to
  // It had an earlier file when the run began: recorded since version 5.
  std::optional<bool> earlier;
  std::optional<FileIdentity> oldId, newId, keptId;
  // Where the files lie: the folder (open), the target's own name there, the
  // run's new file and kept old file, and the folder as the user sees it
  // (empty for the journal's own).
  int dir = -1;
  std::string file, temporary, kept;
  fs::path shownDir;

  fs::path Shown(const std::string& n) const { return shownDir.empty() ? fs::path(n) : shownDir / n; }
};

// The journals of this version, and those of earlier ones that a run killed
// before an update leaves: 2 has no check sums, 3 no process-number space, 4
// neither which targets had an earlier file nor the run files' longer names.
inline constexpr int kJournalVersion = 5;

struct Journal {
  // How far the run got in writing it: its first record cut short (the run
  // had made nothing yet), whole (its files may be made, no target
  // replaced), or the second record whole too (the identities recorded,
  // the renames may have begun).
  enum class Records { kFirstCut, kFirst, kBoth };
  Journal() = default;
  Journal(std::string mark_, std::string run_, std::string writer_, std::string boot_, std::vector<Entry> entries_,
          Records records_, std::string space_ = {}, int version_ = kJournalVersion)
      : mark(std::move(mark_)), run(std::move(run_)), writer(std::move(writer_)), boot(std::move(boot_)),
        entries(std::move(entries_)), records(records_), space(std::move(space_)), version(version_) {}
  std::string mark, run, writer, boot;
  std::vector<Entry> entries;
  Records records = Records::kFirst;
  std::string space;  // its writer's process-number space; empty before version 4
  int version = kJournalVersion;
};

// Whether the writer of a journal still runs: it does (same boot, same
// process-number space, same process started at the same time, and not
// this process), it is gone, or that cannot be told (another boot or
// space, a journal cut short, a look at the process that failed).
enum class WriterLife { kRuns, kGone, kCannotTell };
WriterLife WriterState(const Journal& j);

std::string StagedRecord(const Journal& j);
std::string CommittedRecord(const Journal& j);
// A name of a file in a folder: no separator, not "." or "..".
bool IsPlainName(std::string_view name);
// A journal written by a run of `mark`, or nothing, with why. Read by the
// position of each field: after a whole first record, anything that is not
// a whole second record with its check sum (one cut short, or the zeros a
// power cut can leave) counts as no second record.
std::optional<Journal> ParseJournal(std::string_view text, std::string_view mark, std::string& why);
// Names the run's files of each entry.
void NameFiles(Journal& j);
// The targets of every set that a run of `mark` writes, in its order, where
// all its sets name the same files (ulvane's three texts); none where they
// differ (velk's plan, export and merge).
std::vector<std::string_view> FixedTargets(std::string_view mark);
// `name` is the name of a file that a run of `mark` makes (of the run `run`
// when that is given): ".<mark>-set-<run>-<n>", with ".old" for a kept one.
bool IsRunFileName(std::string_view name, std::string_view mark, std::string_view run = {});

// ---- The facts and the decision of a recovery ---------------------------------

// What the recovery found of one journal and of the files it names. Only
// facts that could be had: a look that failed ends the recovery before.
struct Facts {
  std::string mark;
  uid_t user = 0;            // who runs the recovery
  Look journal;              // what stands at the journal's name
  bool othersMayWrite = false;  // and another user could have written it
  bool empty = false;        // it holds no byte
  std::optional<Journal> parsed;
  std::string why;           // why it could not be parsed
  bool locks = true;         // the folder's lock is held
  bool writerMayRun = false; // only asked where there is no lock
  // Files of runs of `mark` (any run) made since the journal, in its folder
  // and in those its links lead to: asked only when it names no file.
  std::vector<std::string> runFiles;
  struct File {
    bool lost = false;       // the name is no longer the link it was
    // The file system of the folder its names lie in: that of the journal's
    // folder, or of the folder a link leads to, which may be another.
    dev_t device = 0;
    Look target, temporary, kept;
    bool writable = true;    // the target may be replaced
    // It may not, as its file system is mounted read-only (after a crash,
    // say): no change of the user's, and one that a later run may undo.
    bool readOnlyFileSystem = false;
    // The kept file holds nothing that the target does not: a second name
    // of it, or a copy of its bytes, maybe cut short by a kill. Asked only
    // before the second record.
    bool keptInTarget = false;
  };
  std::vector<File> files;   // one for each entry of `parsed`
};

// What the names of one entry hold, judged once for the decision, for the
// words of its lines and for the notice of a journal set aside. Before the
// second record no identity is known: a file at the target's name counts
// as the earlier one, the user's own file at the new file's name as the
// run's, and a kept file as the run's while the target holds all of it.
struct EntryState {
  enum class Target { kAbsent, kOld, kNew, kOther };
  // kOnlyCopy: a kept file that holds what its target no longer holds.
  enum class Slot { kNone, kRun, kOther, kOnlyCopy };
  Target target = Target::kAbsent;
  Slot waiting = Slot::kNone;  // at the name of the run's new file
  Slot kept = Slot::kNone;     // at the name of the kept old file
  bool lost = false;           // the name is no longer the link it was
  // The target is as before the run: its old file, or none where there was none.
  bool Earlier(const Entry& e) const { return target == Target::kOld || (target == Target::kAbsent && !e.oldId); }
};
EntryState Classify(const Entry& e, const Facts::File& x, Journal::Records records, uid_t user = ::geteuid());
// Looks at the three names of `e` now; a look that fails counts as no file.
Facts::File LookAtEntry(const Entry& e);

// What a recovery does about one journal.
struct Decision {
  enum class Kind {
    kNothing,        // there is no journal
    kLeave,          // its writer may still run: the folder is busy
    kRefuseForeign,  // another user's: nothing is done
    kRefuseOpen,     // others may write it: nothing is done
    kDrop,           // nothing was begun: only the journal goes
    kClear,          // no target was replaced: the run's own files go
    kFinish,         // every new file is there: the set is made new
    kPutBack,        // the earlier set is put back
    kSetAside,       // nothing is touched, the journal is set aside
    kHold,           // a file to replace lies on a read-only file system: nothing is done, and it stays in force
  };
  enum class Why {
    kNone,
    kNotFile,
    kTooLarge,
    kMalformed,
    kNamesNothing,  // it names no file, but files of its runs lie in the folder
    kNoneAsLeft,
    kChanged,
    kReplaced,
    kReadOnly
  };
  enum class File { kTarget, kTemporary, kKept };
  // Carried out in order, then the journal goes: a rename of `from` over
  // the target, or the removal of `from`.
  struct Step {
    enum class Op { kRename, kRemove } op;
    size_t entry;
    File from;
    bool operator==(const Step&) const = default;
  };
  Decision(Kind k = Kind::kNothing, Why w = Why::kNone) : kind(k), why(w) {}
  Kind kind;
  Why why;
  std::vector<std::string> names;  // the targets concerned
  std::vector<Step> steps;
};

// From the facts to what is done; nothing else goes in or comes out.
Decision Decide(const Facts& f);

// ---- Words -------------------------------------------------------------------

// `name` with its control characters (a terminal's escapes, new lines)
// written as \xNN: names from a journal are shown only so.
std::string Printable(std::string_view name);
// `text` in single quotes, as a full path is always shown: a quote inside
// is written twice (''), a backslash and each character that cannot be
// typed as \xNN.
std::string Quoted(std::string_view text);
// A file's name as a line or a step shows it: plain, or in quotes (Quoted)
// where it holds what the sentences join their parts with (", ", "; ",
// " and ", " or ", " then ", " onto "), a quote, a backslash, a space at
// either end or a character that cannot be typed: so that a step names
// the file word for word. A quoted name never begins with '/', a full
// path always does.
std::string ShownName(std::string_view name);
// "A", "A and B", "A, B and C".
std::string NameList(const std::vector<std::string>& names);
std::string IsAre(const std::vector<std::string>& names, std::string_view what);
// `l` is the file of identity `id` on the file system `device`.
bool Matches(const Look& l, const std::optional<FileIdentity>& id, dev_t device);
// The same, and `user`'s own: the run's new file.
bool IsNewFile(const Look& l, const std::optional<FileIdentity>& id, dev_t device, uid_t user = ::geteuid());
// `a` and `b` are one regular file: two names of it.
bool SameFile(const Look& a, const Look& b);
// Something (a journal, or what cannot be looked at) stands at the name of
// the journal of `mark` in the open folder `folder`, shown as `shown`.
bool JournalIn(int folder, const fs::path& shown, std::string_view mark);
// Where the names of a journal stand.
struct SetState {
  // The targets holding the new file, the earlier one, nothing, and a file
  // that is neither.
  std::vector<std::string> targets, newer, older, absent, other, kept, waiting;
};

SetState StateOf(const Journal& j);
// "; the earlier files are kept as ...; the new ones wait as ..."
std::string KeptClause(const SetState& s);
// "A is new, B and C are old"
std::string NewOldClause(const SetState& s);

// The open folders the links of a journal lead to, closed when it goes.
class OpenFolders {
 public:
  ~OpenFolders() {
    for (auto& [path, fd] : fds_) ::close(fd);
    for (int fd : kept_) ::close(fd);
  }
  // The folder `dir`, reached as a writer would reach it: through links of
  // the user's own or of root's, which lead where a write there would go,
  // never through another user's. -1 (errno set) when it cannot be.
  int Open(const fs::path& dir) {
    if (auto it = fds_.find(dir); it != fds_.end()) return it->second;
    const int fd = OpenFolderAsWritten(dir);
    if (fd >= 0) fds_.emplace(dir, fd);
    return fd;
  }
  // Keeps the open folder `fd` until it goes; -1 stays -1.
  int Keep(int fd) {
    if (fd >= 0) kept_.push_back(fd);
    return fd;
  }

 private:
  std::map<fs::path, int> fds_;
  std::vector<int> kept_;
};

}  // namespace velk::set_journal
