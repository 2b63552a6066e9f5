#pragma once
// The little the main window's start-up and shut-down need of the projects
// before that feature is in: its working data, which the shut-down releases,
// and the project's modified flag. The feature replaces this file with its
// own.
#include <string>
#include <vector>

#include "data/plan_records.h"

namespace velk {

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
