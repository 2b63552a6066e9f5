#include "platform/qt/qt_message_box.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <vector>

#include "platform/qt/qt_text.h"

namespace velk {
namespace {

// The buttons of a style in the order the default-button bits count them.
std::vector<QMessageBox::StandardButton> ButtonsOf(int style) {
  switch (style & 0xF) {
    case kMbOkCancel:
      return {QMessageBox::Ok, QMessageBox::Cancel};
    case kMbAbortRetryIgnore:
      return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
    case kMbYesNoCancel:
      return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case kMbYesNo:
      return {QMessageBox::Yes, QMessageBox::No};
    case kMbRetryCancel:
      return {QMessageBox::Retry, QMessageBox::Cancel};
    default:
      return {QMessageBox::Ok};
  }
}

QMessageBox::Icon IconOf(int style) {
  switch (style & 0xF0) {
    case kMbIconCritical:
      return QMessageBox::Critical;
    case kMbIconQuestion:
      return QMessageBox::Question;
    case kMbIconExclamation:
      return QMessageBox::Warning;
    case kMbIconInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

ScreenRect ToScreenRect(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

}  // namespace

CentredMessageBox::CentredMessageBox(const MessageBoxRequest& request)
    : QMessageBox(request.owner), owner_(request.owner), x_(request.x), y_(request.y) {
  setWindowTitle(FromPlanText(request.title));
  setTextFormat(Qt::PlainText);
  setText(FromPlanText(request.prompt));
  setIcon(IconOf(request.buttons));
  auto buttons = ButtonsOf(request.buttons);
  for (auto b : buttons) addButton(b);
  size_t defaultIndex = static_cast<size_t>((request.buttons & 0xF00) >> 8);
  setDefaultButton(buttons[defaultIndex < buttons.size() ? defaultIndex : 0]);
  // Escape (and the close button) answer Cancel where there is one, and OK
  // on a box that has nothing else; any other box waits for a button.
  if (QAbstractButton* cancel = button(QMessageBox::Cancel)) {
    setEscapeButton(cancel);
  } else if (buttons.size() == 1) {
    setEscapeButton(button(buttons.front()));
  } else {
    mustChoose_ = true;
    setWindowFlag(Qt::WindowCloseButtonHint, false);
  }
}

void CentredMessageBox::keyPressEvent(QKeyEvent* event) {
  // QMessageBox would take the No button for the escape button.
  if (mustChoose_ && event->matches(QKeySequence::Cancel)) {
    event->accept();
    return;
  }
  QMessageBox::keyPressEvent(event);
}

void CentredMessageBox::closeEvent(QCloseEvent* event) {
  if (mustChoose_ && !clickedButton()) {
    event->ignore();
    return;
  }
  QMessageBox::closeEvent(event);
}

void CentredMessageBox::showEvent(QShowEvent* event) {
  QMessageBox::showEvent(event);
  if (placed_) return;
  placed_ = true;
  QRect reference;
  if (owner_) {
    reference = owner_->window()->frameGeometry();
  } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
    reference = screen->geometry();
  }
  QSize size = frameGeometry().size();
  ScreenPoint p = CentredBoxPosition(ToScreenRect(reference), size.width(), size.height(), x_, y_);
  move(p.x, p.y);
}

int CentredMessageBox::ResultCode() const {
  QAbstractButton* clicked = clickedButton();
  return clicked ? MessageBoxResultCode(standardButton(clicked)) : kIdNone;
}

int MessageBoxResultCode(QMessageBox::StandardButton button) {
  switch (button) {
    case QMessageBox::Ok:
      return kIdOk;
    case QMessageBox::Cancel:
      return kIdCancel;
    case QMessageBox::Abort:
      return kIdAbort;
    case QMessageBox::Retry:
      return kIdRetry;
    case QMessageBox::Ignore:
      return kIdIgnore;
    case QMessageBox::Yes:
      return kIdYes;
    case QMessageBox::No:
      return kIdNo;
    default:
      return kIdNone;
  }
}

int ShowQtMessageBox(const MessageBoxRequest& request) {
  CentredMessageBox box(request);
  box.exec();
  return box.ResultCode();
}

void InstallQtMessageBoxHandler() { SetMessageBoxHandler(ShowQtMessageBox); }

}  // namespace velk
