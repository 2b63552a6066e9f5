#pragma once
// The surroundings of a scenery load in the window program: the steps go to
// the shared progress window with window events running between the
// facility files, a load started by a distance lookup shows the hourglass
// and "Getting FS2002 Scenery...", and "Couldn't find FS2002 Path." belongs
// to the main window.
#include "data/scenery_airports.h"

namespace velk {

class PlanHost;

// The context for DefaultSceneryContext(); `host` must outlive its use.
SceneryLoadContext WindowSceneryContext(PlanHost& host);

}  // namespace velk
