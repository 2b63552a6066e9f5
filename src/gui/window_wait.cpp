#include "gui/window_wait.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace velk {
namespace {

// A disabled window still gets the close requests of its close box; closing
// (and deleting) it under a running command would pull the window out from
// under that command.
class CloseGuard : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::Close) return false;
    event->ignore();
    return true;
  }
};

}  // namespace

WindowWait::WindowWait(QWidget& window)
    : window_(window), closeGuard_(new CloseGuard(&window)), focus_(window.focusWidget()) {
  window_.installEventFilter(closeGuard_);
  window_.setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

WindowWait::~WindowWait() {
  QApplication::restoreOverrideCursor();
  window_.setEnabled(true);
  delete closeGuard_;
  if (focus_ && !window_.focusWidget() && focus_->isEnabled() && focus_->isVisible())
    focus_->setFocus(Qt::OtherFocusReason);
}

}  // namespace velk
