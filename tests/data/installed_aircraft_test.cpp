#include "data/installed_aircraft.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "data/class_config.h"
#include "data/plan_records.h"
#include "platform/folder_list.h"
#include "sample_sim/sample_sim.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::ScopedEnv;
using test::TempDir;
using test::WriteFile;

ClassAircraft IdOnly(const std::string& id) {
  ClassAircraft e;
  e.Id = id;
  e.MaxRange = e.MinRange = e.MaxFL = e.MinFL = e.CruiseSpeed = -1;
  e.RunwayLength = e.MinParkingRadius = e.IFRPercent = -1;
  return e;
}

ClassSettings Defaults(int cruise, int minFl, int maxFl, int minRange, int maxRange) {
  ClassSettings s;
  s.CruiseSpeed = cruise;
  s.MinFL = minFl;
  s.MaxFL = maxFl;
  s.MinRange = minRange;
  s.MaxRange = maxRange;
  s.RunwayLength = maxRange + 1;
  s.RunwayTypes = "HARD";
  s.MinParkingRadius = cruise / 10;
  s.ParkingTypes = "GATE";
  s.IFRPercent = 90;
  return s;
}

// A simulator folder named by VELK_FS_PATH and a class configuration of the
// test's making; both are put back afterwards.
class InstalledAircraftTest : public ::testing::Test {
 protected:
  InstalledAircraftTest()
      : env_("VELK_FS_PATH", sim_.path().string()),
        savedDefaults_(ClassDefaults()),
        savedLists_(ClassAircraftConfig()) {
    ClassDefaults()[kClassMicroProp - 2] = Defaults(140, 0, 100, 10, 600);
    ClassDefaults()[kClassMidProp - 2] = Defaults(200, 45, 150, 20, 1100);
    ClassDefaults()[kClassLargeProp - 2] = Defaults(250, 80, 150, 100, 1000);
    ClassDefaults()[kClassMicroJet - 2] = Defaults(400, 100, 370, 100, 1000);
    ClassDefaults()[kClassSmallJet - 2] = Defaults(430, 100, 370, 150, 2100);
    ClassDefaults()[kClassLargeJet - 2] = Defaults(480, 250, 420, 1000, 5500);
    ClassDefaults()[kClassHugeJet - 2] = Defaults(490, 250, 420, 2000, 7000);
    ClassAircraftLists lists;
    lists.MicroPropList = {IdOnly("C172")};
    lists.MidPropList = {IdOnly("BE20")};
    lists.LargePropList = {IdOnly("AT72"), IdOnly("DH8D")};
    lists.MicroJetList = {IdOnly("LJ45")};
    ClassAircraft a320 = IdOnly("A320");
    a320.CruiseSpeed = 447;
    a320.MinFL = 110;
    a320.MaxFL = 390;
    a320.MinRange = 200;
    a320.MaxRange = -1;  // one limit left open: still the entry's own values
    lists.SmallJetList = {IdOnly("B738"), a320, IdOnly("CRJ"), IdOnly("E145"), IdOnly("MD8"),
                          IdOnly("F100")};
    lists.LargeJetList = {IdOnly("B752"), IdOnly("B763")};
    lists.HugeJetList = {IdOnly("B744"), IdOnly("B772"), IdOnly("A34")};
    ClassAircraft glider;
    glider.Id = "GLID";  // a "Not Used" entry as read from the file: zeros
    lists.NotUsedList = {glider};
    ClassAircraftConfig() = lists;
    Plan().FSAircraftList.clear();
    Plan().FSAircraftErrors = false;
  }
  ~InstalledAircraftTest() override {
    ClassDefaults() = savedDefaults_;
    ClassAircraftConfig() = savedLists_;
    Plan().FSAircraftList.clear();
    Plan().FSAircraftErrors = false;
  }

  void MakeSample() {
    std::string error;
    ASSERT_TRUE(sample::MakeSampleSimulator(sim_.path(), &error)) << error;
  }
  const std::vector<FSAircraft>& List() const { return Plan().FSAircraftList; }
  const FSAircraft& ByTitle(const std::string& title) const {
    for (const auto& r : List()) {
      if (r.Title == title) return r;
    }
    static FSAircraft none;
    ADD_FAILURE() << "no aircraft titled " << title;
    return none;
  }
  fs::path Folder(const std::string& name) const { return sim_.path() / "Aircraft" / name; }
  void WriteCfg(const std::string& folder, const std::string& text) {
    WriteFile(Folder(folder) / "aircraft.cfg", text);
  }

  TempDir sim_;
  ScopedEnv env_;
  ClassDefaultSets savedDefaults_;
  ClassAircraftLists savedLists_;
};

TEST_F(InstalledAircraftTest, ReadsEveryVariationOfTheSampleSimulator) {
  MakeSample();
  ASSERT_TRUE(LoadFSAircraft(false));
  std::vector<std::string> titles;
  for (const auto& r : List()) titles.push_back(r.Title);
  // Folders in name order, sections in file order.
  EXPECT_EQ(titles, sample::SampleAircraftTitles());
  EXPECT_GE(titles.size(), 24u);  // twelve folders or more, several sections each

  const FSAircraft& blue = ByTitle("VELK Sample 737-800 Blue");
  EXPECT_EQ(blue.Section + "|" + blue.ATCType + "|" + blue.ATCModel + "|" + blue.ATCAirline + "|" + blue.UIManufacturer +
                "|" + blue.UIType + "|" + blue.UIVariation + "|" + blue.Texture + "|" + blue.Performance + "|" +
                blue.ClassEntryId,
            "fltsim.0|BOEING|B738|Velkair|Boeing|737-800|Blue|blue|Cruise 451.5 kts|B738");
  EXPECT_EQ(blue.CfgFile, (Folder("VELK_B738") / "aircraft.cfg").string());
  // Cruise speed "451.5   ;Knots True Airspeed"; class; model kind and radius.
  EXPECT_EQ((std::vector<int>{blue.CfgCruiseSpeed, blue.Class, blue.ModelKind, blue.Radius}),
            (std::vector<int>{451, kClassSmallJet, 1, 20}));
  EXPECT_EQ(blue.ModelFile, (Folder("VELK_B738") / "Model" / "velk_b738.mdl").string());
  // Without file checks the extra keys stay empty and nothing is examined.
  EXPECT_EQ(blue.Sim + blue.ATCId + blue.Errors, "");
  EXPECT_FALSE(Plan().FSAircraftErrors);
  EXPECT_EQ(ByTitle("VELK Sample 737-800 Green").Section, "fltsim.2");
}

TEST_F(InstalledAircraftTest, ShippedClassFileClassifiesEverySampleAircraft) {
  ASSERT_TRUE(fs::exists(test::ToolsDir() / kClassConfigFileName));
  ASSERT_TRUE(ReadClassConfig(test::ToolsDir()));
  MakeSample();
  ASSERT_TRUE(LoadFSAircraft(false));
  for (const auto& r : List()) {
    EXPECT_GE(r.Class, kClassMicroProp) << r.Title;
    EXPECT_NE(r.ClassEntryId, "") << r.Title;
    EXPECT_GT(r.CruiseSpeed, 0) << r.Title;
    EXPECT_GT(r.MaxRange, 0) << r.Title;
  }
}

TEST_F(InstalledAircraftTest, FindsFoldersAndFilesWhateverTheirCase) {
  // The sample spells aircraft.cfg, model folders, model.cfg, model files,
  // texture folders and .air files in assorted cases.
  MakeSample();
  ASSERT_TRUE(LoadFSAircraft(true));
  for (const auto& a : sample::SampleAircraftList()) {
    for (const auto& v : a.Variations) {
      const FSAircraft& r = ByTitle(v.Title);
      EXPECT_EQ(r.ModelKind, a.ModelKind) << v.Title;
      EXPECT_EQ(r.Radius, a.Radius) << v.Title;
      EXPECT_EQ(fs::path(r.CfgFile).filename().string(), a.CfgName) << v.Title;
      EXPECT_EQ(r.Errors, "") << v.Title;
    }
  }
  EXPECT_FALSE(Plan().FSAircraftErrors);
  const FSAircraft& a320 = ByTitle("VELK Sample A320 White");
  EXPECT_EQ(a320.ModelFile, (Folder("VELK_A320") / "model.std" / "VELKA320.MDL").string());
}

TEST_F(InstalledAircraftTest, FileChecksReadTheExtraKeys) {
  MakeSample();
  ASSERT_TRUE(LoadFSAircraft(true));
  const FSAircraft& gold = ByTitle("VELK Sample 747-400 Navy");
  EXPECT_EQ(gold.Sim, "velk_b744");
  EXPECT_EQ(gold.Model, "");
  EXPECT_EQ(gold.ATCId, "N744VN");
  EXPECT_EQ(gold.ATCFlightNumber, "1");
  EXPECT_TRUE(gold.ATCHeavy);
  EXPECT_TRUE(gold.VisualDamage);
  EXPECT_EQ(gold.Description, "Boeing 747-400 made for the VELK sample simulator folder.");
  EXPECT_EQ(gold.Class, kClassHugeJet);
  EXPECT_FALSE(ByTitle("VELK Sample 737-800 Red").ATCHeavy);
  EXPECT_EQ(ByTitle("VELK Sample 767-300 Orange").Model, "er");
}

TEST_F(InstalledAircraftTest, ReportsMissingFiles) {
  MakeSample();
  fs::remove_all(Folder("VELK_B738") / "texture.red");
  fs::remove(Folder("VELK_A343") / "velk_a343.air");
  fs::remove(Folder("VELK_C172") / "model" / "velk_c172.mdl");
  WriteCfg("VELK_LJ45",
           "[fltsim.0]\r\ntitle=No Sim\r\ntexture=2\r\n[General]\r\natc_model=LJ45\r\n");
  fs::create_directory(Folder("VELK_LJ45") / "TEXTURE.2");
  fs::remove_all(Folder("VELK_LJ45") / "model");
  ASSERT_TRUE(LoadFSAircraft(true));

  EXPECT_EQ(ByTitle("VELK Sample 737-800 Red").Errors, "Texture folder not found");
  EXPECT_EQ(ByTitle("VELK Sample 737-800 Blue").Errors, "");
  EXPECT_EQ(ByTitle("VELK Sample A340-300 Night").Errors, "AIR file not found");
  EXPECT_EQ(ByTitle("VELK Sample 172 Trainer").Errors, "No model defined");
  // Texture.2 exists (other case); no model and no sim key.
  EXPECT_EQ(ByTitle("No Sim").Errors, "No model defined | No AIR file defined");
  EXPECT_TRUE(Plan().FSAircraftErrors);

  // A model file that goes away after the read is a missing model folder.
  fs::remove(Folder("VELK_B738") / "Model" / "velk_b738.mdl");
  CheckFSAircraftFiles();
  EXPECT_EQ(ByTitle("VELK Sample 737-800 Blue").Errors, "Model folder not found");
  EXPECT_EQ(ByTitle("VELK Sample 737-800 Red").Errors,
            "Texture folder not found | Model folder not found");

  // The next load starts afresh; without checks nothing is reported.
  ASSERT_TRUE(LoadFSAircraft(false));
  EXPECT_FALSE(Plan().FSAircraftErrors);
  EXPECT_EQ(ByTitle("VELK Sample 737-800 Red").Errors, "");
}

// Real aircraft packages quote their values, often with a comment behind,
// and Windows editors put a byte-order mark in front: the titles still match
// Aircraft.txt, and the quoted texture, model and flight model are found.
TEST_F(InstalledAircraftTest, QuotedValuesAndAByteOrderMarkReadAsTheSimulatorMeansThem) {
  WriteCfg("Q737",
           "\xEF\xBB\xBF[General]\r\natc_model=\"B738\"\r\nPerformance=\"fast\"\r\n"
           "[Reference Speeds]\r\ncruise_speed=\"451.5\"\r\n"
           "[fltsim.0]\r\ntitle=\"Boeing 737-800 Quoted\"\r\nsim=\"q737\"\r\nmodel=\"\"\r\n"
           "texture=\"blue\"\r\natc_airline=\"Velkair\"\r\natc_heavy=\"1\"\r\n"
           "[fltsim.1]\r\ntitle = \"Boeing 737-800 Neo\" ; winglets\r\nsim=q737\r\ntexture = \"neo\"\t; livery\r\n");
  WriteFile(Folder("Q737") / "q737.air", "x");
  fs::create_directory(Folder("Q737") / "texture.blue");
  fs::create_directory(Folder("Q737") / "texture.neo");
  WriteFile(Folder("Q737") / "model" / "model.cfg", "[models]\r\nnormal=\"q737\"\r\n");
  WriteFile(Folder("Q737") / "model" / "q737.mdl", "model");
  ASSERT_TRUE(LoadFSAircraft(true));
  ASSERT_EQ(List().size(), 2u);
  const FSAircraft& r = List()[0];
  EXPECT_EQ(r.Title, "Boeing 737-800 Quoted");
  EXPECT_EQ(r.ATCModel, "B738");
  EXPECT_EQ(r.Class, kClassSmallJet);
  EXPECT_EQ(r.Performance, "fast");
  EXPECT_EQ(r.CfgCruiseSpeed, 451);
  EXPECT_EQ(r.ATCAirline, "Velkair");
  EXPECT_EQ(r.Texture, "blue");
  EXPECT_TRUE(r.ATCHeavy);
  EXPECT_EQ(r.ModelFile, (Folder("Q737") / "model" / "q737.mdl").string());
  EXPECT_EQ(r.Errors, "");
  EXPECT_EQ(List()[1].Title + "|" + List()[1].Texture + "|" + List()[1].Errors, "Boeing 737-800 Neo|neo|");
}

TEST_F(InstalledAircraftTest, AnAirFileNamedWithItsExtensionIsFound) {
  WriteCfg("X", "[fltsim.0]\r\ntitle=X\r\nsim=flight.air\r\n");
  WriteFile(Folder("X") / "Flight.AIR", "x");
  fs::create_directory(Folder("X") / "texture");
  ASSERT_TRUE(LoadFSAircraft(true));
  ASSERT_EQ(List().size(), 1u);
  EXPECT_EQ(List()[0].Errors, "No model defined");
}

TEST_F(InstalledAircraftTest, OnlyTitledFltsimSectionsGiveRecords) {
  WriteCfg("A",
           "[General]\r\ntitle=General\r\natc_model=B738\r\n"
           "[fltsim.0]\r\ntitle=Zero\r\n"
           "[flight_tuning]\r\ntitle=Tuning\r\n"
           "[FLTSIM.12]\r\ntitle=Twelve\r\n"
           "[fltsimx]\r\ntitle=X ; a comment\r\n"
           "[fltsim.3]\r\ntitle=\r\n"
           "[fltsim.4]\r\nui_type=untitled\r\n");
  WriteFile(Folder("B") / "aircraft.cfg", "");
  fs::create_directories(Folder("C"));
  WriteFile(sim_.path() / "Aircraft" / "readme.txt", "[fltsim.0]\r\ntitle=Plain File\r\n");
  WriteCfg("D", "no sections at all\r\n");
  ASSERT_TRUE(LoadFSAircraft(false));
  std::vector<std::string> titles, sections;
  for (const auto& r : List()) {
    titles.push_back(r.Title);
    sections.push_back(r.Section);
  }
  EXPECT_EQ(titles, (std::vector<std::string>{"Zero", "Twelve", "X"}));
  EXPECT_EQ(sections, (std::vector<std::string>{"fltsim.0", "FLTSIM.12", "fltsimx"}));
}

TEST_F(InstalledAircraftTest, CodesFoundInOneSectionStandForTheLaterOnes) {
  WriteCfg("A",
           "[fltsim.0]\r\natc_type=AIRBUS\r\n"  // untitled: only gives its type on
           "[fltsim.1]\r\ntitle=One\r\natc_model=B738\r\n"
           "[fltsim.2]\r\ntitle=Two\r\natc_model=A320\r\natc_type=BOEING\r\n"
           "[General]\r\nperformance=fast ; really\r\n"
           "[Reference Speeds]\r\ncruise_speed=451.5 ; knots\r\n");
  ASSERT_TRUE(LoadFSAircraft(false));
  ASSERT_EQ(List().size(), 2u);
  for (const auto& r : List()) {
    EXPECT_EQ(r.ATCModel, "B738");
    EXPECT_EQ(r.ATCType, "AIRBUS");
    EXPECT_EQ(r.Class, kClassSmallJet);
    EXPECT_EQ(r.ClassEntryId, "B738");
    EXPECT_EQ(r.CfgCruiseSpeed, 451);
    EXPECT_EQ(r.Performance, "fast");
  }
}

TEST_F(InstalledAircraftTest, ClassLimitsComeFromTheEntryOrTheClassDefaults) {
  WriteCfg("1", "[fltsim.0]\r\ntitle=Small Jet\r\n[General]\r\natc_model=B738\r\n");
  WriteCfg("2", "[fltsim.0]\r\ntitle=Own Limits\r\n[General]\r\natc_model=A320\r\n");
  WriteCfg("3",
           "[fltsim.0]\r\ntitle=No Class\r\n[General]\r\natc_model=ZZZZ\r\n"
           "[Reference Speeds]\r\ncruise_speed=123\r\n");
  WriteCfg("4",
           "[fltsim.0]\r\ntitle=Not Used\r\n[General]\r\natc_type=GLIDER\r\n"
           "[Reference Speeds]\r\ncruise_speed=60\r\n");
  WriteCfg("5", "[fltsim.0]\r\ntitle=Micro Prop\r\n[General]\r\natc_model=C172\r\n");
  WriteCfg("6", "[fltsim.0]\r\ntitle=By Type\r\n[General]\r\natc_type=BE20\r\n");
  ClassAircraftConfig().NotUsedList[0].Id = "GLID";
  ASSERT_TRUE(LoadFSAircraft(false));
  ASSERT_EQ(List().size(), 6u);

  // Class, cruise, FL from and to, range from and to, runway, parking, IFR %,
  // then the entry, runway types and parking types.
  auto limits = [&](const std::string& title) {
    const FSAircraft& a = ByTitle(title);
    std::vector<std::string> v;
    for (int n : {a.Class, a.CruiseSpeed, a.MinFL, a.MaxFL, a.MinRange, a.MaxRange, a.RunwayLength,
                  a.MinParkingRadius, a.IFRPercent})
      v.push_back(std::to_string(n));
    for (const std::string* t : {&a.ClassEntryId, &a.RunwayTypes, &a.ParkingTypes}) v.push_back(*t);
    return v;
  };
  using L = std::vector<std::string>;
  // An entry with no values of its own takes the class defaults.
  EXPECT_EQ(limits("Small Jet"), (L{"6", "430", "100", "370", "150", "2100", "2101", "43", "90", "B738", "HARD", "GATE"}));
  // One that gives any takes all of its own, open ones (-1) included.
  EXPECT_EQ(limits("Own Limits"), (L{"6", "447", "110", "390", "200", "-1", "-1", "-1", "-1", "A320", "", ""}));
  // No class: only the aircraft.cfg's cruise speed.
  EXPECT_EQ(limits("No Class"), (L{"0", "123", "-1", "-1", "-1", "-1", "-1", "-1", "-1", "", "", ""}));
  // "Not Used" entries hold zeros.
  EXPECT_EQ(limits("Not Used"), (L{"1", "0", "0", "0", "0", "0", "0", "0", "0", "GLID", "", ""}));
  EXPECT_EQ(limits("Micro Prop")[4], "10");
  EXPECT_EQ(limits("By Type")[0] + "/" + limits("By Type")[2], "3/45");  // found by its type code
}

TEST_F(InstalledAircraftTest, FlagsAndNumbersConvertLikeTheFileMeansThem) {
  EXPECT_TRUE(ProfileFlag("1"));
  EXPECT_TRUE(ProfileFlag("-1"));
  EXPECT_TRUE(ProfileFlag("2.5"));
  EXPECT_TRUE(ProfileFlag("TRUE"));
  EXPECT_FALSE(ProfileFlag("0"));
  EXPECT_FALSE(ProfileFlag("False"));
  EXPECT_FALSE(ProfileFlag("yes"));
  EXPECT_FALSE(ProfileFlag(""));
  EXPECT_EQ(CleanProfileValue("  text ; comment"), "text");
  EXPECT_EQ(CleanProfileValue(";all comment"), "");

  WriteCfg("A",
           "[fltsim.0]\r\ntitle=A\r\natc_heavy=True\r\nvisual_damage=0\r\n"
           "description=Line one; the rest is cut\r\n"
           "[Reference Speeds]\r\ncruise_speed=fast\r\n");
  ASSERT_TRUE(LoadFSAircraft(true));
  ASSERT_EQ(List().size(), 1u);
  EXPECT_TRUE(List()[0].ATCHeavy);
  EXPECT_FALSE(List()[0].VisualDamage);
  EXPECT_EQ(List()[0].Description, "Line one");
  EXPECT_EQ(List()[0].CfgCruiseSpeed, 0);
}

// A listing that fails leaves the list short: the load names the folder,
// and an aircraft whose own folder could not be listed keeps its place for
// the editor, with the problem in its Errors, but is no aircraft to use.
TEST_F(InstalledAircraftTest, FoldersThatCannotBeListedAreNamed) {
  for (const char* name : {"a", "b", "c"})
    WriteFile(Folder(name) / "Aircraft.cfg", std::string("[fltsim.0]\r\ntitle=Title ") + name + "\r\n");
  fs::path failing = Folder("b");
  SetFolderListFault([&](const fs::path& folder, size_t) {
    return folder == failing ? std::make_error_code(std::errc::io_error) : std::error_code();
  });
  struct Reset {
    ~Reset() { SetFolderListFault({}); }
  } reset;

  fs::path unlisted;
  EXPECT_FALSE(LoadFSAircraft(true, &unlisted));
  EXPECT_EQ(unlisted, Folder("b"));
  ASSERT_EQ(List().size(), 3u);
  EXPECT_EQ(List()[1].Title, "b");
  EXPECT_EQ(List()[1].Errors, ListFailedMessage(Folder("b")));
  EXPECT_TRUE(List()[1].Unreadable);
  EXPECT_EQ(List()[2].Title, "Title c");
  PlanAircraft named;
  named.Title = "B";
  Plan().PlanAircraftList = {named};
  EXPECT_EQ(MatchInstalledAircraft(Plan()), std::vector<int>{-1});
  Plan().PlanAircraftList.clear();

  unlisted.clear();
  EXPECT_FALSE(LoadFSAircraft(false, &unlisted));
  EXPECT_EQ(unlisted, Folder("b"));
  EXPECT_EQ(List().size(), 2u);

  failing = sim_.path() / "Aircraft";
  EXPECT_FALSE(LoadFSAircraft(false, &unlisted));
  EXPECT_EQ(unlisted, failing);
  EXPECT_TRUE(List().empty());
}

TEST_F(InstalledAircraftTest, LoadReplacesTheListAndFailsWithoutAFolder) {
  MakeSample();
  ASSERT_TRUE(LoadFSAircraft(false));
  size_t count = List().size();
  ASSERT_TRUE(LoadFSAircraft(false));
  EXPECT_EQ(List().size(), count);

  Plan().FSAircraftErrors = true;
  {
    ScopedEnv noSim("VELK_FS_PATH", (sim_.path() / "nowhere").string());
    EXPECT_FALSE(LoadFSAircraft(true));
  }
  EXPECT_TRUE(List().empty());
  EXPECT_FALSE(Plan().FSAircraftErrors);

  {
    ScopedEnv spaced("VELK_FS_PATH", sim_.path().string() + "  ");
    EXPECT_EQ(GetFSPath(), sim_.path().string());
  }
}

}  // namespace
}  // namespace velk
