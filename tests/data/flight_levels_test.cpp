#include "data/flight_levels.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/random_source.h"
#include "support/test_support.h"

namespace velk {
namespace {

using test::TempDir;
using test::WriteFile;

// Answers NextRandom from a list for the life of the object.
class ScriptedRandom {
 public:
  explicit ScriptedRandom(std::deque<double> values) : values_(std::move(values)) {
    previous_ = SetRandomSource([this] {
      double v = values_.front();
      values_.pop_front();
      return v;
    });
  }
  ~ScriptedRandom() { SetRandomSource(std::move(previous_)); }

 private:
  std::deque<double> values_;
  RandomSource previous_;
};

FSAircraft Limits(int minFL, int maxFL) {
  FSAircraft a;
  a.MinFL = minFL;
  a.MaxFL = maxFL;
  return a;
}

class FlightLevelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedAircraft_ = Plan().FSAircraftList;
    Plan().FSAircraftList = {Limits(120, 300)};
  }
  void TearDown() override {
    Plan().FSAircraftList = savedAircraft_;
    FlightLevelRules().clear();
  }
  std::string Draw(const FSAircraft& a, double random, const std::string& rules = "IFR", int distance = 150,
                   int course = 90) {
    ScriptedRandom r({random});
    return GetFlightLevel(rules, distance, course, a, -1, false);
  }
  std::vector<FSAircraft> savedAircraft_;
};

TEST_F(FlightLevelTest, WindowIsCutToTheAircraftOnTheRowsGrid) {
  FlightLevelRules() = {{0, 200, 0, 179, 100, 350, 20}};
  const FSAircraft a = Limits(120, 300);
  EXPECT_EQ(GetFlightLevel("IFR", 150, 90, a, -1, true), "FL120-300 +020");
  // Nine steps between 120 and 300: the draw is rounded, a half to even.
  EXPECT_EQ(Draw(a, 0.0), "120");
  EXPECT_EQ(Draw(a, 0.05), "120");           // 0.45
  EXPECT_EQ(Draw(a, 0.5), "200");            // 4.5 -> 4
  EXPECT_EQ(Draw(a, 0.6), "220");            // 5.4 -> 5
  EXPECT_EQ(Draw(a, 0.9999), "300");         // 8.9991 -> 9
  EXPECT_EQ(GetFlightLevel("IFR", 150, 90, a, 0, true), "FL120-300 +020");

  std::string answer = "stale";
  EXPECT_TRUE(CheckFlightLevel("IFR", 150, 90, 0, 200, answer));
  EXPECT_EQ(answer, "");
  EXPECT_FALSE(CheckFlightLevel("IFR", 150, 90, 0, 210, answer));
  EXPECT_EQ(answer, "FL120-300 +020");
  EXPECT_FALSE(CheckFlightLevel("IFR", 150, 90, 0, 100, answer));
  EXPECT_EQ(answer, "FL120-300 +020");
  EXPECT_FALSE(CheckFlightLevel("IFR", 150, 90, 0, 320, answer));
}

TEST_F(FlightLevelTest, EveryLevelOfTheGridCanBeDrawn) {
  FlightLevelRules() = {{0, 200, 0, 179, 100, 350, 20}};
  const FSAircraft a = Limits(120, 300);
  std::vector<std::string> seen;
  for (int k = 0; k < 100; ++k) {
    std::string level = Draw(a, k / 100.0);
    if (seen.empty() || seen.back() != level) seen.push_back(level);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"120", "140", "160", "180", "200", "220", "240", "260", "280", "300"}));
}

TEST_F(FlightLevelTest, StepZeroGivesTheSingleLevel) {
  FlightLevelRules() = {{0, 9999, 0, 359, 150, 150, 0}};
  const FSAircraft a = Limits(120, 300);
  EXPECT_EQ(GetFlightLevel("IFR", 500, 10, a, -1, false), "150");
  EXPECT_EQ(GetFlightLevel("IFR", 500, 10, a, -1, true), "FL150");
  std::string answer;
  EXPECT_TRUE(CheckFlightLevel("IFR", 500, 10, 0, 150, answer));
  EXPECT_FALSE(CheckFlightLevel("IFR", 500, 10, 0, 160, answer));
  EXPECT_EQ(answer, "FL150");
}

TEST_F(FlightLevelTest, VfrUsesDistanceMinusOneAndFirstRowWins) {
  FlightLevelRules() = {
      {-1, -1, 0, 359, 35, 75, 10},     // VFR
      {0, 300, 0, 179, 90, 250, 20},    // IFR east, short
      {0, 9999, 0, 359, 200, 400, 20},  // everything else
  };
  const FSAircraft a = Limits(0, 450);
  EXPECT_EQ(GetFlightLevel("VFR", 250, 90, a, -1, true), "FL035-075 +010");
  EXPECT_EQ(Draw(a, 0.0, "VFR"), "035");
  EXPECT_EQ(GetFlightLevel("IFR", 250, 90, a, -1, true), "FL090-250 +020");
  EXPECT_EQ(GetFlightLevel("IFR", 250, 200, a, -1, true), "FL200-400 +020");
  // Only the exact word "VFR" means visual rules.
  EXPECT_EQ(GetFlightLevel("vfr", 250, 90, a, -1, true), "FL090-250 +020");
}

TEST_F(FlightLevelTest, NoRowGivesTheFixedAnswers) {
  const FSAircraft a = Limits(0, 450);
  EXPECT_EQ(GetFlightLevel("IFR", 250, 90, a, -1, false), "100");
  EXPECT_EQ(GetFlightLevel("IFR", 250, 90, a, -1, true), "FL100");
  std::string answer;
  EXPECT_FALSE(CheckFlightLevel("IFR", 250, 90, 0, 100, answer));
  EXPECT_EQ(answer, "FL100");
  FlightLevelRules() = {{0, 100, 0, 359, 100, 200, 10}};
  EXPECT_EQ(GetFlightLevel("IFR", 101, 90, a, -1, true), "FL100");
  // An aircraft index outside the list is treated the same way.
  EXPECT_EQ(GetFlightLevel("IFR", 50, 90, a, 7, true), "FL100");
  EXPECT_FALSE(CheckFlightLevel("IFR", 50, 90, 7, 150, answer));
  EXPECT_EQ(answer, "FL100");
}

TEST_F(FlightLevelTest, RowAboveTheAircraftFallsBackToTheHighestRowBelowItsCeiling) {
  FlightLevelRules() = {
      {0, 500, 0, 359, 400, 450, 10},
      {1000, 2000, 0, 359, 100, 240, 20},
      {1000, 2000, 0, 359, 90, 200, 10},
      {1000, 2000, 180, 359, 100, 250, 10},  // other course band
  };
  EXPECT_EQ(GetFlightLevel("IFR", 300, 90, Limits(100, 250), -1, true), "FL100-240 +020");
}

TEST_F(FlightLevelTest, RowBelowTheAircraftMovesToTheFirstRowAboveItsFloor) {
  FlightLevelRules() = {
      {0, 500, 0, 359, 50, 120, 0},
      {1000, 2000, 0, 359, 200, 280, 20},
  };
  EXPECT_EQ(GetFlightLevel("IFR", 300, 90, Limits(150, 300), -1, true), "FL200-280 +020");
  // With no such row the aircraft's floor is the level.
  FlightLevelRules().pop_back();
  EXPECT_EQ(GetFlightLevel("IFR", 300, 90, Limits(150, 300), -1, true), "FL150");
}

TEST_F(FlightLevelTest, RowsThatHandTheLegBackAndForthEndWithTheFixedAnswer) {
  // The row below the floor sends the search to the row above the ceiling,
  // which sends it back again.
  FlightLevelRules() = {
      {0, 500, 0, 359, 100, 120, 0},
      {0, 500, 0, 359, 250, 300, 10},
  };
  Plan().FSAircraftList = {Limits(150, 200)};
  EXPECT_EQ(GetFlightLevel("IFR", 300, 90, Limits(150, 200), -1, false), "100");
  EXPECT_EQ(GetFlightLevel("IFR", 300, 90, Limits(150, 200), -1, true), "FL100");
  std::string answer;
  EXPECT_FALSE(CheckFlightLevel("IFR", 300, 90, 0, 150, answer));
  EXPECT_EQ(answer, "FL100");
}

TEST(FlightLevelFormat, AtLeastThreeDigits) {
  EXPECT_EQ(FormatFlightLevel(5), "005");
  EXPECT_EQ(FormatFlightLevel(50), "050");
  EXPECT_EQ(FormatFlightLevel(350), "350");
  EXPECT_EQ(FormatFlightLevel(1200), "1200");
  EXPECT_EQ(FormatFlightLevel(-10), "-010");
}

class FlightLevelFileTest : public ::testing::Test {
 protected:
  void TearDown() override { FlightLevelRules().clear(); }
  TempDir dir_;
  ScriptedMessageBoxes boxes_;
};

TEST_F(FlightLevelFileTest, ReadsRowsSkippingCommentsAndBlankLines) {
  WriteFile(dir_ / "VELK_FL.CFG",
            "; distance, course, levels\r\n"
            "   ; indented comment\r\n"
            "\r\n"
            "     \r\n"
            " -1 , -1 ,0,359, 35,75,10 \r\n"
            "0,200,0,179,100,350,20\n"
            "0,200,180,359,abc,12.5,13.5\r\n");
  EXPECT_TRUE(ReadFlightLevelRules(dir_.path()));
  EXPECT_TRUE(boxes_.Shown().empty());
  ASSERT_EQ(FlightLevelRules().size(), 3u);
  EXPECT_EQ(FlightLevelRules()[0], (FlightLevelRule{-1, -1, 0, 359, 35, 75, 10}));
  EXPECT_EQ(FlightLevelRules()[1], (FlightLevelRule{0, 200, 0, 179, 100, 350, 20}));
  EXPECT_EQ(FlightLevelRules()[2], (FlightLevelRule{0, 200, 180, 359, 0, 12, 14}));
}

TEST_F(FlightLevelFileTest, LineWithoutSevenFieldsIsReported) {
  WriteFile(dir_ / "VELK_FL.CFG", "0,200,0,179,100,350,20\r\n  0,200,0,179,100,350 \r\n0,1,2,3,4,5,6\r\n");
  EXPECT_FALSE(ReadFlightLevelRules(dir_.path()));
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_EQ(boxes_.Shown()[0].prompt, "Error in file 'VELK_FL.CFG' in line:\r\n  0,200,0,179,100,350 ");
  EXPECT_EQ(boxes_.Shown()[0].buttons, kMbIconCritical);
  EXPECT_EQ(boxes_.Shown()[0].title, "VELK");
  EXPECT_EQ(FlightLevelRules().size(), 1u);
}

TEST_F(FlightLevelFileTest, MissingFileIsReportedAndEmptiesTheTable) {
  FlightLevelRules() = {{0, 1, 0, 1, 0, 1, 0}};
  EXPECT_FALSE(ReadFlightLevelRules(dir_.path()));
  EXPECT_EQ(boxes_.Prompts(), std::vector<std::string>{"File 'VELK_FL.CFG' not found."});
  EXPECT_TRUE(FlightLevelRules().empty());
}

}  // namespace
}  // namespace velk
