#include "gui/box_check.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

namespace velk {
namespace {

class BoxCheck : public QObject {
 public:
  BoxCheck(QLineEdit* box, std::function<bool()> check) : QObject(box), box_(box), check_(std::move(check)) {
    box->installEventFilter(this);
  }

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::FocusOut || checking_) return false;
    Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
    // Refocusing from inside the focus change would fight it: check after.
    QTimer::singleShot(0, this, [this] {
      // Back in the box already (a command checked it meanwhile).
      if (box_->hasFocus()) return;
      checking_ = true;
      if (!check_()) {
        box_->setFocus();
        box_->selectAll();
      }
      checking_ = false;
    });
    return false;
  }

 private:
  QLineEdit* box_;
  std::function<bool()> check_;
  bool checking_ = false;
};

}  // namespace

void CheckOnLeaving(QLineEdit* box, std::function<bool()> check) { new BoxCheck(box, std::move(check)); }

}  // namespace velk
