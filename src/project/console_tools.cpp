#include "project/console_tools.h"

#include <unistd.h>

#include <optional>
#include <system_error>

#include "platform/file_set.h"
#include "platform/folder_tree.h"
#include "platform/process_runner.h"
#include "platform/sim_location.h"
#include "platform/temp_folder.h"
#include "platform/text_file.h"

namespace velk {
namespace fs = std::filesystem;

RunFolder::RunFolder() {
  const std::string base = GetTempFolder();
  if (base.empty() || !place_.OpenName(fs::path(base) / "run")) return;
  const int made = MakeFreshFolderIn(place_.folder(), "run-", name_, place_.file().parent_path());
  if (made < 0) {
    name_.clear();
    return;
  }
  ::close(made);
  path_ = place_.file().parent_path() / name_;
}

RunFolder::~RunFolder() {
  if (!path_.empty()) RemoveTreeAt(place_.folder(), name_, path_);
}

bool ToolPresent(const fs::path& programFolder, const char* tool) {
  std::error_code ec;
  return fs::is_regular_file(programFolder / tool, ec);
}

fs::path FileInFolder(const fs::path& folder, const std::string& name, fs::path* unlisted) {
  return ResolvePathNoCase(folder, name, unlisted);
}

bool CopyInputFile(const fs::path& from, const fs::path& to, KnownRead* read) {
  FileBytes bytes;
  KnownFile known;
  const KnownRead got = ReadKnownFile(from, bytes, known);
  if (read) *read = got;
  // The run folder is ours alone and new; a file already there is not one
  // of ours to replace.
  WriteTarget copy;
  return got == RegularReadResult::kOk && copy.OpenName(to) &&
         WriteNewFile(copy.folder(), copy.name(), bytes.view(), 0600, to);
}

int RunCompiler(const fs::path& programFolder, const fs::path& workFolder, bool showConsole) {
  std::vector<std::string> argv{(programFolder / kCompilerProgram).string(),
                                showConsole ? kShownSwitch : kHiddenSwitch};
  std::string unused;
  return RunAndWait(argv, workFolder.string(), unused, showConsole);
}

namespace {

// Copies the plan with the Aircraft.txt and Airports.txt of its folder into
// `run` under the names the compiler reads, under the folder's lock, so
// that they come from one set. Nothing when all three were copied, else
// why the plan is not compiled.
std::optional<CompileOutcome> CopyPlanFiles(const fs::path& planFile, const fs::path& run, SetRecovery* recovered,
                                            fs::path* unlisted, UnreadInput* unread) {
  const fs::path folder = planFile.parent_path();
  SetFolder set(folder, {planFile, folder / kAircraftName, folder / kAirportsName});
  set.LockWithin(kSetLockWait);
  const SetRecovery r = set.Recover();
  if (recovered) *recovered = r;
  if (!r.Readable()) return CompileOutcome::kNotRead;
  const fs::path aircraft = FileInFolder(folder, kAircraftName, unlisted);
  const fs::path airports = aircraft.empty() ? fs::path() : FileInFolder(folder, kAirportsName, unlisted);
  if (airports.empty() || run.empty()) return CompileOutcome::kFailed;
  // Aircraft.txt first, then Airports.txt, then the plan: the first that
  // cannot be read is the one named. A copy that did not come whole must
  // not be compiled as if it had.
  const struct {
    const fs::path& from;
    const char* name;
    CompileOutcome missing;
  } inputs[] = {{aircraft, kAircraftName, CompileOutcome::kAircraftMissing},
                {airports, kAirportsName, CompileOutcome::kAirportsMissing},
                {planFile, kFlightPlansName, CompileOutcome::kPlanMissing}};
  for (const auto& [input, name, missing] : inputs) {
    KnownRead read;
    if (CopyInputFile(input, run / name, &read)) continue;
    if (read == RegularReadResult::kOk) return CompileOutcome::kFailed;
    if (unread) *unread = {input, read};
    return missing;
  }
  return std::nullopt;
}

}  // namespace

CompileOutcome CompilePlanFile(const fs::path& programFolder, const fs::path& planFile, bool showConsole,
                               SetRecovery* recovered, fs::path* unlisted, UnreadInput* unread) {
  RunFolder run;
  if (const std::optional<CompileOutcome> notCopied = CopyPlanFiles(planFile, run.Path(), recovered, unlisted, unread))
    return *notCopied;
  return RunCompiler(programFolder, run.Path(), showConsole) == 0 ? CompileOutcome::kCompiled
                                                                  : CompileOutcome::kFailed;
}

bool DecompileTo(const fs::path& programFolder, const fs::path& chosenFile, bool showConsole, SetFailure* failure,
                 SetRecovery* recovered, fs::path* unlisted) {
  RunFolder run;
  if (!run.Made()) return false;
  std::vector<std::string> argv{(programFolder / kDecompilerProgram).string(), kHiddenSwitch};
  std::string unused;
  if (RunAndWait(argv, run.Path().string(), unused, showConsole) != 0) return false;

  std::optional<std::string> produced[3];
  const char* names[3] = {kAirportsName, kAircraftName, kFlightPlansName};
  for (int k = 0; k < 3; ++k) {
    if (!(produced[k] = ReadFileBytes(run.Path() / names[k]))) return false;
  }
  fs::path folder = chosenFile.parent_path();
  const fs::path airports = FileInFolder(folder, kAirportsName, unlisted);
  const fs::path aircraft = airports.empty() ? fs::path() : FileInFolder(folder, kAircraftName, unlisted);
  if (aircraft.empty()) return false;
  // The chosen file last: should the user have chosen one of the other two
  // names, the plan is what ends up there.
  return ReplaceFilesInTurn({{airports, std::move(*produced[0])},
                           {aircraft, std::move(*produced[1])},
                           {chosenFile, std::move(*produced[2])}},
                          failure, recovered);
}

}  // namespace velk
