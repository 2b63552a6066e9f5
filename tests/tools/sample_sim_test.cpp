#include "sample_sim/sample_sim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "data/model_radius.h"
#include "platform/profile_file.h"
#include "support/test_support.h"

namespace velk::sample {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(SampleSimulator, BuildsAircraftAndSceneryFolders) {
  TempDir dir;
  std::string error;
  ASSERT_TRUE(MakeSampleSimulator(dir.path(), &error)) << error;
  EXPECT_TRUE(fs::is_directory(dir / "SceneDB/AfdFiles/Scenery"));
  EXPECT_TRUE(fs::is_directory(dir / "SceneDB/ATC/Scenery"));
  EXPECT_TRUE(fs::is_empty(dir / "SceneDB/ATC/Scenery"));

  const auto& list = SampleAircraftList();
  ASSERT_GE(list.size(), 12u);
  std::set<std::string> titles;
  for (const auto& a : list) {
    fs::path folder = dir / "Aircraft" / a.Folder;
    auto cfg = ProfileFile::Load(folder / a.CfgName);
    ASSERT_TRUE(cfg) << a.Folder;
    EXPECT_GE(a.Variations.size(), 2u);
    for (size_t i = 0; i < a.Variations.size(); ++i) {
      std::string section = "fltsim." + std::to_string(i);
      EXPECT_EQ(cfg->GetString(section, "title"), a.Variations[i].Title);
      EXPECT_TRUE(fs::is_directory(folder / a.Variations[i].TextureFolder));
      titles.insert(a.Variations[i].Title);
    }
    EXPECT_EQ(cfg->GetString("General", "atc_model"), a.AtcModel);
    // The model file carries the radius in its layout.
    auto mdl = ReadFile(folder / a.ModelFolder / a.MdlFile);
    ASSERT_TRUE(mdl) << a.Folder;
    ModelRadiusFound found = FindModelRadius(*mdl);
    EXPECT_EQ(found.kind, a.ModelKind) << a.Folder;
    EXPECT_EQ(found.radius, a.Radius) << a.Folder;
    EXPECT_TRUE(fs::is_regular_file(folder / a.AirFile));
  }
  // Titles must be unique: the plan joins aircraft by title.
  EXPECT_EQ(titles.size(), SampleAircraftTitles().size());
}

TEST(SampleSimulator, InstallsEveryAircraftOfTheSamplePlan) {
  // Opening the sample plan must find each of its aircraft installed.
  auto text = ReadFile(test::SourceDir() / "sample" / "Aircraft.txt");
  if (!text) GTEST_SKIP() << "no sample plan";
  std::vector<std::string> installed = SampleAircraftTitles();
  int count = 0;
  size_t pos = 0;
  while ((pos = text->find('"', pos)) != std::string::npos) {
    size_t end = text->find('"', pos + 1);
    ASSERT_NE(end, std::string::npos);
    std::string title = text->substr(pos + 1, end - pos - 1);
    pos = end + 1;
    if (title == "title") continue;  // the header comment
    ++count;
    EXPECT_NE(std::find(installed.begin(), installed.end(), title), installed.end()) << title;
  }
  EXPECT_GT(count, 0);
}

TEST(SampleSimulator, SecondRunKeepsWhatTheUserChanged) {
  TempDir dir;
  ASSERT_TRUE(MakeSampleSimulator(dir.path()));
  const SampleAircraft& first = SampleAircraftList().front();
  fs::path cfg = dir / "Aircraft" / first.Folder / first.CfgName;
  ASSERT_TRUE(WriteProfileValue(cfg, "fltsim.0", "title", "Renamed"));
  fs::remove_all(dir / "SceneDB/ATC");
  ASSERT_TRUE(MakeSampleSimulator(dir.path()));
  EXPECT_EQ(ReadProfileValue(cfg, "fltsim.0", "title"), "Renamed");
  EXPECT_TRUE(fs::is_directory(dir / "SceneDB/ATC/Scenery"));
}

TEST(SampleSimulator, ReusesFoldersSpelledInAnotherCase) {
  TempDir dir;
  fs::create_directories(dir / "AIRCRAFT");
  fs::create_directories(dir / "SCENEDB/ATC/SCENERY");
  ASSERT_TRUE(MakeSampleSimulator(dir.path()));
  EXPECT_FALSE(fs::exists(dir / "Aircraft"));
  EXPECT_FALSE(fs::exists(dir / "SceneDB"));
  EXPECT_TRUE(fs::is_directory(dir / "SCENEDB/AfdFiles/Scenery"));
  EXPECT_FALSE(fs::is_empty(dir / "AIRCRAFT"));
}

TEST(SampleSimulator, ReportsAFolderItCannotCreate) {
  TempDir dir;
  WriteFile(dir / "file", "x");
  std::string error;
  EXPECT_FALSE(MakeSampleSimulator(dir / "file", &error));
  EXPECT_NE(error.find("file"), std::string::npos);
}

TEST(SampleSimulator, CommandBuildsTheFolder) {
  TempDir dir;
  std::string tool = (test::ToolsDir() / "velk-make-sample-sim").string();
  if (!fs::exists(tool)) GTEST_SKIP() << "tool not built";
  std::string cmd = "'" + tool + "' '" + (dir / "sim").string() + "' >/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_TRUE(fs::is_directory(dir / "sim/Aircraft" / SampleAircraftList().back().Folder));
  EXPECT_NE(std::system(("'" + tool + "' >/dev/null 2>&1").c_str()), 0);
}

// The run command and the screenshot script point velk at one sample
// simulator folder, made by one script; a screenshot without it would show
// empty aircraft trees.
TEST(SampleSimulator, RunAndScreenshotScriptsShareTheFolderTheScriptMakes) {
  std::string tool = (test::ToolsDir() / "velk-make-sample-sim").string();
  if (!fs::exists(tool)) GTEST_SKIP() << "tool not built";
  TempDir build;
  fs::create_directories(build / "bin");
  fs::create_symlink(tool, build / "bin" / "velk-make-sample-sim");
  std::string cmd = "bash '" + (test::SourceDir() / "scripts" / "sample-sim.sh").string() + "' '" +
                    build.path().string() + "'";
  std::FILE* out = ::popen(cmd.c_str(), "r");
  ASSERT_NE(out, nullptr);
  char line[4096] = {};
  std::string printed = std::fgets(line, sizeof line, out) ? line : "";
  ASSERT_EQ(::pclose(out), 0);
  EXPECT_EQ(printed, (build / "sample-sim").string() + "\n");
  EXPECT_TRUE(fs::is_directory(build / "sample-sim" / "Aircraft" / SampleAircraftList().back().Folder));
  EXPECT_TRUE(fs::is_directory(build / "sample-sim" / "SceneDB" / "AfdFiles" / "Scenery"));
  for (const char* script : {"run-velk.sh", "screenshot.sh"}) {
    auto text = ReadFile(test::SourceDir() / "scripts" / script);
    ASSERT_TRUE(text) << script;
    EXPECT_NE(text->find("scripts/sample-sim.sh"), std::string::npos) << script;
    EXPECT_NE(text->find("VELK_FS_PATH"), std::string::npos) << script;
  }
}

// The run command opens a copy of the sample plan in the build folder, made
// once and then kept, so what the user saves never changes sample/.
TEST(SampleSimulator, TheRunCommandOpensAWorkingCopyOfTheSamplePlan) {
  TempDir build;
  auto makeCopy = [&] {
    std::string cmd = "bash '" + (test::SourceDir() / "scripts" / "sample-plan.sh").string() + "' '" +
                      build.path().string() + "'";
    std::FILE* out = ::popen(cmd.c_str(), "r");
    char line[4096] = {};
    std::string printed = out && std::fgets(line, sizeof line, out) ? line : "";
    EXPECT_EQ(out ? ::pclose(out) : -1, 0);
    return printed;
  };
  const fs::path plan = build / "sample-plan";
  EXPECT_EQ(makeCopy(), plan.string() + "\n");
  for (const char* name : {"Airports.txt", "Aircraft.txt", "FlightPlans.txt"})
    EXPECT_EQ(ReadFile(plan / name), ReadFile(test::SourceDir() / "sample" / name)) << name;
  WriteFile(plan / "FlightPlans.txt", "saved\r\n");
  EXPECT_EQ(makeCopy(), plan.string() + "\n");
  EXPECT_EQ(ReadFile(plan / "FlightPlans.txt"), "saved\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(build.path()), fs::directory_iterator()), 1);
  auto script = ReadFile(test::SourceDir() / "scripts" / "run-velk.sh");
  ASSERT_TRUE(script);
  EXPECT_NE(script->find("scripts/sample-plan.sh"), std::string::npos);
}

}  // namespace
}  // namespace velk::sample
