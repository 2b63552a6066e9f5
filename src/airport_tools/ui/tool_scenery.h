#pragma once
// The scenery airports for the airport search and distance windows, loaded
// when a window opens: from the cache or the facility files, with the steps
// in the main window's progress window.
#include <functional>

class QWidget;

namespace velk {

class PlanHost;

// Loads the scenery airports when none are loaded ("Getting FS2002
// Scenery..." and each file), then shows "Refreshing..." while `fill` puts
// them into `window`'s lists. `window` and the main window take no input
// meanwhile. A failed load has told the user why and leaves the list empty.
void LoadToolScenery(PlanHost& host, QWidget* window, const std::function<void()>& fill);

}  // namespace velk
