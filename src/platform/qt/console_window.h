#pragma once
// The console window of a program run shown (orvane /EP): its output as it
// comes, and a line to type into, whose text the program reads as input.
#include <QString>
#include <QWidget>
#include <string>
#include <string_view>

class QLineEdit;
class QPlainTextEdit;

namespace velk {

class ConsoleWindow : public QWidget {
  Q_OBJECT

 public:
  explicit ConsoleWindow(const QString& title, QWidget* parent = nullptr);

  // Bytes of the program's output: UTF-8 where they form it, else
  // Windows-1252. A character cut between two chunks waits for the rest.
  void AppendOutput(std::string_view bytes);
  // The lines typed since the last call, as Windows-1252 text with "\n".
  std::string TakeTypedText();
  bool IsClosed() const { return closed_; }

  QPlainTextEdit* txtOutput = nullptr;
  QLineEdit* txtInput = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void SendLine();

  std::string typed_;
  std::string partial_;
  QString line_;    // the output line being written, shown last
  int column_ = 0;  // where its next character goes
  bool closed_ = false;
};

// Runs shown programs in a ConsoleWindow and lets window events run while
// RunAndWait waits. Called once at start-up of the window program.
void InstallQtProcessSupport();

}  // namespace velk
