#include "data/name_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/message_box.h"
#include "support/test_support.h"

namespace velk {
namespace {

using test::TempDir;
using test::WriteFile;
using Names = std::vector<std::string>;

TEST(NameLists, NamesAndLookupInFileOrder) {
  TempDir dir;
  ScriptedMessageBoxes boxes;
  WriteFile(dir / "VELK_NAL.CFG", "; airlines\r\n   ; comment\r\n\r\n  Lufthansa  \r\nAir France;KLM, too\nLufthansa\r\n  \r\n");
  EXPECT_TRUE(ReadAirlineNames(dir.path()));
  EXPECT_EQ(AirlineNames(), (Names{"Lufthansa", "Air France;KLM, too", "Lufthansa"}));
  EXPECT_EQ(AirlineNameLookup(), "*Lufthansa**Air France;KLM, too**Lufthansa*");
  EXPECT_TRUE(NameIsKnown(AirlineNameLookup(), "lufthansa"));
  EXPECT_FALSE(NameIsKnown(AirlineNameLookup(), "Lufthansa*Air"));
  EXPECT_FALSE(NameIsKnown(AirlineNameLookup(), "Luft"));
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST(NameLists, MissingFileEmptiesNamesButKeepsLookup) {
  TempDir dir;
  ScriptedMessageBoxes boxes;
  WriteFile(dir / "VELK_NTP.CFG", "BOEING\r\n");
  ASSERT_TRUE(ReadATCTypeNames(dir.path()));
  std::filesystem::remove(dir / "VELK_NTP.CFG");
  EXPECT_FALSE(ReadATCTypeNames(dir.path()));
  EXPECT_TRUE(ATCTypeNames().empty());
  EXPECT_EQ(ATCTypeNameLookup(), "*BOEING*");
  EXPECT_FALSE(ReadATCModelNames(dir.path()));
  EXPECT_EQ(boxes.Prompts(), (Names{"File 'VELK_NTP.CFG' not found.", "File 'VELK_NMD.CFG' not found."}));
  EXPECT_EQ(boxes.Shown()[0].buttons, kMbIconCritical);
  EXPECT_EQ(boxes.Shown()[0].title, "VELK");
}

}  // namespace
}  // namespace velk
