#include "platform/qt/console_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "platform/process_runner.h"
#include "platform/qt/qt_text.h"
#include "platform/text_codec.h"

namespace velk {
namespace {

// Length of the UTF-8 sequence that `lead` starts, 0 for no lead byte.
int SequenceLength(unsigned char lead) {
  if (lead >= 0xC2 && lead < 0xE0) return 2;
  if (lead >= 0xE0 && lead < 0xF0) return 3;
  if (lead >= 0xF0 && lead < 0xF5) return 4;
  return 0;
}

bool IsUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    char32_t cp = 0;
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
    } else if (!DecodeUtf8At(s, i, cp)) {
      return false;
    }
  }
  return true;
}

class QtProcessConsole : public ProcessConsole {
 public:
  explicit QtProcessConsole(const std::vector<std::string>& argv)
      : window_(QFileInfo(FromPath(argv[0])).fileName()) {
    window_.show();
  }
  void Output(std::string_view bytes) override { window_.AppendOutput(bytes); }
  std::string TakeInput() override { return window_.TakeTypedText(); }
  bool Closed() const override { return window_.IsClosed(); }

 private:
  ConsoleWindow window_;
};

}  // namespace

ConsoleWindow::ConsoleWindow(const QString& title, QWidget* parent) : QWidget(parent) {
  setWindowTitle(title);
  setAttribute(Qt::WA_DeleteOnClose, false);
  txtOutput = new QPlainTextEdit(this);
  txtOutput->setObjectName("txtOutput");
  txtOutput->setReadOnly(true);
  txtOutput->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  txtOutput->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtInput = new QLineEdit(this);
  txtInput->setObjectName("txtInput");
  txtInput->setFont(txtOutput->font());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(txtOutput);
  layout->addWidget(txtInput);
  QFontMetrics fm(txtOutput->font());
  resize(fm.horizontalAdvance(QLatin1Char('M')) * 82, fm.lineSpacing() * 27);
  connect(txtInput, &QLineEdit::returnPressed, this, [this] { SendLine(); });
  txtInput->setFocus();
}

void ConsoleWindow::AppendOutput(std::string_view bytes) {
  partial_.append(bytes);
  // Hold back a UTF-8 sequence whose last bytes have not come yet.
  size_t keep = 0;
  for (size_t back = 1; back <= 3 && back <= partial_.size(); ++back) {
    unsigned char c = static_cast<unsigned char>(partial_[partial_.size() - back]);
    if ((c & 0xC0) == 0x80) continue;
    int n = SequenceLength(c);
    if (n > static_cast<int>(back)) keep = back;
    break;
  }
  std::string ready = partial_.substr(0, partial_.size() - keep);
  partial_.erase(0, partial_.size() - keep);
  if (ready.empty()) return;
  QString text = IsUtf8(ready) ? QString::fromUtf8(ready) : FromPlanText(ready);
  // As in a terminal, a carriage return takes the writing back to the start
  // of the line, so a counter printed again and again stays on one line.
  QString ended;
  for (QChar ch : text) {
    if (ch == QLatin1Char('\r')) {
      column_ = 0;
    } else if (ch == QLatin1Char('\n')) {
      ended += line_ + QLatin1Char('\n');
      line_.clear();
      column_ = 0;
    } else {
      if (column_ < line_.size()) line_[column_] = ch;
      else line_ += ch;
      ++column_;
    }
  }
  // The last line shown is the one being written: it is replaced.
  QTextCursor cursor = txtOutput->textCursor();
  cursor.movePosition(QTextCursor::End);
  cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
  cursor.insertText(ended + line_);
  txtOutput->setTextCursor(cursor);
  txtOutput->verticalScrollBar()->setValue(txtOutput->verticalScrollBar()->maximum());
}

std::string ConsoleWindow::TakeTypedText() {
  std::string out;
  out.swap(typed_);
  return out;
}

void ConsoleWindow::SendLine() {
  typed_ += ToPlanText(txtInput->text());
  typed_ += '\n';
  txtInput->clear();
}

void ConsoleWindow::closeEvent(QCloseEvent* event) {
  closed_ = true;
  event->accept();
}

void InstallQtProcessSupport() {
  SetProcessConsoleFactory([](const std::vector<std::string>& argv) -> std::unique_ptr<ProcessConsole> {
    return std::make_unique<QtProcessConsole>(argv);
  });
  SetEventPump([] { QApplication::processEvents(); });
}

}  // namespace velk
