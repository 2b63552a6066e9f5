#include "project/project_build.h"

#include <optional>
#include <system_error>

#include "data/flight_plan_file.h"
#include "platform/file_set.h"
#include "platform/folder_list.h"
#include "platform/message_box.h"
#include "platform/set_messages.h"
#include "platform/text_codec.h"
#include "platform/text_file.h"
#include "project/console_tools.h"
#include "project/project_merge.h"

namespace velk {
namespace fs = std::filesystem;

namespace {

constexpr const char* kNotSavedMessage = "Please save the VELK Project before you start compiling/merging.";
constexpr const char* kNoAircraftFileMessage = "At least one Aircraft file should be assigned to the Project.";
constexpr const char* kAirportsMissingMessage = "File 'AIRPORTS.TXT' not found in Project folder.";
constexpr const char* kAirportsUnreadableMessage = "File 'AIRPORTS.TXT' in Project folder could not be read.";
constexpr const char* kVelkFolderCompilerMissingMessage = "File 'orvane' not found in VELK folder.";
constexpr const char* kMergeFailedMessage = "Errors occured during merging Project.";
constexpr const char* kProjectCompileFailedMessage = "Errors occured during compiling Project.";

// Ends the progress on every way out of the merge and compile steps.
class ProgressScope {
 public:
  explicit ProgressScope(BuildProgress& progress) : progress_(progress) {}
  ~ProgressScope() { progress_.Finished(); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  BuildProgress& progress_;
};

// Adds what a recovery found to `into`; a recovery whose set may not be
// read decides why the merge stops.
void Merge(SetRecovery& into, const SetRecovery& r) {
  into.lines.insert(into.lines.end(), r.lines.begin(), r.lines.end());
  into.attention = into.attention || r.attention;
  if (r.Readable()) return;
  into.busy = r.busy;
  into.unfinished = r.unfinished;
  into.asides = r.asides;
  into.folder = r.folder;
}

// Reads the files of an entry, those of one folder under that folder's
// lock, after a recovery there: never one file of a set with another of
// the set that replaced it. `texts` receives them in the order of `files`;
// false, with `recovered` saying why, when a folder's set may not be read,
// or with `failed` naming the file that could not be read and `unread` why.
bool ReadEntryFiles(const std::vector<fs::path>& files, std::vector<FileBytes>& texts, SetRecovery& recovered,
                    fs::path& failed, KnownRead& unread) {
  texts.clear();
  texts.resize(files.size());
  std::vector<bool> done(files.size(), false);
  for (size_t i = 0; i < files.size(); ++i) {
    if (done[i]) continue;
    const fs::path folder = files[i].parent_path();
    std::vector<fs::path> together;
    for (size_t k = i; k < files.size(); ++k)
      if (!done[k] && files[k].parent_path() == folder) together.push_back(files[k]);
    SetFolder set(folder, together);
    set.LockWithin(kSetLockWait);
    const SetRecovery r = set.Recover();
    Merge(recovered, r);
    if (!r.Readable()) return false;
    for (size_t k = i; k < files.size(); ++k) {
      if (done[k] || files[k].parent_path() != folder) continue;
      KnownFile known;
      unread = ReadKnownFile(files[k], texts[k], known);
      if (unread != RegularReadResult::kOk) {
        failed = files[k];
        return false;
      }
      done[k] = true;
    }
  }
  return true;
}

}  // namespace

BuildResult BuildProject(const BuildRequest& request, BuildProgress& progress) {
  if (request.ProjectPath.empty()) return {BuildOutcome::kNotSaved, {}};
  const fs::path projectFolder = fs::path(request.ProjectPath).parent_path();
  bool anyAircraft = false;
  for (const ProjectEntry& e : request.Entries) anyAircraft = anyAircraft || !e.AircraftFile.empty();
  if (!anyAircraft) return {BuildOutcome::kNoAircraftFile, {}};
  // A merge leaves the project's Airports.txt where it is; it only has to be
  // there, a file that can be read. A folder that could not be listed tells nothing about whether it
  // is.
  fs::path unlisted;
  const fs::path airports = FileInFolder(projectFolder, kAirportsName, &unlisted);
  if (airports.empty()) return {BuildOutcome::kFolderUnlisted, unlisted.string()};
  {
    FileBytes bytes;
    KnownFile known;
    BuildResult missing{BuildOutcome::kAirportsMissing, airports.string()};
    missing.Unread = ReadKnownFile(airports, bytes, known);
    if (missing.Unread != RegularReadResult::kOk) return missing;
  }
  if (!request.MergeOnly && !ToolPresent(request.ProgramFolder, kCompilerProgram))
    return {BuildOutcome::kCompilerMissing, {}};

  ProgressScope scope(progress);
  progress.Merging(static_cast<int>(request.Entries.size()));
  ProjectMerger merger;
  SetRecovery recovered;
  for (size_t i = 0; i < request.Entries.size(); ++i) {
    const ProjectEntry& e = request.Entries[i];
    progress.Entry(static_cast<int>(i));
    merger.BeginEntry();
    std::vector<fs::path> files{fs::path(e.PlanFile)};
    if (!e.AircraftFile.empty()) files.push_back(fs::path(e.AircraftFile));
    std::vector<FileBytes> texts;
    fs::path failed;
    KnownRead unread;
    if (!ReadEntryFiles(files, texts, recovered, failed, unread)) {
      BuildResult result{BuildOutcome::kEntryNotRead, {}, recovered, {}};
      if (failed.empty()) return result;
      result.Outcome = failed == files[0] ? BuildOutcome::kPlanFileMissing : BuildOutcome::kAircraftFileMissing;
      result.File = failed.string();
      result.Unread = unread;
      return result;
    }
    if (!e.AircraftFile.empty()) merger.AddAircraftText(texts[1].view());
    merger.AddFlightPlanText(texts[0].view());
  }

  if (request.MergeOnly) {
    // Existing files keep their spelling; both are replaced or neither.
    fs::path aircraftTarget = FileInFolder(projectFolder, kAircraftName, &unlisted);
    fs::path planTarget = aircraftTarget.empty() ? fs::path() : FileInFolder(projectFolder, kFlightPlansName, &unlisted);
    if (planTarget.empty()) return {BuildOutcome::kFolderUnlisted, unlisted.string(), recovered, {}};
    BuildResult result;
    SetOptions options;
    options.copiesNotMade = &result.CopiesNotMade;
    if (request.BackupPlan) {
      for (const fs::path& target : {aircraftTarget, planTarget})
        options.copies.emplace_back(target, target.string() + kBackupSuffix);
    }
    SetRecovery written;
    if (!ReplaceFilesInTurn({{planTarget, merger.FlightPlansText()}, {aircraftTarget, merger.AircraftText()}},
                            &result.Failure, &written, options))
      result.Outcome = BuildOutcome::kWriteFailed;
    Merge(recovered, written);
    result.Recovered = recovered;
    return result;
  }

  RunFolder run;
  if (!run.Made() || !CopyInputFile(airports, run.Path() / kAirportsName) ||
      !WriteFileAtomic(run.Path() / kFlightPlansName, merger.FlightPlansText()) ||
      !WriteFileAtomic(run.Path() / kAircraftName, merger.AircraftText()))
    return {BuildOutcome::kWriteFailed, {}};
  progress.Compiling();
  int code = RunCompiler(request.ProgramFolder, run.Path(), request.ShowCompiler);
  return {code == 0 ? BuildOutcome::kDone : BuildOutcome::kCompileFailed, {}, recovered, {}};
}

BuildMessage BuildFailureMessage(const BuildResult& result) {
  const int warn = kMbOk | kMbIconExclamation;
  const int stop = kMbOk | kMbIconCritical;
  switch (result.Outcome) {
    case BuildOutcome::kDone: return {};
    case BuildOutcome::kNotSaved: return {kNotSavedMessage, warn};
    case BuildOutcome::kNoAircraftFile: return {kNoAircraftFileMessage, warn};
    case BuildOutcome::kAirportsMissing:
      return {WithReadFailure(kAirportsMissingMessage, kAirportsUnreadableMessage, result.File, result.Unread), warn};
    case BuildOutcome::kFolderUnlisted: return {ListFailedMessage(result.File), warn};
    case BuildOutcome::kCompilerMissing: return {kVelkFolderCompilerMissingMessage, warn};
    case BuildOutcome::kAircraftFileMissing:
    case BuildOutcome::kPlanFileMissing:
      return {WithChosenFileReadFailure(kMergeFailedMessage, result.File, result.Unread), warn};
    case BuildOutcome::kEntryNotRead: return {Utf8ToCp1252(result.Recovered.Refusal()), warn};
    case BuildOutcome::kWriteFailed: return {WithSetFailure(kMergeFailedMessage, result.Failure), stop};
    case BuildOutcome::kCompileFailed: return {kProjectCompileFailedMessage, stop};
  }
  return {};
}

}  // namespace velk
