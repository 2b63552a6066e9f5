#include "gui/frm_progress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <algorithm>
#include <cmath>

#include "gui/plan_host.h"

namespace velk {

frmProgress::frmProgress(QWidget* mainWindow) : QFrame(mainWindow) {
  setObjectName("frmProgress");
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(kBorder);
  setAutoFillBackground(true);
  resize(kClientWidth + 2 * kBorder, kClientHeight + kCaptionHeight + 2 * kBorder);
  const int x0 = kBorder;
  const int y0 = kBorder + kCaptionHeight;
  lblProgress = new QLabel("Progress", this);
  lblProgress->setObjectName("lblProgress");
  lblProgress->setGeometry(x0 + 8, y0 + 10, 381, 15);
  QFont bold = lblProgress->font();
  bold.setBold(true);
  lblProgress->setFont(bold);
  pbProgress = new QProgressBar(this);
  pbProgress->setObjectName("pbProgress");
  pbProgress->setGeometry(x0 + 5, y0 + 27, 386, 18);
  pbProgress->setRange(0, 100);
  pbProgress->setValue(0);
  pbProgress->setTextVisible(false);
  hide();
  PlaceOverMain();
}

void frmProgress::PlaceOverMain() {
  QWidget* main = parentWidget();
  if (!main) return;
  QSize outer = main->frameGeometry().size();
  // Halves truncated toward zero; the window may start left of or above the
  // main window's area when that is the smaller one.
  int left = (outer.width() - width()) / 2;
  int top = (outer.height() - height()) / 2 - 32;
  move(left, top);
  raise();
}

void frmProgress::SetCaption(const QString& text) { lblProgress->setText(text); }

QString frmProgress::Caption() const { return lblProgress->text(); }

void frmProgress::SetMax(double maximum) {
  int m = std::max(0, int(std::lround(maximum)));
  pbProgress->setMaximum(m);
  SetValue(value_);
}

void frmProgress::SetValue(double value) {
  value_ = value;
  int v = int(std::lround(value));
  pbProgress->setValue(std::clamp(v, pbProgress->minimum(), pbProgress->maximum()));
}

void frmProgress::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  // The caption strip, drawn active: the window belongs to the active main window.
  QPainter painter(this);
  QRect strip(kBorder, kBorder, width() - 2 * kBorder, kCaptionHeight);
  painter.fillRect(strip, palette().color(QPalette::Active, QPalette::Highlight));
  painter.setPen(palette().color(QPalette::Active, QPalette::HighlightedText));
  QFont bold = font();
  bold.setBold(true);
  painter.setFont(bold);
  painter.drawText(strip.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, "Progress");
}

void frmProgress::closeEvent(QCloseEvent* event) {
  if (closeAllowed_)
    event->accept();
  else
    event->ignore();
}

LongOperation::LongOperation(PlanHost& main, const QString& firstStep, double maximum, double value)
    : main_(main) {
  main_.BeginBusy();
  frmProgress* p = main_.Progress();
  p->SetCaption(firstStep);
  p->SetMax(maximum);
  p->SetValue(value);
  p->show();
  p->raise();
  QCoreApplication::processEvents();
}

LongOperation::~LongOperation() {
  main_.UnloadProgress();
  main_.EndBusy();
  main_.Reactivate();
}

void LongOperation::Step(const QString& text) {
  main_.Progress()->SetCaption(text);
  QCoreApplication::processEvents();
}

void LongOperation::Step(const QString& text, double value) {
  frmProgress* p = main_.Progress();
  p->SetCaption(text);
  p->SetValue(value);
  QCoreApplication::processEvents();
}

void LongOperation::SetMax(double maximum) { main_.Progress()->SetMax(maximum); }

void LongOperation::SetValue(double value) {
  main_.Progress()->SetValue(value);
  QCoreApplication::processEvents();
}

std::function<void(int)> LongOperation::ValueCallback() {
  return [this](int value) { SetValue(value); };
}

}  // namespace velk
