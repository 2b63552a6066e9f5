// The copy of a folder's contents: what it copies, what it leaves out and
// says, and that a link of another user's is never made one of the user's
// own.
#include "platform/folder_tree.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "platform/file_ops.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

// Copies `from` into the new folder `to`.
bool Copy(const fs::path& from, const fs::path& to, FolderCopy& copy) {
  fs::create_directory(to);
  copy.from = from;
  copy.to = to;
  const int in = ::open(from.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const int out = ::open(to.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool ok = CopyFolderContents(in, out, to, copy);
  ::close(in);
  ::close(out);
  return ok;
}

TEST(FolderTree, CopiesFilesFoldersAndOwnLinksAndSaysWhatItLeavesOut) {
  test::TempDir dir;
  const fs::path from = dir / "model";
  test::WriteFile(from / "plane.mdl", "model");
  test::WriteFile(from / "sub" / "b.bmp", "texture");
  test::WriteFile(dir / "elsewhere.mdl", "elsewhere");
  fs::create_symlink("../elsewhere.mdl", from / "own.mdl");
  ASSERT_EQ(::mkfifo((from / "pipe").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((from / "sub" / "pipe").c_str(), 0600), 0);
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, (from / "sock").c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ::close(sock);

  FolderCopy copy;
  ASSERT_TRUE(Copy(from, dir / "copy", copy)) << copy.reason;
  EXPECT_EQ(test::Names(dir / "copy"), (std::set<std::string>{"own.mdl", "plane.mdl", "sub"}));
  EXPECT_EQ(test::Names(dir / "copy" / "sub"), (std::set<std::string>{"b.bmp"}));
  EXPECT_EQ(test::ReadFile(dir / "copy" / "sub" / "b.bmp"), "texture");
  EXPECT_EQ(fs::read_symlink(dir / "copy" / "own.mdl"), "../elsewhere.mdl");
  EXPECT_EQ(std::set<std::string>(copy.leftOut.begin(), copy.leftOut.end()),
            (std::set<std::string>{"'" + (from / "pipe").string() + "' (a pipe)",
                                   "'" + (from / "sub" / "pipe").string() + "' (a pipe)",
                                   "'" + (from / "sock").string() + "' (a socket)"}));
  EXPECT_TRUE(copy.reason.empty());
}

TEST(FolderTree, CopiesGetThePermissionsOfNewFilesOfTheUsers) {
  test::TempDir dir;
  const fs::path from = dir / "model";
  test::WriteFile(from / "shared" / "setup", "program");
  test::WriteFile(from / "private.cfg", "private");
  test::WriteFile(from / "tex.bmp", "texture");
  // Another user's setuid program in his world-writable folder, where root
  // can arrange it; the modes last, as a change of owner takes setuid away.
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown((from / "shared").c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chown((from / "shared" / "setup").c_str(), 65534, 65534), 0);
  }
  ASSERT_EQ(::chmod((from / "shared" / "setup").c_str(), 06755), 0);
  ASSERT_EQ(::chmod((from / "shared").c_str(), 02777), 0);
  ASSERT_EQ(::chmod((from / "private.cfg").c_str(), 0600), 0);
  ASSERT_EQ(::chmod((from / "tex.bmp").c_str(), 0666), 0);
  const test::ScopedUmask mask(022);
  FolderCopy copy;
  ASSERT_TRUE(Copy(from, dir / "copy", copy)) << copy.reason;
  const std::pair<const char*, mode_t> modes[] = {
      {"shared", 0755}, {"shared/setup", 0755}, {"private.cfg", 0600}, {"tex.bmp", 0644}};
  for (const auto& [name, mode] : modes) {
    struct stat st {};
    ASSERT_EQ(::stat((dir / "copy" / name).c_str(), &st), 0) << name;
    EXPECT_EQ(st.st_mode & 07777, mode) << name;
    EXPECT_EQ(st.st_uid, ::geteuid()) << name;
  }
}

TEST(FolderTree, ACopyThatFailsNamesTheFileAndTheReasonAndMakesNoLinkOfAnotherUsers) {
  if (::geteuid() != 0) GTEST_SKIP() << "another user's link needs root";
  struct Row {
    const char* link;    // another user's link, in the folder copied
    bool failWrite;      // the write of a file's bytes fails
    const char* failed;  // the file of the copy named
    std::string reason;
  };
  const std::string theirs = " belongs to the user " + UserName(65534) + ", not to you";
  const Row rows[] = {
      {"plane.mdl", false, "plane.mdl", "the symbolic link '%/plane.mdl'" + theirs},
      {"sub/plane.mdl", false, "sub/plane.mdl", "the symbolic link '%/sub/plane.mdl'" + theirs},
      {nullptr, true, "model.cfg", std::strerror(EIO)},
  };
  for (const Row& row : rows) {
    test::TempDir dir;
    const fs::path from = dir / "model";
    test::WriteFile(from / "model.cfg", "[models]");
    test::WriteFile(dir / "home" / "private.mdl", "private");
    if (row.link) {
      fs::create_directories((from / row.link).parent_path());
      fs::create_symlink(dir / "home" / "private.mdl", from / row.link);
      ASSERT_EQ(::lchown((from / row.link).c_str(), 65534, 65534), 0);
    }
    test::ScopedFileStepHook hook;
    if (row.failWrite) hook.Set([](std::string_view step, const fs::path&) { return step == "write"; });
    FolderCopy copy;
    const bool ok = Copy(from, dir / "copy", copy);
    hook.Off();
    EXPECT_FALSE(ok) << row.failed;
    EXPECT_EQ(copy.file, dir / "copy" / row.failed);
    std::string reason = row.reason;
    if (const size_t at = reason.find('%'); at != std::string::npos) reason.replace(at, 1, from.string());
    EXPECT_EQ(copy.reason, reason);
    if (row.link) {
      EXPECT_FALSE(EntryExists(dir / "copy" / row.link)) << row.link;
    }
  }
}

// The link whose name the other user takes over while it is being copied,
// and where his leads.
fs::path g_swapped, g_theirs;

TEST(FolderTree, ALinkSwappedForAnotherUsersWhileItIsCopiedIsCopiedAsItWasLookedAt) {
  if (::geteuid() != 0) GTEST_SKIP() << "another user's link needs root";
  test::TempDir dir;
  const fs::path from = dir / "model";
  test::WriteFile(dir / "elsewhere.mdl", "elsewhere");
  test::WriteFile(dir / "home" / "private.mdl", "private");
  fs::create_directories(from);
  fs::create_symlink("../elsewhere.mdl", from / "plane.mdl");
  g_swapped = from / "plane.mdl";
  g_theirs = dir / "theirs";
  fs::create_symlink(dir / "home" / "private.mdl", g_theirs);
  ASSERT_EQ(::lchown(g_theirs.c_str(), 65534, 65534), 0);
  // After the look at the user's link, before its text is read.
  test::ScopedFileStepHook hook([](std::string_view step, const fs::path&) {
    if (step == "readlink") fs::rename(g_theirs, g_swapped);
    return false;
  });
  FolderCopy copy;
  const bool ok = Copy(from, dir / "copy", copy);
  hook.Off();
  ASSERT_TRUE(ok) << copy.reason;
  EXPECT_EQ(fs::read_symlink(dir / "copy" / "plane.mdl"), "../elsewhere.mdl");
}

}  // namespace
}  // namespace velk
