// What main() sets up before the window opens: the Qt seams, among them the
// console window and event pump of the programs velk runs; and what the main
// window's start-up hands the scenery loader: its progress window, its
// hourglass and its ownership of the messages.
#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <filesystem>

#include <gtest/gtest.h>

#include "app/frm_main.h"
#include "app/qt_seams.h"
#include "data/geodesy.h"
#include "data/plan_records.h"
#include "data/scenery_airports.h"
#include "gui/frm_progress.h"
#include "gui/scenery_progress.h"
#include "platform/file_dialog.h"
#include "platform/input_box.h"
#include "platform/message_box.h"
#include "platform/printer.h"
#include "platform/process_runner.h"
#include "platform/qt/console_window.h"
#include "sample_scenery.h"
#include "support/fake_plan_host.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

ConsoleWindow* ShownConsole() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* console = qobject_cast<ConsoleWindow*>(w); console && console->isVisible()) return console;
  return nullptr;
}

TEST(QtSeams, AShownProgramRunsInTheConsoleWindowWhileWindowEventsRun) {
  MessageBoxHandler boxes = SetMessageBoxHandler(nullptr);
  FileDialogHandler dialogs = SetFileDialogHandler(nullptr);
  InputBoxHandler inputs = SetInputBoxHandler(nullptr);
  PrintHandler printer = SetPrintHandler(nullptr);
  InstallQtSeams();

  int ticks = 0;
  QString seen;
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    ++ticks;
    if (ConsoleWindow* console = ShownConsole()) seen = console->txtOutput->toPlainText();
  });
  watcher.start(10);
  std::string output;
  EXPECT_EQ(RunAndWait({"/bin/sh", "-c", "printf 'Compiling...'; sleep 0.4"}, "", output, true), 0);
  watcher.stop();
  // The window kept running (the timer fired) and the program's output went
  // to the console window, not to the terminal velk was started from.
  EXPECT_GT(ticks, 0);
  EXPECT_EQ(seen, "Compiling...");

  // Messages go to a real message box.
  QTimer::singleShot(0, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    box->button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(ShowMessageBox("Done.", kMbOk, kProgramTitle), kIdOk);

  SetProcessConsoleFactory(nullptr);
  SetEventPump(nullptr);
  SetMessageBoxHandler(boxes);
  SetFileDialogHandler(dialogs);
  SetInputBoxHandler(inputs);
  SetPrintHandler(printer);
}

class SceneryProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = DefaultSceneryContext();
    Plan() = PlanState{};
    SceneryAirports().clear();
    fs::create_directories(dir_ / "program");
    ASSERT_TRUE(sample::WriteSceneryFiles(dir_ / "sim", sample::SampleAirports()));
  }
  void TearDown() override {
    DefaultSceneryContext() = saved_;
    SceneryAirports().clear();
  }

  SceneryLoadContext saved_;
  test::TempDir dir_;
  test::ScopedEnv sim_{"VELK_FS_PATH", (dir_ / "sim").string()};
  ScriptedMessageBoxes boxes_;
};

TEST_F(SceneryProgressTest, StepsGoToTheProgressWindowAndTheWaitIsALongOperation) {
  test::FakePlanHost host;
  host.programFolder = dir_ / "program";
  SceneryLoadContext context = WindowSceneryContext(host);
  EXPECT_EQ(context.owner, &host.window);
  EXPECT_EQ(context.programFolder, host.programFolder);

  std::vector<QString> captions;
  auto shown = context.progress;
  context.progress = [&](const std::string& step) {
    shown(step);
    captions.push_back(host.Progress()->Caption());
  };
  context.beginWait("Getting FS2002 Scenery...");
  EXPECT_TRUE(host.IsBusy());
  ASSERT_TRUE(host.ProgressLoaded());
  EXPECT_EQ(host.Progress()->Caption(), "Getting FS2002 Scenery...");
  EXPECT_EQ(host.Progress()->pbProgress->maximum(), 4);
  EXPECT_EQ(host.Progress()->pbProgress->value(), 1);
  EXPECT_TRUE(host.Progress()->isVisibleTo(&host.window));

  std::vector<SceneryAirport> airports;
  ASSERT_TRUE(LoadSceneryAirports(airports, context));
  context.endWait();
  EXPECT_FALSE(host.IsBusy());
  EXPECT_FALSE(host.ProgressLoaded());
  EXPECT_EQ(host.reactivations, 1);
  ASSERT_FALSE(captions.empty());
  for (const QString& c : captions) EXPECT_TRUE(c.startsWith("Getting FS2002 Scenery (File '")) << c.toStdString();
  EXPECT_TRUE(boxes_.Shown().empty());
}

TEST_F(SceneryProgressTest, TheMainWindowFillsTheProgramWideContext) {
  test::TempDir home;
  test::ScopedEnv config("VELK_CONFIG_HOME", home.path().string());
  {
    frmMain w;
    w.SetConfigurationReaders({});
    w.SetProgramFolder(dir_ / "program");
    ASSERT_TRUE(w.StartUp());
    w.onSplashTimer();
    EXPECT_EQ(DefaultSceneryContext().owner, &w);
    EXPECT_EQ(DefaultSceneryContext().programFolder, dir_ / "program");

    // A distance without a plan loads the scenery behind the window's
    // progress window, and leaves the window as it was.
    EXPECT_GT(GetAirportDistance("EGLL", "KJFK"), 2900);
    EXPECT_FALSE(w.IsBusy());
    EXPECT_FALSE(w.ProgressLoaded());
    EXPECT_TRUE(fs::exists(dir_ / "program" / "AFDCache.dat"));

    // Without a simulator the message belongs to the main window.
    SceneryAirports().clear();
    fs::remove(dir_ / "program" / "AFDCache.dat");
    test::ScopedEnv noSim("VELK_FS_PATH", std::nullopt);
    test::ScopedEnv noPrefix("WINEPREFIX", (dir_ / "no-prefix").string());
    EXPECT_EQ(GetAirportDistance("EGLL", "KJFK"), -1);
    ASSERT_EQ(boxes_.Shown().size(), 1u);
    EXPECT_EQ(boxes_.Shown()[0].prompt, "Couldn't find FS2002 Path.");
    EXPECT_EQ(boxes_.Shown()[0].owner, &w);
    EXPECT_FALSE(w.IsBusy());
  }
  // The window gone, nothing points at it any more.
  EXPECT_EQ(DefaultSceneryContext().owner, nullptr);
  EXPECT_FALSE(DefaultSceneryContext().progress);
}

}  // namespace
}  // namespace velk
