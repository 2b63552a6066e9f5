// The folder lock that runs rewriting one folder take turns through.
#include "platform/folder_lock.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace velk {
namespace {

using test::TempDir;

TEST(FolderLock, ASecondHolderWaitsForTheFirstOrIsToldItIsBusy) {
  TempDir dir;
  int locked[2], release[2];
  ASSERT_EQ(::pipe(locked), 0);
  ASSERT_EQ(::pipe(release), 0);
  test::Child holder([&] {
    FolderLock lock;
    if (lock.Lock(dir.path(), [] {}) != FolderLock::Result::kLocked) return 1;
    char c = 'x';
    if (::write(locked[1], &c, 1) != 1 || ::read(release[0], &c, 1) != 1) return 1;
    ::_exit(0);  // the lock goes with the process
  });
  char c;
  ASSERT_EQ(::read(locked[0], &c, 1), 1);
  FolderLock tried;
  EXPECT_EQ(tried.TryLock(dir.path()), FolderLock::Result::kBusy);
  EXPECT_EQ(tried.LockWithin(dir.path(), std::chrono::milliseconds(120)), FolderLock::Result::kBusy);
  EXPECT_FALSE(tried.Held());
  // Set on each run: a hook without captures reaches them only as statics.
  static int release_fd;
  static bool waited;
  release_fd = release[1];
  waited = false;
  FolderLock lock;
  // Told to wait, this holder asks the first one to finish.
  EXPECT_EQ(lock.Lock(dir.path(),
                      [] {
                        waited = true;
                        char x = 'x';
                        (void)!::write(release_fd, &x, 1);
                      }),
            FolderLock::Result::kLocked);
  EXPECT_TRUE(waited);
  EXPECT_TRUE(lock.Held());
  // A second holder in this thread, also by another path, never waits for
  // the first: a tool whose work folder is the traffic folder.
  FolderLock nested;
  EXPECT_EQ(nested.LockWithin(dir / ".", std::chrono::milliseconds(0)), FolderLock::Result::kLocked);
  // Whichever holder lets go first, the lock stays until the last one does.
  auto busyForAnother = [&] {
    const int status = std::system(("flock -n -E 75 '" + dir.path().string() + "' true").c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 75;
  };
  lock.Unlock();
  EXPECT_TRUE(nested.Held());
  EXPECT_TRUE(busyForAnother());
  nested.Unlock();
  EXPECT_FALSE(busyForAnother());
  const int status = holder.Wait();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  FolderLock none;
  EXPECT_EQ(none.Lock(dir / "missing", [] {}), FolderLock::Result::kNoFolder);
  for (int fd : {locked[0], locked[1], release[0], release[1]}) ::close(fd);
}

TEST(FolderLock, OtherThreadsTakeTurnsAndTheLockGoesWhicheverThreadLetsItGo) {
  TempDir dir;
  // Two holders in another thread, which ends while they still hold.
  FolderLock first, nested;
  std::thread([&] {
    EXPECT_EQ(first.TryLock(dir.path()), FolderLock::Result::kLocked);
    EXPECT_EQ(nested.TryLock(dir.path()), FolderLock::Result::kLocked);
  }).join();
  // This thread waits its turn, and meanwhile the wait hook runs
  // between the tries until the limit is reached.
  static std::atomic<int> hooked;
  hooked = 0;
  const LockWaitHook before = SetLockWaitHook([] { ++hooked; });
  FolderLock other;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(other.LockWithin(dir.path(), std::chrono::milliseconds(160)), FolderLock::Result::kBusy);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(160));
  // At most one call a pace: 160 ms holds four.
  EXPECT_GE(hooked, 1);
  EXPECT_LE(hooked, 4);
  SetLockWaitHook(before);
  // Let go here, the later holder first: the lock stays until the last goes.
  nested.Unlock();
  EXPECT_EQ(other.TryLock(dir.path()), FolderLock::Result::kBusy);
  first.Unlock();
  EXPECT_EQ(other.TryLock(dir.path()), FolderLock::Result::kLocked);
}

}  // namespace
}  // namespace velk
