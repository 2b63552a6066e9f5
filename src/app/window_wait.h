#pragma once
// A window of its own (a dialog, a report, a tool window) busy with a
// command that works through many records: from construction to
// destruction it takes no input and the pointer is the hourglass; pending
// window events (but no user input) run once at the start. The main window
// has its own frame (BusyFrame, plan_host.h).
class QWidget;

namespace velk {

class WindowWait {
 public:
  explicit WindowWait(QWidget& window);
  ~WindowWait();
  WindowWait(const WindowWait&) = delete;
  WindowWait& operator=(const WindowWait&) = delete;

 private:
  QWidget& window_;
};

}  // namespace velk
