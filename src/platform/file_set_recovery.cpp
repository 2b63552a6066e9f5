// Putting right what interrupted replacements of sets left in a folder
// (file_set.h).
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <variant>

#include "platform/file_set.h"
#include "platform/file_set_journal.h"
#include "platform/text_file.h"

namespace velk {
namespace {

using namespace set_journal;

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

// What the recovery of one folder works with.
struct Place {
  fs::path folder;  // made absolute
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
      for (const std::string& file : {e.temporary, e.kept})
        if (!RemoveAt(e.dir, file, e.Shown(file)))
          return TryAgain("remove what " + by + " left beside " + targetList, errno);
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
    if (replaced && now[i].target.Exists() && ReplaceRefusal(e.dir, e.file, now[i].target.st) != 0)
      locked.push_back(e.name);
  }
  if (!locked.empty())
    return SetAsideWith(at.fd, name, IsAre(locked, "read-only") + " since " + by + " had begun to replace " +
                                         targetList + ": nothing was put back; check " + targetList +
                                         KeptClause(before));

  const std::string doing = forward ? "finish replacing" : "put back the earlier";
  auto failed = [&] {
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
      if (!RenameDurably(e.dir, e.temporary, e.dir, e.file, e.Shown(e.file))) return failed();
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
      if (!back) return failed();
      ++moved;
    }
  }
  for (const Entry& e : j.entries) {
    const Look temporary = LookAt(e.dir, e.temporary, e.Shown(e.temporary));
    const Look kept = LookAt(e.dir, e.kept, e.Shown(e.kept));
    if (temporary.kind == Look::Kind::kError || kept.kind == Look::Kind::kError) {
      errno = temporary.kind == Look::Kind::kError ? temporary.error : kept.error;
      return failed();
    }
    if (IsNewFile(temporary, e.newId, dev) && !RemoveAt(e.dir, e.temporary, e.Shown(e.temporary))) return failed();
    if (Matches(kept, e.keptId, dev) && !RemoveAt(e.dir, e.kept, e.Shown(e.kept))) return failed();
  }
  if (!RemoveAt(at.fd, name, at.folder / name)) return failed();
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
    const std::string where = " in the folder '" + at.folder.native() + "' half replaced, and what to do "
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
  if (fd_ < 0) return r;
  struct stat st {};
  ::fstat(fd_, &st);
  const Place at{r.folder, fd_, st.st_dev, [this](const fs::path& dir) { return AlsoLock(dir); }};
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
    r.lines.push_back("Could not list the folder '" + r.folder.native() + "' (" + std::strerror(error) + ").");
    r.attention = r.unfinished = true;
  }
  // A killed copy of a backup is swept by the next writer (Replace), which
  // knows the backups' names.
  return r;
}

}  // namespace velk
