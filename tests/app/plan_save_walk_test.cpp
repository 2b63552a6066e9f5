// The save of a plan walked through every state it and the recoveries
// after it really reach (support/set_walk.h): the plan, Aircraft.txt and a
// new "Removed Flights.txt" as one set, with the one-time backups made
// first. The next plain run must leave the three whole, in the direction
// the save had taken, with nothing set aside and nothing of the save left
// but whole backups; and what its line says of a target renamed away.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

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

// The line of the next run is true of every file of the set after the user
// renamed Aircraft.txt away since a save was killed at its first or second
// link: the first save, which makes the one-time backups, and a later one.
// Removed Flights.txt, which the save adds, had no earlier file.
TEST(PlanSaveWalk, TheLineAfterAKilledSaveIsTrueOfATargetRenamedAway) {
  test::PlanGuard guard;
  test::WalkRoot root;
  for (const bool backups : {false, true}) {
    for (const int nth : {1, 2}) {
      const std::string name = (backups ? "later save, link " : "first save, link ") + std::to_string(nth);
      const test::SetWalk walk = test::PlanSaveWalk(root / name, name, backups, true);
      const std::filesystem::path folder = walk.folders.front();
      walk.reset();
      std::vector<std::string> steps;
      ASSERT_TRUE(test::RunStopped(-1, -1, walk.write, &steps)) << name;
      std::filesystem::remove_all(folder);
      walk.make();
      walk.reset();
      int at = -1;
      for (int i = 0, left = nth; i < static_cast<int>(steps.size()) && at < 0; ++i)
        if (steps[static_cast<size_t>(i)].starts_with("link ") && --left == 0) at = i;
      ASSERT_GE(at, 0) << name;
      test::RunStopped(-1, at, walk.write);
      std::filesystem::rename(folder / "Aircraft.txt", folder / "Aircraft mine.txt");
      EXPECT_EQ(test::RecoverSet(folder).lines,
                std::vector<std::string>{"Removed what an interrupted run of velk left; Removed Flights.txt and "
                                         "FlightPlans.txt are as before; Aircraft.txt is not there: it was removed "
                                         "since the run."})
          << name;
      EXPECT_EQ(test::ReadFile(folder / "Aircraft mine.txt"), walk.targets[2].before) << name;
      EXPECT_FALSE(std::filesystem::exists(folder / "Removed Flights.txt")) << name;
    }
  }
}

}  // namespace
}  // namespace velk
