#include "platform/file_set_notice.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>

#include "platform/ascii_text.h"
#include "platform/folder_list.h"
#include "platform/text_file.h"
#include "platform/write_target.h"

namespace velk::set_journal {
namespace {

std::string Quoted(const fs::path& path) { return set_journal::Quoted(path.native()); }

// When the file `name` of the open folder `dir`, the very file `st`, was
// made; nothing where its file system does not keep that.
std::optional<struct timespec> MadeAt(int dir, const std::string& name, const struct stat& st) {
  struct statx sx {};
  if (::statx(dir, name.c_str(), AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_BTIME, &sx) != 0 ||
      !(sx.stx_mask & STATX_BTIME) || sx.stx_ino != st.st_ino)
    return std::nullopt;
  return timespec{sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec};
}

// The run file `f` was last changed before `made` (when that is known):
// it is no file of a run that made its journal then.
bool MadeBefore(const RunFileAt& f, const std::optional<struct timespec>& made) {
  const struct timespec& c = f.look.st.st_ctim;
  return made && (c.tv_sec != made->tv_sec ? c.tv_sec < made->tv_sec : c.tv_nsec < made->tv_nsec);
}

// ---- One file of the set, and what the folder proves of it ---------------------

// A target of the run as a notice tells it: where it lies, what was known
// of it, and what its names hold now.
struct Member {
  std::string name;   // in the set's folder; empty when it cannot be told
  std::string shown;  // in lines and steps: that name, or the quoted path of the file its link leads to
  fs::path dirShown;  // the folder its files lie in, as the user sees it
  bool own = true;    // that is the set's own folder: steps name its files plainly
  dev_t device = 0;   // the file system of that folder
  std::optional<bool> earlier;  // it had an earlier file when the run began
  std::string waitingName, keptName;  // the run's new and kept file; empty: no such name is known
  Look target, waiting, kept;
  std::string failed;  // why a look failed
  // Known from the journal's second record.
  bool identities = false;
  std::optional<FileIdentity> oldId, newId, keptId;

  std::string Step(const std::string& file) const { return own ? ShownName(file) : Quoted(dirShown / file); }
  std::string Line(const std::string& file) const { return Quoted(dirShown / file); }
};

enum class Lineage { kUnknown, kEarlier, kNew };
// What a name holds, where that is known exactly: its earlier file (or no
// file, where it had none), the new file, or a file that is neither.
enum class Exact { kUnknown, kEarlier, kNew, kChanged };

struct Judged {
  bool waitingRun = false, waitingOther = false, keptRun = false, keptOther = false;
  bool keptIsTarget = false;  // the kept file is a second name of the target
  Exact exact = Exact::kUnknown;
  Lineage lineage = Lineage::kUnknown;
  bool holds = false;  // the target holds a file of its lineage (or none, where that is its version)
};

// How each target stands, from the run's order: a target whose new file
// still waits was never replaced, nor was one whose new file is gone while
// an earlier target's still waits (the renames go in order, and what a run
// removes goes from the last); one whose new file is gone while none before
// it waits was replaced, unless the run had put it back, which for a
// target that had an earlier file took its kept file away, and for one
// that had none took the target away. The run's new files are all whole
// once a kept file or a replaced target is there, or the journal recorded
// their identities.
std::vector<Judged> Judge(const std::vector<Member>& set, bool committed, bool identitiesUsable, bool& complete,
                          uid_t user) {
  std::vector<Judged> out(set.size());
  bool anyWaiting = false, anyKept = false, anyOther = false;
  for (size_t i = 0; i < set.size(); ++i) {
    const Member& m = set[i];
    Judged& j = out[i];
    auto here = [&](const Look& l) { return l.kind == Look::Kind::kFile && l.st.st_dev == m.device; };
    j.waitingRun = here(m.waiting) && m.waiting.st.st_uid == user;
    j.waitingOther = m.waiting.Exists() && !j.waitingRun;
    j.keptRun = here(m.kept);
    j.keptOther = m.kept.Exists() && !j.keptRun;
    j.keptIsTarget = j.keptRun && SameFile(m.kept, m.target);
    anyWaiting = anyWaiting || j.waitingRun;
    anyKept = anyKept || j.keptRun;
    anyOther = anyOther || j.waitingOther || j.keptOther || !m.failed.empty();
    if (m.identities && identitiesUsable) {
      j.exact = Matches(m.target, m.oldId, m.device) || Matches(m.target, m.keptId, m.device) ? Exact::kEarlier
                : IsNewFile(m.target, m.newId, m.device, user)                               ? Exact::kNew
                : m.target.kind == Look::Kind::kAbsent && !m.oldId                           ? Exact::kEarlier
                : m.target.Exists()                                                          ? Exact::kChanged
                                                                                             : Exact::kUnknown;
    } else if (m.earlier == false && m.target.kind == Look::Kind::kAbsent) {
      j.exact = Exact::kEarlier;
    }
  }
  bool renamed = false;
  for (size_t i = 0; i < set.size() && !renamed; ++i)
    for (size_t k = i + 1; k < set.size() && !renamed; ++k)
      renamed = !set[i].waiting.Exists() && out[k].waitingRun;
  complete = committed || anyKept || renamed;
  const bool noRunFiles = !anyWaiting && !anyKept && !anyOther;
  const bool ended = !anyWaiting && anyKept && !anyOther;
  // With none of its files left, a run had made nothing, or had ended one
  // way or the other: every target holds the version of any target whose
  // file is known exactly.
  std::set<Lineage> votes;
  for (const Judged& j : out) {
    if (j.exact == Exact::kEarlier) votes.insert(Lineage::kEarlier);
    if (j.exact == Exact::kNew) votes.insert(Lineage::kNew);
  }
  const Lineage whole = votes.size() == 1 ? *votes.begin() : Lineage::kUnknown;
  for (size_t i = 0; i < set.size(); ++i) {
    const Member& m = set[i];
    Judged& j = out[i];
    bool waitsBefore = false;
    for (size_t k = 0; k < i; ++k) waitsBefore = waitsBefore || out[k].waitingRun;
    const bool file = m.target.kind == Look::Kind::kFile, absent = m.target.kind == Look::Kind::kAbsent;
    Lineage& l = j.lineage;
    // A target whose name no longer stands in the folder is known only
    // where that is its earlier version: no file.
    if (!m.failed.empty() || j.waitingOther || j.keptOther || (m.name.empty() && m.earlier != false))
      l = Lineage::kUnknown;
    else if (j.exact == Exact::kEarlier) l = Lineage::kEarlier;
    else if (j.exact == Exact::kNew) l = Lineage::kNew;
    // With none of its files left, a run may have ended as well as not got
    // so far as a kept file: only what is known exactly tells.
    else if (noRunFiles) l = whole;
    // A second name of its earlier file: the very file, maybe edited since.
    else if (j.waitingRun || waitsBefore || !complete || j.keptIsTarget) l = Lineage::kEarlier;
    else if (ended) l = Lineage::kNew;
    else if (m.earlier == true) l = j.keptRun ? Lineage::kNew : Lineage::kEarlier;
    else if (m.earlier == false) l = file ? Lineage::kNew : absent ? Lineage::kEarlier : Lineage::kUnknown;
    else l = j.keptRun ? Lineage::kNew : Lineage::kUnknown;
    j.holds = m.failed.empty() && (l == Lineage::kNew ? file : m.earlier == false ? absent : file);
  }
  return out;
}

// ---- The words ---------------------------------------------------------------

// What one target holds, and where its other version lies.
std::string MemberLine(const Member& m, const Judged& j, bool complete, size_t index, size_t count) {
  if (!m.failed.empty()) return m.shown + " could not be looked at (" + m.failed + ").";
  const bool absent = m.target.kind == Look::Kind::kAbsent;
  std::string line;
  if (m.name.empty()) {
    const std::string number = std::to_string(index + 1) + " of " + std::to_string(count) + " of the set";
    line = m.earlier == false ? "File " + number + " is not there, as before the run"
                              : "Which file is file " + number + " cannot be told";
  } else if (j.lineage == Lineage::kEarlier) {
    line = j.exact == Exact::kEarlier ? m.shown + (absent ? " is not there, as before the run" : " holds its earlier file")
           : absent && m.earlier != false ? m.shown + " is not there now"
           : !absent && m.earlier == false ? m.shown + " holds a file that was put there since"
           : j.exact == Exact::kChanged    ? m.shown + " was not replaced, but it was changed since"
                                           : m.shown + " was not replaced";
  } else if (j.lineage == Lineage::kNew) {
    line = j.exact == Exact::kNew          ? m.shown + " holds the new file"
           : absent                        ? m.shown + " is not there now"
           : j.exact == Exact::kChanged    ? m.shown + " was replaced by the new file, but it was changed since"
                                           : m.shown + " was replaced by the new file";
  } else {
    line = absent ? m.shown + " is not there" : "Which file " + m.shown + " holds cannot be told";
  }
  if (j.keptRun) {
    line += j.keptIsTarget ? "; " + m.Line(m.keptName) + " is a second name of it"
                           : "; its earlier file is kept as " + m.Line(m.keptName);
  } else if (j.keptOther) {
    line += "; " + m.Line(m.keptName) + " is not a file of the run";
  } else if (j.lineage == Lineage::kNew && m.earlier == true) {
    line += "; its earlier file is gone";
  }
  if (j.lineage == Lineage::kNew && m.earlier == false) line += "; it had no earlier file";
  if (j.waitingRun)
    line += "; the new file waits as " + m.Line(m.waitingName) + (complete ? "" : ", but may not be whole");
  else if (j.waitingOther)
    line += "; " + m.Line(m.waitingName) + " is not a file of the run";
  return line + ".";
}

// "To <way>, <steps>, then delete <deletes>."
std::string Way(const std::string& way, const std::vector<std::string>& steps,
                const std::vector<std::string>& deletes) {
  return "\nTo " + way + ", " + (steps.empty() ? "" : NameList(steps) + ", then ") + "delete " + NameList(deletes) +
         ".";
}

// The run's files that no step of a way used: a kept file that is still a
// second name of its target holds nothing of its own and goes; any other is
// kept under a name of the user's own, whatever it holds.
void Rest(const std::vector<Member>& set, const std::vector<Judged>& judged, const std::vector<bool>& targetStays,
          const std::set<std::string>& used, const std::vector<std::string>& others, std::vector<std::string>& steps,
          std::vector<std::string>& deletes) {
  for (size_t i = 0; i < set.size(); ++i) {
    const Member& m = set[i];
    const Judged& j = judged[i];
    if (j.waitingRun || j.waitingOther) {
      const std::string w = m.Step(m.waitingName);
      if (!used.count(w)) steps.push_back("rename " + w + " to a name of your own");
    }
    if (j.keptRun || j.keptOther) {
      const std::string k = m.Step(m.keptName);
      if (used.count(k)) continue;
      if (j.keptIsTarget && targetStays[i]) deletes.push_back(k);
      else steps.push_back("rename " + k + " to a name of your own");
    }
  }
  for (const std::string& o : others) steps.push_back("rename " + o + " to a name of your own");
}

// The steps of a way target by target, the run's files they use, and the
// targets that keep what they hold.
struct WayPlan {
  std::vector<std::string> steps;
  std::set<std::string> used;
  std::vector<bool> stays;
};

// Back: each replaced target gets its kept file again, or, where it had
// none, its name back; what it holds goes to a name of the user's own.
std::optional<WayPlan> Back(const std::vector<Member>& set, const std::vector<Judged>& judged) {
  WayPlan plan{{}, {}, std::vector<bool>(set.size(), true)};
  for (size_t i = 0; i < set.size(); ++i) {
    const Member& m = set[i];
    const Judged& j = judged[i];
    const bool file = m.target.kind == Look::Kind::kFile;
    const bool wantsKept = m.earlier == true && (j.lineage == Lineage::kNew || !file);
    const bool goesAside = file && (j.lineage == Lineage::kNew || m.earlier == false);
    if (!m.earlier || (wantsKept && !j.keptRun) || !m.failed.empty() || ((goesAside || wantsKept) && m.name.empty()))
      return std::nullopt;
    if (goesAside) plan.steps.push_back("rename " + m.shown + " to a name of your own");
    if (wantsKept) {
      plan.steps.push_back("rename " + m.Step(m.keptName) + " onto " + m.shown);
      plan.used.insert(m.Step(m.keptName));
    }
    plan.stays[i] = !goesAside && !wantsKept;
  }
  return plan;
}

// New: each target not replaced gets its waiting new file; what it holds
// goes to a name of the user's own unless its kept file keeps it.
std::optional<WayPlan> Forward(const std::vector<Member>& set, const std::vector<Judged>& judged) {
  WayPlan plan{{}, {}, std::vector<bool>(set.size(), true)};
  for (size_t i = 0; i < set.size(); ++i) {
    const Member& m = set[i];
    const Judged& j = judged[i];
    const bool file = m.target.kind == Look::Kind::kFile;
    if (j.lineage == Lineage::kNew) {
      if (!file) return std::nullopt;
      continue;
    }
    if (!j.waitingRun || !m.failed.empty() || m.name.empty()) return std::nullopt;
    if (file && !j.keptIsTarget) plan.steps.push_back("rename " + m.shown + " to a name of your own");
    plan.steps.push_back("rename " + m.Step(m.waitingName) + " onto " + m.shown);
    plan.used.insert(m.Step(m.waitingName));
    plan.stays[i] = false;
  }
  return plan;
}

// The notice: what the set is, what each target holds, and each way that
// the folder proves, or, where none can be proved, how to keep every
// version. `others`: files of runs that stand for none of the targets
// (earlier runs'), as steps name them; `extra`: lines said first.
std::string Notice(const SetPlace& at, std::string_view mark, const std::string& aside, std::vector<Member> set,
                   bool committed, bool identitiesUsable, const std::vector<std::string>& others,
                   const std::vector<std::string>& otherLines, const std::vector<std::string>& extra) {
  // Where the names do not say whether a target had an earlier file (an
  // earlier release's), a kept file says that it had.
  for (Member& m : set)
    if (!m.earlier && m.kept.kind == Look::Kind::kFile && m.kept.st.st_dev == m.device) m.earlier = true;
  bool complete = false;
  const std::vector<Judged> judged = Judge(set, committed, identitiesUsable, complete, ::geteuid());
  const size_t n = set.size();
  auto all = [&](auto test) {
    for (size_t i = 0; i < n; ++i)
      if (!test(set[i], judged[i])) return false;
    return true;
  };
  const bool known = all([](const Member&, const Judged& j) { return j.lineage != Lineage::kUnknown; });
  const bool allEarlier = all([](const Member&, const Judged& j) { return j.lineage == Lineage::kEarlier; });
  const bool allNew = all([](const Member&, const Judged& j) { return j.lineage == Lineage::kNew; });
  const bool holding = all([](const Member&, const Judged& j) { return j.holds; });
  const bool named = all([](const Member& m, const Judged&) { return !m.name.empty(); });
  std::vector<std::string> names;
  for (const Member& m : set)
    if (!m.name.empty()) names.push_back(ShownName(m.name));
  const std::string what = named ? NameList(names) : "files";
  const std::string where = " in the folder " + Quoted(at.folder);
  const std::string by = "An interrupted run of " + std::string(mark);
  std::string text = known && !allEarlier && !allNew ? by + " left " + what + where + " half replaced. Now:"
                     : known && holding            ? by + " left files of its own beside " + what + where +
                                                      "; the set is whole. Now:"
                                                   : by + " may have left " + what + where + " half replaced. Now:";
  for (const std::string& line : extra) text += "\n" + line;
  for (size_t i = 0; i < n; ++i) text += "\n" + MemberLine(set[i], judged[i], complete, i, n);
  for (const std::string& line : otherLines) text += "\n" + line;

  const std::vector<std::string> journal = {ShownName(aside)};
  auto way = [&](const std::string& name, const std::optional<WayPlan>& plan) {
    if (!plan) return std::string();
    std::vector<std::string> steps = plan->steps, deletes = journal;
    Rest(set, judged, plan->stays, plan->used, others, steps, deletes);
    return Way(name, steps, deletes);
  };
  std::string ways;
  if (known && holding && (allEarlier || allNew))
    ways += way("keep the files as they stand", WayPlan{{}, {}, std::vector<bool>(n, true)});
  if (known && !allEarlier) ways += way("go back to the earlier files", Back(set, judged));
  if (known && complete && !allNew) ways += way("make them all new", Forward(set, judged));
  if (!ways.empty()) return text + ways;
  // Nothing proves a way: every version is kept.
  std::vector<std::string> keep, deletes = journal;
  for (size_t i = 0; i < n; ++i) {
    const Member& m = set[i];
    const Judged& j = judged[i];
    if (j.waitingRun || j.waitingOther) keep.push_back(m.Step(m.waitingName));
    if (j.keptIsTarget) deletes.push_back(m.Step(m.keptName));
    else if (j.keptRun || j.keptOther) keep.push_back(m.Step(m.keptName));
  }
  keep.insert(keep.end(), others.begin(), others.end());
  return text + "\nWhat to do cannot be told: to keep every version, " +
         (keep.empty() ? "" : "rename " + NameList(keep) + (keep.size() == 1 ? " to a name" : " to names") +
                                  " of your own, then ") +
         "delete " + NameList(deletes) + ", and check the files of the set: they may not belong together.";
}

// Looks at the target and the run's files of `m` in the open folder `dir`;
// a look that fails is said, and nothing is judged of that target.
void LookAtMember(Member& m, int dir, const std::string& file) {
  struct stat folder {};
  if (dir < 0 || ::fstat(dir, &folder) != 0) {
    m.failed = std::strerror(errno);
    return;
  }
  m.device = folder.st_dev;
  for (const auto& [look, name] : {std::pair{&m.target, &file}, {&m.waiting, &m.waitingName}, {&m.kept, &m.keptName}}) {
    if (name->empty()) continue;
    *look = LookAt(dir, *name, m.dirShown / *name);
    if (look->kind == Look::Kind::kError && m.failed.empty()) m.failed = std::strerror(look->error);
  }
}

// ---- From the journal ----------------------------------------------------------

// A journal whose first record is whole names the set.
std::string FromJournal(const SetPlace& at, const std::string& aside, Journal& j) {
  NameFiles(j);
  OpenFolders folders;
  const bool committed = j.records == Journal::Records::kBoth;
  std::vector<Member> set;
  bool anyMatch = false, anyFile = false;
  for (Entry& e : j.entries) {
    Member& m = set.emplace_back();
    m.name = e.name;
    m.own = e.via.empty();
    m.dirShown = m.own ? at.folder : e.via.parent_path();
    m.shown = m.own ? ShownName(e.name) : Quoted(e.via);
    m.earlier = e.earlier ? e.earlier : committed ? std::optional<bool>(e.oldId.has_value()) : std::nullopt;
    m.waitingName = e.temporary;
    m.keptName = e.kept;
    m.identities = committed;
    m.oldId = e.oldId;
    m.newId = e.newId;
    m.keptId = e.keptId;
    const int dir = m.own ? at.fd : folders.Open(e.via.parent_path());
    if (dir < 0) {
      m.failed = std::strerror(errno);
      continue;
    }
    LookAtMember(m, dir, e.file);
    for (const auto& [look, id] : {std::pair{&m.target, &e.oldId}, {&m.target, &e.newId}, {&m.target, &e.keptId},
                                   {&m.waiting, &e.newId}, {&m.kept, &e.keptId}}) {
      anyFile = anyFile || look->kind == Look::Kind::kFile;
      anyMatch = anyMatch || Matches(*look, *id, m.device);
    }
  }
  // A folder copied, or put back from a backup, gives every file another
  // identity: then only the names tell.
  const bool usable = !committed || anyMatch || !anyFile;
  std::vector<std::string> extra;
  if (!usable)
    extra.push_back("No file has the identity that the journal records for it (the folder was copied, or put back "
                    "from a backup): what each file holds is told by the names of the run's files.");
  return Notice(at, j.mark, aside, set, committed, usable, {}, {}, extra);
}

// ---- From the names of the run's files ----------------------------------------

// The folders a notice looks in for run files: the set's own and those its
// links lead to, each once.
struct Around {
  struct Folder {
    int fd;
    fs::path shown;  // empty for the set's own
  };
  std::vector<Folder> folders;
  // For each link of the set's folder that a writer would follow: the
  // folder (an index of `folders`) and the name it leads to there.
  std::map<std::string, std::pair<size_t, std::string>> links;
};

std::optional<Around> FoldersAround(const SetPlace& at, OpenFolders& folders,
                                    const std::function<bool(int, const fs::path&)>& lock, bool& busy) {
  Around around;
  around.folders.push_back({at.fd, {}});
  std::vector<std::pair<dev_t, ino_t>> keys;
  struct stat own {};
  if (::fstat(at.fd, &own) != 0) return std::nullopt;
  keys.emplace_back(own.st_dev, own.st_ino);
  std::vector<std::string> linked;
  if (!ForEachEntry(at.fd, [&](const std::string& n) {
        struct stat st {};
        if (::fstatat(at.fd, n.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) linked.push_back(n);
        return true;
      }))
    return std::nullopt;
  std::sort(linked.begin(), linked.end());
  for (const std::string& n : linked) {
    WriteTarget place;
    // A link that leads nowhere a writer would go holds no file of a run.
    if (!place.OpenIn(at.fd, at.reached, n, true) || !place.followed()) continue;
    struct stat st {};
    if (::fstat(place.folder(), &st) != 0) return std::nullopt;
    const auto key = std::make_pair(st.st_dev, st.st_ino);
    size_t index = std::find(keys.begin(), keys.end(), key) - keys.begin();
    if (index == keys.size()) {
      if (!lock(place.folder(), place.file().parent_path())) {
        busy = true;
        return std::nullopt;
      }
      const int fd = folders.Keep(::fcntl(place.folder(), F_DUPFD_CLOEXEC, 0));
      if (fd < 0) return std::nullopt;
      keys.push_back(key);
      around.folders.push_back({fd, place.file().parent_path()});
    }
    around.links[n] = {index, place.name()};
  }
  return around;
}

std::optional<std::vector<RunFileAt>> RunFilesIn(const Around& around, std::string_view mark) {
  std::vector<RunFileAt> files;
  for (const Around::Folder& f : around.folders) {
    std::vector<std::string> names;
    if (!ForEachEntry(f.fd, [&](const std::string& n) {
          if (IsRunFileName(n, mark)) names.push_back(n);
          return true;
        }))
      return std::nullopt;
    std::sort(names.begin(), names.end());
    for (const std::string& n : names) {
      RunFileAt r{f.fd, f.shown, n, *ParseRunFileName(n, mark), {}};
      r.look = LookAt(f.fd, n, r.Shown());
      if (r.look.kind == Look::Kind::kError) {
        errno = r.look.error;
        return std::nullopt;
      }
      if (r.look.kind == Look::Kind::kFile) files.push_back(std::move(r));
    }
  }
  return files;
}

// The names a target of a run of `mark` may have: those of the set's
// folder, and the fixed names of a program that always writes the same set,
// which may not be there yet.
std::vector<std::string> TargetNames(const SetPlace& at, std::string_view mark) {
  std::vector<std::string> entries;
  ForEachEntry(at.fd, [&](const std::string& n) {
    if (!n.starts_with(".") || (!IsRunFileName(n, mark) && n.find(".journal") == std::string::npos))
      entries.push_back(n);
    return true;
  });
  for (std::string_view f : FixedTargets(mark))
    if (std::none_of(entries.begin(), entries.end(),
                     [&](const std::string& n) { return EqualsNoCase(n, std::string(f)); }))
      entries.emplace_back(f);
  std::sort(entries.begin(), entries.end());
  return entries;
}

// The one of `names` that is the target number `i` of the run whose file's
// name is `r`: the one whose check sum the name carries, or for an earlier
// release's ulvane its fixed name; empty where not exactly one is.
std::string TargetName(const std::vector<std::string>& names, const RunFileName& r, size_t i, std::string_view mark) {
  const bool v5 = !r.flags.empty();
  const std::vector<std::string_view> fixed = FixedTargets(mark);
  if (v5 ? i >= r.Count() : i >= fixed.size()) return {};
  std::vector<std::string> named;
  for (const std::string& n : names)
    if (v5 ? NameSum(n) == r.Sum(i) : EqualsNoCase(n, std::string(fixed[i]))) named.push_back(n);
  if (!v5 && named.size() > 1) {
    const auto exact = std::find(named.begin(), named.end(), std::string(fixed[i]));
    if (exact != named.end()) named = {*exact};
  }
  return named.size() == 1 ? named.front() : std::string();
}

// What the run's file `f` holds, as its name tells: "'<path>' holds an
// earlier Aircraft.txt of 120 bytes", or "... an earlier file ..." where
// its target `target` is not known.
std::string HoldsLine(const RunFileAt& f, const fs::path& folder, const std::string& target) {
  return Quoted((f.shownDir.empty() ? folder : f.shownDir) / f.name) + " holds " +
         (f.parsed.kept ? "an earlier " : "a new ") + (target.empty() ? "file" : ShownName(target)) + " of " +
         std::to_string(f.look.st.st_size) + " bytes";
}

// The members of the one run whose files are `files`, where their names
// tell the set; nothing where they do not agree with each other.
std::optional<std::vector<Member>> MembersByNames(const SetPlace& at, const Around& around, std::string_view mark,
                                                  const std::vector<const RunFileAt*>& files) {
  const RunFileName& first = files.front()->parsed;
  const bool v5 = !first.flags.empty();
  size_t count = v5 ? first.Count() : FixedTargets(mark).size();
  if (count == 0) return std::nullopt;  // an earlier release's velk: how many files its set had cannot be told
  const std::vector<std::string> entries = TargetNames(at, mark);
  std::vector<Member> set(count);
  std::vector<const RunFileAt*> waiting(count), kept(count);
  for (const RunFileAt* f : files) {
    const RunFileName& r = f->parsed;
    if ((!r.flags.empty()) != v5 || r.index >= count || (v5 && (r.flags != first.flags || r.sums != first.sums)))
      return std::nullopt;
    const RunFileAt*& slot = r.kept ? kept[r.index] : waiting[r.index];
    if (slot) return std::nullopt;
    slot = f;
  }
  for (size_t i = 0; i < count; ++i) {
    Member& m = set[i];
    if (v5) m.earlier = first.flags[i] == 'e';
    const RunFileAt* any = waiting[i] ? waiting[i] : kept[i];
    m.name = TargetName(entries, first, i, mark);
    // Where its files lie: beside the file the name's link leads to, or in
    // the set's folder.
    int dir = at.fd;
    std::string file = m.name;
    m.dirShown = at.folder;
    if (const auto link = around.links.find(m.name); !m.name.empty() && link != around.links.end()) {
      const Around::Folder& f = around.folders[link->second.first];
      dir = f.fd;
      file = link->second.second;
      m.own = f.shown.empty();
      if (!m.own) m.dirShown = f.shown;
    }
    if (any && any->dir != dir) {
      // Files of the run in another folder than the target's name leads to:
      // the name is not told by them.
      if (!m.name.empty()) return std::nullopt;
      dir = any->dir;
      m.own = any->shownDir.empty();
      m.dirShown = m.own ? at.folder : any->shownDir;
    }
    m.shown = m.name.empty() ? std::string() : m.own ? ShownName(m.name) : Quoted(m.dirShown / file);
    if (waiting[i]) m.waitingName = waiting[i]->name;
    if (kept[i]) m.keptName = kept[i]->name;
    LookAtMember(m, dir, m.name.empty() ? std::string() : file);
  }
  return set;
}

std::string FromNames(const SetPlace& at, const std::string& aside, std::string_view mark) {
  const std::string where = " in the folder " + Quoted(at.folder);
  const std::string cannot = "An interrupted run of " + std::string(mark) + " may have left files" + where +
                             " half replaced, and what to do could not be told: ";
  OpenFolders folders;
  bool busy = false;
  // A notice only looks: it takes no lock of the folders the links lead to.
  const std::optional<Around> around = FoldersAround(at, folders, [](int, const fs::path&) { return true; }, busy);
  const std::optional<std::vector<RunFileAt>> files = around ? RunFilesIn(*around, mark) : std::nullopt;
  if (!files)
    return cannot + "the files around it could not be looked at (" + std::strerror(errno) + "). Check them, then " +
           "delete " + ShownName(aside) + ".";
  // Files older than the journal are no files of its run.
  struct stat journal {};
  std::optional<struct timespec> made;
  if (::fstatat(at.fd, aside.c_str(), &journal, AT_SYMLINK_NOFOLLOW) == 0) made = MadeAt(at.fd, aside, journal);
  std::map<std::string, std::vector<const RunFileAt*>> runs;
  std::vector<std::string> others, otherLines;
  for (const RunFileAt& f : *files) {
    if (!MadeBefore(f, made)) {
      runs[f.parsed.run].push_back(&f);
      continue;
    }
    const std::string step = f.shownDir.empty() ? ShownName(f.name) : Quoted(f.Shown());
    others.push_back(step);
    otherLines.push_back(Quoted((f.shownDir.empty() ? at.folder : f.shownDir) / f.name) +
                         " is a file of an earlier run, made before the journal.");
  }
  if (runs.empty()) {
    std::vector<std::string> steps;
    for (const std::string& o : others) steps.push_back("rename " + o + " to a name of your own");
    std::string text = "An interrupted run of " + std::string(mark) + " left none of its files" + where +
                       "; the set is whole. Now:";
    for (const std::string& line : otherLines) text += "\n" + line;
    return text + Way("keep the files as they stand", steps, {ShownName(aside)});
  }
  std::optional<std::vector<Member>> set;
  if (runs.size() == 1) set = MembersByNames(at, *around, mark, runs.begin()->second);
  if (set) return Notice(at, mark, aside, *set, false, false, others, otherLines, {});
  // Which file each stands for cannot be told: every file is kept.
  std::string text = "An interrupted run of " + std::string(mark) + " may have left files" + where +
                     " half replaced, and which file of the set each of its files stands for cannot be told. Now:";
  std::vector<std::string> keep;
  for (const auto& [run, group] : runs) {
    for (const RunFileAt* f : group) {
      text += "\n" + HoldsLine(*f, at.folder, {}) + ".";
      keep.push_back(f->shownDir.empty() ? ShownName(f->name) : Quoted(f->Shown()));
    }
  }
  for (const std::string& line : otherLines) text += "\n" + line;
  keep.insert(keep.end(), others.begin(), others.end());
  return text + "\nWhat to do cannot be told: to keep every version, rename " + NameList(keep) +
         (keep.size() == 1 ? " to a name" : " to names") + " of your own, then delete " + ShownName(aside) +
         ", and check the files of the set: they may not belong together.";
}

}  // namespace

std::optional<std::vector<RunFileAt>> RunFilesAround(const SetPlace& at, std::string_view mark, OpenFolders& folders,
                                                     const std::function<bool(int, const fs::path&)>& lock, bool& busy,
                                                     const std::string& journal, const struct stat& st) {
  const std::optional<Around> around = FoldersAround(at, folders, lock, busy);
  std::optional<std::vector<RunFileAt>> files = around ? RunFilesIn(*around, mark) : std::nullopt;
  if (!files) return files;
  const std::optional<struct timespec> made = MadeAt(at.fd, journal, st);
  std::erase_if(*files, [&](const RunFileAt& f) { return MadeBefore(f, made); });
  return files;
}

std::string OtherRunsLine(const SetPlace& at, std::string_view mark, const std::string& run,
                          const std::string& journal, const struct stat& st) {
  OpenFolders folders;
  bool busy = false;
  // It only looks: it takes no lock of the folders the links lead to.
  const std::optional<Around> around = FoldersAround(at, folders, [](int, const fs::path&) { return true; }, busy);
  std::optional<std::vector<RunFileAt>> files = around ? RunFilesIn(*around, mark) : std::nullopt;
  if (!files)
    return "Could not look for files of other runs of " + std::string(mark) + " in the folder (" +
           std::strerror(errno) + ").";
  const std::optional<struct timespec> made = run.empty() ? MadeAt(at.fd, journal, st) : std::nullopt;
  std::erase_if(*files, [&](const RunFileAt& f) { return run.empty() ? !MadeBefore(f, made) : f.parsed.run == run; });
  if (files->empty()) return {};
  const std::vector<std::string> names = TargetNames(at, mark);
  std::set<std::string> runs;
  std::string held;
  for (const RunFileAt& f : *files) {
    runs.insert(f.parsed.run);
    held += (held.empty() ? "" : "; ") + HoldsLine(f, at.folder, TargetName(names, f.parsed, f.parsed.index, mark));
  }
  const bool one = files->size() == 1;
  return std::string(one ? "A file" : "Files") + " of " + (runs.size() == 1 ? "another run" : "other runs") + " of " +
         std::string(mark) + (one ? " was left as it is: " : " were left as they are: ") + held + ".";
}

std::string AsideNotice(const SetPlace& at, const std::string& aside, std::string_view mark) {
  const std::optional<std::string> text =
      ReadFileBytes(aside, nullptr, ReadLimits{at.fd, false, kMaxJournalBytes, nullptr});
  std::string why;
  std::optional<Journal> journal = text ? ParseJournal(*text, mark, why) : std::nullopt;
  if (journal && journal->records != Journal::Records::kFirstCut) return FromJournal(at, aside, *journal);
  return FromNames(at, aside, mark);
}

}  // namespace velk::set_journal
