#include "gui/scenery_progress.h"

#include <QCoreApplication>
#include <memory>

#include "gui/frm_progress.h"
#include "gui/plan_host.h"
#include "platform/qt/qt_text.h"

namespace velk {

SceneryLoadContext WindowSceneryContext(PlanHost& host) {
  SceneryLoadContext context;
  context.programFolder = host.ProgramFolder();
  context.title = kProgramTitle;
  context.owner = host.Window();
  context.progress = [&host](const std::string& step) {
    host.Progress()->SetCaption(FromPlanText(step));
    QCoreApplication::processEvents();
  };
  // The wait lasts from beginWait to endWait; the two share it.
  auto wait = std::make_shared<std::unique_ptr<LongOperation>>();
  context.beginWait = [&host, wait](const std::string& step) {
    *wait = std::make_unique<LongOperation>(host, FromPlanText(step), 4, 1);
  };
  context.endWait = [wait] {
    wait->reset();
    QCoreApplication::processEvents();
  };
  return context;
}

}  // namespace velk
