// The one atomic writer and the one-time copy: what they do to links, to
// paths that are no regular files, to read-only files, to writes killed part
// way and to writers racing each other.
#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <filesystem>
#include <set>
#include <thread>
#include <vector>

#include "platform/file_set.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

TEST(ReadRegularFileBytes, ReadsOnlyRegularFilesAndNeverWaitsOnAPipe) {
  TempDir dir;
  WriteFile(dir / "file", "bytes");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
  std::filesystem::create_symlink("/dev/zero", dir / "zero");
  std::filesystem::create_symlink("file", dir / "link");
  FileBytes bytes;
  EXPECT_EQ(ReadRegularFileBytes(dir / "file", bytes), RegularReadResult::kOk);
  EXPECT_EQ(bytes.view(), "bytes");
  EXPECT_EQ(ReadRegularFileBytes(dir / "link", bytes), RegularReadResult::kOk);
  EXPECT_EQ(ReadRegularFileBytes(dir / "fifo", bytes), RegularReadResult::kNotRegular);
  EXPECT_EQ(ReadRegularFileBytes(dir / "zero", bytes), RegularReadResult::kNotRegular);
  EXPECT_EQ(ReadRegularFileBytes(dir.path(), bytes), RegularReadResult::kNotRegular);
  EXPECT_EQ(ReadRegularFileBytes(dir / "missing", bytes), RegularReadResult::kCannotOpen);
  // Large enough to be read by several threads.
  std::string big(5 << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 % 251);
  WriteFile(dir / "big", big);
  ASSERT_EQ(ReadRegularFileBytes(dir / "big", bytes), RegularReadResult::kOk);
  EXPECT_TRUE(bytes.view() == big);
}

TEST(WriteFileAtomic, ReplacesWholeAndKeepsPermissions) {
  TempDir dir;
  auto target = dir / "plan.txt";
  WriteFile(target, "old");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(WriteFileAtomic(target, "new\r\n"));
  EXPECT_EQ(*ReadFile(target), "new\r\n");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // No temporary file is left behind.
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"plan.txt"});
  // A folder that does not exist: failure reported with its reason.
  std::string error;
  EXPECT_FALSE(WriteFileAtomic(dir / "missing/plan.txt", "x", &error));
  EXPECT_FALSE(error.empty());
  // The message names the path in the plan's code page.
  EXPECT_EQ(WriteFailedMessage("/plans/caf\xC3\xA9.txt"), "Could not write file '/plans/caf\xE9.txt'.");
}

TEST(WriteFileAtomic, ReadOnlyFolderFailsAndLeavesFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
  TempDir dir;
  auto target = dir / "plan.txt";
  WriteFile(target, "old");
  fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(WriteFileAtomic(target, "new"));
  EXPECT_EQ(*ReadFile(target), "old");
  fs::permissions(dir.path(), fs::perms::owner_all);
}

TEST(WriteFileAtomic, WritesThroughLinksToTheirTargets) {
  TempDir dir;
  fs::create_directories(dir / "real");
  WriteFile(dir / "real" / "FlightPlans.txt", "old");
  // A relative link, and a link to that link.
  fs::create_symlink("real/FlightPlans.txt", dir / "plan.txt");
  fs::create_symlink(dir / "plan.txt", dir / "again.txt");
  ASSERT_TRUE(WriteFileAtomic(dir / "again.txt", "new"));
  EXPECT_TRUE(fs::is_symlink(dir / "again.txt"));
  EXPECT_TRUE(fs::is_symlink(dir / "plan.txt"));
  EXPECT_EQ(*ReadFile(dir / "real" / "FlightPlans.txt"), "new");
  // The temporary file was made beside the target, and is gone.
  EXPECT_EQ(Names(dir / "real"), std::set<std::string>{"FlightPlans.txt"});
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"again.txt", "plan.txt", "real"}));

  // A dangling link: the file it names is made, the link stays.
  fs::create_symlink("real/New.txt", dir / "stale.txt");
  ASSERT_TRUE(WriteFileAtomic(dir / "stale.txt", "made"));
  EXPECT_TRUE(fs::is_symlink(dir / "stale.txt"));
  EXPECT_EQ(*ReadFile(dir / "real" / "New.txt"), "made");

  // A loop of links is refused.
  fs::create_symlink("loop2", dir / "loop1");
  fs::create_symlink("loop1", dir / "loop2");
  std::string error;
  EXPECT_FALSE(WriteFileAtomic(dir / "loop1", "x", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(fs::is_symlink(dir / "loop1"));
}

// What the writer may not replace it leaves alone, and MayRewrite (the
// aircraft editors' question before they touch the simulator's files)
// answers the same.
TEST(WriteFileAtomic, RefusesReadOnlyFilesAndPathsThatAreNoRegularFile) {
  TempDir dir;
  auto locked = dir / "Aircraft.txt";
  WriteFile(locked, "old");
  EXPECT_TRUE(MayRewrite(locked));
  fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  std::string error;
  EXPECT_FALSE(MayRewrite(locked));
  EXPECT_FALSE(WriteFileAtomic(locked, "new", &error));
  EXPECT_EQ(error, std::strerror(EACCES));
  EXPECT_EQ(*ReadFile(locked), "old");

  fs::create_directories(dir / "folder" / "inside");
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  fs::create_symlink(dir / "pipe", dir / "link");  // also when reached through a link
  for (const char* name : {"folder", "pipe", "link"}) {
    EXPECT_FALSE(MayRewrite(dir / name)) << name;
    EXPECT_FALSE(WriteFileAtomic(dir / name, "x")) << name;
    EXPECT_FALSE(ReadFileBytes(dir / name)) << name;  // a pipe would block the reader
    EXPECT_FALSE(ReadFileBytes(dir / name)) << name;
  }
  EXPECT_FALSE(MayRewrite(dir / "missing"));
  EXPECT_TRUE(fs::is_directory(dir / "folder" / "inside"));
  EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"Aircraft.txt", "folder", "link", "pipe"}));
}

// The child process stops dead (SIGKILL) at `step` of its write.
AtomicWriteStep g_killAt;
void KillAt(AtomicWriteStep step, const fs::path&) {
  if (step == g_killAt) ::kill(::getpid(), SIGKILL);
}

TEST(WriteFileAtomic, AWriteKilledPartWayLeavesTheOldFileWhole) {
  for (AtomicWriteStep step : {AtomicWriteStep::kTemporaryCreated, AtomicWriteStep::kWritten,
                               AtomicWriteStep::kFlushed}) {
    TempDir dir;
    auto target = dir / "FlightPlans.txt";
    WriteFile(target, "old plan");
    std::string big(1 << 20, 'x');
    g_killAt = step;
    test::Child child([&] {
      SetAtomicWriteObserver(KillAt);
      WriteFileAtomic(target, big);
      return 0;
    });
    ASSERT_TRUE(WIFSIGNALED(child.Wait())) << "killed at step " << int(step);
    EXPECT_EQ(*ReadFile(target), "old plan");
    // What is left is a temporary file that no reader takes for the plan;
    // the next write goes through as if it were not there.
    auto names = Names(dir.path());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_TRUE(names.begin()->starts_with(".FlightPlans.txt."));
    ASSERT_TRUE(WriteFileAtomic(target, "newer plan"));
    EXPECT_EQ(*ReadFile(target), "newer plan");
  }
}

TEST(WriteFileAtomic, WritersRacingLeaveOneWholeFile) {
  TempDir dir;
  auto target = dir / "user.reg";
  WriteFile(target, "start");
  std::vector<std::string> contents;
  for (int i = 0; i < 8; ++i) contents.push_back(std::string(200000 + i, static_cast<char>('a' + i)));
  std::vector<std::thread> writers;
  std::atomic<int> failures{0};
  for (const std::string& c : contents) {
    writers.emplace_back([&, c] {
      for (int k = 0; k < 5; ++k)
        if (!WriteFileAtomic(target, c)) ++failures;
    });
  }
  for (auto& w : writers) w.join();
  EXPECT_EQ(failures, 0);
  std::string result = *ReadFile(target);
  EXPECT_NE(std::find(contents.begin(), contents.end(), result), contents.end());
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"user.reg"});
}

TEST(CopyFileOnce, NeverReplacesAnExistingCopy) {
  TempDir dir;
  WriteFile(dir / "a", "first");
  ASSERT_TRUE(CopyFileOnce(dir / "a", dir / "a.bak"));
  WriteFile(dir / "a", "second");
  ASSERT_TRUE(CopyFileOnce(dir / "a", dir / "a.bak"));
  EXPECT_EQ(*ReadFile(dir / "a.bak"), "first");
  EXPECT_FALSE(CopyFileOnce(dir / "missing", dir / "m.bak"));
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"a", "a.bak"}));
  fs::create_directory(dir / "d.bak");
  EXPECT_FALSE(CopyFileOnce(dir / "a", dir / "d.bak"));
  fs::remove(dir / "d.bak");

  // Through a dangling link the copy is made where the link points.
  fs::create_directories(dir / "backups");
  fs::create_symlink("backups/b.bak", dir / "b.bak");
  ASSERT_TRUE(CopyFileOnce(dir / "a", dir / "b.bak"));
  EXPECT_EQ(*ReadFile(dir / "backups" / "b.bak"), "second");
  EXPECT_TRUE(fs::is_symlink(dir / "b.bak"));
}

TEST(CopyFileOnce, ACopyKilledPartWayIsNeverTakenForTheBackup) {
  TempDir dir;
  WriteFile(dir / "Aircraft.txt", std::string(1 << 20, 'p'));
  g_killAt = AtomicWriteStep::kWritten;
  test::Child child([&] {
    SetAtomicWriteObserver(KillAt);
    CopyFileOnce(dir / "Aircraft.txt", dir / "Aircraft.txt.velk.bak");
    return 0;
  });
  ASSERT_TRUE(WIFSIGNALED(child.Wait()));
  EXPECT_FALSE(fs::exists(dir / "Aircraft.txt.velk.bak"));
  // The next copy is made whole.
  ASSERT_TRUE(CopyFileOnce(dir / "Aircraft.txt", dir / "Aircraft.txt.velk.bak"));
  EXPECT_EQ(ReadFile(dir / "Aircraft.txt.velk.bak"), ReadFile(dir / "Aircraft.txt"));
}

TEST(CopyFileOnce, CopiesRacingLeaveTheFirstWholeCopy) {
  TempDir dir;
  std::vector<std::thread> copies;
  for (int i = 0; i < 8; ++i) {
    WriteFile(dir / ("source" + std::to_string(i)), std::string(100000, static_cast<char>('a' + i)));
  }
  std::atomic<int> failures{0};
  for (int i = 0; i < 8; ++i) {
    copies.emplace_back([&, i] {
      if (!CopyFileOnce(dir / ("source" + std::to_string(i)), dir / "backup")) ++failures;
    });
  }
  for (auto& c : copies) c.join();
  EXPECT_EQ(failures, 0);
  std::string backup = *ReadFile(dir / "backup");
  ASSERT_EQ(backup.size(), 100000u);
  EXPECT_EQ(backup.find_first_not_of(backup[0]), std::string::npos);
  EXPECT_EQ(Names(dir.path()).size(), 9u);  // the sources and one backup
}

TEST(CopyFileOnce, ACopyGetsThePermissionsOfANewFileOfTheUsers) {
  TempDir dir;
  const struct {
    mode_t mask, source;
    bool theirs;  // another user's, where root can arrange it
    mode_t copy;
  } rows[] = {{022, 06755, true, 0755}, {022, 0600, false, 0600}, {027, 0666, false, 0640}};
  int n = 0;
  for (const auto& r : rows) {
    const fs::path from = dir / ("source" + std::to_string(n));
    const fs::path to = dir / ("copy" + std::to_string(n++));
    WriteFile(from, "bytes");
    // The mode last: a change of owner takes setuid and setgid away.
    if (r.theirs && ::geteuid() == 0) {
      ASSERT_EQ(::chown(from.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod(from.c_str(), r.source), 0);
    const test::ScopedUmask mask(r.mask);
    ASSERT_TRUE(CopyFileOnce(from, to));
    struct stat st {};
    ASSERT_EQ(::stat(to.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, r.copy) << std::oct << r.source << " under " << r.mask;
  }
}

// Where /proc cannot be read (hidden in a child's own mount namespace), a
// copy still gets the umask the program set last, and the copy leaves it
// as it was.
TEST(CopyFileOnce, WithoutProcACopyGetsTheUmaskSetLast) {
  if (::geteuid() != 0) GTEST_SKIP() << "a mount needs root";
  TempDir dir;
  WriteFile(dir / "source", "bytes");
  ASSERT_EQ(::chmod((dir / "source").c_str(), 0666), 0);
  test::Child hidden([&] {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("none", "/proc", "tmpfs", 0, nullptr) != 0 || fs::exists("/proc/self/status"))
      return 2;
    const test::ScopedUmask mask(037);
    struct stat st {};
    const bool copied = CopyFileOnce(dir / "source", dir / "copy") && ::stat((dir / "copy").c_str(), &st) == 0;
    return copied && (st.st_mode & 07777) == 0640 && ::umask(0) == 037 ? 0 : 1;
  });
  const int status = hidden.Wait();
  if (WIFEXITED(status) && WEXITSTATUS(status) == 2) GTEST_SKIP() << "no mount namespace here";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// The backup name that another user's file takes while the copy is made.
fs::path g_planted;

TEST(CopyFileOnce, ACopyThatLosesItsNameToAnotherUsersFileTakesNothingForItsCopy) {
  if (::geteuid() != 0) GTEST_SKIP() << "another user's file needs root";
  TempDir dir;
  WriteFile(dir / "Aircraft.txt", "plan");
  g_planted = dir / "Aircraft.txt.velk.bak";
  // Once the copy is whole, just before it is given its name.
  test::ScopedFileStepHook hook([](std::string_view step, const fs::path& path) {
    if (step == "rename" && path.filename() == g_planted.filename()) {
      WriteFile(g_planted, "theirs");
      EXPECT_EQ(::chown(g_planted.c_str(), 65534, 65534), 0);
    }
    return false;
  });
  std::string why;
  EXPECT_FALSE(CopyFileOnce(dir / "Aircraft.txt", g_planted, &why));
  hook.Off();
  EXPECT_NE(why.find("(65534), not to you"), std::string::npos) << why;
  EXPECT_EQ(ReadFile(g_planted), "theirs");
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"Aircraft.txt", "Aircraft.txt.velk.bak"}));
}

// A link that another user could have planted in a shared folder is never
// written through, by any writer, wherever it stands on the way: the old
// files stay and nothing outside the folder changes. The user's own links
// are followed as ever, and a backup that cannot be made is said.
TEST(Writers, NoLinkOfAnotherUserIsWrittenThroughAndABackupNotMadeIsSaid) {
  TempDir dir;
  const fs::path home = dir / "home";  // the user's own files, outside the folder
  const fs::path shared = dir / "shared";
  struct Writer {
    const char* name;
    std::function<bool(const fs::path& path, std::string& why)> write;
  };
  const std::vector<Writer> writers = {
      {"atomic", [](const fs::path& p, std::string& why) { return WriteFileAtomic(p, "written", &why); }},
      {"copy", [&](const fs::path& p, std::string& why) { return CopyFileOnce(shared / "plan.txt", p, &why); }},
      {"set",
       [&](const fs::path& p, std::string& why) {
         SetFailure failure;
         const bool ok = ReplaceFilesInTurn({{p.parent_path() / "plan.txt", "written"}, {p, "written"}}, &failure);
         why = SetFailureText(failure);
         return ok;
       }},
      {"backup",
       [&](const fs::path& p, std::string& why) {
         std::vector<std::string> notMade;
         SetOptions options;
         options.copies = {{shared / "plan.txt", p}};
         options.copiesNotMade = &notMade;
         const bool ok = ReplaceFilesInTurn({{shared / "plan.txt", "plan"}}, nullptr, nullptr, options);
         why = notMade.empty() ? "" : notMade[0];
         return ok && notMade.empty();
       }},
  };
  const bool root = ::geteuid() == 0;
  // Where a link leads, and who owns each link on the way (true: another
  // user, which only root can arrange here).
  struct Way {
    const char* name;
    std::vector<bool> foreign;  // the link at the name, then a link it leads to
    bool folder;                // the link is a folder above the name
  };
  const std::vector<Way> ways = {{"own", {false}, false},
                                 {"other's", {true}, false},
                                 {"other's behind own", {false, true}, false},
                                 {"other's folder", {true}, true}};
  for (const Writer& w : writers) {
    for (const Way& way : ways) {
      const bool refused = std::find(way.foreign.begin(), way.foreign.end(), true) != way.foreign.end();
      if (refused && !root) continue;
      const std::string row = std::string(w.name) + ", " + way.name;
      fs::remove_all(home);
      fs::remove_all(shared);
      WriteFile(home / "notes.txt", "notes");
      WriteFile(shared / "plan.txt", "plan");
      // Each row leads to a file that is not there yet, so that every
      // writer would make it.
      fs::path path = shared / "target.txt";
      fs::path link = path;
      fs::path to = home / "made.txt";
      if (way.folder) {
        link = shared / "sub";
        path = link / "made.txt";
        to = home;
      }
      for (size_t k = way.foreign.size(); k-- > 0;) {
        const fs::path at = k == 0 ? link : shared / ("hop" + std::to_string(k));
        fs::create_symlink(to, at);
        if (way.foreign[k]) {
          ASSERT_EQ(::lchown(at.c_str(), 65534, 65534), 0) << row;
        }
        to = at;
      }
      std::string why;
      const bool ok = w.write(path, why);
      EXPECT_EQ(ok, !refused) << row << ": " << why;
      EXPECT_EQ(fs::exists(home / "made.txt"), !refused) << row;
      EXPECT_EQ(ReadFile(home / "notes.txt"), "notes") << row;
      EXPECT_TRUE(fs::is_symlink(link)) << row;
      if (refused) {
        EXPECT_NE(why.find("' belongs to the user "), std::string::npos) << row << ": " << why;
        EXPECT_NE(why.find("(65534), not to you"), std::string::npos) << row << ": " << why;
      }
    }
  }
  // Nor is anything made where another user's file or a folder stands, or
  // where no name can be: the save goes on and says so.
  fs::create_directories(shared / "dir.bak");
  const std::string longest(250, 'n');
  WriteFile(shared / longest, "plan");
  struct Standing {
    fs::path plan, backup;
    const char* why;
  };
  std::vector<Standing> standing = {{shared / "plan.txt", shared / "dir.bak", "Is a directory"},
                                    {shared / longest, shared / (longest + ".velk.bak"), "File name too long"}};
  if (root) {
    WriteFile(shared / "theirs.bak", "theirs");
    ASSERT_EQ(::chown((shared / "theirs.bak").c_str(), 65534, 65534), 0);
    standing.push_back({shared / "plan.txt", shared / "theirs.bak", "belongs to the user"});
  }
  for (const Standing& s : standing) {
    std::vector<std::string> notMade;
    SetOptions options;
    options.copies = {{s.plan, s.backup}};
    options.copiesNotMade = &notMade;
    EXPECT_TRUE(ReplaceFilesInTurn({{s.plan, "saved"}}, nullptr, nullptr, options)) << s.why;
    EXPECT_EQ(ReadFile(s.plan), "saved");
    ASSERT_EQ(notMade.size(), 1u) << s.why;
    EXPECT_EQ(notMade[0].rfind("The backup copy '" + s.backup.string() + "' was not made (", 0), 0u) << notMade[0];
    EXPECT_NE(notMade[0].find(s.why), std::string::npos) << notMade[0];
  }
  if (root) {
    EXPECT_EQ(ReadFile(shared / "theirs.bak"), "theirs");
    // Nor is a file of the user's read through another user's link into a
    // backup that he may read.
    fs::create_symlink(home / "notes.txt", shared / "theirs.txt");
    ASSERT_EQ(::lchown((shared / "theirs.txt").c_str(), 65534, 65534), 0);
    std::string why;
    EXPECT_FALSE(CopyFileOnce(shared / "theirs.txt", shared / "theirs.txt.velk.bak", &why));
    EXPECT_FALSE(fs::exists(shared / "theirs.txt.velk.bak"));
    EXPECT_NE(why.find("(65534), not to you"), std::string::npos) << why;
  }
}

}  // namespace
}  // namespace velk
