#pragma once
// Which controls of the main window's tab pages move or grow when the window
// changes size, and how (edge modes top, left, bottom, right; see
// resize_rules.h).
#include <vector>

class QWidget;

namespace velk {

class cResize;

struct ResizeMapRow {
  const char* Name;  // objectName of the control
  int Top;
  int Left;
  int Bottom;
  int Right;
};

// The map in registration order.
const std::vector<ResizeMapRow>& MainWindowResizeMap();

// Registers every control of the map found below `window`; returns how many
// were found.
int MapMainWindowControls(cResize& resizer, QWidget* window);

}  // namespace velk
