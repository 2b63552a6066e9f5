#include "platform/qt/window_alpha.h"

#include <QWidget>

namespace velk {

void SetWindowAlpha(QWidget* window, bool enable, unsigned char alpha) {
  if (!window) return;
  window->setWindowOpacity(enable ? alpha / 255.0 : 1.0);
}

}  // namespace velk
