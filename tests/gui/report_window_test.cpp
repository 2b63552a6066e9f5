// The report window shared by the timetable statistics and the airport
// information: what it prints and saves, and how it tells the outcome.
#include "gui/report_window.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/printer.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

const ReportTexts kTexts{"frmSample",         "Print Sample",      "Printed it.", "Print failed.",
                         "Save Sample",       "Saved it.",         "Save failed."};
const std::string kReport = "Line one\r\nZ\xFCrich\r\nlast line";

class ReportWindowTest : public ::testing::Test {
 protected:
  ReportWindow window{kTexts, "Sample Report", "LSZH.txt", kReport, nullptr};
  ScriptedMessageBoxes boxes;
  ScriptedFileDialogs dialogs;
  ScriptedPrinter printer;
};

TEST_F(ReportWindowTest, ShowsTheReportReadOnly) {
  EXPECT_EQ(window.objectName(), "frmSample");
  EXPECT_EQ(window.windowTitle(), "Sample Report");
  EXPECT_TRUE(window.txtInfo->isReadOnly());
  EXPECT_EQ(window.txtInfo->toPlainText(), QString::fromUtf8("Line one\nZürich\nlast line"));
  EXPECT_EQ(window.Document("1/2/26 3:04 PM"), "Sample Report - 1/2/26 3:04 PM\r\n\r\n" + kReport);
  EXPECT_EQ(window.cmdPrint->text(), "&Print");
  EXPECT_EQ(window.cmdSave->text(), "&Save");
  EXPECT_EQ(window.cmdClose->text(), "&Close");
}

TEST_F(ReportWindowTest, SaveWritesHeaderAndReportWithoutAnEndingLineBreak) {
  test::TempDir dir;
  window.cmdSave->click();  // cancelled
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_EQ(dialogs.Shown()[0].title, "Save Sample");
  EXPECT_EQ(dialogs.Shown()[0].fileName, "LSZH.txt");
  EXPECT_EQ(dialogs.Shown()[0].initDir, "");
  EXPECT_EQ(dialogs.Shown()[0].filterIndex, 1);
  EXPECT_EQ(dialogs.Shown()[0].defaultExt, "");
  EXPECT_EQ(dialogs.Shown()[0].flags, kSaveDialogFlags);
  EXPECT_TRUE(boxes.Prompts().empty());

  fs::path file = dir / "LSZH.txt";
  test::WriteFile(file, std::string(5000, 'x'));
  dialogs.Answer(file.string());
  window.cmdSave->click();
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{"Saved it."});
  EXPECT_EQ(boxes.Shown()[0].buttons, kMbOk | kMbIconQuestion);
  EXPECT_EQ(boxes.Shown()[0].owner, &window);
  std::string written = test::ReadFile(file).value_or("");
  ASSERT_EQ(written.rfind("Sample Report - ", 0), 0u);
  size_t body = written.find("\r\n\r\n");
  ASSERT_NE(body, std::string::npos);
  EXPECT_EQ(written.substr(body + 4), kReport);
  EXPECT_TRUE(window.isEnabled());

  // A failure says why after the report's own message.
  boxes.Clear();
  const fs::path missing = dir / "no such folder" / "x.txt";
  dialogs.Answer(missing.string());
  window.cmdSave->click();
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{"Save failed.\n\nCould not write '" + missing.string() +
                                                      "' (No such file or directory)."});
  EXPECT_EQ(boxes.Shown()[0].buttons, kMbOk | kMbIconCritical);
  if (::geteuid() == 0) {
    boxes.Clear();
    const fs::path link = dir / "theirs.txt";
    fs::create_symlink(file, link);
    ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
    dialogs.Answer(link.string());
    window.cmdSave->click();
    ASSERT_EQ(boxes.Prompts().size(), 1u);
    EXPECT_EQ(boxes.Prompts()[0].rfind("Save failed.\n\nCould not write '" + link.string() + "' (the symbolic link '" +
                                           link.string() + "' belongs to the user ",
                                       0),
              0u)
        << boxes.Prompts()[0];
  }
}

TEST_F(ReportWindowTest, PrintTellsPrintedAndFailedButNotCancelled) {
  printer.Answer(PrintResult::Cancelled);
  printer.Answer(PrintResult::Printed);
  printer.Answer(PrintResult::Failed);
  window.cmdPrint->click();
  EXPECT_TRUE(boxes.Prompts().empty());
  window.cmdPrint->click();
  window.cmdPrint->click();
  EXPECT_EQ(boxes.Prompts(), (std::vector<std::string>{"Printed it.", "Print failed."}));
  ASSERT_EQ(printer.Jobs().size(), 3u);
  EXPECT_EQ(printer.Jobs()[1].dialogTitle, "Print Sample");
  EXPECT_EQ(printer.Jobs()[1].fontName, "Courier New");
  EXPECT_EQ(printer.Jobs()[1].pointSize, 10);
  const std::string& text = printer.Jobs()[1].text;
  EXPECT_EQ(text.rfind("Sample Report - ", 0), 0u);
  EXPECT_EQ(text.substr(text.find("\r\n\r\n") + 4), kReport);
  EXPECT_TRUE(window.isEnabled());
}

TEST_F(ReportWindowTest, ClosingRunsTheUnloadWhicheverWay) {
  int unloads = 0;
  window.onUnload = [&] { ++unloads; };
  window.show();
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(unloads, 1);
  window.show();
  window.cmdClose->click();
  EXPECT_EQ(unloads, 2);

  int second = 0;
  ReportWindow* shown = ShowReportWindow(kTexts, "Other", "x.txt", "text", nullptr, [&] { ++second; });
  EXPECT_TRUE(shown->isVisible() && shown->isModal());
  // Enter closes it too (Close is the default button).
  QTest::keyClick(shown, Qt::Key_Return);
  EXPECT_EQ(second, 1);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace velk
