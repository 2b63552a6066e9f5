#pragma once
// A window of its own (a report, a tool window) busy with a command: it
// takes no input and the pointer is the hourglass until the frame ends, on
// every way out. The main window has its own frame (BusyFrame, plan_host.h).
#include <QApplication>
#include <QWidget>

namespace velk {

class WindowBusy {
 public:
  explicit WindowBusy(QWidget* window) : window_(window) {
    window_->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  ~WindowBusy() {
    QApplication::restoreOverrideCursor();
    window_->setEnabled(true);
  }
  WindowBusy(const WindowBusy&) = delete;
  WindowBusy& operator=(const WindowBusy&) = delete;

 private:
  QWidget* window_;
};

}  // namespace velk
