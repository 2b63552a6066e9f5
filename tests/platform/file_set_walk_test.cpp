// The replacement of a set walked through every state it and the
// recoveries after it really reach (support/set_walk.h): killed or failing
// at each step, the recovery of that killed or failing at each of its own,
// and the recovery of that; the next plain run must leave the set whole, in
// the direction the interrupted writer had taken, with nothing set aside,
// nothing of the runs left, and a line that says what it did.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_set.h"
#include "support/set_walk.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::SetWalk;
using test::WalkRoot;
using test::WalkTarget;
using test::WriteFile;

// A set in `root`/set of the files named, each with the bytes it held
// before (none: no file). With `linked`, the first one is the user's own
// link to a file of another name in `root`/other.
SetWalk SetOf(const WalkRoot& root, const std::string& name,
              const std::vector<std::pair<std::string, std::optional<std::string>>>& files, bool linked = false,
              bool lockless = false) {
  SetWalk walk;
  walk.name = name;
  walk.root = root.path();
  walk.folders = {root / "set"};
  if (linked) walk.folders.push_back(root / "other");
  for (const auto& [file, before] : files)
    walk.targets.push_back({root / "set" / file, before, "new " + file});
  walk.make = [walk, linked] {
    for (const fs::path& folder : walk.folders) fs::create_directories(folder);
    for (size_t k = 0; k < walk.targets.size(); ++k) {
      const WalkTarget& t = walk.targets[k];
      const fs::path file = linked && k == 0 ? walk.folders[1] / "linked.txt" : t.path;
      if (t.before) WriteFile(file, *t.before);
      if (linked && k == 0) fs::create_symlink(file, t.path);
    }
  };
  FileSet set;
  for (const WalkTarget& t : walk.targets) set.emplace_back(t.path, t.after);
  walk.write = [set] { return ReplaceFilesInTurn(set); };
  walk.lockless = lockless;
  return walk;
}

SetWalk Mixed(const WalkRoot& root, bool lockless = false) {
  return SetOf(root, lockless ? "mixed, no locks" : "mixed", {{"a.txt", "old a"}, {"b.txt", std::nullopt},
                                                              {"c.txt", "old c"}},
               false, lockless);
}

SetWalk Linked(const WalkRoot& root) {
  return SetOf(root, "through a link", {{"a.txt", "old a"}, {"b.txt", std::nullopt}}, true);
}

// The walk counts on it: a run stopped in this process leaves the very
// folder that a run killed there leaves.
TEST(FileSetWalk, AWriterStoppedInProcessLeavesWhatAKillLeaves) {
  for (const bool linked : {false, true}) {
    WalkRoot root;
    const SetWalk walk = linked ? Linked(root) : Mixed(root);
    const std::string last = linked ? "rename b.txt" : "rename c.txt";
    const std::vector<std::string> differences = test::ProveFrozenKills(
        walk,
        {"create .velk.journal", "write .velk.journal", "create .velk-set-", "link .velk-set-",
         linked ? "rename linked.txt" : "rename a.txt", last, "unlink .velk-set-", "unlink .velk.journal"},
        last, {"stat .velk.journal", last, "unlink .velk-set-", "unlink .velk.journal"});
    for (const std::string& d : differences) ADD_FAILURE() << walk.name << ": " << d;
  }
}

TEST(FileSetWalk, EveryStateAWriterAndItsRecoveriesReachEndsWhole) {
  const auto start = std::chrono::steady_clock::now();
  test::WalkResult all;
  const std::vector<std::function<SetWalk(const WalkRoot&)>> sets = {
      [](const WalkRoot& root) {
        return SetOf(root, "three earlier files", {{"a.txt", "old a"}, {"b.txt", "old b"}, {"c.txt", "old c"}});
      },
      [](const WalkRoot& root) {
        return SetOf(root, "two new files", {{"a.txt", std::nullopt}, {"b.txt", std::nullopt}});
      },
      [](const WalkRoot& root) { return Mixed(root); },
      [](const WalkRoot& root) { return Linked(root); },
      [](const WalkRoot& root) { return Mixed(root, true); },
  };
  for (const auto& make : sets) {
    WalkRoot root;
    const SetWalk walk = make(root);
    const test::WalkResult r = test::WalkSetStates(walk);
    std::printf("%s: %s\n", walk.name.c_str(), r.Counts().c_str());
    all.failures.insert(all.failures.end(), r.failures.begin(), r.failures.end());
  }
  std::printf("walked in %.1f s\n",
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  EXPECT_TRUE(all.failures.empty()) << all.Summary();
}

}  // namespace
}  // namespace velk
