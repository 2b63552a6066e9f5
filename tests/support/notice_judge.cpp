#include "support/notice_judge.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/file_ops.h"
#include "platform/file_set.h"
#include "platform/file_set_journal.h"
#include "support/test_support.h"

namespace velk::test {
namespace {

namespace fs = std::filesystem;

// ---- What the folders hold ------------------------------------------------------

bool IsJournalName(const std::string& name) { return name.find(".journal") != std::string::npos; }

// A name that a run of any of the programs gives its files.
bool IsRunFile(const std::string& name) {
  for (std::string_view mark : kProgramMarks)
    if (name.find("." + std::string(mark) + "-set-") != std::string::npos || set_journal::IsRunFileName(name, mark))
      return true;
  return false;
}

bool IsAside(const std::string& name) {
  for (std::string_view mark : kProgramMarks)
    if (name.starts_with(set_journal::JournalName(mark) + std::string(set_journal::kAside))) return true;
  return false;
}

// `path`, beneath `root`, at its place beneath `copy`.
fs::path Moved(const fs::path& path, const fs::path& root, const fs::path& copy) {
  return copy / path.lexically_relative(root);
}

// `walk` with its folders and targets at their places in the copy `copy`.
SetWalk InCopy(const SetWalk& walk, const fs::path& copy) {
  SetWalk moved = walk;
  moved.root = copy;
  for (fs::path& folder : moved.folders) folder = Moved(folder, walk.root, copy);
  for (WalkTarget& t : moved.targets) t.path = Moved(t.path, walk.root, copy);
  return moved;
}

// The bytes of the regular files of the folders whose names pass `take`.
std::set<std::string> BytesOf(const SetWalk& walk, bool (*take)(const std::string& name)) {
  std::set<std::string> bytes;
  for (const fs::path& folder : walk.folders) {
    for (const std::string& name : Names(folder)) {
      std::error_code ec;
      if (!take(name) || !fs::is_regular_file(fs::symlink_status(folder / name, ec))) continue;
      if (const std::optional<std::string> b = ReadFile(folder / name)) bytes.insert(*b);
    }
  }
  return bytes;
}

// The bytes of every regular file of the folders but the journals: each a
// version of some file.
std::set<std::string> Versions(const SetWalk& walk) {
  return BytesOf(walk, [](const std::string& name) { return !IsJournalName(name); });
}

// The names in the folders that a run gave its files.
std::string RunFilesLeft(const SetWalk& walk) {
  std::string left;
  for (const fs::path& folder : walk.folders)
    for (const std::string& name : Names(folder))
      if (IsRunFile(name)) left += (left.empty() ? "" : " ") + WithoutRunLetters(name);
  return left;
}

bool AsideLies(const SetWalk& walk) {
  const std::set<std::string> names = Names(walk.folders.front());
  return std::any_of(names.begin(), names.end(), IsAside);
}

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

// Something stands where `path` leads, through a link too.
bool Reached(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::status(path, ec));
}

// Which version a file holds: its target's file before the run (or no file,
// where it had none), the run's new file, or another; or no file where the
// target had none and the user took its new file away, which is either.
enum class Held { kEarlier, kNew, kOther, kEither };

Held VersionOf(const std::optional<bool>& ofNew) {
  return !ofNew ? Held::kOther : *ofNew ? Held::kNew : Held::kEarlier;
}

// What `path` holds as a version of `t`; the user's edit `edit` of a
// version counts as that version.
Held HeldAt(const fs::path& path, const WalkTarget& t, const UserChange* edit) {
  const std::optional<std::string> bytes = ReadFile(path);
  if (edit && !edit->gone && bytes == edit->bytes) return VersionOf(edit->ofNew);
  if (!bytes) return !t.before && !Exists(path) ? Held::kEarlier : Held::kOther;
  if (*bytes == t.after) return Held::kNew;
  return bytes == t.before ? Held::kEarlier : Held::kOther;
}

// The user's change of target `k`, if `change` is one.
const UserChange* ChangeOf(const std::optional<UserChange>& change, size_t k) {
  return change && change->target == k ? &*change : nullptr;
}

// What target `k` of `walk` holds, the user's change counting as the
// version it was made of. Where the user took the target away, no file is
// the earlier version of one that had none (and the new one too, where the
// user took that away), and counts as the version taken away of one that
// had a file, unless `proven` says that the folder tells it had one: then a
// way must leave a file there.
Held HeldBy(const SetWalk& walk, size_t k, const std::optional<UserChange>& change,
            const std::vector<bool>* proven = nullptr) {
  const WalkTarget& t = walk.targets[k];
  const UserChange* c = ChangeOf(change, k);
  if (c && c->gone && !Reached(t.path)) {
    if (!t.before) return c->ofNew == true ? Held::kEither : Held::kEarlier;
    return proven && (*proven)[k] ? Held::kOther : VersionOf(c->ofNew);
  }
  return HeldAt(t.path, t, c);
}

std::vector<Held> HeldBy(const SetWalk& walk, const std::optional<UserChange>& change,
                         const std::vector<bool>* proven = nullptr) {
  std::vector<Held> held;
  for (size_t k = 0; k < walk.targets.size(); ++k) held.push_back(HeldBy(walk, k, change, proven));
  return held;
}

bool All(const std::vector<Held>& held, Held version) {
  return std::all_of(held.begin(), held.end(), [&](Held h) { return h == version || h == Held::kEither; });
}

bool Whole(const std::vector<Held>& held) { return All(held, Held::kEarlier) || All(held, Held::kNew); }

// Some target holds `version`, and the others may hold the other one.
bool Mixed(const std::vector<Held>& held) {
  auto has = [&](Held v) { return std::find(held.begin(), held.end(), v) != held.end(); };
  return (has(Held::kEarlier) || has(Held::kNew)) && (has(Held::kEarlier) || has(Held::kEither)) &&
         (has(Held::kNew) || has(Held::kEither));
}

// The user's change is kept in `walk` (the walk it was made in, or a copy
// of it), whose files' bytes are `now`: an edited file's bytes, and a file
// renamed away at the user's name.
bool ChangeKept(const SetWalk& walk, const fs::path& madeIn, const std::optional<UserChange>& change,
                const std::set<std::string>& now) {
  if (!change) return true;
  if (!change->gone) return now.count(change->bytes) > 0;
  return change->renamed.empty() || ReadFile(Moved(change->renamed, madeIn, walk.root)) == change->bytes;
}

// The targets that should be the user's links and are not any more.
std::string LinksLost(const SetWalk& walk, const std::vector<bool>& links) {
  std::string lost;
  for (size_t k = 0; k < walk.targets.size(); ++k)
    if (links[k] && !fs::is_symlink(walk.targets[k].path))
      lost += (lost.empty() ? "" : " ") + walk.targets[k].path.filename().string();
  return lost;
}

// What the folders of `walk` tell of the set but by bytes: from the journal
// set aside, where its first record is whole; from the program's fixed
// names; and from the names of the run's files, which carry since journal
// version 5 the targets' count and which of them had an earlier file.
struct Told {
  std::vector<bool> name;     // the name of each target: it stands, or the journal or fixed names tell it
  std::vector<bool> earlier;  // that the target had an earlier file
  bool files = false;         // which target each of the run's files stands for
  std::optional<set_journal::Journal> journal;  // the journal set aside, where it names the set
};

Told Tell(const SetWalk& walk) {
  const size_t n = walk.targets.size();
  Told told{std::vector<bool>(n), std::vector<bool>(n), false, std::nullopt};
  std::optional<set_journal::Journal>& journal = told.journal;
  std::vector<std::string_view> fixed;
  const fs::path& folder = walk.folders.front();
  for (const std::string& name : Names(folder)) {
    for (std::string_view mark : kProgramMarks) {
      if (!IsAside(name) || !name.starts_with(set_journal::JournalName(mark))) continue;
      std::string why;
      const std::optional<std::string> text = ReadFile(folder / name);
      journal = text ? set_journal::ParseJournal(*text, mark, why) : std::nullopt;
      if (journal && (journal->records == set_journal::Journal::Records::kFirstCut || journal->entries.size() != n))
        journal.reset();
      fixed = set_journal::FixedTargets(mark);
    }
  }
  for (const fs::path& f : walk.folders) {
    for (const std::string& name : Names(f)) {
      for (std::string_view mark : kProgramMarks) {
        const std::optional<set_journal::RunFileName> r = set_journal::ParseRunFileName(name, mark);
        if (!r || r->flags.size() != n) continue;
        told.files = true;
        for (size_t k = 0; k < n; ++k) told.earlier[k] = told.earlier[k] || r->flags[k] == 'e';
      }
    }
  }
  told.files = told.files || journal || !fixed.empty();
  for (size_t k = 0; k < n; ++k) {
    const fs::path& path = walk.targets[k].path;
    told.name[k] = Exists(path) || journal ||
                   std::find(fixed.begin(), fixed.end(), path.filename().native()) != fixed.end();
    if (journal) told.earlier[k] = told.earlier[k] || journal->entries[k].earlier == true || journal->entries[k].oldId;
  }
  return told;
}

// Only where the folder tells every target's name can what the set holds be
// told: a file that cannot be named cannot be said to hold anything, but
// where no file stands for a target that had none, it holds its earlier
// version.
bool AllTold(const SetWalk& walk, const Told& told) {
  for (size_t k = 0; k < told.name.size(); ++k)
    if (!told.name[k] && (walk.targets[k].before || Reached(walk.targets[k].path))) return false;
  return true;
}

// A file of the folders has an identity that the journal set aside records.
bool IdentityKnown(const SetWalk& walk, const Told& told) {
  if (!told.journal || told.journal->records != set_journal::Journal::Records::kBoth) return false;
  for (const fs::path& folder : walk.folders) {
    for (const std::string& name : Names(folder)) {
      struct stat st {};
      if (::lstat((folder / name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
      for (const set_journal::Entry& e : told.journal->entries)
        for (const std::optional<FileIdentity>& id : {e.oldId, e.newId, e.keptId})
          if (id == IdentityOf(st)) return true;
    }
  }
  return false;
}

// ---- What a notice claims --------------------------------------------------------

// Where the quoted text that begins at `at` of `text` ends; npos where none
// begins there or it does not end.
size_t QuoteEnd(const std::string& text, size_t at) {
  if (at >= text.size() || text[at] != '\'') return std::string::npos;
  for (size_t i = at + 1; i < text.size(); ++i) {
    if (text[i] != '\'') continue;
    if (i + 1 < text.size() && text[i + 1] == '\'') ++i;
    else return i + 1;
  }
  return std::string::npos;
}

// The text of `token`, a name or path in single quotes ('' a quote, \xNN the
// byte NN); nothing when it is not one.
std::optional<std::string> Unquoted(const std::string& token) {
  if (QuoteEnd(token, 0) != token.size()) return std::nullopt;
  std::string out;
  for (size_t i = 1; i + 1 < token.size(); ++i) {
    if (token[i] == '\'') ++i;
    if (token[i] != '\\') {
      out += token[i];
      continue;
    }
    unsigned byte = 0;
    const char* from = token.data() + i + 2;
    if (i + 4 >= token.size() || token[i + 1] != 'x' || std::from_chars(from, from + 2, byte, 16).ptr != from + 2)
      return std::nullopt;
    out += static_cast<char>(byte);
    i += 3;
  }
  return out;
}

// `text` split at each of `joints` that stands outside quotes.
std::vector<std::string> SplitOutsideQuotes(const std::string& text, std::initializer_list<std::string_view> joints) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < text.size();) {
    const auto joint = std::find_if(joints.begin(), joints.end(),
                                    [&](std::string_view j) { return text.compare(i, j.size(), j) == 0; });
    if (const size_t end = QuoteEnd(text, i); end != std::string::npos) {
      parts.back() += text.substr(i, end - i);
      i = end;
    } else if (joint != joints.end()) {
      parts.emplace_back();
      i += joint->size();
    } else {
      parts.back() += text[i++];
    }
  }
  return parts;
}

// A notice's words about one target, and what the folders must hold for
// them to be true.
struct Subject {
  const WalkTarget& t;
  fs::path file;  // the file the words are of: the target, or where its link leads
  const UserChange* edit;  // the user's edit of it, if any
  Held Edited() const { return HeldAt(file, t, edit); }
  std::optional<std::string> Bytes() const { return ReadFile(file); }
};

// What `s` says of its target before any "; ", and whether that is true.
// Nothing where the judge does not know the words.
std::optional<bool> MainClaim(const Subject& s, const std::string& words) {
  const bool there = Exists(s.file);
  const std::optional<std::string> bytes = s.Bytes();
  if (words == " holds its earlier file") return s.t.before && bytes == s.t.before;
  if (words == " holds the new file") return bytes == s.t.after;
  if (words == " is not there, as before the run") return !s.t.before && !there;
  if (words == " is not there now" || words == " is not there") return !there;
  if (words == " holds a file that was put there since") return !s.t.before && there && bytes != s.t.after;
  if (words == " was not replaced, but it was changed since")
    return s.Edited() == Held::kEarlier && there && bytes != s.t.before;
  if (words == " was not replaced") return s.Edited() == Held::kEarlier;
  if (words == " was replaced by the new file, but it was changed since")
    return s.Edited() == Held::kNew && bytes != s.t.after;
  if (words == " was replaced by the new file") return s.Edited() == Held::kNew;
  if (words.starts_with(" could not be looked at (") && words.ends_with(")")) {
    struct stat st {};
    return ::lstat(s.file.c_str(), &st) != 0 && errno != ENOENT;
  }
  return std::nullopt;
}

// The regular file `path`, made by this user: a file a run of ours makes.
bool OursAt(const fs::path& path, const fs::path& beside) {
  struct stat st {}, folder {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
         ::stat(beside.parent_path().c_str(), &folder) == 0 && st.st_dev == folder.st_dev;
}

bool IsRunFileAt(const fs::path& path) { return IsRunFile(path.filename().string()) && Exists(path); }

// What `s` says after a "; " of the run's files, and whether that is true;
// `gone` tells whether a version's bytes are nowhere among the folders'
// files. Nothing where the judge does not know the words.
std::optional<bool> RunFileClaim(const Subject& s, const std::string& words,
                                 const std::function<bool(const std::string&)>& gone) {
  const size_t end = QuoteEnd(words, 0);
  const std::optional<std::string> quoted =
      end == std::string::npos ? std::nullopt : Unquoted(words.substr(0, end));
  const std::string rest = end == std::string::npos ? words : words.substr(end);
  // A clause that begins so names a run's file after it.
  auto named = [&](const std::string& lead) -> std::optional<fs::path> {
    if (!words.starts_with(lead)) return std::nullopt;
    const std::string token = words.substr(lead.size());
    const std::optional<std::string> path = Unquoted(token.substr(0, token.find(", but ")));
    if (!path || !fs::path(*path).is_absolute()) return std::nullopt;
    return fs::path(*path);
  };
  if (quoted && fs::path(*quoted).is_absolute()) {
    const fs::path path = *quoted;
    if (rest == " is a second name of it") {
      struct stat a {}, b {};
      return ::lstat(path.c_str(), &a) == 0 && S_ISREG(a.st_mode) && ::stat(s.file.c_str(), &b) == 0 &&
             a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    }
    if (rest == " is not a file of the run") return Exists(path) && !OursAt(path, s.file);
    return std::nullopt;
  }
  if (words == "its earlier file is gone") return s.t.before && gone(*s.t.before);
  if (words == "it had no earlier file") return !s.t.before;
  if (const auto kept = named("its earlier file is kept as "))
    return IsRunFileAt(*kept) && s.t.before && ReadFile(*kept) == s.t.before;
  if (const auto waiting = named("the new file waits as ")) {
    if (words.ends_with(", but may not be whole")) return IsRunFileAt(*waiting) && OursAt(*waiting, s.file);
    if (words.find(", but ") != std::string::npos) return std::nullopt;
    return IsRunFileAt(*waiting) && ReadFile(*waiting) == s.t.after;
  }
  return std::nullopt;
}

// When `path` was made, where its file system keeps that.
std::optional<struct timespec> Born(const fs::path& path) {
  struct statx sx {};
  if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME, &sx) != 0 || !(sx.stx_mask & STATX_BTIME))
    return std::nullopt;
  return timespec{sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec};
}

// What a line of a run's file that stands for no target says of it, and
// whether that is true; `aside` is the journal set aside. Nothing where the
// judge does not know the words.
std::optional<bool> OtherFileClaim(const SetWalk& walk, const std::string& line, const fs::path& aside,
                                   const std::optional<UserChange>& change) {
  const size_t end = QuoteEnd(line, 0);
  const std::optional<std::string> path = end == std::string::npos ? std::nullopt : Unquoted(line.substr(0, end));
  if (!path || !fs::path(*path).is_absolute()) return std::nullopt;
  const std::string rest = line.substr(end);
  if (rest == " is a file of an earlier run, made before the journal.") {
    struct stat st {};
    const std::optional<struct timespec> made = Born(aside);
    return IsRunFileAt(*path) && made && ::lstat(path->c_str(), &st) == 0 &&
           (st.st_ctim.tv_sec != made->tv_sec ? st.st_ctim.tv_sec < made->tv_sec : st.st_ctim.tv_nsec < made->tv_nsec);
  }
  for (const bool kept : {true, false}) {
    const std::string lead = kept ? " holds an earlier file of " : " holds a new file of ";
    if (!rest.starts_with(lead) || !rest.ends_with(" bytes.")) continue;
    const std::string number = rest.substr(lead.size(), rest.size() - lead.size() - 7);
    size_t size = 0;
    if (std::from_chars(number.data(), number.data() + number.size(), size).ptr != number.data() + number.size())
      return std::nullopt;
    const std::optional<std::string> bytes = ReadFile(*path);
    // A new file may be cut short where the run was killed writing it.
    bool version = false;
    for (const WalkTarget& t : walk.targets)
      version = version || (kept ? bytes == t.before : bytes && t.after.starts_with(*bytes));
    if (change && !change->gone && bytes == change->bytes) version = true;
    return IsRunFileAt(*path) && bytes && bytes->size() == size && version;
  }
  return std::nullopt;
}

// How a notice may name a target, and the file its words are then of.
using Naming = std::vector<std::pair<std::string, fs::path>>;

// The lines of `notice` before its ways, each claim against the folders of
// `walk`: the headline, one line a target (named as one of `shown`) and the
// lines of run files that stand for no target. Each untrue claim, and each
// line the judge cannot read, goes to `fail`.
void JudgeWords(const SetWalk& walk, const std::optional<UserChange>& change, const std::vector<Naming>& shown,
                const Told& told, const std::string& notice,
                const std::function<void(const std::string& kind, const std::string& what)>& fail) {
  const size_t n = walk.targets.size();
  // No name in quotes holds a line break: the notice writes it as \x0A.
  std::vector<std::string> lines;
  for (size_t at = 0; at <= notice.size();) {
    const size_t end = std::min(notice.find('\n', at), notice.size());
    lines.push_back(notice.substr(at, end - at));
    at = end + 1;
  }
  auto untrue = [&](const std::string& claim, const std::string& line) {
    fail("claim untrue: \"" + claim + "\"", line);
  };
  // The bytes of the set's files and the run's (and of the file the user
  // renamed away): a version none of them holds is gone. The journal set
  // aside lies in the set's folder.
  std::set<std::string> held;
  fs::path aside;
  for (const WalkTarget& t : walk.targets)
    if (const std::optional<std::string> b = ReadFile(t.path)) held.insert(*b);
  if (change && !change->renamed.empty())
    if (const std::optional<std::string> b = ReadFile(change->renamed)) held.insert(*b);
  for (const fs::path& folder : walk.folders) {
    for (const std::string& name : Names(folder)) {
      if (IsAside(name) && folder == walk.folders.front()) aside = folder / name;
      for (std::string_view mark : kProgramMarks)
        if (set_journal::IsRunFileName(name, mark))
          if (const std::optional<std::string> b = ReadFile(folder / name)) held.insert(*b);
    }
  }
  const auto gone = [&](const std::string& bytes) { return !held.count(bytes); };

  // The headline: what the run left, and of which files.
  const std::vector<Held> h = HeldBy(walk, change);
  const std::string& head = lines.front();
  const std::string where = " in the folder " + set_journal::Quoted(walk.folders.front().native());
  const size_t in = head.find(where);
  const std::string lead = head.substr(0, in), tail = in == std::string::npos ? "" : head.substr(in + where.size());
  const std::string by = "An interrupted run of ";
  const size_t verb = lead.find(' ', by.size());
  const std::string said = verb == std::string::npos ? "" : lead.substr(verb);
  std::vector<std::string> names;
  for (const WalkTarget& t : walk.targets) names.push_back(set_journal::ShownName(t.path.filename().native()));
  const std::string set = set_journal::NameList(names);
  bool perTarget = true, noneLeft = false;
  if (!lead.starts_with(by) || in == std::string::npos) {
    fail("a headline the judge cannot read", head);
  } else if (tail == " half replaced. Now:" && (said == " may have left " + set || said == " may have left files")) {
  } else if (tail == " half replaced. Now:" && (said == " left " + set || said == " left files")) {
    if (!Mixed(h) || !AllTold(walk, told)) untrue("left <set> half replaced", head);
  } else if (tail == "; the set is whole. Now:" &&
             (said == " left files of its own beside " + set || said == " left files of its own beside files")) {
    if (!Whole(h) || !AllTold(walk, told)) untrue("left files of its own beside <set>; the set is whole", head);
  } else if (tail == "; the set is whole. Now:" && said == " left none of its files") {
    perTarget = false;
    noneLeft = true;
    if (!Whole(h)) untrue("left none of its files; the set is whole", head);
  } else if (said == " may have left files" &&
             (tail == " half replaced, and which file of the set each of its files stands for cannot be told. Now:" ||
              tail.starts_with(" half replaced, and what to do could not be told: "))) {
    perTarget = false;
  } else {
    fail("a headline the judge cannot read", head);
  }

  // A line for each target, what its name holds, then what its run's files
  // do; and the run's files that stand for none.
  std::vector<size_t> lined(n, 0);
  std::set<fs::path> earlierRuns;  // the files named as an earlier run's
  for (size_t i = 1; i < lines.size() && !lines[i].starts_with("To ") && !lines[i].starts_with(kUntoldWay); ++i) {
    const std::string& line = lines[i];
    if (line.starts_with("No file has the identity that the journal records for it")) {
      if (IdentityKnown(walk, told)) untrue("No file has the identity that the journal records for it", line);
      continue;
    }
    // Whose line it is: a target's by the name the notice gives it, or by
    // its number where the notice cannot tell its name ("File 2 of 3 of the
    // set"); and what it says of that target.
    std::optional<size_t> k;
    std::string rest;
    fs::path file;
    size_t longest = 0;
    for (size_t t = 0; t < n; ++t) {
      for (const auto& [name, of] : shown[t]) {
        for (const std::string& subject : {name, "Which file " + name + " holds"}) {
          if (line.starts_with(subject + " ") && subject.size() > longest) {
            k = t, longest = subject.size(), file = of;
            rest = line.substr(subject.size());
          }
        }
      }
    }
    for (const std::string lead : {"File ", "Which file is file "}) {
      if (k || !line.starts_with(lead)) continue;
      size_t number = 0, count = 0;
      const char* end = line.data() + line.size();
      auto [p, e] = std::from_chars(line.data() + lead.size(), end, number);
      if (e != std::errc() || std::string_view(p, end - p).substr(0, 4) != " of ") continue;
      auto [q, e2] = std::from_chars(p + 4, end, count);
      if (e2 == std::errc() && count == n && number >= 1 && number <= n &&
          std::string_view(q, end - q).starts_with(" of the set ")) {
        k = number - 1;
        rest = std::string(q + 11, end);
        file = walk.targets[*k].path;
      }
    }
    if (!k) {
      const std::optional<bool> claim = OtherFileClaim(walk, line, aside, change);
      if (claim && line.ends_with(" is a file of an earlier run, made before the journal."))
        earlierRuns.insert(*Unquoted(line.substr(0, QuoteEnd(line, 0))));
      if (!claim) fail("a line the judge cannot read", line);
      else if (!*claim) untrue("<F>" + line.substr(QuoteEnd(line, 0)), line);
      continue;
    }
    ++lined[*k];
    if (!rest.ends_with(".")) {
      fail("a line the judge cannot read", line);
      continue;
    }
    const std::vector<std::string> clauses = SplitOutsideQuotes(rest.substr(0, rest.size() - 1), {"; "});
    const Subject s{walk.targets[*k], file, ChangeOf(change, *k)};
    // "Which file ... cannot be told" claims nothing of the file.
    const std::optional<bool> main = clauses[0] == " cannot be told" ? true : MainClaim(s, clauses[0]);
    if (!main) fail("a line the judge cannot read", line);
    else if (!*main) untrue("<T>" + clauses[0], line);
    for (size_t c = 1; c < clauses.size(); ++c) {
      const std::optional<bool> claim = RunFileClaim(s, clauses[c], gone);
      if (!claim) fail("a line the judge cannot read", line);
      // The claim's kind without the file it names.
      else if (!*claim) untrue("<T>...; " + (QuoteEnd(clauses[c], 0) == std::string::npos
                                                ? clauses[c].substr(0, clauses[c].find(" '"))
                                                : "<F>" + clauses[c].substr(QuoteEnd(clauses[c], 0))),
                               line);
    }
  }
  for (size_t k = 0; k < n && perTarget; ++k)
    if (lined[k] != 1)
      fail(lined[k] == 0 ? "no line for a target" : "more than one line for a target", walk.targets[k].path.filename());
  if (!perTarget && std::find(lined.begin(), lined.end(), 1) != lined.end())
    fail("a target's line where the headline says its files tell none", "");
  for (const fs::path& folder : walk.folders)
    for (const std::string& name : Names(folder))
      if (noneLeft && IsRunFileAt(folder / name) && !earlierRuns.count(folder / name))
        untrue("left none of its files", head + "\n      " + name + " is left");
}

std::string ShortWay(const std::string& way) {
  std::string s = way;
  if (s.ends_with(", ")) s.resize(s.size() - 2);
  return "way '" + s + "'";
}

}  // namespace

// ---- Following a way -------------------------------------------------------------

bool FollowedWay::AllPossible() const {
  return std::all_of(steps.begin(), steps.end(), [](const Step& s) { return s.possible; });
}

FollowedWay Follow(const fs::path& root, const fs::path& setFolder, const std::string& notice, const std::string& way) {
  FollowedWay f;
  const size_t at = notice.find("\n" + way);
  if (at == std::string::npos) return f;
  f.offered = true;
  const size_t end = notice.find('\n', at + 1);
  const size_t from = at + 1 + way.size();
  std::string text = notice.substr(from, end == std::string::npos ? std::string::npos : end - from);
  if (way == kUntoldWay) {
    const size_t colon = text.find(": ");
    if (colon == std::string::npos) {
      f.unreadable = "no steps after \"" + way + "\"";
      return f;
    }
    text.erase(0, colon + 2);
    for (const std::string keep : {"to keep every version, "})
      if (text.starts_with(keep)) text.erase(0, keep.size());
  }
  if (text.ends_with(".")) text.pop_back();

  f.root = root.string() + "-followed";
  f.folder = Moved(setFolder, root, f.root);
  std::error_code ec;
  fs::remove_all(f.root, ec);
  fs::copy(root, f.root, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
  if (ec) {
    f.unreadable = "the copy of " + root.string() + " failed: " + ec.message();
    return f;
  }
  auto place = [&](const std::string& words, fs::path& path) {
    std::string name = words;
    if (words.starts_with("'")) {
      const std::optional<std::string> text = Unquoted(words);
      if (!text) {
        f.unreadable = words + " is not in quotes as a name is";
        return false;
      }
      const fs::path full = *text;
      const fs::path inside = full.lexically_relative(root);
      if (full.is_absolute() && (inside.empty() || *inside.begin() == "..")) {
        f.unreadable = "the name " + words + " is no full path beneath " + root.string();
        return false;
      }
      if (full.is_absolute()) {
        path = f.root / inside;
        return true;
      }
      name = *text;
    } else if (name.find('\'') != std::string::npos) {
      name.clear();
    }
    if (name.empty() || name.find('/') != std::string::npos) {
      f.unreadable = "\"" + words + "\" is no name of a file";
      return false;
    }
    path = f.folder / name;
    return true;
  };
  int own = 0;
  auto step = [&](const std::string& words, const fs::path& from, const std::optional<fs::path>& onto) {
    FollowedWay::Step& s = f.steps.emplace_back();
    s.words = words;
    if (!Exists(from)) {
      s.why = from.filename().string() + " is not there";
      return;
    }
    fs::path to;
    if (onto) {
      to = *onto;
    } else if (!words.starts_with("delete ")) {
      do to = from.parent_path() / ("mine-" + std::to_string(++own));
      while (Exists(to));
    }
    std::error_code err;
    if (to.empty()) fs::remove(from, err);
    else fs::rename(from, to, err);
    s.possible = !err;
    if (err) s.why = err.message();
  };
  std::string verb;
  std::vector<std::string> pending;  // renamed "to names of your own" at the end of their list
  // The sentence split where NameList and the steps join their parts.
  for (std::string part : SplitOutsideQuotes(text, {", ", " and "})) {
    for (const std::string lead : {"and ", "then "})
      if (part.starts_with(lead)) part.erase(0, lead.size());
    if (part.starts_with("check ")) break;
    for (const std::string v : {"rename ", "delete "}) {
      if (!part.starts_with(v)) continue;
      if (!pending.empty()) {
        f.unreadable = "\"rename " + pending.front() + "\" says not where to";
        return f;
      }
      verb = v;
      part.erase(0, v.size());
    }
    if (verb.empty()) {
      f.unreadable = "\"" + part + "\" is no step";
      return f;
    }
    fs::path from;
    if (verb == "delete ") {
      if (!place(part, from)) return f;
      step("delete " + part, from, std::nullopt);
      continue;
    }
    if (const std::vector<std::string> onto = SplitOutsideQuotes(part, {" onto "}); onto.size() == 2) {
      fs::path to;
      if (!pending.empty() || !place(onto[0], from) || !place(onto[1], to)) {
        if (f.unreadable.empty()) f.unreadable = "\"rename " + pending.front() + "\" says not where to";
        return f;
      }
      step("rename " + part, from, to);
      continue;
    }
    bool ends = false;
    for (const std::string tail : {" to a name of your own", " to names of your own"}) {
      if (!part.ends_with(tail)) continue;
      part.erase(part.size() - tail.size());
      ends = true;
    }
    pending.push_back(part);
    if (!ends) continue;
    for (const std::string& name : pending) {
      if (!place(name, from)) return f;
      step("rename " + name + " to a name of your own", from, std::nullopt);
    }
    pending.clear();
  }
  if (!pending.empty()) f.unreadable = "\"rename " + pending.front() + "\" says not where to";
  return f;
}

namespace {

// ---- Damages ----------------------------------------------------------------------

// A field as a label shows it: in quotes, shortened, its control bytes
// written as \xNN.
std::string Quoted(std::string_view field) {
  std::string text = set_journal::Printable(field.substr(0, 24));
  return "'" + text + (field.size() > 24 ? "...'" : "'");
}

// Another printable byte of the same kind: a digit for a digit, a letter
// for a letter.
char Other(char c) {
  if (c >= '0' && c <= '9') return c == '9' ? '8' : static_cast<char>(c + 1);
  if (c >= 'a' && c <= 'z') return c == 'z' ? 'y' : static_cast<char>(c + 1);
  if (c >= 'A' && c <= 'Z') return c == 'Z' ? 'Y' : static_cast<char>(c + 1);
  return c == 'x' ? 'y' : 'x';
}

}  // namespace

std::vector<JournalDamage> JournalDamages(const std::string& journal) {
  std::vector<JournalDamage> out;
  if (journal.find_first_not_of('\0') == std::string::npos) return out;
  struct Field {
    size_t begin, size;
  };
  std::vector<Field> fields;
  for (size_t at = 0; at < journal.size();) {
    const size_t nul = journal.find('\0', at);
    fields.push_back({at, (nul == std::string::npos ? journal.size() : nul) - at});
    if (nul == std::string::npos) break;
    at = nul + 1;
  }
  const auto text = [&](const Field& f) { return std::string_view(journal).substr(f.begin, f.size); };
  // The first record: up to the check sum after "staged", or all there is.
  size_t first = fields.size();
  for (size_t i = 0; i + 1 < fields.size(); ++i)
    if (text(fields[i]) == "staged") {
      first = i + 2;
      break;
    }
  const size_t second = first < fields.size() ? fields[first].begin : journal.size();
  auto add = [&](std::string label, std::string bytes) {
    if (bytes != journal) out.push_back({std::move(label), std::move(bytes)});
  };
  auto name = [&](size_t i) {
    return "field " + std::to_string(i < first ? i + 1 : i - first + 1) + " " + Quoted(text(fields[i])) +
           (i < first ? " of the first record" : " of the second record");
  };
  // Inside a field: at least one byte of it, never its NUL.
  auto inside = [&](const Field& f) { return journal.substr(0, f.begin + std::max<size_t>(1, f.size / 2)); };
  add("zeroed", std::string(journal.size(), '\0'));
  for (size_t i = 0; i < first; ++i) {
    if (fields[i].size > 0) add("cut inside " + name(i), inside(fields[i]));
    // Just after the last one is just before the second record.
    if (i + 1 < first) add("cut just after " + name(i), journal.substr(0, fields[i].begin + fields[i].size + 1));
  }
  if (first < fields.size()) {
    add("cut exactly before the second record", journal.substr(0, second));
    for (size_t i = first; i < fields.size(); ++i)
      if (fields[i].size > 0) add("cut inside " + name(i), inside(fields[i]));
  }
  for (size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].size == 0) continue;
    std::string bytes = journal;
    char& c = bytes[fields[i].begin + fields[i].size / 2];
    c = Other(c);
    add("one byte changed in " + name(i), bytes);
  }
  if (first < fields.size())
    add("the second record lost to NULs", journal.substr(0, second) + std::string(journal.size() - second, '\0'));
  return out;
}

// ---- Judging a state ---------------------------------------------------------------

namespace {

// The ways that what the folders of `walk` hold proves, each of them
// whole, by the writer's order and the names of the run's files: to keep
// the files as they stand, where each stands holding one version; to go
// back, where each target that does not hold its earlier file had none or
// still has it among the run's files; to make them all new, where a kept
// file or a target already replaced says that every new file was written
// whole, and each target holds its new file or has it among the run's
// files. A step on a target whose name is not there needs that name told:
// by the journal set aside, or by the fixed names of the program.
std::vector<std::string> WaysToBeHad(const SetWalk& walk, const std::optional<UserChange>& change, const Told& told) {
  // What no file proves is its earlier version, though the user may have
  // taken the new one away.
  std::vector<Held> h = HeldBy(walk, change);
  std::replace(h.begin(), h.end(), Held::kEither, Held::kEarlier);
  const std::set<std::string> runBytes = BytesOf(walk, IsRunFile);
  if (!told.files) return {};
  bool keptFile = false, replaced = false;
  for (const fs::path& f : walk.folders)
    for (const std::string& name : Names(f)) keptFile = keptFile || (IsRunFile(name) && name.ends_with(".old"));
  bool keep = Whole(h), back = !All(h, Held::kEarlier), forward = !All(h, Held::kNew);
  for (size_t k = 0; k < walk.targets.size(); ++k) {
    const WalkTarget& t = walk.targets[k];
    const bool stands = Reached(t.path) || (!t.before && h[k] == Held::kEarlier);
    replaced = replaced || HeldAt(t.path, t, nullptr) == Held::kNew;
    keep = keep && stands;
    back = back && ((stands && h[k] == Held::kEarlier) || (told.name[k] && (!t.before || runBytes.count(*t.before))));
    forward = forward && ((stands && h[k] == Held::kNew) || (told.name[k] && runBytes.count(t.after)));
  }
  std::vector<std::string> ways;
  if (keep) ways.push_back(kKeepWay);
  if (back) ways.push_back(kBackWay);
  if (forward && (keptFile || replaced)) ways.push_back(kNewWay);
  return ways;
}

}  // namespace

NoticeJudgement JudgeState(const SetWalk& walk, const std::optional<UserChange>& change, const std::string& where) {
  NoticeJudgement j;
  j.scenarios = 1;
  const fs::path& folder = walk.folders.front();
  // Each target as the notice names it: by its name in the set's folder,
  // or, where that is a link, by the full path of the file it leads to.
  std::vector<bool> links;
  std::vector<Naming> shown;
  for (size_t k = 0; k < walk.targets.size(); ++k) {
    const fs::path& path = walk.targets[k].path;
    const UserChange* c = ChangeOf(change, k);
    std::error_code ec;
    links.push_back(fs::is_symlink(path));
    const fs::path file = c ? c->file : links.back() ? fs::weakly_canonical(path, ec) : path;
    shown.push_back({{links.back() ? set_journal::Quoted(file.native()) : set_journal::ShownName(path.filename().native()), file}});
  }
  const std::string held = Describe(walk);
  const std::set<std::string> before = Versions(walk);
  const SetRecovery r = RecoverSet(folder);
  std::string lines;
  for (const std::string& line : r.lines) lines += "\n        " + line;
  const std::string report = "held: " + held + "\n      after the recovery: " + Describe(walk) +
                             "\n      its lines:" + (lines.empty() ? " (none)" : lines);
  auto fail = [&](const std::string& kind, const std::string& what, const std::string& notice) {
    j.failures.push_back({kind, where, what + (what.empty() ? "" : "\n      ") + report, notice});
  };
  if (r.Readable() && !AsideLies(walk)) {
    const std::vector<Held> h = HeldBy(walk, change);
    if (!Whole(h)) fail("read as it stands, but not whole", "", "");
    if (const std::string lost = LinksLost(walk, links); !lost.empty())
      fail("read as it stands, but a link of the user's is a file now", lost, "");
    if (const std::string left = RunFilesLeft(walk); !left.empty())
      fail("read as it stands, but a file of a run is left", left, "");
    if (!ChangeKept(walk, walk.root, change, Versions(walk))) fail("read as it stands, but the user's change is lost", "", "");
    return j;
  }
  ++j.notices;
  const std::string notice = RecoverSet(folder).Refusal();
  if (r.asides.empty() && !AsideLies(walk)) {
    fail(r.busy ? "not read, and no notice: the folder is busy" : "not read, and no notice: a journal is in force",
         notice, notice);
    return j;
  }
  const Told told = Tell(walk);
  JudgeWords(walk, change, shown, told, notice,
             [&](const std::string& kind, const std::string& what) { fail(kind, what, notice); });
  for (const std::string& way : WaysToBeHad(walk, change, told))
    if (notice.find("\n" + way) == std::string::npos)
      fail(ShortWay(way) + " is there to be had, but not offered", "", notice);
  // Each way, followed.
  bool offered = false;
  for (const std::string way : kWays) {
    const FollowedWay f = Follow(walk.root, folder, notice, way);
    if (!f.offered) continue;
    ++j.ways;
    const bool untold = way == kUntoldWay;
    offered = offered || !untold;
    const std::string name = ShortWay(way);
    if (!f.unreadable.empty()) {
      fail(name + ": a sentence the follower cannot parse", f.unreadable, notice);
      continue;
    }
    const SetWalk copy = InCopy(walk, f.root);
    std::string steps;
    for (const FollowedWay::Step& s : f.steps)
      steps += "\n        " + s.words + (s.possible ? "" : " - not possible: " + s.why);
    const std::string followed = "steps:" + steps + "\n      after them: " + Describe(copy);
    if (!f.AllPossible()) fail(name + ": a step is not possible", followed, notice);
    const std::set<std::string> now = Versions(copy);
    std::string lost;
    for (const std::string& v : before)
      if (!now.count(v))
        lost += "\n        " + std::to_string(v.size()) + " bytes \"" + set_journal::Printable(v.substr(0, 40)) + "\"";
    if (!lost.empty()) fail(name + ": a version is lost", "lost:" + lost + "\n      " + followed, notice);
    if (!ChangeKept(copy, walk.root, change, now)) fail(name + ": the user's change is lost", followed, notice);
    const bool whole = Whole(HeldBy(copy, change, &told.earlier));
    if (!untold && whole) ++j.whole;
    if (!untold && !whole) fail(name + ": the set is not whole after it", followed, notice);
    const SetRecovery next = RecoverSet(f.folder);
    if (!next.Readable() || next.attention || !next.lines.empty())
      fail(name + ": the next run does not read the set without a word",
           followed + "\n      the next run: " + next.Text() + next.Refusal(), notice);
  }
  // Only a target deleted or renamed away can take every way's proof.
  if (!offered && !(change && change->gone))
    fail(notice.find("\n" + std::string(kUntoldWay)) != std::string::npos ? "no way offered but \"cannot be told\""
                                                                          : "no way offered",
         "", notice);
  return j;
}

// ---- Every state of a writer -------------------------------------------------------

namespace {

// Clears the folders of `walk` and lays out its files as before the writer.
void Fresh(const SetWalk& walk) {
  for (const fs::path& folder : walk.folders) {
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder);
  }
  walk.make();
  if (walk.reset) walk.reset();
}

// The journal that lies in the set's folder, if any.
std::optional<fs::path> JournalOf(const SetWalk& walk) {
  for (std::string_view mark : kProgramMarks) {
    const fs::path path = walk.folders.front() / set_journal::JournalName(mark);
    std::error_code ec;
    if (fs::is_regular_file(fs::symlink_status(path, ec))) return path;
  }
  return std::nullopt;
}

// Writes `bytes` into the file `path` in place: the same inode and mode.
void Overwrite(const fs::path& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  if (!f) throw std::runtime_error("cannot open " + path.string());
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fflush(f) == 0 &&
                       ::ftruncate(::fileno(f), static_cast<off_t>(bytes.size())) == 0;
  std::fclose(f);
  if (!written) throw std::runtime_error("cannot write " + path.string());
}

// The changes a user may make after the kill: none, the first target
// edited in place (through its link, as an editor that saves in place),
// the last one saved over by a new file renamed onto it, the first one
// deleted, the second one renamed away to a name of the user's own beside
// it (each the file its link leads to).
enum class Change { kNone, kInPlace, kRenamed, kDeleted, kRenamedAway };
constexpr Change kChanges[] = {Change::kNone, Change::kInPlace, Change::kRenamed, Change::kDeleted,
                               Change::kRenamedAway};

size_t TargetOf(const SetWalk& walk, Change c) {
  return c == Change::kRenamed ? walk.targets.size() - 1 : c == Change::kRenamedAway ? 1 : 0;
}

// Makes `c` to the target it changes, which must be there.
std::optional<UserChange> Make(const SetWalk& walk, Change c) {
  if (c == Change::kNone) return std::nullopt;
  UserChange u;
  u.target = TargetOf(walk, c);
  const WalkTarget& t = walk.targets[u.target];
  const std::optional<std::string> bytes = ReadFile(t.path);
  if (bytes == t.after) u.ofNew = true;
  else if (bytes == t.before) u.ofNew = false;
  std::error_code ec;
  u.file = fs::is_symlink(t.path) ? fs::weakly_canonical(t.path, ec) : t.path;
  u.what = c == Change::kInPlace  ? "the first target edited in place"
           : c == Change::kRenamed ? "the last target saved over by a new file"
           : c == Change::kDeleted ? "the first target deleted"
                                   : "the second target renamed away";
  u.what += !u.ofNew ? " (it held another file)" : *u.ofNew ? " (it held the new file)" : " (it held its earlier file)";
  u.gone = c == Change::kDeleted || c == Change::kRenamedAway;
  u.bytes = u.gone ? *bytes
                   : "the user's own " + t.path.filename().string() +
                         (u.ofNew && *u.ofNew ? ", once new" : ", once earlier") + "\r\n";
  if (c == Change::kInPlace) {
    Overwrite(t.path, u.bytes);
  } else if (c == Change::kRenamed) {
    const fs::path saved = u.file.parent_path() / ".saved by the user";
    WriteFile(saved, u.bytes);
    fs::rename(saved, u.file);
  } else if (c == Change::kDeleted) {
    fs::remove(u.file);
  } else {
    u.renamed = u.file.parent_path() / (u.file.stem().string() + " (mine)" + u.file.extension().string());
    fs::rename(u.file, u.renamed);
  }
  return u;
}

// What tells one state from another: the names and what they hold, and
// which names share an inode.
std::string Key(const SetWalk& walk) {
  std::map<std::pair<dev_t, ino_t>, std::string> inodes;
  for (const fs::path& folder : walk.folders) {
    for (const std::string& name : Names(folder)) {
      struct stat st {};
      if (::lstat((folder / name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
        inodes[{st.st_dev, st.st_ino}] += " " + WithoutRunLetters(name);
    }
  }
  std::string key = Describe(walk);
  for (const auto& [inode, names] : inodes)
    if (names.find(' ', 1) != std::string::npos) key += " |" + names;
  return key;
}

}  // namespace

NoticeJudgement JudgeNotices(const SetWalk& walk, size_t putBack, size_t part, size_t parts) {
  NoticeJudgement all;
  // The stops: a kill at every step of a whole run (and the whole run);
  // then the rename of one target failing, and a kill at every later step
  // of the writer putting back what it had done (and its end).
  struct Stop {
    int failAt, killAt;
    std::string name;
  };
  auto stepName = [](const std::vector<std::string>& steps, size_t i) {
    return "\"" + WithoutRunLetters(steps[i]) + "\" (step " + std::to_string(i) + ")";
  };
  std::vector<Stop> stops;
  std::vector<std::string> steps;
  Fresh(walk);
  if (!RunStopped(-1, -1, walk.write, &steps)) {
    all.failures.push_back({"the writer fails without a stop", walk.name, Describe(walk), ""});
    return all;
  }
  for (size_t k = 0; k <= steps.size(); ++k)
    stops.push_back({-1, k < steps.size() ? static_cast<int>(k) : -1,
                     k < steps.size() ? "killed at " + stepName(steps, k) : "not stopped"});
  const fs::path& target = walk.targets.at(putBack).path;
  std::error_code ec;
  const std::string renamed =
      "rename " + (fs::is_symlink(target) ? fs::read_symlink(target, ec) : target).filename().string();
  const auto at = std::find(steps.begin(), steps.end(), renamed);
  if (at == steps.end()) {
    all.failures.push_back({"the writer has no step \"" + renamed + "\"", walk.name, Describe(walk), ""});
  } else {
    const int f = static_cast<int>(at - steps.begin());
    std::vector<std::string> undo;
    Fresh(walk);
    RunStopped(f, -1, walk.write, &undo);
    for (size_t k = static_cast<size_t>(f) + 1; k <= undo.size(); ++k)
      stops.push_back({f, k < undo.size() ? static_cast<int>(k) : -1,
                       "failed at " + stepName(steps, static_cast<size_t>(f)) + ", then " +
                           (k < undo.size() ? "killed at " + stepName(undo, k) : "not stopped")});
  }
  std::set<std::string> seen;
  for (const Stop& stop : stops) {
    if (part == 0) ++all.stops;
    auto make = [&] {
      Fresh(walk);
      RunStopped(stop.failAt, stop.killAt, walk.write);
    };
    make();
    // A state that another stop left too is judged once.
    if (!seen.insert(Key(walk)).second || (seen.size() - 1) % parts != part) continue;
    ++all.states;
    const std::optional<fs::path> journal = JournalOf(walk);
    const size_t damages = journal ? JournalDamages(*ReadFile(*journal)).size() : 0;
    std::vector<bool> there;
    for (const WalkTarget& t : walk.targets) there.push_back(ReadFile(t.path).has_value());
    bool first = true;
    for (size_t d = 0; d <= damages; ++d) {
      for (const Change c : kChanges) {
        if (c != Change::kNone && !there[TargetOf(walk, c)]) continue;
        if (!first) make();
        first = false;
        std::string damage = "undamaged";
        if (d > 0) {
          const std::optional<fs::path> now = JournalOf(walk);
          const std::vector<JournalDamage> list = now ? JournalDamages(*ReadFile(*now)) : std::vector<JournalDamage>{};
          if (list.size() != damages) {
            all.failures.push_back({"the journal differs from one run to the next", walk.name + ", " + stop.name,
                                    Describe(walk), ""});
            continue;
          }
          damage = list[d - 1].label;
          Overwrite(*now, list[d - 1].bytes);
        }
        const std::optional<UserChange> change = Make(walk, c);
        all.Add(JudgeState(walk, change, walk.name + ", " + stop.name + ", journal " + damage + ", " +
                                             (change ? change->what : "no change by the user")));
      }
    }
  }
  return all;
}

namespace {

// A judgement as the bytes of a file, and back: the counts on a line, then
// each text of each failure as its length on a line and its bytes.
std::string Report(const NoticeJudgement& j) {
  std::string text;
  for (const size_t n : {j.stops, j.states, j.scenarios, j.notices, j.ways, j.whole, j.failures.size()})
    text += std::to_string(n) + " ";
  text += "\n";
  for (const NoticeFailure& f : j.failures)
    for (const std::string* s : {&f.kind, &f.where, &f.detail, &f.notice})
      text += std::to_string(s->size()) + "\n" + *s;
  return text;
}

std::optional<NoticeJudgement> FromReport(const std::string& text) {
  NoticeJudgement j;
  size_t at = 0;
  auto number = [&](char end) -> std::optional<size_t> {
    const size_t stop = text.find(end, at);
    if (stop == std::string::npos) return std::nullopt;
    const size_t n = std::stoul(text.substr(at, stop - at));
    at = stop + 1;
    return n;
  };
  size_t* counts[] = {&j.stops, &j.states, &j.scenarios, &j.notices, &j.ways, &j.whole};
  for (size_t* n : counts) {
    const std::optional<size_t> v = number(' ');
    if (!v) return std::nullopt;
    *n = *v;
  }
  const std::optional<size_t> failures = number(' ');
  if (!failures || at >= text.size() || text[at++] != '\n') return std::nullopt;
  for (size_t i = 0; i < *failures; ++i) {
    NoticeFailure& f = j.failures.emplace_back();
    for (std::string* s : {&f.kind, &f.where, &f.detail, &f.notice}) {
      const std::optional<size_t> size = number('\n');
      if (!size || at + *size > text.size()) return std::nullopt;
      *s = text.substr(at, *size);
      at += *size;
    }
  }
  return j;
}

}  // namespace

std::vector<NoticeJudgement> JudgeApart(const std::vector<std::function<NoticeJudgement()>>& jobs,
                                        const fs::path& scratch) {
  std::vector<Child> children;
  for (size_t i = 0; i < jobs.size(); ++i) {
    const fs::path report = scratch / ("judged-" + std::to_string(i));
    children.emplace_back([&jobs, i, report] {
      WriteFile(report, Report(jobs[i]()));
      return 0;
    });
  }
  std::vector<NoticeJudgement> judged;
  for (size_t i = 0; i < jobs.size(); ++i) {
    const int status = children[i].Wait();
    const std::optional<std::string> text = ReadFile(scratch / ("judged-" + std::to_string(i)));
    std::optional<NoticeJudgement> j = status == 0 && text ? FromReport(*text) : std::nullopt;
    if (!j) {
      j.emplace();
      j->failures.push_back({"the judge did not finish", "job " + std::to_string(i),
                             "its process ended with status " + std::to_string(status), ""});
    }
    judged.push_back(std::move(*j));
  }
  return judged;
}

void NoticeJudgement::Add(const NoticeJudgement& other) {
  stops += other.stops;
  states += other.states;
  scenarios += other.scenarios;
  notices += other.notices;
  ways += other.ways;
  whole += other.whole;
  failures.insert(failures.end(), other.failures.begin(), other.failures.end());
}

std::string NoticeJudgement::Counts() const {
  return std::to_string(stops) + " stops, " + std::to_string(states) + " states, " + std::to_string(scenarios) +
         " scenarios, " + std::to_string(notices) + " notices, " + std::to_string(ways) + " ways followed, " +
         std::to_string(whole) + " ways whole; " + std::to_string(failures.size()) + " failures";
}

std::string NoticeJudgement::Summary() const {
  std::map<std::string, std::vector<const NoticeFailure*>> kinds;
  for (const NoticeFailure& f : failures) kinds[f.kind].push_back(&f);
  std::string text = std::to_string(failures.size()) + " failures of " + std::to_string(kinds.size()) + " kinds:\n";
  for (const auto& [kind, list] : kinds) text += "  " + std::to_string(list.size()) + " x " + kind + "\n";
  for (auto& [kind, list] : kinds) {
    text += "\n" + std::to_string(list.size()) + " x " + kind + ", for example:\n";
    // The shortest show the fault best; the second of another stop than
    // the first, where there is one.
    std::stable_sort(list.begin(), list.end(), [](const NoticeFailure* a, const NoticeFailure* b) {
      return a->detail.size() + a->notice.size() < b->detail.size() + b->notice.size();
    });
    const auto stop = [](const NoticeFailure* f) { return f->where.substr(0, f->where.find(", journal ")); };
    std::vector<const NoticeFailure*> shown = {list.front()};
    for (const NoticeFailure* f : list)
      if (shown.size() < 2 && stop(f) != stop(list.front())) shown.push_back(f);
    if (shown.size() < 2 && list.size() > 1) shown.push_back(list[1]);
    for (const NoticeFailure* example : shown) {
      const NoticeFailure& f = *example;
      text += "  - " + f.where + "\n      " + f.detail + "\n";
      if (!f.notice.empty()) {
        std::string notice = f.notice;
        for (size_t at = 0; (at = notice.find('\n', at)) != std::string::npos; at += 9)
          notice.replace(at, 1, "\n        ");
        text += "      the notice:\n        " + notice + "\n";
      }
    }
  }
  return text;
}

}  // namespace velk::test
