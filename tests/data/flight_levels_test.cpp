#include "data/flight_levels.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/random_source.h"
#include "support/test_support.h"

namespace velk {
namespace {

using test::TempDir;
using test::WriteFile;

FSAircraft Limits(int minFL, int maxFL) {
  FSAircraft a;
  a.MinFL = minFL;
  a.MaxFL = maxFL;
  return a;
}

class FlightLevelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = Plan().FSAircraftList;
    Plan().FSAircraftList = {Limits(120, 300)};
  }
  void TearDown() override {
    Plan().FSAircraftList = saved_;
    FlightLevelRules().clear();
  }
  static std::string Range(int minFL, int maxFL, int distance = 300, int course = 90, const char* rules = "IFR") {
    return GetFlightLevel(rules, distance, course, Limits(minFL, maxFL), -1, true);
  }
  std::vector<FSAircraft> saved_;
};

TEST_F(FlightLevelTest, WindowIsCutToTheAircraftOnTheRowsGrid) {
  FlightLevelRules() = {{0, 200, 0, 179, 100, 350, 20}};
  EXPECT_EQ(Range(120, 300, 150), "FL120-300 +020");
  // Nine steps from 120 to 300; the draw x * 9 is rounded, a half to even,
  // so the two ends come half as often as the levels between them.
  const double draws[] = {0.0, 0.05, 0.5, 0.6, 0.9999};
  const std::vector<std::string> expected = {"120", "120", "200", "220", "300"};
  size_t next = 0;
  RandomSource previous = SetRandomSource([&] { return draws[next++]; });
  std::vector<std::string> got;
  for (size_t k = 0; k < expected.size(); ++k) got.push_back(GetFlightLevel("IFR", 150, 90, Limits(0, 0), 0, false));
  SetRandomSource(std::move(previous));
  EXPECT_EQ(got, expected);

  std::string answer = "stale";
  EXPECT_TRUE(CheckFlightLevel("IFR", 150, 90, 0, 200, answer));
  EXPECT_EQ(answer, "");
  for (int wrong : {210, 100, 320}) {
    EXPECT_FALSE(CheckFlightLevel("IFR", 150, 90, 0, wrong, answer)) << wrong;
    EXPECT_EQ(answer, "FL120-300 +020");
  }
}

TEST_F(FlightLevelTest, StepZeroGivesTheSingleLevel) {
  FlightLevelRules() = {{0, 9999, 0, 359, 150, 150, 0}};
  EXPECT_EQ(GetFlightLevel("IFR", 500, 10, Limits(120, 300), -1, false), "150");
  EXPECT_EQ(Range(120, 300), "FL150");
  std::string answer;
  EXPECT_TRUE(CheckFlightLevel("IFR", 500, 10, 0, 150, answer));
  EXPECT_FALSE(CheckFlightLevel("IFR", 500, 10, 0, 160, answer));
  EXPECT_EQ(answer, "FL150");
}

TEST_F(FlightLevelTest, VfrUsesDistanceMinusOneAndTheFirstRowWins) {
  FlightLevelRules() = {
      {-1, -1, 0, 359, 35, 75, 10},
      {0, 300, 0, 179, 90, 250, 20},
      {0, 9999, 0, 359, 200, 1200, 100},
  };
  EXPECT_EQ(Range(0, 2000, 250, 90, "VFR"), "FL035-075 +010");
  EXPECT_EQ(Range(0, 2000, 250, 90, "vfr"), "FL090-250 +020");  // only "VFR" is visual
  EXPECT_EQ(Range(0, 2000, 250, 200), "FL200-1200 +100");
}

TEST_F(FlightLevelTest, NoRowGivesTheFixedAnswers) {
  FlightLevelRules() = {{0, 100, 0, 359, 100, 200, 10}};
  EXPECT_EQ(GetFlightLevel("IFR", 101, 90, Limits(0, 450), -1, false), "100");
  EXPECT_EQ(Range(0, 450, 101), "FL100");
  std::string answer;
  EXPECT_FALSE(CheckFlightLevel("IFR", 101, 90, 0, 100, answer));
  EXPECT_EQ(answer, "FL100");
  // An aircraft index outside the list is treated the same way.
  EXPECT_EQ(GetFlightLevel("IFR", 50, 90, Limits(0, 450), 7, true), "FL100");
  EXPECT_FALSE(CheckFlightLevel("IFR", 50, 90, -1, 150, answer));
}

TEST_F(FlightLevelTest, RowsOutsideTheAircraftsLevelsHandTheLegOn) {
  // Wholly above the ceiling: the highest-reaching row of the course below it.
  FlightLevelRules() = {
      {0, 500, 0, 359, 400, 450, 10},
      {1000, 2000, 0, 359, 100, 240, 20},
      {1000, 2000, 0, 359, 90, 200, 10},
      {1000, 2000, 180, 359, 100, 250, 10},
  };
  EXPECT_EQ(Range(100, 250), "FL100-240 +020");
  // Below the floor without a step: the first row of the course above it,
  // or the floor itself when there is none.
  FlightLevelRules() = {{0, 500, 0, 359, 50, 120, 0}, {1000, 2000, 0, 359, 200, 280, 20}};
  EXPECT_EQ(Range(150, 300), "FL200-280 +020");
  FlightLevelRules().pop_back();
  EXPECT_EQ(Range(150, 300), "FL150");
}

TEST_F(FlightLevelTest, RowsThatHandTheLegBackAndForthEndWithTheFixedAnswer) {
  // The row below the floor sends the search to the row above the ceiling,
  // which sends it back again.
  FlightLevelRules() = {{0, 500, 0, 359, 100, 120, 0}, {0, 500, 0, 359, 250, 300, 10}};
  Plan().FSAircraftList = {Limits(150, 200)};
  EXPECT_EQ(GetFlightLevel("IFR", 300, 90, Limits(150, 200), -1, false), "100");
  std::string answer;
  EXPECT_FALSE(CheckFlightLevel("IFR", 300, 90, 0, 150, answer));
  EXPECT_EQ(answer, "FL100");
}

TEST(FlightLevelFormat, AtLeastThreeDigits) {
  EXPECT_EQ(FormatFlightLevel(5) + FormatFlightLevel(50) + FormatFlightLevel(1200), "0050501200");
}

TEST(FlightLevelFile, ReadsRowsAndReportsBadLines) {
  TempDir dir;
  ScriptedMessageBoxes boxes;
  FlightLevelRules() = {{0, 1, 0, 1, 0, 1, 0}};
  EXPECT_FALSE(ReadFlightLevelRules(dir.path()));
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{"File 'VELK_FL.CFG' not found."});
  EXPECT_TRUE(FlightLevelRules().empty());

  WriteFile(dir / "VELK_FL.CFG",
            "; comment\r\n   ; indented comment\r\n\r\n     \r\n"
            " -1 , -1 ,0,359, 35,75,10 \r\n"
            "0,200,180,359,abc,12.5,13.5\n");
  EXPECT_TRUE(ReadFlightLevelRules(dir.path()));
  EXPECT_EQ(FlightLevelRules(), (std::vector<FlightLevelRule>{{-1, -1, 0, 359, 35, 75, 10},
                                                              {0, 200, 180, 359, 0, 12, 14}}));
  EXPECT_EQ(boxes.Shown().size(), 1u);

  WriteFile(dir / "VELK_FL.CFG", "0,200,0,179,100,350,20\r\n  0,200,0,179,100,350 \r\n0,1,2,3,4,5,6\r\n");
  EXPECT_FALSE(ReadFlightLevelRules(dir.path()));
  EXPECT_EQ(boxes.Prompts().back(), "Error in file 'VELK_FL.CFG' in line:\r\n  0,200,0,179,100,350 ");
  EXPECT_EQ(boxes.Shown().back().buttons, kMbIconCritical);
  EXPECT_EQ(boxes.Shown().back().title, "VELK");
  EXPECT_EQ(FlightLevelRules().size(), 1u);
  FlightLevelRules().clear();
}

}  // namespace
}  // namespace velk
