// Two saves of one set where the folder gives no lock: the first, of
// another process-number space, held at a step, while the next run carries
// its journal through and saves anew, and then let go. Whatever the order,
// no file is lost and the set comes from one save. Besides, the writer's own
// checks: a folder past the longest path, one folder reached by two paths,
// a record of the journal that cannot be written.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "platform/file_set.h"
#include "platform/file_set_journal.h"
#include "platform/folder_list.h"
#include "platform/text_file.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::Names;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Where a run stops: at the first step that begins with `at` once `count`
// steps that begin with `after` went by.
struct StopAt {
  std::string after;
  int count = 0;
  std::string at;
};

struct Seam {
  StopAt stop;
  std::function<void()> there;  // what happens at the stop
  int seen = 0;
  bool done = false;
};
Seam g_seam;

// The folder gives no lock, and the run stops where the seam says.
bool NoLocks(std::string_view step, const fs::path& path) {
  if (step == "lock") return true;
  Seam& s = g_seam;
  const std::string name = std::string(step) + " " + path.filename().string();
  if (s.done || !s.there) return false;
  if (s.seen >= s.stop.count && name.starts_with(s.stop.at)) {
    s.done = true;
    s.there();
  } else if (!s.stop.after.empty() && name.starts_with(s.stop.after)) {
    ++s.seen;
  }
  return false;
}

// Runs in this process without locks for a scope, doing `there` at `stop`.
class NoLocksHere {
 public:
  explicit NoLocksHere(StopAt stop = {}, std::function<void()> there = {}) {
    g_seam = Seam{std::move(stop), std::move(there)};
    SetFileStepHook(NoLocks);
  }
  ~NoLocksHere() {
    SetFileStepHook(nullptr);
    g_seam = Seam{};
  }
  NoLocksHere(const NoLocksHere&) = delete;
  NoLocksHere& operator=(const NoLocksHere&) = delete;
};

// A save in a child process without locks, held at `stop` until let go;
// killed when the test ends before.
class HeldSave {
 public:
  HeldSave(const FileSet& set, const StopAt& stop) {
    if (::pipe(held_) != 0 || ::pipe(release_) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      g_seam = Seam{stop, [this] {
                      char c = 'x';
                      if (::write(held_[1], &c, 1) != 1 || ::read(release_[0], &c, 1) != 1) ::_exit(3);
                    }};
      SetFileStepHook(NoLocks);
      SetFailure failure;
      ::_exit(ReplaceFilesInTurn(set, &failure) ? 0 : 10 + static_cast<int>(failure.step));
    }
    ::close(held_[1]);
    ::close(release_[0]);
    held_[1] = release_[0] = -1;
    char c;
    held = pid_ > 0 && ::read(held_[0], &c, 1) == 1;
  }
  ~HeldSave() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    for (int fd : {held_[0], held_[1], release_[0], release_[1]})
      if (fd >= 0) ::close(fd);
  }
  HeldSave(const HeldSave&) = delete;
  HeldSave& operator=(const HeldSave&) = delete;

  // Lets it go on and waits for its end.
  void Finish() {
    if (pid_ <= 0) return;
    char c = 'x';
    if (::write(release_[1], &c, 1) != 1) ADD_FAILURE() << "cannot let the save go on";
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  bool held = false;  // it reached its stop

 private:
  int held_[2] = {-1, -1}, release_[2] = {-1, -1};
  pid_t pid_ = -1;
};

// The journal of `folder` as a writer of another process-number space
// wrote it over a minute ago: no run can tell whether it still runs.
void AsOfAnotherSpace(const fs::path& folder) {
  const fs::path journal = folder / ".velk.journal";
  const std::string text = *ReadFile(journal);
  std::string why;
  std::optional<set_journal::Journal> j = set_journal::ParseJournal(text, "velk", why);
  ASSERT_TRUE(j) << why;
  std::string& space = j->space;
  space[space.size() - 2] = space[space.size() - 2] == '1' ? '2' : '1';
  {
    std::ofstream out(journal, std::ios::binary | std::ios::in | std::ios::out);
    out << set_journal::StagedRecord(*j);
    if (j->records == set_journal::Journal::Records::kBoth) out << set_journal::CommittedRecord(*j);
  }
  fs::last_write_time(journal, fs::file_time_type::clock::now() - std::chrono::minutes(5));
}

FileSet Save(const fs::path& folder, const std::string& which) {
  return {{folder / "a.txt", which + " a"}, {folder / "b.txt", which + " b"}};
}

TEST(FileSetWithoutLocks, ASaveOvertakenActsOnlyOnWhatIsStillItsOwn) {
  struct Case {
    std::string name;
    StopAt first;  // where the first save is held
    // What the next runs do meanwhile; `go` lets the first save go on and
    // waits for it.
    std::function<void(const fs::path& set, const std::function<void()>& go)> meanwhile;
    std::string a, b;  // what the set holds at the end
    bool whole = true;  // and nothing else is left
  };
  const std::vector<Case> cases = {
      {"held in its end, the second save at its first rename",
       {"rename b.txt", 1, "unlink .velk-set-"},
       [](const fs::path& set, const std::function<void()>& go) {
         NoLocksHere here({"", 0, "rename a.txt"}, go);
         test::RecoverSet(set);
         EXPECT_TRUE(ReplaceFilesInTurn(Save(set, "second")));
       },
       "second a", "second b"},
      {"held at its first rename, the recovery of it between its renames",
       {"", 0, "rename a.txt"},
       [](const fs::path& set, const std::function<void()>& go) {
         NoLocksHere here({"", 0, "rename b.txt"}, go);
         EXPECT_EQ(test::RecoverSet(set).lines,
                   std::vector<std::string>{"Finished replacing a.txt and b.txt, which an interrupted run of velk "
                                            "had left half done."});
       },
       "first a", "first b"},
      {"held at its first rename, the second save at its own",
       {"", 0, "rename a.txt"},
       [](const fs::path& set, const std::function<void()>& go) {
         // The second save's recovery finishes the first one's renames.
         NoLocksHere here({"rename b.txt", 1, "rename a.txt"}, go);
         EXPECT_TRUE(ReplaceFilesInTurn(Save(set, "second")));
       },
       "second a", "second b"},
      {"held at its second link, the second save whole before it goes on",
       {"link .velk-set-", 1, "link .velk-set-"},
       [](const fs::path& set, const std::function<void()>& go) {
         {
           NoLocksHere here;
           EXPECT_TRUE(ReplaceFilesInTurn(Save(set, "second")));
         }
         go();
       },
       "second a", "second b"},
      // Set aside: no target may be touched, and the one changed keeps its
      // change.
      {"held before its first rename, a file changed meanwhile",
       {"fsync .velk.journal", 2, "stat .velk.journal"},
       [](const fs::path& set, const std::function<void()>& go) {
         WriteFile(set / "changed", "user's b");
         fs::rename(set / "changed", set / "b.txt");
         {
           NoLocksHere here;
           EXPECT_FALSE(test::RecoverSet(set).asides.empty());
         }
         go();
       },
       "old a", "user's b", false},
      // The journal set aside, then another's at its name.
      {"held before its first rename, set aside meanwhile, the second save at its first rename",
       {"fsync .velk.journal", 2, "stat .velk.journal"},
       [](const fs::path& set, const std::function<void()>& go) {
         WriteFile(set / "changed", "user's b");
         fs::rename(set / "changed", set / "b.txt");
         NoLocksHere here({"", 0, "rename a.txt"}, go);
         EXPECT_FALSE(test::RecoverSet(set).asides.empty());
         EXPECT_TRUE(ReplaceFilesInTurn(Save(set, "second")));
       },
       "second a", "second b", false},
  };
  TempDir dir;
  for (const Case& c : cases) {
    const fs::path set = dir / c.name;
    WriteFile(set / "a.txt", "old a");
    WriteFile(set / "b.txt", "old b");
    HeldSave first(Save(set, "first"), c.first);
    ASSERT_TRUE(first.held) << c.name;
    AsOfAnotherSpace(set);
    c.meanwhile(set, [&] { first.Finish(); });
    first.Finish();
    EXPECT_EQ(ReadFile(set / "a.txt"), c.a) << c.name;
    EXPECT_EQ(ReadFile(set / "b.txt"), c.b) << c.name;
    if (!c.whole) continue;
    NoLocksHere here;
    EXPECT_TRUE(test::RecoverSet(set).Readable()) << c.name;
    EXPECT_EQ(ReadFile(set / "a.txt"), c.a) << c.name;
    EXPECT_EQ(ReadFile(set / "b.txt"), c.b) << c.name;
    EXPECT_EQ(Names(set), (std::set<std::string>{"a.txt", "b.txt"})) << c.name;
  }
}

// A folder whose path is longer than the system takes in one call: made,
// and removed, one name at a time.
class DeepFolder {
 public:
  explicit DeepFolder(const fs::path& base) : base_(base) {
    const std::string part(200, 'd');
    path_ = base;
    int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (path_.native().size() <= PATH_MAX) {
      if (::mkdirat(fd, part.c_str(), 0700) != 0) break;
      const int next = ::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      ::close(fd);
      fd = next;
      path_ /= part;
      ++depth_;
    }
    fd_ = fd;
  }
  ~DeepFolder() {
    // From the deepest up: each folder emptied through its parent.
    for (int level = depth_; level > 0; --level) {
      int fd = ::open(base_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      for (int i = 1; i < level; ++i) {
        const int next = ::openat(fd, std::string(200, 'd').c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
      }
      if (level == depth_) {
        for (const char* name : {"a.txt", "b.txt"}) ::unlinkat(fd_, name, 0);
      }
      ::unlinkat(fd, std::string(200, 'd').c_str(), AT_REMOVEDIR);
      ::close(fd);
    }
    ::close(fd_);
  }
  DeepFolder(const DeepFolder&) = delete;
  DeepFolder& operator=(const DeepFolder&) = delete;
  const fs::path& path() const { return path_; }
  std::string Read(const char* name) const {
    return ReadFileBytes(name, nullptr, ReadLimits{fd_, false}).value_or("(none)");
  }
  std::set<std::string> Names() const {
    std::set<std::string> names;
    ForEachEntry(fd_, [&](const std::string& n) {
      names.insert(n);
      return true;
    });
    return names;
  }

 private:
  fs::path base_, path_;
  int depth_ = 0;
  int fd_ = -1;
};

TEST(FileSet, ASetInAFolderPastTheLongestPathIsReplaced) {
  TempDir dir;
  const DeepFolder deep(dir.path());
  ASSERT_GT(deep.path().native().size(), static_cast<size_t>(PATH_MAX));
  SetFailure failure;
  EXPECT_TRUE(ReplaceFilesInTurn({{deep.path() / "a.txt", "new a"}, {deep.path() / "b.txt", "new b"}}, &failure))
      << SetFailureText(failure);
  EXPECT_EQ(deep.Read("a.txt"), "new a");
  EXPECT_EQ(deep.Read("b.txt"), "new b");
  EXPECT_EQ(deep.Names(), (std::set<std::string>{"a.txt", "b.txt"}));
}

// Two links of the set lead into one folder mounted at two places: one
// file, one target, so that a kill between the renames is finished whole.
// The second place is mounted in a child's own mount namespace alone.
TEST(FileSet, OneFileReachedByTwoPathsIsOneTarget) {
  if (::geteuid() != 0) GTEST_SKIP() << "a mount needs root";
  TempDir dir;
  WriteFile(dir / "share/f.txt", "old f");
  fs::create_directories(dir / "again");
  fs::create_directories(dir / "set");
  fs::create_symlink(dir / "share/f.txt", dir / "set/a.txt");
  fs::create_symlink(dir / "again/f.txt", dir / "set/c.txt");
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount((dir / "share").c_str(), (dir / "again").c_str(), nullptr, MS_BIND, nullptr) != 0)
      ::_exit(2);
    test::KillAtFileStep("rename f.txt", [&] {
      ReplaceFilesInTurn({{dir / "set/b.txt", "new b"}, {dir / "set/a.txt", "new f"}, {dir / "set/c.txt", "last f"}});
    });
    const SetRecovery r = test::RecoverSet(dir / "set");
    const bool whole = r.lines == std::vector<std::string>{"Finished replacing b.txt and c.txt, which an interrupted "
                                                           "run of velk had left half done."} &&
                       ReadFile(dir / "share/f.txt") == "last f" && ReadFile(dir / "set/b.txt") == "new b" &&
                       Names(dir / "share") == std::set<std::string>{"f.txt"};
    if (!whole) std::fprintf(stderr, "%s", r.Text().c_str());
    ::_exit(whole ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 2) GTEST_SKIP() << "no mount namespace here";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

int g_journalSyncs = 0;

// The journal's record of the new files is written, but not made durable.
TEST(FileSet, ACommitThatFailsSaysSo) {
  TempDir dir;
  WriteFile(dir / "a.txt", "old a");
  g_journalSyncs = 0;
  test::ScopedFileStepHook hook([](std::string_view step, const fs::path& path) {
    return step == "fsync" && path.filename() == ".velk.journal" && ++g_journalSyncs == 2;
  });
  SetFailure failure;
  const bool done = ReplaceFilesInTurn({{dir / "a.txt", "new a"}, {dir / "b.txt", "new b"}}, &failure);
  hook.Off();
  EXPECT_FALSE(done);
  EXPECT_EQ(SetFailureText(failure), "Could not record the replacement in the journal '" +
                                         (dir / ".velk.journal").string() +
                                         "' (Input/output error): no file was replaced.");
  EXPECT_EQ(ReadFile(dir / "a.txt"), "old a");
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"a.txt"});
}

}  // namespace
}  // namespace velk
