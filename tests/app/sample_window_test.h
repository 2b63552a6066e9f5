#pragma once
// A fixture for tests that drive the whole main window: the sample simulator
// (made once per test program), a private settings store and program folder,
// the sample plan copied into a private folder, scripted message boxes and
// file dialogs, modal dialogs that the test drives (none accepted unless a
// test installs its own driver), and a started frmMain with its splash
// closed. Window test programs only.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/frm_main.h"
#include "data/plan_records.h"
#include "data/program_state.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/qt/modal_dialog.h"
#include "sample_sim/sample_sim.h"
#include "support/test_support.h"

namespace velk::test {

class SampleWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    simulator_ = new TempDir;
    std::string error;
    ASSERT_TRUE(sample::MakeSampleSimulator(simulator_->path(), &error)) << error;
  }
  static void TearDownTestSuite() {
    delete simulator_;
    simulator_ = nullptr;
  }

  void SetUp() override {
    Program() = ProgramState{};
    Plan() = PlanState{};
    w_.SetProgramFolder(programFolder_.path());
    ASSERT_TRUE(w_.StartUp());
    w_.onSplashTimer();
  }

  // The sample plan's three files in their own folder below the private
  // one; the path of its FlightPlans.txt.
  std::filesystem::path CopySamplePlan(const std::string& folder) {
    std::filesystem::path target = plans_ / folder;
    std::filesystem::create_directories(target);
    for (const char* name : {"FlightPlans.txt", "Aircraft.txt", "Airports.txt"})
      std::filesystem::copy_file(SourceDir() / "sample" / name, target / name,
                                 std::filesystem::copy_options::overwrite_existing);
    return target / "FlightPlans.txt";
  }

  std::vector<std::string> Prompts() const { return boxes_.Prompts(); }

  inline static TempDir* simulator_ = nullptr;
  ProgramFolder programFolder_;
  TempDir home_;
  TempDir plans_;
  ScopedEnv config_{"VELK_CONFIG_HOME", home_.path().string()};
  ScopedEnv fs_{"VELK_FS_PATH", simulator_->path().string()};
  ScriptedMessageBoxes boxes_{kIdOk};
  ScriptedFileDialogs dialogs_;
  ScriptedModalDialogs modal_{[](QDialog&) {}};
  frmMain w_;
};

}  // namespace velk::test
