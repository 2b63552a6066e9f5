#include "app/app_pictures.h"

#include <QCoreApplication>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace velk {
namespace {

// A dusk sky with a row of runway lights and a climbing aircraft's track.
void PaintSky(QPainter& p, QSize size) {
  QLinearGradient sky(0, 0, 0, size.height());
  sky.setColorAt(0.0, QColor(18, 32, 74));
  sky.setColorAt(0.65, QColor(58, 92, 150));
  sky.setColorAt(1.0, QColor(226, 150, 92));
  p.fillRect(QRect(QPoint(0, 0), size), sky);
  p.setRenderHint(QPainter::Antialiasing);
  const int ground = size.height() * 86 / 100;
  p.fillRect(QRect(0, ground, size.width(), size.height() - ground), QColor(28, 30, 38));
  p.setPen(Qt::NoPen);
  for (int x = 12; x < size.width(); x += 26) {
    p.setBrush(QColor(255, 220, 120));
    p.drawEllipse(QPointF(x, ground + 8), 2.2, 2.2);
  }
  QPainterPath track;
  track.moveTo(size.width() * 0.08, ground - 4);
  track.cubicTo(size.width() * 0.45, ground - 6, size.width() * 0.7, size.height() * 0.75,
                size.width() * 0.95, size.height() * 0.62);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(255, 255, 255, 150), 2, Qt::DashLine));
  p.drawPath(track);
}

}  // namespace

QPixmap SplashPicture(QSize size) {
  QPixmap pixmap(size);
  QPainter p(&pixmap);
  PaintSky(p, size);
  p.setPen(Qt::white);
  QFont title("Sans Serif", 54, QFont::Bold);
  p.setFont(title);
  p.drawText(QRect(0, size.height() / 5, size.width(), 90), Qt::AlignHCenter, "VELK");
  QFont sub("Sans Serif", 13);
  p.setFont(sub);
  p.drawText(QRect(0, size.height() / 5 + 95, size.width(), 30), Qt::AlignHCenter,
             "AI traffic planning tools");
  p.setFont(QFont("Sans Serif", 9));
  p.drawText(QRect(0, size.height() - 26, size.width() - 10, 20), Qt::AlignRight | Qt::AlignVCenter,
             "Version " + QCoreApplication::applicationVersion());
  return pixmap;
}

QPixmap AboutPicture(QSize size) {
  QPixmap pixmap(size);
  QPainter p(&pixmap);
  PaintSky(p, size);
  p.setPen(Qt::white);
  p.setFont(QFont("Sans Serif", 36, QFont::Bold));
  p.drawText(QRect(0, size.height() / 4, size.width(), 64), Qt::AlignHCenter, "VELK");
  return pixmap;
}

}  // namespace velk
