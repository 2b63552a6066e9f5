// The one atomic writer and the one-time copy: what they do to links, to
// paths that are no regular files, to read-only files, to writes killed part
// way and to writers racing each other.
#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <set>
#include <thread>
#include <vector>

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
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      SetAtomicWriteObserver(KillAt);
      WriteFileAtomic(target, big);
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "killed at step " << int(step);
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
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SetAtomicWriteObserver(KillAt);
    CopyFileOnce(dir / "Aircraft.txt", dir / "Aircraft.txt.velk.bak");
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
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

}  // namespace
}  // namespace velk
