#include "data/class_config.h"
#include "data/class_lookup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/message_box.h"
#include "support/test_support.h"

namespace velk {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const char kNotFound[] = "File 'VELK_AC.CFG' not found. Please copy the file to the VELK program folder.";

std::string LineError(const std::string& line) { return "Error in file 'VELK_AC.CFG' in line:\r\n" + line; }

ClassAircraft NotUsed(const std::string& id) {
  ClassAircraft e;
  e.Id = id;
  return e;
}

class ClassConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClassDefaults() = {};
    ClassAircraftConfig() = {};
  }
  bool Read(const std::string& text) {
    WriteFile(dir_ / "VELK_AC.CFG", text);
    return ReadClassConfig(dir_.path());
  }
  TempDir dir_;
  ScriptedMessageBoxes boxes_;
};

TEST_F(ClassConfigTest, MissingFileIsReportedWithoutPresets) {
  EXPECT_FALSE(ReadClassConfig(dir_.path()));
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_EQ(boxes_.Shown()[0].prompt, kNotFound);
  EXPECT_EQ(boxes_.Shown()[0].buttons, kMbIconCritical);
  EXPECT_EQ(boxes_.Shown()[0].title, "VELK");
  EXPECT_EQ(boxes_.Shown()[0].owner, nullptr);
  EXPECT_EQ(ClassDefaults()[0], ClassSettings{});
  // A folder of that name is not the file.
  std::filesystem::create_directory(dir_ / "VELK_AC.CFG");
  EXPECT_FALSE(ReadClassConfig(dir_.path()));
  EXPECT_EQ(boxes_.Prompts().back(), kNotFound);
}

TEST_F(ClassConfigTest, EmptyFileGivesPresetsAndEmptyLists) {
  ClassAircraftConfig().HugeJetList.push_back({});
  EXPECT_TRUE(Read(""));
  EXPECT_TRUE(boxes_.Shown().empty());
  EXPECT_EQ(ClassAircraftConfig(), ClassAircraftLists{});
  const ClassSettings* large = ClassDefaultsOf(kClassLargeJet);
  EXPECT_EQ(large->MaxFL, 420);
  EXPECT_EQ(large->MinFL, 250);
  EXPECT_EQ(large->MaxRange, 5500);
  EXPECT_EQ(large->MinRange, 1000);
  EXPECT_EQ(large->CruiseSpeed, 480);
  EXPECT_EQ(large->RunwayLength, 0);
  EXPECT_EQ(ClassDefaultsOf(kClassMicroProp)->CruiseSpeed, 140);
  EXPECT_EQ(ClassDefaultsOf(kClassHugeJet)->MinRange, 2000);
}

TEST_F(ClassConfigTest, SectionLinesSetDefaultsInUpperCase) {
  EXPECT_TRUE(Read("; header\r\n[micro prop,140,0,100,0,600,3000,hard,20,gate,50] trailing\r\n"));
  const ClassSettings& s = *ClassDefaultsOf(kClassMicroProp);
  EXPECT_EQ(s.CruiseSpeed, 140);
  EXPECT_EQ(s.MinFL, 0);
  EXPECT_EQ(s.MaxFL, 100);
  EXPECT_EQ(s.MinRange, 0);
  EXPECT_EQ(s.MaxRange, 600);
  EXPECT_EQ(s.RunwayLength, 3000);
  EXPECT_EQ(s.RunwayTypes, "HARD");
  EXPECT_EQ(s.MinParkingRadius, 20);
  EXPECT_EQ(s.ParkingTypes, "GATE");
  EXPECT_EQ(s.IFRPercent, 50);
}

TEST_F(ClassConfigTest, UnknownSectionsAndTheirLinesAreSkipped) {
  EXPECT_TRUE(Read("[Micro Prop ,140,0,100,0,600,3000,HARD,20,GATE,50]\r\nC172\r\n"
                   "[Helicopters]\r\nR22,1\r\n"
                   "[Not Used,1,2]\r\nGLID\r\n"));
  EXPECT_TRUE(boxes_.Shown().empty());
  EXPECT_TRUE(ClassAircraftConfig().MicroPropList.empty());
  EXPECT_EQ(ClassDefaultsOf(kClassMicroProp)->RunwayLength, 0);
  ASSERT_EQ(ClassAircraftConfig().NotUsedList.size(), 1u);
  EXPECT_EQ(ClassAircraftConfig().NotUsedList[0].Id, "GLID");
}

TEST_F(ClassConfigTest, AircraftLinesOfOneAndElevenFields) {
  EXPECT_TRUE(Read("[Small Jet,430,100,370,100,2100,5000,HARD,25,GATE,100]\r\n"
                   "B737\r\n"
                   "\r\n"
                   "B738,450,100,370,100,2500,5000,HARD,25,GATE,100\r\n"
                   "A320 ,4x0, 90 ,370,100,2500,5000,Hard,25,Gate,100\r\n"
                   ";CRJ2\r\n"));
  const auto& list = ClassAircraftConfig().SmallJetList;
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0].Id, "B737");
  EXPECT_EQ(list[0].CruiseSpeed, -1);
  EXPECT_EQ(list[0].MinFL, -1);
  EXPECT_EQ(list[0].IFRPercent, -1);
  EXPECT_EQ(list[0].RunwayTypes, "");
  EXPECT_EQ(list[1].CruiseSpeed, 450);
  EXPECT_EQ(list[1].MinFL, 100);
  EXPECT_EQ(list[1].MaxFL, 370);
  EXPECT_EQ(list[1].MinRange, 100);
  EXPECT_EQ(list[1].MaxRange, 2500);
  EXPECT_EQ(list[1].RunwayLength, 5000);
  EXPECT_EQ(list[1].RunwayTypes, "HARD");
  EXPECT_EQ(list[1].MinParkingRadius, 25);
  EXPECT_EQ(list[1].ParkingTypes, "GATE");
  EXPECT_EQ(list[1].IFRPercent, 100);
  // The Id keeps its blank, a word in a number field leaves 0, blanks
  // around a number are allowed, texts keep their case.
  EXPECT_EQ(list[2].Id, "A320 ");
  EXPECT_EQ(list[2].CruiseSpeed, 0);
  EXPECT_EQ(list[2].MinFL, 90);
  EXPECT_EQ(list[2].RunwayTypes, "Hard");
  // No comments inside a section.
  EXPECT_EQ(list[3].Id, ";CRJ2");
}

TEST_F(ClassConfigTest, LineErrorsNameTheLine) {
  const std::string micro = "[Micro Prop,140,0,100,0,600,3000,HARD,20,GATE,50]\r\n";
  EXPECT_FALSE(Read(micro + "C172,120,0,100,0\r\n"));
  EXPECT_EQ(boxes_.Prompts().back(), LineError("C172,120,0,100,0"));
  EXPECT_EQ(boxes_.Shown().back().buttons, kMbIconCritical);

  EXPECT_FALSE(Read(micro + "C172,1,2,3,4,5,6,7,8,9,10,11\r\n"));
  EXPECT_EQ(boxes_.Prompts().back(), LineError("C172,1,2,3,4,5,6,7,8,9,10,11"));

  for (const std::string& section : {std::string("[Large Jet,1,2,3]"), std::string("[Large Jet,1,2,3,4,5]"),
                                     std::string("[Huge Jet,1,2,3,4,5,6,7,8,9]"),
                                     std::string("[Huge Jet,1,2,3,4,5,6,7,8,9,10,11]")}) {
    EXPECT_FALSE(Read("; x\r\n" + section + " tail\r\n"));
    EXPECT_EQ(boxes_.Prompts().back(), LineError(section + " tail"));
  }
}

TEST_F(ClassConfigTest, FailedReadKeepsTheOldLists) {
  ASSERT_TRUE(Read("[Not Used]\r\nGLID\r\n"));
  ClassAircraftLists before = ClassAircraftConfig();
  EXPECT_FALSE(Read("[Not Used]\r\nBALL\r\n\r\n[Micro Prop,140,0,100,0,600,3000,HARD,20,GATE,50]\r\nC1,2\r\n"));
  EXPECT_EQ(ClassAircraftConfig(), before);
}

TEST_F(ClassConfigTest, SectionNumberThatDoesNotConvertIsReported) {
  // Two commas in a row: an empty number.
  const std::string bad = "[Small Jet,430,,370,100,2100,5000,HARD,25,GATE,100]";
  EXPECT_FALSE(Read(bad + "\r\n"));
  EXPECT_EQ(boxes_.Prompts().back(), LineError(bad));
  const std::string huge = "[Small Jet,430,100,370,100,2100,99999999999,HARD,25,GATE,100]";
  EXPECT_FALSE(Read(huge + "\r\n"));
  EXPECT_EQ(boxes_.Prompts().back(), LineError(huge));
  // Empty texts and an empty Mid Prop level are fine.
  EXPECT_TRUE(Read("[Mid Prop,200,,150,0,1100,2000,,15,,60]\r\n[Small Jet,430,100,370,100,2100,5000,,25,,100]\r\n"));
}

TEST_F(ClassConfigTest, MidPropMinFLIsKeptAsWritten) {
  EXPECT_TRUE(Read("[Mid Prop,200, 010 ,150,0,1100,2000,HARD SOFT,15,RAMP,60]\r\n"));
  const ClassSettings& s = *ClassDefaultsOf(kClassMidProp);
  ASSERT_TRUE(s.MinFLText.has_value());
  EXPECT_EQ(*s.MinFLText, " 010 ");
  EXPECT_EQ(s.MinFL, 10);
  std::string text = FormatClassConfig(ClassDefaults(), ClassAircraftConfig());
  EXPECT_NE(text.find("\r\n[Mid Prop,200, 010 ,150,0,1100,2000,HARD SOFT,15,RAMP,60]\r\n"), std::string::npos);
}

TEST_F(ClassConfigTest, SectionBoundaries) {
  // The line right after a section line always belongs to it.
  EXPECT_TRUE(Read("[Micro Prop,140,0,100,0,600,3000,HARD,20,GATE,50]\r\n"
                   "[Mid Prop,200,0,150,0,1100,2000,HARD,15,RAMP,60]\r\n"
                   "PC12\r\n"));
  ASSERT_EQ(ClassAircraftConfig().MicroPropList.size(), 2u);
  EXPECT_EQ(ClassAircraftConfig().MicroPropList[0].Id, "[Mid Prop");
  EXPECT_EQ(ClassAircraftConfig().MicroPropList[1].Id, "PC12");
  EXPECT_TRUE(ClassAircraftConfig().MidPropList.empty());
  EXPECT_EQ(ClassDefaultsOf(kClassMidProp)->RunwayLength, 0);

  // With an empty line between them both sections are read; a later "["
  // line ends the section even when it is no valid section line.
  EXPECT_TRUE(Read("[Micro Prop,140,0,100,0,600,3000,HARD,20,GATE,50]\r\n"
                   "\r\n"
                   "[Mid Prop,200,0,150,0,1100,2000,HARD,15,RAMP,60]\r\n"
                   "PC12\r\n"
                   "[broken\r\n"
                   "C208\r\n"
                   "[Not Used]\r\n"
                   "  R22  \r\n"
                   "   \r\n"
                   "A,B\r\n"));
  EXPECT_TRUE(ClassAircraftConfig().MicroPropList.empty());
  ASSERT_EQ(ClassAircraftConfig().MidPropList.size(), 1u);
  EXPECT_EQ(ClassAircraftConfig().MidPropList[0].Id, "PC12");
  const auto& unused = ClassAircraftConfig().NotUsedList;
  ASSERT_EQ(unused.size(), 2u);
  EXPECT_EQ(unused[0].Id, "R22");
  EXPECT_EQ(unused[0].CruiseSpeed, 0);
  EXPECT_EQ(unused[0].MinFL, 0);
  EXPECT_EQ(unused[1].Id, "A,B");

  // A second section of the same class appends to its list.
  EXPECT_TRUE(Read("[Huge Jet,490,250,420,2000,7000,9000,HARD,40,GATE,100]\r\nB744\r\n"
                   "[Huge Jet,500,250,420,2000,7000,9000,HARD,40,GATE,100]\r\nA388\r\n"));
  ASSERT_EQ(ClassAircraftConfig().HugeJetList.size(), 2u);
  EXPECT_EQ(ClassDefaultsOf(kClassHugeJet)->CruiseSpeed, 500);
}

TEST_F(ClassConfigTest, LineFeedOnlyFilesReadLikeCrLfFiles) {
  EXPECT_TRUE(Read("[Small Jet,430,100,370,100,2100,5000,HARD,25,GATE,100]\nB737\nB738\n"));
  EXPECT_EQ(ClassAircraftConfig().SmallJetList.size(), 2u);
}

TEST_F(ClassConfigTest, WrittenFileHasItsLayoutAndReadsBack) {
  ASSERT_TRUE(Read("[Micro Prop,140,0,100,0,600,3000,HARD SOFT,20,RAMP GA,50]\r\n"
                   "C172\r\n"
                   "C182,150,0,120,0,800,2000,HARD,20,RAMP,40\r\n"
                   "\r\n"
                   "[Not Used]\r\n"
                   "GLID\r\n"));
  // Edits the aircraft editor can make: an entry with some values missing,
  // an entry without Id.
  ClassAircraft partial;
  ParseClassAircraftLine(partial, "BE58,-1,50,150,0,900,2500,HARD,20,RAMP,80");
  ClassAircraftConfig().MicroPropList.push_back(partial);
  ClassAircraftConfig().SmallJetList.push_back({});
  ASSERT_TRUE(WriteClassConfig(dir_.path()));
  std::string text = *ReadFile(dir_ / "VELK_AC.CFG");

  const std::string rule = ";" + std::string(81, '-');
  std::string expectedHead = rule + "\r\n;------------------------------- A I C R A F T S ---------------------------------\r\n" +
                             rule + "\r\n;Format:\r\n;  ID , Cruise speed , Min. Flight Level , Max. Flight Level ,\r\n"
                             ";     Min. Range , Max. Range , Runway Length , Runway Types ,\r\n"
                             ";     Min. Parking Radius ,Parking Types , IFR%\r\n;\r\n" + rule + "\r\n"
                             "\r\n[Micro Prop,140,0,100,0,600,3000,HARD SOFT,20,RAMP GA,50]\r\n"
                             "C172\r\nC182,150,0,120,0,800,2000,HARD,20,RAMP,40\r\nBE58\r\n"
                             "\r\n[Mid Prop,200,0,150,0,1100,0,,0,,0]\r\n"
                             "\r\n[Large Prop,250,80,150,100,1000,0,,0,,0]\r\n";
  EXPECT_EQ(text.substr(0, expectedHead.size()), expectedHead);
  const std::string tail = "\r\n[Huge Jet,490,250,420,2000,7000,0,,0,,0]\r\n\r\n[Not Used]\r\nGLID\r\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);

  ClassAircraftLists written = ClassAircraftConfig();
  ClassDefaultSets defaults = ClassDefaults();
  ASSERT_TRUE(ReadClassConfig(dir_.path()));
  // The Mid Prop level, written from the preset number, comes back as text.
  defaults[kClassMidProp - kClassMicroProp].MinFLText = "0";
  EXPECT_TRUE(ClassDefaults() == defaults);
  ASSERT_EQ(ClassAircraftConfig().MicroPropList.size(), 3u);
  EXPECT_EQ(ClassAircraftConfig().MicroPropList[0], written.MicroPropList[0]);
  EXPECT_EQ(ClassAircraftConfig().MicroPropList[1], written.MicroPropList[1]);
  EXPECT_EQ(ClassAircraftConfig().NotUsedList, written.NotUsedList);
  // Partly given values come back as an Id-only entry; the empty Id is gone.
  EXPECT_EQ(ClassAircraftConfig().MicroPropList[2].CruiseSpeed, -1);
  EXPECT_TRUE(ClassAircraftConfig().SmallJetList.empty());
}

TEST_F(ClassConfigTest, IdsThatWouldNotReadBackAreRefusedAndTheFileIsKept) {
  ASSERT_TRUE(Read("[Not Used]\r\nB737, B738\r\n"));
  const std::string before = *ReadFile(dir_ / "VELK_AC.CFG");
  // The editor moves the comma Id into a class list: saving must not leave a
  // file that stops the next start.
  ClassAircraftLists& lists = ClassAircraftConfig();
  EXPECT_TRUE(ClassEntryIdIsWritable(lists.NotUsedList[0].Id, kClassNotUsed));
  EXPECT_FALSE(ClassEntryIdIsWritable(lists.NotUsedList[0].Id, kClassSmallJet));
  lists.SmallJetList.push_back(lists.NotUsedList[0]);
  lists.NotUsedList.clear();
  EXPECT_FALSE(WriteClassConfig(dir_.path()));
  EXPECT_EQ(*ReadFile(dir_ / "VELK_AC.CFG"), before);

  ClassAircraft& moved = lists.SmallJetList[0];
  moved.Id = "B737";
  moved.CruiseSpeed = moved.MinFL = moved.MaxFL = moved.MinRange = moved.MaxRange = -1;
  moved.RunwayTypes = "HARD,SOFT";
  EXPECT_TRUE(WriteClassConfig(dir_.path()));  // Id-only line: values not written
  moved.CruiseSpeed = moved.MinFL = moved.MaxFL = moved.MinRange = moved.MaxRange = 1;
  EXPECT_FALSE(WriteClassConfig(dir_.path()));
  moved.RunwayTypes = "HARD";
  lists.NotUsedList.push_back(NotUsed("R22\r\nR44"));
  EXPECT_FALSE(WriteClassConfig(dir_.path()));
  lists.NotUsedList.clear();
  EXPECT_TRUE(WriteClassConfig(dir_.path()));
  EXPECT_TRUE(ReadClassConfig(dir_.path()));
  EXPECT_TRUE(boxes_.Shown().empty());
}

// --- lookup ------------------------------------------------------------------

ClassAircraft IdOnly(const std::string& id) {
  ClassAircraft e;
  ParseClassAircraftLine(e, id);
  return e;
}

TEST(ClassLookup, SubstringWithoutCaseInClassOrderNotUsedLast) {
  ClassAircraftLists lists;
  lists.SmallJetList.push_back(IdOnly("b737"));
  lists.LargeJetList.push_back(IdOnly("737"));
  lists.HugeJetList.push_back(IdOnly("B744"));
  lists.NotUsedList.push_back(NotUsed("B744"));
  lists.NotUsedList.push_back(NotUsed("GLID"));

  ClassAircraft out;
  EXPECT_EQ(GetAircraftClassInfo(lists, "B737-400", out), kClassSmallJet);
  EXPECT_EQ(out.Id, "b737");
  EXPECT_EQ(out.CruiseSpeed, -1);
  EXPECT_EQ(GetAircraftClassInfo(lists, "x744y B744", out), kClassHugeJet);
  EXPECT_EQ(GetAircraftClassInfo(lists, "Glider glid", out), kClassNotUsed);
  EXPECT_EQ(out.CruiseSpeed, 0);
  EXPECT_EQ(out.MinFL, 0);

  lists.MicroPropList.push_back(IdOnly("737"));
  EXPECT_EQ(GetAircraftClassInfo(lists, "B737", out), kClassMicroProp);
}

TEST(ClassLookup, FirstEntryWinsAndValuesAreCopied) {
  ClassAircraftLists lists;
  ClassAircraft full;
  ParseClassAircraftLine(full, "A32,450,100,390,100,2800,6000,HARD,30,GATE,100");
  lists.SmallJetList.push_back(full);
  lists.SmallJetList.push_back(IdOnly("A320"));
  ClassAircraft out;
  out.Id = "kept";
  EXPECT_EQ(GetAircraftClassInfo(lists, "A320", out), kClassSmallJet);
  EXPECT_EQ(out, full);
}

TEST(ClassLookup, NoMatchGivesMinusOneAndKeepsId) {
  ClassAircraftLists lists;
  lists.MidPropList.push_back(IdOnly("PC12"));
  ClassAircraftConfig() = lists;
  int minFL = 5, maxFL = 5, minRange = 5, maxRange = 5, cruise = 5, runway = 5, radius = 5, ifr = 5;
  std::string runwayTypes = "x", parkingTypes = "y", id = "prior";
  EXPECT_EQ(GetAircraftClassInfo("", minFL, maxFL, minRange, maxRange, cruise, runway, runwayTypes, radius,
                                 parkingTypes, ifr, id),
            kClassNone);
  EXPECT_EQ(minFL, -1);
  EXPECT_EQ(ifr, -1);
  EXPECT_EQ(radius, -1);
  EXPECT_EQ(runwayTypes, "");
  EXPECT_EQ(parkingTypes, "");
  EXPECT_EQ(id, "prior");

  id.clear();
  EXPECT_EQ(GetAircraftClassInfo("Pilatus pc12/47", minFL, maxFL, minRange, maxRange, cruise, runway,
                                 runwayTypes, radius, parkingTypes, ifr, id),
            kClassMidProp);
  EXPECT_EQ(id, "PC12");
  ClassAircraftConfig() = {};
}

TEST(ClassLookup, EmptyAndBlankEndedIds) {
  ClassAircraftLists lists;
  lists.MicroJetList.push_back(IdOnly("LJ "));
  lists.HugeJetList.push_back(IdOnly(""));
  ClassAircraft out;
  EXPECT_EQ(GetAircraftClassInfo(lists, "LJ45", out), kClassHugeJet);
  EXPECT_EQ(GetAircraftClassInfo(lists, "LJ 45", out), kClassMicroJet);
  EXPECT_EQ(GetAircraftClassInfo(lists, "", out), kClassNone);
}

TEST(ClassLookup, AccentedLettersCompareWithoutCase) {
  ClassAircraftLists lists;
  lists.MicroPropList.push_back(IdOnly("\xC9"  "CO"));  // "ÉCO"
  ClassAircraft out;
  EXPECT_EQ(GetAircraftClassInfo(lists, "\xE9" "co", out), kClassMicroProp);
}

}  // namespace
}  // namespace velk
