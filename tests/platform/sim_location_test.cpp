#include "platform/sim_location.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::TempDir;
using test::WriteFile;

// A Wine prefix as an installer leaves it: dosdevices/c: links to drive_c,
// and the simulator's folders are spelt in a case of their own.
class FakePrefix : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(prefix / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    sim = prefix.path() / "drive_c" / "program files" / "Microsoft Games" / "fs2002";
    WriteFile(sim / "SceneDB" / "atc" / "Scenery" / "traffic.bgl", "x");
    WriteFile(sim / "Aircraft" / "B737" / "Aircraft.CFG", "[fltsim.0]\n");
  }

  void WriteSystemReg(const std::string& keys) {
    WriteFile(prefix / "system.reg", "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n" + keys);
  }

  static std::string SimKey(bool wow, const std::string& exePath) {
    return std::string("[Software\\\\") + (wow ? "Wow6432Node\\\\" : "") +
           "Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\8.0] 1700000000\n"
           "\"EXE Path\"=\"" + exePath + "\"\n\n";
  }

  TempDir prefix;
  ScopedEnv wine{"WINEPREFIX", prefix.path().string()};
  ScopedEnv noOverride{"VELK_FS_PATH", std::nullopt};
  fs::path sim;
};

TEST_F(FakePrefix, FindsTheSimulatorThroughTheRegistry) {
  EXPECT_EQ(FlightSimFolder(), fs::path());  // no system.reg yet

  // Only the plain key, a value in other case, trailing blanks and backslash.
  WriteSystemReg(SimKey(false, "C:\\\\Program Files\\\\MICROSOFT GAMES\\\\FS2002\\\\  "));
  EXPECT_EQ(fs::canonical(FlightSimFolder()), fs::canonical(sim));
  EXPECT_EQ(FlightSimFolder().filename(), "fs2002");

  // The 32-bit view comes first when both are there.
  fs::create_directories(prefix / "drive_c" / "Other");
  WriteSystemReg(SimKey(false, "C:\\\\Program Files\\\\Microsoft Games\\\\FS2002") +
                 SimKey(true, "c:\\\\other"));
  EXPECT_EQ(FlightSimFolder().filename(), "Other");

  // A Linux path is taken as it is; the override beats the registry.
  WriteSystemReg(SimKey(true, (sim.string() + "/")));
  EXPECT_EQ(fs::canonical(FlightSimFolder()), fs::canonical(sim));
  ScopedEnv override("VELK_FS_PATH", "/somewhere/else");
  EXPECT_EQ(FlightSimFolder(), fs::path("/somewhere/else"));
}

TEST_F(FakePrefix, TranslatesDrivesThroughDosdevices) {
  fs::path other = prefix.path() / "mnt-d";
  fs::create_directories(other / "Games");
  fs::create_directory_symlink(other, prefix / "dosdevices" / "d:");
  EXPECT_EQ(TranslateWindowsPath("D:\\games"), fs::canonical(other) / "Games");
  EXPECT_EQ(fs::canonical(TranslateWindowsPath("\\Program Files\\microsoft games\\FS2002")),
            fs::canonical(sim));
  EXPECT_EQ(TranslateWindowsPath("\\\\server\\share"), fs::path());
  // Windows-1252 names meet the UTF-8 names of the file system.
  fs::create_directories(prefix / "drive_c" / "Jeux \xC3\xA9t\xC3\xA9");
  EXPECT_EQ(TranslateWindowsPath("C:\\JEUX \xC9T\xC9").filename(), "Jeux \xC3\xA9t\xC3\xA9");
}

// A folder named with characters that Windows-1252 lacks is found as Wine
// finds it: the value's whole text, not its Windows-1252 view, becomes the
// Linux path.
TEST_F(FakePrefix, KeepsCharactersOutsideWindows1252) {
  const std::string games = "\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B";  // Игры
  const std::string simulator =
      "\xD0\xA1\xD0\xB8\xD0\xBC\xD1\x83\xD0\xBB\xD1\x8F\xD1\x82\xD0\xBE\xD1\x80 2002";  // Симулятор 2002
  fs::path folder = prefix.path() / "drive_c" / games / simulator;
  fs::create_directories(folder / "SCENEDB");

  WriteSystemReg(SimKey(false, "C:\\\\\\x418\\x433\\x440\\x44b\\\\\\x421\\x438\\x43c\\x443\\x43b\\x44f\\x442"
                               "\\x43e\\x440 2002"));
  EXPECT_EQ(fs::canonical(FlightSimFolder()), fs::canonical(folder));
  // (The registry file's own tests read such a value from UTF-16 hex too.)

  // C:\ИГРЫ\СИМУЛЯТОР 2002\: the case of every script is ignored, as Wine
  // ignores it.
  WriteSystemReg(SimKey(false, "C:\\\\\\x418\\x413\\x420\\x42b\\\\\\x421\\x418\\x41c\\x423\\x41b\\x42f\\x422"
                               "\\x41e\\x420 2002\\\\"));
  EXPECT_EQ(fs::canonical(FlightSimFolder()), fs::canonical(folder));
  fs::create_directories(folder / "\xCE\xB1\xCE\xB5\xCF\x81\xCE\xBF\xCF\x83\xCE\xBA\xCE\xAC\xCF\x86\xCE\xB7");
  EXPECT_EQ(ResolvePathNoCase(folder, "\xCE\x91\xCE\x95\xCE\xA1\xCE\x9F\xCE\xA3\xCE\x9A\xCE\x86\xCE\xA6\xCE\x97"),
            folder / "\xCE\xB1\xCE\xB5\xCF\x81\xCE\xBF\xCF\x83\xCE\xBA\xCE\xAC\xCF\x86\xCE\xB7");  // αεροσκάφη
  // Wine keeps the Kelvin sign apart from k: its case mapping does not lead back.
  fs::create_directories(folder / "kiel");
  EXPECT_EQ(ResolvePathNoCase(folder, "\xE2\x84\xAAIEL"), folder / "\xE2\x84\xAAIEL");
}

TEST(ResolvePathNoCase, ReturnsExistingSpellingAndKeepsTheRest) {
  TempDir dir;
  WriteFile(dir / "Aircraft" / "b737" / "aircraft.cfg", "");
  WriteFile(dir / "SCENEDB" / "ATC" / "Scenery" / "Traffic.BGL", "");
  EXPECT_EQ(ResolvePathNoCase(dir.path(), "aircraft\\B737\\AIRCRAFT.cfg"),
            dir.path() / "Aircraft" / "b737" / "aircraft.cfg");
  EXPECT_EQ(ResolvePathNoCase(dir.path(), "\\SceneDB\\atc\\scenery\\traffic.bgl"),
            dir.path() / "SCENEDB" / "ATC" / "Scenery" / "Traffic.BGL");
  // A new file keeps the name it was asked for, in the folder's spelling.
  EXPECT_EQ(ResolvePathNoCase(dir.path(), "scenedb/atc/scenery/traffic_TEMP.bgl"),
            dir.path() / "SCENEDB" / "ATC" / "Scenery" / "traffic_TEMP.bgl");
  EXPECT_EQ(ResolvePathNoCase(dir.path(), "missing\\aircraft"), dir.path() / "missing" / "aircraft");
  // The exact name wins over a name differing only in case.
  WriteFile(dir / "Aircraft" / "B737" / "x", "");
  EXPECT_EQ(ResolvePathNoCase(dir.path(), "Aircraft\\B737"), dir.path() / "Aircraft" / "B737");
  EXPECT_EQ(ResolvePathNoCase(dir.path(), "AIRCRAFT\\b737"), dir.path() / "Aircraft" / "b737");
}

}  // namespace
}  // namespace velk
