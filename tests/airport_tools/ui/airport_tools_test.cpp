// The airport tools of the Tools menu on a fake main window and a sample
// scenery folder: search, information report, distance, gate resize and
// the deletion of the scenery cache.
#include "airport_tools/ui/airport_tools.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QAction>
#include <QCoreApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>

#include <gtest/gtest.h>

#include "airport_tools/ui/frm_airport_search.h"
#include "airport_tools/ui/frm_distance.h"
#include "airport_tools/ui/frm_resize_gates.h"
#include "data/scenery_airports.h"
#include "data/scenery_cache.h"
#include "data/scenery_test_support.h"
#include "gui/report_window.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "sample_scenery.h"
#include "support/fake_plan_host.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

std::vector<sample::SampleAirport> FourAirports() {
  std::vector<sample::SampleAirport> all = sample::SampleAirports();
  std::vector<sample::SampleAirport> four;
  for (const auto& a : all)
    if (a.icao == "EDDF" || a.icao == "LSZH" || a.icao == "KJFK" || a.icao == "EGLL") four.push_back(a);
  return four;
}

class AirportToolsTest : public ::testing::Test {
 protected:
  AirportToolsTest() {
    std::string error;
    EXPECT_TRUE(sample::WriteSceneryFiles(sim.path(), FourAirports(), &error)) << error;
    host.programFolder = program.path();
  }
  ~AirportToolsTest() override { tools.reset(); }

  fs::path SceneryFile() const { return sim / "SCENEDB" / "AFDFILES" / "SCENERY" / "SAMPLE_001.BGL"; }
  std::vector<std::string> Column(QTreeWidget* list, int column) const {
    std::vector<std::string> out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) out.push_back(list->topLevelItem(i)->text(column).toStdString());
    return out;
  }

  test::SceneryStateGuard scenery;
  test::TempDir sim;
  test::TempDir program;
  test::ScopedEnv fsPath{"VELK_FS_PATH", sim.path().string()};
  test::FakePlanHost host;
  ScriptedMessageBoxes boxes{kIdYes};
  QAction search{"search"}, distance{"distance"}, resize{"resize"}, cache{"cache"};
  std::unique_ptr<AirportTools> tools =
      std::make_unique<AirportTools>(AirportToolsControls{&search, &distance, &resize, &cache}, host);
};

TEST_F(AirportToolsTest, SearchListsSceneryAirportsAndOpensTheirReport) {
  host.plan.Airports = {{"EDDF", "N50* 2.00'", "E8* 34.00'", "364"}};
  search.trigger();
  frmAirportSearch* w = tools->SearchWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible() && !w->isModal());
  EXPECT_EQ(SceneryAirports().size(), 4u);
  EXPECT_TRUE(fs::exists(program / kSceneryCacheFileName));
  EXPECT_TRUE(w->ckAPOnly->isChecked());
  EXPECT_FALSE(host.ProgressLoaded() || host.IsBusy());

  w->cmdSearch->click();
  EXPECT_EQ(w->lblResult->text(), "&Result (1 airports found)");
  ASSERT_EQ(w->lvSearch->topLevelItemCount(), 1);
  EXPECT_EQ(Column(w->lvSearch, 3), std::vector<std::string>{"364ft"});

  w->ckAPOnly->setChecked(false);
  w->txtSearch->setText("l");
  w->cmdSearch->click();
  // Sorted by the airport text; those missing from Airports.txt say so.
  std::vector<std::string> texts = Column(w->lvSearch, 0);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_TRUE(std::is_sorted(texts.begin(), texts.end()));
  EXPECT_NE(texts[0].find(" [not in AIRPORTS.TXT]"), std::string::npos);

  // A second menu click brings the same window forward.
  search.trigger();
  EXPECT_EQ(tools->SearchWindow(), w);

  w->lvSearch->topLevelItem(0)->setSelected(true);
  w->OpenSelected();
  auto* info = w->findChild<ReportWindow*>("frmAirportInfo");
  ASSERT_NE(info, nullptr);
  EXPECT_TRUE(info->isModal());
  EXPECT_EQ(info->windowTitle().toStdString().rfind("Airport Information for ", 0), 0u);
  EXPECT_EQ(info->Report().rfind("Airport:", 0), 0u);
  ScriptedFileDialogs dialogs;
  info->cmdSave->click();
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_EQ(dialogs.Shown()[0].title, "Save Airport Information");
  EXPECT_EQ(dialogs.Shown()[0].fileName.size(), 8u);  // "<ICAO>.txt"
  EXPECT_EQ(dialogs.Shown()[0].fileName.substr(4), ".txt");
  info->close();
}

TEST_F(AirportToolsTest, WithoutAirportsTxtTheOnlyBoxIsCleared) {
  search.trigger();
  frmAirportSearch* w = tools->SearchWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->ckAPOnly->isChecked());
  w->cmdSearch->click();
  EXPECT_EQ(w->lvSearch->topLevelItemCount(), 4);
  w->txtSearch->setText("no such place");
  w->cmdSearch->click();
  EXPECT_EQ(w->lblResult->text(), "&Result (0 airports found)");
}

TEST_F(AirportToolsTest, DistanceLogsEachMeasurement) {
  distance.trigger();
  frmDistance* w = tools->DistanceWindow();
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->cmSource->count(), 4);
  EXPECT_EQ(w->cmDest->count(), 4);
  EXPECT_EQ(w->cmSource->currentIndex(), 0);
  w->cmdDistance->click();
  const std::string first = SceneryAirports()[0].ICAO;
  EXPECT_EQ(w->txtResult->toPlainText().toStdString(), first + " - > " + first + " = 0nm\n");
  w->cmDest->setCurrentIndex(1);
  w->cmdDistance->click();
  QStringList lines = w->txtResult->toPlainText().split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_FALSE(lines[1].endsWith(" = 0nm") || lines[1].endsWith(" = -1nm"));

  // With a plan loaded only its airports that the scenery has are offered.
  w->close();
  host.plan.PlanLoaded = true;
  host.plan.Airports = {{"lszh", "N47* 27.48'", "E8* 32.88'", "1416"}, {"XXXX", "", "", ""}};
  distance.trigger();
  ASSERT_NE(tools->DistanceWindow(), nullptr);
  EXPECT_EQ(tools->DistanceWindow()->cmSource->count(), 1);
  EXPECT_EQ(tools->DistanceWindow()->cmSource->currentText().left(4), "LSZH");
}

TEST_F(AirportToolsTest, ResizeAsksChangesTheFilesAndDiscardsTheScenery) {
  const std::string original = *test::ReadFile(SceneryFile());
  search.trigger();
  distance.trigger();
  resize.trigger();
  frmResizeGates* w = tools->ResizeWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isModal());
  EXPECT_EQ(w->cmType->currentText(), "Dock GA");
  EXPECT_EQ(w->lblSize->text(), "New &Size (m) - 3.28 ft");
  w->cmType->setCurrentText("Gate Heavy");
  w->txtSize->setText("12.5");
  EXPECT_EQ(w->lblSize->text(), "New &Size (m) - 41.01 ft");

  // No: nothing changes.
  boxes.Answer(kIdNo);
  w->cmdOK->click();
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].buttons, kMbYesNo | kMbIconExclamation | kMbDefButton2);
  EXPECT_NE(boxes.Shown()[0].prompt.find("'Gate Heavy' to 12.50 m at all airports"), std::string::npos);
  EXPECT_EQ(test::ReadFile(SceneryFile()), original);
  EXPECT_NE(tools->SearchWindow(), nullptr);

  boxes.Clear();
  w->cmdOK->click();
  ASSERT_EQ(boxes.Prompts().size(), 2u);
  EXPECT_EQ(boxes.Prompts()[1].rfind("Successfully resized ", 0), 0u);
  EXPECT_NE(test::ReadFile(SceneryFile()), original);
  EXPECT_EQ(test::ReadFile(SceneryFile().string() + ".velk.bak"), original);
  std::vector<SceneryAirport> read;
  ASSERT_EQ(ReadAFDBytes(*test::ReadFile(SceneryFile()), read), AfdFileResult::kRead);
  int heavy = 0;
  for (const SceneryAirport& a : read)
    for (const SceneryParking& k : a.Parkings)
      if (k.Type == 10) {
        EXPECT_EQ(k.Radius, 12.5f);
        ++heavy;
      }
  EXPECT_EQ(boxes.Prompts()[1], "Successfully resized " + std::to_string(heavy) + " Gates matching the given type.");
  // The scenery in memory and its cache are gone, and the windows that
  // showed them are closed; the resize window stays.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(SceneryAirports().empty());
  EXPECT_FALSE(fs::exists(program / kSceneryCacheFileName));
  EXPECT_EQ(tools->SearchWindow(), nullptr);
  EXPECT_EQ(tools->DistanceWindow(), nullptr);
  EXPECT_TRUE(w->isVisible());
}

TEST_F(AirportToolsTest, ResizeRefusesABadSizeAndReportsFailures) {
  resize.trigger();
  frmResizeGates* w = tools->ResizeWindow();
  ASSERT_NE(w, nullptr);
  for (const char* bad : {"abc", "0"}) {
    boxes.Clear();
    w->txtSize->setText(bad);
    EXPECT_EQ(w->lblSize->text(), "New &Size (m)");
    w->cmdOK->click();
    ASSERT_EQ(boxes.Prompts().size(), 1u) << bad;
    EXPECT_EQ(boxes.Shown()[0].buttons, kMbOk | kMbIconExclamation);
  }
  EXPECT_EQ(boxes.Prompts()[0], "Size has to be greater than 0.");

  // A broken file is named, the others are still resized.
  sample::FacilityFileBuilder broken;
  broken.AirportAt("Far", 1 << 30);
  test::WriteFile(SceneryFile().parent_path() / "BROKEN.BGL", broken.Build());
  w->txtSize->setText("20");
  boxes.Clear();
  w->cmdOK->click();
  ASSERT_EQ(boxes.Prompts().size(), 2u);
  EXPECT_NE(boxes.Prompts()[1].find("Errors occured during resizing Gates"), std::string::npos);
  EXPECT_NE(boxes.Prompts()[1].find("\r\nBROKEN.BGL"), std::string::npos);
  EXPECT_EQ(boxes.Shown()[1].buttons, kMbOk | kMbIconExclamation);

  // Without a simulator folder: said once, and no success.
  test::ScopedEnv none{"VELK_FS_PATH", std::string()};
  test::ScopedEnv prefix{"WINEPREFIX", (program / "no prefix").string()};
  boxes.Clear();
  w->cmdOK->click();
  EXPECT_EQ(boxes.Prompts().size(), 2u);
  EXPECT_EQ(boxes.Prompts().back(), "Couldn't find FS2002 Path.");
}

// A resize killed part way leaves its temporaries beside the facility
// files; the next resize removes exactly those and says so, but not while
// another resize holds the folder, whose temporaries they may be.
TEST_F(AirportToolsTest, ResizeRemovesWhatAKilledResizeLeftAndNothingElse) {
  const fs::path folder = SceneryFile().parent_path();
  const std::string original = *test::ReadFile(SceneryFile());
  const std::vector<std::string> stale = {".SAMPLE_001.BGL.velk-Ab3dE9", ".SAMPLE_001.BGL.velk.bak.velk-x1Y2z3"};
  for (const std::string& name : stale) test::WriteFile(folder / name, "part");
  test::WriteFile(program / "kept.txt", "kept");
  fs::create_symlink(program / "kept.txt", folder / ".SAMPLE_001.BGL.velk-L1nk00");
  // Look-alikes: the wrong length, another file's, no leading dot, another
  // program's temporaries, a folder.
  const std::vector<std::string> kept = {".SAMPLE_001.BGL.velk-abc12", ".OTHER.BGL.velk-abc123",
                                         "SAMPLE_001.BGL.velk-abc123", ".SAMPLE_001.BGL.abc123",
                                         ".SAMPLE_001.BGL.orvane-abc123"};
  for (const std::string& name : kept) test::WriteFile(folder / name, "other");
  fs::create_directory(folder / ".SAMPLE_001.BGL.velk-dir123");
  // Another user's run is no run of ours.
  const fs::path theirs = folder / ".SAMPLE_001.BGL.velk-Th31r5";
  test::WriteFile(theirs, "theirs");
  ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
  resize.trigger();
  frmResizeGates* w = tools->ResizeWindow();
  ASSERT_NE(w, nullptr);

  // Another resize at work in the folder: nothing is touched.
  int other = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(::flock(other, LOCK_EX), 0);
  w->cmdOK->click();
  ::close(other);
  ASSERT_EQ(boxes.Prompts().size(), 2u);
  EXPECT_EQ(boxes.Prompts()[1], "The folder '" + folder.string() + "' is being resized by another run. No Gates were "
                                "resized.");
  EXPECT_EQ(test::ReadFile(SceneryFile()), original);
  EXPECT_TRUE(fs::exists(folder / stale[0]));

  boxes.Clear();
  w->cmdOK->click();
  ASSERT_EQ(boxes.Prompts().size(), 2u);
  EXPECT_EQ(boxes.Prompts()[1].rfind("Successfully resized ", 0), 0u);
  EXPECT_NE(boxes.Prompts()[1].find(" Gates matching the given type.\r\nRemoved 3 temporary files left by an "
                                    "interrupted resize."),
            std::string::npos);
  for (const std::string& name : stale) EXPECT_FALSE(fs::exists(folder / name)) << name;
  EXPECT_FALSE(fs::is_symlink(folder / ".SAMPLE_001.BGL.velk-L1nk00"));
  EXPECT_EQ(test::ReadFile(program / "kept.txt"), "kept");
  for (const std::string& name : kept) EXPECT_EQ(test::ReadFile(folder / name), "other") << name;
  EXPECT_TRUE(fs::is_directory(folder / ".SAMPLE_001.BGL.velk-dir123"));
  EXPECT_EQ(test::ReadFile(theirs), "theirs");

  test::WriteFile(folder / stale[0], "part");
  boxes.Clear();
  w->cmdOK->click();
  ASSERT_EQ(boxes.Prompts().size(), 2u);
  EXPECT_TRUE(boxes.Prompts()[1].ends_with("\r\nRemoved 1 temporary file left by an interrupted resize."));
}

TEST_F(AirportToolsTest, DeleteCacheAsksFirst) {
  search.trigger();
  ASSERT_TRUE(fs::exists(program / kSceneryCacheFileName));
  boxes.Answer(kIdNo);
  cache.trigger();
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{"Are your sure to delete all Cache files?"});
  EXPECT_EQ(boxes.Shown()[0].buttons, kMbYesNo | kMbIconQuestion);
  EXPECT_TRUE(fs::exists(program / kSceneryCacheFileName));
  EXPECT_NE(tools->SearchWindow(), nullptr);

  cache.trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(fs::exists(program / kSceneryCacheFileName));
  EXPECT_TRUE(SceneryAirports().empty());
  EXPECT_EQ(tools->SearchWindow(), nullptr);
}

}  // namespace
}  // namespace velk
