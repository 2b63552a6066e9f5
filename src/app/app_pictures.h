#pragma once
// The program's two pictures (splash and about), drawn at run time.
#include <QPixmap>

namespace velk {

QPixmap SplashPicture(QSize size);
QPixmap AboutPicture(QSize size);

}  // namespace velk
