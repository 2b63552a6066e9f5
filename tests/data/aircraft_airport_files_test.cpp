#include "data/aircraft_airport_files.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/message_box.h"
#include "support/plan_guard.h"
#include "support/test_support.h"

namespace velk {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::vector<PlanAircraft> Aircraft(std::string_view text) {
  int highest = -1;
  return ParseAircraftTxt(text, highest);
}

int Highest(std::string_view text) {
  int highest = -1;
  ParseAircraftTxt(text, highest);
  return highest;
}

TEST(AircraftTxt, ReadsIdSpeedAndUnquotedTitle) {
  auto list = Aircraft("AC#7,300,\"Cessna 172\"\r\nAC#7 , 300 , \"Cessna 172\"\n");
  ASSERT_EQ(list.size(), 2u);
  for (const auto& a : list) {
    EXPECT_EQ(a.Id, "AC#7");
    EXPECT_EQ(a.CruiseSpeed, "300");
    EXPECT_EQ(a.Title, "Cessna 172");
    EXPECT_EQ(a.UseCount, 0);
  }
  // Quotes are removed one at each end, blanks inside them trimmed.
  EXPECT_EQ(Aircraft("AC#1,1,\" A \"\"")[0].Title, "A \"");
  EXPECT_EQ(Aircraft("AC#1,1,No quotes")[0].Title, "No quotes");
  EXPECT_EQ(Aircraft("AC#1,1,\"Last\"\r")[0].Title, "Last");
  // A comment cuts the title: the opening quote goes, the closing one is lost.
  EXPECT_EQ(Aircraft("AC#1,1,\"Jet; A\"")[0].Title, "Jet");
  EXPECT_EQ(Aircraft("AC#1,1,\"Jet// A\"")[0].Title, "Jet");
}

TEST(AircraftTxt, SkipsCommentsAndLinesOfOtherFieldCounts) {
  auto list = Aircraft(
      "; header\r\n"
      "   ; indented remark is a comment once trimmed\r\n"
      "// other\r\n"
      "\r\n"
      "AC#1,400,\"Jet, Blue\"\r\n"  // a title with a comma has 4 fields
      "AC#2,400\r\n"
      "AC#3,460,\"Jet\" ; trailing\r\n");
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].Id, "AC#3");
  EXPECT_TRUE(Aircraft("; nothing\n\n").empty());
}

TEST(AircraftTxt, HighestNumberIsNumeric) {
  EXPECT_EQ(Highest("AC#2,1,\"a\"\nAC#10,1,\"b\"\nAC#9,1,\"c\""), 10);
  EXPECT_EQ(Highest("AC#7,300,\"Cessna 172\""), 7);
  // Ids whose rest is no number leave it alone; duplicates are kept.
  EXPECT_EQ(Highest("XYZ,1,\"a\"\nAC#,1,\"b\"\nAC#x5,1,\"c\""), 0);
  EXPECT_EQ(Aircraft("AC#4,1,\"a\"\nAC#4,1,\"a\"").size(), 2u);
  EXPECT_EQ(Highest("AC#12abc,1,\"a\"\nAC#3,1,\"b\""), 12);
  EXPECT_EQ(Highest(""), 0);
}

TEST(AirportsTxt, ReadsFourTrimmedFields) {
  auto list = ParseAirportsTxt(
      "; airports\r\n"
      "KBOS, N42* 21.80', W71* 0.38', 20 ; Boston\r\n"
      "ABC,N1* 0.00',E1* 0.00'\r\n"            // 3 fields
      "ABCD,N1* 0.00',E1* 0.00',1,2\r\n"       // 5 fields
      "  ; remark\r\n"
      "EDDF,N50* 1.99',E8* 32.56',364");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0], (Airport{"KBOS", "N42* 21.80'", "W71* 0.38'", "20"}));
  EXPECT_EQ(list[1].Icao, "EDDF");
  EXPECT_EQ(list[1].Elevation, "364");
}

class PlanFolderFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { Plan().FlightplanPath = (dir_ / "MyPlan.txt").string(); }

  test::PlanGuard plan_;
  TempDir dir_;
  ScriptedMessageBoxes boxes_;
};

TEST_F(PlanFolderFilesTest, DuplicateIcaoIsKeptButTheFirstIsFound) {
  WriteFile(dir_ / "Airports.txt",
            "EDDF,N50* 1.99',E8* 32.56',364\r\neddf,N1* 0.00',E1* 0.00',1\r\nKBOS,N1* 0.00',"
            "E1* 0.00',2\r\nkbos,N1* 0.00',E1* 0.00',3\r\n");
  Plan().Airports.resize(9);
  ASSERT_TRUE(ReadAirportsTxt());
  ASSERT_EQ(Plan().Airports.size(), 4u);
  EXPECT_EQ(Plan().FindAirport("EDDF"), 0);
  EXPECT_EQ(Plan().FindAirport("eddf"), 0);
  EXPECT_EQ(Plan().FindAirport("kbos"), 2);
  EXPECT_EQ(Plan().FindAirport("LFPG"), -1);

  // Reading again rebuilds the index rather than adding to it.
  WriteFile(dir_ / "Airports.txt", "LFPG,N49* 0.58',E2* 32.87',392\r\n");
  ASSERT_TRUE(ReadAirportsTxt());
  EXPECT_EQ(Plan().FindAirport("LFPG"), 0);
  EXPECT_EQ(Plan().FindAirport("EDDF"), -1);
}

TEST_F(PlanFolderFilesTest, MissingFilesShowTheirOwnMessages) {
  Plan().PlanAircraftList.resize(2);
  Plan().HighestAircraftNumber = 9;
  EXPECT_FALSE(ReadAircraftTxt());
  EXPECT_TRUE(Plan().PlanAircraftList.empty());
  EXPECT_EQ(Plan().HighestAircraftNumber, 0);
  EXPECT_FALSE(ReadAirportsTxt());
  ASSERT_EQ(boxes_.Shown().size(), 2u);
  EXPECT_EQ(boxes_.Shown()[0].prompt,
            "File 'AIRCRAFT.TXT' not found.  Please copy the file to the Flightplan folder.");
  EXPECT_EQ(boxes_.Shown()[1].prompt,
            "File 'AIRPORTS.TXT' not found. Please copy the file to the Flightplan folder.");
  EXPECT_EQ(boxes_.Shown()[1].buttons, kMbOk | kMbIconCritical);

  // A file that is there but cannot be read says why, and never asks for
  // one to be copied over it.
  ASSERT_EQ(::mkfifo((dir_ / "Aircraft.txt").c_str(), 0600), 0);
  std::filesystem::create_directory(dir_ / "Airports.txt");
  EXPECT_FALSE(ReadAircraftTxt());
  EXPECT_FALSE(ReadAirportsTxt());
  ASSERT_EQ(boxes_.Shown().size(), 4u);
  EXPECT_EQ(boxes_.Shown()[2].prompt, "File 'AIRCRAFT.TXT' could not be read.\n\nCould not read '" +
                                          (dir_ / "Aircraft.txt").string() + "' (is a pipe, not a file).");
  EXPECT_EQ(boxes_.Shown()[3].prompt, "File 'AIRPORTS.TXT' could not be read.\n\nCould not read '" +
                                          (dir_ / "Airports.txt").string() + "' (is a folder).");
}

TEST_F(PlanFolderFilesTest, FilesAreFoundWhateverTheirLetterCase) {
  WriteFile(dir_ / "AIRCRAFT.TXT", "AC#1,400,\"Jet\"\r\n");
  WriteFile(dir_ / "airports.txt", "KBOS,N42* 21.80',W71* 0.38',20\r\n");
  ASSERT_TRUE(ReadAircraftTxt());
  ASSERT_TRUE(ReadAirportsTxt());
  EXPECT_EQ(Plan().PlanAircraftList.size(), 1u);
  EXPECT_EQ(Plan().Airports.size(), 1u);
  // Flights join their aircraft by the exact id.
  EXPECT_EQ(Plan().FindPlanAircraft("AC#1"), 0);
  EXPECT_EQ(Plan().FindPlanAircraft("ac#1"), -1);
  // And written back under the spelling the file has.
  Plan().BackupPlan = false;
  ASSERT_TRUE(WriteAircraftTxt());
  EXPECT_FALSE(std::filesystem::exists(dir_ / "Aircraft.txt"));
  EXPECT_EQ(*ReadFile(dir_ / "AIRCRAFT.TXT"), "AC#1,400,\"Jet\"\r\n");
  EXPECT_TRUE(boxes_.Shown().empty());
}

TEST_F(PlanFolderFilesTest, WriteDropsCommentsAndKeepsFields) {
  const std::string text =
      "; my aircraft\r\n"
      "AC#7 , 300 , \"Cessna 172\"\r\n"
      "   ; indented remark\r\n"
      "AC#9,460,\"Jet \xe9t\xe9\"\n"
      "AC#8,460,\"a,b\"\r\n";
  WriteFile(dir_ / "Aircraft.txt", text);
  ASSERT_TRUE(ReadAircraftTxt());
  EXPECT_EQ(Plan().HighestAircraftNumber, 9);
  Plan().PlanAircraftList[0].UseCount = 4;  // not part of the file
  ASSERT_TRUE(WriteAircraftTxt());
  EXPECT_EQ(*ReadFile(dir_ / "Aircraft.txt"),
            "AC#7,300,\"Cessna 172\"\r\nAC#9,460,\"Jet \xe9t\xe9\"\r\n");
  // One-time backup of the file as it was.
  EXPECT_EQ(*ReadFile(dir_ / "Aircraft.txt.velk.bak"), text);
  Plan().PlanAircraftList.pop_back();
  ASSERT_TRUE(WriteAircraftTxt());
  EXPECT_EQ(*ReadFile(dir_ / "Aircraft.txt.velk.bak"), text);
  EXPECT_EQ(*ReadFile(dir_ / "Aircraft.txt"), "AC#7,300,\"Cessna 172\"\r\n");
}

TEST_F(PlanFolderFilesTest, NoBackupWhenSwitchedOffAndFailureIsReported) {
  WriteFile(dir_ / "Aircraft.txt", "AC#1,1,\"a\"\r\n");
  Plan().BackupPlan = false;
  Plan().PlanAircraftList = {PlanAircraft{"AC#2", "b", "2", 0}};
  ASSERT_TRUE(WriteAircraftTxt());
  EXPECT_FALSE(std::filesystem::exists(dir_ / "Aircraft.txt.velk.bak"));
  // A backup that cannot be made does not stop the write; the caller hears
  // which and why.
  Plan().BackupPlan = true;
  std::filesystem::create_directory(dir_ / "Aircraft.txt.velk.bak");
  std::vector<std::string> notMade;
  ASSERT_TRUE(WriteAircraftTxt(&notMade));
  EXPECT_EQ(notMade, std::vector<std::string>{"The backup copy '" + (dir_ / "Aircraft.txt.velk.bak").string() +
                                              "' was not made (Is a directory)."});

  // The plan's folder is gone: nothing can be written, and the caller hears it.
  Plan().FlightplanPath = (dir_ / "gone" / "MyPlan.txt").string();
  EXPECT_FALSE(WriteAircraftTxt());
  // A folder in the file's place is not replaced.
  std::filesystem::create_directories(dir_ / "other" / "Aircraft.txt");
  Plan().FlightplanPath = (dir_ / "other" / "MyPlan.txt").string();
  EXPECT_FALSE(WriteAircraftTxt());
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "other" / "Aircraft.txt"));
}

}  // namespace
}  // namespace velk
