#include "platform/qt/qt_dialogs.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/input_box.h"
#include "platform/printer.h"

namespace velk {
namespace {

TEST(PrinterSeam, ScriptedPrinterRecordsJobsAndAnswersInTurn) {
  ScriptedPrinter printer;
  printer.Answer(PrintResult::Cancelled);
  int rendered = 0;
  printer.render = [&](const PrintRequest&) { ++rendered; };
  PrintRequest r;
  r.dialogTitle = "Export - Print";
  r.text = "A\r\nB\r\n";
  EXPECT_EQ(PrintText(r), PrintResult::Cancelled);
  EXPECT_EQ(PrintText(r), PrintResult::Printed);
  ASSERT_EQ(printer.Jobs().size(), 2u);
  EXPECT_EQ(printer.Jobs()[1].dialogTitle, "Export - Print");
  EXPECT_EQ(rendered, 1);
}

// A caller's progress starts only once the printer dialog was confirmed.
TEST(PrinterSeam, AcceptedRunsOnlyForAConfirmedDialog) {
  ScriptedPrinter printer;
  printer.Answer(PrintResult::Cancelled);
  printer.Answer(PrintResult::Failed);
  int accepted = 0;
  PrintRequest r;
  r.accepted = [&] { ++accepted; };
  PrintText(r);
  EXPECT_EQ(accepted, 0);
  PrintText(r);
  EXPECT_EQ(accepted, 1);
  PrintText(r);
  EXPECT_EQ(accepted, 2);
}

TEST(PrinterSeam, WithoutAHandlerAPrintFails) {
  PrintHandler previous = SetPrintHandler(nullptr);
  EXPECT_EQ(PrintText(PrintRequest{}), PrintResult::Failed);
  SetPrintHandler(previous);
}

// The text reaches the PDF line by line, Windows-1252 letters included, and
// blank-padded columns keep their blanks.
TEST(PrinterSeam, PdfHoldsTheTextInItsLines) {
  QTemporaryDir dir;
  QString pdf = dir.filePath("print.pdf");
  PrintRequest r;
  r.text = "Z\xFCrich    LSZH\r\nGen\xE8ve    LSGG\r\n";
  ASSERT_TRUE(PrintToPdf(r, pdf));
  ASSERT_TRUE(QFile::exists(pdf));
  QString tool = QStandardPaths::findExecutable("pdftotext");
  if (tool.isEmpty()) GTEST_SKIP() << "pdftotext is not installed";
  QProcess p;
  p.start(tool, {"-layout", pdf, "-"});
  ASSERT_TRUE(p.waitForFinished(20000));
  QStringList lines;
  for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
    if (!line.trimmed().isEmpty()) lines << line.simplified();
  // Only the two lines: no page number or heading of the printer's own.
  EXPECT_EQ(lines, QStringList({QString::fromUtf8("Zürich LSZH"), QString::fromUtf8("Genève LSGG")}));
}

TEST(InputBoxSeam, AnswersCancelsAndRecords) {
  ScriptedInputBoxes boxes;
  boxes.Answer("25");
  boxes.Cancel();
  boxes.Answer("");
  EXPECT_EQ(InputBox("Percent?", "VELK", "10"), "25");
  InputBoxRequest r;
  r.prompt = "Again?";
  EXPECT_EQ(ShowInputBox(r), std::nullopt);
  EXPECT_EQ(ShowInputBox(r), std::optional<std::string>(""));
  // Past the script every box is cancelled.
  EXPECT_EQ(InputBox("More?", "VELK"), "");
  ASSERT_EQ(boxes.Shown().size(), 4u);
  EXPECT_EQ(boxes.Shown()[0].defaultText, "10");
}

}  // namespace
}  // namespace velk
