#pragma once
// A window of its own (a dialog, a report, a tool window) busy with a
// command that works through many records: from construction to
// destruction it takes no input and the pointer is the hourglass; pending
// window events (but no user input) run once at the start, and a request to
// close the window (its close box) is refused, so the window the command
// works in stays alive until the command is done. The control that had the
// focus gets it back at the end (disabling the window took it away). The
// main window has its own frame (BusyFrame, plan_host.h).
#include <QPointer>
#include <QWidget>

class QObject;

namespace velk {

class WindowWait {
 public:
  explicit WindowWait(QWidget& window);
  ~WindowWait();
  WindowWait(const WindowWait&) = delete;
  WindowWait& operator=(const WindowWait&) = delete;

 private:
  QWidget& window_;
  QObject* closeGuard_;
  QPointer<QWidget> focus_;
};

}  // namespace velk
