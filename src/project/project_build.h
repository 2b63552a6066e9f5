#pragma once
// Merging a project into one plan, and compiling it. A merge leaves the
// merged Aircraft.txt and FlightPlans.txt in the project folder beside its
// Airports.txt; a compile puts them, with a copy of that Airports.txt, into a
// private folder and runs the compiler there. Every entry is read before
// anything is written, and the two merged files replace the old ones
// together or not at all, so an entry may name the project folder's own
// files and a failure never costs the user a file. Standard library only.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_set.h"
#include "project/project_file.h"

namespace velk {

struct BuildRequest {
  std::string ProjectPath;  // the project's file; "" while it was never saved
  std::vector<ProjectEntry> Entries;
  bool MergeOnly = true;
  std::filesystem::path ProgramFolder;
  bool ShowCompiler = false;
  // Back up an existing Aircraft.txt and FlightPlans.txt once (".velk.bak")
  // before a merge replaces them.
  bool BackupPlan = false;
};

enum class BuildOutcome {
  kDone,               // merged; for a compile, the compiler ended with 0
  kNotSaved,           // the project has no file yet
  kNoAircraftFile,     // no entry names an aircraft file
  kAirportsMissing,    // Airports.txt in the project folder cannot be read
  kFolderUnlisted,     // the project folder could not be listed to find its files
  kCompilerMissing,    // compile: no compiler in the program folder
  kAircraftFileMissing,  // an entry's aircraft file cannot be read
  kPlanFileMissing,      // an entry's flight plan file cannot be read
  kEntryNotRead,         // an entry's folder holds a set that may not be read now
  kWriteFailed,        // the merged files could not be written
  kCompileFailed,      // the compiler did not end with 0
};

struct BuildResult {
  BuildOutcome Outcome = BuildOutcome::kDone;
  std::string File;  // the file for the three "missing" outcomes; the folder for kFolderUnlisted
  // What was done about sets in the entries' folders and the project folder
  // that an interrupted run had left half replaced (for kEntryNotRead, why
  // an entry's files may not be read now), and why the merged files could
  // not be written. Braced, so that a result that has nothing to say of
  // them names only its outcome and file.
  SetRecovery Recovered{};
  SetFailure Failure{};
  // For kAirportsMissing and the two "missing" outcomes of an entry, why the
  // file could not be read.
  KnownRead Unread{};
  // The one-time backups of the merged files that could not be made, a
  // line each; the merge went on without them.
  std::vector<std::string> CopiesNotMade{};
};

// How a run reports its progress: Merging(n) once before the entries (the
// bar's maximum is n + 1), Entry(i) before entry i (0-based), Compiling()
// before the compiler starts, and Finished() when the progress is over, which
// comes before the run returns on every way out after Merging.
class BuildProgress {
 public:
  virtual ~BuildProgress() = default;
  virtual void Merging(int entryCount) = 0;
  virtual void Entry(int index) = 0;
  virtual void Compiling() = 0;
  virtual void Finished() = 0;
};

BuildResult BuildProject(const BuildRequest& request, BuildProgress& progress);

// The message that tells the user of a failed run, and its icon style
// (message box style bits). Not meant for kDone.
struct BuildMessage {
  std::string Text;
  int Style = 0;
};
BuildMessage BuildFailureMessage(const BuildResult& result);

}  // namespace velk
