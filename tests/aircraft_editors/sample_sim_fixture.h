#pragma once
// A fresh sample simulator folder, a program folder with the shipped class
// file and name lists, and the installed aircraft read from it with their
// file checks, as the simulator aircraft editor reads them when it opens.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/class_config.h"
#include "data/installed_aircraft.h"
#include "data/name_lists.h"
#include "data/plan_records.h"
#include "platform/message_box.h"
#include "sample_sim/sample_sim.h"
#include "support/test_support.h"

namespace velk::test {

// `text` with its first `from` replaced by `to`.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

class SampleSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Only the aircraft: the scenery files are of no concern here.
    std::string error;
    for (const auto& a : sample::SampleAircraftList())
      ASSERT_TRUE(sample::WriteSampleAircraft(sim_ / "Aircraft", a, &error)) << error;
    std::filesystem::create_directories(program_);
    for (const char* name : {"VELK_AC.CFG", "VELK_NAL.CFG", "VELK_NMD.CFG", "VELK_NTP.CFG"})
      std::filesystem::copy_file(SourceDir() / "program" / name, program_ / name);
    ClassAircraftConfig() = {};
    ClassDefaults() = {};
    ASSERT_TRUE(ReadClassConfig(program_));
    ASSERT_TRUE(ReadAirlineNames(program_));
    ASSERT_TRUE(ReadATCModelNames(program_));
    ASSERT_TRUE(ReadATCTypeNames(program_));
    ASSERT_TRUE(LoadFSAircraft(plan_, true));
  }

  // Index of the installed aircraft titled `title`.
  size_t IndexOf(const std::string& title) const {
    for (size_t i = 0; i < plan_.FSAircraftList.size(); ++i)
      if (plan_.FSAircraftList[i].Title == title) return i;
    ADD_FAILURE() << "no aircraft " << title;
    return 0;
  }
  // The aircraft.cfg of a sample aircraft folder, as a path and as bytes.
  std::filesystem::path CfgPath(const std::string& folder) const {
    for (const auto& a : sample::SampleAircraftList())
      if (a.Folder == folder) return sim_ / "Aircraft" / folder / a.CfgName;
    return {};
  }
  std::string CfgBytes(const std::string& folder) const { return *ReadFile(CfgPath(folder)); }
  static std::string OriginalCfg(const std::string& folder) {
    for (const auto& a : sample::SampleAircraftList())
      if (a.Folder == folder) return sample::AircraftCfgText(a);
    return {};
  }

  TempDir dir_;
  std::filesystem::path sim_ = dir_ / "FS2002";
  std::filesystem::path program_ = dir_ / "program";
  ScopedEnv fs_{"VELK_FS_PATH", sim_.string()};
  ScriptedMessageBoxes boxes_;
  PlanState plan_;
};

}  // namespace velk::test
