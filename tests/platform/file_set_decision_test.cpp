// The decision of a recovery, walked whole: every journal as a kill or a
// power cut leaves it, against every state of the files it names, and what
// the decision would do held to what matters. A journal that goes leaves
// the set whole (all new, or all as before the run), in the direction the
// run had got to, with nothing of the run behind; one that stays has
// touched nothing; no version is lost but the one the set was made whole
// away from; and a recovery stopped after any of its steps is taken up by
// the next to the same end.
#include "platform/file_set_journal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/file_set.h"

namespace velk::set_journal {
namespace {

using K = Decision::Kind;
using W = Decision::Why;
using Op = Decision::Step::Op;
using Records = Journal::Records;

constexpr dev_t kDevice = 1;
constexpr uid_t kUser = 1000;

// How a target's earlier file was kept while the run replaced it: there
// was none, it got a second name, or, on a file system without second
// names, a copy (a file of its own).
enum class Kept { kNone, kLinked, kCopied };

FileIdentity OldId(size_t i) { return {100 + i, 10, 1, 0}; }
FileIdentity CopyId(size_t i) { return {150 + i, 10, 5, 0}; }
FileIdentity NewId(size_t i) { return {200 + i, 20, 2, 0}; }

// A journal of two targets, a.txt and b.txt, as its writer makes it.
Journal TwoTargets(Kept a, Kept b) {
  Journal j{"velk", "AbCdEfGh", "4242.77", "boot-1", {}, Records::kBoth, "pid:[1]"};
  const Kept kept[2] = {a, b};
  for (size_t i = 0; i < 2; ++i) {
    Entry& e = j.entries.emplace_back();
    e.name = i == 0 ? "a.txt" : "b.txt";
    if (kept[i] != Kept::kNone) {
      e.oldId = OldId(i);
      e.keptId = kept[i] == Kept::kCopied ? CopyId(i) : OldId(i);
    }
    e.newId = NewId(i);
  }
  return j;
}

// What stands at a name: nothing; the earlier file (at the kept file's
// name, what the run kept of it); the copy of it put back at the target;
// the new file; a file changed since; the earlier or the new file's
// identity on another file system; another user's file of the earlier or
// new file's identity; a symbolic link, a folder, a FIFO.
enum class At {
  kMissing, kOld, kCopy, kNew, kChanged, kOldElsewhere, kNewElsewhere,
  kOthersOld, kOthersNew, kLink, kFolder, kFifo
};
struct Slot {
  At at = At::kMissing;
  bool readOnly = false;
  bool mountedReadOnly = false;  // and so is its file system
};
bool Odd(const Slot& s) { return s.at >= At::kOthersOld; }
// The three names of one target: itself, its new file and its kept file;
// or the link of its name leads elsewhere now.
struct EntrySlots {
  Slot target, waiting, kept;
  bool lost = false;
};

std::vector<EntrySlots> Cross(const std::vector<Slot>& targets, const std::vector<Slot>& waiting,
                              const std::vector<Slot>& kept, bool oddOnly) {
  std::vector<EntrySlots> out;
  for (const Slot& t : targets)
    for (const Slot& w : waiting)
      for (const Slot& k : kept)
        if (!oddOnly || Odd(t) || Odd(w) || Odd(k)) out.push_back({t, w, k});
  return out;
}

std::vector<Slot> PlainTargets(Kept kept) {
  std::vector<Slot> t = {{At::kMissing},      {At::kOld},          {At::kNew},       {At::kChanged},
                         {At::kOldElsewhere}, {At::kNewElsewhere}, {At::kOld, true}, {At::kNew, true},
                         {At::kOld, true, true}, {At::kNew, true, true}};
  if (kept == Kept::kCopied) t.push_back({At::kCopy});
  return t;
}
const std::vector<Slot> kPlainWaiting = {{At::kMissing}, {At::kNew}, {At::kChanged}, {At::kNewElsewhere}};
const std::vector<Slot> kPlainKept = {{At::kMissing}, {At::kOld}, {At::kChanged}, {At::kOldElsewhere}};

// What a kill, a failure and the user's edits leave at an entry's names;
// the walk crosses these of both entries.
std::vector<EntrySlots> PlainStates(Kept kept) { return Cross(PlainTargets(kept), kPlainWaiting, kPlainKept, false); }

// The states with another user's file, a link, a folder or a FIFO at one
// of its names, and the lost link: each crossed with RunStates of the
// other entry only, which keeps the walk short.
std::vector<EntrySlots> OddStates(Kept kept) {
  const std::vector<Slot> odd = {{At::kLink}, {At::kFolder}, {At::kFifo}};
  std::vector<Slot> targets = PlainTargets(kept), waiting = kPlainWaiting, keptSlots = kPlainKept;
  targets.insert(targets.end(), {{At::kOthersOld}, {At::kOthersNew}});
  waiting.push_back({At::kOthersNew});
  keptSlots.push_back({At::kOthersOld});
  for (std::vector<Slot>* v : {&targets, &waiting, &keptSlots}) v->insert(v->end(), odd.begin(), odd.end());
  std::vector<EntrySlots> out = Cross(targets, waiting, keptSlots, true);
  out.push_back({{}, {}, {}, true});
  return out;
}

// What only the run and its recoveries put at an entry's names.
std::vector<EntrySlots> RunStates(Kept kept) {
  std::vector<Slot> targets = {{kept == Kept::kNone ? At::kMissing : At::kOld}, {At::kNew}};
  if (kept == Kept::kCopied) targets.push_back({At::kCopy});
  std::vector<Slot> keptSlots = {{At::kMissing}};
  if (kept != Kept::kNone) keptSlots.push_back({At::kOld});
  return Cross(targets, {{At::kMissing}, {At::kNew}}, keptSlots, false);
}

// The version of the bytes a name holds: 0 for nothing, entry i's earlier
// one 1 + i, its new one 3 + i; any other a number of its own, one for all
// names of one file.
int Old(size_t i) { return 1 + static_cast<int>(i); }
int New(size_t i) { return 3 + static_cast<int>(i); }
bool IsOld(int v) { return v == 1 || v == 2; }
bool IsNew(int v) { return v == 3 || v == 4; }

// A name as the walk sees it: what a look there gives, the version of its
// bytes, and whether it is marked read-only; a rename takes all of it along.
struct Name {
  Look look;
  int version = 0;
  bool readOnly = false, mountedReadOnly = false;
};
// a.txt, its new file, its kept file; then b.txt's.
struct State {
  Name at[6];
  bool lost[2] = {};
};

Name NameOf(const Slot& s, const Entry& e, size_t slot) {
  Name n;
  if (s.at == At::kMissing) return n;
  const size_t i = slot / 3;
  const int own = static_cast<int>(i);
  n.readOnly = s.readOnly;
  n.mountedReadOnly = s.mountedReadOnly;
  Look& l = n.look;
  l.kind = Look::Kind::kFile;
  l.st.st_mode = S_IFREG | 0644;
  l.st.st_dev = kDevice;
  l.st.st_uid = kUser;
  FileIdentity id{300 + slot, 30, 3, 0};
  n.version = 10 + static_cast<int>(slot);
  switch (s.at) {
    case At::kOld:
    case At::kOthersOld:
      id = slot % 3 == 2 && e.keptId ? *e.keptId : OldId(i);
      // The earlier file may well be another user's: it is known by its
      // identity. Where the journal knows of none, it is nobody's earlier file.
      n.version = e.oldId ? Old(i) : 20 + own;
      if (s.at == At::kOthersOld) l.st.st_uid = kUser + 1;
      break;
    case At::kCopy:
      id = CopyId(i);
      n.version = Old(i);
      break;
    case At::kNew: id = NewId(i), n.version = New(i); break;
    // The run makes its new files as the user: another user's file is none
    // of them, whatever its identity.
    case At::kOthersNew: id = NewId(i), n.version = 22 + own, l.st.st_uid = kUser + 1; break;
    case At::kOldElsewhere: id = OldId(i), n.version = 24 + own, l.st.st_dev = kDevice + 1; break;
    case At::kNewElsewhere: id = NewId(i), n.version = 26 + own, l.st.st_dev = kDevice + 1; break;
    case At::kLink: l.kind = Look::Kind::kLink, l.st.st_mode = S_IFLNK | 0777; break;
    case At::kFolder: l.kind = Look::Kind::kOther, l.st.st_mode = S_IFDIR | 0755; break;
    case At::kFifo: l.kind = Look::Kind::kOther, l.st.st_mode = S_IFIFO | 0644; break;
    default: break;
  }
  l.st.st_ino = id.inode;
  l.st.st_size = id.size;
  l.st.st_mtim.tv_sec = id.mtimeSeconds;
  l.st.st_mtim.tv_nsec = id.mtimeNanoseconds;
  return n;
}

// A journal as a recovery reads it, before any file is looked at.
struct Case {
  std::string name;
  Kept kept[2];
  Journal journal;  // as its writer made it
  Facts facts;
  bool committed = false;
};

State MakeState(const Case& c, const EntrySlots& a, const EntrySlots& b) {
  State s;
  const EntrySlots* e[2] = {&a, &b};
  for (size_t i = 0; i < 2; ++i) {
    s.lost[i] = e[i]->lost;
    s.at[3 * i] = NameOf(e[i]->target, c.journal.entries[i], 3 * i);
    s.at[3 * i + 1] = NameOf(e[i]->waiting, c.journal.entries[i], 3 * i + 1);
    s.at[3 * i + 2] = NameOf(e[i]->kept, c.journal.entries[i], 3 * i + 2);
  }
  return s;
}

// The facts a recovery gathers of `s`.
Facts FactsOf(const Case& c, const State& s) {
  Facts f = c.facts;
  for (size_t i = 0; i < 2; ++i) {
    Facts::File& x = f.files.emplace_back();
    x.device = kDevice;
    x.lost = s.lost[i];
    if (x.lost) continue;
    const Name &target = s.at[3 * i], &kept = s.at[3 * i + 2];
    x.target = target.look;
    x.temporary = s.at[3 * i + 1].look;
    x.kept = kept.look;
    x.writable = !target.readOnly;
    x.readOnlyFileSystem = target.mountedReadOnly;
    // A second name of the target, or a copy of its bytes.
    x.keptInTarget = kept.look.kind == Look::Kind::kFile && target.look.kind == Look::Kind::kFile &&
                     kept.version == target.version;
  }
  return f;
}

std::string Show(const State& s) {
  std::string text;
  for (size_t k = 0; k < 6; ++k) {
    const Name& n = s.at[k];
    text += k == 3 ? " |" : "";
    if (k % 3 == 0 && s.lost[k / 3]) text += " lost";
    const int v = n.version;
    text += v == 0 ? " -" : IsOld(v) ? " O" + std::to_string(v - 1) : IsNew(v) ? " N" + std::to_string(v - 3)
                                                                              : " X" + std::to_string(v);
    if (v == 0) continue;
    if (n.look.kind == Look::Kind::kLink) text += "(link)";
    if (n.look.kind == Look::Kind::kOther) text += S_ISDIR(n.look.st.st_mode) ? "(folder)" : "(fifo)";
    if (n.look.st.st_dev != kDevice) text += "(elsewhere)";
    if (n.look.st.st_uid != kUser) text += "(another user's)";
    if (n.readOnly) text += n.mountedReadOnly ? "(ro mount)" : "(ro)";
  }
  return text;
}

std::string Show(const Decision& d) {
  static const char* const kKinds[] = {"nothing", "leave",  "refuse foreign", "refuse open", "drop",
                                       "clear",   "finish", "put back",       "set aside",   "hold"};
  std::string text = kKinds[static_cast<int>(d.kind)];
  if (d.why != W::kNone) text += " (why " + std::to_string(static_cast<int>(d.why)) + ")";
  for (const Decision::Step& s : d.steps)
    text += std::string(s.op == Op::kRename ? " rename " : " remove ") +
            std::to_string(3 * s.entry + static_cast<size_t>(s.from));
  return text;
}

// Carries out `step` on `s`; what is wrong with it, or nothing.
std::string Apply(State& s, const Decision::Step& step) {
  Name& from = s.at[3 * step.entry + static_cast<size_t>(step.from)];
  Name& target = s.at[3 * step.entry];
  if (from.version == 0) return "a step on a missing file";
  const bool rename = step.op == Op::kRename;
  if ((rename || &from == &target) && target.readOnly) return "a read-only target replaced or removed";
  if (rename) target = from;
  from = Name{};
  return {};
}

// Before the second record the run's new file at a target was put there
// by its rename only where the new file's own name is empty (a rename
// takes it away; what stands there may be that new file, and the target
// the user's copy of it), and something the run made before its first
// rename and removes only after its last one is still there: a kept file,
// or the new file of a later target. Elsewhere it is a file like any.
bool Renamed(const State& s, size_t i) {
  if (s.at[3 * i].version != New(i) || s.at[3 * i + 1].version != 0) return false;
  for (size_t k = 0; k < 2; ++k)
    if (s.at[3 * k + 2].version != 0 || (k > i && s.at[3 * k + 1].version != 0)) return true;
  return false;
}

bool Removes(K kind) { return kind == K::kDrop || kind == K::kClear || kind == K::kFinish || kind == K::kPutBack; }

// What is wrong with deciding `d` on `before`, or nothing. With `takeUp`,
// the recovery is also stopped after each of its steps and the next one's
// decision on what that left judged too.
std::string Judge(const Case& c, const State& before, const Decision& d, bool takeUp = true) {
  if (!Removes(d.kind)) return d.steps.empty() ? "" : "steps, though the journal stays";
  State after = before;
  for (const Decision::Step& step : d.steps)
    if (std::string wrong = Apply(after, step); !wrong.empty()) return wrong;
  bool allNew = true, allOld = true, everyNewThere = true;
  for (size_t i = 0; i < 2; ++i) {
    const int v = after.at[3 * i].version;
    const bool isNew = v == New(i) && (c.committed || Renamed(before, i));
    allNew = allNew && isNew;
    allOld = allOld && (c.committed ? v == Old(i) || (v == 0 && !c.journal.entries[i].oldId) : !isNew);
    everyNewThere = everyNewThere && (before.at[3 * i].version == New(i) || before.at[3 * i + 1].version == New(i));
  }
  if (d.kind == K::kFinish ? !allNew : !allOld) return d.kind == K::kFinish ? "not all new" : "not all as before";
  // The new set, when every new file is in place or waiting beside its target.
  if (d.kind == K::kPutBack && everyNewThere) return "put back, though every new file was there";
  for (size_t k = 0; k < 6; ++k)
    if (k % 3 != 0 && after.at[k].version != 0) return "a file of the run is left at " + std::to_string(k);
  for (size_t k = 0; k < 6; ++k) {
    const Name& n = before.at[k];
    if (n.version == 0) continue;
    bool kept = false;
    for (const Name& m : after.at) kept = kept || m.version == n.version;
    // Before the second record, the user's own file at a new file's name
    // can only be that new file, whole or cut short.
    const bool runs = !c.committed && k % 3 == 1 && n.look.kind == Look::Kind::kFile &&
                      n.look.st.st_dev == kDevice && n.look.st.st_uid == kUser;
    if (!kept && !(IsOld(n.version) && allNew) && !(IsNew(n.version) && allOld) && !runs)
      return "the only copy at " + std::to_string(k) + " is gone";
  }
  if (!takeUp) return {};
  State stopped = before;
  for (size_t p = 0; p < d.steps.size(); ++p) {
    Apply(stopped, d.steps[p]);
    const Decision next = Decide(FactsOf(c, stopped));
    const std::string at = "stopped after step " + std::to_string(p + 1) + ", then " + Show(next) + ": ";
    if (next.kind != d.kind) return at + "taken up otherwise";
    if (std::string wrong = Judge(c, stopped, next, false); !wrong.empty()) return at + wrong;
    State end = stopped;
    for (const Decision::Step& step : next.steps) Apply(end, step);
    if (end.at[0].version != after.at[0].version || end.at[3].version != after.at[3].version)
      return at + "another end";
  }
  return {};
}

// The facts of the user's own journal of `text`, in a folder whose lock is held.
Facts JournalFacts(const std::string& text) {
  Facts f;
  f.mark = "velk";
  f.user = kUser;
  f.journal.kind = Look::Kind::kFile;
  f.journal.st.st_mode = S_IFREG | 0600;
  f.journal.st.st_uid = kUser;
  f.journal.st.st_size = static_cast<off_t>(text.size());
  f.empty = text.empty();
  if (!f.empty) f.parsed = ParseJournal(text, "velk", f.why);
  return f;
}

// Every journal that names its files, as read back: both targets kept
// every way, with its first record alone or both.
std::vector<Case> Cases() {
  std::vector<Case> cases;
  const char* const names[] = {"none", "linked", "copied"};
  for (const Kept a : {Kept::kNone, Kept::kLinked, Kept::kCopied})
    for (const Kept b : {Kept::kNone, Kept::kLinked, Kept::kCopied})
      for (const bool committed : {false, true}) {
        Case& c = cases.emplace_back();
        c.name = std::string("a ") + names[static_cast<int>(a)] + ", b " + names[static_cast<int>(b)] +
                 (committed ? ", both records" : ", first record");
        c.kept[0] = a;
        c.kept[1] = b;
        c.journal = TwoTargets(a, b);
        c.committed = committed;
        c.facts = JournalFacts(StagedRecord(c.journal) + (committed ? CommittedRecord(c.journal) : ""));
        EXPECT_TRUE(c.facts.parsed && c.facts.parsed->records == (committed ? Records::kBoth : Records::kFirst))
            << c.name << ": " << c.facts.why;
      }
  return cases;
}

struct Walked {
  size_t cases = 0;
  std::map<std::pair<K, W>, size_t> ways;
};

// Decides `s` and judges it; false, after a failure, ends the walk.
bool Walk(const Case& c, const State& s, Walked& walked) {
  const Decision d = Decide(FactsOf(c, s));
  ++walked.cases;
  ++walked.ways[{d.kind, d.why}];
  std::string wrong = Judge(c, s, d);
  for (size_t i = 0; i < 2 && wrong.empty(); ++i) {
    const auto& names = d.names;
    if (s.lost[i] && (d.kind != K::kSetAside || d.why != W::kChanged ||
                      std::find(names.begin(), names.end(), c.journal.entries[i].name) == names.end()))
      wrong = "a lost link not set aside as changed";
  }
  if (wrong.empty()) return true;
  ADD_FAILURE() << c.name << ":" << Show(s) << " -> " << Show(d) << ": " << wrong;
  return false;
}

TEST(RecoveryDecision, EveryJournalAgainstEveryStateOfItsFilesEndsWholeOrUntouched) {
  Walked walked;
  for (const Case& c : Cases()) {
    for (const EntrySlots& a : PlainStates(c.kept[0]))
      for (const EntrySlots& b : PlainStates(c.kept[1]))
        if (!Walk(c, MakeState(c, a, b), walked)) return;
    for (size_t odd = 0; odd < 2; ++odd)
      for (const EntrySlots& x : OddStates(c.kept[odd]))
        for (const EntrySlots& y : RunStates(c.kept[1 - odd]))
          if (!Walk(c, odd == 0 ? MakeState(c, x, y) : MakeState(c, y, x), walked)) return;
  }
  // Every way out is taken somewhere in the walk.
  for (const auto& way : std::vector<std::pair<K, W>>{{K::kClear, W::kNone},
                                                      {K::kFinish, W::kNone},
                                                      {K::kPutBack, W::kNone},
                                                      {K::kSetAside, W::kChanged},
                                                      {K::kSetAside, W::kReplaced},
                                                      {K::kSetAside, W::kReadOnly},
                                                      {K::kHold, W::kNone},
                                                      {K::kSetAside, W::kNoneAsLeft}})
    EXPECT_GT(walked.ways[way], 0u) << static_cast<int>(way.first) << " " << static_cast<int>(way.second);
  RecordProperty("cases", static_cast<int>(walked.cases));
}

// Who may have written the journal, whether its writer may still run, what
// it is and whether it names anything come before any file it names: one
// of another user's, or one that others may write, is refused; one whose
// writer may still run is left; one that is no regular file, is far too
// large or does not read is set aside; one that names no file goes only
// while no file of such a run lies in the folder. Holding the lock says
// the writer is gone; without it, a writer known gone is as one under it.
TEST(RecoveryDecision, WhatTheJournalIsComesBeforeAnyFileItNames) {
  const Journal j = TwoTargets(Kept::kLinked, Kept::kNone);
  const std::string first = StagedRecord(j), second = CommittedRecord(j);
  std::string damaged = first + second;
  damaged[damaged.find("boot-1")] = 'B';
  const std::pair<const char*, std::string> texts[] = {
      {"empty", ""},
      {"cut in its first record", first.substr(0, first.size() / 2)},
      {"zeros in its first record", first.substr(0, first.size() / 2) + std::string(first.size(), '\0')},
      {"damaged", damaged},
      {"no journal", "not a journal\n"},
      {"first record", first},
      {"both records", first + second}};
  enum class Lock { kHeld, kHeldWriterMayRun, kNoneWriterGone, kNoneWriterMayRun };
  const std::pair<Look::Kind, mode_t> kinds[] = {{Look::Kind::kAbsent, 0},
                                                 {Look::Kind::kFile, S_IFREG | 0600},
                                                 {Look::Kind::kLink, S_IFLNK | 0777},
                                                 {Look::Kind::kOther, S_IFDIR | 0700},
                                                 {Look::Kind::kOther, S_IFIFO | 0600}};
  size_t cases = 0;
  for (const bool own : {true, false})
    for (const bool open : {false, true})
      for (const Lock lock : {Lock::kHeld, Lock::kHeldWriterMayRun, Lock::kNoneWriterGone, Lock::kNoneWriterMayRun})
        for (const auto& [kind, mode] : kinds)
          for (const bool large : {false, true})
            for (const auto& [name, text] : texts)
              for (const bool runFiles : {false, true}) {
                Case c;
                c.kept[0] = Kept::kLinked;
                c.kept[1] = Kept::kNone;
                c.journal = j;
                Facts& f = c.facts;
                f.mark = "velk";
                f.user = kUser;
                if (kind != Look::Kind::kAbsent) {
                  f.journal.kind = kind;
                  f.journal.st.st_mode = mode;
                  f.journal.st.st_uid = own ? kUser : kUser + 1;
                  f.journal.st.st_size = static_cast<off_t>(large ? kMaxJournalBytes + 1 : text.size());
                }
                f.othersMayWrite = open;
                f.locks = lock == Lock::kHeld || lock == Lock::kHeldWriterMayRun;
                f.writerMayRun = lock == Lock::kHeldWriterMayRun || lock == Lock::kNoneWriterMayRun;
                // Only the user's own regular file that nobody else may
                // write, of a journal's size, is read.
                const bool read = kind == Look::Kind::kFile && own && !open && !large;
                if (read) {
                  f.empty = text.empty();
                  if (!f.empty) f.parsed = ParseJournal(text, "velk", f.why);
                }
                const bool namesNothing = read && (!f.parsed || f.parsed->records == Records::kFirstCut);
                // The folder is listed only for a journal that names no file.
                if (runFiles && !namesNothing) continue;
                if (runFiles) f.runFiles = {".velk-set-AbCdEfGh-1"};
                c.name = std::string(name) + (own ? "" : ", another user's") + (open ? ", open" : "") + ", lock " +
                         std::to_string(static_cast<int>(lock)) + ", kind " + std::to_string(mode >> 12) +
                         (large ? ", large" : "") + (runFiles ? ", run files" : "");
                Decision want;
                if (kind == Look::Kind::kAbsent) want = {K::kNothing};
                else if (!own) want = {K::kRefuseForeign};
                else if (open) want = {K::kRefuseOpen};
                else if (lock == Lock::kNoneWriterMayRun) want = {K::kLeave};
                else if (kind != Look::Kind::kFile) want = {K::kSetAside, W::kNotFile};
                else if (large) want = {K::kSetAside, W::kTooLarge};
                else if (f.empty || (f.parsed && f.parsed->records == Records::kFirstCut))
                  want = runFiles ? Decision{K::kSetAside, W::kNamesNothing} : Decision{K::kDrop};
                else if (!f.parsed) want = {K::kSetAside, W::kMalformed};
                else {
                  // The files decide, as they do for a journal under the lock.
                  Case locked = c;
                  locked.facts.locks = true;
                  locked.facts.writerMayRun = false;
                  c.committed = f.parsed->records == Records::kBoth;
                  for (const EntrySlots& a : RunStates(c.kept[0]))
                    for (const EntrySlots& b : RunStates(c.kept[1])) {
                      const State s = MakeState(c, a, b);
                      const Decision d = Decide(FactsOf(c, s)), under = Decide(FactsOf(locked, s));
                      ++cases;
                      ASSERT_TRUE(d.kind == under.kind && d.why == under.why && d.steps == under.steps)
                          << c.name << ":" << Show(s) << " -> " << Show(d) << ", under the lock " << Show(under);
                      const std::string wrong = Judge(c, s, d);
                      ASSERT_TRUE(wrong.empty()) << c.name << ":" << Show(s) << " -> " << Show(d) << ": " << wrong;
                    }
                  continue;
                }
                const Decision d = Decide(f);
                ++cases;
                EXPECT_TRUE(d.kind == want.kind && d.why == want.why && d.steps.empty())
                    << c.name << " -> " << Show(d) << ", not " << Show(want);
              }
  RecordProperty("cases", static_cast<int>(cases));
}

// A journal of every version the reader takes reads back whole; one that a
// kill or a power cut ended early reads as far as its records are whole.
// A first record cut short, or zeros from any byte on, is cut (its run had
// made nothing), never damaged nor foreign; a second one so is no second
// record. A whole first record with a byte changed is damaged. The names
// of a run's files read only in the one form their writer gives them.
TEST(RecoveryDecision, AJournalOfEveryVersionReadsAsFarAsItsRecordsAreWhole) {
  auto records = [](const std::string& text) -> std::optional<Records> {
    std::string why;
    const std::optional<Journal> read = ParseJournal(text, "velk", why);
    return read ? std::optional<Records>(read->records) : std::nullopt;
  };
  // A byte that still reads as the same kind of field.
  auto another = [](char c) -> char {
    if (c >= '0' && c <= '9') return c == '9' ? '0' : static_cast<char>(c + 1);
    if (c >= 'a' && c <= 'z') return c == 'z' ? 'a' : static_cast<char>(c + 1);
    if (c >= 'A' && c <= 'Z') return c == 'Z' ? 'A' : static_cast<char>(c + 1);
    return static_cast<char>(c ^ 1);
  };
  for (const int version : {2, 3, 4}) {
    const std::string v = "version " + std::to_string(version);
    // Names that read like the journal's own words: it is read by the
    // place of each field.
    Journal j{"velk", "AbCdEfGh", "4242.77", "boot-1", {}, Records::kBoth, version >= 4 ? "pid:[1]" : "", version};
    j.entries.resize(2);
    j.entries[0].name = "committed";
    j.entries[0].via = "/elsewhere/end";
    j.entries[0].oldId = j.entries[0].keptId = OldId(0);
    j.entries[0].newId = NewId(0);
    j.entries[1].name = "staged";
    j.entries[1].newId = NewId(1);
    const std::string first = StagedRecord(j), second = CommittedRecord(j);
    std::string why;
    const std::optional<Journal> read = ParseJournal(first + second + std::string(100, '\0'), "velk", why);
    ASSERT_TRUE(read) << v << ": " << why;
    EXPECT_EQ(read->records, Records::kBoth) << v;
    EXPECT_EQ(read->version, version);
    EXPECT_EQ(std::tie(read->run, read->writer, read->boot, read->space), std::tie(j.run, j.writer, j.boot, j.space))
        << v;
    ASSERT_EQ(read->entries.size(), 2u) << v;
    for (size_t i = 0; i < 2; ++i) {
      const Entry &a = read->entries[i], &b = j.entries[i];
      EXPECT_TRUE(a.name == b.name && a.via == b.via && a.oldId == b.oldId && a.newId == b.newId &&
                  a.keptId == b.keptId)
          << v << ": " << b.name;
    }
    EXPECT_EQ(records(first), Records::kFirst) << v;
    for (size_t k = 0; k < first.size(); ++k) {
      const std::string cut = first.substr(0, k);
      EXPECT_EQ(records(cut), Records::kFirstCut) << v << ", first record cut at " << k;
      if (k + 1 == first.size()) continue;  // zeros from its last byte on: the whole record
      EXPECT_EQ(records(cut + std::string(first.size() - k, '\0')), Records::kFirstCut) << v << ", zeros from " << k;
      EXPECT_EQ(records(cut + std::string(first.size() - k + second.size(), '\0')), Records::kFirstCut)
          << v << ", zeros from " << k << " on, through the second record";
    }
    for (size_t k = 0; k < second.size(); ++k) {
      const std::string cut = first + second.substr(0, k);
      EXPECT_EQ(records(cut), Records::kFirst) << v << ", second record cut at " << k;
      if (k + 1 == second.size()) continue;  // zeros from its last byte on: the whole record
      EXPECT_EQ(records(cut + std::string(second.size() - k, '\0')), Records::kFirst) << v << ", zeros from " << k;
    }
    EXPECT_FALSE(ParseJournal(first, "orvane", why)) << v;
    if (version < 3) continue;
    // From the run's name to the check sum: a record with a byte changed
    // there never names a file; with the second record after it, it is no
    // journal at all.
    for (size_t k = first.find("AbCdEfGh"); k + 17 < first.size(); ++k) {
      if (first[k] == '\0') continue;
      std::string changed = first;
      changed[k] = another(first[k]);
      const std::optional<Records> alone = records(changed);
      EXPECT_TRUE(!alone || *alone == Records::kFirstCut) << v << ", byte " << k << " changed";
      EXPECT_FALSE(ParseJournal(changed + second, "velk", why)) << v << ", byte " << k << " changed";
    }
    for (const std::string field : {"AbCdEfGh", "4242.77", "boot-1", "elsewhere"}) {
      std::string changed = first;
      changed[first.find(field) + 1] = another(changed[first.find(field) + 1]);
      for (const std::string& tail : {std::string(), second}) {
        EXPECT_FALSE(ParseJournal(changed + tail, "velk", why)) << v << ", " << field << " changed";
        EXPECT_EQ(why, "its first record is damaged") << v << ", " << field << " changed";
      }
    }
  }
  // A run's file is read only by the name its writer gives it: the same
  // name with a leading zero, a sign or a field of another length is no
  // file of a run, so that no two names stand for one.
  const std::string sums = NameSum("a.txt") + NameSum("b.txt");
  const std::string v5 = TemporaryName("velk", "AbCdEfGh", 1, "en", sums), v4 = TemporaryName("velk", "AbCdEfGh", 1);
  for (const std::string& name : {v5, v5 + ".old", v4, v4 + ".old"}) {
    const std::optional<RunFileName> r = ParseRunFileName(name, "velk");
    EXPECT_TRUE(r && r->index == 1 && r->kept == name.ends_with(".old") && r->run == "AbCdEfGh") << name;
  }
  auto changed = [](std::string name, const std::string& from, const std::string& to) {
    return name.replace(name.find(from), from.size(), to);
  };
  for (const std::string& name :
       {changed(v5, "-2of", "-02of"), changed(v5, "-2of", "-02of") + ".old", changed(v5, "of2-", "of02-"),
        changed(v5, "-2of", "-+2of"), changed(v5, "-en-", "-e-"), changed(v5, "AbCdEfGh", "AbCdEfGhi"), v5 + "0",
        v5.substr(0, v5.size() - 1), v5 + ".old.old", changed(v4, "-2", "-02"), changed(v4, "-2", "-02") + ".old",
        changed(v4, "-2", "-+2"), changed(v4, "-2", "-0")})
    EXPECT_FALSE(ParseRunFileName(name, "velk")) << name;

  // A set larger than a writer may make is no journal of ours.
  Journal j = TwoTargets(Kept::kNone, Kept::kNone);
  j.records = Records::kFirst;
  j.entries.resize(kMaxSetFiles + 1);
  for (size_t i = 2; i < j.entries.size(); ++i) j.entries[i].name = "x" + std::to_string(i);
  std::string why;
  EXPECT_FALSE(ParseJournal(StagedRecord(j), "velk", why));
}

}  // namespace
}  // namespace velk::set_journal