#include "platform/qt/qt_lock_wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include "platform/folder_lock.h"

namespace velk {
namespace {

// Paints and other window-system work run; the user's clicks and keys wait
// until the lock is had, as the busy cursor says. Only in the window's own
// thread and while the application lives, and never inside itself: an
// event run here that waits for a lock in turn just waits.
void RunPendingPaints() {
  static bool running = false;  // only the window's thread gets past the test below
  const QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() != app->thread() || running) return;
  running = true;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 40);
  running = false;
}

}  // namespace

void InstallQtLockWaitHook() { SetLockWaitHook(&RunPendingPaints); }

}  // namespace velk
