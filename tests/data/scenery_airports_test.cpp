#include "data/scenery_airports.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include "data/scenery_test_support.h"
#include "platform/message_box.h"
#include "sample_scenery.h"
#include "sample_sim/sample_sim.h"
#include "support/test_support.h"

namespace velk {
namespace {

using sample::AirportRecordBuilder;
using sample::FacilityFileBuilder;
using sample::SampleParking;
using sample::SampleRunway;

std::string OneAirportFile(const std::string& record, const std::string& name = "Field") {
  FacilityFileBuilder f;
  f.Region("Europe");
  f.Country("Switzerland");
  f.State("Zurich");
  f.City("Kloten");
  f.Airport(name, record);
  return f.Build();
}

SceneryAirport ReadOne(const std::string& record) {
  std::vector<SceneryAirport> airports;
  EXPECT_EQ(ReadAFDBytes(OneAirportFile(record), airports), AfdFileResult::kRead);
  EXPECT_EQ(airports.size(), 1u);
  return airports.empty() ? SceneryAirport{} : airports[0];
}

SampleRunway Runway(int length, int surface, int flags, int designator = 0) {
  SampleRunway r;
  r.length = length;
  r.surface = surface;
  r.flags = flags;
  r.designator = designator;
  return r;
}

SampleParking Parking(float radius, int kind, int number, int type = 8) {
  SampleParking k;
  k.radius = radius;
  k.kind = kind;
  k.number = number;
  k.type = type;
  return k;
}

TEST(SceneryTexts, PositionsFrequenciesAndNames) {
  EXPECT_EQ(PositionText(47.4397f, 'N'), "N47*26.3820'");
  EXPECT_EQ(PositionText(8.5f, 'E'), "E8*30.0000'");
  EXPECT_EQ(PositionText(0.0f, 'W'), "W0*0.0000'");
  EXPECT_EQ(FrequencyText(0x11830000) + " " + FrequencyText(0x10950000) + " " + FrequencyText(0), "118.300 109.500 0.");
  EXPECT_EQ(ParkingKindName(10) + "|" + ParkingKindName(12) + "|" + ParkingKindName(37) + "|" + ParkingKindName(0),
            "Gate|Gate A|Gate Z|Gate 5");
  // Coral 3, snow 4, asphalt and unknown 1, grass 2.
  EXPECT_EQ((std::vector<int>{SurfaceClass(9), SurfaceClass(8), SurfaceClass(3), SurfaceClass(0), SurfaceClass(4)}),
            (std::vector<int>{3, 4, 1, 1, 2}));
  EXPECT_EQ(SurfaceName(11), "Unknown");
  EXPECT_EQ(FrequencyTypeName(2), "Unkown");
  EXPECT_EQ(FrequencyTypeName(99), "Unkown");
}

TEST(FacilityFile, SampleAirportsReadBackWhole) {
  std::vector<sample::SampleAirport> specs = sample::SampleAirports();
  std::vector<SceneryAirport> airports;
  ASSERT_EQ(ReadAFDBytes(sample::BuildFacilityFile(specs), airports), AfdFileResult::kRead);
  ASSERT_EQ(airports.size(), specs.size());
  for (size_t i = 0; i < specs.size(); ++i) {
    const sample::SampleAirport& s = specs[i];
    const SceneryAirport& a = airports[i];
    SCOPED_TRACE(s.icao);
    EXPECT_EQ(a.ICAO, s.icao);
    EXPECT_EQ(a.Name, s.name);
    EXPECT_EQ(a.Region, s.region);
    EXPECT_EQ(a.Country, s.country);
    EXPECT_EQ(a.State, s.state);
    EXPECT_EQ(a.City, s.city);
    EXPECT_EQ(a.Elevation, s.elevation);
    EXPECT_EQ(a.Latitude[0], s.latitude < 0 ? 'S' : 'N');
    EXPECT_EQ(a.Longitude[0], s.longitude < 0 ? 'W' : 'E');
    ASSERT_EQ(a.RunwayCount(), static_cast<int>(s.runways.size()));
    for (size_t r = 0; r < s.runways.size(); ++r) {
      EXPECT_EQ(a.Runways[r].Length, s.runways[r].length);
      EXPECT_EQ(a.Runways[r].Surface, s.runways[r].surface);
      EXPECT_NEAR(a.Runways[r].Heading, s.runways[r].heading, 0.001);
      EXPECT_NEAR(a.Runways[r].Variation, s.runways[r].variation, 0.001);
    }
    EXPECT_EQ(a.Runways[0].ILSIdentEnd1, s.runways[0].ilsIdent);
    // A landing system channel as the reader shows it: 108.10 to 111.95 MHz,
    // odd tenths.
    const std::string ils = a.Runways[0].ILSFrequencyEnd1;
    EXPECT_TRUE(ils.size() == 7 && ils >= "108.100" && ils <= "111.950" && (ils[4] - '0') % 2 == 1) << ils;
    EXPECT_EQ(a.ParkingCount(), static_cast<int>(s.parkings.size()));
    EXPECT_EQ(a.FrequencyCount(), static_cast<int>(s.frequencies.size()));
    EXPECT_GT(a.TakeoffLength, 0);
    EXPECT_GT(a.MaxParkingRadius, 0);
  }
  // Heathrow, 51.4775 N 0.4614 W.
  EXPECT_EQ(airports[17].ICAO, "EGLL");
  EXPECT_EQ(airports[17].Latitude.substr(0, 7), "N51*28.");
  EXPECT_EQ(airports[17].Longitude.substr(0, 6), "W0*27.");
  EXPECT_EQ(ReadAirportIdent(sample::BuildFacilityFile({specs[17]}), 0).has_value(), true);
}

TEST(FacilityFile, RunwayFlagsEndsAndLandingSystems) {
  SampleRunway main = Runway(9000, 2, 0x13 | 0x80 | 0x40);
  main.heading = 275.5;
  main.number = 28;
  main.designator = 1;
  main.variation = -2.5;
  main.extra = 77;
  AirportRecordBuilder b;
  b.Position(10, -20, 123).Ident("TEST").Runway(main).Ils(95.5, 0x11030000, 4, "IABC").Ils(1, 1, 3, "skip");
  SceneryAirport a = ReadOne(b.Build());
  ASSERT_EQ(a.RunwayCount(), 1);
  const SceneryRunway& r = a.Runways[0];
  EXPECT_EQ((std::vector<bool>{r.TakeoffEnd1, r.LandingEnd1, r.TakeoffEnd2, r.LandingEnd2}),
            (std::vector<bool>{true, true, false, false}));
  EXPECT_EQ(r.PatternEnd1, 1);
  EXPECT_EQ(r.PatternEnd2, 2);  // 128 wins over 64
  EXPECT_NEAR(r.Heading, 275.5, 0.001);
  EXPECT_NEAR(r.Variation, -2.5, 0.001);
  EXPECT_EQ((std::vector<int>{r.ExtraValue, r.Designator, r.Number}), (std::vector<int>{77, 1, 28}));
  EXPECT_EQ(r.ILSFrequencyEnd2 + " " + r.ILSIdentEnd2, "110.300 IABC");
  EXPECT_NEAR(r.ILSHeadingEnd2, 95.5, 0.001);
  EXPECT_EQ(r.ILSFrequencyEnd1, "");
  EXPECT_EQ(a.Elevation, 123);
  // Stored positions resolve to about a millionth of a degree.
  EXPECT_EQ(a.Latitude.substr(0, 9), "N10*0.000");
  EXPECT_EQ(a.Longitude.substr(0, 9), "W20*0.000");

  // A landing system before any runway is passed over.
  AirportRecordBuilder early;
  early.Position(1, 1, 0).Ident("ILS0").Ils(90, 0x11030000, 2, "IXX").Runway(Runway(5000, 3, 0x0F));
  SceneryAirport e = ReadOne(early.Build());
  ASSERT_EQ(e.RunwayCount(), 1);
  EXPECT_EQ(e.Runways[0].ILSIdentEnd1, "");
}

TEST(FacilityFile, LongestUsableRunwaysAndTheirSurfaces) {
  AirportRecordBuilder b;
  b.Position(0, 0, 0).Ident("RWYS")
      .Runway(Runway(4000, 3, 0x13))
      .Runway(Runway(12000, 2, 0x0F, 4))      // helipad: ignored
      .Runway(Runway(6000, 4, 0x04))          // takeoff from the reciprocal end only
      .Runway(Runway(6000, 10, 0x0F))         // as long: the first keeps it
      .Runway(Runway(5000, 9, 0x08));         // landing only, but shorter
  SceneryAirport a = ReadOne(b.Build());
  EXPECT_EQ(a.TakeoffLength, 6000);
  EXPECT_EQ(a.TakeoffSurface, 2);  // grass, from the first 6000 ft runway
  EXPECT_EQ(a.LandingLength, 6000);
  EXPECT_EQ(a.LandingSurface, 3);  // water: the first 6000 ft runway that lands

  AirportRecordBuilder only;
  only.Position(0, 0, 0).Ident("ONE").Runway(Runway(3000, 3, 0x13)).Runway(Runway(8000, 2, 0x0F, 4));
  SceneryAirport o = ReadOne(only.Build());
  EXPECT_EQ(o.TakeoffLength, 3000);
  EXPECT_EQ(o.LandingLength, 3000);
  EXPECT_EQ(o.TakeoffSurface, 1);
  EXPECT_EQ(o.LandingSurface, 1);
}

TEST(FacilityFile, ParkingNamesTypesAndRadiusRange) {
  SampleParking heavy = Parking(37.5f, 12, 3, 10);
  heavy.rawValue1 = -5;
  heavy.rawValue2 = 123456;
  heavy.heading = 180;
  AirportRecordBuilder b;
  b.Position(0, 0, 0).Ident("PARK").ParkingList({Parking(12.5f, 10, 12, 8), Parking(20, 0, 7, 2), heavy}, 3, 5);
  SceneryAirport a = ReadOne(b.Build());
  ASSERT_EQ(a.ParkingCount(), 3);
  EXPECT_EQ(a.Parkings[0].Name, "Gate 12");
  EXPECT_EQ(a.Parkings[0].Type, 8);
  EXPECT_EQ(a.Parkings[1].Name, "Gate 5 7");
  EXPECT_EQ(a.Parkings[2].Name, "Gate A 3");
  EXPECT_EQ(a.Parkings[2].Type, 10);
  EXPECT_EQ(a.Parkings[2].RawValue1, -5);
  EXPECT_EQ(a.Parkings[2].RawValue2, 123456);
  EXPECT_NEAR(a.Parkings[2].Heading, 180, 0.001);
  EXPECT_EQ(a.MinParkingRadius, 12);  // 12.5 to even
  EXPECT_EQ(a.MaxParkingRadius, 38);  // 37.5 to even

  AirportRecordBuilder none;
  none.Position(0, 0, 0).Ident("NONE");
  SceneryAirport n = ReadOne(none.Build());
  EXPECT_EQ(n.MaxParkingRadius, 0);
  EXPECT_EQ(n.MinParkingRadius, 9999);
}

TEST(FacilityFile, NothingAfterAParkingListIsRead) {
  sample::SampleFrequency tower;
  AirportRecordBuilder b;
  b.Position(0, 0, 0).Ident("FREQ").Frequency(tower).ParkingList({Parking(20, 10, 1)}).Frequency(tower)
      .Runway(Runway(5000, 3, 0x0F));
  SceneryAirport a = ReadOne(b.Build());
  EXPECT_EQ(a.FrequencyCount(), 1);
  EXPECT_EQ(a.RunwayCount(), 0);
  EXPECT_EQ(a.Frequencies[0].Frequency, "118.300");
  EXPECT_EQ(a.Frequencies[0].Type, 6);

  // An empty parking list ends the walk as well.
  AirportRecordBuilder e;
  e.Position(0, 0, 0).Ident("EMPT").ParkingList({}).Runway(Runway(5000, 3, 0x0F));
  EXPECT_EQ(ReadOne(e.Build()).RunwayCount(), 0);
}

TEST(FacilityFile, RecordOfAnotherKindKeepsOnlyItsNames) {
  AirportRecordBuilder b;
  b.FirstValue(2).Position(1, 1, 1).Ident("XXXX").Runway(Runway(5000, 3, 0x0F)).ParkingList({Parking(20, 10, 1)});
  SceneryAirport a = ReadOne(b.Build());
  EXPECT_EQ(a.Name + "/" + a.City + "/" + a.ICAO, "Field/Kloten/");
  EXPECT_EQ(a.RunwayCount(), 0);
  EXPECT_EQ(a.MaxParkingRadius, 0);
  EXPECT_EQ(a.MinParkingRadius, 9999);
}

TEST(FacilityFile, IndexNamesFollowTheirLevels) {
  auto record = [](const char* icao) { return AirportRecordBuilder().Position(0, 0, 0).Ident(icao).Build(); };
  FacilityFileBuilder f;
  f.Region("Europe");
  f.Country("France");
  f.State("Ile-de-France");
  f.City("Paris");
  f.Airport("Charles de Gaulle", record("LFPG"));
  f.Named(0x50003, "not used");
  f.City("Beauvais");
  f.Airport("Tille", record("LFOB"));
  f.Country("Spain");
  f.Airport("Barajas", record("LEMD"));
  std::vector<SceneryAirport> a;
  ASSERT_EQ(ReadAFDBytes(f.Build(), a), AfdFileResult::kRead);
  ASSERT_EQ(a.size(), 3u);
  auto place = [](const SceneryAirport& x) { return x.Region + "/" + x.Country + "/" + x.State + "/" + x.City; };
  EXPECT_EQ(place(a[0]), "Europe/France/Ile-de-France/Paris");
  EXPECT_EQ(place(a[1]), "Europe/France/Ile-de-France/Beauvais");
  EXPECT_EQ(place(a[2]), "Europe/Spain//");
}

// Written byte by byte, independent of the sample builders: names of three
// characters take four bytes, of four characters eight.
TEST(FacilityFile, StringsArePaddedToWholeWords) {
  std::string f(156, '\0');
  auto put = [&f](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f.push_back(static_cast<char>(v >> (8 * i)));
  };
  put(160);
  put(0x30001);
  for (int i = 0; i < 7; ++i) put(0);
  put(0x10001), put(0), f += std::string("ABC\0", 4), put(1), put(1);
  put(0x20001), put(0), f += std::string("ABCD\0\0\0\0", 8), put(1), put(1);
  const size_t airportValueAt = f.size() + 4;
  put(0x50001), put(0), f += std::string("AP\0\0", 4), put(0), put(0);
  const std::uint32_t record = static_cast<std::uint32_t>(f.size());
  f.replace(airportValueAt, 4, std::string{static_cast<char>(record), static_cast<char>(record >> 8), 0, 0});
  put(1), put(24), put(0), put(0);
  put(0x10006), put(8), f += std::string("KXYZ\0\0\0\0", 8);
  put(0), put(0);
  std::vector<SceneryAirport> a;
  ASSERT_EQ(ReadAFDBytes(f, a), AfdFileResult::kRead);
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].Region, "ABC");
  EXPECT_EQ(a[0].Country, "ABCD");
  EXPECT_EQ(a[0].Name, "AP");
  EXPECT_EQ(a[0].ICAO, "KXYZ");
}

TEST(FacilityFile, OtherFilesYieldNothing) {
  std::vector<SceneryAirport> a;
  FacilityFileBuilder wrong;
  wrong.SetIndexMagic(0x30002);
  wrong.Airport("X", AirportRecordBuilder().Ident("X").Build());
  EXPECT_EQ(ReadAFDBytes(wrong.Build(), a), AfdFileResult::kNotFacilityFile);
  FacilityFileBuilder stopped;
  stopped.SetNoWalk(true);
  stopped.Airport("X", AirportRecordBuilder().Ident("X").Build());
  EXPECT_EQ(ReadAFDBytes(stopped.Build(), a), AfdFileResult::kRead);
  EXPECT_EQ(ReadAFDBytes("", a), AfdFileResult::kNotFacilityFile);
  EXPECT_EQ(ReadAFDBytes("readme", a), AfdFileResult::kNotFacilityFile);
  EXPECT_TRUE(a.empty());
}

// A file cut anywhere is either read whole or skipped whole.
TEST(FacilityFile, TruncatedFilesAreSkippedWhole) {
  std::vector<sample::SampleAirport> specs = sample::SampleAirports();
  specs.resize(3);
  const std::string file = sample::BuildFacilityFile(specs);
  std::vector<SceneryAirport> full;
  ASSERT_EQ(ReadAFDBytes(file, full), AfdFileResult::kRead);
  for (size_t n = 0; n < file.size(); ++n) {
    std::vector<SceneryAirport> a;
    AfdFileResult r = ReadAFDBytes(std::string_view(file).substr(0, n), a);
    if (r == AfdFileResult::kRead) {
      EXPECT_EQ(a, full) << "cut at " << n;
    } else {
      EXPECT_TRUE(a.empty()) << "cut at " << n;
    }
  }
}

TEST(FacilityFile, OffsetsSizesAndCountsOutsideTheFileSkipIt) {
  auto patch = [](std::string record, size_t at, std::int32_t value) {
    for (int i = 0; i < 4; ++i) record[at + i] = static_cast<char>(static_cast<std::uint32_t>(value) >> (8 * i));
    return record;
  };
  const std::string record = AirportRecordBuilder().Position(0, 0, 0).Ident("GOOD").Runway(Runway(5000, 3, 0x0F))
                                 .ParkingList({Parking(20, 10, 1)}).Build();
  // Within the record: header 16, position 36, ident 16, runway 68.
  const size_t runwayAt = 68;
  const size_t parkingAt = runwayAt + 68;
  ASSERT_EQ(ReadOne(record).ParkingCount(), 1);
  struct Case {
    const char* what;
    std::string record;
  } cases[] = {
      {"negative sub-record size", patch(record, runwayAt + 4, -8)},
      {"parking count beyond the file", patch(record, parkingAt + 16, 0x7FFFFFFF)},
      {"skipped table beyond the file", patch(patch(record, parkingAt + 8, 0x10000), parkingAt + 12, 16)},
      {"negative skipped table", patch(record, parkingAt + 8, -1)},
      {"overflowing skipped table", patch(patch(record, parkingAt + 8, 0x7FFFFFFF), parkingAt + 12, 0x7FFFFFFF)},
  };
  for (const Case& c : cases) {
    std::vector<SceneryAirport> a;
    EXPECT_EQ(ReadAFDBytes(OneAirportFile(c.record), a), AfdFileResult::kBroken) << c.what;
    EXPECT_TRUE(a.empty()) << c.what;
  }
  // A sub-record claiming more than its record holds ends the walk there.
  SceneryAirport shortWalk = ReadOne(patch(record, runwayAt + 4, 0x7FFFFFF0));
  EXPECT_EQ(shortWalk.RunwayCount(), 1);
  EXPECT_EQ(shortWalk.ParkingCount(), 0);

  FacilityFileBuilder f;
  f.Airport("Good", record);
  std::string file = f.Build();
  std::vector<SceneryAirport> a;
  std::string badIndex = file;
  badIndex[156] = '\x7F';
  EXPECT_NE(ReadAFDBytes(badIndex, a), AfdFileResult::kRead);
  std::string badRecord = file;
  // The airport entry's value (its record offset) follows its kind at 192.
  badRecord.replace(196, 4, std::string("\xF0\xFF\xFF\x7F", 4));
  EXPECT_EQ(ReadAFDBytes(badRecord, a), AfdFileResult::kBroken);
  badRecord.replace(196, 4, std::string("\xFF\xFF\xFF\xFF", 4));
  EXPECT_EQ(ReadAFDBytes(badRecord, a), AfdFileResult::kBroken);
  EXPECT_TRUE(a.empty());
  EXPECT_FALSE(ReadAirportIdent(file, static_cast<std::int64_t>(file.size())).has_value());
  EXPECT_FALSE(ReadAirportIdent(file, -100).has_value());
}

class SceneryLoad : public ::testing::Test {
 protected:
  SceneryLoad() : env_("VELK_FS_PATH", (dir / "sim").string()) {
    std::filesystem::create_directories(program());
    context.programFolder = program();
    context.progress = [this](const std::string& t) { steps.push_back(t); };
  }
  std::filesystem::path program() const { return dir / "program"; }
  std::filesystem::path scenery() const { return dir / "sim" / "SCENEDB" / "AFDFILES" / "SCENERY"; }
  void WriteFacility(const std::string& name, const std::vector<sample::SampleAirport>& airports) {
    test::WriteFile(scenery() / name, sample::BuildFacilityFile(airports));
  }

  test::SceneryStateGuard guard;
  test::TempDir dir;
  test::ScopedEnv env_;
  ScriptedMessageBoxes boxes;
  SceneryLoadContext context;
  std::vector<std::string> steps;
};

TEST_F(SceneryLoad, ReadsEveryBglFileWhateverItsCaseAndWritesTheCache) {
  auto all = sample::SampleAirports();
  WriteFacility("AF2_E.BGL", {all[0], all[1]});
  WriteFacility("x.bgl", {all[2]});
  WriteFacility("Ab.bgl", {all[3]});  // before AF2_E.BGL: case does not count, as in the gate resize
  test::WriteFile(scenery() / "readme.txt", "not scenery");
  test::WriteFile(scenery() / "bgl", "too short a name");
  std::filesystem::create_directories(scenery() / "folder.bgl");
  std::vector<SceneryAirport> airports;
  ASSERT_TRUE(LoadSceneryAirports(airports, context));
  ASSERT_EQ(airports.size(), 4u);
  EXPECT_EQ(airports[0].ICAO, all[3].icao);
  EXPECT_EQ(airports[1].ICAO, all[0].icao);
  EXPECT_EQ(airports[3].ICAO, all[2].icao);
  EXPECT_EQ(steps, (std::vector<std::string>{"Getting FS2002 Scenery (File 'Ab.bgl')...",
                                             "Getting FS2002 Scenery (File 'AF2_E.BGL')...",
                                             "Getting FS2002 Scenery (File 'x.bgl')..."}));
  EXPECT_TRUE(boxes.Shown().empty());
  EXPECT_TRUE(std::filesystem::exists(program() / "AFDCache.dat"));
  EXPECT_EQ(SceneryCacheInfo().Version, "1.2");
  EXPECT_EQ(SceneryCacheInfo().Count, 4);
  EXPECT_GT(SceneryCacheInfo().Created, 40000.0);  // a date of this century

  // A list that is loaded is kept: nothing is read again.
  std::filesystem::remove_all(dir / "sim");
  steps.clear();
  EXPECT_TRUE(LoadSceneryAirports(airports, context));
  EXPECT_EQ(airports.size(), 4u);
  EXPECT_TRUE(steps.empty());

  // The cache serves a fresh list without any facility file.
  std::vector<SceneryAirport> again;
  ASSERT_TRUE(LoadSceneryAirports(again, context));
  EXPECT_EQ(again, airports);
  EXPECT_TRUE(steps.empty());
}

TEST_F(SceneryLoad, ABrokenFileIsSkippedAndTheOthersRead) {
  auto all = sample::SampleAirports();
  WriteFacility("A.BGL", {all[0]});
  std::string broken = sample::BuildFacilityFile({all[1], all[2]});
  test::WriteFile(scenery() / "B.BGL", broken.substr(0, broken.size() - 40));
  WriteFacility("C.BGL", {all[3]});
  std::vector<SceneryAirport> airports;
  ASSERT_TRUE(LoadSceneryAirports(airports, context));
  ASSERT_EQ(airports.size(), 2u);
  EXPECT_EQ(airports[1].ICAO, all[3].icao);
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(SceneryLoad, MissingSimulatorOrSceneryFolderFailsAndEmptiesTheSharedList) {
  {
    test::ScopedEnv none("VELK_FS_PATH", std::nullopt);
    std::vector<SceneryAirport> airports;
    EXPECT_FALSE(LoadSceneryAirports(airports, context));
    EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{"Couldn't find FS2002 Path."});
    EXPECT_EQ(boxes.Shown()[0].buttons, 16);
    EXPECT_TRUE(airports.empty());
  }
  boxes.Clear();
  SceneryAirports().resize(5);
  std::vector<SceneryAirport> own;
  EXPECT_FALSE(LoadSceneryAirports(own, context));
  ASSERT_EQ(boxes.Prompts().size(), 1u);
  EXPECT_EQ(boxes.Prompts()[0].rfind("Error during getting FS2002 Scenery ().\r\n", 0), 0u) << boxes.Prompts()[0];
  EXPECT_EQ(boxes.Shown()[0].owner, nullptr);
  EXPECT_TRUE(SceneryAirports().empty());
}

TEST_F(SceneryLoad, UnreadableFacilityFileFailsTheLoad) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  auto all = sample::SampleAirports();
  WriteFacility("A.BGL", {all[0]});
  WriteFacility("B.BGL", {all[1]});
  std::filesystem::permissions(scenery() / "B.BGL", std::filesystem::perms::none);
  std::vector<SceneryAirport> airports;
  EXPECT_FALSE(LoadSceneryAirports(airports, context));
  ASSERT_EQ(boxes.Prompts().size(), 1u);
  EXPECT_EQ(boxes.Prompts()[0].rfind("Error during getting FS2002 Scenery (B.BGL).\r\n", 0), 0u);
  EXPECT_TRUE(airports.empty());
}

TEST_F(SceneryLoad, CacheThatCannotBeWrittenKeepsTheAirports) {
  auto all = sample::SampleAirports();
  WriteFacility("A.BGL", {all[0], all[1]});
  context.programFolder = dir / "no such folder";
  std::vector<SceneryAirport> airports;
  EXPECT_TRUE(LoadSceneryAirports(airports, context));
  EXPECT_EQ(airports.size(), 2u);
  ASSERT_EQ(boxes.Prompts().size(), 1u);
  EXPECT_EQ(boxes.Prompts()[0].rfind("Error during getting FS2002 Scenery (A.BGL).\r\n", 0), 0u);
}

// The sample simulator spells its folders in mixed case; its facility
// files hold the sample plan's airports.
TEST_F(SceneryLoad, SampleSimulatorSceneryIsFound) {
  ASSERT_TRUE(sample::MakeSampleSimulator(dir / "sim"));
  std::vector<SceneryAirport> airports;
  ASSERT_TRUE(LoadSceneryAirports(airports, context));
  const std::vector<sample::SampleAirport> plan = sample::SamplePlanAirports();
  ASSERT_EQ(airports.size(), plan.size());
  EXPECT_EQ(airports.front().ICAO, plan.front().icao);
  EXPECT_TRUE(boxes.Shown().empty());
}

}  // namespace
}  // namespace velk
