#include "support/set_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <set>
#include <stdexcept>
#include <unordered_set>

#include "platform/file_ops.h"
#include "platform/file_set.h"
#include "platform/file_set_journal.h"
#include "support/test_support.h"

namespace velk::test {
namespace {

namespace fs = std::filesystem;
using set_journal::Journal;

// ---- The seam: where a run stops, and how ------------------------------------

// A step number where the run is killed (every step from there on fails)
// and one where that step alone fails; -1 for none.
struct Stops {
  int failAt = -1;
  int killAt = -1;
};

struct Seam {
  Stops stops;
  bool lockless = false;
  std::vector<std::string>* steps = nullptr;
  int count = 0;
  bool frozen = false;
  // The journal's records written and flushed: the second write is the
  // second record, durable once the second flush has gone through.
  int journalWrites = 0, journalSyncs = 0;
};
Seam g_seam;

std::string StepName(std::string_view step, const fs::path& path) {
  return std::string(step) + " " + path.filename().string();
}

bool StopHere(std::string_view step, const fs::path& path) {
  Seam& s = g_seam;
  const int n = s.count++;
  if (s.steps) s.steps->push_back(StepName(step, path));
  if (s.frozen) return true;
  if (n == s.stops.killAt) {
    s.frozen = true;
    return true;
  }
  if (n == s.stops.failAt) return true;
  if (s.lockless && step == "lock") return true;
  if (path.filename() == set_journal::JournalName(ProgramMark())) {
    if (step == "write") ++s.journalWrites;
    if (step == "fsync") ++s.journalSyncs;
  }
  return false;
}

template <typename Run>
auto Stopped(Stops stops, bool lockless, std::vector<std::string>* steps, Run run) {
  g_seam = Seam{stops, lockless, steps};
  const ScopedFileStepHook hook(StopHere);
  return run();
}

SetRecovery Recover(const SetWalk& walk) { return RecoverSet(walk.folders.front()); }

// ---- States kept as hard links ----------------------------------------------

std::vector<std::string> Entries(const fs::path& dir) {
  std::vector<std::string> names;
  DIR* d = ::opendir(dir.c_str());
  if (!d) throw std::runtime_error("cannot list " + dir.string());
  while (const dirent* e = ::readdir(d)) {
    const std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(n);
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

void LinkAll(const fs::path& from, const fs::path& to) {
  for (const std::string& n : Entries(from))
    if (::linkat(AT_FDCWD, (from / n).c_str(), AT_FDCWD, (to / n).c_str(), 0) != 0)
      throw std::runtime_error("cannot link " + (from / n).string());
}

// Keeps what the folders hold now as `to`.
void Keep(const SetWalk& walk, const fs::path& to) {
  for (size_t i = 0; i < walk.folders.size(); ++i) {
    fs::create_directories(to / std::to_string(i));
    LinkAll(walk.folders[i], to / std::to_string(i));
  }
}

// Puts the folders back as they were kept in `from`: the same inodes.
void Restore(const SetWalk& walk, const fs::path& from) {
  for (size_t i = 0; i < walk.folders.size(); ++i) {
    for (const std::string& n : Entries(walk.folders[i]))
      if (::unlink((walk.folders[i] / n).c_str()) != 0) throw std::runtime_error("cannot remove " + n);
    LinkAll(from / std::to_string(i), walk.folders[i]);
  }
}

bool IsJournal(const std::string& name) {
  return std::any_of(std::begin(kProgramMarks), std::end(kProgramMarks),
                     [&](std::string_view mark) { return name.starts_with(set_journal::JournalName(mark)); });
}

// Names, inodes, sizes, modification times and the journals' bytes.
std::string Exact(const SetWalk& walk) {
  std::string sig;
  for (const fs::path& folder : walk.folders) {
    for (const std::string& n : Entries(folder)) {
      struct stat st {};
      ::lstat((folder / n).c_str(), &st);
      sig += n + ' ' + std::to_string(st.st_ino) + ' ' + std::to_string(st.st_size) + ' ' +
             std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec) + '\n';
      if (IsJournal(n)) sig += ReadFile(folder / n).value_or("?") + '\n';
    }
    sig += "//\n";
  }
  return sig;
}

// ---- What a state is, for the eye and for telling states apart --------------

// A name or step without the letters a run picks: ".velk-set-*-2",
// ".Aircraft.txt.velk.bak.velk-XXXXXX".
std::string Normal(std::string name) {
  for (std::string_view mark : kProgramMarks) {
    const std::string run = "." + std::string(mark) + "-set-";
    const size_t at = name.find(run);
    if (at != std::string::npos && name.size() >= at + run.size() + 8) name.replace(at + run.size(), 8, "*");
  }
  const size_t space = name.find(' ');
  const std::string file = space == std::string::npos ? name : name.substr(space + 1);
  if (TemporaryTargetName(file)) name.replace(name.size() - 6, 6, "XXXXXX");
  return name;
}

// "old2", "new1" for the bytes of a target before or after, else their size.
std::string Label(const SetWalk& walk, const std::string& bytes) {
  for (size_t k = 0; k < walk.targets.size(); ++k) {
    if (walk.targets[k].before == bytes) return "old" + std::to_string(k + 1);
    if (walk.targets[k].after == bytes) return "new" + std::to_string(k + 1);
  }
  if (bytes.empty()) return "empty";
  return std::to_string(bytes.size()) + " bytes #" + std::to_string(std::hash<std::string>{}(bytes) % 100000);
}

struct JournalLook {
  std::string what;  // "none", "empty", "first", "both", "first cut", "unreadable", with "+zeros"
  std::optional<Journal> parsed;
  size_t firstRecord = 0;  // the bytes of its first record
};

JournalLook LookAtJournal(const fs::path& file) {
  JournalLook j;
  const std::optional<std::string> text = ReadFile(file);
  if (!text) return {"none", {}, 0};
  if (text->empty()) return {"empty", {}, 0};
  std::string why;
  // The journal of another program's run is read with its mark.
  std::string_view mark = ProgramMark();
  for (std::string_view m : kProgramMarks)
    if (file.filename().native().starts_with(set_journal::JournalName(m))) mark = m;
  j.parsed = set_journal::ParseJournal(*text, mark, why);
  if (!j.parsed) return {"unreadable", {}, 0};
  j.what = j.parsed->records == Journal::Records::kBoth    ? "both"
           : j.parsed->records == Journal::Records::kFirst ? "first"
                                                           : "first cut";
  if (j.parsed->records != Journal::Records::kFirstCut) j.firstRecord = set_journal::StagedRecord(*j.parsed).size();
  const size_t last = text->find_last_not_of('\0');
  if (last != std::string::npos && text->size() > last + 2) j.what += "+zeros";
  return j;
}

// Every name of the folders, its bytes, which names share an inode and which
// keep one of `known`, which identity of the journal it has, and the
// journal's records: all that a recovery goes by, without the numbers that
// differ from run to run.
std::string Shape(const SetWalk& walk, const std::map<ino_t, std::string>& known) {
  const JournalLook journal = LookAtJournal(walk.folders.front() / set_journal::JournalName(ProgramMark()));
  struct Line {
    std::string name, text;
    ino_t inode;
    bool operator<(const Line& o) const { return name < o.name; }
  };
  std::vector<Line> lines;
  for (size_t f = 0; f < walk.folders.size(); ++f) {
    for (const std::string& n : Entries(walk.folders[f])) {
      const fs::path path = walk.folders[f] / n;
      struct stat st {};
      ::lstat(path.c_str(), &st);
      Line line{std::to_string(f) + "/" + Normal(n), "", st.st_ino};
      if (S_ISLNK(st.st_mode)) line.text = " -> " + fs::read_symlink(path).string();
      else if (IsJournal(n)) line.text = " journal " + LookAtJournal(path).what;
      else line.text = " " + Label(walk, ReadFile(path).value_or("?"));
      if (auto it = known.find(st.st_ino); it != known.end()) line.text += " inode of " + it->second;
      if (journal.parsed && journal.parsed->records == Journal::Records::kBoth && S_ISREG(st.st_mode)) {
        const FileIdentity id = IdentityOf(st);
        for (size_t k = 0; k < journal.parsed->entries.size(); ++k) {
          const set_journal::Entry& e = journal.parsed->entries[k];
          const std::string entry = std::to_string(k + 1);
          if (e.oldId == id) line.text += " as old" + entry;
          if (e.newId == id) line.text += " as new" + entry;
          if (e.keptId == id) line.text += " as kept" + entry;
        }
      }
      lines.push_back(std::move(line));
    }
  }
  std::sort(lines.begin(), lines.end());
  std::string shape = "journal " + journal.what + "\n";
  // A second name of an inode says which name it shares it with.
  std::map<ino_t, std::string> first;
  for (const Line& line : lines) {
    const auto [it, added] = first.emplace(line.inode, line.name);
    shape += line.name + line.text + (added ? "" : " same inode as " + it->second) + "\n";
  }
  return shape;
}

// The inodes of what the folders hold now, by their names.
std::map<ino_t, std::string> Inodes(const SetWalk& walk) {
  std::map<ino_t, std::string> inodes;
  for (size_t f = 0; f < walk.folders.size(); ++f) {
    for (const std::string& n : Entries(walk.folders[f])) {
      struct stat st {};
      if (::lstat((walk.folders[f] / n).c_str(), &st) == 0) inodes.emplace(st.st_ino, std::to_string(f) + "/" + n);
    }
  }
  return inodes;
}

}  // namespace

std::string Describe(const SetWalk& walk) {
  std::string text;
  for (size_t f = 0; f < walk.folders.size(); ++f) {
    if (f > 0) text += " | " + walk.folders[f].filename().string() + "/:";
    for (const std::string& n : Entries(walk.folders[f])) {
      const fs::path path = walk.folders[f] / n;
      text += (text.empty() ? "" : " ") + Normal(n);
      std::error_code ec;
      if (fs::is_symlink(path)) text += "->" + fs::read_symlink(path).filename().string();
      else if (!fs::is_regular_file(path, ec)) text += "(no file)";
      else if (IsJournal(n)) text += "(" + LookAtJournal(path).what + ")";
      else text += "=" + Label(walk, ReadFile(path).value_or("?"));
    }
  }
  return text;
}

namespace {

std::string Lines(const SetRecovery& r) {
  if (r.lines.empty()) return "(none)";
  std::string text;
  for (const std::string& line : r.lines) text += (text.empty() ? "\"" : " \"") + line + "\"";
  return text;
}

// Why a recovery set a journal aside, when it did.
std::optional<std::string> SetAside(const SetWalk& walk, const SetRecovery& r) {
  bool aside = !r.asides.empty();
  for (const fs::path& folder : walk.folders)
    for (const std::string& n : Entries(folder))
      aside = aside || (IsJournal(n) && n.find(std::string(set_journal::kAside)) != std::string::npos);
  std::string line;
  for (const std::string& l : r.lines) {
    if (l.find("the journal is kept as") != std::string::npos ||
        l.find("could not be set aside") != std::string::npos) {
      aside = true;
      line = l;
    }
  }
  if (!aside) return std::nullopt;
  if (const size_t at = line.find("could not be used ("); at != std::string::npos)
    return line.substr(at + 19, line.find("): nothing") - at - 19);
  if (line.find(" replaced after ") != std::string::npos)
    return "a target was replaced though its journal does not say so";
  if (line.find(" changed after ") != std::string::npos) return "a file changed since";
  if (line.find(" read-only since ") != std::string::npos) return "read-only";
  return "left by an earlier recovery";
}

// ---- The walk -------------------------------------------------------------------

struct State {
  fs::path kept;
  std::string exact;    // Exact() of it
  std::string key;      // Shape() of it, with the end due
  bool dueNew = false;  // the set is to end new
  std::string writer, recoveries;
  // What the plain recovery of an earlier state on the way here did wrong:
  // not told again.
  std::set<std::string> told;
};

// The last stop of `recoveries` ("; recovery kill at ..."), or nothing.
std::string LastStop(const std::string& recoveries) {
  const size_t last = recoveries.rfind("; recovery ");
  return last == std::string::npos ? "" : recoveries.substr(last + 2);
}

class Walker {
 public:
  Walker(const SetWalk& walk, WalkResult& result) : walk_(walk), result_(result) {}

  void Run() {
    result_.states.assign(static_cast<size_t>(walk_.depth) + 1, 0);
    result_.reached = result_.states;
    levels_.resize(result_.states.size());
    walk_.make();
    for (const fs::path& folder : walk_.folders)
      for (const std::string& n : Entries(folder)) allowed_.insert(n);
    for (const WalkTarget& t : walk_.targets) {
      links_.push_back(fs::is_symlink(t.path));
      allowed_.insert(t.path.filename().string());
      if (links_.back()) allowed_.insert(fs::read_symlink(t.path).filename().string());
    }
    for (const auto& [path, bytes] : walk_.backups) allowed_.insert(path.filename().string());
    initial_ = NewKept();
    Keep(walk_, initial_);
    known_ = Inodes(walk_);

    std::vector<std::string> steps;
    Reset();
    ++result_.runs;
    if (!Stopped({}, walk_.lockless, &steps, walk_.write)) {
      ADD_FAILURE() << walk_.name << ": the writer fails without a stop";
      return;
    }
    const int n = static_cast<int>(steps.size());
    for (int i = 0; i < n; ++i) {
      const std::string at = "\"" + Normal(steps[i]) + "\" (step " + std::to_string(i) + ")";
      Reset();
      Stopped({-1, i}, walk_.lockless, nullptr, walk_.write);
      const std::string killed = Shape(walk_, known_);
      AfterWriter("writer kill at " + at, g_seam.journalWrites >= 2);
      // One failing step, and the writer goes on with its own error
      // handling: it says whether it replaced the set.
      std::vector<std::string> failSteps;
      Reset();
      const bool replaced = Stopped({i, -1}, walk_.lockless, &failSteps, walk_.write);
      const std::string failed = Shape(walk_, known_);
      AfterWriter("writer fail at " + at, replaced);
      result_.runs += 2;
      if (replaced) continue;
      // Killed while it undoes what it had done, at each step that changed
      // something more: it had turned back, and the set is due old.
      std::string last = killed;
      for (int j = i + 1; j < static_cast<int>(failSteps.size()); ++j) {
        Reset();
        Stopped({i, j}, walk_.lockless, nullptr, walk_.write);
        ++result_.runs;
        const std::string shape = Shape(walk_, known_);
        if (shape == last || shape == failed) continue;
        last = shape;
        AfterWriter("writer fail at " + at + ", then kill at \"" + Normal(failSteps[j]) + "\" (step " +
                        std::to_string(j) + ")",
                    false);
      }
    }
    const size_t first = result_.failures.size();
    for (size_t level = 0; level < levels_.size(); ++level) {
      for (size_t k = 0; k < levels_[level].size(); ++k) {
        const State s = levels_[level][k];
        ++result_.states[level];
        Expand(s, level + 1);
      }
    }
    // A failing state reached other ways too: those count in the summary.
    for (size_t f = first; f < result_.failures.size(); ++f) {
      WalkResult::Failure& failure = result_.failures[f];
      const auto& ways = ways_[failureKeys_[f - first]];
      failure.also = ways;
      if (!ways.empty())
        failure.report += "\n      what it held was also reached " + std::to_string(ways.size()) +
                          " other ways, as after " +
                          ways.front().first + (ways.front().second.empty() ? "" : "; " + ways.front().second);
    }
  }

 private:
  fs::path NewKept() { return walk_.root / "kept states" / std::to_string(kept_++); }

  void Reset() {
    Restore(walk_, initial_);
    if (walk_.reset) walk_.reset();
  }

  // Takes the state the folders are in as a new one of `level`, unless it
  // was reached before with the same end due.
  void Add(size_t level, std::string writer, std::string recoveries, bool dueNew, const std::set<std::string>& told) {
    ++result_.reached[level];
    std::string key = Shape(walk_, known_) + (dueNew ? "due new" : "due old");
    if (!seen_.insert(key).second) {
      ways_[key].emplace_back(writer, LastStop(recoveries));
      return;
    }
    State s{NewKept(), Exact(walk_), std::move(key), dueNew, std::move(writer), std::move(recoveries), told};
    Keep(walk_, s.kept);
    levels_[level].push_back(std::move(s));
  }

  void AfterWriter(const std::string& writer, bool dueNew) {
    const fs::path journal = walk_.folders.front() / set_journal::JournalName(ProgramMark());
    // Without locks, a journal still empty may be a live writer's and is
    // left alone while it is young: the walk looks at the folder a few
    // minutes later.
    if (walk_.lockless && fs::exists(journal) && fs::file_size(journal) == 0)
      fs::last_write_time(journal, fs::file_time_type::clock::now() - std::chrono::minutes(5));
    Add(0, writer, "", dueNew, {});
    // A second record written but not yet flushed: a power cut may lose it,
    // or give back zeros in its place. Then no target was replaced.
    const JournalLook j = LookAtJournal(journal);
    if (g_seam.journalWrites < 2 || g_seam.journalSyncs >= 2 || j.what.rfind("both", 0) != 0) return;
    const std::string text = *ReadFile(journal);
    for (const bool zeros : {false, true}) {
      const fs::path kept = walk_.root / "journal";
      fs::rename(journal, kept);
      std::string lost = text.substr(0, j.firstRecord);
      if (zeros) lost.resize(text.size(), '\0');
      const int fd = ::open(journal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (fd < 0 || ::write(fd, lost.data(), lost.size()) != static_cast<ssize_t>(lost.size()))
        ADD_FAILURE() << "cannot write " << journal;
      if (fd >= 0) ::close(fd);
      Add(0, writer + (zeros ? " [second record lost as zeros]" : " [second record lost]"), "", false, {});
      fs::remove(journal);
      fs::rename(kept, journal);
    }
  }

  // The plain recovery of `s`, checked; then, unless `next` is past the
  // depth, the recovery stopped at each of its steps, each state it leaves
  // added to that level.
  void Expand(const State& s, size_t next) {
    Restore(walk_, s.kept);
    const std::string held = Describe(walk_);
    const bool journal = fs::exists(walk_.folders.front() / set_journal::JournalName(ProgramMark()));
    std::vector<std::string> steps;
    ++result_.runs;
    const SetRecovery r = Stopped({}, walk_.lockless, &steps, [&] { return Recover(walk_); });
    std::set<std::string> told = s.told;
    // A state that the plain recovery sets aside is a failure already: what
    // a stopped one makes of it says nothing more.
    if (!Check(s, held, journal, r, told) || next >= levels_.size()) return;
    for (int i = 0; i < static_cast<int>(steps.size()); ++i) {
      for (const bool kill : {true, false}) {
        Restore(walk_, s.kept);
        ++result_.runs;
        const SetRecovery stopped = Stopped(kill ? Stops{-1, i} : Stops{i, -1}, walk_.lockless, nullptr,
                                            [&] { return Recover(walk_); });
        const std::string recoveries = s.recoveries + "; recovery " + (kill ? "kill" : "fail") + " at \"" +
                                       Normal(steps[i]) + "\" (step " + std::to_string(i) + ")";
        if (const std::optional<std::string> why = SetAside(walk_, stopped)) {
          Fail(s.key, "set aside by a stopped recovery: " + *why, s.writer, recoveries, held, stopped, "");
          continue;
        }
        if (Exact(walk_) == s.exact) {
          ++result_.pruned;
          continue;
        }
        Add(next, s.writer, recoveries, s.dueNew, told);
      }
    }
  }

  void Fail(const std::string& key, const std::string& kind, const std::string& writer, const std::string& recoveries,
            const std::string& held, const SetRecovery& r, const std::string& what) {
    failureKeys_.push_back(key);
    result_.failures.push_back({kind, writer, LastStop(recoveries),
                                walk_.name + ": " + writer + recoveries + "\n      held: " + held +
                                    "\n      after: " + Describe(walk_) + "\n      lines: " + Lines(r) +
                                    (what.empty() ? "" : "\n      wrong: " + what),
                                {}});
  }

  // Checks what the plain recovery `r` of `s` left; `told` receives the
  // kinds of failure found. False when it set the journal aside.
  bool Check(const State& s, const std::string& held, bool journal, const SetRecovery& r, std::set<std::string>& told) {
    auto fail = [&](const std::string& kind, const std::string& what) {
      if (told.insert(kind).second) Fail(s.key, kind, s.writer, s.recoveries, held, r, what);
    };
    if (const std::optional<std::string> why = SetAside(walk_, r)) {
      fail("set aside: " + *why, "");
      return false;
    }
    if (!r.Readable() || fs::exists(walk_.folders.front() / set_journal::JournalName(ProgramMark()))) {
      fail(r.busy ? "folder busy after a plain recovery" : "journal still in force after a plain recovery", "");
      return true;
    }
    const std::string due = s.dueNew ? "new" : "old";
    std::set<std::string> ends;
    for (size_t k = 0; k < walk_.targets.size(); ++k) {
      const WalkTarget& t = walk_.targets[k];
      if (links_[k] && !fs::is_symlink(t.path)) fail("a link of the user's was replaced by a file", t.path.filename());
      const std::optional<std::string> bytes = ReadFile(t.path);
      ends.insert(bytes == t.after ? "new" : bytes == t.before ? "old" : "damaged");
    }
    if (ends != std::set<std::string>{due}) {
      const std::string end = ends.count("damaged") ? "damaged" : ends.size() > 1 ? "mixed" : *ends.begin();
      fail("ends " + end + " where " + due + " was due", "");
    }
    std::string run, other;
    for (const fs::path& folder : walk_.folders) {
      for (const std::string& n : Entries(folder)) {
        if (allowed_.count(n) || BackupTemporary(n)) continue;
        std::string& left = n.find("-set-") != std::string::npos || IsJournal(n) ? run : other;
        left += (left.empty() ? "" : " ") + Normal(n);
      }
    }
    if (!run.empty()) fail("a file of the run is left", run);
    if (!other.empty()) fail("a temporary file is left", other);
    for (const auto& [path, bytes] : walk_.backups)
      if (fs::exists(path) && ReadFile(path) != bytes) fail("a backup copy is not whole", path.filename());
    if (!journal) {
      if (!r.lines.empty()) fail("a line though nothing was to put right", "");
      return true;
    }
    if (r.lines.empty()) fail("no line though a journal was put right", "");
    for (const std::string& line : r.lines) {
      const bool saysNew = line.find("Finished replacing") != std::string::npos || line.ends_with(" new.");
      const bool saysOld = line.find("as before.") != std::string::npos ||
                           line.find("Put back the earlier") != std::string::npos ||
                           line.find("which had not begun.") != std::string::npos ||
                           line.find(", which left none of its files beside ") != std::string::npos ||
                           line.find("Removed the empty journal") != std::string::npos;
      if (saysNew != s.dueNew || saysOld == s.dueNew)
        fail(saysNew   ? "a line says new where old was due"
             : saysOld ? "a line says old where new was due"
                       : "a line says neither new nor old",
             "");
    }
    return true;
  }

  const SetWalk& walk_;
  WalkResult& result_;
  // A one-time backup's unfinished copy: not the recovery's to remove, as
  // it knows no backups; the next save sweeps it (the plan window's tests).
  bool BackupTemporary(const std::string& name) const {
    const std::optional<std::string_view> of = TemporaryTargetName(name);
    return of && std::any_of(walk_.backups.begin(), walk_.backups.end(),
                             [&](const auto& b) { return b.first.filename() == *of; });
  }
  std::set<std::string> allowed_;  // names that may stay
  std::vector<bool> links_;        // the targets that are links
  fs::path initial_;
  std::map<ino_t, std::string> known_;  // the inodes of the files before
  std::unordered_set<std::string> seen_;
  // The other ways each state was reached: the writer's stop, the last
  // recovery's.
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> ways_;
  std::vector<std::string> failureKeys_;  // of each failure found here
  std::vector<std::vector<State>> levels_;  // the writer's states, then after each stopped recovery
  int kept_ = 0;
};

}  // namespace

WalkRoot::WalkRoot() {
  const char* shm = "/dev/shm";
  const fs::path base = ::access(shm, W_OK | X_OK) == 0 ? fs::path(shm) : fs::temp_directory_path();
  std::string tmpl = (base / "velk-walk-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

WalkRoot::~WalkRoot() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

bool RunStopped(int failAt, int killAt, const std::function<bool()>& run, std::vector<std::string>* steps) {
  return Stopped({failAt, killAt}, false, steps, run);
}

std::string WithoutRunLetters(std::string name) { return Normal(std::move(name)); }

WalkResult WalkSetStates(const SetWalk& walk) {
  WalkResult result;
  Walker(walk, result).Run();
  return result;
}

std::string WalkResult::Counts() const {
  std::string text = "states reached (new):";
  for (size_t level = 0; level < states.size(); ++level)
    text += (level == 0   ? " by the writer "
             : level == 1 ? ", after a stopped recovery "
                          : ", after " + std::to_string(level) + " stopped recoveries ") +
            std::to_string(reached[level]) + " (" + std::to_string(states[level]) + ")";
  return text + "; " + std::to_string(runs) + " runs, " + std::to_string(pruned) + " stopped recoveries changed "
         "nothing; " + std::to_string(failures.size()) + " failures";
}

std::string WalkResult::Summary() const {
  // A stop without its number: the same step of another set counts alike.
  auto plain = [](std::string stop) {
    for (size_t at; (at = stop.find(" (step ")) != std::string::npos;) stop.erase(at, stop.find(')', at) - at + 1);
    return stop;
  };
  auto counted = [](const std::map<std::string, int>& stops) {
    std::string text;
    for (const auto& [stop, n] : stops) text += "\n      " + std::to_string(n) + " x " + stop;
    return text;
  };
  std::map<std::string, std::vector<const Failure*>> kinds;
  for (const Failure& f : failures) kinds[f.kind].push_back(&f);
  std::string text = std::to_string(failures.size()) + " failures of " + std::to_string(kinds.size()) + " kinds\n";
  for (auto& [kind, list] : kinds) {
    std::map<std::string, int> writers, recoveries;
    for (const Failure* f : list) {
      ++writers[plain(f->writer)];
      if (!f->recovery.empty()) ++recoveries[plain(f->recovery)];
      for (const auto& [writer, recovery] : f->also) {
        ++writers[plain(writer)];
        if (!recovery.empty()) ++recoveries[plain(recovery)];
      }
    }
    size_t ways = 0;
    for (const auto& [writer, count] : writers) ways += static_cast<size_t>(count);
    text += "\n" + std::to_string(list.size()) + " x " + kind + " (" + std::to_string(ways) +
            " ways there)\n    after the writer's" + counted(writers) + "\n";
    if (!recoveries.empty()) text += "    and the last recovery's" + counted(recoveries) + "\n";
    // The shortest ways there show the fault best.
    std::stable_sort(list.begin(), list.end(),
                     [](const Failure* a, const Failure* b) { return a->report.size() < b->report.size(); });
    for (size_t i = 0; i < list.size() && i < 3; ++i) text += "  " + list[i]->report + "\n";
  }
  return text;
}

std::vector<std::string> ProveFrozenKills(const SetWalk& walk, const std::vector<std::string>& writerSteps,
                                          const std::string& recoveredAfter,
                                          const std::vector<std::string>& recoverySteps) {
  std::vector<std::string> differences;
  walk.make();
  const fs::path initial = walk.root / "proof" / "initial", after = walk.root / "proof" / "after";
  Keep(walk, initial);
  const std::map<ino_t, std::string> known = Inodes(walk);
  auto reset = [&] {
    Restore(walk, initial);
    if (walk.reset) walk.reset();
  };
  // Both stops at the first step whose name begins so: where
  // KillAtFileStep kills.
  auto compare = [&](const std::string& what, const std::vector<std::string>& steps, const std::string& step,
                     const std::function<void()>& put, const std::function<void()>& run,
                     const std::map<ino_t, std::string>& inodes) {
    const auto at = std::find_if(steps.begin(), steps.end(), [&](const std::string& s) { return s.starts_with(step); });
    if (at == steps.end()) return differences.push_back(what + " has no step \"" + step + "\"");
    put();
    Stopped({-1, static_cast<int>(at - steps.begin())}, false, nullptr, [&] { return run(), 0; });
    const std::string frozen = Shape(walk, inodes);
    put();
    KillAtFileStep(step, run);
    const std::string killed = Shape(walk, inodes);
    if (frozen != killed)
      differences.push_back(what + " stopped at \"" + step + "\": frozen in this process\n" + frozen +
                            "killed in a child\n" + killed);
  };
  std::vector<std::string> steps;
  reset();
  Stopped({}, false, &steps, walk.write);
  for (const std::string& step : writerSteps) compare("the writer", steps, step, reset, [&] { walk.write(); }, known);

  reset();
  KillAtFileStep(recoveredAfter, [&] { walk.write(); });
  Keep(walk, after);
  const std::map<ino_t, std::string> left = Inodes(walk);
  steps.clear();
  Stopped({}, false, &steps, [&] { return Recover(walk); });
  for (const std::string& step : recoverySteps)
    compare("the recovery after a kill at \"" + recoveredAfter + "\"", steps, step, [&] { Restore(walk, after); },
            [&] { Recover(walk); }, left);
  return differences;
}

}  // namespace velk::test
