#include "platform/qt/console_window.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/process_runner.h"

namespace velk {
namespace {

TEST(ConsoleWindow, ShowsOutputInEitherEncodingAndHandsOverTypedLines) {
  ConsoleWindow w("orvane");
  w.AppendOutput("caf\xC3");  // a UTF-8 character cut in two
  w.AppendOutput("\xA9 \r\n");
  w.AppendOutput("Z\xFCrich\n");  // Windows-1252
  EXPECT_EQ(w.txtOutput->toPlainText(), QString::fromUtf8("café \nZürich\n"));

  w.txtInput->setText(QString::fromUtf8("Genève"));
  QTest::keyClick(w.txtInput, Qt::Key_Return);
  QTest::keyClick(w.txtInput, Qt::Key_Return);
  EXPECT_EQ(w.TakeTypedText(), "Gen\xE8ve\n\n");
  EXPECT_EQ(w.TakeTypedText(), "");
  EXPECT_TRUE(w.txtInput->text().isEmpty());
}

// Progress counters rewrite their line after a carriage return, as in a
// terminal; CR LF, also cut between two pieces, ends a line.
TEST(ConsoleWindow, ACarriageReturnWritesOverItsLine) {
  ConsoleWindow w("orvane");
  w.AppendOutput("Parsing\r\n  Airports 0\r  Airports 33\r");
  w.AppendOutput("  Airports 40\r");
  w.AppendOutput("\nDone 9\rX");
  EXPECT_EQ(w.txtOutput->toPlainText(), "Parsing\n  Airports 40\nXone 9");
}

TEST(ConsoleWindow, ShownProgramRunsInItAndReadsWhatIsTyped) {
  InstallQtProcessSupport();
  QString shown;
  // Answers the prompt through the window, as a user would.
  QTimer typist;
  QObject::connect(&typist, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* console = qobject_cast<ConsoleWindow*>(w);
      if (!console || !console->isVisible()) continue;
      shown = console->txtOutput->toPlainText();
      if (shown.endsWith("finish...")) {
        console->txtInput->setText("ok");
        QTest::keyClick(console->txtInput, Qt::Key_Return);
        typist.stop();
      }
    }
  });
  typist.start(20);
  std::string output;
  int rc = RunAndWait({"/bin/sh", "-c", "printf 'Press ENTER key to finish...'; read x; test \"$x\" = ok"},
                      "", output, true);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(shown, "Press ENTER key to finish...");
  // The console goes with its program.
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(qobject_cast<ConsoleWindow*>(w));
  SetProcessConsoleFactory(nullptr);
  SetEventPump(nullptr);
}

}  // namespace
}  // namespace velk
