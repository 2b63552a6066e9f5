// The save of a plan walked through every state it and the recoveries
// after it really reach (support/set_walk.h): the plan, Aircraft.txt and a
// new "Removed Flights.txt" as one set, with the one-time backups made
// first. The next plain run must leave the three whole, in the direction
// the save had taken, with nothing set aside and nothing of the save left
// but whole backups.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "app/plan_save_walk.h"
#include "support/plan_guard.h"
#include "support/set_walk.h"

namespace velk {
namespace {

TEST(PlanSaveWalk, EveryStateASaveAndItsRecoveriesReachEndsWhole) {
  test::PlanGuard guard;
  test::WalkRoot root;
  // The user removed a flight and gave the other one a new aircraft.
  const test::SetWalk walk = test::PlanSaveWalk(root.path(), "plan save", false, true);
  ASSERT_EQ(walk.targets.size(), 3u);
  ASSERT_EQ(walk.backups.size(), 2u);
  const auto start = std::chrono::steady_clock::now();
  const test::WalkResult r = test::WalkSetStates(walk);
  std::printf("%s: %s, in %.1f s\n", walk.name.c_str(), r.Counts().c_str(),
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  EXPECT_TRUE(r.failures.empty()) << r.Summary();
}

}  // namespace
}  // namespace velk
