// Putting right what interrupted replacements of sets left in a folder
// (file_set.h), in three steps for each journal: look at everything that
// matters (a look that fails ends it there, to be tried again), decide from
// those facts alone (Decide, in file_set_journal.cpp), then act through the
// locked folder, checking each step.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <variant>

#include "platform/file_set.h"
#include "platform/file_set_journal.h"
#include "platform/file_set_notice.h"
#include "platform/folder_list.h"
#include "platform/text_file.h"

namespace velk {
namespace {

using namespace set_journal;
using K = Decision::Kind;
using W = Decision::Why;

// What the recovery of one folder works with.
struct Place {
  fs::path folder;     // made absolute
  fs::path reached;    // its path without links
  int fd;              // the folder, locked where locks work
  struct stat status;  // what the folder is
  bool locks;          // its lock is held
  std::function<bool(int, const fs::path&)> alsoLock;
};

// What came of one journal, for the user and for whoever reads the set next.
struct JournalOutcome {
  std::string line;
  bool attention = false;   // the user should look at the files
  bool unfinished = false;  // the journal is still in force
  bool busy = false;        // another run is writing there

  // Put right, or nothing to do: the line (if any) says what was done.
  static JournalOutcome Done(std::string line) { return {std::move(line)}; }
  // Settled, but the user should look: a journal set aside.
  static JournalOutcome Look(std::string line) { return {std::move(line), true, false}; }
  // Still in force: the set is not read, nor written anew, until a run
  // carries it through.
  static JournalOutcome InForce(std::string line) { return {std::move(line), true, true}; }
  static JournalOutcome Busy() { return {{}, false, false, true}; }
};

// The journal stays in force: the next run tries again.
JournalOutcome TryAgain(const std::string& what, int err) {
  return JournalOutcome::InForce("Could not " + what + " (" + std::strerror(err) +
                                 "): nothing was changed, and the next run tries again.");
}

// ---- Look ---------------------------------------------------------------------

// Whether the file system of `folder` keeps each file's owner and mode.
// Not those that give every file of a mount one owner and mode (FAT,
// exFAT, NTFS, shares of Windows, FUSE mounts of such disks, the shared
// folders of virtual machines): there the mode of a journal says nothing
// about who may write it. Nothing (errno set) when it cannot be told.
std::optional<bool> KeepsPermissions(int folder) {
  struct statfs fs {};
  if (FileStepFails("statfs", ".") || ::fstatfs(folder, &fs) != 0) return std::nullopt;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x4d44ul:      // FAT
    case 0x2011BAB0ul:  // exFAT
    case 0x5346544eul:  // NTFS
    case 0x7366746eul:  // NTFS (ntfs3)
    case 0x65735546ul:  // FUSE
    case 0xFF534D42ul:  // CIFS
    case 0xFE534D42ul:  // SMB2
    case 0x517Bul:      // SMB
    case 0x786f4256ul:  // shared folders of a virtual machine
    case 0x01021997ul:  // 9p
    case 0x6a656a63ul:  // virtiofs
      return false;
    default:
      return true;
  }
}

// A journal is made without any right to run it, so one that shows the
// very mode of its folder, run rights and all, lies on a file system that
// shows every file with one mode.
bool OneModeForAll(const struct stat& journal, const struct stat& folder) {
  return (journal.st_mode & 0111) != 0 && (journal.st_mode & 07777) == (folder.st_mode & 07777);
}

// Written within the last minute: where nothing else tells whether its
// writer still runs, a journal that young may be a live run's.
bool Young(const struct stat& st) {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const long long age = std::chrono::duration_cast<std::chrono::seconds>(now).count() - st.st_mtim.tv_sec;
  return age > -60 && age < 60;
}

// The file `kept` holds nothing that `target` does not: it is a second
// name of it, or its bytes begin the target's (a copy, maybe cut short by a
// kill). Nothing (errno set) when either cannot be read.
std::optional<bool> KeptInTarget(int dir, const std::string& kept, const std::string& target, const struct stat& sk,
                                 const struct stat& st) {
  if (sk.st_dev == st.st_dev && sk.st_ino == st.st_ino) return true;
  if (sk.st_size > st.st_size) return false;
  int err = 0;
  const auto x = ReadFileBytes(kept, nullptr, ReadLimits{dir, false}, &err);
  const auto y = x ? ReadFileBytes(target, nullptr, ReadLimits{dir, false}, &err) : std::nullopt;
  if (!y) {
    errno = err;
    return std::nullopt;
  }
  return y->starts_with(*x);
}

// `folder` is one of the folders on the way to `file`, both absolute and
// without links.
bool OnTheWay(const fs::path& folder, const fs::path& file) {
  auto f = file.begin();
  for (auto d = folder.begin(); d != folder.end(); ++d, ++f)
    if (f == file.end() || *d != *f) return false;
  return f != file.end();
}

// Every fact the decision needs about the journal of `mark`, with the run's
// files named and their folders open in `folders`; or the outcome that ends
// the recovery of this journal before anything is decided.
std::variant<Facts, JournalOutcome> Gather(const Place& at, std::string_view mark, OpenFolders& folders) {
  Facts f;
  f.mark = std::string(mark);
  f.user = ::geteuid();
  f.locks = at.locks;
  const std::string name = JournalName(mark);
  const std::string by = "an interrupted run of " + std::string(mark);
  const fs::path shown = at.folder / name;
  f.journal = LookAt(at.fd, name, shown);
  if (f.journal.kind == Look::Kind::kError) return TryAgain("look at the journal " + name + " of " + by, f.journal.error);
  if (!f.journal.Exists() || f.journal.st.st_uid != f.user) return f;
  if (f.journal.kind == Look::Kind::kFile && (f.journal.st.st_mode & 022) != 0) {
    const std::optional<bool> keeps = KeepsPermissions(at.fd);
    if (!keeps) return TryAgain("look at the file system of the journal " + name + " of " + by, errno);
    f.othersMayWrite = *keeps && !OneModeForAll(f.journal.st, at.status);
    if (f.othersMayWrite) return f;
  }
  if (f.journal.kind != Look::Kind::kFile || static_cast<size_t>(f.journal.st.st_size) > kMaxJournalBytes) return f;
  struct stat st {};
  int err = 0;
  std::optional<std::string> text;
  if (FileStepFails("open", shown)) err = errno;
  else text = ReadFileBytes(name, nullptr, ReadLimits{at.fd, false, kMaxJournalBytes, &st}, &err);
  if (text && FileStepFails("read", shown)) {
    err = errno;
    text.reset();
  }
  if (!text) return TryAgain("read the journal " + name + " of " + by, err == EINVAL || err == EFBIG ? EAGAIN : err);
  // The file read must be the one looked at, read whole.
  if (st.st_ino != f.journal.st.st_ino || st.st_uid != f.journal.st.st_uid || text->size() != static_cast<size_t>(st.st_size))
    return TryAgain("read the journal " + name + " of " + by + " whole", EAGAIN);
  f.empty = text->empty();
  if (!f.empty) f.parsed = ParseJournal(*text, mark, f.why);
  if (!at.locks) {
    // A writer that cannot be told gone is taken for a live one while its
    // journal is young.
    const WriterLife life = f.parsed ? WriterState(*f.parsed) : WriterLife::kCannotTell;
    f.writerMayRun = life == WriterLife::kRuns || (life == WriterLife::kCannotTell && Young(f.journal.st));
    if (f.writerMayRun) return f;
  }
  // A journal that names no file: are files of such a run there all the
  // same, beside it or where its folder's links lead? A first record cut
  // short or damaged says nothing of its run, so files of any run made
  // since the journal count.
  if (!f.parsed || f.parsed->records == Journal::Records::kFirstCut) {
    bool busy = false;
    const std::optional<std::vector<RunFileAt>> files =
        RunFilesAround(SetPlace{at.folder, at.reached, at.fd}, mark, folders, at.alsoLock, busy, name, f.journal.st);
    if (busy) return JournalOutcome::Busy();
    if (!files) return TryAgain("list the folders of the journal " + name + " of " + by, errno);
    for (const RunFileAt& file : *files) f.runFiles.push_back(file.Shown().native());
    return f;
  }
  Journal& j = *f.parsed;
  NameFiles(j);
  // Every folder that the journal's links lead to is locked before any file
  // is looked at, so that a run taking those locks cannot change what was
  // seen. A link acts only while it still leads to the file it led to; a
  // look on the way that fails says nothing about where it leads, and
  // neither does a folder missing on the way the journal names (a share
  // that is not mounted now): the walk read the link at the name and
  // followed it as far as the folders go, along that way.
  for (Entry& e : j.entries) {
    e.dir = at.fd;
    if (e.via.empty()) continue;
    WriteTarget place;
    const bool open = place.OpenIn(at.fd, at.reached, e.name, true);
    const int err = place.error();
    const bool missing = err == ENOENT || err == ENOTDIR;
    if (!open && !place.refused() && missing && OnTheWay(place.file(), e.via)) {
      // A share deleted or a disk that stays away would be tried for ever:
      // the way out is said too.
      std::vector<std::string> links;
      for (const Entry& other : j.entries)
        if (!other.via.empty() && OnTheWay(place.file(), other.via)) links.push_back(ShownName(other.name));
      JournalOutcome out = TryAgain("reach the folder " + Quoted(place.file().native()) + " on the way to " +
                                        ShownName(e.name) + " after " + by,
                                    err);
      out.line += " If that folder is gone for good, remove the " +
                  std::string(links.size() == 1 ? "link that leads" : "links that lead") + " there (" +
                  NameList(links) + ") or make the folder again: the next run then sets the journal aside, keeps "
                  "every file that is left, and says what it can tell of each.";
      return out;
    }
    if (!open && !place.refused() && !missing) return TryAgain("look at " + ShownName(e.name) + " after " + by, err);
    if (!open || !place.followed() || place.file() != e.via) {
      e.dir = -1;
      continue;
    }
    if (!at.alsoLock(place.folder(), e.shownDir)) return JournalOutcome::Busy();
    e.dir = folders.Keep(::fcntl(place.folder(), F_DUPFD_CLOEXEC, 0));
    if (e.dir < 0) return TryAgain("open the folder of " + ShownName(e.name) + " after " + by, errno);
  }
  for (Entry& e : j.entries) {
    Facts::File x;
    if (e.dir < 0) {
      x.lost = true;
      f.files.push_back(x);
      continue;
    }
    struct stat folder {};
    if (::fstat(e.dir, &folder) != 0)
      return TryAgain("look at the folder of " + ShownName(e.name) + " after " + by, errno);
    x.device = folder.st_dev;
    for (const auto& [look, file] : {std::pair{&x.target, &e.file}, {&x.temporary, &e.temporary}, {&x.kept, &e.kept}}) {
      *look = LookAt(e.dir, *file, e.Shown(*file));
      if (look->kind == Look::Kind::kError)
        return TryAgain("look at " + Printable(e.Shown(*file).native()) + " after " + by, look->error);
    }
    if (x.target.kind == Look::Kind::kFile) {
      const int refusal =
          FileStepFails("access", e.Shown(e.file)) ? errno : ReplaceRefusal(e.dir, e.file, x.target.st);
      x.writable = refusal == 0;
      x.readOnlyFileSystem = refusal == EROFS;
      if (refusal != 0 && refusal != EACCES && refusal != EPERM && refusal != EROFS)
        return TryAgain("look at " + Printable(e.Shown(e.file).native()) + " after " + by, refusal);
    }
    if (j.records == Journal::Records::kFirst && x.kept.kind == Look::Kind::kFile && x.target.kind == Look::Kind::kFile) {
      const std::optional<bool> in = KeptInTarget(e.dir, e.kept, e.file, x.kept.st, x.target.st);
      if (!in) return TryAgain("read " + Printable(e.Shown(e.kept).native()) + " after " + by, errno);
      x.keptInTarget = *in;
    }
    f.files.push_back(x);
  }
  return f;
}

// ---- Act ------------------------------------------------------------------------

// Gives the journal `name` a name that no run reads again: ".aside",
// ".aside.2", ...
std::optional<std::string> SetAside(int folder, const std::string& name) {
  for (int n = 1; n < 1000; ++n) {
    const std::string aside = name + std::string(kAside) + (n == 1 ? "" : "." + std::to_string(n));
    switch (RenameNoReplace(name, aside, folder)) {
      case RenameResult::kRenamed: return aside;
      case RenameResult::kExists: continue;
      case RenameResult::kFailed: return std::nullopt;
    }
  }
  errno = EEXIST;
  return std::nullopt;
}

// Why a journal is set aside, in a line that ends where SetAsideWith goes on.
std::string SetAsideLine(const Facts& f, const Decision& d, const std::string& name, const std::string& by) {
  auto unused = [&](const std::string& why) {
    return "The journal " + name + " of an interrupted run could not be used (" + why + "): nothing was changed";
  };
  switch (d.why) {
    case W::kNotFile: return unused("it is not a regular file");
    case W::kTooLarge: return unused("it is far larger than a journal");
    case W::kMalformed: return unused(f.why);
    case W::kNoneAsLeft: return unused("none of the files it names is as that run left it");
    case W::kNamesNothing: {
      std::vector<std::string> files;
      for (const std::string& file : f.runFiles) files.push_back(ShownName(file));
      const bool here = std::none_of(f.runFiles.begin(), f.runFiles.end(), [](const std::string& file) {
        return file.find('/') != std::string::npos;
      });
      return "The journal " + name + " of " + by + " names no file (" +
             (f.empty ? "it is empty" : "its first record is cut short") + "), but " + NameList(files) +
             (files.size() == 1 ? " of such a run lies" : " of such runs lie") +
             (here ? " in the folder" : " beside the files of its folder") + ": nothing was changed; check them";
    }
    default: break;
  }
  const Journal& j = *f.parsed;
  std::vector<std::string> targets, names;
  for (const Entry& e : j.entries) targets.push_back(ShownName(e.name));
  for (const std::string& n : d.names) names.push_back(ShownName(n));
  const std::string list = NameList(targets);
  const std::string check = "check " + list + KeptClause(StateOf(j));
  const std::string begun = by + " had begun to replace " + list;
  if (d.why == W::kReadOnly) return IsAre(names, "read-only") + " since " + begun + ": nothing was put back; " + check;
  if (d.why == W::kReplaced)
    return NameList(names) + (names.size() == 1 ? " was" : " were") + " replaced after " + begun +
           ", though its journal does not say that it got so far: nothing was changed; " + check;
  const bool both = j.records == Journal::Records::kBoth;
  return NameList(names) + " changed after " + begun + (both ? ": nothing was put back; " : ": nothing was changed; ") +
         check;
}

// The journal cannot or must not be carried through: it is set aside with
// every file it names, and `line` says why.
JournalOutcome SetAsideWith(int folder, const std::string& journal, const std::string& line) {
  if (std::optional<std::string> aside = SetAside(folder, journal))
    return JournalOutcome::Look(line + "; the journal is kept as " + *aside + ".");
  return JournalOutcome::InForce(line + "; the journal " + journal + " could not be set aside (" +
                                 std::strerror(errno) + ").");
}

// What the targets of `j` hold where a recovery left them as they stood
// (`looks`, one for each): "A, B and C are as before", or, for each that
// does not hold what it held before the run as far as the journal tells,
// what it holds. A target that had no earlier file is as before when it
// is not there.
std::string Standing(const Journal& j, const std::vector<Facts::File>& looks) {
  std::vector<std::string> before, removed, absent, since, odd;
  for (size_t i = 0; i < j.entries.size(); ++i) {
    const Entry& e = j.entries[i];
    const Look& l = looks[i].target;
    const std::optional<bool> earlier =
        j.records == Journal::Records::kBoth ? std::optional<bool>(e.oldId.has_value()) : e.earlier;
    const std::string name = ShownName(e.name);
    if (l.kind == Look::Kind::kFile) (earlier == false ? since : before).push_back(name);
    else if (l.kind == Look::Kind::kAbsent) (earlier == false ? before : earlier ? removed : absent).push_back(name);
    else odd.push_back(name);
  }
  std::string out;
  auto add = [&out](const std::vector<std::string>& names, const std::string& one, const std::string& many) {
    if (!names.empty()) out += (out.empty() ? "" : "; ") + NameList(names) + (names.size() == 1 ? one : many);
  };
  add(before, " is as before", " are as before");
  add(removed, " is not there: it was removed since the run", " are not there: they were removed since the run");
  add(absent, " is not there", " are not there");
  add(since, " holds a file that was put there since the run", " hold files that were put there since the run");
  add(odd, " is not a regular file now", " are not regular files now");
  return out;
}

// Carries out what was decided about the journal of `f` (see Decide).
JournalOutcome Act(const Place& at, const Facts& f, const Decision& d) {
  const std::string name = JournalName(f.mark);
  const std::string by = "an interrupted run of " + f.mark;
  const fs::path shown = at.folder / name;
  switch (d.kind) {
    case K::kNothing: return JournalOutcome::Done({});
    case K::kLeave: return JournalOutcome::Busy();
    case K::kRefuseForeign:
      return JournalOutcome::InForce("The journal " + name + " in this folder belongs to the user " +
                                     UserName(f.journal.st.st_uid) + ", not to you: nothing was done. Only that user "
                                     "or the owner of the folder can remove it.");
    case K::kRefuseOpen:
      return JournalOutcome::InForce("The journal " + name + " in this folder may be written by other users: nothing "
                                     "was done. If it is as your run left it, take those rights away (chmod go-w '" +
                                     Printable(shown.native()) + "'); otherwise check the files it names, then "
                                     "delete it.");
    case K::kSetAside: return SetAsideWith(at.fd, name, SetAsideLine(f, d, name, by));
    case K::kHold: {
      std::vector<std::string> held, targets;
      for (const std::string& n : d.names) held.push_back(ShownName(n));
      for (const Entry& e : f.parsed->entries) targets.push_back(ShownName(e.name));
      return JournalOutcome::InForce(IsAre(held, "on a file system that is read-only now") + ": nothing was "
                                     "changed, and the next run on a writable one carries through the replacement "
                                     "of " + NameList(targets) + " that " + by + " had begun.");
    }
    default: break;
  }
  auto removeJournal = [&] {
    const Look now = LookAt(at.fd, name, shown);
    if (now.kind != Look::Kind::kFile || IdentityOf(now.st) != IdentityOf(f.journal.st)) {
      errno = now.kind == Look::Kind::kError ? now.error : EAGAIN;
      return false;
    }
    if (!RemoveAt(at.fd, name, shown)) return false;
    ::fsync(at.fd);
    return true;
  };
  if (d.kind == K::kDrop) {
    if (!removeJournal()) return TryAgain("remove the journal " + name + " of " + by, errno);
    return JournalOutcome::Done(f.empty ? "Removed the empty journal of " + by + "."
                                        : "Removed the journal of " + by + ", which had not begun.");
  }
  const Journal& j = *f.parsed;
  std::vector<std::string> targets;
  for (const Entry& e : j.entries) targets.push_back(ShownName(e.name));
  const std::string list = NameList(targets);
  const std::string isAre = j.entries.size() == 1 ? " is" : " are";
  const std::string doing = d.kind == K::kClear    ? "remove what " + by + " left beside " + list
                            : d.kind == K::kFinish ? "finish replacing " + list + " after " + by
                                                   : "put back the earlier " + list + " after " + by;
  auto failed = [&] {
    const int err = errno;
    if (d.kind == K::kClear) return TryAgain(doing, err);
    const SetState state = StateOf(j);
    // A file system that went read-only on the way (a disk with errors)
    // is no verdict either: a run where it may be written goes on.
    const std::string after = err == EROFS ? " The next run on a file system that may be written carries it through." : "";
    return JournalOutcome::InForce("Could not " + doing + " (" + std::strerror(err) + "): " + NewOldClause(state) +
                                   KeptClause(state) + "." + after);
  };
  // Only the very file that was decided on: another program (one that
  // takes no lock) may have changed it since the look. What is left
  // between this look and the step is the few calls that POSIX gives no
  // way to close: it has no rename that first compares.
  auto stillAsSeen = [&](const Entry& e, const std::string& file, const Look& was) {
    const Look now = LookAt(e.dir, file, e.Shown(file));
    const bool same = now.kind == was.kind && (now.kind == Look::Kind::kAbsent ||
                                               (now.st.st_dev == was.st.st_dev && now.st.st_uid == was.st.st_uid &&
                                                IdentityOf(now.st) == IdentityOf(was.st)));
    if (!same) errno = now.kind == Look::Kind::kError ? now.error : EAGAIN;
    return same;
  };
  size_t moved = 0;
  for (const Decision::Step& s : d.steps) {
    const Entry& e = j.entries[s.entry];
    const Facts::File& x = f.files[s.entry];
    const std::string& from = s.from == Decision::File::kTarget      ? e.file
                              : s.from == Decision::File::kTemporary ? e.temporary
                                                                     : e.kept;
    const Look& was = s.from == Decision::File::kTarget ? x.target : s.from == Decision::File::kTemporary ? x.temporary : x.kept;
    const bool rename = s.op == Decision::Step::Op::kRename;
    // What a rename moves, and what it replaces.
    if (!stillAsSeen(e, from, was) || (rename && !stillAsSeen(e, e.file, x.target))) return failed();
    if (!(rename ? RenameDurably(e.dir, from, e.dir, e.file, e.Shown(e.file)) : RemoveAt(e.dir, from, e.Shown(from))))
      return failed();
    if (rename || s.from == Decision::File::kTarget) ++moved;
  }
  if (!removeJournal()) return failed();
  // With none of its files left, a run whose identities were never recorded
  // may as well have ended as not have begun: which, nothing tells.
  if (d.kind == K::kClear && d.steps.empty())
    return JournalOutcome::Done("Removed the journal of " + by + ", which left none of its files beside " + list + ".");
  // No target was touched: each stands as the look found it.
  if (d.kind == K::kClear || (moved == 0 && d.kind == K::kPutBack))
    return JournalOutcome::Done("Removed what " + by + " left; " + Standing(j, f.files) + ".");
  if (moved == 0) return JournalOutcome::Done("Removed what " + by + " left; " + list + isAre + " new.");
  if (d.kind == K::kFinish)
    return JournalOutcome::Done("Finished replacing " + list + ", which " + by + " had left half done.");
  // Each target that had an earlier file holds it again; one that had none
  // is not there, as before.
  std::vector<std::string> earlier, none;
  for (const Entry& e : j.entries) (e.oldId ? earlier : none).push_back(ShownName(e.name));
  const std::string rest = none.empty() ? "" : "; " + IsAre(none, "as before");
  if (earlier.empty()) return JournalOutcome::Done("Removed what " + by + " had left half replaced" + rest + ".");
  return JournalOutcome::Done("Put back the earlier " + NameList(earlier) + ", which " + by +
                              " had left half replaced" + rest + ".");
}

// The journal is the user's own, and its writer gone: the recovery
// decided about it.
bool Handled(Decision::Kind kind) {
  return kind == K::kDrop || kind == K::kClear || kind == K::kFinish || kind == K::kPutBack ||
         kind == K::kSetAside || kind == K::kHold;
}

// What each journal that a recovery set aside, and that still lies in the
// folder, asks of the user; `error` receives the system's reason when the
// folder could not be listed.
std::vector<std::string> AsideNotices(const Place& at, int& error) {
  std::vector<std::string> notices;
  // A listing of the folder that is locked; what a listing that fails part
  // way did list is still told.
  std::vector<std::pair<std::string, std::string_view>> names;
  const bool listed = ForEachEntry(at.fd, [&](const std::string& n) {
    for (std::string_view mark : kProgramMarks)
      if (n.starts_with(JournalName(mark) + std::string(kAside))) names.emplace_back(n, mark);
    return true;
  });
  error = listed ? 0 : errno;
  std::sort(names.begin(), names.end());
  for (const auto& [aside, mark] : names) {
    const std::string where = " in the folder " + Quoted(at.folder.native());
    const Look look = LookAt(at.fd, aside, at.folder / aside);
    if (look.Exists() && look.st.st_uid != ::geteuid()) {
      notices.push_back("A run of the user " + UserName(look.st.st_uid) + " set its journal " + Printable(aside) +
                        " aside" + where + ": files there may be left half replaced. Only that user or the owner "
                        "of the folder can remove it.");
      continue;
    }
    notices.push_back(AsideNotice(SetPlace{at.folder, at.reached, at.fd}, aside, mark));
  }
  return notices;
}

}  // namespace

std::string SetRecovery::Text() const {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string SetRecovery::Refusal() const {
  if (busy) return SetFailureText({SetFailure::Step::kBusy, folder, {}, {}});
  if (unfinished)
    return "An interrupted replacement of files in the folder '" + folder.native() +
           "' is not carried through yet, so they may not belong together: they are not read until it is.";
  std::string text;
  for (const std::string& notice : asides) text += (text.empty() ? "" : "\n") + notice;
  return text;
}

SetRecovery SetFolder::Recover() {
  SetRecovery r;
  r.folder = Absolute(folder_);
  if (locked_ == FolderLock::Result::kBusy) {
    r.busy = true;
    return r;
  }
  if (fd_ < 0) {
    // No folder holds no journal; one that cannot be opened may.
    if (openError_ == ENOENT || openError_ == ENOTDIR) return r;
    r.lines.push_back("Could not open the folder '" + r.folder.native() + "' (" + std::strerror(openError_) +
                      "): nothing was changed, and the next run tries again.");
    r.attention = r.unfinished = true;
    return r;
  }
  // Nothing is carried through a link of another user's on the way, as no
  // writer goes through it: a journal there stays in force, its set unread,
  // until a run that reaches the folder otherwise carries it through.
  if (!refusal_.empty()) {
    for (std::string_view mark : kProgramMarks) {
      if (!JournalIn(fd_, r.folder, mark)) continue;
      r.lines.push_back("An interrupted replacement of files in the folder '" + r.folder.native() +
                        "' is not carried through there (" + refusal_ + "): nothing was changed.");
      r.attention = r.unfinished = true;
      return r;
    }
  }
  const Place at{r.folder, reached_, fd_, stat_, ownLock_,
                 [this](int dir, const fs::path& shown) { return AlsoLock(dir, shown); }};
  for (std::string_view mark : kProgramMarks) {
    OpenFolders folders;
    std::variant<Facts, JournalOutcome> looked = Gather(at, mark, folders);
    JournalOutcome out;
    if (const Facts* f = std::get_if<Facts>(&looked)) {
      const Decision d = Decide(*f);
      // The files of other runs that lie around are told in the line of
      // the journal handled, whatever was decided; nothing is done to them.
      std::string others;
      if (Handled(d.kind)) {
        const bool named = f->parsed && f->parsed->records != Journal::Records::kFirstCut;
        others = OtherRunsLine(SetPlace{at.folder, at.reached, at.fd}, mark, named ? f->parsed->run : std::string(),
                               JournalName(mark), f->journal.st);
      }
      out = Act(at, *f, d);
      if (!others.empty() && !out.line.empty()) out.line += " " + others;
    } else {
      out = std::get<JournalOutcome>(looked);
    }
    if (out.busy) {
      r.busy = true;
      return r;
    }
    if (out.line.empty()) continue;
    r.lines.push_back(std::move(out.line));
    r.attention = r.attention || out.attention;
    r.unfinished = r.unfinished || out.unfinished;
  }
  int error = 0;
  r.asides = AsideNotices(at, error);
  if (error != 0) {
    r.lines.push_back("Could not list the folder '" + r.folder.native() + "' (" + std::strerror(error) + ").");
    r.attention = r.unfinished = true;
  }
  // A killed copy of a backup is swept by the next writer (Replace), which
  // knows the backups' names.
  return r;
}

}  // namespace velk
