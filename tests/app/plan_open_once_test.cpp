// What the main window knows of the plan's files comes from the one read
// that opened them: a change another program makes after that read, also
// while the plan is still opening, is asked about at the next save, and a
// file put in place with the very bytes known asks nothing.
#include <QProgressBar>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/sample_window_test.h"
#include "data/program_state.h"
#include "data/aircraft_airport_files.h"
#include "gui/frm_progress.h"
#include "platform/file_ops.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

constexpr const char* kSaved = "Successfully saved modified Flightplan.";

// Another program's changes to a file.
void EditInPlaceKeepingSizeAndTime(const fs::path& file) {
  // Past a tick of the file system's clock, so that the time of the
  // change of status moves.
  test::WaitForLaterFileTime(file);
  const fs::file_time_type modified = fs::last_write_time(file);
  std::string bytes = *ReadFile(file);
  bytes[bytes.size() / 2] = bytes[bytes.size() / 2] == 'X' ? 'Y' : 'X';
  std::ofstream(file, std::ios::binary | std::ios::in | std::ios::out) << bytes;
  fs::last_write_time(file, modified);
}
void Append(const fs::path& file) { std::ofstream(file, std::ios::binary | std::ios::app) << "; theirs\r\n"; }
void ReplaceByRename(const fs::path& file, const std::string& bytes) {
  const fs::path made = file.string() + ".theirs";
  WriteFile(made, bytes);
  fs::rename(made, file);
}

class PlanOpenOnceTest : public test::SampleWindowTest {
 protected:
  void SetUp() override {
    main_ = CopySamplePlan("main");
    aircraft_ = main_.parent_path() / kAircraftFileName;
    SampleWindowTest::SetUp();
  }

  // Opens the plan; `during`, when given, runs once the three files are
  // read, while the plan is still being parsed (the bar of the plan's
  // reading stands at 0 of 100 for the first time then).
  void Open(const std::function<void()>& during = {}) {
    QTimer watch;
    bool ran = false;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (ran || !during || !w_.ProgressLoaded() || w_.Progress()->pbProgress->maximum() != 100) return;
      ran = true;
      during();
    });
    watch.start(0);
    Program().PlanModified = false;  // a declined save leaves nothing to ask about here
    w_.LoadFlightplan(main_.string());
    watch.stop();
    ASSERT_EQ(ran, static_cast<bool>(during));
    ASSERT_TRUE(Plan().PlanLoaded);
  }

  // Saves the plan, answering any question with `answer`; the prompts.
  std::vector<std::string> Save(int answer) {
    boxes_.Clear();
    boxes_.Answer(answer);
    Plan().Flights[0].Registration = "N-MINE";
    w_.MarkPlanModified();
    w_.mnuFileSave->trigger();
    return Prompts();
  }

  std::string Asked(const std::vector<fs::path>& files) const {
    const bool one = files.size() == 1;
    return "'" + files[0].string() + "'" + (one ? "" : " and '" + files[1].string() + "'") +
           (one ? " was" : " were") + " changed by another program since VELK last read or saved " +
           (one ? "it" : "them") + ". Replace " + (one ? "it" : "them") + " with the Flightplan as it is in VELK?";
  }

  fs::path main_, aircraft_;
};

// Each kind of change, made between the read and the window showing the
// plan, is asked about; declined, it stays.
TEST_F(PlanOpenOnceTest, AChangeMadeWhileThePlanOpensIsAskedAboutAtTheNextSave) {
  const std::string plan = *ReadFile(main_), aircraft = *ReadFile(aircraft_);
  const struct {
    const char* kind;
    std::function<void(const fs::path&)> change;
  } changes[] = {
      {"an edit in place that keeps the size and the time", EditInPlaceKeepingSizeAndTime},
      {"an append", Append},
      {"a replacement by rename", [](const fs::path& f) { ReplaceByRename(f, *ReadFile(f) + "; theirs\r\n"); }},
  };
  for (const auto& c : changes) {
    WriteFile(main_, plan);
    WriteFile(aircraft_, aircraft);
    std::string theirPlan, theirAircraft;
    Open([&] {
      c.change(main_);
      c.change(aircraft_);
      theirPlan = *ReadFile(main_);
      theirAircraft = *ReadFile(aircraft_);
    });
    EXPECT_EQ(Save(kIdNo), std::vector<std::string>{Asked({main_, aircraft_})}) << c.kind;
    EXPECT_EQ(ReadFile(main_), theirPlan) << c.kind;
    EXPECT_EQ(ReadFile(aircraft_), theirAircraft) << c.kind;
  }
}

std::function<void()> g_atTheEnd;  // run once, as the save removes its journal

bool ChangeAtTheEnd(std::string_view step, const fs::path& path) {
  if (step == "unlink" && path.filename() == ".velk.journal" && g_atTheEnd) std::exchange(g_atTheEnd, nullptr)();
  return false;
}

// A save knows of the files it wrote only what it wrote: another program's
// change made between its renames and its end is asked about at the next
// save, and declined, it stays.
TEST_F(PlanOpenOnceTest, AChangeMadeAsASaveEndsIsAskedAboutAtTheNextSave) {
  for (const auto& change : {EditInPlaceKeepingSizeAndTime, Append}) {
    Open();
    std::string theirs;
    g_atTheEnd = [&] {
      change(main_);
      theirs = *ReadFile(main_);
    };
    {
      const test::ScopedFileStepHook hook(ChangeAtTheEnd);
      ASSERT_EQ(Save(kIdNo), std::vector<std::string>{kSaved});
    }
    ASSERT_FALSE(theirs.empty());
    EXPECT_EQ(Save(kIdNo), std::vector<std::string>{Asked({main_})});
    EXPECT_EQ(ReadFile(main_), theirs);
  }
}

// A file another program deleted after the open is asked about too.
TEST_F(PlanOpenOnceTest, APlanFileDeletedByAnotherProgramIsAskedAbout) {
  Open();
  fs::remove(aircraft_);
  EXPECT_EQ(Save(kIdNo), std::vector<std::string>{Asked({aircraft_})});
  EXPECT_FALSE(fs::exists(aircraft_));
}

// A file put in place with the very bytes that velk knows, by another
// program or by another window's save, asks nothing, and is known by its
// new identity from then on, even when the save did not go ahead.
TEST_F(PlanOpenOnceTest, KnownContentIsNoChange) {
  Open();
  ASSERT_EQ(Save(kIdNo), std::vector<std::string>{kSaved});
  ReplaceByRename(main_, *ReadFile(main_));
  ASSERT_TRUE(WriteAircraftTxt());
  EXPECT_EQ(Save(kIdNo), std::vector<std::string>{kSaved});

  ReplaceByRename(main_, *ReadFile(main_));
  Append(aircraft_);
  EXPECT_EQ(Save(kIdNo), std::vector<std::string>{Asked({aircraft_})});
  const std::optional<FileIdentity> now = IdentityOf(main_);
  ASSERT_TRUE(now);
  bool renewed = false;
  for (const KnownFile& k : Plan().KnownFiles) renewed = renewed || (k.file == fs::canonical(main_) && k.identity == now);
  EXPECT_TRUE(renewed);
}

}  // namespace
}  // namespace velk
