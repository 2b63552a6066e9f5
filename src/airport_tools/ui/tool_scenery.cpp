#include "airport_tools/ui/tool_scenery.h"

#include <QWidget>

#include "app/frm_progress.h"
#include "app/plan_host.h"
#include "app/scenery_progress.h"
#include "data/scenery_airports.h"

namespace velk {

void LoadToolScenery(PlanHost& host, QWidget* window, const std::function<void()>& fill) {
  window->setEnabled(false);
  {
    LongOperation op(host, "Getting FS2002 Scenery...", 3, 1);
    LoadSceneryAirports(SceneryAirports(), WindowSceneryContext(host));
    op.Step("Refreshing...", 2);
    if (fill) fill();
  }
  window->setEnabled(true);
}

}  // namespace velk
