// The save of a plan walked through every state it and the recoveries
// after it really reach (support/set_walk.h): the plan, Aircraft.txt and a
// new "Removed Flights.txt" as one set, with the one-time backups made
// first. The next plain run must leave the three whole, in the direction
// the save had taken, with nothing set aside and nothing of the save left
// but whole backups; and what its line says of a target renamed away.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/plan_save_walk.h"
#include "support/plan_guard.h"
#include "support/set_walk.h"
#include "support/test_support.h"

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

// Another program at work in the plan's folder while velk saves, at the
// step of the save `at` (counted as the file-step seam counts them).
struct Meddler {
  int at = -1, seen = 0;
  std::function<void()> act;
};
Meddler g_meddler;

bool MeddleAtStep(std::string_view, const std::filesystem::path&) {
  if (g_meddler.seen++ == g_meddler.at) g_meddler.act();
  return false;
}

// At each step of a save another program replaces the plan (as an editor
// saves), appends to Aircraft.txt, makes "Removed Flights.txt", which the
// save is to make, or removes Aircraft.txt. Whatever the step, the change is
// asked about before anything is replaced (velk, told no, writes nothing),
// or without a question the save says so, or it came after the save had put
// that file in place; and the change stands. Left out is only the file's
// own rename, where no look can come between (see docs/file-safety.md),
// but for a file made where there was none, which that rename refuses.
TEST(PlanSaveWalk, AChangeAnotherProgramMakesAtAnyStepOfTheSaveIsAskedAboutAndKept) {
  namespace fs = std::filesystem;
  test::PlanGuard guard;
  test::WalkRoot root;
  const test::SetWalk walk = test::PlanSaveWalk(root.path(), "plan save", false, true);
  const fs::path folder = walk.folders.front();
  const fs::path plan = folder / "FlightPlans.txt", aircraft = folder / "Aircraft.txt",
                 removed = folder / "Removed Flights.txt";
  auto fresh = [&] {
    for (const std::string& name : test::Names(folder)) fs::remove(folder / name);
    walk.make();
    walk.reset();
    // As an open of the plan knows them.
    for (const test::WalkTarget& t : walk.targets) Remember(Plan().KnownFiles, KnowFile(t.path));
  };
  // velk's save, which asks (and is told no), and a set written as ulvane
  // writes it, without a question.
  std::vector<std::vector<fs::path>> questions;
  auto save = [&](bool question, SetFailure& failure) {
    if (question) {
      return WritePlanFiles(Plan(), [&](const std::vector<fs::path>& changed) {
        questions.push_back(changed);
        return false;
      }, &failure);
    }
    FileSet files;
    for (const test::WalkTarget& t : walk.targets) files.emplace_back(t.path, t.after);
    return ReplaceFilesInTurn(files, &failure);
  };
  const std::string appended = "AC#9,90,\"theirs\"\r\n";
  struct Change {
    std::string what;
    fs::path target;
    std::function<void()> act;
    std::function<std::optional<std::string>(const std::optional<std::string>& before)> after;
  };
  const std::vector<Change> changes = {
      {"the plan replaced", plan,
       [&] {
         test::WriteFile(folder / "theirs.tmp", "their plan\r\n");
         fs::rename(folder / "theirs.tmp", plan);
       },
       [](const auto&) { return std::optional<std::string>("their plan\r\n"); }},
      {"Aircraft.txt appended to", aircraft, [&] { std::ofstream(aircraft, std::ios::app | std::ios::binary) << appended; },
       [&](const auto& before) { return std::optional<std::string>(before.value_or("") + appended); }},
      {"Removed Flights.txt made", removed, [&] { test::WriteFile(removed, "theirs\r\n"); },
       [](const auto&) { return std::optional<std::string>("theirs\r\n"); }},
      {"Aircraft.txt removed", aircraft, [&] { fs::remove(aircraft); },
       [](const auto&) { return std::optional<std::string>(); }},
  };
  size_t asked = 0, told = 0, after = 0;
  for (bool question : {true, false}) {
    fresh();
    std::vector<std::string> steps;
    SetFailure unused;
    ASSERT_TRUE(test::RunStopped(-1, -1, [&] { return save(question, unused); }, &steps));
    // The save's first look at a target, and the rename that puts its new
    // file there.
    auto stepAt = [&](const std::string& step) {
      return static_cast<int>(std::find(steps.begin(), steps.end(), step) - steps.begin());
    };
    auto lookedAt = [&](const fs::path& target) { return stepAt("stat " + target.filename().string()); };
    auto renamedAt = [&](const fs::path& target) { return stepAt("rename " + target.filename().string()); };
    for (const Change& c : changes) {
      for (int at = 0; at < static_cast<int>(steps.size()); ++at) {
        if (at == renamedAt(c.target) && c.target != removed) continue;
        // Without a question, what the first look saw is what is replaced.
        if (!question && at <= lookedAt(c.target)) continue;
        const std::string where = c.what + (question ? " at \"" : " without a question at \"") +
                                  test::WithoutRunLetters(steps[at]) + "\" (step " + std::to_string(at) + ")";
        fresh();
        std::vector<std::optional<std::string>> before;
        for (const test::WalkTarget& t : walk.targets) before.push_back(test::ReadFile(t.path));
        std::optional<std::string> changedBefore;
        g_meddler = {at, 0, [&] {
                       changedBefore = test::ReadFile(c.target);
                       c.act();
                     }};
        questions.clear();
        SetFailure failure;
        bool saved = false;
        {
          const test::ScopedFileStepHook hook(MeddleAtStep);
          saved = save(question, failure);
        }
        ASSERT_GT(g_meddler.seen, at) << where;
        EXPECT_EQ(test::ReadFile(c.target), c.after(changedBefore)) << where << ": the change is lost";
        for (const std::string& name : test::Names(folder))
          EXPECT_TRUE(name.find("-set-") == std::string::npos && name.find(".journal") == std::string::npos)
              << where << ": " << name << " is left";
        if (saved) {
          // Only a change that came once the save had put that file in place.
          EXPECT_GT(at, renamedAt(c.target)) << where << ": saved over the change";
          ++after;
          continue;
        }
        for (size_t i = 0; i < walk.targets.size(); ++i) {
          if (walk.targets[i].path == c.target) continue;
          EXPECT_EQ(test::ReadFile(walk.targets[i].path), before[i]) << where << ": " << walk.targets[i].path;
        }
        if (question) {
          ASSERT_EQ(questions.size(), 1u) << where << ": " << SetFailureText(failure);
          EXPECT_NE(std::find(questions[0].begin(), questions[0].end(), c.target), questions[0].end()) << where;
          EXPECT_EQ(failure.step, SetFailure::Step::kDeclined) << where;
          ++asked;
        } else {
          EXPECT_EQ(failure.step, SetFailure::Step::kChangedMeanwhile) << where << ": " << SetFailureText(failure);
          EXPECT_EQ(failure.file, c.target) << where;
          ++told;
        }
      }
    }
  }
  std::printf("%zu changes asked about, %zu told, %zu made after the file was saved\n", asked, told, after);
  // Told yes, the save starts again and replaces the file as it is now.
  fresh();
  std::vector<std::string> steps;
  ASSERT_TRUE(test::RunStopped(-1, -1, [&] { return WritePlanFiles(Plan(), {}); }, &steps));
  fresh();
  g_meddler = {static_cast<int>(std::find(steps.begin(), steps.end(), "rename FlightPlans.txt") - steps.begin()) - 1,
               0, changes[0].act};
  size_t yes = 0;
  {
    const test::ScopedFileStepHook hook(MeddleAtStep);
    EXPECT_TRUE(WritePlanFiles(Plan(), [&](const std::vector<fs::path>&) { return ++yes, true; }));
  }
  EXPECT_EQ(yes, 1u);
  for (const test::WalkTarget& t : walk.targets)
    if (t.path == plan) {
      EXPECT_EQ(test::ReadFile(plan), t.after);
    }
  // A plan that another program puts back with the very bytes velk knows
  // at every last look is no change to ask about, yet may not be replaced:
  // the save gives up after a few tries and says why.
  fresh();
  static const fs::path* meddled;
  meddled = &plan;
  {
    const test::ScopedFileStepHook hook([](std::string_view step, const fs::path& path) {
      if (step == "stat" && path == "FlightPlans.txt" && fs::exists(meddled->parent_path() / ".velk.journal")) {
        const std::optional<std::string> bytes = test::ReadFile(*meddled);
        test::WriteFile(meddled->parent_path() / "same.tmp", *bytes);
        fs::rename(meddled->parent_path() / "same.tmp", *meddled);
      }
      return false;
    });
    SetFailure failure;
    EXPECT_FALSE(WritePlanFiles(Plan(), [&](const std::vector<fs::path>&) { return ++yes, true; }, &failure));
    EXPECT_EQ(failure.step, SetFailure::Step::kChangedMeanwhile) << SetFailureText(failure);
  }
  EXPECT_EQ(yes, 1u) << "asked about a file with the bytes velk knows";
  for (const test::WalkTarget& t : walk.targets) EXPECT_EQ(test::ReadFile(t.path), t.before) << t.path;
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
