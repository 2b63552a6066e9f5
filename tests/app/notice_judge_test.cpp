// The notices of a set left half replaced, judged (support/notice_judge.h)
// in every state that ulvane's three texts and velk's plan save leave when
// killed at each of their steps, with the journal damaged and the user's
// changes on top: a notice offers only ways that, followed word for word,
// leave one whole version of the set and lose no version, and says only
// what is true of the files.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/plan_save_walk.h"
#include "platform/file_ops.h"
#include "platform/file_set.h"
#include "support/notice_judge.h"
#include "support/plan_guard.h"
#include "support/set_walk.h"
#include "support/test_support.h"
#include "traffic_compiler/common/console.h"
#include "traffic_compiler/decompiler/decompiler_main.h"
#include "traffic_compiler/decompiler/traffic_text.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::SetWalk;

// Two airports, one aircraft and a plan that flies between them.
ulvane::TrafficDatabase SmallDatabase() {
  ulvane::TrafficDatabase db;
  db.airports = {{{'K', 'B', 'O', 'S'}, 4710000, -0x32000000, 6}, {{'K', 'O', 'R', 'D'}, 4660000, -0x3E000000, 205}};
  db.aircraft = {{1, 450, "Boeing 737-400"}};
  ulvane::DecodedLeg out, back;
  out.departure = 0x0100;
  out.arrival = 0x0200;
  out.code = {'K', 'O', 'R', 'D'};
  out.packed = 350 | 100u << 10 | 1u << 24;
  back = out;
  back.departure = 0x0300;
  back.arrival = 0x0400;
  back.code = {'K', 'B', 'O', 'S'};
  db.legs = {out, back};
  ulvane::DecodedPlan plan;
  plan.acNumber = 1;
  plan.registration = {'N', '1', '0', '0', 'V', 'R'};
  plan.flags = 100 | 6 << 8 | 0x1000;
  plan.legCount = 2;
  db.plans = {plan};
  return db;
}

// ulvane writing its three texts into `root`/work: each there before
// (FlightPlans.txt only when `flightPlans`), or each the user's own link
// into `root`/share/x.
SetWalk Ulvane(const fs::path& root, const std::string& name, bool flightPlans, bool linked) {
  const ulvane::TrafficDatabase db = SmallDatabase();
  std::vector<std::string> texts;
  {
    const traffic::ScopedConsoleCapture quiet;
    texts = {ulvane::AirportsText(db), ulvane::AircraftText(db), ulvane::FlightPlansText(db)};
  }
  const fs::path work = root / "work", share = root / "share/x";
  SetWalk walk;
  walk.name = name;
  walk.root = root;
  walk.folders = {work};
  if (linked) walk.folders.push_back(share);
  const char* names[] = {"Airports.txt", "Aircraft.txt", "FlightPlans.txt"};
  std::vector<fs::path> paths;
  for (size_t k = 0; k < 3; ++k) {
    std::optional<std::string> before = "the earlier " + std::string(names[k]) + "\r\n";
    if (k == 2 && !flightPlans) before.reset();
    walk.targets.push_back({work / names[k], before, texts[k]});
    paths.push_back(work / names[k]);
  }
  walk.make = [targets = walk.targets, share, linked] {
    for (const test::WalkTarget& t : targets) {
      const fs::path file = linked ? share / t.path.filename() : t.path;
      if (t.before) test::WriteFile(file, *t.before);
      if (linked) fs::create_symlink("../share/x" / t.path.filename(), t.path);
    }
  };
  walk.write = [work, paths, db] {
    const traffic::ScopedConsoleCapture quiet;
    SetProgramMark("ulvane");
    bool written = false;
    {
      SetFolder set(work, paths);
      set.LockWithin(kSetLockWait);
      const SetRecovery r = set.Recover();
      written = !r.busy && !r.unfinished && ulvane::WriteTrafficFiles(db, set) == 0;
    }
    SetProgramMark("velk");
    return written;
  };
  return walk;
}

TEST(NoticeJudge, EveryWayOfANoticeAfterAKilledWriterLeavesTheSetWholeAndKeepsEveryVersion) {
  test::PlanGuard guard;
  test::WalkRoot root;
  const auto start = std::chrono::steady_clock::now();
  const std::vector<std::pair<std::string, std::function<SetWalk(const fs::path&)>>> writers = {
      {"ulvane", [](const fs::path& r) { return Ulvane(r, "ulvane, three texts there before", true, false); }},
      {"ulvane-adds", [](const fs::path& r) { return Ulvane(r, "ulvane, FlightPlans.txt new", false, false); }},
      {"ulvane-links", [](const fs::path& r) { return Ulvane(r, "ulvane, the texts links into share/x", true, true); }},
      {"first-removed",
       [](const fs::path& r) {
         return test::PlanSaveWalk(r, "velk's first save, with Removed Flights.txt", false, true);
       }},
      {"first", [](const fs::path& r) { return test::PlanSaveWalk(r, "velk's first save", false, false); }},
      {"later-removed",
       [](const fs::path& r) {
         return test::PlanSaveWalk(r, "velk's later save, with Removed Flights.txt", true, true);
       }},
      {"later", [](const fs::path& r) { return test::PlanSaveWalk(r, "velk's later save", true, false); }},
      // A name that holds what the sentences join their parts with.
      {"summer",
       [](const fs::path& r) {
         return test::PlanSaveWalk(r, "velk's first save of 'Summer, winter and more.txt'", false, true,
                                   "Summer, winter and more.txt");
       }},
  };
  // Each writer's states in three parts, each part in a process and a copy
  // of its folders of its own, all at once.
  constexpr size_t kParts = 3;
  std::vector<std::string> names;
  std::vector<std::function<test::NoticeJudgement()>> jobs;
  for (const auto& [folder, writer] : writers) {
    for (size_t part = 0; part < kParts; ++part) {
      const SetWalk walk = writer(root / (folder + "-" + std::to_string(part)));
      // A file's bytes say which version of which target it is.
      std::set<std::string> bytes;
      size_t versions = 0;
      for (const test::WalkTarget& t : walk.targets) {
        if (t.before) bytes.insert(*t.before);
        bytes.insert(t.after);
        versions += t.before ? 2 : 1;
      }
      ASSERT_EQ(bytes.size(), versions) << walk.name;
      if (part == 0) names.push_back(walk.name);
      jobs.push_back([walk, part] { return test::JudgeNotices(walk, 1, part, kParts); });
    }
  }
  const std::vector<test::NoticeJudgement> judged = test::JudgeApart(jobs, root.path());
  test::NoticeJudgement all;
  for (size_t i = 0; i < names.size(); ++i) {
    test::NoticeJudgement one;
    for (size_t part = 0; part < kParts; ++part) one.Add(judged[i * kParts + part]);
    std::printf("%s: %s\n", names[i].c_str(), one.Counts().c_str());
    all.Add(one);
  }
  SetProgramMark("velk");
  std::printf("all: %s, in %.1f s\n", all.Counts().c_str(),
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  EXPECT_TRUE(all.failures.empty()) << all.Summary();
}

}  // namespace
}  // namespace velk
