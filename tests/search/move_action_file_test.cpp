// Move action files: the bytes written, what counts as an action file, the
// percent rule, and that a saved file reads back whole.
#include "search/move_action_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ascii_text.h"
#include "platform/profile_file.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

TEST(MoveActionFile, WritesTheSectionsInOrderAndLeavesOutNamesThatCannotBeKeys) {
  MoveAction action;
  action.Percent = 35;
  action.Selection = {"Boeing 737-800", "Jet = Fast", "[Cargo] 747", "ATR 72"};
  action.Source = "EDDF";
  action.Destination = "KJFK";
  EXPECT_EQ(MoveActionBytes(action),
            "[GENERAL]\r\nTYPE=1\r\n\r\n[SELECTION]\r\nBoeing 737-800=1\r\nATR 72=1\r\n\r\n"
            "[OPTIONS]\r\nPERCENT=35\r\nSOURCE=EDDF\r\nDESTINATION=KJFK\r\n");
}

// A long selection, with titles named twice in another case, padded and
// accented titles and names that cannot be keys, gives the bytes of writing
// the file key by key.
TEST(MoveActionFile, ALongSelectionWritesWhatKeyByKeyWrites) {
  MoveAction action;
  action.Percent = 40;
  action.Source = "EDDF";
  for (int i = 0; i < 1000; ++i) {
    std::string title = "Aircraft " + std::to_string(i) + (i % 5 ? " Livery" : " Caf\xE9");
    action.Selection.push_back(i % 13 ? title : " " + title + "\t");
    if (i % 7 == 0) action.Selection.push_back(UpperAscii(title));
    if (i % 11 == 0) action.Selection.push_back("Jet = " + title);
  }
  ProfileFile keyByKey;
  keyByKey.SetString("GENERAL", "TYPE", "1");
  for (const std::string& title : action.Selection) keyByKey.SetString("SELECTION", title, "1");
  keyByKey.SetString("OPTIONS", "PERCENT", "40");
  keyByKey.SetString("OPTIONS", "SOURCE", "EDDF");
  keyByKey.SetString("OPTIONS", "DESTINATION", "");
  EXPECT_EQ(MoveActionBytes(action), keyByKey.Bytes());
}

TEST(MoveActionFile, WhatCountsAsAnActionFile) {
  const std::pair<const char*, bool> types[] = {
      {"[GENERAL]\r\nTYPE=1\r\n", true},   {"[general]\ntype = 1 \n", true}, {"[GENERAL]\nTYPE=1.0\n", true},
      {"[GENERAL]\r\nTYPE=2\r\n", false},  {"[GENERAL]\r\nTYPE=one\r\n", false},
      {"[GENERAL]\r\nTYPE=\r\n", false},   {"[OPTIONS]\r\nTYPE=1\r\n", false}, {"", false}};
  for (const auto& [bytes, valid] : types) EXPECT_EQ(ParseMoveAction(bytes).has_value(), valid) << bytes;
}

TEST(MoveActionFile, PercentOutsideOneToHundredReadsAsAPlainMove) {
  const std::pair<const char*, int> percents[] = {{"35", 35}, {"100", 100}, {"1", 1},     {"0", -1},
                                                  {"101", -1}, {"150", -1}, {"abc", -1}, {"-1", -1},
                                                  {"49.5", 50}, {"", -1}};
  for (const auto& [text, expected] : percents) {
    auto action = ParseMoveAction(std::string("[GENERAL]\nTYPE=1\n[OPTIONS]\nPERCENT=") + text + "\nSOURCE=\n");
    ASSERT_TRUE(action) << text;
    EXPECT_EQ(action->Percent, expected) << text;
    // An empty value is no value.
    EXPECT_FALSE(action->Source) << text;
  }
}

TEST(MoveActionFile, SavedFileReadsBackWholeAndReplacesAnOlderOne) {
  test::TempDir dir;
  const fs::path path = dir / "VELK Action.velka";
  test::WriteFile(path, "[GENERAL]\r\nTYPE=1\r\n[SELECTION]\r\nOld Aircraft=1\r\n[EXTRA]\r\nKEEP=1\r\n");
  MoveAction action;
  action.Source = "LOWW";
  action.Destination = "LIRF";
  // Far more names than the 32727 characters the original reader took.
  for (int i = 0; i < 3000; ++i) action.Selection.push_back("Aircraft number " + std::to_string(i) + " Livery");
  ASSERT_TRUE(SaveMoveActionFile(path, action));
  EXPECT_EQ(test::ReadFile(path)->find("Old Aircraft"), std::string::npos);
  EXPECT_EQ(test::ReadFile(path)->find("EXTRA"), std::string::npos);
  EXPECT_EQ(LoadMoveActionFile(path), action);

  // A folder where the file should go: not written, and said so.
  fs::create_directory(dir / "taken.velka");
  EXPECT_FALSE(SaveMoveActionFile(dir / "taken.velka", action));
  EXPECT_FALSE(LoadMoveActionFile(dir / "missing.velka"));
}

}  // namespace
}  // namespace velk
