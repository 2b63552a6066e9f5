#include "app/window_wait.h"

#include <QApplication>
#include <QWidget>

namespace velk {

WindowWait::WindowWait(QWidget& window) : window_(window) {
  window_.setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

WindowWait::~WindowWait() {
  QApplication::restoreOverrideCursor();
  window_.setEnabled(true);
}

}  // namespace velk
