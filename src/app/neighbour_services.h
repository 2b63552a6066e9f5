#pragma once
// The little the main window's start-up and shut-down need of the shuffle
// and the projects before those features are in: their working data, which
// the shut-down releases, and the project's modified flag. The features
// replace this file with their own.
#include <string>
#include <vector>

#include "data/plan_records.h"

namespace velk {

// The shuffle's working list of installed aircraft.
std::vector<FSAircraft>& ShuffleAircraftList();

struct ProjectEntry {
  std::string Description;
  std::string PlanFile;
  std::string AircraftFile;
};

struct ProjectState {
  std::string ProjectPath;
  std::vector<ProjectEntry> ProjectEntries;
  bool ProjectModified = false;
};

ProjectState& Project();

}  // namespace velk
