#include "platform/file_set_journal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>

#include "platform/file_set.h"
#include "platform/text_file.h"

namespace velk::set_journal {

// The journal is a list of fields, each closed by a NUL, which no path can
// hold. Written when the run begins, as its first record: the head, the
// writing program's mark, the run's name, its writer (process and start
// time), the boot it runs in, the number of targets, each target's name with
// the file its link leads to ("-" for a name that is no link), "staged" and
// the check sum of all of it. Added in one write once every new file is
// ready, as its second record: "committed", the identities of each target's
// old file, new file and kept old file ("-" for none), the check sum of both
// records, and "end".
constexpr std::string_view kHead = "velk file set 3";
constexpr std::string_view kStaged = "staged";
constexpr std::string_view kCommitted = "committed";
constexpr std::string_view kEnd = "end";
constexpr std::string_view kNone = "-";
constexpr size_t kRunLength = 8;

namespace {

bool IsRunName(std::string_view run) {
  return run.size() == kRunLength && std::all_of(run.begin(), run.end(), [](char c) {
           return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
         });
}

// The time the process `pid` started, in clock ticks since the boot; a
// process number that is used again gets another.
std::optional<unsigned long long> ProcessStart(long pid) {
  const std::optional<std::string> stat = ReadFileBytes("/proc/" + std::to_string(pid) + "/stat");
  if (!stat) return std::nullopt;
  // The name in brackets may hold anything; the fields follow the last ")".
  const size_t close = stat->rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::string_view rest = std::string_view(*stat).substr(close + 1);
  // The start time is the 20th field after the name.
  for (int field = 0; field < 19; ++field) {
    rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(' ')));
    rest.remove_prefix(std::min(rest.size(), rest.find(' ')));
  }
  rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(' ')));
  unsigned long long start = 0;
  const auto [p, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), start);
  if (ec != std::errc() || p == rest.data()) return std::nullopt;
  return start;
}

bool ParseWriter(std::string_view text, long& pid, unsigned long long& start) {
  const size_t dot = text.find('.');
  if (dot == std::string_view::npos) return false;
  const auto a = std::from_chars(text.data(), text.data() + dot, pid);
  const auto b = std::from_chars(text.data() + dot + 1, text.data() + text.size(), start);
  return a.ec == std::errc() && a.ptr == text.data() + dot && b.ec == std::errc() &&
         b.ptr == text.data() + text.size() && pid > 0;
}

std::string IdentityText(const std::optional<FileIdentity>& id) {
  if (!id) return std::string(kNone);
  return std::to_string(id->inode) + "." + std::to_string(id->size) + "." + std::to_string(id->mtimeSeconds) + "." +
         std::to_string(id->mtimeNanoseconds);
}

// Nothing for a malformed text; an empty identity for "-".
std::optional<std::optional<FileIdentity>> ParseIdentity(std::string_view text) {
  if (text == kNone) return std::optional<FileIdentity>();
  FileIdentity id;
  auto number = [&text](auto& value) {
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || p == text.data()) return false;
    text.remove_prefix(static_cast<size_t>(p - text.data()));
    if (!text.empty() && text.front() == '.') text.remove_prefix(1);
    return true;
  };
  if (!number(id.inode) || !number(id.size) || !number(id.mtimeSeconds) || !number(id.mtimeNanoseconds) ||
      !text.empty())
    return std::nullopt;
  return std::optional<FileIdentity>(id);
}

std::string Fields(std::initializer_list<std::string_view> fields) {
  std::string text;
  for (std::string_view f : fields) {
    text += f;
    text.push_back('\0');
  }
  return text;
}

// A check sum of `text` (64-bit FNV-1a) in hexadecimal: a record that a
// power cut left with stale or missing blocks does not match it.
std::string CheckSum(std::string_view text) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : text) h = (h ^ c) * 0x100000001b3ull;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i, h >>= 4) out[static_cast<size_t>(i)] = kHex[h & 15];
  return out;
}

}  // namespace

std::string JournalName(std::string_view mark) { return "." + std::string(mark) + ".journal"; }

// The run's new file for its target number `index`, and with ".old" its
// second name of the old one: of one length whatever the target's name.
std::string TemporaryName(std::string_view mark, std::string_view run, size_t index) {
  return "." + std::string(mark) + "-set-" + std::string(run) + "-" + std::to_string(index + 1);
}

fs::path Absolute(const fs::path& path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(path.empty() ? fs::path(".") : path, ec);
  fs::path normal = (ec ? path : absolute).lexically_normal();
  // "/a/b/." gives "/a/b/": the folder without its last separator.
  if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
  return normal;
}

// A fresh name for a run's files.
std::string NewRunName() { return RandomLetters(kRunLength); }

// ---- Who wrote a journal ---------------------------------------------------

std::string BootId() {
  std::optional<std::string> id = ReadFileBytes("/proc/sys/kernel/random/boot_id");
  if (!id) return std::string(kNone);
  while (!id->empty() && (id->back() == '\n' || id->back() == ' ')) id->pop_back();
  const bool plain = !id->empty() && id->size() <= 64 && std::all_of(id->begin(), id->end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || c == '-';
  });
  return plain ? *id : std::string(kNone);
}

// "<process>.<start>" of this process.
std::string ThisWriter() {
  const long pid = static_cast<long>(::getpid());
  return std::to_string(pid) + "." + std::to_string(ProcessStart(pid).value_or(0));
}

// True when the writer of a journal still runs: same boot, same process,
// started at the same time, and not this process (whose own journal a
// failed run kept for the next).
bool WriterRuns(std::string_view writer, std::string_view boot) {
  long pid = 0;
  unsigned long long start = 0;
  if (!ParseWriter(writer, pid, start) || boot == kNone || boot != BootId()) return false;
  if (pid == static_cast<long>(::getpid())) return false;
  if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) return false;
  return ProcessStart(pid) == start;
}

// ---- What a file is now ----------------------------------------------------

Look LookAt(int folder, const std::string& name, const fs::path& shown) {
  Look l;
  if (FileStepFails("stat", shown) || ::fstatat(folder, name.c_str(), &l.st, AT_SYMLINK_NOFOLLOW) != 0) {
    l.error = errno;
    l.kind = errno == ENOENT ? Look::Kind::kAbsent : Look::Kind::kError;
    return l;
  }
  l.kind = S_ISREG(l.st.st_mode) ? Look::Kind::kFile : S_ISLNK(l.st.st_mode) ? Look::Kind::kLink : Look::Kind::kOther;
  return l;
}


// ---- The journal -------------------------------------------------------------

std::string StagedRecord(const Journal& j) {
  std::string text = Fields({kHead, j.mark, j.run, j.writer, j.boot, std::to_string(j.entries.size())});
  for (const Entry& e : j.entries) text += Fields({e.name, e.via.empty() ? kNone : e.via.native()});
  text += Fields({kStaged});
  return text + Fields({CheckSum(text)});
}

std::string CommittedRecord(const Journal& j) {
  std::string text = Fields({kCommitted});
  for (const Entry& e : j.entries)
    text += Fields({IdentityText(e.oldId), IdentityText(e.newId), IdentityText(e.keptId)});
  return text + Fields({CheckSum(StagedRecord(j) + text), kEnd});
}

bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

std::optional<Journal> ParseJournal(std::string_view text, std::string_view mark, std::string& why) {
  why = "it is not a journal of this tool set";
  // Zeros at the end are what a power cut leaves of a write that never
  // reached the disk: the text ends with the last field written.
  const size_t last = text.find_last_not_of('\0');
  text = last == std::string_view::npos ? std::string_view() : text.substr(0, std::min(text.size(), last + 2));
  const std::string opening = Fields({kHead, mark});
  if (!(text.size() < opening.size() ? opening.starts_with(text) : text.starts_with(opening))) return std::nullopt;
  // The whole fields, and where each ends.
  std::vector<std::string_view> f;
  std::vector<size_t> ends;
  for (size_t at = 0, nul; (nul = text.find('\0', at)) != std::string_view::npos; at = nul + 1) {
    f.push_back(text.substr(at, nul - at));
    ends.push_back(nul + 1);
  }
  const bool cutAfter = !ends.empty() ? ends.back() < text.size() : !text.empty();
  Journal j{std::string(mark), {}, {}, {}, {}, Journal::Records::kFirstCut};
  // The first record, field by field: what is there must be right, and
  // where it ends early the run was stopped before it made anything.
  if (f.size() < 3) return j;
  if (!IsRunName(f[2])) return std::nullopt;
  j.run = std::string(f[2]);
  long pid = 0;
  unsigned long long start = 0;
  if (f.size() < 4) return j;
  if (!ParseWriter(f[3], pid, start)) return std::nullopt;
  j.writer = std::string(f[3]);
  if (f.size() < 6) return j;
  j.boot = std::string(f[4]);
  size_t count = 0;
  auto [p, ec] = std::from_chars(f[5].data(), f[5].data() + f[5].size(), count);
  if (ec != std::errc() || p != f[5].data() + f[5].size() || count == 0 || count > kMaxSetFiles) return std::nullopt;
  for (size_t i = 0; i < count; ++i) {
    if (f.size() < 8 + 2 * i) return j;
    const std::string_view name = f[6 + 2 * i];
    const std::string_view via = f[7 + 2 * i];
    if (!IsPlainName(name)) return std::nullopt;
    Entry e;
    e.name = std::string(name);
    if (via != kNone) {
      e.via = fs::path(std::string(via));
      if (!e.via.is_absolute() || e.via != e.via.lexically_normal() || !IsPlainName(e.via.filename().native()))
        return std::nullopt;
    }
    for (const Entry& other : j.entries) {
      if (other.name == e.name) {
        why = "it names a file twice";
        return std::nullopt;
      }
    }
    j.entries.push_back(std::move(e));
  }
  const size_t staged = 6 + 2 * count;
  if (f.size() <= staged) return j;
  if (f[staged] != kStaged) return std::nullopt;
  if (f.size() <= staged + 1) return j;
  if (f[staged + 1] != CheckSum(text.substr(0, ends[staged]))) {
    why = "its first record is damaged";
    return std::nullopt;
  }
  j.records = Journal::Records::kFirst;
  // The second record counts only whole, checked and alone after the first.
  const size_t sum = staged + 3 + 3 * count;
  if (f.size() != sum + 2 || cutAfter || f[staged + 2] != kCommitted || f[sum + 1] != kEnd ||
      f[sum] != CheckSum(text.substr(0, ends[sum - 1])))
    return j;
  std::vector<Entry> entries = j.entries;
  for (size_t i = 0; i < count; ++i) {
    const auto oldId = ParseIdentity(f[staged + 3 + 3 * i]);
    const auto newId = ParseIdentity(f[staged + 4 + 3 * i]);
    const auto keptId = ParseIdentity(f[staged + 5 + 3 * i]);
    if (!oldId || !newId || !keptId || !*newId || oldId->has_value() != keptId->has_value()) return j;
    entries[i].oldId = *oldId;
    entries[i].newId = *newId;
    entries[i].keptId = *keptId;
  }
  j.entries = std::move(entries);
  j.records = Journal::Records::kBoth;
  return j;
}

// Names the run's files of each entry, in the folder `dir` unless a link
// led elsewhere.
void NameFiles(Journal& j) {
  for (size_t i = 0; i < j.entries.size(); ++i) {
    Entry& e = j.entries[i];
    e.file = e.via.empty() ? e.name : e.via.filename().native();
    e.shownDir = e.via.empty() ? fs::path() : e.via.parent_path();
    e.temporary = TemporaryName(j.mark, j.run, i);
    e.kept = e.temporary + ".old";
  }
}

// ---- What the lines say ----------------------------------------------------

// "A", "A and B", "A, B and C".
std::string NameList(const std::vector<std::string>& names) {
  std::string out;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += i + 1 == names.size() ? " and " : ", ";
    out += names[i];
  }
  return out;
}

std::string IsAre(const std::vector<std::string>& names, std::string_view what) {
  return NameList(names) + (names.size() == 1 ? " is " : " are ") + std::string(what);
}

bool Matches(const Look& l, const std::optional<FileIdentity>& id, dev_t device) {
  return id && l.kind == Look::Kind::kFile && l.st.st_dev == device && IdentityOf(l.st) == *id;
}
// The run's new file is the user's own: another user's file of that
// identity was put there since.
bool IsNewFile(const Look& l, const std::optional<FileIdentity>& id, dev_t device, uid_t user) {
  return Matches(l, id, device) && l.st.st_uid == user;
}

std::string Printable(std::string_view name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : name) {
    if (c >= 0x20 && c != 0x7f) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    out += "\\x";
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 15]);
  }
  return out;
}

SetState StateOf(const Journal& j, dev_t device) {
  SetState s;
  const bool both = j.records == Journal::Records::kBoth;
  auto is = [&](const Look& l, const std::optional<FileIdentity>& id) {
    return both ? Matches(l, id, device) : l.kind == Look::Kind::kFile;
  };
  for (const Entry& e : j.entries) {
    const std::string name = Printable(e.name);
    s.targets.push_back(name);
    (both && Matches(LookAt(e.dir, e.file, e.Shown(e.file)), e.newId, device) ? s.newer : s.older).push_back(name);
    if (is(LookAt(e.dir, e.kept, e.Shown(e.kept)), e.keptId))
      s.kept.push_back(Printable(e.Shown(e.kept).native()) + " for " + name);
    if (is(LookAt(e.dir, e.temporary, e.Shown(e.temporary)), e.newId))
      s.waiting.push_back(Printable(e.Shown(e.temporary).native()) + " for " + name);
  }
  return s;
}

std::string KeptClause(const SetState& s) {
  std::string out;
  if (!s.kept.empty()) out += "; the earlier files are kept as " + NameList(s.kept);
  if (!s.waiting.empty()) out += "; the new ones wait as " + NameList(s.waiting);
  return out;
}

std::string NewOldClause(const SetState& s) {
  std::string out;
  if (!s.newer.empty()) out += IsAre(s.newer, "new");
  if (!s.older.empty()) out += (out.empty() ? "" : ", ") + IsAre(s.older, "old");
  return out;
}

// ---- The decision ------------------------------------------------------------

Decision Decide(const Facts& f) {
  using K = Decision::Kind;
  using W = Decision::Why;
  using F = Decision::File;
  using Op = Decision::Step::Op;
  if (f.journal.kind == Look::Kind::kAbsent) return {K::kNothing};
  // Only the user's own journal that nobody else may write steers anything.
  if (f.journal.st.st_uid != f.user) return {K::kRefuseForeign};
  if (f.othersMayWrite) return {K::kRefuseOpen};
  // Where the folder gives no lock, a live run is not to be taken for a
  // killed one; where it does, holding the lock says its writer is gone.
  if (!f.locks && f.writerMayRun) return {K::kLeave};
  if (f.journal.kind != Look::Kind::kFile) return {K::kSetAside, W::kNotFile};
  if (static_cast<size_t>(f.journal.st.st_size) > kMaxJournalBytes) return {K::kSetAside, W::kTooLarge};
  if (f.empty) return {K::kDrop};
  if (!f.parsed) return {K::kSetAside, W::kMalformed};
  const Journal& j = *f.parsed;
  // Killed while it wrote its first record: it had made nothing yet.
  if (j.records == Journal::Records::kFirstCut) return {K::kDrop};
  const size_t n = j.entries.size();
  if (f.files.size() != n) return {K::kSetAside, W::kMalformed};
  Decision changed{K::kSetAside, W::kChanged}, replaced{K::kSetAside, W::kReplaced};
  for (size_t i = 0; i < n; ++i)
    if (f.files[i].lost) changed.names.push_back(j.entries[i].name);
  if (!changed.names.empty()) return changed;
  auto mine = [&](const Look& l) { return l.kind == Look::Kind::kFile && l.st.st_dev == f.device && l.st.st_uid == f.user; };

  if (j.records == Journal::Records::kFirst) {
    // No target was to be replaced yet. All new files were made before any
    // old one was kept, and a rename takes a new one away: a new file gone
    // while a later one or a kept one is there means a target was replaced
    // all the same (a disk that lost the second record), and a kept file
    // that holds what its target no longer holds is the only copy left.
    bool anyKept = false;
    for (const Facts::File& x : f.files) anyKept = anyKept || x.kept.Exists();
    for (size_t i = 0; i < n; ++i) {
      const Facts::File& x = f.files[i];
      bool later = anyKept;
      for (size_t k = i + 1; k < n; ++k) later = later || f.files[k].temporary.Exists();
      if ((!x.temporary.Exists() && later) || (x.kept.Exists() && !x.keptInTarget))
        replaced.names.push_back(j.entries[i].name);
      else if ((x.temporary.Exists() && !mine(x.temporary)) || (x.kept.Exists() && x.kept.st.st_dev != f.device))
        changed.names.push_back(j.entries[i].name);
    }
    if (!replaced.names.empty()) return replaced;
    if (!changed.names.empty()) return changed;
    Decision clear{K::kClear};
    for (size_t i = 0; i < n; ++i) {
      if (f.files[i].temporary.Exists()) clear.steps.push_back({Op::kRemove, i, F::kTemporary});
      if (f.files[i].kept.Exists()) clear.steps.push_back({Op::kRemove, i, F::kKept});
    }
    return clear;
  }

  // Every file it would touch must be as the run left it, on this file system.
  std::vector<bool> isNew(n), waiting(n), kept(n);
  bool anyAsLeft = false, forward = true;
  for (size_t i = 0; i < n; ++i) {
    const Entry& e = j.entries[i];
    const Facts::File& x = f.files[i];
    isNew[i] = IsNewFile(x.target, e.newId, f.device, f.user);
    waiting[i] = IsNewFile(x.temporary, e.newId, f.device, f.user);
    kept[i] = Matches(x.kept, e.keptId, f.device);
    const bool isOld = Matches(x.target, e.oldId, f.device) || Matches(x.target, e.keptId, f.device);
    const bool targetOk = (x.target.kind == Look::Kind::kAbsent && !e.oldId) || isOld || isNew[i];
    if (!targetOk || (x.temporary.Exists() && !waiting[i]) || (x.kept.Exists() && !kept[i]))
      changed.names.push_back(e.name);
    anyAsLeft = anyAsLeft || isOld || isNew[i] || waiting[i] || kept[i];
    forward = forward && (isNew[i] || waiting[i]);
  }
  if (!anyAsLeft) return {K::kSetAside, W::kNoneAsLeft};
  // Putting back needs every old file that a new one replaced.
  for (size_t i = 0; i < n && !forward; ++i)
    if (isNew[i] && j.entries[i].oldId && !kept[i]) changed.names.push_back(j.entries[i].name);
  if (!changed.names.empty()) return changed;
  // A target that was made read-only since is not replaced.
  Decision locked{K::kSetAside, W::kReadOnly};
  for (size_t i = 0; i < n; ++i)
    if ((forward ? !isNew[i] : isNew[i]) && f.files[i].target.Exists() && !f.files[i].writable)
      locked.names.push_back(j.entries[i].name);
  if (!locked.names.empty()) return locked;

  // Every new file is there: the run is finished as it was asked to.
  // Otherwise every target gets its old file back, the last first, or,
  // where there was none, loses the new one.
  Decision d{forward ? K::kFinish : K::kPutBack};
  for (size_t k = 0; k < n; ++k) {
    const size_t i = forward ? k : n - 1 - k;
    if (forward && !isNew[i]) d.steps.push_back({Op::kRename, i, F::kTemporary});
    if (!forward && isNew[i]) d.steps.push_back({j.entries[i].oldId ? Op::kRename : Op::kRemove, i, j.entries[i].oldId ? F::kKept : F::kTarget});
  }
  for (size_t i = 0; i < n; ++i) {
    if (waiting[i] && !(forward && !isNew[i])) d.steps.push_back({Op::kRemove, i, F::kTemporary});
    if (kept[i] && !(!forward && isNew[i] && j.entries[i].oldId)) d.steps.push_back({Op::kRemove, i, F::kKept});
  }
  return d;
}

}  // namespace velk::set_journal
