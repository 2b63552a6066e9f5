#include "data/geodesy.h"

#include <gtest/gtest.h>

#include "data/scenery_test_support.h"
#include "platform/message_box.h"
#include "sample_scenery.h"
#include "support/test_support.h"

namespace velk {
namespace {

struct Coord {
  std::int32_t deg, min;
};

Coord Parse(const char* text, bool* ok = nullptr) {
  Coord c{99, 99};
  bool r = ParseCoordinate(text, c.deg, c.min);
  if (ok) *ok = r;
  return c;
}

// Positions as latitude degrees/minutes then longitude degrees/minutes,
// west positive.
std::int32_t Distance(Coord a1, Coord o1, Coord a2, Coord o2) {
  return GetGreatCircleDistance(a1.deg, a1.min, o1.deg, o1.min, a2.deg, a2.min, o2.deg, o2.min);
}
std::int32_t Course(Coord a1, Coord o1, Coord a2, Coord o2) {
  return GetInitialCourse(a1.deg, a1.min, o1.deg, o1.min, a2.deg, a2.min, o2.deg, o2.min);
}

// West and north count positive, minutes are cut, not rounded. The traffic
// compiler counts east positive: both are deliberate, and these values must
// not be "aligned" with the compiler's.
TEST(ParseCoordinate, WholeDegreesAndMinutesWithHemisphereSign) {
  struct Case {
    const char* text;
    bool ok;
    std::int32_t deg, min;
  };
  const Case cases[] = {
      {"N47* 26.99'", true, 47, 26},  {"S33* 56.50'", true, -33, -56}, {"E8* 34.21'", true, -8, -34},
      {"W8* 34.21'", true, 8, 34},    {"W71* 0.38'", true, 71, 0},     {"e008* 33.00'", true, -8, -33},
      // Parts that are no number stay 0 but the form is accepted.
      {"Nxx* yy.5'", true, 0, 0},
      // Without the star or the decimal point: refused, and 0.
      {"N47* 26'", false, 0, 0},      {"N47 26.99", false, 0, 0},      {"", false, 0, 0},
  };
  for (const Case& c : cases) {
    bool ok = !c.ok;
    Coord got = Parse(c.text, &ok);
    EXPECT_EQ(ok, c.ok) << c.text;
    EXPECT_EQ(got.deg, c.deg) << c.text;
    EXPECT_EQ(got.min, c.min) << c.text;
  }
}

TEST(GreatCircle, DistancesWorkedByHand) {
  const Coord z{0, 0};
  EXPECT_EQ(Distance(z, z, {1, 0}, z), 60);
  EXPECT_EQ(Distance(z, z, z, {1, 0}), 60);
  EXPECT_EQ(Distance(z, z, z, z), 0);
  EXPECT_EQ(Distance(z, z, z, {90, 0}), 5400);  // a quarter of the equator
  // London Heathrow N51*28' W0*27' to New York N40*38' W73*47': 2990.05 nm.
  EXPECT_EQ(Distance({51, 28}, {0, 27}, {40, 38}, {73, 47}), 2990);
  EXPECT_EQ(Distance({40, 38}, {73, 47}, {51, 28}, {0, 27}), 2990);
  // Southern and eastern halves: S33*56' E151*10' to S37*0' E174*47'.
  EXPECT_EQ(Distance({-33, -56}, {-151, -10}, {-37, 0}, {-174, -47}), Distance({33, 56}, {151, 10}, {37, 0}, {174, 47}));
  // Antipodes: the cosine of the arc is exactly -1, half the world, not 0.
  EXPECT_EQ(Distance(z, z, z, {180, 0}), 10800);
  EXPECT_EQ(Distance({90, 0}, z, {-90, 0}, z), 10800);
  // E179 to W179 on the equator: two degrees east over the date line.
  EXPECT_EQ(Distance(z, {-179, 0}, z, {179, 0}), 120);
  // Fiji S17*45' E177*26' to Honolulu N21*19' W157*55', about 2765 nm.
  std::int32_t d = Distance({-17, -45}, {-177, -26}, {21, 19}, {157, 55});
  EXPECT_TRUE(d > 2700 && d < 2800) << d;
}

TEST(GreatCircle, CoursesInEveryQuadrant) {
  const Coord z{0, 0};
  struct Case {
    Coord lat1, lon1, lat2, lon2;
    std::int32_t course;
  };
  const Case cases[] = {
      {z, z, {1, 0}, z, 0},           {{1, 0}, z, z, z, 180},         {z, z, z, {1, 0}, 270},  // west
      {z, z, z, {-1, 0}, 90},         {z, z, {1, 0}, {-1, 0}, 45},    {z, z, {-1, 0}, {-1, 0}, 135},
      {z, z, {-1, 0}, {1, 0}, 225},   {z, z, {1, 0}, {1, 0}, 315},    {{47, 30}, z, {47, 10}, z, 180},
      {z, z, z, z, 0},                {z, z, z, {-180, 0}, 90},
      // Heathrow to New York 287.94, back 51.35.
      {{51, 28}, {0, 27}, {40, 38}, {73, 47}, 288}, {{40, 38}, {73, 47}, {51, 28}, {0, 27}, 51},
      // Over the date line, both ways.
      {z, {-179, 0}, z, {179, 0}, 90}, {z, {179, 0}, z, {-179, 0}, 270},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Course(c.lat1, c.lon1, c.lat2, c.lon2), c.course)
        << c.lat1.deg << "/" << c.lon1.deg << " to " << c.lat2.deg << "/" << c.lon2.deg;
  // Fiji to Honolulu goes north-east.
  std::int32_t fiji = Course({-17, -45}, {-177, -26}, {21, 19}, {157, 55});
  EXPECT_TRUE(fiji > 20 && fiji < 60) << fiji;
}

class AirportLookup : public ::testing::Test {
 protected:
  test::SceneryStateGuard guard;
  ScriptedMessageBoxes boxes;
};

TEST_F(AirportLookup, PlanAirportsAreFoundInAnyCase) {
  test::AddPlanAirport("KBOS", "N42* 21.86'", "W71* 0.31'");
  test::AddPlanAirport("KJFK", "N40* 38.39'", "W73* 46.73'");
  test::AddPlanAirport("BAD1", "N40 38", "W73* 46.73'");
  Plan().PlanLoaded = true;
  EXPECT_EQ(GetAirportDistance("KBOS", "KBOS"), 0);
  EXPECT_EQ(GetAirportDistance("KNOWHERE", "KNOWHERE"), 0);
  std::int32_t d = GetAirportDistance("KBOS", "KJFK");
  EXPECT_EQ(GetAirportDistance("kbos", "kjfk"), d);
  EXPECT_EQ(d, Distance({42, 21}, {71, 0}, {40, 38}, {73, 46}));
  EXPECT_EQ(GetAirportDistance("KBOS", "XXXX"), -1);
  EXPECT_EQ(GetAirportDistance("KBOS", "BAD1"), -1);
  EXPECT_EQ(GetAirportCourse("kbos", "KJFK"), Course({42, 21}, {71, 0}, {40, 38}, {73, 46}));
  EXPECT_EQ(GetAirportCourse("KBOS", "XXXX"), -1);
  EXPECT_TRUE(SceneryAirports().empty());  // never touched while a plan is loaded
}

TEST_F(AirportLookup, CourseNeverUsesTheScenery) {
  SceneryAirport a, b;
  a.ICAO = "AAAA";
  a.Latitude = "N0*0.0000'";
  a.Longitude = "E0*0.0000'";
  b = a;
  b.ICAO = "BBBB";
  b.Latitude = "N1*0.0000'";
  SceneryAirports() = {a, b};
  EXPECT_EQ(GetAirportDistance("AAAA", "BBBB"), 60);
  EXPECT_EQ(GetAirportCourse("AAAA", "BBBB"), -1);
  // Scenery idents match exactly, case counting.
  EXPECT_EQ(GetAirportDistance("aaaa", "BBBB"), -1);
}

TEST_F(AirportLookup, LoadsTheSceneryOnFirstNeedWithoutAPlan) {
  test::TempDir dir;
  std::vector<sample::SampleAirport> airports = sample::SampleAirports();
  ASSERT_TRUE(sample::WriteSceneryFiles(dir / "sim", airports));
  test::ScopedEnv env("VELK_FS_PATH", (dir / "sim").string());
  std::vector<std::string> waits;
  int ended = 0;
  DefaultSceneryContext().programFolder = dir / "program";
  std::filesystem::create_directories(dir / "program");
  DefaultSceneryContext().beginWait = [&](const std::string& t) { waits.push_back(t); };
  DefaultSceneryContext().endWait = [&] { ++ended; };

  std::int32_t d = GetAirportDistance("EGLL", "KJFK");
  EXPECT_EQ(waits, std::vector<std::string>{"Getting FS2002 Scenery..."});
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(SceneryAirports().size(), airports.size());
  // 51.4775N 0.4614W to 40.6398N 73.7789W, read back as whole minutes.
  EXPECT_EQ(d, Distance({51, 28}, {0, 27}, {40, 38}, {73, 46}));
  EXPECT_EQ(GetAirportDistance("EGLL", "ZZZZ"), -1);
  EXPECT_EQ(waits.size(), 1u);  // loaded once, kept
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(AirportLookup, NoSceneryGivesUnknownDistance) {
  test::ScopedEnv env("VELK_FS_PATH", std::nullopt);
  test::TempDir dir;
  DefaultSceneryContext().programFolder = dir.path();
  EXPECT_EQ(GetAirportDistance("EGLL", "KJFK"), -1);
  ASSERT_EQ(boxes.Prompts().size(), 1u);
  EXPECT_EQ(boxes.Prompts()[0], "Couldn't find FS2002 Path.");
}

}  // namespace
}  // namespace velk
