#include "platform/file_set.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <map>
#include <string_view>
#include <system_error>
#include <variant>

#include "platform/text_file.h"

namespace velk {
namespace fs = std::filesystem;

namespace {

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
constexpr std::string_view kAside = ".aside";
constexpr size_t kRunLength = 8;
// A set is a handful of files.
constexpr size_t kMaxTargets = 8;
// A journal names a handful of paths; anything much larger was not
// written by a run of ours and is not read.
constexpr size_t kMaxJournalBytes = 64 * 1024;

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

bool IsRunName(std::string_view run) {
  return run.size() == kRunLength && std::all_of(run.begin(), run.end(), [](char c) {
           return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
         });
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

bool ParseWriter(std::string_view text, long& pid, unsigned long long& start) {
  const size_t dot = text.find('.');
  if (dot == std::string_view::npos) return false;
  const auto a = std::from_chars(text.data(), text.data() + dot, pid);
  const auto b = std::from_chars(text.data() + dot + 1, text.data() + text.size(), start);
  return a.ec == std::errc() && a.ptr == text.data() + dot && b.ec == std::errc() &&
         b.ptr == text.data() + text.size() && pid > 0;
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

std::string UserName(uid_t uid) {
  struct passwd pw {};
  struct passwd* found = nullptr;
  char buffer[4096];
  if (::getpwuid_r(uid, &pw, buffer, sizeof buffer, &found) == 0 && found && found->pw_name)
    return std::string(found->pw_name) + " (" + std::to_string(uid) + ")";
  return "number " + std::to_string(uid);
}

// False for file systems that give every file of a mount one owner and mode
// (FAT, exFAT, NTFS, network shares of Windows, FUSE mounts of such disks):
// there the mode of a journal says nothing about who may write it.
bool KeepsPermissions(int folder) {
  struct statfs fs {};
  if (::fstatfs(folder, &fs) != 0) return true;
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
      return false;
    default:
      return true;
  }
}

// ---- What a file is now ----------------------------------------------------

// What lies at a name, not followed through a link.
struct Look {
  enum class Kind { kAbsent, kFile, kLink, kOther, kError };
  Kind kind = Kind::kAbsent;
  struct stat st {};
  int error = 0;
  bool Exists() const { return kind != Kind::kAbsent && kind != Kind::kError; }
};

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

// A file that may be replaced: not marked read-only (no write bit at all,
// which even a user whom the system lets write it respects) and writable.
bool Writable(int folder, const std::string& name, const Look& l) {
  return (l.st.st_mode & 0222) != 0 && ::faccessat(folder, name.c_str(), W_OK, AT_EACCESS) == 0;
}

// Removes the file or link `name`; true when nothing of that name is left.
bool RemoveAt(int folder, const std::string& name, const fs::path& shown) {
  if (FileStepFails("unlink", shown)) return false;
  return ::unlinkat(folder, name.c_str(), 0) == 0 || errno == ENOENT;
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

// ---- The journal -------------------------------------------------------------

// One target of a set, with the files of its run.
struct Entry {
  std::string name;  // in the journal's folder
  fs::path via;      // when the name is a link: the file it leads to
  std::optional<FileIdentity> oldId, newId, keptId;
  // Where the files lie: the folder (open), the target's own name there, the
  // run's new file and kept old file, and the folder as the user sees it
  // (empty for the journal's own).
  int dir = -1;
  std::string file, temporary, kept;
  fs::path shownDir;
  bool lost = false;  // the name is no longer the link it was

  fs::path Shown(const std::string& n) const { return shownDir.empty() ? fs::path(n) : shownDir / n; }
};

struct Journal {
  std::string mark, run, writer, boot;
  std::vector<Entry> entries;
  bool committed = false;
  bool begun = true;  // false: its first record was cut short
};

std::string Fields(std::initializer_list<std::string_view> fields) {
  std::string text;
  for (std::string_view f : fields) {
    text += f;
    text.push_back('\0');
  }
  return text;
}

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

// Whether `partial`, the start of a field cut short, can begin the field
// `position` of a committed record of `count` targets.
bool BeginsField(std::string_view partial, size_t position, size_t count) {
  if (position == 0) return kCommitted.starts_with(partial);
  if (position == 1 + 3 * count) return kEnd.starts_with(partial);
  return partial.size() < 80 && partial.find_first_not_of("0123456789.-") == std::string_view::npos;
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

// Where the names of a journal stand.
struct SetState {
  std::vector<std::string> targets, newer, older, kept, waiting;
};

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

struct JournalOutcome {
  std::string line;
  bool attention = false;
  bool unfinished = false;
  bool busy = false;
};

// The journal stays in force: the next run tries again.
JournalOutcome TryAgain(const std::string& what, int err) {
  return {"Could not " + what + " (" + std::strerror(err) + "): nothing was changed, and the next run tries again.",
          true, true};
}

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

// The journal cannot or must not be carried through: it is set aside with
// every file it names, and `line` says why.
JournalOutcome SetAsideWith(int folder, const std::string& journal, const std::string& line) {
  JournalOutcome out{line, true, false};
  if (std::optional<std::string> aside = SetAside(folder, journal)) {
    out.line += "; the journal is kept as " + *aside + ".";
  } else {
    out.line += "; the journal " + journal + " could not be set aside (" + std::strerror(errno) + ").";
    out.unfinished = true;
  }
  return out;
}

// ---- Putting a set right -----------------------------------------------------

// The open folders the links of a journal lead to, closed when it goes.
class OpenFolders {
 public:
  ~OpenFolders() {
    for (auto& [path, fd] : fds_) ::close(fd);
  }
  // -1 (errno set) when `dir` cannot be opened.
  int Open(const fs::path& dir) {
    if (auto it = fds_.find(dir); it != fds_.end()) return it->second;
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) fds_.emplace(dir, fd);
    return fd;
  }

 private:
  std::map<fs::path, int> fds_;
};

// What the recovery of one folder works with.
struct Place {
  fs::path folder;  // as given
  int fd;           // the folder, locked
  dev_t device;     // its file system
  std::function<bool(const fs::path&)> alsoLock;
};

// Reads the journal `name`: its text, or the outcome that ends the
// recovery of this journal there and then.
std::variant<std::string, JournalOutcome> ReadJournal(const Place& at, const std::string& name,
                                                      const std::string& by) {
  const fs::path shown = at.folder / name;
  const Look look = LookAt(at.fd, name, shown);
  if (look.kind == Look::Kind::kAbsent) return JournalOutcome{};
  if (look.kind == Look::Kind::kError) return TryAgain("look at the journal " + name + " of " + by, look.error);
  // Only the user's own journals steer a recovery: another user's, or one
  // that others may write, could name any file of this user's.
  if (look.st.st_uid != ::geteuid())
    return JournalOutcome{"The journal " + name + " in this folder belongs to the user " +
                              UserName(look.st.st_uid) + ", not to you: nothing was done.",
                          true, true};
  if (look.kind != Look::Kind::kFile)
    return SetAsideWith(at.fd, name, "The journal " + name + " of an interrupted run could not be used (it is not a "
                                     "regular file): nothing was changed");
  if ((look.st.st_mode & 022) != 0 && KeepsPermissions(at.fd))
    return JournalOutcome{"The journal " + name + " in this folder may be written by other users: nothing was done.",
                          true, true};
  if (static_cast<size_t>(look.st.st_size) > kMaxJournalBytes)
    return SetAsideWith(at.fd, name, "The journal " + name + " of an interrupted run could not be used (it is far "
                                     "larger than a journal): nothing was changed");
  struct stat st {};
  int err = 0;
  std::optional<std::string> text;
  if (FileStepFails("open", shown)) err = errno;
  else text = ReadFileBytes(name, nullptr, ReadLimits{at.fd, false, kMaxJournalBytes, &st}, &err);
  if (text && FileStepFails("read", shown)) {
    err = errno;
    text.reset();
  }
  if (!text) {
    if (err == ENOENT) return JournalOutcome{};
    return TryAgain("read the journal " + name + " of " + by, err == EINVAL || err == EFBIG ? EAGAIN : err);
  }
  // The file read must be the one looked at, read whole.
  if (st.st_ino != look.st.st_ino || st.st_uid != look.st.st_uid || text->size() != static_cast<size_t>(st.st_size))
    return TryAgain("read the journal " + name + " of " + by + " whole", EAGAIN);
  return std::move(*text);
}

// Opens the folders of the entries whose names are links, while each link
// still leads where it led: the names of those that do not are added to
// `changed`. False (with the outcome in `out`) when that cannot be told.
bool OpenEntryFolders(const Place& at, Journal& j, OpenFolders& folders, std::vector<std::string>& changed,
                      const std::string& by, JournalOutcome& out) {
  for (Entry& e : j.entries) {
    e.dir = at.fd;
    if (e.via.empty()) continue;
    const Look link = LookAt(at.fd, e.name, at.folder / e.name);
    if (link.kind == Look::Kind::kError) {
      out = TryAgain("look at " + e.name + " after " + by, link.error);
      return false;
    }
    std::optional<fs::path> resolved =
        link.kind == Look::Kind::kLink ? ResolveWriteTarget(at.folder / e.name) : std::nullopt;
    if (!resolved || Absolute(*resolved) != e.via) {
      e.lost = true;
      changed.push_back(e.name);
      continue;
    }
    const int fd = folders.Open(e.via.parent_path());
    if (fd < 0) {
      if (errno == ENOENT || errno == ENOTDIR) {
        e.lost = true;
        changed.push_back(e.name);
        continue;
      }
      out = TryAgain("open the folder of " + e.name + " after " + by, errno);
      return false;
    }
    if (!at.alsoLock(e.via.parent_path())) {
      out.busy = true;
      return false;
    }
    e.dir = fd;
  }
  return true;
}

// Carries one journal of a killed run of `mark` through (see file_set.h).
JournalOutcome RecoverJournal(const Place& at, std::string_view mark) {
  const std::string name = JournalName(mark);
  const std::string by = "an interrupted run of " + std::string(mark);
  std::variant<std::string, JournalOutcome> read = ReadJournal(at, name, by);
  if (auto* done = std::get_if<JournalOutcome>(&read)) return *done;
  const std::string& text = std::get<std::string>(read);
  if (text.empty()) {
    // Killed between making the journal and writing it: nothing was begun.
    if (RemoveAt(at.fd, name, at.folder / name)) return {"Removed the empty journal of " + by + "."};
    return TryAgain("remove the empty journal " + name + " of " + by, errno);
  }
  std::string why;
  std::optional<Journal> journal = ParseJournal(text, mark, why);
  if (!journal)
    return SetAsideWith(at.fd, name, "The journal " + name + " of an interrupted run could not be used (" + why +
                                         "): nothing was changed");
  Journal& j = *journal;
  if (!j.begun) {
    if (RemoveAt(at.fd, name, at.folder / name)) return {"Removed the journal of " + by + ", which had not begun."};
    return TryAgain("remove the journal " + name + " of " + by, errno);
  }
  // Where the file system gives no lock, a live run is not to be mistaken
  // for a killed one.
  if (WriterRuns(j.writer, j.boot)) return JournalOutcome{{}, false, false, true};
  NameFiles(j);
  OpenFolders folders;
  std::vector<std::string> changed;
  JournalOutcome out;
  if (!OpenEntryFolders(at, j, folders, changed, by, out)) return out;
  std::vector<std::string> targets;
  for (const Entry& e : j.entries) targets.push_back(e.name);
  const std::string targetList = NameList(targets);
  const std::string isAre = j.entries.size() == 1 ? " is" : " are";

  if (!j.committed) {
    // No target has been touched: only the run's own new files and second
    // names of old files go, unless a link of the set leads elsewhere now,
    // and its files could not be found.
    if (!changed.empty())
      return SetAsideWith(at.fd, name, NameList(changed) + " changed after " + by + " had begun to replace " +
                                           targetList + ": nothing was changed; check " + targetList);
    for (const Entry& e : j.entries) {
      for (const std::string& file : {e.temporary, e.kept}) {
        const Look l = LookAt(e.dir, file, e.Shown(file));
        if (l.kind == Look::Kind::kError) return TryAgain("look at " + e.Shown(file).native() + " after " + by, l.error);
        if (l.Exists() && !RemoveAt(e.dir, file, e.Shown(file)))
          return TryAgain("remove what " + by + " left beside " + targetList, errno);
      }
    }
    if (!RemoveAt(at.fd, name, at.folder / name)) return TryAgain("remove the journal " + name + " of " + by, errno);
    return {"Removed what " + by + " left; " + targetList + isAre + " as before."};
  }

  // What each file is now; nothing is decided on a look that failed.
  struct Now {
    Look target, temporary, kept;
  };
  std::vector<Now> now;
  for (const Entry& e : j.entries) {
    if (e.lost) {
      now.push_back(Now{});
      continue;
    }
    Now n{LookAt(e.dir, e.file, e.Shown(e.file)), LookAt(e.dir, e.temporary, e.Shown(e.temporary)),
          LookAt(e.dir, e.kept, e.Shown(e.kept))};
    for (const auto& [l, file] : {std::pair{&n.target, &e.file}, {&n.temporary, &e.temporary}, {&n.kept, &e.kept}})
      if (l->kind == Look::Kind::kError) return TryAgain("look at " + e.Shown(*file).native() + " after " + by, l->error);
    now.push_back(n);
  }
  const dev_t dev = at.device;
  // Every file it would touch must be as the run left it, on this file system.
  bool anyAsRecorded = false;
  for (size_t i = 0; i < j.entries.size(); ++i) {
    const Entry& e = j.entries[i];
    const Now& n = now[i];
    const bool targetOk = (n.target.kind == Look::Kind::kAbsent && !e.oldId) || Matches(n.target, e.oldId, dev) ||
                          IsNewFile(n.target, e.newId, dev) || Matches(n.target, e.keptId, dev);
    const bool temporaryOk = !n.temporary.Exists() || IsNewFile(n.temporary, e.newId, dev);
    const bool keptOk = !n.kept.Exists() || Matches(n.kept, e.keptId, dev);
    if ((!targetOk || !temporaryOk || !keptOk) &&
        std::find(changed.begin(), changed.end(), e.name) == changed.end())
      changed.push_back(e.name);
    anyAsRecorded = anyAsRecorded || Matches(n.target, e.oldId, dev) || IsNewFile(n.target, e.newId, dev) ||
                    (n.temporary.Exists() && temporaryOk) || (n.kept.Exists() && keptOk);
  }
  if (!anyAsRecorded)
    return SetAsideWith(at.fd, name, "The journal " + name + " of an interrupted run could not be used (none of "
                                     "the files it names is as that run left it): nothing was changed");
  auto isNew = [&](size_t i) { return IsNewFile(now[i].target, j.entries[i].newId, dev); };
  auto isWaiting = [&](size_t i) { return IsNewFile(now[i].temporary, j.entries[i].newId, dev); };
  bool forward = true;
  for (size_t i = 0; i < j.entries.size(); ++i) forward = forward && (isNew(i) || isWaiting(i));
  // Putting back needs every old file that a new one replaced; one that is
  // gone was removed since, which is a change too.
  if (!forward) {
    for (size_t i = 0; i < j.entries.size(); ++i) {
      const Entry& e = j.entries[i];
      if (isNew(i) && e.oldId && !Matches(now[i].kept, e.keptId, dev)) changed.push_back(e.Shown(e.kept).native());
    }
  }
  const SetState before = StateOf(j, dev);
  if (!changed.empty())
    return SetAsideWith(at.fd, name, NameList(changed) + " changed after " + by + " had begun to replace " +
                                         targetList + ": nothing was put back; check " + targetList +
                                         KeptClause(before));
  // A target that was made read-only since is not replaced.
  std::vector<std::string> locked;
  for (size_t i = 0; i < j.entries.size(); ++i) {
    const Entry& e = j.entries[i];
    const bool replaced = forward ? !isNew(i) : isNew(i);
    if (replaced && now[i].target.Exists() && !Writable(e.dir, e.file, now[i].target)) locked.push_back(e.name);
  }
  if (!locked.empty())
    return SetAsideWith(at.fd, name, IsAre(locked, "read-only") + " since " + by + " had begun to replace " +
                                         targetList + ": nothing was put back; check " + targetList +
                                         KeptClause(before));

  auto failed = [&](const std::string& doing) {
    const int err = errno;
    const SetState state = StateOf(j, dev);
    return JournalOutcome{"Could not " + doing + " " + targetList + " after " + by + " (" + std::strerror(err) +
                              "): " + NewOldClause(state) + KeptClause(state) + ".",
                          true, true};
  };
  size_t moved = 0;
  if (forward) {
    // Every new file is there: the run is finished as it was asked to.
    for (size_t i = 0; i < j.entries.size(); ++i) {
      const Entry& e = j.entries[i];
      if (isNew(i)) continue;
      if (!RenameDurably(e.dir, e.temporary, e.dir, e.file, e.Shown(e.file))) return failed("finish replacing");
      ++moved;
    }
  } else {
    // Some new file is gone: every target gets its old file back, or, where
    // there was none, loses the run's new one.
    for (size_t i = j.entries.size(); i-- > 0;) {
      const Entry& e = j.entries[i];
      if (!isNew(i)) continue;
      const bool back = e.oldId ? RenameDurably(e.dir, e.kept, e.dir, e.file, e.Shown(e.file))
                                : RemoveAt(e.dir, e.file, e.Shown(e.file));
      if (!back) return failed("put back the earlier");
      ++moved;
    }
  }
  const std::string doing = forward ? "finish replacing" : "put back the earlier";
  for (const Entry& e : j.entries) {
    const Look temporary = LookAt(e.dir, e.temporary, e.Shown(e.temporary));
    const Look kept = LookAt(e.dir, e.kept, e.Shown(e.kept));
    if (temporary.kind == Look::Kind::kError || kept.kind == Look::Kind::kError) {
      errno = temporary.kind == Look::Kind::kError ? temporary.error : kept.error;
      return failed(doing);
    }
    if (IsNewFile(temporary, e.newId, dev) && !RemoveAt(e.dir, e.temporary, e.Shown(e.temporary))) return failed(doing);
    if (Matches(kept, e.keptId, dev) && !RemoveAt(e.dir, e.kept, e.Shown(e.kept))) return failed(doing);
  }
  if (!RemoveAt(at.fd, name, at.folder / name)) return failed(doing);
  ::fsync(at.fd);
  if (moved == 0) return {"Removed what " + by + " left; " + targetList + isAre + (forward ? " new." : " as before.")};
  if (forward) return {"Finished replacing " + targetList + ", which " + by + " had left half done."};
  return {"Put back the earlier " + targetList + ", which " + by + " had left half replaced."};
}

// What a journal that a recovery set aside asks of the user, for each one
// in the folder; `error` receives the system's reason when the folder
// could not be listed.
std::vector<std::string> AsideNotices(const Place& at, int& error) {
  std::vector<std::string> notices;
  // A listing of its own, from the start, of the folder that is locked.
  const int fd = ::openat(at.fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
  if (!dir) {
    error = errno;
    if (fd >= 0) ::close(fd);
    return notices;
  }
  std::vector<std::string> names;
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string n = entry->d_name;
    for (std::string_view mark : kProgramMarks)
      if (n.starts_with(JournalName(mark) + std::string(kAside))) names.push_back(n);
  }
  error = errno;
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& aside : names) {
    const std::string where = " in the folder '" + Absolute(at.folder).native() + "' half replaced, and what to do "
                              "could not be told";
    std::optional<Journal> journal;
    const std::optional<std::string> text =
        ReadFileBytes(aside, nullptr, ReadLimits{at.fd, false, kMaxJournalBytes, nullptr});
    std::string why;
    for (std::string_view mark : kProgramMarks)
      if (text && !journal && aside.starts_with(JournalName(mark))) journal = ParseJournal(*text, mark, why);
    if (journal && journal->begun) {
      std::vector<std::string> targets;
      for (const Entry& e : journal->entries) targets.push_back(e.name);
      notices.push_back("An interrupted run left " + NameList(targets) + where + ". Check them, then delete " + aside +
                        " and the files ." + journal->mark + "-set-" + journal->run + "-* that it left.");
    } else {
      notices.push_back("An interrupted run left files" + where + "; its journal " + aside +
                        " names them. Check them, then delete " + aside + ".");
    }
  }
  return notices;
}

}  // namespace

KnownFile KnowFile(const fs::path& path) {
  const fs::path file = Absolute(ResolveWriteTarget(path).value_or(path));
  return {file, IdentityOf(file)};
}

void Remember(std::vector<KnownFile>& files, KnownFile known) {
  std::erase_if(files, [&](const KnownFile& k) { return k.file == known.file; });
  files.push_back(std::move(known));
}

std::string SetRecovery::Text() const {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string SetRecovery::Refusal() const {
  if (busy) return SetFailureText({SetFailure::Step::kBusy, Absolute(folder), {}, {}});
  if (unfinished)
    return "An interrupted replacement of files in the folder '" + Absolute(folder).native() +
           "' is not carried through yet, so they may not belong together: they are not read until it is.";
  std::string text;
  for (const std::string& notice : asides) text += (text.empty() ? "" : "\n") + notice;
  return text;
}

std::string SetFailureText(const SetFailure& failure) {
  const std::string file = failure.file.native();
  const std::string because = " (" + failure.reason + ").";
  std::string text;
  switch (failure.step) {
    case SetFailure::Step::kNone:
    case SetFailure::Step::kDeclined: return {};
    case SetFailure::Step::kBusy:
      return "Another program is writing into the folder '" + file + "'. Try again when it has finished.";
    case SetFailure::Step::kUnfinished:
      return "An interrupted replacement of files in the folder '" + file + "' could not be carried through.";
    case SetFailure::Step::kRefused: text = "'" + file + "' may not be replaced" + because; break;
    case SetFailure::Step::kCreate: text = "Could not make a new file beside '" + file + "'" + because; break;
    case SetFailure::Step::kWrite: text = "Could not write '" + file + "'" + because; break;
    case SetFailure::Step::kReplace: text = "Could not replace '" + file + "'" + because; break;
  }
  return failure.mixed.empty() ? text : text + "\n" + failure.mixed;
}

// ---- The folder of a set -------------------------------------------------------

SetFolder::SetFolder(fs::path folder, std::vector<fs::path> files)
    : folder_(folder.empty() ? fs::path(".") : std::move(folder)), files_(std::move(files)) {}

SetFolder::~SetFolder() {
  if (fd_ >= 0) ::close(fd_);
}

FolderLock::Result SetFolder::LockAll(const std::function<void()>& waiting,
                                      std::optional<std::chrono::milliseconds> limit) {
  locks_.clear();
  lockless_ = false;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  // The set's folder and those its files' links lead to, each once, in the
  // order of their device and inode, which every run takes alike.
  struct Dir {
    fs::path path;
    FolderLock::Key key;
  };
  std::vector<Dir> dirs;
  auto add = [&](const fs::path& dir) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0) return;
    const FolderLock::Key key{st.st_dev, st.st_ino};
    if (std::none_of(dirs.begin(), dirs.end(), [&](const Dir& d) { return d.key == key; })) dirs.push_back({dir, key});
  };
  add(folder_);
  for (const fs::path& file : files_) add(Absolute(ResolveWriteTarget(file).value_or(file)).parent_path());
  std::sort(dirs.begin(), dirs.end(), [](const Dir& a, const Dir& b) { return a.key < b.key; });
  const auto until = std::chrono::steady_clock::now() + limit.value_or(std::chrono::milliseconds(0));
  bool told = false;
  for (const Dir& dir : dirs) {
    auto lock = std::make_unique<FolderLock>();
    FolderLock::Result r;
    if (limit) {
      r = lock->LockWithin(dir.path, std::max(std::chrono::milliseconds(0), std::chrono::duration_cast<std::chrono::milliseconds>(
                                                                             until - std::chrono::steady_clock::now())));
    } else {
      r = lock->Lock(dir.path, [&] {
        if (!told && waiting) waiting();
        told = true;
      });
    }
    if (r == FolderLock::Result::kBusy) {
      locks_.clear();
      return locked_ = FolderLock::Result::kBusy;
    }
    if (r == FolderLock::Result::kUnsupported) lockless_ = true;
    if (r == FolderLock::Result::kLocked) locks_.push_back(std::move(lock));
  }
  // Everything is done through the folder that was locked, never through a
  // name that could be given to another folder meanwhile.
  fd_ = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
    locks_.clear();
    return locked_ = FolderLock::Result::kNoFolder;
  }
  const FolderLock::Key key{st.st_dev, st.st_ino};
  if (!lockless_ && std::none_of(locks_.begin(), locks_.end(), [&](const auto& l) { return l->key() == key; })) {
    locks_.clear();
    return locked_ = FolderLock::Result::kBusy;
  }
  return locked_ = lockless_ ? FolderLock::Result::kUnsupported : FolderLock::Result::kLocked;
}

bool SetFolder::AlsoLock(const fs::path& dir) {
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) return true;  // what is done there fails and says so
  const FolderLock::Key key{st.st_dev, st.st_ino};
  if (std::any_of(locks_.begin(), locks_.end(), [&](const auto& l) { return l->key() == key; })) return true;
  auto lock = std::make_unique<FolderLock>();
  switch (lock->LockWithin(dir, kSetLockWait)) {
    case FolderLock::Result::kBusy: return false;
    case FolderLock::Result::kUnsupported: lockless_ = true; return true;
    case FolderLock::Result::kNoFolder: return true;
    case FolderLock::Result::kLocked: locks_.push_back(std::move(lock)); return true;
  }
  return true;
}

SetRecovery SetFolder::Recover() {
  SetRecovery r;
  r.folder = folder_;
  if (locked_ == FolderLock::Result::kBusy) {
    r.busy = true;
    return r;
  }
  if (fd_ < 0) return r;
  struct stat st {};
  ::fstat(fd_, &st);
  const Place at{folder_, fd_, st.st_dev, [this](const fs::path& dir) { return AlsoLock(dir); }};
  for (std::string_view mark : kProgramMarks) {
    JournalOutcome out = RecoverJournal(at, mark);
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
    r.lines.push_back("Could not list the folder '" + Absolute(folder_).native() + "' (" + std::strerror(error) + ").");
    r.attention = r.unfinished = true;
  }
  // A killed copy of a backup is swept by the next writer (Replace), which
  // knows the backups' names.
  return r;
}

namespace {

// A run's journal while it replaces a set: removed again, with every file
// the run made, unless the run ends otherwise.
class Run {
 public:
  Run(Journal journal, int folder, fs::path shown)
      : j_(std::move(journal)), folder_(folder), name_(JournalName(j_.mark)), shown_(std::move(shown)),
        made_(j_.entries.size()) {}
  ~Run() {
    if (fd_ >= 0) ::close(fd_);
    if (!keep_) Discard();
  }
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  Journal& journal() { return j_; }
  const fs::path& shown() const { return shown_; }
  // What the run has made of entry `i`: its new file, its kept old file.
  std::pair<bool, bool>& made(size_t i) { return made_[i]; }

  // Makes the journal with the names of the run's files; false (errno set)
  // when it cannot, or when one is there already.
  bool Begin() {
    fd_ = CreateNewFile(folder_, name_, shown_);
    if (fd_ < 0) return false;
    begun_ = true;
    return Append(StagedRecord(j_)) && (::fsync(folder_), true);
  }
  bool Commit() { return Append(CommittedRecord(j_)); }
  // Removes the journal; false when it or a kept old file stays.
  bool End() {
    bool clean = true;
    for (size_t i = 0; i < j_.entries.size(); ++i) {
      const Entry& e = j_.entries[i];
      if (made_[i].second) clean = RemoveAt(e.dir, e.kept, e.Shown(e.kept)) && clean;
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    clean = clean && RemoveAt(folder_, name_, shown_);
    ::fsync(folder_);
    keep_ = true;
    return clean;
  }
  // The journal and the files it names stay for the next run.
  void Keep() { keep_ = true; }

 private:
  bool Append(std::string_view record) {
    return !FileStepFails("write", shown_) && WriteAll(fd_, record) && !FileStepFails("fsync", shown_) &&
           ::fsync(fd_) == 0;
  }
  void Discard() {
    bool clean = true;
    for (size_t i = 0; i < j_.entries.size(); ++i) {
      const Entry& e = j_.entries[i];
      if (made_[i].first) clean = RemoveAt(e.dir, e.temporary, e.Shown(e.temporary)) && clean;
      if (made_[i].second) clean = RemoveAt(e.dir, e.kept, e.Shown(e.kept)) && clean;
    }
    if (begun_ && clean) RemoveAt(folder_, name_, shown_);
  }

  Journal j_;
  int folder_;
  std::string name_;
  fs::path shown_;
  std::vector<std::pair<bool, bool>> made_;
  int fd_ = -1;
  bool begun_ = false;
  bool keep_ = false;
};

bool Fail(SetFailure& failure, SetFailure::Step step, const fs::path& file, int err) {
  failure.step = step;
  failure.file = file;
  failure.reason = std::strerror(err);
  return false;
}

// Gives the old file `e.file` the second name `e.kept`: a hard link, or on
// a file system without them a copy with the file's permissions. The
// identity of what was made goes to `e.keptId`; false (errno set) when
// anything fails, `made` then true when a file was made all the same.
bool KeepOldFile(Entry& e, const struct stat& old, bool& made) {
  struct stat st {};
  if (!FileStepFails("link", e.Shown(e.kept)) && ::linkat(e.dir, e.file.c_str(), e.dir, e.kept.c_str(), 0) == 0) {
    made = true;
    const Look kept = LookAt(e.dir, e.kept, e.Shown(e.kept));
    if (kept.kind == Look::Kind::kError) {
      errno = kept.error;
      return false;
    }
    if (kept.kind != Look::Kind::kFile || IdentityOf(kept.st) != IdentityOf(old)) {
      errno = EAGAIN;  // the old file was replaced meanwhile
      return false;
    }
    e.keptId = IdentityOf(kept.st);
    return true;
  }
  if (errno == EEXIST) return false;
  int err = 0;
  std::optional<std::string> bytes = ReadFileBytes(e.file, nullptr, ReadLimits{e.dir, false}, &err);
  if (!bytes) {
    errno = err;
    return false;
  }
  if (!WriteNewFile(e.dir, e.kept, *bytes, old.st_mode & 07777, e.Shown(e.kept), &st)) return false;
  made = true;
  e.keptId = IdentityOf(st);
  return true;
}

}  // namespace

bool SetFolder::Replace(const FileSet& files, SetFailure& failure, const SetOptions& options) {
  failure = SetFailure{};
  if (locked_ == FolderLock::Result::kBusy) return Fail(failure, SetFailure::Step::kBusy, Absolute(folder_), EBUSY);
  if (fd_ < 0) return Fail(failure, SetFailure::Step::kCreate, files.empty() ? folder_ : files.front().first, ENOENT);
  OpenFolders folders;
  struct stat folderStat {};
  ::fstat(fd_, &folderStat);
  // Each target where a write to it lands, checked before anything is made.
  struct Planned {
    fs::path given;
    Entry entry;
    fs::path key;  // the file a write lands in
    const std::string* bytes;
    mode_t mode;
  };
  std::vector<Planned> planned;
  for (const auto& [path, bytes] : files) {
    Planned p{path, {}, {}, &bytes, NewFileMode()};
    Entry& e = p.entry;
    e.name = path.filename().native();
    struct stat parent {};
    const fs::path dir = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    if (!IsPlainName(e.name) || ::stat(dir.c_str(), &parent) != 0 || parent.st_dev != folderStat.st_dev ||
        parent.st_ino != folderStat.st_ino)
      return Fail(failure, SetFailure::Step::kRefused, path, EXDEV);
    e.dir = fd_;
    Look l = LookAt(fd_, e.name, path);
    if (l.kind == Look::Kind::kError) return Fail(failure, SetFailure::Step::kRefused, path, l.error);
    if (l.kind == Look::Kind::kLink) {
      std::string why;
      std::optional<fs::path> resolved = ResolveWriteTarget(path, &why);
      if (!resolved) {
        failure = SetFailure{SetFailure::Step::kRefused, path, why, {}};
        return false;
      }
      e.via = Absolute(*resolved);
      if (!IsPlainName(e.via.filename().native())) return Fail(failure, SetFailure::Step::kRefused, path, EINVAL);
      e.shownDir = e.via.parent_path();
      e.dir = folders.Open(e.shownDir);
      if (e.dir < 0) return Fail(failure, SetFailure::Step::kCreate, path, errno);
      if (!AlsoLock(e.shownDir)) return Fail(failure, SetFailure::Step::kBusy, e.shownDir, EBUSY);
      e.file = e.via.filename().native();
      l = LookAt(e.dir, e.file, e.via);
      // A link left after resolving loops.
      if (l.kind == Look::Kind::kLink) return Fail(failure, SetFailure::Step::kRefused, path, ELOOP);
      if (l.kind == Look::Kind::kError) return Fail(failure, SetFailure::Step::kRefused, path, l.error);
      p.key = e.via;
    } else {
      e.file = e.name;
      p.key = Absolute(folder_ / e.name);
    }
    if (l.kind == Look::Kind::kOther)
      return Fail(failure, SetFailure::Step::kRefused, path, S_ISDIR(l.st.st_mode) ? EISDIR : EINVAL);
    if (l.kind == Look::Kind::kFile) {
      // Anything else but a regular file is no file to replace, nor is one
      // marked read-only.
      if (!Writable(e.dir, e.file, l)) return Fail(failure, SetFailure::Step::kRefused, path, EACCES);
      p.mode = l.st.st_mode & 07777;
    }
    std::erase_if(planned, [&](const Planned& q) { return q.key == p.key; });
    planned.push_back(std::move(p));
  }
  if (planned.empty()) return true;

  // A file that another program changed since the caller read or wrote it
  // is replaced only when the caller says so.
  if (options.known) {
    std::vector<fs::path> changed;
    for (const Planned& p : planned) {
      for (const KnownFile& k : *options.known)
        if (k.file == p.key && IdentityOf(p.key) != k.identity) changed.push_back(p.given);
    }
    if (!changed.empty() && !(options.overwriteChanged && options.overwriteChanged(changed))) {
      failure = SetFailure{SetFailure::Step::kDeclined, changed.front(), {}, {}};
      return false;
    }
  }
  // No new set goes into a folder whose last one is not carried through.
  auto journalThere = [&](std::string_view mark) {
    return LookAt(fd_, JournalName(mark), folder_ / JournalName(mark)).kind != Look::Kind::kAbsent;
  };
  for (std::string_view mark : kProgramMarks)
    if (journalThere(mark)) return Fail(failure, SetFailure::Step::kUnfinished, Absolute(folder_), EEXIST);
  // The one-time copies, under the lock: a copy that a killed run left
  // unfinished under a temporary name goes first (never another program's,
  // and only where the lock says that no run of ours is making one).
  for (const auto& [from, to] : options.copies) {
    if (!lockless_) RemoveLeftoverTemporaries(ResolveWriteTarget(to).value_or(to));
    std::error_code ec;
    if (fs::is_regular_file(from, ec)) CopyFileOnce(from, to);
  }


  Journal j{ProgramMark(), NewRunName(), ThisWriter(), BootId(), {}, false};
  for (const Planned& p : planned) j.entries.push_back(p.entry);
  for (size_t i = 0; i < j.entries.size(); ++i) {
    Entry& e = j.entries[i];
    e.temporary = TemporaryName(j.mark, j.run, i);
    e.kept = e.temporary + ".old";
  }
  if (StagedRecord(j).size() + CommittedRecord(j).size() + 64 * j.entries.size() > kMaxJournalBytes)
    return Fail(failure, SetFailure::Step::kRefused, planned.front().given, ENAMETOOLONG);
  Run run(std::move(j), fd_, folder_ / JournalName(ProgramMark()));
  std::vector<Entry>& entries = run.journal().entries;
  if (!run.Begin()) {
    const int err = errno;
    if (err != EEXIST) return Fail(failure, SetFailure::Step::kCreate, run.shown(), err);
    return Fail(failure, lockless_ ? SetFailure::Step::kBusy : SetFailure::Step::kUnfinished, Absolute(folder_), err);
  }
  // Without locks, two runs can begin at once: the later one backs off.
  if (lockless_) {
    for (std::string_view mark : kProgramMarks)
      if (mark != ProgramMark() && journalThere(mark)) return Fail(failure, SetFailure::Step::kBusy, Absolute(folder_), EBUSY);
  }
  // Every new file is whole, and every identity recorded is checked, before
  // anything is replaced.
  for (size_t i = 0; i < entries.size(); ++i) {
    Entry& e = entries[i];
    struct stat st {};
    if (!WriteNewFile(e.dir, e.temporary, *planned[i].bytes, planned[i].mode, e.Shown(e.temporary), &st)) {
      const int err = errno;
      return Fail(failure, err == EEXIST ? SetFailure::Step::kCreate : SetFailure::Step::kWrite, planned[i].given, err);
    }
    run.made(i).first = true;
    e.newId = IdentityOf(st);
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    Entry& e = entries[i];
    const Look old = LookAt(e.dir, e.file, e.Shown(e.file));
    if (old.kind == Look::Kind::kError) return Fail(failure, SetFailure::Step::kCreate, planned[i].given, old.error);
    if (old.kind == Look::Kind::kAbsent) continue;
    if (old.kind != Look::Kind::kFile) return Fail(failure, SetFailure::Step::kRefused, planned[i].given, EINVAL);
    e.oldId = IdentityOf(old.st);
    if (!KeepOldFile(e, old.st, run.made(i).second))
      return Fail(failure, SetFailure::Step::kCreate, planned[i].given, errno);
  }
  if (!run.Commit()) return Fail(failure, SetFailure::Step::kCreate, run.shown(), errno);

  for (size_t k = 0; k < entries.size(); ++k) {
    Entry& e = entries[k];
    if (RenameDurably(e.dir, e.temporary, e.dir, e.file, e.Shown(e.file))) {
      run.made(k).first = false;
      continue;
    }
    Fail(failure, SetFailure::Step::kReplace, planned[k].given, errno);
    // The targets replaced so far get their old files back, the last first.
    bool back = true;
    for (size_t i = k; i-- > 0;) {
      const Entry& b = entries[i];
      const bool put = b.oldId ? RenameDurably(b.dir, b.kept, b.dir, b.file, b.Shown(b.file))
                               : RemoveAt(b.dir, b.file, b.Shown(b.file));
      if (put && b.oldId) run.made(i).second = false;
      back = put && back;
    }
    // The targets not reached are old, and need neither their new files nor
    // second names of their old ones.
    for (size_t i = k; i < entries.size(); ++i) {
      const Entry& b = entries[i];
      if (RemoveAt(b.dir, b.temporary, b.Shown(b.temporary))) run.made(i).first = false;
      else back = false;
      if (!run.made(i).second) continue;
      if (RemoveAt(b.dir, b.kept, b.Shown(b.kept))) run.made(i).second = false;
      else back = false;
    }
    if (back && run.End()) return false;
    // What is left is the next run's to carry through.
    run.Keep();
    const SetState now = StateOf(run.journal(), folderStat.st_dev);
    if (!now.newer.empty())
      failure.mixed = "Could not put the earlier files back: " + NewOldClause(now) + KeptClause(now) + ".";
    return false;
  }
  // A journal that cannot be removed is finished by the next run.
  run.End();
  if (options.written)
    for (const Planned& p : planned) Remember(*options.written, KnowFile(p.key));
  return true;
}

bool ReplaceFilesInTurn(const FileSet& files, SetFailure* failure, SetRecovery* recovered, const SetOptions& options) {
  SetFailure unused;
  SetFailure& f = failure ? *failure : unused;
  if (files.empty()) return true;
  std::vector<fs::path> paths;
  for (const auto& [path, bytes] : files) paths.push_back(path);
  SetFolder set(files.front().first.parent_path(), std::move(paths));
  set.LockWithin(kSetLockWait);
  SetRecovery r = set.Recover();
  if (recovered) *recovered = r;
  if (r.busy) return Fail(f, SetFailure::Step::kBusy, Absolute(set.folder()), EBUSY);
  return set.Replace(files, f, options);
}

}  // namespace velk
