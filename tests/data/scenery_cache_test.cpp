#include "data/scenery_cache.h"

#include <gtest/gtest.h>

#include "data/scenery_test_support.h"
#include "platform/message_box.h"
#include "sample_scenery.h"
#include "support/test_support.h"

namespace velk {
namespace {

// Airports as the facility reader gives them, with every field set to
// something other than its default.
std::vector<SceneryAirport> ReadSample(int count) {
  std::vector<sample::SampleAirport> specs = sample::GeneratedAirports(count);
  std::vector<SceneryAirport> airports;
  ReadAFDBytes(sample::BuildFacilityFile(specs), airports);
  return airports;
}

SceneryAirport FullAirport() {
  SceneryAirport a;
  a.Name = "Z\xFCrich";  // a Windows-1252 byte
  a.ICAO = "LSZH";
  a.Latitude = "N47*27.8820'";
  a.Longitude = "E8*32.9520'";
  a.Elevation = 432;
  a.Region = "Europe";
  a.Country = "Switzerland";
  a.State = "Zurich";
  a.City = "Kloten";
  a.LandingLength = 12139;
  a.TakeoffLength = 10000;
  a.LandingSurface = 1;
  a.TakeoffSurface = 2;
  SceneryRunway r;
  r.ReservedText1 = "";
  r.Elevation = 430;
  r.Heading = 137.5f;
  r.Variation = -1.25f;
  r.Length = 12139;
  r.Width = 200;
  r.Designator = 3;
  r.Number = 14;
  r.Surface = 2;
  r.LandingEnd1 = true;
  r.TakeoffEnd2 = true;
  r.PatternEnd1 = 2;
  r.PatternEnd2 = 1;
  r.ExtraValue = -123456789;
  r.ILSFrequencyEnd1 = "110.500";
  r.ILSHeadingEnd1 = 137.0f;
  r.ILSIdentEnd1 = "IZH";
  r.ILSHeadingEnd2 = 317.0f;
  r.ILSFrequencyEnd2 = "108.300";
  r.ILSIdentEnd2 = "IKL";
  a.Runways = {r, r};
  a.Runways[1].Number = 32;
  a.Parkings = {{-7, 987654321, 37.5f, 270.25f, 10, "Gate A 3", 0x00A0018C}};
  a.Frequencies = {{"Zurich Tower", "118.100", 6}, {"ATIS", "128.525", 1}};
  a.MaxParkingRadius = 38;
  a.MinParkingRadius = 38;
  return a;
}

TEST(SceneryCache, EveryFieldRoundTrips) {
  std::vector<SceneryAirport> airports = ReadSample(30);
  airports.push_back(FullAirport());
  SceneryAirport bare;  // no runway, parking or frequency
  bare.ICAO = "NONE";
  airports.push_back(bare);
  SceneryCacheHeader header;
  header.Version = "whatever";
  header.Created = 46000.75;
  header.Count = static_cast<std::int32_t>(airports.size());
  std::string bytes = EncodeSceneryCache(airports, header);
  EXPECT_EQ(header.Version, "1.2");

  std::vector<SceneryAirport> read;
  SceneryCacheHeader readHeader;
  ASSERT_EQ(DecodeSceneryCache(bytes, read, readHeader), SceneryCacheResult::kRead);
  EXPECT_EQ(readHeader, header);
  EXPECT_EQ(read, airports);
  EXPECT_EQ(read.back().RunwayCount(), 0);
  // An empty scan as well.
  SceneryCacheHeader none;
  ASSERT_EQ(DecodeSceneryCache(EncodeSceneryCache({}, none), read, readHeader), SceneryCacheResult::kRead);
  EXPECT_TRUE(read.empty());
}

TEST(SceneryCache, ByteLayoutOfHeaderAndLists) {
  SceneryAirport a;
  a.ICAO = "AB";
  a.Parkings = {{1, 2, 3.0f, 4.0f, 5, "P", 6}};
  SceneryCacheHeader header;
  header.Created = 2.5;  // 1 January 1900, noon
  header.Count = 1;
  std::string bytes = EncodeSceneryCache({a}, header);
  const std::string expectedHeader("\x03\x00" "1.2" "\x00\x00\x00\x00\x00\x00\x04\x40" "\x01\x00\x00\x00", 17);
  EXPECT_EQ(bytes.substr(0, 17), expectedHeader);
  // Name (empty), ICAO "AB", two empty position texts, elevation 0.
  EXPECT_EQ(bytes.substr(17, 12), std::string("\x00\x00\x02\x00" "AB" "\x00\x00\x00\x00\x00\x00", 12));
  // After the four location texts and four numbers: an empty runway list,
  // its count, then the parking list with one dimension of one element.
  size_t at = 17 + 14 + 4 * 2 + 4 * 4;
  EXPECT_EQ(bytes.substr(at, 2 + 4), std::string("\x00\x00\x00\x00\x00\x00", 6));
  at += 6;
  EXPECT_EQ(bytes.substr(at, 10), std::string("\x01\x00\x01\x00\x00\x00\x00\x00\x00\x00", 10));
  // Total: header, 8 texts, 5 numbers, 3 lists with counts, one parking, 2 radii.
  EXPECT_EQ(bytes.size(), 17u + 8 * 2 + 2 + 5 * 4 + 6 + (10 + 4 * 6 + 3) + 4 + 6 + 8);
}

TEST(SceneryCache, OtherVersionLeavesTheListAlone) {
  SceneryCacheHeader header;
  std::string bytes = EncodeSceneryCache(ReadSample(2), header);
  bytes.replace(2, 3, "1.1");
  std::vector<SceneryAirport> list(1);
  SceneryCacheHeader read;
  EXPECT_EQ(DecodeSceneryCache(bytes, list, read), SceneryCacheResult::kOtherVersion);
  EXPECT_EQ(read.Version, "1.1");
  EXPECT_EQ(list.size(), 1u);
}

TEST(SceneryCache, TruncatedOrGarbledCacheFailsWithoutTouchingTheList) {
  SceneryCacheHeader header;
  std::vector<SceneryAirport> airports = ReadSample(3);
  airports.push_back(FullAirport());
  header.Count = static_cast<std::int32_t>(airports.size());
  const std::string bytes = EncodeSceneryCache(airports, header);
  for (size_t n = 0; n < bytes.size(); ++n) {
    std::vector<SceneryAirport> list(1);
    SceneryCacheHeader read;
    std::string error;
    EXPECT_EQ(DecodeSceneryCache(std::string_view(bytes).substr(0, n), list, read, &error),
              SceneryCacheResult::kFailed) << "cut at " << n;
    EXPECT_EQ(list.size(), 1u);
    EXPECT_FALSE(error.empty());
  }
  // A count far beyond what the bytes can hold is refused before anything
  // is allocated for it.
  std::string huge = bytes;
  huge.replace(13, 4, std::string("\xFF\xFF\xFF\x7F", 4));
  std::vector<SceneryAirport> list;
  SceneryCacheHeader read;
  EXPECT_EQ(DecodeSceneryCache(huge, list, read), SceneryCacheResult::kFailed);
  huge.replace(13, 4, std::string("\xFF\xFF\xFF\xFF", 4));
  EXPECT_EQ(DecodeSceneryCache(huge, list, read), SceneryCacheResult::kFailed);
  // A list count that disagrees with its stored count.
  SceneryAirport one;
  one.Runways.resize(1);
  std::string mismatch = EncodeSceneryCache({one}, header);
  mismatch.replace(13, 4, std::string("\x01\x00\x00\x00", 4));
  size_t runwayCountAt = 17 + 8 * 2 + 5 * 4 + 10 + 72;
  mismatch.replace(runwayCountAt, 4, std::string("\x02\x00\x00\x00", 4));
  EXPECT_EQ(DecodeSceneryCache(mismatch, list, read), SceneryCacheResult::kFailed);
  EXPECT_TRUE(list.empty());
}

class CacheFile : public ::testing::Test {
 protected:
  CacheFile() : env_("VELK_FS_PATH", (dir / "sim").string()) {
    std::filesystem::create_directories(dir / "program");
    context.programFolder = dir / "program";
  }
  std::filesystem::path cache() const { return dir / "program" / "AFDCache.dat"; }

  test::SceneryStateGuard guard;
  test::TempDir dir;
  test::ScopedEnv env_;
  ScriptedMessageBoxes boxes;
  SceneryLoadContext context;
};

TEST_F(CacheFile, SavedAtomicallyAndLoadedBack) {
  std::vector<SceneryAirport> airports = ReadSample(5);
  test::WriteFile(cache(), "old cache");
  SceneryCacheHeader header;
  header.Count = 5;
  ASSERT_TRUE(SaveSceneryCache(cache(), airports, header));
  std::vector<SceneryAirport> read;
  SceneryCacheHeader readHeader;
  ASSERT_EQ(LoadSceneryCache(cache(), read, readHeader), SceneryCacheResult::kRead);
  EXPECT_EQ(read, airports);
  // Nothing but the cache is left in the folder.
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir / "program")) ++files;
  EXPECT_EQ(files, 1);

  std::string error;
  EXPECT_FALSE(SaveSceneryCache(dir / "missing" / "AFDCache.dat", airports, header, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(LoadSceneryCache(dir / "missing.dat", read, readHeader, &error), SceneryCacheResult::kFailed);
}

TEST_F(CacheFile, ExistingCacheIsUsedEvenWhenTheSceneryIsNewer) {
  std::vector<SceneryAirport> cached = ReadSample(3);
  SceneryCacheHeader header;
  header.Created = 1.0;
  header.Count = 3;
  ASSERT_TRUE(SaveSceneryCache(cache(), cached, header));
  ASSERT_TRUE(sample::WriteSceneryFiles(dir / "sim", sample::SampleAirports()));
  std::vector<SceneryAirport> airports;
  ASSERT_TRUE(LoadSceneryAirports(airports, context));
  EXPECT_EQ(airports, cached);
  EXPECT_EQ(SceneryCacheInfo().Created, 1.0);
}

TEST_F(CacheFile, OlderVersionIsReplacedAfterAScan) {
  SceneryCacheHeader header;
  header.Count = 3;
  std::string old = EncodeSceneryCache(ReadSample(3), header);
  old.replace(2, 3, "1.1");
  test::WriteFile(cache(), old);
  auto sampleAirports = sample::SampleAirports();
  ASSERT_TRUE(sample::WriteSceneryFiles(dir / "sim", sampleAirports));
  std::vector<SceneryAirport> airports;
  ASSERT_TRUE(LoadSceneryAirports(airports, context));
  EXPECT_EQ(airports.size(), sampleAirports.size());
  std::vector<SceneryAirport> reread;
  SceneryCacheHeader readHeader;
  ASSERT_EQ(LoadSceneryCache(cache(), reread, readHeader), SceneryCacheResult::kRead);
  EXPECT_EQ(readHeader.Version, "1.2");
  EXPECT_EQ(reread, airports);
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(CacheFile, BrokenCacheIsReportedAndNothingIsLoaded) {
  SceneryCacheHeader header;
  header.Count = 3;
  std::string bytes = EncodeSceneryCache(ReadSample(3), header);
  test::WriteFile(cache(), bytes.substr(0, bytes.size() / 2));
  ASSERT_TRUE(sample::WriteSceneryFiles(dir / "sim", sample::SampleAirports()));
  SceneryAirports().resize(2);
  std::vector<SceneryAirport> airports;
  EXPECT_FALSE(LoadSceneryAirports(airports, context));
  EXPECT_TRUE(airports.empty());
  EXPECT_TRUE(SceneryAirports().empty());
  ASSERT_EQ(boxes.Prompts().size(), 1u);
  EXPECT_EQ(boxes.Prompts()[0], "Error during getting FS2002 Scenery ().\r\nInput past end of file");
  EXPECT_EQ(boxes.Shown()[0].buttons, 16);
}

}  // namespace
}  // namespace velk
