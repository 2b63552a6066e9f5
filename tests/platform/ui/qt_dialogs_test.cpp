#include "platform/qt/qt_dialogs.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/printer.h"

namespace velk {
namespace {

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

}  // namespace
}  // namespace velk
