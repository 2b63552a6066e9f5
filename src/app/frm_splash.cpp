#include "app/frm_splash.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>

#include "app/app_pictures.h"
#include "platform/qt/window_alpha.h"

namespace velk {

frmSplash::frmSplash(QWidget* owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName("frmSplash");
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(kWidth, kHeight);
  SetWindowAlpha(this, true, kAlpha);
  picSplash = new QLabel(this);
  picSplash->setObjectName("picSplash");
  picSplash->setGeometry(0, 0, kWidth - 1, kHeight - 1);
  picSplash->setPixmap(SplashPicture(picSplash->size()));
  picSplash->installEventFilter(this);
  setFocusPolicy(Qt::StrongFocus);
}

void frmSplash::showEvent(QShowEvent* event) {
  if (QWidget* owner = parentWidget()) {
    QRect o = owner->frameGeometry();
    move(o.left() + (o.width() - width()) / 2, o.top() + (o.height() - height()) / 2);
  }
  QWidget::showEvent(event);
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
  // Only keys that type a character close it, as a typed key would.
  if (!event->text().isEmpty())
    close();
  else
    QWidget::keyPressEvent(event);
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
  if (watched == picSplash && event->type() == QEvent::MouseButtonPress) {
    close();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace velk
