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
// time), the boot it runs in, its process-number space, the number of
// targets, each target's name with the file its link leads to ("-" for a
// name that is no link) and whether it had an earlier file ("e", or "n"
// for none), "staged" and the check sum of all of it. Added in
// one write once every new file is ready, as its second record:
// "committed", the identities of each target's old file, new file and kept
// old file ("-" for none), the check sum of both records, and "end".
// Journals of version 4 lack whether a target had an earlier file, those of
// version 3 the space too, those of version 2 the check sums as well; all
// are carried through as their own versions would.
constexpr std::string_view kHeads[] = {"velk file set 2", "velk file set 3", "velk file set 4", "velk file set 5"};
constexpr int kFirstVersion = 2;
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
// process number that is used again gets another. Nothing, with the
// system's reason in `error` (0 when the text could not be read as such),
// when it cannot be told.
std::optional<unsigned long long> ProcessStart(long pid, int* error = nullptr) {
  int err = 0;
  const std::optional<std::string> stat = ReadFileBytes("/proc/" + std::to_string(pid) + "/stat", nullptr, {}, &err);
  if (error) *error = stat ? 0 : err;
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

std::string NameSum(std::string_view name) { return CheckSum(name).substr(0, kNameSumLength); }

std::string TemporaryName(std::string_view mark, std::string_view run, size_t index, std::string_view flags,
                          std::string_view sums) {
  return TemporaryName(mark, run, index) + "of" + std::to_string(flags.size()) + "-" + std::string(flags) + "-" +
         std::string(sums);
}

std::optional<RunFileName> ParseRunFileName(std::string_view name, std::string_view mark) {
  const std::string head = "." + std::string(mark) + "-set-";
  if (!name.starts_with(head)) return std::nullopt;
  name.remove_prefix(head.size());
  RunFileName r;
  if (name.size() < kRunLength + 2 || !IsRunName(name.substr(0, kRunLength)) || name[kRunLength] != '-')
    return std::nullopt;
  r.run = std::string(name.substr(0, kRunLength));
  name.remove_prefix(kRunLength + 1);
  r.kept = name.ends_with(".old");
  if (r.kept) name.remove_suffix(4);
  // A number only as the writer writes it: digits alone, with no leading
  // zero, so that no two names stand for one file of a run.
  auto number = [](std::string_view text, size_t& out) {
    if (text.empty() || text.size() > 2 || text.front() < '1' || text.front() > '9') return false;
    const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && p == text.data() + text.size();
  };
  size_t index = 0;
  const size_t of = name.find("of");
  if (of == std::string_view::npos) {
    // The names of runs before version 5: the number alone.
    if (!number(name, index) || index == 0) return std::nullopt;
    r.index = index - 1;
    return r;
  }
  size_t count = 0;
  const std::string_view rest = name.substr(of + 2);
  const size_t dash = rest.find('-');
  if (!number(name.substr(0, of), index) || dash == std::string_view::npos || !number(rest.substr(0, dash), count) ||
      index == 0 || index > count || count > kMaxSetFiles)
    return std::nullopt;
  const std::string_view flags = rest.substr(dash + 1, count);
  const std::string_view sums = rest.substr(std::min(rest.size(), dash + 1 + count));
  if (flags.size() != count || !std::all_of(flags.begin(), flags.end(), [](char c) { return c == 'e' || c == 'n'; }) ||
      sums.size() != 1 + count * kNameSumLength || sums.front() != '-' ||
      !std::all_of(sums.begin() + 1, sums.end(),
                   [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }))
    return std::nullopt;
  r.index = index - 1;
  r.flags = std::string(flags);
  r.sums = std::string(sums.substr(1));
  return r;
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

std::string ThisSpace() {
  char text[64];
  const ssize_t n = ::readlink("/proc/self/ns/pid", text, sizeof text);
  if (n <= 0 || static_cast<size_t>(n) >= sizeof text) return std::string(kNone);
  return std::string(text, static_cast<size_t>(n));
}

// This process is no writer of a journal it finds: its own failed run kept
// that for the next.
WriterLife WriterState(const Journal& j) {
  long pid = 0;
  unsigned long long start = 0;
  if (!ParseWriter(j.writer, pid, start) || j.boot == kNone || j.boot != BootId()) return WriterLife::kCannotTell;
  // A process number of another space (a sandboxed run) means nothing here.
  if (j.version >= 4 && (j.space == kNone || j.space != ThisSpace())) return WriterLife::kCannotTell;
  if (pid == static_cast<long>(::getpid())) return WriterLife::kGone;
  if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) return WriterLife::kGone;
  int err = 0;
  const std::optional<unsigned long long> started = ProcessStart(pid, &err);
  if (!started) return err == ENOENT ? WriterLife::kGone : WriterLife::kCannotTell;
  return *started == start ? WriterLife::kRuns : WriterLife::kGone;
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
  std::string text = Fields({kHeads[j.version - kFirstVersion], j.mark, j.run, j.writer, j.boot});
  if (j.version >= 4) text += Fields({j.space.empty() ? kNone : std::string_view(j.space)});
  text += Fields({std::to_string(j.entries.size())});
  for (const Entry& e : j.entries) {
    text += Fields({e.name, e.via.empty() ? kNone : e.via.native()});
    if (j.version >= 5) text += Fields({e.earlier.value_or(e.oldId.has_value()) ? "e" : "n"});
  }
  text += Fields({kStaged});
  return j.version >= 3 ? text + Fields({CheckSum(text)}) : text;
}

std::string CommittedRecord(const Journal& j) {
  std::string text = Fields({kCommitted});
  for (const Entry& e : j.entries)
    text += Fields({IdentityText(e.oldId), IdentityText(e.newId), IdentityText(e.keptId)});
  if (j.version >= 3) text += Fields({CheckSum(StagedRecord(j) + text)});
  return text + Fields({kEnd});
}

bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

std::optional<Journal> ParseJournal(std::string_view text, std::string_view mark, std::string& why) {
  why = "it is not a journal of this tool set";
  Journal j{std::string(mark), {}, {}, {}, {}, Journal::Records::kFirstCut};
  // Zeros at the end are what a power cut leaves of a write that never
  // reached the disk, from any byte on: the last field before them may be
  // cut short, even where it reads as a whole one. A text that ends inside
  // a field (a write cut short) ends with the field before.
  const size_t last = text.find_last_not_of('\0');
  if (last == std::string_view::npos) return j;
  const bool zeros = last + 1 < text.size();
  std::vector<std::string_view> f;
  std::vector<size_t> ends;  // where each field ends, its NUL included
  size_t at = 0;
  for (size_t nul; (nul = text.find('\0', at)) != std::string_view::npos && nul <= last; at = nul + 1) {
    f.push_back(text.substr(at, nul - at));
    ends.push_back(nul + 1);
  }
  if (at <= last && zeros) {
    f.push_back(text.substr(at, last + 1 - at));
    ends.push_back(last + 2);
  }
  const bool cutAfter = at <= last && !zeros;  // a field is left unfinished
  // The first record, field by field. Where it ends early the run was
  // stopped before it made anything (what was read up to there is kept, but
  // no entry); a field that may be cut short proves nothing wrong, and
  // nothing is taken from it.
  const size_t n = f.size();
  auto mayBeCut = [&](size_t k) { return k + 1 == n && zeros; };
  auto cutShort = [&] {
    Journal c = j;
    c.entries.clear();
    return c;
  };
  // Nothing while field `k` is there and `good`; else what the reading
  // ends with: the journal cut short, or none.
  auto end = [&](size_t k, bool good) -> std::optional<std::optional<Journal>> {
    if (k < n && good && !mayBeCut(k)) return std::nullopt;
    if (k >= n || mayBeCut(k)) return std::optional<Journal>(cutShort());
    return std::optional<Journal>();
  };
  int version = 0;
  for (int v = kFirstVersion; v <= kJournalVersion; ++v)
    if (n > 0 && f[0] == kHeads[v - kFirstVersion]) version = v;
  if (n > 0 && !version) {
    const bool prefix = std::any_of(std::begin(kHeads), std::end(kHeads), [&](std::string_view h) { return h.starts_with(f[0]); });
    return mayBeCut(0) && prefix ? std::optional<Journal>(j) : std::nullopt;
  }
  if (n < 2 || (mayBeCut(1) && mark.starts_with(f[1]))) return j;
  if (f[1] != mark) return std::nullopt;
  j.version = version;
  long pid = 0;
  unsigned long long start = 0;
  size_t k = 2;
  if (auto stop = end(k, k < n && IsRunName(f[k]))) return *stop;
  j.run = std::string(f[k++]);
  if (auto stop = end(k, k < n && ParseWriter(f[k], pid, start))) return *stop;
  j.writer = std::string(f[k++]);
  if (auto stop = end(k, true)) return *stop;
  j.boot = std::string(f[k++]);
  if (version >= 4) {
    if (auto stop = end(k, true)) return *stop;
    j.space = std::string(f[k++]);
  }
  size_t count = 0;
  auto counted = [&] {
    auto [p, ec] = std::from_chars(f[k].data(), f[k].data() + f[k].size(), count);
    return ec == std::errc() && p == f[k].data() + f[k].size() && count > 0 && count <= kMaxSetFiles;
  };
  if (auto stop = end(k, k < n && counted())) return *stop;
  ++k;
  const size_t perEntry = version >= 5 ? 3 : 2;
  for (size_t i = 0; i < count; ++i, k += perEntry) {
    Entry e;
    if (auto stop = end(k, k < n && IsPlainName(f[k]))) return *stop;
    e.name = std::string(f[k]);
    auto via = [&] {
      if (f[k + 1] == kNone) return true;
      e.via = fs::path(std::string(f[k + 1]));
      return e.via.is_absolute() && e.via == e.via.lexically_normal() && IsPlainName(e.via.filename().native());
    };
    if (auto stop = end(k + 1, k + 1 < n && via())) return *stop;
    if (version >= 5) {
      if (auto stop = end(k + 2, k + 2 < n && (f[k + 2] == "e" || f[k + 2] == "n"))) return *stop;
      e.earlier = f[k + 2] == "e";
    }
    for (const Entry& other : j.entries) {
      if (other.name == e.name) {
        why = "it names a file twice";
        return std::nullopt;
      }
    }
    j.entries.push_back(std::move(e));
  }
  const size_t staged = k;
  // The word that closes the record is whole where it reads whole: zeros after
  // it (its own closing NUL among them) cut nothing off it.
  if (k >= n || f[k] != kStaged) return *end(k, false);
  ++k;
  if (version >= 3) {
    // A check sum cut short by zeros is a cut record; a whole one that does
    // not match, a damaged one.
    if (k >= n || (mayBeCut(k) && f[k].size() < 16)) return cutShort();
    if (f[k] != CheckSum(text.substr(0, ends[staged]))) {
      why = "its first record is damaged";
      return std::nullopt;
    }
    ++k;
  }
  j.records = Journal::Records::kFirst;
  // The second record counts only whole, checked and alone after the first.
  const size_t first = k;
  const size_t sum = first + 1 + 3 * count;  // the check sum, or "end" in version 2
  const size_t fields = version >= 3 ? sum + 2 : sum + 1;
  if (n != fields || cutAfter || f[first] != kCommitted || f[fields - 1] != kEnd ||
      (version >= 3 && f[sum] != CheckSum(text.substr(0, ends[sum - 1]))))
    return j;
  std::vector<Entry> entries = j.entries;
  for (size_t i = 0; i < count; ++i) {
    const auto oldId = ParseIdentity(f[first + 1 + 3 * i]);
    const auto newId = ParseIdentity(f[first + 2 + 3 * i]);
    const auto keptId = ParseIdentity(f[first + 3 + 3 * i]);
    if (!oldId || !newId || !keptId || !*newId || oldId->has_value() != keptId->has_value() ||
        (entries[i].earlier && *entries[i].earlier != oldId->has_value()))
      return j;
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
  std::string flags, sums;
  for (const Entry& e : j.entries) {
    flags += e.earlier.value_or(e.oldId.has_value()) ? 'e' : 'n';
    sums += NameSum(e.name);
  }
  for (size_t i = 0; i < j.entries.size(); ++i) {
    Entry& e = j.entries[i];
    e.file = e.via.empty() ? e.name : e.via.filename().native();
    e.shownDir = e.via.empty() ? fs::path() : e.via.parent_path();
    e.temporary = j.version >= 5 ? TemporaryName(j.mark, j.run, i, flags, sums) : TemporaryName(j.mark, j.run, i);
    e.kept = e.temporary + ".old";
  }
}

std::vector<std::string_view> FixedTargets(std::string_view mark) {
  if (mark == "ulvane") return {"Airports.txt", "Aircraft.txt", "FlightPlans.txt"};
  return {};
}

bool IsRunFileName(std::string_view name, std::string_view mark, std::string_view run) {
  const std::optional<RunFileName> r = ParseRunFileName(name, mark);
  return r && (run.empty() || r->run == run);
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

bool SameFile(const Look& a, const Look& b) {
  return a.kind == Look::Kind::kFile && b.kind == Look::Kind::kFile && a.st.st_dev == b.st.st_dev &&
         a.st.st_ino == b.st.st_ino;
}

bool JournalIn(int folder, const fs::path& shown, std::string_view mark) {
  const std::string name = JournalName(mark);
  return LookAt(folder, name, shown / name).kind != Look::Kind::kAbsent;
}

namespace {

// `text` with each character that cannot be typed written as \xNN; in
// quotes a backslash too, and a quote twice.
std::string Escaped(std::string_view text, bool quoted) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c != 0x7f && !(quoted && c == '\\')) {
      out.push_back(static_cast<char>(c));
      if (quoted && c == '\'') out.push_back('\'');
      continue;
    }
    out += "\\x";
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 15]);
  }
  return out;
}

}  // namespace

std::string Printable(std::string_view name) { return Escaped(name, false); }

std::string Quoted(std::string_view text) { return "'" + Escaped(text, true) + "'"; }

std::string ShownName(std::string_view name) {
  const std::string spaced = " " + std::string(name) + " ";
  bool plain = !name.empty() && name.front() != ' ' && name.back() != ' ' && Printable(name) == name &&
               name.find_first_of("'\"`\\") == std::string_view::npos;
  for (const char* joint : {", ", "; ", " and ", " or ", " then ", " onto "})
    plain = plain && spaced.find(joint) == std::string::npos;
  return plain ? std::string(name) : Quoted(name);
}

Facts::File LookAtEntry(const Entry& e) {
  Facts::File x;
  if (e.dir < 0) {
    x.lost = true;
    return x;
  }
  struct stat folder {};
  if (::fstat(e.dir, &folder) == 0) x.device = folder.st_dev;
  x.target = LookAt(e.dir, e.file, e.Shown(e.file));
  x.temporary = LookAt(e.dir, e.temporary, e.Shown(e.temporary));
  x.kept = LookAt(e.dir, e.kept, e.Shown(e.kept));
  x.keptInTarget = true;  // for words: what a kept file holds is not read here
  return x;
}

EntryState Classify(const Entry& e, const Facts::File& x, Journal::Records records, uid_t user) {
  using T = EntryState::Target;
  using S = EntryState::Slot;
  EntryState s;
  s.lost = x.lost;
  if (x.lost) return s;
  const dev_t device = x.device;
  auto here = [&](const Look& l) { return l.kind == Look::Kind::kFile && l.st.st_dev == device; };
  if (records == Journal::Records::kBoth) {
    // A target holding the kept file's identity is the old file too: the
    // kept file was a copy (a file system without second names), and the
    // old one went back.
    s.target = Matches(x.target, e.oldId, device) || Matches(x.target, e.keptId, device) ? T::kOld
               : IsNewFile(x.target, e.newId, device, user)                            ? T::kNew
               : x.target.kind == Look::Kind::kAbsent                                  ? T::kAbsent
                                                                                       : T::kOther;
    s.waiting = IsNewFile(x.temporary, e.newId, device, user) ? S::kRun : x.temporary.Exists() ? S::kOther : S::kNone;
    s.kept = Matches(x.kept, e.keptId, device) ? S::kRun : x.kept.Exists() ? S::kOther : S::kNone;
    return s;
  }
  s.target = x.target.kind == Look::Kind::kFile ? T::kOld : x.target.Exists() ? T::kOther : T::kAbsent;
  // Only the user's own regular file on this file system is the run's new one.
  s.waiting = here(x.temporary) && x.temporary.st.st_uid == user ? S::kRun
              : x.temporary.Exists()                             ? S::kOther
                                                                 : S::kNone;
  s.kept = !x.kept.Exists()     ? S::kNone
           : !here(x.kept)      ? S::kOther
           : x.keptInTarget     ? S::kRun
                                : S::kOnlyCopy;
  return s;
}

SetState StateOf(const Journal& j) {
  SetState s;
  for (const Entry& e : j.entries) {
    const EntryState c = Classify(e, LookAtEntry(e), j.records);
    const std::string name = ShownName(e.name);
    // A run's file beside the target: by its name, or where a link leads
    // elsewhere, by its full path.
    auto file = [&](const std::string& n) { return e.shownDir.empty() ? ShownName(n) : Quoted(e.Shown(n).native()); };
    s.targets.push_back(name);
    (c.target == EntryState::Target::kNew      ? s.newer
     : c.target == EntryState::Target::kOld    ? s.older
     : c.target == EntryState::Target::kAbsent ? s.absent
                                               : s.other)
        .push_back(name);
    if (c.kept == EntryState::Slot::kRun || c.kept == EntryState::Slot::kOnlyCopy)
      s.kept.push_back(file(e.kept) + " for " + name);
    if (c.waiting == EntryState::Slot::kRun) s.waiting.push_back(file(e.temporary) + " for " + name);
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
  auto add = [&](const std::vector<std::string>& names, const std::string& clause) {
    if (!names.empty()) out += (out.empty() ? "" : ", ") + clause;
  };
  add(s.newer, IsAre(s.newer, "new"));
  add(s.older, IsAre(s.older, "old"));
  add(s.absent, IsAre(s.absent, "not there"));
  add(s.other, NameList(s.other) + (s.other.size() == 1 ? " holds" : " hold") + " a file that another program put there");
  return out;
}

// ---- The decision ------------------------------------------------------------

namespace {

using K = Decision::Kind;
using W = Decision::Why;
using F = Decision::File;
using Op = Decision::Step::Op;
using T = EntryState::Target;
using S = EntryState::Slot;

// Who may have written the journal, whether its writer may still run, and
// whether it names anything: these come before anything it says.
std::optional<Decision> Trust(const Facts& f) {
  if (f.journal.kind == Look::Kind::kAbsent) return Decision{K::kNothing};
  // Only the user's own journal that nobody else may write steers anything.
  if (f.journal.st.st_uid != f.user) return Decision{K::kRefuseForeign};
  if (f.othersMayWrite) return Decision{K::kRefuseOpen};
  // Where the folder gives no lock, a live run is not to be taken for a
  // killed one; where it does, holding the lock says its writer is gone.
  if (!f.locks && f.writerMayRun) return Decision{K::kLeave};
  if (f.journal.kind != Look::Kind::kFile) return Decision{K::kSetAside, W::kNotFile};
  if (static_cast<size_t>(f.journal.st.st_size) > kMaxJournalBytes) return Decision{K::kSetAside, W::kTooLarge};
  // Killed before its first record was whole (or a disk that lost it): the
  // run had made nothing yet, unless files of it lie there all the same.
  if (f.empty || (f.parsed && f.parsed->records == Journal::Records::kFirstCut))
    return f.runFiles.empty() ? Decision{K::kDrop} : Decision{K::kSetAside, W::kNamesNothing};
  if (!f.parsed) return Decision{K::kSetAside, W::kMalformed};
  if (f.files.size() != f.parsed->entries.size()) return Decision{K::kSetAside, W::kMalformed};
  return std::nullopt;
}

// No target was to be replaced yet. All new files were made before any old
// one was kept, and a rename takes a new one away: a new file gone while a
// later one or a kept one is there means a target was replaced all the same
// (a disk that lost the second record), and a kept file that holds what its
// target no longer holds is the only copy left. What goes, goes as the
// writer's own discard takes it: the kept files first, then the new files
// from the last, so that a clearing stopped part way reads the same.
Decision BeforeCommit(const Facts& f, const std::vector<EntryState>& c) {
  const Journal& j = *f.parsed;
  const size_t n = c.size();
  Decision changed{K::kSetAside, W::kChanged}, replaced{K::kSetAside, W::kReplaced};
  const bool anyKept = std::any_of(c.begin(), c.end(), [](const EntryState& s) { return s.kept != S::kNone; });
  for (size_t i = 0; i < n; ++i) {
    bool later = anyKept;
    for (size_t k = i + 1; k < n; ++k) later = later || c[k].waiting != S::kNone;
    if ((c[i].waiting == S::kNone && later) || c[i].kept == S::kOnlyCopy) replaced.names.push_back(j.entries[i].name);
    else if (c[i].waiting == S::kOther || c[i].kept == S::kOther) changed.names.push_back(j.entries[i].name);
  }
  if (!replaced.names.empty()) return replaced;
  if (!changed.names.empty()) return changed;
  Decision clear{K::kClear};
  for (size_t i = n; i-- > 0;)
    if (c[i].kept != S::kNone) clear.steps.push_back({Op::kRemove, i, F::kKept});
  for (size_t i = n; i-- > 0;)
    if (c[i].waiting != S::kNone) clear.steps.push_back({Op::kRemove, i, F::kTemporary});
  return clear;
}

// The identities are known, and the renames may have begun: the set is
// made new when every new file is in place or waiting whole, else old
// again. Every file it would touch must be as the run left it.
Decision AfterCommit(const Facts& f, const std::vector<EntryState>& c) {
  const Journal& j = *f.parsed;
  const size_t n = c.size();
  Decision changed{K::kSetAside, W::kChanged};
  bool anyAsLeft = false, forward = true;
  for (size_t i = 0; i < n; ++i) {
    const Entry& e = j.entries[i];
    const bool targetOk = c[i].Earlier(e) || c[i].target == T::kNew;
    if (!targetOk || c[i].waiting == S::kOther || c[i].kept == S::kOther) changed.names.push_back(e.name);
    anyAsLeft = anyAsLeft || targetOk || c[i].waiting == S::kRun || c[i].kept == S::kRun;
    forward = forward && (c[i].target == T::kNew || c[i].waiting == S::kRun);
  }
  if (!anyAsLeft) return {K::kSetAside, W::kNoneAsLeft};
  // Putting back needs every old file that a new one replaced.
  for (size_t i = 0; i < n && !forward; ++i)
    if (c[i].target == T::kNew && j.entries[i].oldId && c[i].kept != S::kRun) changed.names.push_back(j.entries[i].name);
  if (!changed.names.empty()) return changed;
  // A target that was made read-only since is not replaced. One on a file
  // system that is read-only now waits, with its journal, for a run on a
  // writable one.
  Decision locked{K::kSetAside, W::kReadOnly}, held{K::kHold};
  for (size_t i = 0; i < n; ++i) {
    const bool touched = forward ? c[i].target != T::kNew : c[i].target == T::kNew;
    if (!touched || !f.files[i].target.Exists() || f.files[i].writable) continue;
    (f.files[i].readOnlyFileSystem ? held : locked).names.push_back(j.entries[i].name);
  }
  if (!held.names.empty()) return held;
  if (!locked.names.empty()) return locked;

  // Forward: the waiting files in place, first to last. Back: every new
  // target gets its old file again, or, where there was none, goes, the
  // last first. Then what is left of the run goes: kept files first, new
  // files from the last.
  Decision d{forward ? K::kFinish : K::kPutBack};
  for (size_t k = 0; k < n; ++k) {
    const size_t i = forward ? k : n - 1 - k;
    const Entry& e = j.entries[i];
    if (forward && c[i].target != T::kNew) d.steps.push_back({Op::kRename, i, F::kTemporary});
    if (!forward && c[i].target == T::kNew)
      d.steps.push_back(e.oldId ? Decision::Step{Op::kRename, i, F::kKept} : Decision::Step{Op::kRemove, i, F::kTarget});
  }
  for (size_t i = n; i-- > 0;) {
    const bool keptMoved = !forward && c[i].target == T::kNew && j.entries[i].oldId;
    if (c[i].kept == S::kRun && !keptMoved) d.steps.push_back({Op::kRemove, i, F::kKept});
  }
  for (size_t i = n; i-- > 0;) {
    const bool waitingMoved = forward && c[i].target != T::kNew;
    if (c[i].waiting == S::kRun && !waitingMoved) d.steps.push_back({Op::kRemove, i, F::kTemporary});
  }
  return d;
}

}  // namespace

Decision Decide(const Facts& f) {
  if (std::optional<Decision> trust = Trust(f)) return *trust;
  const Journal& j = *f.parsed;
  std::vector<EntryState> c;
  Decision lost{K::kSetAside, W::kChanged};
  for (size_t i = 0; i < j.entries.size(); ++i) {
    c.push_back(Classify(j.entries[i], f.files[i], j.records, f.user));
    if (c.back().lost) lost.names.push_back(j.entries[i].name);
  }
  if (!lost.names.empty()) return lost;
  return j.records == Journal::Records::kBoth ? AfterCommit(f, c) : BeforeCommit(f, c);
}

}  // namespace velk::set_journal
