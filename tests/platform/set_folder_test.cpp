// The way to a set's folder: reached as a write reaches it, also when its
// path is longer than the system takes at once, carried through only where a
// writer would write, and named, with why, when it cannot be reached.
#include "platform/file_set.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/folder_list.h"
#include "platform/text_file.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::Names;
using test::ReadFile;
using test::RecoverSet;
using test::TempDir;
using test::WriteFile;

// A set of a.txt and b.txt in `folder`, its writer killed between its
// renames: a.txt is new, b.txt old.
void KillBetweenRenames(const fs::path& folder) {
  for (const char* name : {"a.txt", "b.txt"}) WriteFile(folder / name, std::string("old ") + name[0]);
  test::KillAtFileStep("rename b.txt", [&] {
    ReplaceFilesInTurn({{folder / "a.txt", "new a"}, {folder / "b.txt", "new b"}});
  });
}

const std::string kFinished = "Finished replacing a.txt and b.txt, which an interrupted run of velk had left half done.";

// The owner of a link is taken from the link itself.
void GiveLinkTo(const fs::path& link, uid_t user) { ASSERT_EQ(::lchown(link.c_str(), user, user), 0); }

TEST(SetFolderWay, ASetReachedThroughAnotherUsersFolderLinkIsReadThroughItButNotCarriedThrough) {
  if (::geteuid() != 0) GTEST_SKIP() << "another user's link needs root";
  TempDir dir;
  const fs::path plan = dir / "plan2", shared = dir / "shared", via = shared / "x";
  KillBetweenRenames(plan);
  fs::create_directories(shared);
  fs::create_directory_symlink(plan, via);
  GiveLinkTo(via, 65534);
  const std::set<std::string> left = Names(plan);
  const std::string link = "the symbolic link '" + (fs::canonical(shared) / "x").string() + "' belongs to the user " +
                           UserName(65534) + ", not to you";
  // Neither the recovery nor the writer goes through his link; the set is
  // not read while its journal is in force.
  const SetRecovery refused = RecoverSet(via);
  EXPECT_EQ(refused.lines, std::vector<std::string>{"An interrupted replacement of files in the folder '" +
                                                    via.string() + "' is not carried through there (" + link +
                                                    "): nothing was changed."});
  EXPECT_TRUE(refused.unfinished);
  EXPECT_FALSE(refused.Readable());
  SetFailure failure;
  EXPECT_FALSE(ReplaceFilesInTurn({{via / "a.txt", "other a"}}, &failure));
  EXPECT_EQ(failure.reason, link);
  EXPECT_EQ(Names(plan), left);
  EXPECT_EQ(ReadFile(plan / "a.txt"), "new a");
  EXPECT_EQ(ReadFile(plan / "b.txt"), "old b");
  // Reached without his link, it is carried through; then it is read
  // through his link as before.
  EXPECT_EQ(RecoverSet(plan).lines, std::vector<std::string>{kFinished});
  const SetRecovery read = RecoverSet(via);
  EXPECT_TRUE(read.Empty());
  EXPECT_TRUE(read.Readable());
  EXPECT_EQ(ReadFile(via / "b.txt"), "new b");
}

// A journal set aside tells what stands where its links led as the user
// finds it there: through a link of her own put in the place of that folder.
TEST(SetFolderWay, AJournalSetAsideIsToldThroughTheUsersOwnLinkToTheFolderItsLinksLedTo) {
  TempDir dir;
  const fs::path set = dir / "set", other = dir / "other";
  fs::create_directories(set);
  for (const char* name : {"a.txt", "b.txt"}) {
    WriteFile(other / name, std::string("old ") + name[0]);
    fs::create_symlink(other / name, set / name);
  }
  test::KillAtFileStep("rename b.txt", [&] { ReplaceFilesInTurn({{set / "a.txt", "x"}, {set / "b.txt", "y"}}); });
  WriteFile(other / "b.txt", "edited b");
  ASSERT_TRUE(RecoverSet(set).attention);
  fs::rename(other, dir / "moved");
  fs::create_directory_symlink(dir / "moved", other);
  const SetRecovery r = RecoverSet(set);
  ASSERT_EQ(r.asides.size(), 1u);
  EXPECT_NE(r.asides[0].find("'" + (other / "a.txt").string() + "' holds the new file; its earlier file is kept as '" +
                                (other / ".velk-set-").string()),
            std::string::npos)
      << r.asides[0];
}

// `levels` folders of long names below `top`: a path longer than the system
// takes at once. Removed from the bottom up through open folders, which a
// removal by path could not do.
class DeepFolder {
 public:
  DeepFolder(const fs::path& top, int levels) : path_(top) {
    fds_.push_back(::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (int i = 0; i < levels; ++i) {
      const std::string name = std::string(200, 'a' + i % 26);
      ::mkdirat(fds_.back(), name.c_str(), 0700);
      fds_.push_back(::openat(fds_.back(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      path_ /= name;
    }
  }
  ~DeepFolder() {
    fs::path dir = path_;
    for (size_t i = fds_.size(); i-- > 1;) {
      std::vector<std::string> names;
      ForEachEntry(fds_[i], [&](const std::string& n) {
        names.push_back(n);
        return true;
      });
      for (const std::string& n : names) ::unlinkat(fds_[i], n.c_str(), 0);
      ::close(fds_[i]);
      ::unlinkat(fds_[i - 1], dir.filename().c_str(), AT_REMOVEDIR);
      dir = dir.parent_path();
    }
    ::close(fds_[0]);
  }
  const fs::path& path() const { return path_; }
  int fd() const { return fds_.back(); }
  std::optional<std::string> Read(const std::string& name) const {
    return ReadFileBytes(name, nullptr, ReadLimits{fd(), false});
  }

 private:
  fs::path path_;
  std::vector<int> fds_;
};

// Works in the folder `dir` for a scope.
class InFolder {
 public:
  explicit InFolder(int dir) : back_(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) { EXPECT_EQ(::fchdir(dir), 0); }
  ~InFolder() {
    EXPECT_EQ(::fchdir(back_), 0);
    ::close(back_);
  }

 private:
  int back_;
};

TEST(SetFolderWay, ASetFolderBeyondThePathLengthOfTheSystemIsLockedAndCarriedThrough) {
  TempDir dir;
  const DeepFolder deep(dir.path(), 24);
  ASSERT_GT(deep.path().native().size(), static_cast<size_t>(PATH_MAX));
  {
    // Written where the path is short: in the folder itself.
    InFolder here(deep.fd());
    KillBetweenRenames(".");
  }
  ASSERT_EQ(deep.Read("a.txt"), "new a");
  SetFolder set(deep.path(), {deep.path() / "a.txt", deep.path() / "b.txt"});
  ASSERT_EQ(set.LockWithin(std::chrono::milliseconds(0)), FolderLock::Result::kLocked);
  EXPECT_TRUE(set.HoldsLockOf(deep.path()));
  EXPECT_EQ(set.Recover().lines, std::vector<std::string>{kFinished});
  EXPECT_EQ(deep.Read("a.txt"), "new a");
  EXPECT_EQ(deep.Read("b.txt"), "new b");
  {
    // Replaced again by the names in the folder, and left whole.
    InFolder here(deep.fd());
    SetFailure failure;
    EXPECT_TRUE(ReplaceFilesInTurn({{"a.txt", "newer a"}, {"b.txt", "newer b"}}, &failure)) << SetFailureText(failure);
  }
  EXPECT_EQ(deep.Read("b.txt"), "newer b");
  std::vector<std::string> names;
  ForEachEntry(deep.fd(), [&](const std::string& n) {
    names.push_back(n);
    return true;
  });
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), (std::set<std::string>{"a.txt", "b.txt"}));
}

// A set's folder that cannot be reached is named where the way to it
// stopped, with the system's reason; a missing one leaves nothing to make
// the new files beside.
TEST(SetFolderWay, AFolderThatCannotBeReachedIsNamedWithWhy) {
  TempDir dir;
  const fs::path real = fs::canonical(dir.path());
  WriteFile(dir / "file", "a file where a folder was");
  fs::create_symlink("loop", dir / "loop");
  struct Case {
    fs::path folder;
    SetFailure::Step step;
    std::string text;
  } cases[] = {
      {dir / "file/set", SetFailure::Step::kNoFolder, "Could not open the folder '" + (real / "file").string() +
                                                          "' (Not a directory)."},
      {dir / "file", SetFailure::Step::kNoFolder, "Could not open the folder '" + (real / "file").string() +
                                                      "' (Not a directory)."},
      {dir / "loop/set", SetFailure::Step::kNoFolder, "Could not open the folder '" + (dir / "loop/set").string() +
                                                          "' (Too many levels of symbolic links)."},
      {dir / "none/set", SetFailure::Step::kCreate, "Could not make a new file beside '" +
                                                        (dir / "none/set/a.txt").string() +
                                                        "' (No such file or directory)."},
  };
  for (const Case& c : cases) {
    SetFailure failure;
    EXPECT_FALSE(ReplaceFilesInTurn({{c.folder / "a.txt", "a"}}, &failure)) << c.folder;
    EXPECT_EQ(failure.step, c.step) << c.folder;
    EXPECT_EQ(SetFailureText(failure), c.text);
  }
}

}  // namespace
}  // namespace velk
