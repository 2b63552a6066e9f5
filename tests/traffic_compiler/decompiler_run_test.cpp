// Whole ulvane runs against a fake simulator folder: console texts, exit
// codes, and which files exist afterwards.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "platform/file_set_journal.h"
#include "platform/folder_list.h"
#include "support/test_support.h"
#include "traffic_compiler/common/console.h"
#include "traffic_compiler/common/tool_error.h"
#include "traffic_compiler/decompiler/decompiler_main.h"
#include "traffic_compiler/decompiler_test_db.h"

namespace ulvane::test {
namespace {

namespace fs = std::filesystem;
using velk::test::ReadFile;
using velk::test::ScopedCurrentDir;
using velk::test::ScopedEnv;
using velk::test::TempDir;
using velk::test::WriteFile;

const char kBanner[] = "De-compiler for FS2002 traffic.bgl file, version 1.3.3\n\n";
const char kLocated[] = "FS2002 located, decompiling traffic.bgl file now...\n\n";

class DecompilerRun : public ::testing::Test {
 protected:
  void InstallDatabase(const std::string& bytes, const char* name = "traffic.bgl") {
    WriteFile(sim_.path() / "SCENEDB" / "ATC" / "Scenery" / name, bytes);
  }
  fs::path DatabasePath() const { return sim_.path() / "SCENEDB/ATC/Scenery/traffic.bgl"; }

  int Run(const std::vector<std::string>& args) {
    traffic::ScopedConsoleCapture console;
    int rc = DecompilerMain(args, work_.path());
    transcript_ = console.WithoutProgress();
    return rc;
  }

  std::vector<std::string> WorkFiles() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(work_.path())) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir sim_;
  TempDir work_;
  // The run looks for a simulator beside the current folder when none is
  // configured, so every test runs from a folder of its own.
  ScopedCurrentDir cwd_{work_.path()};
  ScopedEnv fsPath_{"VELK_FS_PATH", sim_.path().string()};
  std::string transcript_;
};

TEST_F(DecompilerRun, DecompilesTheSimulatorsDatabase) {
  InstallDatabase(SampleDatabase());
  EXPECT_EQ(Run({"/np"}), 0);
  EXPECT_EQ(transcript_, std::string(kBanner) + kLocated +
                             "Extracting airport database now...\n"
                             "  Airports 3\n"
                             "Extracting aircraft database now...\n"
                             "  Aircraft 2\n"
                             "Extracting flight plan database now...\n"
                             "  Flight plans 3\n"
                             "Creating Airports.txt now...\n"
                             "  Airports 3\n"
                             "Creating Aircraft.txt now...\n"
                             "  Aircraft 2\n"
                             "Creating FlightPlans.txt now...\n"
                             "  Flight Plans  3\n"
                             "  Total Flights 8\n"
                             "\nDecompile of traffic.bgl completed\n\n");
  EXPECT_EQ(ReadFile(work_ / "Airports.txt"), kSampleAirports);
  EXPECT_EQ(ReadFile(work_ / "Aircraft.txt"), kSampleAircraft);
  EXPECT_EQ(ReadFile(work_ / "FlightPlans.txt"), kSamplePlans);
}

TEST_F(DecompilerRun, FindsFilesWhateverTheirCase) {
  // A tree copied from another system keeps its own spelling, and existing
  // text files are replaced under theirs.
  InstallDatabase(SampleDatabase(), "TRAFFIC.BGL");
  WriteFile(work_ / "airports.txt", "old\r\n");
  EXPECT_EQ(Run({"/np"}), 0);
  EXPECT_EQ(ReadFile(work_ / "airports.txt"), kSampleAirports);
  EXPECT_EQ(WorkFiles(), (std::vector<std::string>{"Aircraft.txt", "FlightPlans.txt", "airports.txt"}));
}

TEST_F(DecompilerRun, OnlyAFirstArgumentOfNpSkipsTheWait) {
  InstallDatabase(SampleDatabase());
  auto waited = [&] { return transcript_.ends_with("Press ENTER key to finish..."); };
  for (const char* np : {"/np", "/NP", "/nP"}) {
    Run({np});
    EXPECT_FALSE(waited()) << np;
  }
  Run({"/ep", "/np"});
  EXPECT_TRUE(waited());
  fs::remove(DatabasePath());  // the wait follows an error too
  EXPECT_EQ(Run({}), 1);
  EXPECT_TRUE(waited());
}

TEST_F(DecompilerRun, MissingSimulatorOrDatabaseWritesNothing) {
  ScopedEnv noSim("VELK_FS_PATH", (sim_.path() / "absent").string());
  EXPECT_EQ(Run({"/np"}), 1);
  EXPECT_EQ(transcript_, std::string(kBanner) + "ERROR: Unable to locate FS2002 in computer\n\n");

  ScopedEnv sim("VELK_FS_PATH", sim_.path().string());
  EXPECT_EQ(Run({"/np"}), 1);
  EXPECT_EQ(transcript_, std::string(kBanner) + kLocated + "\nERROR: Unable to find or open file " +
                             DatabasePath().string() + "\n\n");
  EXPECT_TRUE(WorkFiles().empty());
}

TEST_F(DecompilerRun, DamagedDatabaseLeavesTheOldFilesAlone) {
  std::string bytes = SampleDatabase();
  PutU32(bytes, kPlanEntry, 1000);  // more plans than the file holds
  InstallDatabase(bytes);
  WriteFile(work_ / "Airports.txt", "old airports\r\n");
  WriteFile(work_ / "FlightPlans.txt", "old plans\r\n");
  EXPECT_EQ(Run({"/np"}), 1);
  EXPECT_EQ(transcript_, std::string(kBanner) + kLocated +
                             "Extracting airport database now...\n"
                             "  Airports 3\n"
                             "Extracting aircraft database now...\n"
                             "  Aircraft 2\n"
                             "Extracting flight plan database now...\n"
                             "\nERROR: Unable to read from file " + DatabasePath().string() + "\n\n");
  EXPECT_EQ(ReadFile(work_ / "Airports.txt"), "old airports\r\n");
  EXPECT_EQ(ReadFile(work_ / "FlightPlans.txt"), "old plans\r\n");
  EXPECT_EQ(WorkFiles(), (std::vector<std::string>{"Airports.txt", "FlightPlans.txt"}));
}

TEST_F(DecompilerRun, OutputThatCannotBeCreatedIsReportedByName) {
  TrafficDatabase db;
  traffic::ScopedConsoleCapture console;
  ASSERT_EQ(ReadTrafficDatabase(SampleDatabase(), db), 0);
  velk::SetFolder missing(work_ / "no such folder");
  missing.Lock([] {});
  EXPECT_EQ(WriteTrafficFiles(db, missing), 11);
  // The system's reason follows the error.
  EXPECT_TRUE(console.text().ends_with("\nERROR: Unable to create file Airports.txt\n\nCould not make a new file "
                                       "beside '" + (work_ / "no such folder/Airports.txt").string() +
                                       "' (No such file or directory).\n\n"))
      << console.text();
  // A folder that holds a journal still in force is named, with why.
  velk::test::WriteFile(work_ / ".velk.journal", "velk file set 2");
  std::filesystem::permissions(work_ / ".velk.journal", std::filesystem::perms::others_write,
                               std::filesystem::perm_options::add);
  velk::SetFolder unfinished(work_.path());
  unfinished.Lock([] {});
  EXPECT_FALSE(unfinished.Recover().Readable());
  EXPECT_EQ(WriteTrafficFiles(db, unfinished), traffic::kErrSetFolder);
  EXPECT_TRUE(console.text().ends_with("\nERROR: An interrupted replacement of files in the folder '" + work_.path().string() +
                                       "' could not be carried through.\n\n"))
      << console.text();
}

int g_journalSyncs = 0;

// The journal's record of the new files cannot be made durable: said so,
// naming the journal, and nothing is replaced.
TEST_F(DecompilerRun, AReplacementThatCannotBeRecordedSaysSo) {
  TrafficDatabase db;
  traffic::ScopedConsoleCapture console;
  ASSERT_EQ(ReadTrafficDatabase(SampleDatabase(), db), 0);
  velk::SetFolder folder(work_.path());
  folder.Lock([] {});
  const std::string journal = velk::set_journal::JournalName(velk::ProgramMark());
  g_journalSyncs = 0;
  velk::SetFileStepHook([](std::string_view step, const fs::path& path) {
    return step == "fsync" && path.filename().string().ends_with(".journal") && ++g_journalSyncs == 2;
  });
  const int rc = WriteTrafficFiles(db, folder);
  velk::SetFileStepHook(nullptr);
  EXPECT_EQ(rc, traffic::kErrSetFolder);
  EXPECT_TRUE(console.text().ends_with("\nERROR: Could not record the replacement in the journal '" +
                                       (work_.path() / journal).string() +
                                       "' (Input/output error): no file was replaced.\n\n"))
      << console.text();
  EXPECT_EQ(WorkFiles(), std::vector<std::string>{});
}

// Part of a listing could lack AIRPORTS.TXT, and a new Airports.txt would
// then stand beside it: a work folder that cannot be listed is named, and
// nothing is written.
TEST_F(DecompilerRun, AFolderThatCannotBeListedIsNamedAndGetsNoTwin) {
  InstallDatabase(SampleDatabase());
  WriteFile(work_ / "AIRPORTS.TXT", "old airports\r\n");
  velk::SetFolderListFault([&](const fs::path& folder, size_t) {
    return folder == work_.path() ? std::make_error_code(std::errc::io_error) : std::error_code();
  });
  EXPECT_EQ(Run({"/np"}), 1);
  velk::SetFolderListFault({});
  EXPECT_TRUE(transcript_.ends_with("\n\nERROR: Unable to list folder " + work_.path().string() + "\n\n"))
      << transcript_;
  EXPECT_EQ(WorkFiles(), std::vector<std::string>{"AIRPORTS.TXT"});
  EXPECT_EQ(ReadFile(work_ / "AIRPORTS.TXT"), "old airports\r\n");
}

TEST_F(DecompilerRun, AFileThatCannotBePutInPlaceUndoesTheOthers) {
  InstallDatabase(SampleDatabase());
  WriteFile(work_ / "Airports.txt", "old airports\r\n");
  // Aircraft.txt does not exist before; FlightPlans.txt is a folder, so the
  // last of the three cannot replace it.
  fs::create_directories(work_ / "FlightPlans.txt" / "inside");
  EXPECT_EQ(Run({"/np"}), 1);
  EXPECT_NE(transcript_.find("\nERROR: Unable to create file FlightPlans.txt\n\n"), std::string::npos);
  EXPECT_EQ(transcript_.find("completed"), std::string::npos);
  EXPECT_EQ(ReadFile(work_ / "Airports.txt"), "old airports\r\n");
  EXPECT_EQ(WorkFiles(), (std::vector<std::string>{"Airports.txt", "FlightPlans.txt"}));
}

}  // namespace
}  // namespace ulvane::test
