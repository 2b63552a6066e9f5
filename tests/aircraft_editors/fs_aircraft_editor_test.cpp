// The simulator aircraft editor's data work on the sample simulator: which
// entries an edit reaches and marks, what a save writes (byte for byte), the
// class moves, the failure paths and undo.
#include "aircraft_editors/fs_aircraft_editor.h"

#include <gtest/gtest.h>

#include <cstring>

#include "aircraft_editors/class_assignment.h"
#include "aircraft_editors/sample_sim_fixture.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::Replaced;

class FSAircraftEditorTest : public test::SampleSimTest {
 protected:
  void SetUp() override {
    test::SampleSimTest::SetUp();
    editor_.Open();
  }
  FSAircraft& At(const std::string& title) { return plan_.FSAircraftList[IndexOf(title)]; }
  AircraftSaveResult Save(bool backup = true) { return editor_.Save(program_, backup); }

  FSAircraftEditor editor_{plan_.FSAircraftList, ClassAircraftConfig(), ClassDefaults()};
};

constexpr const char* kBlue = "VELK Sample 737-800 Blue";
constexpr const char* kRed = "VELK Sample 737-800 Red";
constexpr const char* kGreen = "VELK Sample 737-800 Green";

TEST_F(FSAircraftEditorTest, SharedValuesReachTheWholeFileButOnlyTheEditedEntryIsMarked) {
  size_t blue = IndexOf(kBlue);
  std::vector<size_t> touched = editor_.SetAtcModel(blue, "B744");
  EXPECT_EQ(touched, (std::vector<size_t>{blue, IndexOf(kRed), IndexOf(kGreen)}));
  for (const char* title : {kBlue, kRed, kGreen}) {
    EXPECT_EQ(At(title).ATCModel, "B744");
    // Classified again, with the limits of the new class and its entry.
    EXPECT_EQ(At(title).Class, kClassHugeJet);
    EXPECT_EQ(At(title).ClassEntryId, "B744");
    EXPECT_EQ(At(title).CruiseSpeed, 490);
    EXPECT_EQ(At(title).MaxRange, 8000);
  }
  EXPECT_TRUE(At(kBlue).Changed);
  EXPECT_FALSE(At(kRed).Changed);
  EXPECT_EQ(At("VELK Sample A320 Red").ATCModel, "A320");
  EXPECT_TRUE(editor_.SetAtcModel(blue, "B744").empty());

  // An ATC model no class knows leaves the aircraft without class; the
  // type is used when the model is empty.
  editor_.SetAtcModel(blue, "ZZZZ");
  EXPECT_EQ(At(kRed).Class, kClassNone);
  EXPECT_EQ(At(kRed).CruiseSpeed, 451);  // its own cruise speed
  editor_.SetAtcModel(blue, "");
  editor_.SetAtcType(blue, "LJ45 BIZJET");
  EXPECT_EQ(At(kGreen).Class, kClassMicroJet);

  // Cruise speed and performance belong to the file as well.
  touched = editor_.SetCruiseSpeed(IndexOf(kRed), 470, false);
  EXPECT_EQ(touched.size(), 3u);
  EXPECT_EQ(At(kGreen).CfgCruiseSpeed, 470);
  EXPECT_TRUE(editor_.SetCruiseSpeed(IndexOf(kRed), 470, false).empty());
  EXPECT_EQ(editor_.SetCruiseSpeed(IndexOf(kRed), 470, true).size(), 3u);
  editor_.SetPerformance(IndexOf(kGreen), "Cruise 470 kts");
  EXPECT_EQ(At(kBlue).Performance, "Cruise 470 kts");
}

TEST_F(FSAircraftEditorTest, SaveWritesOnlyWhatChangedAndBacksUpOnce) {
  const std::string original = OriginalCfg("VELK_B738");
  const size_t red = IndexOf(kRed);
  editor_.SetText(red, AircraftText::Title, "VELK Sample 737-800 Crimson");
  editor_.SetFlag(red, AircraftFlag::Heavy, true);
  editor_.SetPerformance(IndexOf(kBlue), "Cruise\\nfast");
  ASSERT_TRUE(Save().ok);
  std::string expected = Replaced(original, "title=VELK Sample 737-800 Red", "title=VELK Sample 737-800 Crimson");
  expected = Replaced(expected, "atc_heavy=0\r\nui_manufacturer=Boeing\r\nui_type=737-800\r\nui_variation=Red",
                      "atc_heavy=1\r\nui_manufacturer=Boeing\r\nui_type=737-800\r\nui_variation=Red");
  expected = Replaced(expected, "performance=Cruise 451.5 kts", "performance=Cruise\\nfast");
  // The cruise speed with its fraction and comment, never edited, stays.
  EXPECT_NE(expected.find("cruise_speed=451.5   ;Knots True Airspeed"), std::string::npos);
  EXPECT_EQ(CfgBytes("VELK_B738"), expected);
  EXPECT_EQ(*ReadFile(CfgPath("VELK_B738").string() + ".velk.bak"), original);
  EXPECT_FALSE(plan_.FSAircraftList[red].Changed);
  EXPECT_FALSE(At(kBlue).Changed);
  // Other aircraft and the class file are untouched.
  EXPECT_EQ(CfgBytes("VELK_A320"), OriginalCfg("VELK_A320"));
  EXPECT_EQ(*ReadFile(program_ / "VELK_AC.CFG"), *ReadFile(test::SourceDir() / "program" / "VELK_AC.CFG"));
  EXPECT_FALSE(fs::exists(program_ / "VELK_AC.CFG.velk.bak"));

  // A second save of a value put back writes it back; the backup stays.
  editor_.SetText(red, AircraftText::Title, "VELK Sample 737-800 Red");
  editor_.SetFlag(red, AircraftFlag::Heavy, false);
  editor_.SetPerformance(red, "Cruise 451.5 kts");
  ASSERT_TRUE(Save().ok);
  EXPECT_EQ(CfgBytes("VELK_B738"), original);
  EXPECT_EQ(*ReadFile(CfgPath("VELK_B738").string() + ".velk.bak"), original);
  EXPECT_TRUE(editor_.ChangesSaved());

  // Without the backup switch none is made; a speed typed the same way
  // marks the entry but writes nothing.
  editor_.SetCruiseSpeed(IndexOf("VELK Sample A320 Red"), 447, true);
  ASSERT_TRUE(Save(false).ok);
  EXPECT_FALSE(fs::exists(CfgPath("VELK_A320").string() + ".velk.bak"));
  EXPECT_EQ(CfgBytes("VELK_A320"), OriginalCfg("VELK_A320"));
}

TEST_F(FSAircraftEditorTest, RadiusGoesToEveryEntryOfItsModelFileAndSurvivesAModelChange) {
  size_t blue = IndexOf(kBlue);
  const std::string modelFile = At(kBlue).ModelFile;
  const std::string before = *ReadFile(modelFile);
  EXPECT_EQ(editor_.SetRadius(blue, 18).size(), 3u);
  EXPECT_EQ(At(kGreen).Radius, 18);
  EXPECT_TRUE(At(kBlue).RadiusChanged);
  EXPECT_FALSE(At(kBlue).Changed);
  // The entry then points at another model folder: the edited file must
  // still get its radius.
  fs::create_directories(sim_ / "Aircraft" / "VELK_B738" / "model.cargo");
  test::WriteFile(sim_ / "Aircraft" / "VELK_B738" / "model.cargo" / "model.cfg", "[models]\r\nnormal=cargo\r\n");
  test::WriteFile(sim_ / "Aircraft" / "VELK_B738" / "model.cargo" / "cargo.mdl", sample::ModelFileBytes(3, 40));
  ASSERT_TRUE(editor_.SetModel(blue, "cargo"));
  EXPECT_EQ(At(kBlue).Radius, 40);
  EXPECT_EQ(At(kBlue).ModelKind, 3);
  ASSERT_TRUE(Save().ok);
  std::string after = *ReadFile(modelFile);
  EXPECT_EQ(after.substr(28, 4), std::string("\x12\0\0\0", 4));
  EXPECT_EQ(after.substr(0, 28), before.substr(0, 28));
  EXPECT_EQ(after.substr(32), before.substr(32));
  EXPECT_EQ(*ReadFile(modelFile + ".velk.bak"), before);
  EXPECT_EQ(*ReadFile(sim_ / "Aircraft" / "VELK_B738" / "model.cargo" / "cargo.mdl"), sample::ModelFileBytes(3, 40));
  EXPECT_NE(CfgBytes("VELK_B738").find("[fltsim.0]\r\ntitle=VELK Sample 737-800 Blue\r\nsim=velk_b738\r\nmodel=cargo\r\n"),
            std::string::npos);
  EXPECT_FALSE(At(kBlue).RadiusChanged);
}

TEST_F(FSAircraftEditorTest, AMissingModelFileIsReportedAndAChangedLayoutFailsTheSave) {
  size_t blue = IndexOf(kBlue);
  editor_.SetRadius(blue, 18);
  fs::remove(At(kBlue).ModelFile);
  AircraftSaveResult result = Save();
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.missingModelFiles, (std::vector<std::string>{At(kBlue).ModelFile}));
  EXPECT_TRUE(editor_.PendingRadii().empty());

  size_t a320 = IndexOf("VELK Sample A320 Red");
  const std::string file = At("VELK Sample A320 Red").ModelFile;
  editor_.SetRadius(a320, 25);
  test::WriteFile(file, sample::ModelFileBytes(1, 19));  // was kind 2
  result = Save();
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.file, file);
  EXPECT_EQ(result.reason, "the file no longer has the layout it had when it was read");
  EXPECT_EQ(*ReadFile(file), sample::ModelFileBytes(1, 19));
  EXPECT_EQ(editor_.PendingRadii().size(), 1u);
}

TEST_F(FSAircraftEditorTest, AFailedSaveKeepsTheMarksOfWhatWasNotWritten) {
  editor_.SetText(IndexOf("VELK Sample A320 Red"), AircraftText::ATCId, "D-AAAA");
  editor_.SetText(IndexOf(kBlue), AircraftText::ATCId, "N1");
  fs::path locked = CfgPath("VELK_B738");
  fs::permissions(locked, fs::perms::owner_read);
  AircraftSaveResult result = Save();
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.file, locked);
  EXPECT_EQ(result.reason, std::strerror(EACCES));
  EXPECT_FALSE(editor_.ChangesSaved());
  // The file before it in the list is written and unmarked, the locked one
  // and all after it keep their marks and their bytes.
  EXPECT_FALSE(At("VELK Sample A320 Red").Changed);
  EXPECT_TRUE(At(kBlue).Changed);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(CfgBytes("VELK_B738"), OriginalCfg("VELK_B738"));
  ASSERT_TRUE(Save().ok);
  EXPECT_NE(CfgBytes("VELK_B738").find("atc_id=N1\r\n"), std::string::npos);
  EXPECT_NE(CfgBytes("VELK_A320").find("atc_id=D-AAAA\r\n"), std::string::npos);
}

TEST_F(FSAircraftEditorTest, UndoReturnsToTheLastSave) {
  const ClassAircraftLists opened = ClassAircraftConfig();
  editor_.SetText(IndexOf(kBlue), AircraftText::UIVariation, "Saved");
  ASSERT_TRUE(Save().ok);
  editor_.SetText(IndexOf(kBlue), AircraftText::UIVariation, "Not saved");
  editor_.ChooseClass(IndexOf(kBlue), kClassHugeJet);
  editor_.RederiveClasses();
  editor_.SetRadius(IndexOf(kBlue), 3);
  editor_.Undo();
  EXPECT_EQ(At(kBlue).UIVariation, "Saved");
  EXPECT_EQ(At(kBlue).Class, kClassSmallJet);
  EXPECT_EQ(At(kBlue).Radius, 20);
  EXPECT_TRUE(editor_.PendingRadii().empty());
  EXPECT_EQ(ClassAircraftConfig(), opened);
}

TEST_F(FSAircraftEditorTest, ClassMovesRewriteOnlyTheClassFile) {
  size_t blue = IndexOf(kBlue);
  ASSERT_EQ(At(kBlue).Class, kClassSmallJet);
  EXPECT_EQ(editor_.ChooseClass(blue, kClassSmallJet), ClassChoice::Unchanged);
  EXPECT_EQ(editor_.ChooseClass(blue, kClassNone), ClassChoice::Unchanged);
  EXPECT_EQ(editor_.ChooseClass(blue, kClassHugeJet), ClassChoice::Moved);
  std::vector<size_t> changed = editor_.RederiveClasses();
  EXPECT_EQ(changed, (std::vector<size_t>{blue, IndexOf(kRed), IndexOf(kGreen)}));
  EXPECT_EQ(At(kGreen).Class, kClassHugeJet);
  EXPECT_EQ(At(kGreen).CruiseSpeed, 490);  // the Huge Jet defaults now
  EXPECT_FALSE(At(kBlue).Changed);
  ASSERT_TRUE(Save().ok);
  for (const auto& a : sample::SampleAircraftList()) EXPECT_EQ(CfgBytes(a.Folder), sample::AircraftCfgText(a));
  std::string classFile = *ReadFile(program_ / "VELK_AC.CFG");
  size_t huge = classFile.find("[Huge Jet,");
  size_t notUsed = classFile.find("[Not Used]");
  size_t moved = classFile.find("\r\nB738\r\n");
  EXPECT_TRUE(huge < moved && moved < notUsed);
  EXPECT_EQ(*ReadFile(program_ / "VELK_AC.CFG.velk.bak"), *ReadFile(test::SourceDir() / "program" / "VELK_AC.CFG"));
  // Read back, the file gives the same lists.
  ClassAircraftLists saved = ClassAircraftConfig();
  ASSERT_TRUE(ReadClassConfig(program_));
  EXPECT_EQ(ClassAircraftConfig().HugeJetList, saved.HugeJetList);
}

TEST_F(FSAircraftEditorTest, AnAircraftWithoutClassGetsANewEntryThatASecondMoveFinds) {
  size_t blue = IndexOf(kBlue);
  editor_.SetAtcModel(blue, "ZZ99");
  ASSERT_EQ(At(kBlue).Class, kClassNone);
  EXPECT_EQ(editor_.ChooseClass(blue, kClassMidProp), ClassChoice::NeedsNewEntry);
  editor_.CreateClassEntry(kClassMidProp, "ZZ99");
  editor_.RederiveClasses();
  EXPECT_EQ(At(kRed).Class, kClassMidProp);
  EXPECT_EQ(At(kRed).ClassEntryId, "ZZ99");
  EXPECT_EQ(At(kRed).CruiseSpeed, 220);
  // The entry just made is found again by the next move.
  EXPECT_EQ(editor_.ChooseClass(blue, kClassLargeProp), ClassChoice::Moved);
  editor_.RederiveClasses();
  EXPECT_EQ(At(kGreen).Class, kClassLargeProp);
  EXPECT_EQ(ClassAircraftConfig().LargePropList.back().Id, "ZZ99");
  EXPECT_EQ(ClassAircraftConfig().LargePropList.back().CruiseSpeed, -1);
}

TEST(ClassAssignment, EntriesMoveWithTheirValuesAndNewIdsAreChecked) {
  ClassAircraftLists lists;
  ClassAircraft full;
  full.Id = "B737";
  full.CruiseSpeed = 450;
  full.MinFL = 100;
  lists.LargeJetList = {full};
  ClassAircraft unused;
  unused.Id = "A,B";
  lists.NotUsedList = {unused};
  ASSERT_TRUE(MoveClassEntry(lists, kClassLargeJet, kClassHugeJet, "B737"));
  EXPECT_TRUE(lists.LargeJetList.empty());
  EXPECT_EQ(lists.HugeJetList.back(), full);
  EXPECT_FALSE(MoveClassEntry(lists, kClassLargeJet, kClassHugeJet, "B737"));
  // Moved into "Not Used" it keeps its values in memory; moved out of it,
  // the zeros of "Not Used" would become real limits, so it takes defaults.
  ASSERT_TRUE(MoveClassEntry(lists, kClassHugeJet, kClassNotUsed, "B737"));
  EXPECT_EQ(lists.NotUsedList.back().CruiseSpeed, 450);
  lists.NotUsedList.back().CruiseSpeed = 0;
  ASSERT_TRUE(MoveClassEntry(lists, kClassNotUsed, kClassMidProp, "B737"));
  EXPECT_EQ(lists.MidPropList.back().CruiseSpeed, -1);
  EXPECT_EQ(lists.MidPropList.back().MinFL, -1);
  // A "Not Used" Id with a comma cannot go to a class with limits.
  EXPECT_FALSE(ClassEntryMayMove(lists, kClassNotUsed, kClassSmallJet, "A,B"));
  EXPECT_TRUE(ClassEntryMayMove(lists, kClassNotUsed, kClassNotUsed, "A,B"));

  bool refused = false;
  EXPECT_EQ(NewClassEntryId("  C172 ", kClassMidProp, refused), "C172");
  EXPECT_FALSE(NewClassEntryId("   ", kClassMidProp, refused));
  EXPECT_FALSE(refused);
  for (const char* bad : {"B737,800", "[Huge Jet]", "A\nB"}) {
    EXPECT_FALSE(NewClassEntryId(bad, kClassMidProp, refused)) << bad;
    EXPECT_TRUE(refused) << bad;
  }
}

}  // namespace
}  // namespace velk
