#include "platform/qt/qt_message_box.h"

#include <QAbstractButton>
#include <QClipboard>
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

// Shown between the characters of a long run so that it may break there;
// it has no width and is never part of the message itself.
constexpr QChar kBreak(0x200B);

// `text` with a break allowed between any two characters of a run of more
// than 40 characters without a space or a '/' (a long file name, say): the
// box breaks its lines only between words, and would otherwise grow as
// wide as the run, beyond the screen. Shorter words stay whole.
QString Breakable(const QString& text) {
  constexpr qsizetype kLongestWhole = 40;
  QString shown;
  shown.reserve(text.size());
  qsizetype start = 0;
  auto add = [&](qsizetype end) {
    const QStringView run = QStringView(text).mid(start, end - start);
    if (run.size() <= kLongestWhole) {
      shown += run;
      return;
    }
    for (qsizetype i = 0; i < run.size(); ++i) {
      if (i > 0) shown += kBreak;
      shown += run[i];
    }
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i].isSpace() || text[i] == u'/') {
      add(i);
      shown += text[i];
      start = i + 1;
    }
  }
  add(text.size());
  return shown;
}

}  // namespace

CentredMessageBox::CentredMessageBox(const MessageBoxRequest& request)
    : QMessageBox(request.owner), owner_(request.owner), x_(request.x), y_(request.y) {
  setWindowTitle(FromPlanText(request.title));
  setTextFormat(Qt::PlainText);
  const QString prompt = FromPlanText(request.prompt);
  const QString shown = Breakable(prompt);
  setText(shown);
  // Text copied from the box is the message as it stands, without the
  // breaks that were added for showing it.
  if (shown != prompt) {
    connect(QGuiApplication::clipboard(), &QClipboard::changed, this, [this](QClipboard::Mode mode) {
      QClipboard* clipboard = QGuiApplication::clipboard();
      const QString copied = clipboard->text(mode);
      if (copied.contains(kBreak) && text().contains(copied)) clipboard->setText(QString(copied).remove(kBreak), mode);
    });
  }
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
