// Project files: the bytes of both layouts, the conversion of old files,
// damaged files, and a save that must not cost the old file.
#include "project/project_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

using namespace std::string_literals;

// A text field: its length (little-endian) and its bytes.
std::string Field(const std::string& text) {
  return std::string{static_cast<char>(text.size() & 0xFF), static_cast<char>(text.size() >> 8)} + text;
}

std::string Count(int32_t n) {
  auto u = static_cast<uint32_t>(n);
  return {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF), static_cast<char>((u >> 16) & 0xFF),
          static_cast<char>(u >> 24)};
}

TEST(ProjectFile, EntryLayoutByteForByte) {
  ProjectFile p;
  EXPECT_EQ(ProjectFileBytes(p), "\x03\x00" "1.1" "\x00\x00\x00\x00"s);  // a new project is nine bytes
  p.Entries.push_back({"/a/b/c.txt", "", "D", 0});
  auto bytes = ProjectFileBytes(p);
  ASSERT_TRUE(bytes);
  // header, then plan path (2 + 10), empty aircraft file (2), description
  // (2 + 1), flag (2): 19 bytes for the entry.
  EXPECT_EQ(bytes->size(), 9u + 19u);
  EXPECT_EQ(bytes->substr(9), "\x0A\x00/a/b/c.txt" "\x00\x00" "\x01\x00" "D" "\x00\x00"s);

  p.Entries.push_back({"/p.txt", "/Aircraft.txt", "Europe \xE9t\xE9", -2});
  auto two = ProjectFileBytes(p);
  ASSERT_TRUE(two);
  auto back = ParseProjectFile(*two);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->Entries.size(), 2u);
  EXPECT_EQ(back->Version, "1.1");
  EXPECT_EQ(back->Entries[1].AircraftFile, "/Aircraft.txt");
  EXPECT_EQ(back->Entries[1].Description, "Europe \xE9t\xE9");  // Windows-1252 bytes kept
  EXPECT_EQ(back->Entries[1].Flag, -2);
  EXPECT_EQ(two->substr(two->size() - 2), "\xFE\xFF"s);
}

TEST(ProjectFile, OldLayoutIsConvertedAndWrittenBackLonger) {
  std::string old = Field("1.0") + Count(2) + Field("C:\\One.txt") + Field("first") + "\x07\x00"s +
                    Field("C:\\Two.txt") + Field("") + "\x00\x80"s;
  auto p = ParseProjectFile(old);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Version, "1.1");
  ASSERT_EQ(p->Entries.size(), 2u);
  EXPECT_EQ(p->Entries[0].PlanFile, "C:\\One.txt");
  EXPECT_EQ(p->Entries[0].AircraftFile, "");
  EXPECT_EQ(p->Entries[0].Description, "first");
  EXPECT_EQ(p->Entries[0].Flag, 7);
  EXPECT_EQ(p->Entries[1].Flag, -32768);

  auto again = ProjectFileBytes(*p);
  ASSERT_TRUE(again);
  // Same texts; each entry two bytes longer for its empty aircraft file.
  EXPECT_EQ(again->size(), old.size() + 4);
  EXPECT_EQ(again->substr(0, 5), Field("1.1"));
}

TEST(ProjectFile, OtherVersionTextsReadAsNewLayoutAndKeepTheirText) {
  std::string bytes = Field("1.2") + Count(1) + Field("/x.txt") + Field("/Aircraft.txt") + Field("d") + "\x01\x00"s;
  auto p = ParseProjectFile(bytes);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Version, "1.2");
  EXPECT_EQ(p->Entries[0].AircraftFile, "/Aircraft.txt");
  EXPECT_EQ(ProjectFileBytes(*p), bytes);
}

TEST(ProjectFile, DamagedFilesAreRefused) {
  std::string good = Field("1.1") + Count(1) + Field("/x.txt") + Field("") + Field("d") + "\x00\x00"s;
  ASSERT_TRUE(ParseProjectFile(good));
  const std::string damaged[] = {
      "",                                                   // nothing at all
      "\x03\x00" "1.",                                      // version cut short
      Field("1.1") + "\x01\x00"s,                           // count cut short
      Field("1.1") + Count(-1),                             // negative count
      Field("1.1") + Count(0x7FFFFFFF),                     // far more entries than bytes
      Field("1.1") + Count(2) + good.substr(9),             // one entry missing
      good.substr(0, good.size() - 1),                      // flag cut short
      Field("1.1") + Count(1) + "\xFF\xFF/x.txt"s,          // a text running past the end
      good + "x",                                           // bytes after the last entry
      Field("1.0") + Count(1) + Field("/x.txt") + Field("") + Field("d") + "\x00\x00"s,  // 1.1 entry under 1.0
  };
  for (const std::string& bytes : damaged) EXPECT_FALSE(ParseProjectFile(bytes)) << testing::PrintToString(bytes);
}

TEST(ProjectFile, TextsTooLongForTheirFieldAreNotWritten) {
  ProjectFile p;
  p.Entries.push_back({"/x.txt", "", std::string(65535, 'a'), 0});
  EXPECT_TRUE(ProjectFileBytes(p));
  p.Entries[0].Description += "a";
  EXPECT_FALSE(ProjectFileBytes(p));
}

class ProjectFileOnDisk : public ::testing::Test {
 protected:
  TempDir dir_;
  fs::path file_ = dir_ / "Traffic.vxp";
};

TEST_F(ProjectFileOnDisk, SavingOverALongerFileLeavesExactlyTheNewBytes) {
  ProjectFile big;
  for (int i = 0; i < 20; ++i) big.Entries.push_back({"/plans/" + std::to_string(i) + ".txt", "", "x", 0});
  ASSERT_TRUE(WriteProjectFile(file_, big));
  ASSERT_TRUE(WriteProjectFile(file_, ProjectFile{}));
  EXPECT_EQ(ReadFile(file_), "\x03\x00" "1.1" "\x00\x00\x00\x00"s);
  auto read = ReadProjectFile(file_);
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->Entries.empty());
  // Nothing is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 1);
}

TEST_F(ProjectFileOnDisk, AFailedSaveKeepsTheOldFile) {
  ProjectFile one;
  one.Entries.push_back({"/plans/a.txt", "", "kept", 0});
  ASSERT_TRUE(WriteProjectFile(file_, one));
  const auto before = ReadFile(file_);

  ProjectFile tooLong;
  tooLong.Entries.push_back({"/b.txt", "", std::string(70000, 'b'), 0});
  EXPECT_FALSE(WriteProjectFile(file_, tooLong));
  EXPECT_EQ(ReadFile(file_), before);

  // A folder that cannot be written to (root writes anyway).
  if (::geteuid() != 0) {
    ::chmod(dir_.path().c_str(), 0500);
    EXPECT_FALSE(WriteProjectFile(file_, ProjectFile{}));
    ::chmod(dir_.path().c_str(), 0700);
    EXPECT_EQ(ReadFile(file_), before);
  }

  // A path that is a folder stays a folder.
  fs::create_directory(dir_ / "Folder.vxp");
  EXPECT_FALSE(WriteProjectFile(dir_ / "Folder.vxp", one));
  EXPECT_TRUE(fs::is_directory(dir_ / "Folder.vxp"));
}

// A project file kept elsewhere through a link is written where it lies;
// the link stays (as every writer of the program does).
TEST_F(ProjectFileOnDisk, AProjectBehindALinkIsWrittenWhereItLies) {
  fs::path kept = dir_ / "kept.vxp";
  WriteFile(kept, "old");
  fs::create_symlink(kept, file_);
  ASSERT_TRUE(WriteProjectFile(file_, ProjectFile{}));
  EXPECT_TRUE(fs::is_symlink(file_));
  EXPECT_NE(ReadFile(kept), "old");
  EXPECT_TRUE(ReadProjectFile(file_));
}

TEST_F(ProjectFileOnDisk, ReadingMissingFoldersAndDamageGivesNothing) {
  EXPECT_FALSE(ReadProjectFile(dir_ / "none.vxp"));
  EXPECT_FALSE(ReadProjectFile(dir_.path()));
  WriteFile(file_, "not a project");
  EXPECT_FALSE(ReadProjectFile(file_));
}

}  // namespace
}  // namespace velk
