#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <string>

#include "support/test_support.h"
#include "traffic_compiler/common/console.h"
#include "traffic_compiler/common/tool_error.h"
#include "traffic_compiler/common/tool_files.h"
#include "traffic_compiler/common/traffic_codes.h"

namespace traffic {
namespace {

using velk::test::ReadFile;
using velk::test::ScopedEnv;
using velk::test::TempDir;
using velk::test::WriteFile;

TEST(ToolErrorReport, FileErrorsPutTheDetailInTheirText) {
  EXPECT_EQ(FormatToolError("", 0, "", 0, 0, 1), "ERROR: Unable to locate FS2002 in computer\n\n");
  EXPECT_EQ(FormatToolError("", 0, "/sim/traffic.bgl", 0, 0, 6),
            "\nERROR: Unable to delete old traffic file\n/sim/traffic.bgl\nIs it write protected?\n\n");
  EXPECT_EQ(FormatToolError("", 0, "AC#7", 0, 0, 8),
            "\nERROR: A flight plan specifies an aircraft type AC#7\n"
            "That type is not in the Aircraft.txt file\n\n");
  // User data is never taken for a format.
  EXPECT_EQ(FormatToolError("", 0, "%s%n.txt", 0, 0, 10),
            "\nERROR: Unable to find or open file %s%n.txt\n\n");
}

TEST(ToolErrorReport, ShortLineMarksAMissingFieldUnderItsComma) {
  // Line 12 holding AC#5,,Boeing: the empty cruise speed starts at 5.
  const std::string expected =
      "\nERROR in file Aircraft.txt :\n\n"
      "Line 12: AC#5,,Boeing\n"
      "              |\n"
      "              Error location\n\n"
      "A parameter is missing, expecting the cruise speed here\n\n";
  EXPECT_EQ(FormatToolError("Aircraft.txt", 12, "AC#5,,Boeing", 5, 0, 17), expected);
}

TEST(ToolErrorReport, MarkerSpansTheField) {
  auto marker_line = [](std::size_t length) {
    std::string r = FormatToolError("A.txt", 1, "abcdefgh", 2, length, 29);
    // Lines: "", "ERROR...", "", "Line 1: abcdefgh", marker, ...
    std::size_t pos = r.find("abcdefgh\n") + 9;
    return r.substr(pos, r.find('\n', pos) - pos);
  };
  EXPECT_EQ(marker_line(0), "          |");
  EXPECT_EQ(marker_line(1), "          |");
  EXPECT_EQ(marker_line(2), "          ||");
  EXPECT_EQ(marker_line(5), "          |---|");
}

TEST(ToolErrorReport, LongLinesArePrintedInPiecesCutAfterCommas) {
  // 20 fields "abcdefghi," of 10 characters: 200 characters. With "Line 3: "
  // (8 columns) a piece may run to index 67, so the last comma at or before
  // it is at 59 and each piece holds 6 fields (60 characters).
  std::string line;
  for (int i = 0; i < 20; ++i) line += "abcdefghi,";
  const std::string piece(line.substr(0, 60));
  const std::string blanks(8, ' ');

  // A field in the last 20 characters: three cut pieces, then the rest.
  std::string r = FormatToolError("FlightPlans.txt", 3, line, 185, 4, 47);
  std::string expected = "\nERROR in file FlightPlans.txt :\n\n";
  expected += "Line 3: " + piece + "...\n";
  expected += blanks + piece + "...\n";
  expected += blanks + piece + "...\n";
  expected += blanks + line.substr(180) + "\n";
  expected += std::string(8 + 5, ' ') + "|--|\n";
  expected += std::string(13, ' ') + "Error location\n\n";
  expected += "The altitude format is bad (should be 0 to 1023)\n\n";
  EXPECT_EQ(r, expected);

  // An error in the first field stops after the first piece.
  r = FormatToolError("FlightPlans.txt", 3, line, 0, 9, 34);
  EXPECT_EQ(r.substr(0, r.find("Error location")),
            "\nERROR in file FlightPlans.txt :\n\nLine 3: " + piece + "...\n" + blanks +
                "|-------|\n" + blanks);

  // A field starting at column 70 of the screen: the caption stops at 64.
  const std::string fits(70, 'x');
  r = FormatToolError("FlightPlans.txt", 3, fits, 62, 1, 47);
  EXPECT_NE(r.find("Line 3: " + fits + "\n" + std::string(70, ' ') + "|\n" +
                   std::string(64, ' ') + "Error location\n\n"),
            std::string::npos);
}

TEST(ToolErrorReport, LineWithoutCommasIsCutAtTheProbeColumn) {
  const std::string line(100, 'x');
  std::string r = FormatToolError("Aircraft.txt", 1, line, 90, 0, 39);
  // "Line 1: " is 8 wide: pieces of 67, then a remainder of 33 that fits.
  EXPECT_NE(r.find("Line 1: " + std::string(67, 'x') + "...\n" + std::string(8, ' ') +
                   std::string(33, 'x') + "\n" + std::string(8 + 23, ' ') + "|\n"),
            std::string::npos);
  EXPECT_NE(r.find("The aircraft name is limited to 100 characters\n\n"), std::string::npos);
}

TEST(ToolErrorReport, MessagesWithFormatCharactersPrintPlainly) {
  EXPECT_EQ(LineErrorMessage(42), "The AI Percent must be between 1% and 100% inclusive");
  EXPECT_EQ(LineErrorMessage(40), "The aircraft registration is limited to 7 characters");
  EXPECT_EQ(LineErrorMessage(3), "");
  EXPECT_TRUE(IsFileError(11));
  EXPECT_FALSE(IsFileError(12));
}

TEST(TimeCodes, EncodeWrapsAndDecodeRounds) {
  EXPECT_EQ(EncodeTimeCode(23 * 3600, 6), 0xDEAA);
  EXPECT_EQ(DecodeTimeCode(0xDEAA), 82793u);  // 22:59:53
  EXPECT_EQ(EncodeTimeCode(91800, 6), 0xC200);  // 01:30 the next day
  EXPECT_EQ(EncodeTimeCode(46800, 1), 0x3000);  // 13:00 in a 2-hour period
  EXPECT_EQ(DecodeTimeCode(0x3000), 3600u);
  EXPECT_EQ(EncodeTimeCode(178200, 7), 0xE96D);  // WEEK 2/01:30
  EXPECT_EQ(DecodeTimeCode(0xE96D), 178147u);
  EXPECT_EQ(PeriodCodeForHours(168), 7);
  EXPECT_EQ(PeriodCodeForHours(3), -1);
  EXPECT_EQ(PeriodCodeForHours(0), -1);
}

TEST(PlanIds, RunFromMinusNPlusOneToMinusTwo) {
  EXPECT_EQ(PlanId(0, 3), -4);
  EXPECT_EQ(PlanId(1, 3), -3);
  EXPECT_EQ(PlanId(2, 3), -2);
}

TEST(AirportOrder, ComparesFromTheLastByteSigned) {
  EXPECT_TRUE(AirportCodeLess(MakeAirportCode("KSEA"), MakeAirportCode("EGLL")));
  EXPECT_TRUE(AirportCodeLess(MakeAirportCode("ABC"), MakeAirportCode("KSEA")));
  EXPECT_TRUE(AirportCodeLess(MakeAirportCode("AB\xC4" "A"), MakeAirportCode("ABCA")));

  std::vector<TrafficAirport> airports(4);
  airports[0].code = MakeAirportCode("KSEA");
  airports[1].code = MakeAirportCode("EGLL");
  airports[2].code = MakeAirportCode("ABC");
  airports[3].code = MakeAirportCode("KSEA");
  airports[3].elevation_m = 99;
  AirportIndex index(airports);
  ASSERT_EQ(index.sorted().size(), 4u);
  EXPECT_EQ(index.sorted()[0], &airports[2]);
  EXPECT_EQ(index.sorted()[1], &airports[0]);
  EXPECT_EQ(index.sorted()[2], &airports[3]);
  EXPECT_EQ(index.sorted()[3], &airports[1]);
  // Duplicates: the first in file order is found.
  EXPECT_EQ(index.Find(MakeAirportCode("KSEA")), &airports[0]);
  EXPECT_EQ(index.Find(MakeAirportCode("ksea")), nullptr);  // sorts elsewhere
  EXPECT_EQ(index.Find(MakeAirportCode("EGKK")), nullptr);
  EXPECT_EQ(index.Find(MakeAirportCode("AB")), nullptr);
  EXPECT_EQ(AirportIndex({}).Find(MakeAirportCode("ABC")), nullptr);
  // A code listed in other case is found where it sorts.
  std::vector<TrafficAirport> lower(1);
  lower[0].code = MakeAirportCode("ksea");
  EXPECT_EQ(AirportIndex(lower).Find(MakeAirportCode("KSEA")), &lower[0]);
}

TEST(GreatCircle, DistanceAndCourseOnTheEquatorAndOverThePole) {
  GeoPoint eq00{ToRadians(0, 10.0f), ToRadians(0, 10.0f)};
  GeoPoint eq05{ToRadians(0, 10.0f), ToRadians(5, 10.0f)};
  DistanceCourse dc = GreatCircle(eq00, eq05);
  EXPECT_NEAR(dc.distance * kNmPerRadian, 299.998729955555, 1e-9);
  EXPECT_NEAR(dc.course, kPi / 2, 1e-3);  // east
  dc = GreatCircle(eq05, eq00);
  EXPECT_NEAR(dc.course, 3 * kPi / 2, 1e-3);  // west

  // From the pole every way is south.
  GeoPoint pole{kPi / 2, 0};
  EXPECT_DOUBLE_EQ(GreatCircle(pole, eq00).course, kPi);

  // Crossing the antimeridian eastward lands west of it.
  GeoPoint p = PointAlong({0, ToRadians(179, 0)}, 2.0 * 0.017453292519943295, kPi / 2);
  EXPECT_NEAR(p.lon, -179.0 * 0.017453292519943295, 1e-9);
  EXPECT_NEAR(p.lat, 0, 1e-12);
}

TEST(ClockText, TwoDigitsEach) {
  EXPECT_EQ(FormatClockTime(1800, false), "00:30");
  EXPECT_EQ(FormatClockTime(86399, true), "23:59:59");
}

TEST(ToolErrorReport, LineZeroConcernsTheWholeFile) {
  EXPECT_EQ(FormatToolError("FlightPlans.txt", 0, "", 0, 0, 55),
            "\nERROR in file FlightPlans.txt :\n\n"
            "A synchronisation error occured for unknown reasons\nwhile inserting arrival times.\n"
            "Arrival time insertion has been cancelled.\n\n");
}

TEST(LineReader, KeepsEachLineEndAndHasNoLengthLimit) {
  std::string long_line(10000, 'a');
  std::string text = "x\r\n\r\n" + long_line + "\ny\r";
  LineReader r(text);
  TextLine l;
  ASSERT_TRUE(r.Next(l));
  EXPECT_EQ(l.text, "x");
  EXPECT_EQ(l.end, "\r\n");
  ASSERT_TRUE(r.Next(l));
  EXPECT_EQ(l.text, "");
  ASSERT_TRUE(r.Next(l));
  EXPECT_EQ(l.text.size(), 10000u);
  EXPECT_EQ(l.end, "\n");
  ASSERT_TRUE(r.Next(l));
  EXPECT_EQ(l.text, "y");
  EXPECT_EQ(l.end, "\r");
  EXPECT_FALSE(r.Next(l));
}

TEST(ToolFiles, ExclusiveCopyNeverOverwrites) {
  TempDir dir;
  WriteFile(dir / "a", "new");
  WriteFile(dir / "b", "old");
  EXPECT_EQ(CopyFileExclusive(dir / "a", dir / "b"), CopyResult::kTargetExists);
  EXPECT_EQ(ReadFile(dir / "b"), "old");
  // The copy is a new file of the user's: no setuid, setgid, nor what the
  // umask takes.
  ASSERT_EQ(::chmod((dir / "a").c_str(), 06755), 0);
  {
    const velk::test::ScopedUmask mask(027);
    EXPECT_EQ(CopyFileExclusive(dir / "a", dir / "c"), CopyResult::kCopied);
  }
  EXPECT_EQ(ReadFile(dir / "c"), "new");
  struct stat st {};
  ASSERT_EQ(::stat((dir / "c").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0750u);
  EXPECT_EQ(CopyFileExclusive(dir / "missing", dir / "d"), CopyResult::kFailed);
  EXPECT_FALSE(std::filesystem::exists(dir / "d"));
  // Made under another name first: nothing but the two files is left.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

TEST(ToolFiles, ExclusiveCreationRefusesFilesAndLinks) {
  TempDir dir;
  WriteFile(dir / "b", "old");
  std::filesystem::create_symlink(dir / "b", dir / "link");
  std::filesystem::create_symlink(dir / "nowhere", dir / "dangling");
  for (const char* name : {"b", "link", "dangling"}) {
    OutputFile f;
    EXPECT_FALSE(f.CreateExclusive(dir / name)) << name;
  }
  EXPECT_EQ(ReadFile(dir / "b"), "old");
  EXPECT_FALSE(std::filesystem::exists(dir / "nowhere"));
  {
    OutputFile f;
    ASSERT_TRUE(f.CreateExclusive(dir / "e"));
    EXPECT_TRUE(f.WriteAndClose("fresh"));
    f.Keep();
  }
  EXPECT_EQ(ReadFile(dir / "e"), "fresh");
  {
    // Not kept: gone with the object.
    OutputFile f;
    ASSERT_TRUE(f.CreateExclusive(dir / "g"));
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "g"));
}

TEST(ToolFiles, APipeIsNeitherCopiedNorWaitedOn) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
  EXPECT_EQ(CopyFileExclusive(dir / "fifo", dir / "copy"), CopyResult::kFailed);
  EXPECT_FALSE(std::filesystem::exists(dir / "copy"));
}

TEST(ToolFiles, LinksAreFollowedToTheFileTheyName) {
  TempDir dir;
  std::filesystem::create_directories(dir / "a/b");
  std::filesystem::create_symlink("b/second", dir / "a/first");       // relative to its folder
  std::filesystem::create_symlink(dir / "target", dir / "a/b/second");  // absolute, not there yet
  auto lands = [](const std::filesystem::path& path) {
    WriteTarget target;
    return target.Open(path) ? target.file() : std::filesystem::path();
  };
  EXPECT_EQ(lands(dir / "a/first"), dir / "target");
  EXPECT_EQ(lands(dir / "plain"), dir / "plain");
  std::filesystem::create_symlink("loop", dir / "loop");
  EXPECT_EQ(lands(dir / "loop"), std::filesystem::path());  // gives up instead of going round
}

TEST(ToolFiles, FindsNamesWithoutRegardToCase) {
  TempDir dir;
  WriteFile(dir / "AIRPORTS.TXT", "x");
  EXPECT_EQ(FindFileNoCase(dir.path(), "Airports.txt"), dir / "AIRPORTS.TXT");
  EXPECT_EQ(FindFileNoCase(dir.path(), "Aircraft.txt"), dir / "Aircraft.txt");
}

TEST(LocateSim, ConfiguredFolderThenParentOfCurrentFolder) {
  TempDir dir;
  std::filesystem::create_directories(dir / "sim/SCENEDB");
  std::filesystem::create_directories(dir / "sim/work");
  {
    ScopedEnv env("VELK_FS_PATH", (dir / "sim").string() + "/ ");
    EXPECT_EQ(LocateFlightSim(), dir / "sim");
  }
  const auto old_cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir / "sim/work");
  {
    // A configured folder that does not exist falls back to the parent.
    ScopedEnv env("VELK_FS_PATH", (dir / "nowhere").string());
    EXPECT_EQ(std::filesystem::canonical(LocateFlightSim()), std::filesystem::canonical(dir / "sim"));
  }
  std::filesystem::current_path(dir.path());
  {
    ScopedEnv env("VELK_FS_PATH", std::nullopt);
    ScopedEnv prefix("WINEPREFIX", (dir / "prefix").string());
    EXPECT_TRUE(LocateFlightSim().empty());
    // No registry value: the usual install folder inside the prefix, in
    // whatever case the installer gave it.
    std::filesystem::create_directories(dir / "prefix/drive_c/program files/Microsoft Games/fs2002");
    EXPECT_EQ(LocateFlightSim(), dir / "prefix/drive_c/program files/Microsoft Games/fs2002");
  }
  std::filesystem::current_path(old_cwd);
}

}  // namespace
}  // namespace traffic

namespace traffic {
namespace {

TEST(LocateSim, TrafficFolderIsFoundWhateverItsCase) {
  velk::test::TempDir dir;
  std::filesystem::create_directories(dir / "SceneDB/atc/SCENERY");
  EXPECT_EQ(TrafficSceneryFolder(dir.path()), dir / "SceneDB/atc/SCENERY");
  velk::test::TempDir plain;
  std::filesystem::create_directories(plain / "SCENEDB/ATC/Scenery");
  EXPECT_EQ(TrafficSceneryFolder(plain.path()), plain / "SCENEDB/ATC/Scenery");
}

}  // namespace
}  // namespace traffic
