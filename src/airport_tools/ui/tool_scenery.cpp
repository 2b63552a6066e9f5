#include "airport_tools/ui/tool_scenery.h"

#include <QWidget>

#include "data/scenery_airports.h"
#include "gui/frm_progress.h"
#include "gui/plan_host.h"
#include "gui/scenery_progress.h"
#include "gui/window_wait.h"

namespace velk {

void LoadToolScenery(PlanHost& host, QWidget* window, const std::function<void()>& fill) {
  // The window can't be closed while the load lets events run.
  WindowWait wait(*window);
  LongOperation op(host, "Getting FS2002 Scenery...", 3, 1);
  LoadSceneryAirports(SceneryAirports(), WindowSceneryContext(host));
  op.Step("Refreshing...", 2);
  if (fill) fill();
}

}  // namespace velk
