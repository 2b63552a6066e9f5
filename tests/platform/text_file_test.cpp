#include "platform/text_codec.h"
#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "support/test_support.h"

namespace velk {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(SplitLines, AcceptsCrLfLfAndAMissingLastEnd) {
  auto lines = SplitLines("a\r\nb\nc");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "a");
  EXPECT_EQ(lines[1], "b");
  EXPECT_EQ(lines[2], "c");
  EXPECT_TRUE(SplitLines("").empty());
  EXPECT_EQ(SplitLines("x\n").size(), 1u);
  // Only one CR is part of the line end.
  EXPECT_EQ(SplitLines("x\r\r\n")[0], "x\r");
  auto cfg = SplitLinesAtCrOrLf("a\rb\r\nc\n\nd");
  ASSERT_EQ(cfg.size(), 5u);
  EXPECT_EQ(cfg[1], "b");
  EXPECT_EQ(cfg[3], "");
}

TEST(WriteFileAtomic, ReplacesWholeAndKeepsOldFileOnFailure) {
  TempDir dir;
  auto target = dir / "plan.txt";
  WriteFile(target, "old");
  ASSERT_TRUE(WriteFileAtomic(target, "new\r\n"));
  EXPECT_EQ(*ReadFile(target), "new\r\n");
  // No temporary files are left behind.
  int count = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) { (void)e; ++count; }
  EXPECT_EQ(count, 1);
  // A folder that does not exist: failure reported, nothing created.
  EXPECT_FALSE(WriteFileAtomic(dir / "missing/plan.txt", "x"));
}

TEST(WriteFileAtomic, ReadOnlyFolderFailsAndLeavesFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
  TempDir dir;
  auto target = dir / "plan.txt";
  WriteFile(target, "old");
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read |
                                               std::filesystem::perms::owner_exec);
  EXPECT_FALSE(WriteFileAtomic(target, "new"));
  EXPECT_EQ(*ReadFile(target), "old");
}

TEST(CopyFileOnce, NeverReplacesAnExistingCopy) {
  TempDir dir;
  WriteFile(dir / "a", "first");
  ASSERT_TRUE(CopyFileOnce(dir / "a", dir / "a.bak"));
  WriteFile(dir / "a", "second");
  ASSERT_TRUE(CopyFileOnce(dir / "a", dir / "a.bak"));
  EXPECT_EQ(*ReadFile(dir / "a.bak"), "first");
  EXPECT_FALSE(CopyFileOnce(dir / "missing", dir / "m.bak"));
}

TEST(Cp1252, RoundTripsEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");      // euro sign
  EXPECT_EQ(Cp1252ToUtf8("M\xFC"), "M\xC3\xBC");        // u umlaut
  EXPECT_EQ(Utf8ToCp1252("\xE2\x80\x94"), "\x97");       // em dash
  EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");          // no such character
}

}  // namespace
}  // namespace velk
