#include "data/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/registry_file.h"
#include "support/test_support.h"

namespace velk {
namespace {

using test::ReadFile;
using test::ScopedEnv;
using test::TempDir;
using test::WriteFile;

std::string Get(const std::string& section, const std::string& key, const std::string& def) {
  return GetUserSetting(kCompany, kApplication, kVersion, section, key, def);
}

bool Save(const std::string& section, const std::string& key, const std::string& value) {
  return SaveUserSetting(kCompany, kApplication, kVersion, section, key, value);
}

class SettingsStore : public ::testing::Test {
 protected:
  TempDir dir;
  ScopedEnv config{"VELK_CONFIG_HOME", dir.path().string()};
  std::filesystem::path store = dir / "user.reg";
};

TEST(SettingsKeyPath, JoinsTheParts) {
  EXPECT_EQ(SettingsKeyPath("Brennhall", "Corrivan", "1.0", "Settings\\Flight Editor"),
            "SOFTWARE\\Brennhall\\Corrivan\\1.0\\Settings\\Flight Editor");
  EXPECT_EQ(SettingsKeyPath("", "App", "2", "S"), "SOFTWARE\\App\\2\\S");
  EXPECT_EQ(SettingsKeyPath("Co", "App", "2", ""), "SOFTWARE\\Co\\App\\2\\");
}

TEST_F(SettingsStore, ValuesRoundTripThroughTheFile) {
  EXPECT_EQ(Get("Settings", "Never", "dflt"), "dflt");
  EXPECT_TRUE(Save("Settings", "Empty", ""));
  EXPECT_TRUE(Save("Settings", "Path", "C:\\Program Files\\%APPDATA%\\\"x\""));
  EXPECT_TRUE(Save("Settings\\Flight Editor", "Zone", std::string("GMT +01:00 \xE9\x80", 13)));
  EXPECT_TRUE(Save("Recent Flightplans", "1", "/home/u/plans/FlightPlans.txt"));

  // An empty text is a value, not a missing one.
  EXPECT_EQ(Get("Settings", "Empty", "dflt"), "");
  EXPECT_EQ(Get("settings", "PATH", ""), "C:\\Program Files\\%APPDATA%\\\"x\"");

  // A value stored as an expandable string with its NUL, under a key
  // spelt as a Wine prefix spells it.
  auto text = ReadFile(store);
  ASSERT_TRUE(text);
  EXPECT_EQ(text->rfind("WINE REGISTRY Version 2\n", 0), 0u);
  EXPECT_NE(text->find("[Software\\\\Brennhall\\\\Corrivan\\\\1.0\\\\Settings]"), std::string::npos);
  EXPECT_NE(text->find("\"Empty\"=str(2):\"\"\n"), std::string::npos);
  auto parsed = RegistryFile::Parse(*text);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->FindKey("Software\\Brennhall\\Corrivan\\1.0\\Settings")->FindValue("Empty")->data,
            std::string(1, '\0'));

  // Another program (or a second run) reading the file sees the same.
  std::filesystem::path copy = dir / "other" / "user.reg";
  WriteFile(copy, *text);
  ScopedEnv other("VELK_CONFIG_HOME", (dir / "other").string());
  EXPECT_EQ(Get("Settings\\Flight Editor", "zone", ""), std::string("GMT +01:00 \xE9\x80", 13));
  EXPECT_EQ(Get("Recent Flightplans", "1", ""), "/home/u/plans/FlightPlans.txt");
}

TEST_F(SettingsStore, ReadingLeavesTheSectionKeyBehind) {
  EXPECT_EQ(Get("Recent Projects", "1", ""), "");
  auto parsed = RegistryFile::Parse(ReadFile(store).value_or(""));
  ASSERT_TRUE(parsed);
  EXPECT_TRUE(parsed->FindKey("SOFTWARE\\Brennhall\\Corrivan\\1.0\\Recent Projects"));
}

TEST_F(SettingsStore, ValueWithoutDataGivesTheDefault) {
  WriteFile(store,
            "WINE REGISTRY Version 2\n\n"
            "[Software\\\\Brennhall\\\\Corrivan\\\\1.0\\\\Settings] 1\n"
            "\"NoBytes\"=hex(2):\n"
            "\"Sz\"=\"plain\"\n");
  EXPECT_EQ(Get("Settings", "NoBytes", "dflt"), "dflt");
  EXPECT_EQ(Get("Settings", "Sz", "dflt"), "plain");
}

TEST_F(SettingsStore, ChangesByOthersAreSeenAndKept) {
  ASSERT_TRUE(Save("Settings", "A", "1"));
  EXPECT_EQ(Get("Settings", "A", ""), "1");
  // The file changes under us (another run of the program).
  auto text = *ReadFile(store);
  text += "\"B\"=str(2):\"from elsewhere\"\n";
  WriteFile(store, text);
  EXPECT_EQ(Get("Settings", "B", ""), "from elsewhere");
  ASSERT_TRUE(Save("Settings", "C", "3"));
  EXPECT_EQ(Get("Settings", "B", ""), "from elsewhere");
  EXPECT_EQ(Get("Settings", "A", ""), "1");
}

TEST_F(SettingsStore, BrokenFileIsKeptAsideAndDefaultsUsed) {
  const std::string junk = "this is not a registry file\n\"A\"=\"1\"\n";
  WriteFile(store, junk);
  WriteFile(dir / "user.reg.broken", "an earlier broken store");
  EXPECT_EQ(Get("Settings", "A", "dflt"), "dflt");
  EXPECT_EQ(ReadFile(dir / "user.reg.broken.2").value_or(""), junk);
  EXPECT_EQ(ReadFile(dir / "user.reg.broken").value_or(""), "an earlier broken store");
  EXPECT_TRUE(Save("Settings", "A", "2"));
  EXPECT_EQ(Get("Settings", "A", "dflt"), "2");
  EXPECT_TRUE(RegistryFile::Parse(ReadFile(store).value_or("")));
}

TEST_F(SettingsStore, UnwritableStoreReportsFailureAndKeepsTheOldValue) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  ASSERT_TRUE(Save("Settings", "A", "old"));
  ::chmod(dir.path().c_str(), 0500);
  EXPECT_FALSE(Save("Settings", "A", "new"));
  EXPECT_EQ(Get("Settings", "A", ""), "old");
  ::chmod(dir.path().c_str(), 0700);

  // A store that exists but cannot be read is never replaced.
  ::chmod(store.c_str(), 0000);
  ScopedEnv again("VELK_CONFIG_HOME", (dir.path() / "." ).string());
  EXPECT_EQ(Get("Settings", "A", "dflt"), "dflt");
  EXPECT_FALSE(Save("Settings", "A", "lost?"));
  ::chmod(store.c_str(), 0600);
  EXPECT_EQ(Get("Settings", "A", ""), "old");
}

TEST_F(SettingsStore, LinkedStoreIsWrittenThroughItsLink) {
  std::filesystem::path real = dir / "dotfiles" / "velk.reg";
  WriteFile(real, "WINE REGISTRY Version 2\n");
  std::filesystem::create_symlink(real, store);
  ASSERT_TRUE(Save("Settings", "A", "1"));
  EXPECT_TRUE(std::filesystem::is_symlink(store));
  EXPECT_NE(ReadFile(real).value_or("").find("\"A\"=str(2):\"1\""), std::string::npos);
  // Broken, it is set aside where it lies, and the link stays for the next
  // store.
  WriteFile(real, "junk");
  EXPECT_EQ(Get("Settings", "A", "dflt"), "dflt");
  EXPECT_EQ(ReadFile(dir / "dotfiles" / "velk.reg.broken"), "junk");
  ASSERT_TRUE(Save("Settings", "B", "2"));
  EXPECT_TRUE(std::filesystem::is_symlink(store));
  EXPECT_NE(ReadFile(real).value_or("").find("\"B\"=str(2):\"2\""), std::string::npos);
}

TEST_F(SettingsStore, BrokenKeyPathsFailQuietly) {
  EXPECT_FALSE(SaveUserSetting("", "", kVersion, "Settings", "A", "1"));
  EXPECT_EQ(GetUserSetting("", "", kVersion, "Settings", "A", "dflt"), "dflt");
}

TEST(MachineSettings, ReadFromThePrefixWow6432NodeFirst) {
  TempDir prefix;
  ScopedEnv wine("WINEPREFIX", prefix.path().string());
  const std::string head = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n";
  const std::string plain =
      "[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\8.0] 1\n"
      "\"EXE Path\"=\"C:\\\\Plain\"\n";
  const std::string wow =
      "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\8.0] 1\n"
      "\"EXE Path\"=str(2):\"C:\\\\Wow\"\n";
  auto exePath = [] {
    return GetMachineSetting("Microsoft", "Microsoft Games\\Flight Simulator", "8.0", "", "EXE Path", "");
  };
  EXPECT_EQ(exePath(), "");
  WriteFile(prefix / "system.reg", head + plain);
  EXPECT_EQ(exePath(), "C:\\Plain");
  WriteFile(prefix / "system.reg", head + plain + "\n" + wow);
  EXPECT_EQ(exePath(), "C:\\Wow");
  // Never written, not even the key a read asks for.
  EXPECT_EQ(GetMachineSetting("X", "Y", "1", "Z", "V", "d"), "d");
  EXPECT_EQ(*ReadFile(prefix / "system.reg"), head + plain + "\n" + wow);
}

}  // namespace
}  // namespace velk
