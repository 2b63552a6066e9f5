// The progress window and its protocol, the busy main window, and the about
// window with its System Information button.
#include <QApplication>
#include <map>
#include <set>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "app/frm_about.h"
#include "app/frm_main.h"
#include "gui/frm_progress.h"
#include "platform/message_box.h"
#include "support/fake_plan_host.h"
#include "support/test_support.h"

namespace velk {
namespace {

class WindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main_.SetConfigurationReaders({});
    ASSERT_TRUE(main_.StartUp());
    main_.onSplashTimer();
    main_.showNormal();
    main_.resize(800, 560);
  }

  test::TempDir home_;
  test::ScopedEnv env_{"VELK_CONFIG_HOME", home_.path().string()};
  ScriptedMessageBoxes boxes_;
  frmMain main_;
};

TEST_F(WindowsTest, ProgressLoadsHiddenOverTheMiddleOfTheMainWindow) {
  EXPECT_FALSE(main_.ProgressLoaded());
  frmProgress* p = main_.Progress();
  EXPECT_TRUE(main_.ProgressLoaded());
  EXPECT_FALSE(p->isVisible());
  EXPECT_EQ(p->parentWidget(), &main_);
  QSize outer = main_.frameGeometry().size();
  EXPECT_EQ(p->pos(), QPoint((outer.width() - p->width()) / 2, (outer.height() - p->height()) / 2 - 32));
  EXPECT_EQ(p->Caption(), "Progress");
  EXPECT_EQ(p->pbProgress->maximum(), 100);
  EXPECT_EQ(p->pbProgress->value(), 0);
}

TEST_F(WindowsTest, ProgressRefusesToCloseAndStartsAfreshAfterAnUnload) {
  frmProgress* p = main_.Progress();
  p->SetCaption("Reading Flightplan...");
  p->SetMax(7.4);
  p->SetValue(9);  // beyond the end: shown full
  EXPECT_EQ(p->pbProgress->maximum(), 7);
  EXPECT_EQ(p->pbProgress->value(), 7);
  p->SetValue(-3);
  EXPECT_EQ(p->pbProgress->value(), 0);
  p->show();
  EXPECT_FALSE(p->close());
  EXPECT_TRUE(main_.ProgressLoaded());
  main_.UnloadProgress();
  EXPECT_FALSE(main_.ProgressLoaded());
  EXPECT_EQ(main_.Progress()->Caption(), "Progress");
}

TEST_F(WindowsTest, LongOperationHoldsOffInputAndCleansUp) {
  main_.UpdateShuffleTab();
  QSignalSpy clicks(main_.cmdShuffle, &QPushButton::clicked);
  {
    LongOperation op(main_, "Reading Airport configuration...", 7, 1);
    EXPECT_TRUE(main_.IsBusy());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_TRUE(main_.Progress()->isVisible());
    EXPECT_EQ(main_.Progress()->pbProgress->value(), 1);
    op.Step("Reading Flightplan...", 3);
    EXPECT_EQ(main_.Progress()->Caption(), "Reading Flightplan...");
    op.ValueCallback()(5);
    EXPECT_EQ(main_.Progress()->pbProgress->value(), 5);

    main_.tabMain->setCurrentWidget(main_.picShuffle);
    QTest::mouseClick(main_.cmdShuffle, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_FALSE(main_.close());  // no close in the middle of the work
    EXPECT_TRUE(boxes_.Shown().empty());
  }
  EXPECT_FALSE(main_.IsBusy());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(main_.ProgressLoaded());
  QTest::mouseClick(main_.cmdShuffle, Qt::LeftButton);
  EXPECT_EQ(clicks.count(), 1);
}

TEST(AboutWindow, ShowsTitleAndVersion) {
  EXPECT_EQ(AboutVersionText(1, 2, 176), "Version 1.2.176 SP1");
  frmMain main;
  main.ShowAbout();
  auto* about = main.findChild<frmAbout*>();
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(about->isVisible());
  EXPECT_TRUE(about->isModal());
  EXPECT_EQ(about->windowTitle(), "About VELK");
  EXPECT_EQ(about->lblTitle->text(), "VELK");
  EXPECT_EQ(about->lblVersion->text(), AboutVersionText(kVersionMajor, kVersionMinor, kVersionRevision));
  QTest::keyClick(about, Qt::Key_Escape);
  EXPECT_FALSE(about->isVisible());
}

class SysInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedLookup_ = frmAbout::Lookup();
    savedLauncher_ = frmAbout::Launcher();
    frmAbout::Lookup().ReadMachineValue = [this](const std::string& key, const std::string& value)
        -> std::optional<std::string> {
      auto it = values_.find(key + "|" + value);
      if (it == values_.end()) return std::nullopt;
      return it->second;
    };
    frmAbout::Lookup().FileExists = [this](const std::string& path) { return files_.count(path) > 0; };
    frmAbout::Launcher() = [this](const std::string& program) {
      started_.push_back(program);
      return launchWorks_;
    };
  }
  void TearDown() override {
    frmAbout::Lookup() = savedLookup_;
    frmAbout::Launcher() = savedLauncher_;
  }
  void StartSysInfo() {
    frmAbout about(nullptr);
    about.StartSysInfo();
  }

  std::map<std::string, std::string> values_;
  std::set<std::string> files_;
  std::vector<std::string> started_;
  bool launchWorks_ = true;
  ScriptedMessageBoxes boxes_;
  SysInfoLookup savedLookup_;
  std::function<bool(const std::string&)> savedLauncher_;
};

TEST_F(SysInfoTest, WithoutEitherKeyTheToolIsUnavailable) {
  StartSysInfo();
  EXPECT_TRUE(started_.empty());
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_EQ(boxes_.Shown()[0].prompt, "System Information Is Unavailable At This Time");
  EXPECT_EQ(boxes_.Shown()[0].buttons, kMbOk);
  EXPECT_EQ(boxes_.Shown()[0].title, "");
}

TEST_F(SysInfoTest, TheToolsOwnPathIsStarted) {
  values_["SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH"] = "C:\\Tools\\msinfo32.exe";
  StartSysInfo();
  EXPECT_EQ(started_, std::vector<std::string>{"C:\\Tools\\msinfo32.exe"});
  EXPECT_TRUE(boxes_.Shown().empty());
}

TEST_F(SysInfoTest, TheLocationNeedsTheProgramInItsFolder) {
  values_["SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO"] = "C:\\Shared\\MSInfo";
  StartSysInfo();
  EXPECT_TRUE(started_.empty());
  EXPECT_EQ(boxes_.Shown().size(), 1u);

  boxes_.Clear();
  files_.insert("C:\\Shared\\MSInfo\\MSINFO32.EXE");
  StartSysInfo();
  EXPECT_EQ(started_, std::vector<std::string>{"C:\\Shared\\MSInfo\\MSINFO32.EXE"});
  EXPECT_TRUE(boxes_.Shown().empty());
}

TEST_F(SysInfoTest, AProgramThatCannotStartIsReportedUnavailable) {
  values_["SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH"] = "C:\\gone.exe";
  launchWorks_ = false;
  StartSysInfo();
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_EQ(boxes_.Shown()[0].prompt, kSysInfoUnavailable);
}

}  // namespace
}  // namespace velk

namespace velk {
namespace {

TEST(SysInfoKeys, MachineStringValuesComeWithoutTheirTerminator) {
  test::TempDir prefix;
  test::WriteFile(prefix / "system.reg",
                  "WINE REGISTRY Version 2\n\n"
                  "[Software\\\\Microsoft\\\\Shared Tools\\\\MSINFO] 1733700000\n"
                  "\"PATH\"=\"C:\\\\Tools\\\\msinfo32.exe\"\n");
  test::ScopedEnv env("WINEPREFIX", prefix.path().string());
  EXPECT_EQ(GetKeyValue("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH"), "C:\\Tools\\msinfo32.exe");
  EXPECT_EQ(GetKeyValue("SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO"), std::nullopt);
}

}  // namespace
}  // namespace velk

namespace velk {
namespace {

// A controller's long work runs against any host: the frame is balanced and
// the progress window is gone when the work ends, also when it ends early.
TEST(LongOperationOnAHost, BalancesTheBusyFrameAndUnloadsProgress) {
  test::FakePlanHost host;
  try {
    LongOperation op(host, "Searching in Flights...", 4, 2);
    EXPECT_TRUE(host.IsBusy());
    EXPECT_TRUE(host.ProgressLoaded());
    op.Step("Filling View...", 3);
    EXPECT_EQ(host.Progress()->Caption(), "Filling View...");
    throw std::runtime_error("stop");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(host.IsBusy());
  EXPECT_FALSE(host.ProgressLoaded());
  EXPECT_EQ(host.reactivations, 1);
}

}  // namespace
}  // namespace velk
