#include "traffic_compiler/decompiler/decompiler_main.h"

#include "platform/file_set.h"
#include "platform/file_set_journal.h"
#include "traffic_compiler/common/console.h"
#include "traffic_compiler/common/tool_error.h"
#include "traffic_compiler/common/tool_files.h"
#include "traffic_compiler/decompiler/traffic_text.h"

namespace ulvane {
namespace {

// The version the banner has always shown; VELK users and scripts see it.
constexpr const char* kBannerVersion = "1.3.3";

bool IsNoPauseSwitch(const std::string& arg) {
  if (arg.size() != 3 || arg[0] != '/') return false;
  return (arg[1] == 'n' || arg[1] == 'N') && (arg[2] == 'p' || arg[2] == 'P');
}

void PrintUsage() {
  traffic::ConsoleWrite(
      "Usage: ulvane [/np]\n"
      "       ulvane --help | --version\n"
      "\n"
      "Turns the simulator's traffic database (SCENEDB/ATC/Scenery/traffic.bgl\n"
      "below the simulator folder) back into Airports.txt, Aircraft.txt and\n"
      "FlightPlans.txt in the current folder.\n"
      "\n"
      "  /np        do not wait for Enter before exiting\n"
      "  --help     show this text and exit\n"
      "  --version  show the version and exit\n"
      "\n"
      "The simulator folder is taken from VELK_FS_PATH when it is set.\n"
      "Exit code: 0 on success, 1 on any error.\n");
}

// A database that is not there, cannot be opened or is no regular file (a
// FIFO or a device would be waited on or read without end) is error 10, one
// that cannot be read through is error 5.
int ReadDatabaseFile(const std::filesystem::path& path, velk::FileBytes& bytes) {
  switch (velk::ReadRegularFileBytes(path, bytes)) {
    case velk::RegularReadResult::kOk: return traffic::kOk;
    case velk::RegularReadResult::kReadFailed: return traffic::kErrReadInput;
    case velk::RegularReadResult::kCannotOpen:
    case velk::RegularReadResult::kNotRegular: break;
  }
  return traffic::kErrOpenInput;
}

// The three texts in the order every run writes them: by that order a
// journal's notice tells which text a run's file stands for where the
// journal itself no longer says.
const std::vector<std::string_view> kOutputNames = velk::set_journal::FixedTargets("ulvane");

// The three files as the run writes them. An existing file spelt in
// another case is replaced, not joined by a twin; a folder that cannot be
// listed gives none, and is named in `unlisted`.
std::vector<std::filesystem::path> OutputTargets(const std::filesystem::path& folder,
                                                 std::filesystem::path& unlisted) {
  std::vector<std::filesystem::path> targets;
  for (std::string_view name : kOutputNames) {
    targets.push_back(traffic::FindFileNoCase(folder, std::string(name), &unlisted));
    if (targets.back().empty()) return {};
  }
  return targets;
}

int Decompile(const std::filesystem::path& workFolder) {
  std::filesystem::path unlisted;
  std::filesystem::path sim = traffic::LocateFlightSim(&unlisted);
  if (sim.empty())
    return unlisted.empty() ? traffic::ReportFileError(traffic::kErrSimNotFound, "")
                            : traffic::ReportFileError(traffic::kErrListFolder, unlisted.string());
  traffic::ConsoleWrite("FS2002 located, decompiling traffic.bgl file now...\n\n");

  // Waits for a compile of the same simulator, so the database read is a
  // whole one, and for any other run writing into the work folder, so that
  // two runs never mix their text files. The traffic folder is locked with
  // the work folder and the folders the texts' links lead to, in the one
  // order every run takes them, so that no two runs wait for each other.
  const std::filesystem::path folder = traffic::TrafficSceneryFolder(sim, &unlisted);
  if (folder.empty()) return traffic::ReportFileError(traffic::kErrListFolder, unlisted.string());
  const std::vector<std::filesystem::path> targets = OutputTargets(workFolder, unlisted);
  if (targets.empty()) return traffic::ReportFileError(traffic::kErrListFolder, unlisted.string());
  velk::SetFolder work(workFolder, targets, {folder});
  work.Lock([] { traffic::ConsoleWaiting("compile or decompile of this simulator or of this folder"); });
  // Under the lock no other run can be writing the text files, so a set
  // left half replaced was left by a run that died.
  const velk::SetRecovery recovered = work.Recover();
  if (!recovered.Empty()) traffic::ConsoleWrite(recovered.Text() + "\n");
  // Nothing is read for a folder that no new set may go into.
  if (recovered.busy) return traffic::ReportFileError(traffic::kErrSetFolder, recovered.Refusal());
  if (recovered.unfinished)
    return traffic::ReportFileError(traffic::kErrSetFolder,
                                    velk::SetFailureText({velk::SetFailure::Step::kUnfinished, recovered.folder, {}, {}}));
  std::filesystem::path database = traffic::FindFileNoCase(folder, "traffic.bgl", &unlisted);
  if (database.empty()) return traffic::ReportFileError(traffic::kErrListFolder, unlisted.string());
  velk::FileBytes bytes;
  int rc = ReadDatabaseFile(database, bytes);
  TrafficDatabase db;
  if (rc == traffic::kOk) rc = ReadTrafficDatabase(bytes.view(), db);
  if (rc != traffic::kOk) return traffic::ReportFileError(rc, database.string());
  bytes = velk::FileBytes{};  // the records hold all that is needed now

  rc = WriteTrafficFiles(db, work);
  if (rc == traffic::kOk) traffic::ConsoleWrite("\nDecompile of traffic.bgl completed\n\n");
  return rc;
}

}  // namespace

int WriteTrafficFiles(const TrafficDatabase& db, velk::SetFolder& folder) {
  static constexpr std::string (*kTexts[])(const TrafficDatabase&) = {AirportsText, AircraftText, FlightPlansText};
  std::filesystem::path unlisted;
  const std::vector<std::filesystem::path> targets = OutputTargets(folder.folder(), unlisted);
  if (targets.empty()) return traffic::ReportFileError(traffic::kErrListFolder, unlisted.string());
  velk::FileSet files;
  for (std::size_t i = 0; i < targets.size(); ++i) {
    traffic::ConsoleWrite("Creating " + std::string(kOutputNames[i]) + " now...\n");
    files.emplace_back(targets[i], kTexts[i](db));
  }
  // Nothing is put in place until all three are written, so a failure never
  // leaves a new file beside old ones or a truncated file.
  velk::SetFailure failure;
  if (folder.Replace(files, failure)) return traffic::kOk;
  switch (failure.step) {
    case velk::SetFailure::Step::kBusy:
    case velk::SetFailure::Step::kUnfinished:
    case velk::SetFailure::Step::kOvertaken:
    case velk::SetFailure::Step::kCommit:
    case velk::SetFailure::Step::kChangedMeanwhile:
      return traffic::ReportFileError(traffic::kErrSetFolder, velk::SetFailureText(failure));
    default: break;
  }
  // A text by its own name; the journal or a folder by its path.
  std::string name = failure.file.string();
  for (std::size_t i = 0; i < targets.size(); ++i) {
    if (failure.file == targets[i]) name = std::string(kOutputNames[i]);
  }
  const int code = traffic::ReportFileError(
      failure.step == velk::SetFailure::Step::kWrite ? traffic::kErrWriteOutput : traffic::kErrCreateFile, name);
  traffic::ConsoleWrite(velk::SetFailureText(failure) + "\n\n");
  return code;
}

int DecompilerMain(const std::vector<std::string>& args, const std::filesystem::path& workFolder) {
  // Only the first argument counts.
  const std::string first = args.empty() ? std::string() : args.front();
  if (first == "--help") {
    PrintUsage();
    traffic::ConsoleFlush();
    return 0;
  }
  if (first == "--version") {
    traffic::ConsoleWrite(std::string("ulvane ") + kBannerVersion + "\n");
    traffic::ConsoleFlush();
    return 0;
  }

  velk::SetProgramMark("ulvane");
  traffic::ConsoleWrite(std::string("De-compiler for FS2002 traffic.bgl file, version ") +
                        kBannerVersion + "\n\n");
  int rc = Decompile(workFolder);
  traffic::ConsoleFlush();
  if (!IsNoPauseSwitch(first)) traffic::WaitForEnter();
  return rc == traffic::kOk ? 0 : 1;
}

}  // namespace ulvane
