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
const std::string kMicro = "[Micro Prop,140,0,100,0,600,3000,HARD,20,GATE,50]\r\n";

std::string LineError(const std::string& line) { return "Error in file 'VELK_AC.CFG' in line:\r\n" + line; }

ClassAircraft Entry(const std::string& line) {
  ClassAircraft e;
  ParseClassAircraftLine(e, line);
  return e;
}

std::vector<std::string> Ids(int aircraftClass) {
  std::vector<std::string> ids;
  for (const ClassAircraft& e : *ClassAircraftConfig().List(aircraftClass)) ids.push_back(e.Id);
  return ids;
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
  std::filesystem::create_directory(dir_ / "VELK_AC.CFG");  // a folder is not the file
  EXPECT_FALSE(ReadClassConfig(dir_.path()));
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_EQ(boxes_.Shown()[0].prompt, kNotFound);
  EXPECT_EQ(boxes_.Shown()[0].buttons, kMbIconCritical);
  EXPECT_EQ(boxes_.Shown()[0].title, "VELK");
  EXPECT_EQ(boxes_.Shown()[0].owner, nullptr);
  EXPECT_EQ(ClassDefaults()[0], ClassSettings{});
}

TEST_F(ClassConfigTest, EmptyFileGivesPresetsAndEmptyLists) {
  ClassAircraftConfig().HugeJetList.push_back({});
  EXPECT_TRUE(Read(""));
  EXPECT_TRUE(boxes_.Shown().empty());
  EXPECT_EQ(ClassAircraftConfig(), ClassAircraftLists{});
  const ClassSettings& large = *ClassDefaultsOf(kClassLargeJet);
  EXPECT_EQ((std::vector<int>{large.MaxFL, large.MinFL, large.MaxRange, large.MinRange, large.CruiseSpeed,
                              large.RunwayLength}),
            (std::vector<int>{420, 250, 5500, 1000, 480, 0}));
}

TEST_F(ClassConfigTest, SectionLinesAndAircraftLines) {
  EXPECT_TRUE(Read("; header\r\n"
                   "[micro prop,140,0,100,0,600,3000,hard,20,gate,50] trailing\r\n"
                   "C172\r\n"
                   "\r\n"
                   "C182,150,0,120,0,800,2000,HARD SOFT,20,Ramp,40\r\n"
                   "PA28 ,1x0, 90 ,370,100,2500,5000,Hard,25,Gate,100\r\n"
                   ";PA32\r\n"
                   "[Micro Prop ,140,0,100,0,600,3000,HARD,20,GATE,50]\r\nIGNORED\r\n"
                   "[Helicopters]\r\nR22,1\r\n"
                   "[Not Used,1,2]\r\n  R44  \r\n   \r\nA,B\r\n"));
  EXPECT_TRUE(boxes_.Shown().empty());
  ClassSettings micro = *ClassDefaultsOf(kClassMicroProp);
  EXPECT_EQ(micro.RunwayTypes, "HARD");  // section values come out upper-cased
  EXPECT_EQ(micro.ParkingTypes, "GATE");
  EXPECT_EQ(micro.RunwayLength, 3000);
  EXPECT_EQ(micro.IFRPercent, 50);

  ASSERT_EQ(Ids(kClassMicroProp), (std::vector<std::string>{"C172", "C182", "PA28 ", ";PA32"}));
  const auto& list = ClassAircraftConfig().MicroPropList;
  EXPECT_EQ(list[0].CruiseSpeed, -1);
  EXPECT_EQ(list[0].IFRPercent, -1);
  EXPECT_EQ(list[1], (ClassAircraft{"C182", 800, 0, 120, 0, 150, 2000, "HARD SOFT", 20, "Ramp", 40}));
  EXPECT_EQ(list[2].CruiseSpeed, 0);  // a word where a number belongs leaves 0
  EXPECT_EQ(list[2].MinFL, 90);
  EXPECT_EQ(list[2].RunwayTypes, "Hard");
  // Not Used: the trimmed line, commas and all; numbers 0; blank lines give nothing.
  EXPECT_EQ(Ids(kClassNotUsed), (std::vector<std::string>{"R44", "A,B"}));
  EXPECT_EQ(ClassAircraftConfig().NotUsedList[0].MinFL, 0);
}

TEST_F(ClassConfigTest, SectionBoundaries) {
  // The line right after a section line always belongs to it, so a section
  // line there is an aircraft line.
  EXPECT_TRUE(Read(kMicro + "[Mid Prop,200,0,150,0,1100,2000,HARD,15,RAMP,60]\r\nPC12\r\n"));
  EXPECT_EQ(Ids(kClassMicroProp), (std::vector<std::string>{"[Mid Prop", "PC12"}));
  EXPECT_TRUE(ClassAircraftConfig().MidPropList.empty());

  // Later, any "[" line ends the section; a second section of a class
  // appends to its list; LF line ends work as well as CRLF.
  EXPECT_TRUE(Read(kMicro + "\r\n[Mid Prop,200,0,150,0,1100,2000,HARD,15,RAMP,60]\nPC12\n[broken\nC208\n" + kMicro +
                   "C172\r\n"));
  EXPECT_EQ(Ids(kClassMidProp), (std::vector<std::string>{"PC12"}));
  EXPECT_EQ(Ids(kClassMicroProp), (std::vector<std::string>{"C172"}));
}

TEST_F(ClassConfigTest, LineErrorsNameTheLineAndKeepTheOldLists) {
  ASSERT_TRUE(Read("[Not Used]\r\nGLID\r\n"));
  const ClassAircraftLists before = ClassAircraftConfig();
  const std::string badLines[] = {
      "C172,120,0,100,0",                               // aircraft line of 5 fields
      "C172,1,2,3,4,5,6,7,8,9,10,11",                   // of 12
      "[Large Jet,1,2,3] tail",                         // section of 4 fields
      "[Huge Jet,1,2,3,4,5,6,7,8,9,10,11]",             // of 12
      "[Small Jet,430,,370,100,2100,5000,HARD,25,GATE,100]",     // empty number
      "[Small Jet,430,100,370,100,2100,9999999999,HARD,25,GATE,100]",  // too large
  };
  for (const std::string& bad : badLines) {
    const std::string body = bad[0] == '[' ? bad + "\r\n" : kMicro + bad + "\r\n";
    EXPECT_FALSE(Read("[Not Used]\r\nBALL\r\n\r\n" + body)) << bad;
    EXPECT_EQ(boxes_.Prompts().back(), LineError(bad));
    EXPECT_EQ(ClassAircraftConfig(), before);
  }
  // Empty texts and an empty Mid Prop level are no error.
  EXPECT_TRUE(Read("[Mid Prop,200,,150,0,1100,2000,,15,,60]\r\n"));
}

TEST_F(ClassConfigTest, WrittenFileHasItsLayoutAndReadsBack) {
  ASSERT_TRUE(Read("[Mid Prop,200, 010 ,150,0,1100,2000,HARD SOFT,15,RAMP,60]\r\n"
                   "C208\r\nDHC6,150,0,120,0,700,1800,HARD,10,RAMP,50\r\n\r\n[Not Used]\r\nGLID\r\n"));
  EXPECT_EQ(ClassDefaultsOf(kClassMidProp)->MinFL, 10);
  // Edits the aircraft editor can make: values partly given, an empty Id.
  ClassAircraftConfig().MidPropList.push_back(Entry("BE20,-1,50,150,0,900,2500,HARD,20,RAMP,80"));
  ClassAircraftConfig().SmallJetList.push_back({});
  ASSERT_TRUE(WriteClassConfig(dir_.path()));

  const std::string rule = ";" + std::string(81, '-');
  const std::string expected =
      rule + "\r\n;------------------------------- A I C R A F T S ---------------------------------\r\n" + rule +
      "\r\n;Format:\r\n;  ID , Cruise speed , Min. Flight Level , Max. Flight Level ,\r\n"
      ";     Min. Range , Max. Range , Runway Length , Runway Types ,\r\n"
      ";     Min. Parking Radius ,Parking Types , IFR%\r\n;\r\n" + rule + "\r\n"
      "\r\n[Micro Prop,140,0,100,0,600,0,,0,,0]\r\n"
      "\r\n[Mid Prop,200, 010 ,150,0,1100,2000,HARD SOFT,15,RAMP,60]\r\n"
      "C208\r\nDHC6,150,0,120,0,700,1800,HARD,10,RAMP,50\r\nBE20\r\n"
      "\r\n[Large Prop,250,80,150,100,1000,0,,0,,0]\r\n"
      "\r\n[Micro Jet,400,100,370,100,1000,0,,0,,0]\r\n"
      "\r\n[Small Jet,430,100,370,100,2100,0,,0,,0]\r\n"
      "\r\n[Large Jet,480,250,420,1000,5500,0,,0,,0]\r\n"
      "\r\n[Huge Jet,490,250,420,2000,7000,0,,0,,0]\r\n"
      "\r\n[Not Used]\r\nGLID\r\n";
  EXPECT_EQ(*ReadFile(dir_ / "VELK_AC.CFG"), expected);

  const ClassAircraftLists written = ClassAircraftConfig();
  ASSERT_TRUE(ReadClassConfig(dir_.path()));
  EXPECT_EQ(ClassAircraftConfig().MidPropList[1], written.MidPropList[1]);
  EXPECT_EQ(ClassAircraftConfig().MidPropList[2].CruiseSpeed, -1);  // partly given: Id only
  EXPECT_TRUE(ClassAircraftConfig().SmallJetList.empty());
}

TEST_F(ClassConfigTest, TextsThatWouldNotReadBackAreRefusedAndTheFileIsKept) {
  ASSERT_TRUE(Read("[Not Used]\r\nB737, B738\r\n"));
  const std::string before = *ReadFile(dir_ / "VELK_AC.CFG");
  ClassAircraftLists& lists = ClassAircraftConfig();
  EXPECT_TRUE(ClassEntryIdIsWritable(lists.NotUsedList[0].Id, kClassNotUsed));
  EXPECT_FALSE(ClassEntryIdIsWritable(lists.NotUsedList[0].Id, kClassSmallJet));

  // The editor moves the comma Id into a class list: a save must not leave
  // a file that stops the next start.
  lists.SmallJetList.push_back(lists.NotUsedList[0]);
  lists.NotUsedList.clear();
  EXPECT_FALSE(WriteClassConfig(dir_.path()));
  lists.SmallJetList[0] = Entry("B737,1,1,1,1,1,1,HARD,1,GATE,1");
  lists.SmallJetList[0].RunwayTypes = "HARD,SOFT";
  EXPECT_FALSE(WriteClassConfig(dir_.path()));
  lists.SmallJetList[0] = Entry("B737");
  lists.NotUsedList.push_back(Entry("R22\r\nR44"));
  EXPECT_FALSE(WriteClassConfig(dir_.path()));
  EXPECT_EQ(*ReadFile(dir_ / "VELK_AC.CFG"), before);

  lists.NotUsedList.clear();
  EXPECT_TRUE(WriteClassConfig(dir_.path()));
  EXPECT_TRUE(ReadClassConfig(dir_.path()));
  EXPECT_TRUE(boxes_.Shown().empty());
}

TEST(ClassLookup, SubstringWithoutCaseInClassOrderNotUsedLast) {
  ClassAircraftLists lists;
  lists.SmallJetList = {Entry("b737"), Entry("A32,450,100,390,100,2800,6000,HARD,30,GATE,100"), Entry("A320")};
  lists.LargeJetList = {Entry("737")};
  lists.HugeJetList = {Entry("B744")};
  lists.NotUsedList = {Entry("B744"), Entry("GLID"), Entry("\xC9" "CO")};
  lists.NotUsedList[1].CruiseSpeed = 0;  // as read from a file

  ClassAircraft out;
  EXPECT_EQ(GetAircraftClassInfo(lists, "B737-400", out), kClassSmallJet);
  EXPECT_EQ(out, lists.SmallJetList[0]);
  EXPECT_EQ(GetAircraftClassInfo(lists, "A320", out), kClassSmallJet);
  EXPECT_EQ(out, lists.SmallJetList[1]);  // first entry wins, not the exact one
  EXPECT_EQ(GetAircraftClassInfo(lists, "x B744", out), kClassHugeJet);
  EXPECT_EQ(GetAircraftClassInfo(lists, "glider glid", out), kClassNotUsed);
  EXPECT_EQ(out.CruiseSpeed, 0);
  EXPECT_EQ(GetAircraftClassInfo(lists, "\xE9" "co", out), kClassNotUsed);  // accented letters too
  lists.MicroPropList = {Entry("737")};
  EXPECT_EQ(GetAircraftClassInfo(lists, "B737", out), kClassMicroProp);
  // An Id ending in a blank needs the blank; an empty Id takes any text.
  lists.MicroJetList = {Entry("LJ ")};
  EXPECT_EQ(GetAircraftClassInfo(lists, "LJ45", out), kClassNone);
  EXPECT_EQ(GetAircraftClassInfo(lists, "LJ 45", out), kClassMicroJet);
  lists.HugeJetList.push_back(Entry(""));
  EXPECT_EQ(GetAircraftClassInfo(lists, "LJ45", out), kClassHugeJet);
  EXPECT_EQ(GetAircraftClassInfo(lists, "", out), kClassNone);
}

TEST(ClassLookup, NoMatchGivesMinusOneAndKeepsTheId) {
  ClassAircraftConfig() = {};
  ClassAircraftConfig().MidPropList = {Entry("PC12")};
  int n[8] = {5, 5, 5, 5, 5, 5, 5, 5};
  std::string runwayTypes = "x", parkingTypes = "y", id = "prior";
  EXPECT_EQ(GetAircraftClassInfo("C172", n[0], n[1], n[2], n[3], n[4], n[5], runwayTypes, n[6], parkingTypes, n[7], id),
            kClassNone);
  for (int v : n) EXPECT_EQ(v, -1);
  EXPECT_EQ(runwayTypes + parkingTypes + id, "prior");
  EXPECT_EQ(GetAircraftClassInfo("pc12/47", n[0], n[1], n[2], n[3], n[4], n[5], runwayTypes, n[6], parkingTypes, n[7],
                                 id),
            kClassMidProp);
  EXPECT_EQ(id, "PC12");
  ClassAircraftConfig() = {};
}

}  // namespace
}  // namespace velk
