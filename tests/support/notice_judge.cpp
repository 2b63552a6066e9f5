#include "support/notice_judge.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <stdexcept>
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

// Which version a target holds: its file before the run (or no file, where
// it had none), the run's new file, or another.
enum class Held { kEarlier, kNew, kOther };

// What target `k` of `walk` holds; with `change`, the user's change of a
// version counts as that version.
Held HeldBy(const SetWalk& walk, size_t k, const std::optional<UserChange>& change) {
  const WalkTarget& t = walk.targets[k];
  const std::optional<std::string> bytes = ReadFile(t.path);
  if (change && change->target == k && bytes == change->bytes)
    return !change->ofNew ? Held::kOther : *change->ofNew ? Held::kNew : Held::kEarlier;
  std::error_code ec;
  if (!bytes) return !t.before && !fs::exists(fs::symlink_status(t.path, ec)) ? Held::kEarlier : Held::kOther;
  if (*bytes == t.after) return Held::kNew;
  return bytes == t.before ? Held::kEarlier : Held::kOther;
}

std::vector<Held> HeldBy(const SetWalk& walk, const std::optional<UserChange>& change) {
  std::vector<Held> held;
  for (size_t k = 0; k < walk.targets.size(); ++k) held.push_back(HeldBy(walk, k, change));
  return held;
}

bool Whole(const std::vector<Held>& held) {
  return std::all_of(held.begin(), held.end(), [](Held h) { return h == Held::kEarlier; }) ||
         std::all_of(held.begin(), held.end(), [](Held h) { return h == Held::kNew; });
}

// The targets that should be the user's links and are not any more.
std::string LinksLost(const SetWalk& walk, const std::vector<bool>& links) {
  std::string lost;
  for (size_t k = 0; k < walk.targets.size(); ++k)
    if (links[k] && !fs::is_symlink(walk.targets[k].path))
      lost += (lost.empty() ? "" : " ") + walk.targets[k].path.filename().string();
  return lost;
}

// How a notice names target `k` of `walk`: by its name in the set's folder,
// or for a link by the full path of the file it leads to, in quotes.
std::string Shown(const SetWalk& walk, size_t k, bool link) {
  const fs::path& path = walk.targets[k].path;
  if (!link) return path.filename().string();
  std::error_code ec;
  const fs::path file = fs::weakly_canonical(path, ec);
  return "'" + (ec ? path : file).string() + "'";
}

// What a notice claims of a target, and what must then be true of it: the
// very file of that version, or that version or the user's change of it.
struct Claim {
  const char* words;
  bool exactly;
  Held holds;
};
constexpr Claim kClaims[] = {
    {" holds its earlier file", true, Held::kEarlier},
    {" holds the new file", true, Held::kNew},
    {" was not replaced", false, Held::kEarlier},
    {" was replaced by the new file", false, Held::kNew},
};
// The headline's claims about the whole set.
constexpr const char* kHalfReplaced = " half replaced";
constexpr const char* kMayHave = "may have";
constexpr const char* kSetWhole = "the set is whole";

// `text` holds a line that begins with `words`.
bool HasLine(const std::string& text, const std::string& words) {
  return text.starts_with(words) || text.find("\n" + words) != std::string::npos;
}

std::string ShortWay(const std::string& way) {
  std::string s = way;
  if (s.ends_with(", ")) s.resize(s.size() - 2);
  return "way '" + s + "'";
}

// ---- Following a way -------------------------------------------------------------

// The sentence split where NameList and the steps join their parts, never
// inside a name in quotes.
std::vector<std::string> Parts(const std::string& text) {
  std::vector<std::string> parts;
  std::string part;
  bool quoted = false;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == '\'') quoted = !quoted;
    if (!quoted && text.compare(i, 2, ", ") == 0) {
      parts.push_back(part), part.clear(), i += 2;
    } else if (!quoted && text.compare(i, 5, " and ") == 0) {
      parts.push_back(part), part.clear(), i += 5;
    } else {
      part += text[i++];
    }
  }
  parts.push_back(part);
  return parts;
}

// Where ` onto ` splits a part, outside quotes.
size_t Onto(const std::string& part) {
  bool quoted = false;
  for (size_t i = 0; i < part.size(); ++i) {
    if (part[i] == '\'') quoted = !quoted;
    if (!quoted && part.compare(i, 6, " onto ") == 0) return i;
  }
  return std::string::npos;
}

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

}  // namespace

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
  auto place = [&](const std::string& name, fs::path& path) {
    if (name.size() >= 2 && name.front() == '\'' && name.back() == '\'') {
      const fs::path full = name.substr(1, name.size() - 2);
      const fs::path inside = full.lexically_relative(root);
      if (!full.is_absolute() || inside.empty() || *inside.begin() == "..") {
        f.unreadable = "the name " + name + " is no full path beneath " + root.string();
        return false;
      }
      path = f.root / inside;
      return true;
    }
    if (name.empty() || name.find('/') != std::string::npos || name.find('\'') != std::string::npos) {
      f.unreadable = "\"" + name + "\" is no name of a file";
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
  for (std::string part : Parts(text)) {
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
    if (const size_t onto = Onto(part); onto != std::string::npos) {
      fs::path to;
      const std::string a = part.substr(0, onto), b = part.substr(onto + 6);
      if (!pending.empty() || !place(a, from) || !place(b, to)) {
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

NoticeJudgement JudgeState(const SetWalk& walk, const std::optional<UserChange>& change, const std::string& where) {
  NoticeJudgement j;
  j.scenarios = 1;
  const fs::path& folder = walk.folders.front();
  std::vector<bool> links;
  std::vector<std::string> shown;
  for (size_t k = 0; k < walk.targets.size(); ++k) {
    links.push_back(fs::is_symlink(walk.targets[k].path));
    shown.push_back(Shown(walk, k, links.back()));
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
  auto kept = [&](const std::set<std::string>& now) {
    return !change || now.count(change->bytes) > 0;
  };
  if (r.Readable() && !AsideLies(walk)) {
    const std::vector<Held> h = HeldBy(walk, change);
    if (!Whole(h)) fail("read as it stands, but not whole", "", "");
    if (const std::string lost = LinksLost(walk, links); !lost.empty())
      fail("read as it stands, but a link of the user's is a file now", lost, "");
    if (const std::string left = RunFilesLeft(walk); !left.empty())
      fail("read as it stands, but a file of a run is left", left, "");
    if (!kept(Versions(walk))) fail("read as it stands, but the user's change is lost", "", "");
    return j;
  }
  ++j.notices;
  const std::string notice = RecoverSet(folder).Refusal();
  if (r.asides.empty() && !AsideLies(walk)) {
    fail(r.busy ? "not read, and no notice: the folder is busy" : "not read, and no notice: a journal is in force",
         notice, notice);
    return j;
  }
  // What the notice claims.
  const std::vector<Held> exact = HeldBy(walk, std::nullopt), h = HeldBy(walk, change);
  const std::string headline = notice.substr(0, notice.find('\n'));
  const std::set<Held> versions(h.begin(), h.end());
  if (headline.find(kHalfReplaced) != std::string::npos && headline.find(kMayHave) == std::string::npos &&
      versions.size() < 2)
    fail("claim untrue: \"" + std::string(kHalfReplaced) + "\" of a set that holds one version", "", notice);
  if (headline.find(kSetWhole) != std::string::npos && !Whole(h))
    fail("claim untrue: \"" + std::string(kSetWhole) + "\" of a set that is not", "", notice);
  for (size_t k = 0; k < walk.targets.size(); ++k)
    for (const Claim& c : kClaims)
      if (HasLine(notice, shown[k] + c.words) && (c.exactly ? exact[k] : h[k]) != c.holds)
        fail("claim untrue: \"<T>" + std::string(c.words) + "\"", shown[k] + c.words, notice);
  // Going back is there to be had where every target that holds its new
  // file had none before or still has its earlier one among the run's files:
  // the names of the run's files prove that, so the notice offers it.
  const std::set<std::string> runBytes = BytesOf(walk, IsRunFile);
  bool back = std::any_of(h.begin(), h.end(), [](Held v) { return v != Held::kEarlier; });
  for (size_t k = 0; k < walk.targets.size(); ++k) {
    const WalkTarget& t = walk.targets[k];
    back = back && (h[k] == Held::kEarlier || (h[k] == Held::kNew && (!t.before || runBytes.count(*t.before))));
  }
  if (back && notice.find("\n" + std::string(kBackWay)) == std::string::npos)
    fail(ShortWay(kBackWay) + " is there to be had, but not offered", "", notice);
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
    if (!kept(now)) fail(name + ": the user's change is lost", followed, notice);
    const bool whole = Whole(HeldBy(copy, change));
    if (!untold && whole) ++j.whole;
    if (!untold && !whole) fail(name + ": the set is not whole after it", followed, notice);
    const SetRecovery next = RecoverSet(f.folder);
    if (!next.Readable() || next.attention || !next.lines.empty())
      fail(name + ": the next run does not read the set without a word",
           followed + "\n      the next run: " + next.Text() + next.Refusal(), notice);
  }
  if (!offered)
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
// the last one saved over by a new file renamed onto it.
enum class Change { kNone, kInPlace, kRenamed };
constexpr Change kChanges[] = {Change::kNone, Change::kInPlace, Change::kRenamed};

// Makes `c` to the target it changes, which must be there.
std::optional<UserChange> Make(const SetWalk& walk, Change c) {
  if (c == Change::kNone) return std::nullopt;
  UserChange u;
  u.target = c == Change::kInPlace ? 0 : walk.targets.size() - 1;
  const WalkTarget& t = walk.targets[u.target];
  const std::optional<std::string> bytes = ReadFile(t.path);
  if (bytes == t.after) u.ofNew = true;
  else if (bytes == t.before) u.ofNew = false;
  u.what = c == Change::kInPlace ? "the first target edited in place" : "the last target saved over by a new file";
  u.what += !u.ofNew ? " (it held another file)" : *u.ofNew ? " (it held the new file)" : " (it held its earlier file)";
  u.bytes = "the user's own " + t.path.filename().string() + (u.ofNew && *u.ofNew ? ", once new" : ", once earlier") +
            "\r\n";
  if (c == Change::kInPlace) {
    Overwrite(t.path, u.bytes);
  } else {
    std::error_code ec;
    const fs::path file = fs::is_symlink(t.path) ? fs::weakly_canonical(t.path, ec) : t.path;
    const fs::path saved = file.parent_path() / ".saved by the user";
    WriteFile(saved, u.bytes);
    fs::rename(saved, file);
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
        if ((c == Change::kInPlace && !there.front()) || (c == Change::kRenamed && !there.back())) continue;
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
