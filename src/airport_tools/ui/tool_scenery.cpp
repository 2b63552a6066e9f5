#include "airport_tools/ui/tool_scenery.h"

#include <QWidget>

#include "app/frm_progress.h"
#include "app/plan_host.h"
#include "data/scenery_airports.h"

namespace velk {

void LoadToolScenery(PlanHost& host, QWidget* window, const std::function<void()>& fill) {
  window->setEnabled(false);
  {
    LongOperation op(host, "Getting FS2002 Scenery...", 3, 1);
    SceneryLoadContext context;
    context.programFolder = host.ProgramFolder();
    context.owner = host.Window();
    // The step names a file, whose name is the file system's own (UTF-8) text.
    context.progress = [&](const std::string& step) { op.Step(QString::fromStdString(step)); };
    LoadSceneryAirports(SceneryAirports(), context);
    op.Step("Refreshing...", 2);
    if (fill) fill();
  }
  window->setEnabled(true);
}

}  // namespace velk
