// Gate resize over facility files built by the sample scenery builders:
// which spots change, which files are left alone (broken ones included),
// backups, failures, the size box and the discarding of the scenery.
#include "airport_tools/gate_resize.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "data/scenery_cache.h"
#include "data/scenery_test_support.h"
#include "sample_scenery.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using sample::AirportRecordBuilder;
using sample::FacilityFileBuilder;
using sample::SampleParking;

SampleParking Spot(int type, float radius = 18, int number = 1) {
  SampleParking k;
  k.type = type;
  k.radius = radius;
  k.number = number;
  return k;
}

std::string Record(const std::string& icao, const std::vector<SampleParking>& spots) {
  return AirportRecordBuilder().Position(50, 8, 100).Ident(icao).ParkingList(spots).Build();
}

// EDDF (Germany, Hessen) and KJFK (United States), each with two heavy gates
// and a small one.
std::string TwoAirports() {
  FacilityFileBuilder f;
  f.Region("Europe");
  f.Country("Germany");
  f.State("Hessen");
  f.City("Frankfurt");
  f.Airport("Frankfurt Main", Record("EDDF", {Spot(10), Spot(8), Spot(10, 30)}));
  f.Region("North America");
  f.Country("United States");
  f.City("New York");
  f.Airport("Kennedy", Record("KJFK", {Spot(10), Spot(8), Spot(10)}));
  return f.Build();
}

// The radii of every airport's spots as the reader sees them.
std::vector<std::vector<float>> Radii(const std::string& bytes) {
  std::vector<SceneryAirport> airports;
  EXPECT_EQ(ReadAFDBytes(bytes, airports), AfdFileResult::kRead);
  std::vector<std::vector<float>> out;
  for (const SceneryAirport& a : airports) {
    out.emplace_back();
    for (const SceneryParking& k : a.Parkings) out.back().push_back(k.Radius);
  }
  return out;
}

GateFilePatch Patch(std::string& bytes, int type, float metres, const std::string& search = "",
                    const std::string& icao = "") {
  return PatchGateRadii(bytes, type, metres, GateFilter{search, icao});
}

TEST(GateResize, EveryAirportWhenBothFiltersAreEmpty) {
  std::string bytes = TwoAirports();
  const std::string before = bytes;
  GateFilePatch patch = Patch(bytes, 10, 12.5f);
  EXPECT_EQ(patch.file, AfdFileResult::kRead);
  EXPECT_EQ(patch.resized, 4);
  EXPECT_EQ(Radii(bytes), (std::vector<std::vector<float>>{{12.5f, 18, 12.5f}, {12.5f, 18, 12.5f}}));
  // Only radius bytes changed.
  ASSERT_EQ(bytes.size(), before.size());
  int changed = 0;
  for (size_t i = 0; i < bytes.size(); ++i) changed += bytes[i] != before[i];
  EXPECT_LE(changed, 16);
}

TEST(GateResize, FiltersJoinLocationAndIcaoByOr) {
  struct Case {
    const char* search;
    const char* icao;
    int resized;
  };
  const Case cases[] = {{"germany", "", 2}, {"", "ed", 2},    {"", "JFK", 2},   {"germany", "KJFK", 4},
                        {"hess", "", 2},    {"kennedy", "", 2}, {"ASIA", "", 0}, {"", "XX", 0},
                        {"north", "", 2}};
  for (const Case& c : cases) {
    std::string bytes = TwoAirports();
    EXPECT_EQ(Patch(bytes, 10, 20, c.search, c.icao).resized, c.resized) << c.search << "/" << c.icao;
  }
  // Region and country carry on to the next airport until they change; a
  // new country clears the state.
  std::string bytes = TwoAirports();
  Patch(bytes, 8, 5, "hessen");
  EXPECT_EQ(Radii(bytes), (std::vector<std::vector<float>>{{18, 5, 30}, {18, 18, 18}}));
}

TEST(GateResize, TypeComesFromBitsTwentyToTwentyThree) {
  std::string bytes = TwoAirports();
  EXPECT_EQ(Patch(bytes, 8, 9).resized, 2);
  EXPECT_EQ(Patch(bytes, 2, 9).resized, 0);
  EXPECT_EQ(GateTypeCode("Gate Heavy"), 10);
  EXPECT_EQ(GateTypeCode("Dock GA"), 11);
  EXPECT_EQ(GateTypeCode("Ramp GA Small"), 2);
  EXPECT_EQ(GateTypeCode("gate heavy"), 0);
  EXPECT_EQ(kGateTypes.front().text, std::string("Dock GA"));
}

TEST(GateResize, OnlyTheFirstParkingListOfAnAirport) {
  FacilityFileBuilder f;
  f.Airport("Twice", AirportRecordBuilder()
                         .Position(1, 1, 0)
                         .Ident("TWCE")
                         .ParkingList({Spot(10)})
                         .ParkingList({Spot(10)})
                         .Build());
  std::string bytes = f.Build();
  const std::string second = bytes.substr(bytes.size() - 40);
  EXPECT_EQ(Patch(bytes, 10, 44).resized, 1);
  EXPECT_EQ(bytes.substr(bytes.size() - 40), second);
}

TEST(GateResize, FilesThatAreNoFacilityFilesOrSayNotToWalk) {
  FacilityFileBuilder wrongMark;
  wrongMark.SetIndexMagic(0x30002);
  wrongMark.Airport("A", Record("AAAA", {Spot(10)}));
  std::string bytes = wrongMark.Build();
  std::string before = bytes;
  EXPECT_EQ(Patch(bytes, 10, 1).file, AfdFileResult::kNotFacilityFile);
  EXPECT_EQ(bytes, before);

  FacilityFileBuilder noWalk;
  noWalk.SetNoWalk(true);
  noWalk.Airport("A", Record("AAAA", {Spot(10)}));
  bytes = noWalk.Build();
  before = bytes;
  EXPECT_EQ(Patch(bytes, 10, 1).resized, 0);
  EXPECT_EQ(bytes, before);

  std::string tiny = "BGL";
  EXPECT_EQ(Patch(tiny, 10, 1).file, AfdFileResult::kNotFacilityFile);
}

// Broken structure: nothing is written, nothing hangs, the size stays.
TEST(GateResize, BrokenFilesAreLeftAsTheyAre) {
  std::vector<std::string> broken;
  {
    FacilityFileBuilder f;  // the record lies beyond the end of the file
    f.AirportAt("Far", 1 << 30);
    broken.push_back(f.Build());
  }
  {
    FacilityFileBuilder f;  // a parking count far beyond the file
    f.Airport("Many", AirportRecordBuilder().Ident("MANY").ParkingListStating(0, 0, 0x7FFFFFFF, {Spot(10)}).Build());
    broken.push_back(f.Build());
  }
  {
    FacilityFileBuilder f;  // an unused table of n x m bytes past 32 bits
    f.Airport("Wide", AirportRecordBuilder().Ident("WIDE").ParkingListStating(0x10000, 0x10000, 1, {Spot(10)}).Build());
    broken.push_back(f.Build());
  }
  {
    FacilityFileBuilder f;  // a sub-record length that would walk backwards
    f.Airport("Back", AirportRecordBuilder()
                          .Ident("BACK")
                          .RawSized(0x10005, std::string(8, '\0'), static_cast<std::int32_t>(0xFFFFFFF8))
                          .ParkingList({Spot(10)})
                          .Build());
    broken.push_back(f.Build());
  }
  {
    FacilityFileBuilder f;  // spots written past their own parking list
    f.Airport("Over", AirportRecordBuilder()
                          .Ident("OVER")
                          .RawSized(0x11001, std::string(16, '\0') + std::string(20, '\0'), 8)
                          .Build());
    std::string bytes = f.Build();
    // count = 1 at its place after the empty table
    const size_t at = bytes.find(std::string("\x01\x10\x01\x00", 4));
    ASSERT_NE(at, std::string::npos);
    bytes[at + 16] = 1;
    bytes[at + 42] = static_cast<char>(0xA0);  // flags 0x00A00000: type 10
    // The reader takes the spot; the patch does not write outside its list.
    std::vector<SceneryAirport> read;
    ASSERT_EQ(ReadAFDBytes(bytes, read), AfdFileResult::kRead);
    ASSERT_EQ(read.at(0).Parkings.size(), 1u);
    EXPECT_EQ(read[0].Parkings[0].Type, 10);
    broken.push_back(bytes);
  }
  for (size_t i = 0; i < broken.size(); ++i) {
    std::string bytes = broken[i];
    GateFilePatch patch = Patch(bytes, 10, 99);
    EXPECT_EQ(patch.file, AfdFileResult::kBroken) << i;
    EXPECT_EQ(patch.resized, 0) << i;
    EXPECT_EQ(bytes, broken[i]) << i;
  }
}

TEST(GateSize, ReadAsWrittenAndLabelledAsWritten) {
  EXPECT_EQ(ParseGateSize("12.5"), 12.5f);
  EXPECT_EQ(ParseGateSize(" 3 "), 3.0f);
  for (const char* bad : {"", "abc", "0", "-5", "1e30", "12,5", "1.2.3", "99999999999999999999999999999999999999999"})
    EXPECT_FALSE(ParseGateSize(bad).has_value()) << bad;
  EXPECT_EQ(CheckGateSize("12.5"), "");
  EXPECT_EQ(CheckGateSize("x"), "Size has to be a numeric value.");
  EXPECT_EQ(CheckGateSize("0"), "Size has to be greater than 0.");
  EXPECT_EQ(CheckGateSize("-5"), "Size has to be greater than 0.");
  EXPECT_EQ(GateSizeLabel("12.5"), "New &Size (m) - 41.01 ft");
  EXPECT_EQ(GateSizeLabel("13.5"), "New &Size (m) - 44.29 ft");
  EXPECT_EQ(GateSizeLabel("1"), "New &Size (m) - 3.28 ft");
  EXPECT_EQ(GateSizeLabel("no"), "New &Size (m)");
  EXPECT_EQ(GateSizeLabel("0"), "New &Size (m)");
}

class GateResizeFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteFile(dir / "A.BGL", TwoAirports());
    test::WriteFile(dir / "b.bgl", TwoAirports());
    test::WriteFile(dir / "BGL", TwoAirports());
    test::WriteFile(dir / "readme.txt", "not scenery");
  }
  GateResizeResult Run(bool backup = true) {
    GateResizeRequest r;
    r.type = 10;
    r.metres = 25;
    r.backup = backup;
    return ResizeGates(dir.path(), r, [&](const std::string& name, int k, int n) {
      heard.push_back(name + " " + std::to_string(k) + "/" + std::to_string(n));
    });
  }
  test::TempDir dir;
  std::vector<std::string> heard;
};

TEST_F(GateResizeFolder, WalksTheFacilityFilesAndBacksEachUpOnce) {
  GateResizeResult r = Run();
  EXPECT_EQ(r.resized, 8);
  EXPECT_EQ(r.filesChanged, 2);
  EXPECT_TRUE(r.failed.empty());
  EXPECT_EQ(heard, (std::vector<std::string>{"A.BGL 1/2", "b.bgl 2/2"}));
  EXPECT_EQ(Radii(*test::ReadFile(dir / "b.bgl")).front().front(), 25.0f);
  EXPECT_EQ(test::ReadFile(dir / "BGL"), TwoAirports());
  EXPECT_EQ(test::ReadFile(dir / "A.BGL.velk.bak"), TwoAirports());
  EXPECT_FALSE(fs::exists(dir / "BGL.velk.bak"));

  // A second run keeps the first backups; the spots count again although
  // the files need no new writing.
  r = Run();
  EXPECT_EQ(r.resized, 8);
  EXPECT_EQ(r.filesChanged, 0);
  EXPECT_EQ(test::ReadFile(dir / "A.BGL.velk.bak"), TwoAirports());
  // Nothing but the files and their backups lies in the folder.
  int entries = 0;
  for (const auto& e : fs::directory_iterator(dir.path())) entries += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(entries, 6);
}

TEST_F(GateResizeFolder, WalksByNameWithoutRegardToCase) {
  test::WriteFile(dir / "C.BGL", TwoAirports());
  test::WriteFile(dir / "a0.bgl", TwoAirports());
  Run(false);
  EXPECT_EQ(heard, (std::vector<std::string>{"A.BGL 1/4", "a0.bgl 2/4", "b.bgl 3/4", "C.BGL 4/4"}));
}

TEST_F(GateResizeFolder, WithoutBackupsNoneAreMade) {
  Run(false);
  EXPECT_FALSE(fs::exists(dir / "A.BGL.velk.bak"));
  EXPECT_EQ(Radii(*test::ReadFile(dir / "A.BGL")).back().back(), 25.0f);
}

TEST_F(GateResizeFolder, AFailingFileIsNamedAndTheWalkGoesOn) {
  FacilityFileBuilder f;
  f.AirportAt("Far", 1 << 30);
  test::WriteFile(dir / "A.BGL", f.Build());
  GateResizeResult r = Run();
  EXPECT_EQ(r.failed, std::vector<std::string>{"A.BGL"});
  EXPECT_EQ(r.resized, 4);
  EXPECT_EQ(r.filesChanged, 1);

  // A folder that is not there is named too.
  GateResizeRequest request;
  request.type = 10;
  request.metres = 3;
  r = ResizeGates(dir / "missing", request);
  EXPECT_EQ(r.failed, std::vector<std::string>{(dir / "missing").string()});
}

TEST_F(GateResizeFolder, AReadOnlyFileIsNotReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
  ::chmod((dir / "A.BGL").c_str(), 0444);
  GateResizeResult r = Run(false);
  EXPECT_EQ(r.failed, std::vector<std::string>{"A.BGL"});
  EXPECT_EQ(test::ReadFile(dir / "A.BGL"), TwoAirports());
  EXPECT_EQ(r.filesChanged, 1);
}

TEST_F(GateResizeFolder, ALinkedFileIsRewrittenWhereItLies) {
  test::WriteFile(dir / "elsewhere" / "real.dat", TwoAirports());
  fs::remove(dir / "b.bgl");
  fs::create_symlink(dir / "elsewhere" / "real.dat", dir / "b.bgl");
  GateResizeResult r = Run(false);
  EXPECT_TRUE(r.failed.empty());
  EXPECT_TRUE(fs::is_symlink(dir / "b.bgl"));
  EXPECT_EQ(Radii(*test::ReadFile(dir / "elsewhere" / "real.dat")).front().front(), 25.0f);
  // A link that leads nowhere is no file to walk.
  fs::remove(dir / "elsewhere" / "real.dat");
  r = Run(false);
  EXPECT_TRUE(r.failed.empty());
  EXPECT_EQ(r.filesChanged, 0);
}

TEST(SceneryDiscard, DeletesTheCacheAndForgetsTheAirports) {
  test::SceneryStateGuard guard;
  test::TempDir dir;
  test::WriteFile(dir / kSceneryCacheFileName, "cache");
  SceneryAirports().resize(3);
  EXPECT_TRUE(DiscardSceneryAirports(dir.path()));
  EXPECT_TRUE(SceneryAirports().empty());
  EXPECT_FALSE(fs::exists(dir / kSceneryCacheFileName));
  // No cache is no error.
  EXPECT_TRUE(DiscardSceneryAirports(dir.path()));
  // A cache that cannot go is reported.
  fs::create_directories(dir / kSceneryCacheFileName / "inside");
  EXPECT_FALSE(DiscardSceneryAirports(dir.path()));
  // Through another user's link nothing goes.
  test::WriteFile(dir / "real" / kSceneryCacheFileName, "cache");
  fs::create_symlink(dir / "real", dir / "theirs");
  ASSERT_EQ(::lchown((dir / "theirs").c_str(), 65534, 65534), 0);
  EXPECT_FALSE(DiscardSceneryAirports(dir / "theirs"));
  EXPECT_TRUE(fs::exists(dir / "real" / kSceneryCacheFileName));
}

}  // namespace
}  // namespace velk
