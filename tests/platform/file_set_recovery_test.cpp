// The recovery of a set whose files are the user's own links into a folder
// elsewhere: a share that is away for a while, or another file system.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_set.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::Names;
using test::ReadFile;
using test::RecoverSet;
using test::TempDir;
using test::WriteFile;

// `set` holding a.txt and b.txt as links that climb to `share`, each with
// its earlier bytes; the writer killed at `step`.
void KillThroughLinks(const fs::path& set, const fs::path& share, const std::string& step) {
  fs::create_directories(set);
  for (const char* name : {"a.txt", "b.txt"}) {
    WriteFile(share / name, std::string("old ") + name[0]);
    fs::create_symlink(fs::relative(share / name, set), set / name);
  }
  test::KillAtFileStep(step, [&] { ReplaceFilesInTurn({{set / "a.txt", "new a"}, {set / "b.txt", "new b"}}); });
}

std::vector<std::optional<std::string>> Set(const fs::path& share) {
  return {ReadFile(share / "a.txt"), ReadFile(share / "b.txt")};
}

// A folder missing on the way the journal names, or a file in its place,
// is no verdict on where the link leads: nothing is set aside, readers
// stop, and once the folder is back the set is finished. A link that leads
// elsewhere now is one that changed.
TEST(FileSetThroughLinks, AFolderMissingOnTheWayIsTriedAgain) {
  TempDir dir;
  const fs::path set = dir / "set", share = dir / "share/x", away = dir / "away";
  KillThroughLinks(set, share, "rename b.txt");
  ASSERT_EQ(Set(share), (std::vector<std::optional<std::string>>{"new a", "old b"}));
  const std::set<std::string> left = Names(share);
  fs::rename(share, away);
  for (const int err : {ENOENT, ENOTDIR}) {
    if (err == ENOTDIR) WriteFile(share, "not a folder");
    const SetRecovery r = RecoverSet(set);
    EXPECT_EQ(r.lines, std::vector<std::string>{"Could not reach the folder '" + share.string() + "' on the way to "
                                                "a.txt after an interrupted run of velk (" + std::strerror(err) +
                                                "): nothing was changed, and the next run tries again."});
    EXPECT_TRUE(r.unfinished && !r.Readable());
    EXPECT_EQ(Names(set), (std::set<std::string>{".velk.journal", "a.txt", "b.txt"}));
    EXPECT_EQ(Names(away), left);
  }
  fs::remove(share);
  fs::rename(away, share);
  const SetRecovery back = RecoverSet(set);
  EXPECT_EQ(back.lines, std::vector<std::string>{"Finished replacing a.txt and b.txt, which an interrupted run of "
                                                 "velk had left half done."});
  EXPECT_TRUE(back.Readable());
  EXPECT_EQ(Set(share), (std::vector<std::optional<std::string>>{"new a", "new b"}));
  EXPECT_EQ(Names(share), (std::set<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(Names(set), (std::set<std::string>{"a.txt", "b.txt"}));

  // The link of a.txt now names another folder, which is missing too.
  const fs::path moved = dir / "moved", elsewhere = dir / "moved-share/y";
  KillThroughLinks(moved, elsewhere, "rename b.txt");
  fs::remove(moved / "a.txt");
  fs::create_symlink("../moved-share/z/a.txt", moved / "a.txt");
  const SetRecovery changed = RecoverSet(moved);
  ASSERT_EQ(changed.lines.size(), 1u);
  EXPECT_TRUE(changed.lines[0].starts_with("a.txt changed after an interrupted run of velk")) << changed.lines[0];
  EXPECT_EQ(Set(elsewhere), (std::vector<std::optional<std::string>>{"new a", "old b"}));
}

// A target whose link leads onto another file system is carried through
// like any: its files lie in the folder it leads to, all on that one.
TEST(FileSetThroughLinks, ATargetOnAnotherFileSystemIsCarriedThrough) {
  TempDir dir;
  const fs::path shm = "/dev/shm";
  struct stat here {}, there {};
  if (::stat(dir.path().c_str(), &here) != 0 || ::stat(shm.c_str(), &there) != 0 || here.st_dev == there.st_dev ||
      ::access(shm.c_str(), W_OK) != 0)
    GTEST_SKIP() << "no second file system to write to";
  const fs::path share = shm / dir.path().filename();
  struct Removed {
    fs::path path;
    ~Removed() { fs::remove_all(path); }
  } removed{share};
  const std::pair<const char*, const char*> cases[] = {
      {"rename b.txt", "Finished replacing a.txt and b.txt, which an interrupted run of velk had left half done."},
      {"link .velk-set-", "Removed what an interrupted run of velk left; a.txt and b.txt are as before."}};
  for (const auto& [step, line] : cases) {
    const fs::path set = dir / step, files = share / step;
    KillThroughLinks(set, files, step);
    const SetRecovery r = RecoverSet(set);
    EXPECT_EQ(r.lines, std::vector<std::string>{line}) << step;
    EXPECT_TRUE(r.Readable()) << step;
    EXPECT_EQ(Names(files), (std::set<std::string>{"a.txt", "b.txt"})) << step;
    EXPECT_EQ(Names(set), (std::set<std::string>{"a.txt", "b.txt"})) << step;
  }
}

}  // namespace
}  // namespace velk
