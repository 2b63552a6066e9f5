#pragma once
// Translucent windows (the splash window).
class QWidget;

namespace velk {

// With `enable`, draws `window` at alpha/255 opacity (255: opaque);
// without it, opaque again.
void SetWindowAlpha(QWidget* window, bool enable, unsigned char alpha);

}  // namespace velk
