#include "traffic_compiler/compiler/compiler_run.h"

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "traffic_compiler/common/console.h"
#include "traffic_compiler/common/tool_error.h"
#include "traffic_compiler/common/tool_files.h"
#include "traffic_compiler/common/version.h"
#include "traffic_compiler/compiler/arrival_times.h"
#include "traffic_compiler/compiler/traffic_database.h"
#include "traffic_compiler/compiler/traffic_parser.h"
#include "platform/ascii_text.h"
#include "platform/file_set.h"

namespace traffic {
namespace {

using velk::EqualsNoCase;

constexpr const char* kHelp =
    "Usage: orvane [/np] [/ep] [/na]\n"
    "Compiles Airports.txt, Aircraft.txt and FlightPlans.txt of the current folder\n"
    "into traffic.bgl in the simulator's SCENEDB/ATC/Scenery folder.\n"
    "\n"
    "  /np        do not wait for Enter before exit\n"
    "  /ep        wait for Enter only when the compile failed\n"
    "  /na        do not write the computed arrival times back into FlightPlans.txt\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "The simulator folder is taken from VELK_FS_PATH when it is set.\n"
    "Exit status: 0 when traffic.bgl was written and put in place, 1 on any error.\n";

struct Switches {
  bool no_prompt = false;
  bool prompt_on_error = false;
  bool no_arrivals = false;
};

// The two names of the database in the traffic folder as the user knows
// them, and the files a write to each lands in.
struct DatabaseTargets {
  fs::path found, found_backup;
  WriteTarget current, backup;
};

// Finds traffic.bgl and traffic_ORIGINAL.bbb and where writes to them land,
// before anything is written: no write follows a link of another user's,
// and without both no database is made.
int FindDatabaseTargets(const fs::path& folder, DatabaseTargets& t) {
  fs::path unlisted;
  t.found = FindFileNoCase(folder, "traffic.bgl", &unlisted);
  t.found_backup = FindFileNoCase(folder, "traffic_ORIGINAL.bbb", &unlisted);
  if (t.found.empty() || t.found_backup.empty()) return ReportFileError(kErrListFolder, unlisted.string());
  // A folder that cannot be opened is found out when the files are
  // written, as ever.
  std::string why;
  if (!t.current.Open(t.found, &why) && !why.empty()) {
    // What stands there, read through the links: a link that loops is no
    // database to keep either.
    struct stat st;
    const bool exists = ::lstat(t.found.c_str(), &st) == 0;
    const bool regular = exists && ::stat(t.found.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    const bool backed_up = ::lstat(t.found_backup.c_str(), &st) == 0;
    return ReportNotWritten(exists && !regular && !backed_up ? kErrOpenInput : kErrDeleteOld, t.found.string(),
                            t.found.string(), why);
  }
  // The database is replaced only once its original is kept.
  if (!t.backup.Open(t.found_backup, &why) && !why.empty())
    return ReportNotWritten(kErrCreateFile, t.found_backup.string(), t.found_backup.string(), why);
  return 0;
}

// Puts the new database `temp` in place: keeps the database found there
// first as traffic_ORIGINAL.bbb (once), then replaces traffic.bgl in one
// step. Either name may be a link of the user's own, and then the file it
// names is meant. The database replaced is freed through `replaced`, in the
// background.
int InstallDatabase(DatabaseTargets& t, OutputFile& temp, HeldFile& replaced) {
  // Looked at where the writes go: a link there now was planted since the
  // look, and is no file.
  struct stat st;
  const bool exists = t.current.Look(st);
  const bool regular = exists && S_ISREG(st.st_mode);
  const bool write_protected = regular && IsWriteProtected(t.current, st);
  const bool backed_up = t.backup.Look(st);
  // A folder, FIFO or device is no database to keep.
  if (exists && !regular && !backed_up) return ReportFileError(kErrOpenInput, t.found.string());
  // Neither a write-protected database nor something that is not a file is
  // replaced; the new one stays beside it as traffic_TEMP.bgl.
  if ((exists && !regular) || write_protected) {
    temp.Keep();
    return ReportFileError(kErrDeleteOld, t.found.string());
  }
  if (regular && !backed_up && CopyFileExclusive(t.current, t.backup) == CopyResult::kFailed)
    return ReportFileError(kErrCreateFile, t.found_backup.string());
  if (regular) replaced.Hold(t.current);
  if (!ReplaceFile(temp, t.current)) {
    temp.Keep();
    return ReportFileError(kErrDeleteOld, t.found.string());
  }
  temp.Keep();
  replaced.Release();
  return 0;
}

int Compile(const Switches& switches) {
  fs::path unlisted;
  const fs::path sim = LocateFlightSim(&unlisted);
  if (sim.empty()) return unlisted.empty() ? ReportFileError(kErrSimNotFound, "")
                                           : ReportFileError(kErrListFolder, unlisted.string());
  ConsoleWrite("FS2002 located, compiling traffic.bgl file now...\n\n");

  // One run at a time per simulator, and per folder of texts: the traffic
  // folder is locked with the work folder and the folders the texts' links
  // lead to, in the one order every run takes them, so that no two runs
  // wait for each other. The locks are held until the database is in place
  // and the plan written back; the texts are read, and the plan written
  // back, while no other run writes into their folder. A set of them that
  // a killed run left half replaced is made whole first, and a set that
  // cannot be is not compiled. A missing traffic folder is reported when
  // the database cannot be created in it.
  const fs::path folder = TrafficSceneryFolder(sim, &unlisted);
  if (folder.empty()) return ReportFileError(kErrListFolder, unlisted.string());
  velk::SetFolder work(".", {kAirportsFile, kAircraftFile, kFlightPlansFile}, {folder});
  work.Lock([] { ConsoleWaiting("compile or decompile of this simulator or of this folder"); });
  const velk::SetRecovery recovered = work.Recover();
  if (!recovered.Empty()) ConsoleWrite(recovered.Text() + "\n");
  if (!recovered.Readable()) return ReportFileError(kErrSetFolder, recovered.Refusal());

  TrafficData data;
  std::uint64_t plans_fingerprint = 0;
  if (int e = ParseTrafficFiles(".", data, &plans_fingerprint)) return e;
  const fs::path plans_file = switches.no_arrivals ? fs::path() : FindFileNoCase(".", kFlightPlansFile, &unlisted);
  if (!switches.no_arrivals && plans_file.empty()) return ReportFileError(kErrListFolder, unlisted.string());

  // The output is created first so that an unwritable folder is reported
  // before any work is done. It is a new file: never one that exists, nor
  // what a link of that name points to.
  const fs::path temp_path = folder / "traffic_TEMP.bgl";
  std::string why;
  WriteTarget temp_place;
  if (!temp_place.OpenName(temp_path, &why))
    return ReportNotWritten(kErrOpenOutput, temp_path.string(), temp_path.string(), why);
  DatabaseTargets targets;
  if (int e = FindDatabaseTargets(folder, targets)) return e;
  if (work.HoldsLockOf(folder)) {
    // Under the lock, a traffic_TEMP.bgl (a file or a planted link) can
    // only be left over from a run that died.
    temp_place.RemoveLeftover();
    // Nor can a temporary copy of a backup that was never finished.
    RemoveLeftoverTemporaries(targets.backup);
  }
  OutputFile temp;
  if (!temp.CreateExclusive(temp_place)) return ReportFileError(kErrOpenOutput, temp_path.string());
  // The new plan with the arrival times is made while the sectors are
  // walked, its console output held back; it replaces the plan only once
  // the database is in place, and is removed again when that fails.
  PlanWriteBack write_back;
  std::string write_back_output;
  bool prepared = false;
  auto prepare_write_back = [&] {
    ScopedConsoleCapture held_back;
    write_back.Prepare(plans_file, data.plans, plans_fingerprint);
    write_back_output = held_back.text();
    prepared = true;
  };
  if (int e = WriteTrafficDatabase(temp, temp_path, data, switches.no_arrivals ? std::function<void()>() : prepare_write_back))
    return e;
  // The old database is let go of while the plan is written back.
  HeldFile replaced;
  if (int e = InstallDatabase(targets, temp, replaced)) return e;

  // A failed write-back is a failed run, although the database is in place.
  if (!switches.no_arrivals) {
    if (!prepared) prepare_write_back();
    ConsoleWrite(write_back_output);
    if (int e = write_back.Commit()) return e;
  }
  ConsoleWrite("\nCompile of traffic.bgl completed\n\n");
  return 0;
}

}  // namespace

int CompilerMain(int argc, const char* const* argv) {
  Switches switches;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i] ? argv[i] : "";
    if (i > 0 && arg == "--help") {
      ConsoleWrite(kHelp);
      ConsoleFlush();
      return 0;
    }
    if (i > 0 && arg == "--version") {
      ConsoleWrite(std::string("orvane (VELK) ") + kToolVersion + "\n");
      ConsoleFlush();
      return 0;
    }
  }
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i] ? argv[i] : "";
    if (EqualsNoCase(arg, "/np")) switches.no_prompt = true;
    else if (EqualsNoCase(arg, "/ep")) switches.prompt_on_error = true;
    else if (EqualsNoCase(arg, "/na")) switches.no_arrivals = true;
  }

  velk::SetProgramMark("orvane");
  ConsoleWrite(std::string("Compiler for FS2002 traffic.bgl file, version ") + kCompilerBannerVersion +
               "\n\n");
  const int error = Compile(switches);
  const bool wait = switches.prompt_on_error ? error != 0 : !switches.no_prompt;
  if (wait) WaitForEnter();
  ConsoleFlush();
  return error == 0 ? 0 : 1;
}

}  // namespace traffic
