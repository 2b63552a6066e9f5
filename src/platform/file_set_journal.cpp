#include "platform/file_set_journal.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>

#include "platform/text_file.h"

namespace velk::set_journal {

// The journal is a list of fields, each closed by a NUL, which no path can
// hold. Written when the run begins, as its first record: the head, the
// writing program's mark, the run's name, its writer (process and start
// time), the boot it runs in, the number of targets, each target's name with
// the file its link leads to ("-" for a name that is no link), and
// "staged". Added in one write once every new file is ready, as its second
// record: "committed", the identities of each target's old file, new file
// and kept old file ("-" for none), and "end".
constexpr std::string_view kHead = "velk file set 2";
constexpr std::string_view kStaged = "staged";
constexpr std::string_view kCommitted = "committed";
constexpr std::string_view kEnd = "end";
constexpr std::string_view kNone = "-";
constexpr size_t kRunLength = 8;
// A set is a handful of files.
constexpr size_t kMaxTargets = 8;

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

// Whether `partial`, the start of a field cut short, can begin the field
// `position` of a committed record of `count` targets.
bool BeginsField(std::string_view partial, size_t position, size_t count) {
  if (position == 0) return kCommitted.starts_with(partial);
  if (position == 1 + 3 * count) return kEnd.starts_with(partial);
  return partial.size() < 80 && partial.find_first_not_of("0123456789.-") == std::string_view::npos;
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

// A fresh name for a run's files, from the system's random source.
std::string NewRunName() {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char random[kRunLength] = {};
  size_t got = 0;
  while (got < sizeof random) {
    const ssize_t n = ::getrandom(random + got, sizeof random - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  // Without the random source a name still differs from run to run.
  if (got < sizeof random) {
    unsigned long long seed = static_cast<unsigned long long>(::getpid()) * 0x9E3779B97F4A7C15ull ^
                              static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (unsigned char& r : random) r = static_cast<unsigned char>((seed = seed * 6364136223846793005ull + 1) >> 56);
  }
  std::string run;
  for (unsigned char r : random) run.push_back(kLetters[r % 62]);
  return run;
}

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

// Removes the file or link `name`; true when nothing of that name is left.
bool RemoveAt(int folder, const std::string& name, const fs::path& shown) {
  if (FileStepFails("unlink", shown)) return false;
  return ::unlinkat(folder, name.c_str(), 0) == 0 || errno == ENOENT;
}

// ---- The journal -------------------------------------------------------------

std::string StagedRecord(const Journal& j) {
  std::string text = Fields({kHead, j.mark, j.run, j.writer, j.boot, std::to_string(j.entries.size())});
  for (const Entry& e : j.entries) text += Fields({e.name, e.via.empty() ? kNone : e.via.native()});
  return text + Fields({kStaged});
}

std::string CommittedRecord(const Journal& j) {
  std::string text = Fields({kCommitted});
  for (const Entry& e : j.entries)
    text += Fields({IdentityText(e.oldId), IdentityText(e.newId), IdentityText(e.keptId)});
  return text + Fields({kEnd});
}

bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

// A journal written by a run of `mark`, or why it is none. One whose
// second record was cut short (a power cut while it was written) touched
// no target, and counts as not committed.
std::optional<Journal> ParseJournal(std::string_view text, std::string_view mark, std::string& why) {
  why = "it is not a journal of this tool set";
  const std::string opening = Fields({kHead, mark});
  const bool ours = text.size() < opening.size() ? opening.starts_with(text) : text.starts_with(opening);
  std::vector<std::string_view> f;
  size_t nul;
  while ((nul = text.find('\0')) != std::string_view::npos) {
    f.push_back(text.substr(0, nul));
    text.remove_prefix(nul + 1);
  }
  const std::string_view partial = text;  // what follows the last whole field
  // A first record cut short (a power cut while it was written) is all a
  // run that was stopped then has done: it makes its files only after.
  if (ours && std::find(f.begin(), f.end(), kStaged) == f.end()) {
    Journal cut;
    cut.mark = std::string(mark);
    cut.begun = false;
    return cut;
  }
  long pid = 0;
  unsigned long long start = 0;
  if (f.size() < 7 || f[0] != kHead || f[1] != mark || !IsRunName(f[2]) || !ParseWriter(f[3], pid, start))
    return std::nullopt;
  size_t count = 0;
  auto [p, ec] = std::from_chars(f[5].data(), f[5].data() + f[5].size(), count);
  if (ec != std::errc() || p != f[5].data() + f[5].size() || count == 0 || count > kMaxTargets) return std::nullopt;
  const size_t staged = 6 + 2 * count;
  if (f.size() <= staged || f[staged] != kStaged) return std::nullopt;
  Journal j{std::string(mark), std::string(f[2]), std::string(f[3]), std::string(f[4]), {}, false, true};
  for (size_t i = 0; i < count; ++i) {
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
  const std::vector<std::string_view> rest(f.begin() + static_cast<std::ptrdiff_t>(staged) + 1, f.end());
  const size_t whole = 1 + 3 * count + 1;
  for (size_t k = 0; k < rest.size(); ++k) {
    const bool valid = k == 0 ? rest[k] == kCommitted
                       : k + 1 == whole ? rest[k] == kEnd
                                        : k < whole && ParseIdentity(rest[k]).has_value();
    if (!valid) return std::nullopt;
  }
  if (rest.size() < whole) {
    // Nothing after the first record, or a second record cut short.
    if (!partial.empty() && !BeginsField(partial, rest.size(), count)) return std::nullopt;
    return j;
  }
  if (!partial.empty()) return std::nullopt;
  j.committed = true;
  for (size_t i = 0; i < count; ++i) {
    Entry& e = j.entries[i];
    e.oldId = *ParseIdentity(rest[1 + 3 * i]);
    e.newId = *ParseIdentity(rest[2 + 3 * i]);
    e.keptId = *ParseIdentity(rest[3 + 3 * i]);
    if (!e.newId || e.oldId.has_value() != e.keptId.has_value()) return std::nullopt;
  }
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
bool IsNewFile(const Look& l, const std::optional<FileIdentity>& id, dev_t device) {
  return Matches(l, id, device) && l.st.st_uid == ::geteuid();
}

SetState StateOf(const Journal& j, dev_t device) {
  SetState s;
  for (const Entry& e : j.entries) {
    s.targets.push_back(e.name);
    if (e.lost) {
      s.older.push_back(e.name);
      continue;
    }
    (Matches(LookAt(e.dir, e.file, e.Shown(e.file)), e.newId, device) ? s.newer : s.older).push_back(e.name);
    if (Matches(LookAt(e.dir, e.kept, e.Shown(e.kept)), e.keptId, device))
      s.kept.push_back(e.Shown(e.kept).native() + " for " + e.name);
    if (Matches(LookAt(e.dir, e.temporary, e.Shown(e.temporary)), e.newId, device))
      s.waiting.push_back(e.Shown(e.temporary).native() + " for " + e.name);
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

}  // namespace velk::set_journal
