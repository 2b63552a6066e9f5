#include "data/flight_plan_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "data/aircraft_airport_files.h"
#include "platform/message_box.h"
#include "support/plan_guard.h"
#include "support/test_support.h"

namespace velk {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const char* const kTwoLegs =
    "AC#12,N123AB,25%,24Hr,IFR,06:00:00,@07:25:00,350,F,0450,KBOS,"
    "09:10:00,10:35:00,350,F,0451,KJFK";

Flight Parse(std::string_view line) {
  Flight f;
  EXPECT_TRUE(ParseFlightPlanLine(line, f)) << line;
  return f;
}

// A two-leg line with the given header fields and leg-0 level and number.
std::string Line(const std::string& percent, const std::string& level = "350",
                 const std::string& number = "0450") {
  return "AC#1,N1,"+ percent + ",24Hr,IFR,06:00:00,07:00:00," + level + ",F," + number +
         ",KBOS,09:00:00,10:00:00,350,F,0451,KJFK";
}

TEST(FlightPlanLine, ReadsEveryFieldOfTheExample) {
  Flight f = Parse(kTwoLegs);
  EXPECT_EQ(f.AircraftId, "AC#12");
  EXPECT_EQ(f.Registration, "N123AB");
  EXPECT_EQ(f.Percent, "25%");
  EXPECT_EQ(f.Period, "24Hr");
  EXPECT_EQ(f.FlightRules, "IFR");
  ASSERT_EQ(f.LegCount(), 2);
  EXPECT_EQ(f.Legs[0].DepartureTime, "06:00:00");
  EXPECT_TRUE(f.Legs[0].FixedArrival);
  EXPECT_EQ(f.Legs[0].ArrivalTime, "07:25:00");
  EXPECT_FALSE(f.Legs[1].FixedArrival);
  EXPECT_EQ(f.Legs[0].UseFlightNumber, "F");
  EXPECT_EQ(f.Legs[1].FlightNumber, "0451");
  EXPECT_EQ(f.Legs[1].DestinationIcao, "KJFK");
  // Leg 0 departs from the last leg's destination.
  EXPECT_EQ(f.DepartureIcao(0), "KJFK");
  EXPECT_EQ(f.DepartureIcao(1), "KBOS");
  EXPECT_EQ(FormatFlightPlanLine(f), kTwoLegs);
}

TEST(FlightPlanLine, FieldCountDecidesTheLegs) {
  std::string sixteen = "AC#1,R,5%,24Hr,IFR,1,2,3,F,4,A,1,2,3,F,4";
  Flight f;
  EXPECT_FALSE(ParseFlightPlanLine(sixteen, f));
  EXPECT_EQ(Parse(sixteen + ",B").LegCount(), 2);
  // Five fields past the last whole leg are dropped, and not written back.
  Flight extra = Parse(sixteen + ",B,x,y,z,w,v");
  EXPECT_EQ(extra.LegCount(), 2);
  EXPECT_EQ(FormatFlightPlanLine(extra), sixteen + ",B");
}

TEST(FlightPlanLine, CommentsAndBlanks) {
  Flight f;
  EXPECT_FALSE(ParseFlightPlanLine("", f));
  EXPECT_FALSE(ParseFlightPlanLine(std::string(";") + kTwoLegs, f));
  EXPECT_FALSE(ParseFlightPlanLine(std::string("//") + kTwoLegs, f));
  // Not a comment by the first test, but nothing but blanks is left.
  EXPECT_FALSE(ParseFlightPlanLine("  ; remark", f));
  // A trailing comment ends the data, ";" first, then "//".
  EXPECT_EQ(Parse(std::string(kTwoLegs) + " ; a remark, with, commas").Legs[1].DestinationIcao,
            "KJFK");
  EXPECT_EQ(Parse(std::string(kTwoLegs) + "// x,y;z").Legs[1].DestinationIcao, "KJFK");
  // A comment that cuts into the second leg leaves too few fields.
  EXPECT_FALSE(ParseFlightPlanLine("AC#1,R,5%,24Hr,IFR,1,2,3,F,4,A,1,2;3,F,4,B", f));
}

TEST(FlightPlanLine, TrimsSpacesButKeepsTabsAndCase) {
  Flight f = Parse(" ac#3 ,  n1 ,\t25%, week , vfr ,0/06:00,07:00, 350 , f ,12, eddf ,"
                   "1/06:00,07:00,350,R,13,KJFK ");
  EXPECT_EQ(f.AircraftId, "ac#3");
  EXPECT_EQ(f.Registration, "n1");
  EXPECT_EQ(f.Percent, "\t25%");
  EXPECT_EQ(f.Period, "week");
  EXPECT_EQ(f.FlightRules, "vfr");
  EXPECT_EQ(f.Legs[0].UseFlightNumber, "f");
  EXPECT_EQ(f.Legs[0].DestinationIcao, "eddf");
  EXPECT_EQ(f.Legs[1].DestinationIcao, "KJFK");
}

TEST(FlightPlanLine, PercentLevelAndNumberAreNormalised) {
  struct Case {
    const char* percent;
    const char* level;
    const char* number;
    const char* percentRead;
    const char* levelRead;
    const char* numberRead;
  };
  const Case cases[] = {
      {"100%", "350", "0450", "99%", "350", "0450"},  // a hundred percent becomes 99
      {"100.0%", "3500", "12345", "99%", "035", "1234"},
      {"50%", "35000", "7", "50%", "350", "7"},
      {"100", "35", "0450", "100", "35", "0450"},
      {"1000%", "350", "0450", "1000%", "350", "0450"},
      // Empty, or no number before the last character: kept as written.
      {"", "350", "0450", "", "350", "0450"},
      {"%", "350", "0450", "%", "350", "0450"},
      {"abc%", "350", "0450", "abc%", "350", "0450"},
      {"100x1%", "350", "0450", "100x1%", "350", "0450"},
  };
  for (const Case& c : cases) {
    Flight f = Parse(Line(c.percent, c.level, c.number));
    EXPECT_EQ(f.Percent, c.percentRead) << c.percent;
    EXPECT_EQ(f.Legs[0].FlightLevel, c.levelRead) << c.level;
    EXPECT_EQ(f.Legs[0].FlightNumber, c.numberRead) << c.number;
  }
}

TEST(FlightPlanLine, LineOfMoreThan4001FieldsIsReadWhole) {
  std::string line = "AC#1,R,5%,24Hr,IFR";
  const int legs = 700;  // 5 + 4200 fields
  for (int k = 0; k < legs; ++k) line += ",1,2,350,F," + std::to_string(k) + ",A" + std::to_string(k);
  Flight f = Parse(line);
  ASSERT_EQ(f.LegCount(), legs);
  EXPECT_EQ(f.Legs.back().DestinationIcao, "A699");
  EXPECT_EQ(FormatFlightPlanLine(f), line);
}

TEST(ParseFlightPlans, ReportsProgressEvery202Lines) {
  std::string plan;
  for (int i = 0; i < 1000; ++i) plan += std::string(kTwoLegs) + "\r\n";
  std::vector<int> values;
  auto flights = ParseFlightPlans(plan, [&](int v) { values.push_back(v); });
  EXPECT_EQ(flights.size(), 1000u);
  // Once at the start, then at lines 202, 404, 606 and 808.
  ASSERT_EQ(values.size(), 5u);
  EXPECT_EQ(values[0], 0);
  const size_t lineLen = std::string(kTwoLegs).size();
  EXPECT_EQ(values[1], static_cast<int>(202 * lineLen * 100 / plan.size()));
  EXPECT_EQ(values[4], static_cast<int>(808 * lineLen * 100 / plan.size()));
}

TEST(ParseFlightPlans, LargeTextGivesTheSameFlightsInFileOrder) {
  // Big enough to be read in several pieces: the cuts must neither lose nor
  // repeat a line, whatever its end (a lone CR too) and length, and lines
  // that are no flight leave no gap.
  std::string plan = "\xEF\xBB\xBF";  // taken off before the first flight
  std::vector<Flight> expected;
  for (int i = 0; plan.size() < (size_t{6} << 20); ++i) {
    std::string line = "AC#" + std::to_string(i) + ",N" + std::to_string(i) + ",5%,24Hr,IFR";
    int legs = 2 + i % 5 + (i % 997 == 0 ? 3000 : 0);
    for (int k = 0; k < legs; ++k) line += ",06:00,07:00,350,F,12,K" + std::to_string(k % 100);
    plan += line;
    plan += i % 3 == 0 ? "\n" : (i % 11 == 0 ? " ; note\r\n;comment\r\n\r\n" : (i % 7 == 0 ? "\r" : "\r\n"));
    // Lines too short for a flight leave no record behind.
    if (i % 4999 == 0) plan += "AC#9,too,few,fields\r\n";
    expected.push_back(Parse(line));
  }
  plan += std::string(kTwoLegs);  // last line without an end
  expected.push_back(Parse(kTwoLegs));
  int calls = 0;
  auto flights = ParseFlightPlans(plan, [&](int v) {
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 100);
    ++calls;
  });
  EXPECT_GT(calls, 1);
  ASSERT_EQ(flights.size(), expected.size());
  for (size_t i = 0; i < flights.size(); ++i) ASSERT_EQ(flights[i], expected[i]) << i;
}

TEST(CountFileLines, CountsNonBlankLinesIncludingComments) {
  TempDir dir;
  WriteFile(dir / "p.txt", "; comment\r\n\r\n   \r\nline\n\tx\nlast");
  EXPECT_EQ(CountFileLines(dir / "p.txt"), 4);
  EXPECT_EQ(CountFileLines(dir / "missing.txt"), 0);
}

class FlightPlanFileTest : public ::testing::Test {
 protected:
  void SetUp() override { Plan().FlightplanPath = (dir_ / "FlightPlans.txt").string(); }

  std::filesystem::path PlanPath() const { return Plan().FlightplanPath; }

  test::PlanGuard plan_;
  TempDir dir_;
  ScriptedMessageBoxes boxes_;
};

TEST_F(FlightPlanFileTest, ReadsOnlyTheFlightsOfAFileWithComments) {
  WriteFile(PlanPath(),
            "; header\r\n// another\r\n" + std::string(kTwoLegs) + "\r\n;x\r\n\r\n" + kTwoLegs +
                " ; trailing\r\n//y\r\n;z\r\n" + kTwoLegs + "\r\n;end\r\n");
  Plan().Flights.resize(5);  // left from an earlier plan
  ASSERT_TRUE(ReadFlightPlans());
  EXPECT_EQ(Plan().Flights.size(), 3u);
  EXPECT_TRUE(boxes_.Shown().empty());
}

// Another program's write into the plan before each read, the first
// `g_changes` of them.
int g_changes = 0;
bool ChangeBeforeRead(std::string_view step, const std::filesystem::path& path) {
  if (step != "read" || path.filename() != "FlightPlans.txt" || g_changes == 0) return false;
  --g_changes;
  // Past a tick of the file system's clock, so that the change shows.
  test::WaitForLaterFileTime(path);
  std::ofstream(path, std::ios::binary | std::ios::app) << "; more\r\n";
  return false;
}

TEST_F(FlightPlanFileTest, AFileThatCannotBeReadSaysWhyAndLeavesNoFlights) {
  Plan().Flights.resize(2);
  EXPECT_FALSE(ReadFlightPlans());
  EXPECT_TRUE(Plan().Flights.empty());
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_EQ(boxes_.Shown()[0].prompt, "Flightplan file not found or access denied.");
  EXPECT_EQ(boxes_.Shown()[0].buttons, kMbOk | kMbIconCritical);
  EXPECT_EQ(boxes_.Shown()[0].title, "VELK");
  // A folder in place of the file is there, and says so.
  std::filesystem::create_directory(PlanPath());
  EXPECT_FALSE(ReadFlightPlans());
  const std::string unreadable = "Flightplan file could not be read.\n\nCould not read '" + PlanPath().string() + "' (";
  EXPECT_EQ(boxes_.Shown().back().prompt, unreadable + "is a folder).");
  std::filesystem::remove(PlanPath());

  // A file that another program keeps writing is read again, twice, before
  // it is given up with a word on what to do.
  WriteFile(PlanPath(), std::string(kTwoLegs) + "\r\n");
  test::ScopedFileStepHook hook(ChangeBeforeRead);
  g_changes = 2;
  ASSERT_TRUE(ReadFlightPlans());
  EXPECT_EQ(Plan().Flights.size(), 1u);
  g_changes = 3;
  EXPECT_FALSE(ReadFlightPlans());
  EXPECT_TRUE(Plan().Flights.empty());
  EXPECT_EQ(boxes_.Shown().back().prompt, unreadable +
                                              "changed while it was read, three times: try again when the program "
                                              "writing it has finished).");
  // A read the system refuses gives its reason.
  hook.Set([](std::string_view step, const std::filesystem::path&) { return step == "read"; });
  EXPECT_FALSE(ReadFlightPlans());
  EXPECT_EQ(boxes_.Shown().back().prompt, unreadable + "Input/output error).");
  EXPECT_EQ(boxes_.Shown().size(), 4u);
}

TEST_F(FlightPlanFileTest, RemovedFlightsGoToTheirOwnFile) {
  ASSERT_TRUE(WriteFlightPlans(PlanPath(), {Parse(kTwoLegs)}));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "Removed Flights.txt"));  // none ever removed
  std::vector<Flight> flights(3, Parse(kTwoLegs));
  flights[1].Registration = "GONE";
  flights[1].Removed = true;
  ASSERT_TRUE(WriteFlightPlans(PlanPath(), flights));
  std::string kept = std::string(kTwoLegs) + "\r\n";
  EXPECT_EQ(*ReadFile(PlanPath()), kept + kept);
  EXPECT_EQ(*ReadFile(dir_ / "Removed Flights.txt"), FormatFlightPlanLine(flights[1]) + "\r\n");

  // A later save (or an export into this folder) with nothing removed keeps
  // the earlier list rather than deleting it.
  flights[1].Removed = false;
  ASSERT_TRUE(WriteFlightPlans(PlanPath(), flights));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "Removed Flights.txt"));

  // An empty plan is written as an empty file.
  ASSERT_TRUE(WriteFlightPlans(dir_ / "Empty.txt", {}));
  EXPECT_EQ(*ReadFile(dir_ / "Empty.txt"), "");
}

TEST_F(FlightPlanFileTest, BackupIsMadeOnceAndOnlyWhenSwitchedOn) {
  const auto backup = dir_ / "FlightPlans.txt.velk.bak";
  std::vector<Flight> flights{Parse(kTwoLegs)};
  // No old file: nothing to back up.
  ASSERT_TRUE(WriteFlightPlans(PlanPath(), flights));
  EXPECT_FALSE(std::filesystem::exists(backup));

  WriteFile(PlanPath(), "original\r\n");
  Plan().BackupPlan = false;
  ASSERT_TRUE(WriteFlightPlans(PlanPath(), flights));
  EXPECT_FALSE(std::filesystem::exists(backup));

  WriteFile(PlanPath(), "original\r\n");
  Plan().BackupPlan = true;
  ASSERT_TRUE(WriteFlightPlans(PlanPath(), flights));
  EXPECT_EQ(*ReadFile(backup), "original\r\n");
  // The second save keeps the first backup.
  ASSERT_TRUE(WriteFlightPlans(PlanPath(), flights));
  EXPECT_EQ(*ReadFile(backup), "original\r\n");
}

// A plan kept elsewhere and linked into the plan folder stays linked: the
// files the links point at get the new text and the removed flights, the
// links stay links, and Aircraft.txt is written the same way.
TEST_F(FlightPlanFileTest, PlanFilesBehindLinksAreWrittenWhereTheyLie) {
  namespace fs = std::filesystem;
  fs::create_directories(dir_ / "store");
  WriteFile(dir_ / "store" / "FlightPlans.txt", "original\r\n");
  WriteFile(dir_ / "store" / "Aircraft.txt", "AC#1,300,\"Old\"\r\n");
  fs::create_symlink("store/FlightPlans.txt", PlanPath());
  fs::create_symlink(dir_ / "store" / "Aircraft.txt", dir_ / "Aircraft.txt");
  // A stale link for the removed list: the list lands where it points.
  fs::create_symlink("store/Removed.txt", dir_ / "Removed Flights.txt");
  Plan().BackupPlan = true;

  std::vector<Flight> flights{Parse(kTwoLegs), Parse(kTwoLegs)};
  flights[1].Removed = true;
  ASSERT_TRUE(WriteFlightPlans(PlanPath(), flights));
  EXPECT_TRUE(fs::is_symlink(PlanPath()));
  EXPECT_EQ(*ReadFile(dir_ / "store" / "FlightPlans.txt"), std::string(kTwoLegs) + "\r\n");
  EXPECT_EQ(*ReadFile(dir_ / "FlightPlans.txt.velk.bak"), "original\r\n");
  EXPECT_TRUE(fs::is_symlink(dir_ / "Removed Flights.txt"));
  EXPECT_EQ(*ReadFile(dir_ / "store" / "Removed.txt"), std::string(kTwoLegs) + "\r\n");

  Plan().PlanAircraftList = {PlanAircraft{"AC#1", "New", "310", 0}};
  ASSERT_TRUE(WriteAircraftTxt());
  EXPECT_TRUE(fs::is_symlink(dir_ / "Aircraft.txt"));
  EXPECT_EQ(*ReadFile(dir_ / "store" / "Aircraft.txt"), "AC#1,310,\"New\"\r\n");
  EXPECT_EQ(*ReadFile(dir_ / "Aircraft.txt.velk.bak"), "AC#1,300,\"Old\"\r\n");
}

TEST_F(FlightPlanFileTest, FailedWriteIsReportedAndChangesNothing) {
  std::vector<Flight> flights{Parse(kTwoLegs)};
  // The target is a folder: it cannot be replaced by a file.
  auto folderTarget = dir_ / "Plan.txt";
  std::filesystem::create_directory(folderTarget);
  EXPECT_FALSE(WriteFlightPlans(folderTarget, flights));
  EXPECT_TRUE(std::filesystem::is_directory(folderTarget));
  // A folder that does not exist.
  EXPECT_FALSE(WriteFlightPlans(dir_ / "missing" / "FlightPlans.txt", flights));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "missing"));

  // When the removed list cannot be written, the plan keeps its old text, so
  // the removed flight is still in a file.
  WriteFile(PlanPath(), "old\r\n");
  std::filesystem::create_directory(dir_ / "Removed Flights.txt");
  flights.push_back(flights[0]);
  flights[1].Removed = true;
  EXPECT_FALSE(WriteFlightPlans(PlanPath(), flights));
  EXPECT_EQ(*ReadFile(PlanPath()), "old\r\n");
}

}  // namespace
}  // namespace velk
