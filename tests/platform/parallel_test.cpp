#include "platform/parallel.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <vector>

#include "support/test_support.h"

namespace velk {
namespace {

// Readying memory for writing never changes what it holds: neither the
// pages written already nor the bytes at the unaligned ends.
TEST(PrefaultForWriting, KeepsTheBytes) {
  constexpr std::size_t kSize = std::size_t{6} << 20;
  const auto buffer = std::make_unique<unsigned char[]>(kSize);
  for (std::size_t i = 0; i < kSize; i += 4096) buffer[i] = static_cast<unsigned char>(i / 4096 * 7 + 1);
  buffer[1] = 0xAB;
  buffer[kSize - 1] = 0xCD;
  PrefaultForWriting(buffer.get() + 1, kSize - 2);
  for (std::size_t i = 0; i < kSize; i += 4096)
    ASSERT_EQ(buffer[i], static_cast<unsigned char>(i / 4096 * 7 + 1)) << i;
  EXPECT_EQ(buffer[1], 0xAB);
  EXPECT_EQ(buffer[kSize - 1], 0xCD);
  EXPECT_EQ(buffer[kSize / 2 + 5], 0);
}

// Every piece runs once, joined(k) comes in order after piece k, a piece's
// exception reaches the caller, and the threads kept from one call serve
// the next, also a call made from within a piece.
TEST(RunParallel, PiecesJoinsExceptionsAndNesting) {
  for (int round = 0; round < 3; ++round) {
    std::vector<std::atomic<int>> runs(12);
    std::vector<std::size_t> joined;
    RunParallel(
        runs.size(),
        [&](std::size_t k) {
          if (k == 5) RunParallel(4, [&](std::size_t) { ++runs[k]; });
          else ++runs[k];
        },
        [&](std::size_t k) {
          EXPECT_GT(runs[k].load(), 0);
          joined.push_back(k);
        });
    for (std::size_t k = 0; k < runs.size(); ++k) EXPECT_EQ(runs[k].load(), k == 5 ? 4 : 1) << k;
    EXPECT_EQ(joined, (std::vector<std::size_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  }
  EXPECT_THROW(RunParallel(6,
                           [](std::size_t k) {
                             if (k == 3) throw std::runtime_error("piece 3");
                           }),
               std::runtime_error);
}

// A child made by fork() has none of its parent's threads; its own calls
// still finish.
TEST(RunParallel, WorksInAForkedChild) {
  RunParallel(8, [](std::size_t) {});
  test::Child child([] {
    ::alarm(20);  // a hang ends the child rather than the test run
    std::atomic<int> done{0};
    RunParallel(8, [&](std::size_t) { ++done; });
    return done == 8 ? 0 : 1;
  });
  const int status = child.Wait();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace velk
